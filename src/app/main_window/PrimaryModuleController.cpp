#include "app/main_window/PrimaryModuleController.h"

#include "app/core/AppController.h"
#include "app/core/SheetsTracker.h"
#include "app/main_window/MainAppWindow.h"
#include "app/main_window/PrimaryModuleView.h"
#include "engine/StartupService.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/Button.h"
#include "platform/kit/InterfaceDefinition.h"
#include "platform/kit/Panel.h"
#include "platform/kit/PopUpButton.h"
#include "platform/kit/TextField.h"
#include "platform/kit/TextView.h"
#include "support/MenuExtensions.h"
#include "support/Notifications.h"
#include "support/PresenceExtensions.h"
#include "widgets/QXBezierComboButton.h"
#include "widgets/QXPartitionView.h"

using platform::Rect;

namespace {

std::unique_ptr<PrimaryModuleController>& sharedInstance() {
    static std::unique_ptr<PrimaryModuleController> controller;
    return controller;
}

// The module's interface definition: the call-entry area (field, dial button and the
// account-for-calls line) and the message area with its text and dismiss button.
void registerPrimaryModuleDefinition() {
    if (platform::InterfaceDefinition::isRegistered("PrimaryModule"))
        return;
    platform::InterfaceDefinition::registerDefinition(
        "PrimaryModule", [](platform::InterfaceDefinitionLoad& load) {
            auto* owner = dynamic_cast<PrimaryModuleController*>(load.owner());
            auto cefView = std::make_shared<PrimaryModuleView>(Rect(0, 0, 340, 50));
            auto cef = platform::make<QXSearchField>(Rect(8, 18, 232, 24));
            cefView->setCallEntryField(cef);
            cef->setAutoresizingMask(platform::ViewWidthSizable);
            auto dialButton = platform::make<QXBezierComboButton>(Rect(246, 18, 86, 24));
            dialButton->setAutoresizingMask(platform::ViewMinXMargin);
            auto account = platform::TextField::labelWithString(
                {}, Rect(8, 1, 324, 15), platform::Font::systemFontOfSize(10));
            account->setSelectable(true);
            account->setAutoresizingMask(platform::ViewWidthSizable);
            cefView->addSubview(cef);
            cefView->addSubview(dialButton);
            cefView->addSubview(account);

            auto messageView = std::make_shared<platform::View>(Rect(0, 0, 340, 30));
            auto text = std::make_shared<platform::TextView>(Rect(8, 4, 300, 22));
            text->setEditable(false);
            text->setDrawsBackground(false);
            text->setAutoresizingMask(platform::ViewWidthSizable | platform::ViewHeightSizable);
            auto dismiss = std::make_shared<platform::Button>(Rect(314, 8, 16, 16));
            dismiss->setTitle("x");
            dismiss->setAutoresizingMask(platform::ViewMinXMargin | platform::ViewMinYMargin);
            messageView->addSubview(text);
            messageView->addSubview(dismiss);

            load.addTopLevelObject(cefView);
            load.addTopLevelObject(messageView);
            load.wakeLater(cef.get());
            load.wakeLater(dialButton.get());
            if (owner)
                owner->setOutlets(cefView, cef, dialButton, messageView, text, dismiss, account);
        });
}

platform::Window* mainWindow() {
    auto* controller = AppController::sharedAppController();
    return controller ? controller->mainWindow() : nullptr;
}

QXPartitionView* moduleStackOf(platform::View& view) {
    return dynamic_cast<QXPartitionView*>(view.superview());
}

} // namespace

PrimaryModuleController::PrimaryModuleController() {
    platform::NotificationCenter::defaultCenter().addObserver(
        this, ApplicationNotification, nullptr,
        [this](const platform::Notification& notification) { applicationEvent(notification); });
    platform::NotificationCenter::defaultCenter().addObserver(
        this, platform::ControlTextDidChangeNotification, nullptr,
        [this](const platform::Notification& notification) { textChanged(notification); });
    buildCustomPresenceSheet();
}

PrimaryModuleController::~PrimaryModuleController() {
    platform::NotificationCenter::defaultCenter().removeObserver(this);
    cleanup();
    if (_messageTimer)
        _messageTimer->invalidate();
    if (_cef) {
        _cef->setDelegate(nullptr);
        _cef->setDataSource(nullptr);
    }
    if (_ibDialButton)
        _ibDialButton->setTarget(nullptr);
    if (_ibDialMenu)
        _ibDialMenu->setDelegate(nullptr);
    if (_dismissMessageButton)
        _dismissMessageButton->setTarget(nullptr);
    for (const auto& control : std::initializer_list<std::shared_ptr<platform::Control>>{
             _customPresencePopupButton, _customPresenceOKButton, _customPresenceCancelButton})
        if (control)
            control->setTarget(nullptr);
}

