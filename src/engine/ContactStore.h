#pragma once

#include "engine/ContactFileFormats.h"

#include <filesystem>
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

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
