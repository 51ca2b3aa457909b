#include "platform/foundation/RunLoop.h"
#include "platform/kit/Pasteboard.h"
#include "widgets/QXCollectionView.h"
#include "widgets/QXCollectionViewItem.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

using platform::make;
using platform::Rect;
using platform::Size;
using platform::View;
using Item = QXCollectionViewItem;

class SizeRecorder : public QXCollectionViewDelegate {
public:
    void collectionViewRequiresSize(QXCollectionView& /*view*/, Size size) override {
        sizes.push_back(size);
    }
    bool collectionViewDragInfo(QXCollectionView& /*view*/,
                                platform::DraggingInfo& /*info*/) override {
        ++drops;
        return true;
    }
    std::vector<Size> sizes;
    int drops = 0;
};

class CollectionViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        clock = std::make_shared<platform::ManualClock>(10.0);
        platform::RunLoop::resetMain(clock);
        collection = make<QXCollectionView>(Rect(0, 0, 300, 200));
        collection->setDelegate(&recorder);
    }
    void TearDown() override {
        collection.reset();
        platform::RunLoop::resetMain();
    }

    // An item whose view is `size` big, shown or not.
    std::shared_ptr<Item> addItem(const std::string& tag, Size size, bool shown = true) {
        auto item = std::make_shared<Item>(tag);
        item->setView(make<View>(Rect({}, size)));
        collection->appendItem(item);
        if (shown)
            collection->showItem(item, true);
        return item;
    }

    std::vector<Rect> frames() const {
        std::vector<Rect> result;
        for (const auto& item : collection->viewItems())
            result.push_back(item->view()->frame());
        return result;
    }

    std::shared_ptr<platform::ManualClock> clock;
    SizeRecorder recorder;
    std::shared_ptr<QXCollectionView> collection;
};

struct ItemSpec {
    Size size;
    QXMargin margin;
    int alignment = 1;
    bool hidden = false;
};

struct LayoutCase {
    const char* name;
    int layout;
    std::vector<ItemSpec> items;
    std::vector<Rect> expected;
};

// Bounds 300 x 200 throughout; margins are (left, right, top, bottom).
const QXMargin kMargin{5, 7, 3, 2};
const std::vector<LayoutCase> kLayoutCases = {
    {"topDownStart",
     1,
     {{{100, 40}, kMargin, 0}, {{50, 10}, {}, 0}},
     {{5, 157, 100, 40}, {0, 145, 50, 10}}},
    {"topDownCentreIgnoresMargins", 1, {{{100, 40}, kMargin, 1}}, {{100, 157, 100, 40}}},
    {"topDownEnd", 1, {{{100, 40}, kMargin, 2}}, {{193, 157, 100, 40}}},
    {"topDownFill",
     1,
     {{{100, 40}, kMargin, 3}, {{50, 10}, {}, 7}},
     {{5, 157, 288, 40}, {0, 145, 300, 10}}},
    {"topDownHiddenTakesNoRoom",
     1,
     {{{100, 40}, {}, 0}, {{80, 30}, kMargin, 0, true}, {{60, 20}, {}, 0}},
     {{0, 160, 100, 40}, {5, 127, 80, 30}, {0, 140, 60, 20}}},
    {"leftToRightStart",
     0,
     {{{100, 40}, kMargin, 0}, {{50, 10}, {}, 0}},
     {{5, 2, 100, 40}, {112, 0, 50, 10}}},
    {"leftToRightCentre", 0, {{{100, 41}, kMargin, 1}}, {{5, 79.5, 100, 41}}},
    {"leftToRightEnd", 0, {{{100, 40}, kMargin, 2}}, {{5, 157, 100, 40}}},
    {"leftToRightFill", 0, {{{100, 40}, kMargin, 3}}, {{5, 2, 100, 195}}},
    {"leftToRightHiddenTakesNoRoom",
     0,
     {{{100, 40}, {}, 0}, {{80, 30}, kMargin, 0, true}, {{60, 20}, {}, 0}},
     {{0, 0, 100, 40}, {105, 2, 80, 30}, {100, 0, 60, 20}}},
    // Any layout but top-down stacks left to right.
    {"otherLayoutIsLeftToRight",
     5,
     {{{100, 40}, {}, 0}, {{60, 20}, {}, 0}},
     {{0, 0, 100, 40}, {100, 0, 60, 20}}},
};

