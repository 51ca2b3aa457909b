#include "platform/graphics/Image.h"
#include "platform/kit/ButtonCell.h"
#include "platform/kit/KitTestSupport.h"
#include "platform/kit/ListViewTestSupport.h"
#include "platform/kit/Pasteboard.h"
#include "platform/kit/ScrollView.h"
#include "platform/kit/TableHeaderView.h"
#include "platform/kit/TableView.h"
#include "platform/kit/TextView.h"

#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace kittest;
using platform::Cell;
using platform::Color;
using platform::DraggingInfo;
using platform::DragOperation;
using platform::IndexSet;
using platform::Notification;
using platform::Object;
using platform::Pasteboard;
using platform::RowRange;
using platform::ScrollView;
using platform::TableColumn;
using platform::TableView;
using platform::TableViewDropOperation;

// Rows "Row 0", "Row 1" ... in the "name" column and the row number in the "number" column,
// unless names are given; counts every value the table asks for.
class Rows : public platform::TableViewDataSource {
public:
    long count = 100;
    std::vector<std::string> names;
    long valuesAsked = 0;
    std::map<long, Value> edited;
    std::vector<std::string> sets;
    bool writesRows = true;
    std::vector<IndexSet> written;
    std::vector<std::pair<long, TableViewDropOperation>> validated, accepted;
    Object* dragSource = nullptr;
    std::string droppedText;

    long numberOfRowsInTableView(TableView&) override { return count; }
    Value tableViewObjectValueForTableColumn(TableView&, TableColumn* column, long row) override {
        ++valuesAsked;
        if (column->identifier() == "number")
            return Value(row);
        if (column->identifier() == "check")
            return Value(0);
        if (auto it = edited.find(row); it != edited.end())
            return it->second;
        if (!names.empty())
            return Value(names[static_cast<std::size_t>(row)]);
        return Value("Row " + std::to_string(row));
    }
    bool tableViewSetObjectValue(TableView&, const Value& value, TableColumn* column,
                                 long row) override {
        sets.push_back(column->identifier() + "/" + std::to_string(row) + "=" +
                       value.stringValue());
        edited[row] = value;
        return true;
    }
    bool tableViewWriteRowsWithIndexes(TableView&, const IndexSet& rows,
                                       Pasteboard& pasteboard) override {
        if (!writesRows)
            return false;
        written.push_back(rows);
        pasteboard.declareTypes({"test.rows"}, nullptr);
        pasteboard.setStringForType(std::to_string(*rows.begin()), "test.rows");
        return true;
    }
    DragOperation tableViewValidateDrop(TableView&, DraggingInfo& info, long row,
                                        TableViewDropOperation op) override {
        validated.emplace_back(row, op);
        dragSource = info.draggingSource();
        return platform::DragOperationMove;
    }
    bool tableViewAcceptDrop(TableView&, DraggingInfo& info, long row,
                             TableViewDropOperation op) override {
        accepted.emplace_back(row, op);
        droppedText = info.draggingPasteboard().stringForType("test.rows").value_or("");
        return true;
    }
};

class Listener : public platform::TableViewDelegate, public platform::ActionTarget {
public:
    std::vector<std::string> calls;
    std::set<long> refused;
    std::optional<double> (*height)(long) = nullptr;
    bool editable = true;
    TableView* table = nullptr;

    void tableViewSelectionDidChange(const Notification&) override { calls.push_back("changed"); }
    void tableViewSelectionIsChanging(const Notification&) override { calls.push_back("changing"); }
    bool tableViewShouldSelectRow(TableView&, long row) override { return !refused.count(row); }
    std::optional<double> tableViewHeightOfRow(TableView&, long row) override {
        return height ? height(row) : std::nullopt;
    }
    bool tableViewShouldEditTableColumn(TableView&, TableColumn*, long) override {
        return editable;
    }
    void tableViewDidClickTableColumn(TableView&, TableColumn& column) override {
        calls.push_back("header:" + column.identifier());
    }
    bool tryToPerform(std::string_view action, Object*) override {
        if (action != "clicked:" && action != "doubleClicked:")
            return false;
        calls.push_back(std::string(action) + std::to_string(table->clickedRow()));
        return true;
    }
    bool respondsToAction(std::string_view action) const override {
        return action == "clicked:" || action == "doubleClicked:";
    }
};

