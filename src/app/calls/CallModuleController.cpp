#include "app/calls/CallModuleController.h"

#include "app/calls/ConversationView.h"
#include "app/calls/ConversationViewController.h"
#include "app/calls/ServerConferenceViewController.h"
#include "app/core/AppController.h"
#include "app/core/DockController.h"
#include "app/core/SheetsTracker.h"
#include "app/main_window/MainAppWindow.h"
#include "engine/StartupService.h"
#include "platform/foundation/RunLoop.h"
#include "platform/kit/Application.h"
#include "platform/kit/Button.h"
#include "platform/kit/Panel.h"
#include "platform/kit/TextField.h"
#include "platform/kit/TextView.h"
#include "platform/kit/Window.h"
#include "support/Localization.h"
#include "support/StringExtensions.h"
#include "widgets/QXCollectionViewItem.h"
#include "widgets/QXGradient.h"
#include "widgets/QXPartitionView.h"

#include <algorithm>

namespace {

std::unique_ptr<CallModuleController>& sharedInstance() {
    static std::unique_ptr<CallModuleController> controller;
    return controller;
}

constexpr double kItemAnimation = 0.7;
constexpr double kPromptInterval = 1.0;

} // namespace

CallModuleController::CallModuleController() {
    _collectionView = platform::make<QXCollectionView>(platform::Rect(0, 0, 340, 0));
    _collectionView->setAutoresizingMask(platform::ViewWidthSizable);
    buildRecordingSheet();
}

CallModuleController::~CallModuleController() {
    if (_showCallRecordingTimer)
        _showCallRecordingTimer->invalidate();
    if (_conversationsModel)
        _conversationsModel->removeDelegate(this);
    if (_conversationService)
        _conversationService->removeDelegate(this);
    for (const auto& panel : _panels)
        panel->cleanup();
    _collectionView->setDelegate(nullptr);
    _collectionView->removeAllItems();
    if (_recordingOKButton)
        _recordingOKButton->setTarget(nullptr);
    if (_recordingOpenButton)
        _recordingOpenButton->setTarget(nullptr);
}

CallModuleController& CallModuleController::sharedController() {
    auto& shared = sharedInstance();
    if (!shared)
        shared = std::make_unique<CallModuleController>();
    return *shared;
}

bool CallModuleController::sharedControllerExists() {
    return sharedInstance() != nullptr;
}

void CallModuleController::releaseSharedController() {
    sharedInstance().reset();
}

std::shared_ptr<platform::View> CallModuleController::theView() {
    return _collectionView;
}

void CallModuleController::buildRecordingSheet() {
    constexpr double width = 380, height = 120;
    _recordingSaveSheet = platform::make<platform::Panel>(platform::Rect{0, 0, width, height},
                                                          platform::TitledWindowMask);
    _recordingSaveSheet->setReleasedWhenClosed(false);
    auto content = std::make_shared<platform::View>(platform::Rect{0, 0, width, height});
    auto title = std::make_shared<platform::TextField>(platform::Rect{20, 86, width - 40, 18});
    title->setEditable(false);
    title->setBordered(false);
    title->setDrawsBackground(false);
    title->setStringValue(QXLS("msg.call.recording.saved", "The call recording was saved:"));
    auto labelOf = [&](double y) {
        auto field = std::make_shared<platform::TextField>(platform::Rect{20, y, width - 40, 18});
        field->setEditable(false);
        field->setSelectable(true);
        field->setBordered(false);
        field->setDrawsBackground(false);
        content->addSubview(field);
        return field;
    };
    content->addSubview(title);
    _recordingSaveSheetNameLabel = labelOf(64);
    _recordingSaveSheetLocationLabel = labelOf(44);
    _recordingOKButton =
        std::make_shared<platform::Button>(platform::Rect{width - 100, 10, 80, 26});
    _recordingOKButton->setTitle(QXLS("msg.opt.dialog.button.ok", "OK"));
    _recordingOKButton->setAction("recordingSaveOK:");
    _recordingOKButton->setTarget(this);
    _recordingOKButton->setKeyEquivalent("\r");
    _recordingOpenButton = std::make_shared<platform::Button>(platform::Rect{20, 10, 120, 26});
    _recordingOpenButton->setTitle(QXLS("msg.call.recording.open_folder", "Open Folder"));
    _recordingOpenButton->setAction("recordingOpenFolder:");
    _recordingOpenButton->setTarget(this);
    content->addSubview(_recordingOKButton);
    content->addSubview(_recordingOpenButton);
    _recordingSaveSheet->setContentView(content);
}

