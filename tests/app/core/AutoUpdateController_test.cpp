#include "../AppTestSupport.h"
#include "app/core/AutoUpdateController.h"
#include "engine/OVWindowService.h"
#include "engine/PhoneService.h"
#include "engine/Scenario.h"
#include "platform/kit/Button.h"
#include "platform/kit/ProgressIndicator.h"
#include "platform/kit/TextField.h"
#include "platform/kit/Window.h"
#include "platform/kit/WindowServer.h"
#include "support/StringExtensions.h"
#include "widgets/QXButton.h"

using namespace app_test;
namespace fs = std::filesystem;

namespace {

using platform::RunLoop;

// Shows every update dialog model the engine asks for, as the application does.
class UpdateWindows : public OVWindowServicePro {
public:
    void ovmdWindowServiceOnShow(const std::shared_ptr<OVModel>& model) override {
        if (auto dialog = std::dynamic_pointer_cast<OVAutoUpdateDialogModel>(model)) {
            ++shown;
            AutoUpdateController::initSharedController(dialog)->display();
        }
    }
    int shown = 0;
};

// The engine with a settings folder for its downloads, a main window, the update windows
// wired to the engine's window service and the desktop's opener replaced.
class AutoUpdateTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        engine().phoneService()->setUserSettingFolder(tmp / "settings");
        main = platform::make<platform::Window>(platform::Rect(100, 200, 400, 600),
                                                platform::TitledWindowMask);
        main->makeKeyAndOrderFront(nullptr);
        main->makeMainWindow();
        windowService = OVWindowService::create();
        windowService->setDelegate(&windows);
        OrvantaExtensions::setDesktopLauncher([this](const std::vector<std::string>& argv) {
            opened.push_back(argv);
            return openerSucceeds;
        });
    }
    void TearDown() override {
        if (AutoUpdateController* shown = controller()) {
            shown->close(nullptr);
        }
        settle();
        OrvantaExtensions::setDesktopLauncher({});
        windowService->removeDelegate(&windows);
        windowService.reset();
        main.reset();
        AppTest::TearDown();
    }

    static AutoUpdateController* controller() {
        return AutoUpdateController::sharedAutoUpdateController();
    }
    static void pass(double seconds) {
        RunLoop::main().runFor(seconds);
        settle();
    }
    // The button of that title in the window's content now, clicked as a user does.
    static void click(std::string_view title) {
        ASSERT_NE(controller(), nullptr);
        for (const auto& view : controller()->currentContentView()->subviews()) {
            auto* button = dynamic_cast<platform::Button*>(view.get());
            if (button && button->title() == title && !button->isHidden()) {
                button->performClick(nullptr);
                return;
            }
        }
        FAIL() << "no button " << title;
    }
    // Checks for updates through the menu's model and lets the answer arrive.
    void checkForUpdates() {
        updateModel = OVAutoUpdateModel::create();
        updateModel->checkForUpdates();
        settle();
    }

    std::shared_ptr<platform::Window> main;
    UpdateWindows windows;
    std::shared_ptr<OVWindowService> windowService;
    std::shared_ptr<OVAutoUpdateModel> updateModel;
    std::vector<std::vector<std::string>> opened;
    bool openerSucceeds = true;
};

