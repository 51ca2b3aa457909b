#include "platform/kit/OutlineView.h"

#include "platform/graphics/BezierPath.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/kit/Control.h"

#include <algorithm>

namespace platform {

namespace {

// A data source whose items contain themselves would otherwise expand for ever.
constexpr long kMaxDepth = 256;

} // namespace

OutlineView::OutlineView(const Rect& frame) : TableView(frame) {}

OutlineView::~OutlineView() = default;

void OutlineView::setDataSource(OutlineViewDataSource* dataSource) {
    dataSource_ = dataSource;
    rowsBuilt_ = false;
    rowsDidChange();
}

void OutlineView::setDelegate(OutlineViewDelegate* delegate) {
    TableView::setDelegate(nullptr);
    delegate_ = delegate;
    Control::setDelegate(delegate);
    rowsDidChange();
}

TableColumn* OutlineView::outlineTableColumn() const {
    for (const auto& column : tableColumns())
        if (column.get() == outlineColumn_)
            return outlineColumn_;
    for (const auto& column : tableColumns())
        if (!column->isHidden())
            return column.get();
    return nullptr;
}

void OutlineView::setOutlineTableColumn(TableColumn* column) {
    outlineColumn_ = column;
    setNeedsDisplay(true);
}

void OutlineView::setIndentationPerLevel(double indentation) {
    indentationPerLevel_ = indentation;
    setNeedsDisplay(true);
}

// The tree.

void OutlineView::ensureRows() const {
    if (rowsBuilt_)
        return;
    rowsBuilt_ = true;
    rows_.clear();
    auto* self = const_cast<OutlineView*>(this);
    if (dataSource_)
        self->appendChildren(nullptr, 0, rows_);
    self->reindex();
}

void OutlineView::appendChildren(const OutlineItem& parent, long level, std::vector<Row>& out) {
    if (!dataSource_ || level > kMaxDepth)
        return;
    const long count = dataSource_->outlineViewNumberOfChildrenOfItem(*this, parent);
    for (long i = 0; i < count; ++i) {
        OutlineItem child = dataSource_->outlineViewChild(*this, i, parent);
        if (!child)
            continue;
        const bool expandable = dataSource_->outlineViewIsItemExpandable(*this, child);
        out.push_back({child, parent, level, expandable});
        if (expandable && isItemExpanded(child))
            appendChildren(child, level + 1, out);
    }
}

void OutlineView::reindex() {
    rowOfItem_.clear();
    rowOfItem_.reserve(rows_.size());
    for (std::size_t r = 0; r < rows_.size(); ++r)
        rowOfItem_.emplace(rows_[r].item.get(), static_cast<long>(r));
}

long OutlineView::numberOfRowsFromDataSource() {
    ensureRows();
    return static_cast<long>(rows_.size());
}

void OutlineView::reloadData() {
    auto keep = weak_from_this().lock();
    std::vector<OutlineItem> selected;
    if (rowsBuilt_)
        for (long row : selectedRowIndexes())
            if (row < static_cast<long>(rows_.size()))
                selected.push_back(rows_[static_cast<std::size_t>(row)].item);
    const OutlineItem last = itemAtRow(selectedRow());
    for (auto it = expanded_.begin(); it != expanded_.end();)
        it = it->second.expired() ? expanded_.erase(it) : std::next(it);
    rowsBuilt_ = false;
    rowsDidChange();
    if (editedRow() >= numberOfRows())
        abortEditing();
    IndexSet next;
    for (const OutlineItem& item : selected)
        if (const long row = rowForItem(item); row >= 0)
            next.insert(row);
    bool changed = next.size() != selected.size();
    if (next.empty() && !allowsEmptySelection() && numberOfRows() > 0) {
        next.insert(0);
        changed = true;
    }
    setSelectionQuietly(std::move(next), rowForItem(last));
    if (changed)
        postSelectionDidChange();
}

void OutlineView::reloadItem(const OutlineItem& /*item*/, bool /*reloadChildren*/) {
    reloadData();
}

OutlineItem OutlineView::itemAtRow(long row) const {
    ensureRows();
    if (row < 0 || row >= static_cast<long>(rows_.size()))
        return nullptr;
    return rows_[static_cast<std::size_t>(row)].item;
}

long OutlineView::rowForItem(const OutlineItem& item) const {
    ensureRows();
    if (!item)
        return -1;
    auto it = rowOfItem_.find(item.get());
    return it == rowOfItem_.end() ? -1 : it->second;
}

long OutlineView::levelForRow(long row) const {
    ensureRows();
    if (row < 0 || row >= static_cast<long>(rows_.size()))
        return -1;
    return rows_[static_cast<std::size_t>(row)].level;
}

long OutlineView::levelForItem(const OutlineItem& item) const {
    return levelForRow(rowForItem(item));
}

OutlineItem OutlineView::parentForItem(const OutlineItem& item) const {
    const long row = rowForItem(item);
    return row < 0 ? nullptr : rows_[static_cast<std::size_t>(row)].parent;
}

bool OutlineView::isExpandable(const OutlineItem& item) const {
    const long row = rowForItem(item);
    if (row >= 0)
        return rows_[static_cast<std::size_t>(row)].expandable;
    return item && dataSource_ &&
           dataSource_->outlineViewIsItemExpandable(const_cast<OutlineView&>(*this), item);
}

bool OutlineView::isItemExpanded(const OutlineItem& item) const {
    if (!item)
        return true;
    auto it = expanded_.find(item.get());
    return it != expanded_.end() && it->second.lock() == item;
}

void OutlineView::postItemNotification(std::string_view name, const OutlineItem& item,
                                       void (OutlineViewDelegate::*message)(const Notification&)) {
    Value info;
    info.setObject(OutlineViewItemKey, Value(item));
    const Notification notification{std::string(name), this, std::move(info)};
    if (delegate_)
        (delegate_->*message)(notification);
    NotificationCenter::defaultCenter().postNotification(notification);
}

void OutlineView::rowsSpliced(long row, long removed, long inserted) {
    const auto moved = [&](long r) -> long {
        if (r <= row)
            return r;
        if (r <= row + removed)
            return -1;
        return r - removed + inserted;
    };
    IndexSet next;
    bool lost = false;
    for (long r : selectedRowIndexes()) {
        const long m = moved(r);
        if (m < 0)
            lost = true;
        else
            next.insert(m);
    }
    const long last = selectedRow() < 0 ? -1 : moved(selectedRow());
    reindex();
    rowsDidChange();
    setSelectionQuietly(std::move(next), last);
    if (lost)
        postSelectionDidChange();
}

void OutlineView::expandItem(const OutlineItem& item, bool expandChildren) {
    auto keep = weak_from_this().lock();
    ensureRows();
    if (!item) {
        if (!expandChildren)
            return;
        std::vector<OutlineItem> top;
        for (const Row& r : rows_)
            if (r.level == 0 && r.expandable)
                top.push_back(r.item);
        for (const OutlineItem& child : top)
            expandItem(child, true);
        return;
    }
    long row = rowForItem(item);
    if (row < 0) {
        // Out of sight: it opens when its parent does.
        if (isExpandable(item) && !isItemExpanded(item) &&
            (!delegate_ || delegate_->outlineViewShouldExpandItem(*this, item)))
            expanded_[item.get()] = item;
        return;
    }
    if (!rows_[static_cast<std::size_t>(row)].expandable)
        return;
    const long level = rows_[static_cast<std::size_t>(row)].level;
    if (!isItemExpanded(item)) {
        if (delegate_ && !delegate_->outlineViewShouldExpandItem(*this, item))
            return;
        postItemNotification(OutlineViewItemWillExpandNotification, item,
                             &OutlineViewDelegate::outlineViewItemWillExpand);
        expanded_[item.get()] = item;
        std::vector<Row> children;
        appendChildren(item, level + 1, children);
        if (editedRow() > row)
            abortEditing();
        row = rowForItem(item);
        rows_.insert(rows_.begin() + row + 1, children.begin(), children.end());
        rowsSpliced(row, 0, static_cast<long>(children.size()));
        postItemNotification(OutlineViewItemDidExpandNotification, item,
                             &OutlineViewDelegate::outlineViewItemDidExpand);
    }
    if (!expandChildren)
        return;
    row = rowForItem(item);
    std::vector<OutlineItem> children;
    for (std::size_t r = static_cast<std::size_t>(row) + 1;
         r < rows_.size() && rows_[r].level > level; ++r)
        if (rows_[r].level == level + 1 && rows_[r].expandable)
            children.push_back(rows_[r].item);
    for (const OutlineItem& child : children)
        expandItem(child, true);
}

void OutlineView::collapseItem(const OutlineItem& item, bool collapseChildren) {
    auto keep = weak_from_this().lock();
    ensureRows();
    if (!item) {
        if (!collapseChildren)
            return;
        std::vector<OutlineItem> top;
        for (const Row& r : rows_)
            if (r.level == 0 && r.expandable)
                top.push_back(r.item);
        for (const OutlineItem& child : top)
            collapseItem(child, true);
        return;
    }
    long row = rowForItem(item);
    if (row < 0) {
        // Not in sight: it is only forgotten as expanded.
        expanded_.erase(item.get());
        return;
    }
    const long level = rows_[static_cast<std::size_t>(row)].level;
    if (collapseChildren) {
        // Deepest first, so that each collapse is told as it happens.
        std::vector<OutlineItem> descendants;
        for (std::size_t r = static_cast<std::size_t>(row) + 1;
             r < rows_.size() && rows_[r].level > level; ++r)
            if (isItemExpanded(rows_[r].item))
                descendants.push_back(rows_[r].item);
        for (auto it = descendants.rbegin(); it != descendants.rend(); ++it)
            collapseItem(*it, false);
        row = rowForItem(item);
        if (row < 0)
            return;
    }
    if (!isItemExpanded(item))
        return;
    if (delegate_ && !delegate_->outlineViewShouldCollapseItem(*this, item))
        return;
    postItemNotification(OutlineViewItemWillCollapseNotification, item,
                         &OutlineViewDelegate::outlineViewItemWillCollapse);
    row = rowForItem(item);
    if (row < 0)
        return;
    expanded_.erase(item.get());
    std::size_t end = static_cast<std::size_t>(row) + 1;
    while (end < rows_.size() && rows_[end].level > level)
        ++end;
    const long removed = static_cast<long>(end) - row - 1;
    if (editedRow() > row && editedRow() <= row + removed)
        abortEditing();
    rows_.erase(rows_.begin() + row + 1, rows_.begin() + static_cast<long>(end));
    rowsSpliced(row, removed, 0);
    postItemNotification(OutlineViewItemDidCollapseNotification, item,
                         &OutlineViewDelegate::outlineViewItemDidCollapse);
}

// Geometry and drawing.

Rect OutlineView::frameOfCellAtColumn(long column, long row) const {
    Rect frame = TableView::frameOfCellAtColumn(column, row);
    if (frame.isEmpty() || column < 0 || column >= numberOfColumns() ||
        tableColumns()[column].get() != outlineTableColumn())
        return frame;
    const double indent = levelForRow(row) * indentationPerLevel_ + kDisclosureWidth;
    frame.origin.x += indent;
    frame.size.width = std::max(0.0, frame.width() - indent);
    return frame;
}

Rect OutlineView::frameOfOutlineCellAtRow(long row) const {
    ensureRows();
    if (row < 0 || row >= static_cast<long>(rows_.size()) ||
        !rows_[static_cast<std::size_t>(row)].expandable)
        return {};
    TableColumn* column = outlineTableColumn();
    const auto& columns = tableColumns();
    const auto it = std::find_if(columns.begin(), columns.end(),
                                 [&](const auto& c) { return c.get() == column; });
    if (it == columns.end())
        return {};
    const Rect base = TableView::frameOfCellAtColumn(it - columns.begin(), row);
    if (base.isEmpty())
        return {};
    return {base.minX() + levelForRow(row) * indentationPerLevel_, base.minY(), kDisclosureWidth,
            base.height()};
}

void OutlineView::drawRow(long row, const Rect& clipRect) {
    TableView::drawRow(row, clipRect);
    const Rect triangle = frameOfOutlineCellAtRow(row);
    if (!triangle.isEmpty() && triangle.intersects(clipRect))
        drawDisclosureTriangle(triangle, isItemExpanded(itemAtRow(row)));
}

void OutlineView::drawDisclosureTriangle(const Rect& frame, bool expanded) {
    GraphicsContext* context = GraphicsContext::currentContext();
    if (!context)
        return;
    const double size = std::min({frame.width(), frame.height(), 9.0});
    const Point c = frame.center();
    const double h = size / 2;
    BezierPath path;
    // The outline is flipped: smaller y is higher on the screen.
    if (expanded) {
        path.moveToPoint({c.x - h, c.y - h / 2});
        path.lineToPoint({c.x + h, c.y - h / 2});
        path.lineToPoint({c.x, c.y + h});
    } else {
        path.moveToPoint({c.x - h / 2, c.y - h});
        path.lineToPoint({c.x + h, c.y});
        path.lineToPoint({c.x - h / 2, c.y + h});
    }
    path.closePath();
    context->setFillColor(Color::colorWithCalibratedWhite(0.45, 1));
    context->fillPath(path);
}

// Events.

void OutlineView::mouseDown(const Event& event) {
    auto keep = weak_from_this().lock();
    const Point p = pointInView(event, *this);
    const long row = rowAtPoint(p);
    const Rect triangle = frameOfOutlineCellAtRow(row);
    if (!triangle.isEmpty() && mouseInRect(p, triangle) && isEnabled()) {
        const OutlineItem item = itemAtRow(row);
        const bool all = event.modifierFlags() & AlternateKeyMask;
        if (isItemExpanded(item))
            collapseItem(item, all);
        else
            expandItem(item, all);
        return;
    }
    TableView::mouseDown(event);
}

void OutlineView::keyDown(const Event& event) {
    auto keep = weak_from_this().lock();
    const char32_t c = firstCodePoint(event.charactersIgnoringModifiers());
    const long row = selectedRow();
    if ((c != LeftArrowFunctionKey && c != RightArrowFunctionKey) || row < 0) {
        TableView::keyDown(event);
        return;
    }
    const OutlineItem item = itemAtRow(row);
    const bool all = event.modifierFlags() & AlternateKeyMask;
    const bool expandable = isExpandable(item);
    if (c == RightArrowFunctionKey) {
        if (expandable)
            expandItem(item, all);
        return;
    }
    if (expandable && isItemExpanded(item)) {
        collapseItem(item, all);
        return;
    }
    if (const long parentRow = rowForItem(parentForItem(item)); parentRow >= 0) {
        selectRowIndexes({parentRow}, false);
        scrollRowToVisible(parentRow);
    }
}

void OutlineView::mouseDownInHeaderOfTableColumn(TableColumn& column) {
    if (delegate_)
        delegate_->outlineViewMouseDownInHeaderOfTableColumn(*this, column);
}

void OutlineView::didClickTableColumn(TableColumn& column) {
    if (delegate_)
        delegate_->outlineViewDidClickTableColumn(*this, column);
}

// Dragging.

long OutlineView::childIndexOfRow(long row) const {
    const long level = levelForRow(row);
    long index = 0;
    for (long r = row - 1; r >= 0; --r) {
        const long l = rows_[static_cast<std::size_t>(r)].level;
        if (l < level)
            break;
        if (l == level)
            ++index;
    }
    return index;
}

long OutlineView::rowOfChild(const OutlineItem& item, long index) const {
    long r = 0;
    long level = 0;
    if (item) {
        const long parentRow = rowForItem(item);
        if (parentRow < 0)
            return -1;
        r = parentRow + 1;
        level = levelForRow(parentRow) + 1;
    }
    long count = 0;
    for (; r < static_cast<long>(rows_.size()) && rows_[static_cast<std::size_t>(r)].level >= level;
         ++r) {
        if (rows_[static_cast<std::size_t>(r)].level == level && count++ == index)
            return r;
    }
    return r;
}

void OutlineView::setDropItem(const OutlineItem& item, long childIndex) {
    dropItem_ = item;
    dropChildIndex_ = childIndex;
    if (childIndex == OutlineViewDropOnItemIndex)
        setDropRow(rowForItem(item), TableViewDropOperation::On);
    else
        setDropRow(rowOfChild(item, childIndex), TableViewDropOperation::Above);
}

DragOperation OutlineView::dataSourceValidateDrop(DraggingInfo& info, long row,
                                                  TableViewDropOperation operation) {
    ensureRows();
    const long rows = static_cast<long>(rows_.size());
    if (operation == TableViewDropOperation::On) {
        dropItem_ = itemAtRow(row);
        dropChildIndex_ = OutlineViewDropOnItemIndex;
    } else if (row >= rows) {
        dropItem_ = nullptr;
        dropChildIndex_ = static_cast<long>(
            std::count_if(rows_.begin(), rows_.end(), [](const Row& r) { return r.level == 0; }));
    } else {
        dropItem_ = rows_[static_cast<std::size_t>(row)].parent;
        dropChildIndex_ = childIndexOfRow(row);
    }
    if (!dataSource_)
        return DragOperationNone;
    // Copies: the data source may move the target while it answers.
    const OutlineItem item = dropItem_;
    return dataSource_->outlineViewValidateDrop(*this, info, item, dropChildIndex_);
}

bool OutlineView::dataSourceAcceptDrop(DraggingInfo& info, long /*row*/,
                                       TableViewDropOperation /*operation*/) {
    const OutlineItem item = dropItem_;
    return dataSource_ && dataSource_->outlineViewAcceptDrop(*this, info, item, dropChildIndex_);
}

bool OutlineView::dataSourceWriteRows(const IndexSet& rows, Pasteboard& pasteboard) {
    if (!dataSource_)
        return false;
    std::vector<OutlineItem> items;
    for (long row : rows)
        if (OutlineItem item = itemAtRow(row))
            items.push_back(std::move(item));
    return dataSource_->outlineViewWriteItems(*this, items, pasteboard);
}

// Data source and delegate answers by item.

Value OutlineView::dataSourceObjectValue(TableColumn* column, long row) {
    return dataSource_
               ? dataSource_->outlineViewObjectValueForTableColumn(*this, column, itemAtRow(row))
               : Value();
}

bool OutlineView::dataSourceSetObjectValue(const Value& value, TableColumn* column, long row) {
    return dataSource_ &&
           dataSource_->outlineViewSetObjectValue(*this, value, column, itemAtRow(row));
}

std::optional<std::shared_ptr<Cell>> OutlineView::delegateDataCell(TableColumn* column, long row) {
    return delegate_ ? delegate_->outlineViewDataCellForTableColumn(*this, column, itemAtRow(row))
                     : std::nullopt;
}

void OutlineView::delegateWillDisplayCell(Cell& cell, TableColumn* column, long row) {
    if (delegate_)
        delegate_->outlineViewWillDisplayCell(*this, cell, column, itemAtRow(row));
}

bool OutlineView::delegateShouldSelectRow(long row) {
    return !delegate_ || delegate_->outlineViewShouldSelectItem(*this, itemAtRow(row));
}

std::optional<double> OutlineView::delegateHeightOfRow(long row) {
    return delegate_ ? delegate_->outlineViewHeightOfRowByItem(*this, itemAtRow(row))
                     : std::nullopt;
}

bool OutlineView::delegateShouldEdit(TableColumn* column, long row) {
    return !delegate_ || delegate_->outlineViewShouldEditTableColumn(*this, column, itemAtRow(row));
}

std::optional<bool> OutlineView::delegateShouldTrackCell(Cell& cell, TableColumn* column,
                                                         long row) {
    return delegate_ ? delegate_->outlineViewShouldTrackCell(*this, cell, column, itemAtRow(row))
                     : std::nullopt;
}

std::optional<std::string> OutlineView::delegateTypeSelectString(TableColumn* column, long row) {
    return delegate_
               ? delegate_->outlineViewTypeSelectStringForTableColumn(*this, column, itemAtRow(row))
               : std::nullopt;
}

void OutlineView::postSelectionDidChange() {
    const Notification notification{
        std::string(OutlineViewSelectionDidChangeNotification), this, {}};
    if (delegate_)
        delegate_->outlineViewSelectionDidChange(notification);
    NotificationCenter::defaultCenter().postNotification(notification);
}

void OutlineView::postSelectionIsChanging() {
    const Notification notification{
        std::string(OutlineViewSelectionIsChangingNotification), this, {}};
    if (delegate_)
        delegate_->outlineViewSelectionIsChanging(notification);
    NotificationCenter::defaultCenter().postNotification(notification);
}

} // namespace platform
