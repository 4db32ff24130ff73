#pragma once
// The operating-system services the logic needs, as small interfaces. The Win32 backend
// implements them with API calls; the fake backend with in-memory state. All text is UTF-8;
// Bytes are raw file contents. Processes, Children and Files may be used from the worker's
// thread as well as from the window's.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvira {

using Bytes = std::string;

struct ProcessEntry {
    uint32_t pid = 0;
    std::string exeName;  // file name with extension, as the process list shows it
};

struct EndResult {
    int ended = 0;
    int survived = 0;  // still running: could not be ended, or did not go in time
};

class Processes {
  public:
    virtual ~Processes() = default;
    // Every running process, or nothing when the list can't be read.
    virtual std::optional<std::vector<ProcessEntry>> list() = 0;
    // Ends every process with this executable name (letter case ignored) and waits, briefly,
    // until each has gone. Nothing is ended when the list can't be read. Slow: for the worker.
    virtual EndResult endAll(const std::string& exeName) = 0;
};

// A child process whose standard output goes to a file created afresh. No shell is involved:
// every argument reaches the child as one argument, however it is spelled.
struct ChildSpec {
    std::string exe;  // full path, or a bare name searched for in the usual places
    std::vector<std::string> args;
    std::string outputFile;       // full path; shareable for reading, writing and deletion
    std::string errorFile{};      // like outputFile, for standard error; empty: discarded
    std::string workingFolder{};  // empty: the program's own
    bool operator==(const ChildSpec&) const = default;
};

class Children {
  public:
    virtual ~Children() = default;
    // Starts without waiting for the child; false when the output file could not be made
    // afresh or the process could not be made. Slow: for the worker.
    virtual bool start(const ChildSpec& child) = 0;
};

struct FileInfo {
    uint64_t size = 0;
    // Changes when the file is deleted and made again, where the file system can tell (Wine
    // and some file systems reuse it).
    uint64_t identity = 0;
};

struct PlainCopy {
    std::string folder;  // full path
    std::string name;    // ASCII only
    bool operator==(const PlainCopy&) const = default;
};

class Files {
  public:
    virtual ~Files() = default;
    // An ordinary file (not a folder, not hidden or system), or nothing.
    virtual std::optional<FileInfo> info(const std::string& path) = 0;
    // Up to maxBytes from offset, the file opened without locking out its writer.
    virtual std::optional<Bytes> read(const std::string& path, uint64_t offset,
                                      size_t maxBytes) = 0;
    // Appends, creating the file when missing; the number of bytes that reached the file, all
    // of data unless the write failed.
    virtual size_t append(const std::string& path, const Bytes& data) = 0;
    virtual bool exists(const std::string& path) = 0;
    // Deletes one file; false when it is still there.
    virtual bool deleteFile(const std::string& path) = 0;
    // Deletes every file of this name in the folder and all its subfolders, read-only included.
    // Slow (a whole tree): for the worker.
    virtual void removeEverywhere(const std::string& folder, const std::string& name) = 0;
    // A copy of the file under a plain ASCII name in a new folder of the user's temporary
    // folder, or nothing; for a program that can't open the original's name. Slow: for the
    // worker.
    virtual std::optional<PlainCopy> plainCopy(const std::string& path) = 0;
    // Deletes such a copy and its folder.
    virtual void removePlainCopy(const PlainCopy& copy) = 0;
};

// Runs slow work away from the window's thread, so the window never stalls. Jobs run one at a
// time in the order given; each returns what is to follow on the window's thread, and those
// run in the same order. A job may use only Processes, Children, Files and ScreenCapture's
// capture() and discard().
class Worker {
  public:
    using Done = std::function<void()>;
    using Job = std::function<Done()>;
    virtual ~Worker() = default;
    virtual void run(Job job) = 0;
};

enum class Hive { CurrentUser, LocalMachine };

struct RegistryValue {
    // Text is a plain string value (REG_SZ); OtherText a string value of another type
    // (expandable, left unexpanded, or multi-string), its text as stored.
    enum class Status { Absent, Text, OtherText, OtherType, Failed };
    Status status = Status::Absent;
    std::string text;
};

class Registry {
  public:
    virtual ~Registry() = default;
    virtual RegistryValue get(Hive hive, const std::string& key, const std::string& name) = 0;
    // Writes a string value, creating the key when needed.
    virtual bool set(Hive hive, const std::string& key, const std::string& name,
                     const std::string& text) = 0;
    // Fails when the value does not exist.
    virtual bool remove(Hive hive, const std::string& key, const std::string& name) = 0;
};

