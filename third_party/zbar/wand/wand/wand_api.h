/* The MagickWand calls zbarimg makes, in GraphicsMagick's names, read by the Windows Imaging
   Component (WicWand.cpp): PNG, JPEG, BMP, GIF and TIFF, one image per frame. */
#ifndef TOLVIRA_WAND_API_H
#define TOLVIRA_WAND_API_H

#ifdef __cplusplus
extern "C" {
#endif

typedef struct MagickWand MagickWand;

typedef enum {
    UndefinedException = 0,
    WarningException = 300,
    ErrorException = 400,
    FatalErrorException = 700
} ExceptionType;

typedef enum { CharPixel } StorageType;

void InitializeMagick(const char *path);
void DestroyMagick(void);

MagickWand *NewMagickWand(void);
void DestroyMagickWand(MagickWand *wand);

unsigned int MagickReadImage(MagickWand *wand, const char *filename);
unsigned long MagickGetNumberImages(MagickWand *wand);
unsigned int MagickSetImageIndex(MagickWand *wand, long index);
unsigned long MagickGetImageWidth(MagickWand *wand);
unsigned long MagickGetImageHeight(MagickWand *wand);
/* Only map "I" (intensity) with CharPixel: one grey byte per pixel. */
unsigned int MagickGetImagePixels(MagickWand *wand, long x, long y, unsigned long columns,
                                  unsigned long rows, const char *map, StorageType storage,
                                  unsigned char *pixels);

char *MagickGetException(MagickWand *wand, ExceptionType *severity);
void MagickRelinquishMemory(void *memory);

#ifdef __cplusplus
}
#endif

#endif