void CallModuleController::setup() {
    _phoneService = StartupService::instance().phoneService();
    _brandApplied = false;
    applyModuleConfig();
}

void CallModuleController::applyModuleConfig() {
    if (_brandApplied)
        return;
    const platform::Value empty;
    auto* controller = AppController::sharedAppController();
    const platform::Value& brand = controller ? controller->brandDict()["CallModuleConfig"] : empty;
    auto* stack = dynamic_cast<QXPartitionView*>(_collectionView->superview());
    if (!stack)
        return;
    _brandApplied = true;
    const long index = stack->getModuleIndex(_collectionView.get());
    if (index >= 0) {
        stack->setModuleConstraints(index, platform::Size(100, 0), platform::Size(10000, 0));
        stack->setModule(index, true);
        stack->setModuleSpaceing(index, QXModuleSpace{brand["SpaceAbove"].floatValue(),
                                                      brand["SpaceBelow"].floatValue()});
    }
    _collectionView->setBackgroundGradient(
        QXGradient::gradientFromString(brand["Gradient"].string()));
    _collectionView->setAnimate(false);
    _collectionView->setLayout(1);
    _collectionView->setAnimationDuration(0.5);
    _collectionView->setDelegate(this);
}

void CallModuleController::setupServices() {
    auto phone = StartupService::instance().phoneService();
    if (!phone)
        return;
    _phoneService = phone;
    // The module joins the main window's stack after set-up: its place is styled now.
    applyModuleConfig();
    if (_conversationService)
        _conversationService->removeDelegate(this);
    _conversationService = phone->getConversationService();
    _conversationService->setDelegate(this);
    if (_conversationsModel)
        _conversationsModel->removeDelegate(this);
    _conversationsModel = OVConversationsModel::create();
    _conversationsModel->setDelegate(this);
    // Calls the engine already holds get their panels now.
    if (!_conversationsModel->getConversations().empty())
        ovmdConversationCollectionAdded(_conversationsModel->getConversations());
}

void CallModuleController::cleanup() {
    SheetsTracker::sharedController().closeSheetsForCreator(this);
    if (_showCallRecordingTimer) {
        _showCallRecordingTimer->invalidate();
        _showCallRecordingTimer.reset();
    }
    _collectionView->setAnimationDuration(kItemAnimation);
    for (const auto& panel : _panels)
        panel->cleanup();
    _panels.clear();
    for (const auto& panel : _conferencePanels)
        panel->cleanup();
    _conferencePanels.clear();
    _collectionView->removeAllItems();
    _callRecordingPrompts.clear();
    // Both delegates go with the services, so no later callback reaches a call area that no
    // longer holds them.
    if (_conversationsModel)
        _conversationsModel->removeDelegate(this);
    if (_conversationService)
        _conversationService->removeDelegate(this);
    _phoneService.reset();
    _conversationsModel.reset();
    _conversationService.reset();
}

ConversationViewController* CallModuleController::panelOf(const Conversation* conversation) const {
    for (const auto& panel : _panels)
        if (panel->conversation().get() == conversation)
            return panel.get();
    return nullptr;
}

