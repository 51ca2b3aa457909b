#include "app/main_window/ToolbarController.h"

#include "app/calls/VideoController.h"
#include "app/calls/VideoWindow.h"
#include "app/contacts/ContactOperations.h"
#include "app/core/AppController.h"
#include "app/core/DockController.h"
#include "app/core/Features.h"
#include "app/main_window/DialpadWindowController.h"
#include "app/pab/PabContactOperations.h"
#include "engine/AccountService.h"
#include "engine/CallHistoryService.h"
#include "engine/OVConnectService.h"
#include "engine/OVConstants.h"
#include "engine/PhoneStatusService.h"
#include "engine/PresenceService.h"
#include "engine/SettingBlock.h"
#include "engine/StartupService.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/AttributedString.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Image.h"
#include "platform/kit/Button.h"
#include "platform/kit/InterfaceDefinition.h"
#include "platform/kit/Menu.h"
#include "platform/kit/MenuItem.h"
#include "platform/kit/Slider.h"
#include "platform/kit/TextField.h"
#include "platform/kit/Window.h"
#include "support/Localization.h"
#include "support/Notifications.h"
#include "support/PresenceExtensions.h"
#include "support/ValueTransformers.h"
#include "widgets/QXImageButton.h"
#include "widgets/QXOutlinePath.h"
#include "widgets/QXPopUpButton.h"

#include <algorithm>
#include <memory>
#include <sstream>

using platform::Rect;

namespace {

std::unique_ptr<ToolbarController>& sharedInstance() {
    static std::unique_ptr<ToolbarController> controller;
    return controller;
}

// The strip's height: a row of image buttons along the bottom, the name, pop-up, mute button
// and slider on the line above.
constexpr double kStripWidth = 340;
constexpr double kStripHeight = 58;

struct ButtonDefinition {
    long tag;
    const char* image;
    const char* action;
    const char* toolTip;
};

constexpr ButtonDefinition kButtons[] = {
    {ToolbarController::keyPadTag, "ToolbarKeypad", "toggleDialpad:", "Dialpad"},
    {ToolbarController::cameraTag, "ToolbarCamera", "toggleVideo:", "Video"},
    {ToolbarController::speakerPhoneTag, "ToolbarSpeakerPhone",
     "toggleSpeakerPhone:", "Speakerphone"},
    {ToolbarController::messagesTag, "ToolbarVoicemail", "voicemailPressed:", "Voicemail"},
    {ToolbarController::missedCallsTag, "ToolbarMissedCalls", "missedCallPressed:", "Missed calls"},
    {ToolbarController::autoAnswerTag, "ToolbarAutoAnswer", "toggleAutoAnswer:", "Auto answer"},
    {ToolbarController::anonymousTag, "ToolbarAnonymous", "toggleAnonymous:", "Anonymous calling"},
    {ToolbarController::lettersToDigitsTag, "ToolbarLettersToDigits",
     "toggleLettersToNumbers:", "Letters to digits"},
    {ToolbarController::deskPhoneTag, "ToolbarDeskphone", "toggleDeskphone:", "Deskphone"},
    {ToolbarController::accountsTag, "ToolbarAccounts", "selectAccounts:", "Account for calls"},
    {ToolbarController::connectTag, "ButtonLumiqConnectService", "toggleConnect:", ""},
    {ToolbarController::grabCallTag, "ToolbarGrabCall", "grabCall:", "Pull call"},
    {ToolbarController::moreTag, "ToolbarMore", "showMore:", "More"},
};

// The tokens of a comma-separated list, blanks around each dropped.
std::vector<std::string> tokensOf(const std::string& list) {
    std::vector<std::string> tokens;
    std::stringstream stream(list);
    std::string token;
    while (std::getline(stream, token, ',')) {
        const auto first = token.find_first_not_of(" \t");
        const auto last = token.find_last_not_of(" \t");
        tokens.push_back(first == std::string::npos ? std::string()
                                                    : token.substr(first, last - first + 1));
    }
    return tokens;
}

const platform::Value& brand() {
    AppController* app = AppController::sharedAppController();
    return app ? app->brandDict() : platform::Value::null();
}

// The settings group "preferences" of the engine's settings tree.
std::shared_ptr<SettingBlock> preferences() {
    const auto phone = StartupService::instance().phoneService();
    const auto root = phone ? phone->getPreferenceSettings() : nullptr;
    return root ? root->sub("preferences") : nullptr;
}

} // namespace

