#include "platform/kit/KitTestSupport.h"
#include "platform/kit/ListViewTestSupport.h"
#include "platform/kit/OutlineView.h"
#include "platform/kit/Pasteboard.h"
#include "platform/kit/ScrollView.h"
#include "platform/kit/TextView.h"

#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace kittest;
using platform::Cell;
using platform::DraggingInfo;
using platform::DragOperation;
using platform::Notification;
using platform::Object;
using platform::OutlineItem;
using platform::OutlineView;
using platform::Pasteboard;
using platform::ScrollView;
using platform::TableColumn;

struct Node : Object {
    Node(std::string n, std::vector<std::shared_ptr<Node>> c = {}, bool g = false)
        : name(std::move(n)), children(std::move(c)), group(g || !children.empty()) {}
    std::string description() const override { return name; }
    std::string name;
    std::vector<std::shared_ptr<Node>> children;
    bool group;
};

std::shared_ptr<Node> node(const OutlineItem& item) {
    return std::dynamic_pointer_cast<Node>(item);
}

std::string nameOf(const OutlineItem& item) {
    return item ? node(item)->name : "(root)";
}

// Friends (Ann, Bob), Work (Carl, Dana (Eve)), Zed.
class Tree : public platform::OutlineViewDataSource, public platform::OutlineViewDelegate {
public:
    Tree() { rebuild(); }
    void rebuild() {
        dana = std::make_shared<Node>("Dana", std::vector{std::make_shared<Node>("Eve")});
        work = std::make_shared<Node>("Work", std::vector{std::make_shared<Node>("Carl"), dana});
        friends = std::make_shared<Node>(
            "Friends", std::vector{std::make_shared<Node>("Ann"), std::make_shared<Node>("Bob")});
        root = {friends, work, std::make_shared<Node>("Zed")};
    }

    std::vector<std::shared_ptr<Node>> root;
    std::shared_ptr<Node> friends, work, dana;
    std::vector<std::string> calls;
    bool mayExpand = true;
    std::vector<std::string> sets;
    std::vector<std::pair<std::string, long>> drops;
    std::optional<std::pair<OutlineItem, long>> retarget;

    long outlineViewNumberOfChildrenOfItem(OutlineView&, const OutlineItem& item) override {
        return static_cast<long>(item ? node(item)->children.size() : root.size());
    }
    OutlineItem outlineViewChild(OutlineView&, long index, const OutlineItem& item) override {
        return item ? node(item)->children[static_cast<std::size_t>(index)]
                    : root[static_cast<std::size_t>(index)];
    }
    bool outlineViewIsItemExpandable(OutlineView&, const OutlineItem& item) override {
        return node(item)->group;
    }
    Value outlineViewObjectValueForTableColumn(OutlineView&, TableColumn*,
                                               const OutlineItem& item) override {
        return Value(nameOf(item));
    }
    bool outlineViewSetObjectValue(OutlineView&, const Value& value, TableColumn*,
                                   const OutlineItem& item) override {
        sets.push_back(nameOf(item) + "=" + value.stringValue());
        return true;
    }
    bool outlineViewWriteItems(OutlineView&, const std::vector<OutlineItem>& items,
                               Pasteboard& pasteboard) override {
        pasteboard.declareTypes({"test.node"}, nullptr);
        pasteboard.setStringForType(nameOf(items.front()), "test.node");
        return true;
    }
    DragOperation outlineViewValidateDrop(OutlineView& outline, DraggingInfo&, const OutlineItem&,
                                          long) override {
        if (retarget)
            outline.setDropItem(retarget->first, retarget->second);
        return platform::DragOperationGeneric;
    }
    bool outlineViewAcceptDrop(OutlineView&, DraggingInfo& info, const OutlineItem& item,
                               long index) override {
        drops.emplace_back(info.draggingPasteboard().stringForType("test.node").value_or("") +
                               "->" + nameOf(item),
                           index);
        return true;
    }

    bool outlineViewShouldExpandItem(OutlineView&, const OutlineItem&) override {
        return mayExpand;
    }
    void outlineViewItemDidExpand(const Notification& n) override {
        calls.push_back("expanded " + nameOf(n.userInfo[platform::OutlineViewItemKey].object()));
    }
    void outlineViewItemDidCollapse(const Notification& n) override {
        calls.push_back("collapsed " + nameOf(n.userInfo[platform::OutlineViewItemKey].object()));
    }
    void outlineViewSelectionDidChange(const Notification&) override {
        calls.push_back("selection");
    }
};

