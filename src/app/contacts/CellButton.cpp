#include "app/contacts/CellButton.h"

#include "platform/graphics/Image.h"
#include "support/ImageExtensions.h"

void CellButton::draw() const {
    if (hidden || !image) {
        return;
    }
    OrvantaExtensions::drawPreservingArInRect(
        *image, frame, {}, platform::CompositingOperation::SourceOver, opacity(), true);
}
