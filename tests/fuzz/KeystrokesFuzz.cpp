// Whatever a code holds, typing it presses only its own characters: every key goes down and
// up again, no control character is typed, no surrogate is left alone, and the only virtual
// keys are the suffix and an Enter for each line break.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <vector>

#include "pipeline/AutoInput.h"
#include "engine/ResultLine.h"
#include "tests/fuzz/FuzzCheck.h"

namespace {

using tolvira::KeyInput;
using tolvira::fuzz::appendUtf8;
using tolvira::fuzz::check;

bool isHigh(uint16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool isLow(uint16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// Valid UTF-8 without its control characters (C1 ones are C2 80..C2 9F), TAB kept, each line
// break (CR LF, CR, LF) as one CR.
std::string printable(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b == '\r' || b == '\n') {
            if (b == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            out += '\r';
            continue;
        }
        if ((b < 0x20 && b != '\t') || b == 0x7F) continue;
        if (b == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
            ++i;
            continue;
        }
        out += text[i];
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const auto suffix = static_cast<tolvira::Suffix>(input.ConsumeIntegralInRange<int>(0, 2));
    const std::string text = input.ConsumeRemainingBytesAsString();

    const std::vector<KeyInput> keys = tolvira::keystrokesFor(text, suffix);
    check(keys.size() % 2 == 0, "an odd number of key events");
    const size_t suffixKeys = suffix == tolvira::Suffix::None ? 0 : 2;
    check(keys.size() >= suffixKeys, "the suffix is missing");

    std::string typed;  // the Unicode keys, as UTF-8
    for (size_t i = 0; i < keys.size(); i += 2) {
        const KeyInput& down = keys[i];
        const KeyInput& up = keys[i + 1];
        check(!down.up && up.up, "a key not pressed down then released");
        check(down.kind == up.kind && down.code == up.code, "a key released that was not pressed");
        const bool isSuffix = i + 2 == keys.size() && suffixKeys != 0;
        if (isSuffix) {
            const uint16_t expected =
                suffix == tolvira::Suffix::Enter ? tolvira::kVkReturn : tolvira::kVkTab;
            check(down.kind == KeyInput::Kind::VirtualKey && down.code == expected,
                  "the suffix is not the chosen key");
            continue;
        }
        if (down.kind == KeyInput::Kind::VirtualKey && down.code == tolvira::kVkReturn) {
            typed += '\r';  // a line break
            continue;
        }
        check(down.kind == KeyInput::Kind::Unicode, "a virtual key inside the text");
        const uint16_t unit = down.code;
        check(unit == '\t' || (unit >= 0x20 && unit != 0x7F && !(unit >= 0x80 && unit <= 0x9F)),
              "a control character is typed");
        check(!isLow(unit), "a low surrogate without its high one");
        if (isHigh(unit)) {
            check(i + 2 < keys.size() && keys[i + 2].kind == KeyInput::Kind::Unicode &&
                      isLow(keys[i + 2].code),
                  "a high surrogate without its low one");
            const uint16_t low = keys[i + 2].code;
            appendUtf8(typed, 0x10000 + ((char32_t{unit} - 0xD800) << 10) + (low - 0xDC00));
            i += 2;
            check(keys[i + 1].up && keys[i + 1].code == low, "a low surrogate not released");
            continue;
        }
        appendUtf8(typed, unit);
    }
    if (tolvira::isValidUtf8(text)) check(typed == printable(text), "typed text differs");

    // Paced typing presses the same keys, one character at a time.
    std::vector<KeyInput> joined;
    for (const tolvira::KeyPress& press : tolvira::unicodePresses(text, suffix)) {
        check(!press.empty(), "an empty key press");
        joined.insert(joined.end(), press.begin(), press.end());
    }
    check(joined == keys, "the presses are not the keystrokes");
    return 0;
}
