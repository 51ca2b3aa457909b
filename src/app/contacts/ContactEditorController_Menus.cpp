#include "app/contacts/ContactEditorController.h"
#include "engine/AccountService.h"
#include "engine/OVContactManager.h"
#include "engine/PhoneService.h"
#include "engine/StartupService.h"
#include "platform/graphics/Image.h"
#include "platform/kit/Button.h"
#include "platform/kit/Menu.h"
#include "platform/kit/MenuItem.h"
#include "platform/kit/PopUpButton.h"
#include "platform/kit/TextField.h"
#include "support/Localization.h"

#include <algorithm>

// The editor's contact-wide choices: groups, which source's name is shown, and the default
// call, presence and text-message addresses. Each builder empties its pop-up first; items
// target the editor and carry their choice as tag (a position, counted from 1) or, for
// groups, the group name.

namespace {

std::vector<std::shared_ptr<OVAccount>> accounts() {
    const auto phone = StartupService::instance().phoneService();
    return phone ? phone->getAccountService()->accounts()
                 : std::vector<std::shared_ptr<OVAccount>>{};
}

std::string trimmedSpaces(const std::string& text) {
    const auto begin = text.find_first_not_of(' ');
    if (begin == std::string::npos) {
        return {};
    }
    return text.substr(begin, text.find_last_not_of(' ') - begin + 1);
}

void empty(platform::PopUpButton& popUp) {
    for (const auto& item : popUp.itemArray()) {
        item->setTarget(nullptr);
    }
    popUp.removeAllItems();
}

platform::MenuItem* addItem(platform::PopUpButton& popUp, std::string title, std::string action,
                            platform::ActionTarget* target, long tag) {
    // Added to the menu itself: the pop-up would drop an earlier item of the same title (the
    // groups' title item can be a group's name).
    auto added = std::make_shared<platform::MenuItem>(std::move(title), "", "");
    popUp.menu()->addItem(added);
    platform::MenuItem* item = added.get();
    item->setTag(tag);
    if (!action.empty()) {
        item->setTarget(target);
        item->setAction(std::move(action));
    }
    return item;
}

} // namespace

std::string ContactEditorController::getDefaultGroup() const {
    if (_contactManager) {
        for (const auto& group : _contactManager->getVeyraRoot()->entitiesAll()) {
            if (!group->isReadOnly()) {
                return group->displayName();
            }
        }
    }
    return {};
}

void ContactEditorController::groupMenuNeedsUpdate() {
    empty(*_popUpGroups);
    std::vector<std::string> writable;
    if (_contactManager) {
        for (const auto& group : _contactManager->getVeyraRoot()->entitiesAll()) {
            if (!group->isReadOnly() && std::find(writable.begin(), writable.end(),
                                                  group->displayName()) == writable.end()) {
                writable.push_back(group->displayName());
            }
        }
    }
    const std::string other = QXLS("msg.contact.newGroup", "Other");
    if (_selectedGroups.empty()) {
        _selectedGroups.push_back(writable.empty() ? other : writable.front());
    }
    std::string title;
    for (const auto& name : _selectedGroups) {
        title += (title.empty() ? "" : ", ") + name;
    }
    addItem(*_popUpGroups, title, "", this, 0);
    if (writable.empty()) {
        addItem(*_popUpGroups, other, "", this, 0)->setState(platform::OnState);
        return;
    }
    for (const auto& name : writable) {
        auto* item = addItem(*_popUpGroups, name, "updateGroupsForContact:", this, 0);
        item->setRepresentedObject(platform::Value(name));
        const bool selected = std::find(_selectedGroups.begin(), _selectedGroups.end(), name) !=
                              _selectedGroups.end();
        item->setState(selected ? platform::OnState : platform::OffState);
    }
}

void ContactEditorController::updateGroupsForContact(const std::string& name) {
    const auto it = std::find(_selectedGroups.begin(), _selectedGroups.end(), name);
    if (it == _selectedGroups.end()) {
        _selectedGroups.push_back(name);
    } else if (_selectedGroups.size() >= 2) {
        // The last group stays: a contact is always in one.
        _selectedGroups.erase(it);
    }
    groupMenuNeedsUpdate();
}

