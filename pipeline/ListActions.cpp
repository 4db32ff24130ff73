#include "pipeline/ListActions.h"

#include "app/MainForm.h"

namespace tolvira {

void CodeListDoubleClick(MainForm& /*form*/) {}

}  // namespace tolvira
