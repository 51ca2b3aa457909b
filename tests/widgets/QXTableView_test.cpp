#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/GraphicsTestSupport.h"
#include "platform/graphics/Image.h"
#include "platform/kit/Cursor.h"
#include "platform/kit/KitTestSupport.h"
#include "platform/kit/ListViewTestSupport.h"
#include "platform/kit/ScrollView.h"
#include "platform/kit/TableColumn.h"
#include "widgets/QXGradient.h"
#include "widgets/QXTableCell.h"
#include "widgets/QXTableView.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

using graphics_test::colorNear;
using kittest::Input;
using kittest::KitTest;
using kittest::RecordingView;
using platform::Color;
using platform::Event;
using platform::make;
using platform::Point;
using platform::Rect;
using platform::ScrollView;
using platform::TableColumn;
using platform::TableView;
using platform::Value;
using platform::Window;

class Rows : public platform::TableViewDataSource {
public:
    long count = 100;
    long numberOfRowsInTableView(TableView&) override { return count; }
    Value tableViewObjectValueForTableColumn(TableView&, TableColumn*, long row) override {
        return Value("Row " + std::to_string(row));
    }
};

// How a delegate answers a key message: not at all (the message is not implemented), or
// implemented and answering yes or no.
enum class Answer { NotImplemented, Yes, No };

// A cell that notes the row rectangles it is given for cursor rectangles.
class CursorCell : public QXTableCell {
public:
    explicit CursorCell(std::vector<Rect>* log) : log_(log) {}
    void addCursorRectsForFrame(const Rect& frame, platform::View* view) override {
        log_->push_back(frame);
        view->addCursorRect(frame, platform::Cursor::pointingHandCursor());
    }

private:
    std::vector<Rect>* log_;
};

class ListDelegate : public QXTableViewDelegate, public platform::ActionTarget {
public:
    Answer answer = Answer::NotImplemented;
    std::vector<std::string> calls;
    std::vector<std::pair<long, long>> hovers;
    bool givesCells = false;
    std::vector<Rect> cursorFrames;

    bool enterKeyPressed() override {
        if (answer == Answer::NotImplemented)
            return QXTableViewDelegate::enterKeyPressed();
        calls.push_back("enter");
        return answer == Answer::Yes;
    }
    bool tableViewShouldDeleteRow(QXTableView& table, long row) override {
        if (answer == Answer::NotImplemented)
            return QXTableViewDelegate::tableViewShouldDeleteRow(table, row);
        calls.push_back("delete " + std::to_string(row));
        return answer == Answer::Yes;
    }
    void tableViewMouseChangedFromRow(QXTableView&, long previousRow, long newRow) override {
        hovers.emplace_back(previousRow, newRow);
    }
    std::optional<std::shared_ptr<platform::Cell>>
    tableViewDataCellForTableColumn(TableView& table, TableColumn* column, long row) override {
        if (!givesCells)
            return QXTableViewDelegate::tableViewDataCellForTableColumn(table, column, row);
        if (column->identifier() == "name")
            return std::make_shared<CursorCell>(&cursorFrames);
        return std::shared_ptr<platform::Cell>(make<platform::Cell>("plain"));
    }
    bool tryToPerform(std::string_view action, platform::Object*) override {
        calls.push_back(std::string(action));
        return true;
    }
    bool respondsToAction(std::string_view) const override { return true; }
};

// A table that notes the clip rectangles its rows are painted in.
class PaintLoggingTable : public QXTableView {
public:
    using QXTableView::QXTableView;
    std::vector<Rect> painted;
    void highlightSelectionInClipRect(const Rect& clipRect) override {
        painted.push_back(clipRect);
        QXTableView::highlightSelectionInClipRect(clipRect);
    }
};

std::shared_ptr<QXGradient> flat(const Color& c) {
    return QXGradient::linearGradientWithAngle(0, {c, c}, {0.0, 1.0});
}

