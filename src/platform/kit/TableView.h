#pragma once

#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/Color.h"
#include "platform/kit/Control.h"
#include "platform/kit/DragSession.h"
#include "platform/kit/TableColumn.h"

#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class Pasteboard;
class TableHeaderView;
class TableView;

// Posted through the default notification centre with the table as object (the delegate hears
// them first).
inline constexpr std::string_view TableViewSelectionDidChangeNotification =
    "NSTableViewSelectionDidChangeNotification";
inline constexpr std::string_view TableViewSelectionIsChangingNotification =
    "NSTableViewSelectionIsChangingNotification";

// Row numbers, sorted: the selection and the rows handed to a drag.
using IndexSet = std::set<long>;

// A run of rows (or columns): location and length, as the original's ranges.
struct RowRange {
    long location = 0;
    long length = 0;
    long end() const { return location + length; }
    friend bool operator==(const RowRange&, const RowRange&) = default;
};

// Grid lines, bits as the original numbered them.
using TableViewGridLineStyle = unsigned;
inline constexpr TableViewGridLineStyle TableViewGridNone = 0;
inline constexpr TableViewGridLineStyle TableViewSolidVerticalGridLineMask = 1;
inline constexpr TableViewGridLineStyle TableViewSolidHorizontalGridLineMask = 2;

// Where a drop goes: onto a row, or into the gap above it.
enum class TableViewDropOperation : int { On = 0, Above = 1 };

// How columns share a change of the table's width.
enum class TableViewColumnAutoresizingStyle : int {
    NoColumnAutoresizing = 0,
    UniformColumnAutoresizingStyle = 1,
    LastColumnOnlyAutoresizingStyle = 4,
};

// Where a table's rows come from. Every function is optional; an operation whose absence changes
// what the table does answers whether it was handled (false: not implemented).
class TableViewDataSource {
public:
    virtual ~TableViewDataSource() = default;

    virtual long numberOfRowsInTableView(TableView& /*tableView*/) { return 0; }
    virtual Value tableViewObjectValueForTableColumn(TableView& /*tableView*/,
                                                     TableColumn* /*column*/, long /*row*/) {
        return {};
    }
    // An edited value, or a cell's new state after a click; false when not implemented.
    virtual bool tableViewSetObjectValue(TableView& /*tableView*/, const Value& /*value*/,
                                         TableColumn* /*column*/, long /*row*/) {
        return false;
    }
    // Drag source: writes the rows to the pasteboard; true starts the drag.
    virtual bool tableViewWriteRowsWithIndexes(TableView& /*tableView*/, const IndexSet& /*rows*/,
                                               Pasteboard& /*pasteboard*/) {
        return false;
    }
    // Drag destination: the operation a drop at (row, operation) would do; the data source may
    // move the target with setDropRow while answering.
    virtual DragOperation tableViewValidateDrop(TableView& /*tableView*/, DraggingInfo& /*info*/,
                                                long /*row*/, TableViewDropOperation /*op*/) {
        return DragOperationNone;
    }
    virtual bool tableViewAcceptDrop(TableView& /*tableView*/, DraggingInfo& /*info*/, long /*row*/,
                                     TableViewDropOperation /*op*/) {
        return false;
    }
};

