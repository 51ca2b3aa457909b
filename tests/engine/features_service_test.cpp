#include "EngineTestSupport.h"
#include "engine/FeaturesService.h"

using namespace engine_test;

namespace {

TEST(FeaturesService, BundleSwitchesDecideAndUnknownNamesAreOff) {
    platform::Bundle::setMainBundlePath(LUMIQ_RESOURCES_DIR);
    FeaturesService features;
    EXPECT_TRUE(features.featureAvailable("loginEnabled"));
    EXPECT_TRUE(features.featureAvailable("presenceEnabled"));
    EXPECT_TRUE(features.featureAvailable("contactsEnabled"));
    EXPECT_FALSE(features.featureAvailable("hockeyappCcrashReportingEnabled"));
    EXPECT_FALSE(features.featureAvailable("noSuchFeature"));
    EXPECT_FALSE(features.featureAvailable(""));
}

TEST(FeaturesService, ATestReplacesTheFileOrSingleSwitches) {
    TempDir tmp;
    writeFile(tmp / "features.plist",
              platform::Value(platform::Value::Dictionary{{"loginEnabled", false},
                                                          {"allow_pab", true},
                                                          {"show_tool_bar", "YES"}})
                  .toPropertyList());
    FeaturesService features;
    ASSERT_TRUE(features.loadFeatures(tmp / "features.plist"));
    EXPECT_FALSE(features.featureAvailable("loginEnabled"));
    EXPECT_TRUE(features.featureAvailable("allow_pab"));
    EXPECT_TRUE(features.featureAvailable("show_tool_bar"));
    EXPECT_FALSE(features.featureAvailable("presenceEnabled")) << "not in the file";

    features.setFeatureAvailable("presenceEnabled", true);
    features.setFeatureAvailable("allow_pab", false);
    EXPECT_TRUE(features.featureAvailable("presenceEnabled"));
    EXPECT_FALSE(features.featureAvailable("allow_pab"));
}

TEST(FeaturesService, AnUnreadableFileTurnsEveryFeatureOff) {
    TempDir tmp;
    for (const char* contents : {"not a property list", "<plist><array/></plist>"}) {
        writeFile(tmp / "features.plist", contents);
        FeaturesService features;
        features.setFeatureAvailable("loginEnabled", true);
        EXPECT_FALSE(features.loadFeatures(tmp / "features.plist")) << contents;
        EXPECT_FALSE(features.featureAvailable("loginEnabled")) << contents;
    }
    FeaturesService missing;
    EXPECT_FALSE(missing.loadFeatures(tmp / "missing.plist"));
}

} // namespace
