#include "widgets/QXButton.h"

#include "platform/kit/View.h"
#include "support/ConvertObjectIntoSubclass.h"

#include <utility>

QXButton::QXButton(const platform::Rect& frame) : Button(frame) {
    setCell(platform::make<QXButtonCell>());
}

std::shared_ptr<QXButton> QXButton::initWithCoder(const platform::Rect& frame,
                                                  std::shared_ptr<platform::Cell> decodedCell) {
    auto button = std::make_shared<QXButton>(frame);
    if (decodedCell)
        button->setCell(std::move(decodedCell));
    button->convertPlainCell();
    return button;
}

void QXButton::convertPlainCell() {
    if (qxCell())
        return;
    const std::string key = cell()->keyEquivalent();
    if (auto converted = ConvertCellOfControl<QXButtonCell, platform::ButtonCell>(*this))
        converted->setKeyEquivalent(key);
}

QXButtonCell* QXButton::qxCell() const {
    return dynamic_cast<QXButtonCell*>(cell());
}

void QXButton::setHighlightImage(std::shared_ptr<platform::Image> image) {
    if (QXButtonCell* c = qxCell()) {
        c->setMouseOverImage(std::move(image));
        setNeedsDisplay(true);
    }
}

std::shared_ptr<platform::Image> QXButton::highlightImage() const {
    return qxCell() ? qxCell()->mouseOverImage() : nullptr;
}

void QXButton::setDisabledImage(std::shared_ptr<platform::Image> image) {
    if (QXButtonCell* c = qxCell()) {
        c->setDisabledImage(std::move(image));
        setNeedsDisplay(true);
    }
}

std::shared_ptr<platform::Image> QXButton::disabledImage() const {
    return qxCell() ? qxCell()->disabledImage() : nullptr;
}

void QXButton::setButtonType(int type) {
    Button::setButtonType(type);
}

int QXButton::buttonType() const {
    return qxCell() ? qxCell()->buttonType() : QXButtonTypePlatform;
}