class OutlineViewTest : public KitTest {
protected:
    void SetUp() override {
        KitTest::SetUp();
        Pasteboard::resetAll();
        window = makeWindow({100, 100, 300, 220});
        window->setContentView(std::make_shared<View>(Rect{0, 0, 300, 220}));
        scroll = std::make_shared<ScrollView>(Rect{0, 20, 300, 200});
        scroll->setHasVerticalScroller(true);
        outline = makeOutline<OutlineView>();
        window->contentView()->addSubview(scroll);
        window->makeKeyAndOrderFront(nullptr);
    }
    void TearDown() override {
        platform::DragSession::cancelCurrent();
        outline->setDataSource(nullptr);
        outline->setDelegate(nullptr);
        window.reset();
        Pasteboard::resetAll();
        KitTest::TearDown();
    }
    template <class T> std::shared_ptr<T> makeOutline() {
        auto view = make<T>(Rect{0, 0, 100, 100});
        auto name = std::make_shared<TableColumn>("name");
        name->setWidth(150);
        view->addTableColumn(name);
        auto note = std::make_shared<TableColumn>("note");
        note->setWidth(60);
        view->addTableColumn(note);
        view->setDataSource(&tree);
        view->setDelegate(&tree);
        view->setHeaderView(nullptr);
        scroll->setDocumentView(view);
        return view;
    }
    std::vector<std::string> visibleRows() const {
        std::vector<std::string> names;
        for (long r = 0; r < outline->numberOfRows(); ++r)
            names.push_back(std::string(static_cast<std::size_t>(outline->levelForRow(r)), ' ') +
                            nameOf(outline->itemAtRow(r)));
        return names;
    }
    Point rowPoint(long row, double x = 60, double fraction = 0.5) const {
        const Rect r = outline->rectOfRow(row);
        return outline->convertPointToView({x, r.minY() + r.height() * fraction}, nullptr);
    }

    Tree tree;
    std::shared_ptr<Window> window;
    std::shared_ptr<ScrollView> scroll;
    std::shared_ptr<OutlineView> outline;
};

using Rows = std::vector<std::string>;

TEST_F(OutlineViewTest, ExpandingAndCollapsingShowsChildrenAtTheirLevels) {
    EXPECT_EQ(visibleRows(), (Rows{"Friends", "Work", "Zed"}));
    EXPECT_TRUE(outline->isExpandable(tree.work));
    EXPECT_FALSE(outline->isItemExpanded(tree.work));
    outline->expandItem(tree.work);
    EXPECT_EQ(visibleRows(), (Rows{"Friends", "Work", " Carl", " Dana", "Zed"}));
    EXPECT_EQ(outline->parentForItem(tree.dana), tree.work);
    EXPECT_EQ(outline->levelForItem(tree.dana), 1);
    EXPECT_EQ(outline->rowForItem(tree.dana), 3);
    EXPECT_EQ(outline->rowForItem(tree.dana->children[0]), -1);
    EXPECT_EQ(outline->levelForRow(7), -1);
    EXPECT_EQ(outline->itemAtRow(-1), nullptr);

    outline->expandItem(tree.work, true);
    EXPECT_EQ(visibleRows(), (Rows{"Friends", "Work", " Carl", " Dana", "  Eve", "Zed"}));
    // Collapsing hides the descendants but remembers which of them were open.
    outline->collapseItem(tree.work);
    EXPECT_EQ(visibleRows(), (Rows{"Friends", "Work", "Zed"}));
    outline->expandItem(tree.work);
    EXPECT_EQ(visibleRows(), (Rows{"Friends", "Work", " Carl", " Dana", "  Eve", "Zed"}));
    outline->collapseItem(tree.work, true);
    outline->expandItem(tree.work);
    EXPECT_EQ(visibleRows(), (Rows{"Friends", "Work", " Carl", " Dana", "Zed"}));
    EXPECT_EQ(tree.calls, (Rows{"expanded Work", "expanded Dana", "collapsed Work", "expanded Work",
                                "collapsed Dana", "collapsed Work", "expanded Work"}));

    // An item out of sight opens when its parent does.
    outline->collapseItem(tree.work);
    outline->expandItem(tree.dana);
    outline->expandItem(tree.work);
    EXPECT_EQ(visibleRows(), (Rows{"Friends", "Work", " Carl", " Dana", "  Eve", "Zed"}));

    outline->expandItem(nullptr, true);
    EXPECT_EQ(outline->numberOfRows(), 8);
    outline->collapseItem(nullptr, true);
    EXPECT_EQ(visibleRows(), (Rows{"Friends", "Work", "Zed"}));
}

