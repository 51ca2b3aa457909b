#include "QXBaseWindowTestSupport.h"
#include "widgets/QXCollectionWindow.h"
#include "widgets/QXContentView.h"
#include "widgets/QXFrameView.h"
#include "widgets/QXToolBar.h"

namespace skinned_test {
namespace {

using platform::make;
using platform::UserDefaults;

class QXCollectionWindowTest : public SkinnedWindowTest {
protected:
    // A window at (100, 100, 300, 200) with margins (10, 10, 30, 10) and window limits that
    // give resizing views the content limits 100 x 100 to 1000 x 800. It holds "mainView"
    // (resizing, 400 x 300, remembers its size), "login" (fixed 250 x 150) and "splash"
    // (fixed 200 x 100).
    std::shared_ptr<QXCollectionWindow> makeWindow() {
        auto window =
            make<QXCollectionWindow>(Rect(100, 100, 300, 200), platform::ResizableWindowMask);
        window->setBkgMarginsLeft(10, 10, 30, 10);
        window->setMinSize({120, 140});
        window->setMaxSize({1020, 840});
        mainView = make<QXContentView>(Rect(0, 0, 400, 300));
        login = make<QXContentView>(Rect(0, 0, 250, 150));
        splash = make<QXContentView>(Rect(0, 0, 200, 100));
        EXPECT_EQ(window->addView(mainView, "mainView", true, nullptr), 0);
        EXPECT_EQ(window->addView(login, "login"), 1);
        EXPECT_EQ(window->addView(splash, "splash"), 2);
        window->setViewRemembersSize(0, true);
        return window;
    }

    static std::optional<Size> stored(std::string_view name) {
        auto text = UserDefaults::standardUserDefaults().stringForKey(
            QXCollectionWindow::sizeKeyForViewName(name));
        if (!text)
            return std::nullopt;
        return platform::sizeFromString(*text);
    }