class TableViewTest : public KitTest {
protected:
    void SetUp() override {
        KitTest::SetUp();
        Pasteboard::resetAll();
        window = makeWindow({100, 100, 300, 220});
        window->setContentView(std::make_shared<View>(Rect{0, 0, 300, 220}));
        scroll = std::make_shared<ScrollView>(Rect{0, 20, 300, 200});
        scroll->setHasVerticalScroller(true);
        table = make<TableView>(Rect{0, 0, 100, 100});
        auto name = std::make_shared<TableColumn>("name");
        name->setWidth(100);
        auto number = std::make_shared<TableColumn>("number");
        number->setWidth(80);
        table->addTableColumn(name);
        table->addTableColumn(number);
        table->setDataSource(&rows);
        listener.table = table.get();
        table->setDelegate(&listener);
        table->setTarget(&listener);
        table->setAction("clicked:");
        scroll->setDocumentView(table);
        window->contentView()->addSubview(scroll);
        window->makeKeyAndOrderFront(nullptr);
    }
    void TearDown() override {
        platform::DragSession::cancelCurrent();
        table->setDataSource(nullptr);
        table->setDelegate(nullptr);
        table->setTarget(nullptr);
        window.reset();
        Pasteboard::resetAll();
        KitTest::TearDown();
    }
    // A point of `row` in window coordinates.
    Point rowPoint(long row, double x = 20, double fraction = 0.5) const {
        const Rect r = table->rectOfRow(row);
        return table->convertPointToView({x, r.minY() + r.height() * fraction}, nullptr);
    }
    IndexSet selection() const { return table->selectedRowIndexes(); }

    std::shared_ptr<Window> window;
    std::shared_ptr<ScrollView> scroll;
    std::shared_ptr<TableView> table;
    Rows rows;
    Listener listener;
};

TEST_F(TableViewTest, RowAndColumnGeometry) {
    // Rows are 17 points high plus 2 of spacing; columns add 3 of spacing to their width.
    EXPECT_EQ(table->numberOfRows(), 100);
    const double width = table->bounds().width();
    EXPECT_EQ(table->rectOfRow(0), (Rect{0, 0, width, 19}));
    EXPECT_EQ(table->rectOfRow(5), (Rect{0, 95, width, 19}));
    EXPECT_EQ(table->rectOfRow(-1), Rect{});
    EXPECT_EQ(table->rectOfRow(100), Rect{});
    EXPECT_EQ(table->rectOfColumn(1), (Rect{103, 0, 83, table->bounds().height()}));
    EXPECT_EQ(table->rectOfColumn(2), Rect{});
    EXPECT_EQ(table->frameOfCellAtColumn(1, 2), (Rect{104.5, 39, 80, 17}));
    EXPECT_EQ(table->frameOfCellAtColumn(1, 100), Rect{});

    struct Hit {
        Point point;
        long row;
        long column;
    };
    const Hit hits[] = {
        {{0, 0}, 0, 0},        {{102.9, 18.99}, 0, 0}, {{103, 19}, 1, 1},  {{185.9, 1899}, 99, 1},
        {{186, 1900}, -1, -1}, {{50, -1}, -1, 0},      {{-1, 50}, -1, -1},
    };
    for (const Hit& hit : hits) {
        EXPECT_EQ(table->rowAtPoint(hit.point), hit.row) << hit.point.x << "," << hit.point.y;
        EXPECT_EQ(table->columnAtPoint(hit.point), hit.column) << hit.point.x << "," << hit.point.y;
    }
    EXPECT_EQ(table->rowsInRect({0, 10, 10, 30}), (RowRange{0, 3}));
    EXPECT_EQ(table->rowsInRect({0, 19, 10, 19}), (RowRange{1, 1}));
    EXPECT_EQ(table->rowsInRect({0, 1890, 10, 500}), (RowRange{99, 1}));
    EXPECT_EQ(table->rowsInRect({0, 1900, 10, 500}), RowRange{});
    EXPECT_EQ(table->columnIndexesInRect({100, 0, 10, 10}), (std::vector<long>{0, 1}));
    table->tableColumns()[0]->setHidden(true);
    EXPECT_EQ(table->columnAtPoint({10, 10}), 1);
    EXPECT_EQ(table->rectOfColumn(1).minX(), 0);
}

