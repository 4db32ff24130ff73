#include "campass.h"

#include <stdlib.h>
#include <string.h>
#include <windows.h>

/* Most codes a frame is searched for; the time limit bounds the search anyway. */
#define MAX_CODES 8

static struct {
    CRITICAL_SECTION lock;   /* guards the fields below */
    CONDITION_VARIABLE wake;
    CRITICAL_SECTION output;
    HANDLE thread;
    int running, busy, stopping;
    unsigned char *frame;    /* the frame to scan, owned here */
    size_t frame_alloc;
    int width, height;
    unsigned seq;
    unsigned long time_ms;   /* when the frame came */
    dmtx_camera_report_t *report;
    int limit_ms;
} pass;

static INIT_ONCE pass_once = INIT_ONCE_STATIC_INIT;

static BOOL CALLBACK init_locks(PINIT_ONCE once, PVOID param, PVOID *context)
{
    (void)once, (void)param, (void)context;
    InitializeCriticalSection(&pass.lock);
    InitializeCriticalSection(&pass.output);
    InitializeConditionVariable(&pass.wake);
    return TRUE;
}

static void init(void)
{
    InitOnceExecuteOnce(&pass_once, init_locks, NULL, NULL);
}

void dmtx_camera_lock_output(void)
{
    init();
    EnterCriticalSection(&pass.output);
}

void dmtx_camera_unlock_output(void)
{
    LeaveCriticalSection(&pass.output);
}

static void scan_frame(const unsigned char *grey, int width, int height, unsigned seq,
                       unsigned long time_ms, dmtx_seen_t *seen)
{
    dmtx_code_t codes[MAX_CODES];
    int n = dmtx_scan_grey(grey, width, height, pass.limit_ms, codes, MAX_CODES);
    if(n <= 0)
        return;
    /* Codes that are to be printed move to the front, in the order found. */
    int fresh = 0;
    for(int i = 0; i < n; i++) {
        if(!dmtx_seen_report(seen, &codes[i], time_ms))
            continue;
        dmtx_code_t code = codes[i];
        codes[i] = codes[fresh];
        codes[fresh++] = code;
    }
    if(fresh) {
        dmtx_camera_lock_output();
        pass.report(codes, fresh, seq);
        dmtx_camera_unlock_output();
    }
    dmtx_codes_free(codes, n);
}

static DWORD WINAPI run(LPVOID param)
{
    (void)param;
    dmtx_seen_t *seen = dmtx_seen_create();
    unsigned char *grey = NULL;
    size_t grey_alloc = 0;
    EnterCriticalSection(&pass.lock);
    for(;;) {
        while(!pass.busy && !pass.stopping)
            SleepConditionVariableCS(&pass.wake, &pass.lock, INFINITE);
        if(pass.stopping)
            break;
        /* The frame is taken over, so the camera's thread never waits for a scan. */
        unsigned char *frame = pass.frame;
        size_t frame_alloc = pass.frame_alloc;
        pass.frame = grey;
        pass.frame_alloc = grey_alloc;
        grey = frame;
        grey_alloc = frame_alloc;
        int width = pass.width, height = pass.height;
        unsigned seq = pass.seq;
        unsigned long time_ms = pass.time_ms;
        LeaveCriticalSection(&pass.lock);

        if(seen)
            scan_frame(grey, width, height, seq, time_ms, seen);

        EnterCriticalSection(&pass.lock);
        pass.busy = 0;
    }
    LeaveCriticalSection(&pass.lock);
    free(grey);
    dmtx_seen_destroy(seen);
    return 0;
}

int dmtx_camera_start(dmtx_camera_report_t *report, int limit_ms)
{
    init();
    EnterCriticalSection(&pass.lock);
    int rc = 0;
    if(!pass.running) {
        pass.report = report;
        pass.limit_ms = limit_ms;
        pass.stopping = 0;
        pass.busy = 0;
        pass.thread = CreateThread(NULL, 0, run, NULL, 0, NULL);
        pass.running = pass.thread != NULL;
        rc = pass.running ? 0 : -1;
    }
    LeaveCriticalSection(&pass.lock);
    return rc;
}

int dmtx_camera_offer(const unsigned char *grey, int width, int height, unsigned seq)
{
    init();
    EnterCriticalSection(&pass.lock);
    int taken = 0;
    size_t size = (size_t)width * height;
    if(pass.running && !pass.busy && !pass.stopping && width > 0 && height > 0) {
        if(pass.frame_alloc < size) {
            free(pass.frame);
            pass.frame = malloc(size);
            pass.frame_alloc = pass.frame ? size : 0;
        }
        if(pass.frame) {
            memcpy(pass.frame, grey, size);
            pass.width = width;
            pass.height = height;
            pass.seq = seq;
            pass.time_ms = (unsigned long)GetTickCount64();
            pass.busy = 1;
            taken = 1;
            WakeConditionVariable(&pass.wake);
        }
    }
    LeaveCriticalSection(&pass.lock);
    return taken;
}

void dmtx_camera_stop(void)
{
    init();
    EnterCriticalSection(&pass.lock);
    HANDLE thread = pass.running ? pass.thread : NULL;
    pass.stopping = 1;
    WakeConditionVariable(&pass.wake);
    LeaveCriticalSection(&pass.lock);
    if(!thread)
        return;
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    EnterCriticalSection(&pass.lock);
    pass.running = 0;
    pass.thread = NULL;
    free(pass.frame);
    pass.frame = NULL;
    pass.frame_alloc = 0;
    LeaveCriticalSection(&pass.lock);
}
