/* The part of iconv that ZBar's QR decoder uses (conversions to UTF-8), over Windows' code pages.
   MinGW has no iconv of its own. */
#ifndef TOLVIRA_ICONV_H
#define TOLVIRA_ICONV_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef void *iconv_t;

iconv_t iconv_open(const char *tocode, const char *fromcode);
size_t iconv(iconv_t cd, char **inbuf, size_t *inbytesleft, char **outbuf, size_t *outbytesleft);
int iconv_close(iconv_t cd);

#ifdef __cplusplus
}
#endif

#endif
