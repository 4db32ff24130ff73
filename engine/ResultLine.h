#pragma once
// One result of the engine: a symbology name, a colon, then the code text, which may hold line
// breaks. The text is decoded for display and comparison; the bytes are kept for the log.
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Utf8.h"
#include "platform/Services.h"

namespace tolvira {

struct ResultLine {
    std::string text;  // UTF-8
    Bytes raw;         // as the engine meant them, the code's line breaks included

    static ResultLine fromText(std::string text);
    // Decodes engine bytes: UTF-8 where valid, the ANSI code page otherwise.
    static ResultLine fromBytes(Bytes raw, TextCodec& codec);
    bool operator==(const ResultLine&) const = default;
};

// Everything after the first colon, later colons included; nothing for a line without one.
std::optional<std::string_view> codeTextOf(std::string_view line);

// A diagnostic note for the hidden list delist.
using Note = std::function<void(const std::string&)>;

// The text with every CR and LF removed: for a result file's line, whose framing holds none.
std::string withoutLineBreaks(std::string_view line);

}  // namespace tolvira
