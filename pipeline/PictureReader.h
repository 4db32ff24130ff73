#pragma once
// Reading codes from a picture dropped on the list, through the image engine.
#include <functional>
#include <string>
#include <vector>

#include "pipeline/ResultLine.h"
#include "platform/Timer.h"

namespace tolvira {

struct PictureReader {
    Services& sys;
    Timer& ReadP;
    std::function<void(const ResultLine&)> keep;  // lists and logs a picture's line
    int pendingDrops = 0;  // drops whose engine start is still with the worker

    void drop(const std::vector<std::string>& files);  // CodeList
    void tick();                                       // ReadP
};

}  // namespace tolvira
