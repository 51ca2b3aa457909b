#pragma once

#include "platform/kit/TableView.h"
#include "widgets/QXGradient.h"
#include "widgets/QXRowHover.h"

#include <memory>
#include <optional>

class QXTableView;

// The branded lists look at a key only when it types exactly one character, modifiers ignored;
// that character, or nullopt for any other event.
std::optional<char32_t> QXListKeyCharacter(const platform::Event& event);

// What the branded table asks of its delegate besides the platform's messages. Every message
// is optional: the key messages answer whether the delegate took the key, and the default
// (a delegate that does not implement them) answers false, which leaves the key to the
// platform table.
class QXTableViewDelegate : public platform::TableViewDelegate {
public:
    // Enter or Return, when the table does not send its double action for it.
    virtual bool enterKeyPressed() { return false; }
    // Backspace, Delete or forward delete while `row` is selected.
    virtual bool tableViewShouldDeleteRow(QXTableView& /*tableView*/, long /*row*/) {
        return false;
    }
    // The row under the mouse changed (-1: none).
    virtual void tableViewMouseChangedFromRow(QXTableView& /*tableView*/, long /*previousRow*/,
                                              long /*newRow*/) {}
};

// The platform table with rows painted from four optional gradients (the platform's selection
// and alternating colours where one is unset), the row under the mouse tracked for hover looks,
// Enter, the delete keys and the page keys handed to the delegate or the scroll view, and
// cursor rectangles from the rows' QXTableCell cells.
class QXTableView : public platform::TableView {
public:
    explicit QXTableView(const platform::Rect& frame = {});
    ~QXTableView() override;

    // The original's internalSetup, run by initialize() and awake().
    void initialize() override;
    void awake() override;

    // The platform delegate when it also speaks the branded messages, else nullptr.
    QXTableViewDelegate* qxDelegate() const;

    // Mouse-over tracking, off at first. Turning it on (again) resets mouseOverRow to -1;
    // turning it off leaves the last hovered row as it was.
    void setTrackMouseOver(bool flag);
    bool trackMouseOver() const { return _hover.trackMouseOver(); }
    // The row under the mouse, -1 for none.
    long mouseOverRow() const { return _hover.mouseOverRow(); }

    // Enter and Return send the double action when one is set.
    bool sendActionOnEnter() const { return _sendActionOnEnter; }
    void setSendActionOnEnter(bool flag) { _sendActionOnEnter = flag; }

    const std::shared_ptr<QXGradient>& rowGradient() const { return _rowGradient; }
    void setRowGradient(std::shared_ptr<QXGradient> gradient);
    const std::shared_ptr<QXGradient>& alternateRowGradient() const { return _altRowGradient; }
    void setAlternateRowGradient(std::shared_ptr<QXGradient> gradient);
    const std::shared_ptr<QXGradient>& selectedRowGradient() const { return _selectedGradient; }
    void setSelectedRowGradient(std::shared_ptr<QXGradient> gradient);
    const std::shared_ptr<QXGradient>& inactiveRowGradient() const { return _inactiveSelGradient; }
    void setInactiveRowGradient(std::shared_ptr<QXGradient> gradient);

    void updateTrackingAreas() override;
    void mouseEntered(const platform::Event& event) override;
    void mouseExited(const platform::Event& event) override;
    void mouseMoved(const platform::Event& event) override;
    void keyDown(const platform::Event& event) override;
    void highlightSelectionInClipRect(const platform::Rect& clipRect) override;
    void resetCursorRects() override;

private:
    void internalSetup();

    bool _sendActionOnEnter = false;
    QXRowHover _hover;
    std::shared_ptr<QXGradient> _rowGradient;
    std::shared_ptr<QXGradient> _altRowGradient;
    std::shared_ptr<QXGradient> _selectedGradient;
    std::shared_ptr<QXGradient> _inactiveSelGradient;
};
