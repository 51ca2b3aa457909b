#pragma once

#include "platform/kit/TableView.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace platform {

class OutlineView;

// An item of an outline is any object the data source hands out, held by shared_ptr and known
// by identity (the same object is the same item; an equal copy is another one). The null item
// is the invisible root. The outline keeps the items of its rows alive until the next reload,
// and remembers expanded items weakly, so an item that went away and a new object that reuses
// its address are never taken for each other.
using OutlineItem = std::shared_ptr<Object>;

// Posted through the default notification centre with the outline as object; the item notices
// carry the item under OutlineViewItemKey in their user info.
inline constexpr std::string_view OutlineViewSelectionDidChangeNotification =
    "NSOutlineViewSelectionDidChangeNotification";
inline constexpr std::string_view OutlineViewSelectionIsChangingNotification =
    "NSOutlineViewSelectionIsChangingNotification";
inline constexpr std::string_view OutlineViewItemWillExpandNotification =
    "NSOutlineViewItemWillExpandNotification";
inline constexpr std::string_view OutlineViewItemDidExpandNotification =
    "NSOutlineViewItemDidExpandNotification";
inline constexpr std::string_view OutlineViewItemWillCollapseNotification =
    "NSOutlineViewItemWillCollapseNotification";
inline constexpr std::string_view OutlineViewItemDidCollapseNotification =
    "NSOutlineViewItemDidCollapseNotification";
inline constexpr std::string_view OutlineViewItemKey = "NSObject";
// The child index of a drop onto an item rather than between its children.
inline constexpr long OutlineViewDropOnItemIndex = -1;

// Where an outline's items come from. Every function is optional; the item arguments may be the
// null root.
class OutlineViewDataSource {
public:
    virtual ~OutlineViewDataSource() = default;

    virtual long outlineViewNumberOfChildrenOfItem(OutlineView& /*outlineView*/,
                                                   const OutlineItem& /*item*/) {
        return 0;
    }
    virtual OutlineItem outlineViewChild(OutlineView& /*outlineView*/, long /*index*/,
                                         const OutlineItem& /*item*/) {
        return nullptr;
    }
    virtual bool outlineViewIsItemExpandable(OutlineView& /*outlineView*/,
                                             const OutlineItem& /*item*/) {
        return false;
    }
    virtual Value outlineViewObjectValueForTableColumn(OutlineView& /*outlineView*/,
                                                       TableColumn* /*column*/,
                                                       const OutlineItem& /*item*/) {
        return {};
    }
    // false when not implemented.
    virtual bool outlineViewSetObjectValue(OutlineView& /*outlineView*/, const Value& /*value*/,
                                           TableColumn* /*column*/, const OutlineItem& /*item*/) {
        return false;
    }
    // Drag source: writes the items; true starts the drag.
    virtual bool outlineViewWriteItems(OutlineView& /*outlineView*/,
                                       const std::vector<OutlineItem>& /*items*/,
                                       Pasteboard& /*pasteboard*/) {
        return false;
    }
    // Drag destination: a drop onto `item` (childIndex OutlineViewDropOnItemIndex) or between
    // its children before `childIndex`; the data source may move it with setDropItem.
    virtual DragOperation outlineViewValidateDrop(OutlineView& /*outlineView*/,
                                                  DraggingInfo& /*info*/,
                                                  const OutlineItem& /*item*/,
                                                  long /*childIndex*/) {
        return DragOperationNone;
    }
    virtual bool outlineViewAcceptDrop(OutlineView& /*outlineView*/, DraggingInfo& /*info*/,
                                       const OutlineItem& /*item*/, long /*childIndex*/) {
        return false;
    }
};

