#pragma once

#include "platform/kit/OutlineView.h"
#include "widgets/QXGradient.h"
#include "widgets/QXRowHover.h"

#include <memory>

class QXOutlineView;

// What the branded outline asks of its delegate besides the platform's messages. Every message
// is optional. The key messages answer whether the delegate took the key; the outline consumes
// Enter and the delete keys whatever the answer, and passes Space on in every case.
class QXOutlineViewDelegate : public platform::OutlineViewDelegate {
public:
    // Whether groups show as an expandable tree; asked for every cell frame.
    virtual bool isTreeViewMode() { return false; }
    virtual bool enterKeyPressed() { return false; }
    // Delete or forward delete with a row selected.
    virtual bool deleteKeyPressed() { return false; }
    virtual bool spaceKeyPressed() { return false; }
    // Declared for the lists; the outline never sends it.
    virtual bool outlineViewShouldDeleteRow(QXOutlineView& /*outlineView*/, long /*row*/) {
        return false;
    }
    // A group item's row is drawn in the group style: a band across the row under its cell.
    virtual bool outlineViewIsGroupItem(platform::OutlineView& /*outlineView*/,
                                        const platform::OutlineItem& /*item*/) {
        return false;
    }
    // The row under the mouse changed (-1: none).
    virtual void outlineViewMouseChangedFromRow(QXOutlineView& /*outlineView*/,
                                                long /*previousRow*/, long /*newRow*/) {}
};

// The platform outline with the branded table's mouse-over row tracking, keys handed to the
// delegate (Enter, the delete keys and Space; the page keys scroll), cell frames moved left by
// an indent correction, and cursor rectangles from the rows' QXTableCell cells. The row
// gradients are kept for the lists; the outline does not paint rows with them.
class QXOutlineView : public platform::OutlineView {
public:
    explicit QXOutlineView(const platform::Rect& frame = {});
    ~QXOutlineView() override;

    // The outline is made by interface definitions: awake() runs the original's internalSetup.
    void awake() override;

    // The platform delegate when it also speaks the branded messages, else nullptr.
    QXOutlineViewDelegate* qxDelegate() const;

    void setTrackMouseOver(bool flag);
    bool trackMouseOver() const { return _hover.trackMouseOver(); }
    long mouseOverRow() const { return _hover.mouseOverRow(); }

    // Points by which cell frames move left and widen (top-level rows keep theirs in tree-view
    // mode); a negative correction narrows them and moves them right.
    int indentCorrection() const { return _indentCorrection; }
    void setIndentCorrection(int correction) { _indentCorrection = correction; }

    // Stored for the lists; the outline's keys do not consult it.
    bool sendActionOnEnter() const { return _sendActionOnEnter; }
    void setSendActionOnEnter(bool flag) { _sendActionOnEnter = flag; }

    const std::shared_ptr<QXGradient>& rowGradient() const { return _rowGradient; }
    void setRowGradient(std::shared_ptr<QXGradient> gradient) {
        _rowGradient = std::move(gradient);
    }
    const std::shared_ptr<QXGradient>& alternateRowGradient() const { return _altRowGradient; }
    void setAlternateRowGradient(std::shared_ptr<QXGradient> gradient) {
        _altRowGradient = std::move(gradient);
    }
    const std::shared_ptr<QXGradient>& selectedRowGradient() const { return _selectedGradient; }
    void setSelectedRowGradient(std::shared_ptr<QXGradient> gradient) {
        _selectedGradient = std::move(gradient);
    }
    const std::shared_ptr<QXGradient>& inactiveRowGradient() const { return _inactiveSelGradient; }
    void setInactiveRowGradient(std::shared_ptr<QXGradient> gradient) {
        _inactiveSelGradient = std::move(gradient);
    }

    platform::Rect frameOfCellAtColumn(long column, long row) const override;
    void drawRow(long row, const platform::Rect& clipRect) override;
    void updateTrackingAreas() override;
    void mouseEntered(const platform::Event& event) override;
    void mouseExited(const platform::Event& event) override;
    void mouseMoved(const platform::Event& event) override;
    void keyDown(const platform::Event& event) override;
    // A right click pops up the outline's menu (its delegate fills it) when it has one.
    void rightMouseDown(const platform::Event& event) override;
    void resetCursorRects() override;

private:
    void internalSetup();

    int _indentCorrection = 0;
    bool _sendActionOnEnter = false;
    QXRowHover _hover;
    std::shared_ptr<QXGradient> _rowGradient;
    std::shared_ptr<QXGradient> _altRowGradient;
    std::shared_ptr<QXGradient> _selectedGradient;
    std::shared_ptr<QXGradient> _inactiveSelGradient;
};