std::vector<std::shared_ptr<Conversation>> CallModuleController::conversations() const {
    std::vector<std::shared_ptr<Conversation>> calls;
    for (const auto& panel : _panels)
        if (auto conversation = panel->conversation())
            calls.push_back(conversation);
    return calls;
}

void CallModuleController::conversationAdded(const std::shared_ptr<Conversation>& conversation,
                                             bool /*isIncoming*/, bool remoteConferenceFocus) {
    if (!remoteConferenceFocus || !conversation)
        return;
    auto panel = std::make_shared<ServerConferenceViewController>(conversation);
    if (!panel->instantiate()) {
        panel->cleanup();
        return;
    }
    _conferencePanels.push_back(panel);
    auto item = panel->conversationViewItem();
    item->setRepresentedObject(panel);
    _collectionView->setAnimationDuration(kItemAnimation);
    _collectionView->appendItem(item);
    _collectionView->showItem(item, true);
    if (auto* controller = AppController::sharedAppController())
        controller->updateToolbar();
}

void CallModuleController::ovmdConversationCollectionAdded(
    const std::vector<std::shared_ptr<OVConversationModel>>& models) {
    ConversationViewController::registerDefinition();
    for (const auto& model : models) {
        if (!model || panelOf(model->getSpaceConversation().get()))
            continue;
        auto panel = std::make_shared<ConversationViewController>(model);
        // A panel that cannot be made drops its own call alone: the others still get theirs.
        if (!panel->instantiate()) {
            panel->cleanup();
            continue;
        }
        if (_startCallWithConference) {
            panel->setStartCallWithConference(true);
            _startCallWithConference = false;
        }
        _collectionView->setAnimationDuration(kItemAnimation);
        _panels.push_back(panel);
        _collectionView->appendItem(panel->conversationViewItem());
        _collectionView->showItem(panel->conversationViewItem(), true);
    }
    for (const auto& panel : std::vector(_panels))
        panel->newCallAdded();
    if (auto* controller = AppController::sharedAppController())
        controller->updateToolbar();
    auto features = StartupService::instance().featuresService();
    if (features && !features->featureAvailable("toastsEnabled") &&
        DockController::sharedDockControllerExists())
        DockController::sharedDockController().applicationAlert();
}

void CallModuleController::ovmdConversationCollectionRemoved(
    const std::vector<std::shared_ptr<OVConversationModel>>& models) {
    for (const auto& model : models) {
        auto it = std::find_if(_panels.begin(), _panels.end(), [&](const auto& panel) {
            return panel->conversationModel() &&
                   panel->conversationModel()->isEqualToInterface(model);
        });
        if (it == _panels.end())
            continue;
        auto panel = *it;
        auto item = panel->conversationViewItem();
        _panels.erase(it);
        if (!makeCallViewFirstResponder()) {
            if (auto* controller = AppController::sharedAppController())
                controller->setCallEntryFieldFocus();
        }
        panel->cleanup();
        if (item) {
            _collectionView->setAnimationDuration(kItemAnimation);
            _collectionView->removeItem(item);
        }
    }
    for (const auto& panel : std::vector(_panels))
        panel->callRemoved();
    if (auto* controller = AppController::sharedAppController())
        controller->updateToolbar();
}

void CallModuleController::removeCall(const std::shared_ptr<QXCollectionViewItem>& item) {
    auto it = std::find_if(_panels.begin(), _panels.end(), [&](const auto& panel) {
        return panel->conversationViewItem() == item;
    });
    if (it != _panels.end()) {
        auto panel = *it;
        _panels.erase(it);
        panel->cleanup();
    }
    auto bridge =
        std::find_if(_conferencePanels.begin(), _conferencePanels.end(),
                     [&](const auto& panel) { return panel->conversationViewItem() == item; });
    if (bridge != _conferencePanels.end()) {
        auto panel = *bridge;
        _conferencePanels.erase(bridge);
        panel->cleanup();
    }
    _collectionView->setAnimationDuration(kItemAnimation);
    if (item)
        _collectionView->removeItem(item);
}