// What a table tells and asks its delegate, besides the text-editing messages of the cell being
// edited. Every function is optional; the defaults are the answers of a delegate that does not
// implement the message.
class TableViewDelegate : public ControlTextEditingDelegate {
public:
    virtual void tableViewWillDisplayCell(TableView& /*tableView*/, Cell& /*cell*/,
                                          TableColumn* /*column*/, long /*row*/) {}
    // nullopt: not implemented; a null cell: the column's own.
    virtual std::optional<std::shared_ptr<Cell>>
    tableViewDataCellForTableColumn(TableView& /*tableView*/, TableColumn* /*column*/,
                                    long /*row*/) {
        return std::nullopt;
    }
    virtual bool tableViewShouldSelectRow(TableView& /*tableView*/, long /*row*/) { return true; }
    virtual void tableViewSelectionDidChange(const Notification& /*notification*/) {}
    virtual void tableViewSelectionIsChanging(const Notification& /*notification*/) {}
    // nullopt: every row is rowHeight high.
    virtual std::optional<double> tableViewHeightOfRow(TableView& /*tableView*/, long /*row*/) {
        return std::nullopt;
    }
    virtual bool tableViewShouldEditTableColumn(TableView& /*tableView*/, TableColumn* /*column*/,
                                                long /*row*/) {
        return true;
    }
    // Whether a click may track the cell (a button in a row); nullopt: when it hits a trackable
    // part of the cell.
    virtual std::optional<bool> tableViewShouldTrackCell(TableView& /*tableView*/, Cell& /*cell*/,
                                                         TableColumn* /*column*/, long /*row*/) {
        return std::nullopt;
    }
    // The text typing selects a row by; nullopt: the row's value in the column.
    virtual std::optional<std::string>
    tableViewTypeSelectStringForTableColumn(TableView& /*tableView*/, TableColumn* /*column*/,
                                            long /*row*/) {
        return std::nullopt;
    }
    virtual void tableViewMouseDownInHeaderOfTableColumn(TableView& /*tableView*/,
                                                         TableColumn& /*column*/) {}
    virtual void tableViewDidClickTableColumn(TableView& /*tableView*/, TableColumn& /*column*/) {}
};

// The platform's cell-based table: rows from a data source drawn by the columns' cells, flipped
// (row 0 at the top). It is usually the document of a scroll view; it then fills at least the
// clip view and keeps the scroll view's line scroll at one row.
//
// Drawing walks only the rows in the rectangle being redrawn, so the cost follows the rows in
// sight, never the row count: drawRect calls drawBackgroundInClipRect, then
// highlightSelectionInClipRect, drawGridInClipRect and drawRow for each row in the rectangle,
// each overridable. A cell is prepared for a row by preparedCellAtColumn (the delegate's cell or
// the column's, the data source's value, the selection's highlight, then willDisplayCell) and
// drawn in frameOfCellAtColumn, which subclasses may move.
//
// Mouse: a click selects (Shift extends from the anchor, Command toggles, with multiple selection
// allowed), a drag selects a run of rows or, when the data source writes the rows, drags them;
// the action goes on the release and the double action on the release of a double click; a
// double click on an editable cell without a double action edits it. Keys: the up and down
// arrows move the selection (Shift extends) and typing selects the first row whose text starts
// with what was typed; every other key goes on to the next responder. In-place editing lends the
// window's field editor: Return and Tab commit (setObjectValue), Escape cancels.
class TableView : public Control, public DraggingSource, public DraggingDestination {
public:
    explicit TableView(const Rect& frame = {});
    ~TableView() override;

    // Not owned; whoever sets them clears them before going away.
    TableViewDataSource* dataSource() const { return dataSource_; }
    void setDataSource(TableViewDataSource* dataSource);
    TableViewDelegate* delegate() const { return delegate_; }
    void setDelegate(TableViewDelegate* delegate);

    // Columns.
    const std::vector<std::shared_ptr<TableColumn>>& tableColumns() const { return columns_; }
    long numberOfColumns() const { return static_cast<long>(columns_.size()); }
    void addTableColumn(std::shared_ptr<TableColumn> column);
    void removeTableColumn(TableColumn* column);
    void moveColumn(long from, long to);
    // Index of the first column with the identifier, or -1.
    long columnWithIdentifier(std::string_view identifier) const;
    TableColumn* tableColumnWithIdentifier(std::string_view identifier) const;
    TableViewColumnAutoresizingStyle columnAutoresizingStyle() const { return autoresizingStyle_; }
    void setColumnAutoresizingStyle(TableViewColumnAutoresizingStyle style);
    // The last visible column takes up what is left of the table's width.
    void sizeLastColumnToFit();
    // A column's width, visibility or cells changed.
    void columnDidChange(TableColumn* column);
    // The header view's reports of presses and clicks on a column's header, for the delegate.
    virtual void mouseDownInHeaderOfTableColumn(TableColumn& column);
    virtual void didClickTableColumn(TableColumn& column);

