#pragma once

#include "engine/DelegateList.h"
#include "engine/OVObject.h"
#include "platform/foundation/Object.h"
#include "platform/foundation/Value.h"

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class ArchiveService;

// One archived transcript: the HTML body of a chat as it was shown when the session ended.
class ArchiveItem : public OVObject {
public:
    // What an item holds (the type column of the archive's lists).
    enum Kind { call = 0, instantMessage = 1, groupChat = 2, textMessage = 3 };

    ArchiveItem(long long id, std::string address, std::string content, platform::Date date,
                int type = instantMessage)
        : id_(id), address_(std::move(address)), content_(std::move(content)), date_(date),
          type_(type) {}
    long long itemID() const { return id_; }
    // The other party's address, without scheme.
    const std::string& address() const { return address_; }
    // The transcript; an item that a search answered reads it from the archive when first
    // asked, so that a search with thousands of hits copies no transcript nobody looks at.
    const std::string& content() const;
    platform::Date date() const { return date_; }
    int type() const { return type_; }
    // Deletes the item from the archive; its contact's delegates hear of it.
    void remove();

private:
    friend class ArchiveService;
    long long id_;
    std::string address_;
    mutable std::optional<std::string> content_;
    platform::Date date_;
    int type_;
    std::weak_ptr<ArchiveService> service_;
};

class OVArchiveContactPro {
public:
    virtual ~OVArchiveContactPro() = default;
    virtual void onArchiveItemAdded(const std::shared_ptr<ArchiveItem>& /*item*/) {}
    virtual void onArchiveItemUpdated(const std::shared_ptr<ArchiveItem>& /*item*/) {}
    virtual void onArchiveItemRemoved(const std::shared_ptr<ArchiveItem>& /*item*/) {}
    // The contact's items were replaced by the answer to a filter.
    virtual void onArchiveItemAllUpdated() {}
};

// The party of archived conversations, one per address.
class ArchiveContact : public OVObject,
                       public DelegatingService<OVArchiveContactPro>,
                       public std::enable_shared_from_this<ArchiveContact> {
public:
    ArchiveContact(std::weak_ptr<ArchiveService> service, std::string address,
                   std::string nameToDisplay)
        : service_(std::move(service)), address_(std::move(address)),
          nameToDisplay_(std::move(nameToDisplay)) {}

    const std::string& address() const { return address_; }
    const std::string& nameToDisplay() const { return nameToDisplay_; }
    // The items of the last filter (every item until one runs), oldest first.
    const std::vector<std::shared_ptr<ArchiveItem>>& archiveItems() const { return items_; }

    // Item type codes of a filter: the item kind plus one, 0 for every kind.
    enum FilterType { allTypes = 0 };
    // Replaces archiveItems by the items of the type whose text holds every word of `text`,
    // answered by onArchiveItemAllUpdated on a later pass of the main run loop.
    void filterForItemsOfType(int type, const std::string& text);
    // Deletes every item of the party.
    void remove();

private:
    friend class ArchiveService;
    std::weak_ptr<ArchiveService> service_;
    std::string address_;
    std::string nameToDisplay_;
    std::vector<std::shared_ptr<ArchiveItem>> items_;
    std::uint64_t filterGeneration_ = 0;
};

class OVArchiveServicePro {
public:
    virtual ~OVArchiveServicePro() = default;
    virtual void onArchiveItemAdded(const std::shared_ptr<ArchiveItem>& /*item*/) {}
    virtual void onArchiveContactAdded(const std::shared_ptr<ArchiveContact>& /*contact*/) {}
    virtual void onArchiveContactRemoved(const std::shared_ptr<ArchiveContact>& /*contact*/) {}
    virtual void onArchiveContactUpdated(const std::shared_ptr<ArchiveContact>& /*contact*/) {}
    // archiveContacts holds every party now.
    virtual void onArchiveContactAllUpdated() {}
};

// The message archive: transcripts kept per owner (the signed-in user) and party in the
// engine's SQLite database, or in memory for a session without one. The words of each
// transcript's text (never its markup) are kept in a full-text index, folded for case and
// accents, which answers searches.
class ArchiveService : public platform::Object,
                       public DelegatingService<OVArchiveServicePro>,
                       public std::enable_shared_from_this<ArchiveService> {
public:
    ArchiveService();
    ~ArchiveService() override;
    ArchiveService(const ArchiveService&) = delete;
    ArchiveService& operator=(const ArchiveService&) = delete;

    // Opens the database file (creating the tables), or a private in-memory one without a
    // file; nullopt on success, else why it cannot be used.
    std::optional<std::string> open(const std::optional<std::filesystem::path>& file,
                                    std::string owner);
    void close();
    bool isOpen() const;

    // Names the parties in the lists (the contact's name for an address); the address itself
    // without one.
    void setNameResolver(std::function<std::string(const std::string& address)> resolver) {
        nameResolver_ = std::move(resolver);
    }

    // Keeps a transcript with the party; the new item, or nullptr when it could not be written.
    std::shared_ptr<ArchiveItem> save(const std::string& address, const std::string& content,
                                      platform::Date date, int type = ArchiveItem::instantMessage);
    // The owner's items with the party, oldest first.
    std::vector<std::shared_ptr<ArchiveItem>> itemsFor(const std::string& address) const;
    std::shared_ptr<ArchiveItem> latestFor(const std::string& address) const;
    // The owner's items (with one party, or with any when `address` is empty) of the filter
    // type whose text holds every word of `text` (a word matches words it begins), oldest
    // first; every item of the type for an empty text.
    std::vector<std::shared_ptr<ArchiveItem>>
    search(const std::string& text, const std::string& address = {},
           int filterType = ArchiveContact::allTypes) const;

    // The parties the owner has archives with, by name; filled by queryContacts.
    const std::vector<std::shared_ptr<ArchiveContact>>& archiveContacts() const {
        return contacts_;
    }
    // Reads the parties, answered by onArchiveContactAllUpdated on a later pass.
    void queryContacts();
    // Whether anything is archived with the address.
    bool inArchive(const std::string& address) const;

    // Deletes one item, or every item of a party.
    bool removeItem(const ArchiveItem& item);
    bool removeContact(const ArchiveContact& contact);

    // The address as items are filed under: lower case, without a scheme or parameters.
    static std::string archiveKey(std::string_view address);
    // The text of a transcript as it reads: markup, comments, scripts and styles left out,
    // character references decoded, each tag a word break.
    static std::string plainText(std::string_view html);
    // A full-text query in which every word of the text must begin a word of the transcript;
    // empty when the text has no word.
    static std::string matchQuery(std::string_view text);

private:
    struct Impl;
    std::shared_ptr<ArchiveContact> contactFor(const std::string& key, bool* made);
    std::string nameFor(const std::string& key) const;
    std::shared_ptr<ArchiveItem> makeItem(long long id, std::string address,
                                          std::optional<std::string> content, platform::Date date,
                                          int type) const;
    friend class ArchiveItem;
    std::string contentOf(long long id) const;
    void indexMissingWords();
    std::unique_ptr<Impl> impl_;
    std::string owner_;
    std::function<std::string(const std::string&)> nameResolver_;
    std::vector<std::shared_ptr<ArchiveContact>> contacts_;
};
