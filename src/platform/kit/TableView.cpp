#include "platform/kit/TableView.h"

#include "platform/foundation/Format.h"
#include "platform/graphics/BezierPath.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/kit/ButtonCell.h"
#include "platform/kit/ClipView.h"
#include "platform/kit/Pasteboard.h"
#include "platform/kit/ScrollView.h"
#include "platform/kit/TableHeaderView.h"
#include "platform/kit/TextFieldCell.h"
#include "platform/kit/TextView.h"
#include "platform/kit/Window.h"
#include "platform/kit/WindowServer.h"

#include <algorithm>
#include <cmath>

namespace platform {

namespace {

// How far the pointer must move with the button down before rows are dragged.
constexpr double kDragThreshold = 4;
// Typing again after this pause starts a new type-select search.
constexpr double kTypeSelectTimeout = 1.0;

bool isTypeSelectCharacter(char32_t c) {
    return c >= 0x20 && c != 0x7f && !(c >= 0xF700 && c <= 0xF8FF);
}

// The window's field editor, with the plain text view as the editor when nobody registered
// another kind.
TextView* fieldEditorOf(Window& window, Object* client) {
    if (auto* editor = dynamic_cast<TextView*>(window.fieldEditor(true, client)))
        return editor;
    Window::setFieldEditorFactory([] {
        auto editor = std::make_shared<TextView>();
        editor->setFieldEditor(true);
        return std::static_pointer_cast<View>(editor);
    });
    return dynamic_cast<TextView*>(window.fieldEditor(true, client));
}

IndexSet rowRange(long from, long to) {
    IndexSet rows;
    for (long r = std::min(from, to); r <= std::max(from, to); ++r)
        rows.insert(rows.end(), r);
    return rows;
}

} // namespace

TableView::TableView(const Rect& frame) : Control(frame) {
    headerView_ = std::make_shared<TableHeaderView>(
        Rect{0, 0, frame.width(), TableHeaderView::kDefaultHeight});
    headerView_->setTableView(this);
}

TableView::~TableView() {
    if (DragSession* session = DragSession::current(); session && session->draggingSource() == this)
        DragSession::cancelCurrent();
    if (auto editor = std::dynamic_pointer_cast<TextView>(editor_.lock()))
        if (editor->delegate() == this)
            editor->setDelegate(nullptr);
    if (headerView_ && headerView_->tableView() == this)
        headerView_->setTableView(nullptr);
    for (const auto& column : columns_) {
        if (column->tableView() == this)
            column->setTableView(nullptr);
        if (column->dataCell() && column->dataCell()->controlView() == this)
            column->dataCell()->setControlView(nullptr);
    }
}

void TableView::setDataSource(TableViewDataSource* dataSource) {
    dataSource_ = dataSource;
    rowsDidChange();
}

void TableView::setDelegate(TableViewDelegate* delegate) {
    delegate_ = delegate;
    Control::setDelegate(delegate);
    rowsDidChange();
}

// Columns.

void TableView::addTableColumn(std::shared_ptr<TableColumn> column) {
    if (!column)
        return;
    column->setTableView(this);
    columns_.push_back(std::move(column));
    columnDidChange(nullptr);
}

void TableView::removeTableColumn(TableColumn* column) {
    auto it = std::find_if(columns_.begin(), columns_.end(),
                           [&](const auto& c) { return c.get() == column; });
    if (it == columns_.end())
        return;
    if (editedColumn_ >= 0)
        abortEditing();
    (*it)->setTableView(nullptr);
    columns_.erase(it);
    columnDidChange(nullptr);
}

void TableView::moveColumn(long from, long to) {
    const long count = numberOfColumns();
    if (from < 0 || from >= count || to < 0 || to >= count || from == to)
        return;
    auto column = columns_[from];
    columns_.erase(columns_.begin() + from);
    columns_.insert(columns_.begin() + to, std::move(column));
    columnDidChange(nullptr);
}

long TableView::columnWithIdentifier(std::string_view identifier) const {
    for (std::size_t i = 0; i < columns_.size(); ++i)
        if (columns_[i]->identifier() == identifier)
            return static_cast<long>(i);
    return -1;
}

TableColumn* TableView::tableColumnWithIdentifier(std::string_view identifier) const {
    const long index = columnWithIdentifier(identifier);
    return index < 0 ? nullptr : columns_[index].get();
}

void TableView::setColumnAutoresizingStyle(TableViewColumnAutoresizingStyle style) {
    autoresizingStyle_ = style;
    tile();
}

void TableView::sizeLastColumnToFit() {
    const ClipView* clip = dynamic_cast<ClipView*>(superview());
    const double available = clip ? clip->bounds().width() : frame().width();
    TableColumn* last = nullptr;
    double others = 0;
    for (const auto& column : columns_) {
        if (column->isHidden())
            continue;
        if (last)
            others += last->width() + intercellSpacing_.width;
        last = column.get();
    }
    if (last)
        last->setWidth(available - others - intercellSpacing_.width);
}

void TableView::columnDidChange(TableColumn* /*column*/) {
    if (!tiling_)
        tile();
    setNeedsDisplay(true);
    if (headerView_)
        headerView_->setNeedsDisplay(true);
}

void TableView::mouseDownInHeaderOfTableColumn(TableColumn& column) {
    if (delegate_)
        delegate_->tableViewMouseDownInHeaderOfTableColumn(*this, column);
}

void TableView::didClickTableColumn(TableColumn& column) {
    if (delegate_)
        delegate_->tableViewDidClickTableColumn(*this, column);
}

// Rows and geometry.

void TableView::rowsDidChange() {
    numberOfRows_ = -1;
    geometryValid_ = false;
    rowOffsets_.clear();
    tile();
    setNeedsDisplay(true);
    if (Window* window = this->window()) {
        window->invalidateTrackingAreas();
        window->invalidateCursorRectsForView(this);
    }
}

void TableView::reloadData() {
    rowsDidChange();
    const long rows = numberOfRows();
    if (editedRow_ >= rows)
        abortEditing();
    IndexSet kept(selection_.begin(), selection_.lower_bound(rows));
    if (kept.empty() && !allowsEmptySelection_ && rows > 0)
        kept.insert(0);
    if (setSelectionQuietly(std::move(kept), lastSelected_ < rows ? lastSelected_ : -1))
        postSelectionDidChange();
}

void TableView::noteNumberOfRowsChanged() {
    reloadData();
}

void TableView::noteHeightOfRowsWithIndexesChanged(const IndexSet& /*rows*/) {
    geometryValid_ = false;
    rowOffsets_.clear();
    tile();
    setNeedsDisplay(true);
    if (Window* window = this->window())
        window->invalidateTrackingAreas();
}

long TableView::numberOfRows() const {
    if (numberOfRows_ < 0)
        numberOfRows_ = std::max(0L, const_cast<TableView*>(this)->numberOfRowsFromDataSource());
    return numberOfRows_;
}

void TableView::setRowHeight(double height) {
    if (height == rowHeight_)
        return;
    rowHeight_ = height;
    geometryValid_ = false;
    rowOffsets_.clear();
    tile();
    setNeedsDisplay(true);
}

void TableView::setIntercellSpacing(Size spacing) {
    if (spacing == intercellSpacing_)
        return;
    intercellSpacing_ = spacing;
    geometryValid_ = false;
    rowOffsets_.clear();
    tile();
    setNeedsDisplay(true);
}

// Heights are asked once per reload; a delegate that does not size rows leaves the table on the
// arithmetic of one height, which is what keeps the geometry of huge tables free.
void TableView::ensureGeometry() const {
    if (geometryValid_)
        return;
    geometryValid_ = true;
    rowOffsets_.clear();
    const long rows = numberOfRows();
    if (rows == 0)
        return;
    auto* self = const_cast<TableView*>(this);
    const std::optional<double> first = self->delegateHeightOfRow(0);
    if (!first)
        return;
    rowOffsets_.resize(static_cast<std::size_t>(rows) + 1);
    rowOffsets_[0] = 0;
    for (long r = 0; r < rows; ++r) {
        const double height = r == 0 ? *first : self->delegateHeightOfRow(r).value_or(rowHeight_);
        rowOffsets_[r + 1] = rowOffsets_[r] + std::max(0.0, height) + intercellSpacing_.height;
    }
}

double TableView::rowTop(long row) const {
    ensureGeometry();
    if (!rowOffsets_.empty())
        return rowOffsets_[static_cast<std::size_t>(row)];
    return row * (rowHeight_ + intercellSpacing_.height);
}

double TableView::rowsHeight() const {
    return rowTop(numberOfRows());
}

long TableView::rowAtY(double y) const {
    const long rows = numberOfRows();
    if (y < 0 || rows == 0)
        return -1;
    ensureGeometry();
    long row;
    if (!rowOffsets_.empty()) {
        row = static_cast<long>(std::upper_bound(rowOffsets_.begin(), rowOffsets_.end(), y) -
                                rowOffsets_.begin()) -
              1;
    } else {
        const double step = rowHeight_ + intercellSpacing_.height;
        if (step <= 0)
            return -1;
        row = static_cast<long>(std::floor(y / step));
    }
    return row >= 0 && row < rows ? row : -1;
}

double TableView::columnLeft(long column) const {
    double x = 0;
    for (long i = 0; i < column; ++i)
        if (!columns_[i]->isHidden())
            x += columns_[i]->width() + intercellSpacing_.width;
    return x;
}

Rect TableView::rectOfRow(long row) const {
    if (row < 0 || row >= numberOfRows())
        return {};
    const double top = rowTop(row);
    return {0, top, bounds().width(), rowTop(row + 1) - top};
}

Rect TableView::rectOfColumn(long column) const {
    if (column < 0 || column >= numberOfColumns())
        return {};
    const TableColumn& c = *columns_[column];
    const double width = c.isHidden() ? 0 : c.width() + intercellSpacing_.width;
    return {columnLeft(column), 0, width, bounds().height()};
}

long TableView::rowAtPoint(Point point) const {
    if (point.x < 0 || point.x >= bounds().width())
        return -1;
    return rowAtY(point.y);
}

long TableView::columnAtPoint(Point point) const {
    double x = 0;
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        if (columns_[i]->isHidden())
            continue;
        const double width = columns_[i]->width() + intercellSpacing_.width;
        if (point.x >= x && point.x < x + width)
            return static_cast<long>(i);
        x += width;
    }
    return -1;
}

