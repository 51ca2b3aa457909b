#include "platform/kit/Button.h"

#include "platform/kit/TrackingArea.h"

namespace platform {

namespace {

// A stand-in cell for reading a button whose cell is not a button cell.
const ButtonCell& plainButtonCell() {
    static const ButtonCell cell;
    return cell;
}

} // namespace

Button::Button(const Rect& frame) : Control(frame) {
    setCell(std::make_shared<ButtonCell>());
}

std::shared_ptr<Button> Button::buttonWithTitle(std::string title, ActionTarget* target,
                                                std::string action, const Rect& frame) {
    auto button = make<Button>(frame);
    button->setTitle(std::move(title));
    button->setTarget(target);
    button->setAction(std::move(action));
    return button;
}

ButtonCell* Button::buttonCell() const {
    return dynamic_cast<ButtonCell*>(cell());
}

void Button::setCell(std::shared_ptr<Cell> cell) {
    Control::setCell(std::move(cell));
    updateTrackingAreas();
}

#define READ(expr) (buttonCell() ? buttonCell()->expr : plainButtonCell().expr)
#define WRITE(expr)                                                                                \
    do {                                                                                           \
        if (ButtonCell* c = buttonCell())                                                          \
            c->expr;                                                                               \
        setNeedsDisplay(true);                                                                     \
    } while (false)

std::string Button::title() const {
    return buttonCell() ? buttonCell()->title() : cell()->title();
}

void Button::setTitle(std::string title) {
    cell()->setTitle(std::move(title));
    setNeedsDisplay(true);
}

AttributedString Button::attributedTitle() const {
    return buttonCell() ? buttonCell()->attributedTitle() : cell()->attributedStringValue();
}

void Button::setAttributedTitle(AttributedString title) {
    if (ButtonCell* c = buttonCell())
        c->setAttributedTitle(std::move(title));
    else
        cell()->setAttributedStringValue(std::move(title));
    setNeedsDisplay(true);
}

std::string Button::alternateTitle() const {
    return READ(alternateTitle());
}
void Button::setAlternateTitle(std::string title) {
    WRITE(setAlternateTitle(std::move(title)));
}
AttributedString Button::attributedAlternateTitle() const {
    return READ(attributedAlternateTitle());
}
void Button::setAttributedAlternateTitle(AttributedString title) {
    WRITE(setAttributedAlternateTitle(std::move(title)));
}

std::shared_ptr<Image> Button::image() const {
    return cell()->image();
}

void Button::setImage(std::shared_ptr<Image> image) {
    const bool had = cell()->image() != nullptr;
    cell()->setImage(std::move(image));
    if (ButtonCell* c = buttonCell();
        c && !had && c->image() && c->imagePosition() == CellImagePosition::NoImage)
        c->setImagePosition(c->title().empty() ? CellImagePosition::ImageOnly
                                               : CellImagePosition::ImageLeft);
    setNeedsDisplay(true);
}

std::shared_ptr<Image> Button::alternateImage() const {
    return READ(alternateImage());
}
void Button::setAlternateImage(std::shared_ptr<Image> image) {
    WRITE(setAlternateImage(std::move(image)));
}
CellImagePosition Button::imagePosition() const {
    return READ(imagePosition());
}
void Button::setImagePosition(CellImagePosition position) {
    WRITE(setImagePosition(position));
}
ImageScaling Button::imageScaling() const {
    return READ(imageScaling());
}
void Button::setImageScaling(ImageScaling scaling) {
    WRITE(setImageScaling(scaling));
}
void Button::setButtonType(int type) {
    WRITE(setButtonType(type));
}
BezelStyle Button::bezelStyle() const {
    return READ(bezelStyle());
}
void Button::setBezelStyle(BezelStyle style) {
    WRITE(setBezelStyle(style));
}
bool Button::isBordered() const {
    return cell()->isBordered();
}

void Button::setBordered(bool flag) {
    cell()->setBordered(flag);
    setNeedsDisplay(true);
}

bool Button::isTransparent() const {
    return READ(isTransparent());
}
void Button::setTransparent(bool flag) {
    WRITE(setTransparent(flag));
}
bool Button::showsBorderOnlyWhileMouseInside() const {
    return READ(showsBorderOnlyWhileMouseInside());
}

void Button::setShowsBorderOnlyWhileMouseInside(bool flag) {
    WRITE(setShowsBorderOnlyWhileMouseInside(flag));
    updateTrackingAreas();
}

CellStateValue Button::state() const {
    return cell()->state();
}

void Button::setState(CellStateValue state) {
    cell()->setState(state);
    setNeedsDisplay(true);
}

void Button::setNextState() {
    cell()->setNextState();
    setNeedsDisplay(true);
}

bool Button::allowsMixedState() const {
    return cell()->allowsMixedState();
}
void Button::setAllowsMixedState(bool flag) {
    cell()->setAllowsMixedState(flag);
}
std::string Button::keyEquivalent() const {
    return cell()->keyEquivalent();
}
void Button::setKeyEquivalent(std::string key) {
    WRITE(setKeyEquivalent(std::move(key)));
}
unsigned Button::keyEquivalentModifierMask() const {
    return READ(keyEquivalentModifierMask());
}
void Button::setKeyEquivalentModifierMask(unsigned mask) {
    WRITE(setKeyEquivalentModifierMask(mask));
}

#undef READ
#undef WRITE

bool Button::performKeyEquivalent(const Event& event) {
    if (isHiddenOrHasHiddenAncestor() || !isEnabled())
        return false;
    if (keyEquivalentMatchesEvent(keyEquivalent(), keyEquivalentModifierMask(), event)) {
        performClick(this);
        return true;
    }
    return Control::performKeyEquivalent(event);
}

void Button::updateTrackingAreas() {
    if (borderArea_) {
        removeTrackingArea(borderArea_.get());
        borderArea_.reset();
    }
    if (!showsBorderOnlyWhileMouseInside())
        return;
    borderArea_ =
        std::make_shared<TrackingArea>(bounds(),
                                       TrackingMouseEnteredAndExited | TrackingActiveAlways |
                                           TrackingInVisibleRect | TrackingEnabledDuringMouseDrag,
                                       this);
    addTrackingArea(borderArea_);
}

void Button::viewDidMoveToWindow() {
    updateTrackingAreas();
}

void Button::mouseEntered(const Event& event) {
    if (event.trackingArea() && event.trackingArea() == borderArea_.get()) {
        cell()->mouseEntered(event);
        setNeedsDisplay(true);
        return;
    }
    Control::mouseEntered(event);
}

void Button::mouseExited(const Event& event) {
    if (event.trackingArea() && event.trackingArea() == borderArea_.get()) {
        cell()->mouseExited(event);
        setNeedsDisplay(true);
        return;
    }
    Control::mouseExited(event);
}

} // namespace platform
