#include "KitTestSupport.h"

#include <cmath>

namespace kittest {
namespace {

using platform::AutoresizingMask;
using platform::ViewHeightSizable;
using platform::ViewMaxXMargin;
using platform::ViewMaxYMargin;
using platform::ViewMinXMargin;
using platform::ViewMinYMargin;
using platform::ViewWidthSizable;

class FlippableView : public View {
public:
    FlippableView(const Rect& frame, bool flipped) : View(frame), flipped_(flipped) {}
    bool isFlipped() const override { return flipped_; }

private:
    bool flipped_;
};

void expectRectNear(const Rect& actual, const Rect& expected, const std::string& context) {
    EXPECT_NEAR(actual.minX(), expected.minX(), 1e-9) << context;
    EXPECT_NEAR(actual.minY(), expected.minY(), 1e-9) << context;
    EXPECT_NEAR(actual.width(), expected.width(), 1e-9) << context;
    EXPECT_NEAR(actual.height(), expected.height(), 1e-9) << context;
}

struct ResizeCase {
    AutoresizingMask mask;
    bool flippedSuperview;
    Size newSize;
    Rect expected;
};

// A 100 x 50 view at (20, 10) in a 200 x 100 superview: the superview's change is shared
// evenly among the flexible parts of each axis; in a flipped superview the bottom margin is
// the one at the large y.
TEST_F(KitTest, AutoresizingSharesTheChangeAmongFlexibleParts) {
    const ResizeCase cases[] = {
        {0, false, {300, 150}, {20, 10, 100, 50}},
        {ViewMinXMargin, false, {300, 150}, {120, 10, 100, 50}},
        {ViewWidthSizable, false, {300, 150}, {20, 10, 200, 50}},
        {ViewMaxXMargin, false, {300, 150}, {20, 10, 100, 50}},
        {ViewMinXMargin | ViewMaxXMargin, false, {300, 150}, {70, 10, 100, 50}},
        {ViewMinXMargin | ViewWidthSizable | ViewMaxXMargin,
         false,
         {300, 150},
         {20 + 100.0 / 3, 10, 100 + 100.0 / 3, 50}},
        {ViewWidthSizable | ViewHeightSizable, false, {300, 150}, {20, 10, 200, 100}},
        {ViewMinYMargin, false, {300, 150}, {20, 60, 100, 50}},
        {ViewMinYMargin, true, {300, 150}, {20, 10, 100, 50}},
        {ViewMaxYMargin, false, {300, 150}, {20, 10, 100, 50}},
        {ViewMaxYMargin, true, {300, 150}, {20, 60, 100, 50}},
        {ViewHeightSizable | ViewMaxYMargin, false, {300, 150}, {20, 10, 100, 75}},
        {ViewHeightSizable | ViewMaxYMargin, true, {300, 150}, {20, 35, 100, 75}},
        {ViewWidthSizable | ViewMaxYMargin, false, {250, 80}, {20, 10, 150, 50}},
        {ViewWidthSizable | ViewMinYMargin, false, {250, 80}, {20, -10, 150, 50}},
        // A size never goes below zero.
        {ViewWidthSizable, false, {50, 100}, {20, 10, 0, 50}},
    };
    for (const auto& c : cases) {
        auto superview = std::make_shared<FlippableView>(Rect(0, 0, 200, 100), c.flippedSuperview);
        auto view = std::make_shared<View>(Rect(20, 10, 100, 50));
        view->setAutoresizingMask(c.mask);
        superview->addSubview(view);
        superview->setFrameSize(c.newSize);
        expectRectNear(view->frame(), c.expected,
                       "mask " + std::to_string(c.mask) +
                           (c.flippedSuperview ? " flipped" : " unflipped"));
    }
}

TEST_F(KitTest, AutoresizingFollowsTheHierarchyUnlessSwitchedOff) {
    auto top = std::make_shared<View>(Rect(0, 0, 200, 100));
    auto middle = std::make_shared<View>(Rect(0, 0, 200, 100));
    auto leaf = std::make_shared<View>(Rect(10, 10, 50, 20));
    middle->setAutoresizingMask(ViewWidthSizable | ViewHeightSizable);
    leaf->setAutoresizingMask(ViewMinXMargin);
    top->addSubview(middle);
    middle->addSubview(leaf);

    top->setFrameSize({300, 100});
    EXPECT_EQ(middle->frame(), Rect(0, 0, 300, 100));
    EXPECT_EQ(leaf->frame(), Rect(110, 10, 50, 20));

    middle->setAutoresizesSubviews(false);
    top->setFrameSize({400, 100});
    EXPECT_EQ(middle->frame(), Rect(0, 0, 400, 100));
    EXPECT_EQ(leaf->frame(), Rect(110, 10, 50, 20));
}

// Window base <- A (unflipped, at 10,20) <- B (flipped, at 5,5 in A) <- C (unflipped, at 10,10
// in B, so 10 points below B's top edge).
class ConversionTest : public KitTest {
protected:
    void SetUp() override {
        KitTest::SetUp();
        window = makeWindow({0, 0, 400, 300});
        a = std::make_shared<FlippableView>(Rect(10, 20, 200, 100), false);
        b = std::make_shared<FlippableView>(Rect(5, 5, 100, 50), true);
        c = std::make_shared<FlippableView>(Rect(10, 10, 30, 20), false);
        window->contentView()->addSubview(a);
        a->addSubview(b);
        b->addSubview(c);
    }
    std::shared_ptr<Window> window;
    std::shared_ptr<FlippableView> a, b, c;
};

TEST_F(ConversionTest, PointsConvertThroughFlippedAndUnflippedViews) {
    struct Case {
        View* view;
        Point local;
        Point base;
    };
    const Case cases[] = {
        {a.get(), {0, 0}, {10, 20}},     {a.get(), {200, 100}, {210, 120}},
        {b.get(), {0, 0}, {15, 75}}, // B's origin is its top left
        {b.get(), {100, 50}, {115, 25}}, {c.get(), {0, 0}, {25, 45}},
        {c.get(), {30, 20}, {55, 65}},
    };
    for (const auto& k : cases) {
        EXPECT_EQ(k.view->convertPointToView(k.local, nullptr), k.base);
        EXPECT_EQ(k.view->convertPointFromView(k.base, nullptr), k.local);
    }
    // Between views directly, both ways.
    EXPECT_EQ(c->convertPointToView({0, 0}, b.get()), Point(10, 30));
    EXPECT_EQ(b->convertPointToView({10, 30}, c.get()), Point(0, 0));
    EXPECT_EQ(a->convertPointFromView({0, 0}, c.get()), Point(15, 25));
}

TEST_F(ConversionTest, RectsComeOutNormalisedAndBoundsOriginShifts) {
    EXPECT_EQ(c->convertRectToView(c->bounds(), nullptr), Rect(25, 45, 30, 20));
    // B is flipped: its rectangle (0, 0, 100, 10) is its top strip.
    EXPECT_EQ(b->convertRectToView({0, 0, 100, 10}, nullptr), Rect(15, 65, 100, 10));
    EXPECT_EQ(b->convertRectFromView({15, 65, 100, 10}, nullptr), Rect(0, 0, 100, 10));
    EXPECT_EQ(c->convertSizeToView({30, 20}, nullptr), Size(30, 20));

    a->setBoundsOrigin({5, 5});
    EXPECT_EQ(b->convertPointToView({0, 0}, nullptr), Point(10, 70));
    EXPECT_EQ(a->convertPointToView({5, 5}, nullptr), Point(10, 20));
}

TEST_F(ConversionTest, HitTestingFindsTheDeepestVisibleView) {
    View* root = window->contentView();
    EXPECT_EQ(root->hitTest({30, 50}), c.get());
    EXPECT_EQ(root->hitTest({100, 30}), b.get()); // inside B, below C
    EXPECT_EQ(root->hitTest({150, 110}), a.get());
    EXPECT_EQ(root->hitTest({300, 250}), root);
    EXPECT_EQ(root->hitTest({500, 10}), nullptr);

    // Unflipped, the top edge belongs to the view and the bottom edge does not.
    EXPECT_EQ(root->hitTest({150, 120}), a.get());
    EXPECT_EQ(root->hitTest({150, 20}), root);

    c->setHidden(true);
    EXPECT_EQ(root->hitTest({30, 50}), b.get());
    b->setHidden(true);
    c->setHidden(false);
    EXPECT_EQ(root->hitTest({30, 50}), a.get()); // a hidden ancestor hides C too
}

TEST_F(ConversionTest, VisibleRectIsClippedByAncestorsAndHiddenness) {
    auto wide = std::make_shared<View>(Rect(-20, 10, 100, 10));
    a->addSubview(wide);
    EXPECT_EQ(wide->visibleRect(), Rect(20, 0, 80, 10));
    a->setHidden(true);
    EXPECT_EQ(wide->visibleRect(), Rect());
}

TEST_F(KitTest, HierarchyKeepsPointersAndResponderLinksInStep) {
    auto window = makeWindow();
    auto parent = std::make_shared<View>(Rect(0, 0, 100, 100));
    auto child = std::make_shared<RecordingView>(Rect(10, 10, 20, 20));
    child->acceptsFirst = true;
    window->contentView()->addSubview(parent);
    parent->addSubview(child);
    EXPECT_EQ(child->window(), window.get());
    EXPECT_EQ(child->superview(), parent.get());
    EXPECT_EQ(child->nextResponder(), parent.get());
    EXPECT_EQ(window->contentView()->nextResponder(), window.get());
    ASSERT_TRUE(window->makeFirstResponder(child.get()));

    // Removing the first responder's ancestor hands the post back to the window.
    parent->removeFromSuperview();
    EXPECT_EQ(child->window(), nullptr);
    EXPECT_EQ(parent->window(), nullptr);
    EXPECT_EQ(parent->superview(), nullptr);
    EXPECT_EQ(window->firstResponder(), window.get());
    EXPECT_EQ(child->superview(), parent.get());

    // A destroyed superview leaves no dangling pointer in a child kept elsewhere.
    parent.reset();
    EXPECT_EQ(child->superview(), nullptr);
    EXPECT_EQ(child->nextResponder(), nullptr);
}

TEST_F(KitTest, SubviewsCanBePlacedAndReplaced) {
    auto root = std::make_shared<View>(Rect(0, 0, 100, 100));
    auto first = std::make_shared<View>();
    auto second = std::make_shared<View>();
    auto third = std::make_shared<View>();
    root->addSubview(first);
    root->addSubview(second);
    root->addSubview(third, platform::WindowOrderingMode::Below, second.get());
    ASSERT_EQ(root->subviews().size(), 3u);
    EXPECT_EQ(root->subviews()[1], third);

    auto replacement = std::make_shared<View>();
    replacement->setTag(7);
    root->replaceSubview(third.get(), replacement);
    EXPECT_EQ(root->subviews()[1], replacement);
    EXPECT_EQ(third->superview(), nullptr);
    EXPECT_EQ(root->viewWithTag(7), replacement.get());
    EXPECT_EQ(root->viewWithTag(8), nullptr);
}

TEST_F(KitTest, KeyViewLoopSkipsViewsThatCannotBecomeKeyAndSurvivesLoss) {
    auto window = makeWindow();
    std::vector<std::shared_ptr<RecordingView>> views;
    for (int i = 0; i < 3; ++i) {
        views.push_back(std::make_shared<RecordingView>(Rect(10, 150 - 40.0 * i, 100, 20)));
        views.back()->acceptsFirst = true;
        window->contentView()->addSubview(views.back());
    }
    window->recalculateKeyViewLoop();
    EXPECT_EQ(views[0]->nextKeyView(), views[1].get());
    EXPECT_EQ(views[2]->nextKeyView(), views[0].get());
    EXPECT_EQ(views[1]->previousKeyView(), views[0].get());

    views[1]->setHidden(true);
    EXPECT_EQ(views[0]->nextValidKeyView(), views[2].get());

    views[2]->removeFromSuperview();
    views[2].reset();
    EXPECT_EQ(views[1]->nextKeyView(), nullptr);
    EXPECT_EQ(views[0]->nextValidKeyView(), nullptr);
}

TEST_F(KitTest, UnhidingTellsTheViewAndItsVisibleDescendants) {
    struct Counting : View {
        using View::View;
        void viewDidUnhide() override { ++unhides; }
        void viewDidHide() override { ++hides; }
        int unhides = 0;
        int hides = 0;
    };
    auto parent = std::make_shared<Counting>(Rect(0, 0, 10, 10));
    auto child = std::make_shared<Counting>(Rect(0, 0, 5, 5));
    auto hiddenChild = std::make_shared<Counting>(Rect(0, 0, 5, 5));
    parent->addSubview(child);
    parent->addSubview(hiddenChild);
    hiddenChild->setHidden(true);
    parent->setHidden(true);
    parent->setHidden(true);
    parent->setHidden(false);
    EXPECT_EQ(parent->hides, 1);
    EXPECT_EQ(parent->unhides, 1);
    EXPECT_EQ(child->unhides, 1);
    EXPECT_EQ(hiddenChild->unhides, 0);
}

} // namespace
} // namespace kittest
