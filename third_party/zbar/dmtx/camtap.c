#include "campass.h"

#include <zbar.h>

/* zbarcam.exe is linked with --wrap=zbar_scan_image: every frame ZBar's processor scans (the
 * grey copy it makes of the camera's picture) comes here after ZBar's own scan, which is the
 * one place that sees each frame, found codes or not. */
int __real_zbar_scan_image(zbar_image_scanner_t *scanner, zbar_image_t *image);

int __wrap_zbar_scan_image(zbar_image_scanner_t *scanner, zbar_image_t *image)
{
    int n = __real_zbar_scan_image(scanner, image);
    unsigned width = zbar_image_get_width(image), height = zbar_image_get_height(image);
    if(zbar_image_get_format(image) == zbar_fourcc('Y', '8', '0', '0') &&
       zbar_image_get_data_length(image) >= (unsigned long)width * height)
        dmtx_camera_offer(zbar_image_get_data(image), (int)width, (int)height,
                          zbar_image_get_sequence(image));
    return n;
}
