#include "platform/foundation/Bundle.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/kit/Application.h"
#include "platform/kit/DockTile.h"
#include "platform/kit/ScreenBackend.h"

#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

using platform::Application;
using platform::Color;
using platform::DockTile;
using platform::Image;
using platform::Rect;
using platform::RequestUserAttentionType;
using platform::Size;

std::shared_ptr<Image> filled(Size size, Color color) {
    auto image = std::make_shared<Image>(size);
    image->lockFocus();
    platform::GraphicsContext::currentContext()->setFillColor(color);
    platform::GraphicsContext::currentContext()->fillRect(Rect({}, size));
    image->unlockFocus();
    return image;
}

void expectColor(const Image& image, int x, int y, Color expected, const char* what) {
    const Color c = image.colorAt(x, y);
    EXPECT_NEAR(c.redComponent(), expected.redComponent(), 0.02) << what;
    EXPECT_NEAR(c.greenComponent(), expected.greenComponent(), 0.02) << what;
    EXPECT_NEAR(c.blueComponent(), expected.blueComponent(), 0.02) << what;
    EXPECT_NEAR(c.alphaComponent(), expected.alphaComponent(), 0.02) << what;
}

// Keeps the pictures the tile hands to the screen.
class IconRecordingBackend : public platform::ScreenBackend {
public:
    explicit IconRecordingBackend(std::vector<std::shared_ptr<Image>>* icons) : icons_(icons) {}
    std::string name() const override { return "icon-recorder"; }
    std::vector<platform::ScreenDescription> screens() const override {
        platform::ScreenDescription screen;
        screen.frame = screen.visibleFrame = Rect(0, 0, 800, 600);
        return {screen};
    }
    void applicationIconChanged(std::shared_ptr<Image> icon) override {
        icons_->push_back(std::move(icon));
    }

private:
    std::vector<std::shared_ptr<Image>>* icons_;
};

class DockTileTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::Bundle::setMainBundlePath(LUMIQ_RESOURCES_DIR);
        Image::clearImageCache();
        Application::resetSharedApplication();
    }
    void TearDown() override {
        platform::setScreenBackend(nullptr);
        Application::resetSharedApplication();
    }
};

TEST_F(DockTileTest, StartsFromTheBundlesIconWhichSettingAnImageNeverChanges) {
    DockTile& tile = Application::sharedApplication().dockTile();
    const auto standard = tile.standardApplicationIcon();
    ASSERT_TRUE(standard);
    EXPECT_EQ(standard, Image::imageNamed("AppIcon"));
    EXPECT_EQ(standard->size(), Size(128, 128));
    EXPECT_EQ(tile.applicationIconImage(), standard);
    EXPECT_EQ(tile.composedImage(), nullptr) << "nothing composed before the first display";

    const auto green = filled(Size(64, 64), Color(0, 1, 0));
    Application::sharedApplication().setApplicationIconImage(green);
    EXPECT_EQ(Application::sharedApplication().applicationIconImage(), green);
    EXPECT_EQ(tile.standardApplicationIcon(), standard);
    ASSERT_TRUE(tile.composedImage());
    EXPECT_EQ(tile.composedImage()->size(), Size(64, 64));
    expectColor(*tile.composedImage(), 63, 63, Color(0, 1, 0), "the set image is shown at once");

    tile.setApplicationIconImage(nullptr);
    EXPECT_EQ(tile.applicationIconImage(), standard);
    EXPECT_EQ(tile.composedImage()->size(), Size(128, 128));
    EXPECT_EQ(tile.displayCount(), 2);
}

TEST_F(DockTileTest, TheBadgeLabelIsDrawnInTheTopRightCornerOverTheIcon) {
    DockTile& tile = Application::sharedApplication().dockTile();
    tile.setApplicationIconImage(filled(Size(128, 128), Color(0, 0, 1)));
    tile.setBadgeLabel("7");
    EXPECT_EQ(tile.badgeLabel(), "7");
    const auto& picture = *tile.composedImage();

    // The disc's red shows near the corner, away from the digit in its middle; the rest of
    // the icon is untouched.
    int red = 0;
    for (int y = 100; y < 128; ++y) {
        for (int x = 100; x < 128; ++x) {
            const Color c = picture.colorAt(x, y);
            red += c.redComponent() > 0.9 && c.greenComponent() < 0.1 && c.blueComponent() < 0.1;
        }
    }
    EXPECT_GT(red, 50);
    expectColor(picture, 10, 10, Color(0, 0, 1), "bottom left");
    expectColor(picture, 64, 64, Color(0, 0, 1), "middle");

    const int before = tile.displayCount();
    tile.setBadgeLabel("7");
    EXPECT_EQ(tile.displayCount(), before) << "the same label changes nothing";
    tile.setBadgeLabel("");
    expectColor(*tile.composedImage(), 120, 120, Color(0, 0, 1), "no label, no disc");
}

