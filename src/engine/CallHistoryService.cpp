#include "engine/CallHistoryService.h"

#include "engine/ConversationService.h"

#include <chrono>

OVModelCallHistoryItem::OVModelCallHistoryItem(CallHistoryRecord record,
                                               std::weak_ptr<ConversationService> calls)
    : CallHistoryItem(record.display.empty() ? OVSpaceItem::addressWithoutScheme(record.address)
                                             : record.display,
                      false),
      record_(std::move(record)),
      item_(std::make_shared<OVSpaceItem>(record_.display, record_.address, record_.addressType,
                                          record_.entityID, record_.entityID >= 0)),
      calls_(std::move(calls)) {}

bool OVModelCallHistoryItem::isRemotePartyAnonymous() const {
    return record_.address.empty() || record_.address.find("anonymous") != std::string::npos;
}

void OVModelCallHistoryItem::audioCall() {
    if (auto calls = calls_.lock(); calls && !isRemotePartyAnonymous())
        calls->audioConversation(record_.address, record_.entityID);
}

void OVModelCallHistoryItem::videoCall() {
    if (auto calls = calls_.lock(); calls && !isRemotePartyAnonymous())
        calls->videoConversation(record_.address, record_.entityID);
}

void OVModelCallHistoryItem::conferenceCall() {
    if (auto calls = calls_.lock(); calls && !isRemotePartyAnonymous())
        calls->conferenceConversation(record_.address, record_.entityID);
}

std::vector<std::shared_ptr<OVModelCallHistoryItem>>
CallHistoryService::items(int limit, bool outgoingOnly, bool distinct) const {
    std::vector<std::shared_ptr<OVModelCallHistoryItem>> result;
    if (!index_)
        return result;
    for (auto& record : index_->recentCalls(limit, outgoingOnly, distinct))
        result.push_back(std::make_shared<OVModelCallHistoryItem>(std::move(record), calls_));
    return result;
}

std::vector<std::shared_ptr<OVModelCallHistoryItem>>
CallHistoryService::redialHistoryItems() const {
    return items(redialListLength, true, true);
}

std::vector<std::shared_ptr<OVModelCallHistoryItem>>
CallHistoryService::historyItems(int limit) const {
    return items(limit, false, false);
}

void CallHistoryService::addCall(CallHistoryRecord record) {
    if (record.started == 0) {
        record.started =
            std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch())
                .count();
    }
    if (index_ && index_->addCall(record))
        notifyDelegates([](OVCallHistoryServicePro& d) { d.historyChanged(); });
}

void CallHistoryService::setUnreviewed(int count) {
    if (count != unreviewed_) {
        unreviewed_ = count;
        notifyDelegates([&](OVCallHistoryServicePro& d) { d.missedCallsChanged(count); });
    }
}
