#pragma once

#include "engine/OVConstants.h"
#include "engine/OVContactManager.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One call of the history as the store keeps it.
struct CallHistoryRecord {
    long long id = 0;
    std::string address;
    std::string display;
    OVAddressType addressType = OVAddressType::softphone;
    // The contact's unique id in the session that made the call, -1 for none.
    long long entityID = -1;
    bool incoming = false;
    bool missed = false;
    bool video = false;
    // Seconds since 1970.
    double started = 0;
};

// One suggestion for typed text: a contact's callable address, or an address of the history.
struct SuggestionRecord {
    std::string displayName;
    std::string address;
    OVAddressType addressType = OVAddressType::softphone;
    long long entityID = -1;
    bool isContact = false;
    // When the address was last called or heard from (history only; 0 for contacts).
    double lastUsed = 0;
};

// The engine's index for suggestions and the call history, in SQLite. The history is kept per
// user in the engine's database file (table call_history with its search terms); the contacts'
// search terms are derived from the session's contacts and live in a temporary table of the
// same connection. Every term is a lower-cased word of a name or an address, so a prefix is a
// range scan of an index whatever the size of the lists. It follows the contact manager it is
// made a delegate of.
class AutoCompleteIndex : public OVContactManagerPro {
public:
    AutoCompleteIndex();
    ~AutoCompleteIndex() override;
    AutoCompleteIndex(const AutoCompleteIndex&) = delete;
    AutoCompleteIndex& operator=(const AutoCompleteIndex&) = delete;

    // Opens the database file (created with its tables when missing), or a private in-memory
    // one without a file. nullopt on success, else why it cannot be used.
    std::optional<std::string> open(const std::optional<std::filesystem::path>& file);
    void close();
    bool isOpen() const;
    // Whose history is read and written.
    void setOwner(std::string owner) { owner_ = std::move(owner); }

    // The contacts' callable addresses under their names' and addresses' terms.
    void addContacts(const std::vector<std::shared_ptr<OVEntity>>& contacts);
    void removeContacts(const std::vector<long long>& entityIDs);
    void clearContacts();
    void ContactsAdded(const std::vector<std::shared_ptr<OVEntity>>& contacts) override {
        addContacts(contacts);
    }
    void ContactsRemoved(const std::vector<std::shared_ptr<OVEntity>>& contacts) override;

    // Appends a call to the owner's history; its id, or nullopt when it could not be written.
    std::optional<long long> addCall(const CallHistoryRecord& record);
    // Appends calls in one transaction: all of them are written, or none (false).
    bool addCalls(const std::vector<CallHistoryRecord>& records);
    // The owner's calls, newest first; outgoing only when asked, one per address when
    // `distinctAddresses`.
    std::vector<CallHistoryRecord> recentCalls(int limit, bool outgoingOnly,
                                               bool distinctAddresses) const;

    // Contacts, then history addresses no contact holds, whose names or addresses have a
    // word beginning with the text (without regard to case; digits also match inside phone
    // numbers written with separators). At most `limit` of each kind.
    std::vector<SuggestionRecord> suggestions(std::string_view text, int limit) const;

    // The lower-cased words a name or address is found by.
    static std::vector<std::string> termsOf(std::string_view text);

private:
    std::optional<long long> insertCall(const CallHistoryRecord& record);
    struct Impl;
    std::unique_ptr<Impl> impl_;
    std::string owner_;
};
