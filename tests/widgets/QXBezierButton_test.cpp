#include "ButtonTestSupport.h"
#include "platform/graphics/TextLayout.h"
#include "platform/kit/MenuItem.h"
#include "widgets/QXBezierButton.h"
#include "widgets/QXBezierButtonCell.h"
#include "widgets/QXBezierComboButtonCell.h"

#include <gtest/gtest.h>

namespace {

using namespace button_test;
using platform::CellImagePosition;
using platform::ImageScaling;
using platform::make;

const Color kRed(1, 0, 0, 1);
const Color kGreen(0, 1, 0, 1);
const Color kBlue(0, 0, 1, 1);

std::shared_ptr<QXGradient> flat(const Color& color) {
    return QXGradient::linearGradientWithAngle(0, {color, color}, {0, 1});
}

// Class defaults are process-wide: every test starts from none made yet.
void forgetBezierDefaults() {
    QXBezierButtonCell::setDefaultShape(nullptr);
    QXBezierButtonCell::setDefaultNormalGradient(nullptr);
    QXBezierButtonCell::setDefaultPressedGradient(nullptr);
    QXBezierButtonCell::setDefaultHighlightGradient(nullptr);
    QXBezierButtonCell::setDefaultBorderColor(std::nullopt);
    QXBezierButtonCell::setDefaultFontColor(std::nullopt);
    QXBezierButtonCell::setDefaultShowBorder(true);
}

bool grey(const Color& c, double low, double high) {
    return c.redComponent() >= low && c.redComponent() <= high &&
           std::abs(c.redComponent() - c.greenComponent()) < 0.02 &&
           std::abs(c.redComponent() - c.blueComponent()) < 0.02;
}

bool dark(const Color& c) {
    return c.redComponent() < 0.3 && c.greenComponent() < 0.3 && c.blueComponent() < 0.3;
}

class QXBezierButtonTest : public ::testing::Test {
protected:
    void SetUp() override { forgetBezierDefaults(); }
    void TearDown() override { forgetBezierDefaults(); }

