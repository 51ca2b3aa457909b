#include "widgets/QXViewLayoutManager.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

using platform::Rect;
using platform::Size;
using platform::View;

namespace {

constexpr platform::AutoresizingMask flexLeft = platform::ViewMinXMargin;
constexpr platform::AutoresizingMask flexRight = platform::ViewMaxXMargin;
constexpr platform::AutoresizingMask flexBottom = platform::ViewMinYMargin;
constexpr platform::AutoresizingMask flexTop = platform::ViewMaxYMargin;

std::shared_ptr<View> control(View& container, const Rect& frame, platform::AutoresizingMask mask) {
    auto view = platform::make<View>(frame);
    view->setAutoresizingMask(mask);
    container.addSubview(view);
    return view;
}

// A column in a 200 x 120 container: A pinned to the top, B and C chained below it by their
// flexible top margins (10 points apart), D pinned to the bottom.
class Column : public ::testing::Test {
protected:
    void SetUp() override {
        container->setAutoresizesSubviews(false);
        // Subviews out of order, so registration has to sort them.
        d = control(*container, {20, 5, 100, 20}, flexTop);
        c = control(*container, {20, 30, 100, 20}, flexBottom | flexTop);
        a = control(*container, {20, 90, 100, 20}, flexBottom);
        b = control(*container, {20, 60, 100, 20}, flexBottom | flexTop);
        manager.addView(container, container->frame().size, container->frame().size);
        manager.registerViewForVerticalLayout(container.get());
    }

    double y(const std::shared_ptr<View>& view) const { return view->frame().minY(); }

