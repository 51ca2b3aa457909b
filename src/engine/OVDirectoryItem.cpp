#include "engine/OVDirectoryItem.h"

#include "engine/ConversationService.h"

void OVDirectoryItem::call() {
    if (auto calls = calls_.lock(); calls && !addresses_.empty())
        calls->audioConversation(addresses_.front(), -1);
}

void OVDirectoryItem::videoCall() {
    if (auto calls = calls_.lock(); calls && !addresses_.empty())
        calls->videoConversation(addresses_.front(), -1);
}

void OVDirectoryItem::conferenceCall() {
    if (auto calls = calls_.lock(); calls && !addresses_.empty())
        calls->conferenceConversation(addresses_.front(), -1);
}