    std::shared_ptr<QXBezierButton> button(const std::string& title = "Dial",
                                           Rect frame = Rect(0, 0, 100, 24)) {
        auto b = std::make_shared<QXBezierButton>(frame);
        b->setTitle(title);
        b->setBordered(true);
        return b;
    }
};

TEST_F(QXBezierButtonTest, TheFirstCellBuildsTheMissingDefaultsAndKeepsThoseAlreadySet) {
    EXPECT_EQ(QXBezierButtonCell::defaults().shape, nullptr);
    auto preset = flat(kRed);
    QXBezierButtonCell::setDefaultNormalGradient(preset);

    auto cell = make<QXBezierButtonCell>("One");
    const QXBezierButtonDefaults& d = QXBezierButtonCell::defaults();
    ASSERT_NE(d.shape, nullptr);
    EXPECT_EQ(d.shape->dataPoints().size(), 9u);
    EXPECT_EQ(d.normalGradient, preset);
    ASSERT_NE(d.pressedGradient, nullptr);
    EXPECT_EQ(d.pressedGradient->numberOfColorStops(), 3u);
    EXPECT_FLOAT_EQ(d.pressedGradient->angle(), 90);
    EXPECT_EQ(d.highlightGradient, nullptr);
    EXPECT_EQ(d.borderColor, Color(0.6, 0.6, 0.6, 1));
    EXPECT_EQ(d.fontColor, Color(0, 0, 0, 1));
    EXPECT_TRUE(d.showBorder);
    // The cell's own look starts empty and the combo's defaults are a set of their own.
    EXPECT_EQ(cell->shape(), nullptr);
    EXPECT_EQ(cell->normalGradient(), nullptr);
    EXPECT_FALSE(cell->borderColor().has_value());
    EXPECT_NE(QXBezierComboButtonCell::defaults().normalGradient, preset);

    // Built once: a later cell leaves the defaults alone.
    const auto shape = d.shape;
    make<QXBezierButtonCell>("Two");
    EXPECT_EQ(QXBezierButtonCell::defaults().shape, shape);
}

TEST_F(QXBezierButtonTest, TheBuiltInShapeIsTheRoundedRectangleInsetByHalfAPoint) {
    auto b = button();
    Picture p(*b, Size(100, 24));
    QXOutlinePath* shape = b->bezierCell()->effectiveShape();
    const Rect bounds = shape->bezierPath().bounds();
    EXPECT_NEAR(bounds.minX(), 0.5, 1e-9);
    EXPECT_NEAR(bounds.maxX(), 99.5, 1e-9);
    EXPECT_NEAR(bounds.minY(), 0.5, 1e-9);
    EXPECT_NEAR(bounds.maxY(), 23.5, 1e-9);
    EXPECT_EQ(shape->bezierPath().elementAtIndex(1).points[0], Point(96.5, 0.5));
}

TEST_F(QXBezierButtonTest, TheBuiltInLookIsAGreyFaceAGreyBorderAndABlackTitle) {
    auto b = button("Call");
    const Picture p(*b, Size(100, 24));
    // The border runs along the half-point line, so the edge pixel is half border grey.
    EXPECT_TRUE(grey(p.fromTop(50, 0), 0.6, 1.0)) << p.fromTop(50, 0).description();
    EXPECT_FALSE(near(p.fromTop(50, 0), kBackdrop));
    // Face: between the gradient's 0.59 and 0.86, lighter at the top of the screen.
    EXPECT_TRUE(grey(p.fromTop(5, 3), 0.59, 0.87));
    EXPECT_TRUE(grey(p.fromTop(5, 20), 0.58, 0.87));
    EXPECT_GT(p.fromTop(5, 3).redComponent(), p.fromTop(5, 20).redComponent());
    EXPECT_FALSE(p.rowsWhere(dark).empty());
    // The corners are rounded: the corner pixel is left alone.
    EXPECT_TRUE(near(p.fromTop(0, 0), kBackdrop, 0.1));
}

TEST_F(QXBezierButtonTest, BorderNeedsTheCellBorderedAndTheClassFlag) {
    auto b = button("");
    b->setNormalGradient(flat(kRed));
    b->setBorderColor(kBlue);
    // A one-point border on the half-point line covers the top row of pixels; without it
    // that row is half face (red) and half backdrop.
    const auto edge = [&] { return Picture(*b, Size(100, 24)).fromTop(50, 0); };
    EXPECT_TRUE(near(edge(), kBlue));
    QXBezierButtonCell::setDefaultShowBorder(false);
    EXPECT_GT(edge().redComponent(), 0.4);
    QXBezierButtonCell::setDefaultShowBorder(true);
    b->setBordered(false);
    EXPECT_GT(edge().redComponent(), 0.4);
}

TEST_F(QXBezierButtonTest, DefaultsSetLaterRestyleCellsWithoutTheirOwnValue) {
    auto plain = button("");
    auto own = button("");
    own->setNormalGradient(flat(kGreen));
    QXBezierButtonCell::setDefaultNormalGradient(flat(kRed));
    EXPECT_TRUE(near(Picture(*plain, Size(100, 24)).fromTop(50, 12), kRed));
    EXPECT_TRUE(near(Picture(*own, Size(100, 24)).fromTop(50, 12), kGreen));

    // Held: the pressed gradient (own, else default); the title keeps its colour.
    QXBezierButtonCell::setDefaultPressedGradient(flat(kBlue));
    plain->highlight(true);
    EXPECT_TRUE(near(Picture(*plain, Size(100, 24)).fromTop(50, 12), kBlue));
    own->setPressedGradient(flat(Color(1, 1, 0, 1)));
    own->highlight(true);
    EXPECT_TRUE(near(Picture(*own, Size(100, 24)).fromTop(50, 12), Color(1, 1, 0, 1)));

    // The highlight gradient is kept and answered, never drawn.
    own->setHighlightGradient(flat(kBlue));
    EXPECT_NE(own->highlightGradient(), nullptr);
    own->highlight(false);
    EXPECT_TRUE(near(Picture(*own, Size(100, 24)).fromTop(50, 12), kGreen));
}

TEST_F(QXBezierButtonTest, DisabledKeepsItsFaceAndTitleUnderAVeil) {
    auto b = button("Call");
    b->setNormalGradient(flat(Color(0.2, 0.2, 0.2, 1)));
    b->setFontColor(kRed);
    const Picture enabled(*b, Size(100, 24));
    b->setEnabled(false);
    const Picture disabled(*b, Size(100, 24));
    // Grey 0.6 to 0.7 at alpha 0.2 over grey 0.2: about 0.29 to 0.31.
    EXPECT_TRUE(grey(disabled.fromTop(5, 12), 0.27, 0.33)) << disabled.fromTop(5, 12).description();
    // The title is still drawn in its colour, dimmed only by the veil.
    const auto reddish = [](const Color& c) { return c.redComponent() > c.greenComponent() + 0.3; };
    EXPECT_FALSE(disabled.rowsWhere(reddish).empty());
    // Nothing is veiled outside the face.
    EXPECT_TRUE(near(disabled.fromTop(0, 0), enabled.fromTop(0, 0), 0.01));
}

TEST_F(QXBezierButtonTest, ATransparentCellDrawsOnlyTheFaintFace) {
    auto b = button("Call");
    b->setTransparent(true);
    b->setImage(solidImage(Size(10, 10), kRed));
    b->setImagePosition(CellImagePosition::ImageLeft);
    const Picture p(*b, Size(100, 24));
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 100; ++x) {
            // White to grey 0.9 at alpha 0.1 over the backdrop, nothing else.
            const Color c = p.fromTop(x, y);
            ASSERT_LT(c.redComponent(), 0.11) << x << "," << y;
            ASSERT_GT(c.greenComponent(), 0.98) << x << "," << y;
        }
}

