#include "pipeline/PictureReader.h"

#include "app/MainForm.h"

namespace tolvira {

void CodeListDrop(MainForm& /*form*/, const std::vector<std::string>& /*files*/) {}

void ReadPTick(MainForm& /*form*/) {}

}  // namespace tolvira
