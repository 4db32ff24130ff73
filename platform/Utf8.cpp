#include "platform/Utf8.h"

namespace tolvira {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

}  // namespace

Utf8Step decodeUtf8(std::string_view bytes) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) return {lead, 1, true};

    size_t length = 0;
    char32_t value = 0;
    unsigned char low = 0x80;   // the range of the second byte, which rules out overlong
    unsigned char high = 0xBF;  // forms, surrogates and values past U+10FFFF
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0F;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return {kReplacement, 1, false};
    }
    for (size_t i = 1; i < length; ++i) {
        if (i >= bytes.size()) return {kReplacement, i, false};
        const unsigned char next = byte(i);
        const bool fits = i == 1 ? (next >= low && next <= high) : (next >= 0x80 && next <= 0xBF);
        if (!fits) return {kReplacement, i, false};
        value = (value << 6) | (next & 0x3F);
    }
    return {value, length, true};
}

bool isValidUtf8(std::string_view bytes) {
    while (!bytes.empty()) {
        const Utf8Step step = decodeUtf8(bytes);
        if (!step.wellFormed) return false;
        bytes.remove_prefix(step.length);
    }
    return true;
}

}  // namespace tolvira