RowRange TableView::rowsInRect(const Rect& rect) const {
    if (rect.isEmpty() || numberOfRows() == 0)
        return {};
    const double total = rowsHeight();
    const double top = std::max(0.0, rect.minY());
    const double bottom = std::min(total, rect.maxY());
    if (top >= total || bottom <= top)
        return {};
    const long first = rowAtY(top);
    // The row holding the last point inside the rectangle.
    const long last = rowAtY(std::nextafter(bottom, top));
    if (first < 0 || last < first)
        return {};
    return {first, last - first + 1};
}

std::vector<long> TableView::columnIndexesInRect(const Rect& rect) const {
    std::vector<long> indexes;
    double x = 0;
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        if (columns_[i]->isHidden())
            continue;
        const double width = columns_[i]->width() + intercellSpacing_.width;
        if (x < rect.maxX() && x + width > rect.minX())
            indexes.push_back(static_cast<long>(i));
        x += width;
    }
    return indexes;
}

Rect TableView::frameOfCellAtColumn(long column, long row) const {
    const Rect rowRect = rectOfRow(row);
    const Rect columnRect = rectOfColumn(column);
    if (rowRect.isEmpty() || columnRect.width() <= 0)
        return {};
    return {columnRect.minX() + intercellSpacing_.width / 2,
            rowRect.minY() + intercellSpacing_.height / 2,
            columnRect.width() - intercellSpacing_.width,
            rowRect.height() - intercellSpacing_.height};
}

