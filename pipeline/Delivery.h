#pragma once
// Delivery of a new camera code: typed, copied, listed and logged, as the options say.
#include <cstddef>

#include "pipeline/ResultLine.h"

namespace tolvira {

class MainForm;

// Longer codes are listed and logged but not typed: no symbology holds that much, and
// millions of key events would tie up the system's input.
inline constexpr size_t kMaxTypedCodeBytes = 8 * 1024;

void Deliver(MainForm& form, const ResultLine& line);

}  // namespace tolvira