TEST_F(QXBezierButtonTest, HeldWithAnAlternateImageShowsItAndImageOnlyDrawsNoTitle) {
    auto b = button("Call", Rect(0, 0, 60, 30));
    b->setNormalGradient(flat(Color(1, 1, 1, 1)));
    b->setImage(solidImage(Size(10, 10), kRed));
    b->setImagePosition(CellImagePosition::ImageOnly);
    // Image only: centred across the content (3, 2, 54, 26), from its top in a flipped view.
    Picture p(*b, Size(60, 30));
    EXPECT_TRUE(near(p.fromTop(30, 5), kRed));
    EXPECT_TRUE(p.rowsWhere(dark).empty());
    b->highlight(true);
    EXPECT_TRUE(near(Picture(*b, Size(60, 30)).fromTop(30, 5), kRed)); // no alternate
    b->setAlternateImage(solidImage(Size(10, 10), kBlue));
    EXPECT_TRUE(near(Picture(*b, Size(60, 30)).fromTop(30, 5), kBlue));
    b->highlight(false);
    b->setImagePosition(CellImagePosition::ImageLeft);
    EXPECT_FALSE(Picture(*b, Size(60, 30)).rowsWhere(dark).empty());
}

TEST(QXBezierLayout, ImageScalingAndPositionTable) {
    // Content K = (3, 2, 94, 20): aspect of a 40 x 10 image is 4, of 10 x 40 is 0.25.
    const Rect k(3, 2, 94, 20);
    const struct {
        Size image;
        ImageScaling scaling;
        CellImagePosition position;
        Rect imageRect;
        Rect titleRect;
    } cases[] = {
        // Down: 40 x 10 fits; 200 x 50 -> width 94, height 23.5 -> height 20, width 80.
        {{40, 10},
         ImageScaling::ProportionallyDown,
         CellImagePosition::ImageLeft,
         {3, 2, 40, 10},
         {43, 2, 54, 20}},
        {{200, 50},
         ImageScaling::ProportionallyDown,
         CellImagePosition::ImageRight,
         {17, 2, 80, 20},
         {3, 2, 14, 20}},
        // Up or down: 40 x 10 -> 94 x 23.5 -> 80 x 20.
        {{40, 10},
         ImageScaling::ProportionallyUpOrDown,
         CellImagePosition::ImageOnly,
         {10, 2, 80, 20},
         {3, 2, 94, 20}},
        // Up or down with a tall image: 10 x 40 -> 94 x 376 -> 5 x 20.
        {{10, 40},
         ImageScaling::ProportionallyUpOrDown,
         CellImagePosition::ImageOverlaps,
         {47.5, 2, 5, 20},
         {3, 2, 94, 20}},
        // None cuts the rectangle.
        {{200, 5},
         ImageScaling::None,
         CellImagePosition::ImageBelow,
         {3, 2, 94, 5},
         {3, 7, 94, 15}},
        {{10, 8},
         ImageScaling::AxesIndependently,
         CellImagePosition::ImageAbove,
         {3, 2, 94, 20},
         {3, 2, 94, 0}},
        {{10, 8},
         ImageScaling::None,
         CellImagePosition::ImageAbove,
         {45, 14, 10, 8},
         {3, 2, 94, 12}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.image.width << "x" << c.image.height << " scaling "
                                        << int(c.scaling) << " position " << int(c.position));
        platform::ButtonCell cell("T");
        cell.setImageScaling(c.scaling);
        cell.setImagePosition(c.position);
        auto image = solidImage(c.image, kRed);
        const QXBezierContentLayout layout = QXBezierLayoutContent(cell, image.get(), k, k);
        ASSERT_TRUE(layout.drawsImage);
        EXPECT_EQ(layout.imageRect, c.imageRect);
        EXPECT_EQ(layout.titleRect, c.titleRect);
    }
    // No image, or the position "no image": the title keeps the rectangle it was given.
    platform::ButtonCell cell("T");
    cell.setImagePosition(CellImagePosition::NoImage);
    auto image = solidImage(Size(10, 10), kRed);
    EXPECT_FALSE(QXBezierLayoutContent(cell, image.get(), k, k).drawsImage);
    cell.setImagePosition(CellImagePosition::ImageLeft);
    EXPECT_FALSE(QXBezierLayoutContent(cell, nullptr, k, k).drawsImage);
    EXPECT_EQ(QXBezierLayoutContent(cell, nullptr, k, k).titleRect, k);
}

