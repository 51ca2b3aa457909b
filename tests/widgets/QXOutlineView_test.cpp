#include "platform/kit/ButtonCell.h"
#include "platform/kit/Cursor.h"
#include "platform/kit/KitTestSupport.h"
#include "platform/kit/ListViewTestSupport.h"
#include "platform/kit/ScrollView.h"
#include "platform/kit/TableColumn.h"
#include "platform/kit/TextFieldCell.h"
#include "platform/kit/TrackingArea.h"
#include "widgets/QXHiddenTableView.h"
#include "widgets/QXOutlineView.h"
#include "widgets/QXTableCell.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

using kittest::Input;
using kittest::KitTest;
using kittest::RecordingView;
using platform::Event;
using platform::make;
using platform::OutlineItem;
using platform::OutlineView;
using platform::Point;
using platform::Rect;
using platform::ScrollView;
using platform::TableColumn;
using platform::Value;
using platform::Window;

struct Node : platform::Object {
    Node(std::string n, std::vector<std::shared_ptr<Node>> c = {})
        : name(std::move(n)), children(std::move(c)) {}
    std::string name;
    std::vector<std::shared_ptr<Node>> children;
};

std::shared_ptr<Node> node(const OutlineItem& item) {
    return std::dynamic_pointer_cast<Node>(item);
}

enum class Answer { NotImplemented, Yes, No };

// Friends (Ann, Bob), Work (Carl, Dana), Zed and Zoe at the top; every group expanded.
class Contacts : public platform::OutlineViewDataSource, public QXOutlineViewDelegate {
public:
    Contacts() {
        root = {std::make_shared<Node>("Friends", std::vector{std::make_shared<Node>("Ann"),
                                                              std::make_shared<Node>("Bob")}),
                std::make_shared<Node>("Work", std::vector{std::make_shared<Node>("Carl"),
                                                           std::make_shared<Node>("Dana")})};
        for (int i = 0; i < 30; ++i)
            root.push_back(std::make_shared<Node>("Z" + std::to_string(i)));
    }

    std::vector<std::shared_ptr<Node>> root;
    Answer answer = Answer::NotImplemented;
    bool treeMode = true;
    bool givesCells = false;
    std::vector<std::string> calls;
    std::vector<std::pair<long, long>> hovers;
    std::vector<Rect> cursorFrames;

    long outlineViewNumberOfChildrenOfItem(OutlineView&, const OutlineItem& item) override {
        return static_cast<long>(item ? node(item)->children.size() : root.size());
    }
    OutlineItem outlineViewChild(OutlineView&, long index, const OutlineItem& item) override {
        return item ? node(item)->children[static_cast<std::size_t>(index)]
                    : root[static_cast<std::size_t>(index)];
    }
    bool outlineViewIsItemExpandable(OutlineView&, const OutlineItem& item) override {
        return !node(item)->children.empty();
    }
    Value outlineViewObjectValueForTableColumn(OutlineView&, TableColumn*,
                                               const OutlineItem& item) override {
        return Value(node(item)->name);
    }

    bool isTreeViewMode() override { return treeMode; }
    bool enterKeyPressed() override { return note("enter"); }
    bool deleteKeyPressed() override { return note("delete"); }
    bool spaceKeyPressed() override { return note("space"); }
    void outlineViewMouseChangedFromRow(QXOutlineView&, long previousRow, long newRow) override {
        hovers.emplace_back(previousRow, newRow);
    }
    std::optional<std::shared_ptr<platform::Cell>>
    outlineViewDataCellForTableColumn(OutlineView& outline, TableColumn* column,
                                      const OutlineItem& item) override {
        if (!givesCells)
            return QXOutlineViewDelegate::outlineViewDataCellForTableColumn(outline, column, item);
        return std::shared_ptr<platform::Cell>(std::make_shared<CursorCell>(&cursorFrames));
    }

private:
    class CursorCell : public QXTableCell {
    public:
        explicit CursorCell(std::vector<Rect>* log) : log_(log) {}
        void addCursorRectsForFrame(const Rect& frame, platform::View*) override {
            log_->push_back(frame);
        }

    private:
        std::vector<Rect>* log_;
    };

    bool note(const char* what) {
        if (answer == Answer::NotImplemented)
            return false;
        calls.push_back(what);
        return answer == Answer::Yes;
    }
};