inline constexpr uint32_t kUnicodeTextFormat = 13;  // CF_UNICODETEXT

// Everything the clipboard held, format by format, so it can be put back after a paste.
struct ClipboardContents {
    struct Item {
        uint32_t format = 0;
        Bytes data;
        bool operator==(const Item&) const = default;
    };
    std::vector<Item> items;  // empty: the clipboard was empty
    bool operator==(const ClipboardContents&) const = default;
};

// A save of what the clipboard holds. Reading can take a while: the program that copied may
// render its data only when asked.
struct ClipboardSave {
    enum class Status { Saved, Reading, Unreadable };
    Status status = Status::Unreadable;
    ClipboardContents contents;  // when Saved
};

class Clipboard {
  public:
    virtual ~Clipboard() = default;
    virtual bool clear() = 0;
    virtual bool setText(const std::string& text) = 0;
    // Never waits long: Reading means ask again later; Unreadable, that it can't be saved now
    // (another program holds it, or it holds too much to keep).
    virtual ClipboardSave save() = 0;
    virtual bool restore(const ClipboardContents& contents) = 0;
    // Changes whenever anyone changes the clipboard.
    virtual uint32_t changeCount() = 0;
};

struct KeyInput {
    enum class Kind { Unicode, VirtualKey };
    Kind kind = Kind::Unicode;
    uint16_t code = 0;  // a UTF-16 unit, or a virtual-key code
    bool up = false;
    bool operator==(const KeyInput&) const = default;
};

// How a window's keyboard layout makes a character: its virtual key and the shift state, as
// VkKeyScanEx reports them (bit 0 Shift, bit 1 Ctrl, bit 2 Alt, higher bits other states).
struct LayoutKey {
    uint16_t virtualKey = 0;
    uint8_t shiftState = 0;
    bool operator==(const LayoutKey&) const = default;
};

using WindowId = uintptr_t;  // 0: no window

// The keys, and the window they go to: the foreground window.
class Keyboard {
  public:
    virtual ~Keyboard() = default;
    // One batch, handed to the system without waiting for the target.
    virtual bool send(const std::vector<KeyInput>& keys) = 0;
    // Whether the user holds Shift, Ctrl, Alt or a Windows key down right now.
    virtual bool modifierHeld() = 0;
    // The window that takes the keys now; 0 when there is none.
    virtual WindowId foreground() = 0;
    // Whether the window is one of this program's own.
    virtual bool isOwnWindow(WindowId window) = 0;
    virtual bool windowExists(WindowId window) = 0;
    // The key of the target's layout that makes exactly this UTF-16 unit with Caps Lock as it
    // is now; nothing when no key does, or only a dead key, or Caps Lock changes what it makes.
    virtual std::optional<LayoutKey> layoutKey(WindowId target, char16_t unit) = 0;
    // Sends the target a message that comes back once its thread has handled what was queued
    // before it (WM_NULL); roundTripDone tells when the last one has come back.
    virtual void startRoundTrip(WindowId target) = 0;
    virtual bool roundTripDone() = 0;
};

// The local time of day, to the millisecond.
struct LocalTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
    bool operator==(const LocalTime&) const = default;
};

class Clock {
  public:
    virtual ~Clock() = default;
    // Milliseconds from an arbitrary start, never going back.
    virtual int64_t steadyMs() = 0;
    virtual LocalTime localTime() = 0;
};

// Ticks on the window's thread, one per interval while enabled. Its owner starts and stops it.
class Ticker {
  public:
    virtual ~Ticker() = default;
    virtual bool enabled() const = 0;
    // Enabling starts the countdown afresh.
    virtual void setEnabled(bool enabled) = 0;
    virtual int interval() const = 0;
    // A running ticker starts its countdown again with the new interval.
    virtual void setInterval(int intervalMs) = 0;
};

class Timing {
  public:
    virtual ~Timing() = default;
    // A new ticker, stopped; the name says its job (the window's timers are known by it).
    virtual std::unique_ptr<Ticker> ticker(std::string name, int intervalMs,
                                           std::function<void()> onTick) = 0;
};

struct TitledWindow {
    WindowId window = 0;
    uint32_t pid = 0;  // of the process that made it
    bool operator==(const TitledWindow&) const = default;
};

class OtherWindows {
  public:
    virtual ~OtherWindows() = default;
    // Every top-level window titled exactly `title`, whichever program it belongs to.
    virtual std::vector<TitledWindow> titled(const std::string& title) = 0;
    virtual void removeCloseCommand(WindowId window) = 0;
    // Topmost, position and size kept, and shown or hidden.
    virtual void placeTopmost(WindowId window, bool show) = 0;
    // The process that made the window; 0 when it is gone.
    virtual uint32_t processOf(WindowId window) = 0;
};