TEST_F(TableViewTest, DelegateRowHeights) {
    listener.height = [](long row) -> std::optional<double> { return 10.0 + row; };
    table->noteHeightOfRowsWithIndexesChanged({});
    // Row r is 10 + r high, plus 2 of spacing: tops 0, 12, 25, 39 ...
    EXPECT_EQ(table->rectOfRow(2).minY(), 25);
    EXPECT_EQ(table->rectOfRow(2).height(), 14);
    EXPECT_EQ(table->rowAtPoint({5, 24.9}), 1);
    EXPECT_EQ(table->rowAtPoint({5, 25}), 2);
    EXPECT_EQ(table->rowsInRect({0, 12, 10, 14}), (RowRange{1, 2}));
    EXPECT_EQ(table->frameOfCellAtColumn(0, 3), (Rect{1.5, 40, 100, 13}));
    EXPECT_EQ(table->frame().height(), table->rectOfRow(99).maxY());
}

TEST_F(TableViewTest, FillsItsClipViewAndFollowsTheRowCount) {
    const Rect clip = scroll->contentView()->bounds();
    EXPECT_EQ(table->frame().height(), 1900);
    EXPECT_EQ(table->frame().width(), clip.width());
    rows.count = 3;
    table->reloadData();
    EXPECT_EQ(table->frame().height(), clip.height());
    EXPECT_EQ(scroll->verticalLineScroll(), 19);
    // The header band sits above the clip view.
    ASSERT_NE(table->headerView(), nullptr);
    EXPECT_EQ(table->headerView()->superview()->frame().minY(),
              scroll->contentView()->frame().maxY());
    table->setHeaderView(nullptr);
    EXPECT_EQ(scroll->contentView()->frame().height(), 200);
}

TEST_F(TableViewTest, ClicksSelectWithShiftAndCommand) {
    table->setAllowsMultipleSelection(true);
    struct Step {
        long row;
        platform::EventModifierFlags flags;
        IndexSet expected;
    };
    const Step steps[] = {
        {3, 0, {3}},
        {6, platform::ShiftKeyMask, {3, 4, 5, 6}},
        {1, platform::ShiftKeyMask, {1, 2, 3}},
        {5, platform::CommandKeyMask, {1, 2, 3, 5}},
        {2, platform::CommandKeyMask, {1, 3, 5}},
        {8, platform::ShiftKeyMask, {5, 6, 7, 8}},
        {4, 0, {4}},
    };
    for (const Step& step : steps) {
        Input::click(*window, rowPoint(step.row), step.flags);
        EXPECT_EQ(selection(), step.expected) << "click on " << step.row;
    }
    EXPECT_EQ(table->selectedRow(), 4);
    EXPECT_EQ(window->firstResponder(), table.get());
    // Each click changed the selection and sent the action once.
    EXPECT_EQ(std::count(listener.calls.begin(), listener.calls.end(), "changed"), 7);
    EXPECT_EQ(std::count(listener.calls.begin(), listener.calls.end(), "clicked:4"), 1);
}