TEST_F(AutoUpdateTest, AnOptionalUpdateIsCheckedDownloadedAndInstalledThroughTheOpener) {
    Scenario().updateAvailable("2.0", {"Faster calls", "Fewer dropped calls"},
                               "https://updates.lumiq.example/notes", false);
    settle();
    EXPECT_EQ(windows.shown, 0) << "an optional update waits until asked for";
    checkForUpdates();

    ASSERT_NE(controller(), nullptr);
    EXPECT_EQ(controller()->currentContentView(), controller()->checkView());
    EXPECT_TRUE(controller()->checkProgress()->isAnimating());
    EXPECT_TRUE(controller()->window()->isVisible());
    EXPECT_EQ(app().modalWindow(), nullptr);
    // The window's content takes the view's size, and the window sits over the main window:
    // centred, its bottom two of its heights below the main window's top.
    const platform::Rect checking = controller()->window()->frame();
    EXPECT_EQ(checking.size, controller()->checkView()->frame().size);
    EXPECT_DOUBLE_EQ(checking.minX(), 100 + 400 / 2 - checking.width() / 2);
    EXPECT_DOUBLE_EQ(checking.minY(), 200 + 600 - 2 * checking.height());

    pass(1.0);
    ASSERT_EQ(controller()->currentContentView(), controller()->newVersionView());
    EXPECT_EQ(controller()->ourVersion()->stringValue(), "1.0.0.1");
    EXPECT_EQ(controller()->newVersion()->stringValue(), "New version: 2.0");
    EXPECT_EQ(controller()->releaseNote()->stringValue(),
              "\u2713 Faster calls\n\u2713 Fewer dropped calls\n");
    EXPECT_FALSE(controller()->releaseNote()->isHidden());
    EXPECT_FALSE(controller()->releaseURL()->isHidden());
    EXPECT_EQ(controller()->releaseURL()->title(), "Learn more...");
    EXPECT_EQ(controller()->releaseURLHyperlink(), "https://updates.lumiq.example/notes");
    EXPECT_FALSE(controller()->laterButton()->isHidden());
    EXPECT_TRUE(controller()->quitButton()->isHidden());
    // Once visible the window is not placed again; a new view keeps its top edge.
    const platform::Rect frame = controller()->window()->frame();
    EXPECT_EQ(frame.size, controller()->newVersionView()->frame().size);
    EXPECT_DOUBLE_EQ(frame.minX(), checking.minX());
    EXPECT_DOUBLE_EQ(frame.maxY(), checking.maxY());

    click("Download and Install");
    settle();
    EXPECT_EQ(controller()->currentContentView(), controller()->downloadingView());
    EXPECT_TRUE(controller()->downloadProgress()->isAnimating());
    EXPECT_DOUBLE_EQ(controller()->window()->frame().maxY(), checking.maxY());

    pass(2.0);
    ASSERT_EQ(controller()->currentContentView(), controller()->restartView());
    ASSERT_TRUE(controller()->dmg());
    const std::string package = *controller()->dmg();
    EXPECT_TRUE(fs::exists(package));
    EXPECT_TRUE(opened.empty());

    const platform::Window* window = controller()->window();
    click("Install");
    EXPECT_EQ(opened, (std::vector<std::vector<std::string>>{{"xdg-open", package}}));
    EXPECT_TRUE(app().isTerminated());
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(controller(), nullptr);
}

TEST_F(AutoUpdateTest, AFailedDownloadIsReportedAndAnOptionalUpdateJustCloses) {
    Scenario().updateAvailable("2.0");
    Scenario().failNextDownload();
    checkForUpdates();
    pass(1.0);
    EXPECT_TRUE(controller()->releaseNote()->isHidden()) << "no notes";
    EXPECT_TRUE(controller()->releaseURL()->isHidden()) << "no notes address";
    click("Download and Install");
    pass(2.0);

    ASSERT_EQ(controller()->currentContentView(), controller()->downloadFailedView());
    EXPECT_EQ(controller()->downloadFailedLabel()->stringValue(),
              "There was a problem downloading the latest version. Please close Lumiq and try "
              "again later.");
    const auto model = controller()->model();
    click("Close");
    EXPECT_FALSE(app().isTerminated());
    EXPECT_TRUE(model->isClosed());
    settle();
    EXPECT_EQ(controller(), nullptr);

    // The next check makes a new window.
    checkForUpdates();
    ASSERT_NE(controller(), nullptr);
    EXPECT_NE(controller()->model(), model);
    pass(1.0);
    EXPECT_EQ(controller()->currentContentView(), controller()->newVersionView());
}

TEST_F(AutoUpdateTest, NoUpdateAndACancelledCheckCloseTheWindow) {
    Scenario().noUpdate();
    checkForUpdates();
    pass(1.0);
    EXPECT_EQ(controller()->currentContentView(), controller()->failedView());
    click("OK");
    settle();
    EXPECT_EQ(controller(), nullptr);

    checkForUpdates();
    ASSERT_EQ(controller()->currentContentView(), controller()->checkView());
    auto* progress = controller()->checkProgress();
    EXPECT_TRUE(progress->isAnimating());
    platform::Window* window = controller()->window();
    click("Cancel");
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(progress->isAnimating());
    pass(2.0);
    EXPECT_EQ(controller(), nullptr);
    EXPECT_EQ(windows.shown, 2) << "the cancelled check shows nothing more";
}

