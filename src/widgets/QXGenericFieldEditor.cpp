#include "widgets/QXGenericFieldEditor.h"

#include "platform/kit/Menu.h"
#include "platform/kit/MenuItem.h"
#include "platform/kit/Window.h"

#include <algorithm>
#include <array>

QXGenericFieldEditor::QXGenericFieldEditor(const platform::Rect& frame) : TextView(frame) {
    setFieldEditor(true);
}

bool QXGenericFieldEditor::isNavigationKey(unsigned short keyCode) {
    static constexpr std::array<unsigned short, 7> keys{116, 121, 123, 124, 125, 126, 51};
    return std::find(keys.begin(), keys.end(), keyCode) != keys.end();
}

QXGenericFieldEditorDelegate* QXGenericFieldEditor::fieldDelegate() const {
    return dynamic_cast<QXGenericFieldEditorDelegate*>(delegate());
}

void QXGenericFieldEditor::keyDown(const platform::Event& event) {
    if (event.modifierFlags() & (platform::CommandKeyMask | platform::ControlKeyMask)) {
        if (platform::Window* window = this->window())
            window->keyDown(event);
        return;
    }
    auto keep = weak_from_this().lock();
    QXGenericFieldEditorDelegate* field = fieldDelegate();
    if (field && event.isARepeat() && !isNavigationKey(event.keyCode()))
        if (const auto allow = field->allowAutoRepeat(); allow && !*allow)
            return;
    if (field && field->keyPressed(event).value_or(false))
        return;
    TextView::keyDown(event);
}

void QXGenericFieldEditor::keyUp(const platform::Event& event) {
    if (QXGenericFieldEditorDelegate* field = fieldDelegate();
        field && field->keyReleased(event).value_or(false))
        return;
    TextView::keyUp(event);
}

void QXGenericFieldEditor::flagsChanged(const platform::Event& event) {
    TextView::flagsChanged(event);
}

void QXGenericFieldEditor::copy(platform::Object* sender) {
    if (_allowCopyPaste)
        TextView::copy(sender);
}

void QXGenericFieldEditor::cut(platform::Object* sender) {
    if (_allowCopyPaste)
        TextView::cut(sender);
}

void QXGenericFieldEditor::paste(platform::Object* sender) {
    if (_allowCopyPaste)
        TextView::paste(sender);
}

std::optional<bool> QXGenericFieldEditor::validateMenuItem(platform::MenuItem& item) {
    const std::string& action = item.action();
    if (!_allowCopyPaste && (action == "copy:" || action == "cut:" || action == "paste:"))
        return false;
    return TextView::validateMenuItem(item);
}

std::shared_ptr<platform::Menu> QXGenericFieldEditor::menuForEvent(const platform::Event& event) {
    auto menu = TextView::menuForEvent(event);
    if (!menu || _allowCopyPaste)
        return menu;
    for (const char* title : {"Copy", "Paste", "Cut"})
        if (const long index = menu->indexOfItemWithTitle(title); index >= 0)
            menu->removeItemAtIndex(index);
    return menu;
}