TEST_F(TableViewTest, SingleSelectionRefusalsAndEmptySpace) {
    Input::click(*window, rowPoint(3));
    Input::click(*window, rowPoint(6), platform::ShiftKeyMask);
    EXPECT_EQ(selection(), IndexSet{6});
    listener.refused = {2};
    Input::click(*window, rowPoint(2));
    EXPECT_EQ(selection(), IndexSet{6});
    // A click below the last row empties the selection, unless it may not be empty.
    rows.count = 4;
    table->reloadData();
    table->selectRow(1, false);
    table->setAllowsEmptySelection(false);
    Input::click(*window, {20, 30});
    EXPECT_EQ(selection(), IndexSet{1});
    table->deselectAll(nullptr);
    EXPECT_EQ(selection(), IndexSet{1});
    table->setAllowsEmptySelection(true);
    Input::click(*window, {20, 30});
    EXPECT_TRUE(selection().empty());
    EXPECT_EQ(table->selectedRow(), -1);
    EXPECT_EQ(table->clickedRow(), -1);
}

TEST_F(TableViewTest, ArrowKeysMoveAndExtendTheSelection) {
    table->setAllowsMultipleSelection(true);
    window->makeFirstResponder(table.get());
    listener.refused = {4};
    struct Step {
        char32_t key;
        platform::EventModifierFlags flags;
        IndexSet expected;
    };
    const Step steps[] = {
        {platform::DownArrowFunctionKey, 0, {0}},
        {platform::DownArrowFunctionKey, 0, {1}},
        {platform::DownArrowFunctionKey, platform::ShiftKeyMask, {1, 2}},
        {platform::DownArrowFunctionKey, platform::ShiftKeyMask, {1, 2, 3}},
        {platform::UpArrowFunctionKey, platform::ShiftKeyMask, {1, 2}},
        {platform::UpArrowFunctionKey, 0, {1}},
        {platform::UpArrowFunctionKey, 0, {0}},
        {platform::UpArrowFunctionKey, 0, {0}},
    };
    for (const Step& step : steps) {
        Input::key(step.key, step.flags);
        EXPECT_EQ(selection(), step.expected);
    }
    // A refused row is stepped over.
    table->selectRow(3, false);
    Input::key(platform::DownArrowFunctionKey);
    EXPECT_EQ(selection(), IndexSet{5});
    // Moving down keeps the selected row in sight.
    for (int i = 0; i < 30; ++i)
        Input::key(platform::DownArrowFunctionKey);
    EXPECT_EQ(table->selectedRow(), 35);
    EXPECT_TRUE(table->visibleRect().containsRect(table->rectOfRow(35)));
    table->selectRow(99, false);
    Input::key(platform::DownArrowFunctionKey);
    EXPECT_EQ(selection(), IndexSet{99});
}

TEST_F(TableViewTest, TypingSelectsTheFirstMatchingRow) {
    rows.names = {"apple", "banana", "Blueberry", "cherry", "date"};
    rows.count = 5;
    table->reloadData();
    window->makeFirstResponder(table.get());
    Input::typeText("b");
    EXPECT_EQ(table->selectedRow(), 1);
    Input::typeText("l");
    EXPECT_EQ(table->selectedRow(), 2);
    clock->advance(2);
    Input::typeText("c");
    EXPECT_EQ(table->selectedRow(), 3);
    table->setAllowsTypeSelect(false);
    clock->advance(2);
    Input::typeText("a");
    EXPECT_EQ(table->selectedRow(), 3);
}

TEST_F(TableViewTest, DoubleClickSendsTheDoubleAction) {
    table->setDoubleAction("doubleClicked:");
    Input::doubleClick(*window, rowPoint(4));
    EXPECT_EQ(listener.calls,
              (std::vector<std::string>{"changed", "clicked:4", "doubleClicked:4"}));
    EXPECT_EQ(table->editedRow(), -1);
}

