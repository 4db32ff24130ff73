#include <config.h>

#include "dmtxpass.h"

#include <dmtx.h>
#include <stdlib.h>
#include <string.h>
#include <zbar.h>

/* ZBar's own symbol, so that zbar_symbol_xml writes the element: same attributes, same choice
 * between CDATA and base64. */
#include "../zbar/symbol.h"

/* libdmtx's settings measured on webcam pictures: a scan grid of 16 pixels, edges weaker than
 * 20 ignored (costs nothing, keeps noise out), FNC1 given as GS so that a GS1 code keeps its
 * separators. */
#define SCAN_GAP 16
#define EDGE_THRESHOLD 20
#define GS 0x1d
/* The codeword of FNC1 (ISO/IEC 16022); first in the data, it marks a GS1 code. */
#define FNC1_CODEWORD 232
/* The smallest DataMatrix is 10 modules a side; libdmtx aborts on a picture of one or two
 * pixels, so anything narrower than a symbol is not handed to it. */
#define MIN_SIDE 10
/* libdmtx keeps a byte per pixel beside the picture: a larger picture is examined shrunk. */
#define MAX_PIXELS (16L * 1024 * 1024)

static int shrink_for(int width, int height)
{
    int shrink = 1;
    while((long)(width / shrink) * (height / shrink) > MAX_PIXELS)
        shrink++;
    return shrink;
}

/* ZBar gives a GS1-128 without its leading FNC1 and each later FNC1 as GS: the same here. */
static int take_code(const DmtxMessage *msg, dmtx_code_t *code)
{
    const unsigned char *data = msg->output;
    unsigned len = (unsigned)msg->outputIdx;
    code->gs1 = msg->codeSize > 0 && msg->code[0] == FNC1_CODEWORD;
    if(code->gs1 && len && data[0] == GS) {
        data++;
        len--;
    }
    code->data = malloc(len + 1);
    if(!code->data)
        return -1;
    memcpy(code->data, data, len);
    code->data[len] = 0;
    code->len = len;
    return 0;
}

int dmtx_scan_grey(const unsigned char *grey, int width, int height, int limit_ms,
                   dmtx_code_t *codes, int max)
{
    if(width < MIN_SIDE || height < MIN_SIDE || max <= 0)
        return 0;
    DmtxImage *img = dmtxImageCreate((unsigned char *)grey, width, height, DmtxPack8bppK);
    if(!img)
        return -1;
    DmtxDecode *dec = dmtxDecodeCreate(img, shrink_for(width, height));
    if(!dec) {
        dmtxImageDestroy(&img);
        return -1;
    }
    dmtxDecodeSetProp(dec, DmtxPropScanGap, SCAN_GAP);
    dmtxDecodeSetProp(dec, DmtxPropEdgeThresh, EDGE_THRESHOLD);
    dmtxDecodeSetProp(dec, DmtxPropFnc1, GS);

    DmtxTime limit = dmtxTimeAdd(dmtxTimeNow(), limit_ms);
    int n = 0, failed = 0;
    while(n < max && !failed) {
        DmtxRegion *reg = dmtxRegionFindNext(dec, &limit);
        if(!reg)
            break;
        DmtxMessage *msg = dmtxDecodeMatrixRegion(dec, reg, DmtxUndefined);
        if(msg) {
            failed = take_code(msg, &codes[n]) != 0;
            if(!failed)
                n++;
            dmtxMessageDestroy(&msg);
        }
        dmtxRegionDestroy(&reg);
    }
    dmtxDecodeDestroy(&dec);
    dmtxImageDestroy(&img);
    if(failed) {
        dmtx_codes_free(codes, n);
        return -1;
    }
    return n;
}

void dmtx_codes_free(dmtx_code_t *codes, int n)
{
    for(int i = 0; i < n; i++) {
        free(codes[i].data);
        codes[i].data = NULL;
    }
}

