#include "engine/EngineExit.h"

#include "platform/Utf8.h"

namespace tolvira {

// Only the end of the engine's error output is read: its last line is what is told.
void EngineExitReport::engineGone() {
    if (!watch.reportGone(sys.clock.steadyMs())) return;
    constexpr size_t kTail = 4096;
    const std::string path = inFolder(sys.env.programFolder, engine.cameraErrors());
    const uint64_t size = sys.files.info(path).value_or(FileInfo{}).size;
    const uint64_t from = size > kTail ? size - kTail : 0;
    const Bytes errors = sys.files.read(path, from, kTail).value_or(Bytes{});
    // The engine's own text: UTF-8 where it is, else the ANSI code page.
    reports.list(engine.exitNotice(isValidUtf8(errors) ? errors : sys.codec.ansiToUtf8(errors)));
}

bool EngineExitWatch::reportGone(int64_t nowMs) {
    if (!launchedAtMs_ || reported_ || nowMs - *launchedAtMs_ > kWindowMs) return false;
    reported_ = true;
    return true;
}

}  // namespace tolvira
