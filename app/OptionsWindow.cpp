#include "app/OptionsWindow.h"

#include <algorithm>
#include <stdexcept>

#include "engine/CodeKinds.h"
#include "platform/Utf8.h"

namespace tolvira {

namespace {

using Kind = StoredSetting::Kind;

// Twips, 15 to a pixel. The controls' font is 12 pixels high: a wide glyph is 12 pixels, an
// ASCII one at most 8 here.
constexpr int kWideGlyph = 180;
constexpr int kNarrowGlyph = 120;
constexpr int kMargin = 180;
constexpr int kPad = 90;              // after a text, so that it never runs into its control's edge
constexpr int kGap = 150;             // between a caption and its control, and between choices
constexpr int kPitch = 360;           // from one line to the next
constexpr int kBoxHeight = 285;       // edit boxes and lists of one line
constexpr int kButtonHeight = 255;    // check boxes, option buttons, labels
constexpr int kBoxAndGap = 330;       // the square of a check box or option button, and a gap
constexpr int kLongTextWidth = 4800;  // an edit box for a pattern or a template
constexpr int kShortTextWidth = 2400;  // for a short text
constexpr int kLongText = 256;         // characters from which a text gets the long box
constexpr int kKindsPerLine = 4;
constexpr int kCameraListHeight = 1080;  // five names or so
constexpr int kMessageHeight = 510;      // two lines
constexpr int kOkWidth = 1455;
constexpr int kOkHeight = 375;

constexpr uint32_t kLight = rgb(224, 224, 224);
constexpr uint32_t kSilver = rgb(192, 192, 192);
constexpr uint32_t kBack = rgb(41, 41, 41);
constexpr uint32_t kBoxBack = rgb(64, 64, 64);

const char* const kNote = "摄像头、条码类型改动后，确定即重新初始化";

int choiceWidth(std::string_view caption) {
    return kBoxAndGap + textWidth(caption) + kPad;
}

}  // namespace

int textWidth(std::string_view text) {
    int width = 0;
    while (!text.empty()) {
        const Utf8Step step = decodeUtf8(text);
        width += step.codePoint < 0x80 ? kNarrowGlyph : kWideGlyph;
        text.remove_prefix(std::max<size_t>(step.length, 1));
    }
    return width;
}

std::optional<std::string> findNamedCamera(Options& options, Cameras& cameras) {
    if (options.cameraName.empty()) return std::nullopt;
    const std::vector<std::string> names = cameras.names();
    const auto found = std::find(names.begin(), names.end(), options.cameraName);
    const bool gone = found == names.end();
    options.camera = std::to_string(gone ? 0 : found - names.begin());
    if (!gone) return std::nullopt;
    std::string line = "[摄像头“";
    line += options.cameraName;
    line += "”未找到，已改用第一个摄像头]";
    return line;
}

template <typename T, typename... Args>
T& OptionsWindow::make(Args&&... args) {
    owned_.push_back(std::make_unique<T>(std::forward<Args>(args)...));
    return static_cast<T&>(*owned_.back());
}

OptionsWindow::OptionsWindow(Parts parts) : parts_(std::move(parts)) {
    layOut();
}

void OptionsWindow::layOut() {
    int captionWidth = 0;
    for (const StoredSetting& row : storedSettings()) {
        if (row.panel == StoredSetting::Panel::Options) {
            captionWidth = std::max(captionWidth, textWidth(row.caption) + kPad);
        }
    }
    int top = kMargin;
    for (const StoredSetting& row : storedSettings()) {
        if (row.panel == StoredSetting::Panel::Options) addLine(row, top, captionWidth);
    }
    int right = 0;
    for (const auto& control : owned_) {
        right = std::max(right, control->bounds().left + control->bounds().width);
    }
    const int width = right + kMargin;
    const int textWidthInside = width - 2 * kMargin;
    message_ = &make<Label>("optmsg", Bounds{kMargin, top, textWidthInside, kMessageHeight}, "");
    message_->style = {.text = rgb(255, 128, 0)};
    top += kMessageHeight + kGap;
    note_ = &make<Label>("optnote", Bounds{kMargin, top, textWidthInside, kButtonHeight}, kNote);
    note_->style = {.text = kSilver};
    top += kPitch;
    ok_ = &make<Control>(ControlKind::Button, "optok",
                         Bounds{(width - kOkWidth) / 2, top, kOkWidth, kOkHeight}, "确定");
    ok_->onClick = [this] { save(); };
    const int height = top + kOkHeight + kMargin;

    window_ = std::make_unique<Control>(ControlKind::Panel, "Fopts", Bounds{0, 0, width, height},
                                        kOptionsTitle, false);
    window_->style = {.text = kLight, .back = kBack};
    for (const auto& control : owned_) window_->add(*control);
}

void OptionsWindow::addLine(const StoredSetting& row, int& top, int captionWidth) {
    const std::string key(row.key);
    Options& options = parts_.options;
    Label& caption =
        make<Label>(key + ".caption", Bounds{kMargin, top + 15, captionWidth, kButtonHeight},
                    std::string(row.caption));
    caption.style = {.text = kSilver};
    const int left = kMargin + captionWidth + kGap;
    Line line{row, caption, {}};
    switch (row.kind) {
        case Kind::Choice: {
            std::vector<OptionButton*> buttons;
            int x = left;
            for (size_t i = 0; i < row.choices.size(); ++i) {
                const int width = choiceWidth(row.choices[i]);
                buttons.push_back(&make<OptionButton>(key + "." + std::to_string(i),
                                                      Bounds{x, top + 15, width, kButtonHeight},
                                                      std::string(row.choices[i])));
                x += width + kGap;
            }
            OptionButton::group(buttons);
            line.controls.assign(buttons.begin(), buttons.end());
            bound_.push_back(choiceControl(row, options, buttons));
            top += kPitch;
            break;
        }
        case Kind::Text: {
            const int width = row.maxLength >= kLongText ? kLongTextWidth : kShortTextWidth;
            EditBox& edit = make<EditBox>(key, Bounds{left, top, width, kBoxHeight}, row.maxLength);
            edit.style = {.text = kLight, .back = kBoxBack};
            line.controls.push_back(&edit);
            bound_.push_back(editControl(row, options, edit, [this] { explainRefusals(); }));
            top += kPitch;
            break;
        }
        case Kind::Kinds: {
            int column = 0;
            for (const CodeKindInfo& info : kCodeKinds) {
                column = std::max(column, choiceWidth(info.caption) + kGap);
            }
            std::vector<CheckBox*> boxes;
            for (size_t i = 0; i < kCodeKinds.size(); ++i) {
                const int x = left + static_cast<int>(i % kKindsPerLine) * column;
                const int y = top + 15 + static_cast<int>(i / kKindsPerLine) * (kPitch - 60);
                boxes.push_back(&make<CheckBox>(std::string("kind.") + kCodeKinds[i].id,
                                                Bounds{x, y, column - kGap, kButtonHeight},
                                                kCodeKinds[i].caption));
            }
            const int lines =
                static_cast<int>((kCodeKinds.size() + kKindsPerLine - 1) / kKindsPerLine);
            line.controls.assign(boxes.begin(), boxes.end());
            bound_.push_back(kindsControl(row, options, boxes));
            top += lines * (kPitch - 60) + 60;
            break;
        }
        case Kind::Camera: {
            cameraList_ =
                &make<ListBox>(key, Bounds{left, top, kLongTextWidth, kCameraListHeight}, true);
            cameraList_->style = {.text = kSilver, .back = rgb(20, 20, 20)};
            line.controls.push_back(cameraList_);
            bound_.push_back(cameraControl(row, options, *cameraList_));
            top += kCameraListHeight + kPitch - kBoxHeight;
            break;
        }
        case Kind::Check:
        case Kind::Option:
        case Kind::Number:
            throw std::logic_error("the options window has no control for " + key);
    }
    for (Control* control : line.controls) {
        if (control->kind() != ControlKind::EditBox && control->kind() != ControlKind::ListBox) {
            control->style = {.text = kSilver, .back = kBack};
        }
    }
    lines_.push_back(std::move(line));
}

void OptionsWindow::explainRefusals() {
    std::string why;
    for (const Line& line : lines_) {
        if (!line.row.refusal) continue;
        const auto& edit = static_cast<const EditBox&>(*line.controls.front());
        why = line.row.refusal(parts_.options, edit.text());
        if (!why.empty()) break;
    }
    message_->setCaption(why);
}

void OptionsWindow::open() {
    if (cameraList_) cameraList_->setItems(parts_.cameras.names());
    showOptions(bound_, StoredSetting::Panel::Options);
    message_->setCaption("");
    engineArguments_ = parts_.engine.cameraArguments(parts_.options);
    window_->setVisible(true);
}

void OptionsWindow::save() {
    window_->setVisible(false);
    saveSettings(parts_.store, parts_.options, StoredSetting::Panel::Options);
    if (parts_.engine.cameraArguments(parts_.options) != engineArguments_) parts_.restartEngine();
}

std::vector<Control*> OptionsWindow::controls() const {
    std::vector<Control*> all{window_.get()};
    for (const auto& control : owned_) all.push_back(control.get());
    return all;
}

Control& OptionsWindow::control(std::string_view name) const {
    for (Control* control : controls()) {
        if (control->name() == name) return *control;
    }
    throw std::out_of_range("no control " + std::string(name) + " in the options window");
}

}  // namespace tolvira