int dmtx_pass_config(const char *cfgstr, int *enabled)
{
    static const char own[] = "datamatrix.";
    zbar_symbol_type_t sym = ZBAR_NONE;
    zbar_config_t cfg;
    int val;
    if(!strncmp(cfgstr, own, sizeof own - 1)) {
        if(zbar_parse_config(cfgstr + sizeof own - 1, &sym, &cfg, &val) ||
           sym != ZBAR_NONE || cfg != ZBAR_CFG_ENABLE)
            return -1;
        *enabled = val != 0;
        return 1;
    }
    if(!zbar_parse_config(cfgstr, &sym, &cfg, &val) && sym == ZBAR_NONE &&
       cfg == ZBAR_CFG_ENABLE)
        *enabled = val != 0;
    return 0;
}

/* zbar_symbol_xml names the kind from ZBar's own table, which has no DataMatrix: the element
 * is written for a symbol of no kind and the name put in its place. */
static int print_xml(FILE *out, const dmtx_code_t *code, char **buf, unsigned *len)
{
    zbar_symbol_t sym;
    memset(&sym, 0, sizeof sym);
    sym.type = ZBAR_NONE;
    sym.modifiers = code->gs1 ? 1 << ZBAR_MOD_GS1 : 0;
    sym.data = (char *)code->data;
    sym.datalen = code->len;
    sym.data_alloc = code->len + 1;
    sym.orient = ZBAR_ORIENT_UNKNOWN;
    sym.quality = 1;
    if(!zbar_symbol_xml(&sym, buf, len))
        return -1;

    static const char head[] = "<symbol type='";
    const char *xml = *buf;
    const char *name_end = strchr(xml + sizeof head - 1, '\'');
    if(strncmp(xml, head, sizeof head - 1) || !name_end)
        return -1;
    size_t rest = strlen(name_end);
    if(fprintf(out, "%s%s", head, DMTX_PASS_NAME) < 0 || fwrite(name_end, rest, 1, out) != 1)
        return -1;
    return 0;
}

int dmtx_print_code(FILE *out, const dmtx_code_t *code, enum dmtx_format format,
                    char **buf, unsigned *len)
{
    if(format == DMTX_XML)
        return print_xml(out, code, buf, len);
    if(format != DMTX_RAW && fprintf(out, "%s:", DMTX_PASS_NAME) < 0)
        return -1;
    if(format == DMTX_ESCAPED)
        return dmtx_write_escaped(out, code->data, code->len);
    if(code->len && fwrite(code->data, code->len, 1, out) != 1)
        return -1;
    return 0;
}

int dmtx_write_escaped(FILE *out, const void *data, unsigned len)
{
    const unsigned char *at = data, *end = at + len;
    for(; at < end; at++) {
        const char *escape = *at == '\r' ? "\\r" : *at == '\n' ? "\\n" :
                             *at == '\\' ? "\\\\" : NULL;
        if(escape ? fputs(escape, out) < 0 : putc(*at, out) == EOF)
            return -1;
    }
    return 0;
}

typedef struct seen_entry {
    struct seen_entry *next;
    unsigned long last_ms;
    unsigned len;
    unsigned char data[];
} seen_entry_t;

struct dmtx_seen {
    seen_entry_t *head;
};

dmtx_seen_t *dmtx_seen_create(void)
{
    return calloc(1, sizeof(dmtx_seen_t));
}

void dmtx_seen_destroy(dmtx_seen_t *seen)
{
    if(!seen)
        return;
    while(seen->head) {
        seen_entry_t *next = seen->head->next;
        free(seen->head);
        seen->head = next;
    }
    free(seen);
}

int dmtx_seen_report(dmtx_seen_t *seen, const dmtx_code_t *code, unsigned long now_ms)
{
    seen_entry_t **at = &seen->head;
    while(*at) {
        seen_entry_t *entry = *at;
        if(entry->len == code->len && !memcmp(entry->data, code->data, code->len)) {
            int report = now_ms - entry->last_ms >= DMTX_PASS_RESCAN_MS;
            entry->last_ms = now_ms;
            return report;
        }
        /* Codes long gone are forgotten, so the list stays as short as what is in view. */
        if(now_ms - entry->last_ms >= DMTX_PASS_RESCAN_MS) {
            *at = entry->next;
            free(entry);
        }
        else
            at = &entry->next;
    }
    seen_entry_t *entry = malloc(sizeof *entry + code->len);
    if(entry) {
        entry->next = seen->head;
        entry->last_ms = now_ms;
        entry->len = code->len;
        memcpy(entry->data, code->data, code->len);
        seen->head = entry;
    }
    return 1;
}