class QXOutlineViewTest : public KitTest {
protected:
    void SetUp() override {
        KitTest::SetUp();
        window = makeWindow({100, 100, 300, 220});
        content = std::make_shared<RecordingView>(Rect{0, 0, 300, 220}, "content");
        window->setContentView(content);
        scroll = std::make_shared<ScrollView>(Rect{0, 20, 300, 200});
        scroll->setHasVerticalScroller(true);
        outline = make<QXOutlineView>(Rect{0, 0, 100, 100});
        auto name = std::make_shared<TableColumn>("name");
        name->setWidth(200);
        outline->addTableColumn(name);
        outline->setDataSource(&contacts);
        outline->setDelegate(&contacts);
        scroll->setDocumentView(outline);
        content->addSubview(scroll);
        outline->awake();
        outline->expandItem(nullptr, true);
        window->makeKeyAndOrderFront(nullptr);
        window->makeFirstResponder(outline.get());
    }
    void TearDown() override {
        outline->setDataSource(nullptr);
        outline->setDelegate(nullptr);
        window.reset();
        KitTest::TearDown();
    }

    Point rowPoint(long row, double fraction = 0.5) const {
        const Rect r = outline->rectOfRow(row);
        return outline->convertPointToView({150, r.minY() + r.height() * fraction}, nullptr);
    }
    double scrollY() const { return scroll->contentView()->bounds().minY(); }
    std::size_t passedKeys() const {
        std::size_t n = 0;
        for (const std::string& e : content->events)
            n += e.rfind("key:", 0) == 0;
        return n;
    }

    std::shared_ptr<Window> window;
    std::shared_ptr<RecordingView> content;
    std::shared_ptr<ScrollView> scroll;
    std::shared_ptr<QXOutlineView> outline;
    Contacts contacts;
};

