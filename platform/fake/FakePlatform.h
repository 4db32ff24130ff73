#pragma once
// An in-memory backend with a virtual clock, for driving MainForm in tests: every service
// records what was asked of it and can be told to fail.
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/Services.h"

namespace tolvira::fake {

// Fires the tickers made from it in time order as the test advances the clock; the local time
// starts at 2026-12-08 14:00:00.000 and follows the virtual time (within that day).
class FakeClock : public Clock, public Timing {
  public:
    FakeClock() = default;
    FakeClock(const FakeClock&) = delete;
    FakeClock& operator=(const FakeClock&) = delete;
    int64_t steadyMs() override { return now_; }
    LocalTime localTime() override;
    std::unique_ptr<Ticker> ticker(std::string name, int intervalMs,
                                   std::function<void()> onTick) override;
    // Moves time on by ms, firing every tick that falls due on the way.
    void advance(int64_t ms);
    int64_t now() const { return now_; }
    // The live ticker of that name; the test fails when there is none.
    const Ticker& timer(const std::string& name) const;
    // Ticks it now, as a due tick would (nothing while it is stopped).
    void fire(const std::string& name);
    // Stops it, as its owner would.
    void stop(const std::string& name);

  private:
    class FakeTicker;
    FakeTicker* find(const std::string& name) const;
    std::vector<FakeTicker*> tickers_;  // in the order they were made
    int64_t now_ = 0;
};

class FakeProcesses : public Processes {
  public:
    std::optional<std::vector<ProcessEntry>> list() override;
    EndResult endAll(const std::string& exeName) override;
    uint32_t add(const std::string& exeName);
    // The process ends by itself (or another program ends it).
    void end(uint32_t pid);
    bool running(const std::string& exeName) const;
    std::vector<ProcessEntry> processes;
    bool listFails = false;
    std::vector<uint32_t> unkillable;
    std::vector<uint32_t> terminated;  // by endAll, in order

  private:
    uint32_t nextPid_ = 100;
};

class FakeFiles : public Files {
  public:
    std::optional<FileInfo> info(const std::string& path) override;
    std::optional<Bytes> read(const std::string& path, uint64_t offset, size_t maxBytes) override;
    size_t append(const std::string& path, const Bytes& data) override;
    bool exists(const std::string& path) override;
    bool deleteFile(const std::string& path) override;
    void removeEverywhere(const std::string& folder, const std::string& name) override;
    // Copies into C:\Temp\copy<N>.
    std::optional<PlainCopy> plainCopy(const std::string& path) override;
    void removePlainCopy(const PlainCopy& copy) override;

    struct File {
        Bytes data;
        uint64_t identity = 0;
        bool folder = false;
        bool locked = false;       // held exclusively by another program
        bool undeletable = false;  // an ACL that denies delete, or a reader without delete sharing
    };
    // Creates or replaces a file (a new identity).
    void put(const std::string& path, Bytes data);
    // Appends as another writer would, keeping the identity.
    void write(const std::string& path, const Bytes& data);
    // Deletes and makes the file again under its old identity, as Wine does.
    void remake(const std::string& path, Bytes data);
    void remove(const std::string& path);
    const Bytes* contents(const std::string& path) const;
    std::map<std::string, File> files;
    std::vector<std::string> removals;  // "folder|name" of each removeEverywhere
    bool infoFails = false;             // size and identity can't be read just now
    // Bytes append may still write before it fails, as on a full disk; unlimited when unset.
    std::optional<size_t> room;

  private:
    uint64_t nextIdentity_ = 1;
    int copies_ = 0;
};

// A started child makes its output file afresh and shows in the process list.
class FakeChildren : public Children {
  public:
    FakeChildren(FakeFiles& files, FakeProcesses& processes)
        : files_(files), processes_(processes) {}
    bool start(const ChildSpec& child) override;
    std::vector<ChildSpec> started;
    bool fails = false;