TEST_F(CollectionViewTest, LayoutPlacesEveryItem) {
    for (const auto& c : kLayoutCases) {
        SCOPED_TRACE(c.name);
        collection = make<QXCollectionView>(Rect(0, 0, 300, 200));
        collection->setLayout(c.layout);
        for (const auto& spec : c.items) {
            auto item = addItem("", spec.size, !spec.hidden);
            item->setMargin(spec.margin);
            item->setAlignment(spec.alignment);
        }
        ASSERT_EQ(frames().size(), c.expected.size());
        for (std::size_t i = 0; i < c.expected.size(); ++i)
            EXPECT_EQ(frames()[i], c.expected[i]) << "item " << i;
    }
}

TEST_F(CollectionViewTest, RequiredSizeCountsVisibleItemsAndMargins) {
    auto first = addItem("a", {100, 40});
    auto second = addItem("b", {120, 30});
    EXPECT_EQ(collection->requiredSize(), Size(120, 70));
    collection->showItem(second, false);
    EXPECT_EQ(collection->requiredSize(), Size(100, 40));
    EXPECT_EQ(collection->requiredSizeOfAllObjects(), Size(120, 70));

    first->setMargin(1, 2, 3, 4);
    EXPECT_EQ(collection->requiredSize(), Size(103, 47));
    collection->setLayout(0);
    collection->showItem(second, true);
    EXPECT_EQ(collection->requiredSize(), Size(223, 47));
    // Layouts other than the two known ones count nothing.
    collection->setLayout(2);
    EXPECT_EQ(collection->requiredSize(), Size(0, 0));
}

TEST_F(CollectionViewTest, DelegateHearsOnlyOfChangedSizes) {
    auto item = addItem("a", {100, 40});
    recorder.sizes.clear();
    collection->layoutViews();
    collection->layoutViews();
    EXPECT_TRUE(recorder.sizes.empty());
    item->setRequestedSize({100, 50});
    collection->layoutViews();
    ASSERT_EQ(recorder.sizes.size(), 1u);
    EXPECT_EQ(recorder.sizes[0], Size(100, 50));
    // Hiding the only item shrinks the stack to nothing.
    collection->showItem(item, false);
    ASSERT_EQ(recorder.sizes.size(), 2u);
    EXPECT_EQ(recorder.sizes[1], Size(0, 0));
}

TEST_F(CollectionViewTest, InsertionClampsItsIndexAndMendsTheKeyLoop) {
    auto a = addItem("a", {10, 10});
    auto c = addItem("c", {10, 10});
    auto b = std::make_shared<Item>("b");
    b->setView(make<View>(Rect(0, 0, 10, 10)));
    collection->insertItem(b, 1);
    EXPECT_TRUE(b->view()->isHidden()) << "inserted items wait to be shown";
    EXPECT_EQ(b->collectionView(), collection.get());
    EXPECT_EQ(a->view()->nextKeyView(), b->view().get());
    EXPECT_EQ(b->view()->nextKeyView(), c->view().get());

    auto first = std::make_shared<Item>("first");
    first->setView(make<View>(Rect(0, 0, 10, 10)));
    collection->insertItem(first, -3);
    auto last = std::make_shared<Item>("last");
    last->setView(make<View>(Rect(0, 0, 10, 10)));
    collection->insertItem(last, 99);
    EXPECT_EQ(collection->indexOfItem(first.get()), 0);
    EXPECT_EQ(collection->indexOfItem(last.get()), 4);
    EXPECT_EQ(first->view()->nextKeyView(), a->view().get());
    EXPECT_EQ(c->view()->nextKeyView(), last->view().get());

    // Deleting closes the loop over the item.
    collection->deleteItem(b);
    EXPECT_EQ(a->view()->nextKeyView(), c->view().get());
    EXPECT_EQ(b->collectionView(), nullptr);
    EXPECT_EQ(b->view()->superview(), nullptr);
    EXPECT_EQ(collection->viewItems().size(), 4u);
}

