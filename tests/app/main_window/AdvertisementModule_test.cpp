#include "app/RemotePageTestSupport.h"
#include "app/main_window/AdvertisementModuleController.h"
#include "engine/FeaturesService.h"
#include "widgets/QXPartitionView.h"

using namespace app_test;
using platform::Value;

namespace {

class AdvertisementModuleTest : public RemotePageTest {
protected:
    void SetUp() override {
        RemotePageTest::SetUp();
        server.setPage("/ad", "<html><body><p>Call the world for less</p>"
                              "<a href=\"https://offers.example/deal\" target=\"_blank\">Deal</a>"
                              "<a href=\"/next\">Next</a></body></html>");
        server.setPage("/next", "<p>Second page</p>");
        quickNetwork(module().webView());
    }
    void TearDown() override {
        AdvertisementModuleController::releaseSharedController();
        RemotePageTest::TearDown();
    }
    static AdvertisementModuleController& module() {
        return AdvertisementModuleController::sharedController();
    }
    Value brand(const std::string& path) const {
        return Value(Value::Dictionary{
            {"Advertisement", Value(Value::Dictionary{{"URL", Value(server.url(path))},
                                                      {"MinSize", Value("(200, 40)")},
                                                      {"MaxSize", Value("(2000, 60)")},
                                                      {"ModuleSpace", Value(6.0)}})}});
    }
    static std::string shownText() { return module().webView().renderedText(); }
};

TEST_F(AdvertisementModuleTest, LoadsTheBrandsPageAndSendsNewWindowLinksToTheDesktopsOpener) {
    module().setup(brand("/ad"));
    ASSERT_TRUE(waitFor([] { return shownText().find("for less") != std::string::npos; }));

    module().webView().followLink("https://offers.example/deal", "_blank");
    ASSERT_TRUE(waitFor([this] { return !openedAddress().empty(); }));
    EXPECT_EQ(openedAddress(), "https://offers.example/deal");
    EXPECT_NE(shownText().find("for less"), std::string::npos) << "the module's page stays";

    // An ordinary link stays inside the module.
    module().webView().followLink("/next", "");
    ASSERT_TRUE(waitFor([] { return shownText().find("Second page") != std::string::npos; }));
}

TEST_F(AdvertisementModuleTest, InTheModuleStackTheFeatureDecidesVisibilityAndTheBrandTheLimits) {
    auto stack = platform::make<QXPartitionView>(platform::Rect(0, 0, 320, 400));
    stack->addModule(module().theView(), "advertisement");
    for (const bool shown : {false, true}) {
        StartupService::instance().featuresService()->setFeatureAvailable("showAdvertisement",
                                                                          shown);
        module().setup(brand("/ad"));
        EXPECT_EQ(stack->moduleVisible(0), shown);
        EXPECT_EQ(stack->moduleSpace(0), (QXModuleSpace{6, 6}));
        ASSERT_TRUE(waitFor([] { return shownText().find("for less") != std::string::npos; }))
            << "the page loads either way";
    }
}

TEST_F(AdvertisementModuleTest, AServerThatFailsOrNeverAnswersLeavesAMessageNotABlankModule) {
    for (const char* path : {"/broken", "/silent"}) {
        SCOPED_TRACE(path);
        module().setup(brand(path));
        ASSERT_TRUE(waitFor([] { return !module().failureText().empty(); }, 8));
        ASSERT_TRUE(waitFor([] {
            return shownText().find("The advertisement cannot be shown.") != std::string::npos;
        }));
    }
}

} // namespace
