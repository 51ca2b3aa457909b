#include "AppTestSupport.h"
#include "app/core/DockController.h"
#include "platform/graphics/Image.h"
#include "platform/kit/ScreenBackend.h"
#include "platform/kit/Window.h"

#include <cmath>

using namespace app_test;
using platform::Color;
using platform::Image;
using platform::Size;

namespace {

constexpr Color red(1, 0, 0);
constexpr Color white(1, 1, 1);

bool near(Color a, Color b, double tolerance = 0.03) {
    return std::abs(a.redComponent() - b.redComponent()) <= tolerance &&
           std::abs(a.greenComponent() - b.greenComponent()) <= tolerance &&
           std::abs(a.blueComponent() - b.blueComponent()) <= tolerance &&
           std::abs(a.alphaComponent() - b.alphaComponent()) <= tolerance;
}

::testing::AssertionResult pixelIs(const Image& image, int x, int y, Color expected) {
    const Color c = image.colorAt(x, y);
    if (near(c, expected)) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "pixel (" << x << ", " << y << ") is " << c.redComponent() << " "
           << c.greenComponent() << " " << c.blueComponent() << " " << c.alphaComponent();
}

Color rgb(int r, int g, int b) {
    return Color(r / 255.0, g / 255.0, b / 255.0);
}

class DockTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        Image::clearImageCache();
    }
    void TearDown() override {
        DockController::releaseSharedDockController();
        DockController::setMainWindowLookup({});
        AppTest::TearDown();
    }

    static DockController& dock() { return DockController::sharedDockController(); }
    static platform::DockTile& tile() { return app().dockTile(); }
    // One tick of the redraw timer, and the picture it set.
    static std::shared_ptr<Image> tick() {
        platform::RunLoop::main().runFor(DockController::updateInterval);
        return tile().applicationIconImage();
    }
    static const Image& standard() { return *tile().standardApplicationIcon(); }

    // Pixels of the badge disc: one in its fill below the digits, one on its outline.
    struct BadgePixels {
        int fillX, fillY, outlineX, outlineY;
    };
    static BadgePixels badgePixels() {
        const auto place = dock().missedCallBadge().layout(Size(128, 128), true);
        return {static_cast<int>(place.disc.midX()), static_cast<int>(place.disc.minY() + 3),
                static_cast<int>(place.disc.midX()), static_cast<int>(place.disc.minY())};
    }
    static bool badgeShown(const Image& icon) {
        const BadgePixels p = badgePixels();
        return pixelIs(icon, p.fillX, p.fillY, red) && pixelIs(icon, p.outlineX, p.outlineY, white);
    }
};

TEST_F(DockTest, CountsOfEachBadgeFollowTheirOwnRules) {
    struct Step {
        int type;
        unsigned count;
        unsigned missed, unread, voicemail;
    };
    const Step steps[] = {
        {0, 150, 99, 0, 0},                  // missed calls are capped at 99
        {0, 3, 3, 0, 0},                     // and set to the value given
        {2, 2, 3, 0, 2},                     // voicemail likewise
        {1, 0, 3, 0, 2},                     // reading a message with none unread does nothing
        {1, 1, 3, 1, 2},                     // a new message adds one
        {1, 5, 3, 1, 2},                     // any other value for messages does nothing
        {1, 1, 3, 2, 2},    {1, 0, 3, 1, 2}, // a read message takes one away
        {7, 4, 3, 1, 2},                     // an unknown type is ignored
    };
    for (const Step& s : steps) {
        dock().setBadge(s.type, s.count);
        SCOPED_TRACE(testing::Message() << "type " << s.type << " count " << s.count);
        EXPECT_EQ(dock().missedCallBadge().count(), s.missed);
        EXPECT_EQ(dock().missedImBadge().count(), s.unread);
        EXPECT_EQ(dock().voicemailBadge().count(), s.voicemail);
        EXPECT_EQ(DockIconBadge::cumulativeTotalCount(), s.missed + s.unread + s.voicemail);
    }

    for (int i = 0; i < 120; ++i) {
        dock().setBadge(1, 1);
    }
    EXPECT_EQ(dock().missedImBadge().count(), 99u) << "messages stop at 99";
}

