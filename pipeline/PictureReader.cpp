#include "pipeline/PictureReader.h"

#include <optional>

namespace tolvira {

PictureReader::PictureReader(Services& sys, ImageRun& run,
                             std::function<void(const ResultLine&)> read)
    : sys_(sys),
      run_(run),
      read_(std::move(read)),
      ReadP_(sys.timing.ticker("ReadP", 1500, [this] { ReadPTick(); })) {}

void PictureReader::drop(const std::vector<std::string>& files) {
    // Dragged text starts nothing and arms nothing, so an old result is never taken twice.
    if (files.empty()) return;
    const ImageRun::Request request = run_.request(files.front());
    // Until this drop's engine has started, the result file may still hold an earlier result.
    ++pendingDrops_;
    sys_.worker.run([this, request] {
        run_.start(request);
        return [this] {
            if (--pendingDrops_ == 0) ReadP_->setEnabled(true);
        };
    });
}

void PictureReader::ReadPTick() {
    if (pendingDrops_ > 0 || run_.running()) return;
    // Listed and logged only: a picture's code is not typed, copied or compared.
    if (const std::optional<ResultLine> line = run_.firstLine(); line && !line->text.empty()) {
        read_(*line);
    }
    ReadP_->setEnabled(false);
    sys_.worker.run([this] {
        run_.removeCopies();
        return nullptr;
    });
}

}  // namespace tolvira