PrimaryModuleController& PrimaryModuleController::sharedController() {
    auto& shared = sharedInstance();
    if (!shared) {
        shared = std::make_unique<PrimaryModuleController>();
        registerPrimaryModuleDefinition();
        platform::InterfaceDefinition::load("PrimaryModule", shared.get());
    }
    return *shared;
}

void PrimaryModuleController::releaseSharedController() {
    sharedInstance().reset();
}

void PrimaryModuleController::setOutlets(
    std::shared_ptr<platform::View> cefView, std::shared_ptr<QXSearchField> cef,
    std::shared_ptr<QXBezierComboButton> dialButton, std::shared_ptr<platform::View> messageView,
    std::shared_ptr<platform::TextView> messageTextView,
    std::shared_ptr<platform::Button> dismissMessageButton,
    std::shared_ptr<platform::TextField> accountInUseTextField) {
    _cefView = std::move(cefView);
    _cef = std::move(cef);
    _ibDialButton = std::move(dialButton);
    _messageView = std::move(messageView);
    _messageTextView = std::move(messageTextView);
    _dismissMessageButton = std::move(dismissMessageButton);
    _accountInUseTextField = std::move(accountInUseTextField);

    _theView = std::make_shared<platform::View>(_cefView->frame());
    _theView->setAutoresizingMask(platform::ViewWidthSizable | platform::ViewHeightSizable);
    addView(_cefView, 0);
    // A selection in the message is all but invisible: the text is there to be read.
    _messageTextView->setSelectedTextBackgroundColor(platform::Color(0, 0, 0, 0.01));
    _dismissMessageButton->setTarget(this);
    _dismissMessageButton->setAction("dismissMessage:");
    _ibDialMenu = std::make_shared<platform::Menu>();
    _ibDialMenu->setDelegate(this);
    // The pull-down's title item: a menu with no item does not open, and the rest of the menu
    // is built as it opens.
    OrvantaExtensions::addItemWithTitle(*_ibDialMenu, "", nullptr, "", "");
    _ibDialButton->setTarget(this);
    _ibDialButton->setAction("callParticipant:");
    styleFieldAndButton();
}

std::shared_ptr<platform::View> PrimaryModuleController::theView() {
    if (!_theView)
        _theView = std::make_shared<platform::View>(Rect(0, 0, 340, 50));
    return _theView;
}

void PrimaryModuleController::setup() {
    ++_setupCount;
    auto phone = StartupService::instance().phoneService();
    if (!phone)
        return;
    _phoneService = phone;
    _conversationService = phone->getConversationService();
    _callHistoryService = phone->getCallHistoryService();
    _accountService = phone->getAccountService();
    _conversationService->setDelegate(this);

    _callEntryModel = OVCallEntryModel::create();
    _numberEntryModel = _callEntryModel->getNumberEntryModel();
    _autoCompleteModel = _callEntryModel->getAutoCompleteModel();
    _callEntryModel->setDelegate(this);
    _numberEntryModel->setDelegate(this);
    _autoCompleteModel->setDelegate(this);

    if (auto* stack = _theView ? moduleStackOf(*_theView) : nullptr) {
        if (auto* window = mainWindow()) {
            const double height = _theView->frame().height();
            stack->setModuleConstraints(stack->getModuleIndex(_theView.get()),
                                        {window->minSize().width, height},
                                        {window->maxSize().width, height});
        }
    }
    styleFieldAndButton();
    loadUserSetting();
    if (_cef) {
        _cef->setStringValue("");
        _cef->setEnabled(false);
    }
    // The engine reports changes of whether calls may be placed; one already allowed when the
    // module comes up would otherwise never be reported.
    if (_conversationService->newConversationAllowed())
        newConversationAllowed(true);
}

void PrimaryModuleController::cleanup() {
    if (_cef)
        _cef->tidyup(false);
    SheetsTracker::sharedController().closeSheetsForCreator(this);
    if (_ibDialMenu)
        _ibDialMenu->cancelTracking();
    if (_messageTimer) {
        _messageTimer->invalidate();
        _messageTimer.reset();
    }
    if (_idleTimer) {
        _idleTimer->invalidate();
        _idleTimer.reset();
    }
    _presenceMessageBeforeIdle.reset();
    _pendingPresenceItem.reset();
    _presenceService.reset();
    if (_callEntryModel)
        _callEntryModel->removeDelegate(this);
    if (_numberEntryModel)
        _numberEntryModel->removeDelegate(this);
    if (_autoCompleteModel)
        _autoCompleteModel->removeDelegate(this);
    _callEntryModel.reset();
    _numberEntryModel.reset();
    _autoCompleteModel.reset();
    _cefSuggestions.clear();
    if (_conversationService)
        _conversationService->removeDelegate(this);
    if (_dialPlanService)
        _dialPlanService->removeDelegate(this);
    _dialPlanService.reset();
    _conversationService.reset();
    _callHistoryService.reset();
    _accountService.reset();
    _phoneService.reset();
}

