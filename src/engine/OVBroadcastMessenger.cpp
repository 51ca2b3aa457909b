#include "engine/OVBroadcastMessenger.h"

#include "engine/AccountService.h"
#include "engine/EngineContext.h"
#include "engine/OVContactManager.h"
#include "engine/OVIMService.h"
#include "engine/PhoneService.h"

#include <algorithm>

namespace {

constexpr int kMaxTextMessageLength = IMSession::maxTextMessageLength;

std::size_t characterCount(std::string_view text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

} // namespace

OVBroadcastMessenger::OVBroadcastMessenger(std::shared_ptr<EngineContext> context, bool sms)
    : context_(std::move(context)), sms_(sms) {}

void OVBroadcastMessenger::updateRecipients(std::vector<BroadcastRecipient> recipients) {
    recipients_ = std::move(recipients);
}

bool OVBroadcastMessenger::canBroadcast() const {
    if (recipients_.empty() || !context_ || !context_->started()) {
        return false;
    }
    auto phone = context_->phone();
    return phone && phone->getAccountService()->defaultAccount(sms_ ? OVAccountFeature::featureSMS
                                                                    : OVAccountFeature::featureIM);
}

void OVBroadcastMessenger::broadcast(const std::string& text, const std::string& html) {
    if (text.empty() || !canBroadcast()) {
        return;
    }
    auto backend = context_->backend();
    if (!backend) {
        return;
    }
    // Two entries for one address (a contact shown twice) still send one message.
    std::vector<std::string> done;
    for (const auto& recipient : recipients_) {
        const std::string& address = recipient.addressWithProtocol.empty()
                                         ? recipient.address
                                         : recipient.addressWithProtocol;
        if (address.empty() || std::any_of(done.begin(), done.end(), [&](const std::string& other) {
                return OVEntity::sameAddress(other, address);
            })) {
            continue;
        }
        done.push_back(address);
        sent_.push_back(Sent{address, text, sms_ ? std::string() : html, true});
        const std::size_t index = sent_.size() - 1;
        std::weak_ptr<bool> alive = alive_;
        backend->sendMessage(address, text, context_->guard([this, alive, index](bool delivered) {
            if (alive.lock() && index < sent_.size()) {
                sent_[index].delivered = delivered;
            }
        }));
    }
}

int OVBroadcastMessenger::textLeft(std::string_view text) const {
    if (!sms_) {
        return -1;
    }
    const auto used = characterCount(text);
    return used >= static_cast<std::size_t>(kMaxTextMessageLength)
               ? 0
               : kMaxTextMessageLength - static_cast<int>(used);
}

std::shared_ptr<OVBroadcastMessenger> OVIMService::broadcastMessenger(bool sms) {
    return std::make_shared<OVBroadcastMessenger>(context_, sms);
}
