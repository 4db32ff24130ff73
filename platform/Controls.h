#pragma once
// The controls of the window as plain state. The logic reads and writes them; a backend
// attaches a view that mirrors every change onto a real control and forwards user events
// back through click(), doubleClick() and the like.
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tolvira {

// Position and size in twips (15 to a pixel at 96 dpi), relative to the window or panel.
struct Bounds {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const Bounds&) const = default;
};

// A colour as the platform stores it: red in the low byte.
constexpr uint32_t rgb(int r, int g, int b) {
    return static_cast<uint32_t>(r) | (static_cast<uint32_t>(g) << 8) |
           (static_cast<uint32_t>(b) << 16);
}

// How a control looks; fixed when the window is made.
struct Style {
    std::string font{};  // empty: the window's default font
    int points = 0;
    bool bold = false;
    std::optional<uint32_t> text{};
    std::optional<uint32_t> back{};  // none: transparent
    bool centred = false;
    std::string tooltip{};
    bool handCursor = false;
};

enum class ControlKind {
    Label,
    CheckBox,
    OptionButton,
    ListBox,
    Panel,
    Button,
    Image,
    Shape,
    EditBox
};
enum class Property {
    Caption,
    Visible,
    Enabled,
    Value,
    ItemAddedFirst,
    ItemAddedLast,
    Position,
    Items  // a list's entries replaced
};

class Control;

class ControlView {
  public:
    virtual ~ControlView() = default;
    virtual void changed(const Control& control, Property property) = 0;
};

class Control {
  public:
    Control(ControlKind kind, std::string name, Bounds bounds, std::string caption = {},
            bool visible = true);
    virtual ~Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    ControlKind kind() const { return kind_; }
    const std::string& name() const { return name_; }
    const Bounds& bounds() const { return bounds_; }
    const std::string& caption() const { return caption_; }
    bool visible() const { return visible_; }
    bool enabled() const { return enabled_; }
    Control* parent() const { return parent_; }
    const std::vector<Control*>& children() const { return children_; }

    void setCaption(std::string caption);
    void setVisible(bool visible);
    void setEnabled(bool enabled);
    void move(int left, int top);
    void add(Control& child);

    void attach(ControlView* view) { view_ = view; }

    Style style;

    // The user's actions, as the backend reports them.
    std::function<void()> onClick;
    std::function<void()> onDoubleClick;
    void click();
    void doubleClick();

  protected:
    void notify(Property property);
    void setCaptionQuietly(std::string caption);

  private:
    ControlKind kind_;
    std::string name_;
    Bounds bounds_;
    std::string caption_;
    bool visible_;
    bool enabled_ = true;
    Control* parent_ = nullptr;
    std::vector<Control*> children_;
    ControlView* view_ = nullptr;
};

class Label : public Control {
  public:
    Label(std::string name, Bounds bounds, std::string caption, bool visible = true)
        : Control(ControlKind::Label, std::move(name), bounds, std::move(caption), visible) {}
};

// A two-state check box. Changing the value raises the click event, whoever changes it.
class CheckBox : public Control {
  public:
    CheckBox(std::string name, Bounds bounds, std::string caption);
    int value() const { return value_; }
    bool checked() const { return value_ == 1; }
    void setValue(int value);
    // For the one caller that must mirror state without the click's consequences.
    void setValueWithoutEvent(int value);
    void toggle() { setValue(value_ == 1 ? 0 : 1); }

  private:
    int value_ = 0;
};

// One of a group of option buttons: selecting one clears the others.
class OptionButton : public Control {
  public:
    OptionButton(std::string name, Bounds bounds, std::string caption);
    bool selected() const { return selected_; }
    void setSelected(bool selected);
    static void group(std::vector<OptionButton*> members);

  private:
    bool selected_ = false;
    std::vector<OptionButton*> group_;
};

// A one-line text the user types into; its text is the caption.
class EditBox : public Control {
  public:
    EditBox(std::string name, Bounds bounds, int maxLength);
    const std::string& text() const { return caption(); }
    int maxLength() const { return maxLength_; }  // UTF-16 units the user can type
    // What the user typed, as the backend reports it; raises the change event.
    void typed(std::string text);
    std::function<void()> onChange;

  private:
    int maxLength_;
};

class ListBox : public Control {
  public:
    ListBox(std::string name, Bounds bounds, bool visible);
    size_t count() const { return items_.size(); }
    const std::string& item(size_t index) const { return items_[index]; }
    // A copy of every entry, top first.
    std::vector<std::string> items() const { return {items_.begin(), items_.end()}; }
    void insertTop(std::string item);
    void append(std::string item);
    // Replaces every entry; none is selected then.
    void setItems(std::vector<std::string> items);
    int selectedIndex() const { return selected_; }
    // -1 or an index past the end selects none.
    void select(int index);
    // The user's choice of an entry, as the backend reports it; raises the select event.
    void pick(int index);
    std::function<void()> onSelect;
    // The selected entry's text, or nothing when no entry is selected.
    const std::string* selectedText() const;

  private:
    // Entries are never removed and nothing caps them, so adding at the top must stay cheap.
    std::deque<std::string> items_;
    int selected_ = -1;
};

}  // namespace tolvira
