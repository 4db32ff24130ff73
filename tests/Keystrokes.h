#pragma once
// Keystroke batches as readable text, for comparing what was typed: every Unicode press as
// its character, Enter and Tab as <Enter> and <Tab>. Anything else shows up as a marker that
// no expected text holds: another virtual key, or a press without its release.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/Services.h"

namespace tolvira::test {

inline void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

inline std::string describeKeys(const std::vector<KeyInput>& keys) {
    std::string out;
    char16_t high = 0;  // the first half of a surrogate pair, until its second half comes
    for (size_t i = 0; i < keys.size(); i += 2) {
        const KeyInput& down = keys[i];
        if (down.up || i + 1 >= keys.size() ||
            keys[i + 1] != KeyInput{down.kind, down.code, true}) {
            return out + "<unpaired>";
        }
        if (down.kind == KeyInput::Kind::VirtualKey) {
            if (down.code == 0x0D) {
                out += "<Enter>";
            } else if (down.code == 0x09) {
                out += "<Tab>";
            } else {
                char name[16];
                std::snprintf(name, sizeof name, "<vk %02X>", down.code);
                out += name;
            }
            continue;
        }
        const char16_t unit = down.code;
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            high = unit;
        } else if (unit >= 0xDC00 && unit <= 0xDFFF && high) {
            appendUtf8(out, 0x10000 + ((char32_t(high) - 0xD800) << 10) + (unit - 0xDC00));
            high = 0;
        } else {
            appendUtf8(out, unit);
        }
    }
    return out;
}

inline std::vector<std::string> describeBatches(const std::vector<std::vector<KeyInput>>& batches) {
    std::vector<std::string> out;
    for (const auto& batch : batches) out.push_back(describeKeys(batch));
    return out;
}

}  // namespace tolvira::test
