#pragma once

#include "widgets/QXTableCell.h"

#include <string>

// A group row of the contact outline in the tree view: the group's name on the left, the
// number of its contacts shown (and of all of them, while offline ones are hidden) on the
// right. It draws no background; the outline draws group rows in its group style.
class ContactGroupCell : public QXTableCell {
public:
    ContactGroupCell() = default;
    ContactGroupCell(const ContactGroupCell&) = default;
    std::shared_ptr<platform::Cell> copy() const override;

    const std::string& groupName() const { return _groupName; }
    void setGroupName(std::string name) { _groupName = std::move(name); }
    int groupItems() const { return _groupItems; }
    void setGroupItems(int count) { _groupItems = count; }
    int totalNum() const { return _totalNum; }
    void setTotalNum(int count) { _totalNum = count; }
    bool showTotal() const { return _showTotal; }
    void setShowTotal(bool flag) { _showTotal = flag; }

    // "4" or, with the total shown, "4/12".
    std::string countText() const;

    // Where the texts go in a row's frame: the drawing area starts at the view's left edge.
    struct Geometry {
        platform::Rect name;   // the name, cut to nameWidth with an ellipsis
        double nameWidth = 0;  // the room for the name
        platform::Rect count;  // right-aligned 5 points from the area's end
        std::string shownName; // the name as drawn
    };
    Geometry geometryForFrame(const platform::Rect& frame) const;

    platform::Size minSize() const override { return {10000, 20}; }
    void drawInteriorWithFrame(const platform::Rect& cellFrame,
                               platform::View* controlView) override;

private:
    std::string _groupName;
    int _groupItems = 0;
    int _totalNum = 0;
    bool _showTotal = false;
};
