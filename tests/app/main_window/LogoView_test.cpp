#include "app/main_window/LogoView.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"

#include <gtest/gtest.h>
#include <memory>
#include <thread>
#include <vector>

namespace {

using platform::Rect;
using platform::Value;

Value logoSection(std::vector<std::string> images, std::optional<double> transition,
                  std::string placement = "(10,5,100,40)", std::string align = "left") {
    Value logo;
    logo.setObject("align", Value(align));
    logo.setObject("placement", Value(placement));
    Value::Array names;
    for (auto& name : images)
        names.emplace_back(name);
    logo.setObject("Images", Value(names));
    if (transition)
        logo.setObject("transition_time", Value(*transition));
    return logo;
}

// Records where and when the fade reports its marks.
class RecordingLogoView : public LogoView {
public:
    using LogoView::LogoView;
    void animationDidReachProgressMark(platform::Animation& animation, double progress) override {
        threads.push_back(std::this_thread::get_id());
        LogoView::animationDidReachProgressMark(animation, progress);
    }
    std::vector<std::thread::id> threads;
};

class LogoViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        clock = std::make_shared<platform::ManualClock>(1000);
        platform::RunLoop::resetMain(clock);
        platform::Bundle::setMainBundlePath(LUMIQ_RESOURCES_DIR);
        host = std::make_shared<platform::View>(Rect(0, 0, 500, 300));
    }
    void TearDown() override { platform::RunLoop::resetMain(); }

    // The opacity-weighted picture of the logo: how many of its pixels are not transparent.
    static int paintedPixels(LogoView& view) {
        const Rect b = view.bounds();
        auto picture = std::make_shared<platform::Image>(b.size);
        picture->lockFocus();
        view.drawRect(b);
        picture->unlockFocus();
        int painted = 0;
        for (int y = 0; y < picture->pixelsHigh(); ++y)
            for (int x = 0; x < picture->pixelsWide(); ++x)
                painted += picture->colorAt(x, y).alphaComponent() > 0.05 ? 1 : 0;
        return painted;
    }

    std::shared_ptr<platform::ManualClock> clock;
    std::shared_ptr<platform::View> host;
};

TEST_F(LogoViewTest, PlacementFollowsTheAlignment) {
    auto left = LogoView::initOnView(*host, logoSection({"LumiqLogo"}, std::nullopt));
    EXPECT_EQ(left->frame(), Rect(10, 5, 100, 40));
    EXPECT_EQ(left->superview(), host.get());
    EXPECT_FALSE(left->autoresizingMask() & platform::ViewMinXMargin);

    auto right = LogoView::initOnView(
        *host, logoSection({"LumiqLogo"}, std::nullopt, "(10,5,100,40)", "right"));
    EXPECT_EQ(right->frame(), Rect(390, 5, 100, 40));
    EXPECT_TRUE(right->autoresizingMask() & platform::ViewMinXMargin);
    host->setFrameSize({600, 300});
    EXPECT_EQ(right->frame().minX(), 490) << "keeps its distance from the right edge";

    auto nowhere = LogoView::initOnView(*host, Value());
    EXPECT_EQ(nowhere->frame(), Rect());
    EXPECT_EQ(nowhere->alpha(), 1.0f);
}

TEST_F(LogoViewTest, TheTransitionTimeDecidesWhetherAndHowOftenTheImagesChange) {
    const struct {
        const char* name;
        std::optional<double> transition;
        double expectedInterval; // 0: no timer
    } cases[] = {
        {"missing", std::nullopt, 0},
        {"zero", 0, 0},
        {"negative", -4, 0},
        {"below the minimum is raised", 5, 15},
        {"above the minimum is kept", 40, 40},
    };
    for (const auto& c : cases) {
        auto view = LogoView::initOnView(*host, logoSection({"LumiqLogo", "Splash"}, c.transition));
        if (c.expectedInterval == 0) {
            EXPECT_EQ(view->transitionTimer(), nullptr) << c.name;
        } else {
            ASSERT_NE(view->transitionTimer(), nullptr) << c.name;
            EXPECT_EQ(view->transitionTimer()->timeInterval(), c.expectedInterval) << c.name;
            EXPECT_TRUE(view->transitionTimer()->repeats()) << c.name;
        }
    }
}

