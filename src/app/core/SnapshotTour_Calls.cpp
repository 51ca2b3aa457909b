#include "app/calls/CallModuleController.h"
#include "app/calls/ConversationViewController.h"
#include "app/calls/ServerConferenceViewController.h"
#include "app/core/AppController.h"
#include "app/core/SnapshotTour.h"
#include "app/main_window/DialpadWindowController.h"
#include "app/main_window/MainAppWindow.h"
#include "app/main_window/PrimaryModuleController.h"
#include "engine/PhoneService.h"
#include "engine/Scenario.h"
#include "engine/StartupService.h"
#include "platform/kit/Button.h"
#include "platform/kit/ButtonCell.h"
#include "widgets/QXAttachWindow.h"

// Erin is called and Frank consulted on a second call; a conference on the server has Grace
// joining. The main view then shows the second call's strip, the rows and the bridge panel.
void SnapshotTour::startSecondCall() {
    auto phone = StartupService::instance().phoneService();
    if (!phone) {
        fail("the phone went away");
        return;
    }
    auto service = phone->getConversationService();
    for (const char* address : {"sip:erin@sip.lumiq.example", "sip:frank@sip.lumiq.example"})
        Scenario().callsTo(address, RemoteAnswer::answers);
    service->audioConversation("sip:erin@sip.lumiq.example", -1);
    service->conferenceFocusConversation();
    _stage = Stage::waitForSecondCall;
    _stepStarted = platform::RunLoop::main().now();
}

bool SnapshotTour::pollSecondCall() {
    auto phone = StartupService::instance().phoneService();
    if (!phone)
        return false;
    auto service = phone->getConversationService();
    std::shared_ptr<Conversation> erin, focus;
    for (const auto& call : service->getAllConversations()) {
        if (!call->isEstablished())
            continue;
        if (call->isRemoteConferenceFocus())
            focus = call;
        else
            erin = call;
    }
    if (!erin || !focus)
        return false;
    if (!erin->getRelatedConversation()) {
        erin->createRelatedConversation("sip:frank@sip.lumiq.example");
        Scenario().conferenceParticipantJoins(focus->callIdentifier(),
                                              "sip:grace@sip.lumiq.example", "Grace Green");
        return true;
    }
    auto& area = CallModuleController::sharedController();
    auto* panel = area.panelOf(erin.get());
    if (!erin->getRelatedConversation()->isEstablished() || focus->participants().size() < 2 ||
        !panel || !panel->relatedConversationStrip() || area.conferencePanels().empty())
        return false;
    // Long enough for the bridge's clock to have shown a second.
    if (platform::RunLoop::main().now() - _stepStarted < 1.5)
        return false;
    auto* controller = AppController::sharedAppController();
    if (!controller || !controller->mainWindow() ||
        !snapshot(*controller->mainWindow(), "main-view-call-parties"))
        return true;
    // The dialpad docked in the main window's stack.
    auto on = std::make_shared<platform::Button>();
    on->setButtonType(platform::PushOnPushOffButton);
    on->setState(platform::OnState);
    auto& primary = PrimaryModuleController::sharedController();
    primary.toggleDialpad(on.get());
    const bool pictured = snapshot(*controller->mainWindow(), "main-view-dialpad");
    on->setState(platform::OffState);
    primary.toggleDialpad(on.get());
    if (!pictured)
        return true;
    // The same pad in its floating window, as a brand that docks it beside the main window
    // shows it.
    auto& floating = DialpadWindowController::sharedController();
    floating.showWindow(nullptr);
    const bool floatingPictured = snapshot(*floating.window(), "dialpad-window");
    floating.close();
    if (!floatingPictured)
        return true;
    service->endAll();
    _stage = Stage::waitForPartiesHangUp;
    _stepStarted = platform::RunLoop::main().now();
    return true;
}