TEST_F(OutlineViewTest, TheDelegateMayRefuseToExpand) {
    tree.mayExpand = false;
    outline->expandItem(tree.friends);
    EXPECT_EQ(outline->numberOfRows(), 3);
    EXPECT_TRUE(tree.calls.empty());
    // A leaf does not expand.
    tree.mayExpand = true;
    outline->expandItem(outline->itemAtRow(2));
    EXPECT_EQ(outline->numberOfRows(), 3);
}

TEST_F(OutlineViewTest, DisclosureTrianglesAreClicked) {
    const Rect triangle = outline->frameOfOutlineCellAtRow(0);
    ASSERT_FALSE(triangle.isEmpty());
    EXPECT_EQ(outline->frameOfOutlineCellAtRow(2), Rect{});
    const Point on = outline->convertPointToView(triangle.center(), nullptr);
    Input::click(*window, on);
    EXPECT_EQ(visibleRows(), (Rows{"Friends", " Ann", " Bob", "Work", "Zed"}));
    EXPECT_TRUE(outline->selectedRowIndexes().empty());
    Input::click(*window, on);
    EXPECT_EQ(outline->numberOfRows(), 3);
    // With Option the descendants open too.
    const Point work =
        outline->convertPointToView(outline->frameOfOutlineCellAtRow(1).center(), nullptr);
    Input::click(*window, work, platform::AlternateKeyMask);
    EXPECT_EQ(visibleRows(), (Rows{"Friends", "Work", " Carl", " Dana", "  Eve", "Zed"}));
    // Next to the triangle a click selects.
    Input::click(*window, rowPoint(3));
    EXPECT_EQ(outline->selectedRow(), 3);
}

TEST_F(OutlineViewTest, SelectionStaysWithItsItems) {
    Input::click(*window, rowPoint(2));
    EXPECT_EQ(outline->itemAtRow(outline->selectedRow()), tree.root[2]);
    tree.calls.clear();
    outline->expandItem(tree.friends);
    EXPECT_EQ(outline->selectedRow(), 4);
    EXPECT_TRUE(std::find(tree.calls.begin(), tree.calls.end(), "selection") == tree.calls.end());
    // A selected child hidden by a collapse leaves the selection.
    Input::click(*window, rowPoint(1));
    tree.calls.clear();
    outline->collapseItem(tree.friends);
    EXPECT_TRUE(outline->selectedRowIndexes().empty());
    EXPECT_EQ(tree.calls, (Rows{"selection", "collapsed Friends"}));
}

TEST_F(OutlineViewTest, ReloadKeepsExpandedItemsAndSelectionByIdentity) {
    outline->expandItem(tree.work, true);
    outline->selectRowIndexes({outline->rowForItem(tree.dana)}, false);
    tree.root.pop_back();
    outline->reloadData();
    EXPECT_EQ(visibleRows(), (Rows{"Friends", "Work", " Carl", " Dana", "  Eve"}));
    EXPECT_EQ(outline->itemAtRow(outline->selectedRow()), tree.dana);
    // New objects are new items, even with the same names.
    tree.rebuild();
    outline->reloadData();
    EXPECT_EQ(visibleRows(), (Rows{"Friends", "Work", "Zed"}));
    EXPECT_TRUE(outline->selectedRowIndexes().empty());
}

TEST_F(OutlineViewTest, CellFramesAreIndentedByLevelInTheOutlineColumn) {
    outline->expandItem(tree.work, true);
    const auto base = [&](long column, long row) {
        return outline->TableView::frameOfCellAtColumn(column, row);
    };
    struct Case {
        long row;
        double indent;
    };
    for (const Case c : {Case{1, 16}, Case{2, 32}, Case{4, 48}}) {
        const Rect frame = outline->frameOfCellAtColumn(0, c.row);
        EXPECT_EQ(frame.minX(), base(0, c.row).minX() + c.indent) << c.row;
        EXPECT_EQ(frame.maxX(), base(0, c.row).maxX()) << c.row;
        EXPECT_EQ(outline->frameOfCellAtColumn(1, c.row), base(1, c.row));
    }
    EXPECT_EQ(outline->frameOfOutlineCellAtRow(3).minX(), base(0, 3).minX() + 16);
    outline->setIndentationPerLevel(10);
    EXPECT_EQ(outline->frameOfCellAtColumn(0, 4).minX(), base(0, 4).minX() + 36);
    outline->setOutlineTableColumn(outline->tableColumns()[1].get());
    EXPECT_EQ(outline->frameOfCellAtColumn(0, 4), base(0, 4));
    EXPECT_EQ(outline->frameOfCellAtColumn(1, 4).minX(), base(1, 4).minX() + 36);
}

