#include "widgets/QXBezierButton.h"

#include "platform/kit/Menu.h"
#include "platform/kit/PopUpButtonCell.h"
#include "platform/kit/View.h"
#include "support/ConvertObjectIntoSubclass.h"

#include <utility>

QXBezierButton::QXBezierButton(const platform::Rect& frame) : Button(frame) {
    setCell(platform::make<QXBezierButtonCell>());
}

std::shared_ptr<QXBezierButton>
QXBezierButton::initWithCoder(const platform::Rect& frame,
                              std::shared_ptr<platform::Cell> decodedCell) {
    auto button = std::make_shared<QXBezierButton>(frame);
    if (decodedCell)
        button->setCell(std::move(decodedCell));
    if (!button->bezierCell())
        ConvertCellOfControl<QXBezierButtonCell, platform::ButtonCell>(*button);
    return button;
}

QXBezierButtonCell* QXBezierButton::bezierCell() const {
    return dynamic_cast<QXBezierButtonCell*>(cell());
}

#define BEZIER_LOOK(Type, getter, setter)                                                          \
    Type QXBezierButton::getter() const {                                                          \
        return bezierCell() ? bezierCell()->getter() : Type{};                                     \
    }                                                                                              \
    void QXBezierButton::setter(Type value) {                                                      \
        if (QXBezierButtonCell* c = bezierCell()) {                                                \
            c->setter(std::move(value));                                                           \
            setNeedsDisplay(true);                                                                 \
        }                                                                                          \
    }

BEZIER_LOOK(std::shared_ptr<QXOutlinePath>, shape, setShape)
BEZIER_LOOK(std::shared_ptr<QXGradient>, normalGradient, setNormalGradient)
BEZIER_LOOK(std::shared_ptr<QXGradient>, pressedGradient, setPressedGradient)
BEZIER_LOOK(std::shared_ptr<QXGradient>, highlightGradient, setHighlightGradient)
BEZIER_LOOK(std::optional<platform::Color>, borderColor, setBorderColor)
BEZIER_LOOK(std::optional<platform::Color>, fontColor, setFontColor)

#undef BEZIER_LOOK

void QXBezierButton::mouseDown(const platform::Event& event) {
    auto keep = weak_from_this().lock();
    menuAfterRelease_ = false;
    Button::mouseDown(event);
    // A disabled button neither clicks nor opens its menu.
    if (!menu() || !isEnabled())
        return;
    // Still highlighted: the platform's tracking is waiting for the release (mouseUp).
    if (cell()->isHighlighted()) {
        menuAfterRelease_ = true;
        return;
    }
    popUpMenu();
}

void QXBezierButton::mouseUp(const platform::Event& event) {
    auto keep = weak_from_this().lock();
    Button::mouseUp(event);
    if (menuAfterRelease_) {
        menuAfterRelease_ = false;
        popUpMenu();
    }
}

void QXBezierButton::rightMouseDown(const platform::Event& /*event*/) {}

void QXBezierButton::popUpMenu() {
    if (!menu())
        return;
    auto keep = weak_from_this().lock();
    drawCell(cell());
    auto popUp = std::make_shared<platform::PopUpButtonCell>("accounts", true);
    popUp->setMenu(menu());
    platform::Rect frame = this->frame();
    frame.origin.x -= 3;
    frame.origin.y -= 3;
    popUp->performClickWithFrame(frame, superview());
    drawCell(cell());
}
