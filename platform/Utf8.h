#pragma once
// The one reading of UTF-8, for typing a code and for telling UTF-8 engine output from ANSI.
#include <cstddef>
#include <string_view>

namespace tolvira {

struct Utf8Step {
    char32_t codePoint;  // U+FFFD for an ill-formed sequence
    size_t length;       // bytes consumed
    bool wellFormed;
};

// One code point at the start of bytes (not empty). An ill-formed sequence consumes its
// longest well-formed beginning, or one byte. Overlong forms, surrogates and values past
// U+10FFFF are ill-formed.
Utf8Step decodeUtf8(std::string_view bytes);

bool isValidUtf8(std::string_view bytes);

}  // namespace tolvira