    std::shared_ptr<QXContentView> mainView, login, splash;
};

TEST_F(QXCollectionWindowTest, AddingViewsSetsTheirLimits) {
    auto window = makeWindow();
    EXPECT_EQ(mainView->minimumSize(), Size(100, 100));
    EXPECT_EQ(mainView->maximumSize(), Size(1000, 800));
    EXPECT_TRUE(mainView->canResize());
    EXPECT_EQ(login->minimumSize(), Size(250, 150));
    EXPECT_EQ(login->maximumSize(), Size(250, 150));
    EXPECT_FALSE(login->canResize());
    EXPECT_EQ(login->name(), "login");
    EXPECT_EQ(window->currentViewIndex(), -1);
    EXPECT_EQ(window->currentView(), nullptr);
    EXPECT_EQ(window->currentViewName(), "");

    // setResize switches a view between the two kinds of limits.
    window->setResize(true, "splash");
    EXPECT_EQ(splash->maximumSize(), Size(1000, 800));
    window->setResize(false, "splash");
    EXPECT_EQ(splash->maximumSize(), Size(200, 100));
    window->setResize(true, "nothing");
}

TEST_F(QXCollectionWindowTest, SwappingShowsEachViewAtItsSizeWithItsHandleAndZoom) {
    auto window = makeWindow();
    const auto* frame = dynamic_cast<QXFrameView*>(window->frameView());
    ASSERT_NE(frame, nullptr);

    window->swapViewWithName("login");
    EXPECT_EQ(window->currentViewName(), "login");
    EXPECT_EQ(window->currentView(), login.get());
    EXPECT_EQ(window->contentView(), login.get());
    EXPECT_EQ(window->frame(), Rect(100, 110, 270, 190)); // top edge stays at 300
    EXPECT_EQ(login->frame(), Rect(10, 10, 250, 150));
    EXPECT_FALSE(frame->isResizeShown());
    EXPECT_FALSE(window->isZoomButtonEnabled());
    EXPECT_FALSE(window->showsToolbarButton());
    // A fixed-size view answers every resize with its size plus the margins.
    EXPECT_TRUE(sizeNear(window->windowWillResize(*window, {900, 20}), {270, 190}));

    window->swapViewWithName("mainView");
    EXPECT_EQ(window->currentViewIndex(), 0);
    EXPECT_EQ(window->frame(), Rect(100, -40, 420, 340));
    EXPECT_EQ(login->superview(), nullptr);
    EXPECT_TRUE(frame->isResizeShown());
    EXPECT_TRUE(window->isZoomButtonEnabled());

    window->swapViewWithIndex(2);
    EXPECT_EQ(window->currentViewName(), "splash");
    EXPECT_TRUE(sizeNear(window->contentSize(), {200, 100}));
}

TEST_F(QXCollectionWindowTest, TheShownViewsToolbarBecomesTheWindows) {
    auto window = makeWindow();
    auto toolbar =
        std::make_shared<QXToolBar>(std::make_shared<platform::View>(Rect(0, 0, 200, 30)));
    auto tooled = make<QXContentView>(Rect(0, 0, 300, 200));
    window->addView(tooled, "tooled", true, toolbar);
    EXPECT_TRUE(tooled->hasToolbar());

    window->swapViewWithName("tooled");
    EXPECT_TRUE(window->showsToolbarButton());
    EXPECT_EQ(window->toolbar(), toolbar->nativeToolbar());
    EXPECT_TRUE(window->toolbarVisible());

    window->swapViewWithName("login");
    EXPECT_FALSE(window->showsToolbarButton());
    EXPECT_EQ(window->toolbar(), nullptr);
    EXPECT_FALSE(window->toolbarVisible());
}

TEST_F(QXCollectionWindowTest, ARememberedSizeSurvivesARestart) {
    {
        auto window = makeWindow();
        window->swapViewWithName("mainView");
        window->setContentSize({500, 400});
        EXPECT_FALSE(stored("mainView")); // saved when the view is swapped away
        window->swapViewWithName("login");
        ASSERT_TRUE(stored("mainView"));
        EXPECT_TRUE(sizeNear(*stored("mainView"), {500, 400}));
        EXPECT_FALSE(stored("login")); // it does not remember
        window->swapViewWithName("splash");
        EXPECT_FALSE(stored("login"));
    }

    // A new process: fresh defaults read from the same file, a new window and new views.
    UserDefaults::resetStandardUserDefaults(defaultsFile);
    auto window = makeWindow();
    window->swapViewWithName("login");
    window->swapViewWithName("mainView");
    EXPECT_TRUE(sizeNear(window->contentSize(), {500, 400}));
    EXPECT_EQ(mainView->frame().size, Size(500, 400));
}

TEST_F(QXCollectionWindowTest, StoredSizesAreClampedAndEmptyOnesIgnored) {
    const struct {
        const char* stored;
        Size shown;
        const char* what;
    } cases[] = {
        {"{500, 400}", {500, 400}, "a size within the limits"},
        // The maximum height less 40 (no toolbar), the maximum width.
        {"{5000, 5000}", {1000, 760}, "a size beyond the limits"},
        {"{0, 0}", {400, 300}, "zero is no size: the view's frame size"},
        {"rubbish", {400, 300}, "unreadable: the view's frame size"},
        {"{50, 40}", {100, 100}, "below the minimum"},
    };
    for (const auto& c : cases) {
        UserDefaults::standardUserDefaults().setString(
            QXCollectionWindow::sizeKeyForViewName("mainView"), c.stored);
        auto window = makeWindow();
        window->swapViewWithName("mainView");
        EXPECT_TRUE(sizeNear(window->contentSize(), c.shown))
            << c.what << ": " << window->contentSize().width << " x "
            << window->contentSize().height;
    }

    // A view that does not remember ignores what is stored under its name.
    UserDefaults::standardUserDefaults().setString(QXCollectionWindow::sizeKeyForViewName("splash"),
                                                   "{500, 400}");
    auto window = makeWindow();
    window->swapViewWithName("splash");
    EXPECT_TRUE(sizeNear(window->contentSize(), {200, 100}));
}

TEST_F(QXCollectionWindowTest, SwappingToTheShownViewDoesNothing) {
    auto window = makeWindow();
    window->swapViewWithName("mainView");
    window->setContentSize({500, 400});
    window->swapViewWithName("mainView");
    window->swapViewWithIndex(0);
    EXPECT_FALSE(stored("mainView"));
    EXPECT_TRUE(sizeNear(window->contentSize(), {500, 400}));
}

TEST_F(QXCollectionWindowTest, LookupsAndBadIndexes) {
    auto window = makeWindow();
    auto second = make<QXContentView>(Rect(0, 0, 10, 10));
    EXPECT_EQ(window->addView(second, "login"), 3);
    // Names are looked up first come, first served.
    EXPECT_EQ(window->indexOfViewNamed("login"), 1);
    EXPECT_EQ(window->indexOfView(second.get()), 3);
    EXPECT_EQ(window->indexOfViewNamed("nothing"), -1);
    EXPECT_EQ(window->indexOfView(nullptr), -1);
    window->swapViewWithName("login");
    EXPECT_EQ(window->currentView(), login.get());

    for (long bad : {-1L, 4L, 100L}) {
        window->swapViewWithIndex(bad);
        EXPECT_EQ(window->currentViewIndex(), 1) << bad;
        EXPECT_FALSE(window->viewRemembersSize(bad)) << bad;
        window->setViewRemembersSize(bad, true);
    }
    window->swapViewWithName("nothing");
    EXPECT_EQ(window->currentViewIndex(), 1);

    // Removing a view before the shown one leaves the index where it was: it names the next
    // view until the next swap.
    window->removeViewWithName("mainView");
    EXPECT_EQ(window->currentViewIndex(), 1);
    EXPECT_EQ(window->currentView(), splash.get());
    window->removeView(splash.get());
    window->removeView(second.get());
    EXPECT_EQ(window->currentView(), nullptr);
    EXPECT_EQ(window->currentViewName(), "");
}

} // namespace
} // namespace skinned_test