TEST(QXBezierLayout, TheTitleIsCentredVerticallyInItsRectangle) {
    auto context = platform::GraphicsContext::bitmapContext(100, 40);
    platform::ContextScope scope(*context);
    const platform::AttributedString title("Call");
    const double used = platform::TextLayout(title, 80).usedRect().height();
    const Rect r = QXBezierDrawTitle(title, Rect(10, 5, 80, 30), Color(0, 0, 0, 1));
    EXPECT_DOUBLE_EQ(r.height(), used);
    EXPECT_DOUBLE_EQ(r.minY(), 5 + (30 - used) * 0.5);
    EXPECT_EQ(r.minX(), 10);
    EXPECT_EQ(QXBezierDrawTitle(platform::AttributedString(), Rect(10, 5, 80, 30), Color()),
              Rect(10, 20, 80, 0));
}

class QXBezierButtonEventsTest : public ButtonWindowTest {
protected:
    void SetUp() override {
        ButtonWindowTest::SetUp();
        forgetBezierDefaults();
        b = std::make_shared<QXBezierButton>(Rect(20, 20, 100, 24));
        b->setTitle("Accounts");
        b->setTarget(&target);
        b->setAction("press:");
        add(b);
    }
    void TearDown() override {
        b.reset();
        forgetBezierDefaults();
        ButtonWindowTest::TearDown();
    }
    // A menu whose first item is the pull-down's hidden title.
    std::shared_ptr<platform::Menu> menuWithItem() {
        auto menu = std::make_shared<platform::Menu>("accounts");
        menu->addItemWithTitle("title", "", "");
        auto item = menu->addItemWithTitle("Alice", "chooseAccount:", "");
        item->setTarget(&target);
        return menu;
    }

