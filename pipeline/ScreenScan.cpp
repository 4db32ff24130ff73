#include "pipeline/ScreenScan.h"

#include "engine/EngineMonitor.h"
#include "engine/ProcessCheck.h"
#include "pipeline/PictureReader.h"

namespace tolvira {

namespace {

// Every non-empty line of the finished engine's output; none when the file is missing.
std::vector<ResultLine> resultLines(Files& files, TextCodec& codec, const std::string& path) {
    std::vector<ResultLine> lines;
    const std::optional<FileInfo> info = files.info(path);
    const std::optional<Bytes> data = info ? files.read(path, 0, info->size) : std::nullopt;
    if (!data) return lines;
    size_t begin = 0;
    while (begin < data->size()) {
        const size_t end = std::min(data->find('\n', begin), data->size());
        Bytes raw = withoutLineBreaks(std::string_view(*data).substr(begin, end - begin));
        if (!raw.empty()) lines.push_back(ResultLine::fromBytes(std::move(raw), codec));
        begin = end + 1;
    }
    return lines;
}

}  // namespace

ScreenScan::ScreenScan(ScreenScanServices services, ScreenScanOutput output, Timer& wait,
                       std::function<bool()> pictureBusy)
    : sys_(std::move(services)),
      out_(std::move(output)),
      wait_(wait),
      pictureBusy_(std::move(pictureBusy)) {}

void ScreenScan::start() {
    if (busy_ || pictureBusy_()) return;
    busy_ = true;
    const int run = ++run_;
    std::vector<WindowId> aside;
    if (const WindowId video = findVideoWindow(sys_.windows, sys_.processes)) {
        aside.push_back(video);
    }
    sys_.screen.stepAside(aside);
    sys_.worker.run([this, run, &screen = sys_.screen] {
        std::optional<std::string> picture = screen.capture();
        return [this, run, picture] {
            sys_.screen.stepBack();
            captured(run, picture);
        };
    });
}

void ScreenScan::captured(int run, const std::optional<std::string>& picture) {
    if (run != run_) {
        if (picture) {
            sys_.worker.run([&screen = sys_.screen, picture = *picture] {
                screen.discard(picture);
                return [] {};
            });
        }
        return;
    }
    if (!picture) {
        busy_ = false;
        out_.list.insertTop(kScreenCaptureFailed);
        return;
    }
    picture_ = picture;
    sys_.worker.run([&processes = sys_.processes, &files = sys_.files, &children = sys_.children,
                     folder = sys_.programFolder, picture = *picture, this, run] {
        // As for a dropped picture: only this run's output is in bar2.dat.
        processes.endAll(kImageEngine);
        files.removeEverywhere(folder, kImageResultName);
        children.start(imageEngineRun(files, folder, picture));
        return [this, run] {
            if (run == run_) wait_.setEnabled(true);
        };
    });
}

void ScreenScan::tick() {
    if (IsProcessRunning(sys_.processes, kImageEngine)) return;
    wait_.setEnabled(false);
    const std::vector<ResultLine> lines =
        resultLines(sys_.files, sys_.codec, inFolder(sys_.programFolder, kImageResultName));
    discard(false);
    busy_ = false;
    finish(lines);
}

void ScreenScan::finish(const std::vector<ResultLine>& lines) {
    if (lines.empty()) {
        out_.list.insertTop(kScreenNothingFound);
        return;
    }
    // Listed so that the list reads in the engine's order, the first code on top.
    for (auto line = lines.rbegin(); line != lines.rend(); ++line) out_.list.insertTop(line->text);
    for (const ResultLine& line : lines) {
        out_.log.record(line);
        out_.history(line);
    }
    if (const auto code = codeTextOf(lines.front().text)) out_.copy(std::string(*code));
}

void ScreenScan::abandon() {
    if (!busy_) return;
    ++run_;
    busy_ = false;
    wait_.setEnabled(false);
    // The engine may still have the picture open, which would keep it from being deleted.
    discard(true);
}

void ScreenScan::discard(bool endEngineFirst) {
    if (!picture_) return;
    sys_.worker.run(
        [&processes = sys_.processes, &screen = sys_.screen, picture = *picture_, endEngineFirst] {
            if (endEngineFirst) processes.endAll(kImageEngine);
            screen.discard(picture);
            return [] {};
        });
    picture_.reset();
}

}  // namespace tolvira
