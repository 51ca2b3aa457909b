#include "ButtonTestSupport.h"
#include "platform/graphics/TextLayout.h"
#include "platform/kit/PopUpButtonCell.h"
#include "widgets/QXButton.h"
#include "widgets/QXButtonCell.h"

#include <gtest/gtest.h>

namespace {

using namespace button_test;
using platform::make;

const Color kRed(1, 0, 0, 1);
const Color kGreen(0, 1, 0, 1);
const Color kBlue(0, 0, 1, 1);
const Color kGrey(0.5, 0.5, 0.5, 1);
const Color kWhite(1, 1, 1, 1);

std::shared_ptr<QXButton> buttonOfType(int type, Rect frame = Rect(0, 0, 60, 30)) {
    auto button = std::make_shared<QXButton>(frame);
    button->setButtonType(type);
    return button;
}

TEST(QXButtonCell, SetUpGivesTheDefaultsAndTheGenericImages) {
    auto cell = make<QXButtonCell>("OK");
    EXPECT_EQ(cell->buttonType(), QXButtonTypePlatform);
    EXPECT_EQ(cell->mouseOverImage(), nullptr);
    EXPECT_EQ(cell->disabledImage(), nullptr);
    EXPECT_FALSE(cell->mouseOver());
    EXPECT_TRUE(cell->doesMouseOver());
    EXPECT_EQ(cell->hyperlinkColor(), Color::blueColor());
    EXPECT_EQ(cell->topLeftPoint(), Point(10, 20));
    EXPECT_EQ(cell->bottomRightPoint(), Point(20, 10));
    EXPECT_TRUE(cell->showsBorderOnlyWhileMouseInside());
    ASSERT_NE(cell->image(), nullptr);
    ASSERT_NE(cell->alternateImage(), nullptr);
    EXPECT_EQ(cell->image(), Image::imageNamed("GenericBtnNormal"));
    EXPECT_EQ(cell->alternateImage(), Image::imageNamed("GenericBtnPressed"));
    // Their inner rectangles lie between the default corner points.
    EXPECT_EQ(cell->image()->size(), Size(30, 30));
    EXPECT_EQ(cell->alternateImage()->size(), Size(30, 30));

    // A cell with images of its own keeps them.
    auto own = solidImage(Size(8, 8), kRed);
    auto imageCell = make<QXButtonCell>(own);
    EXPECT_EQ(imageCell->image(), own);
    EXPECT_EQ(imageCell->alternateImage(), Image::imageNamed("GenericBtnPressed"));
}

TEST(QXButtonCell, ButtonTypesUpTo500AreThePlatformsOwn) {
    const struct {
        int set;
        int drawingType;
        int platformType;
    } cases[] = {
        {platform::MomentaryLightButton, 500, platform::MomentaryLightButton},
        {platform::ToggleButton, 500, platform::ToggleButton},
        {platform::SwitchButton, 500, platform::SwitchButton},
        {500, 500, 500},
        {501, 501, platform::MomentaryPushInButton},
        {503, 503, platform::MomentaryPushInButton},
        {777, 777, platform::MomentaryPushInButton},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.set);
        auto cell = make<QXButtonCell>("B");
        cell->setButtonType(c.set);
        EXPECT_EQ(cell->buttonType(), c.drawingType);
        EXPECT_EQ(cell->platform::ButtonCell::buttonType(), c.platformType);
    }

    // A toggle keeps the platform's behaviour: a click moves it on.
    auto button = buttonOfType(platform::ToggleButton);
    button->performClick(nullptr);
    EXPECT_EQ(button->state(), platform::OnState);
}

TEST(QXButton, AnotherCellAnswersThePlatformTypeAndNoImages) {
    QXButton button(Rect(0, 0, 40, 20));
    button.setCell(std::make_shared<platform::PopUpButtonCell>());
    EXPECT_EQ(button.buttonType(), 500);
    button.setHighlightImage(solidImage(Size(4, 4), kRed));
    button.setDisabledImage(solidImage(Size(4, 4), kRed));
    EXPECT_EQ(button.highlightImage(), nullptr);
    EXPECT_EQ(button.disabledImage(), nullptr);
    // The type still reaches the platform cell.
    button.setButtonType(platform::ToggleButton);
    EXPECT_EQ(button.buttonCell()->buttonType(), platform::ToggleButton);
}