// A subclass that moves its cells, as the branded outline does; editing follows its frames.
class ShiftedOutline : public OutlineView {
public:
    using OutlineView::OutlineView;
    Rect frameOfCellAtColumn(long column, long row) const override {
        Rect frame = OutlineView::frameOfCellAtColumn(column, row);
        frame.origin.x -= 12;
        frame.size.width += 12;
        return frame;
    }
};

TEST_F(OutlineViewTest, EditingByItemUsesTheSubclassFrames) {
    outline->setDataSource(nullptr);
    outline->setDelegate(nullptr);
    outline = makeOutline<ShiftedOutline>();
    outline->expandItem(tree.friends);
    outline->editColumn(0, 2, nullptr, true);
    platform::TextView* editor = outline->currentEditor();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->string(), "Bob");
    EXPECT_TRUE(outline->frameOfCellAtColumn(0, 2).containsRect(editor->frame()));
    EXPECT_LT(editor->frame().minX(), outline->OutlineView::frameOfCellAtColumn(0, 2).minX());
    Input::typeText("Rob");
    Input::key(platform::CarriageReturnCharacter);
    EXPECT_EQ(tree.sets, Rows{"Bob=Rob"});
    outline->editColumn(0, 0, nullptr, true);
    EXPECT_TRUE(outline->abortEditing());
    EXPECT_EQ(outline->currentEditor(), nullptr);
    EXPECT_EQ(tree.sets.size(), 1u);
    // Collapsing the row being edited ends the editing without a value.
    outline->editColumn(0, 1, nullptr, true);
    outline->collapseItem(tree.friends);
    EXPECT_EQ(outline->currentEditor(), nullptr);
    EXPECT_EQ(tree.sets.size(), 1u);
}

TEST_F(OutlineViewTest, ArrowKeysExpandCollapseAndClimb) {
    window->makeFirstResponder(outline.get());
    outline->selectRowIndexes({1}, false);
    Input::key(platform::RightArrowFunctionKey);
    EXPECT_TRUE(outline->isItemExpanded(tree.work));
    Input::key(platform::DownArrowFunctionKey);
    Input::key(platform::DownArrowFunctionKey);
    EXPECT_EQ(outline->itemAtRow(outline->selectedRow()), tree.dana);
    Input::key(platform::RightArrowFunctionKey, platform::AlternateKeyMask);
    EXPECT_TRUE(outline->isItemExpanded(tree.dana));
    Input::key(platform::LeftArrowFunctionKey);
    EXPECT_FALSE(outline->isItemExpanded(tree.dana));
    Input::key(platform::LeftArrowFunctionKey);
    EXPECT_EQ(outline->itemAtRow(outline->selectedRow()), tree.work);
    Input::key(platform::LeftArrowFunctionKey);
    EXPECT_FALSE(outline->isItemExpanded(tree.work));
    EXPECT_EQ(visibleRows(), (Rows{"Friends", "Work", "Zed"}));
}

TEST_F(OutlineViewTest, DropsNameTheirItemAndChildIndex) {
    outline->expandItem(tree.friends);
    outline->expandItem(tree.work);
    // Friends, Ann, Bob, Work, Carl, Dana, Zed
    outline->registerForDraggedTypes({"test.node"});
    Input::drag(*window, rowPoint(1), rowPoint(3));
    Input::drag(*window, rowPoint(1), rowPoint(5, 60, 0.1));
    Input::drag(*window, rowPoint(2), rowPoint(6, 60, 0.95));
    tree.retarget = std::make_pair(OutlineItem(tree.friends), 0L);
    Input::drag(*window, rowPoint(2), rowPoint(6));
    EXPECT_EQ(tree.drops,
              (std::vector<std::pair<std::string, long>>{
                  {"Ann->Work", -1}, {"Ann->Work", 1}, {"Bob->(root)", 3}, {"Bob->Friends", 0}}));
    EXPECT_EQ(outline->dropRow(), -1);
}

TEST_F(OutlineViewTest, RowHeightsByItem) {
    class Heights : public Tree {
    public:
        std::optional<double> outlineViewHeightOfRowByItem(OutlineView&,
                                                           const OutlineItem& item) override {
            return node(item)->group ? 10.0 : 30.0;
        }
    } heights;
    outline->setDataSource(&heights);
    outline->setDelegate(&heights);
    outline->expandItem(heights.friends);
    // Friends 10, Ann 30, Bob 30, each plus 2 of spacing.
    EXPECT_EQ(outline->rectOfRow(1), (Rect{0, 12, outline->bounds().width(), 32}));
    EXPECT_EQ(outline->rowAtPoint({5, 50}), 2);
    EXPECT_EQ(outline->rectOfRow(3).minY(), 76);
}

} // namespace
