#pragma once

#include "platform/foundation/Object.h"

#include <memory>
#include <string>

namespace platform {

class Cell;
class TableView;

// How a column's width may change, bits as the original numbered them.
using TableColumnResizingMask = unsigned;
inline constexpr TableColumnResizingMask TableColumnNoResizing = 0;
inline constexpr TableColumnResizingMask TableColumnAutoresizingMask = 1;
inline constexpr TableColumnResizingMask TableColumnUserResizingMask = 2;

// A column of a table: an identifier, a width within its limits, a header cell that the header
// view draws and a data cell, the prototype that draws every row of the column (one cell, given
// each row's value in turn). Held by its table; the table pointer is cleared when it is removed.
class TableColumn : public Object {
public:
    // A text column: a plain text header cell and a text-field data cell.
    explicit TableColumn(std::string identifier = {});
    // A column the user reads but does not edit, with its header title and width.
    static std::shared_ptr<TableColumn> readOnlyColumn(std::string identifier, std::string title,
                                                       double width);
    ~TableColumn() override;

    virtual void initialize() {}

    const std::string& identifier() const { return identifier_; }
    void setIdentifier(std::string identifier) { identifier_ = std::move(identifier); }
    TableView* tableView() const { return tableView_; }
    void setTableView(TableView* tableView) { tableView_ = tableView; }

    double width() const { return width_; }
    // Clamped to the minimum and maximum; the table lays out again.
    void setWidth(double width);
    double minWidth() const { return minWidth_; }
    // A width below the new minimum grows to it.
    void setMinWidth(double width);
    double maxWidth() const { return maxWidth_; }
    void setMaxWidth(double width);
    TableColumnResizingMask resizingMask() const { return resizingMask_; }
    void setResizingMask(TableColumnResizingMask mask) { resizingMask_ = mask; }
    // The header's natural width (at least the minimum).
    void sizeToFit();

    Cell* headerCell() const { return headerCell_.get(); }
    const std::shared_ptr<Cell>& sharedHeaderCell() const { return headerCell_; }
    void setHeaderCell(std::shared_ptr<Cell> cell);
    Cell* dataCell() const { return dataCell_.get(); }
    const std::shared_ptr<Cell>& sharedDataCell() const { return dataCell_; }
    void setDataCell(std::shared_ptr<Cell> cell);
    // The cell that draws `row`: the data cell unless a subclass varies it by row.
    virtual std::shared_ptr<Cell> dataCellForRow(long row) const;

    bool isHidden() const { return hidden_; }
    void setHidden(bool flag);
    bool isEditable() const { return editable_; }
    void setEditable(bool flag) { editable_ = flag; }

    std::string description() const override;

private:
    void tellTable();

    std::string identifier_;
    TableView* tableView_ = nullptr;
    double width_ = 100;
    double minWidth_ = 10;
    double maxWidth_ = 100000;
    TableColumnResizingMask resizingMask_ =
        TableColumnAutoresizingMask | TableColumnUserResizingMask;
    std::shared_ptr<Cell> headerCell_;
    std::shared_ptr<Cell> dataCell_;
    bool hidden_ = false;
    bool editable_ = true;
};

} // namespace platform