TEST(QXButton, AButtonFromAnInterfaceDefinitionGetsItsOwnCellAndKeepsItsKey) {
    auto plain = std::make_shared<platform::ButtonCell>("Sign In");
    plain->setKeyEquivalent("\r");
    plain->setAction("signIn:");
    plain->setTag(7);
    auto button = QXButton::initWithCoder(Rect(0, 0, 80, 24), plain);
    auto* cell = dynamic_cast<QXButtonCell*>(button->cell());
    ASSERT_NE(cell, nullptr);
    EXPECT_NE(cell, plain.get());
    EXPECT_EQ(cell->keyEquivalent(), "\r");
    EXPECT_EQ(cell->title(), "Sign In");
    EXPECT_EQ(cell->action(), "signIn:");
    EXPECT_EQ(cell->tag(), 7);
    EXPECT_EQ(cell->controlView(), button.get());
    // Set up like any other: the platform's drawing until a caller says otherwise.
    EXPECT_EQ(button->buttonType(), 500);
    EXPECT_NE(cell->image(), nullptr);

    // A cell of another class is left as it is.
    auto popUpCell = std::make_shared<platform::PopUpButtonCell>();
    auto other = QXButton::initWithCoder(Rect(0, 0, 80, 24), popUpCell);
    EXPECT_EQ(other->cell(), popUpCell.get());
}

TEST(QXButtonPlatformType, TheBezelShowsOnlyWhileThePointerIsInside) {
    auto button = buttonOfType(platform::MomentaryPushInButton, Rect(0, 0, 80, 24));
    button->setTitle("");
    button->setBordered(true);
    ASSERT_EQ(button->buttonType(), 500);
    const Picture away(*button, Size(80, 24));
    EXPECT_FALSE(away.differsFrom(
        Picture(*std::make_shared<platform::View>(Rect(0, 0, 80, 24)), Size(80, 24))));
    button->cell()->mouseEntered(Event());
    EXPECT_TRUE(button->qxCell()->mouseOver());
    EXPECT_TRUE(Picture(*button, Size(80, 24)).differsFrom(away));
    button->cell()->mouseExited(Event());
    button->highlight(true);
    EXPECT_TRUE(Picture(*button, Size(80, 24)).differsFrom(away));
}

// The image button (501): a half-opaque image so that the tint's reach can be seen.
class QXImageTypeButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        button = buttonOfType(QXButtonTypeImage, Rect(0, 0, 40, 20));
        // Grey on the left half, clear on the right.
        button->setImage(paintedImage(Size(40, 20), {{Rect(0, 0, 20, 20), kGrey}}));
        button->setAlternateImage(nullptr);
        cell = button->qxCell();
    }
    Color inside() { return Picture(*button, Size(40, 20)).at(10, 10); }
    Color outside() { return Picture(*button, Size(40, 20)).at(30, 10); }
    static bool between(const Color& c, double low, double high) {
        return c.redComponent() >= low && c.redComponent() <= high &&
               std::abs(c.redComponent() - c.blueComponent()) < 0.02 && c.alphaComponent() > 0.98;
    }

    std::shared_ptr<QXButton> button;
    QXButtonCell* cell = nullptr;
};

TEST_F(QXImageTypeButtonTest, ThePlainImageIsTintedByState) {
    // Tint over grey 0.5 with source-atop: grey × (1 − a) + tint × a.
    EXPECT_TRUE(near(inside(), kGrey));

    cell->setMouseOver(true); // lighter: 1.0 to 0.6 at 0.2
    EXPECT_TRUE(between(inside(), 0.51, 0.61)) << inside().description();

    cell->setHighlighted(true); // darker: 0.1 to 0.3 at 0.45
    EXPECT_TRUE(between(inside(), 0.31, 0.42)) << inside().description();

    cell->setHighlighted(false);
    cell->setEnabled(false); // greyed: 0.7 to 0.75 at 0.75
    EXPECT_TRUE(between(inside(), 0.64, 0.70)) << inside().description();

    // Whatever the state, the tint stays on the image's opaque pixels.
    EXPECT_TRUE(near(outside(), kBackdrop));
    cell->setEnabled(true);
    cell->setHighlighted(true);
    EXPECT_TRUE(near(outside(), kBackdrop));
}

