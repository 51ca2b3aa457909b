#include "ButtonTestSupport.h"
#include "platform/foundation/Log.h"
#include "platform/kit/MenuItem.h"
#include "widgets/QXBezierComboButton.h"
#include "widgets/QXBezierComboButtonCell.h"

#include <gtest/gtest.h>

namespace {

using namespace button_test;
using platform::make;

const Color kRed(1, 0, 0, 1);
const Color kGreen(0, 1, 0, 1);
const Color kBlue(0, 0, 1, 1);
const Color kWhite(1, 1, 1, 1);

std::shared_ptr<QXGradient> flat(const Color& color) {
    return QXGradient::linearGradientWithAngle(0, {color, color}, {0, 1});
}

void forgetComboDefaults() {
    QXBezierComboButtonCell::setDefaultShape(nullptr);
    QXBezierComboButtonCell::setDefaultShapeRight(nullptr);
    QXBezierComboButtonCell::setDefaultNormalGradient(nullptr);
    QXBezierComboButtonCell::setDefaultPressedGradient(nullptr);
    QXBezierComboButtonCell::setDefaultHighlightGradient(nullptr);
    QXBezierComboButtonCell::setDefaultBorderColor(std::nullopt);
    QXBezierComboButtonCell::setDefaultFontColor(std::nullopt);
    QXBezierComboButtonCell::setDefaultShowBorder(true);
}

class QXBezierComboDrawingTest : public ::testing::Test {
protected:
    void SetUp() override {
        forgetComboDefaults();
        button = std::make_shared<QXBezierComboButton>(Rect(0, 0, 120, 24));
        button->setBordered(true);
        button->setTitle("");
        cell = button->comboCell();
        QXBezierComboButtonCell::setDefaultNormalGradient(flat(kWhite));
        QXBezierComboButtonCell::setDefaultPressedGradient(flat(kRed));
        QXBezierComboButtonCell::setDefaultBorderColor(kBlue);
        QXBezierComboButtonCell::setDefaultFontColor(kGreen);
    }
    void TearDown() override { forgetComboDefaults(); }
    Picture picture() { return Picture(*button, Size(120, 24)); }