class QXTableViewTest : public KitTest {
protected:
    void SetUp() override {
        KitTest::SetUp();
        window = makeWindow({100, 100, 300, 220});
        content = std::make_shared<RecordingView>(Rect{0, 0, 300, 220}, "content");
        window->setContentView(content);
        scroll = std::make_shared<ScrollView>(Rect{0, 20, 300, 200});
        scroll->setHasVerticalScroller(true);
        table = make<PaintLoggingTable>(Rect{0, 0, 100, 100});
        auto name = std::make_shared<TableColumn>("name");
        name->setWidth(100);
        auto number = std::make_shared<TableColumn>("number");
        number->setWidth(80);
        table->addTableColumn(name);
        table->addTableColumn(number);
        table->setDataSource(&rows);
        table->setDelegate(&delegate);
        scroll->setDocumentView(table);
        content->addSubview(scroll);
        window->makeKeyAndOrderFront(nullptr);
        window->makeFirstResponder(table.get());
    }
    void TearDown() override {
        table->setDataSource(nullptr);
        table->setDelegate(nullptr);
        table->setTarget(nullptr);
        window.reset();
        KitTest::TearDown();
    }

    // A point of `row` in window coordinates, right of the columns' text.
    Point rowPoint(long row, double fraction = 0.5, double x = 250) const {
        const Rect r = table->rectOfRow(row);
        return table->convertPointToView({x, r.minY() + r.height() * fraction}, nullptr);
    }
    double scrollY() const { return scroll->contentView()->bounds().minY(); }
    std::vector<std::string> passedKeys() const {
        std::vector<std::string> keys;
        for (const std::string& e : content->events)
            if (e.rfind("key:", 0) == 0)
                keys.push_back(e);
        return keys;
    }
    Color pixel(Point p) {
        return window->snapshot()->colorAt(static_cast<int>(p.x), static_cast<int>(p.y));
    }

    std::shared_ptr<Window> window;
    std::shared_ptr<RecordingView> content;
    std::shared_ptr<ScrollView> scroll;
    std::shared_ptr<PaintLoggingTable> table;
    Rows rows;
    ListDelegate delegate;
};

