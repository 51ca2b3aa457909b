#include "QXBaseWindowTestSupport.h"
#include "widgets/QXBaseWindow.h"
#include "widgets/QXPartitionView.h"

#include <vector>

namespace skinned_test {
namespace {

using platform::make;
using platform::View;

struct ModuleSpec {
    double minHeight = 0;
    double maxHeight = 10000;
    double height = 10;
    QXModuleSpace space{};
    bool visible = true;
    double maxWidth = 10000;
};

// A partition view `width` x `height` holding modules made to `specs`, every module view
// starting `width` wide.
std::shared_ptr<QXPartitionView> makeStack(double width, double height,
                                           const std::vector<ModuleSpec>& specs) {
    auto stack = make<QXPartitionView>(Rect(0, 0, width, height));
    for (std::size_t i = 0; i < specs.size(); ++i) {
        const ModuleSpec& s = specs[i];
        stack->addModule(std::make_shared<View>(Rect(0, 0, width, s.height)),
                         "module" + std::to_string(i));
        stack->setModuleConstraints(static_cast<long>(i), {0, s.minHeight},
                                    {s.maxWidth, s.maxHeight});
        stack->setModuleSpaceing(static_cast<long>(i), s.space);
        if (!s.visible)
            stack->setModule(static_cast<long>(i), false);
    }
    return stack;
}

TEST(QXPartitionView, SharingExtraAndMissingHeight) {
    const struct {
        const char* what;
        double width, height;
        std::vector<ModuleSpec> modules;
        std::vector<Rect> frames;
    } cases[] = {
        {"the first at its fixed height, the second takes the rest, 5 points apart",
         200,
         400,
         {{100, 100, 100, {0, 5}}, {50, 10000, 50}},
         {{0, 300, 200, 100}, {0, 0, 200, 295}}},
        {"neither can shrink: the stack overflows the bottom",
         200,
         120,
         {{100, 100, 100, {0, 5}}, {50, 10000, 50}},
         {{0, 20, 200, 100}, {0, -35, 200, 50}}},
        {"equal shares",
         200,
         330,
         {{}, {}, {}},
         {{0, 220, 200, 110}, {0, 110, 200, 110}, {0, 0, 200, 110}}},
        {"one reaches its maximum, the others share what it cannot take",
         200,
         350,
         {{0, 50}, {}, {}},
         {{0, 300, 200, 50}, {0, 150, 200, 150}, {0, 0, 200, 150}}},
        {"shrinking stops at a minimum, the other gives the rest",
         200,
         100,
         {{80, 10000, 100}, {0, 10000, 100}},
         {{0, 20, 200, 80}, {0, 0, 200, 20}}},
        {"a module at its minimum and one at its maximum: the space stays empty at the bottom",
         200,
         300,
         {{60, 60, 60, {0, 10}}, {20, 100, 40}},
         {{0, 240, 200, 60}, {0, 130, 200, 100}}},
        {"a hidden module joins the gaps: max(after of the upper, before of the lower)",
         200,
         200,
         {{0, 10000, 50, {0, 5}}, {0, 10000, 30, {20, 20}, false}, {0, 10000, 50, {8, 0}}},
         {{0, 104, 200, 96}, {0, 0, 200, 30}, {0, 0, 200, 96}}},
        {"the larger of the two spacings separates neighbours",
         200,
         100,
         {{40, 40, 40, {0, 3}}, {40, 40, 40, {12, 0}}},
         {{0, 60, 200, 40}, {0, 8, 200, 40}}},
        {"a narrower module is centred",
         300,
         50,
         {{50, 50, 50, {}, true, 100}},
         {{100, 0, 100, 50}}},
        {"nothing visible: nothing moves",
         200,
         100,
         {{0, 10000, 30, {}, false}},
         {{0, 0, 200, 30}}},
    };
    for (const auto& c : cases) {
        auto stack = makeStack(c.width, c.height, c.modules);
        stack->setFrame(Rect(0, 0, c.width, c.height));
        ASSERT_EQ(stack->moduleCount(), c.frames.size()) << c.what;
        for (std::size_t i = 0; i < c.frames.size(); ++i) {
            const Rect f = stack->getModuleView(static_cast<long>(i))->frame();
            const Rect& e = c.frames[i];
            EXPECT_TRUE(
                std::abs(f.minX() - e.minX()) < 0.01 && std::abs(f.minY() - e.minY()) < 0.01 &&
                std::abs(f.width() - e.width()) < 0.01 && std::abs(f.height() - e.height()) < 0.01)
                << c.what << ", module " << i << ": " << platform::stringFromRect(f);
        }
    }
}

TEST(QXPartitionView, LimitsAndDesiredSizeComeFromTheVisibleModules) {
    const struct {
        const char* what;
        std::vector<ModuleSpec> modules;
        double minimum, maximum, desired;
    } cases[] = {
        {"two modules 5 apart", {{100, 100, 100, {0, 5}}, {50, 10000, 50}}, 155, 10105, 155},
        {"a module that may vanish brings no gap to the minimum",
         {{0, 80, 20, {0, 5}}, {50, 10000, 50}},
         50,
         10085,
         75},
        {"hidden modules count for nothing",
         {{100, 100, 100, {0, 5}}, {50, 10000, 50, {}, false}},
         100,
         100,
         100},
        {"no module visible", {{30, 30, 30, {}, false}}, 0, 0, 0},
    };
    for (const auto& c : cases) {
        auto stack = makeStack(200, 300, c.modules);
        EXPECT_DOUBLE_EQ(stack->minimumSize().height, c.minimum) << c.what;
        EXPECT_DOUBLE_EQ(stack->maximumSize().height, c.maximum) << c.what;
        EXPECT_DOUBLE_EQ(stack->desiredSize().height, c.desired) << c.what;
    }

    // Widths: the largest limit among the visible modules.
    auto stack = makeStack(200, 300, {{}, {}});
    stack->setModuleConstraints(0, {120, 0}, {150, 100});
    stack->setModuleConstraints(1, {80, 0}, {400, 100});
    EXPECT_DOUBLE_EQ(stack->minimumSize().width, 120);
    EXPECT_DOUBLE_EQ(stack->maximumSize().width, 400);
    EXPECT_TRUE(stack->canResize());
}

TEST(QXPartitionView, ConstraintsFitTheModuleAtOnce) {
    auto stack = makeStack(200, 300, {{0, 10000, 40}});
    stack->setModuleConstraints(0, {0, 60}, {100, 80}); // the minimum wins over the height
    EXPECT_EQ(stack->moduleSize(0), Size(100, 60));
    stack->setModuleConstraints(0, {0, 10}, {300, 20}); // the maximum cuts it
    EXPECT_EQ(stack->moduleSize(0), Size(100, 20));
    stack->setModuleConstraints(0, {0, 90}, {300, 20}); // minimum above maximum: minimum
    EXPECT_EQ(stack->moduleSize(0), Size(100, 90));
}

TEST(QXPartitionView, MovingModulesAndBadIndexes) {
    const struct {
        long index, position;
        const char* order;
    } moves[] = {
        {0, 10, "bcda"}, {3, -5, "dabc"}, {1, 2, "acbd"},
        {2, 3, "abdc"},  {7, 0, "abcd"},  {-1, 2, "abcd"},
    };
    for (const auto& m : moves) {
        auto stack = make<QXPartitionView>(Rect(0, 0, 100, 100));
        for (const char* name : {"a", "b", "c", "d"})
            stack->addModule(std::make_shared<View>(Rect(0, 0, 10, 10)), name);
        stack->moveModule(m.index, m.position);
        std::string order;
        for (const auto& module : stack->modules())
            order += module->name();
        EXPECT_EQ(order, m.order) << m.index << " to " << m.position;
    }

    auto stack = make<QXPartitionView>(Rect(0, 0, 100, 100));
    auto a = std::make_shared<View>(Rect(0, 0, 10, 10));
    auto b = std::make_shared<View>(Rect(0, 0, 10, 10));
    stack->addModule(a, "a");
    stack->addModule(b, "b");
    stack->moveModuleToFront(1);
    EXPECT_EQ(stack->getModuleIndex(b.get()), 0);
    stack->moveModuleToEnd(0);
    EXPECT_EQ(stack->getModuleIndex(b.get()), 1);
    EXPECT_EQ(a->superview(), stack.get());

    View stranger;
    EXPECT_EQ(stack->getModuleIndex(&stranger), -1);
    EXPECT_EQ(stack->getModuleView(2), nullptr);
    EXPECT_EQ(stack->getModuleView(-1), nullptr);
    EXPECT_EQ(stack->moduleSize(5), Size());
    EXPECT_FALSE(stack->moduleVisible(5));
    EXPECT_EQ(stack->moduleSpace(-3), QXModuleSpace());
    stack->setModule(5, false);
    stack->setModuleConstraints(5, {1, 1}, {2, 2});
    stack->setModuleSpaceing(5, {3, 3});
    EXPECT_TRUE(stack->moduleVisible(0));
}

class QXPartitionViewWindowTest : public SkinnedWindowTest {};

TEST_F(QXPartitionViewWindowTest, ShowingAndHidingModulesResizesTheWindow) {
    auto window = make<QXBaseWindow>(Rect(100, 100, 200, 300), platform::ResizableWindowMask);
    window->setBkgMarginsLeft(0, 0, 0, 0);
    auto stack =
        makeStack(200, 300, {{100, 100, 100, {0, 10}}, {50, 50, 50, {10, 10}}, {40, 40, 40}});
    window->setContentView(stack);
    window->setContentSize({200, stack->desiredSize().height});
    EXPECT_EQ(window->frame(), Rect(100, 190, 200, 210)); // 100 + 10 + 50 + 10 + 40

    // Hiding the middle module joins the gaps around it (10) and shrinks the window by 60.
    stack->setModule(1, false);
    EXPECT_EQ(window->frame(), Rect(100, 250, 200, 150));
    EXPECT_EQ(stack->getModuleView(0)->frame(), Rect(0, 50, 200, 100));
    EXPECT_EQ(stack->getModuleView(2)->frame(), Rect(0, 0, 200, 40));

    // Showing it again grows the window by its height plus its gaps, keeping the top edge.
    stack->setModule(1, true);
    EXPECT_EQ(window->frame(), Rect(100, 190, 200, 210));
    EXPECT_EQ(stack->getModuleView(1)->frame(), Rect(0, 50, 200, 50));

    // New limits take effect through the window: the last module grows to 90.
    stack->setModuleConstraints(2, {0, 90}, {10000, 90});
    EXPECT_EQ(window->frame(), Rect(100, 140, 200, 260));
    EXPECT_EQ(stack->getModuleView(2)->frame(), Rect(0, 0, 200, 90));
}

} // namespace
} // namespace skinned_test
