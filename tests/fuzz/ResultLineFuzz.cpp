// Result-line parsing on any bytes. The UTF-8 test is held against the typing path's own
// decoder: a text is valid exactly when decoding it and encoding it again gives it back.
#include <string>
#include <string_view>

#include "pipeline/AutoInput.h"
#include "engine/ResultLine.h"
#include "engine/zbar/ZbarEngine.h"
#include "platform/fake/FakePlatform.h"
#include "tests/fuzz/FuzzCheck.h"

namespace {

using tolvira::fuzz::appendUtf8;
using tolvira::fuzz::check;

std::string utf8FromUtf16(std::u16string_view units) {
    std::string out;
    for (size_t i = 0; i < units.size(); ++i) {
        char32_t cp = units[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (units[++i] - 0xDC00);
        }
        appendUtf8(out, cp);
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    const bool valid = tolvira::isValidUtf8(bytes);
    const bool roundTrips = utf8FromUtf16(tolvira::utf16FromUtf8(bytes)) == bytes;
    check(valid == roundTrips, "isValidUtf8 disagrees with the typing decoder");

    tolvira::fake::FakeCodec codec;
    const tolvira::ResultLine line = tolvira::ResultLine::fromBytes(bytes, codec);
    check(line.raw == bytes, "raw bytes are not the code's bytes");
    check(line.text.find_first_of("\r\n") == std::string::npos ||
              bytes.find_first_of("\r\n") != std::string::npos,
          "a line break in the text the bytes do not hold");
    // The engine's framing: any bytes, escaped as the tools write them, come back whole.
    std::string escaped;
    for (char c : bytes) {
        escaped += c == '\r' ? "\\r" : c == '\n' ? "\\n" : c == '\\' ? "\\\\" : std::string(1, c);
    }
    check(tolvira::resultLine(tolvira::ZbarEngine(), escaped + "\r\n", codec).raw == bytes,
          "an escaped line does not give the code's bytes back");
    check(tolvira::isValidUtf8(line.text), "decoded text is not UTF-8");
    if (tolvira::isValidUtf8(line.raw)) check(line.text == line.raw, "valid UTF-8 was re-decoded");

    const std::optional<std::string_view> code = tolvira::codeTextOf(bytes);
    const size_t colon = bytes.find(':');
    check(code.has_value() == (colon != std::string::npos), "code text without a colon");
    if (code) {
        check(code->data() == bytes.data() + colon + 1,
              "code text does not follow the first colon");
        check(code->size() == bytes.size() - colon - 1, "code text is not the rest of the line");
    }
    return 0;
}
