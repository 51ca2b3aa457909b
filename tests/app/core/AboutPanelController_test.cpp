#include "app/AppTestSupport.h"
#include "app/core/AboutPanelController.h"
#include "app/core/AdvertismentWindowController.h"
#include "engine/FeaturesService.h"
#include "platform/kit/ClipView.h"
#include "platform/kit/Event.h"
#include "platform/kit/ScrollView.h"
#include "platform/kit/Scroller.h"
#include "platform/kit/TextField.h"
#include "platform/kit/WindowServer.h"
#include "platform/screen/HeadlessScreen.h"

#include <fstream>

namespace {

using platform::Event;
using platform::EventType;
using platform::RunLoop;

class AboutTest : public app_test::AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        platform::WindowServer::shared().reset();
        platform::HeadlessScreen::install();
    }
    void TearDown() override {
        AboutPanelController::releaseSharedInstance();
        AdvertismentWindowController::releaseSharedController();
        AdvertismentWindowController::setURLOpener(nullptr);
        platform::WindowServer::shared().reset();
        platform::setScreenBackend(nullptr);
        AppTest::TearDown();
    }

    static void setCopyrightFeature(bool on) {
        engine().featuresService()->setFeatureAvailable("about_box_has_copyright_info", on);
    }
    static AboutPanelController& about() { return AboutPanelController::sharedInstance(); }
    static double scrolled() {
        return about().textScrollView->contentView()->documentVisibleRect().minY();
    }
    static void send(const Event& event) {
        platform::WindowServer::shared().postEvent(event);
        platform::WindowServer::shared().dispatchPendingEvents();
    }
    static void key(std::string_view characters) {
        send(Event::keyEvent(EventType::KeyDown, characters, 0, about().panelToDisplay.get()));
    }
    static void click(platform::Point inWindow, EventType type = EventType::LeftMouseDown) {
        send(Event::mouseEvent(type, inWindow, 0, about().panelToDisplay.get()));
    }
    static std::string blankLines() { return std::string(AboutPanelController::kBlankLines, '\n'); }
    // The bundle with its Info keys changed by `change`.
    std::filesystem::path bundleWithInfo(const std::function<void(platform::Value&)>& change) {
        const auto folder = app_test::copyBundle(tmp / "bundle");
        auto info = platform::Value::readPropertyListFile(folder / "Info.plist");
        change(*info);
        EXPECT_TRUE(info->writePropertyListFile(folder / "Info.plist"));
        return folder;
    }
};

TEST_F(AboutTest, ShowsNameVersionAndBuildInAWhitePanelThatStaysInTheBackground) {
    AboutPanelController& controller = about();
    EXPECT_EQ(controller.shortInfoField->stringValue(), "Lumiq 1.0");
    EXPECT_EQ(controller.versionField->stringValue(), "Build 1.0.0.1");
    NSFancyPanel& panel = *controller.panelToDisplay;
    EXPECT_EQ(panel.backgroundColor(), platform::Color::whiteColor());
    EXPECT_FALSE(panel.hidesOnDeactivate());
    EXPECT_TRUE(panel.canBecomeMainWindow());
    EXPECT_EQ(controller.textView->window(), &panel) << "the laid-out content moved over";
    EXPECT_FALSE(panel.isVisible());

    controller.showPanel();
    EXPECT_TRUE(panel.isVisible());
    EXPECT_TRUE(panel.isKeyWindow());
    EXPECT_GT(controller.textView->textHeight(), controller.textScrollView->contentSize().height);
}

TEST_F(AboutTest, MissingVersionsLeaveTheirFieldsAndAMissingCopyrightIsLeftOut) {
    reset(bundleWithInfo([](platform::Value& info) {
        info.removeObjectForKey("CFBundleShortVersionString");
        info.removeObjectForKey("CFBundleVersion");
        info.removeObjectForKey("NSHumanReadableCopyright");
    }));
    platform::HeadlessScreen::install();
    setCopyrightFeature(true);
    AboutPanelController& controller = about();
    EXPECT_EQ(controller.shortInfoField->stringValue(), "");
    EXPECT_EQ(controller.versionField->stringValue(), "");
    EXPECT_EQ(controller.textView->attributedString().string(),
              blankLines() + controller.textToScroll().string() + blankLines());
}

TEST_F(AboutTest, TheCopyrightJoinsTheCreditsOnlyWhenTheFeatureIsOn) {
    const std::string copyright = "Copyright \u00a9 2024 Orvanta. All rights reserved.";
    for (bool on : {false, true}) {
        SCOPED_TRACE(on);
        AboutPanelController::releaseSharedInstance();
        setCopyrightFeature(on);
        AboutPanelController& controller = about();
        const std::string credits = controller.textToScroll().string();
        ASSERT_NE(credits.find("Lumiq"), std::string::npos) << "about.rtf is read";
        const platform::AttributedString& text = controller.textView->attributedString();
        if (!on) {
            EXPECT_EQ(text.string(), blankLines() + credits + blankLines());
            continue;
        }
        EXPECT_EQ(text.string(),
                  "\n\n\n\n\n" + copyright + "\n\n\n\n\n" + credits + blankLines() + copyright);
        const auto first = text.attributesAtIndex(AboutPanelController::kCopyrightIndex);
        EXPECT_EQ(first.effectiveFont().fontName(), "Monaco");
        EXPECT_EQ(first.effectiveFont().pointSize(), 12);
        EXPECT_EQ(first.effectiveParagraphStyle().alignment, platform::TextAlignment::Center);
        const auto last = text.attributesAtIndex(text.length() - 1);
        EXPECT_EQ(last.effectiveFont().fontName(), "Helvetica");
        EXPECT_EQ(last.effectiveFont().pointSize(), 10);
    }
}

