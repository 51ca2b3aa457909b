#include "engine/OVDialpadModel.h"

#include "engine/ConversationService.h"
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
        if (auto live = phone->getConversationService()->getLiveConversation())
            live->sendTone(static_cast<char>(key));
    }
    setPressedKey(key);
}

void OVDialpadModel::keyIsReleased(int key) {
    keyLog_.push_back(std::string("-") + static_cast<char>(key));
    if (key == pressedKey_)
        setPressedKey(0);
}