std::shared_ptr<Cell> TableView::preparedCellAtColumn(long column, long row) {
    if (column < 0 || column >= numberOfColumns())
        return nullptr;
    TableColumn* tableColumn = columns_[column].get();
    std::shared_ptr<Cell> cell;
    if (auto answer = delegateDataCell(tableColumn, row))
        cell = std::move(*answer);
    if (!cell)
        cell = tableColumn->dataCellForRow(row);
    if (!cell)
        return nullptr;
    // One cell serves every row: setting it up for this row must not ask to redraw the table.
    cell->setControlView(nullptr);
    cell->setObjectValue(dataSourceObjectValue(tableColumn, row));
    cell->setHighlighted(isRowSelected(row));
    delegateWillDisplayCell(*cell, tableColumn, row);
    cell->setControlView(this);
    return cell;
}

void TableView::tile() {
    if (tiling_)
        return;
    tiling_ = true;
    auto* clip = dynamic_cast<ClipView*>(superview());
    if (clip) {
        const double available = clip->bounds().width();
        if (autoresizingStyle_ == TableViewColumnAutoresizingStyle::LastColumnOnlyAutoresizingStyle)
            sizeLastColumnToFit();
        else if (autoresizingStyle_ ==
                 TableViewColumnAutoresizingStyle::UniformColumnAutoresizingStyle) {
            std::vector<TableColumn*> flexible;
            double total = 0;
            for (const auto& column : columns_) {
                if (column->isHidden())
                    continue;
                total += column->width() + intercellSpacing_.width;
                if (column->resizingMask() & TableColumnAutoresizingMask)
                    flexible.push_back(column.get());
            }
            if (!flexible.empty() && std::abs(available - total) >= 0.5) {
                const double share = (available - total) / static_cast<double>(flexible.size());
                for (TableColumn* column : flexible)
                    column->setWidth(column->width() + share);
            }
        }
    }
    double width = columnLeft(numberOfColumns());
    double height = rowsHeight();
    if (clip) {
        width = std::max(width, clip->bounds().width());
        height = std::max(height, clip->bounds().height());
    }
    setFrameSize({width, height});
    if (headerView_) {
        headerView_->setFrameSize({width, headerView_->frame().height()});
        headerView_->setNeedsDisplay(true);
    }
    if (ScrollView* scroll = enclosingScrollView(*this))
        scroll->setVerticalLineScroll(rowHeight_ + intercellSpacing_.height);
    tiling_ = false;
    if (clip)
        clip->documentViewFrameDidChange();
}

void TableView::viewDidMoveToSuperview() {
    Control::viewDidMoveToSuperview();
    tile();
}

void TableView::resizeWithOldSuperviewSize(Size oldSize) {
    if (dynamic_cast<ClipView*>(superview()))
        tile();
    else
        Control::resizeWithOldSuperviewSize(oldSize);
}

// Selection.

long TableView::selectedRow() const {
    if (lastSelected_ >= 0 && isRowSelected(lastSelected_))
        return lastSelected_;
    return selection_.empty() ? -1 : *selection_.rbegin();
}

bool TableView::setSelectionQuietly(IndexSet rows, long lastSelected) {
    lastSelected_ = lastSelected;
    if (rows == selection_)
        return false;
    // Only the rows that change are redrawn, unless that is a long list.
    IndexSet changed;
    std::set_symmetric_difference(rows.begin(), rows.end(), selection_.begin(), selection_.end(),
                                  std::inserter(changed, changed.end()));
    selection_ = std::move(rows);
    if (changed.size() > 64) {
        setNeedsDisplay(true);
    } else {
        for (long row : changed)
            setNeedsDisplayInRect(rectOfRow(row));
    }
    return true;
}

void TableView::selectRowIndexes(const IndexSet& rows, bool byExtendingSelection) {
    const long count = numberOfRows();
    IndexSet wanted(rows.lower_bound(0), rows.lower_bound(count));
    if (!allowsMultipleSelection_ && wanted.size() > 1)
        wanted = {*wanted.rbegin()};
    IndexSet next = (byExtendingSelection && allowsMultipleSelection_) ? selection_ : IndexSet{};
    next.insert(wanted.begin(), wanted.end());
    const long last = wanted.empty() ? lastSelected_ : *wanted.rbegin();
    if (!wanted.empty())
        anchorRow_ = last;
    if (setSelectionQuietly(std::move(next), last))
        postSelectionDidChange();
}

