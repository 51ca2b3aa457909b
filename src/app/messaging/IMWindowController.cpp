#include "app/messaging/IMWindowController.h"

#include "app/core/AppController.h"
#include "app/core/DockController.h"
#include "app/messaging/ChatInputView.h"
#include "app/messaging/ChatPaneDivider.h"
#include "engine/StartupService.h"
#include "platform/foundation/Format.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/kit/Alert.h"
#include "platform/kit/Button.h"
#include "platform/kit/MenuItem.h"
#include "platform/kit/PopUpButton.h"
#include "platform/kit/ScrollView.h"
#include "platform/kit/TextField.h"
#include "platform/kit/ToolbarItem.h"
#include "platform/kit/View.h"
#include "platform/kit/Workspace.h"
#include "support/Localization.h"

#include <algorithm>

namespace {

constexpr double kInset = 7;
constexpr double kButtonRow = 26;
constexpr double kStateRow = 18;
constexpr double kContactInfoHeight = 40;

std::shared_ptr<PhoneService> phone() {
    return StartupService::instance().phoneService();
}

std::shared_ptr<platform::TextField> label(const platform::Rect& frame, double size = 11) {
    return platform::TextField::labelWithString("", frame, platform::Font::systemFontOfSize(size));
}

} // namespace

IMWindowController::IMWindowController(std::shared_ptr<IMSession> session)
    : _imSession(std::move(session)),
      _window(platform::make<platform::Window>(
          platform::Rect(0, 0, 480, 460),
          platform::TitledWindowMask | platform::ClosableWindowMask |
              platform::MiniaturizableWindowMask | platform::ResizableWindowMask)) {
    if (_imSession) {
        _imSession->setDelegate(this);
        _chatState = _imSession->chatState();
        _isIncoming = !_imSession->host();
        _isEnded = _imSession->isEnded();
        _groupChat = _imSession->isGroupChat();
        _isSMS = _imSession->isSms();
        _remoteAddress = _imSession->remoteAddress();
        _remoteDisplayName = _imSession->remoteDisplayName();
        if (_remoteDisplayName.empty()) {
            _remoteDisplayName = _remoteAddress;
        }
    }
    _supportHtml = !_isSMS;
    buildWindow();
    if (_groupChat) {
        updateTitle();
    } else if (_isSMS) {
        _window->setTitle(platform::formatString(
            QXLS("msg.smschat.chat.title", "Mobile Text Messaging [SMS] with %@"),
            _remoteDisplayName));
    } else {
        _window->setTitle(platform::formatString(QXLS("msg.imchat.chat.title", "Chat with %@"),
                                                 _remoteDisplayName));
    }
    if (_isSMS && _imSession && _imSession->textLeft("") >= 0) {
        setChatStateText(ChatComposer::charactersLeftText(_imSession->textLeft("")));
    }
    loadUserSettings();
    layout();
    _window->setDelegate(this);
    showWindow();
}

IMWindowController::~IMWindowController() {
    stopTypingTimer();
    cancelContactUpdate();
    platform::NotificationCenter::defaultCenter().removeObserver(this);
    setPresenceData(nullptr);
    setContact(nullptr);
    if (_optionMenu) {
        _optionMenu->setDelegate(nullptr);
    }
    if (_addContactButton) {
        _addContactButton->setTarget(nullptr);
        _optionButton->setTarget(nullptr);
    }
    if (_unreadTimer) {
        _unreadTimer->invalidate();
        _unreadTimer.reset();
    }
    clearDelegates();
    _window->setDelegate(nullptr);
    _window->orderOut(nullptr);
}

void IMWindowController::clearDelegates() {
    if (_imSession) {
        _imSession->removeDelegate(this);
    }
    if (_webView) {
        _webView->setFrameLoadDelegate(nullptr);
        _webView->setPolicyDelegate(nullptr);
        _webView->setUIDelegate(nullptr);
    }
    if (_composer) {
        _composer->inputView()->setTextDropHandler({});
        _composer->inputView()->setFilesDropHandler({});
    }
    if (_divider) {
        _divider->setDragHandler({});
    }
    if (_participantTable) {
        _participantTable->setDataSource(nullptr);
        _participantTable->setDelegate(nullptr);
        _removeButton->setTarget(nullptr);
        _addButton->setTarget(nullptr);
        _pickTable->setDataSource(nullptr);
        _pickTable->setDelegate(nullptr);
    }
    if (_toolbar) {
        _toolbar->setDelegate(nullptr);
    }
}