TEST_F(QXImageTypeButtonTest, AStatesOwnImageIsDrawnUntinted) {
    button->setAlternateImage(solidImage(Size(40, 20), kRed));
    button->setHighlightImage(solidImage(Size(40, 20), kGreen));
    button->setDisabledImage(solidImage(Size(40, 20), kBlue));
    const struct {
        bool enabled, highlighted, over;
        Color expected;
    } cases[] = {
        {true, false, false, kGrey}, {true, true, false, kRed},  {true, true, true, kRed},
        {true, false, true, kGreen}, {false, true, true, kBlue},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.enabled << c.highlighted << c.over);
        cell->setEnabled(c.enabled);
        cell->setHighlighted(c.highlighted);
        cell->setMouseOver(c.over);
        EXPECT_TRUE(near(inside(), c.expected));
    }
    // The image is taken at its own size from the bottom-left corner, not scaled.
    cell->setEnabled(true);
    cell->setHighlighted(false);
    cell->setMouseOver(false);
    button->setImage(solidImage(Size(10, 10), kRed));
    const Picture small(*button, Size(40, 20));
    EXPECT_TRUE(near(small.fromTop(5, 5), kRed));
    EXPECT_TRUE(near(small.fromTop(15, 5), kBackdrop));
    EXPECT_TRUE(near(small.fromTop(5, 15), kBackdrop));
}

// A 30 x 30 source whose nine 10-point blocks each have a colour of their own.
struct NinePartSource {
    Color topLeft{1, 0, 0, 1}, top{0, 1, 0, 1}, topRight{0, 0, 1, 1};
    Color left{1, 1, 0, 1}, centre{1, 0, 1, 1}, right{0.5, 0.5, 0, 1};
    Color bottomLeft{0, 0.5, 0.5, 1}, bottom{0.5, 0, 0.5, 1}, bottomRight{0.25, 0.25, 0.25, 1};

    // Columns 0..a, a..b, b..W and rows 0..c, c..d, d..H in the image's own coordinates.
    std::shared_ptr<Image> image(double W = 30, double H = 30, double a = 10, double b = 20,
                                 double c = 10, double d = 20) const {
        return paintedImage(Size(W, H), {
                                            {Rect(0, d, a, H - d), topLeft},
                                            {Rect(a, d, b - a, H - d), top},
                                            {Rect(b, d, W - b, H - d), topRight},
                                            {Rect(0, c, a, d - c), left},
                                            {Rect(a, c, b - a, d - c), centre},
                                            {Rect(b, c, W - b, d - c), right},
                                            {Rect(0, 0, a, c), bottomLeft},
                                            {Rect(a, 0, b - a, c), bottom},
                                            {Rect(b, 0, W - b, c), bottomRight},
                                        });
    }
};

TEST(QXButtonNinePart, CornersKeepTheirSizeAtEverySize) {
    const NinePartSource source;
    for (const Size size : {Size(30, 30), Size(60, 30), Size(100, 44), Size(47, 23)}) {
        SCOPED_TRACE(testing::Message() << size.width << " x " << size.height);
        auto button = buttonOfType(QXButtonTypeScalable, Rect(Point(), size));
        button->setTitle("");
        button->setImage(source.image());
        const Picture p(*button, size);
        const int W = int(size.width), H = int(size.height);
        // Each corner block is 10 x 10 in the matching corner of the screen, its last pixel
        // still the corner's colour and the next one the edge's.
        EXPECT_TRUE(near(p.fromTop(0, 0), source.topLeft));
        EXPECT_TRUE(near(p.fromTop(9, 9), source.topLeft));
        EXPECT_TRUE(near(p.fromTop(10, 5), source.top));
        EXPECT_TRUE(near(p.fromTop(5, 10), source.left));
        EXPECT_TRUE(near(p.fromTop(W - 10, 9), source.topRight));
        EXPECT_TRUE(near(p.fromTop(W - 11, 5), source.top));
        EXPECT_TRUE(near(p.fromTop(0, H - 10), source.bottomLeft));
        EXPECT_TRUE(near(p.fromTop(5, H - 11), source.left));
        EXPECT_TRUE(near(p.fromTop(W - 1, H - 1), source.bottomRight));
        EXPECT_TRUE(near(p.fromTop(W - 10, H - 10), source.bottomRight));
        EXPECT_TRUE(near(p.fromTop(W - 11, H - 5), source.bottom));
        EXPECT_TRUE(near(p.fromTop(W - 5, H - 11), source.right));
        EXPECT_TRUE(near(p.fromTop(W / 2, H / 2), source.centre));
    }
}