    // Rows. The row count and heights are read from the data source and delegate once, and again
    // after reloadData or the note... calls.
    virtual void reloadData();
    void noteNumberOfRowsChanged();
    void noteHeightOfRowsWithIndexesChanged(const IndexSet& rows);
    long numberOfRows() const;
    double rowHeight() const { return rowHeight_; }
    void setRowHeight(double height);
    Size intercellSpacing() const { return intercellSpacing_; }
    void setIntercellSpacing(Size spacing);

    // Geometry, in the table's (flipped) coordinates. A row's rectangle spans the table's width
    // and includes the intercell spacing; an unknown row or column gives the zero rectangle.
    Rect rectOfRow(long row) const;
    Rect rectOfColumn(long column) const;
    // -1 outside every row (or column).
    long rowAtPoint(Point point) const;
    long columnAtPoint(Point point) const;
    RowRange rowsInRect(const Rect& rect) const;
    // The visible columns that cross the rectangle, left to right.
    std::vector<long> columnIndexesInRect(const Rect& rect) const;
    // Where a cell is drawn: the row's and column's rectangles less half the spacing each side.
    virtual Rect frameOfCellAtColumn(long column, long row) const;
    // The cell that draws (column, row), set up for it; nullptr for an unknown column.
    virtual std::shared_ptr<Cell> preparedCellAtColumn(long column, long row);
    // Sizes the table to its rows and columns (and to its clip view).
    virtual void tile();

    // Selection.
    // The most recently selected row still selected, or -1.
    long selectedRow() const;
    const IndexSet& selectedRowIndexes() const { return selection_; }
    long numberOfSelectedRows() const { return static_cast<long>(selection_.size()); }
    bool isRowSelected(long row) const { return selection_.count(row) != 0; }
    // From code: the delegate is not asked; the change is posted.
    void selectRowIndexes(const IndexSet& rows, bool byExtendingSelection);
    void selectRow(long row, bool byExtendingSelection);
    void deselectRow(long row);
    // Only when an empty selection is allowed, as with the original.
    void deselectAll(Object* sender);
    void selectAll(Object* sender);
    bool allowsEmptySelection() const { return allowsEmptySelection_; }
    void setAllowsEmptySelection(bool flag) { allowsEmptySelection_ = flag; }
    bool allowsMultipleSelection() const { return allowsMultipleSelection_; }
    void setAllowsMultipleSelection(bool flag) { allowsMultipleSelection_ = flag; }
    bool allowsTypeSelect() const { return allowsTypeSelect_; }
    void setAllowsTypeSelect(bool flag) { allowsTypeSelect_ = flag; }
    // The row and column of the click being handled (or last handled), -1 for none.
    long clickedRow() const { return clickedRow_; }
    long clickedColumn() const { return clickedColumn_; }
    void scrollRowToVisible(long row);
    void scrollColumnToVisible(long column);

    // The action of a double click, sent to the target (the chain without one).
    const std::string& doubleAction() const { return doubleAction_; }
    void setDoubleAction(std::string action) { doubleAction_ = std::move(action); }

    // In-place editing of one cell with the window's field editor.
    virtual void editColumn(long column, long row, const Event* event, bool select);
    long editedRow() const { return editedRow_; }
    long editedColumn() const { return editedColumn_; }
    TextView* currentEditor() const;
    // Ends editing without keeping the text; false when nothing was being edited.
    bool abortEditing();