void IMWindowController::buildWindow() {
    auto* content = _window->contentView();
    const auto bounds = content->bounds();

    // The other party, shown in the toolbar's one custom item.
    _contactInfoView = platform::make<platform::View>(
        platform::Rect(0, 0, bounds.size.width - 15, kContactInfoHeight));
    _displayNameField = label(platform::Rect(8, 20, bounds.size.width - 40, 18), 13);
    _displayNameField->setStringValue(_remoteDisplayName);
    _addressField = label(platform::Rect(8, 2, bounds.size.width - 40, 16));
    _addressField->setStringValue(_remoteAddress);
    _contactInfoView->addSubview(_displayNameField);
    _contactInfoView->addSubview(_addressField);
    buildContactInfo();
    if (!_groupChat) {
        _toolbar = std::make_shared<platform::Toolbar>("IMWindowToolbar");
        _toolbar->setDelegate(this);
        _toolbar->setAllowsUserCustomization(true);
        _window->setToolbar(_toolbar);
        _toolbar->insertItemWithItemIdentifier(callerInfoItemIdentifier, 0);
    }

    if (_groupChat) {
        buildParticipantList();
    }
    _webView = platform::make<platform::WebView>(platform::Rect(0, 0, 100, 100));
    _webView->setFrameLoadDelegate(this);
    _webView->setPolicyDelegate(this);
    _webView->setUIDelegate(this);
    content->addSubview(_webView);
    _transcript = std::make_unique<ChatTranscript>(*_webView);
    ChatTranscript::Options options;
    if (auto p = phone()) {
        options.showTimestamps = settingOn("application", "imShowTimestamps");
        options.bareMessages =
            StartupService::instance().featuresService()->featureAvailable("connectServiceEnabled");
    }
    _transcript->setOptions(options);

    _bottomView = platform::make<platform::View>(platform::Rect(0, 0, 100, _bottomHeight));
    content->addSubview(_bottomView);
    _composer = std::make_unique<ChatComposer>(
        ChatComposer::Options{.sms = _isSMS, .fontControls = true, .styleFollowsCaret = true},
        [this] { sendUserInput(); }, [this] { textChanged(); });
    auto* input = _composer->inputView();
    input->setTextDropHandler([this](const std::string& text) { dropText(text); });
    input->setFilesDropHandler([this](const std::vector<std::string>& paths) { dropFiles(paths); });
    // Text messages are plain: no formatting.
    for (const auto& view : _composer->formattingControls()) {
        view->setHidden(_isSMS);
        _bottomView->addSubview(view);
    }
    _bottomView->addSubview(_composer->inputScrollView());
    _bottomView->addSubview(_composer->sendButton());
    _bottomView->addSubview(_composer->stateLabel());
    // Over the top of the input pane, so that it is found first under the pointer.
    _divider =
        platform::make<ChatPaneDivider>(platform::Rect(0, 0, 100, ChatPaneDivider::thickness));
    _divider->setDragHandler([this](double y) { dragDivider(y); });
    content->addSubview(_divider);
    findContact();
    observeContactNotifications();
    _transcript->loadPage();
    updateControls();
}

platform::TextView* IMWindowController::inputView() const {
    return _composer->inputView();
}

void IMWindowController::dragDivider(double y) {
    const double height = _window->contentView()->bounds().size.height;
    _bottomHeight = height - clampedDivider(height - y, height);
    layout();
}

double IMWindowController::clampedDivider(double position, double height) {
    if (height < 2 * minimumPaneLength) {
        return height / 2;
    }
    return std::clamp(position, minimumPaneLength, height - minimumPaneLength);
}

