/* iconv over MultiByteToWideChar/WideCharToMultiByte, to UTF-8 only, whole buffers at a time
   (the way ZBar calls it: one conversion of a whole segment, or none).

   ZBar guesses a QR code's character set by trying Shift-JIS, Latin-1 and Big-5 in turn and
   keeping the first that converts. Windows' code pages 932 and 950 accept more than glibc's
   SJIS and BIG5 (vendor extensions, user-defined rows, single bytes mapped to private-use
   characters); taken as is, they would win guesses that fail on Linux and give other text. So
   those bytes are rejected here first, and SJIS maps 0x5C and 0x7E to the yen sign and the
   overline as glibc does. */
#include "iconv.h"

#include <errno.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

enum charset_kind { KIND_PLAIN, KIND_SJIS, KIND_BIG5 };

struct converter {
    UINT code_page;
    enum charset_kind kind;
};

static int same_name(const char *a, const char *b) {
    for (; *a && *b; ++a, ++b) {
        char x = *a, y = *b;
        if (x >= 'a' && x <= 'z') x -= 'a' - 'A';
        if (y >= 'a' && y <= 'z') y -= 'a' - 'A';
        if (x != y) return 0;
    }
    return *a == *b;
}

static int find_code_page(const char *name, struct converter *c) {
    static const struct {
        const char *name;
        UINT code_page;
        enum charset_kind kind;
    } names[] = {
        {"UTF-8", CP_UTF8, KIND_PLAIN},      {"UTF8", CP_UTF8, KIND_PLAIN},
        {"SJIS", 932, KIND_SJIS},            {"SHIFT_JIS", 932, KIND_SJIS},
        {"BIG-5", 950, KIND_BIG5},           {"BIG5", 950, KIND_BIG5},
        {"CP437", 437, KIND_PLAIN},          {"ISO8859-1", 28591, KIND_PLAIN},
        {"ISO8859-2", 28592, KIND_PLAIN},    {"ISO8859-3", 28593, KIND_PLAIN},
        {"ISO8859-4", 28594, KIND_PLAIN},    {"ISO8859-5", 28595, KIND_PLAIN},
        {"ISO8859-6", 28596, KIND_PLAIN},    {"ISO8859-7", 28597, KIND_PLAIN},
        {"ISO8859-8", 28598, KIND_PLAIN},    {"ISO8859-9", 28599, KIND_PLAIN},
        {"ISO8859-13", 28603, KIND_PLAIN},   {"ISO8859-15", 28605, KIND_PLAIN},
    };
    size_t i;
    for (i = 0; i < sizeof names / sizeof names[0]; ++i) {
        if (same_name(name, names[i].name)) {
            c->code_page = names[i].code_page;
            c->kind = names[i].kind;
            return IsValidCodePage(c->code_page) || c->code_page == CP_UTF8;
        }
    }
    return 0;
}

/* Lead bytes and single bytes that code page 932 takes and glibc's SJIS does not: NEC row 13,
   the NEC-selected and IBM extensions, the user-defined rows, and 0x80, 0xA0, 0xFD-0xFF. */
static int sjis_acceptable(const unsigned char *s, size_t n) {
    size_t i = 0;
    while (i < n) {
        unsigned char b = s[i];
        if (b < 0x80 || (b >= 0xA1 && b <= 0xDF)) {
            ++i;
        } else if ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xEF)) {
            if (b == 0x87 || b == 0xED || b == 0xEE) return 0;
            i += 2;
        } else {
            return 0;
        }
    }
    return 1;
}

/* Lead bytes that code page 950 takes and glibc's BIG5 does not (the user-defined rows). */
static int big5_acceptable(const unsigned char *s, size_t n) {
    size_t i = 0;
    while (i < n) {
        unsigned char b = s[i];
        if (b < 0x80) {
            ++i;
        } else if (b >= 0xA1 && b <= 0xF9) {
            i += 2;
        } else {
            return 0;
        }
    }
    return 1;
}

iconv_t iconv_open(const char *tocode, const char *fromcode) {
    struct converter c, *made;
    if (!same_name(tocode, "UTF-8") || !find_code_page(fromcode, &c)) {
        errno = EINVAL;
        return (iconv_t)-1;
    }
    made = malloc(sizeof *made);
    if (!made) {
        errno = ENOMEM;
        return (iconv_t)-1;
    }
    *made = c;
    return made;
}

int iconv_close(iconv_t cd) {
    free(cd);
    return 0;
}

static size_t fail(int error) {
    errno = error;
    return (size_t)-1;
}

size_t iconv(iconv_t cd, char **inbuf, size_t *inbytesleft, char **outbuf, size_t *outbytesleft) {
    const struct converter *c = cd;
    const unsigned char *in;
    WCHAR *wide;
    int wide_len, i, out_len;

    /* No state is kept between calls: a reset has nothing to do. */
    if (!inbuf || !*inbuf || !*inbytesleft) return 0;
    in = (const unsigned char *)*inbuf;
    if (*inbytesleft > 0x7FFFFFFF) return fail(E2BIG);
    if ((c->kind == KIND_SJIS && !sjis_acceptable(in, *inbytesleft)) ||
        (c->kind == KIND_BIG5 && !big5_acceptable(in, *inbytesleft)))
        return fail(EILSEQ);

    wide_len = MultiByteToWideChar(c->code_page, MB_ERR_INVALID_CHARS, *inbuf, (int)*inbytesleft,
                                   NULL, 0);
    if (wide_len <= 0) return fail(EILSEQ);
    wide = malloc(sizeof(WCHAR) * (size_t)wide_len);
    if (!wide) return fail(ENOMEM);
    MultiByteToWideChar(c->code_page, MB_ERR_INVALID_CHARS, *inbuf, (int)*inbytesleft, wide,
                        wide_len);
    if (c->kind == KIND_SJIS) {
        for (i = 0; i < wide_len; ++i) {
            if (wide[i] == 0x5C) wide[i] = 0xA5;
            else if (wide[i] == 0x7E) wide[i] = 0x203E;
        }
    }
    out_len = WideCharToMultiByte(CP_UTF8, 0, wide, wide_len, NULL, 0, NULL, NULL);
    if (out_len <= 0 || (size_t)out_len > *outbytesleft) {
        free(wide);
        return fail(out_len <= 0 ? EILSEQ : E2BIG);
    }
    WideCharToMultiByte(CP_UTF8, 0, wide, wide_len, *outbuf, out_len, NULL, NULL);
    free(wide);
    *inbuf += *inbytesleft;
    *inbytesleft = 0;
    *outbuf += out_len;
    *outbytesleft -= (size_t)out_len;
    return 0;
}