    // Appearance.
    bool usesAlternatingRowBackgroundColors() const { return alternatingRows_; }
    void setUsesAlternatingRowBackgroundColors(bool flag);
    TableViewGridLineStyle gridStyleMask() const { return gridStyle_; }
    void setGridStyleMask(TableViewGridLineStyle mask);
    const Color& gridColor() const { return gridColor_; }
    void setGridColor(const Color& color);
    const Color& backgroundColor() const { return backgroundColor_; }
    void setBackgroundColor(const Color& color);
    TableHeaderView* headerView() const { return headerView_.get(); }
    void setHeaderView(std::shared_ptr<TableHeaderView> headerView);

    // Drawing.
    void drawRect(const Rect& dirtyRect) override;
    virtual void drawBackgroundInClipRect(const Rect& clipRect);
    virtual void highlightSelectionInClipRect(const Rect& clipRect);
    virtual void drawGridInClipRect(const Rect& clipRect);
    virtual void drawRow(long row, const Rect& clipRect);
    bool isFlipped() const override { return true; }
    bool isOpaque() const override;

    // Events.
    void mouseDown(const Event& event) override;
    void mouseDragged(const Event& event) override;
    void mouseUp(const Event& event) override;
    void keyDown(const Event& event) override;
    bool acceptsFirstResponder() const override { return true; }
    bool becomeFirstResponder() override;
    bool resignFirstResponder() override;
    bool canBecomeKeyView() const override { return true; }
    bool tryToPerform(std::string_view action, Object* sender) override;
    bool respondsToAction(std::string_view action) const override;
    void viewDidMoveToSuperview() override;
    void resizeWithOldSuperviewSize(Size oldSize) override;

    // Dragging rows out and dropping onto rows.
    void registerForDraggedTypes(std::vector<std::string> types);
    void unregisterDraggedTypes() { draggedTypes_.clear(); }
    std::vector<std::string> registeredDraggedTypes() const override { return draggedTypes_; }
    // Moves the drop target while the data source validates a drop.
    void setDropRow(long row, TableViewDropOperation operation);
    long dropRow() const { return dropRow_; }
    TableViewDropOperation dropOperation() const { return dropOperation_; }
    void setDraggingSourceOperationMask(DragOperation mask, bool isLocal);
    bool verticalMotionCanBeginDrag() const { return verticalMotionCanBeginDrag_; }
    void setVerticalMotionCanBeginDrag(bool flag) { verticalMotionCanBeginDrag_ = flag; }
    DragOperation draggingSourceOperationMaskForLocal(bool isLocal) override;
    DragOperation draggingEntered(DraggingInfo& info) override;
    std::optional<DragOperation> draggingUpdated(DraggingInfo& info) override;
    void draggingExited(DraggingInfo* info) override;
    bool performDragOperation(DraggingInfo& info) override;
    void concludeDragOperation(DraggingInfo& info) override;

    // The field editor's messages while a cell is edited.
    bool textShouldBeginEditing(TextView& textView) override;
    void textDidEndEditing(const Notification& notification) override;
    bool textViewDoCommandBySelector(TextView& textView, std::string_view selector) override;

    std::string description() const override;

protected:
    // Where the table reads its rows and asks its delegate; an outline view answers them from
    // its own data source and delegate, by item.
    virtual long numberOfRowsFromDataSource();
    virtual Value dataSourceObjectValue(TableColumn* column, long row);
    virtual bool dataSourceSetObjectValue(const Value& value, TableColumn* column, long row);
    virtual bool dataSourceWriteRows(const IndexSet& rows, Pasteboard& pasteboard);
    virtual DragOperation dataSourceValidateDrop(DraggingInfo& info, long row,
                                                 TableViewDropOperation operation);
    virtual bool dataSourceAcceptDrop(DraggingInfo& info, long row,
                                      TableViewDropOperation operation);
    virtual std::optional<std::shared_ptr<Cell>> delegateDataCell(TableColumn* column, long row);
    virtual void delegateWillDisplayCell(Cell& cell, TableColumn* column, long row);
    virtual bool delegateShouldSelectRow(long row);
    virtual std::optional<double> delegateHeightOfRow(long row);
    virtual bool delegateShouldEdit(TableColumn* column, long row);
    virtual std::optional<bool> delegateShouldTrackCell(Cell& cell, TableColumn* column, long row);
    virtual std::optional<std::string> delegateTypeSelectString(TableColumn* column, long row);
    // Posts the selection notifications (delegate first, then the notification centre).
    virtual void postSelectionDidChange();
    virtual void postSelectionIsChanging();

