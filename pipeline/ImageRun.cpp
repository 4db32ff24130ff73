#include "pipeline/ImageRun.h"

#include <algorithm>

#include "engine/ProcessCheck.h"

namespace tolvira {

void ImageRun::start(const Request& request) {
    const std::string& picture = request.picture;
    end();
    removeCopies();
    const std::string folder = sys_.env.programFolder;
    sys_.files.removeEverywhere(folder, engine_.imageResults());
    ChildSpec run = imageRun(engine_, sys_.files, folder, picture, request.options);
    if (request.plainName) {
        if (const std::optional<PlainCopy> copy = sys_.files.plainCopy(picture)) {
            run.args.back() = copy->name;
            run.workingFolder = copy->folder;
            copies_.push_back(*copy);
        }
    }
    sys_.children.start(run);
}

void ImageRun::removeCopies() {
    for (const PlainCopy& copy : copies_) sys_.files.removePlainCopy(copy);
    copies_.clear();
}

bool ImageRun::running() {
    return IsProcessRunning(sys_.processes, engine_.imageProgram());
}

std::optional<Bytes> ImageRun::output() {
    const std::string path = inFolder(sys_.env.programFolder, engine_.imageResults());
    const std::optional<FileInfo> info = sys_.files.info(path);
    return info ? sys_.files.read(path, 0, info->size) : std::nullopt;
}

std::optional<ResultLine> ImageRun::firstLine() {
    const std::optional<Bytes> data = output();
    if (!data) return std::nullopt;
    return resultLine(engine_, std::string_view(*data).substr(0, data->find('\r')), sys_.codec);
}

std::vector<ResultLine> ImageRun::allLines() {
    std::vector<ResultLine> lines;
    const std::optional<Bytes> data = output();
    if (!data) return lines;
    size_t begin = 0;
    while (begin < data->size()) {
        const size_t end = std::min(data->find('\n', begin), data->size());
        const Bytes line = withoutLineBreaks(std::string_view(*data).substr(begin, end - begin));
        if (!line.empty()) lines.push_back(resultLine(engine_, line, sys_.codec));
        begin = end + 1;
    }
    return lines;
}

}  // namespace tolvira