TEST_F(DockTest, OnlyBadgesWithACountTakeTurnsAndTheTotalIsShown) {
    dock().setBadge(0, 3);
    dock().setBadge(2, 2);
    ASSERT_EQ(dock().activeBadges().size(), 2u);
    EXPECT_EQ(dock().activeBadges()[0]->type(), 0);
    EXPECT_EQ(dock().activeBadges()[1]->type(), 2);
    EXPECT_EQ(dock().missedCallBadge().layout(Size(128, 128), true).text, "5");
    EXPECT_EQ(dock().missedCallBadge().layout(Size(128, 128), false).text, "3");

    // Each redraw shows the total and moves the first badge to the end.
    for (int expectedFirst : {2, 0, 2}) {
        auto icon = tick();
        EXPECT_TRUE(badgeShown(*icon));
        EXPECT_EQ(dock().activeBadges().front()->type(), expectedFirst);
    }

    dock().setBadge(0, 0);
    ASSERT_EQ(dock().activeBadges().size(), 1u);
    EXPECT_EQ(dock().activeBadges()[0]->type(), 2);
    dock().setBadge(2, 0);
    EXPECT_TRUE(dock().activeBadges().empty());
    auto icon = tick();
    const BadgePixels p = badgePixels();
    EXPECT_TRUE(pixelIs(*icon, p.fillX, p.fillY, standard().colorAt(p.fillX, p.fillY)))
        << "no counts left: the corner is the plain icon";
}

TEST_F(DockTest, TheIconIsRedrawnEveryEightTenthsOfASecondFromCreation) {
    const int before = tile().displayCount();
    dock();
    platform::RunLoop::main().runFor(0.79);
    EXPECT_EQ(tile().displayCount(), before);
    platform::RunLoop::main().runFor(0.01);
    EXPECT_EQ(tile().displayCount(), before + 1);
    platform::RunLoop::main().runFor(0.8 * 4);
    EXPECT_EQ(tile().displayCount(), before + 5);

    DockController::releaseSharedDockController();
    platform::RunLoop::main().runFor(2);
    EXPECT_EQ(tile().displayCount(), before + 5) << "the timer stops with the controller";
    EXPECT_EQ(DockIconBadge::cumulativeTotalCount(), 0u);
}

// Counts the pictures handed to the screen, which a real screen sends to the X server.
class IconCountingBackend : public platform::ScreenBackend {
public:
    explicit IconCountingBackend(int* count) : count_(count) {}
    std::string name() const override { return "icon-counter"; }
    std::vector<platform::ScreenDescription> screens() const override {
        platform::ScreenDescription screen;
        screen.frame = screen.visibleFrame = platform::Rect(0, 0, 1280, 1024);
        return {screen};
    }
    void applicationIconChanged(std::shared_ptr<Image>) override { ++*count_; }

private:
    int* count_;
};

TEST_F(DockTest, AnIdleDockRedrawsButSendsTheIconOnlyWhenItChanges) {
    int sent = 0;
    platform::setScreenBackend(std::make_unique<IconCountingBackend>(&sent));
    dock().setBadge(0, 3);
    tick();
    const int before = sent;
    const int drawn = tile().displayCount();
    for (int i = 0; i < 10; ++i)
        tick();
    EXPECT_EQ(tile().displayCount(), drawn + 10) << "still redrawn on every tick";
    EXPECT_EQ(sent, before) << "nothing changed, nothing sent";

    // A blinking badge changes the picture on every tick, and each change is sent.
    dock().setBadge(1, 1);
    const int blinking = sent;
    for (int i = 0; i < 4; ++i)
        tick();
    EXPECT_GE(sent - blinking, 4);
    platform::setScreenBackend(nullptr);
}

TEST_F(DockTest, AnUnreadMessageMakesTheBadgeBlinkWhileShowingTheTotal) {
    dock().setBadge(0, 4);
    dock().setBadge(1, 1);
    EXPECT_EQ(dock().missedImBadge().layout(Size(128, 128), true).text, "5");
    const bool expected[] = {true, false, true, false};
    for (bool shown : expected) {
        auto icon = tick();
        EXPECT_EQ(badgeShown(*icon), shown);
    }

    dock().setBadge(1, 0);
    EXPECT_TRUE(badgeShown(*tick()));
    EXPECT_TRUE(badgeShown(*tick())) << "without unread messages the badge stays";
}

