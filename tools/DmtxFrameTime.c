/* Development tool, never shipped: runs the engines' DataMatrix pass on binary PGM frames with
 * a given time limit, as the camera's thread runs it, and prints one line per frame: the file,
 * the wall time in ms and the codes found (data as \xNN escapes where not printable ASCII).
 * Built and run by tools/measure_dmtx_camera.sh.
 *
 *   DmtxFrameTime LIMIT_MS FRAME.pgm...
 */
#include <stdio.h>
#include <stdlib.h>
#include <windows.h>

#include "dmtxpass.h"

static unsigned char *read_pgm(const char *path, int *width, int *height)
{
    FILE *f = fopen(path, "rb");
    int max = 0;
    unsigned char *grey = NULL;
    if(f && fscanf(f, "P5 %d %d %d", width, height, &max) == 3 && max == 255 && fgetc(f) != EOF) {
        size_t size = (size_t)*width * *height;
        grey = malloc(size);
        if(grey && fread(grey, 1, size, f) != size) {
            free(grey);
            grey = NULL;
        }
    }
    if(f)
        fclose(f);
    return grey;
}

int main(int argc, char **argv)
{
    if(argc < 3) {
        fprintf(stderr, "usage: DmtxFrameTime LIMIT_MS FRAME.pgm...\n");
        return 2;
    }
    int limit = atoi(argv[1]);
    LARGE_INTEGER freq, start, end;
    QueryPerformanceFrequency(&freq);
    for(int i = 2; i < argc; i++) {
        int width, height;
        unsigned char *grey = read_pgm(argv[i], &width, &height);
        if(!grey) {
            fprintf(stderr, "DmtxFrameTime: cannot read %s\n", argv[i]);
            return 1;
        }
        dmtx_code_t codes[8];
        QueryPerformanceCounter(&start);
        int n = dmtx_scan_grey(grey, width, height, limit, codes, 8);
        QueryPerformanceCounter(&end);
        printf("%s\t%.1f", argv[i], 1000.0 * (end.QuadPart - start.QuadPart) / freq.QuadPart);
        for(int c = 0; c < n; c++) {
            putchar('\t');
            for(unsigned j = 0; j < codes[c].len; j++) {
                unsigned char b = codes[c].data[j];
                printf(b >= 0x20 && b < 0x7f && b != '\\' ? "%c" : "\\x%02x", b);
            }
        }
        putchar('\n');
        if(n > 0)
            dmtx_codes_free(codes, n);
        free(grey);
    }
    return 0;
}
