#include "widgets/QXPopUpButton.h"

#include "platform/graphics/AttributedString.h"
#include "support/TextExtensions.h"

QXPopUpButton::QXPopUpButton(const platform::Rect& frame, bool pullsDown)
    : PopUpButton(frame, pullsDown) {}

void QXPopUpButton::awake() {
    PopUpButton::awake();
    _resizeToFit = true;
}

void QXPopUpButton::updateCell(platform::Cell* cell) {
    if (_resizeToFit) {
        // The shown title (the selected item's, or a pull-down's first) in the button's font.
        platform::TextAttributes attributes;
        attributes.font = font();
        const double needed =
            OrvantaExtensions::widthForHeight(platform::AttributedString(title(), attributes),
                                              frame().height()) +
            40;
        const double available = superview() ? superview()->frame().width() : needed;
        platform::Rect fitted = frame();
        fitted.size.width = available > needed ? needed : available;
        setFrame(fitted);
    }
    PopUpButton::updateCell(cell);
}

void QXPopUpButton::resizeSubviewsWithOldSize(platform::Size /*oldSize*/) {
    updateCell(cell());
}

void QXPopUpButton::resizeWithOldSuperviewSize(platform::Size /*oldSize*/) {
    updateCell(cell());
}