// A key with its modifiers, as RegisterHotKey takes them.
struct KeyChord {
    enum Modifier : uint32_t { Alt = 1, Ctrl = 2, Shift = 4, Win = 8 };
    uint32_t modifiers = 0;   // Modifier bits
    uint16_t virtualKey = 0;  // a letter, a digit or a function key
    bool operator==(const KeyChord&) const = default;
};

// One system-wide key that reaches the window even while it is hidden.
class HotKey {
  public:
    virtual ~HotKey() = default;
    // Replaces the key held so far; false when the system refuses it (another program holds it).
    virtual bool claim(const KeyChord& chord) = 0;
    virtual void release() = 0;
};

// A picture of the whole virtual screen (every monitor) at physical pixels, for the image
// engine, without this program's window and the windows stepped aside.
class ScreenCapture {
  public:
    virtual ~ScreenCapture() = default;
    // Window thread: takes this program's window and `others` out of the next capture, without
    // activating anything.
    virtual void stepAside(const std::vector<WindowId>& others) = 0;
    // Worker: once nothing stepped aside shows any more, captures the screen into a new picture
    // file outside the program folder; its path, or nothing when it could not be made.
    virtual std::optional<std::string> capture() = 0;
    // Window thread: puts back what stepAside took away.
    virtual void stepBack() = 0;
    // Worker: deletes a picture capture() made.
    virtual void discard(const std::string& picture) = 0;
};

// The program's own main window.
class FormWindow {
  public:
    virtual ~FormWindow() = default;
    virtual void show() = 0;
    virtual void hide() = 0;
    virtual void restoreAndActivate() = 0;
    virtual void setSize(int widthTwips, int heightTwips) = 0;
    virtual void setColourKey(uint32_t colorref) = 0;
    virtual void setTopmost(bool topmost) = 0;
    // Hands the mouse to the system's move loop, as a press on a caption bar would.
    virtual void beginDrag() = 0;
};

class TrayIcon {
  public:
    virtual ~TrayIcon() = default;
    virtual bool add() = 0;
    virtual bool remove() = 0;
};

class Dialogs {
  public:
    virtual ~Dialogs() = default;
    // Modal, OK only, no icon, caption "Tolvira".
    virtual void message(const std::string& text) = 0;
    // The system's warning sound, unlike the engine's read beep.
    virtual void warn() = 0;
};

class Lifecycle {
  public:
    virtual ~Lifecycle() = default;
    // Claims the single-instance name; false when another instance holds it.
    virtual bool claimSingleInstance() = 0;
    // Ends the process at once; no further event runs.
    virtual void quit() = 0;
    // Holds the thread for ms, handling nothing: only for the last moments before quit().
    virtual void pause(int ms) = 0;
};

class TextCodec {
  public:
    virtual ~TextCodec() = default;
    virtual std::string ansiToUtf8(const Bytes& bytes) = 0;
    // Whether every character has its own place in the ANSI code page, so a program that
    // reads its command line in that code page gets this text unchanged.
    virtual bool fitsAnsi(const std::string& text) = 0;
};

// The system's cameras, by the names the user knows them by.
class Cameras {
  public:
    virtual ~Cameras() = default;
    // The names in the order the camera engine numbers the devices: the name at index N is
    // camera N. Empty when there is none or the list cannot be had.
    virtual std::vector<std::string> names() = 0;
};

struct Environment {
    std::string programFolder;  // no trailing backslash except at a drive root
    std::string exeName;        // file name without folder and extension
    std::string arguments;      // the whole text after the executable's name
    int versionMajor = 0;
    int versionMinor = 0;
};

struct Services {
    Environment env;
    Processes& processes;
    Children& children;
    Files& files;
    Registry& registry;
    Clipboard& clipboard;
    Keyboard& keyboard;
    OtherWindows& windows;
    FormWindow& window;
    TrayIcon& tray;
    Dialogs& dialogs;
    Lifecycle& lifecycle;
    TextCodec& codec;
    Worker& worker;
    Clock& clock;
    Timing& timing;
    HotKey& hotKey;
    ScreenCapture& screen;
    Cameras& cameras;
};

// `name` in `folder`, with one backslash between them.
std::string inFolder(const std::string& folder, const std::string& name);

// The one comparison of names (of programs, files, setting words) that ignores letter case:
// only ASCII letters have a case here.
bool sameNameIgnoringCase(std::string_view a, std::string_view b);

}  // namespace tolvira
