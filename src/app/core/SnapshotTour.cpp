#include "app/core/SnapshotTour.h"

#include "app/calls/CallModuleController.h"
#include "app/calls/LayerMenuItem.h"
#include "app/calls/ToastWindowController.h"
#include "app/calls/VideoView.h"
#include "app/calls/VideoWindow.h"
#include "app/contacts/ContactEditorController.h"
#include "app/contacts/ContactImportWindowController.h"
#include "app/contacts/ContactListController.h"
#include "app/core/AppController.h"
#include "app/core/LoginController.h"
#include "app/main_window/FunctionModuleController.h"
#include "app/main_window/MainAppWindow.h"
#include "app/messaging/ChatInvitationWindowController.h"
#include "app/messaging/ChatRoomListWindowController.h"
#include "app/messaging/IMArchiveWindowController.h"
#include "app/messaging/IMBroadcastWindowController.h"
#include "app/messaging/IMWindowController.h"
#include "app/messaging/WorkgroupWindowController.h"
#include "engine/AccountService.h"
#include "engine/CocoaCAOpenGLLayer.h"
#include "engine/OVContactManager.h"
#include "engine/PhoneService.h"
#include "engine/PhoneStatusService.h"
#include "engine/Scenario.h"
#include "engine/StartupService.h"
#include "engine/ToastService.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/Image.h"
#include "platform/kit/Application.h"
#include "platform/kit/Event.h"
#include "platform/kit/Panel.h"
#include "platform/kit/TextField.h"
#include "platform/layers/TextLayer.h"

#include <algorithm>
#include <system_error>

namespace {

platform::TimeInterval now() {
    return platform::RunLoop::main().now();
}

} // namespace

SnapshotTour::SnapshotTour(std::filesystem::path folder, platform::TimeInterval stepTimeout)
    : _folder(std::move(folder)), _stepTimeout(stepTimeout) {}

SnapshotTour::~SnapshotTour() {
    if (_timer)
        _timer->invalidate();
}

void SnapshotTour::start() {
    std::error_code error;
    std::filesystem::create_directories(_folder, error);
    if (error) {
        fail("the folder " + _folder.string() + " cannot be made: " + error.message());
        return;
    }
    _stepStarted = now();
    _timer = platform::Timer::scheduledTimerWithTimeInterval(0.1, true,
                                                             [this](platform::Timer&) { poll(); });
}

