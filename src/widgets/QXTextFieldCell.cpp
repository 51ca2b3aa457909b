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

void QXTextFieldCell::drawInteriorWithFrame(const Rect& cellFrame, platform::View* controlView) {
    TextFieldCell::drawInteriorWithFrame(usableFrame(cellFrame, controlView), controlView);
}

void QXTextFieldCell::editWithFrame(const Rect& frame, platform::View* controlView,
                                    platform::TextView& editor,
                                    platform::TextViewDelegate* delegate,
                                    const platform::Event* event) {
    // Selecting through the base keeps the text area from being applied a second time by our
    // own selectWithFrame.
    TextFieldCell::selectWithFrame(usableFrame(frame, controlView), controlView, editor, delegate,
                                   stringValue().size(), 0);
    if (event && event->type() == platform::EventType::LeftMouseDown)
        editor.mouseDown(*event);
}

void QXTextFieldCell::selectWithFrame(const Rect& frame, platform::View* controlView,
                                      platform::TextView& editor,
                                      platform::TextViewDelegate* delegate,
                                      std::size_t selectionStart, std::size_t selectionLength) {
    Rect area = frame;
    if (dynamic_cast<QXTextField*>(controlView)) {
        area = usableFrame(frame, controlView);
        area.origin.x -= 1;
    }
    TextFieldCell::selectWithFrame(area, controlView, editor, delegate, selectionStart,
                                   selectionLength);
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
