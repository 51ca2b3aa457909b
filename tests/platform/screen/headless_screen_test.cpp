#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/kit/Screen.h"
#include "platform/kit/TrackingArea.h"
#include "platform/kit/View.h"
#include "platform/kit/Window.h"
#include "platform/kit/WindowServer.h"
#include "platform/screen/HeadlessScreen.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace {

using platform::Color;
using platform::Event;
using platform::HeadlessScreen;
using platform::make;
using platform::Point;
using platform::Rect;
using platform::View;
using platform::Window;
using platform::WindowServer;

class Recorder : public View {
public:
    explicit Recorder(const Rect& frame, Color fill = Color::clearColor())
        : View(frame), fill_(fill) {}
    bool acceptsFirstResponder() const override { return true; }
    void mouseDown(const Event& e) override { log.push_back("down " + where(e)); }
    void mouseUp(const Event& e) override { log.push_back("up " + where(e)); }
    void mouseDragged(const Event&) override { log.push_back("dragged"); }
    void mouseEntered(const Event&) override { log.push_back("entered"); }
    void mouseExited(const Event&) override { log.push_back("exited"); }
    void scrollWheel(const Event& e) override {
        log.push_back("scroll " + std::to_string(static_cast<int>(e.deltaY())));
    }
    void keyDown(const Event& e) override {
        keys.push_back(e.characters() + "|" + e.charactersIgnoringModifiers() + "|" +
                       std::to_string(e.keyCode()) + "|" +
                       ((e.modifierFlags() & platform::ShiftKeyMask) ? "S" : "-"));
    }
    void drawRect(const Rect&) override {
        fill_.setFill();
        platform::RectFill(bounds());
    }

    std::vector<std::string> log;
    std::vector<std::string> keys;

private:
    static std::string where(const Event& e) {
        return std::to_string(static_cast<int>(e.locationInWindow().x)) + "," +
               std::to_string(static_cast<int>(e.locationInWindow().y)) + " x" +
               std::to_string(e.clickCount());
    }
    Color fill_;
};

class HeadlessTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::RunLoop::resetMain(std::make_shared<platform::ManualClock>(10.0));
        WindowServer::shared().reset();
        screen = &HeadlessScreen::install();
    }
    void TearDown() override {
        platform::setScreenBackend(nullptr);
        WindowServer::shared().reset();
        platform::RunLoop::resetMain();
    }

    std::filesystem::path tempFolder() {
        const char* env = std::getenv("LUMIQ_TEST_TMP");
        std::filesystem::path base = env ? env : std::filesystem::temp_directory_path();
        std::random_device device;
        auto folder = base / ("headless-" + std::to_string(device()));
        std::filesystem::create_directories(folder);
        return folder;
    }

    HeadlessScreen* screen = nullptr;
};

void expectColor(const Color& actual, const Color& expected, const std::string& where) {
    EXPECT_NEAR(actual.redComponent(), expected.redComponent(), 0.02) << where;
    EXPECT_NEAR(actual.greenComponent(), expected.greenComponent(), 0.02) << where;
    EXPECT_NEAR(actual.blueComponent(), expected.blueComponent(), 0.02) << where;
    EXPECT_NEAR(actual.alphaComponent(), expected.alphaComponent(), 0.02) << where;
}

TEST_F(HeadlessTest, TheVirtualScreenKeepsAMenuBarStripFree) {
    auto* main = platform::Screen::mainScreen();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(main->frame(), Rect(0, 0, 1440, 900));
    EXPECT_EQ(main->visibleFrame(), Rect(0, 0, 1440, 878));
    EXPECT_EQ(platform::Screen::screens().size(), 1u);
    EXPECT_EQ(screen->name(), "headless");
}

TEST_F(HeadlessTest, InjectedMouseInputReachesViewsInWindowCoordinates) {
    auto window = make<Window>(Rect(200, 300, 300, 200), platform::TitledWindowMask);
    auto view = std::make_shared<Recorder>(Rect(50, 50, 100, 100));
    window->contentView()->addSubview(view);
    window->makeKeyAndOrderFront(nullptr);

    screen->click(*window, {60, 70});
    screen->doubleClick(*window, {61, 70});
    screen->drag(*window, {60, 60}, {400, 60}, 2);
    screen->scroll(*window, {60, 60}, 0, -3);
    EXPECT_EQ(view->log, (std::vector<std::string>{"down 60,70 x1", "up 60,70 x1", "down 61,70 x1",
                                                   "up 61,70 x1", "down 61,70 x2", "up 61,70 x2",
                                                   "down 60,60 x1", "dragged", "dragged",
                                                   "up 400,60 x1", "scroll -3"}));
    EXPECT_EQ(window->firstResponder(), view.get());
    EXPECT_EQ(WindowServer::shared().mouseLocation(), Point(260, 360));
    EXPECT_EQ(window->mouseLocationOutsideOfEventStream(), Point(60, 60));
}

