#pragma once
// Delivery of a new camera code: typed, copied, listed and logged, as the options say.
#include "pipeline/ResultLine.h"

namespace tolvira {

class MainForm;

void Deliver(MainForm& form, const ResultLine& line);

}  // namespace tolvira
