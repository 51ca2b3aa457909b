#include "app/calls/CallModuleController.h"
#include "app/main_window/PrimaryModuleController.h"
#include "engine/AccountService.h"
#include "engine/OVContactManager.h"
#include "engine/OVIMService.h"
#include "engine/StartupService.h"
#include "platform/kit/Event.h"
#include "platform/kit/MenuItem.h"
#include "support/Localization.h"
#include "support/MenuExtensions.h"

#include <regex>

namespace {

bool feature(std::string_view name) {
    auto features = StartupService::instance().featuresService();
    return features && features->featureAvailable(name);
}

bool enabledForMessages(const OVAccount& account) {
    return account.status() == OVAccount::statusEnabled &&
           account.isFeatureEnabled(OVAccount::featureIM);
}

} // namespace

std::string PrimaryModuleController::cleanedNumber(std::string_view entered) {
    std::string cleaned;
    for (char c : entered)
        if (c != '(' && c != ')' && c != '+' && c != '-' && c != ' ')
            cleaned += c;
    return cleaned;
}

std::optional<PrimaryModuleController::MessageEntry> PrimaryModuleController::instantMessageEntry(
    const std::string& cleaned, const std::shared_ptr<OVEntity>& contact,
    const std::vector<std::shared_ptr<OVAccount>>& accounts) {
    if (contact) {
        bool xmpp = false, other = false;
        for (const auto& account : accounts)
            if (account && enabledForMessages(*account))
                (account->protocol() == OVAccount::XMPPprotocol ? xmpp : other) = true;
        auto field = contact->fieldForAddress(cleaned);
        if (!field)
            field = contact->fieldForAddress("sip:" + cleaned);
        if (!field)
            field = contact->fieldForAddress("jid:" + cleaned);
        if (!field)
            return std::nullopt;
        const platform::Value represented(std::static_pointer_cast<platform::Object>(field));
        if (field->name() == OVField::fieldJidAddr && xmpp)
            return MessageEntry{true, represented};
        if (field->name() == OVField::fieldSoftphone && other)
            return MessageEntry{false, represented};
        return std::nullopt;
    }
    static const std::regex address(R"(^[a-zA-Z0-9_\.\-]+@[a-zA-Z0-9\-]+\.[a-zA-Z0-9\-\.]+$)");
    if (!std::regex_match(cleaned, address))
        return std::nullopt;
    const std::string domain = cleaned.substr(cleaned.find('@') + 1);
    for (const auto& account : accounts)
        if (account && account->domain() == domain && account->status() == OVAccount::statusEnabled)
            return MessageEntry{account->protocol() == OVAccount::XMPPprotocol,
                                platform::Value(cleaned)};
    return std::nullopt;
}