    std::shared_ptr<View> container = platform::make<View>(Rect{0, 0, 200, 120});
    std::shared_ptr<View> a, b, c, d;
    QXViewLayoutManager manager;
};

TEST_F(Column, RegistrationLinksNeighboursAndSortsTopDown) {
    const LayoutView* layout = manager.findView(container.get());
    ASSERT_NE(layout, nullptr);
    EXPECT_TRUE(layout->topDown());
    ASSERT_EQ(layout->controls().size(), 4u);
    std::vector<View*> order;
    for (const auto& entry : layout->controls())
        order.push_back(entry->view());
    EXPECT_EQ(order, (std::vector<View*>{a.get(), b.get(), c.get(), d.get()}));

    const auto& ca = *layout->controls()[0];
    const auto& cb = *layout->controls()[1];
    const auto& cc = *layout->controls()[2];
    const auto& cd = *layout->controls()[3];
    // A fixed top margin is a gap to the container's edge; a flexible one links a neighbour.
    EXPECT_EQ(ca.topNeighbour(), nullptr);
    EXPECT_EQ(ca.topSpace(), 10);
    EXPECT_EQ(ca.bottomNeighbour(), &cb);
    EXPECT_EQ(ca.bottomSpace(), 10);
    EXPECT_EQ(cb.topNeighbour(), &ca);
    EXPECT_EQ(cb.topSpace(), 10);
    EXPECT_EQ(cc.topNeighbour(), &cb);
    EXPECT_EQ(cc.bottomNeighbour(), &cd);
    EXPECT_EQ(cc.bottomSpace(), 5);
    EXPECT_EQ(cd.topNeighbour(), &cc);
    EXPECT_EQ(cd.topSpace(), 5);
    EXPECT_EQ(cd.bottomNeighbour(), nullptr);
    EXPECT_EQ(cd.bottomSpace(), 5);
    // No flexible horizontal margins: both gaps are to the container's edges.
    EXPECT_EQ(cb.leftSpace(), 20);
    EXPECT_EQ(cb.rightSpace(), 80);
    EXPECT_EQ(cb.leftNeighbour(), nullptr);
}

TEST_F(Column, HiddenControlsCloseUp) {
    struct Case {
        const char* name;
        bool hideA, hideB;
        double height;
        double ya, yb, yc, yd;
    };
    const Case cases[] = {
        {"all shown", false, false, 120, 90, 60, 30, 5},
        {"B hidden: C follows A", false, true, 120, 90, 60, 60, 5},
        // With nothing visible above it, C falls back to its bottom gap (to D).
        {"A and B hidden", true, true, 120, 90, 60, 5, 5},
        {"taller container: the chain follows the top", false, false, 200, 170, 140, 110, 5},
        // D's gap above it still fits in a short container, so D is pushed down.
        {"short container", false, false, 20, -10, -40, -70, -5},
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(t.name);
        a->setHidden(t.hideA);
        b->setHidden(t.hideB);
        container->setFrameSize({200, t.height});
        manager.layoutView(container.get());
        // Hidden controls are only moved when a visible one places them as its neighbour.
        if (!t.hideA) {
            EXPECT_EQ(y(a), t.ya);
        }
        if (!t.hideB) {
            EXPECT_EQ(y(b), t.yb);
        }
        EXPECT_EQ(y(c), t.yc);
        EXPECT_EQ(y(d), t.yd);
        EXPECT_EQ(c->frame().minX(), 20);
        EXPECT_EQ(c->frame().size, Size(100, 20));
    }
}

TEST_F(Column, MinimumSizeHoldsTheVisibleChain) {
    // 10 + A 20 + 10 + B 20 + 10 + C 20 + 5 to C's bottom neighbour.
    EXPECT_EQ(manager.minimumSizeOfView(container.get()), Size(200, 95));
    b->setHidden(true);
    EXPECT_EQ(manager.minimumSizeOfView(container.get()), Size(200, 65));
    EXPECT_EQ(manager.minimumSizeOfView(nullptr), Size());
}

TEST_F(Column, GapsAreReadAtRegistrationOnly) {
    c->setFrameOrigin({20, 20});
    manager.layoutView(container.get());
    EXPECT_EQ(y(c), 30);

    c->setFrameOrigin({20, 20});
    manager.registerViewForVerticalLayout(container.get());
    manager.layoutView(container.get());
    EXPECT_EQ(y(c), 20);
    EXPECT_EQ(y(b), 60);
}

TEST(QXViewLayoutManager, RowFollowsVisibleLeftNeighbourOrTheRightEdge) {
    auto container = platform::make<View>(Rect{0, 0, 300, 40});
    container->setAutoresizesSubviews(false);
    auto label = control(*container, {10, 10, 50, 20}, 0);
    auto field = control(*container, {70, 10, 100, 20}, flexLeft | flexRight);
    auto button = control(*container, {250, 10, 40, 20}, flexLeft);
    QXViewLayoutManager manager;
    manager.addView(container, {300, 40}, {300, 40});
    manager.registerViewForHorizontalLayout(container.get());
    EXPECT_FALSE(manager.findView(container.get())->topDown());

    struct Case {
        const char* name;
        bool hideLabel;
        Size size;
        Rect label, field, button;
    };
    const Case cases[] = {
        {"as loaded", false, {300, 40}, {10, 10, 50, 20}, {70, 10, 100, 20}, {250, 10, 40, 20}},
        {"label hidden", true, {300, 40}, {10, 10, 50, 20}, {10, 10, 100, 20}, {250, 10, 40, 20}},
        {"wider", false, {400, 40}, {10, 10, 50, 20}, {70, 10, 100, 20}, {350, 10, 40, 20}},
        {"lower: top gaps kept",
         false,
         {300, 30},
         {10, 0, 50, 20},
         {70, 0, 100, 20},
         {250, 0, 40, 20}},
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(t.name);
        label->setHidden(t.hideLabel);
        container->setFrameSize(t.size);
        manager.layoutView(container.get());
        if (!t.hideLabel) {
            EXPECT_EQ(label->frame(), t.label);
        }
        EXPECT_EQ(field->frame(), t.field);
        EXPECT_EQ(button->frame(), t.button);
    }
}

TEST(QXViewLayoutManager, NeighbourTiesKeepTheFirstInSubviewOrder) {
    auto container = platform::make<View>(Rect{0, 0, 200, 100});
    auto left = control(*container, {0, 60, 50, 20}, 0);
    auto right = control(*container, {40, 60, 50, 20}, 0);
    auto below = control(*container, {30, 10, 30, 20}, flexTop | flexBottom);
    QXViewLayoutManager manager;
    manager.addView(container, {}, {});
    manager.registerViewForVerticalLayout(container.get());
    const auto& controls = manager.findView(container.get())->controls();
    const auto found = std::find_if(controls.begin(), controls.end(),
                                    [&](const auto& c) { return c->view() == below.get(); });
    ASSERT_NE(found, controls.end());
    ASSERT_NE((*found)->topNeighbour(), nullptr);
    EXPECT_EQ((*found)->topNeighbour()->view(), left.get());
    EXPECT_EQ((*found)->topSpace(), 30);
}

TEST(QXViewLayoutManager, SortComparators) {
    struct Case {
        const char* name;
        Rect k, o;
        int topDown, leftToRight;
    };
    const Case cases[] = {
        {"K contains O", {0, 0, 100, 100}, {10, 10, 10, 10}, 0, 0},
        {"K in a column right of O", {200, 0, 10, 10}, {0, 0, 50, 10}, 1, 1},
        {"K left of O", {0, 0, 10, 10}, {50, 0, 10, 10}, -1, -1},
        {"same column, O above", {0, 0, 100, 20}, {0, 50, 100, 20}, 1, 1},
        {"same column, O below", {0, 50, 100, 20}, {0, 0, 100, 20}, -1, -1},
        // Left to right reads rows from the top: a lower control on the left comes later.
        {"K right and above O", {200, 50, 10, 10}, {0, 0, 50, 10}, 1, -1},
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(t.name);
        ControlLayout k(platform::make<View>(t.k));
        ControlLayout o(platform::make<View>(t.o));
        EXPECT_EQ(k.sortTopDown(o), t.topDown);
        EXPECT_EQ(k.sortLeftToRight(o), t.leftToRight);
    }
}

TEST(QXViewLayoutManager, LimitsAndRequiredSize) {
    auto top = platform::make<View>(Rect{0, 0, 100, 40});
    auto middle = platform::make<View>(Rect{0, 0, 150, 40});
    auto hidden = platform::make<View>(Rect{0, 0, 500, 500});
    hidden->setHidden(true);
    QXViewLayoutManager manager;
    manager.addView(top, {50, 10}, {300, 300});
    manager.addView(middle, {200, 10}, {300, 50});
    manager.addView(hidden, {}, {});
    // Adding again keeps one entry and takes the new limits.
    manager.addView(top, {50, 10}, {300, 300});
    EXPECT_EQ(manager.findView(top.get())->maximumSize(), Size(300, 300));

    // Hidden containers do not count; each size is held within its limits.
    EXPECT_EQ(manager.calculateRequiredSize(), Size(100 + 200, 40 + 40));

    // A required size fixes the container: growing leaves it alone.
    manager.setRequiredSize({100, 40}, top.get());
    EXPECT_EQ(manager.growViewsHeightBy(30), 10);
    EXPECT_EQ(top->frame().size, Size(100, 40));
    EXPECT_EQ(middle->frame().height(), 50);
    EXPECT_EQ(manager.growViewsWidthBy(30), 30);
    EXPECT_EQ(middle->frame().width(), 180);
    EXPECT_EQ(top->frame().width(), 100);

    manager.setViewsHeightTo(1000);
    EXPECT_EQ(top->frame().height(), 40);
    EXPECT_EQ(middle->frame().height(), 50);
    EXPECT_EQ(hidden->frame().height(), 0); // hidden ones too

    manager.removeView(top.get());
    EXPECT_EQ(manager.findView(top.get()), nullptr);
    manager.removeView(top.get());
}

TEST(QXViewLayoutManager, ArrangeTopDownSharesSpareHeightWithoutOvershooting) {
    struct Part {
        double height, minHeight, maxHeight;
        bool hidden = false;
        double maxWidth = 400;
    };
    struct Case {
        const char* name;
        double superHeight;
        std::vector<Part> parts;
        std::vector<double> heights; // after arranging
        std::vector<double> ys;      // of the visible parts
    };
    const Case cases[] = {
        // The shares used to stay at rest / all containers: A overshot to its maximum of 100
        // (115 in a superview of 100).
        {"one part stops growing early", 100, {{10, 10, 100}, {10, 10, 15}}, {85, 15}, {15, 0}},
        // The fixed share shrank A to its minimum, leaving 10 points empty.
        {"shrinking", 50, {{40, 10, 40}, {40, 30, 40}}, {20, 30}, {30, 0}},
        {"fixed sizes keep the rest and stack from the top",
         200,
         {{40, 40, 40}, {30, 30, 30}},
         {40, 30},
         {160, 130}},
        {"spare height beyond every maximum is left", 200, {{10, 10, 50}}, {50}, {150}},
        {"hidden parts take no share and keep their size",
         100,
         {{10, 10, 100}, {10, 10, 100, true}, {20, 20, 20}},
         {80, 10, 20},
         {20, 0}},
        // A part above its maximum snaps down and the others take the height it frees.
        {"a part above its maximum", 100, {{60, 10, 40}, {10, 10, 100}}, {40, 60}, {60, 0}},
        {"exact fit", 70, {{30, 10, 100}, {40, 10, 100}}, {30, 40}, {40, 0}},
        {"narrow part is centred", 100, {{100, 100, 100, false, 200}}, {100}, {0}},
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(t.name);
        auto superview = platform::make<View>(Rect{0, 0, 300, t.superHeight});
        superview->setAutoresizesSubviews(false);
        QXViewLayoutManager manager;
        std::vector<std::shared_ptr<View>> views;
        for (const Part& part : t.parts) {
            auto view = platform::make<View>(Rect{7, 7, 100, part.height});
            view->setHidden(part.hidden);
            manager.addView(view, {100, part.minHeight}, {part.maxWidth, part.maxHeight});
            views.push_back(view);
        }
        const Size arranged = manager.arrangeAllViewsTopDownInSuperview(*superview);

        double stacked = 0;
        std::size_t visible = 0;
        for (std::size_t i = 0; i < views.size(); ++i) {
            SCOPED_TRACE(i);
            const Rect f = views[i]->frame();
            EXPECT_EQ(views[i]->superview(), superview.get());
            EXPECT_NEAR(f.height(), t.heights[i], 1e-9);
            const double width = std::min(300.0, t.parts[i].maxWidth);
            EXPECT_EQ(f.width(), width);
            if (t.parts[i].hidden)
                continue;
            ASSERT_LT(visible, t.ys.size());
            EXPECT_NEAR(f.minY(), t.ys[visible++], 1e-9);
            EXPECT_EQ(f.minX(), (300 - width) / 2);
            stacked += f.height();
        }
        EXPECT_LE(stacked, t.superHeight + 1e-9);
        EXPECT_NEAR(arranged.height, stacked, 1e-9);
        EXPECT_EQ(arranged.width, 300);
    }
}

TEST(QXViewLayoutManager, ArrangeLeftRightOnlyAnswersTheSuperviewSize) {
    auto superview = platform::make<View>(Rect{0, 0, 300, 100});
    auto part = platform::make<View>(Rect{5, 5, 10, 10});
    QXViewLayoutManager manager;
    manager.addView(part, {}, {100, 100});
    EXPECT_EQ(manager.arrangeAllViewsLeftRightInSuperview(*superview), Size(300, 100));
    EXPECT_EQ(part->frame(), Rect(5, 5, 10, 10));
}

} // namespace
