#pragma once
// Reading codes from a picture dropped on the list, through the image engine.
#include <functional>
#include <string>
#include <vector>

#include "pipeline/ResultLine.h"
#include "platform/Services.h"
#include "platform/Timer.h"

namespace tolvira {

class PictureReader {
  public:
    // ReadP is the reader's timer; keep lists and logs a picture's line.
    PictureReader(Services& sys, Timer& ReadP, std::function<void(const ResultLine&)> keep)
        : sys_(sys), ReadP_(ReadP), keep_(std::move(keep)) {}

    void drop(const std::vector<std::string>& files);  // CodeList
    void tick();                                       // ReadP

  private:
    Services& sys_;
    Timer& ReadP_;
    std::function<void(const ResultLine&)> keep_;
    // Drops whose engine start is still with the worker.
    int pendingDrops_ = 0;
};

}  // namespace tolvira