  private:
    FakeFiles& files_;
    FakeProcesses& processes_;
};

class FakeRegistry : public Registry {
  public:
    RegistryValue get(Hive hive, const std::string& key, const std::string& name) override;
    bool set(Hive hive, const std::string& key, const std::string& name,
             const std::string& text) override;
    bool remove(Hive hive, const std::string& key, const std::string& name) override;

    static std::string path(Hive hive, const std::string& key, const std::string& name);
    std::map<std::string, RegistryValue> values;  // by path()
    bool readFails = false;
    bool writeFails = false;
    std::vector<std::string> writes;  // path() of each successful set or remove
};

// Holds text only; a saved snapshot is that text as one CF_UNICODETEXT item.
class FakeClipboard : public Clipboard {
  public:
    bool clear() override;
    bool setText(const std::string& text) override;
    ClipboardSave save() override;
    bool restore(const ClipboardContents& contents) override;
    uint32_t changeCount() override { return static_cast<uint32_t>(changes); }
    std::optional<std::string> text;  // nothing: empty clipboard
    bool held = false;                // another program holds it open
    int slowReads = 0;                // saves that answer Reading first
    int changes = 0;
};

// The window in front at the start: another program's, which takes the keys.
inline constexpr WindowId kTargetWindow = 0x7001;
inline constexpr WindowId kFormWindowId = 0x7000;  // the program's own main window

class FakeKeyboard : public Keyboard {
  public:
    explicit FakeKeyboard(const FakeClock& clock) : clock_(clock) {}
    bool send(const std::vector<KeyInput>& keys) override;
    bool modifierHeld() override { return held; }
    WindowId foreground() override { return front; }
    bool isOwnWindow(WindowId window) override { return own.count(window) > 0; }
    bool windowExists(WindowId window) override { return window != 0 && !closed.count(window); }
    std::optional<LayoutKey> layoutKey(WindowId target, char16_t unit) override;
    void startRoundTrip(WindowId target) override { roundTrips.push_back(target); }
    bool roundTripDone() override { return !targetBusy; }

    std::vector<std::vector<KeyInput>> batches;
    std::vector<int64_t> sentAt;           // the virtual time of each batch
    std::vector<WindowId> sentTo;          // the window in front as each batch went
    std::vector<std::string> clipboardAt;  // the clipboard's text as each batch went
    bool fails = false;
    bool held = false;  // the user holds a modifier down
    WindowId front = kTargetWindow;
    std::set<WindowId> own{kFormWindowId};
    std::set<WindowId> closed;
    std::map<char16_t, LayoutKey> layout;  // every window's layout
    std::vector<WindowId> layoutAskedFor;  // the target of each look-up
    std::vector<WindowId> roundTrips;      // the target of each round trip
    bool targetBusy = false;               // the target does not answer a round trip
    const FakeClipboard* clipboard = nullptr;

  private:
    const FakeClock& clock_;
};

// Every window belongs to a process of the fake process list.
class FakeOtherWindows : public OtherWindows {
  public:
    explicit FakeOtherWindows(FakeProcesses& processes) : processes_(processes) {}
    std::vector<TitledWindow> titled(const std::string& title) override;
    void removeCloseCommand(WindowId window) override;
    void placeTopmost(WindowId window, bool show) override;
    uint32_t processOf(WindowId window) override;

    struct Window {
        std::string title;
        std::string ownerExe;
        uint32_t pid = 0;
        bool visible = true;
        bool topmost = false;
        bool hasClose = true;
    };
    // A window of the running process of that name, which is started when none runs.
    WindowId open(const std::string& title, const std::string& ownerExe);
    void close(WindowId window);
    std::map<WindowId, Window> windows;

  private:
    FakeProcesses& processes_;
    WindowId nextId_ = 0x1000;
};

class FakeFormWindow : public FormWindow {
  public:
    void show() override;
    void hide() override;
    void restoreAndActivate() override;
    void setSize(int widthTwips, int heightTwips) override;
    void setColourKey(uint32_t colorref) override;
    void setTopmost(bool topmost) override;
    void beginDrag() override { ++drags; }

