#include "app/core/SecureTextField.h"

#include "platform/graphics/AttributedString.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/kit/Event.h"
#include "platform/kit/MenuItem.h"
#include "platform/kit/Window.h"

#include <cmath>

using platform::Rect;

namespace {

constexpr std::string_view kBullet = "\u2022";

std::size_t characterCount(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); i = platform::characterEnd(text, i))
        ++count;
    return count;
}

} // namespace

SecureTextField::SecureTextField(const Rect& frame) : TextField(frame) {
    auto cell = std::make_shared<SecureTextFieldCell>();
    cell->setEditable(true);
    cell->setSelectable(true);
    cell->setBezeled(true);
    cell->setDrawsBackground(true);
    setCell(std::move(cell));
}

std::string SecureTextField::bulletsFor(std::string_view text) {
    std::string bullets;
    const std::size_t count = characterCount(text);
    bullets.reserve(count * kBullet.size());
    for (std::size_t i = 0; i < count; ++i)
        bullets += kBullet;
    return bullets;
}

std::shared_ptr<platform::Cell> SecureTextFieldCell::copy() const {
    return std::make_shared<SecureTextFieldCell>(*this);
}

void SecureTextFieldCell::drawInteriorWithFrame(const Rect& cellFrame,
                                                platform::View* controlView) {
    platform::TextFieldCell masked(*this);
    // The copy must not ask the field to redraw: it is drawing already.
    masked.setControlView(nullptr);
    masked.setStringValue(SecureTextField::bulletsFor(stringValue()));
    masked.drawInteriorWithFrame(cellFrame, controlView);
}

SecureFieldEditor::SecureFieldEditor() {
    setFieldEditor(true);
    setAllowsUndo(false);
}

void SecureFieldEditor::drawRect(const Rect& /*dirtyRect*/) {
    platform::GraphicsContext* context = platform::GraphicsContext::currentContext();
    if (!context)
        return;
    if (drawsBackground()) {
        context->setFillColor(backgroundColor());
        context->fillRect(bounds());
    }
    const std::string& text = string();
    const platform::TextAttributes attributes{.font = font(), .foregroundColor = textColor()};
    const platform::Size inset = textContainerInset();
    const double lineHeight = std::ceil(font().defaultLineHeightForFont());
    auto widthOf = [&](std::size_t byteEnd) {
        return platform::sizeWithAttributes(SecureTextField::bulletsFor(text.substr(0, byteEnd)),
                                            attributes)
            .width;
    };

    const platform::TextRange selection = selectedRange();
    const bool focused = window() && window()->firstResponder() == this;
    if (selection.length > 0) {
        const double start = widthOf(selection.location);
        const double end = widthOf(selection.end());
        context->setFillColor(focused ? selectedTextBackgroundColor()
                                      : platform::Color::secondarySelectedControlColor());
        context->fillRect({inset.width + start, inset.height, end - start, lineHeight});
    }
    platform::drawAtPoint(SecureTextField::bulletsFor(text), {inset.width, inset.height},
                          attributes);
    if (focused && selection.length == 0 && isEditable()) {
        context->setFillColor(insertionPointColor());
        context->fillRect({inset.width + widthOf(selection.location), inset.height, 1, lineHeight});
    }
}

void SecureFieldEditor::copy(platform::Object* /*sender*/) {}

void SecureFieldEditor::cut(platform::Object* /*sender*/) {}

bool SecureFieldEditor::performKeyEquivalent(const platform::Event& event) {
    // Copy and cut are swallowed here so that the standard shortcuts cannot reach the
    // pasteboard; the rest of the editing shortcuts work as in any field.
    const std::string key = event.charactersIgnoringModifiers();
    if ((event.modifierFlags() & (platform::CommandKeyMask | platform::ControlKeyMask)) &&
        (key == "c" || key == "x"))
        return window() && window()->firstResponder() == this;
    return TextView::performKeyEquivalent(event);
}

std::optional<bool> SecureFieldEditor::validateMenuItem(platform::MenuItem& item) {
    if (item.action() == "copy:" || item.action() == "cut:")
        return false;
    return TextView::validateMenuItem(item);
}
