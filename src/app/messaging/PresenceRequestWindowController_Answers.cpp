#include "app/contacts/ContactOperations.h"
#include "app/messaging/PresenceRequestWindowController.h"
#include "engine/OVContactManager.h"
#include "platform/kit/PopUpButton.h"
#include "platform/kit/TextField.h"
#include "support/StringExtensions.h"

#include <algorithm>

void PresenceRequestWindowController::allow(platform::Object* /*sender*/) {
    const auto request = _request;
    if (!request) {
        processNextPresenceRequest();
        return;
    }
    // An account that is not up cannot answer; the request stays unanswered.
    const auto account = request->account();
    if (!account || account->status() != OVAccount::statusEnabled || !_contactManager) {
        processNextPresenceRequest();
        return;
    }
    if (request->accountProtocol() == OVAccount::XMPPprotocol) {
        const auto matches = _contactManager->lookup("", request->address(), "");
        if (!matches.empty()) {
            const auto& contact = matches.front();
            const auto name =
                OrvantaExtensions::whitespaceAndNewlineTrimmed(_displayAs->stringValue());
            if (!name.empty()) {
                contact->updateField(std::string(OVField::fieldDisplayName), name,
                                     OVField::fieldTypeName);
                contact->setDisplayName(name);
                contact->saveCommand();
            }
            if (const auto group = selectedGroup()) {
                std::vector<std::string> groups;
                for (const auto& parent : contact->parentEntities())
                    if (parent->type() == OVEntity::typeGroup)
                        groups.push_back(parent->displayName());
                if (std::find(groups.begin(), groups.end(), group->displayName()) == groups.end()) {
                    groups.push_back(group->displayName());
                    _contactManager->setContactGroups(contact, groups);
                }
            }
            request->accept();
            processNextPresenceRequest();
            return;
        }
    }
    addContact();
    request->accept();
    processNextPresenceRequest();
}

void PresenceRequestWindowController::addContact() {
    const bool xmpp = _request->accountProtocol() == OVAccount::XMPPprotocol;
    const std::string_view field = xmpp ? OVField::fieldJidAddr : OVField::fieldSoftphone;
    // The group chosen, or a new one named as the item when it stands for none.
    const auto group = selectedGroup();
    const std::string groupName = group ? group->displayName() : _groups->titleOfSelectedItem();
    const auto name = OrvantaExtensions::whitespaceAndNewlineTrimmed(_displayAs->stringValue());
    const auto contact = _contactManager->createLogicalEntity();
    for (auto& [key, value] :
         ContactOperations::quickContactFields(name, _request->address(), field)) {
        if (key == OVField::fieldDisplayName)
            contact->setDisplayName(value);
        else
            contact->updateField(key, value);
    }
    if (xmpp) {
        contact->setProviderProtocol(OVProviderProtocol::protocolXmpp);
    } else if (const auto softphone = contact->getFieldByName(OVField::fieldSoftphone)) {
        // The address serves calls, chats and presence, and is the first choice for each.
        contact->updateField(std::string(OVField::fieldSoftphone), softphone->valueStr(),
                             OVField::fieldTypeVoiceVideo | OVField::fieldTypeIM |
                                 OVField::fieldTypePresence);
        contact->setPrimary(OVField::fieldPrimaryTypePresence, OVField::fieldSoftphone);
        contact->setPrimary(OVField::fieldPrimaryTypeCall, OVField::fieldSoftphone);
    }
    contact->setGroupToAdd(groupName);
    contact->saveCommand();
}

void PresenceRequestWindowController::ignore(platform::Object* /*sender*/) {
    if (_request)
        _request->ignore();
    processNextPresenceRequest();
}

void PresenceRequestWindowController::block(platform::Object* /*sender*/) {
    if (_request)
        _request->block();
    processNextPresenceRequest();
}