void IMWindowController::layout() {
    const auto size = _window->contentView()->bounds().size;
    // The bottom pane keeps its height; the transcript takes the rest, at least the minimum.
    const double divider = clampedDivider(size.height - _bottomHeight, size.height);
    const double bottom = size.height - divider;
    _bottomView->setFrame(platform::Rect(0, 0, size.width, bottom));
    // Group chats: the participants at the left, the transcript beside them.
    double left = kInset;
    if (_participantScrollView) {
        constexpr double kListWidth = 130;
        constexpr double kRemoveRow = 28;
        _participantScrollView->setFrame(platform::Rect(kInset, bottom + kRemoveRow, kListWidth,
                                                        std::max(0.0, divider - kRemoveRow)));
        _removeButton->setFrameOrigin(platform::Point(kInset, bottom + 2));
        _addButton->setFrameOrigin(platform::Point(kInset + kListWidth - 64, bottom + 2));
        left = kInset + kListWidth + kInset;
    }
    _webView->setFrame(platform::Rect(left, bottom, std::max(0.0, size.width - left - kInset),
                                      std::max(0.0, divider)));
    const bool buttons = !_isSMS;
    const double inputTop = bottom - (buttons ? kButtonRow : 0) - 4;
    const double inputBottom = kStateRow + 4;
    // The formatting row: toggles, size steps, then the font, colour and smiley pull-downs.
    double x = kInset;
    for (const auto& view : _composer->formattingControls()) {
        view->setFrameOrigin(platform::Point(x, bottom - kButtonRow));
        x += view->frame().width() + 2;
    }
    _divider->setFrame(platform::Rect(0, bottom - ChatPaneDivider::thickness / 2, size.width,
                                      ChatPaneDivider::thickness));
    _composer->inputScrollView()->setFrame(
        platform::Rect(kInset, inputBottom, std::max(0.0, size.width - 2 * kInset - 78),
                       std::max(20.0, inputTop - inputBottom)));
    _composer->sendButton()->setFrameOrigin(platform::Point(size.width - kInset - 70, inputBottom));
    _composer->stateLabel()->setFrame(
        platform::Rect(kInset, 2, size.width - 2 * kInset, kStateRow));
    if (_contactInfoView) {
        _contactInfoView->setFrameSize(
            platform::Size(_window->frame().size.width - 15, kContactInfoHeight));
    }
}

void IMWindowController::showWindow() {
    AppController* app = AppController::sharedAppController();
    if (!_isIncoming || !app || app->shouldOrderIMWindowFront()) {
        _window->makeKeyAndOrderFront(nullptr);
        _window->makeFirstResponder(_composer->inputView());
        return;
    }
    // Someone is typing in another chat: the new one waits just behind it.
    if (platform::Window* key = app->currentKeyIMWindow()) {
        _window->orderWindow(platform::WindowOrderingMode::Below, key->windowNumber());
    } else {
        _window->orderFront(nullptr);
    }
}

// User settings.

void IMWindowController::loadUserSettings() {
    auto& defaults = platform::UserDefaults::standardUserDefaults();
    if (!_isSMS) {
        if (_toolbar) {
            const auto& shown = defaults.objectForKey("imWindow.notSMS.Toolbar");
            _toolbar->setVisible(shown.isNull() || shown.boolValue());
        }
        if (const auto text = defaults.stringForKey("imWindow.notSMS.frameSize")) {
            const auto size = platform::sizeFromString(*text);
            if (size.width > 0 && size.height > 0) {
                auto frame = _window->frame();
                frame.size = size;
                _window->setFrame(frame, false);
            }
        }
    }
    ChatInputModel::Style style = _composer->input().style();
    const auto name = defaults.stringForKey("imWindow.input.fontName");
    const auto size = defaults.stringForKey("imWindow.input.fontSize");
    if (_supportHtml && name && !name->empty() && size && !size->empty() &&
        std::atof(size->c_str()) > 0) {
        style.fontName = *name;
        style.fontSize = std::atof(size->c_str());
    } else {
        style.fontName = "Arial";
        style.fontSize = 13;
    }
    _composer->setTypingStyle(style);
}

void IMWindowController::saveUserSettings() {
    auto& defaults = platform::UserDefaults::standardUserDefaults();
    if (!_isSMS) {
        defaults.setObject("imWindow.notSMS.frameSize",
                           platform::Value(platform::stringFromSize(_window->frame().size)));
        if (_toolbar) {
            defaults.setBool("imWindow.notSMS.Toolbar", _toolbar->isVisible());
        }
    }
    char size[32];
    const auto& style = _composer->input().style();
    std::snprintf(size, sizeof size, "%f", style.fontSize);
    defaults.setObject("imWindow.input.fontName", platform::Value(style.fontName));
    defaults.setObject("imWindow.input.fontSize", platform::Value(std::string(size)));
}