void makeToolbarView(ToolbarController& owner) {
    auto strip = std::make_shared<platform::View>(Rect(0, 0, kStripWidth, kStripHeight));
    strip->setAutoresizingMask(platform::ViewWidthSizable);
    owner.theView_ = strip;

    for (const auto& definition : kButtons) {
        auto button = std::make_shared<QXImageButton>(
            Rect(static_cast<double>(definition.tag - 1) * 26, 0, 26, 26));
        button->setTag(definition.tag);
        button->setImage(platform::Image::imageNamed(definition.image));
        button->setImagePosition(platform::CellImagePosition::ImageOnly);
        button->setAction(definition.action);
        button->setTarget(&owner);
        button->setToolTip(
            QXLS(std::string("msg.toolbar.button.") + definition.image, definition.toolTip));
        strip->addSubview(button);
        owner.buttons_[definition.tag] = button;
    }

    auto name = platform::TextField::labelWithString({}, Rect(4, 34, 120, 18),
                                                     platform::Font::boldSystemFontOfSize(12));
    name->setSelectable(true);
    name->setLineBreakMode(platform::LineBreakMode::ByTruncatingTail);
    strip->addSubview(name);
    owner.username_ = name;

    owner.status();
    strip->addSubview(owner.status_);

    auto mute = std::make_shared<platform::Button>(Rect(236, 33, 20, 20));
    mute->setBordered(false);
    mute->setButtonType(platform::PushOnPushOffButton);
    mute->setImagePosition(platform::CellImagePosition::ImageOnly);
    mute->setImage(platform::Image::imageNamed("speakerVolume_2"));
    mute->setAction("toggleSpeakerMute:");
    mute->setTarget(&owner);
    strip->addSubview(mute);
    owner.speakerMute_ = mute;

    auto slider = std::make_shared<platform::Slider>(Rect(258, 34, 80, 16));
    slider->setMinValue(0);
    slider->setMaxValue(100);
    slider->setAction("speakerVolumeChange:");
    slider->setTarget(&owner);
    strip->addSubview(slider);
    owner.volumeSlider_ = slider;
}

ToolbarController& ToolbarController::sharedController() {
    auto& shared = sharedInstance();
    if (!shared) {
        shared = std::make_unique<ToolbarController>();
    }
    return *shared;
}

void ToolbarController::releaseSharedController() {
    sharedInstance().reset();
}

void ToolbarController::registerInterfaceDefinition() {
    if (platform::InterfaceDefinition::isRegistered("ToolbarView"))
        return;
    platform::InterfaceDefinition::registerDefinition(
        "ToolbarView", [](platform::InterfaceDefinitionLoad& load) {
            auto* owner = dynamic_cast<ToolbarController*>(load.owner());
            if (!owner) {
                auto strip =
                    std::make_shared<platform::View>(Rect(0, 0, kStripWidth, kStripHeight));
                load.addTopLevelObject(strip);
                return;
            }
            makeToolbarView(*owner);
            load.addTopLevelObject(owner->theView());
        });
}

ToolbarController::ToolbarController() {
    observeNotifications();
}

ToolbarController::~ToolbarController() {
    platform::NotificationCenter::defaultCenter().removeObserver(this);
    cleanup();
}

void ToolbarController::observeNotifications() {
    auto& center = platform::NotificationCenter::defaultCenter();
    center.addObserver(this, platform::WindowDidResizeNotification, nullptr,
                       [this](const platform::Notification& note) {
                           const auto* window = dynamic_cast<const platform::Window*>(note.object);
                           if (window && theView_ && theView_->window() == window)
                               layoutToolbar();
                       });
    center.addObserver(this, ApplicationNotification, nullptr,
                       [this](const platform::Notification& note) {
                           if (note.userInfo[std::string(ApplicationReady)].boolValue())
                               restoreUserInterfaceStateUsingOVSettings();
                       });
    center.addObserver(this, VoiceMailCountNotification, nullptr,
                       [this](const platform::Notification& note) {
                           setVoiceMailCount(note.userInfo[std::string(VoiceMailCount)].intValue());
                       });
}

void ToolbarController::setVoiceMailCount(int count) {
    vmCount_ = std::min(count, 99);
    updateToolbar();
}