TEST_F(CollectionViewTest, LookupsAnswerNothingForWhatIsNotThere) {
    auto a = addItem("a", {10, 10});
    Item stranger("x");
    EXPECT_EQ(collection->findItemWithTag("a"), a);
    EXPECT_EQ(collection->findItemWithTag("x"), nullptr);
    EXPECT_EQ(collection->indexOfItem(&stranger), 2147483647);
    EXPECT_EQ(collection->itemAtIndex(-1), nullptr);
    EXPECT_EQ(collection->itemAtIndex(1), nullptr);
    EXPECT_EQ(collection->itemAtIndex(0), a);
    EXPECT_FALSE(collection->isItemVisible(&stranger));

    // Operations on a stranger do nothing, but deleting one still lays out.
    auto outsider = std::make_shared<Item>("y");
    outsider->setView(make<View>(Rect(0, 0, 10, 10)));
    collection->showItem(outsider, false);
    EXPECT_FALSE(outsider->view()->isHidden());
    collection->removeItem(outsider);
    EXPECT_EQ(outsider->collectionView(), nullptr);
    collection->setLayout(2);
    recorder.sizes.clear();
    collection->deleteItem(outsider);
    EXPECT_EQ(collection->viewItems().size(), 1u);
    ASSERT_EQ(recorder.sizes.size(), 1u);
    EXPECT_EQ(recorder.sizes[0], Size(0, 0));
}

TEST_F(CollectionViewTest, RemovingWithoutAnimationDeletesAtOnce) {
    auto a = addItem("a", {100, 40});
    collection->removeItem(a);
    EXPECT_TRUE(collection->viewItems().empty());
    EXPECT_EQ(a->collectionView(), nullptr);
    EXPECT_EQ(collection->runningAnimationCount(), 0u);
}

// Three items, the middle one 50 high with margins and filling the width: the animations put
// a holder in its place, which must not change what it asks for.
class AnimatedCollectionTest : public CollectionViewTest {
protected:
    void SetUp() override {
        CollectionViewTest::SetUp();
        build(*this);
    }
    static void build(AnimatedCollectionTest& t) {
        t.first = t.addItem("first", {100, 40});
        t.middle = t.addItem("middle", {120, 50});
        t.middle->setMargin(4, 4, 6, 6);
        t.middle->setAlignment(3);
        t.last = t.addItem("last", {80, 30});
    }
    // The frames and size of a twin collection that got `change` without animation.
    std::pair<std::vector<Rect>, Size>
    expectedAfter(const std::function<void(QXCollectionView&, Item&)>& change) {
        auto saved = collection;
        auto savedItems = std::vector{first, middle, last};
        collection = make<QXCollectionView>(Rect(0, 0, 300, 200));
        build(*this);
        change(*collection, *middle);
        auto result = std::make_pair(frames(), collection->requiredSize());
        collection = saved;
        first = savedItems[0];
        middle = savedItems[1];
        last = savedItems[2];
        return result;
    }

    std::shared_ptr<Item> first, middle, last;
};