void CallModuleController::collectionViewRequiresSize(QXCollectionView& view, platform::Size size) {
    auto* stack = dynamic_cast<QXPartitionView*>(view.superview());
    if (!stack)
        return;
    const long index = stack->getModuleIndex(&view);
    if (index >= 0)
        stack->setModuleConstraints(index, platform::Size(100, size.height),
                                    platform::Size(10000, size.height));
}

platform::Window* CallModuleController::window() const {
    if (auto* w = _collectionView->window())
        return w;
    auto* controller = AppController::sharedAppController();
    return controller ? controller->mainWindow() : nullptr;
}

ConversationViewController* CallModuleController::focusedPanel() const {
    auto* w = window();
    auto* view = w ? dynamic_cast<ConversationView*>(w->firstResponder()) : nullptr;
    if (!view)
        return nullptr;
    for (const auto& panel : _panels)
        if (panel->conversationView() == view || panel->conversationHoldView() == view)
            return panel.get();
    return nullptr;
}

void CallModuleController::answerFirstIncomingCall() {
    for (const auto& panel : _panels) {
        auto call = panel->conversation();
        if (!call || (call->connectionStatus() != Conversation::statusRingingIncoming &&
                      call->connectionStatus() != Conversation::statusRingingWaiting))
            continue;
        call->answer();
        if (auto* w = window())
            w->makeFirstResponder(panel->conversationView());
        return;
    }
}

void CallModuleController::declineIncomingCall() {
    for (const auto& panel : _panels) {
        auto call = panel->conversation();
        if (call && (call->connectionStatus() == Conversation::statusRingingIncoming ||
                     call->connectionStatus() == Conversation::statusRingingWaiting)) {
            call->decline();
            return;
        }
    }
}

void CallModuleController::hangUpOrEndTransferActiveCall(platform::Object* /*sender*/) {
    ConversationViewController* target = focusedPanel();
    if (!target && _panels.size() == 1)
        target = _panels.front().get();
    if (!target || !target->conversation())
        return;
    if (target->invitingToConference()) {
        target->cancel(nullptr);
        return;
    }
    if (target->isTransfering())
        return;
    const int status = target->conversation()->connectionStatus();
    if (status == Conversation::statusRingingIncoming ||
        status == Conversation::statusRingingWaiting)
        return;
    target->end(nullptr);
}

void CallModuleController::toggleHoldActiveCall(platform::Object* /*sender*/) {
    ConversationViewController* target = focusedPanel();
    if (!target && !_panels.empty())
        target = _panels.front().get();
    if (target && target->conversationModel())
        target->conversationModel()->toggleHoldResume();
}

void CallModuleController::performTransferActiveCall(platform::Object* /*sender*/) {
    ConversationViewController* target = focusedPanel();
    if (!target) {
        auto* w = window();
        auto* editor = w ? dynamic_cast<platform::TextView*>(w->firstResponder()) : nullptr;
        if (editor)
            for (const auto& panel : _panels)
                if (panel->textEditor() == editor)
                    target = panel.get();
    }
    if (!target || !target->conversation())
        return;
    const auto& call = *target->conversation();
    if (call.participants().size() != 1 ||
        call.connectionStatus() == Conversation::statusRingingIncoming)
        return;
    const auto& party = *call.participants().front();
    const int transfer = party.transferStatus();
    if (party.connectionStatus() == Participant::statusConnecting ||
        target->attendedTransferPending() || target->invitingToConference() || transfer == 1 ||
        transfer == 2 || transfer == 4)
        return;
    target->startTransfer(nullptr);
}

void CallModuleController::endAllConversations() {
    for (const auto& panel : std::vector(_panels))
        panel->end(nullptr);
}