QXImageButton* ToolbarController::button(long tag) const {
    const auto found = buttons_.find(tag);
    return found == buttons_.end() ? nullptr : found->second.get();
}

void ToolbarController::setupToolbar() {
    ++setupCount_;
    const platform::Value& brandDict = brand();
    dialpadAsFlyout_ = brandDict["Dialpad"]["attachToMainWindow"].boolValue();
    const platform::Value& section = brandDict["ToolBar"];
    buttonOrder_ = section["buttonOrder"].stringValue();
    moreOptions_ = section["moreOptions"].stringValue();
    std::vector<std::string> wanted = tokensOf(buttonOrder_);
    for (auto& token : tokensOf(moreOptions_))
        wanted.push_back(std::move(token));

    for (const auto& [tag, imageButton] : buttons_) {
        if (std::find(wanted.begin(), wanted.end(), std::to_string(tag)) != wanted.end()) {
            imageButton->setAlternateImage(nullptr);
            for (const char* key :
                 {"buttonGeometry", "buttonBorderColors", "buttonImageFraction", "buttonGradients"})
                if (const std::string* properties = section[key].string())
                    imageButton->setProperties(*properties);
            if (section["buttonShape"].isArray())
                imageButton->setShape(section["buttonShape"]);
            if (section["badgeShape"].isArray())
                imageButton->setBadgeShape(section["badgeShape"]);
        } else {
            imageButton->setHidden(true);
        }
        imageButton->setState(platform::OffState);
    }

    if (!phoneService_) {
        phoneService_ = StartupService::instance().phoneService();
        if (phoneService_) {
            phoneService_->setDelegate(this);
            presenceService_ = phoneService_->getPresenceService();
            conversationService_ = phoneService_->getConversationService();
            if (conversationService_)
                conversationService_->setDelegate(this);
        }
    }
    vmCount_ = 0;
    sweepPresenceMenuItems();
    presenceMenuOption_ = 0;
    updatePresenceMenuItems();
    restoreUserInterfaceStateUsingOVSettings();
    if (auto* popUp = dynamic_cast<QXPopUpButton*>(&status()))
        popUp->resizeToFitContent(false);
    updateToolbar();
}

void ToolbarController::cleanup() {
    if (phoneService_)
        phoneService_->removeDelegate(this);
    if (conversationService_)
        conversationService_->removeDelegate(this);
    phoneService_.reset();
    conversationService_.reset();
    presenceService_.reset();
    sweepPresenceMenuItems();
    takeBackVideoButton();
}

void ToolbarController::setDisplayName(std::string name) {
    displayName_ = std::move(name);
    if (username_)
        username_->setStringValue(displayName_);
    updateToolbar();
}

void ToolbarController::setVideoState(bool on) {
    if (auto* camera = button(cameraTag))
        camera->setState(on ? platform::OnState : platform::OffState);
    updateToolbar();
}

void ToolbarController::setupToolbarVideoButton() {
    VideoWindow& window = VideoWindow::sharedVideoWindow();
    if (const auto& controller = window.controller())
        controller->setVideoButton(button(cameraTag));
    window.setToolBar(this);
    videoButtonHandedOver_ = true;
}

void ToolbarController::takeBackVideoButton() {
    if (!videoButtonHandedOver_)
        return;
    videoButtonHandedOver_ = false;
    if (!VideoWindow::videoWindowExist())
        return;
    VideoWindow& window = VideoWindow::sharedVideoWindow();
    if (window.toolBar() == this)
        window.setToolBar(nullptr);
    const auto& controller = window.controller();
    if (controller && controller->videoButton() == button(cameraTag))
        controller->setVideoButton(nullptr);
}

void ToolbarController::restoreUserInterfaceStateUsingOVSettings() {
    const auto settings = preferences();
    auto* keyPad = button(keyPadTag);
    if (!settings || !keyPad)
        return;
    const bool expanded = settings->sub("application")->sub("dialpadExpanded")->boolSetting();
    keyPad->setState(expanded ? platform::OnState : platform::OffState);
    tryToPerform("toggleDialpad:", keyPad);
}

void ToolbarController::saveUserSetting() {
    const auto settings = preferences();
    auto* keyPad = button(keyPadTag);
    if (!settings || !keyPad || !theView_ || !theView_->window() ||
        !theView_->window()->isVisible())
        return;
    settings->sub("application")
        ->sub("dialpadExpanded")
        ->setBoolSetting(keyPad->state() == platform::OnState, true);
}

