#pragma once

#include "engine/OVObject.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

class EngineContext;
class OVEntity;

// One recipient of a broadcast: the contact and the address chosen for it.
struct BroadcastRecipient {
    // What the address is: a mobile number, a chat (XMPP) address, or another address.
    enum Type { typeOther = 0, typeXmpp = 1, typeMobile = 4 };
    std::shared_ptr<OVEntity> contact;
    int type = typeOther;
    // As the user reads it, and as the network takes it.
    std::string address;
    std::string addressWithProtocol;
};

// Sends one message to several parties at once, as chat messages or as text messages. Each
// recipient's address gets the message once, without a session: nothing comes back into a
// chat window.
class OVBroadcastMessenger : public OVObject {
public:
    OVBroadcastMessenger(std::shared_ptr<EngineContext> context, bool sms);

    bool isSms() const { return sms_; }
    void updateRecipients(std::vector<BroadcastRecipient> recipients);
    const std::vector<BroadcastRecipient>& recipients() const { return recipients_; }
    // Whether a broadcast can go now: there are recipients and an enabled account of the kind.
    bool canBroadcast() const;
    // Sends the text (with its HTML for chat messages) to every recipient.
    void broadcast(const std::string& text, const std::string& html);
    // Characters still allowed in a text message holding `text`; -1 for chat messages.
    int textLeft(std::string_view text) const;

    // What went out, in order: one entry per recipient and broadcast.
    struct Sent {
        std::string address;
        std::string text;
        std::string html;
        bool delivered = true;
    };
    const std::vector<Sent>& sent() const { return sent_; }

private:
    std::shared_ptr<EngineContext> context_;
    bool sms_;
    std::vector<BroadcastRecipient> recipients_;
    std::vector<Sent> sent_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
