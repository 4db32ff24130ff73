#pragma once
// Reading codes from a picture dropped on the list, through the image engine.
#include <string>
#include <vector>

namespace tolvira {

class MainForm;

void CodeListDrop(MainForm& form, const std::vector<std::string>& files);
void ReadPTick(MainForm& form);

}  // namespace tolvira