int ToolbarController::phoneStatusValue() const {
    const auto phone = phoneService_ ? phoneService_ : StartupService::instance().phoneService();
    const auto service = phone ? phone->getPhoneStatusService() : nullptr;
    const auto status = service ? service->status() : nullptr;
    return status ? status->value() : 0;
}

bool ToolbarController::isPhoneReady() const {
    const int value = phoneStatusValue();
    const auto phone = phoneService_ ? phoneService_ : StartupService::instance().phoneService();
    const auto connect = phone ? phone->getConnectService() : nullptr;
    if (featureOn("connectServiceEnabled") && connect && connect->isConnected())
        return value != 8;
    return value != 1 && value != 5 && value != 6 && value != 7 && value != 8;
}

void ToolbarController::setBadge(QXImageButton& target, const std::string& text) {
    if (text.empty()) {
        target.setBadgeText({});
        return;
    }
    double size = 11.5;
    if (text == "*")
        size = 15.5;
    else if (text.size() > 1)
        size = 9.5;
    platform::TextAttributes attributes;
    attributes.font = platform::Font::fontWithName("Arial Narrow Bold", size);
    attributes.foregroundColor = platform::Color::colorWithCalibratedRed(1, 1, 1, 1);
    target.setBadgeText(platform::AttributedString(text, attributes));
}