TEST_F(AnimatedCollectionTest, RemovalFadesOutThenEndsAsAnImmediateRemoval) {
    const auto expected = expectedAfter(
        [](QXCollectionView& view, Item&) { view.removeItem(view.findItemWithTag("middle")); });
    collection->setAnimate(true);
    const auto real = middle->view();
    collection->removeItem(middle);

    EXPECT_EQ(collection->indexOfItem(middle.get()), 1) << "stays until the fade ends";
    EXPECT_FALSE(collection->isItemVisible(middle.get()));
    const auto holder = middle->view();
    EXPECT_NE(holder, real);
    EXPECT_EQ(real->superview(), holder.get());
    EXPECT_EQ(collection->runningAnimationCount(), 1u);

    platform::RunLoop::main().runFor(0.125);
    EXPECT_NEAR(real->alphaValue(), 0.5, 0.07) << "linear fade";
    EXPECT_EQ(collection->indexOfItem(middle.get()), 1);

    platform::RunLoop::main().runFor(0.125);
    EXPECT_EQ(collection->indexOfItem(middle.get()), QXCollectionView::NotFound);
    EXPECT_EQ(middle->collectionView(), nullptr);
    EXPECT_EQ(middle->view(), real) << "the item gets its own view back";
    EXPECT_EQ(real->superview(), nullptr);
    EXPECT_EQ(holder->superview(), nullptr);
    EXPECT_EQ(collection->runningAnimationCount(), 0u);
    EXPECT_EQ(frames(), expected.first);
    EXPECT_EQ(collection->requiredSize(), expected.second);
    EXPECT_EQ(collection->subviews().size(), 2u);
}

TEST_F(AnimatedCollectionTest, HidingAndShowingFadeAndEndAsWithoutAnimation) {
    const auto hidden = expectedAfter([](QXCollectionView& view, Item& item) {
        view.showItem(view.findItemWithTag(item.itemTag()), false);
    });
    collection->setAnimate(true);
    const auto real = middle->view();
    const auto shown = std::make_pair(frames(), collection->requiredSize());

    collection->showItem(middle, false);
    EXPECT_FALSE(collection->isItemVisible(middle.get()));
    platform::RunLoop::main().runFor(0.25);
    EXPECT_EQ(middle->view(), real);
    EXPECT_TRUE(real->isHidden());
    EXPECT_DOUBLE_EQ(real->alphaValue(), 1.0);
    EXPECT_EQ(frames(), hidden.first);
    EXPECT_EQ(collection->requiredSize(), hidden.second);

    collection->showItem(middle, true);
    EXPECT_TRUE(collection->isItemVisible(middle.get()))
        << "answers for the animation, not the view's own hidden state";
    platform::RunLoop::main().runFor(0.1);
    EXPECT_NEAR(real->alphaValue(), 0.4, 0.07); // within one 60 Hz step
    platform::RunLoop::main().runFor(0.15);
    EXPECT_EQ(middle->view(), real);
    EXPECT_FALSE(real->isHidden());
    EXPECT_DOUBLE_EQ(real->alphaValue(), 1.0);
    EXPECT_EQ(frames(), shown.first);
    EXPECT_EQ(collection->requiredSize(), shown.second);
    EXPECT_EQ(collection->subviews().size(), 3u);
}

TEST_F(AnimatedCollectionTest, AContraryRequestMidwayTakesOver) {
    collection->setAnimate(true);
    const auto real = middle->view();
    const auto shown = std::make_pair(frames(), collection->requiredSize());
    collection->showItem(middle, false);
    platform::RunLoop::main().runFor(0.1);
    collection->showItem(middle, true);
    EXPECT_TRUE(collection->isItemVisible(middle.get()));
    EXPECT_EQ(collection->runningAnimationCount(), 1u);
    platform::RunLoop::main().runFor(0.3);
    EXPECT_EQ(middle->view(), real);
    EXPECT_FALSE(real->isHidden());
    EXPECT_DOUBLE_EQ(real->alphaValue(), 1.0);
    EXPECT_EQ(frames(), shown.first);
    EXPECT_EQ(collection->subviews().size(), 3u) << "no holder left behind";
}

TEST_F(AnimatedCollectionTest, RevealGrowsFromTheMiddle) {
    collection->showItem(middle, false);
    collection->setAnimate(true);
    const auto real = middle->view();
    CVAnimation record;
    record.setItem(middle);
    record.setShowing(true);
    record.setReveal(true);
    collection->animateViewItem(record);
    EXPECT_EQ(real->frame(), Rect(0, 25, 292, 0));
    platform::RunLoop::main().runFor(0.125);
    EXPECT_NEAR(real->frame().height(), 25, 3.4);
    platform::RunLoop::main().runFor(0.125);
    EXPECT_FALSE(real->isHidden());
    EXPECT_EQ(middle->view(), real);
    EXPECT_EQ(real->frame(), Rect(4, 104, 292, 50));
    EXPECT_EQ(middle->requestedSize(), Size(120, 50));
}

