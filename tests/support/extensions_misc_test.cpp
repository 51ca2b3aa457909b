#include "engine/OVConstants.h"
#include "engine/PresenceService.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/TestSupport.h"
#include "platform/graphics/Image.h"
#include "platform/kit/Button.h"
#include "platform/kit/KitTestSupport.h"
#include "platform/kit/ValueTransformer.h"
#include "support/ButtonExtensions.h"
#include "support/CollectionExtensions.h"
#include "support/Localization.h"
#include "support/PresenceExtensions.h"
#include "support/ValueTransformers.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

namespace ext = OrvantaExtensions;
using platform::AttributedString;
using platform::Color;
using platform::TextAttributes;

class ButtonExtensionsTest : public kittest::KitTest {};

TEST_F(ButtonExtensionsTest, TitleColourReadAndWritten) {
    auto button = platform::make<platform::Button>(platform::Rect{0, 0, 80, 24});
    button->setTitle("");
    EXPECT_EQ(ext::textColor(*button), Color::controlTextColor());

    TextAttributes bold;
    bold.font = platform::Font::boldSystemFontOfSize(12);
    AttributedString title("Hold", bold);
    TextAttributes green;
    green.foregroundColor = Color::greenColor();
    title.addAttributes(green, {1, 3});
    button->setAttributedTitle(title);
    // The first character has no colour of its own.
    EXPECT_EQ(ext::textColor(*button), std::nullopt);

    ext::setTextColor(*button, Color::redColor());
    EXPECT_EQ(ext::textColor(*button), Color::redColor());
    const AttributedString coloured = button->attributedTitle();
    EXPECT_EQ(coloured.string(), "Hold");
    ASSERT_EQ(coloured.runs().size(), 1u);
    EXPECT_EQ(coloured.runs()[0].attributes.foregroundColor, Color::redColor());
    EXPECT_EQ(coloured.runs()[0].attributes.font, platform::Font::boldSystemFontOfSize(12));
}

class PresenceExtensionsTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(bundle / "images");
        for (const char* name : {"StatusIconBusy_1", "StatusIconBusy_2", "StatusIconOffline_1"}) {
            platform::Image icon(platform::Size{4, 4});
            ASSERT_TRUE(icon.writePNG(bundle / "images" / (std::string(name) + ".png")));
        }
        platform::Bundle::setMainBundlePath(bundle.path());
        platform::Image::clearImageCache();
        ext::resetPresenceTransformers();
    }
    void TearDown() override {
        ext::resetPresenceTransformers();
        platform::ValueTransformer::removeAllValueTransformers();
        platform::Image::clearImageCache();
        platform::Bundle::setMainBundlePath(LUMIQ_RESOURCES_DIR);
    }
    foundation_test::TempDir bundle;
};

TEST_F(PresenceExtensionsTest, IconAndTextOfARecord) {
    OVSelfPresence presence(nullptr);
    presence.setStatus(OVPresenceStatus::statusBusy);
    EXPECT_EQ(ext::string(presence), QXLS("msg.presence.status.busy", "Busy"));
    EXPECT_EQ(ext::string(OVPresenceStatus::statusOffline),
              QXLS("msg.presence.status.offline", "Offline"));
    // Without a registered transformer, the first icon set.
    auto icon = ext::image(presence);
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->name(), "StatusIconBusy_1");
}

TEST_F(PresenceExtensionsTest, IconsComeFromTheBrandsSetAndTheTransformerIsKept) {
    platform::Value brand;
    brand.setObject("PresenceIconSet", platform::Value::Dictionary{{"main", platform::Value(2)}});
    registerValueTransformers(brand);
    EXPECT_EQ(ext::image(OVPresenceStatus::statusBusy)->name(), "StatusIconBusy_2");
    // Kept from the first use on, whatever the registry holds later.
    platform::ValueTransformer::removeAllValueTransformers();
    EXPECT_EQ(ext::image(OVPresenceStatus::statusBusy)->name(), "StatusIconBusy_2");
    EXPECT_EQ(ext::image(OVPresenceStatus::statusOffline), nullptr);
}

struct Entry {
    explicit Entry(std::vector<std::string>* log, std::string name)
        : log(log), name(std::move(name)) {}
    ~Entry() { log->push_back("destroyed " + name); }
    std::vector<std::string>* log;
    std::string name;
};

// An array controller's part that the clean-up uses: its content and the removal observers see.
struct Controller {
    std::vector<std::shared_ptr<Entry>> objects;
    std::vector<std::string>* log;
    const std::vector<std::shared_ptr<Entry>>& content() const { return objects; }
    void removeObject(const std::shared_ptr<Entry>& object) {
        log->push_back("removed " + object->name);
        objects.erase(std::find(objects.begin(), objects.end(), object));
    }
};

TEST(CollectionExtensions, RemoveEachThenLetGo) {
    std::vector<std::string> log;
    auto kept = std::make_shared<Entry>(&log, "b");
    Controller controller{
        {std::make_shared<Entry>(&log, "a"), kept, std::make_shared<Entry>(&log, "c")}, &log};
    ext::releaseAndRemoveAllObjects(controller);
    EXPECT_TRUE(controller.objects.empty());
    // Every removal is seen with its object alive; only then are the ones nobody holds gone.
    EXPECT_EQ(log, (std::vector<std::string>{"removed a", "removed b", "removed c", "destroyed a",
                                             "destroyed c"}));
    EXPECT_EQ(kept.use_count(), 1);
}

TEST(CollectionExtensions, ClearLetsGoOfEveryElement) {
    std::vector<std::string> log;
    std::vector<std::shared_ptr<Entry>> array{std::make_shared<Entry>(&log, "x"),
                                              std::make_shared<Entry>(&log, "y")};
    auto held = array[1];
    ext::releaseAndClearAllObjects(array);
    EXPECT_TRUE(array.empty());
    EXPECT_EQ(log, std::vector<std::string>{"destroyed x"});
    EXPECT_EQ(held.use_count(), 1);
}

} // namespace