// What an outline tells and asks its delegate, by item. Every function is optional.
class OutlineViewDelegate : public ControlTextEditingDelegate {
public:
    virtual void outlineViewWillDisplayCell(OutlineView& /*outlineView*/, Cell& /*cell*/,
                                            TableColumn* /*column*/, const OutlineItem& /*item*/) {}
    // nullopt: not implemented; a null cell: the column's own.
    virtual std::optional<std::shared_ptr<Cell>>
    outlineViewDataCellForTableColumn(OutlineView& /*outlineView*/, TableColumn* /*column*/,
                                      const OutlineItem& /*item*/) {
        return std::nullopt;
    }
    virtual bool outlineViewShouldSelectItem(OutlineView& /*outlineView*/,
                                             const OutlineItem& /*item*/) {
        return true;
    }
    virtual bool outlineViewShouldExpandItem(OutlineView& /*outlineView*/,
                                             const OutlineItem& /*item*/) {
        return true;
    }
    virtual bool outlineViewShouldCollapseItem(OutlineView& /*outlineView*/,
                                               const OutlineItem& /*item*/) {
        return true;
    }
    virtual void outlineViewItemWillExpand(const Notification& /*notification*/) {}
    virtual void outlineViewItemDidExpand(const Notification& /*notification*/) {}
    virtual void outlineViewItemWillCollapse(const Notification& /*notification*/) {}
    virtual void outlineViewItemDidCollapse(const Notification& /*notification*/) {}
    virtual void outlineViewSelectionDidChange(const Notification& /*notification*/) {}
    virtual void outlineViewSelectionIsChanging(const Notification& /*notification*/) {}
    // nullopt: the outline's rowHeight.
    virtual std::optional<double> outlineViewHeightOfRowByItem(OutlineView& /*outlineView*/,
                                                               const OutlineItem& /*item*/) {
        return std::nullopt;
    }
    virtual bool outlineViewShouldEditTableColumn(OutlineView& /*outlineView*/,
                                                  TableColumn* /*column*/,
                                                  const OutlineItem& /*item*/) {
        return true;
    }
    // nullopt: when the click hits a trackable part of the cell.
    virtual std::optional<bool> outlineViewShouldTrackCell(OutlineView& /*outlineView*/,
                                                           Cell& /*cell*/, TableColumn* /*column*/,
                                                           const OutlineItem& /*item*/) {
        return std::nullopt;
    }
    virtual std::optional<std::string>
    outlineViewTypeSelectStringForTableColumn(OutlineView& /*outlineView*/, TableColumn* /*column*/,
                                              const OutlineItem& /*item*/) {
        return std::nullopt;
    }
    virtual void outlineViewMouseDownInHeaderOfTableColumn(OutlineView& /*outlineView*/,
                                                           TableColumn& /*column*/) {}
    virtual void outlineViewDidClickTableColumn(OutlineView& /*outlineView*/,
                                                TableColumn& /*column*/) {}
};

// A table whose rows are the visible items of a tree: the root's children, and the children of
// every expanded item below it, indented by level in the outline column, where expandable items
// show a disclosure triangle that a click turns. Everything the table does by row (selection,
// editing, dragging, drawing only the rows in sight) it does here, with the data source and
// delegate answering by item. The Left and Right arrows collapse and expand the selected item
// (Option: with its descendants); Left on a collapsed item selects its parent.
class OutlineView : public TableView {
public:
    explicit OutlineView(const Rect& frame = {});
    ~OutlineView() override;

    // Not owned.
    OutlineViewDataSource* dataSource() const { return dataSource_; }
    void setDataSource(OutlineViewDataSource* dataSource);
    OutlineViewDelegate* delegate() const { return delegate_; }
    void setDelegate(OutlineViewDelegate* delegate);

    // The column that shows the tree; the first visible column unless one is set.
    TableColumn* outlineTableColumn() const;
    void setOutlineTableColumn(TableColumn* column);
    double indentationPerLevel() const { return indentationPerLevel_; }
    void setIndentationPerLevel(double indentation);
    // The width kept for the disclosure triangle before a row's cell.
    static constexpr double kDisclosureWidth = 16;

    // Reads the tree again; expanded items that are still handed out stay expanded, and the
    // selection stays on the same items.
    void reloadData() override;
    // Reads the tree again (the whole outline, here).
    void reloadItem(const OutlineItem& item, bool reloadChildren = false);

