/* zbarcam's DataMatrix pass: a thread of its own takes the newest camera frame whenever it is
 * idle (frames that come while it scans are skipped, so ZBar's per-frame scan keeps its pace)
 * and reports each code the camera's re-scan rule lets through. */
#ifndef CAMPASS_H
#define CAMPASS_H

#include "dmtxpass.h"

/* Called on the pass's thread, between dmtx_camera_lock_output and its unlock, with the codes
 * of one frame that are to be printed (n >= 1) and the frame's sequence number. */
typedef void (dmtx_camera_report_t)(const dmtx_code_t *codes, int n, unsigned seq);

/* Starts the thread; 0 on success. */
int dmtx_camera_start(dmtx_camera_report_t *report, int limit_ms);
/* Offers one grey frame (8 bits a pixel, no padding); copied when the pass is idle. Returns 1
 * when it was taken, 0 when skipped (the pass is busy or stopped). */
int dmtx_camera_offer(const unsigned char *grey, int width, int height, unsigned seq);
/* Ends the thread once its current frame is done (at most the time limit). */
void dmtx_camera_stop(void);

/* ZBar's symbols and the pass's codes are printed under this one lock, so no line of one lands
 * inside a line or an XML element of the other. */
void dmtx_camera_lock_output(void);
void dmtx_camera_unlock_output(void);

#endif