TEST_F(LogoViewTest, WithoutImagesItDrawsNothingAndNeverFades) {
    for (const auto& images :
         {std::vector<std::string>{}, std::vector<std::string>{"NoSuchImage"}}) {
        auto view = LogoView::initOnView(*host, logoSection(images, 5));
        EXPECT_TRUE(view->images().empty());
        EXPECT_EQ(view->transitionTimer(), nullptr) << "nothing to change";
        EXPECT_EQ(paintedPixels(*view), 0);
        // A fade started by hand still has nothing to index.
        view->timeout();
        platform::RunLoop::main().runFor(7);
        EXPECT_EQ(view->currentIndex(), 0);
        EXPECT_EQ(view->animation(), nullptr);
        EXPECT_EQ(paintedPixels(*view), 0);
    }
    // A name the bundle lacks is skipped; the others keep their order.
    auto mixed = LogoView::initOnView(*host, logoSection({"NoSuchImage", "LumiqLogo"}, 5));
    ASSERT_EQ(mixed->images().size(), 1u);
    EXPECT_GT(paintedPixels(*mixed), 0);
}

TEST_F(LogoViewTest, TheFadeRunsOnTheMainLoopAndChangesTheImageHalfWay) {
    auto built = LogoView::initOnView(*host, logoSection({"LumiqLogo", "Splash"}, 5));
    ASSERT_EQ(built->images().size(), 2u);

    platform::RunLoop& loop = platform::RunLoop::main();
    loop.runFor(14.9);
    EXPECT_EQ(built->animation(), nullptr) << "the first change comes after 15 seconds";
    loop.runFor(0.1);
    ASSERT_NE(built->animation(), nullptr);
    EXPECT_EQ(built->alpha(), 1.0f);

    loop.runFor(1.5);
    EXPECT_NEAR(built->alpha(), 0.5, 0.02) << "a quarter of the way: half faded";
    EXPECT_EQ(built->currentIndex(), 0);
    loop.runFor(1.55);
    EXPECT_LT(built->alpha(), 0.01);
    EXPECT_EQ(built->currentIndex(), 1) << "the next image at the darkest point";
    loop.runFor(2.95);
    EXPECT_EQ(built->alpha(), 1.0f);
    EXPECT_EQ(built->animation(), nullptr) << "released at the end of the 6-second fade";
    EXPECT_EQ(built->currentIndex(), 1);

    // The next change wraps round to the first image.
    loop.runFor(15);
    EXPECT_EQ(built->currentIndex(), 0);
}

TEST_F(LogoViewTest, EveryProgressMarkArrivesOnTheMainThread) {
    auto view = std::make_shared<RecordingLogoView>(Rect(0, 0, 72, 18));
    host->addSubview(view);
    view->timeout();
    platform::RunLoop::main().runFor(LogoView::kFadeDuration);
    EXPECT_EQ(view->threads.size(), static_cast<std::size_t>(LogoView::kProgressMarks));
    for (const auto& id : view->threads)
        EXPECT_EQ(id, std::this_thread::get_id());
    EXPECT_EQ(view->animation(), nullptr);
}

TEST_F(LogoViewTest, ASingleImageFadesOutAndBackIn) {
    auto view = LogoView::initOnView(*host, logoSection({"LumiqLogo"}, 15));
    const int opaque = paintedPixels(*view);
    ASSERT_GT(opaque, 0);
    platform::RunLoop::main().runFor(15 + 3);
    EXPECT_EQ(view->currentIndex(), 0);
    EXPECT_EQ(paintedPixels(*view), 0) << "fully faded at the turn";
    platform::RunLoop::main().runFor(3);
    EXPECT_EQ(paintedPixels(*view), opaque);
}

TEST_F(LogoViewTest, GoingAwayMidFadeStopsTheTimerAndTheAnimation) {
    auto view = LogoView::initOnView(*host, logoSection({"LumiqLogo", "Splash"}, 15));
    platform::RunLoop::main().runFor(16);
    ASSERT_NE(view->animation(), nullptr);
    std::weak_ptr<platform::Timer> timer = view->transitionTimer()->shared_from_this();
    view->removeFromSuperview();
    view.reset();
    EXPECT_TRUE(timer.expired() || !timer.lock()->isValid());
    platform::RunLoop::main().runFor(30);
}

} // namespace