    std::shared_ptr<QXBezierComboButton> button;
    QXBezierComboButtonCell* cell = nullptr;
};

TEST_F(QXBezierComboDrawingTest, BuiltInDefaultsIncludeTheRightPartOutline) {
    const QXBezierButtonDefaults& d = QXBezierComboButtonCell::defaults();
    ASSERT_NE(d.shapeRight, nullptr);
    EXPECT_EQ(d.shapeRight->dataPoints().size(), 6u);
    d.shapeRight->setFrame(Rect(0, 0, 120, 24));
    const Rect bounds = d.shapeRight->bezierPath().bounds();
    EXPECT_DOUBLE_EQ(bounds.minX(), 99.5);
    EXPECT_DOUBLE_EQ(bounds.maxX(), 119.5);
    ASSERT_NE(d.shape, nullptr);
    EXPECT_EQ(d.shape->dataPoints().size(), 9u);
}

TEST_F(QXBezierComboDrawingTest, TheSeparatorIsDrawnEvenWithoutBorder) {
    QXBezierComboButtonCell::setDefaultShowBorder(false);
    const Picture p = picture();
    // A one-point line centred 20.5 points inside the right edge covers the pixel column 99.
    EXPECT_GT(p.fromTop(99, 12).blueComponent(), 0.9);
    EXPECT_LT(p.fromTop(99, 12).redComponent(), 0.1);
    EXPECT_TRUE(near(p.fromTop(97, 12), kWhite));
    // One point short of top and bottom.
    EXPECT_FALSE(p.fromTop(99, 0).blueComponent() > 0.9 && p.fromTop(99, 0).redComponent() < 0.1);
    // No border without the class flag.
    EXPECT_GT(p.fromTop(50, 0).redComponent(), 0.4);
    QXBezierComboButtonCell::setDefaultShowBorder(true);
    EXPECT_TRUE(near(picture().fromTop(50, 0), kBlue));
}

TEST_F(QXBezierComboDrawingTest, TheTrianglePointsDownInTheMenuPart) {
    const Picture p = picture();
    // Base 2 points above the middle (y 10), 6 points wide (x 106.5 to 112.5); tip 1 point
    // below the middle (y 13) at x 109.5.
    const auto greenRun = [&](int row) {
        int count = 0;
        for (int x = 100; x < 120; ++x)
            if (p.fromTop(x, row).greenComponent() > 0.8 && p.fromTop(x, row).redComponent() < 0.5)
                ++count;
        return count;
    };
    EXPECT_GE(greenRun(10), 5);
    EXPECT_GT(greenRun(10), greenRun(12));
    EXPECT_EQ(greenRun(5), 0);
    EXPECT_EQ(greenRun(17), 0);
    EXPECT_TRUE(near(p.fromTop(109, 11), kGreen, 0.1));
}

TEST_F(QXBezierComboDrawingTest, TheHeldPartLooksPressed) {
    // Neither held: the right part shows the face's normal gradient.
    Picture rest = picture();
    EXPECT_TRUE(near(rest.fromTop(50, 12), kWhite));
    EXPECT_TRUE(near(rest.fromTop(103, 5), kWhite));

    cell->setMouseClickedMenu(true);
    Picture menuHeld = picture();
    EXPECT_TRUE(near(menuHeld.fromTop(50, 12), kWhite));
    EXPECT_TRUE(near(menuHeld.fromTop(103, 5), kRed));

    cell->setMouseClickedMenu(false);
    cell->setMouseClickedButton(true);
    QXBezierComboButtonCell::setDefaultNormalGradient(flat(Color(1, 1, 0, 1)));
    Picture buttonHeld = picture();
    EXPECT_TRUE(near(buttonHeld.fromTop(50, 12), kRed));
    EXPECT_TRUE(near(buttonHeld.fromTop(103, 5), Color(1, 1, 0, 1)));

    // Disabled: no pressed look at all, the face is veiled.
    button->setEnabled(false);
    Picture disabled = picture();
    EXPECT_FALSE(near(disabled.fromTop(50, 12), kRed, 0.2));
    EXPECT_FALSE(near(disabled.fromTop(103, 5), Color(1, 1, 0, 1), 0.01));
}

TEST_F(QXBezierComboDrawingTest, TheTitleNeverReachesUnderTheMenuPart) {
    button->setTitle("A very long account name that does not fit");
    QXBezierComboButtonCell::setDefaultFontColor(Color(0, 0, 0, 1));
    const Picture p = picture();
    bool left = false;
    for (int y = 0; y < 24; ++y) {
        for (int x = 0; x < 120; ++x) {
            const Color c = p.fromTop(x, y);
            const bool text =
                c.redComponent() < 0.4 && c.greenComponent() < 0.4 && c.blueComponent() < 0.4;
            if (text && x < 97)
                left = true;
            if (x >= 98 && x < 104) {
                ASSERT_FALSE(text) << x << "," << y;
            }
        }
    }
    EXPECT_TRUE(left);

    // An image at the right of the content may reach under it, drawn only over the face.
    button->setTitle("");
    button->setImage(solidImage(Size(12, 12), kRed));
    button->setImagePosition(platform::CellImagePosition::ImageRight);
    button->setImageScaling(platform::ImageScaling::None);
    const Picture withImage = picture();
    EXPECT_TRUE(near(withImage.fromTop(110, 7), kRed));
}

class QXBezierComboEventsTest : public ButtonWindowTest {
protected:
    void SetUp() override {
        ButtonWindowTest::SetUp();
        forgetComboDefaults();
        combo = std::make_shared<QXBezierComboButton>(Rect(20, 20, 120, 24));
        combo->setTitle("Alice");
        combo->setTarget(&target);
        combo->setAction("dial:");
        auto menu = std::make_shared<platform::Menu>("accounts");
        menu->addItemWithTitle("title", "", "");
        auto item = menu->addItemWithTitle("Bob", "chooseAccount:", "");
        item->setTarget(&target);
        combo->setMenu(menu);
        add(combo);
        platform::Menu::setTrackingHook([this](platform::Menu& menu) {
            ++opened;
            heldWhileOpen = combo->comboCell()->mouseClickedMenu();
            menu.finishTrackingWithItem(menu.itemAtIndex(1));
        });
        platform::setLogSink([this](std::string_view line) { log.emplace_back(line); });
    }
    void TearDown() override {
        platform::setLogSink(nullptr);
        combo.reset();
        forgetComboDefaults();
        ButtonWindowTest::TearDown();
    }