TEST_F(AutoUpdateTest, AMandatoryUpdateRunsModallyAndAFailedInstallDoesNotQuit) {
    // What happens inside the modal loop, in the modal mode, on the manual clock.
    bool wasModal = false;
    bool laterHidden = false;
    bool quitShown = false;
    bool displayReturnedAtOnce = false;
    RunLoop& loop = RunLoop::main();
    loop.performAfterDelay(0.5,
                           [&] {
                               wasModal =
                                   controller() && app().modalWindow() == controller()->window();
                               laterHidden = controller()->laterButton()->isHidden();
                               quitShown = !controller()->quitButton()->isHidden();
                               // Showing the window again while it runs modally starts no second
                               // loop.
                               const double before = loop.now();
                               controller()->display();
                               displayReturnedAtOnce =
                                   loop.now() == before && app().modalWindow() != nullptr;
                               click("Download and Install");
                           },
                           {platform::ModalPanelRunLoopMode});

    Scenario().updateAvailable("3.0", {"Required security fix"}, "", true);
    settle();
    EXPECT_EQ(windows.shown, 1) << "a mandatory update is shown at once";
    EXPECT_TRUE(wasModal);
    EXPECT_TRUE(laterHidden);
    EXPECT_TRUE(quitShown);
    EXPECT_TRUE(displayReturnedAtOnce);
    EXPECT_EQ(app().modalWindow(), nullptr) << "downloading ends the modal loop";

    ASSERT_EQ(controller()->currentContentView(), controller()->downloadingView());
    pass(2.0);
    ASSERT_EQ(controller()->currentContentView(), controller()->restartView());
    EXPECT_EQ(app().modalWindow(), nullptr) << "the visible window is not run modally again";

    // The package went missing: the failure is shown and the application keeps running.
    ASSERT_TRUE(controller()->dmg());
    fs::remove(*controller()->dmg());
    click("Install");
    EXPECT_TRUE(opened.empty());
    EXPECT_FALSE(app().isTerminated());
    EXPECT_EQ(controller()->currentContentView(), controller()->downloadFailedView());
    EXPECT_TRUE(controller()->window()->isVisible());
    EXPECT_TRUE(logged("Update package could not be opened"));

    // A mandatory update cannot be put off: closing the failure quits.
    click("Close");
    EXPECT_TRUE(app().isTerminated());
}

TEST_F(AutoUpdateTest, InstallingWithoutAnOpenablePackageShowsTheFailureInsteadOfQuitting) {
    const fs::path package = tmp / "settings" / "Updates" / "Lumiq-9.AppImage";
    writeFile(package, "update");
    const struct {
        const char* name;
        std::string installFileName;
        bool openerSucceeds;
        bool opens;
        bool quits;
    } cases[] = {
        {"the package is opened", package.string(), true, true, true},
        {"no file name", "", true, false, false},
        {"no such file", (tmp / "missing.AppImage").string(), true, false, false},
        {"the opener fails", package.string(), false, true, false},
    };
    for (const auto& c : cases) {
        app().resetSharedApplication();
        opened.clear();
        openerSucceeds = c.openerSucceeds;
        auto model = std::make_shared<OVAutoUpdateDialogModel>(std::weak_ptr<AutoUpdater>());
        model->setInstallFileName(c.installFileName);
        model->setVisualState(OVAutoUpdateDialogModel::installingVisualState);
        AutoUpdateController::initSharedController(model)->display();
        ASSERT_EQ(controller()->currentContentView(), controller()->restartView()) << c.name;
        EXPECT_EQ(controller()->dmg().has_value(), !c.installFileName.empty()) << c.name;

        click("Install");
        EXPECT_EQ(opened.size(), c.opens ? 1u : 0u) << c.name;
        if (c.opens) {
            EXPECT_EQ(opened[0], (std::vector<std::string>{"xdg-open", package.string()}));
        }
        EXPECT_EQ(app().isTerminated(), c.quits) << c.name;
        if (!c.quits) {
            EXPECT_EQ(controller()->currentContentView(), controller()->downloadFailedView())
                << c.name;
            click("Close");
            EXPECT_FALSE(app().isTerminated()) << c.name;
        }
        settle();
        EXPECT_EQ(controller(), nullptr) << c.name;
    }
}

} // namespace
