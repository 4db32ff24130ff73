#include "engine/ResultLine.h"

#include <utility>

namespace tolvira {

ResultLine ResultLine::fromText(std::string text) {
    Bytes raw = text;
    return {std::move(text), std::move(raw)};
}

ResultLine ResultLine::fromBytes(Bytes raw, TextCodec& codec) {
    std::string text = isValidUtf8(raw) ? raw : codec.ansiToUtf8(raw);
    return {std::move(text), std::move(raw)};
}

std::optional<std::string_view> codeTextOf(std::string_view line) {
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos) return std::nullopt;
    return line.substr(colon + 1);
}

std::string withoutLineBreaks(std::string_view line) {
    std::string out;
    out.reserve(line.size());
    for (char c : line) {
        if (c != '\r' && c != '\n') out.push_back(c);
    }
    return out;
}

}  // namespace tolvira