void TableView::selectRow(long row, bool byExtendingSelection) {
    selectRowIndexes({row}, byExtendingSelection);
}

void TableView::deselectRow(long row) {
    if (!isRowSelected(row))
        return;
    IndexSet next = selection_;
    next.erase(row);
    if (setSelectionQuietly(std::move(next), lastSelected_ == row ? -1 : lastSelected_))
        postSelectionDidChange();
}

void TableView::deselectAll(Object* /*sender*/) {
    if (!allowsEmptySelection_)
        return;
    if (setSelectionQuietly({}, -1))
        postSelectionDidChange();
}

void TableView::selectAll(Object* /*sender*/) {
    if (!allowsMultipleSelection_)
        return;
    const long count = numberOfRows();
    IndexSet all;
    for (long r = 0; r < count; ++r)
        all.insert(all.end(), r);
    if (setSelectionQuietly(std::move(all), count - 1))
        postSelectionDidChange();
}

void TableView::scrollRowToVisible(long row) {
    const Rect rect = rectOfRow(row);
    if (!rect.isEmpty())
        scrollRectToVisible(*this, rect);
}

void TableView::scrollColumnToVisible(long column) {
    const Rect rect = rectOfColumn(column);
    if (rect.width() > 0) {
        const Rect visible = visibleRect();
        scrollRectToVisible(*this, {rect.minX(), visible.minY(), rect.width(), 1});
    }
}

void TableView::postSelectionDidChange() {
    const Notification notification{std::string(TableViewSelectionDidChangeNotification), this, {}};
    if (delegate_)
        delegate_->tableViewSelectionDidChange(notification);
    NotificationCenter::defaultCenter().postNotification(notification);
}

void TableView::postSelectionIsChanging() {
    const Notification notification{
        std::string(TableViewSelectionIsChangingNotification), this, {}};
    if (delegate_)
        delegate_->tableViewSelectionIsChanging(notification);
    NotificationCenter::defaultCenter().postNotification(notification);
}

// Data source and delegate answers.

long TableView::numberOfRowsFromDataSource() {
    return dataSource_ ? dataSource_->numberOfRowsInTableView(*this) : 0;
}

Value TableView::dataSourceObjectValue(TableColumn* column, long row) {
    return dataSource_ ? dataSource_->tableViewObjectValueForTableColumn(*this, column, row)
                       : Value();
}

bool TableView::dataSourceSetObjectValue(const Value& value, TableColumn* column, long row) {
    return dataSource_ && dataSource_->tableViewSetObjectValue(*this, value, column, row);
}

bool TableView::dataSourceWriteRows(const IndexSet& rows, Pasteboard& pasteboard) {
    return dataSource_ && dataSource_->tableViewWriteRowsWithIndexes(*this, rows, pasteboard);
}

DragOperation TableView::dataSourceValidateDrop(DraggingInfo& info, long row,
                                                TableViewDropOperation operation) {
    return dataSource_ ? dataSource_->tableViewValidateDrop(*this, info, row, operation)
                       : DragOperationNone;
}

bool TableView::dataSourceAcceptDrop(DraggingInfo& info, long row,
                                     TableViewDropOperation operation) {
    return dataSource_ && dataSource_->tableViewAcceptDrop(*this, info, row, operation);
}

std::optional<std::shared_ptr<Cell>> TableView::delegateDataCell(TableColumn* column, long row) {
    return delegate_ ? delegate_->tableViewDataCellForTableColumn(*this, column, row)
                     : std::nullopt;
}

void TableView::delegateWillDisplayCell(Cell& cell, TableColumn* column, long row) {
    if (delegate_)
        delegate_->tableViewWillDisplayCell(*this, cell, column, row);
}

bool TableView::delegateShouldSelectRow(long row) {
    return !delegate_ || delegate_->tableViewShouldSelectRow(*this, row);
}

std::optional<double> TableView::delegateHeightOfRow(long row) {
    return delegate_ ? delegate_->tableViewHeightOfRow(*this, row) : std::nullopt;
}

bool TableView::delegateShouldEdit(TableColumn* column, long row) {
    return !delegate_ || delegate_->tableViewShouldEditTableColumn(*this, column, row);
}

std::optional<bool> TableView::delegateShouldTrackCell(Cell& cell, TableColumn* column, long row) {
    return delegate_ ? delegate_->tableViewShouldTrackCell(*this, cell, column, row) : std::nullopt;
}

std::optional<std::string> TableView::delegateTypeSelectString(TableColumn* column, long row) {
    return delegate_ ? delegate_->tableViewTypeSelectStringForTableColumn(*this, column, row)
                     : std::nullopt;
}

// Appearance.

void TableView::setUsesAlternatingRowBackgroundColors(bool flag) {
    alternatingRows_ = flag;
    setNeedsDisplay(true);
}

void TableView::setGridStyleMask(TableViewGridLineStyle mask) {
    gridStyle_ = mask;
    setNeedsDisplay(true);
}

void TableView::setGridColor(const Color& color) {
    gridColor_ = color;
    setNeedsDisplay(true);
}

void TableView::setBackgroundColor(const Color& color) {
    backgroundColor_ = color;
    setNeedsDisplay(true);
}

void TableView::setHeaderView(std::shared_ptr<TableHeaderView> headerView) {
    if (headerView_ && headerView_->tableView() == this)
        headerView_->setTableView(nullptr);
    if (headerView_)
        headerView_->removeFromSuperview();
    headerView_ = std::move(headerView);
    if (headerView_)
        headerView_->setTableView(this);
    tile();
    if (ScrollView* scroll = enclosingScrollView(*this))
        scroll->tile();
}