    // Rows and items. -1 (or the null item) for what is not shown.
    OutlineItem itemAtRow(long row) const;
    long rowForItem(const OutlineItem& item) const;
    long levelForRow(long row) const;
    long levelForItem(const OutlineItem& item) const;
    OutlineItem parentForItem(const OutlineItem& item) const;
    bool isExpandable(const OutlineItem& item) const;
    bool isItemExpanded(const OutlineItem& item) const;
    // Shows the item's children (and, with expandChildren, their descendants'); an item out
    // of sight is only marked, and opens with its parent. The null item stands for every
    // top-level item.
    virtual void expandItem(const OutlineItem& item, bool expandChildren = false);
    virtual void collapseItem(const OutlineItem& item, bool collapseChildren = false);

    // The outline column's cells begin after the indentation of their level and the triangle.
    Rect frameOfCellAtColumn(long column, long row) const override;
    // Where the disclosure triangle of an expandable row is drawn and clicked; zero otherwise.
    virtual Rect frameOfOutlineCellAtRow(long row) const;

    // Moves the drop target while the data source validates a drop.
    void setDropItem(const OutlineItem& item, long childIndex);
    const OutlineItem& dropItem() const { return dropItem_; }
    long dropChildIndex() const { return dropChildIndex_; }

    void drawRow(long row, const Rect& clipRect) override;
    void mouseDown(const Event& event) override;
    void keyDown(const Event& event) override;
    void mouseDownInHeaderOfTableColumn(TableColumn& column) override;
    void didClickTableColumn(TableColumn& column) override;

protected:
    long numberOfRowsFromDataSource() override;
    Value dataSourceObjectValue(TableColumn* column, long row) override;
    bool dataSourceSetObjectValue(const Value& value, TableColumn* column, long row) override;
    bool dataSourceWriteRows(const IndexSet& rows, Pasteboard& pasteboard) override;
    DragOperation dataSourceValidateDrop(DraggingInfo& info, long row,
                                         TableViewDropOperation operation) override;
    bool dataSourceAcceptDrop(DraggingInfo& info, long row,
                              TableViewDropOperation operation) override;
    std::optional<std::shared_ptr<Cell>> delegateDataCell(TableColumn* column, long row) override;
    void delegateWillDisplayCell(Cell& cell, TableColumn* column, long row) override;
    bool delegateShouldSelectRow(long row) override;
    std::optional<double> delegateHeightOfRow(long row) override;
    bool delegateShouldEdit(TableColumn* column, long row) override;
    std::optional<bool> delegateShouldTrackCell(Cell& cell, TableColumn* column, long row) override;
    std::optional<std::string> delegateTypeSelectString(TableColumn* column, long row) override;
    void postSelectionDidChange() override;
    void postSelectionIsChanging() override;

    // Draws the disclosure triangle, pointing right when collapsed and down when expanded.
    virtual void drawDisclosureTriangle(const Rect& frame, bool expanded);

private:
    struct Row {
        OutlineItem item;
        OutlineItem parent;
        long level = 0;
        bool expandable = false;
    };
    void ensureRows() const;
    void appendChildren(const OutlineItem& parent, long level, std::vector<Row>& out);
    void reindex();
    // The rows changed shape around `row`: `removed` rows after it went, `inserted` came; the
    // selection moves with its items.
    void rowsSpliced(long row, long removed, long inserted);
    void postItemNotification(std::string_view name, const OutlineItem& item,
                              void (OutlineViewDelegate::*message)(const Notification&));
    // The index of a row's item among its parent's children.
    long childIndexOfRow(long row) const;
    // The row that shows child `index` of `item` (or the row after its last descendant).
    long rowOfChild(const OutlineItem& item, long index) const;

    OutlineViewDataSource* dataSource_ = nullptr;
    OutlineViewDelegate* delegate_ = nullptr;
    TableColumn* outlineColumn_ = nullptr;
    double indentationPerLevel_ = 16;
    mutable bool rowsBuilt_ = false;
    mutable std::vector<Row> rows_;
    mutable std::unordered_map<const Object*, long> rowOfItem_;
    std::map<const Object*, std::weak_ptr<Object>> expanded_;
    OutlineItem dropItem_;
    long dropChildIndex_ = OutlineViewDropOnItemIndex;
};

} // namespace platform
