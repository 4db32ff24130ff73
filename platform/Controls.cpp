#include "platform/Controls.h"

#include <iterator>
#include <utility>

namespace tolvira {

Control::Control(ControlKind kind, std::string name, Bounds bounds, std::string caption,
                 bool visible)
    : kind_(kind),
      name_(std::move(name)),
      bounds_(bounds),
      caption_(std::move(caption)),
      visible_(visible) {}

void Control::setCaption(std::string caption) {
    if (caption == caption_) return;
    caption_ = std::move(caption);
    notify(Property::Caption);
}

void Control::setVisible(bool visible) {
    if (visible == visible_) return;
    visible_ = visible;
    notify(Property::Visible);
}

void Control::setEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    notify(Property::Enabled);
}

void Control::move(int left, int top) {
    if (left == bounds_.left && top == bounds_.top) return;
    bounds_.left = left;
    bounds_.top = top;
    notify(Property::Position);
}

void Control::add(Control& child) {
    child.parent_ = this;
    children_.push_back(&child);
}

void Control::click() {
    if (enabled_ && onClick) onClick();
}

void Control::doubleClick() {
    if (enabled_ && onDoubleClick) onDoubleClick();
}

void Control::setCaptionQuietly(std::string caption) {
    caption_ = std::move(caption);
}

void Control::notify(Property property) {
    if (view_) view_->changed(*this, property);
}

CheckBox::CheckBox(std::string name, Bounds bounds, std::string caption)
    : Control(ControlKind::CheckBox, std::move(name), bounds, std::move(caption)) {}

void CheckBox::setValue(int value) {
    if (value == value_) return;
    setValueWithoutEvent(value);
    if (onClick) onClick();
}

void CheckBox::setValueWithoutEvent(int value) {
    if (value == value_) return;
    value_ = value;
    notify(Property::Value);
}

EditBox::EditBox(std::string name, Bounds bounds, int maxLength)
    : Control(ControlKind::EditBox, std::move(name), bounds), maxLength_(maxLength) {}

void EditBox::typed(std::string text) {
    // The backend's window already shows it, so it is not told again.
    setCaptionQuietly(std::move(text));
    if (onChange) onChange();
}

OptionButton::OptionButton(std::string name, Bounds bounds, std::string caption)
    : Control(ControlKind::OptionButton, std::move(name), bounds, std::move(caption)) {}

void OptionButton::setSelected(bool selected) {
    if (selected == selected_) return;
    selected_ = selected;
    notify(Property::Value);
    if (!selected) return;
    for (OptionButton* other : group_) {
        if (other != this) other->setSelected(false);
    }
    if (onClick) onClick();
}

void OptionButton::group(std::vector<OptionButton*> members) {
    for (OptionButton* member : members) member->group_ = members;
}

ListBox::ListBox(std::string name, Bounds bounds, bool visible)
    : Control(ControlKind::ListBox, std::move(name), bounds, {}, visible) {}

void ListBox::insertTop(std::string item) {
    items_.push_front(std::move(item));
    if (selected_ >= 0) ++selected_;
    notify(Property::ItemAddedFirst);
}

void ListBox::append(std::string item) {
    items_.push_back(std::move(item));
    notify(Property::ItemAddedLast);
}

void ListBox::setItems(std::vector<std::string> items) {
    items_.assign(std::make_move_iterator(items.begin()), std::make_move_iterator(items.end()));
    selected_ = -1;
    notify(Property::Items);
}

void ListBox::select(int index) {
    const int selected = (index >= 0 && index < static_cast<int>(items_.size())) ? index : -1;
    if (selected == selected_) return;
    selected_ = selected;
    notify(Property::Value);
}

void ListBox::pick(int index) {
    select(index);
    if (onSelect) onSelect();
}

const std::string* ListBox::selectedText() const {
    return selected_ >= 0 ? &items_[static_cast<size_t>(selected_)] : nullptr;
}

}  // namespace tolvira
