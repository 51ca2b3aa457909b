#include "app/contacts/ContactEditorController.h"
#include "engine/AccountService.h"
#include "engine/OVContactManager.h"
#include "engine/PhoneService.h"
#include "engine/StartupService.h"

#include <algorithm>

// A roster source made from a chat address: served by the enabled chat account of the
// address's server, else by the first enabled chat account; merged into the contact when it
// is saved.

namespace {

// A new contact of the roster of `provider`'s server for the chat address: not stored until it
// is merged. The introduction goes with the roster request when the contact is stored.
std::shared_ptr<OVEntity> createXMPPEntity(const std::string& displayName, const std::string& jid,
                                           const std::string& /*introMessage*/,
                                           const std::shared_ptr<OVAccount>& /*provider*/) {
    const auto phone = StartupService::instance().phoneService();
    if (!phone) {
        return nullptr;
    }
    std::string name = displayName;
    if (name.empty()) {
        name = jid.substr(0, jid.find('@'));
    }
    auto contact = phone->getContactManager()->createLogicalEntityWithFields(
        {{std::string(OVField::fieldDisplayName), name},
         {std::string(OVField::fieldJidAddr), jid}});
    if (contact) {
        contact->setProviderProtocol(OVProviderProtocol::protocolXmpp);
    }
    return contact;
}

} // namespace

bool ContactEditorController::createXmppContact(const std::string& displayName,
                                                const std::string& jid,
                                                const std::string& introMessage) {
    const auto at = jid.find('@');
    const std::string domain = at == std::string::npos ? jid : jid.substr(at + 1);
    std::shared_ptr<OVAccount> provider;
    if (const auto phone = StartupService::instance().phoneService()) {
        for (const auto& account : phone->getAccountService()->accounts()) {
            if (account->protocol() != OVAccountProtocol::XMPPprotocol ||
                account->status() != OVAccount::statusEnabled) {
                continue;
            }
            if (!provider) {
                provider = account;
            }
            if (account->domain() == domain) {
                provider = account;
                break;
            }
        }
    }
    if (!provider) {
        return false;
    }
    const auto entity = createXMPPEntity(displayName, jid, introMessage, provider);
    if (!entity) {
        return false;
    }
    auto view = addEntity(entity);
    if (!view) {
        return false;
    }
    view->setIsNew(true);
    view->setup();
    layout();
    updateDisplay();
    scrollToBottom();
    return true;
}