void ContactEditorController::avatarMenuNeedsUpdate() {
    for (const auto& item : _avatarMenu->itemArray()) {
        item->setTarget(nullptr);
    }
    _avatarMenu->removeAllItems();
    _avatarMenu->addItem(std::make_shared<platform::MenuItem>("", "", ""));
    std::shared_ptr<ContactContentController> first;
    bool current = false;
    for (std::size_t i = 0; i < _sources.size(); ++i) {
        auto image = _sources[i]->avatarImage();
        if (!image) {
            continue;
        }
        if (!first) {
            first = _sources[i];
        }
        current = current || _sources[i] == _defaultAvatar;
        auto item = std::make_shared<platform::MenuItem>("", "updateDefaultForAvatar:", "");
        image->setSize(platform::Size(64, 64));
        item->setImage(image);
        item->setTag(static_cast<long>(i) + 1);
        item->setTarget(this);
        item->setState(_sources[i] == _defaultAvatar ? platform::OnState : platform::OffState);
        _avatarMenu->addItem(item);
    }
    if (!current) {
        _defaultAvatar = first;
    }
    const auto shown = _defaultAvatar ? _defaultAvatar->avatarImage() : nullptr;
    _avatarButton->setImage(shown ? shown : platform::Image::imageNamed("AvatarSample"));
}

void ContactEditorController::displayMenuNeedsUpdate() {
    empty(*_popUpDisplayAs);
    if (_defaultDisplay && _defaultDisplay->markedDelete()) {
        _defaultDisplay.reset();
    }
    long selected = -1;
    for (std::size_t i = 0; i < _sources.size(); ++i) {
        const std::string name = _sources[i]->displayName();
        if (trimmedSpaces(name).empty() || _sources[i]->markedDelete()) {
            continue;
        }
        if (!_defaultDisplay) {
            _defaultDisplay = _sources[i];
            _displayName = name;
        }
        addItem(*_popUpDisplayAs, name, "updateDefaultForDisplay:", this, static_cast<long>(i) + 1);
        if (_sources[i] == _defaultDisplay) {
            selected = _popUpDisplayAs->numberOfItems() - 1;
        }
    }
    if (selected >= 0) {
        _popUpDisplayAs->selectItemAtIndex(selected);
    } else {
        addItem(*_popUpDisplayAs, QXLS("msg.contact.menu.none", "None"), "", this, 0);
    }
    const bool hidden = _popUpDisplayAs->numberOfItems() < 2;
    _popUpDisplayAs->setHidden(hidden);
    _contactDisplayAsLabel->setHidden(hidden);
}

void ContactEditorController::addressForCallMenuNeedsUpdate() {
    empty(*_defaultCallPopup);
    long selected = -1;
    for (std::size_t i = 0; i < _callAddresses.size(); ++i) {
        const auto& row = _callAddresses[i];
        const std::string title = trimmedSpaces(row->addressValue);
        if (title.empty()) {
            continue;
        }
        if (!_defaultCall) {
            _defaultCall = row;
        }
        addItem(*_defaultCallPopup, title, "updateDefaultCallAddress:", this,
                static_cast<long>(i) + 1);
        if (row == _defaultCall) {
            selected = _defaultCallPopup->numberOfItems() - 1;
        }
    }
    if (selected >= 0) {
        _defaultCallPopup->selectItemAtIndex(selected);
    } else {
        _defaultCall.reset();
        addItem(*_defaultCallPopup, QXLS("msg.contact.menu.none", "None"), "", this, 0);
    }
}

