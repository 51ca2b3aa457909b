#include "app/core/AppController.h"
#include "app/core/Features.h"
#include "app/main_window/PrimaryModuleController.h"
#include "app/main_window/ToolbarController.h"
#include "engine/AccountService.h"
#include "engine/OVConnectService.h"
#include "engine/StartupService.h"
#include "platform/foundation/Format.h"
#include "platform/graphics/BezierPath.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Image.h"
#include "platform/kit/Button.h"
#include "platform/kit/Menu.h"
#include "platform/kit/MenuItem.h"
#include "platform/kit/Slider.h"
#include "support/Localization.h"
#include "widgets/QXImageButton.h"

#include <algorithm>
#include <array>
#include <string>

namespace {

// The actions that the application controller passes on to the call-entry module, and the
// names it knows them by.
constexpr std::array<std::pair<std::string_view, std::string_view>, 8> kForwarded = {{
    {"toggleDialpad:", "toggleDialpad:"},
    {"toggleVideo:", "toggleVideo:"},
    {"toggleSpeakerPhone:", "toggleSpeakerPhone:"},
    {"missedCallPressed:", "missedCallsPressed:"},
    {"presenceChanged:", "presenceChanged:"},
    {"toggleAutoAnswer:", "toggleAutoAnswer:"},
    {"toggleAnonymous:", "toggleAnonymousCalling:"},
    {"toggleLettersToNumbers:", "toggleLettersToNumbers:"},
}};

constexpr std::string_view kOwnActions[] = {
    "toggleDeskphone:",   "voicemailPressed:",    "selectAccounts:", "toggleConnect:",
    "toggleSpeakerMute:", "speakerVolumeChange:", "volumeChanged:",  "grabCall:",
    "showMore:",          "voiceMailCall:",
};

std::shared_ptr<PhoneService> phone() {
    return StartupService::instance().phoneService();
}

void forward(std::string_view action, platform::Object* sender) {
    if (AppController* app = AppController::sharedAppController())
        app->performEventHubAction(action, sender);
}

void turnOff(platform::Object* sender) {
    if (auto* button = dynamic_cast<platform::Button*>(sender))
        button->setState(platform::OffState);
}

void callVoicemail(const std::shared_ptr<OVAccount>& account) {
    const auto service = phone();
    const auto calls = service ? service->getConversationService() : nullptr;
    if (!calls || !account || account->callVoicemailUri().empty())
        return;
    calls->audioConversation(account->callVoicemailUri(), -1,
                             QXLS("msg.toolbar.call_voicemail", "Voicemail"), account);
}

} // namespace

bool ToolbarController::respondsToAction(std::string_view action) const {
    return std::any_of(kForwarded.begin(), kForwarded.end(),
                       [&](const auto& pair) { return pair.first == action; }) ||
           std::find(std::begin(kOwnActions), std::end(kOwnActions), action) !=
               std::end(kOwnActions);
}

bool ToolbarController::tryToPerform(std::string_view action, platform::Object* sender) {
    for (const auto& [own, hub] : kForwarded) {
        if (own != action)
            continue;
        forward(hub, sender);
        if (action == "missedCallPressed:")
            turnOff(sender);
        if (action != "toggleVideo:")
            updateToolbar();
        return true;
    }
    const auto service = phone();
    if (action == "toggleDeskphone:") {
        forward("toggleDeskphone:", sender);
    } else if (action == "voicemailPressed:") {
        voicemailPressed(sender);
        return true;
    } else if (action == "voiceMailCall:") {
        if (auto* item = dynamic_cast<platform::MenuItem*>(sender))
            voiceMailCall(*item);
        return true;
    } else if (action == "selectAccounts:") {
        selectAccounts(sender);
    } else if (action == "toggleConnect:") {
        const auto connect = service ? service->getConnectService() : nullptr;
        if (connect && connect->isSignedIn()) {
            const auto* button = dynamic_cast<platform::Button*>(sender);
            connect->setByPassConnectAccountForCall(button && button->state() == platform::OnState);
        } else if (AppController* app = AppController::sharedAppController()) {
            app->connectionServiceOperation(this);
        }
    } else if (action == "toggleSpeakerMute:") {
        const auto* button = dynamic_cast<platform::Button*>(sender);
        if (service)
            service->muteSpeaker(button && button->state() == platform::OnState);
    } else if (action == "speakerVolumeChange:" || action == "volumeChanged:") {
        const auto* control = dynamic_cast<platform::Control*>(sender);
        if (service && control)
            service->setSpeakerVolume(control->intValue());
        if (action == "volumeChanged:")
            return true;
    } else if (action == "grabCall:" || action == "showMore:") {
        return true;
    } else {
        return false;
    }
    updateToolbar();
    return true;
}

std::vector<std::shared_ptr<OVAccount>> ToolbarController::callableVoicemailAccounts() const {
    const auto service = phoneService_ ? phoneService_ : phone();
    const auto accounts = service ? service->getAccountService() : nullptr;
    if (!accounts)
        return {};
    std::vector<std::shared_ptr<OVAccount>> found;
    if (featureOn("show_voicemail_always")) {
        for (const auto& account : accounts->accounts())
            if (account->voicemailEnabled())
                found.push_back(account);
    } else {
        found = accounts->accountsWithNewVoiceMails();
    }
    std::erase_if(found, [](const auto& account) { return account->callVoicemailUri().empty(); });
    return found;
}