void SnapshotTour::poll() {
    AppController* controller = AppController::sharedAppController();
    MainAppWindow* window = controller ? controller->mainWindow() : nullptr;
    if (!window) {
        fail("the application has no main window");
        return;
    }
    const std::string view = window->currentViewName();
    switch (_stage) {
    case Stage::waitForLogin: {
        const auto login = controller->loginController();
        if (view != "login" || !login || !login->username() || !login->password())
            break;
        if (!snapshot(*window, "login"))
            return;
        // A remembered automatic sign-in goes on by itself; pressing Login now would stop it.
        if (!login->autoLoginInProgress() && !login->loggingIn()) {
            login->username()->setStringValue(demoUser);
            login->password()->setStringValue(demoPassword);
            login->login(nullptr);
        }
        _stage = Stage::waitForMainView;
        _stepStarted = now();
        return;
    }
    case Stage::waitForMainView: {
        // A refused sign-in leaves the login view with its reason and no request under way.
        const auto login = controller->loginController();
        if (view == "login" && login && !login->loggingIn() && login->errorMsg() &&
            !login->errorMsg()->stringValue().empty() && now() - _stepStarted > 0.5) {
            fail("the sign-in as the demo user failed: " + login->errorMsg()->stringValue());
            return;
        }
        if (view != "mainView")
            break;
        // The picture shows the phone ready, not the account still being enabled.
        if (!phoneReady())
            break;
        if (!snapshot(*window, "main-view"))
            return;
        // The toolbar and the function tabs laid out again for a wider, taller window, and
        // the window back to its size.
        {
            const platform::Size size = window->contentSize();
            window->setContentSize({size.width + 140, size.height + 60});
            window->display();
            if (!snapshot(*window, "main-view-wide"))
                return;
            window->setContentSize(size);
            window->display();
        }
        _stage = Stage::waitForContacts;
        _stepStarted = now();
        return;
    }
    case Stage::waitForContacts: {
        // The contact list as a tree, as a flat list and filtered, once the demo contacts show.
        ContactListController* list = FunctionModuleController::sharedController().contactList();
        if (!list || list->contactOutlineView().numberOfRows() == 0)
            break;
        if (!snapshot(*window, "contacts-tree"))
            return;
        if (list->isTreeViewMode())
            list->contextFilterShowGroups();
        if (!snapshot(*window, "contacts-flat"))
            return;
        list->filterTextBox().setStringValue("e");
        list->filterChanged();
        if (!snapshot(*window, "contacts-filter"))
            return;
        list->filterTextBox().setStringValue("");
        list->filterChanged();
        list->contextFilterShowGroups();
        // A contact open in the contact editor.
        if (auto phone = StartupService::instance().phoneService()) {
            const auto found =
                phone->getContactManager()->lookup("", "sip:dave@sip.lumiq.example", "");
            if (!found.empty()) {
                auto editor = ContactEditorController::openForContact(found.front());
                const bool pictured = snapshot(editor->window(), "contact-editor");
                ContactEditorController::cleanup();
                if (!pictured)
                    return;
            }
        }
        if (!snapshotBroadcastAndInvitation() || !snapshotWorkgroup())
            return;
        // The new-group sheet, and the address-book import on the demo's card folder.
        list->contextNewGroup();
        const bool newGroup = snapshot(list->newGroupPanel(), "new-group");
        list->newGroupCancel();
        if (!newGroup)
            return;
        if (auto import = ContactImportWindowController::initWithParams(
                false, 1,
                platform::AddressBook::vCardFolder(platform::Bundle::mainBundle().resourcePath() /
                                                   "engine" / "address-book"))) {
            const bool pictured = snapshot(*import->window(), "address-book-import");
            import->cancel();
            if (!pictured)
                return;
        }
        _stage = Stage::waitForCalls;
        _stepStarted = now();
        return;
    }
    case Stage::waitForCalls: {
        // Both placed calls answered: the second goes on hold and a third rings in.
        // Calls go out once the accounts allow them.
        placeCalls();
        const auto calls = CallModuleController::sharedController().conversations();
        const auto connected = std::count_if(calls.begin(), calls.end(), [](const auto& call) {
            return call->wasConnected() && call->isLive();
        });
        if (connected < 2)
            break;
        calls[1]->hold();
        Scenario().incomingCall("sip:carol@sip.lumiq.example", "Carol Chen");
        _stage = Stage::waitForHold;
        _stepStarted = now();
        return;
    }
    case Stage::waitForHold: {
        const auto calls = CallModuleController::sharedController().conversations();
        if (calls.size() < 3 || !calls[1]->isHoldingLocally() || !calls[2]->isRinging())
            break;
        if (!snapshot(*window, "main-view-calls"))
            return;
        // Carol's call rings in a toast of its own.
        for (const auto& toast : controller->toastWindowControllers())
            if (toast->window() && toast->toast()->type() == Toast::typeIncomingCall) {
                if (!snapshot(*toast->window(), "toast-call"))
                    return;
                break;
            }
        // The calls end before the tour does, so quitting asks nothing.
        if (auto phone = StartupService::instance().phoneService())
            phone->getConversationService()->endAll();
        _stage = Stage::waitForHangUp;
        _stepStarted = now();
        return;
    }
    case Stage::waitForHangUp: {
        auto phone = StartupService::instance().phoneService();
        if (phone && phone->getConversationService()->linesInUse() > 0)
            break;
        startSecondCall();
        return;
    }
    case Stage::waitForSecondCall:
        if (!pollSecondCall())
            break;
        return;
    case Stage::waitForPartiesHangUp: {
        auto phone = StartupService::instance().phoneService();
        if (phone && phone->getConversationService()->linesInUse() > 0)
            break;
        Scenario().incomingMessage("sip:bob@sip.lumiq.example", "Hi Alice, are you free later?",
                                   "Bob Baker");
        _stage = Stage::waitForChat;
        _stepStarted = now();
        return;
    }
    case Stage::waitForChat:
        if (!pollChat())
            break;
        return;
    case Stage::waitForChatEnd:
        // Quitting with a session still open would ask first.
        if (!controller->imSessions().empty())
            break;
        _stage = Stage::waitForArchive;
        _stepStarted = now();
        return;
    case Stage::waitForArchive:
        if (!pollArchive())
            break;
        return;
    case Stage::waitForChatRooms:
        if (!pollChatRooms())
            break;
        return;
    case Stage::waitForFileTransfer:
        if (!pollFileTransfer())
            break;
        return;
    case Stage::waitForPresenceRequest:
        if (!pollPresenceRequest())
            break;
        return;
    case Stage::waitForGroupChat:
        if (!pollGroupChat())
            break;
        return;
    case Stage::waitForVideoCall:
    case Stage::waitForVideoPictures:
    case Stage::waitForVideoLayers:
    case Stage::waitForVideoEnd:
        if (!pollVideo())
            break;
        return;
    case Stage::done:
        return;
    }
    if (now() - _stepStarted <= _stepTimeout)
        return;
    if (_stage == Stage::waitForLogin)
        fail("the login view never appeared");
    else if (_stage == Stage::waitForMainView)
        fail("the sign-in as the demo user never reached the main view (the window shows \"" +
             view + "\")");
    else if (_stage == Stage::waitForContacts)
        fail("the contact list never showed the demo contacts");
    else if (_stage == Stage::waitForHangUp || _stage == Stage::waitForPartiesHangUp)
        fail("the demo calls never ended");
    else if (_stage == Stage::waitForSecondCall)
        fail("the second call and the conference bridge never showed");
    else if (_stage == Stage::waitForChat)
        fail("the demo chat never reached its reply");
    else if (_stage == Stage::waitForChatEnd)
        fail("the demo chat never ended");
    else if (_stage == Stage::waitForArchive)
        fail("the message archive never showed the demo chat");
    else if (_stage == Stage::waitForChatRooms)
        fail("the chat room list never showed the demo rooms");
    else if (_stage == Stage::waitForFileTransfer)
        fail("the file offer never showed in a transfer window");
    else if (_stage == Stage::waitForPresenceRequest)
        fail("the presence request never showed");
    else if (_stage == Stage::waitForGroupChat)
        fail("the demo group chat never filled");
    else if (_stage == Stage::waitForVideoCall || _stage == Stage::waitForVideoPictures)
        fail("the video call never showed both pictures");
    else if (_stage == Stage::waitForVideoLayers)
        fail("the video window's layers never settled");
    else if (_stage == Stage::waitForVideoEnd)
        fail("the video call never ended");
    else
        fail("the demo calls never reached their states");
}

