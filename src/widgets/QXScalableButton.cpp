#include "widgets/QXScalableButton.h"

#include "support/ButtonExtensions.h"

#include <utility>

namespace {

std::optional<platform::Color>& fontColor() {
    static std::optional<platform::Color> color;
    return color;
}

} // namespace

QXScalableButton::QXScalableButton(const platform::Rect& frame) : QXButton(frame) {
    QXScalableButton::initialize();
}

std::shared_ptr<QXScalableButton>
QXScalableButton::initWithCoder(const platform::Rect& frame,
                                std::shared_ptr<platform::Cell> decodedCell) {
    auto button = std::make_shared<QXScalableButton>(frame);
    if (decodedCell)
        button->setCell(std::move(decodedCell));
    button->convertPlainCell();
    button->initialize();
    return button;
}

void QXScalableButton::setDefaultFontColor(std::optional<platform::Color> color) {
    fontColor() = color;
}

std::optional<platform::Color> QXScalableButton::defaultFontColor() {
    return fontColor();
}

void QXScalableButton::initialize() {
    QXButton::initialize();
    setButtonType(QXButtonTypeScalable);
    if (!fontColor())
        fontColor() = platform::Color::colorWithCalibratedRed(0, 0, 0, 1.0);
    OrvantaExtensions::setTextColor(*this, *fontColor());
}

void QXScalableButton::setTitle(std::string title) {
    // The platform drops the title's attributes with its text, so the colour is taken first;
    // an empty title has none of its own and takes the class default.
    const std::optional<platform::Color> color =
        Button::title().empty() ? fontColor() : OrvantaExtensions::textColor(*this);
    Button::setTitle(std::move(title));
    if (color)
        OrvantaExtensions::setTextColor(*this, *color);
}
