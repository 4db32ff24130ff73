#include "tests/camera/Frames.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace tolvira::camera {

namespace {

struct FormatInfo {
    Format format;
    const char* name;
    int bits;
};
constexpr FormatInfo kFormats[] = {{Format::YUY2, "YUY2", 16},
                                   {Format::RGB24, "RGB24", 24},
                                   {Format::RGB32, "RGB32", 32},
                                   {Format::NV12, "NV12", 12},
                                   {Format::MJPG, "MJPG", 24}};

const FormatInfo& info(Format format) {
    for (const auto& f : kFormats)
        if (f.format == format) return f;
    return kFormats[0];
}

uint8_t clamp8(int v) { return static_cast<uint8_t>(std::clamp(v, 0, 255)); }

// BT.601, studio range, integer form.
uint8_t lumaOf(uint32_t p) {
    const int b = p & 0xff, g = (p >> 8) & 0xff, r = (p >> 16) & 0xff;
    return clamp8(((66 * r + 129 * g + 25 * b + 128) >> 8) + 16);
}
uint8_t blueDiff(uint32_t p) {
    const int b = p & 0xff, g = (p >> 8) & 0xff, r = (p >> 16) & 0xff;
    return clamp8(((-38 * r - 74 * g + 112 * b + 128) >> 8) + 128);
}
uint8_t redDiff(uint32_t p) {
    const int b = p & 0xff, g = (p >> 8) & 0xff, r = (p >> 16) & 0xff;
    return clamp8(((112 * r - 94 * g - 18 * b + 128) >> 8) + 128);
}

bool parseSize(const std::string& text, std::pair<int, int>& size) {
    const auto x = text.find('x');
    if (x == std::string::npos) return false;
    const int w = std::atoi(text.substr(0, x).c_str()), h = std::atoi(text.substr(x + 1).c_str());
    if (w <= 0 || h <= 0 || w % 4 || h % 2) return false;
    size = {w, h};
    return true;
}

}  // namespace

const char* formatName(Format format) { return info(format).name; }

bool formatFromName(const std::string& name, Format& format) {
    for (const auto& f : kFormats)
        if (name == f.name) {
            format = f.format;
            return true;
        }
    return false;
}

int bitsPerPixel(Format format) { return info(format).bits; }

size_t frameBytes(const FrameType& type) {
    return static_cast<size_t>(type.width) * type.height * bitsPerPixel(type.format) / 8;
}

Picture compose(const Picture& picture, int width, int height, double fill, int maxScale) {
    Picture frame{width, height, std::vector<uint32_t>(static_cast<size_t>(width) * height, 0xffffff)};
    if (picture.width <= 0 || picture.height <= 0) return frame;
    double scale = std::min({fill * width / picture.width, fill * height / picture.height,
                             static_cast<double>(maxScale)});
    // Whole pixels per pixel where the picture fits: a fractional nearest-pixel scale would make
    // bars of one width unequal, which no lens does.
    if (scale >= 1) scale = std::floor(scale);
    const int w = std::max(1, static_cast<int>(picture.width * scale));
    const int h = std::max(1, static_cast<int>(picture.height * scale));
    const int left = (width - w) / 2, top = (height - h) / 2;
    for (int y = 0; y < h; ++y) {
        const int sy = std::min(picture.height - 1, static_cast<int>(y / scale));
        for (int x = 0; x < w; ++x) {
            const int sx = std::min(picture.width - 1, static_cast<int>(x / scale));
            frame.pixels[static_cast<size_t>(top + y) * width + left + x] =
                picture.pixels[static_cast<size_t>(sy) * picture.width + sx];
        }
    }
    return frame;
}