void PrimaryModuleController::menuNeedsUpdate(platform::Menu& menu) {
    if (&menu != _ibDialMenu.get())
        return;
    OrvantaExtensions::removeAllItems(menu);
    auto add = [&](std::string title, std::string action,
                   platform::Value represented = {}) -> platform::MenuItem& {
        auto item = OrvantaExtensions::addItemWithTitle(menu, std::move(title), this,
                                                        std::move(action), "");
        item->setRepresentedObject(std::move(represented));
        return *item;
    };
    // Each set-as-default item stands in for the call before it while Alt is held.
    auto alternate = [](platform::MenuItem& item) {
        item.setAlternate(true);
        item.setKeyEquivalentModifierMask(platform::AlternateKeyMask);
    };
    menu.addItemWithTitle("", "", "");
    if (feature("callingEnabled")) {
        add(QXLS("msg.menuitem.call_action.audio_call", "Audio Call"), "contextAudioCall:");
        alternate(add(QXLS("msg.menuitem.call_action.audio_call_default",
                           "Set \"Audio Call\" as default action"),
                      "contextSetAudioCallAsDefault:"));
    }
    if (feature("allow_video")) {
        add(QXLS("msg.menuitem.call_action.video_call", "Video Call"), "contextVideoCall:");
        alternate(add(QXLS("msg.menuitem.call_action.video_call_default",
                           "Set \"Video Call\" as default action"),
                      "contextSetVideoCallAsDefault:"));
    }
    if (feature("conferencingEnabled") && !feature("server_based_conference")) {
        add(QXLS("msg.menuitem.call_action.start_conference", "Start Conference Call"),
            "contextStartConferenceCall:");
        alternate(add(QXLS("msg.menuitem.call_action.conference_call_default",
                           "Set \"Conference Call\" as default action"),
                      "contextSetConferenceCallAsDefault:"));
    }
    const std::string entered = _numberEntryModel ? _numberEntryModel->numberEntered() : "";
    if (feature("instantMessagingEnabled") && _phoneService) {
        const std::string cleaned = cleanedNumber(entered);
        const auto found = _phoneService->getContactManager()->lookup("", cleaned, "");
        const auto entry = instantMessageEntry(cleaned, found.empty() ? nullptr : found.front(),
                                               _phoneService->getAccountService()->accounts());
        if (entry && entry->viaXMPP)
            add(QXLS("msg.menuitem.call_action.imxmpp", "Send Instant Message"),
                "contextSendInstantMessageViaXMPP:", entry->represented);
        else if (entry)
            add(QXLS("msg.menuitem.call_action.im", "Send Instant Message"),
                "contextSendInstantMessage:", entry->represented);
    }
    if (feature("textMessagingEnabled"))
        add(QXLS("msg.menuitem.call_action.sms", "Send Mobile Text Message (SMS)"),
            "contextSendInstantMessageViaSMS:", platform::Value(entered));
}

std::optional<bool> PrimaryModuleController::validateMenuItem(platform::MenuItem& item) {
    if (auto toggle = validateToggle(item))
        return toggle;
    const std::string& action = item.action();
    const auto model = _callEntryModel;
    if (action == "contextAudioCall:")
        return model && model->canAudioCall();
    if (action == "contextVideoCall:")
        return model && model->canVideoCall();
    if (action == "contextStartConferenceCall:")
        return model && model->canConferenceCall();
    if (action == "contextSendInstantMessage:" || action == "contextSendInstantMessageViaXMPP:")
        return model && model->canSendIm();
    if (action == "contextSendInstantMessageViaSMS:")
        return model && model->canSendSms();
    return true;
}

void PrimaryModuleController::contextAudioCall(platform::Object* /*sender*/) {
    call(0);
}

void PrimaryModuleController::contextVideoCall(platform::Object* /*sender*/) {
    call(1);
}

void PrimaryModuleController::contextStartConferenceCall(platform::Object* /*sender*/) {
    CallModuleController::sharedController().setStartCallWithConference(true);
    call(2);
}

void PrimaryModuleController::sendInstantMessage(platform::Object* sender, bool viaXMPP) {
    auto* item = dynamic_cast<platform::MenuItem*>(sender);
    if (!item || !_phoneService)
        return;
    const platform::Value& represented = item->representedObject();
    std::string address;
    if (auto field = std::dynamic_pointer_cast<OVField>(represented.object()))
        address = field->valueStr();
    else if (represented.isString())
        address = represented.stringValue();
    else
        return;
    _phoneService->getIMService()->newIMSession(address, viaXMPP, false);
}

void PrimaryModuleController::contextSendInstantMessage(platform::Object* sender) {
    sendInstantMessage(sender, false);
}

void PrimaryModuleController::contextSendInstantMessageViaXMPP(platform::Object* sender) {
    sendInstantMessage(sender, true);
}

void PrimaryModuleController::contextSendInstantMessageViaSMS(platform::Object* sender) {
    auto* item = dynamic_cast<platform::MenuItem*>(sender);
    if (!item || !_phoneService || !item->representedObject().isString())
        return;
    _phoneService->getIMService()->newIMSession(item->representedObject().stringValue(), false,
                                                true);
}