bool TableView::isOpaque() const {
    return backgroundColor_.alphaComponent() >= 1 || alternatingRows_;
}

// Drawing.

void TableView::drawRect(const Rect& dirtyRect) {
    drawBackgroundInClipRect(dirtyRect);
    highlightSelectionInClipRect(dirtyRect);
    drawGridInClipRect(dirtyRect);
    const RowRange rows = rowsInRect(dirtyRect);
    for (long row = rows.location; row < rows.end(); ++row)
        drawRow(row, dirtyRect);
    const Rect drop = dropHighlightRect();
    if (!drop.isEmpty()) {
        if (GraphicsContext* context = GraphicsContext::currentContext()) {
            context->setFillColor(Color::keyboardFocusIndicatorColor());
            FrameRectWithWidthUsingOperation(drop, 2, CompositingOperation::SourceOver);
        }
    }
}

void TableView::drawBackgroundInClipRect(const Rect& clipRect) {
    GraphicsContext* context = GraphicsContext::currentContext();
    if (!context)
        return;
    if (!alternatingRows_) {
        context->setFillColor(backgroundColor_);
        context->fillRect(clipRect);
        return;
    }
    const std::vector<Color> colors = Color::controlAlternatingRowBackgroundColors();
    const RowRange rows = rowsInRect(clipRect);
    for (long row = rows.location; row < rows.end(); ++row) {
        context->setFillColor(colors[static_cast<std::size_t>(row) % colors.size()]);
        context->fillRect(rectOfRow(row).intersection(clipRect));
    }
    // Past the last row the stripes go on at the standard height down the clip rectangle.
    const double step = rowHeight_ + intercellSpacing_.height;
    double y = rowsHeight();
    long index = numberOfRows();
    if (step <= 0 || clipRect.maxY() <= y)
        return;
    if (clipRect.minY() > y) {
        const long skip = static_cast<long>(std::floor((clipRect.minY() - y) / step));
        y += skip * step;
        index += skip;
    }
    for (; y < clipRect.maxY(); y += step, ++index) {
        context->setFillColor(colors[static_cast<std::size_t>(index) % colors.size()]);
        context->fillRect(Rect{clipRect.minX(), y, clipRect.width(), step}.intersection(clipRect));
    }
}

void TableView::highlightSelectionInClipRect(const Rect& clipRect) {
    GraphicsContext* context = GraphicsContext::currentContext();
    if (!context || selection_.empty())
        return;
    const Window* window = this->window();
    const Responder* first = window ? window->firstResponder() : nullptr;
    const bool focused =
        window && window->isKeyWindow() && (first == this || (first && first == currentEditor()));
    context->setFillColor(focused ? Color::alternateSelectedControlColor()
                                  : Color::secondarySelectedControlColor());
    const RowRange rows = rowsInRect(clipRect);
    for (auto it = selection_.lower_bound(rows.location);
         it != selection_.end() && *it < rows.end(); ++it)
        context->fillRect(rectOfRow(*it).intersection(clipRect));
}

void TableView::drawGridInClipRect(const Rect& clipRect) {
    GraphicsContext* context = GraphicsContext::currentContext();
    if (!context || gridStyle_ == TableViewGridNone)
        return;
    context->setFillColor(gridColor_);
    if (gridStyle_ & TableViewSolidVerticalGridLineMask) {
        for (long column : columnIndexesInRect(clipRect)) {
            const Rect c = rectOfColumn(column);
            context->fillRect({c.maxX() - 1, clipRect.minY(), 1, clipRect.height()});
        }
    }
    if (gridStyle_ & TableViewSolidHorizontalGridLineMask) {
        const RowRange rows = rowsInRect(clipRect);
        for (long row = rows.location; row < rows.end(); ++row) {
            const Rect r = rectOfRow(row);
            context->fillRect(Rect{clipRect.minX(), r.maxY() - 1, clipRect.width(), 1});
        }
    }
}

void TableView::drawRow(long row, const Rect& clipRect) {
    for (long column : columnIndexesInRect(clipRect)) {
        if (row == editedRow_ && column == editedColumn_)
            continue;
        const Rect frame = frameOfCellAtColumn(column, row);
        if (!frame.intersects(clipRect))
            continue;
        if (auto cell = preparedCellAtColumn(column, row))
            cell->drawWithFrame(frame, this);
    }
}

// Mouse.

void TableView::clickSelect(long row, EventModifierFlags flags) {
    const bool command = flags & CommandKeyMask;
    const bool shift = flags & ShiftKeyMask;
    if (row < 0) {
        if (!command && !shift && allowsEmptySelection_ && setSelectionQuietly({}, -1))
            postSelectionDidChange();
        return;
    }
    bool changed = false;
    if (command && isRowSelected(row)) {
        if (selection_.size() > 1 || allowsEmptySelection_) {
            IndexSet next = selection_;
            next.erase(row);
            changed =
                setSelectionQuietly(std::move(next), lastSelected_ == row ? -1 : lastSelected_);
        }
    } else if (command && allowsMultipleSelection_) {
        if (delegateShouldSelectRow(row)) {
            IndexSet next = selection_;
            next.insert(row);
            anchorRow_ = row;
            changed = setSelectionQuietly(std::move(next), row);
        }
    } else if (shift && allowsMultipleSelection_ && anchorRow_ >= 0) {
        IndexSet next;
        for (long r : rowRange(anchorRow_, row))
            if (r == anchorRow_ || delegateShouldSelectRow(r))
                next.insert(r);
        changed = setSelectionQuietly(std::move(next), row);
    } else if (delegateShouldSelectRow(row)) {
        anchorRow_ = row;
        changed = setSelectionQuietly({row}, row);
    }
    if (changed)
        postSelectionDidChange();
}