void ContactEditorController::addressForPresenceMenuNeedsUpdate() {
    empty(*_defaultPresencePopup);
    const auto all = accounts();
    long selected = -1;
    for (std::size_t i = 0; i < _presenceAddresses.size(); ++i) {
        const auto& row = _presenceAddresses[i];
        if (row->addressType != OVField::fieldSoftphone &&
            row->addressType != OVField::fieldJidAddr) {
            continue;
        }
        const std::string title = trimmedSpaces(row->addressValue);
        const auto at = title.find('@');
        const std::string domain = at == std::string::npos ? title : title.substr(at + 1);
        // Offered only while an enabled account serves its domain.
        if (title.empty() || std::none_of(all.begin(), all.end(), [&](const auto& account) {
                return account->domain() == domain && account->status() == OVAccount::statusEnabled;
            })) {
            continue;
        }
        addItem(*_defaultPresencePopup, title, "updateDefaultPresenceAddress:", this,
                static_cast<long>(i) + 1);
        if (row == _defaultPresence) {
            selected = _defaultPresencePopup->numberOfItems() - 1;
        }
    }
    if (selected < 0 && _defaultPresencePopup->numberOfItems() > 0) {
        selected = _defaultPresencePopup->numberOfItems() - 1;
    }
    if (selected >= 0) {
        _defaultPresencePopup->selectItemAtIndex(selected);
        _defaultPresence = _presenceAddresses[_defaultPresencePopup->selectedItem()->tag() - 1];
    } else {
        _defaultPresence.reset();
        addItem(*_defaultPresencePopup, QXLS("msg.contact.menu.none", "None"),
                "updateDefaultPresenceAddress:", this, 0);
    }
    _defaultPresencePopup->setHidden(!_defaultPresence);
    _defaultPresenceLabel->setHidden(!_defaultPresence);
}

void ContactEditorController::addressForSMSMenuNeedsUpdate() {
    empty(*_defaultSMSPopup);
    const auto all = accounts();
    const bool sms = std::any_of(all.begin(), all.end(), [](const auto& account) {
        return account->status() == OVAccount::statusEnabled &&
               account->isFeatureEnabled(OVAccount::featureSMS);
    });
    long selected = -1;
    if (sms) {
        for (std::size_t i = 0; i < _callAddresses.size(); ++i) {
            const auto& row = _callAddresses[i];
            const std::string title = trimmedSpaces(row->addressValue);
            if (row->addressType != OVField::fieldMobileNum || title.empty()) {
                continue;
            }
            addItem(*_defaultSMSPopup, title, "updateDefaultSMSAddress:", this,
                    static_cast<long>(i) + 1);
            if (row == _defaultSMS) {
                selected = _defaultSMSPopup->numberOfItems() - 1;
            }
        }
        // Without a choice the last mobile number is the one for text messages.
        if (selected < 0 && _defaultSMSPopup->numberOfItems() > 0) {
            selected = _defaultSMSPopup->numberOfItems() - 1;
        }
    }
    if (selected >= 0) {
        _defaultSMSPopup->selectItemAtIndex(selected);
        _defaultSMS = _callAddresses[_defaultSMSPopup->selectedItem()->tag() - 1];
    } else {
        _defaultSMS.reset();
        addItem(*_defaultSMSPopup, QXLS("msg.contact.menu.none", "None"),
                "updateDefaultSMSAddress:", this, 0);
    }
    _defaultSMSPopup->setHidden(!_defaultSMS);
    _defaultSMSLabel->setHidden(!_defaultSMS);
}

void ContactEditorController::chooseFromMenu(std::string_view action, platform::Object* sender) {
    const auto* item = dynamic_cast<platform::MenuItem*>(sender);
    if (!item) {
        return;
    }
    const auto at = [&](const std::vector<EditableAddressPtr>& list) -> EditableAddressPtr {
        const long tag = item->tag();
        return tag > 0 && tag <= static_cast<long>(list.size()) ? list[tag - 1] : nullptr;
    };
    if (action == "updateGroupsForContact:") {
        if (item->representedObject().isString()) {
            updateGroupsForContact(item->representedObject().stringValue());
        }
        return;
    }
    if (action == "updateDefaultForAvatar:") {
        const long tag = item->tag();
        if (tag > 0 && tag <= static_cast<long>(_sources.size())) {
            _defaultAvatar = _sources[tag - 1];
        }
    } else if (action == "updateDefaultForDisplay:") {
        const long tag = item->tag();
        if (tag > 0 && tag <= static_cast<long>(_sources.size())) {
            _defaultDisplay = _sources[tag - 1];
            _displayName = _defaultDisplay->displayName();
        }
    } else if (action == "updateDefaultCallAddress:") {
        if (auto row = at(_callAddresses)) {
            _defaultCall = row;
        }
    } else if (action == "updateDefaultPresenceAddress:") {
        _defaultPresence = at(_presenceAddresses);
    } else if (action == "updateDefaultSMSAddress:") {
        _defaultSMS = at(_callAddresses);
    }
    updateDisplay();
}
