#pragma once

#include "engine/AutoCompleteIndex.h"
#include "engine/CallHistoryItem.h"
#include "engine/DelegateList.h"
#include "engine/OVAutoCompleteItem.h"
#include "platform/foundation/Object.h"

#include <memory>
#include <vector>

class ConversationService;

// A call of the history as the interface handles it: shown, redialled and dragged.
class OVModelCallHistoryItem : public CallHistoryItem {
public:
    OVModelCallHistoryItem(CallHistoryRecord record, std::weak_ptr<ConversationService> calls);

    const CallHistoryRecord& record() const { return record_; }
    const std::string& address() const { return record_.address; }
    const std::string& callAddress() const { return record_.address; }
    std::string addressToDisplay() const { return item_->addressToDisplay(); }
    OVAddressType addressType() const { return record_.addressType; }
    bool isRemotePartyAnonymous() const;
    std::shared_ptr<OVSpaceItem> getSpaceItem() const { return item_; }

    // Call the party again; nothing when no call may be placed now.
    void audioCall();
    void videoCall();
    void conferenceCall();

private:
    CallHistoryRecord record_;
    std::shared_ptr<OVSpaceItem> item_;
    std::weak_ptr<ConversationService> calls_;
};

class OVCallHistoryServicePro {
public:
    virtual ~OVCallHistoryServicePro() = default;
    virtual void missedCallsChanged(int /*unreviewed*/) {}
    // A call was added to the history.
    virtual void historyChanged() {}
};

// The call history: every call placed or received in the session, kept in the engine's store,
// and the count of missed calls the user has not looked at.
class CallHistoryService : public platform::Object,
                           public DelegatingService<OVCallHistoryServicePro> {
public:
    explicit CallHistoryService(std::weak_ptr<ConversationService> calls = {})
        : calls_(std::move(calls)) {}

    int unreviewedMissedCalls() const { return unreviewed_; }
    int missedCallCount() const { return unreviewed_; }
    bool isReviewedAll() const { return unreviewed_ == 0; }
    void setReviewedAll() { setUnreviewed(0); }
    // The addresses last called, newest first, each once.
    std::vector<std::shared_ptr<OVModelCallHistoryItem>> redialHistoryItems() const;
    // Every call, newest first.
    std::vector<std::shared_ptr<OVModelCallHistoryItem>> historyItems(int limit = 500) const;

    static constexpr int redialListLength = 20;

    // Engine side: the store the history lives in (nullptr when none), a call to keep, and a
    // missed call (kept and counted).
    void setIndex(AutoCompleteIndex* index) { index_ = index; }
    void addCall(CallHistoryRecord record);
    void addMissedCall() { setUnreviewed(unreviewed_ + 1); }

private:
    void setUnreviewed(int count);
    std::vector<std::shared_ptr<OVModelCallHistoryItem>> items(int limit, bool outgoingOnly,
                                                               bool distinct) const;
    std::weak_ptr<ConversationService> calls_;
    AutoCompleteIndex* index_ = nullptr;
    int unreviewed_ = 0;
};