TEST_F(TableViewTest, DoubleClickWithoutDoubleActionEditsTheCell) {
    listener.editable = false;
    Input::doubleClick(*window, rowPoint(4));
    EXPECT_EQ(table->editedRow(), -1);
    listener.editable = true;
    Input::doubleClick(*window, rowPoint(4, 120));
    EXPECT_EQ(table->editedRow(), 4);
    EXPECT_EQ(table->editedColumn(), 1);
    ASSERT_NE(table->currentEditor(), nullptr);
    EXPECT_EQ(table->currentEditor()->string(), "4");
}

TEST_F(TableViewTest, EditingCommitsWithReturnAndCancelsWithEscape) {
    table->editColumn(0, 2, nullptr, true);
    platform::TextView* editor = table->currentEditor();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->string(), "Row 2");
    EXPECT_EQ(window->firstResponder(), editor);
    EXPECT_TRUE(table->frameOfCellAtColumn(0, 2).containsRect(editor->frame()));
    Input::typeText("Pear");
    Input::key(platform::CarriageReturnCharacter);
    EXPECT_EQ(rows.sets, std::vector<std::string>{"name/2=Pear"});
    EXPECT_EQ(table->currentEditor(), nullptr);
    EXPECT_EQ(table->editedRow(), -1);
    EXPECT_EQ(window->firstResponder(), table.get());

    table->editColumn(0, 3, nullptr, true);
    Input::typeText("Plum");
    Input::key(platform::EscapeCharacter);
    EXPECT_EQ(rows.sets.size(), 1u);
    EXPECT_EQ(table->currentEditor(), nullptr);
    EXPECT_EQ(window->firstResponder(), table.get());

    // Tab commits and moves on to the next editable cell of the row.
    table->editColumn(0, 5, nullptr, true);
    Input::typeText("Fig");
    Input::key(platform::TabCharacter);
    EXPECT_EQ(rows.sets.back(), "name/5=Fig");
    EXPECT_EQ(table->editedColumn(), 1);
    EXPECT_EQ(table->editedRow(), 5);
    EXPECT_TRUE(table->abortEditing());
    EXPECT_FALSE(table->abortEditing());
}

TEST_F(TableViewTest, ClickingElsewhereCommitsTheEdit) {
    table->editColumn(0, 1, nullptr, true);
    Input::typeText("Kiwi");
    Input::click(*window, rowPoint(6));
    EXPECT_EQ(rows.sets, std::vector<std::string>{"name/1=Kiwi"});
    EXPECT_EQ(table->currentEditor(), nullptr);
    EXPECT_EQ(selection(), IndexSet{6});
}

TEST_F(TableViewTest, OnlyTheRowsInSightAreAskedFor) {
    const auto valuesForOneScreen = [&](long count) {
        rows.count = count;
        table->reloadData();
        scroll->contentView()->scrollToPoint({0, 0});
        window->display();
        rows.valuesAsked = 0;
        window->display();
        const long first = rows.valuesAsked;
        rows.valuesAsked = 0;
        scroll->pageDown(nullptr);
        window->displayIfNeeded();
        return std::make_pair(first, rows.valuesAsked);
    };
    const auto small = valuesForOneScreen(100);
    const auto huge = valuesForOneScreen(100000);
    // 183 points of clip view show rows 0 to 9 (ten rows), two columns each.
    EXPECT_EQ(small.first, 20);
    EXPECT_EQ(huge.first, small.first);
    EXPECT_EQ(huge.second, small.second);
    EXPECT_LE(huge.second, 22);
}

TEST_F(TableViewTest, ScrollingByRowsPagesAndWheel) {
    table->scrollRowToVisible(50);
    EXPECT_TRUE(table->visibleRect().containsRect(table->rectOfRow(50)));
    EXPECT_EQ(table->visibleRect().maxY(), table->rectOfRow(50).maxY());
    table->scrollRowToVisible(2);
    EXPECT_EQ(table->visibleRect().minY(), table->rectOfRow(2).minY());
    // The wheel moves by rows over the table.
    const double before = table->visibleRect().minY();
    Input::scroll(*window, rowPoint(5), 0, -2);
    EXPECT_EQ(table->visibleRect().minY(), before + 38);
}

