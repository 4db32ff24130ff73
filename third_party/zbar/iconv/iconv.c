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

enum charset_kind { KIND_PLAIN, KIND_SJIS, KIND_BIG5, KIND_TABLE };

struct converter {
    UINT code_page;
    enum charset_kind kind;
    const unsigned short *upper; /* KIND_TABLE: 0xA0-0xFF */
};

/* ISO 8859 parts Windows has no code page for (its 28600, 28601, 28604 and 28606 are missing):
   0x00-0x9F are the same code points, these give 0xA0-0xFF, 0 where the part leaves a byte
   unassigned. */
static const unsigned short iso8859_10[96] = {
    0x00A0, 0x0104, 0x0112, 0x0122, 0x012A, 0x0128, 0x0136, 0x00A7,
    0x013B, 0x0110, 0x0160, 0x0166, 0x017D, 0x00AD, 0x016A, 0x014A,
    0x00B0, 0x0105, 0x0113, 0x0123, 0x012B, 0x0129, 0x0137, 0x00B7,
    0x013C, 0x0111, 0x0161, 0x0167, 0x017E, 0x2015, 0x016B, 0x014B,
    0x0100, 0x00C1, 0x00C2, 0x00C3, 0x00C4, 0x00C5, 0x00C6, 0x012E,
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x0116, 0x00CD, 0x00CE, 0x00CF,
    0x00D0, 0x0145, 0x014C, 0x00D3, 0x00D4, 0x00D5, 0x00D6, 0x0168,
    0x00D8, 0x0172, 0x00DA, 0x00DB, 0x00DC, 0x00DD, 0x00DE, 0x00DF,
    0x0101, 0x00E1, 0x00E2, 0x00E3, 0x00E4, 0x00E5, 0x00E6, 0x012F,
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x0117, 0x00ED, 0x00EE, 0x00EF,
    0x00F0, 0x0146, 0x014D, 0x00F3, 0x00F4, 0x00F5, 0x00F6, 0x0169,
    0x00F8, 0x0173, 0x00FA, 0x00FB, 0x00FC, 0x00FD, 0x00FE, 0x0138,
};
static const unsigned short iso8859_11[96] = {
    0x00A0, 0x0E01, 0x0E02, 0x0E03, 0x0E04, 0x0E05, 0x0E06, 0x0E07,
    0x0E08, 0x0E09, 0x0E0A, 0x0E0B, 0x0E0C, 0x0E0D, 0x0E0E, 0x0E0F,
    0x0E10, 0x0E11, 0x0E12, 0x0E13, 0x0E14, 0x0E15, 0x0E16, 0x0E17,
    0x0E18, 0x0E19, 0x0E1A, 0x0E1B, 0x0E1C, 0x0E1D, 0x0E1E, 0x0E1F,
    0x0E20, 0x0E21, 0x0E22, 0x0E23, 0x0E24, 0x0E25, 0x0E26, 0x0E27,
    0x0E28, 0x0E29, 0x0E2A, 0x0E2B, 0x0E2C, 0x0E2D, 0x0E2E, 0x0E2F,
    0x0E30, 0x0E31, 0x0E32, 0x0E33, 0x0E34, 0x0E35, 0x0E36, 0x0E37,
    0x0E38, 0x0E39, 0x0E3A, 0x0000, 0x0000, 0x0000, 0x0000, 0x0E3F,
    0x0E40, 0x0E41, 0x0E42, 0x0E43, 0x0E44, 0x0E45, 0x0E46, 0x0E47,
    0x0E48, 0x0E49, 0x0E4A, 0x0E4B, 0x0E4C, 0x0E4D, 0x0E4E, 0x0E4F,
    0x0E50, 0x0E51, 0x0E52, 0x0E53, 0x0E54, 0x0E55, 0x0E56, 0x0E57,
    0x0E58, 0x0E59, 0x0E5A, 0x0E5B, 0x0000, 0x0000, 0x0000, 0x0000,
};
static const unsigned short iso8859_14[96] = {
    0x00A0, 0x1E02, 0x1E03, 0x00A3, 0x010A, 0x010B, 0x1E0A, 0x00A7,
    0x1E80, 0x00A9, 0x1E82, 0x1E0B, 0x1EF2, 0x00AD, 0x00AE, 0x0178,
    0x1E1E, 0x1E1F, 0x0120, 0x0121, 0x1E40, 0x1E41, 0x00B6, 0x1E56,
    0x1E81, 0x1E57, 0x1E83, 0x1E60, 0x1EF3, 0x1E84, 0x1E85, 0x1E61,
    0x00C0, 0x00C1, 0x00C2, 0x00C3, 0x00C4, 0x00C5, 0x00C6, 0x00C7,
    0x00C8, 0x00C9, 0x00CA, 0x00CB, 0x00CC, 0x00CD, 0x00CE, 0x00CF,
    0x0174, 0x00D1, 0x00D2, 0x00D3, 0x00D4, 0x00D5, 0x00D6, 0x1E6A,
    0x00D8, 0x00D9, 0x00DA, 0x00DB, 0x00DC, 0x00DD, 0x0176, 0x00DF,
    0x00E0, 0x00E1, 0x00E2, 0x00E3, 0x00E4, 0x00E5, 0x00E6, 0x00E7,
    0x00E8, 0x00E9, 0x00EA, 0x00EB, 0x00EC, 0x00ED, 0x00EE, 0x00EF,
    0x0175, 0x00F1, 0x00F2, 0x00F3, 0x00F4, 0x00F5, 0x00F6, 0x1E6B,
    0x00F8, 0x00F9, 0x00FA, 0x00FB, 0x00FC, 0x00FD, 0x0177, 0x00FF,
};
static const unsigned short iso8859_16[96] = {
    0x00A0, 0x0104, 0x0105, 0x0141, 0x20AC, 0x201E, 0x0160, 0x00A7,
    0x0161, 0x00A9, 0x0218, 0x00AB, 0x0179, 0x00AD, 0x017A, 0x017B,
    0x00B0, 0x00B1, 0x010C, 0x0142, 0x017D, 0x201D, 0x00B6, 0x00B7,
    0x017E, 0x010D, 0x0219, 0x00BB, 0x0152, 0x0153, 0x0178, 0x017C,
    0x00C0, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0106, 0x00C6, 0x00C7,
    0x00C8, 0x00C9, 0x00CA, 0x00CB, 0x00CC, 0x00CD, 0x00CE, 0x00CF,
    0x0110, 0x0143, 0x00D2, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x015A,
    0x0170, 0x00D9, 0x00DA, 0x00DB, 0x00DC, 0x0118, 0x021A, 0x00DF,
    0x00E0, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x0107, 0x00E6, 0x00E7,
    0x00E8, 0x00E9, 0x00EA, 0x00EB, 0x00EC, 0x00ED, 0x00EE, 0x00EF,
    0x0111, 0x0144, 0x00F2, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x015B,
    0x0171, 0x00F9, 0x00FA, 0x00FB, 0x00FC, 0x0119, 0x021B, 0x00FF,
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
        const unsigned short *upper;
    } tables[] = {
        {"ISO8859-10", iso8859_10},
        {"ISO8859-11", iso8859_11},
        {"ISO8859-14", iso8859_14},
        {"ISO8859-16", iso8859_16},
    };
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
    for (i = 0; i < sizeof tables / sizeof tables[0]; ++i) {
        if (same_name(name, tables[i].name)) {
            c->code_page = 0;
            c->kind = KIND_TABLE;
            c->upper = tables[i].upper;
            return 1;
        }
    }
    for (i = 0; i < sizeof names / sizeof names[0]; ++i) {
        if (same_name(name, names[i].name)) {
            c->code_page = names[i].code_page;
            c->kind = names[i].kind;
            c->upper = NULL;
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

/* One UTF-16 unit per byte; NULL with *len 0 for an unassigned byte, -1 out of memory. */
static WCHAR *from_table(const unsigned short *upper, const unsigned char *s, size_t n, int *len) {
    WCHAR *wide = malloc(sizeof(WCHAR) * (n ? n : 1));
    size_t i;
    *len = -1;
    if (!wide) return NULL;
    for (i = 0; i < n; ++i) {
        wide[i] = s[i] < 0xA0 ? s[i] : upper[s[i] - 0xA0];
        if (!wide[i] && s[i]) {
            free(wide);
            *len = 0;
            return NULL;
        }
    }
    *len = (int)n;
    return wide;
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

    if (c->kind == KIND_TABLE) {
        wide = from_table(c->upper, in, *inbytesleft, &wide_len);
        if (!wide) return fail(wide_len < 0 ? ENOMEM : EILSEQ);
    } else {
        wide_len = MultiByteToWideChar(c->code_page, MB_ERR_INVALID_CHARS, *inbuf,
                                       (int)*inbytesleft, NULL, 0);
        if (wide_len <= 0) return fail(EILSEQ);
        wide = malloc(sizeof(WCHAR) * (size_t)wide_len);
        if (!wide) return fail(ENOMEM);
        MultiByteToWideChar(c->code_page, MB_ERR_INVALID_CHARS, *inbuf, (int)*inbytesleft, wide,
                            wide_len);
    }
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
