#pragma once
// GS1 element strings (GS1-128, GS1 DataBar, GS1 QR and DataMatrix) typed so a keyboard can
// type them. ZBar gives the element string with no leading FNC1 (it only marks the symbol as
// GS1: modifiers='GS1' in its XML) and a GS (0x1D) for each FNC1 that ends a variable-length
// field; a trailing FNC1 is dropped. libdmtx, asked to give FNC1 as GS, gives the leading one
// too: a GS that begins the code is that marker, not a separator. GS is no key, so it is shown
// in brackets or replaced.
#include <optional>
#include <string>
#include <string_view>

#include "settings/Options.h"

namespace tolvira {

inline constexpr char kGroupSeparator = '\x1D';

struct Gs1Output {
    Gs1Style style = Gs1Style::Unchanged;
    std::string separator;  // for Replaced: "", " ", "\t", "<GS>" or any text
};

// The element string in brackets, every application identifier checked against the table of
// AIs and its data against the AI's length and characters; nothing when it is not valid GS1.
std::optional<std::string> gs1Bracketed(std::string_view elementString);

// The code as it is to be typed. `markedGs1`: the engine marked the symbol GS1. The bracketed
// form is tried for a marked code or one holding a GS; a code that is not valid GS1 comes back
// unchanged. Replaced applies to any code holding a GS; a leading marker is dropped.
std::string gs1Typed(std::string_view code, bool markedGs1, const Gs1Output& output);

}  // namespace tolvira