TEST_F(DockTest, TheBadgeIsADiscInTheTopRightCornerSizedByItsText) {
    dock().setBadge(0, 42);
    for (double side : {128.0, 64.0}) {
        const auto place = dock().missedCallBadge().layout(Size(side, side), true);
        SCOPED_TRACE(side);
        EXPECT_DOUBLE_EQ(place.fontSize, side * 0.215);
        const double d = std::max(place.textSize.width, place.textSize.height) + 4.0;
        EXPECT_DOUBLE_EQ(place.disc.width(), d);
        EXPECT_DOUBLE_EQ(place.disc.height(), d);
        EXPECT_DOUBLE_EQ(place.disc.maxX(), side - 2.5);
        EXPECT_DOUBLE_EQ(place.disc.maxY(), side - 2.5);
        EXPECT_DOUBLE_EQ(place.textOrigin.x, place.disc.midX() - place.textSize.width / 2);
        EXPECT_DOUBLE_EQ(place.textOrigin.y, place.disc.midY() - place.textSize.height / 2 + 4.0);
    }

    // Drawn: red fill inside, white outline at the disc's edge, the icon outside it.
    auto icon = tick();
    const auto place = dock().missedCallBadge().layout(Size(128, 128), true);
    EXPECT_TRUE(badgeShown(*icon));
    const int leftOfDisc = static_cast<int>(place.disc.minX()) - 3;
    const int middle = static_cast<int>(place.disc.midY());
    EXPECT_TRUE(pixelIs(*icon, leftOfDisc, middle, standard().colorAt(leftOfDisc, middle)));
    EXPECT_TRUE(pixelIs(*icon, 10, 10, standard().colorAt(10, 10)));
}

TEST_F(DockTest, ThePresenceModeChoosesTheOverlayInTheMiddleOfTheIcon) {
    // The overlay square is half the icon wide, centred.
    EXPECT_EQ(DockController::overlayRect(Size(128, 128)), platform::Rect(32, 32, 64, 64));
    EXPECT_EQ(DockController::overlayRect(Size(128, 100)), platform::Rect(32, 18, 64, 64));

    // A pixel of the overlay's coloured ring: 10 points below the top of the square.
    const int x = 64;
    const int y = 32 + 64 - 11;
    const struct {
        std::string_view mode;
        const char* image;
        std::optional<Color> ring;
    } cases[] = {
        {AM_available, nullptr, std::nullopt},
        {AM_offline, "StatusIconOffline_3", rgb(0x8c, 0x8c, 0x8c)},
        {AM_away, "StatusIconAway_3", rgb(0xf2, 0xb7, 0x05)},
        {AM_busy, "StatusIconBusy_3", rgb(0xd9, 0x30, 0x25)},
        {AM_dnd, "StatusIconDND_3", rgb(0xd9, 0x30, 0x25)},
        {AM_onCall, "StatusIconOnThePhone_3", rgb(0xd9, 0x30, 0x25)},
        {AM_onCallMuted, "mute_mic_3", rgb(0xd9, 0x30, 0x25)},
        {"AM_somethingElse", nullptr, std::nullopt},
    };
    EXPECT_EQ(dock().mode(), AM_available) << "the initial mode";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        const auto overlay = dock().overlayImage(c.mode);
        if (c.image) {
            ASSERT_TRUE(overlay);
            EXPECT_EQ(overlay->name(), c.image);
        } else {
            EXPECT_FALSE(overlay);
        }

        dock().setMode(c.mode);
        EXPECT_EQ(dock().mode(), c.mode);
        auto icon = tick();
        EXPECT_TRUE(pixelIs(*icon, x, y, c.ring.value_or(standard().colorAt(x, y))));
        EXPECT_TRUE(pixelIs(*icon, 8, 64, standard().colorAt(8, 64))) << "outside the overlay";
    }
}

TEST_F(DockTest, TheModeIsComparedByItsTextAndTheBrandChoosesTheIconSet) {
    const std::string copy(AM_busy);
    dock().setMode(copy);
    ASSERT_TRUE(dock().overlayImage(dock().mode()));
    EXPECT_EQ(dock().overlayImage(dock().mode())->name(), "StatusIconBusy_3");
}

TEST_F(DockTest, AnAlertBringsTheHiddenMainWindowForwardOnlyWhileActiveAndAlwaysBounces) {
    const struct {
        bool active;
        bool visible;
        bool orderedFront;
    } cases[] = {
        {true, false, true},
        {true, true, false},
        {false, false, false},
    };
    for (const auto& c : cases) {
        reset(LUMIQ_RESOURCES_DIR);
        auto window = platform::make<platform::Window>(platform::Rect(100, 100, 300, 200),
                                                       platform::TitledWindowMask);
        DockController::setMainWindowLookup([&] { return window.get(); });
        if (c.visible) {
            window->orderFront(nullptr);
        }
        if (c.active) {
            app().activateIgnoringOtherApps(true);
        }

        dock().applicationAlert();
        EXPECT_EQ(window->isVisible(), c.visible || c.orderedFront);
        EXPECT_EQ(tile().attentionRequests(),
                  std::vector<platform::RequestUserAttentionType>{
                      platform::RequestUserAttentionType::InformationalRequest});
        EXPECT_EQ(dock().contextMenu(), nullptr);
        DockController::releaseSharedDockController();
        window->orderOut(nullptr);
    }
}

} // namespace
