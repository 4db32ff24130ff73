#include "settings/SettingConversions.h"

#include <algorithm>
#include <cctype>

namespace tolvira {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Whether a whole decimal number is non-zero; nothing when the text is no such number. Only the
// zero test matters, so a number of any length is taken.
std::optional<bool> nonZeroNumber(std::string_view text) {
    text = trimBlanks(text);
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) text.remove_prefix(1);
    if (text.empty() || !std::all_of(text.begin(), text.end(), isDigit)) return std::nullopt;
    return text.find_first_not_of('0') != std::string_view::npos;
}

// Code points of UTF-8 text: every byte that does not continue a sequence starts one.
size_t characterCount(std::string_view text) {
    return static_cast<size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

}  // namespace

std::optional<int> checkStateFromText(std::string_view text) {
    const std::optional<bool> nonZero = nonZeroNumber(text);
    if (!nonZero) return std::nullopt;
    return *nonZero ? 1 : 0;
}

std::optional<bool> optionStateFromText(std::string_view text) {
    const std::string_view word = trimBlanks(text);
    if (sameNameIgnoringCase(word, "True")) return true;
    if (sameNameIgnoringCase(word, "False")) return false;
    return nonZeroNumber(word);
}

std::optional<std::string> storedText(const RegistryValue& value, std::string_view fallback) {
    switch (value.status) {
        case RegistryValue::Status::Absent:
            return std::string(fallback);
        case RegistryValue::Status::Text:
            return value.text;
        case RegistryValue::Status::OtherText:
        case RegistryValue::Status::OtherType:
        case RegistryValue::Status::Failed:
            return std::nullopt;
    }
    return std::nullopt;
}

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
