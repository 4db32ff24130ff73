#include "pipeline/PictureReader.h"

#include <optional>

#include "engine/ProcessCheck.h"

namespace tolvira {

namespace {

constexpr const char* kImageEngine = "zbarimg.exe";
constexpr const char* kResultName = "bar2.dat";

// The program folder's engine first, else the bare name for the usual search.
std::string imageEngine(Files& files, const std::string& folder) {
    const std::string local = inFolder(folder, kImageEngine);
    return files.exists(local) ? local : kImageEngine;
}

// The first line of the finished engine's output, up to the first CR; nothing when the file
// is missing or can't be read.
std::optional<Bytes> firstLine(Files& files, const std::string& path) {
    const std::optional<FileInfo> info = files.info(path);
    if (!info) return std::nullopt;
    const std::optional<Bytes> data = files.read(path, 0, info->size);
    if (!data) return std::nullopt;
    return data->substr(0, data->find('\r'));
}

}  // namespace

void PictureReader::drop(const std::vector<std::string>& files) {
    // Dragged text starts nothing and arms nothing, so an old result is never taken twice.
    if (files.empty()) return;
    const std::string folder = sys.env.programFolder;
    const std::string picture = files.front();
    // Until this drop's engine has started, bar2.dat may still hold an earlier result.
    ++pendingDrops;
    sys.worker.run([&processes = sys.processes, &disk = sys.files, &children = sys.children, this,
                    folder, picture] {
        // An earlier run still decoding is ended, so only this picture's result is taken.
        processes.endAll(kImageEngine);
        disk.removeEverywhere(folder, kResultName);
        children.start(
            {imageEngine(disk, folder), {"-D", "-q", picture}, inFolder(folder, kResultName)});
        return [this] {
            if (--pendingDrops == 0) ReadP.setEnabled(true);
        };
    });
}

void PictureReader::tick() {
    if (pendingDrops > 0 || IsProcessRunning(sys.processes, kImageEngine)) return;
    if (const auto bytes = firstLine(sys.files, inFolder(sys.env.programFolder, kResultName))) {
        const ResultLine line = ResultLine::fromBytes(*bytes, sys.codec);
        // Listed and logged only: a picture's code is not typed, copied or compared.
        if (!line.text.empty()) keep(line);
    }
    ReadP.setEnabled(false);
}

}  // namespace tolvira