TEST(QXButtonNinePart, TheDefaultPointsCutALeftColumnOf10AndARightOfWidthLess20) {
    // A 40 x 36 source cut at the default points: columns 10, 10, 20 and rows 10, 10, 16.
    const NinePartSource source;
    auto button = buttonOfType(QXButtonTypeScalable, Rect(0, 0, 90, 60));
    button->setTitle("");
    button->setImage(source.image(40, 36, 10, 20, 10, 20));
    const Picture p(*button, Size(90, 60));
    EXPECT_TRUE(near(p.fromTop(89 - 19, 15), source.topRight));
    EXPECT_TRUE(near(p.fromTop(89 - 20, 15), source.top));
    EXPECT_TRUE(near(p.fromTop(80, 0), source.topRight));
    EXPECT_TRUE(near(p.fromTop(80, 16), source.right));
    EXPECT_TRUE(near(p.fromTop(89 - 19, 59 - 9), source.bottomRight));
    EXPECT_TRUE(near(p.fromTop(9, 59 - 9), source.bottomLeft));
    EXPECT_TRUE(near(p.fromTop(9, 59 - 10), source.left));
}

TEST(QXButtonNinePart, PressedShowsTheAlternateImageAndDisabledDimsTheTitle) {
    auto button = buttonOfType(QXButtonTypeScalable, Rect(0, 0, 60, 30));
    button->setTitle("");
    button->setImage(solidImage(Size(30, 30), kWhite));
    button->setAlternateImage(solidImage(Size(30, 30), kRed));
    EXPECT_TRUE(near(Picture(*button, Size(60, 30)).at(30, 15), kWhite));
    button->highlight(true);
    EXPECT_TRUE(near(Picture(*button, Size(60, 30)).at(30, 15), kRed));
    button->highlight(false);
    button->qxCell()->setMouseOver(true); // no pointer-over image: the plain one
    EXPECT_TRUE(near(Picture(*button, Size(60, 30)).at(30, 15), kWhite));
}

TEST(QXButtonNinePart, TheTitleSitsAboveTheMiddleAndGreysWhenDisabled) {
    auto button = buttonOfType(QXButtonTypeScalable, Rect(0, 0, 120, 40));
    button->setImage(solidImage(Size(30, 30), kWhite));
    button->setAlternateImage(nullptr);
    button->setTitle("Call");
    const double h = platform::TextLayout(button->attributedTitle(), 120).usedRect().height();
    const double top = ((40 - std::trunc(h)) - 3) * 0.5;

    const auto dark = [](const Color& c) { return c.redComponent() < 0.5; };
    const Picture enabled(*button, Size(120, 40));
    const std::vector<int> rows = enabled.rowsWhere(dark);
    ASSERT_FALSE(rows.empty());
    EXPECT_GE(rows.front(), int(std::floor(top)));
    EXPECT_LE(rows.back(), int(std::ceil(top + h)));

    // Text pixels: black while enabled, dark grey (1/3) while disabled.
    const auto darkest = [](const Picture& p) {
        double least = 1;
        for (int y = 0; y < p.height(); ++y)
            for (int x = 0; x < p.width(); ++x)
                least = std::min(least, p.at(x, y).redComponent());
        return least;
    };
    EXPECT_LT(darkest(enabled), 0.1);
    button->setEnabled(false);
    EXPECT_NEAR(darkest(Picture(*button, Size(120, 40))), 1.0 / 3.0, 0.05);
}