void PrimaryModuleController::applicationEvent(const platform::Notification& notification) {
    const bool ready = notification.userInfo[std::string(ApplicationReady)].boolValue();
    presenceApplicationReady(ready);
    if (!ready)
        return;
    restoreUserInterfaceStateUsingOVSettings();
}

void PrimaryModuleController::addView(const std::shared_ptr<platform::View>& view, long index) {
    if (!view || !_theView || view->superview() == _theView.get())
        return;
    view->setAutoresizingMask(platform::ViewWidthSizable | platform::ViewMinYMargin);
    double total = view->frame().height();
    for (const auto& shown : _views)
        total += shown->frame().height();
    setModuleHeight(total);
    if (index >= 0 && index < static_cast<long>(_views.size()))
        _views.insert(_views.begin() + index, view);
    else
        _views.push_back(view);
    layoutViews();
    _theView->addSubview(view);
}

void PrimaryModuleController::removeView(const std::shared_ptr<platform::View>& view) {
    if (!view || !view->superview())
        return;
    view->removeFromSuperview();
    std::erase(_views, view);
    double total = 0;
    for (const auto& shown : _views)
        total += shown->frame().height();
    layoutViews();
    setModuleHeight(total);
    layoutViews();
}

void PrimaryModuleController::adjustHeightForView(platform::View& view, double height) {
    if (!_theView || view.superview() != _theView.get())
        return;
    const double change = height - view.frame().height();
    Rect frame = view.frame();
    frame.size.height = height;
    if (change < 0)
        view.setFrame(frame);
    setModuleHeight(_theView->frame().height() + change);
    if (change >= 0)
        view.setFrame(frame);
    layoutViews();
}

// Tells the module stack (or, outside one, the view itself) the module's new height; the main
// window grows and shrinks with it.
void PrimaryModuleController::setModuleHeight(double height) {
    auto* stack = moduleStackOf(*_theView);
    auto* window = mainWindow();
    if (stack && window) {
        stack->setModuleConstraints(stack->getModuleIndex(_theView.get()),
                                    {window->minSize().width, height},
                                    {window->maxSize().width, height});
        platform::Logf("addView: changed minSize to: (%f,%f) maxSize to: (%f,%f)",
                       window->minSize().width, height, window->maxSize().width, height);
    }
    if (std::abs(_theView->frame().height() - height) > 0.001) {
        Rect frame = _theView->frame();
        frame.size.height = height;
        _theView->setFrame(frame);
    }
}

void PrimaryModuleController::layoutViews() {
    double top = _theView->frame().height();
    const double width = _theView->frame().width();
    for (const auto& view : _views) {
        const double height = view->frame().height();
        top -= height;
        view->setFrame(Rect(0, top, width, height));
    }
}

bool PrimaryModuleController::respondsToAction(std::string_view action) const {
    static constexpr std::string_view actions[] = {"callParticipant:",
                                                   "redial:",
                                                   "contextSetAudioCallAsDefault:",
                                                   "contextSetVideoCallAsDefault:",
                                                   "contextSetConferenceCallAsDefault:",
                                                   "contextCall:",
                                                   "contextAudioCall:",
                                                   "contextVideoCall:",
                                                   "contextStartConferenceCall:",
                                                   "contextSendInstantMessage:",
                                                   "contextSendInstantMessageViaXMPP:",
                                                   "contextSendInstantMessageViaSMS:",
                                                   "dismissMessage:",
                                                   "toggleAccountForCall:"};
    return std::find(std::begin(actions), std::end(actions), action) != std::end(actions);
}

bool PrimaryModuleController::tryToPerform(std::string_view action, platform::Object* sender) {
    if (action == "callParticipant:")
        callParticipant(sender);
    else if (action == "redial:")
        redial(sender);
    else if (action == "contextSetAudioCallAsDefault:")
        contextSetAudioCallAsDefault(sender);
    else if (action == "contextSetVideoCallAsDefault:")
        contextSetVideoCallAsDefault(sender);
    else if (action == "contextSetConferenceCallAsDefault:")
        contextSetConferenceCallAsDefault(sender);
    else if (action == "contextCall:")
        contextCall(dynamic_cast<platform::MenuItem*>(sender));
    else if (action == "contextAudioCall:")
        contextAudioCall(sender);
    else if (action == "contextVideoCall:")
        contextVideoCall(sender);
    else if (action == "contextStartConferenceCall:")
        contextStartConferenceCall(sender);
    else if (action == "contextSendInstantMessage:")
        contextSendInstantMessage(sender);
    else if (action == "contextSendInstantMessageViaXMPP:")
        contextSendInstantMessageViaXMPP(sender);
    else if (action == "contextSendInstantMessageViaSMS:")
        contextSendInstantMessageViaSMS(sender);
    else if (action == "dismissMessage:")
        dismissMessage(sender);
    else if (action == "toggleAccountForCall:")
        toggleAccountForCall(dynamic_cast<platform::MenuItem*>(sender));
    else
        return false;
    return true;
}
