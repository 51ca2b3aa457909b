#include "widgets/QXAutoscaleTextField.h"

#include "platform/graphics/AttributedString.h"
#include "platform/graphics/TextLayout.h"

#include <algorithm>

QXAutoscaleTextField::QXAutoscaleTextField(const platform::Rect& frame) : TextField(frame) {
    cell()->setWraps(true);
}

// The limits a field from an interface definition starts with; fields made in code start with
// the same ones, so that a new field is never squeezed to nothing.
void QXAutoscaleTextField::initialize() {
    _minSize = {16, 16};
    _maxSize = {10000000, 10000000};
}

void QXAutoscaleTextField::awake() {
    TextField::awake();
    initialize();
}

void QXAutoscaleTextField::setStringValue(std::string value) {
    TextField::setStringValue(std::move(value));
    adjustSize();
}

void QXAutoscaleTextField::adjustSize() {
    platform::TextAttributes attributes;
    attributes.font = font();
    const platform::AttributedString text(stringValue(), attributes);
    const platform::TextLayout layout(text, frame().width());
    double height = layout.usedRect().height() + 3;
    height = std::min(height, _maxSize.height);
    height = std::max(height, _minSize.height);
    platform::Rect r = frame();
    r.origin.y -= height - r.height();
    r.size.height = height;
    setFrame(r);
    setNeedsDisplay(true);
}
