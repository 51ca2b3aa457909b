#pragma once

#include "engine/ContactFileFormats.h"

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The contacts of each user in the engine's SQLite database (the file of EngineStore, through
// a connection of its own): a contacts table, their fields by type and role, and their groups.
// A user's list is seeded once from the network's provisioning; from then on the store is
// what the user has.
class ContactStore {
public:
    ContactStore();
    ~ContactStore();
    ContactStore(const ContactStore&) = delete;
    ContactStore& operator=(const ContactStore&) = delete;

    // A contact as stored: its row, presence subscription and the record.
    struct StoredContact {
        long long id = 0;
        bool presenceSubscription = false;
        ContactRecord record;
    };
    // A contact to add, with its subscription.
    struct NewContact {
        ContactRecord record;
        bool presenceSubscription = false;
    };

    // nullopt on success, else why the database cannot be used. Creates the tables.
    std::optional<std::string> open(const std::filesystem::path& file);
    void close();
    bool isOpen() const;

    // Whether the owner's list has been seeded (it may be empty since).
    bool hasList(const std::string& owner) const;
    // The owner's contacts in their order.
    std::vector<StoredContact> contacts(const std::string& owner) const;
    // In one transaction: removes the owner's contacts when `eraseExisting`, appends the new
    // ones and marks the list as seeded. Either all of it is written or nothing; the new rows'
    // ids are appended to `ids`. nullopt on success, else the database's reason.
    std::optional<std::string> write(const std::string& owner, const std::vector<NewContact>& add,
                                     bool eraseExisting, std::vector<long long>* ids = nullptr);
    // Rewrites stored contacts (name, fields and groups) by id, all in one transaction.
    std::optional<std::string>
    update(const std::vector<std::pair<long long, ContactRecord>>& contacts);
    // Deletes contacts by id, with their fields, groups and merges.
    std::optional<std::string> remove(const std::vector<long long>& ids);
    // The contacts merged into each head: the members' ids of `head` become `members` (none
    // undoes the merge). A member belongs to one head.
    std::optional<std::string> setMerged(long long head, const std::vector<long long>& members);
    // The owner's merges: each member's head.
    std::map<long long, long long> merges(const std::string& owner) const;
    // The owner's blocked addresses, as protocol and address.
    std::optional<std::string> setBlocked(const std::string& owner, int protocol,
                                          const std::vector<std::string>& addresses, bool blocked);
    std::vector<std::pair<int, std::string>> blocked(const std::string& owner) const;

    // The owner's groups by name, in the order they were made, also those without contacts.
    std::vector<std::string> groups(const std::string& owner) const;
    // Lists groups (a name already listed keeps its place).
    std::optional<std::string> addGroups(const std::string& owner,
                                         const std::vector<std::string>& names);
    // Renames a group, for the contacts in it too, in one transaction.
    std::optional<std::string> renameGroup(const std::string& owner, const std::string& from,
                                           const std::string& to);
    std::optional<std::string> removeGroup(const std::string& owner, const std::string& name);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
