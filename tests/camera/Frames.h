#pragma once
// The virtual camera's pictures and frames, apart from DirectShow: what a step of the script
// shows, laid out on a frame of the negotiated size and packed in the negotiated format.
#include <cstdint>
#include <string>
#include <vector>

namespace tolvira::camera {

// A picture as 32-bit BGRX, rows top-down.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
};

enum class Format { YUY2, RGB24, RGB32, NV12, MJPG };

struct FrameType {
    Format format;
    int width;
    int height;
};

// The FOURCC a format is known by ("YUY2", ...), and the reverse; false for an unknown name.
const char* formatName(Format format);
bool formatFromName(const std::string& name, Format& format);
// 12, 16, 24 or 32 bits per pixel.
int bitsPerPixel(Format format);
// Bytes of one frame (MJPG: the uncompressed worst case).
size_t frameBytes(const FrameType& type);

// A white frame of the given size with the picture in its middle, scaled (nearest pixel, by a
// whole factor where it fits) to fill at most `fill` of the frame's width and height, never
// scaled up by more than `maxScale`. An empty picture gives a blank frame.
Picture compose(const Picture& picture, int width, int height, double fill, int maxScale);

// The frame packed as a webcam delivers it: RGB bottom-up, YUY2 and NV12 with BT.601 studio
// range. The frame's width and height must be even.
std::vector<uint8_t> pack(const Picture& frame, Format format);

// One step of the script: "show PATH MS", "short PATH MS" (the picture in a frame of the next
// smaller size than negotiated, as a faulty driver sends it), "long PATH MS" (one of the next
// larger size), "hold PATH NAME" (the picture until the file NAME exists), "blank MS",
// "wait NAME" (blank until the file NAME exists), "loop".
struct Step {
    enum Kind { Show, Short, Long, Blank, Wait, Loop, Hold } kind;
    std::string path;  // picture (Show, Short, Long, Hold) or file (Wait)
    int ms = 0;
    std::string until;  // Hold: the file that ends it
};

struct Script {
    std::string name = "Tolvira Virtual Camera";
    std::vector<Format> formats{Format::YUY2, Format::RGB24, Format::RGB32, Format::NV12};
    std::vector<std::pair<int, int>> sizes{{640, 480}, {1280, 720}, {1920, 1080}};
    int fps = 15;
    std::string devicePath;  // written beside the registration when not empty
    std::string log;         // file the camera notes its steps in, when not empty
    std::vector<Step> steps;
};

// Parses the script's text ("key=value" lines and step lines, "#" comments). On a bad line,
// returns false with the line's number and text in `error`.
bool parseScript(const std::string& text, Script& script, std::string& error);

// The size that a "short" or "long" step sends for a negotiated size: the next offered size
// below or above it; the negotiated one halved or doubled when there is none.
std::pair<int, int> otherSize(const Script& script, int width, int height, bool smaller);

}  // namespace tolvira::camera