TEST_F(QXTableViewTest, KeysOverTheDelegatesAnswers) {
    using platform::utf8FromCodePoint;
    enum class Scroll { None, Up, Down };
    struct Case {
        const char* what;
        std::string characters;
        Answer answer;
        long selected;
        std::vector<std::string> calls;
        bool toPlatform;
        Scroll scroll = Scroll::None;
    };
    const std::string enter = utf8FromCodePoint(platform::EnterCharacter);
    const std::string ret = utf8FromCodePoint(platform::CarriageReturnCharacter);
    const std::string backspace = utf8FromCodePoint(platform::BackspaceCharacter);
    const std::string del = utf8FromCodePoint(platform::DeleteCharacter);
    const std::string forwardDelete = utf8FromCodePoint(platform::DeleteFunctionKey);
    const std::string pageUp = utf8FromCodePoint(platform::PageUpFunctionKey);
    const std::string pageDown = utf8FromCodePoint(platform::PageDownFunctionKey);
    const Case cases[] = {
        {"Enter taken", enter, Answer::Yes, -1, {"enter"}, false},
        {"Enter declined", enter, Answer::No, -1, {"enter"}, true},
        {"Enter not implemented", enter, Answer::NotImplemented, -1, {}, true},
        {"Return taken", ret, Answer::Yes, 4, {"enter"}, false},
        {"Return not implemented", ret, Answer::NotImplemented, 4, {}, true},
        {"Backspace taken", backspace, Answer::Yes, 4, {"delete 4"}, false},
        {"Backspace without selection", backspace, Answer::Yes, -1, {}, true},
        {"Delete taken", del, Answer::Yes, 4, {"delete 4"}, false},
        {"Delete declined", del, Answer::No, 4, {"delete 4"}, true},
        {"Delete not implemented", del, Answer::NotImplemented, 4, {}, true},
        {"Delete without selection", del, Answer::Yes, -1, {}, true},
        {"Forward delete taken", forwardDelete, Answer::Yes, 7, {"delete 7"}, false},
        {"Forward delete not implemented", forwardDelete, Answer::NotImplemented, 7, {}, true},
        {"Page Up", pageUp, Answer::Yes, -1, {}, true, Scroll::Up},
        {"Page Down", pageDown, Answer::Yes, -1, {}, true, Scroll::Down},
        {"Space", " ", Answer::Yes, 4, {}, true},
        {"two characters", ret + ret, Answer::Yes, 4, {}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        delegate.answer = c.answer;
        delegate.calls.clear();
        content->events.clear();
        if (c.selected >= 0)
            table->selectRow(c.selected, false);
        else
            table->deselectAll(nullptr);
        scroll->contentView()->scrollToPoint({0, 400});
        scroll->reflectScrolledClipView(scroll->contentView());
        const double before = scrollY();

        key(c.characters);

        EXPECT_EQ(delegate.calls, c.calls);
        EXPECT_EQ(passedKeys().size(), c.toPlatform ? 1u : 0u);
        switch (c.scroll) {
        case Scroll::None:
            EXPECT_EQ(scrollY(), before);
            break;
        case Scroll::Up:
            EXPECT_LT(scrollY(), before);
            break;
        case Scroll::Down:
            EXPECT_GT(scrollY(), before);
            break;
        }
    }
}

TEST_F(QXTableViewTest, ModifiersAreIgnoredAndOtherDelegatesLeaveKeysToThePlatform) {
    delegate.answer = Answer::Yes;
    table->selectRow(2, false);
    key("\r", platform::ShiftKeyMask | platform::CommandKeyMask);
    EXPECT_EQ(delegate.calls, std::vector<std::string>{"enter"});

    // A delegate that speaks only the platform's messages, or none at all.
    platform::TableViewDelegate plain;
    for (platform::TableViewDelegate* other :
         {&plain, static_cast<platform::TableViewDelegate*>(nullptr)}) {
        table->setDelegate(other);
        content->events.clear();
        key("\r");
        key("\x7f");
        EXPECT_EQ(passedKeys().size(), 2u);
    }
}

TEST_F(QXTableViewTest, EnterSendsTheDoubleActionWhenAsked) {
    delegate.answer = Answer::Yes;
    table->setTarget(&delegate);
    // Without a double action the flag falls back to the delegate.
    table->setSendActionOnEnter(true);
    key("\r");
    EXPECT_EQ(delegate.calls, std::vector<std::string>{"enter"});

    delegate.calls.clear();
    table->setDoubleAction("editAccount:");
    key("\x03");
    EXPECT_EQ(delegate.calls, std::vector<std::string>{"editAccount:"});
    EXPECT_TRUE(passedKeys().empty());

    delegate.calls.clear();
    table->setSendActionOnEnter(false);
    key("\r");
    EXPECT_EQ(delegate.calls, std::vector<std::string>{"enter"});
}

TEST_F(QXTableViewTest, HoverFollowsThePointerAcrossRowsAndOut) {
    table->setTrackMouseOver(true);
    EXPECT_TRUE(table->trackMouseOver());
    EXPECT_EQ(table->mouseOverRow(), -1);
    window->displayIfNeeded();

    struct Step {
        const char* what;
        Point at;
        long row;
        std::vector<std::pair<long, long>> told;
        bool redraws;
    };
    const Step steps[] = {
        {"onto row 0", rowPoint(0, 0.2), 0, {{-1, 0}}, true},
        {"within row 0", rowPoint(0, 0.8), 0, {}, false},
        {"down to row 3", rowPoint(3), 3, {{0, 3}}, true},
        {"across to row 4", rowPoint(4, 0.5, 20), 4, {{3, 4}}, true},
        {"back to row 3", rowPoint(3), 3, {{4, 3}}, true},
        {"out of the table", {150, 5}, -1, {}, true},
        {"outside, moving", {160, 8}, -1, {}, false},
        {"back in on row 1", rowPoint(1), 1, {{-1, 1}}, true},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        delegate.hovers.clear();
        table->painted.clear();
        Input::moveMouse(*window, step.at);
        EXPECT_EQ(table->mouseOverRow(), step.row);
        EXPECT_EQ(delegate.hovers, step.told);
        window->displayIfNeeded();
        EXPECT_EQ(!table->painted.empty(), step.redraws);
    }

    // The rows redrawn for a change are the old and the new one.
    table->painted.clear();
    Input::moveMouse(*window, rowPoint(2));
    window->displayIfNeeded();
    ASSERT_EQ(table->painted.size(), 1u);
    const Rect redrawn = table->painted.front();
    EXPECT_TRUE(redrawn.containsRect(table->rectOfRow(1)));
    EXPECT_TRUE(redrawn.containsRect(table->rectOfRow(2)));
    EXPECT_FALSE(redrawn.intersects(table->rectOfRow(5)));

    // After a page down the rows under the pointer are new ones.
    key(platform::utf8FromCodePoint(platform::PageDownFunctionKey));
    Input::moveMouse(*window, {250, 120});
    const long expected = table->rowAtPoint(table->convertPointFromView(Point{250, 120}, nullptr));
    EXPECT_GT(expected, 5);
    EXPECT_EQ(table->mouseOverRow(), expected);
}

TEST_F(QXTableViewTest, TrackingOnAndOff) {
    // Never turned on: moves change nothing.
    Input::moveMouse(*window, rowPoint(2));
    EXPECT_EQ(table->mouseOverRow(), -1);
    EXPECT_TRUE(delegate.hovers.empty());
    EXPECT_TRUE(table->trackingAreas().empty());

    // Turned on while the pointer is over the table: it counts as inside at once.
    table->setTrackMouseOver(true);
    ASSERT_EQ(table->trackingAreas().size(), 1u);
    EXPECT_TRUE(table->trackingAreas().front()->options() & platform::TrackingAssumeInside);
    EXPECT_TRUE(window->acceptsMouseMovedEvents());
    Input::moveMouse(*window, rowPoint(2, 0.7));
    EXPECT_EQ(table->mouseOverRow(), 2);

    // Off keeps the last row; on again resets it.
    table->setTrackMouseOver(false);
    EXPECT_TRUE(table->trackingAreas().empty());
    Input::moveMouse(*window, rowPoint(5));
    EXPECT_EQ(table->mouseOverRow(), 2);
    Input::moveMouse(*window, {150, 5});
    table->setTrackMouseOver(true);
    EXPECT_EQ(table->mouseOverRow(), -1);
    EXPECT_FALSE(table->trackingAreas().front()->options() & platform::TrackingAssumeInside);
}

TEST_F(QXTableViewTest, RowsPaintFromGradientsByState) {
    const Color plain(1, 0, 0, 1), alternate(0, 1, 0, 1), selected(0, 0, 1, 1),
        inactive(1, 1, 0, 1);
    rows.count = 5;
    table->reloadData();
    table->setUsesAlternatingRowBackgroundColors(true);
    table->setRowGradient(flat(plain));
    table->setAlternateRowGradient(flat(alternate));
    table->setSelectedRowGradient(flat(selected));
    table->setInactiveRowGradient(flat(inactive));
    table->selectRow(2, false);

    struct Row {
        long row;
        Color expected;
    };
    const Row focused[] = {{0, alternate}, {1, plain}, {2, selected}, {3, plain}, {4, alternate}};
    for (const Row& r : focused)
        EXPECT_TRUE(colorNear(pixel(rowPoint(r.row)), r.expected)) << "row " << r.row;
    // Empty stripes go on below the last row, counting on from the row count.
    const double bottom = table->rectOfRow(4).maxY();
    const double step = table->rowHeight() + table->intercellSpacing().height;
    for (int i = 0; i < 3; ++i) {
        const Point p = table->convertPointToView({250, bottom + step * (i + 0.5)}, nullptr);
        EXPECT_TRUE(colorNear(pixel(p), (5 + i) % 2 == 0 ? alternate : plain)) << "stripe " << i;
    }

    // Without the focus the selection takes the inactive look.
    window->makeFirstResponder(nullptr);
    EXPECT_TRUE(colorNear(pixel(rowPoint(2)), inactive));
    window->makeFirstResponder(table.get());
    EXPECT_TRUE(colorNear(pixel(rowPoint(2)), selected));

    // Without alternating colours every unselected row is plain.
    table->setUsesAlternatingRowBackgroundColors(false);
    EXPECT_TRUE(colorNear(pixel(rowPoint(0)), plain));
    EXPECT_TRUE(colorNear(pixel(rowPoint(4)), plain));
}

TEST_F(QXTableViewTest, UnsetGradientsFallBackToThePlatformColours) {
    rows.count = 3;
    table->reloadData();
    table->setUsesAlternatingRowBackgroundColors(true);
    table->selectRow(1, false);
    const std::vector<Color> stripes = Color::controlAlternatingRowBackgroundColors();
    EXPECT_TRUE(colorNear(pixel(rowPoint(0)), stripes[1]));
    EXPECT_TRUE(colorNear(pixel(rowPoint(1)), Color::alternateSelectedControlColor()));
    EXPECT_TRUE(colorNear(pixel(rowPoint(2)), stripes[1]));
    const Point below = table->convertPointToView({250, table->rectOfRow(2).maxY() + 5}, nullptr);
    EXPECT_TRUE(colorNear(pixel(below), stripes[0]));
    window->makeFirstResponder(nullptr);
    EXPECT_TRUE(colorNear(pixel(rowPoint(1)), Color::secondarySelectedControlColor()));
}

TEST_F(QXTableViewTest, EmptyTableStripesFromTheTopAndPartialRedraws) {
    const Color plain(1, 0, 0, 1), alternate(0, 1, 0, 1);
    rows.count = 0;
    table->reloadData();
    table->setUsesAlternatingRowBackgroundColors(true);
    table->setRowGradient(flat(plain));
    table->setAlternateRowGradient(flat(alternate));
    const double step = table->rowHeight() + table->intercellSpacing().height;
    const auto stripe = [&](int i) {
        return table->convertPointToView({250, step * (i + 0.5)}, nullptr);
    };
    EXPECT_TRUE(colorNear(pixel(stripe(0)), alternate));
    EXPECT_TRUE(colorNear(pixel(stripe(1)), plain));
    EXPECT_TRUE(colorNear(pixel(stripe(6)), alternate));

    // A redraw of only part of the empty area paints its stripes with the right parity.
    table->setRowGradient(flat(Color(0, 0, 1, 1)));
    table->setAlternateRowGradient(flat(Color(1, 1, 0, 1)));
    table->painted.clear();
    table->setNeedsDisplayInRect({0, step * 6 + 2, 300, step});
    const auto picture = window->snapshot();
    ASSERT_EQ(table->painted.size(), 1u);
    EXPECT_GT(table->painted.front().minY(), step * 5);
    const Point sixth = stripe(6),
                seventh = table->convertPointToView({250, step * 7 + 1}, nullptr);
    EXPECT_TRUE(colorNear(picture->colorAt(int(sixth.x), int(sixth.y)), Color(1, 1, 0, 1)));
    EXPECT_TRUE(colorNear(picture->colorAt(int(seventh.x), int(seventh.y)), Color(0, 0, 1, 1)));
}

TEST_F(QXTableViewTest, CursorRectanglesComeFromTableCellsOfVisibleRows) {
    window->resetCursorRects();
    EXPECT_TRUE(delegate.cursorFrames.empty());
    EXPECT_TRUE(table->cursorRects().empty());

    delegate.givesCells = true;
    window->resetCursorRects();
    const platform::RowRange visible = table->rowsInRect(table->visibleRect());
    ASSERT_GT(visible.length, 3);
    ASSERT_EQ(delegate.cursorFrames.size(), static_cast<std::size_t>(visible.length));
    for (long i = 0; i < visible.length; ++i)
        EXPECT_EQ(delegate.cursorFrames[i], table->rectOfRow(visible.location + i));
    EXPECT_EQ(table->cursorRects().size(), static_cast<std::size_t>(visible.length));
}

// A cell drawn on its own: grey from dark at the top to light at the bottom, blue-grey while
// highlighted, nothing at all when it was never initialised (as decoded from a definition).
TEST(QXTableCellTest, DrawsItsGradientsAndAnswersRowSizes) {
    const auto draw = [](platform::Cell& cell) {
        auto context = platform::GraphicsContext::bitmapContext(20, 40);
        platform::ContextScope scope(*context);
        cell.drawInteriorWithFrame({0, 0, 20, 40}, nullptr);
        return context->makeImage();
    };
    struct Case {
        bool initialised;
        bool highlighted;
        Color top;
        Color bottom;
    };
    const Case cases[] = {
        {true, false, Color(0.59, 0.59, 0.59, 1), Color(0.86, 0.86, 0.86, 1)},
        {true, true, Color(0.69, 0.69, 0.79, 1), Color(0.86, 0.86, 0.96, 1)},
        {false, false, Color(0, 0, 0, 0), Color(0, 0, 0, 0)},
    };
    for (const Case& c : cases) {
        auto cell =
            c.initialised ? make<QXTableCell>("name") : std::make_shared<QXTableCell>("name");
        cell->setHighlighted(c.highlighted);
        const auto image = draw(*cell);
        EXPECT_TRUE(colorNear(image->colorAt(10, 39), c.top, 0.03));
        EXPECT_TRUE(colorNear(image->colorAt(10, 0), c.bottom, 0.03));
    }
    auto cell = make<QXTableCell>("name");
    EXPECT_EQ(cell->minSize(), (platform::Size{0, 0}));
    EXPECT_EQ(cell->maxSize(), (platform::Size{10000, 10000}));
    // Copies stay table cells with the same gradients.
    auto copy = std::dynamic_pointer_cast<QXTableCell>(cell->copy());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->backgroundGradient(), cell->backgroundGradient());
}

} // namespace