bool TableView::trackCellAt(long column, long row, const Event& event) {
    auto cell = preparedCellAtColumn(column, row);
    if (!cell)
        return false;
    TableColumn* tableColumn = columns_[column].get();
    const Rect frame = frameOfCellAtColumn(column, row);
    const std::optional<bool> answer = delegateShouldTrackCell(*cell, tableColumn, row);
    const bool track =
        answer ? *answer : (cell->hitTestForEvent(event, frame, this) & CellHitTrackableArea) != 0;
    if (!track)
        return false;
    if (!cell->trackMouse(event, frame, this, true))
        return false;
    cell->setNextState();
    dataSourceSetObjectValue(cell->objectValue(), tableColumn, row);
    if (!cell->action().empty())
        WindowServer::shared().sendAction(cell->action(), cell->target(), this);
    setNeedsDisplayInRect(rectOfRow(row));
    return true;
}

void TableView::mouseDown(const Event& event) {
    auto keep = weak_from_this().lock();
    if (!isEnabled())
        return;
    const Point p = pointInView(event, *this);
    const long row = rowAtPoint(p);
    const long column = columnAtPoint(p);
    clickedRow_ = row;
    clickedColumn_ = column;
    press_ = {};
    if (event.clickCount() >= 2 && row >= 0 && column >= 0 && doubleAction_.empty()) {
        TableColumn* tableColumn = columns_[column].get();
        auto cell = preparedCellAtColumn(column, row);
        if (tableColumn->isEditable() && dynamic_cast<TextFieldCell*>(cell.get()) &&
            delegateShouldEdit(tableColumn, row)) {
            editColumn(column, row, &event, true);
            return;
        }
    }
    press_.active = true;
    press_.point = p;
    press_.row = row;
    press_.clickCount = event.clickCount();
    press_.selectionBefore = selection_;
    clickSelect(row, event.modifierFlags());
    if (row >= 0 && column >= 0 && trackCellAt(column, row, event))
        press_.active = false;
}

void TableView::startRowDrag(const Event& event) {
    press_.dragStarted = true;
    IndexSet rows = isRowSelected(press_.row) ? selection_ : IndexSet{press_.row};
    Pasteboard& pasteboard = Pasteboard::pasteboardWithName(DragPboard);
    pasteboard.clearContents();
    if (!dataSourceWriteRows(rows, pasteboard))
        return;
    press_.active = false;
    DragSession::beginDrag(*this, this, nullptr, press_.point, event, pasteboard);
}

void TableView::dragSelectTo(long row) {
    if (anchorRow_ < 0 || row < 0)
        return;
    IndexSet next;
    for (long r : rowRange(anchorRow_, row))
        if (r == anchorRow_ || delegateShouldSelectRow(r))
            next.insert(r);
    if (setSelectionQuietly(std::move(next), row)) {
        press_.dragSelected = true;
        postSelectionIsChanging();
    }
}

void TableView::mouseDragged(const Event& event) {
    if (DragSession* session = DragSession::current()) {
        session->mouseDragged(event);
        return;
    }
    if (!press_.active)
        return;
    auto keep = weak_from_this().lock();
    const Point p = pointInView(event, *this);
    const double dx = p.x - press_.point.x, dy = p.y - press_.point.y;
    if (!press_.dragStarted && !press_.dragSelected && press_.row >= 0 &&
        std::hypot(dx, dy) >= kDragThreshold &&
        (verticalMotionCanBeginDrag_ || std::abs(dx) > std::abs(dy))) {
        startRowDrag(event);
        if (!press_.active)
            return;
    }
    if (!allowsMultipleSelection_ || numberOfRows() == 0)
        return;
    long row = rowAtY(p.y);
    if (row < 0)
        row = p.y < 0 ? 0 : numberOfRows() - 1;
    dragSelectTo(row);
    scrollRowToVisible(row);
}

void TableView::mouseUp(const Event& event) {
    if (DragSession* session = DragSession::current()) {
        session->mouseUp(event);
        return;
    }
    if (!press_.active)
        return;
    auto keep = weak_from_this().lock();
    press_.active = false;
    if (press_.dragSelected && selection_ != press_.selectionBefore)
        postSelectionDidChange();
    if (event.clickCount() >= 2 && !doubleAction_.empty())
        sendAction(doubleAction_, target());
    else
        sendAction(action(), target());
}

// Keys.

void TableView::moveSelectionBy(long delta, bool extend) {
    const long rows = numberOfRows();
    if (rows == 0 || delta == 0)
        return;
    extend = extend && allowsMultipleSelection_;
    const long lead = selectedRow();
    const long step = delta > 0 ? 1 : -1;
    long target = lead < 0 ? (delta > 0 ? 0 : rows - 1) : lead + delta;
    while (target >= 0 && target < rows && !delegateShouldSelectRow(target))
        target += step;
    if (target < 0 || target >= rows)
        return;
    bool changed;
    if (extend && anchorRow_ >= 0 && anchorRow_ < rows) {
        changed = setSelectionQuietly(rowRange(anchorRow_, target), target);
    } else {
        anchorRow_ = target;
        changed = setSelectionQuietly({target}, target);
    }
    scrollRowToVisible(target);
    if (changed)
        postSelectionDidChange();
}

