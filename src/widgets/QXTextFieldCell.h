#pragma once

#include "platform/kit/TextFieldCell.h"

#include <memory>
#include <string>

// The cell of a QXTextField: it draws, edits and selects only inside the text area that the
// field's side buttons and rounded corners leave, so typed text never runs under a button.
// In any other control it behaves as the platform's text field cell.
class QXTextFieldCell : public platform::TextFieldCell {
public:
    QXTextFieldCell() = default;
    explicit QXTextFieldCell(std::string text) : TextFieldCell(std::move(text)) {}
    QXTextFieldCell(const QXTextFieldCell& other) = default;
    std::shared_ptr<platform::Cell> copy() const override {
        return std::make_shared<QXTextFieldCell>(*this);
    }

    void drawInteriorWithFrame(const platform::Rect& cellFrame,
                               platform::View* controlView) override;
    void editWithFrame(const platform::Rect& frame, platform::View* controlView,
                       platform::TextView& editor, platform::TextViewDelegate* delegate,
                       const platform::Event* event) override;
    void selectWithFrame(const platform::Rect& frame, platform::View* controlView,
                         platform::TextView& editor, platform::TextViewDelegate* delegate,
                         std::size_t selectionStart, std::size_t selectionLength) override;
    void resetCursorRect(const platform::Rect& cellFrame, platform::View* controlView) override;

private:
    // Where the field editor goes: the text area, 1 point to the left; in a rounded field, over
    // the text the field draws itself.
    platform::Rect editingFrame(const platform::Rect& frame, platform::View* controlView) const;
};