TEST_F(TableViewTest, SelectionFromCodeAndReloading) {
    table->setAllowsMultipleSelection(true);
    table->selectRowIndexes({2, 4, 250}, false);
    EXPECT_EQ(selection(), (IndexSet{2, 4}));
    EXPECT_EQ(table->selectedRow(), 4);
    table->selectRowIndexes({7}, true);
    EXPECT_EQ(selection(), (IndexSet{2, 4, 7}));
    table->deselectRow(7);
    EXPECT_EQ(table->selectedRow(), 4);
    rows.count = 3;
    table->reloadData();
    EXPECT_EQ(selection(), IndexSet{2});
    rows.count = 0;
    table->setAllowsEmptySelection(false);
    table->reloadData();
    EXPECT_TRUE(selection().empty());
    rows.count = 5;
    table->reloadData();
    EXPECT_EQ(selection(), IndexSet{0});
    table->selectAll(nullptr);
    EXPECT_EQ(table->numberOfSelectedRows(), 5);
    EXPECT_EQ(std::count(listener.calls.begin(), listener.calls.end(), "changed"), 7);
}

TEST_F(TableViewTest, DraggingRowsDropsOntoAndBetweenRows) {
    table->registerForDraggedTypes({"test.rows"});
    Input::drag(*window, rowPoint(1), rowPoint(5));
    ASSERT_EQ(rows.written.size(), 1u);
    EXPECT_EQ(rows.written[0], IndexSet{1});
    ASSERT_EQ(rows.accepted.size(), 1u);
    EXPECT_EQ(rows.accepted[0], std::make_pair(5L, TableViewDropOperation::On));
    EXPECT_EQ(rows.dragSource, table.get());
    EXPECT_EQ(rows.droppedText, "1");
    EXPECT_EQ(platform::DragSession::current(), nullptr);

    // Near a row's top edge the drop goes above it, near its bottom above the next one.
    Input::drag(*window, rowPoint(1), rowPoint(7, 20, 0.1));
    EXPECT_EQ(rows.accepted.back(), std::make_pair(7L, TableViewDropOperation::Above));
    Input::drag(*window, rowPoint(1), rowPoint(7, 20, 0.9));
    EXPECT_EQ(rows.accepted.back(), std::make_pair(8L, TableViewDropOperation::Above));
}

TEST_F(TableViewTest, WithoutADragTheMouseSelectsARun) {
    rows.writesRows = false;
    table->setAllowsMultipleSelection(true);
    listener.calls.clear();
    Input::drag(*window, rowPoint(2), rowPoint(5));
    EXPECT_EQ(selection(), (IndexSet{2, 3, 4, 5}));
    EXPECT_TRUE(rows.accepted.empty());
    EXPECT_EQ(listener.calls.front(), "changed");
    EXPECT_NE(std::find(listener.calls.begin(), listener.calls.end(), "changing"),
              listener.calls.end());
    EXPECT_EQ(listener.calls.back(), "clicked:2");
    EXPECT_EQ(listener.calls[listener.calls.size() - 2], "changed");
}

TEST_F(TableViewTest, ButtonCellsAreTrackedAndSetTheirValue) {
    auto check = std::make_shared<TableColumn>("check");
    auto box = std::make_shared<platform::ButtonCell>();
    box->setButtonType(platform::SwitchButton);
    box->setTitle("");
    check->setDataCell(box);
    check->setWidth(20);
    table->addTableColumn(check);
    const double x = table->frameOfCellAtColumn(2, 3).midX();
    Input::click(*window, rowPoint(3, x));
    EXPECT_EQ(rows.sets, std::vector<std::string>{"check/3=1"});
    EXPECT_EQ(selection(), IndexSet{3});
}

