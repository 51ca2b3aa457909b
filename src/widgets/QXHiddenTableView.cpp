#include "widgets/QXHiddenTableView.h"

#include "platform/kit/ButtonCell.h"
#include "platform/kit/ClipView.h"
#include "platform/kit/Event.h"
#include "platform/kit/ScrollView.h"
#include "platform/kit/TextFieldCell.h"
#include "platform/kit/TrackingArea.h"

#include <vector>

using platform::Event;
using platform::Rect;
using platform::Value;

namespace {

constexpr const char* kColumnKey = "column";
constexpr const char* kRowKey = "row";

} // namespace

QXHiddenTableView::QXHiddenTableView(const Rect& frame) : platform::TableView(frame) {}

void QXHiddenTableView::awake() {
    platform::TableView::awake();
    if (platform::ScrollView* scroll = platform::enclosingScrollView(*this))
        scroll->setDrawsBackground(false);
}

void QXHiddenTableView::drawBackgroundInClipRect(const Rect& /*clipRect*/) {}

void QXHiddenTableView::mouseDown(const Event& event) {
    const platform::Point point = convertPointFromView(event.locationInWindow(), nullptr);
    const long row = rowAtPoint(point);
    const long column = columnAtPoint(point);
    if (row >= 0 && column >= 0) {
        const auto cell = tableColumns()[static_cast<std::size_t>(column)]->dataCellForRow(row);
        if (dynamic_cast<platform::TextFieldCell*>(cell.get())) {
            editColumn(column, row, &event, true);
            return;
        }
    }
    platform::TableView::mouseDown(event);
}

// Only rows in sight can hold a cell wholly in sight, so the rest are not prepared.
void QXHiddenTableView::updateTrackingAreas() {
    const std::vector<std::shared_ptr<platform::TrackingArea>> old = trackingAreas();
    for (const auto& area : old)
        removeTrackingArea(area.get());
    const Rect visible = visibleRect();
    const platform::RowRange rows = rowsInRect(visible);
    const auto& columns = tableColumns();
    for (std::size_t c = 0; c < columns.size(); ++c) {
        if (!dynamic_cast<platform::ButtonCell*>(columns[c]->dataCell()))
            continue;
        const long column = static_cast<long>(c);
        for (long row = rows.location; row < rows.end(); ++row) {
            const auto cell = preparedCellAtColumn(column, row);
            if (!cell)
                continue;
            Rect frame = frameOfCellAtColumn(column, row);
            frame.size.width = cell->cellSize().width;
            if (!visible.containsRect(frame))
                continue;
            const bool hovered = _hoveredCell && _hoveredCell->first == columns[c].get() &&
                                 _hoveredCell->second == row;
            Value info;
            info.setObject(kColumnKey,
                           Value(std::static_pointer_cast<platform::Object>(columns[c])));
            info.setObject(kRowKey, Value(row));
            addTrackingArea(std::make_shared<platform::TrackingArea>(
                frame,
                platform::TrackingMouseEnteredAndExited | platform::TrackingActiveInActiveApp |
                    (hovered ? platform::TrackingAssumeInside : 0u),
                this, std::move(info)));
        }
    }
}

void QXHiddenTableView::mouseEntered(const Event& event) {
    reportHover(event, true);
}

void QXHiddenTableView::mouseExited(const Event& event) {
    reportHover(event, false);
}

void QXHiddenTableView::reportHover(const Event& event, bool inside) {
    const Value info = event.userData();
    auto* column = dynamic_cast<platform::TableColumn*>(info[kColumnKey].object().get());
    const long row = static_cast<long>(info[kRowKey].integerValue());
    if (inside)
        _hoveredCell.emplace(column, row);
    else
        _hoveredCell.reset();
    platform::TableViewDataSource* source = dataSource();
    if (!source)
        return;
    auto keep = weak_from_this().lock();
    if (source->tableViewSetObjectValue(*this, Value(inside), column, row))
        reloadData();
}