void ToolbarController::updateToolbar() {
    ++updateCount_;
    if (buttons_.empty())
        return;
    const auto phone = phoneService_ ? phoneService_ : StartupService::instance().phoneService();
    const auto settings = preferences();
    const auto calls = phone ? phone->getConversationService() : nullptr;
    const auto connect = phone ? phone->getConnectService() : nullptr;
    const auto setting = [&](const char* group, const char* key) {
        return settings ? settings->sub(group)->sub(key)->stringSetting() : std::string();
    };
    const auto hide = [this](long tag, bool hidden) {
        if (auto* target = button(tag))
            target->setHidden(hidden);
    };
    const auto enable = [this](long tag, bool enabled) {
        if (auto* target = button(tag))
            target->setEnabled(enabled);
    };
    const auto state = [this](long tag, bool on) {
        if (auto* target = button(tag))
            target->setState(on ? platform::OnState : platform::OffState);
    };

    // Features first, whether or not the order names the button.
    hide(cameraTag, !featureOn("allow_video"));
    hide(speakerPhoneTag, !(featureOn("allow_speakerphone_device") &&
                            !setting("devices", "speakerModeLineOutChoice").empty()));
    hide(deskPhoneTag, !(featureOn("deskphoneEnabled") &&
                         !setting("devices", "deskphoneSubscriptionUri").empty()));
    hide(autoAnswerTag, !featureOn("auto_answer_enabled"));
    hide(anonymousTag, !featureOn("anonymous_calling"));
    hide(lettersToDigitsTag, !featureOn("lettersToNumbers"));
    hide(accountsTag, !featureOn("multipleSipEnabled"));
    hide(connectTag, !featureOn("connectServiceEnabled"));
    hide(grabCallTag, !featureOn("handover_pull"));

    const bool ready = isPhoneReady();
    for (long tag : {autoAnswerTag, anonymousTag, lettersToDigitsTag, deskPhoneTag})
        enable(tag, ready);

    int callAccounts = 0;
    int enabledCallAccounts = 0;
    if (const auto accounts = phone ? phone->getAccountService() : nullptr) {
        for (const auto& account : accounts->accounts()) {
            if (!account->isFeatureEnabled(OVAccountFeature::featureCall) ||
                account->status() == OVAccount::statusDisabled)
                continue;
            ++callAccounts;
            if (account->status() == OVAccount::statusEnabled)
                ++enabledCallAccounts;
        }
    }
    enable(accountsTag, enabledCallAccounts >= 2 && ready);
    if (callAccounts < 2)
        hide(accountsTag, true);

    const auto history = phone ? phone->getCallHistoryService() : nullptr;
    const int missed = history ? history->missedCallCount() : 0;
    if (auto* missedCalls = button(missedCallsTag)) {
        if (missed < 1) {
            missedCalls->setEnabled(false);
            setBadge(*missedCalls, {});
            DockController::sharedDockController().setBadge(DockIconBadge::typeMissedCalls, 0);
        } else {
            setBadge(*missedCalls, std::to_string(missed));
            missedCalls->setEnabled(true);
            DockController::sharedDockController().setBadge(DockIconBadge::typeMissedCalls,
                                                            static_cast<unsigned>(missed));
        }
    }

    const auto more = tokensOf(moreOptions_);
    hide(moreTag, more.empty() || more.front().empty());

    if (dialpadAsFlyout_)
        state(keyPadTag, DialpadWindowController::dialpadExist() &&
                             DialpadWindowController::sharedController().isVisible());

    if (auto* messages = button(messagesTag)) {
        unsigned dockCount = 0;
        if (vmCount_ > 0) {
            setBadge(*messages, std::to_string(vmCount_));
            dockCount = static_cast<unsigned>(vmCount_);
        } else if (vmCount_ == -1) {
            setBadge(*messages, "*");
            dockCount = 1;
        } else {
            setBadge(*messages, {});
        }
        DockController::sharedDockController().setBadge(DockIconBadge::typeVoicemail, dockCount);
        messages->setEnabled(!callableVoicemailAccounts().empty() && ready);
    }

    enable(connectTag, ready);
    state(speakerPhoneTag, phone && phone->speakerEnabled());
    const bool deskphoneInUse = calls && calls->usingDeskphone();
    state(deskPhoneTag, deskphoneInUse);

    if (!ready || deskphoneInUse || enabledCallAccounts == 0) {
        for (long tag : {autoAnswerTag, anonymousTag, lettersToDigitsTag})
            enable(tag, false);
    } else {
        state(autoAnswerTag, calls && calls->autoAnswer());
        state(anonymousTag, calls && calls->anonymous());
        state(lettersToDigitsTag, calls && calls->lettersToNumbers());
    }

    const bool presenceOn = featureOn("presenceEnabled");
    platform::PopUpButton& popUp = status();
    popUp.setHidden(!presenceOn);
    const bool presenceAvailable = presenceService_ && presenceService_->isAvailable();
    const bool connected = connect && connect->isConnected();
    const bool wasEnabled = popUp.isEnabled();
    const auto selectOwnPresence = [&] {
        const auto self = presenceService_->getSelfPresence();
        const platform::Value title = PresenceMessageStringTransformer().transformedValue(
            platform::Value(self ? self->message() : std::string()));
        if (const std::string* text = title.string())
            popUp.selectItemWithTitle(*text);
    };
    popUp.setEnabled(presenceAvailable && connected);
    if (presenceAvailable && connected)
        selectOwnPresence();
    if (username_)
        username_->setHidden(!presenceOn);

    if (auto* connectButton = button(connectTag); connectButton && !connectButton->isHidden()) {
        connectButton->setImage(platform::Image::imageNamed("ButtonLumiqConnectService_n"));
        const std::string signUp =
            QXLS("msg.lumiq.button.tooltip.signup", "Sign-up or sign-in to Corvane");
        if (phoneStatusValue() == 8) {
            connectButton->setToolTip(signUp);
            connectButton->setEnabled(false);
        } else {
            connectButton->setEnabled(true);
            if (connected && connect->byPassConnectAccountForCall()) {
                connectButton->setToolTip(QXLS("msg.lumiq.button.tooltip.bypass",
                                               "The Corvane calling is disabled. Calls will "
                                               "complete over your own SIP account."));
                connectButton->setState(platform::OnState);
            } else if (connected) {
                connectButton->setToolTip(QXLS("msg.lumiq.button.tooltip.enabled",
                                               "The Corvane calling is enabled. Calls will "
                                               "attempt to complete over Corvane."));
                connectButton->setState(platform::OffState);
            } else {
                connectButton->setImage(platform::Image::imageNamed("ButtonLumiqConnectService"));
                connectButton->setToolTip(signUp);
                connectButton->setState(platform::OffState);
            }
        }
    }

    const bool popUpEnabled = presenceAvailable && (ready || phoneStatusValue() == 7);
    popUp.setEnabled(popUpEnabled);
    if (popUpEnabled) {
        updatePresenceMenuItems();
        // While it was disabled the pop-up said "Offline"; enabled, it shows the user's own
        // presence again rather than keep claiming the user is offline.
        if (!wasEnabled)
            selectOwnPresence();
    }

    if (volumeSlider_) {
        const bool muted = phone && phone->speakerMuted();
        volumeSlider_->setEnabled(!muted);
        if (!muted && phone)
            volumeSlider_->setIntValue(phone->speakerVolume());
    }
    updateSpeakerMuteImage(0);
    layoutToolbar();
}