bool TableView::typeSelect(const Event& event) {
    if (!allowsTypeSelect_ || (event.modifierFlags() & (CommandKeyMask | ControlKeyMask)))
        return false;
    const std::string& text = event.characters();
    if (text.empty() || !isTypeSelectCharacter(firstCodePoint(text)))
        return false;
    const double now = RunLoop::main().now();
    if (typeSelectTime_ < 0 || now - typeSelectTime_ > kTypeSelectTimeout)
        typeSelectBuffer_.clear();
    if (typeSelectBuffer_.empty() && text == " ")
        return false;
    typeSelectBuffer_ += text;
    typeSelectTime_ = now;
    const long rows = numberOfRows();
    const long start = std::max(0L, selectedRow());
    for (long i = 0; i < rows; ++i) {
        const long row = (start + i) % rows;
        for (const auto& column : columns_) {
            if (column->isHidden())
                continue;
            std::optional<std::string> candidate = delegateTypeSelectString(column.get(), row);
            if (!candidate)
                candidate = dataSourceObjectValue(column.get(), row).stringValue();
            if (!startsWithIgnoringCase(*candidate, typeSelectBuffer_))
                continue;
            if (!delegateShouldSelectRow(row))
                break;
            anchorRow_ = row;
            const bool changed = setSelectionQuietly({row}, row);
            scrollRowToVisible(row);
            if (changed)
                postSelectionDidChange();
            return true;
        }
    }
    return true;
}

void TableView::keyDown(const Event& event) {
    auto keep = weak_from_this().lock();
    const char32_t c = firstCodePoint(event.charactersIgnoringModifiers());
    const bool shift = event.modifierFlags() & ShiftKeyMask;
    if (c == UpArrowFunctionKey) {
        moveSelectionBy(-1, shift);
        return;
    }
    if (c == DownArrowFunctionKey) {
        moveSelectionBy(1, shift);
        return;
    }
    if (typeSelect(event))
        return;
    Control::keyDown(event);
}

bool TableView::becomeFirstResponder() {
    setNeedsDisplay(true);
    return true;
}

bool TableView::resignFirstResponder() {
    setNeedsDisplay(true);
    return true;
}

bool TableView::tryToPerform(std::string_view action, Object* sender) {
    if (action == "selectAll:") {
        selectAll(sender);
        return true;
    }
    if (action == "deselectAll:") {
        deselectAll(sender);
        return true;
    }
    return Control::tryToPerform(action, sender);
}

bool TableView::respondsToAction(std::string_view action) const {
    return action == "selectAll:" || action == "deselectAll:" || Control::respondsToAction(action);
}

// Editing.

void TableView::editColumn(long column, long row, const Event* event, bool select) {
    Window* window = this->window();
    if (!window || column < 0 || column >= numberOfColumns() || row < 0 || row >= numberOfRows())
        return;
    auto keep = weak_from_this().lock();
    // A cell still being edited keeps its text before another one starts.
    if (currentEditor())
        window->makeFirstResponder(this);
    scrollRowToVisible(row);
    auto prepared = preparedCellAtColumn(column, row);
    if (!prepared)
        return;
    TextView* editor = fieldEditorOf(*window, this);
    if (!editor)
        return;
    auto keepEditor = editor->weak_from_this().lock();
    if (auto* other = dynamic_cast<Control*>(editor->delegate()); other && other != this) {
        if (auto* table = dynamic_cast<TableView*>(other))
            table->abortEditing();
        else
            other->abortEditing();
    }
    editingCell_ = prepared->copy();
    editingCell_->setControlView(nullptr);
    editingCell_->setEditable(true);
    editingCell_->setHighlighted(false);
    editingCell_->setControlView(this);
    editedRow_ = row;
    editedColumn_ = column;
    editor_ = keepEditor;
    const Rect frame = frameOfCellAtColumn(column, row);
    if (select || !event)
        editingCell_->selectWithFrame(frame, this, *editor, this, 0,
                                      editingCell_->stringValue().size());
    else
        editingCell_->editWithFrame(frame, this, *editor, this, event);
    // The editor covers one cell; the table's size changes must not stretch it.
    editor->setAutoresizingMask(ViewNotSizable);
    setNeedsDisplayInRect(rectOfRow(row));
}

TextView* TableView::currentEditor() const {
    auto editor = std::dynamic_pointer_cast<TextView>(editor_.lock());
    if (!editor || editor->delegate() != this || editor->superview() != this)
        return nullptr;
    return editor.get();
}

void TableView::endEditingSession() {
    const long row = editedRow_;
    editedRow_ = editedColumn_ = -1;
    editingCell_.reset();
    editor_.reset();
    setNeedsDisplayInRect(rectOfRow(row));
}

bool TableView::abortEditing() {
    TextView* editor = currentEditor();
    if (!editor) {
        if (editedRow_ >= 0)
            endEditingSession();
        return false;
    }
    auto keepEditor = editor->weak_from_this().lock();
    editingCell_->endEditing(*editor);
    endEditingSession();
    return true;
}

bool TableView::textShouldBeginEditing(TextView& textView) {
    if (!editingCell_ || !editingCell_->isEnabled())
        return false;
    ControlTextEditingDelegate* delegate = Control::delegate();
    return !delegate || delegate->controlTextShouldBeginEditing(*this, textView);
}