bool SnapshotTour::phoneReady() {
    auto phone = StartupService::instance().phoneService();
    const auto statusService = phone ? phone->getPhoneStatusService() : nullptr;
    const auto status = statusService ? statusService->status() : nullptr;
    return status && status->value() == OVPhoneStatus::ready;
}

void SnapshotTour::placeCalls() {
    auto phone = StartupService::instance().phoneService();
    if (!phone)
        return;
    auto service = phone->getConversationService();
    if (!service->newConversationAllowed())
        return;
    const char* const addresses[] = {"sip:dave@sip.lumiq.example", "sip:erin@sip.lumiq.example"};
    for (auto i = service->getAllConversations().size(); i < std::size(addresses); ++i) {
        Scenario().callsTo(addresses[i], RemoteAnswer::answers);
        service->audioConversation(addresses[i], -1);
    }
}

bool SnapshotTour::pollChat() {
    AppController* controller = AppController::sharedAppController();
    IMWindowController* chat = nullptr;
    for (const auto& object : controller ? controller->imWindowControllers()
                                         : std::vector<std::shared_ptr<platform::Object>>{}) {
        if (auto* window = dynamic_cast<IMWindowController*>(object.get()))
            chat = window;
    }
    if (!chat || !chat->webView())
        return false;
    // Entries of this chat; the block of the party's last archived chat, shown above them when
    // an earlier run left one, is not one of them.
    auto paras = chat->webView()->mainFrameDocument().getElementById("paras");
    std::size_t shown = 0;
    for (const auto& entry : paras ? paras.children() : std::vector<platform::DOMElement>{})
        if (entry.getAttribute("id") != "archive_div")
            ++shown;
    if (shown == 1 && chat->input().string().empty()) {
        // The user answers in bold and plain text and sends it.
        chat->window()->makeKeyAndOrderFront(nullptr);
        chat->setBold(true);
        chat->inputView()->insertText("Sure!");
        chat->setBold(false);
        chat->inputView()->insertText(" Call me at 5 :-)");
        chat->sendUserInput();
        return false;
    }
    // Bob's reply has come and he is typing no more.
    if (shown < 3)
        return false;
    chat->inputView()->insertText("See you");
    if (!snapshot(*chat->window(), "chat"))
        return true;
    // The session ends first, so its transcript goes to the archive; the window closes after.
    chat->endChat();
    _stage = Stage::waitForChatEnd;
    _stepStarted = now();
    return true;
}

