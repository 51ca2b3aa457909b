#pragma once

#include "platform/kit/TextFieldCell.h"
#include "platform/kit/View.h"

#include <memory>
#include <string>

namespace platform {

class TableView;

// The cell of a column header: its title over a light grey band with a line at the right and
// at the bottom.
class TableHeaderCell : public TextFieldCell {
public:
    TableHeaderCell();
    explicit TableHeaderCell(std::string title);
    TableHeaderCell(const TableHeaderCell& other) = default;
    std::shared_ptr<Cell> copy() const override { return std::make_shared<TableHeaderCell>(*this); }

    void drawWithFrame(const Rect& cellFrame, View* controlView) override;
};

// The band of column headers above a table, placed by the scroll view over the clip view and
// scrolled sideways with it. A click on a header tells the table's delegate; dragging the edge
// between two headers resizes the column at its left when the column lets the user resize it.
class TableHeaderView : public View {
public:
    static constexpr double kDefaultHeight = 17;

    explicit TableHeaderView(const Rect& frame = {0, 0, 100, kDefaultHeight});

    // Not owned; the table sets it.
    TableView* tableView() const { return tableView_; }
    void setTableView(TableView* tableView) { tableView_ = tableView; }

    Rect headerRectOfColumn(long column) const;
    long columnAtPoint(Point point) const;
    // The column being resized by the user, or -1.
    long resizedColumn() const { return resizedColumn_; }

    bool isFlipped() const override { return true; }
    void drawRect(const Rect& dirtyRect) override;
    void mouseDown(const Event& event) override;
    void mouseDragged(const Event& event) override;
    void mouseUp(const Event& event) override;

private:
    // The column whose right edge is within reach of `point`, or -1.
    long columnEdgeAtPoint(Point point) const;

    TableView* tableView_ = nullptr;
    long resizedColumn_ = -1;
    double resizeStartX_ = 0;
    double resizeStartWidth_ = 0;
};

} // namespace platform