    ActionRecorder target;
    std::shared_ptr<QXBezierButton> b;
};

TEST_F(QXBezierButtonEventsTest, AClickSendsTheActionThenPopsTheMenuUp) {
    input->click(Point(50, 30));
    EXPECT_EQ(target.actions, std::vector<std::string>{"press:"});

    b->setMenu(menuWithItem());
    std::vector<std::string> actionsWhenOpen;
    platform::Rect menuFrame;
    platform::Menu::setTrackingHook([&](platform::Menu& menu) {
        actionsWhenOpen = target.actions;
        menuFrame = menu.trackingWindow()->frame();
        menu.finishTrackingWithItem(menu.itemAtIndex(1));
    });
    target.actions.clear();
    input->click(Point(50, 30));
    EXPECT_EQ(actionsWhenOpen, std::vector<std::string>{"press:"});
    EXPECT_EQ(target.actions, (std::vector<std::string>{"press:", "chooseAccount:"}));
    // Dropped from the frame moved 3 points left and down: its top edge at the screen's
    // y of 100 + 20 - 3.
    EXPECT_DOUBLE_EQ(menuFrame.minX(), 100 + 20 - 3);
    EXPECT_DOUBLE_EQ(menuFrame.maxY(), 100 + 20 - 3);
    EXPECT_FALSE(b->cell()->isHighlighted());
}

TEST_F(QXBezierButtonEventsTest, ARightClickAndADisabledButtonDoNothing) {
    b->setMenu(menuWithItem());
    int opened = 0;
    platform::Menu::setTrackingHook([&](platform::Menu& menu) {
        ++opened;
        menu.cancelTracking();
    });
    input->rightClick(Point(50, 30));
    EXPECT_TRUE(target.actions.empty());
    EXPECT_EQ(opened, 0);
    b->setEnabled(false);
    input->click(Point(50, 30));
    EXPECT_TRUE(target.actions.empty());
    EXPECT_EQ(opened, 0);
    // Released outside: no action, still the menu under the button.
    b->setEnabled(true);
    input->post(EventType::LeftMouseDown, Point(50, 30));
    input->post(EventType::LeftMouseUp, Point(250, 150));
    input->dispatch();
    EXPECT_TRUE(target.actions.empty());
    EXPECT_EQ(opened, 1);
}

TEST_F(QXBezierButtonEventsTest, APressHeldAcrossEventsOpensTheMenuOnRelease) {
    b->setMenu(menuWithItem());
    int opened = 0;
    platform::Menu::setTrackingHook([&](platform::Menu& menu) {
        ++opened;
        menu.cancelTracking();
    });
    input->mouseDown(Point(50, 30));
    EXPECT_TRUE(b->cell()->isHighlighted());
    EXPECT_EQ(opened, 0);
    input->mouseUp(Point(50, 30));
    EXPECT_EQ(target.actions, std::vector<std::string>{"press:"});
    EXPECT_EQ(opened, 1);
}

TEST(QXBezierButton, AButtonFromAnInterfaceDefinitionGetsTheBezierCell) {
    forgetBezierDefaults();
    auto plain = std::make_shared<platform::ButtonCell>("Accounts");
    plain->setKeyEquivalent("a");
    plain->setBordered(true);
    auto b = QXBezierButton::initWithCoder(Rect(0, 0, 80, 24), plain);
    ASSERT_NE(b->bezierCell(), nullptr);
    EXPECT_EQ(b->bezierCell()->title(), "Accounts");
    EXPECT_EQ(b->bezierCell()->keyEquivalent(), "a");
    EXPECT_TRUE(b->isBordered());
    EXPECT_NE(QXBezierButtonCell::defaults().shape, nullptr);

    // With another cell the look accessors answer nothing and the setters do nothing.
    b->setCell(std::make_shared<platform::ButtonCell>("x"));
    b->setNormalGradient(flat(kRed));
    EXPECT_EQ(b->normalGradient(), nullptr);
    EXPECT_FALSE(b->fontColor().has_value());
    forgetBezierDefaults();
}

} // namespace