TEST_F(TableViewTest, HeaderClicksAndColumnResizing) {
    platform::TableHeaderView* header = table->headerView();
    const Point inName = header->convertPointToView({40, 8}, nullptr);
    Input::click(*window, inName);
    EXPECT_EQ(listener.calls, std::vector<std::string>{"header:name"});
    const Point edge = header->convertPointToView({103, 8}, nullptr);
    Input::drag(*window, edge, {edge.x + 40, edge.y});
    EXPECT_EQ(table->tableColumns()[0]->width(), 140);
    EXPECT_EQ(table->rectOfColumn(1).minX(), 143);
    table->tableColumns()[0]->setMaxWidth(120);
    EXPECT_EQ(table->tableColumns()[0]->width(), 120);
    table->tableColumns()[0]->setWidth(2);
    EXPECT_EQ(table->tableColumns()[0]->width(), 10);
}

TEST_F(TableViewTest, HighlightFollowsFocusAndRowsAlternate) {
    const auto near = [](Color a, Color b) {
        return std::abs(a.redComponent() - b.redComponent()) < 0.01 &&
               std::abs(a.greenComponent() - b.greenComponent()) < 0.01 &&
               std::abs(a.blueComponent() - b.blueComponent()) < 0.01;
    };
    rows.count = 3;
    table->reloadData();
    table->setUsesAlternatingRowBackgroundColors(true);
    table->selectRow(1, false);
    const auto pixel = [&](long row) {
        const Point p = rowPoint(row, 250);
        return window->snapshot()->colorAt(static_cast<int>(p.x), static_cast<int>(p.y));
    };
    const auto stripes = Color::controlAlternatingRowBackgroundColors();
    window->makeFirstResponder(table.get());
    EXPECT_TRUE(near(pixel(1), Color::alternateSelectedControlColor()));
    EXPECT_TRUE(near(pixel(0), stripes[0]));
    EXPECT_TRUE(near(pixel(2), stripes[0]));
    // Past the last row the stripes go on.
    const Point below = table->convertPointToView({250, 3 * 19 + 9}, nullptr);
    EXPECT_TRUE(
        near(window->snapshot()->colorAt(static_cast<int>(below.x), static_cast<int>(below.y)),
             stripes[1]));
    window->makeFirstResponder(nullptr);
    EXPECT_TRUE(near(pixel(1), Color::secondarySelectedControlColor()));
}

// A table that keeps one tracking area over the rows in sight, as list views do.
class HoverTable : public TableView {
public:
    using TableView::TableView;
    void updateTrackingAreas() override {
        ++updates;
        for (auto area : std::vector(trackingAreas().begin(), trackingAreas().end()))
            removeTrackingArea(area.get());
        const RowRange rows = rowsInRect(visibleRect());
        covered = rows;
        addTrackingArea(std::make_shared<platform::TrackingArea>(
            visibleRect(),
            platform::TrackingMouseEnteredAndExited | platform::TrackingMouseMoved |
                platform::TrackingActiveAlways,
            this));
    }
    void mouseMoved(const Event& event) override {
        hovered = rowAtPoint(convertPointFromView(event.locationInWindow(), nullptr));
    }
    int updates = 0;
    RowRange covered;
    long hovered = -1;
};

TEST_F(TableViewTest, TrackingAreasFollowTheVisibleRows) {
    auto hover = make<HoverTable>(Rect{0, 0, 100, 100});
    hover->addTableColumn(std::make_shared<TableColumn>("name"));
    hover->setDataSource(&rows);
    scroll->setDocumentView(hover);
    Input::moveMouse(*window, rowPoint(0));
    EXPECT_EQ(hover->covered, (RowRange{0, 10}));
    const int before = hover->updates;
    scroll->pageDown(nullptr);
    Input::moveMouse(*window, {20, 150});
    EXPECT_GT(hover->updates, before);
    EXPECT_EQ(hover->covered.location, hover->rowsInRect(hover->visibleRect()).location);
    EXPECT_EQ(hover->hovered, hover->rowAtPoint(hover->convertPointFromView({20, 150}, nullptr)));
    EXPECT_GE(hover->hovered, 8);
    hover->setDataSource(nullptr);
}

} // namespace
