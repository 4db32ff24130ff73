#pragma once
// The codes waiting to be typed, typed in order by a timer on the window's thread, which never
// waits: the keys paced as the options say, held back while the user holds a modifier down
// (a held Alt would turn the Tab after a code into Alt+Tab), pasted codes' clipboard put back.
// Each code goes whole into one window, the one in front as its first key goes: while another
// window is in front the rest waits, and when that window is gone the rest is dropped. Nothing
// is ever typed into the program's own windows.
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pipeline/AutoInput.h"
#include "platform/Services.h"
#include "settings/Options.h"

namespace tolvira {

// A pasted text stays on the clipboard at least this long, and then until the target's thread
// has answered a round trip. A target that has not answered kPasteLimitMs after the paste may
// still read it: the text is then left on the clipboard and the user's is not put back.
inline constexpr int kPasteSettleMs = 100;
inline constexpr int kPasteLimitMs = 2000;
// A clipboard that another program holds is tried again this long after the paste at most.
inline constexpr int kRestoreGiveUpMs = 10000;
// A paste waits this long at most for the user's clipboard to be saved (its program may be slow
// to hand its data over); then the code is typed.
inline constexpr int kSaveGiveUpMs = 2000;
// How often held keys, the window in front and the target's answer are looked at again.
inline constexpr int kHeldKeysRetryMs = 50;

inline constexpr const char* kHeldBackNote = "按键未松开，暂缓输入";
inline constexpr const char* kTargetAwayNote = "目标窗口不在前台，暂缓输入";
inline constexpr const char* kOwnWindowNote = "本程序窗口在前台，未输入";
inline constexpr const char* kEngineWindowNote = "识别模块窗口在前台，未输入";
inline constexpr const char* kTargetGoneLine = "[目标窗口已关闭，条码其余部分未输入]";
inline constexpr const char* kClipboardNotBackNote = "粘贴板被占用，未能恢复";
inline constexpr const char* kClipboardKeptLine = "[目标程序未确认读取粘贴，原粘贴板内容未恢复]";

struct TypingStep {
    // Put on the clipboard (what it held is saved) and pressed Ctrl+V before the keys.
    std::optional<std::string> paste;
    // Each typed as Unicode input or, with layoutKeys, as the key of the target's layout.
    std::vector<std::u16string> characters;
    bool layoutKeys = false;
    KeyPress keys;  // after the characters: the suffix key
    // Put back what the last paste replaced once the target has read it, unless someone has
    // changed the clipboard since: a newer copy (the user's) wins.
    bool restoreClipboard = false;
    int pauseAfterMs = 0;
    bool pressesKeys() const { return paste || !characters.empty() || !keys.empty(); }
    bool operator==(const TypingStep&) const = default;
};

// The steps that type text and then the suffix key, in the options' mode and pace.
std::vector<TypingStep> typingSteps(std::string_view text, Suffix suffix, const Options& options);

// What the queue tells the window.
struct TypingReports {
    std::function<void(const std::string&)> diagnostic;  // a note for delist
    std::function<void(const std::string&)> listed;      // a line for the code list
    // Codes are held back, and why; empty when nothing is held back any more.
    std::function<void(const std::string&)> holding;
    // Whether the window is the engine's, which is never typed into as the program's own.
    std::function<bool(WindowId)> engineWindow;
};

class TypingQueue {
  public:
    TypingQueue(Keyboard& keyboard, Clipboard& clipboard, Timing& timing, TypingReports reports)
        : keyboard_(keyboard),
          clipboard_(clipboard),
          timer_(timing.ticker("TypeKeys", kHeldKeysRetryMs, [this] { tick(); })),
          reports_(std::move(reports)) {}

    // A code's steps, after those of the codes before it; typed now when nothing is waiting.
    // Not taken (false) while one of the program's own windows is in front.
    bool add(std::vector<TypingStep> steps);
    // The copy option: the text (nothing: an empty clipboard) goes on the clipboard now, or,
    // while a paste waits or is under way, once the codes before it are done.
    void copy(std::optional<std::string> text);
    void tick();
    size_t waiting() const { return codes_.size(); }
    // Pause or exit: every key still waiting is dropped, the user's clipboard is put back and
    // the copies still due are made.
    void dropAll();

  private:
    struct Code {
        std::deque<TypingStep> steps;
        WindowId target = 0;  // chosen as its first key goes
        bool copies = false;
        std::optional<std::string> copyText;
        int saveWaitedMs = 0;  // for its paste's save of the user's clipboard
    };

    void run();
    // Whether the step's keys may go now; otherwise the queue waits, or the code loses its keys.
    bool mayPress(Code& code);
    // Before a paste; false while the save is under way (the queue waits).
    bool clipboardSaved(Code& code);
    void perform(TypingStep& step, WindowId target);
    // The restore step; true when done.
    bool restoreWhenRead(WindowId target);
    void putClipboardBack();
    void keepPastedText();
    void finish(Code& code);
    void hold(const std::string& note);
    void release();
    void waitFor(int ms);
    bool pasteAhead() const;
    // Nothing is typed into the program's own windows or the engine's.
    bool refused(WindowId window);

    Keyboard& keyboard_;
    Clipboard& clipboard_;
    std::unique_ptr<Ticker> timer_;  // its pauses and retries
    TypingReports reports_;
    std::deque<Code> codes_;
    std::optional<ClipboardContents> saved_;
    uint32_t pastedChange_ = 0;  // the clipboard's change count right after the paste's text
    int restoreWaitedMs_ = -1;   // -1: the round trip for the restore is not started yet
    std::string held_;           // why codes are held back; empty: they are not
    std::string shown_;          // what the window shows of it
};

}  // namespace tolvira