TEST_F(AboutTest, CreditsScrollAPointATickFromTheTopEachTimeWithOneTimer) {
    AboutPanelController& controller = about();
    controller.showPanel();
    EXPECT_EQ(scrolled(), 0);
    RunLoop::main().runFor(0.3 + 0.001);
    EXPECT_EQ(scrolled(), 10);

    controller.showPanel();
    EXPECT_EQ(scrolled(), 0) << "shown again: back to the top";
    RunLoop::main().runFor(0.03 + 0.001);
    EXPECT_EQ(scrolled(), 1) << "still one timer";

    // At the end the credits stay where they are.
    const double end = controller.textView->textHeight() -
                       controller.textScrollView->contentView()->bounds().height();
    RunLoop::main().runFor((end + 20) * AboutPanelController::kScrollInterval);
    EXPECT_EQ(scrolled(), end);

    controller.hidePanel();
    EXPECT_FALSE(controller.isScrolling());
    EXPECT_FALSE(controller.panelToDisplay->isVisible());
}

TEST_F(AboutTest, EscapeReturnAndClicksCloseThePanel) {
    AboutPanelController& controller = about();
    const platform::Point inCredits =
        controller.textScrollView->convertPointToView({40, 40}, nullptr);
    struct Case {
        const char* what;
        std::function<void()> act;
        bool closes;
    };
    const Case cases[] = {
        {"a letter", [] { key("a"); }, false},
        {"escape", [] { key("\x1b"); }, true},
        {"return", [] { key("\r"); }, true},
        {"enter", [] { key("\x03"); }, true},
        {"a click on the credits", [&] { click(inCredits); }, true},
        {"a right click", [&] { click(inCredits, EventType::RightMouseDown); }, true},
        {"the close button", [&] { controller.panelToDisplay->performClose(nullptr); }, true},
    };
    for (const Case& c : cases) {
        controller.showPanel();
        c.act();
        EXPECT_EQ(!controller.panelToDisplay->isVisible(), c.closes) << c.what;
        EXPECT_EQ(!controller.isScrolling(), c.closes) << c.what;
    }
}

TEST_F(AboutTest, AClickOnTheShownScrollerScrollsInsteadOfClosing) {
    AboutPanelController& controller = about();
    controller.setShowsScroller(true);
    controller.showPanel();
    platform::Scroller* scroller = controller.textScrollView->verticalScroller();
    ASSERT_NE(scroller, nullptr);
    ASSERT_FALSE(scroller->isHiddenOrHasHiddenAncestor());
    click(scroller->convertPointToView(scroller->bounds().center(), nullptr));
    send(Event::mouseEvent(EventType::LeftMouseUp,
                           scroller->convertPointToView(scroller->bounds().center(), nullptr), 0,
                           controller.panelToDisplay.get()));
    EXPECT_TRUE(controller.panelToDisplay->isVisible());
}

TEST_F(AboutTest, NoAdvertisementWithoutAnAddress) {
    AdvertismentWindowController& ad =
        AdvertismentWindowController::sharedAdvertismentWindowController();
    ad.run(); // no application controller: no brand
    platform::Value brand;
    platform::Value section;
    section.setObject("URL", "");
    brand.setObject("AdvertisementWindow", section);
    ad.run(brand);
    EXPECT_FALSE(ad.isWindowLoaded());
}

TEST_F(AboutTest, TheAdvertisementShowsItsPageAndSendsNewWindowsToTheBrowser) {
    const std::filesystem::path folder = tmp / "ad folder";
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "ad.html")
        << R"(<h1>Offer</h1><p><a href="https://shop.example.com/x" target="_blank">Buy</a></p>)";
    std::vector<std::string> opened;
    AdvertismentWindowController::setURLOpener(
        [&](const std::string& url) { opened.push_back(url); });

    platform::Value brand;
    platform::Value section;
    // Blanks become %20 on the way, as every brand address does.
    section.setObject("URL", "file://" + (folder / "ad.html").string());
    brand.setObject("AdvertisementWindow", section);
    AdvertismentWindowController& ad =
        AdvertismentWindowController::sharedAdvertismentWindowController();
    ad.run(brand);
    ASSERT_NE(ad.window(), nullptr);
    EXPECT_TRUE(ad.window()->isVisible());
    platform::WebView& web = *ad.webView();
    EXPECT_EQ(web.renderedText(), "Offer\nBuy");

    const auto links = web.linkAreas();
    ASSERT_EQ(links.size(), 1u);
    const platform::Point at = web.convertPointToView(links[0].rects.front().center(), nullptr);
    send(Event::mouseEvent(EventType::LeftMouseDown, at, 0, ad.window()));
    send(Event::mouseEvent(EventType::LeftMouseUp, at, 0, ad.window()));
    EXPECT_EQ(opened, std::vector<std::string>{"https://shop.example.com/x"});
    EXPECT_EQ(web.renderedText(), "Offer\nBuy") << "the page stays";

    // An advertisement that cannot load: the window says nothing, the log does.
    const std::string gone = "file:///nonexistent/gone.html";
    section.setObject("URL", gone);
    brand.setObject("AdvertisementWindow", section);
    ad.run(brand);
    settle();
    EXPECT_TRUE(logged(gone + " cannot be shown"));
}

} // namespace
