#include "platform/kit/TableColumn.h"

#include "platform/kit/TableHeaderView.h"
#include "platform/kit/TableView.h"
#include "platform/kit/TextFieldCell.h"

#include <algorithm>
#include <cmath>

namespace platform {

TableColumn::TableColumn(std::string identifier)
    : identifier_(std::move(identifier)), headerCell_(std::make_shared<TableHeaderCell>()),
      dataCell_(std::make_shared<TextFieldCell>()) {
    dataCell_->setLineBreakMode(LineBreakMode::ByTruncatingTail);
}

std::shared_ptr<TableColumn> TableColumn::readOnlyColumn(std::string identifier, std::string title,
                                                         double width) {
    auto column = std::make_shared<TableColumn>(std::move(identifier));
    column->setWidth(width);
    column->headerCell()->setStringValue(std::move(title));
    column->setEditable(false);
    return column;
}

TableColumn::~TableColumn() = default;

void TableColumn::setWidth(double width) {
    width = std::clamp(width, minWidth_, std::max(minWidth_, maxWidth_));
    if (width == width_)
        return;
    width_ = width;
    tellTable();
}

void TableColumn::setMinWidth(double width) {
    minWidth_ = width;
    if (width_ < minWidth_)
        setWidth(minWidth_);
}

void TableColumn::setMaxWidth(double width) {
    maxWidth_ = width;
    if (width_ > maxWidth_)
        setWidth(maxWidth_);
}

void TableColumn::sizeToFit() {
    if (headerCell_)
        setWidth(std::ceil(headerCell_->cellSize().width));
}

void TableColumn::setHeaderCell(std::shared_ptr<Cell> cell) {
    headerCell_ = std::move(cell);
    tellTable();
}

void TableColumn::setDataCell(std::shared_ptr<Cell> cell) {
    dataCell_ = std::move(cell);
    tellTable();
}

std::shared_ptr<Cell> TableColumn::dataCellForRow(long /*row*/) const {
    return dataCell_;
}

void TableColumn::setHidden(bool flag) {
    if (hidden_ == flag)
        return;
    hidden_ = flag;
    tellTable();
}

void TableColumn::tellTable() {
    if (tableView_)
        tableView_->columnDidChange(this);
}

std::string TableColumn::description() const {
    return "<TableColumn " + identifier_ + ">";
}

} // namespace platform
