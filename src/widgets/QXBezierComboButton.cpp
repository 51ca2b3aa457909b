#include "widgets/QXBezierComboButton.h"

#include "platform/foundation/Log.h"
#include "platform/kit/Menu.h"
#include "platform/kit/PopUpButtonCell.h"
#include "platform/kit/View.h"
#include "support/ConvertObjectIntoSubclass.h"

#include <utility>

QXBezierComboButton::QXBezierComboButton(const platform::Rect& frame) : Button(frame) {
    setCell(platform::make<QXBezierComboButtonCell>());
}

std::shared_ptr<QXBezierComboButton>
QXBezierComboButton::initWithCoder(const platform::Rect& frame,
                                   std::shared_ptr<platform::Cell> decodedCell) {
    auto button = std::make_shared<QXBezierComboButton>(frame);
    if (decodedCell)
        button->setCell(std::move(decodedCell));
    if (!button->comboCell())
        ConvertCellOfControl<QXBezierComboButtonCell, platform::ButtonCell>(*button);
    return button;
}

QXBezierComboButtonCell* QXBezierComboButton::comboCell() const {
    return dynamic_cast<QXBezierComboButtonCell*>(cell());
}

#define COMBO_LOOK(Type, getter, setter)                                                           \
    Type QXBezierComboButton::getter() const {                                                     \
        return comboCell() ? comboCell()->getter() : Type{};                                       \
    }                                                                                              \
    void QXBezierComboButton::setter(Type value) {                                                 \
        if (QXBezierComboButtonCell* c = comboCell()) {                                            \
            c->setter(std::move(value));                                                           \
            setNeedsDisplay(true);                                                                 \
        }                                                                                          \
    }

COMBO_LOOK(std::shared_ptr<QXOutlinePath>, shape, setShape)
COMBO_LOOK(std::shared_ptr<QXGradient>, normalGradient, setNormalGradient)
COMBO_LOOK(std::shared_ptr<QXGradient>, pressedGradient, setPressedGradient)
COMBO_LOOK(std::shared_ptr<QXGradient>, highlightGradient, setHighlightGradient)
COMBO_LOOK(std::optional<platform::Color>, borderColor, setBorderColor)
COMBO_LOOK(std::optional<platform::Color>, fontColor, setFontColor)

#undef COMBO_LOOK

void QXBezierComboButton::mouseDown(const platform::Event& event) {
    auto keep = weak_from_this().lock();
    const platform::Point p = platform::pointInView(event, *this);
    const platform::Size size = frame().size;
    QXBezierComboButtonCell* combo = comboCell();
    if (p.x > 0 && p.x <= size.width - kMenuPartWidth && p.y > 0 && p.y <= size.height &&
        event.clickCount() <= 2) {
        platform::Logf("point %@, frame %@", platform::stringFromPoint(p),
                       platform::stringFromRect(frame()));
        if (combo)
            combo->setMouseClickedButton(true);
        drawCell(cell());
        performClick(this);
        if (combo)
            combo->setMouseClickedButton(false);
        return;
    }
    // More than one click outside the button part does nothing, nor does a disabled button's
    // menu part.
    if (event.clickCount() > 1 || !isEnabled())
        return;
    if (combo)
        combo->setMouseClickedMenu(true);
    drawCell(cell());
    auto popUp = std::make_shared<platform::PopUpButtonCell>("accounts", true);
    popUp->setMenu(menu());
    platform::Rect place = frame();
    place.origin.x -= 3;
    place.origin.y -= 3;
    popUp->performClickWithFrame(place, superview());
    if (combo)
        combo->setMouseClickedMenu(false);
    drawCell(cell());
}

void QXBezierComboButton::mouseUp(const platform::Event& /*event*/) {
    if (QXBezierComboButtonCell* combo = comboCell())
        combo->setMouseClickedButton(false);
    drawCell(cell());
}

void QXBezierComboButton::rightMouseDown(const platform::Event& /*event*/) {}
