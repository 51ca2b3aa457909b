#include "platform/kit/TextField.h"

#include "platform/kit/Window.h"

namespace platform {

namespace {

const TextFieldCell& plainTextFieldCell() {
    static const TextFieldCell cell;
    return cell;
}

} // namespace

TextField::TextField(const Rect& frame) : Control(frame) {
    auto cell = std::make_shared<TextFieldCell>();
    cell->setEditable(true);
    cell->setSelectable(true);
    cell->setBezeled(true);
    cell->setDrawsBackground(true);
    setCell(std::move(cell));
}

std::shared_ptr<TextField> TextField::labelWithString(std::string text, const Rect& frame) {
    auto label = make<TextField>(frame);
    label->setEditable(false);
    label->setSelectable(false);
    label->setBezeled(false);
    label->setBordered(false);
    label->setDrawsBackground(false);
    label->setStringValue(std::move(text));
    return label;
}

std::shared_ptr<TextField> TextField::labelWithString(std::string text, const Rect& frame,
                                                      const Font& font) {
    auto label = labelWithString(std::move(text), frame);
    label->setFont(font);
    return label;
}

TextFieldCell* TextField::textFieldCell() const {
    return dynamic_cast<TextFieldCell*>(cell());
}

bool TextField::isEditable() const {
    return cell()->isEditable();
}

void TextField::setEditable(bool flag) {
    if (!flag && currentEditor())
        validateEditing();
    cell()->setEditable(flag);
    if (TextView* editor = currentEditor())
        editor->setEditable(flag);
    setNeedsDisplay(true);
}

bool TextField::isSelectable() const {
    return cell()->isSelectable();
}

void TextField::setSelectable(bool flag) {
    cell()->setSelectable(flag);
    setNeedsDisplay(true);
}

bool TextField::isBezeled() const {
    return cell()->isBezeled();
}

void TextField::setBezeled(bool flag) {
    cell()->setBezeled(flag);
    setNeedsDisplay(true);
}

bool TextField::isBordered() const {
    return cell()->isBordered();
}

void TextField::setBordered(bool flag) {
    cell()->setBordered(flag);
    setNeedsDisplay(true);
}

#define READ(expr) (textFieldCell() ? textFieldCell()->expr : plainTextFieldCell().expr)
#define WRITE(expr)                                                                                \
    do {                                                                                           \
        if (TextFieldCell* c = textFieldCell())                                                    \
            c->expr;                                                                               \
        setNeedsDisplay(true);                                                                     \
    } while (false)

TextFieldBezelStyle TextField::bezelStyle() const {
    return READ(bezelStyle());
}
void TextField::setBezelStyle(TextFieldBezelStyle style) {
    WRITE(setBezelStyle(style));
}
bool TextField::drawsBackground() const {
    return READ(drawsBackground());
}
void TextField::setDrawsBackground(bool flag) {
    WRITE(setDrawsBackground(flag));
}
Color TextField::backgroundColor() const {
    return READ(backgroundColor());
}
void TextField::setBackgroundColor(const Color& color) {
    WRITE(setBackgroundColor(color));
}
Color TextField::textColor() const {
    return READ(textColor());
}

void TextField::setTextColor(const Color& color) {
    WRITE(setTextColor(color));
    if (TextView* editor = currentEditor())
        editor->setTextColor(color);
}

std::string TextField::placeholderString() const {
    return READ(placeholderString());
}
void TextField::setPlaceholderString(std::string placeholder) {
    WRITE(setPlaceholderString(std::move(placeholder)));
}
std::optional<AttributedString> TextField::placeholderAttributedString() const {
    return READ(placeholderAttributedString());
}
void TextField::setPlaceholderAttributedString(std::optional<AttributedString> placeholder) {
    WRITE(setPlaceholderAttributedString(std::move(placeholder)));
}

#undef READ
#undef WRITE

bool TextField::sendsActionOnEndEditing() const {
    return cell()->sendsActionOnEndEditing();
}
void TextField::setSendsActionOnEndEditing(bool flag) {
    cell()->setSendsActionOnEndEditing(flag);
}

bool TextField::acceptsFirstResponder() const {
    return cell()->acceptsFirstResponder();
}

bool TextField::canBecomeKeyView() const {
    return acceptsFirstResponder() && !isHiddenOrHasHiddenAncestor();
}

void TextField::resetCursorRects() {
    cell()->resetCursorRect(bounds(), this);
}

} // namespace platform
