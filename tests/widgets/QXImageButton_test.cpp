#include "ButtonTestSupport.h"
#include "platform/foundation/Value.h"
#include "widgets/QXImageButton.h"
#include "widgets/QXImageButtonCell.h"

#include <functional>
#include <gtest/gtest.h>

namespace {

using namespace button_test;
using platform::make;
using platform::Value;

const Color kRed(1, 0, 0, 1);
const Color kGreen(0, 1, 0, 1);
const Color kBlack(0, 0, 0, 1);

TEST(QXImageButton, StartsWithTheDefaultLook) {
    auto button = make<QXImageButton>(Rect(0, 0, 40, 30));
    QXImageButtonCell* c = button->imageCell();
    ASSERT_NE(c, nullptr);
    EXPECT_TRUE(button->buttonToggles());
    EXPECT_EQ(button->delegate(), nullptr);
    EXPECT_EQ(button->pressTrackingArea(), nullptr);
    EXPECT_TRUE(button->isBordered());
    EXPECT_EQ(button->bezelStyle(), platform::BezelStyle::RegularSquare);
    EXPECT_EQ(c->margins(), (QXMargin{3, 3, 3, 3}));
    EXPECT_FLOAT_EQ(c->borderWidth(), 1.0f);
    EXPECT_EQ(c->dsBorderColor(), Color(0, 0, 0, 0.4));
    EXPECT_EQ(c->osBorderColor(), Color(0, 0, 0, 0.6));
    EXPECT_EQ(c->fsBorderColor(), Color(0, 0, 0, 0.6));
    EXPECT_EQ(c->psBorderColor(), Color(0, 0, 0, 0.9));
    EXPECT_EQ(c->hsBorderColor(), Color(0, 0, 0, 1.0));
    EXPECT_FLOAT_EQ(c->dsFraction(), 0.4f);
    for (float f : {c->osFraction(), c->fsFraction(), c->psFraction(), c->hsFraction()})
        EXPECT_FLOAT_EQ(f, 0.9f);
    for (const auto& g :
         {c->dsGradient(), c->osGradient(), c->fsGradient(), c->psGradient(), c->hsGradient()}) {
        ASSERT_NE(g, nullptr);
        EXPECT_EQ(g->numberOfColorStops(), 2u);
        EXPECT_FLOAT_EQ(g->angle(), -75.0f);
    }
    Color first;
    double location = 0;
    ASSERT_TRUE(c->psGradient()->getColor(&first, &location, 0));
    EXPECT_TRUE(near(first, Color(0.4, 0.4, 0.4, 0.6), 1e-6));
    EXPECT_TRUE(c->badgeText().empty());
    EXPECT_EQ(c->badgeColor(), Color(1, 0, 0, 0.9));
    ASSERT_NE(c->shape(), nullptr);
    c->shape()->setFrame(Rect(0, 0, 40, 30));
    EXPECT_EQ(c->shape()->bezierPath().bounds(), Rect(0, 0, 40, 30));
    ASSERT_NE(c->badgeShape(), nullptr);
    c->badgeShape()->setFrame(Rect(0, 0, 40, 30));
    EXPECT_EQ(c->badgeShape()->bezierPath().bounds(), Rect(0, 15, 20, 15));
    EXPECT_TRUE(c->showsBorderOnlyWhileMouseInside());
}

TEST(QXImageButton, AButtonFromAnInterfaceDefinitionGetsTheImageCell) {
    auto plain = std::make_shared<platform::ButtonCell>("Mute");
    plain->setKeyEquivalent("m");
    plain->setBordered(false);
    auto button = QXImageButton::initWithCoder(Rect(0, 0, 40, 30), plain);
    ASSERT_NE(button->imageCell(), nullptr);
    EXPECT_EQ(button->keyEquivalent(), "m");
    EXPECT_EQ(button->title(), "Mute");
    EXPECT_TRUE(button->isBordered());
    EXPECT_FLOAT_EQ(button->imageCell()->borderWidth(), 1.0f);
}

TEST(QXImageButton, ParameterTextsEndAtTheFirstBracket) {
    EXPECT_EQ(QXImageButton::getParamString("4,4]x]"), "4,4");
    EXPECT_EQ(QXImageButton::getParamString("4,4"), std::nullopt);
    EXPECT_EQ(QXImageButton::getParameters("1, 2,,3]"),
              (std::vector<std::string>{"1", " 2", "", "3"}));
    EXPECT_EQ(QXImageButton::getParameters("]"), std::vector<std::string>{""});
    EXPECT_EQ(QXImageButton::getParameters("1,2"), std::nullopt);
}

struct PropertyCase {
    const char* text;
    std::function<void(QXImageButton&, QXImageButtonCell&)> check;
};

TEST(QXImageButton, PropertyStrings) {
    const Color defaultOn(0, 0, 0, 0.6);
    const PropertyCase cases[] = {
        {"size[40,30]inset[4,4,2,2]border[0]",
         [](QXImageButton& b, QXImageButtonCell& c) {
             EXPECT_EQ(b.frame(), Rect(5, 6, 40, 30));
             EXPECT_EQ(c.margins(), (QXMargin{4, 4, 2, 2}));
             EXPECT_FLOAT_EQ(c.borderWidth(), 0);
         }},
        {"size[40]",
         [](QXImageButton& b, QXImageButtonCell& c) {
             EXPECT_EQ(b.frame(), Rect(5, 6, 20, 20));
             EXPECT_EQ(c.margins(), (QXMargin{3, 3, 3, 3}));
         }},
        {"BORDER[ 2 ]",
         [](QXImageButton&, QXImageButtonCell& c) { EXPECT_FLOAT_EQ(c.borderWidth(), 2); }},
        {"onstatebordercolor[1,0,0]",
         [defaultOn](QXImageButton&, QXImageButtonCell& c) {
             EXPECT_EQ(c.osBorderColor(), defaultOn);
         }},
        {"OnStateBorderColor[1,0,0,0.5]hoverstatebordercolor[0,1,0,1]",
         [](QXImageButton&, QXImageButtonCell& c) {
             EXPECT_EQ(c.osBorderColor(), Color(1, 0, 0, 0.5));
             EXPECT_EQ(c.hsBorderColor(), Color(0, 1, 0, 1));
             EXPECT_EQ(c.fsBorderColor(), Color(0, 0, 0, 0.6));
         }},
        {"disabledbordercolor[0.1,0.2,0.3,0.4]offstatebordercolor[0.5,0.5,0.5,1]"
         "pressedstatebordercolor[0,0,1,1]badgecolor[0,0,1,0.5]",
         [](QXImageButton&, QXImageButtonCell& c) {
             EXPECT_TRUE(near(c.dsBorderColor(), Color(0.1, 0.2, 0.3, 0.4), 1e-6));
             EXPECT_EQ(c.fsBorderColor(), Color(0.5, 0.5, 0.5, 1));
             EXPECT_EQ(c.psBorderColor(), Color(0, 0, 1, 1));
             EXPECT_EQ(c.badgeColor(), Color(0, 0, 1, 0.5));
         }},
        {"onStateGradient[LINEAR@90:c(1,0,0,1)@0,c(0,0,1,1)@1]",
         [](QXImageButton&, QXImageButtonCell& c) {
             ASSERT_NE(c.osGradient(), nullptr);
             EXPECT_EQ(c.osGradient()->numberOfColorStops(), 2u);
             EXPECT_FLOAT_EQ(c.osGradient()->angle(), 90);
             EXPECT_TRUE(c.osGradient()->isLinear());
         }},
        {"offstategradient[no gradient here]",
         [](QXImageButton&, QXImageButtonCell& c) { EXPECT_EQ(c.fsGradient(), nullptr); }},
        {"hoverstateimagefraction[0.25]pressedstateimagefraction[0.5]"
         "disabledimagefraction[0.1]onstateimagefraction[0.2]offstateimagefraction[0.3]",
         [](QXImageButton&, QXImageButtonCell& c) {
             EXPECT_FLOAT_EQ(c.hsFraction(), 0.25f);
             EXPECT_FLOAT_EQ(c.psFraction(), 0.5f);
             EXPECT_FLOAT_EQ(c.dsFraction(), 0.1f);
             EXPECT_FLOAT_EQ(c.osFraction(), 0.2f);
             EXPECT_FLOAT_EQ(c.fsFraction(), 0.3f);
         }},
        // Only the first occurrence counts, even when it is the malformed one.
        {"border[3]border[5]",
         [](QXImageButton&, QXImageButtonCell& c) { EXPECT_FLOAT_EQ(c.borderWidth(), 3); }},
        {"border[1,2]border[5]",
         [](QXImageButton&, QXImageButtonCell& c) { EXPECT_FLOAT_EQ(c.borderWidth(), 1); }},
        // A part that is no number reads 0; an empty list is one empty part.
        {"border[wide]",
         [](QXImageButton&, QXImageButtonCell& c) { EXPECT_FLOAT_EQ(c.borderWidth(), 0); }},
        {"border[]",
         [](QXImageButton&, QXImageButtonCell& c) { EXPECT_FLOAT_EQ(c.borderWidth(), 0); }},
        // Without its "]" an item runs into the next one.
        {"border[2size[30,10]",
         [](QXImageButton& b, QXImageButtonCell& c) {
             EXPECT_FLOAT_EQ(c.borderWidth(), 1);
             EXPECT_EQ(b.frame().size, Size(30, 10));
         }},
        {"inset[ 1 , 2 ,3,-4]junk between items size[10,12]",
         [](QXImageButton& b, QXImageButtonCell& c) {
             EXPECT_EQ(c.margins(), (QXMargin{1, 2, 3, -4}));
             EXPECT_EQ(b.frame().size, Size(10, 12));
         }},
        {"border[4",
         [](QXImageButton&, QXImageButtonCell& c) { EXPECT_FLOAT_EQ(c.borderWidth(), 1); }},
        // Values no frame or width can take are refused.
        {"size[1e39,30]border[1e40]size[5,5]",
         [](QXImageButton& b, QXImageButtonCell& c) {
             EXPECT_EQ(b.frame().size, Size(20, 20));
             EXPECT_FLOAT_EQ(c.borderWidth(), 1);
         }},
        {"size[-5,10]",
         [](QXImageButton& b, QXImageButtonCell&) { EXPECT_EQ(b.frame().size, Size(20, 20)); }},
        {"",
         [](QXImageButton& b, QXImageButtonCell& c) {
             EXPECT_EQ(b.frame(), Rect(5, 6, 20, 20));
             EXPECT_FLOAT_EQ(c.borderWidth(), 1);
             EXPECT_NE(c.fsGradient(), nullptr);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        auto button = make<QXImageButton>(Rect(5, 6, 20, 20));
        button->setProperties(c.text);
        c.check(*button, *button->imageCell());
    }

    // Applied again, a string changes only the fields it holds.
    auto button = make<QXImageButton>(Rect(5, 6, 20, 20));
    button->setProperties("border[2]inset[1,1,1,1]");
    button->setProperties("border[3]");
    EXPECT_FLOAT_EQ(button->imageCell()->borderWidth(), 3);
    EXPECT_EQ(button->imageCell()->margins(), (QXMargin{1, 1, 1, 1}));
}

TEST(QXImageButton, StatePrecedence) {
    auto button = make<QXImageButton>(Rect(0, 0, 20, 20));
    QXImageButtonCell& c = *button->imageCell();
    c.setDsFraction(0.1f);
    c.setOsFraction(0.2f);
    c.setFsFraction(0.3f);
    c.setPsFraction(0.4f);
    c.setHsFraction(0.5f);
    const Color ds(1, 0, 0, 1), os(0, 1, 0, 1), fs(0, 0, 1, 1), ps(1, 1, 0, 1), hs(0, 1, 1, 1);
    c.setDsBorderColor(ds);
    c.setOsBorderColor(os);
    c.setFsBorderColor(fs);
    c.setPsBorderColor(ps);
    c.setHsBorderColor(hs);
    const struct {
        bool enabled, highlighted, on, over;
        QXGradient* gradient;
        Color border;
        float fraction;
    } cases[] = {
        {false, true, true, true, c.dsGradient().get(), ds, 0.1f},
        {true, true, true, true, c.psGradient().get(), ps, 0.4f},
        {true, false, true, false, c.osGradient().get(), os, 0.2f},
        // On under the pointer: the hover border, the on face and opacity.
        {true, false, true, true, c.osGradient().get(), hs, 0.2f},
        {true, false, false, true, c.hsGradient().get(), hs, 0.5f},
        {true, false, false, false, c.fsGradient().get(), fs, 0.3f},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(testing::Message() << k.enabled << k.highlighted << k.on << k.over);
        c.setEnabled(k.enabled);
        c.setHighlighted(k.highlighted);
        c.setState(k.on ? platform::OnState : platform::OffState);
        c.setMouseOver(k.over);
        const auto look = c.lookForState();
        EXPECT_EQ(look.gradient, k.gradient);
        EXPECT_EQ(look.borderColor, k.border);
        EXPECT_FLOAT_EQ(look.fraction, k.fraction);
    }
}

class QXImageButtonDrawingTest : public ::testing::Test {
protected:
    void SetUp() override {
        button = make<QXImageButton>(Rect(0, 0, 40, 30));
        button->setTitle("");
        // No faces unless a test gives one, so the border and the icon show alone.
        button->setProperties("disabledgradient[-]onstategradient[-]offstategradient[-]"
                              "pressedstategradient[-]hoverstategradient[-]");
        cell = button->imageCell();
    }
    Picture picture() { return Picture(*button, Size(40, 30)); }

    std::shared_ptr<QXImageButton> button;
    QXImageButtonCell* cell = nullptr;
};

TEST_F(QXImageButtonDrawingTest, TheFaceFollowsTheState) {
    button->setProperties("border[0]"
                          "disabledgradient[linear@0:c(1,0,0,1)@0,c(1,0,0,1)@1]"
                          "onstategradient[linear@0:c(0,1,0,1)@0,c(0,1,0,1)@1]"
                          "offstategradient[linear@0:c(0,0,1,1)@0,c(0,0,1,1)@1]"
                          "pressedstategradient[linear@0:c(1,1,0,1)@0,c(1,1,0,1)@1]"
                          "hoverstategradient[linear@0:c(1,0,1,1)@0,c(1,0,1,1)@1]");
    const struct {
        bool enabled, pressed, on, over;
        Color face;
    } cases[] = {
        {true, false, false, false, Color(0, 0, 1, 1)},
        {true, false, false, true, Color(1, 0, 1, 1)},
        {true, false, true, false, Color(0, 1, 0, 1)},
        {true, false, true, true, Color(0, 1, 0, 1)},
        {true, true, true, true, Color(1, 1, 0, 1)},
        {false, true, true, true, Color(1, 0, 0, 1)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.enabled << c.pressed << c.on << c.over);
        cell->setEnabled(c.enabled);
        cell->setHighlighted(c.pressed);
        cell->setState(c.on ? platform::OnState : platform::OffState);
        cell->setMouseOver(c.over);
        EXPECT_TRUE(near(picture().fromTop(20, 15), c.face));
    }
}

TEST_F(QXImageButtonDrawingTest, AStrokeOnlyAboveATenthOfAPoint) {
    button->setProperties("offstatebordercolor[1,0,0,1]border[0.1]");
    EXPECT_TRUE(near(picture().fromTop(20, 0), kBackdrop, 0.005));
    button->setProperties("border[0.11]");
    EXPECT_FALSE(near(picture().fromTop(20, 0), kBackdrop, 0.05));
    button->setProperties("border[1]");
    // The half-point inset puts a one-point line exactly on the edge pixels.
    EXPECT_TRUE(near(picture().fromTop(20, 0), kRed));
    EXPECT_TRUE(near(picture().fromTop(0, 15), kRed));
    EXPECT_TRUE(near(picture().fromTop(20, 1), kBackdrop));
}

TEST_F(QXImageButtonDrawingTest, TheFaceCoversTheInnerHalfOfTheBorder) {
    // A face inset by 5 points, so that both halves of a 4-point border are on the picture.
    button->setShape(
        Value(std::vector<Value>{Value("m p(5,5) a(0,0)"), Value("l p(-5,5) a(1,0)"),
                                 Value("l p(-5,-5) a(1,1)"), Value("l p(5,-5) a(0,1)")}));
    button->setProperties("border[4]offstatebordercolor[1,0,0,1]"
                          "offstategradient[linear@0:c(0,1,0,1)@0,c(0,1,0,1)@1]");
    // The line runs at x 5.5: red from 3.5 out, green from 5.5 in.
    const Picture p = picture();
    EXPECT_TRUE(near(p.fromTop(4, 15), kRed));
    EXPECT_TRUE(near(p.fromTop(6, 15), kGreen));
    EXPECT_TRUE(near(p.fromTop(2, 15), kBackdrop));
    EXPECT_TRUE(near(p.fromTop(20, 15), kGreen));
}

TEST_F(QXImageButtonDrawingTest, TheIconTakesTheStatesOpacityAndTheOnStatesAlternate) {
    button->setProperties("border[0]inset[0,0,0,0]");
    button->setImage(solidImage(Size(10, 10), kBlack));
    button->setAlternateImage(solidImage(Size(10, 10), kRed));
    // Scaled into the content rectangle, the frame less half a point all round.
    const auto iconAt = [&] { return picture().fromTop(20, 15); };
    const auto over = [](double alpha) { return Color(0, 1 - alpha, 1 - alpha, 1); };
    EXPECT_TRUE(near(iconAt(), over(0.9)));
    cell->setEnabled(false);
    EXPECT_TRUE(near(iconAt(), over(0.4)));
    cell->setEnabled(true);
    button->setState(platform::OnState);
    EXPECT_TRUE(near(iconAt(), Color(0.9, 0.1, 0.1, 1))); // the alternate at 0.9
    button->setProperties("onstateimagefraction[0.5]");
    EXPECT_TRUE(near(iconAt(), Color(0.5, 0.5, 0.5, 1)));
}

TEST_F(QXImageButtonDrawingTest, ABadgeOnlyWithText) {
    button->setProperties("border[0]badgecolor[1,0,0,1]");
    // The default badge patch: anchors y 0.5 to 1, the bottom-left quarter of a flipped view.
    EXPECT_TRUE(near(picture().fromTop(5, 25), kBackdrop));
    platform::TextAttributes white;
    white.foregroundColor = Color(1, 1, 1, 1);
    button->setBadgeText(platform::AttributedString("", white));
    EXPECT_TRUE(near(picture().fromTop(5, 25), kBackdrop));
    button->setBadgeText(platform::AttributedString("3", white));
    const Picture p = picture();
    EXPECT_TRUE(near(p.fromTop(1, 28), kRed));
    EXPECT_TRUE(near(p.fromTop(30, 25), kBackdrop));
    EXPECT_TRUE(near(p.fromTop(5, 5), kBackdrop));
    // The text lies in the patch, around its centre.
    bool whiteSeen = false;
    for (int y = 15; y < 30; ++y)
        for (int x = 0; x < 20; ++x)
            whiteSeen = whiteSeen || near(p.fromTop(x, y), Color(1, 1, 1, 1), 0.2);
    EXPECT_TRUE(whiteSeen);
}

TEST_F(QXImageButtonDrawingTest, TabsCentreOrRightAlignTheTitle) {
    button->setFrameSize(Size(120, 30));
    button->setProperties("border[0]");
    const auto columns = [&](const std::string& title) {
        button->setTitle(title);
        const Picture p(*button, Size(120, 30));
        int first = 999, last = -1;
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 120; ++x) {
                const Color c = p.fromTop(x, y);
                if (c.redComponent() < 0.5 && c.greenComponent() < 0.5) {
                    first = std::min(first, x);
                    last = std::max(last, x);
                }
            }
        return std::pair(first, last);
    };
    // Content: x 3.5 to 116.5; centre stop at 56.5, right stop at 112.
    const auto [leftFirst, leftLast] = columns("OK");
    EXPECT_LT(leftFirst, 8);
    const auto [centreFirst, centreLast] = columns("\tOK");
    EXPECT_NEAR((centreFirst + centreLast + 1) / 2.0, 3.5 + 56.5, 2.5);
    const auto [rightFirst, rightLast] = columns("\t\tOK");
    EXPECT_NEAR(rightLast + 1, 3.5 + 112, 2.5);
    EXPECT_GT(rightFirst, centreFirst);
}

// Writes down what the button tells its delegate.
class Listener : public QXImageButtonPr {
public:
    void buttonWasPressed(QXImageButton&) override { log.push_back("pressed"); }
    void buttonWasReleased(QXImageButton&, bool sent) override {
        log.push_back(sent ? "released sent" : "released");
    }
    std::vector<std::string> log;
};

class QXImageButtonEventsTest : public ButtonWindowTest {
protected:
    void SetUp() override {
        ButtonWindowTest::SetUp();
        button = make<QXImageButton>(Rect(20, 20, 40, 30));
        button->setTarget(&target);
        button->setAction("mute:");
        button->setDelegate(&listener);
        add(button);
    }
    void TearDown() override {
        button->setDelegate(nullptr);
        button.reset();
        ButtonWindowTest::TearDown();
    }

    ActionRecorder target;
    Listener listener;
    std::shared_ptr<QXImageButton> button;
};

TEST_F(QXImageButtonEventsTest, AClickInsideTogglesAndSendsTheAction) {
    input->click(Point(30, 30));
    EXPECT_EQ(listener.log, (std::vector<std::string>{"pressed", "released sent"}));
    EXPECT_EQ(button->state(), platform::OnState);
    EXPECT_EQ(target.actions, std::vector<std::string>{"mute:"});
    EXPECT_EQ(target.senders.front(), button.get());
    EXPECT_EQ(button->pressTrackingArea(), nullptr);
    input->click(Point(30, 30));
    EXPECT_EQ(button->state(), platform::OffState);

    // Without toggling only the action goes.
    button->setButtonToggles(false);
    input->click(Point(30, 30));
    EXPECT_EQ(button->state(), platform::OffState);
    EXPECT_EQ(target.actions.size(), 3u);
}

TEST_F(QXImageButtonEventsTest, ThePressFollowsThePointerOutAndBack) {
    input->mouseDown(Point(30, 30));
    EXPECT_TRUE(button->cell()->isHighlighted());
    ASSERT_NE(button->pressTrackingArea(), nullptr);
    input->dragged(Point(150, 150));
    EXPECT_FALSE(button->cell()->isHighlighted());
    input->dragged(Point(35, 35));
    EXPECT_TRUE(button->cell()->isHighlighted());
    input->dragged(Point(150, 150));
    input->mouseUp(Point(150, 150));
    EXPECT_EQ(listener.log,
              (std::vector<std::string>{"pressed", "released", "pressed", "released", "released"}));
    EXPECT_TRUE(target.actions.empty());
    EXPECT_EQ(button->state(), platform::OffState);
    EXPECT_FALSE(button->cell()->isHighlighted());
    EXPECT_EQ(button->pressTrackingArea(), nullptr);
}

TEST_F(QXImageButtonEventsTest, WithoutATargetTheReleaseStillCountsAsSent) {
    button->setTarget(nullptr);
    // A responder on the chain that would answer the action must not get it.
    ActionRecorder chain;
    platform::WindowServer::shared().setChainTail(
        [&] { return std::vector<platform::ActionTarget*>{&chain}; });
    input->click(Point(30, 30));
    platform::WindowServer::shared().setChainTail({});
    EXPECT_EQ(listener.log, (std::vector<std::string>{"pressed", "released sent"}));
    EXPECT_TRUE(chain.actions.empty());
    EXPECT_EQ(button->state(), platform::OnState);
}

TEST_F(QXImageButtonEventsTest, ADisabledButtonOnlyReportsTheRelease) {
    button->setEnabled(false);
    input->mouseDown(Point(30, 30));
    EXPECT_FALSE(button->cell()->isHighlighted());
    EXPECT_EQ(button->pressTrackingArea(), nullptr);
    input->mouseUp(Point(30, 30));
    EXPECT_EQ(listener.log, std::vector<std::string>{"released"});
    EXPECT_TRUE(target.actions.empty());
    EXPECT_EQ(button->state(), platform::OffState);
}

TEST_F(QXImageButtonEventsTest, ThePointerOverTheButtonGivesTheHoverLook) {
    input->moveMouse(Point(30, 30));
    EXPECT_TRUE(button->imageCell()->mouseOver());
    EXPECT_TRUE(listener.log.empty());
    input->moveMouse(Point(200, 150));
    EXPECT_FALSE(button->imageCell()->mouseOver());
}

} // namespace
