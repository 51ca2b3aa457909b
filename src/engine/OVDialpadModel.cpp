#include "engine/OVDialpadModel.h"

#include "engine/ConversationService.h"
#include "engine/OVNumberEntryModel.h"
#include "engine/PhoneService.h"
#include "engine/StartupService.h"

namespace {

bool isDialKey(int key) {
    return (key >= '0' && key <= '9') || key == '*' || key == '#';
}

} // namespace

void OVDialpadModel::setPressedKey(int key) {
    if (key == pressedKey_)
        return;
    pressedKey_ = key;
    const std::string property(pressedKeyProperty);
    notifyDelegates([&](OVDialpadModelPro& d) { d.ovmdDialpadPropertyChanged(property); });
}

void OVDialpadModel::keyIsPressed(int key) {
    keyLog_.push_back(std::string("+") + static_cast<char>(key));
    if (!isDialKey(key))
        return;
    if (auto phone = StartupService::instance().phoneService()) {
        const auto calls = phone->getConversationService();
        if (auto live = calls->getLiveConversation()) {
            live->sendTone(static_cast<char>(key));
        } else if (auto entry = calls->dialingEntry()) {
            // No call to send it down: the key is typed at the end of the number being dialled.
            entry->keyIsPressed(key);
            entry->setNumberEntered(entry->numberEntered() + static_cast<char>(key));
            entry->requestFocus();
            typedInto_ = entry;
        }
    }
    setPressedKey(key);
}

void OVDialpadModel::keyIsReleased(int key) {
    keyLog_.push_back(std::string("-") + static_cast<char>(key));
    if (auto entry = typedInto_.lock(); entry && key == pressedKey_)
        entry->keyIsReleased(key);
    if (key == pressedKey_) {
        typedInto_.reset();
        setPressedKey(0);
    }
}
