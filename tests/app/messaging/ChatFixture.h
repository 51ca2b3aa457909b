#pragma once

#include "app/AppTestSupport.h"
#include "app/contacts/ContactEditorController.h"
#include "app/core/DockController.h"
#include "app/core/SheetsTracker.h"
#include "app/main_window/FunctionModuleController.h"
#include "app/main_window/MainAppWindow.h"
#include "app/main_window/PrimaryModuleController.h"
#include "app/messaging/ChatInvitationWindowController.h"
#include "app/messaging/IMWindowController.h"
#include "engine/OVContactManager.h"
#include "engine/Scenario.h"
#include "engine/SimulatedNetwork.h"
#include "platform/kit/WindowServer.h"

#include <memory>
#include <optional>
#include <string_view>

namespace chat_test {

inline std::shared_ptr<PhoneService> phone() {
    return StartupService::instance().phoneService();
}

// A signed-in, started engine and an application controller that opens chat windows for the
// engine's sessions, on the manual clock; the other parties do not answer unless told.
class ChatFixture : public app_test::AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        platform::WindowServer::shared().reset();
        initializeDemoEngine({"Friends"});
        signInDemoUser();
        if (HasFatalFailure())
            return;
        scenario.emplace();
        prepareScenario(*scenario);
        controller = std::make_unique<AppController>();
        app().setDelegate(controller.get());
        window = MainAppWindow::makeFromInterfaceDefinition();
        window->awake();
        controller->setMainWindow(window.get());
        window->displayMain();
        controller->attachEventHubServices();
        if (startupSeconds() > 0)
            pass(startupSeconds());
        else
            settle();
    }
    void TearDown() override {
        SheetsTracker::sharedController().closeAllSheets();
        ChatInvitationWindowController::closeAll();
        ContactEditorController::cleanup();
        settle();
        controller.reset();
        DockController::releaseSharedDockController();
        PrimaryModuleController::releaseSharedController();
        FunctionModuleController::releaseSharedController();
        settle();
        window.reset();
        scenario.reset();
        platform::WindowServer::shared().reset();
        AppTest::TearDown();
    }

    // The network before the application starts: by default nobody answers a message.
    virtual void prepareScenario(Scenario& made) { made.network()->setMessageReplies({}); }
    // How long the application runs before a test starts.
    virtual double startupSeconds() const { return 2; }

    static void pass(double seconds) {
        platform::RunLoop::main().runFor(seconds);
        settle();
    }
    static void settle() { platform::RunLoop::main().runUntilIdle(); }
    IMWindowController* chatWith(std::string_view address) const {
        for (const auto& object : controller->imWindowControllers()) {
            auto* chat = dynamic_cast<IMWindowController*>(object.get());
            if (chat && chat->imSession() &&
                OVEntity::sameAddress(chat->imSession()->remoteAddress(), std::string(address))) {
                return chat;
            }
        }
        return nullptr;
    }
    IMWindowController* openChat(std::string_view address, bool viaXMPP = false,
                                 bool viaSms = false) {
        phone()->getIMService()->newIMSession(std::string(address), viaXMPP, viaSms);
        pass(0.1);
        return chatWith(address);
    }
    static std::shared_ptr<OVEntity> contactWith(std::string_view address) {
        const auto found = phone()->getContactManager()->lookup("", address, "");
        return found.empty() ? nullptr : found.front();
    }

    std::optional<Scenario> scenario;
    std::unique_ptr<AppController> controller;
    std::shared_ptr<MainAppWindow> window;
};

} // namespace chat_test
