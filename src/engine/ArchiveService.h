#pragma once

#include "engine/DelegateList.h"
#include "engine/OVObject.h"
#include "platform/foundation/Object.h"
#include "platform/foundation/Value.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// One archived transcript: the HTML body of a chat as it was shown when the session ended.
class ArchiveItem : public OVObject {
public:
    ArchiveItem(long long id, std::string address, std::string content, platform::Date date)
        : id_(id), address_(std::move(address)), content_(std::move(content)), date_(date) {}
    long long itemID() const { return id_; }
    // The other party's address, without scheme.
    const std::string& address() const { return address_; }
    const std::string& content() const { return content_; }
    platform::Date date() const { return date_; }
    // Chats are the only kind of item kept so far.
    int type() const { return 0; }

private:
    long long id_;
    std::string address_;
    std::string content_;
    platform::Date date_;
};

class OVArchiveServicePro {
public:
    virtual ~OVArchiveServicePro() = default;
    virtual void onArchiveItemAdded(const std::shared_ptr<ArchiveItem>& /*item*/) {}
};

// The message archive: transcripts kept per owner (the signed-in user) and party in the
// engine's SQLite database, or in memory for a session without one.
class ArchiveService : public platform::Object, public DelegatingService<OVArchiveServicePro> {
public:
    ArchiveService();
    ~ArchiveService() override;
    ArchiveService(const ArchiveService&) = delete;
    ArchiveService& operator=(const ArchiveService&) = delete;

    // Opens the database file (creating the table), or a private in-memory one without a
    // file; nullopt on success, else why it cannot be used.
    std::optional<std::string> open(const std::optional<std::filesystem::path>& file,
                                    std::string owner);
    void close();
    bool isOpen() const;

    // Keeps a transcript with the party; the new item, or nullptr when it could not be written.
    std::shared_ptr<ArchiveItem> save(const std::string& address, const std::string& content,
                                      platform::Date date);
    // The owner's items with the party, oldest first.
    std::vector<std::shared_ptr<ArchiveItem>> itemsFor(const std::string& address) const;
    std::shared_ptr<ArchiveItem> latestFor(const std::string& address) const;

    // The address as items are filed under: lower case, without a scheme or parameters.
    static std::string archiveKey(std::string_view address);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    std::string owner_;
};