std::vector<uint8_t> pack(const Picture& frame, Format format) {
    const int w = frame.width, h = frame.height;
    std::vector<uint8_t> out(frameBytes({format, w, h}));
    auto at = [&](int x, int y) { return frame.pixels[static_cast<size_t>(y) * w + x]; };
    uint8_t* o = out.data();
    switch (format) {
        case Format::RGB32:
        case Format::RGB24:
        case Format::MJPG: {
            const int bytes = format == Format::RGB32 ? 4 : 3;
            for (int y = h - 1; y >= 0; --y)
                for (int x = 0; x < w; ++x) {
                    const uint32_t p = at(x, y);
                    *o++ = p & 0xff;
                    *o++ = (p >> 8) & 0xff;
                    *o++ = (p >> 16) & 0xff;
                    if (bytes == 4) *o++ = 0xff;
                }
            break;
        }
        case Format::YUY2:
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; x += 2) {
                    const uint32_t a = at(x, y), b = at(x + 1, y);
                    *o++ = lumaOf(a);
                    *o++ = blueDiff(a);
                    *o++ = lumaOf(b);
                    *o++ = redDiff(a);
                }
            break;
        case Format::NV12:
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) *o++ = lumaOf(at(x, y));
            for (int y = 0; y < h; y += 2)
                for (int x = 0; x < w; x += 2) {
                    *o++ = blueDiff(at(x, y));
                    *o++ = redDiff(at(x, y));
                }
            break;
    }
    return out;
}

bool parseScript(const std::string& text, Script& script, std::string& error) {
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    auto bad = [&] {
        error = "line " + std::to_string(number) + ": " + line;
        return false;
    };
    while (std::getline(lines, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        const auto eq = line.find('=');
        const auto blank = line.find(' ');
        if (eq != std::string::npos && (blank == std::string::npos || eq < blank)) {
            const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
            std::istringstream words(value);
            std::string word;
            if (key == "name") {
                script.name = value;
            } else if (key == "formats") {
                script.formats.clear();
                while (words >> word) {
                    Format f;
                    if (!formatFromName(word, f)) return bad();
                    script.formats.push_back(f);
                }
                if (script.formats.empty()) return bad();
            } else if (key == "sizes") {
                script.sizes.clear();
                while (words >> word) {
                    std::pair<int, int> size;
                    if (!parseSize(word, size)) return bad();
                    script.sizes.push_back(size);
                }
                if (script.sizes.empty()) return bad();
            } else if (key == "fps") {
                script.fps = std::atoi(value.c_str());
                if (script.fps <= 0 || script.fps > 120) return bad();
            } else if (key == "device_path") {
                script.devicePath = value;
            } else if (key == "log") {
                script.log = value;
            } else {
                return bad();
            }
            continue;
        }
        const std::string verb = line.substr(0, blank);
        const std::string rest = blank == std::string::npos ? "" : line.substr(blank + 1);
        Step step{Step::Loop, "", 0, ""};
        auto pathAndMs = [&](Step::Kind kind) {
            const auto last = rest.rfind(' ');
            if (last == std::string::npos) return false;
            step = {kind, rest.substr(0, last), std::atoi(rest.c_str() + last + 1), ""};
            return step.ms > 0;
        };
        if (verb == "show" || verb == "short" || verb == "long") {
            const auto kind = verb == "show" ? Step::Show : verb == "short" ? Step::Short : Step::Long;
            if (!pathAndMs(kind)) return bad();
        } else if (verb == "hold") {
            const auto last = rest.rfind(' ');
            if (last == std::string::npos || last == 0 || last + 1 == rest.size()) return bad();
            step = {Step::Hold, rest.substr(0, last), 0, rest.substr(last + 1)};
        } else if (verb == "blank") {
            step = {Step::Blank, "", std::atoi(rest.c_str()), ""};
            if (step.ms <= 0) return bad();
        } else if (verb == "wait") {
            if (rest.empty()) return bad();
            step = {Step::Wait, rest, 0, ""};
        } else if (verb != "loop" || !rest.empty()) {
            return bad();
        }
        script.steps.push_back(step);
    }
    return true;
}

std::pair<int, int> otherSize(const Script& script, int width, int height, bool smaller) {
    std::pair<int, int> best{0, 0};
    const long long area = static_cast<long long>(width) * height;
    for (const auto& s : script.sizes) {
        const long long a = static_cast<long long>(s.first) * s.second;
        const long long b = static_cast<long long>(best.first) * best.second;
        if (smaller ? (a < area && a > b) : (a > area && (b == 0 || a < b))) best = s;
    }
    if (best.first) return best;
    return smaller ? std::pair{width / 2 / 2 * 2, height / 2 / 2 * 2} : std::pair{width * 2, height * 2};
}

}  // namespace tolvira::camera