void ToolbarController::popUpMenu(platform::Menu& menu, platform::View& inView,
                                  const platform::Rect& frame) {
    // The menu hangs from the button's lower left corner, 4 points further down.
    const double below = inView.isFlipped() ? frame.maxY() + 4 : frame.minY() - 4;
    menu.popUpMenuPositioningItem(nullptr, {frame.minX(), below}, &inView);
}

void ToolbarController::voicemailPressed(platform::Object* sender) {
    const auto accounts = callableVoicemailAccounts();
    auto* messages = button(messagesTag);
    if (accounts.size() == 1) {
        callVoicemail(accounts.front());
    } else if (accounts.size() > 1 && messages && messages->superview()) {
        platform::Menu menu("voicemails");
        menu.setFont(platform::Font::systemFontOfSize(10));
        for (const auto& account : accounts) {
            const std::string title =
                platform::formatString(QXLS("msg.toolbar.call_voicemail_x", "%@ - (%i new)"),
                                       account->accountName(), account->newVoiceMailCount());
            auto item = menu.addItemWithTitle(title, "voiceMailCall:", "");
            item->setTarget(this);
            item->setRepresentedObject(platform::Value(std::static_pointer_cast<platform::Object>(
                std::const_pointer_cast<OVAccount>(account))));
        }
        popUpMenu(menu, *messages->superview(), messages->frame());
    }
    turnOff(sender ? sender : messages);
    if (messages)
        messages->setState(platform::OffState);
    updateToolbar();
}

void ToolbarController::voiceMailCall(platform::MenuItem& item) {
    callVoicemail(std::dynamic_pointer_cast<OVAccount>(item.representedObject().object()));
}

void ToolbarController::selectAccounts(platform::Object* /*sender*/) {
    auto* accountsButton = button(accountsTag);
    if (!accountsButton || !theView_)
        return;
    accountsButton->setState(platform::OnState);
    platform::Menu menu("accounts menu");
    menu.setFont(platform::Font::menuFontOfSize(12));
    // The account options: the engine's choice, then each enabled call account, the one in
    // use checked. The call-entry module takes the choice.
    const auto service = phoneService_ ? phoneService_ : phone();
    const auto calls = service ? service->getConversationService() : nullptr;
    const auto current = calls ? calls->accountForCall() : nullptr;
    auto& primary = PrimaryModuleController::sharedController();
    auto automatic = menu.addItemWithTitle(QXLS("msg.account.automatic", "Automatic"),
                                           "toggleAccountForCall:", "");
    automatic->setTarget(&primary);
    automatic->setState(current ? platform::OffState : platform::OnState);
    if (const auto accounts = service ? service->getAccountService() : nullptr) {
        for (const auto& account : accounts->accounts()) {
            if (!account->isFeatureEnabled(OVAccountFeature::featureCall) ||
                account->status() != OVAccount::statusEnabled)
                continue;
            auto item = menu.addItemWithTitle(account->accountName(), "toggleAccountForCall:", "");
            item->setTarget(&primary);
            item->setRepresentedObject(
                platform::Value(std::static_pointer_cast<platform::Object>(account)));
            item->setState(account == current ? platform::OnState : platform::OffState);
        }
    }
    const platform::Rect frame =
        accountsButton->superview()
            ? theView_->convertRectFromView(accountsButton->frame(), accountsButton->superview())
            : accountsButton->frame();
    popUpMenu(menu, *theView_, frame);
    accountsButton->setState(platform::OffState);
}

void ToolbarController::updateSpeakerMuteImage(int level) {
    if (!speakerMute_)
        return;
    const auto service = phoneService_ ? phoneService_ : phone();
    if (!service || service->speakerMuted()) {
        speakerMute_->setImage(platform::Image::imageNamed("speakerVolume_0"));
        return;
    }
    const int step = service->speakerVolume() / 35 + 1;
    const auto base = platform::Image::imageNamed("speakerVolume_" + std::to_string(step));
    speakerMute_->setImage(base ? drawIndicator(*base, level) : nullptr);
}

std::shared_ptr<platform::Image> ToolbarController::drawIndicator(const platform::Image& image,
                                                                  int level) {
    const platform::Size size = image.size();
    auto drawn = std::make_shared<platform::Image>(size);
    drawn->lockFocus();
    image.drawInRect(platform::Rect(0, 0, size.width, size.height));
    const platform::Rect well(0, size.height - 10, 10, 10);
    platform::BezierPath grey = platform::BezierPath::bezierPathWithOvalInRect(well);
    platform::Color::colorWithCalibratedWhite(0.6, 1).setFill();
    grey.fill();
    platform::Color::colorWithCalibratedWhite(0.4, 1).setStroke();
    grey.stroke();
    const int diameter = (std::clamp(level, 0, 100) + 9) / 10;
    if (diameter > 0) {
        const platform::Rect dot(5 - diameter / 2, size.height - 5 - diameter / 2, diameter,
                                 diameter);
        platform::Color::colorWithCalibratedRed(0.2, 0.8, 0.2, 1).setFill();
        platform::BezierPath::bezierPathWithOvalInRect(dot).fill();
    }
    drawn->unlockFocus();
    return drawn;
}
