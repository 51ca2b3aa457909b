#include "app/MainWindowTestSupport.h"
#include "app/core/Indicators.h"
#include "app/main_window/DialpadWindowController.h"
#include "app/main_window/LogoView.h"
#include "platform/kit/Control.h"
#include "platform/kit/Screen.h"
#include "platform/kit/ValueTransformer.h"
#include "support/Notifications.h"
#include "widgets/QXBezierButtonCell.h"
#include "widgets/QXBezierComboButtonCell.h"
#include "widgets/QXContentView.h"
#include "widgets/QXFrameView.h"
#include "widgets/QXPartitionView.h"
#include "widgets/QXScalableButton.h"

#include <cstdlib>

namespace app_test {
namespace {

using platform::Color;
using platform::Point;
using platform::Rect;
using platform::Size;
using platform::Value;

// Stands in for the application controller where the window sends its Control shortcuts.
class ActionRecorder : public platform::ApplicationDelegate, public platform::ActionTarget {
public:
    bool tryToPerform(std::string_view action, platform::Object* /*sender*/) override {
        actions.emplace_back(action);
        return true;
    }
    bool respondsToAction(std::string_view /*action*/) const override { return true; }
    std::vector<std::string> actions;
};

// A control that can hold the keyboard focus without starting a text editor.
class FocusableControl : public platform::Control {
public:
    using Control::Control;
    bool acceptsFirstResponder() const override { return true; }
};

// How many pixels of `rect` (window points, y up) are closer to `color` than `tolerance`.
int pixelsNear(const platform::Image& image, const Rect& rect, const Color& color,
               double tolerance = 0.12) {
    int count = 0;
    for (int y = static_cast<int>(rect.minY()); y < static_cast<int>(rect.maxY()); ++y) {
        for (int x = static_cast<int>(rect.minX()); x < static_cast<int>(rect.maxX()); ++x) {
            const Color c = image.colorAt(x, y);
            if (std::abs(c.redComponent() - color.redComponent()) < tolerance &&
                std::abs(c.greenComponent() - color.greenComponent()) < tolerance &&
                std::abs(c.blueComponent() - color.blueComponent()) < tolerance)
                ++count;
        }
    }
    return count;
}

Rect inWindow(const platform::View& view) {
    return view.convertRectToView(view.bounds(), nullptr);
}

TEST_F(MainWindowTest, TheLoginViewIsWhatTheWindowShowsOnStart) {
    MainAppWindow& window = launch();
    ASSERT_EQ(window.currentViewName(), "login");
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(window.isKeyWindow());
    EXPECT_EQ(window.title(), "Lumiq");

    // The window takes the view's computed size plus the skin's top and bottom margins.
    const Size content = login().myView()->minimumSize();
    EXPECT_EQ(login().myView()->maximumSize(), content);
    EXPECT_EQ(window.frame().size, Size(content.width, content.height + 24 + 8));
    EXPECT_EQ(login().myView()->frame(), Rect(0, 8, content.width, content.height));

    window.displayIfNeeded();
    auto picture = screen->snapshotWindow(window);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->pixelsWide(), static_cast<int>(window.frame().width()));

    // The skin's gradient at the bottom, the logo in the top strip at the right, the white
    // user-name field and the drawn Login button.
    EXPECT_GT(pixelsNear(*picture, Rect(0, 0, content.width, 4), Color(0.80, 0.83, 0.88), 0.03),
              static_cast<int>(content.width) * 3);
    const Rect logo = inWindow(*window.logoView());
    EXPECT_GT(logo.minY(), content.height + 8) << "above the content";
    EXPECT_NEAR(logo.maxX(), window.frame().width() - 8, 0.01);
    EXPECT_GT(pixelsNear(*picture, logo, Color(0.16, 0.45, 0.73)), 20);
    const Rect field = inWindow(*login().username());
    EXPECT_GT(pixelsNear(*picture, field.insetBy(4, 4), Color(1, 1, 1), 0.02),
              static_cast<int>(field.width()) * 4);
    const Rect button = inWindow(*login().loginButton());
    EXPECT_LT(pixelsNear(*picture, button.insetBy(3, 3), Color(0.80, 0.83, 0.88), 0.05),
              static_cast<int>(button.width() * button.height()) / 4);