TEST_F(HeadlessTest, TypedTextAndKeysReachTheKeyWindowsFirstResponder) {
    auto window = make<Window>(Rect(0, 0, 300, 200), platform::TitledWindowMask);
    auto view = std::make_shared<Recorder>(Rect(0, 0, 10, 10));
    window->contentView()->addSubview(view);
    window->makeKeyAndOrderFront(nullptr);
    window->makeFirstResponder(view.get());

    screen->typeText("Hi!é");
    screen->keyCode(platform::KeyCode::UpArrow);
    screen->keyCode(platform::KeyCode::Digit1, platform::ShiftKeyMask);
    screen->key(platform::CarriageReturnCharacter);
    EXPECT_EQ(view->keys,
              (std::vector<std::string>{
                  "H|h|4|S",
                  "i|i|34|-",
                  "!|!|18|-",
                  "é|é|0|-",
                  platform::utf8FromCodePoint(platform::UpArrowFunctionKey) + "|" +
                      platform::utf8FromCodePoint(platform::UpArrowFunctionKey) + "|126|-",
                  "!|1|18|S",
                  "\r|\r|36|-",
              }));
}

TEST_F(HeadlessTest, MovingThePointerAcrossWindowsEntersAndExitsTrackingAreas) {
    auto first = make<Window>(Rect(0, 0, 200, 200), platform::TitledWindowMask);
    auto second = make<Window>(Rect(300, 0, 200, 200), platform::TitledWindowMask);
    auto view = std::make_shared<Recorder>(Rect(0, 0, 200, 200));
    view->addTrackingArea(std::make_shared<platform::TrackingArea>(
        Rect(0, 0, 200, 200),
        platform::TrackingMouseEnteredAndExited | platform::TrackingActiveAlways, view.get()));
    first->contentView()->addSubview(view);
    first->orderFront(nullptr);
    second->orderFront(nullptr);

    screen->moveMouse(Point(100, 100));
    screen->moveMouse(Point(400, 100)); // into the second window
    screen->moveMouse(Point(150, 100));
    screen->moveMouse(Point(250, 100)); // between the windows: no window at all
    EXPECT_EQ(view->log, (std::vector<std::string>{"entered", "exited", "entered", "exited"}));
}

TEST_F(HeadlessTest, TheScreenSnapshotCompositesWindowsFrontToBack) {
    auto back = make<Window>(Rect(100, 100, 200, 200), platform::BorderlessWindowMask);
    back->setBackgroundColor(Color::redColor());
    auto front = make<Window>(Rect(200, 200, 200, 200), platform::BorderlessWindowMask);
    front->setBackgroundColor(Color::clearColor());
    front->contentView()->addSubview(
        std::make_shared<Recorder>(Rect(0, 0, 100, 100), Color::blueColor()));
    auto faded = make<Window>(Rect(600, 600, 100, 100), platform::BorderlessWindowMask);
    faded->setBackgroundColor(Color::greenColor());
    faded->setAlphaValue(0.5);
    back->orderFront(nullptr);
    front->orderFront(nullptr);
    faded->orderFront(nullptr);
    EXPECT_GE(screen->orderedInCount(), 3);
    EXPECT_GE(screen->displayCount(), 3);

    auto image = screen->snapshotScreen();
    ASSERT_EQ(image->pixelsWide(), 1440);
    ASSERT_EQ(image->pixelsHigh(), 900);
    expectColor(image->colorAt(150, 150), Color::redColor(), "back window alone");
    expectColor(image->colorAt(250, 250), Color::blueColor(), "front window's view over it");
    expectColor(image->colorAt(350, 350), Color::clearColor(), "front window's clear part");
    expectColor(image->colorAt(250, 350), Color::clearColor(),
                "front window, clear, over no window");
    expectColor(image->colorAt(50, 50), Color::clearColor(), "no window");
    expectColor(image->colorAt(650, 650), Color(0, 1, 0, 0.5), "half-transparent window");

    front->orderOut(nullptr);
    expectColor(screen->snapshotScreen()->colorAt(250, 250), Color::redColor(), "front gone");
}

TEST_F(HeadlessTest, SnapshotsAreWrittenAsPNG) {
    auto window = make<Window>(Rect(10, 10, 40, 30), platform::BorderlessWindowMask);
    window->setBackgroundColor(Color::blueColor());
    window->orderFront(nullptr);
    const auto folder = tempFolder();
    ASSERT_TRUE(screen->writeWindowPNG(*window, folder / "window.png"));
    ASSERT_TRUE(screen->writeScreenPNG(folder / "screen.png"));
    auto windowImage = platform::Image::imageWithContentsOfFile(folder / "window.png");
    auto screenImage = platform::Image::imageWithContentsOfFile(folder / "screen.png");
    ASSERT_TRUE(windowImage && screenImage);
    EXPECT_EQ(windowImage->pixelsWide(), 40);
    EXPECT_EQ(windowImage->pixelsHigh(), 30);
    expectColor(windowImage->colorAt(5, 5), Color::blueColor(), "window png");
    expectColor(screenImage->colorAt(20, 20), Color::blueColor(), "screen png");
    std::filesystem::remove_all(folder);
}

} // namespace