// Toolbar.

std::vector<std::string> IMWindowController::toolbarDefaultItemIdentifiers(platform::Toolbar&) {
    return {callerInfoItemIdentifier};
}

std::vector<std::string> IMWindowController::toolbarAllowedItemIdentifiers(platform::Toolbar&) {
    return {callerInfoItemIdentifier, "NSToolbarCustomizeToolbarItem",
            std::string(platform::ToolbarFlexibleSpaceItemIdentifier),
            std::string(platform::ToolbarSpaceItemIdentifier),
            std::string(platform::ToolbarSeparatorItemIdentifier)};
}

std::shared_ptr<platform::ToolbarItem>
IMWindowController::toolbarItemForItemIdentifier(platform::Toolbar&, const std::string& identifier,
                                                 bool) {
    if (identifier != callerInfoItemIdentifier) {
        return nullptr;
    }
    auto item = std::make_shared<platform::ToolbarItem>(identifier);
    item->setLabel("");
    item->setPaletteLabel("");
    item->setToolTip("");
    item->setView(_contactInfoView);
    item->setMinSize(_contactInfoView->frame().size);
    item->setMaxSize(_contactInfoView->frame().size);
    item->setTarget(this);
    item->setAction("addContact:");
    return item;
}

// Window.

bool IMWindowController::windowShouldClose(platform::Window&) {
    if (!_imSession || !_groupChat) {
        return true;
    }
    auto alert = platform::Alert::alert();
    alert->setMessageText(QXLS("msg.opt.dialog.caption.WARNING", "Warning"));
    alert->setInformativeText(QXLS("msg.opt.dialog.message.closeGroupChat", "Exit Group Chat?"));
    alert->setAlertStyle(platform::AlertStyle::Warning);
    alert->addButtonWithTitle(QXLS("msg.opt.dialog.button.yes", "Yes"));
    alert->addButtonWithTitle(QXLS("msg.opt.dialog.button.no", "No"));
    return alert->runModal() == 1000;
}

void IMWindowController::windowWillClose(platform::Window&) {
    endChat();
    saveUserSettings();
    stopUnreadTimer();
    if (AppController* controller = AppController::sharedAppController()) {
        controller->removeIMWindowController(this);
    }
}

void IMWindowController::windowDidResize(platform::Window&) {
    layout();
}

void IMWindowController::windowDidBecomeKey(platform::Window&) {
    stopUnreadTimer();
}

void IMWindowController::close() {
    _window->close();
}

void IMWindowController::endChat() {
    stopTypingTimer();
    if (_imSession) {
        _imSession->end();
    }
}

// Alerts.

void IMWindowController::startUnreadTimer() {
    if (_unreadTimer) {
        return;
    }
    DockController::sharedDockController().setBadge(1, 1);
    _unreadTimer = platform::Timer::scheduledTimerWithTimeInterval(unreadCheckInterval, true,
                                                                   [this](platform::Timer&) {
                                                                       if (_window->isKeyWindow()) {
                                                                           stopUnreadTimer();
                                                                       }
                                                                   });
}

void IMWindowController::stopUnreadTimer() {
    if (!_unreadTimer) {
        return;
    }
    _unreadTimer->invalidate();
    _unreadTimer.reset();
    if (DockController::sharedDockControllerExists()) {
        DockController::sharedDockController().setBadge(1, 0);
    }
}

void IMWindowController::stopTypingTimer() {
    if (_typingTimer) {
        _typingTimer->invalidate();
        _typingTimer.reset();
    }
}

void IMWindowController::setChatStateText(std::string text) {
    _composer->setStateText(std::move(text));
}

std::string IMWindowController::chatStateText() const {
    return _composer->stateText();
}

bool IMWindowController::settingOn(std::string_view group, std::string_view name) const {
    auto p = phone();
    auto settings = p ? p->getPreferenceSettings() : nullptr;
    return settings && settings->sub("preferences")->sub(group)->sub(name)->boolSetting();
}