TEST_F(AnimatedCollectionTest, AnimatedSwapLeavesTheNewViewShownAndTheOldOneGone) {
    collection->setAnimate(true);
    const auto old = middle->view();
    auto replacement = make<View>(Rect(0, 0, 90, 20));
    collection->swapView(replacement, middle);
    EXPECT_TRUE(collection->isItemVisible(middle.get()));
    EXPECT_EQ(collection->runningAnimationCount(), 2u);
    platform::RunLoop::main().runFor(0.25);
    EXPECT_EQ(collection->runningAnimationCount(), 0u);
    EXPECT_EQ(middle->view(), replacement);
    EXPECT_FALSE(replacement->isHidden());
    EXPECT_EQ(replacement->superview(), collection.get());
    EXPECT_TRUE(old->isHidden());
    EXPECT_EQ(old->superview(), nullptr);
    EXPECT_EQ(middle->requestedSize(), Size(90, 20));
    EXPECT_EQ(collection->subviews().size(), 3u);

    // Without animation the view is replaced at once.
    collection->setAnimate(false);
    auto third = make<View>(Rect(0, 0, 70, 10));
    collection->swapView(third, middle);
    EXPECT_EQ(middle->view(), third);
    EXPECT_EQ(replacement->superview(), nullptr);
    EXPECT_EQ(middle->requestedSize(), Size(70, 10));
}

TEST_F(AnimatedCollectionTest, RemoveAllFadesEveryItemAndEmptiesTheList) {
    collection->setAnimate(true);
    collection->showItem(last, false);
    platform::RunLoop::main().runFor(0.25);
    collection->removeAllItems();
    EXPECT_EQ(collection->viewItems().size(), 2u) << "the hidden item goes at once";
    platform::RunLoop::main().runFor(0.25);
    EXPECT_TRUE(collection->viewItems().empty());
    EXPECT_TRUE(collection->subviews().empty());
    EXPECT_EQ(collection->requiredSize(), Size(0, 0));
    EXPECT_EQ(recorder.sizes.back(), Size(0, 0));
}

TEST_F(AnimatedCollectionTest, GoingAwayMidAnimationStopsEverything) {
    collection->setAnimate(true);
    collection->removeItem(middle);
    collection->showItem(last, false);
    collection.reset();
    EXPECT_EQ(middle->collectionView(), nullptr);
    platform::RunLoop::main().runFor(0.5);
    EXPECT_EQ(platform::RunLoop::main().pendingCount(), 0u);
}

class FakeDrag : public platform::DraggingInfo {
public:
    platform::Pasteboard& draggingPasteboard() const override { return board; }
    platform::Object* draggingSource() const override { return nullptr; }
    platform::Point draggingLocation() const override { return {}; }
    platform::Window* draggingDestinationWindow() const override { return nullptr; }
    platform::DragOperation draggingSourceOperationMask() const override {
        return platform::DragOperationMove;
    }
    long draggingSequenceNumber() const override { return 1; }
    const std::shared_ptr<platform::Image>& draggedImage() const override { return image; }
    mutable platform::Pasteboard board{"test-drag"};
    std::shared_ptr<platform::Image> image;
};

TEST_F(CollectionViewTest, DropsAreCopiesHandedToTheDelegate) {
    FakeDrag drag;
    EXPECT_EQ(collection->draggingEntered(drag), platform::DragOperationCopy);
    EXPECT_EQ(collection->draggingUpdated(drag), platform::DragOperationCopy);
    EXPECT_TRUE(collection->prepareForDragOperation(drag));
    EXPECT_TRUE(collection->performDragOperation(drag));
    EXPECT_EQ(recorder.drops, 1);
    collection->setDelegate(nullptr);
    EXPECT_FALSE(collection->performDragOperation(drag));
    QXCollectionViewDelegate silent;
    collection->setDelegate(&silent);
    EXPECT_FALSE(collection->performDragOperation(drag));
}

} // namespace