    // The row list changed shape (rows added or removed without a reload): drops the cached
    // count and heights and lays out again.
    void rowsDidChange();
    // Replaces the selection without notifications; true when it changed.
    bool setSelectionQuietly(IndexSet rows, long lastSelected);
    // Where a drop at `point` would go before the data source is asked.
    virtual void proposedDropForPoint(Point point, long& row, TableViewDropOperation& operation);
    // Selection by keys: moves the lead row by `delta`, extending from the anchor.
    void moveSelectionBy(long delta, bool extend);
    // The rectangle of the drop highlight.
    Rect dropHighlightRect() const;

private:
    void ensureGeometry() const;
    double rowTop(long row) const;
    double rowsHeight() const;
    long rowAtY(double y) const;
    double columnLeft(long column) const;
    void selectionChangedByUser(const IndexSet& before);
    void clickSelect(long row, EventModifierFlags flags);
    bool trackCellAt(long column, long row, const Event& event);
    bool typeSelect(const Event& event);
    void endEditingSession();
    void startRowDrag(const Event& event);
    void dragSelectTo(long row);
    DragOperation validateProposedDrop(DraggingInfo& info);

    TableViewDataSource* dataSource_ = nullptr;
    TableViewDelegate* delegate_ = nullptr;
    std::vector<std::shared_ptr<TableColumn>> columns_;
    TableViewColumnAutoresizingStyle autoresizingStyle_ =
        TableViewColumnAutoresizingStyle::NoColumnAutoresizing;
    std::shared_ptr<TableHeaderView> headerView_;

    double rowHeight_ = 17;
    Size intercellSpacing_{3, 2};
    // Read lazily: -1 until asked after a reload.
    mutable long numberOfRows_ = -1;
    mutable bool geometryValid_ = false;
    // Row tops plus the end, only when the delegate sizes rows itself.
    mutable std::vector<double> rowOffsets_;

    IndexSet selection_;
    long lastSelected_ = -1;
    long anchorRow_ = -1;
    bool allowsEmptySelection_ = true;
    bool allowsMultipleSelection_ = false;
    bool allowsTypeSelect_ = true;
    long clickedRow_ = -1;
    long clickedColumn_ = -1;
    std::string doubleAction_;

    // The mouse press being followed.
    struct Press {
        bool active = false;
        Point point;
        long row = -1;
        long clickCount = 0;
        IndexSet selectionBefore;
        bool dragSelected = false;
        bool dragStarted = false;
    } press_;

    std::string typeSelectBuffer_;
    double typeSelectTime_ = -1;

    long editedRow_ = -1;
    long editedColumn_ = -1;
    std::shared_ptr<Cell> editingCell_;
    std::weak_ptr<View> editor_;

    bool alternatingRows_ = false;
    TableViewGridLineStyle gridStyle_ = TableViewGridNone;
    Color gridColor_ = Color::gridColor();
    Color backgroundColor_ = Color::controlBackgroundColor();

    std::vector<std::string> draggedTypes_;
    DragOperation localDragMask_ = DragOperationEvery;
    DragOperation remoteDragMask_ = DragOperationNone;
    bool verticalMotionCanBeginDrag_ = true;
    long dropRow_ = -1;
    TableViewDropOperation dropOperation_ = TableViewDropOperation::On;
    DragOperation dropResult_ = DragOperationNone;
    bool tiling_ = false;
};

} // namespace platform