    bool shown = false;
    bool active = false;
    bool topmost = false;
    int width = 0;
    int height = 0;
    std::optional<uint32_t> colourKey;
    int drags = 0;
    std::vector<std::string> calls;  // in order, for sequence checks
};

class FakeTray : public TrayIcon {
  public:
    explicit FakeTray(std::vector<std::string>& calls) : calls_(calls) {}
    bool add() override;
    bool remove() override;
    bool present = false;
    int adds = 0;

  private:
    std::vector<std::string>& calls_;
};

class FakeDialogs : public Dialogs {
  public:
    explicit FakeDialogs(FakeFormWindow& window) : window_(window) {}
    void message(const std::string& text) override;
    void warn() override { ++warnings; }
    std::vector<std::string> shown;
    int warnings = 0;
    std::vector<bool> topmostWhileShown;

  private:
    FakeFormWindow& window_;
};

class FakeLifecycle : public Lifecycle {
  public:
    bool claimSingleInstance() override { return !otherInstance; }
    void quit() override { quitted = true; }
    void pause(int ms) override;
    bool otherInstance = false;
    bool quitted = false;
    int pausedMs = 0;
    std::function<void()> onPause;  // runs after each pause, as the world moves on meanwhile
};

// Bytes outside ASCII become U+FFFD; enough to tell a decoded line from a raw one.
class FakeCodec : public TextCodec {
  public:
    std::string ansiToUtf8(const Bytes& bytes) override;
    // The fake ANSI code page is ASCII.
    bool fitsAnsi(const std::string& text) override;
};

// Runs each job at once, unless held: then jobs wait until the test finishes them, so that a
// test can act while work is still pending.
class FakeWorker : public Worker {
  public:
    void run(Job job) override;
    // The oldest pending job, then what it returns.
    void finishNext();
    void finishAll();
    size_t pending() const { return jobs_.size(); }
    bool hold = false;

  private:
    std::deque<Job> jobs_;
};

// Holds at most one key; a key in `taken` belongs to another program.
class FakeHotKey : public HotKey {
  public:
    bool claim(const KeyChord& chord) override;
    void release() override { held.reset(); }
    std::optional<KeyChord> held;
    std::vector<KeyChord> taken;
};

// Each capture is a new picture file of the fake file system, in a temporary folder; it records
// which windows were out of the way at that moment.
class FakeScreenCapture : public ScreenCapture {
  public:
    explicit FakeScreenCapture(FakeFiles& files) : files_(files) {}
    void stepAside(const std::vector<WindowId>& others) override;
    std::optional<std::string> capture() override;
    void stepBack() override;
    void discard(const std::string& picture) override;

    bool aside = false;  // between stepAside and stepBack
    std::vector<WindowId> asideWindows;
    std::vector<bool> asideAtCapture;  // the program's window out of the way, at each capture
    std::vector<std::vector<WindowId>> capturedWithout;  // asideWindows at each capture
    std::vector<std::string> pictures;                   // every picture made, in order
    bool fails = false;

  private:
    FakeFiles& files_;
};

class FakeCameras : public Cameras {
  public:
    std::vector<std::string> names() override {
        ++lists;
        return plugged;
    }
    std::vector<std::string> plugged;
    int lists = 0;
};

// Every fake service, bundled as the Services a MainForm takes.
struct FakePlatform {
    explicit FakePlatform(Environment env = defaultEnvironment());
    static Environment defaultEnvironment();

    FakeClock clock;
    FakeProcesses processes;
    FakeFiles files;
    FakeChildren children{files, processes};
    FakeRegistry registry;
    FakeClipboard clipboard;
    FakeKeyboard keyboard{clock};
    FakeOtherWindows windows{processes};
    FakeFormWindow window;
    FakeTray tray{window.calls};
    FakeDialogs dialogs{window};
    FakeLifecycle lifecycle;
    FakeCodec codec;
    FakeWorker worker;
    FakeHotKey hotKey;
    FakeScreenCapture screen{files};
    FakeCameras cameras;
    Services services;
};

}  // namespace tolvira::fake
