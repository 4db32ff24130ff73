/* The DataMatrix pass of zbarcam and zbarimg: libdmtx over the same grey picture ZBar scans,
 * its codes printed the way ZBar prints its own symbols. */
#ifndef DMTXPASS_H
#define DMTXPASS_H

#include <stdio.h>

/* The name ZBar's output gives the kind, as "QR-Code" or "CODE-128". */
#define DMTX_PASS_NAME "DataMatrix"

/* Time limits of one picture's search: a camera frame is scanned beside ZBar's own pass and the
 * next frame waits for it; a picture file is scanned once. */
#define DMTX_PASS_FRAME_MS 300
#define DMTX_PASS_PICTURE_MS 3000

/* A code found twice within this time is one sighting; seen again after it, it is a new code
 * (ZBar's own camera re-scan rule for a 2D code). */
#define DMTX_PASS_RESCAN_MS 2000

typedef struct dmtx_code {
    unsigned char *data; /* NUL-terminated; may hold NULs inside */
    unsigned len;
    int gs1;             /* GS1 DataMatrix: FNC1 first, separators given as GS (0x1D) */
} dmtx_code_t;

/* Finds the DataMatrix codes in an 8-bit grey picture (rows top to bottom, no padding), at most
 * `max`, searching for at most `limit_ms`. Returns how many it put in `codes`, or -1 when the
 * picture could not be examined (no memory). Free the codes with dmtx_codes_free. */
int dmtx_scan_grey(const unsigned char *grey, int width, int height, int limit_ms,
                   dmtx_code_t *codes, int max);
void dmtx_codes_free(dmtx_code_t *codes, int n);

/* A -S setting. Returns 1 when it is DataMatrix's own ("datamatrix.disable",
 * "datamatrix.enable=0", ...), which ZBar must not see; 0 when it is ZBar's (one that switches
 * every kind, "disable" or "*.enable=0", switches DataMatrix too); -1 when it names DataMatrix
 * with a setting the pass does not have. */
int dmtx_pass_config(const char *cfgstr, int *enabled);

/* Prints one code exactly as ZBar prints one of its symbols: "DataMatrix:" and the data in
 * plain mode, the data alone in raw mode, `zbar_symbol_xml`'s element in XML mode (buf/len as
 * that function's), and in escaped mode as plain with the data written by dmtx_write_escaped.
 * No line end, no flush: the caller's loop adds them as for ZBar's symbols.
 * Returns 0, or -1 when the write failed. */
enum dmtx_format { DMTX_PLAIN, DMTX_RAW, DMTX_XML, DMTX_ESCAPED };
int dmtx_print_code(FILE *out, const dmtx_code_t *code, enum dmtx_format format,
                    char **buf, unsigned *len);

/* Writes code data with each CR, LF and backslash as the two characters \r, \n and \\, so that a
 * code holding line breaks stays one output line (the tools' --escape output). Returns 0, or -1
 * when the write failed. */
int dmtx_write_escaped(FILE *out, const void *data, unsigned len);

/* The camera's memory of recent codes. */
typedef struct dmtx_seen dmtx_seen_t;
dmtx_seen_t *dmtx_seen_create(void);
void dmtx_seen_destroy(dmtx_seen_t *seen);
/* Records a sighting at `now_ms`; 1 when the code is to be reported (not seen in the last
 * DMTX_PASS_RESCAN_MS), else 0. */
int dmtx_seen_report(dmtx_seen_t *seen, const dmtx_code_t *code, unsigned long now_ms);

#endif