TEST(QXButtonHyperlink, ColourByState) {
    auto cell = make<QXButtonCell>("Forgot password?");
    cell->setButtonType(QXButtonTypeHyperlink);
    EXPECT_TRUE(near(cell->hyperlinkColorForState(), Color(0, 0, 1, 1), 0.001));
    cell->setHighlighted(true);
    EXPECT_TRUE(near(cell->hyperlinkColorForState(), Color(0, 0, 0.7, 1), 0.001));
    cell->setEnabled(false);
    EXPECT_TRUE(near(cell->hyperlinkColorForState(), Color(0.4, 0.4, 0.6, 1), 0.001));
    cell->setHyperlinkColor(kRed);
    cell->setEnabled(true);
    EXPECT_TRUE(near(cell->hyperlinkColorForState(), Color(0.7, 0, 0, 1), 0.001));
}

// Rows where the link's colour runs across most of the text: an underline.
bool underlined(QXButton& button, Size size) {
    const Picture p(button, size);
    const double width =
        platform::sizeWithAttributes(button.title(), {.font = button.font()}).width;
    const auto coloured = [](const Color& c) {
        return c.blueComponent() > 0.3 && c.blueComponent() > c.greenComponent() + 0.2;
    };
    return !p.rowsWhere(coloured, int(width * 0.9)).empty();
}

TEST(QXButtonHyperlink, UnderlinedOnlyWhileEnabledAndPressedOrUnderThePointer) {
    auto button = buttonOfType(QXButtonTypeHyperlink, Rect(0, 0, 160, 24));
    button->setTitle("Create an account");
    const Size size(160, 24);
    EXPECT_FALSE(underlined(*button, size));
    button->qxCell()->setMouseOver(true);
    EXPECT_TRUE(underlined(*button, size));
    button->qxCell()->setMouseOver(false);
    button->highlight(true);
    EXPECT_TRUE(underlined(*button, size));
    button->highlight(false);
    button->setEnabled(false);
    button->qxCell()->setMouseOver(true);
    EXPECT_FALSE(underlined(*button, size));
    // No image and no bezel: only the text is drawn.
    const Picture p(*button, size);
    EXPECT_TRUE(near(p.at(159, 0), kBackdrop));
    EXPECT_TRUE(near(p.at(159, 23), kBackdrop));
}

class QXButtonEventsTest : public ButtonWindowTest {};

TEST_F(QXButtonEventsTest, AClickRunsTheActionAndThePointerUnderlinesALink) {
    auto button = buttonOfType(QXButtonTypeHyperlink, Rect(20, 20, 160, 24));
    button->setTitle("Create an account");
    ActionRecorder target;
    button->setTarget(&target);
    button->setAction("createAccount:");
    add(button);

    input->moveMouse(Point(60, 32));
    EXPECT_TRUE(button->qxCell()->mouseOver());
    window->displayIfNeeded();
    const auto over = window->snapshot();
    input->moveMouse(Point(250, 150));
    EXPECT_FALSE(button->qxCell()->mouseOver());
    window->displayIfNeeded();
    const auto away = window->snapshot();
    // The underline comes and goes with the pointer.
    int changed = 0;
    for (int y = 20; y < 44; ++y)
        for (int x = 20; x < 180; ++x)
            if (!near(over->colorAt(x, y), away->colorAt(x, y)))
                ++changed;
    EXPECT_GT(changed, 50);

    input->click(Point(60, 32));
    ASSERT_EQ(target.actions, std::vector<std::string>{"createAccount:"});
    EXPECT_EQ(target.senders.front(), button.get());
    input->click(Point(250, 150));
    EXPECT_EQ(target.actions.size(), 1u);
}

TEST_F(QXButtonEventsTest, TheKeyEquivalentClicksTheButton) {
    auto plain = std::make_shared<platform::ButtonCell>("OK");
    plain->setKeyEquivalent("\r");
    auto button = QXButton::initWithCoder(Rect(20, 20, 80, 30), plain);
    button->setButtonType(QXButtonTypeScalable);
    ActionRecorder target;
    button->setTarget(&target);
    button->setAction("ok:");
    add(button);
    EXPECT_TRUE(
        button->performKeyEquivalent(Event::keyEvent(EventType::KeyDown, "\r", 0, window.get())));
    EXPECT_EQ(target.actions, std::vector<std::string>{"ok:"});
}

} // namespace