void TableView::textDidEndEditing(const Notification& notification) {
    auto keep = weak_from_this().lock();
    auto* editor = dynamic_cast<TextView*>(notification.object);
    if (!editor || !editingCell_)
        return;
    auto keepEditor = editor->weak_from_this().lock();
    const int movement = notification.userInfo[TextMovementKey].intValue();
    const long row = editedRow_;
    const long column = editedColumn_;
    editingCell_->setStringValue(editor->string());
    const Value value = editingCell_->objectValue();
    editingCell_->endEditing(*editor);
    endEditingSession();
    if (row < numberOfRows() && column < numberOfColumns())
        dataSourceSetObjectValue(value, columns_[column].get(), row);
    postControlNotification(ControlTextDidEndEditingNotification,
                            &ControlTextEditingDelegate::controlTextDidEndEditing, editor,
                            movement);
    Window* window = this->window();
    if (!window)
        return;
    if (movement == TabTextMovement || movement == BacktabTextMovement) {
        // Tab moves on to the next cell of the row that may be edited.
        const long step = movement == TabTextMovement ? 1 : -1;
        for (long c = column + step; c >= 0 && c < numberOfColumns(); c += step) {
            TableColumn* next = columns_[c].get();
            if (!next->isHidden() && next->isEditable() && delegateShouldEdit(next, row)) {
                editColumn(c, row, nullptr, true);
                return;
            }
        }
        window->makeFirstResponder(this);
    } else if (movement == ReturnTextMovement) {
        window->makeFirstResponder(this);
    }
}

bool TableView::textViewDoCommandBySelector(TextView& textView, std::string_view selector) {
    if (Control::textViewDoCommandBySelector(textView, selector))
        return true;
    if (selector == "cancelOperation:") {
        auto keep = weak_from_this().lock();
        abortEditing();
        if (Window* window = this->window())
            window->makeFirstResponder(this);
        return true;
    }
    return false;
}

// Dragging.

void TableView::registerForDraggedTypes(std::vector<std::string> types) {
    for (auto& type : types)
        if (std::find(draggedTypes_.begin(), draggedTypes_.end(), type) == draggedTypes_.end())
            draggedTypes_.push_back(std::move(type));
}

void TableView::setDropRow(long row, TableViewDropOperation operation) {
    setNeedsDisplayInRect(dropHighlightRect());
    dropRow_ = row;
    dropOperation_ = operation;
    setNeedsDisplayInRect(dropHighlightRect());
}

void TableView::setDraggingSourceOperationMask(DragOperation mask, bool isLocal) {
    (isLocal ? localDragMask_ : remoteDragMask_) = mask;
}

DragOperation TableView::draggingSourceOperationMaskForLocal(bool isLocal) {
    return isLocal ? localDragMask_ : remoteDragMask_;
}

void TableView::proposedDropForPoint(Point point, long& row, TableViewDropOperation& operation) {
    const long rows = numberOfRows();
    if (rows == 0 || point.y >= rowsHeight()) {
        row = rows;
        operation = TableViewDropOperation::Above;
        return;
    }
    row = std::max(0L, rowAtY(std::max(0.0, point.y)));
    const Rect rect = rectOfRow(row);
    const double fraction = rect.height() > 0 ? (point.y - rect.minY()) / rect.height() : 0.5;
    if (fraction < 0.25) {
        operation = TableViewDropOperation::Above;
    } else if (fraction > 0.75) {
        row += 1;
        operation = TableViewDropOperation::Above;
    } else {
        operation = TableViewDropOperation::On;
    }
}

DragOperation TableView::validateProposedDrop(DraggingInfo& info) {
    long row = -1;
    TableViewDropOperation operation = TableViewDropOperation::On;
    proposedDropForPoint(convertPointFromView(info.draggingLocation(), nullptr), row, operation);
    setDropRow(row, operation);
    dropResult_ = dataSourceValidateDrop(info, dropRow_, dropOperation_);
    setNeedsDisplayInRect(dropHighlightRect());
    return dropResult_;
}

DragOperation TableView::draggingEntered(DraggingInfo& info) {
    validateProposedDrop(info);
    return dropResult_;
}

std::optional<DragOperation> TableView::draggingUpdated(DraggingInfo& info) {
    validateProposedDrop(info);
    return dropResult_;
}

void TableView::draggingExited(DraggingInfo* /*info*/) {
    setNeedsDisplayInRect(dropHighlightRect());
    dropRow_ = -1;
    dropResult_ = DragOperationNone;
}

bool TableView::performDragOperation(DraggingInfo& info) {
    auto keep = weak_from_this().lock();
    if (dropResult_ == DragOperationNone)
        return false;
    return dataSourceAcceptDrop(info, dropRow_, dropOperation_);
}

void TableView::concludeDragOperation(DraggingInfo& /*info*/) {
    setNeedsDisplayInRect(dropHighlightRect());
    dropRow_ = -1;
    dropResult_ = DragOperationNone;
}

Rect TableView::dropHighlightRect() const {
    if (dropResult_ == DragOperationNone)
        return {};
    if (dropOperation_ == TableViewDropOperation::On) {
        if (dropRow_ < 0)
            return visibleRect();
        return rectOfRow(dropRow_);
    }
    const double y = dropRow_ >= numberOfRows() ? rowsHeight() : rowTop(std::max(0L, dropRow_));
    return {0, std::max(0.0, y - 1), bounds().width(), 2};
}

std::string TableView::description() const {
    return View::description() + " rows " + std::to_string(numberOfRows());
}

} // namespace platform