    ActionRecorder target;
    std::shared_ptr<QXBezierComboButton> combo;
    int opened = 0;
    bool heldWhileOpen = false;
    std::vector<std::string> log;
};

TEST_F(QXBezierComboEventsTest, TheFaceActsAndTheMenuPartOpensTheMenu) {
    // x in the button: 0 < x <= W - 20 acts, above opens the menu (W = 120, origin x 20).
    const struct {
        double x;
        long clicks;
        int actions;
        int menus;
    } cases[] = {
        {20.5, 1, 1, 0}, {120, 1, 1, 0}, {120.5, 1, 0, 1}, {139.5, 1, 0, 1},
        {60, 2, 1, 0},   {60, 3, 0, 0},  {130, 2, 0, 0},   {130, 3, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "x " << c.x << " clicks " << c.clicks);
        target.actions.clear();
        opened = 0;
        input->click(Point(c.x, 32), c.clicks);
        int dials = 0, chosen = 0;
        for (const auto& a : target.actions)
            (a == "dial:" ? dials : chosen) += 1;
        EXPECT_EQ(dials, c.actions);
        EXPECT_EQ(opened, c.menus);
        EXPECT_EQ(chosen, c.menus);
        EXPECT_FALSE(combo->comboCell()->mouseClickedButton());
        EXPECT_FALSE(combo->comboCell()->mouseClickedMenu());
    }
}

TEST_F(QXBezierComboEventsTest, HeldFlagsLastForTheClickAndTheFaceLogsIt) {
    bool heldDuringAction = false;
    target.onAction = [&] { heldDuringAction = combo->comboCell()->mouseClickedButton(); };
    input->click(Point(60, 32));
    EXPECT_TRUE(heldDuringAction);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log.front(), "point {40, 12}, frame {{20, 20}, {120, 24}}");

    target.onAction = nullptr;
    input->click(Point(130, 32));
    EXPECT_TRUE(heldWhileOpen);
    EXPECT_FALSE(combo->comboCell()->mouseClickedMenu());

    // A disabled button neither acts nor opens its menu; a right click does nothing.
    target.actions.clear();
    opened = 0;
    combo->setEnabled(false);
    input->click(Point(60, 32));
    input->click(Point(130, 32));
    combo->setEnabled(true);
    input->rightClick(Point(130, 32));
    EXPECT_TRUE(target.actions.empty());
    EXPECT_EQ(opened, 0);
}

TEST(QXBezierComboButton, AButtonFromAnInterfaceDefinitionGetsTheComboCell) {
    forgetComboDefaults();
    auto plain = std::make_shared<platform::ButtonCell>("Alice");
    plain->setKeyEquivalent("d");
    auto combo = QXBezierComboButton::initWithCoder(Rect(0, 0, 120, 24), plain);
    ASSERT_NE(combo->comboCell(), nullptr);
    EXPECT_EQ(combo->comboCell()->keyEquivalent(), "d");
    EXPECT_EQ(combo->comboCell()->title(), "Alice");
    EXPECT_FALSE(combo->comboCell()->mouseClickedMenu());
    combo->setFontColor(kRed);
    EXPECT_EQ(combo->fontColor(), kRed);
    forgetComboDefaults();
}

} // namespace