TEST_F(DockTileTest, AContentImageReplacesTheIconOnlyOnDisplay) {
    DockTile& tile = Application::sharedApplication().dockTile();
    tile.setApplicationIconImage(filled(Size(32, 32), Color(0, 0, 1)));
    tile.setContentImage(filled(Size(48, 48), Color(1, 1, 0)));
    expectColor(*tile.composedImage(), 5, 5, Color(0, 0, 1), "not shown before display");
    EXPECT_EQ(tile.size(), Size(48, 48));

    tile.display();
    EXPECT_EQ(tile.composedImage()->size(), Size(48, 48));
    expectColor(*tile.composedImage(), 5, 5, Color(1, 1, 0), "shown after display");

    tile.setContentImage(nullptr);
    tile.display();
    expectColor(*tile.composedImage(), 5, 5, Color(0, 0, 1), "the icon again");
}

TEST_F(DockTileTest, OnlyChangedPicturesGoToTheScreenBackend) {
    std::vector<std::shared_ptr<Image>> icons;
    platform::setScreenBackend(std::make_unique<IconRecordingBackend>(&icons));
    DockTile& tile = Application::sharedApplication().dockTile();

    tile.setApplicationIconImage(filled(Size(16, 16), Color(1, 0, 0)));
    tile.setBadgeLabel("3");
    ASSERT_EQ(icons.size(), 2u);
    expectColor(*icons.front(), 2, 2, Color(1, 0, 0), "the first picture");

    // A redraw on every tick of the Dock's timer, nothing changing: composed, not sent.
    for (int tick = 0; tick < 10; ++tick)
        tile.display();
    EXPECT_EQ(tile.displayCount(), 12);
    EXPECT_EQ(icons.size(), 2u);

    const struct {
        const char* change;
        std::function<void()> apply;
    } changes[] = {
        {"another badge", [&] { tile.setBadgeLabel("4"); }},
        {"same size, other pixels",
         [&] { tile.setApplicationIconImage(filled(Size(16, 16), Color(0, 1, 0))); }},
        {"another size",
         [&] { tile.setApplicationIconImage(filled(Size(32, 32), Color(0, 1, 0))); }},
        {"a new backend",
         [&] {
             platform::setScreenBackend(std::make_unique<IconRecordingBackend>(&icons));
             tile.display();
         }},
    };
    for (const auto& c : changes) {
        SCOPED_TRACE(c.change);
        const std::size_t before = icons.size();
        c.apply();
        ASSERT_EQ(icons.size(), before + 1);
        EXPECT_EQ(icons.back(), tile.composedImage());
        tile.display();
        EXPECT_EQ(icons.size(), before + 1);
    }
}

TEST_F(DockTileTest, AttentionRequestsAreRecordedUntilCancelled) {
    Application& app = Application::sharedApplication();
    const int first = app.requestUserAttention(RequestUserAttentionType::InformationalRequest);
    const int second = app.requestUserAttention(RequestUserAttentionType::CriticalRequest);
    EXPECT_GT(first, 0);
    EXPECT_NE(first, second);
    EXPECT_EQ(app.dockTile().attentionRequests(),
              (std::vector<RequestUserAttentionType>{RequestUserAttentionType::InformationalRequest,
                                                     RequestUserAttentionType::CriticalRequest}));

    app.cancelUserAttentionRequest(first);
    app.cancelUserAttentionRequest(0);
    app.cancelUserAttentionRequest(99);
    EXPECT_EQ(app.dockTile().pendingAttentionRequests(), std::vector<int>{second});

    Application::resetSharedApplication();
    EXPECT_TRUE(Application::sharedApplication().dockTile().attentionRequests().empty())
        << "a fresh application has a fresh tile";
}

} // namespace