TEST_F(QXOutlineViewTest, KeysOverTheDelegatesAnswers) {
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
    // Enter and the delete keys never reach the platform outline; Space reaches both.
    const Case cases[] = {
        {"Enter taken", enter, Answer::Yes, 1, {"enter"}, false},
        {"Enter declined", enter, Answer::No, 1, {"enter"}, false},
        {"Enter not implemented", enter, Answer::NotImplemented, 1, {}, false},
        {"Return taken", ret, Answer::Yes, -1, {"enter"}, false},
        {"Return not implemented", ret, Answer::NotImplemented, -1, {}, false},
        {"Backspace is no delete key", backspace, Answer::Yes, 1, {}, true},
        {"Delete taken", del, Answer::Yes, 1, {"delete"}, false},
        {"Delete declined", del, Answer::No, 1, {"delete"}, false},
        {"Delete not implemented", del, Answer::NotImplemented, 1, {}, false},
        {"Delete without selection", del, Answer::Yes, -1, {}, false},
        {"Forward delete taken", forwardDelete, Answer::Yes, 2, {"delete"}, false},
        {"Forward delete without selection", forwardDelete, Answer::Yes, -1, {}, false},
        {"Space taken", " ", Answer::Yes, 1, {"space"}, true},
        {"Space declined", " ", Answer::No, 1, {"space"}, true},
        {"Space not implemented", " ", Answer::NotImplemented, 1, {}, true},
        {"Page Up", pageUp, Answer::Yes, -1, {}, true, Scroll::Up},
        {"Page Down", pageDown, Answer::Yes, -1, {}, true, Scroll::Down},
        {"two characters", ret + ret, Answer::Yes, 1, {}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        contacts.answer = c.answer;
        contacts.calls.clear();
        content->events.clear();
        if (c.selected >= 0)
            outline->selectRow(c.selected, false);
        else
            outline->deselectAll(nullptr);
        scroll->contentView()->scrollToPoint({0, 200});
        scroll->reflectScrolledClipView(scroll->contentView());
        const double before = scrollY();
        const long selectedBefore = outline->selectedRow();

        key(c.characters);

        EXPECT_EQ(contacts.calls, c.calls);
        EXPECT_EQ(passedKeys(), c.toPlatform ? 1u : 0u);
        EXPECT_EQ(outline->selectedRow(), selectedBefore);
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
    // Without a delegate Enter is still swallowed.
    outline->setDelegate(nullptr);
    content->events.clear();
    key(ret);
    EXPECT_EQ(passedKeys(), 0u);
}

TEST_F(QXOutlineViewTest, IndentCorrectionByModeAndLevel) {
    // Rows: Friends, Ann, Bob, Work, Carl, Dana, Z0 ...
    struct Case {
        bool delegate;
        bool treeMode;
        int correction;
        long row;
        double shift;
    };
    const Case cases[] = {
        {true, true, 10, 0, 0},    {true, true, 10, 1, 10},   {true, true, 10, 6, 0},
        {true, false, 10, 0, 10},  {true, false, 10, 4, 10},  {true, true, -6, 5, -6},
        {false, false, 10, 0, 10}, {false, false, 10, 2, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "row " << c.row << " tree " << c.treeMode
                                          << " correction " << c.correction);
        outline->setDelegate(c.delegate ? &contacts : nullptr);
        contacts.treeMode = c.treeMode;
        outline->setIndentCorrection(0);
        const Rect plain = outline->frameOfCellAtColumn(0, c.row);
        outline->setIndentCorrection(c.correction);
        const Rect corrected = outline->frameOfCellAtColumn(0, c.row);
        EXPECT_EQ(corrected.minX(), plain.minX() - c.shift);
        EXPECT_EQ(corrected.maxX(), plain.maxX());
        EXPECT_EQ(corrected.minY(), plain.minY());
        EXPECT_EQ(corrected.height(), plain.height());
    }
    // Rows the outline does not have keep the zero rectangle.
    outline->setIndentCorrection(10);
    EXPECT_EQ(outline->frameOfCellAtColumn(0, -1), Rect{});
    EXPECT_EQ(outline->frameOfCellAtColumn(0, outline->numberOfRows()), Rect{});
    // The set-up of a definition clears the correction.
    outline->awake();
    EXPECT_EQ(outline->indentCorrection(), 0);
}

TEST_F(QXOutlineViewTest, HoverFollowsThePointerAndLeaves) {
    outline->setTrackMouseOver(true);
    struct Step {
        Point at;
        long row;
        std::vector<std::pair<long, long>> told;
    };
    const Step steps[] = {
        {rowPoint(1), 1, {{-1, 1}}}, {rowPoint(1, 0.9), 1, {}},   {rowPoint(3), 3, {{1, 3}}},
        {{150, 5}, -1, {}},          {rowPoint(0), 0, {{-1, 0}}},
    };
    for (const Step& step : steps) {
        contacts.hovers.clear();
        Input::moveMouse(*window, step.at);
        EXPECT_EQ(outline->mouseOverRow(), step.row);
        EXPECT_EQ(contacts.hovers, step.told);
    }
    outline->setTrackMouseOver(false);
    Input::moveMouse(*window, rowPoint(4));
    EXPECT_EQ(outline->mouseOverRow(), 0);
}

TEST_F(QXOutlineViewTest, CursorRectanglesFromTableCells) {
    window->resetCursorRects();
    EXPECT_TRUE(contacts.cursorFrames.empty());
    contacts.givesCells = true;
    window->resetCursorRects();
    const platform::RowRange visible = outline->rowsInRect(outline->visibleRect());
    ASSERT_EQ(contacts.cursorFrames.size(), static_cast<std::size_t>(visible.length));
    EXPECT_EQ(contacts.cursorFrames.front(), outline->rectOfRow(visible.location));
}

// Rows of a title (text) and a button column; the data source hears hovers as values.
class Buttons : public platform::TableViewDataSource {
public:
    long count = 30;
    bool takesValues = true;
    std::vector<std::string> sets;
    long numberOfRowsInTableView(platform::TableView&) override { return count; }
    Value tableViewObjectValueForTableColumn(platform::TableView&, TableColumn* column,
                                             long row) override {
        if (column->identifier() == "button")
            return Value(0);
        return Value("Title " + std::to_string(row));
    }
    bool tableViewSetObjectValue(platform::TableView&, const Value& value, TableColumn* column,
                                 long row) override {
        if (!takesValues)
            return false;
        sets.push_back(column->identifier() + " " + std::to_string(row) + " " +
                       (value.boolValue() ? "in" : "out"));
        return true;
    }
};

class CountingHiddenTable : public QXHiddenTableView {
public:
    using QXHiddenTableView::QXHiddenTableView;
    int reloads = 0;
    void reloadData() override {
        ++reloads;
        QXHiddenTableView::reloadData();
    }
};

class QXHiddenTableViewTest : public KitTest {
protected:
    void SetUp() override {
        KitTest::SetUp();
        window = makeWindow({100, 100, 300, 220});
        window->setContentView(std::make_shared<platform::View>(Rect{0, 0, 300, 220}));
        scroll = std::make_shared<ScrollView>(Rect{0, 20, 300, 200});
        scroll->setHasVerticalScroller(true);
        table = make<CountingHiddenTable>(Rect{0, 0, 100, 100});
        auto title = std::make_shared<TableColumn>("title");
        title->setWidth(120);
        auto button = std::make_shared<TableColumn>("button");
        button->setWidth(120);
        button->setDataCell(std::make_shared<platform::ButtonCell>("Go"));
        table->addTableColumn(title);
        table->addTableColumn(button);
        table->setDataSource(&buttons);
        scroll->setDocumentView(table);
        window->contentView()->addSubview(scroll);
        table->awake();
        window->makeKeyAndOrderFront(nullptr);
    }
    void TearDown() override {
        table->setDataSource(nullptr);
        window.reset();
        KitTest::TearDown();
    }
    Point cellPoint(long column, long row) const {
        const Rect r = table->frameOfCellAtColumn(column, row);
        return table->convertPointToView({r.minX() + 4, r.midY()}, nullptr);
    }

    std::shared_ptr<Window> window;
    std::shared_ptr<ScrollView> scroll;
    std::shared_ptr<CountingHiddenTable> table;
    Buttons buttons;
};

TEST_F(QXHiddenTableViewTest, TransparentAndNoBackground) {
    EXPECT_FALSE(scroll->drawsBackground());
    EXPECT_FALSE(table->isOpaque());
}

TEST_F(QXHiddenTableViewTest, OneAreaPerButtonCellWhollyInSight) {
    // Half a row cut off at the bottom of the view.
    scroll->contentView()->scrollToPoint({0, table->rectOfRow(3).minY() + 5});
    scroll->reflectScrolledClipView(scroll->contentView());
    table->updateTrackingAreas();
    const Rect visible = table->visibleRect();
    const platform::RowRange rows = table->rowsInRect(visible);
    std::vector<long> wholly;
    for (long row = rows.location; row < rows.end(); ++row)
        if (visible.containsRect(table->frameOfCellAtColumn(1, row)))
            wholly.push_back(row);
    ASSERT_GE(wholly.size(), 5u);
    EXPECT_LT(wholly.size(), static_cast<std::size_t>(rows.length));

    const auto& areas = table->trackingAreas();
    ASSERT_EQ(areas.size(), wholly.size());
    const double natural = table->preparedCellAtColumn(1, wholly.front())->cellSize().width;
    for (std::size_t i = 0; i < areas.size(); ++i) {
        const Rect frame = table->frameOfCellAtColumn(1, wholly[i]);
        EXPECT_EQ(areas[i]->rect(), (Rect{frame.minX(), frame.minY(), natural, frame.height()}));
        EXPECT_EQ(areas[i]->userInfo()["row"].integerValue(), wholly[i]);
        EXPECT_EQ(areas[i]->userInfo()["column"].object().get(), table->tableColumns()[1].get());
        EXPECT_EQ(areas[i]->options(),
                  platform::TrackingMouseEnteredAndExited | platform::TrackingActiveInActiveApp);
    }
    // Rebuilt from scratch, not added to.
    table->updateTrackingAreas();
    EXPECT_EQ(table->trackingAreas().size(), wholly.size());
}

TEST_F(QXHiddenTableViewTest, HoversAreReportedAsValuesAndReload) {
    Input::moveMouse(*window, cellPoint(1, 2));
    EXPECT_EQ(buttons.sets, std::vector<std::string>{"button 2 in"});
    EXPECT_EQ(table->reloads, 1);
    Input::moveMouse(*window, cellPoint(0, 2));
    EXPECT_EQ(buttons.sets, (std::vector<std::string>{"button 2 in", "button 2 out"}));
    EXPECT_EQ(table->reloads, 2);

    // A data source that takes no values hears nothing and nothing reloads.
    buttons.takesValues = false;
    buttons.sets.clear();
    Input::moveMouse(*window, cellPoint(1, 4));
    Input::moveMouse(*window, cellPoint(0, 4));
    EXPECT_TRUE(buttons.sets.empty());
    EXPECT_EQ(table->reloads, 2);
}

TEST_F(QXHiddenTableViewTest, FirstClickEditsTextCells) {
    Input::click(*window, cellPoint(0, 3));
    EXPECT_EQ(table->editedRow(), 3);
    EXPECT_EQ(table->editedColumn(), 0);
    ASSERT_NE(table->currentEditor(), nullptr);
    table->abortEditing();

    // A click on a button cell is the platform's: it selects, and edits nothing.
    Input::click(*window, cellPoint(1, 5));
    EXPECT_EQ(table->editedRow(), -1);
    EXPECT_EQ(table->selectedRow(), 5);
}

} // namespace
