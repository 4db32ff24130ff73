#include "engine/zbar/ZbarEngine.h"

#include <algorithm>
#include <cctype>

#include "engine/zbar/ZbarKinds.h"

namespace tolvira {

namespace {

constexpr size_t kLongestQuote = 80;

std::string_view trimmed(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

std::string_view lastLine(std::string_view text) {
    text = trimmed(text);
    const size_t end = text.find_last_of("\r\n");
    return end == std::string_view::npos ? text : trimmed(text.substr(end + 1));
}

bool mentions(std::string_view line, std::string_view words) {
    const auto same = [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) ==
               std::tolower(static_cast<unsigned char>(b));
    };
    return std::search(line.begin(), line.end(), words.begin(), words.end(), same) != line.end();
}

// Cut at a character's start, so a quoted line never ends in half a UTF-8 sequence.
std::string shortened(std::string_view line) {
    if (line.size() <= kLongestQuote) return std::string(line);
    size_t cut = kLongestQuote;
    while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) --cut;
    return std::string(line.substr(0, cut)) + "...";
}

// A kind switched off is not decoded at all, on every road.
void addKindSwitches(std::vector<std::string>& args, const Options& options) {
    for (std::string& s : zbarDisableSwitches(offKindsFromText(options.kindsOff))) {
        args.push_back(std::move(s));
    }
}

}  // namespace

std::string engineExitNotice(std::string_view errorOutput) {
    const std::string_view line = lastLine(errorOutput);
    if (line.empty()) return "[图像识别模块已退出]";
    if (mentions(line, "failed to connect to camera") || mentions(line, "no camera") ||
        mentions(line, "no video device"))
        return "[未找到摄像头，图像识别模块已退出]";
    return "[图像识别模块已退出：" + shortened(line) + "]";
}

Bytes unescapedLine(std::string_view line) {
    Bytes out;
    out.reserve(line.size());
    for (size_t i = 0; i < line.size(); ++i) {
        const char next = i + 1 < line.size() ? line[i + 1] : '\0';
        const char meant = next == 'r' ? '\r' : next == 'n' ? '\n' : next == '\\' ? '\\' : '\0';
        if (line[i] == '\\' && meant != '\0') {
            out.push_back(meant);
            ++i;
        } else {
            out.push_back(line[i]);
        }
    }
    return out;
}

std::vector<std::string> ZbarEngine::cameraArguments(const Options& options) const {
    std::vector<std::string> args{kQrBytesUnchanged, kTryInverted, kEscapeLineBreaks};
    if (!options.beep) args.push_back("-q");
    addKindSwitches(args, options);
    if (!options.camera.empty()) args.push_back(options.camera);
    return args;
}

std::vector<std::string> ZbarEngine::imageArguments(const std::string& picture,
                                                    const Options& options) const {
    std::vector<std::string> args{"-D", "-q", kQrBytesUnchanged, kTryInverted, kEscapeLineBreaks};
    addKindSwitches(args, options);
    args.push_back(picture);
    return args;
}

}  // namespace tolvira
