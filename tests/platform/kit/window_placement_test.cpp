#include "platform/kit/Alert.h"
#include "platform/kit/KitTestSupport.h"
#include "platform/kit/Panel.h"
#include "platform/kit/Screen.h"

#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace kittest;
using platform::Alert;

// One display of the given size, with a 24-point panel kept free at its top.
class OneScreen : public platform::ScreenBackend {
public:
    explicit OneScreen(Size size) : size_(size) {}
    std::string name() const override { return "test"; }
    std::vector<platform::ScreenDescription> screens() const override {
        return {{Rect({}, size_), Rect(0, 0, size_.width, size_.height - 24), 1.0}};
    }

private:
    Size size_;
};

class WindowPlacementTest : public KitTest {
protected:
    void TearDown() override {
        Alert::setPresentationHook({});
        KitTest::TearDown();
    }
    static void useScreen(Size size) {
        platform::setScreenBackend(std::make_unique<OneScreen>(size));
        platform::screensChanged();
    }
    static Rect visible() { return platform::Screen::mainScreen()->visibleFrame(); }
};

// The window the program places wrongly in each case, and the window to look at afterwards.
struct Case {
    const char* name;
    std::function<std::shared_ptr<Window>(WindowPlacementTest&,
                                          std::vector<std::shared_ptr<void>>&)>
        place;
};

std::shared_ptr<Window> titled(Rect frame) {
    return make<Window>(frame, platform::TitledWindowMask | platform::ResizableWindowMask);
}

TEST_F(WindowPlacementTest, WindowsSheetsAndAlertsOpenWhollyOnTheVisibleScreen) {
    const Case cases[] = {
        {"a sheet wider than its narrow parent at the left edge",
         [](auto&, auto& keep) {
             auto parent = titled({0, 300, 260, 300});
             parent->makeKeyAndOrderFront(nullptr);
             auto sheet = make<platform::Panel>(Rect{0, 0, 420, 180}, platform::TitledWindowMask);
             WindowServer::shared().beginSheet(*sheet, *parent, {});
             keep.push_back(parent);
             return sheet;
         }},
        {"a sheet taller than the room below its parent's top",
         [](auto&, auto& keep) {
             auto parent = titled({40, 10, 300, 120});
             parent->makeKeyAndOrderFront(nullptr);
             auto sheet = make<platform::Panel>(Rect{0, 0, 380, 260}, platform::TitledWindowMask);
             WindowServer::shared().beginSheet(*sheet, *parent, {});
             keep.push_back(parent);
             return sheet;
         }},
        {"an alert sheet with a long text on a window in the bottom left corner",
         [](auto&, auto& keep) {
             auto parent = titled({-30, -20, 200, 150});
             parent->makeKeyAndOrderFront(nullptr);
             auto alert = Alert::alert();
             alert->setMessageText("Do you really want to quit?");
             alert->setInformativeText(std::string(600, 'x'));
             alert->addButtonWithTitle("Quit");
             alert->addButtonWithTitle("Cancel");
             alert->beginSheetModalForWindow(*parent, {});
             keep.push_back(parent);
             keep.push_back(alert);
             return alert->window()->sharedWindow();
         }},
        {"a modal alert",
         [](auto&, auto&) {
             auto alert = Alert::alert();
             alert->setMessageText("Contact Import Failed!");
             std::shared_ptr<Window> shown;
             Alert::setPresentationHook([&](Alert& a) {
                 shown = a.window()->sharedWindow();
                 EXPECT_TRUE(shown->isVisible());
                 // Looked at while it is up.
                 const Rect f = shown->frame();
                 EXPECT_TRUE(platform::Screen::mainScreen()->visibleFrame().containsRect(f))
                     << platform::stringFromRect(f);
                 a.pressButtonForTesting(0);
             });
             alert->runModal();
             Alert::setPresentationHook({});
             return shown;
         }},
        {"a frame saved on a larger screen",
         [](auto&, auto&) {
             auto window = titled({0, 0, 320, 500});
             window->setFrameTopLeftPoint({2300, 1400});
             window->makeKeyAndOrderFront(nullptr);
             return window;
         }},
        {"a frame larger than the screen",
         [](auto&, auto&) {
             auto window = titled({-100, -100, 3000, 2000});
             window->makeKeyAndOrderFront(nullptr);
             return window;
         }},
        {"a visible window grown upwards past the top, as a zoom keeping its bottom does",
         [](auto&, auto&) {
             auto window = titled({100, 200, 300, 200});
             window->makeKeyAndOrderFront(nullptr);
             Rect grown = window->frame();
             grown.size.height = 900;
             window->setFrame(grown, true, true);
             return window;
         }},
        {"a zoom and the zoom back",
         [](auto&, auto&) {
             auto window = titled({100, 100, 300, 200});
             window->makeKeyAndOrderFront(nullptr);
             window->zoom(nullptr);
             EXPECT_EQ(window->frame(), platform::Screen::mainScreen()->visibleFrame());
             window->zoom(nullptr);
             return window;
         }},
        {"a window ordered in again after being moved away while hidden",
         [](auto&, auto&) {
             auto window = titled({100, 100, 300, 200});
             window->makeKeyAndOrderFront(nullptr);
             window->orderOut(nullptr);
             window->setFrameOrigin({-2000, 5000});
             window->orderFront(nullptr);
             return window;
         }},
    };
    for (Size screen : {Size{1280, 1024}, Size{640, 400}}) {
        useScreen(screen);
        for (const Case& c : cases) {
            WindowServer::shared().reset();
            std::vector<std::shared_ptr<void>> keep;
            const std::shared_ptr<Window> window = c.place(*this, keep);
            ASSERT_TRUE(window) << c.name;
            const Rect f = window->frame();
            EXPECT_TRUE(visible().containsRect(f))
                << c.name << " on " << screen.width << "x" << screen.height << ": "
                << platform::stringFromRect(f);
            EXPECT_GT(f.width(), 0) << c.name;
            EXPECT_GT(f.height(), 0) << c.name;
        }
    }
}

