#pragma once
// The options window: a top-level window of its own, laid out from the rows of the options
// table that belong to it (Panel::Options), one line each in table order: the caption, then its
// control. A change is in force at once, as on the panels; its "确定" writes the window's keys
// and re-initialises the engine when what the engine is started with changed.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/OptionControls.h"
#include "engine/Engine.h"
#include "platform/Services.h"

namespace tolvira {

inline constexpr const char* kOptionsTitle = "Tolvira 高级选项";

// How wide a text shows in the controls' font, in twips, rounded up: every character outside
// ASCII as a wide (CJK) glyph.
int textWidth(std::string_view text);

// The camera chosen by name, looked up among the system's cameras: the number the engine is
// started with becomes its place. A name no camera has any more falls back to the first camera,
// and the line returned says so. Nothing to do (and no look-up) when no name is chosen.
std::optional<std::string> findNamedCamera(Options& options, Cameras& cameras);

class OptionsWindow {
  public:
    struct Parts {
        SettingsStore& store;
        Options& options;
        Cameras& cameras;
        const Engine& engine;
        std::function<void()> restartEngine;
    };
    // One line of the window: a row of the table, its caption and the controls that show it.
    struct Line {
        const StoredSetting& row;
        Label& caption;
        std::vector<Control*> controls;
    };

    explicit OptionsWindow(Parts parts);
    OptionsWindow(const OptionsWindow&) = delete;
    OptionsWindow& operator=(const OptionsWindow&) = delete;

    // Lists the cameras afresh, shows the values in force, and the window.
    void open();

    // The window itself: its caption is the title, its size the client area, and it shows while
    // visible. The controls lie on it.
    Control& window() { return *window_; }
    const std::vector<Line>& lines() const { return lines_; }
    Label& message() { return *message_; }  // why a text typed was not taken
    Label& note() { return *note_; }
    Control& ok() { return *ok_; }
    // The window, then every control on it.
    std::vector<Control*> controls() const;
    // The control of that name; the name must be one of the window's.
    Control& control(std::string_view name) const;

  private:
    void layOut();
    void addLine(const StoredSetting& row, int& top, int captionWidth);
    template <typename T, typename... Args>
    T& make(Args&&... args);
    void save();
    // Shows why a text typed was not taken, the first such of the window's texts.
    void explainRefusals();

    Parts parts_;
    std::vector<std::unique_ptr<Control>> owned_;
    std::unique_ptr<Control> window_;
    std::vector<Line> lines_;
    Label* message_ = nullptr;
    Label* note_ = nullptr;
    Control* ok_ = nullptr;
    ListBox* cameraList_ = nullptr;
    OptionControls bound_;
    // The engine's arguments as the window was opened.
    std::vector<std::string> engineArguments_;
};

}  // namespace tolvira
