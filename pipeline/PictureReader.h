#pragma once
// Reading codes from a picture dropped on the list, through the image engine.
#include <functional>
#include <string>
#include <vector>

#include "pipeline/ResultLine.h"
#include "platform/Services.h"
#include "platform/Timer.h"

namespace tolvira {

inline constexpr const char* kImageEngine = "zbarimg.exe";
inline constexpr const char* kImageResultName = "bar2.dat";

// A run of the image engine on a picture, its output in bar2.dat in the program folder.
ChildSpec imageEngineRun(Files& files, const std::string& folder, const std::string& picture);

struct PictureReader {
    Services& sys;
    Timer& ReadP;
    std::function<void(const ResultLine&)> keep;  // lists and logs a picture's line
    int pendingDrops = 0;  // drops whose engine start is still with the worker
    // Plain-named copies of dropped pictures the engine reads; worker jobs only, which run one
    // at a time.
    std::vector<PlainCopy> copies = {};

    void drop(const std::vector<std::string>& files);  // CodeList
    void tick();                                       // ReadP
};

}  // namespace tolvira