TEST_F(WindowPlacementTest, APlacementThatFitsIsKeptAndTheUsersMovesAreLeftAlone) {
    useScreen({1280, 1024});
    auto parent = titled({400, 300, 600, 400});
    parent->makeKeyAndOrderFront(nullptr);
    EXPECT_EQ(parent->frame(), Rect(400, 300, 600, 400));
    auto sheet = make<platform::Panel>(Rect{0, 0, 420, 180}, platform::TitledWindowMask);
    WindowServer::shared().beginSheet(*sheet, *parent, {});
    EXPECT_EQ(sheet->frame(), Rect(490, 520, 420, 180)) << "at the top of the parent, centred";

    // The user drags the window half off the screen: the window manager's word stands, and
    // the sheet goes along.
    WindowServer::shared().windowMovedByScreen(*parent, {1000, 300, 600, 400});
    EXPECT_EQ(parent->frame(), Rect(1000, 300, 600, 400));
    EXPECT_EQ(sheet->frame(), Rect(1090, 520, 420, 180));
}

TEST(FitRectInVisibleFrame, MovesTheLeastAndCutsOnlyWhatIsTooLong) {
    const Rect visible(0, 0, 1280, 1000);
    const struct {
        Rect in, out;
    } cases[] = {
        {{10, 10, 100, 100}, {10, 10, 100, 100}},
        {{-50, 908, 420, 200}, {0, 800, 420, 200}},
        {{1200, -30, 200, 100}, {1080, 0, 200, 100}},
        {{100, 100, 2000, 300}, {0, 100, 1280, 300}},
        // Too tall: the top stays where it was, if that is on the screen.
        {{100, -500, 300, 1400}, {100, 0, 300, 1000}},
        {{100, 500, 300, 1400}, {100, 0, 300, 1000}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(platform::fitRectInVisibleFrame(c.in, visible), c.out)
            << platform::stringFromRect(c.in);
}

} // namespace
