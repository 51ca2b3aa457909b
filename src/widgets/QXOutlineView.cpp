#include "widgets/QXOutlineView.h"

#include "platform/graphics/GraphicsContext.h"
#include "platform/kit/ClipView.h"
#include "platform/kit/Event.h"
#include "platform/kit/Menu.h"
#include "platform/kit/ScrollView.h"
#include "widgets/QXTableCell.h"
#include "widgets/QXTableView.h"

using platform::Event;
using platform::Rect;

QXOutlineView::QXOutlineView(const Rect& frame) : platform::OutlineView(frame) {}

QXOutlineView::~QXOutlineView() {
    _hover.removeTrackingArea(*this);
}

void QXOutlineView::awake() {
    platform::OutlineView::awake();
    internalSetup();
}

void QXOutlineView::internalSetup() {
    _indentCorrection = 0;
    _hover.resetRows();
    _rowGradient.reset();
    _altRowGradient.reset();
    _selectedGradient.reset();
    _inactiveSelGradient.reset();
}

QXOutlineViewDelegate* QXOutlineView::qxDelegate() const {
    return dynamic_cast<QXOutlineViewDelegate*>(delegate());
}

void QXOutlineView::setTrackMouseOver(bool flag) {
    _hover.setTrackMouseOver(*this, flag);
}

Rect QXOutlineView::frameOfCellAtColumn(long column, long row) const {
    Rect frame = platform::OutlineView::frameOfCellAtColumn(column, row);
    // Rows and columns the outline does not have keep the zero rectangle.
    if (row < 0 || row >= numberOfRows() || column < 0 || column >= numberOfColumns())
        return frame;
    QXOutlineViewDelegate* d = qxDelegate();
    if (d && d->isTreeViewMode() && levelForRow(row) == 0)
        return frame;
    frame.origin.x -= _indentCorrection;
    frame.size.width += _indentCorrection;
    return frame;
}

void QXOutlineView::drawRow(long row, const Rect& clipRect) {
    QXOutlineViewDelegate* d = qxDelegate();
    platform::GraphicsContext* context = platform::GraphicsContext::currentContext();
    if (d && context && !isRowSelected(row) && d->outlineViewIsGroupItem(*this, itemAtRow(row))) {
        const Rect band = rectOfRow(row);
        context->setFillColor(platform::Color(0.90, 0.92, 0.95, 1.0));
        context->fillRect(band.intersection(clipRect));
        context->setFillColor(platform::Color(0.78, 0.81, 0.86, 1.0));
        context->fillRect(
            Rect{band.minX(), band.maxY() - 1, band.width(), 1}.intersection(clipRect));
    }
    platform::OutlineView::drawRow(row, clipRect);
}

void QXOutlineView::updateTrackingAreas() {
    platform::OutlineView::updateTrackingAreas();
    _hover.updateTrackingAreas(*this);
}

void QXOutlineView::mouseEntered(const Event& /*event*/) {
    _hover.mouseEntered();
}

void QXOutlineView::mouseExited(const Event& /*event*/) {
    _hover.mouseExited(*this);
}

void QXOutlineView::mouseMoved(const Event& event) {
    const auto change = _hover.mouseMoved(*this, event);
    if (!change)
        return;
    if (QXOutlineViewDelegate* d = qxDelegate())
        d->outlineViewMouseChangedFromRow(*this, change->previousRow, change->newRow);
}

// Unlike the table, Backspace is no delete key here, Enter and the delete keys never reach the
// platform outline, and Space reaches both the delegate and the platform (type-select).
void QXOutlineView::rightMouseDown(const Event& event) {
    if (menu()) {
        platform::Menu::popUpContextMenu(menu(), event, this);
        return;
    }
    platform::OutlineView::rightMouseDown(event);
}

void QXOutlineView::keyDown(const Event& event) {
    auto keep = weak_from_this().lock();
    const std::optional<char32_t> c = QXListKeyCharacter(event);
    if (c) {
        QXOutlineViewDelegate* d = qxDelegate();
        switch (*c) {
        case platform::EnterCharacter:
        case platform::CarriageReturnCharacter:
            if (d)
                d->enterKeyPressed();
            return;
        case platform::DeleteCharacter:
        case platform::DeleteFunctionKey:
            if (d && selectedRow() >= 0)
                d->deleteKeyPressed();
            return;
        case U' ':
            if (d)
                d->spaceKeyPressed();
            break;
        case platform::PageUpFunctionKey:
            if (platform::ScrollView* scroll = platform::enclosingScrollView(*this))
                scroll->pageUp(this);
            break;
        case platform::PageDownFunctionKey:
            if (platform::ScrollView* scroll = platform::enclosingScrollView(*this))
                scroll->pageDown(this);
            break;
        default:
            break;
        }
    }
    platform::OutlineView::keyDown(event);
}

// The old system's branch (its own cursor rectangles on 10.6 and earlier) has no counterpart
// here: this platform always counts as a newer system.
void QXOutlineView::resetCursorRects() {
    platform::OutlineViewDelegate* d = delegate();
    if (!d)
        return;
    const platform::RowRange rows = rowsInRect(visibleRect());
    for (long row = rows.location; row < rows.end(); ++row) {
        const platform::OutlineItem item = itemAtRow(row);
        const Rect rowRect = rectOfRow(row);
        for (const auto& column : tableColumns()) {
            const auto cell = d->outlineViewDataCellForTableColumn(*this, column.get(), item);
            if (!cell)
                return;
            if (auto* tableCell = dynamic_cast<QXTableCell*>(cell->get()))
                tableCell->addCursorRectsForFrame(rowRect, this);
        }
    }
}
