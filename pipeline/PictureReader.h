#pragma once
// Reading codes from a picture dropped on the list, through the image engine.
#include <string>
#include <vector>

#include "platform/Services.h"

namespace tolvira {

class MainForm;

inline constexpr const char* kImageEngine = "zbarimg.exe";
inline constexpr const char* kImageResultName = "bar2.dat";

// A run of the image engine on a picture, its output in bar2.dat in the program folder.
ChildSpec imageEngineRun(Files& files, const std::string& folder, const std::string& picture);

void CodeListDrop(MainForm& form, const std::vector<std::string>& files);
void ReadPTick(MainForm& form);

}  // namespace tolvira