void ToolbarController::layoutToolbar() {
    if (!theView_)
        return;
    const double width = theView_->bounds().width();
    const auto tokens = tokensOf(buttonOrder_);
    const auto visibleButton = [this](const std::string& token) -> QXImageButton* {
        if (token.empty() || token.find_first_not_of("0123456789") != std::string::npos)
            return nullptr;
        auto* found = button(std::stol(token));
        return found && !found->isHidden() ? found : nullptr;
    };

    int flexible = 0;
    double used = 0;
    double trailingGap = 0;
    for (const auto& token : tokens) {
        if (token == "fs") {
            ++flexible;
        } else if (token == "sp") {
            used += kSpaceWidth;
            trailingGap += kSpaceWidth;
        } else if (auto* placed = visibleButton(token)) {
            used += placed->frame().width() + kButtonGap;
            trailingGap = kButtonGap;
        }
    }
    const double share = flexible > 0 ? (width - (used - trailingGap)) / flexible : 0;
    double x = 0;
    for (const auto& token : tokens) {
        if (token == "fs") {
            x += share;
        } else if (token == "sp") {
            x += kSpaceWidth;
        } else if (auto* placed = visibleButton(token)) {
            placed->setFrameOrigin({x, 0});
            x += placed->frame().width() + kButtonGap;
        }
    }

    platform::PopUpButton& popUp = status();
    double centre = popUp.frame().midY();
    if (username_) {
        username_->sizeToFit();
        Rect frame = username_->frame();
        if (frame.width() > width / 2)
            frame.size.width = width / 2;
        username_->setFrame(frame);
        centre = frame.midY();

        const double after = frame.maxX();
        const double muteX = speakerMute_ ? speakerMute_->frame().minX() : width;
        const std::string title = popUp.selectedItem() ? popUp.selectedItem()->title() : "";
        platform::TextAttributes attributes;
        attributes.font = platform::Font::systemFontOfSize(11);
        double popUpWidth = platform::sizeWithAttributes(title, attributes).width + 48.0;
        popUpWidth = std::min(popUpWidth, muteX - after - 20.0);
        const double height = popUp.frame().height();
        popUp.setFrame(Rect(after, centre - height / 2, std::max(0.0, popUpWidth), height));
    }
    if (volumeSlider_) {
        const Rect slider = volumeSlider_->frame();
        volumeSlider_->setFrameOrigin({width - slider.width(), centre - slider.height() / 2 - 2.0});
        if (speakerMute_) {
            const Rect mute = speakerMute_->frame();
            speakerMute_->setFrameOrigin(
                {volumeSlider_->frame().minX() - mute.width() - 2.5, centre - mute.height() / 2});
        }
    }
    theView_->setNeedsDisplay(true);
}

platform::PopUpButton& ToolbarController::status() {
    if (!status_) {
        auto popUp = std::make_shared<QXPopUpButton>(Rect(128, 33, 100, 20));
        popUp->setMenu(std::make_shared<platform::Menu>("status"));
        popUp->setFont(platform::Font::systemFontOfSize(11));
        status_ = popUp;
        updatePresenceMenuItems();
    }
    return *status_;
}

std::shared_ptr<platform::MenuItem>
ToolbarController::createPresenceMenuItemWithTitle(const std::string& title, int status, long tag) {
    auto item = std::make_shared<platform::MenuItem>(title, "presenceChanged:", "");
    item->setTag(tag);
    if (status >= 0)
        item->setImage(OrvantaExtensions::image(static_cast<OVPresenceStatus>(status)));
    return item;
}

void ToolbarController::sweepPresenceMenuItems() {
    if (status_)
        status_->menu()->removeAllItems();
    for (auto* item : {&availableMenuItem_, &idleAwayMenuItem_, &busyMenuItem_, &dndStatusMenuItem_,
                       &onPhoneMenuItem_, &notAvailableForCallStatusMenuItem_, &offlineMenuItem_,
                       &separatorMenuItem_, &setCustomStatusMenuItem_, &onVacationMenuItem_,
                       &outToLunchMenuItem_})
        item->reset();
}

