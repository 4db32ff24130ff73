// history.csv's reader on any bytes, and on records the log itself writes: every code written
// (split the input at NUL bytes) is read back the same, save one the log can't tell apart (an
// apostrophe the code had before a formula character).
#include <string>
#include <string_view>

#include "pipeline/Duplicates.h"
#include "pipeline/Gs1.h"
#include "pipeline/HistoryLog.h"
#include "tests/fuzz/FuzzCheck.h"

using tolvira::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const tolvira::SeenCodes anyBytes = tolvira::seenCodesFromHistory(input);
    check(anyBytes.size() <= input.size(), "more codes than bytes");

    // The GS1 form, on the same bytes: a bracketed form holds the same data, brackets added.
    if (const std::optional<std::string> bracketed = tolvira::gs1Bracketed(input)) {
        std::string plain;
        for (char c : *bracketed) {
            if (c != '(' && c != ')') plain += c;
        }
        std::string expected;
        for (char c : input) {
            if (c != '(' && c != ')' && c != tolvira::kGroupSeparator) expected += c;
        }
        check(plain == expected, "the bracketed form changed the data");
    }

    const tolvira::LocalTime time{2026, 12, 9, 10, 31, 5, 120};
    std::string csv = tolvira::kUtf8ByteOrderMark;
    std::vector<std::string_view> codes;
    for (size_t start = 0;;) {
        const size_t end = input.find('\0', start);
        codes.push_back(input.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    for (std::string_view code : codes) {
        csv += tolvira::csvField(tolvira::timeStamp(time)) + ",camera,QR-Code," +
               tolvira::csvField(code) + "\r\n";
    }
    const tolvira::SeenCodes seen = tolvira::seenCodesFromHistory(csv);
    for (std::string_view code : codes) {
        const bool ambiguous = code.size() >= 2 && code[0] == '\'' &&
                               std::string_view("=+-@\t\r").find(code[1]) != std::string_view::npos;
        if (!ambiguous) check(seen.check(code) == time, "a code the log wrote was not read back");
    }
    return 0;
}