bool SnapshotTour::pollArchive() {
    auto& archive = IMArchiveWindowController::sharedIMArchiveWindowController();
    if (!archive.window()->isVisible()) {
        if (AppController* controller = AppController::sharedAppController()) {
            const std::vector<std::shared_ptr<platform::Object>> chats =
                controller->imWindowControllers();
            for (const auto& object : chats) {
                if (auto* chat = dynamic_cast<IMWindowController*>(object.get()))
                    chat->close();
            }
        }
        archive.showWindow(nullptr);
        return false;
    }
    if (archive.items().empty() || archive.shownTranscript().empty())
        return false;
    // A search whose matches show highlighted.
    if (archive.filterTextField().stringValue().empty()) {
        archive.filterTextField().setStringValue("call");
        archive.filterTextChanged();
        return false;
    }
    if (archive.shownTranscript().find("#ffff00") == std::string::npos)
        return false;
    if (!snapshot(*archive.window(), "archive"))
        return true;
    IMArchiveWindowController::close();
    // The rooms of the session's chat server.
    if (auto phone = StartupService::instance().phoneService()) {
        for (const auto& account : phone->getAccountService()->accounts()) {
            if (account->protocol() == OVAccount::XMPPprotocol) {
                ChatRoomListWindowController::sharedChatRoomListWindowController().setAccount(
                    account);
                _stage = Stage::waitForChatRooms;
                _stepStarted = now();
                return true;
            }
        }
    }
    startFileTransfer();
    return true;
}

bool SnapshotTour::snapshotBroadcastAndInvitation() {
    auto phone = StartupService::instance().phoneService();
    if (!phone)
        return true;
    std::vector<std::shared_ptr<OVEntity>> recipients;
    for (const auto& contact : phone->getContactManager()->allContacts())
        if (!contact->imAddresses().empty() && recipients.size() < 4)
            recipients.push_back(contact);
    if (auto broadcast = IMBroadcastWindowController::initWithBroadcast(recipients, false)) {
        broadcast->setBold(true);
        broadcast->inputView()->insertText("Team lunch");
        broadcast->setBold(false);
        broadcast->inputView()->insertText(" today at 12:30 <3");
        const bool pictured = snapshot(*broadcast->window(), "broadcast");
        IMBroadcastWindowController::closeAll();
        if (!pictured)
            return false;
    }
    auto invitation = std::make_shared<ChatInvitation>(nullptr, "lunch@rooms.chat.lumiq.example",
                                                       "bob@chat.lumiq.example", "Bob Baker",
                                                       "Where shall we go for lunch?");
    auto window = ChatInvitationWindowController::initWithChatInvitation(invitation);
    const bool pictured = snapshot(*window->window(), "chat-invitation");
    ChatInvitationWindowController::closeAll();
    return pictured;
}

bool SnapshotTour::snapshotWorkgroup() {
    auto& workgroup = WorkgroupWindowController::sharedController();
    workgroup.showWindow(nullptr);
    const bool pictured = snapshot(*workgroup.window(), "workgroup");
    WorkgroupWindowController::releaseSharedController();
    return pictured;
}

bool SnapshotTour::pollChatRooms() {
    auto& list = ChatRoomListWindowController::sharedChatRoomListWindowController();
    if (!list.window()->isVisible() || list.rooms().empty())
        return false;
    list.itemsTableView().selectRow(0, false);
    if (!snapshot(*list.window(), "chat-rooms"))
        return true;
    ChatRoomListWindowController::releaseSharedChatRoomListWindowController();
    Scenario().chatInvitation("lunch@rooms.chat.lumiq.example", "bob@chat.lumiq.example",
                              "Bob Baker", "Where shall we go for lunch?");
    _stage = Stage::waitForGroupChat;
    _stepStarted = now();
    return true;
}

