#include "widgets/QXHyperlinkButton.h"

#include "platform/kit/Cursor.h"
#include "platform/kit/TrackingArea.h"
#include "platform/kit/Window.h"
#include "support/ConvertObjectIntoSubclass.h"
#include "support/Localization.h"
#include "support/StringExtensions.h"

#include <cctype>
#include <utility>

namespace {

constexpr std::string_view kHyperlinkPressed = "hyperlinkPressed";

platform::Value& hyperlinks() {
    static platform::Value value;
    return value;
}

QXHyperlinkButton::URLOpener& opener() {
    static QXHyperlinkButton::URLOpener open;
    return open;
}

// An absolute address: a scheme of a letter and then letters, digits, "+", "-" or ".", a ":"
// and something after it. Anything else is no address to hand to the desktop.
bool isAbsoluteURL(std::string_view url) {
    const std::size_t colon = url.find(':');
    if (colon == std::string_view::npos || colon == 0 || colon + 1 >= url.size())
        return false;
    if (!std::isalpha(static_cast<unsigned char>(url[0])))
        return false;
    for (std::size_t i = 1; i < colon; ++i) {
        const unsigned char c = static_cast<unsigned char>(url[i]);
        if (!std::isalnum(c) && c != '+' && c != '-' && c != '.')
            return false;
    }
    for (const char c : url)
        if (std::isspace(static_cast<unsigned char>(c)) || c == '\0')
            return false;
    return true;
}

} // namespace

QXHyperlinkButton::QXHyperlinkButton(const platform::Rect& frame) : Button(frame) {
    setCell(platform::make<QXHyperlinkButtonCell>());
}

std::shared_ptr<QXHyperlinkButton>
QXHyperlinkButton::initWithCoder(const platform::Rect& frame,
                                 std::shared_ptr<platform::Cell> decodedCell) {
    auto button = std::make_shared<QXHyperlinkButton>(frame);
    if (decodedCell)
        button->setCell(std::move(decodedCell));
    if (!button->hyperlinkCell())
        ConvertCellOfControl<QXHyperlinkButtonCell, platform::ButtonCell>(*button);
    return button;
}

void QXHyperlinkButton::setBrandHyperlinks(platform::Value value) {
    hyperlinks() = std::move(value);
}

const platform::Value& QXHyperlinkButton::brandHyperlinks() {
    return hyperlinks();
}

void QXHyperlinkButton::setURLOpener(URLOpener open) {
    opener() = std::move(open);
}

QXHyperlinkButtonCell* QXHyperlinkButton::hyperlinkCell() const {
    return dynamic_cast<QXHyperlinkButtonCell*>(cell());
}

void QXHyperlinkButton::awake() {
    Button::awake();
    if (target() && !action().empty())
        return;
    setTarget(this);
    setAction(std::string(kHyperlinkPressed));
    const std::string key = alternateTitle();
    const platform::Value& links = hyperlinks();
    const std::string* address = links[key].string();
    _hyperlink = address ? std::optional<std::string>(*address) : std::nullopt;
    const std::string* title = links[key + ".title"].string();
    if (title && !title->empty())
        setTitle(*title);
}

void QXHyperlinkButton::hyperlinkPressed() {
    if (!_hyperlink)
        return;
    const std::string url = TranslateUrlMacros(std::string_view(*_hyperlink));
    if (!isAbsoluteURL(url))
        return;
    if (opener())
        opener()(url);
    else
        OrvantaExtensions::launchDetached({"xdg-open", url});
}

bool QXHyperlinkButton::tryToPerform(std::string_view action, platform::Object* sender) {
    if (action == kHyperlinkPressed) {
        hyperlinkPressed();
        return true;
    }
    return Button::tryToPerform(action, sender);
}

bool QXHyperlinkButton::respondsToAction(std::string_view action) const {
    return action == kHyperlinkPressed || Button::respondsToAction(action);
}

void QXHyperlinkButton::resetCursorRects() {
    if (isEnabled())
        addCursorRect(bounds(), platform::Cursor::pointingHandCursor());
}

void QXHyperlinkButton::setEnabled(bool flag) {
    Button::setEnabled(flag);
    if (window())
        window()->invalidateCursorRectsForView(this);
}

void QXHyperlinkButton::mouseEntered(const platform::Event& event) {
    if (event.trackingArea() && event.trackingArea()->owner() == this) {
        cell()->mouseEntered(event);
        return;
    }
    Button::mouseEntered(event);
}

void QXHyperlinkButton::mouseExited(const platform::Event& event) {
    if (event.trackingArea() && event.trackingArea()->owner() == this) {
        cell()->mouseExited(event);
        return;
    }
    Button::mouseExited(event);
}

void QXHyperlinkButton::mouseUp(const platform::Event& event) {
    cell()->mouseExited(event);
    Button::mouseUp(event);
}