void ToolbarController::updatePresenceMenuItems() {
    platform::Menu& menu = *status().menu();
    const int option = featureOn("allow_pab") ? 2 : 1;
    if (option != presenceMenuOption_)
        sweepPresenceMenuItems();
    presenceMenuOption_ = option;
    const PresenceMessageTranslator& words =
        option == 2
            ? static_cast<const PresenceMessageTranslator&>(PabContactOperations::instance())
            : ContactOperations::instance();
    const auto add = [&](std::shared_ptr<platform::MenuItem>& item, std::string_view word,
                         OVPresenceStatus status) {
        if (!item) {
            item = createPresenceMenuItemWithTitle(words.translatePresenceMessage(word),
                                                   static_cast<int>(status),
                                                   static_cast<long>(status));
            menu.addItem(item);
        }
    };
    using S = OVPresenceStatus;
    if (option == 1) {
        add(availableMenuItem_, "Available", S::statusAvailable);
        add(busyMenuItem_, "Busy", S::statusBusy);
        add(idleAwayMenuItem_, "Away", S::statusAway);
        add(onPhoneMenuItem_, "On the phone", S::statusOnThePhone);
        if (featureOn("dnd_presence"))
            add(dndStatusMenuItem_, "Do not disturb", S::statusDoNotDisturb);
        if (featureOn("not_available_for_calls_presence"))
            add(notAvailableForCallStatusMenuItem_, "Not available for calls",
                S::statusNotAvailableForCalls);
        add(offlineMenuItem_, "Offline", S::statusOffline);
        if (!separatorMenuItem_) {
            separatorMenuItem_ = platform::MenuItem::separatorItem();
            menu.addItem(separatorMenuItem_);
        }
        if (!setCustomStatusMenuItem_) {
            setCustomStatusMenuItem_ = createPresenceMenuItemWithTitle(
                QXLS("msg.presence.status.setcustomstatus", "Set custom status..."), -1, 99);
            menu.addItem(setCustomStatusMenuItem_);
        }
    } else {
        add(availableMenuItem_, "Connected", S::statusAvailable);
        add(idleAwayMenuItem_, "Away", S::statusAway);
        add(outToLunchMenuItem_, "Out To Lunch", S::statusAway);
        add(busyMenuItem_, "Busy", S::statusBusy);
        add(onVacationMenuItem_, "On Vacation", S::statusBusy);
        if (featureOn("dnd_presence"))
            add(dndStatusMenuItem_, "Do not disturb", S::statusDoNotDisturb);
        add(offlineMenuItem_, "Offline", S::statusOffline);
    }
    if (!featureOn("connectServiceEnabled"))
        return;
    const auto settings = preferences();
    const long visibility =
        settings
            ? static_cast<long>(settings->sub("privacy")->sub("presenceVisibility")->longSetting())
            : 0;
    const auto show = [](const std::shared_ptr<platform::MenuItem>& item, bool shown) {
        if (item)
            item->setHidden(!shown);
    };
    const auto& items = menu.itemArray();
    // The pop-up's last item is the custom status once the primary module has made it.
    std::shared_ptr<platform::MenuItem> last;
    if (setCustomStatusMenuItem_ && !items.empty() && items.back() != setCustomStatusMenuItem_)
        last = items.back();
    if (visibility == 0) {
        for (const auto* item :
             {&availableMenuItem_, &busyMenuItem_, &idleAwayMenuItem_, &onPhoneMenuItem_})
            show(*item, true);
        show(notAvailableForCallStatusMenuItem_, featureOn("not_available_for_calls_presence"));
        show(dndStatusMenuItem_, featureOn("dnd_presence"));
        show(separatorMenuItem_, true);
        show(setCustomStatusMenuItem_, true);
        show(last, true);
    } else {
        show(availableMenuItem_, visibility != 2);
        for (const auto* item : {&busyMenuItem_, &idleAwayMenuItem_, &onPhoneMenuItem_,
                                 &notAvailableForCallStatusMenuItem_, &dndStatusMenuItem_,
                                 &separatorMenuItem_, &setCustomStatusMenuItem_})
            show(*item, false);
        show(last, false);
    }
}

void ToolbarController::speakerMutedChanged(bool /*muted*/) {
    updateToolbar();
}

void ToolbarController::speakerOutputLevelChanged(int level) {
    updateSpeakerMuteImage(level);
}

void ToolbarController::callOptionsChanged() {
    updateToolbar();
}