bool SnapshotTour::pollGroupChat() {
    for (const auto& invitation : ChatInvitationWindowController::openControllers())
        invitation->accept(nullptr);
    AppController* controller = AppController::sharedAppController();
    if (!controller)
        return false;
    IMWindowController* group = nullptr;
    for (const auto& object : controller->imWindowControllers())
        if (auto* chat = dynamic_cast<IMWindowController*>(object.get());
            chat && chat->imSession() && chat->imSession()->isGroupChat())
            group = chat;
    // The demo room: its members come in and talk, and the last of them leaves again.
    if (!group || group->imSession()->chatParticipants().size() < 2 ||
        !group->transcript().isReady() ||
        group->webView()->mainFrameDocument().getElementById("paras").children().size() < 6)
        return false;
    if (!snapshot(*group->window(), "group-chat"))
        return true;
    group->endChat();
    group->close();
    startFileTransfer();
    return true;
}

void SnapshotTour::startVideoCall() {
    Scenario().incomingCall("sip:dave@sip.lumiq.example", "Dave Dunn", true);
    _stage = Stage::waitForVideoCall;
    _stepStarted = now();
}

bool SnapshotTour::pollVideo() {
    auto phone = StartupService::instance().phoneService();
    if (!phone)
        return false;
    auto service = phone->getConversationService();
    switch (_stage) {
    case Stage::waitForVideoCall:
        for (const auto& call : service->getAllConversations()) {
            if (call->isRinging() && call->isVideo()) {
                call->answer();
                _stage = Stage::waitForVideoPictures;
                _stepStarted = now();
                return true;
            }
        }
        return false;
    case Stage::waitForVideoPictures: {
        if (!VideoWindow::videoWindowExist())
            return false;
        auto& window = VideoWindow::sharedVideoWindow();
        auto view = window.videoView();
        if (!window.isVisible() || !view || !view->hasRemote() || !view->remoteLayer() ||
            !view->localLayer() || view->remoteLayer()->framesRendered() < 15 ||
            view->localLayer()->framesRendered() < 15 || !view->remoteWaitingLayer().isHidden() ||
            !view->localWaitingLayer().isHidden() || view->rootLayer().isAnimating())
            return false;
        // Every layer: the notice of a picture not sent, both statistics strips and the far
        // end's menu under the pointer.
        if (auto live = service->getLiveConversation())
            live->stopMyVideo();
        for (const auto& item : view->menus())
            if (item->action() == "toggleInfo:")
                view->toggleInfo(item.get());
        _stage = Stage::waitForVideoLayers;
        _stepStarted = now();
        return true;
    }
    case Stage::waitForVideoLayers: {
        auto& window = VideoWindow::sharedVideoWindow();
        auto view = window.videoView();
        const auto point = view->remotePane().frame().center().offsetBy(60, 60);
        view->mouseMoved(platform::Event::mouseEvent(
            platform::EventType::MouseMoved, view->convertPointToView(point, nullptr), 0, &window));
        view->updateInfoContents();
        if (view->rootLayer().isAnimating() || view->localMessageLayer().isHidden())
            return false;
        if (!snapshot(window, "video-call"))
            return true;
        service->endAll();
        _stage = Stage::waitForVideoEnd;
        _stepStarted = now();
        return true;
    }
    case Stage::waitForVideoEnd:
        if (service->linesInUse() > 0)
            return false;
        VideoWindow::sharedVideoWindow().orderOut(nullptr);
        finish();
        return true;
    default:
        return false;
    }
}

bool SnapshotTour::snapshot(platform::Window& window, const std::string& name) {
    const auto path = _folder / (name + ".png");
    const auto image = window.snapshot();
    if (!image || !image->writePNG(path)) {
        fail("the picture " + path.string() + " cannot be written");
        return false;
    }
    _written.push_back(path);
    platform::Log("Snapshot: " + path.string());
    return true;
}

void SnapshotTour::fail(std::string reason) {
    _failure = std::move(reason);
    platform::Log("Snapshot tour failed: " + *_failure);
    finish();
}

void SnapshotTour::finish() {
    _stage = Stage::done;
    _finished = true;
    if (_timer) {
        _timer->invalidate();
        _timer.reset();
    }
    auto& application = platform::Application::sharedApplication();
    application.setExitStatus(_failure ? 1 : 0);
    // Nobody is there to answer a quit confirmation (a chat or a call may still be up when a
    // step fails): the tour ends as a signal ends the program, without asking.
    application.terminateForSignal();
}
