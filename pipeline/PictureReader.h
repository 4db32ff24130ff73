#pragma once
// Reading the code of a picture dropped on the list, through the image engine.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "pipeline/ImageRun.h"

namespace tolvira {

class PictureReader {
  public:
    // `read`: the picture's result line.
    PictureReader(Services& sys, ImageRun& run, std::function<void(const ResultLine&)> read);

    void drop(const std::vector<std::string>& files);
    // A dropped picture is still being read: its engine start is still with the worker, or
    // the engine's end is being waited for.
    bool busy() const { return pendingDrops_ > 0 || ReadP_->enabled(); }

  private:
    void ReadPTick();

    Services& sys_;
    ImageRun& run_;
    std::function<void(const ResultLine&)> read_;
    int pendingDrops_ = 0;  // drops whose engine start is still with the worker
    std::unique_ptr<Ticker> ReadP_;
};

}  // namespace tolvira
