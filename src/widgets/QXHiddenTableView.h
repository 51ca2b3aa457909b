#pragma once

#include "platform/kit/TableView.h"

#include <optional>
#include <utility>

// A transparent table for lists whose button cells react to the mouse: it draws no background,
// starts editing a text cell on the first click, and tells its data source when the mouse
// enters or leaves a button cell, as tableViewSetObjectValue with true or false for that
// column and row, then reloads.
class QXHiddenTableView : public platform::TableView {
public:
    explicit QXHiddenTableView(const platform::Rect& frame = {});

    // The enclosing scroll view stops drawing its background.
    void awake() override;

    void drawBackgroundInClipRect(const platform::Rect& clipRect) override;
    bool isOpaque() const override { return false; }

    void mouseDown(const platform::Event& event) override;
    // One area per button cell wholly in sight, rebuilt from scratch.
    void updateTrackingAreas() override;
    void mouseEntered(const platform::Event& event) override;
    void mouseExited(const platform::Event& event) override;

private:
    void reportHover(const platform::Event& event, bool inside);

    // The cell the data source last heard the mouse enter and not yet leave. Hovering reloads
    // the table, which rebuilds the areas; the rebuilt area of this cell starts inside, so
    // that leaving it is still reported.
    std::optional<std::pair<const platform::TableColumn*, long>> _hoveredCell;
};
