#include "platform/kit/TableHeaderView.h"

#include "platform/graphics/GraphicsContext.h"
#include "platform/kit/Control.h"
#include "platform/kit/TableView.h"

#include <algorithm>
#include <cmath>

namespace platform {

namespace {

// How close to a column's right edge a press starts resizing it.
constexpr double kEdgeReach = 3;

} // namespace

TableHeaderCell::TableHeaderCell() : TableHeaderCell(std::string()) {}

TableHeaderCell::TableHeaderCell(std::string title) : TextFieldCell(std::move(title)) {
    setFont(Font::systemFontOfSize(Font::smallSystemFontSize()));
    setLineBreakMode(LineBreakMode::ByTruncatingTail);
}

void TableHeaderCell::drawWithFrame(const Rect& cellFrame, View* controlView) {
    if (GraphicsContext* context = GraphicsContext::currentContext()) {
        context->setFillColor(Color::colorWithCalibratedWhite(isHighlighted() ? 0.82 : 0.93, 1));
        context->fillRect(cellFrame);
        context->setFillColor(Color::colorWithCalibratedWhite(0.7, 1));
        context->fillRect({cellFrame.maxX() - 1, cellFrame.minY(), 1, cellFrame.height()});
        const bool flipped = controlView && controlView->isFlipped();
        context->fillRect({cellFrame.minX(), flipped ? cellFrame.maxY() - 1 : cellFrame.minY(),
                           cellFrame.width(), 1});
    }
    drawInteriorWithFrame(cellFrame.insetBy(3, 0), controlView);
}

TableHeaderView::TableHeaderView(const Rect& frame) : View(frame) {}

Rect TableHeaderView::headerRectOfColumn(long column) const {
    if (!tableView_)
        return {};
    const Rect rect = tableView_->rectOfColumn(column);
    if (rect.width() <= 0)
        return {};
    return {rect.minX(), 0, rect.width(), bounds().height()};
}

long TableHeaderView::columnAtPoint(Point point) const {
    if (!tableView_ || !mouseInRect(point, bounds()))
        return -1;
    return tableView_->columnAtPoint(point);
}

long TableHeaderView::columnEdgeAtPoint(Point point) const {
    if (!tableView_)
        return -1;
    for (long c = 0; c < tableView_->numberOfColumns(); ++c) {
        const Rect rect = headerRectOfColumn(c);
        if (rect.width() > 0 && std::abs(point.x - rect.maxX()) <= kEdgeReach)
            return c;
    }
    return -1;
}

void TableHeaderView::drawRect(const Rect& dirtyRect) {
    GraphicsContext* context = GraphicsContext::currentContext();
    if (!context)
        return;
    context->setFillColor(Color::colorWithCalibratedWhite(0.93, 1));
    context->fillRect(dirtyRect);
    if (!tableView_)
        return;
    for (long column : tableView_->columnIndexesInRect(dirtyRect)) {
        const Rect rect = headerRectOfColumn(column);
        if (Cell* cell = tableView_->tableColumns()[column]->headerCell())
            cell->drawWithFrame(rect, this);
    }
}

void TableHeaderView::mouseDown(const Event& event) {
    resizedColumn_ = -1;
    if (!tableView_)
        return;
    auto keep = weak_from_this().lock();
    const Point p = pointInView(event, *this);
    const long edge = columnEdgeAtPoint(p);
    if (edge >= 0 &&
        (tableView_->tableColumns()[edge]->resizingMask() & TableColumnUserResizingMask)) {
        resizedColumn_ = edge;
        resizeStartX_ = p.x;
        resizeStartWidth_ = tableView_->tableColumns()[edge]->width();
        return;
    }
    const long column = columnAtPoint(p);
    if (column < 0)
        return;
    tableView_->mouseDownInHeaderOfTableColumn(*tableView_->tableColumns()[column]);
}

void TableHeaderView::mouseDragged(const Event& event) {
    if (resizedColumn_ < 0 || !tableView_ || resizedColumn_ >= tableView_->numberOfColumns())
        return;
    const Point p = pointInView(event, *this);
    tableView_->tableColumns()[resizedColumn_]->setWidth(resizeStartWidth_ + p.x - resizeStartX_);
}

void TableHeaderView::mouseUp(const Event& event) {
    if (!tableView_)
        return;
    if (resizedColumn_ >= 0) {
        resizedColumn_ = -1;
        return;
    }
    auto keep = weak_from_this().lock();
    const long column = columnAtPoint(pointInView(event, *this));
    if (column < 0)
        return;
    tableView_->didClickTableColumn(*tableView_->tableColumns()[column]);
}

} // namespace platform
