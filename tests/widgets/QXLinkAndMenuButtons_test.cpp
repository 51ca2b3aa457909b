#include "ButtonTestSupport.h"
#include "platform/foundation/Value.h"
#include "platform/kit/Cursor.h"
#include "platform/kit/MenuItem.h"
#include "support/ButtonExtensions.h"
#include "support/TextExtensions.h"
#include "widgets/QXDropDownButton.h"
#include "widgets/QXHyperlinkButton.h"
#include "widgets/QXPopUpButton.h"
#include "widgets/QXPopViewButton.h"
#include "widgets/QXScalableButton.h"

#include <gtest/gtest.h>

namespace {

using namespace button_test;
using platform::make;
using platform::Value;

std::shared_ptr<QXHyperlinkButton> linkFromInterface(const std::string& key,
                                                     const std::string& title = "Help") {
    auto plain = std::make_shared<platform::ButtonCell>(title);
    plain->setAlternateTitle(key);
    auto button = QXHyperlinkButton::initWithCoder(Rect(20, 20, 120, 20), plain);
    return button;
}

class QXHyperlinkButtonTest : public ButtonWindowTest {
protected:
    void SetUp() override {
        ButtonWindowTest::SetUp();
        QXHyperlinkButton::setBrandHyperlinks(Value(platform::Value::Dictionary{
            {"help", Value("https://help.example.org/start")},
            {"help.title", Value("Get help")},
            {"terms", Value("https://example.org/terms")},
            {"terms.title", Value("")},
            {"broken", Value("-not an address")},
        }));
        QXHyperlinkButton::setURLOpener([this](const std::string& url) { opened.push_back(url); });
    }
    void TearDown() override {
        QXHyperlinkButton::setURLOpener({});
        QXHyperlinkButton::setBrandHyperlinks(Value());
        ButtonWindowTest::TearDown();
    }
    std::vector<std::string> opened;
};

TEST_F(QXHyperlinkButtonTest, TheBrandGivesAddressAndTitle) {
    auto help = linkFromInterface("help");
    ASSERT_NE(help->hyperlinkCell(), nullptr);
    help->awake();
    EXPECT_EQ(help->target(), help.get());
    EXPECT_EQ(help->action(), "hyperlinkPressed");
    EXPECT_EQ(help->hyperlink(), "https://help.example.org/start");
    EXPECT_EQ(help->title(), "Get help");

    // An empty title text leaves the interface's title; a missing key gives no address.
    auto terms = linkFromInterface("terms", "Terms");
    terms->awake();
    EXPECT_EQ(terms->title(), "Terms");
    EXPECT_EQ(terms->hyperlink(), "https://example.org/terms");
    auto missing = linkFromInterface("nowhere", "Nowhere");
    missing->awake();
    EXPECT_EQ(missing->hyperlink(), std::nullopt);

    // A target and an action of its own: the brand is not read at all.
    ActionRecorder target;
    auto own = linkFromInterface("help", "Own");
    own->setTarget(&target);
    own->setAction("openHelp:");
    own->awake();
    EXPECT_EQ(own->target(), &target);
    EXPECT_EQ(own->hyperlink(), std::nullopt);
    EXPECT_EQ(own->title(), "Own");
}

TEST_F(QXHyperlinkButtonTest, AClickOpensTheAddressOnlyWhenThereIsOne) {
    auto help = linkFromInterface("help");
    help->awake();
    add(help);
    input->click(Point(40, 30));
    EXPECT_EQ(opened, std::vector<std::string>{"https://help.example.org/start"});

    auto none = linkFromInterface("nowhere");
    none->awake();
    none->hyperlinkPressed();
    auto broken = linkFromInterface("broken");
    broken->awake();
    broken->hyperlinkPressed();
    EXPECT_EQ(opened.size(), 1u);
    // Addresses set in code go the same way.
    none->setHyperlink("https://example.org/update");
    none->hyperlinkPressed();
    EXPECT_EQ(opened.back(), "https://example.org/update");
}

TEST_F(QXHyperlinkButtonTest, ThePointerUnderlinesAnEnabledLinkAndShowsTheHand) {
    auto help = linkFromInterface("help");
    help->awake();
    add(help);
    platform::Cursor::arrowCursor()->set();
    input->moveMouse(Point(40, 30));
    EXPECT_TRUE(help->hyperlinkCell()->mouseOver());
    EXPECT_EQ(platform::Cursor::currentCursor(), platform::Cursor::pointingHandCursor());
    const Picture over(*help, Size(120, 20));
    input->moveMouse(Point(250, 150));
    EXPECT_FALSE(help->hyperlinkCell()->mouseOver());
    EXPECT_EQ(platform::Cursor::currentCursor(), platform::Cursor::arrowCursor());
    const Picture away(*help, Size(120, 20));
    EXPECT_TRUE(over.differsFrom(away));

    // Disabled: the cursor stays, the link is not redrawn on entry nor underlined.
    help->setEnabled(false);
    window->displayIfNeeded();
    const Picture disabled(*help, Size(120, 20));
    input->moveMouse(Point(40, 30));
    EXPECT_TRUE(help->hyperlinkCell()->mouseOver());
    EXPECT_FALSE(help->needsDisplay());
    EXPECT_EQ(platform::Cursor::currentCursor(), platform::Cursor::arrowCursor());
    EXPECT_FALSE(Picture(*help, Size(120, 20)).differsFrom(disabled));
}

class QXDropDownButtonTest : public ButtonWindowTest {
protected:
    void SetUp() override {
        ButtonWindowTest::SetUp();
        button = std::make_shared<QXDropDownButton>(Rect(20, 20, 80, 24));
        button->setTarget(&target);
        button->setAction("plain:");
        button->menu()->addItemWithTitle("title", "", "");
        button->menu()->addItemWithTitle("Settings", "settings:", "")->setTarget(&target);
        add(button);
        platform::Menu::setTrackingHook([this](platform::Menu& menu) {
            ++opened;
            menu.finishTrackingWithItem(menu.itemAtIndex(1));
        });
    }
    ActionRecorder target;
    std::shared_ptr<QXDropDownButton> button;
    int opened = 0;
};

TEST_F(QXDropDownButtonTest, ALeftClickDropsTheMenuUnlessASheetIsShown) {
    ASSERT_NE(button->popupButtonCell(), nullptr);
    EXPECT_TRUE(button->popupButtonCell()->pullsDown());
    EXPECT_EQ(button->popupButtonCell()->menu(), button->menu());
    input->click(Point(40, 30));
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(target.actions, std::vector<std::string>{"settings:"});
    EXPECT_FALSE(button->cell()->isHighlighted());

    // With a sheet on the window (which then takes no events itself): a plain click, and
    // right clicks are ignored.
    auto sheet = make<platform::Window>(Rect(0, 0, 100, 60), platform::TitledWindowMask);
    platform::WindowServer::shared().beginSheet(*sheet, *window);
    ASSERT_NE(window->attachedSheet(), nullptr);
    target.actions.clear();
    button->mouseDown(Event::mouseEvent(EventType::LeftMouseDown, Point(40, 30), 0, window.get()));
    button->mouseUp(Event::mouseEvent(EventType::LeftMouseUp, Point(40, 30), 0, window.get()));
    button->rightMouseDown(
        Event::mouseEvent(EventType::RightMouseDown, Point(40, 30), 0, window.get()));
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(target.actions, std::vector<std::string>{"plain:"});
    platform::WindowServer::shared().endSheet(*sheet);
    sheet->orderOut(nullptr);

    // A right click without a sheet shows the menu as a context menu.
    input->rightClick(Point(40, 30));
    EXPECT_EQ(opened, 2);
}

TEST(QXPopUpButton, FitsItsTitleWithinItsSuperview) {
    auto superview = std::make_shared<platform::View>(Rect(0, 0, 300, 40));
    auto popUp = std::make_shared<QXPopUpButton>(Rect(10, 5, 100, 24));
    superview->addSubview(popUp);
    popUp->addItemsWithTitles({"Hi", std::string(80, 'W')});
    popUp->awake();
    EXPECT_TRUE(popUp->resizesToFitContent());

    popUp->selectItemAtIndex(0);
    popUp->updateCell(popUp->cell());
    platform::TextAttributes attributes;
    attributes.font = popUp->font();
    const double needed =
        OrvantaExtensions::widthForHeight(platform::AttributedString("Hi", attributes), 24) + 40;
    EXPECT_GT(needed, 45);
    EXPECT_DOUBLE_EQ(popUp->frame().width(), needed);
    EXPECT_EQ(popUp->frame().origin, Point(10, 5));
    EXPECT_EQ(popUp->frame().height(), 24);

    popUp->selectItemAtIndex(1);
    popUp->updateCell(popUp->cell());
    EXPECT_EQ(popUp->frame().width(), 300);

    // Without fitting, nothing changes.
    popUp->resizeToFitContent(false);
    popUp->setFrameSize(Size(50, 24));
    popUp->updateCell(popUp->cell());
    EXPECT_EQ(popUp->frame().width(), 50);
}

TEST_F(QXHyperlinkButtonTest, APopViewButtonShowsItsViewUnderItself) {
    auto button = std::make_shared<QXPopViewButton>(Rect(20, 100, 60, 20));
    auto shown = std::make_shared<platform::View>(Rect(0, 0, 120, 80));
    auto parent = std::make_shared<platform::View>(Rect(200, 10, 40, 20));
    add(button);
    add(parent);
    button->setPopView(shown);
    button->setPopTarget(shown.get());
    button->setParentView(parent.get());

    input->click(Point(30, 110));
    ASSERT_NE(button->popMenu(), nullptr);
    EXPECT_EQ(button->popMenu()->holderView(), shown.get());
    EXPECT_EQ(button->popMenu()->parentView(), parent.get());
    EXPECT_EQ(window->firstResponder(), parent.get());
    EXPECT_FALSE(button->cell()->isHighlighted());
    // Its top-left corner at the button's bottom-left corner: on the screen (120, 200).
    EXPECT_EQ(button->popMenu()->frame().origin.x, 120);
    EXPECT_EQ(button->popMenu()->frame().maxY(), 200);

    // Dismissing posts a click of another button into the menu's window.
    button->dismiss();
    auto posted = platform::WindowServer::shared().nextEventMatchingMask(
        platform::OtherMouseDownMask, clock->now(), platform::DefaultRunLoopMode, true);
    ASSERT_TRUE(posted.has_value());
    EXPECT_EQ(posted->windowNumber(), button->popMenu()->windowNumber());
    EXPECT_EQ(posted->clickCount(), 1);

    // Disabled: nothing.
    auto first = button->popMenu();
    button->setEnabled(false);
    input->click(Point(30, 110));
    EXPECT_EQ(button->popMenu(), first);
}

TEST(QXScalableButton, NinePartDrawingWithTheClassTitleColour) {
    QXScalableButton::setDefaultFontColor(std::nullopt);
    auto black = std::make_shared<QXScalableButton>(Rect(0, 0, 80, 30));
    EXPECT_EQ(black->buttonType(), QXButtonTypeScalable);
    EXPECT_EQ(QXScalableButton::defaultFontColor(), Color(0, 0, 0, 1));
    EXPECT_EQ(OrvantaExtensions::textColor(*black), Color(0, 0, 0, 1));

    const Color white(1, 1, 1, 1);
    QXScalableButton::setDefaultFontColor(white);
    auto plain = std::make_shared<platform::ButtonCell>("Sign In");
    plain->setKeyEquivalent("\r");
    auto button = QXScalableButton::initWithCoder(Rect(0, 0, 80, 30), plain);
    ASSERT_NE(button->qxCell(), nullptr);
    EXPECT_EQ(button->keyEquivalent(), "\r");
    EXPECT_EQ(OrvantaExtensions::textColor(*button), white);
    // A new title keeps the colour, also after an empty one.
    button->setTitle("Signing In");
    EXPECT_EQ(OrvantaExtensions::textColor(*button), white);
    button->setTitle("");
    button->setTitle("Cancel");
    EXPECT_EQ(OrvantaExtensions::textColor(*button), white);
    EXPECT_EQ(button->title(), "Cancel");
    QXScalableButton::setDefaultFontColor(std::nullopt);
}

} // namespace
