#include "pipeline/PictureReader.h"

#include <optional>

#include "engine/EngineLaunch.h"
#include "engine/ProcessCheck.h"

namespace tolvira {

namespace {

// The program folder's engine first, else the bare name for the usual search.
std::string imageEngine(Files& files, const std::string& folder) {
    const std::string local = inFolder(folder, kImageEngine);
    return files.exists(local) ? local : kImageEngine;
}

// Worker only: the engine that read them has been ended or has finished.
void removeCopies(Files& files, std::vector<PlainCopy>& copies) {
    for (const PlainCopy& copy : copies) files.removePlainCopy(copy);
    copies.clear();
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

ChildSpec imageEngineRun(Files& files, const std::string& folder, const std::string& picture) {
    return {imageEngine(files, folder),
            {"-D", "-q", kQrBytesUnchanged, kTryInverted, picture},
            inFolder(folder, kImageResultName)};
}

void PictureReader::drop(const std::vector<std::string>& files) {
    // Dragged text starts nothing and arms nothing, so an old result is never taken twice.
    if (files.empty()) return;
    const std::string folder = sys.env.programFolder;
    const std::string picture = files.front();
    // The engine reads its command line in the ANSI code page: a name outside it would reach it
    // garbled, so it gets a copy under a plain name instead.
    const bool plainNameNeeded = !sys.codec.fitsAnsi(picture);
    // Until this drop's engine has started, bar2.dat may still hold an earlier result.
    ++pendingDrops;
    sys.worker.run([&processes = sys.processes, &disk = sys.files, &children = sys.children, this,
                    folder, picture, plainNameNeeded] {
        // An earlier run still decoding is ended, so only this picture's result is taken.
        processes.endAll(kImageEngine);
        removeCopies(disk, copies);
        disk.removeEverywhere(folder, kImageResultName);
        ChildSpec engine = imageEngineRun(disk, folder, picture);
        if (plainNameNeeded) {
            if (const std::optional<PlainCopy> copy = disk.plainCopy(picture)) {
                engine.args.back() = copy->name;
                engine.workingFolder = copy->folder;
                copies.push_back(*copy);
            }
        }
        children.start(engine);
        return [this] {
            if (--pendingDrops == 0) ReadP.setEnabled(true);
        };
    });
}

void PictureReader::tick() {
    if (pendingDrops > 0 || IsProcessRunning(sys.processes, kImageEngine)) return;
    if (const auto bytes =
            firstLine(sys.files, inFolder(sys.env.programFolder, kImageResultName))) {
        const ResultLine line = ResultLine::fromBytes(*bytes, sys.codec);
        // Listed and logged only: a picture's code is not typed, copied or compared.
        if (!line.text.empty()) keep(line);
    }
    ReadP.setEnabled(false);
    sys.worker.run([&disk = sys.files, this] {
        removeCopies(disk, copies);
        return nullptr;
    });
}

}  // namespace tolvira
