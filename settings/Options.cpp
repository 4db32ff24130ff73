#include "settings/Options.h"

#include <algorithm>

namespace tolvira {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Code points of UTF-8 text: every byte that does not continue a sequence starts one.
size_t characterCount(std::string_view text) {
    return static_cast<size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

}  // namespace

std::optional<int> wholeNumberIn(std::string_view text, int low, int high) {
    // Short enough that no digit string can overflow before the range test.
    if (text.empty() || text.size() > 9 || !std::all_of(text.begin(), text.end(), isDigit)) {
        return std::nullopt;
    }
    int value = 0;
    for (char c : text) value = value * 10 + (c - '0');
    if (value < low || value > high) return std::nullopt;
    return value;
}

std::optional<TypeMode> typeModeFromText(std::string_view text) {
    const std::optional<int> mode = wholeNumberIn(text, 0, 2);
    if (!mode) return std::nullopt;
    return static_cast<TypeMode>(*mode);
}

std::optional<std::string> affixFromText(std::string_view text) {
    if (characterCount(text) > kMaxAffixCharacters) return std::nullopt;
    return std::string(text);
}

std::optional<std::string> cameraFromText(std::string_view text) {
    if (!text.empty() && (text.size() != 1 || !isDigit(text.front()))) return std::nullopt;
    return std::string(text);
}

std::optional<bool> switchFromText(std::string_view text) {
    if (text == "1") return true;
    if (text == "0") return false;
    return std::nullopt;
}

}  // namespace tolvira