bool CallModuleController::inConference() const {
    if (_conversationService && _conversationService->hasConference())
        return true;
    return std::any_of(_panels.begin(), _panels.end(),
                       [](const auto& panel) { return panel->invitingToConference(); });
}

bool CallModuleController::recordingInProgress() const {
    return std::any_of(_panels.begin(), _panels.end(), [](const auto& panel) {
        return panel->conversation() && panel->conversation()->canStopRecording();
    });
}

void CallModuleController::cameraStopped() {
    for (const auto& call : conversations())
        if (call->canStopMyVideo())
            call->stopMyVideo();
}

platform::TextView* CallModuleController::getCurrentTextEditor() const {
    for (const auto& panel : _panels)
        if (auto* editor = panel->textEditor())
            return editor;
    return nullptr;
}

bool CallModuleController::makeCallViewFirstResponder() {
    for (const auto& panel : _panels) {
        if (panel->isLocalOnHold() || panel->isEnding())
            continue;
        if (auto* w = window())
            w->makeFirstResponder(panel->conversationView());
        return true;
    }
    return false;
}

void CallModuleController::addCallRecordingPrompt(const std::string& path, const std::string& name,
                                                  const std::string& extension) {
    _callRecordingPrompts.push_back({path, name, extension});
    if (_showCallRecordingTimer)
        return;
    _showCallRecordingTimer = platform::Timer::scheduledTimerWithTimeInterval(
        kPromptInterval, true, [this](platform::Timer&) {
            showNextCallRecordingPrompt();
            if (_callRecordingPrompts.empty() && _showCallRecordingTimer) {
                _showCallRecordingTimer->invalidate();
                _showCallRecordingTimer.reset();
            }
        });
}

void CallModuleController::showNextCallRecordingPrompt() {
    if (_callRecordingPrompts.empty() || _sheetShowing)
        return;
    auto* controller = AppController::sharedAppController();
    if (controller && controller->mainWnidowAttachedSheet())
        return;
    auto* w = window();
    if (!w)
        return;
    const Prompt prompt = _callRecordingPrompts.front();
    _callRecordingPrompts.pop_front();
    _recordingSaveSheetNameLabel->setStringValue(prompt.name + prompt.extension);
    _recordingSaveSheetLocationLabel->setStringValue(prompt.path);
    _sheetShowing = true;
    platform::Application::sharedApplication().beginSheet(
        *_recordingSaveSheet, *w, [this](int code) { recordingSaveDidEnd(code); });
    SheetsTracker::sharedController().registerSheet(_recordingSaveSheet, this);
}

std::string CallModuleController::recordingSheetName() const {
    return _recordingSaveSheetNameLabel->stringValue();
}

std::string CallModuleController::recordingSheetLocation() const {
    return _recordingSaveSheetLocationLabel->stringValue();
}

void CallModuleController::recordingSaveOK(platform::Object* /*sender*/) {
    if (_sheetShowing)
        platform::Application::sharedApplication().endSheet(*_recordingSaveSheet, 1);
}

void CallModuleController::recordingOpenFolder(platform::Object* /*sender*/) {
    OrvantaExtensions::openInFinder(_recordingSaveSheetLocationLabel->stringValue());
}

void CallModuleController::recordingSaveDidEnd(int /*returnCode*/) {
    _sheetShowing = false;
    SheetsTracker::sharedController().deRegisterSheet(_recordingSaveSheet.get(), this);
    _recordingSaveSheet->orderOut(nullptr);
    showNextCallRecordingPrompt();
}

bool CallModuleController::respondsToAction(std::string_view action) const {
    return action == "recordingSaveOK:" || action == "recordingOpenFolder:";
}

bool CallModuleController::tryToPerform(std::string_view action, platform::Object* sender) {
    if (action == "recordingSaveOK:")
        recordingSaveOK(sender);
    else if (action == "recordingOpenFolder:")
        recordingOpenFolder(sender);
    else
        return false;
    return true;
}
