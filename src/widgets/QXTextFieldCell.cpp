#include "widgets/QXTextFieldCell.h"

#include "platform/kit/Cursor.h"
#include "platform/kit/Event.h"
#include "platform/kit/TextView.h"
#include "widgets/QXTextField.h"

using platform::Rect;

namespace {

// The part of `frame` the cell may use in its control view: the text area when the control is
// one of ours, else the whole frame.
Rect usableFrame(const Rect& frame, platform::View* controlView) {
    if (auto* field = dynamic_cast<QXTextField*>(controlView))
        return field->textAreaForFrame(frame);
    return frame;
}

} // namespace

Rect QXTextFieldCell::editingFrame(const Rect& frame, platform::View* controlView) const {
    auto* field = dynamic_cast<QXTextField*>(controlView);
    if (!field)
        return frame;
    Rect area = field->textAreaForFrame(frame);
    if (field->radius() <= 0) {
        area.origin.x -= 1;
        return area;
    }
    // A rounded field draws its own text 3.5 points into the text area and 3 points down; the
    // editor goes where that text was, so the text does not jump when editing starts.
    const Rect drawn(area.minX() + 3.5, area.minY() + 3, area.width() - 5, area.height() - 3);
    const Rect probe(0, 0, 100, 100);
    const Rect title = titleRectForBounds(probe);
    return Rect(drawn.minX() - (title.minX() - probe.minX()),
                drawn.minY() - (title.minY() - probe.minY()),
                drawn.width() + (probe.width() - title.width()),
                drawn.height() + (probe.height() - title.height()));
}

void QXTextFieldCell::drawInteriorWithFrame(const Rect& cellFrame, platform::View* controlView) {
    TextFieldCell::drawInteriorWithFrame(usableFrame(cellFrame, controlView), controlView);
}

void QXTextFieldCell::editWithFrame(const Rect& frame, platform::View* controlView,
                                    platform::TextView& editor,
                                    platform::TextViewDelegate* delegate,
                                    const platform::Event* event) {
    // Selecting through the base keeps the text area from being applied a second time by our
    // own selectWithFrame.
    TextFieldCell::selectWithFrame(editingFrame(frame, controlView), controlView, editor, delegate,
                                   stringValue().size(), 0);
    if (event && event->type() == platform::EventType::LeftMouseDown)
        editor.mouseDown(*event);
}

void QXTextFieldCell::selectWithFrame(const Rect& frame, platform::View* controlView,
                                      platform::TextView& editor,
                                      platform::TextViewDelegate* delegate,
                                      std::size_t selectionStart, std::size_t selectionLength) {
    TextFieldCell::selectWithFrame(editingFrame(frame, controlView), controlView, editor, delegate,
                                   selectionStart, selectionLength);
}

void QXTextFieldCell::resetCursorRect(const Rect& cellFrame, platform::View* controlView) {
    if (!dynamic_cast<QXTextField*>(controlView)) {
        TextFieldCell::resetCursorRect(cellFrame, controlView);
        return;
    }
    Rect area = usableFrame(cellFrame, controlView);
    if (isBezeled()) {
        area.origin.x += 2;
        area.size.width -= 4;
        if (bezelStyle() == platform::TextFieldBezelStyle::Rounded) {
            area.origin.x += 6;
            area.size.width -= 12;
        }
    }
    if (isSelectable() && area.width() > 0)
        controlView->addCursorRect(area, platform::Cursor::IBeamCursor());
}