bool IMWindowController::presenceAvailable() const {
    auto p = phone();
    return p && p->getPresenceService()->isAvailable();
}

bool IMWindowController::newIMAllowed() const {
    auto p = phone();
    return p && p->getIMService()->newIMAllowed();
}

// Transcript page.

void IMWindowController::webViewDidFinishLoad(platform::WebView&, const std::string&) {
    _transcript->pageLoaded();
    updateStatusBlock();
}

platform::WebPolicyDecision IMWindowController::webViewDecidePolicyForNavigationAction(
    platform::WebView&, const platform::WebNavigationAction& action) {
    if (action.navigationType == platform::WebNavigationType::Other) {
        return platform::WebPolicyDecision::Use;
    }
    if (action.url.find("view_archive") != std::string::npos) {
        viewArchive();
    } else {
        platform::Workspace::sharedWorkspace().openURL(action.url, [](const std::string&) {});
    }
    return platform::WebPolicyDecision::Ignore;
}

platform::WebPolicyDecision IMWindowController::webViewDecidePolicyForNewWindowAction(
    platform::WebView&, const platform::WebNavigationAction& action, const std::string&) {
    platform::Workspace::sharedWorkspace().openURL(action.url, [](const std::string&) {});
    return platform::WebPolicyDecision::Ignore;
}

// Actions.

bool IMWindowController::respondsToAction(std::string_view action) const {
    return _composer->respondsToAction(action) || action == "endChat:" || action == "addContact:" ||
           action == "removeParticipant:" || action == "contextRemoveParticipant:" ||
           action == "contextStartPrivateConversation:" || action == "showOptionMenu:" ||
           action == "contextEditContact:" || action == "contextViewIMArchive:" ||
           action == "contextCallContact:" || action == "contextVideoCallContact:" ||
           action == "call:" || action == "videoCall:" || action == "contextAddContactToCall:" ||
           action == "addToCall:" || action == "addParticipant:" ||
           action == "pickContactsSelect:" || action == "pickContactsCancel:" ||
           action == "chatInvitationOK:" || action == "chatInvitationCancel:";
}

bool IMWindowController::tryToPerform(std::string_view action, platform::Object* sender) {
    if (_composer->tryToPerform(action, sender)) {
        return true;
    }
    if (action == "removeParticipant:") {
        removeSelectedParticipants();
    } else if (action == "addParticipant:") {
        addParticipant();
    } else if (action == "pickContactsSelect:") {
        pickContactsSelect();
    } else if (action == "pickContactsCancel:") {
        pickContactsCancel();
    } else if (action == "chatInvitationOK:") {
        chatInvitationOK();
    } else if (action == "chatInvitationCancel:") {
        chatInvitationCancel();
    } else if (action == "contextRemoveParticipant:" ||
               action == "contextStartPrivateConversation:") {
        auto* item = dynamic_cast<platform::MenuItem*>(sender);
        const auto& address = item ? item->representedObject() : platform::Value();
        auto participant = address.isString() && _imSession
                               ? _imSession->participantWithAddress(*address.string())
                               : nullptr;
        if (!participant) {
            return true;
        }
        if (action == "contextRemoveParticipant:") {
            _imSession->removeChatParticipant(participant);
        } else if (auto p = phone()) {
            p->getIMService()->newIMSession(participant->address(), true, false);
        }
    } else if (action == "endChat:") {
        endChat();
    } else if (action == "addContact:") {
        addContact();
    } else if (action == "showOptionMenu:") {
        // The pull-down shows the menu; its delegate fills it.
    } else if (action == "contextEditContact:") {
        editContact();
    } else if (action == "contextViewIMArchive:") {
        viewContactArchive();
    } else if (action == "contextCallContact:" || action == "contextVideoCallContact:" ||
               action == "call:" || action == "videoCall:") {
        auto* item = dynamic_cast<platform::MenuItem*>(sender);
        callParty(item ? item->representedObject() : platform::Value(),
                  action == "contextVideoCallContact:" || action == "videoCall:");
    } else if (action == "contextAddContactToCall:" || action == "addToCall:") {
        auto* item = dynamic_cast<platform::MenuItem*>(sender);
        addPartyToCall(item ? item->representedObject() : platform::Value());
    } else {
        return false;
    }
    return true;
}