    const char* root = std::getenv("LUMIQ_TEST_TMP");
    const std::filesystem::path folder = root ? root : std::filesystem::temp_directory_path();
    std::filesystem::create_directories(folder);
    EXPECT_TRUE(screen->writeWindowPNG(window, folder / "main-window-login.png"));
    // Set when the picture in the documentation is made again.
    if (const char* shots = std::getenv("LUMIQ_SCREENSHOT_DIR")) {
        EXPECT_TRUE(
            screen->writeWindowPNG(window, std::filesystem::path(shots) / "main-window-login.png"));
    }
}

TEST_F(MainWindowTest, TheWindowIsAssembledFromTheBrand) {
    MainAppWindow& window = launch();
    std::vector<std::string> modules;
    for (const auto& module : window.mainView()->modules())
        modules.push_back(module->name());
    EXPECT_EQ(modules,
              (std::vector<std::string>{"primary", "functional", "calls", "advertisement"}));
    EXPECT_EQ(window.mainView()->getModuleView(0),
              PrimaryModuleController::sharedController().theView().get());

    for (const char* name : {"mainView", "splash", "importing", "login"})
        EXPECT_GE(window.indexOfViewNamed(name), 0) << name;
    EXPECT_TRUE(window.viewRemembersSize(window.indexOfViewNamed("mainView")));
    ASSERT_NE(window.splashScreenView(), nullptr);
    EXPECT_EQ(window.splashScreenView()->minimumSize(), Size(340, 420)) << "the splash image";
    EXPECT_EQ(window.splashScreenView()->maximumSize(), Size(340, 420));
    EXPECT_TRUE(window.views()[window.indexOfViewNamed("mainView")]->hasToolbar());

    auto* frame = dynamic_cast<QXFrameView*>(window.frameView());
    ASSERT_NE(frame, nullptr);
    EXPECT_NE(frame->gradient(), nullptr);
    EXPECT_EQ(frame->outlinePath(), nullptr) << "no path: the whole window is painted";
    EXPECT_EQ(frame->topMargin(), 24);
    EXPECT_EQ(frame->bottomMargin(), 8);
    EXPECT_TRUE(window.isExcludedFromWindowsMenu());
    EXPECT_TRUE(window.autorecalculatesKeyViewLoop());

    auto transports =
        platform::ValueTransformer::valueTransformerForName("TransportListTransformer");
    ASSERT_NE(transports, nullptr);
    EXPECT_EQ(transports->transformedValue(Value("UDP")).intValue(), 2);
    EXPECT_EQ(transports->reverseTransformedValue(Value(3)), Value("TLS"));
}

TEST_F(MainWindowTest, BrandVariantsOfModulesMarginAndPath) {
    Value path;
    for (const char* command : {"m p(0.5,0.5) a(0,0)", "l p(-0.5,0.5) a(1,0)",
                                "l p(-0.5,-0.5) a(1,1)", "l p(0.5,-0.5) a(0,1)"})
        path.append(Value(command));
    const struct {
        const char* name;
        Value modules;
        Value margin;
        Value path;
        std::vector<std::string> expectedModules;
        float top, bottom;
    } cases[] = {
        {"unknown names are skipped, order kept",
         Value(Value::Array{Value(Value::Dictionary{{"name", Value("calls")}}),
                            Value(Value::Dictionary{{"name", Value("sidebar")}}),
                            Value(Value::Dictionary{{"name", Value("primary")}})}),
         Value("(1,2,3,4)"),
         path,
         {"calls", "primary"},
         3,
         4},
        {"nothing given", Value(), Value(), Value(), {}, 0, 0},
        {"unparsable margin", Value(Value::Array{}), Value("wide"), Value(), {}, 0, 0},
    };
    for (const auto& c : cases) {
        startOver(bundleWith([&](Value& brand, Value&) {
            Value frame = brand["MainWindowFrame"];
            frame.setObject("Modules", c.modules);
            frame.setObject("Margin", c.margin);
            frame.setObject("Path", c.path);
            if (c.modules.isNull())
                frame.removeObjectForKey("Modules");
            brand.setObject("MainWindowFrame", frame);
            brand.removeObjectForKey("Logo");
        }));
        MainAppWindow& window = launch();
        std::vector<std::string> modules;
        for (const auto& module : window.mainView()->modules())
            modules.push_back(module->name());
        EXPECT_EQ(modules, c.expectedModules) << c.name;
        auto* frame = dynamic_cast<QXFrameView*>(window.frameView());
        EXPECT_EQ(frame->leftMargin(), 0) << c.name;
        EXPECT_EQ(frame->rightMargin(), 0) << c.name;
        EXPECT_EQ(frame->topMargin(), c.top) << c.name;
        EXPECT_EQ(frame->bottomMargin(), c.bottom) << c.name;
        EXPECT_EQ(frame->outlinePath() != nullptr, c.path.isArray()) << c.name;
        EXPECT_EQ(window.logoView()->frame().size, Size()) << "no logo in the brand";
        EXPECT_EQ(window.currentViewName(), "login") << c.name;
    }
}

TEST_F(MainWindowTest, TheBrandSetsTheButtonClassesDefaults) {
    struct Restore {
        ~Restore() {
            for (auto set : {&QXBezierButtonCell::setDefaultShowBorder,
                             &QXBezierComboButtonCell::setDefaultShowBorder})
                set(true);
            QXBezierButtonCell::setDefaultBorderColor(std::nullopt);
            QXBezierComboButtonCell::setDefaultBorderColor(std::nullopt);
            QXBezierButtonCell::setDefaultFontColor(std::nullopt);
            QXBezierComboButtonCell::setDefaultFontColor(std::nullopt);
            QXScalableButton::setDefaultFontColor(std::nullopt);
        }
    } restore;
    QXBezierButtonCell::setDefaultFontColor(Color(0, 1, 0, 1));
    startOver(bundleWith([](Value& brand, Value&) {
        Value buttons = brand["Buttons"];
        buttons.setObject("defaultBorderColor", Value("(1,0,0,1)"));
        buttons.setObject("showBorder", Value(false));
        buttons.removeObjectForKey("defaultFontColor");
        brand.setObject("Buttons", buttons);
    }));
    launch();
    for (const QXBezierButtonDefaults* d :
         {&QXBezierButtonCell::defaults(), &QXBezierComboButtonCell::defaults()}) {
        EXPECT_EQ(d->borderColor, Color(1, 0, 0, 1));
        EXPECT_FALSE(d->showBorder);
        EXPECT_NE(d->shape, nullptr);
        EXPECT_NE(d->normalGradient, nullptr);
        EXPECT_NE(d->pressedGradient, nullptr);
    }
    EXPECT_NE(QXBezierComboButtonCell::defaults().shapeRight, nullptr);
    EXPECT_EQ(QXBezierButtonCell::defaults().fontColor, Color(0, 1, 0, 1))
        << "a key the brand leaves out changes nothing";
}

TEST_F(MainWindowTest, TheProductNameReplacesThePlaceholderInTheMainMenu) {
    auto bar = std::make_shared<platform::Menu>("MainMenu");
    auto application = std::make_shared<platform::Menu>("NewApplication");
    for (const char* title : {"About NewApplication", "Hide NewApplication", "Preferences..."})
        application->addItemWithTitle(title, "", "");
    bar->setSubmenu(application, bar->addItemWithTitle("NewApplication", "", "").get());
    platform::Menu::setMainMenu(bar);
    launch();
    std::vector<std::string> titles;
    for (const auto& item : application->itemArray())
        titles.push_back(item->title());
    if (platform::Menu::mainMenu() == bar.get()) {
        EXPECT_EQ(titles,
                  (std::vector<std::string>{"About Lumiq", "Hide Lumiq", "Preferences..."}));
    }
    for (const auto& top : platform::Menu::mainMenu()->itemArray()) {
        if (!top->submenu())
            continue;
        for (const auto& item : top->submenu()->itemArray()) {
            EXPECT_EQ(item->title().find("NewApplication"), std::string::npos) << item->title();
        }
    }
}

TEST_F(MainWindowTest, PlaceAndSizeSurviveARestart) {
    {
        MainAppWindow& window = launch();
        EXPECT_EQ(window.mainView()->frame().size, Size(340, 100))
            << "nothing saved: the definition's width and a height of 100";
        EXPECT_EQ(window.frame().minX(), MainAppWindow::kDefinitionContentRect.minX());
        window.setFrameTopLeftPoint({321, 765});
        window.mainView()->setFrameSize({340, 333});
        app().terminate(nullptr);
        ASSERT_TRUE(app().isTerminated());
    }
    EXPECT_EQ(defaults().stringForKey("mainPhone.locationTopLeft"), "{321, 765}");

    startOver();
    MainAppWindow& window = launch();
    EXPECT_EQ(window.frame().minX(), 321);
    EXPECT_EQ(window.frame().maxY(), 765) << "the top edge stays where the user left it";
    EXPECT_EQ(window.mainView()->frame().size, Size(340, 333));
    EXPECT_EQ(window.currentViewName(), "login");
}

TEST_F(MainWindowTest, TheAlwaysOnTopSettingChoosesTheLevel) {
    MainAppWindow& window = launch();
    window.applyAlwaysOnTopSetting();
    EXPECT_EQ(window.level(), platform::NormalWindowLevel);
    defaults().setBool("mainPhone.ui.alwaysOnTop", true);
    window.applyAlwaysOnTopSetting();
    EXPECT_EQ(window.level(), platform::FloatingWindowLevel);
}

TEST_F(MainWindowTest, DisplayOperationsSwapTheNamedViewsAndBringTheWindowForward) {
    MainAppWindow& window = launch();
    for (const char* name :
         {"e911provision", "e911addressConfirmation", "e911disclaimer", "connectVideo"})
        window.addView(platform::make<QXContentView>(Rect(0, 0, 300, 200)), name);
    const struct {
        void (MainAppWindow::*display)();
        const char* view;
        const char* title;
    } cases[] = {
        {&MainAppWindow::displaySplashScreen, "splash", "Lumiq"},
        {&MainAppWindow::displayImporting, "importing", nullptr},
        {&MainAppWindow::displayE911Provision, "e911provision", nullptr},
        {&MainAppWindow::displayE911AddressConfirmation, "e911addressConfirmation", nullptr},
        {&MainAppWindow::displayE911Disclaimer, "e911disclaimer", nullptr},
        {&MainAppWindow::displayConnectVideo, "connectVideo", "Welcome to Lumiq"},
        {&MainAppWindow::displayLogin, "login", nullptr},
        {&MainAppWindow::displayMain, "mainView", "Lumiq"},
    };
    for (const auto& c : cases) {
        window.setTitle("something else");
        window.orderOut(nullptr);
        (window.*c.display)();
        EXPECT_EQ(window.currentViewName(), c.view);
        EXPECT_TRUE(window.isVisible()) << c.view;
        if (c.title) {
            EXPECT_EQ(window.title(), c.title) << c.view;
        }
    }
    EXPECT_TRUE(window.toolbarVisible()) << "the main view shows its toolbar";
    EXPECT_EQ(window.frame().width(), 340);
}

TEST_F(MainWindowTest, ZoomTogglesBetweenTheModulesLimitsUnlessTheyAreEqual) {
    MainAppWindow& window = launch();
    window.setAllowsZoom();
    EXPECT_FALSE(window.allowsZoom()) << "the login view has one size";

    window.displayMain();
    QXPartitionView& modules = *window.mainView();
    for (long i = 0; i < static_cast<long>(modules.moduleCount()); ++i)
        modules.setModuleConstraints(i, {100, 40}, {10000, 150});
    window.setAllowsZoom();
    ASSERT_TRUE(window.allowsZoom());
    const double largest = window.largestHeight();
    const double smallest = window.smallestHeight();
    ASSERT_GT(largest, smallest + 1);

    const Rect before = window.frame();
    window.zoom(nullptr);
    EXPECT_DOUBLE_EQ(window.frame().height(), largest);
    // Grows keeping its bottom edge, as far as the top stays on the screen.
    const platform::Rect visible = window.screen()->visibleFrame();
    EXPECT_DOUBLE_EQ(window.frame().maxY(), std::min(before.minY() + largest, visible.maxY()));
    EXPECT_TRUE(visible.containsRect(window.frame()));
    const double topAtLargest = window.frame().maxY();
    window.zoom(nullptr);
    EXPECT_DOUBLE_EQ(window.frame().height(), smallest);
    EXPECT_DOUBLE_EQ(window.frame().maxY(), topAtLargest) << "shrinks keeping its top edge";
}

TEST_F(MainWindowTest, ControlShortcutsGoToTheApplicationsDelegate) {
    MainAppWindow& window = launch();
    ASSERT_EQ(window.firstResponder(), &window) << "an empty user name leaves nothing focused";
    ActionRecorder recorder;
    AppController* appController = &controller();
    app().setDelegate(&recorder);
    const struct {
        char32_t key;
        platform::EventModifierFlags flags;
        bool repeat;
        const char* action; // nullptr: nothing sent
    } cases[] = {
        {U'n', platform::ControlKeyMask, false, "answerIncomingCall:"},
        {U'd', platform::ControlKeyMask, false, "declineIncomingCall:"},
        {U'e', platform::ControlKeyMask, false, "hangUpOrEndTransferActiveCall:"},
        {U'h', platform::ControlKeyMask, false, "toggleHoldActiveCall:"},
        {U'm', platform::ControlKeyMask, false, "toggleMicMute:"},
        {U'p', platform::ControlKeyMask, false, "placeCall:"},
        {U'r', platform::ControlKeyMask, false, "redial:"},
        {U't', platform::ControlKeyMask, false, "performTransferActiveCall:"},
        {U'9', platform::ControlKeyMask, false, "openTroubleshootingAudioTab:"},
        {U'n', platform::ControlKeyMask, true, nullptr},
        {U'x', platform::ControlKeyMask, false, nullptr},
        {U'n', 0, false, nullptr},
        {U'n', platform::CommandKeyMask | platform::ControlKeyMask, false, nullptr},
    };
    for (const auto& c : cases) {
        recorder.actions.clear();
        screen->keyDown(c.key, c.flags, c.repeat);
        screen->keyUp(c.key, c.flags);
        if (c.action) {
            EXPECT_EQ(recorder.actions, std::vector<std::string>{c.action}) << c.action;
        } else {
            EXPECT_TRUE(recorder.actions.empty()) << static_cast<char>(c.key);
        }
    }
    app().setDelegate(appController);
}

TEST_F(MainWindowTest, ClosingOnlyHidesTheWindow) {
    MainAppWindow& window = launch();
    window.performClose(nullptr);
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(app().isTerminated());
    EXPECT_EQ(controller().mainWindow(), &window);
    window.displayLogin();
    EXPECT_TRUE(window.isVisible());
}

TEST_F(MainWindowTest, TheFocusedListGetsTheContextMenuRequest) {
    MainAppWindow& window = launch();
    auto focus = std::make_shared<FocusableControl>(Rect(0, 0, 10, 10));
    login().myView()->addSubview(focus);
    auto menu = std::make_shared<platform::Menu>("context");
    std::vector<std::string> posted;
    platform::NotificationCenter::defaultCenter().addObserver(
        this, "", nullptr, [&](const platform::Notification& n) {
            if (n.userInfo[ContextMenu].object() == menu)
                posted.emplace_back(n.name);
        });
    const std::pair<long, std::string_view> cases[] = {
        {201, ContextMenuUpdateContactList},
        {202, ContextMenuUpdateHistoryList},
        {203, ContextMenuUpdateFavoriteList},
        {204, ContextMenuUpdateDirectoryList},
        {205, ""},
    };
    for (const auto& [tag, name] : cases) {
        posted.clear();
        focus->setTag(tag);
        ASSERT_TRUE(window.makeFirstResponder(focus.get()));
        window.addFocusContextualItems(*menu);
        if (name.empty()) {
            EXPECT_TRUE(posted.empty());
        } else {
            EXPECT_EQ(posted, std::vector<std::string>{std::string(name)}) << tag;
        }
    }
    window.makeFirstResponder(nullptr);
    posted.clear();
    window.addFocusContextualItems(*menu);
    EXPECT_TRUE(posted.empty()) << "no control has the focus";
    platform::NotificationCenter::defaultCenter().removeObserver(this);
}

TEST_F(MainWindowTest, AVisibleDialpadGoesAndComesBackWithTheWindow) {
    MainAppWindow& window = launch();
    window.miniaturize(nullptr);
    EXPECT_FALSE(window.dialPadVisibleBeforeHide()) << "no dialpad";
    window.deminiaturize(nullptr);

    DialpadWindowController::sharedController().showWindow(nullptr);
    window.miniaturize(nullptr);
    EXPECT_TRUE(window.dialPadVisibleBeforeHide());
    EXPECT_FALSE(DialpadWindowController::sharedController().isVisible());
    EXPECT_TRUE(engine()
                    .phoneService()
                    ->getPreferenceSettings()
                    ->sub("preferences")
                    ->sub("application")
                    ->sub("dialpadExpanded")
                    ->boolSetting());
    window.deminiaturize(nullptr);
    EXPECT_TRUE(DialpadWindowController::sharedController().isVisible());
}

} // namespace
} // namespace app_test
