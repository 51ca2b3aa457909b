#pragma once

#include "engine/ContactFileFormats.h"
#include "engine/DelegateList.h"
#include "engine/EngineBackend.h"
#include "engine/OVConstants.h"
#include "engine/OVObject.h"

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

class ContactStore;
class EngineContext;
class OVEntity;

// Callbacks of a presence record.
class OVPresenceDataPro {
public:
    virtual ~OVPresenceDataPro() = default;
    virtual void ovpdOnPropertyChanged() {}
};

// The presence of one contact as the network last reported it.
class OVPresenceData : public OVObject, public DelegatingService<OVPresenceDataPro> {
public:
    static constexpr OVPresenceStatus statusNone = OVPresenceStatus::statusNone;
    static constexpr OVPresenceStatus statusAvailable = OVPresenceStatus::statusAvailable;
    static constexpr OVPresenceStatus statusBusy = OVPresenceStatus::statusBusy;
    static constexpr OVPresenceStatus statusAway = OVPresenceStatus::statusAway;
    static constexpr OVPresenceStatus statusIdle = OVPresenceStatus::statusIdle;
    static constexpr OVPresenceStatus statusOnThePhone = OVPresenceStatus::statusOnThePhone;
    static constexpr OVPresenceStatus statusNotAvailableForCalls =
        OVPresenceStatus::statusNotAvailableForCalls;
    static constexpr OVPresenceStatus statusDoNotDisturb = OVPresenceStatus::statusDoNotDisturb;
    static constexpr OVPresenceStatus statusOffline = OVPresenceStatus::statusOffline;

    OVPresenceStatus status() const { return status_; }
    const std::string& message() const { return message_; }
    // Whether the status counts as offline (offline or none).
    static bool isOfflineStatus(OVPresenceStatus status) {
        return status == statusOffline || status == statusNone;
    }

    // Engine side: tells the delegates when anything changed.
    void update(OVPresenceStatus status, std::string message);

private:
    OVPresenceStatus status_ = OVPresenceStatus::statusNone;
    std::string message_;
};

// One address or property of a contact.
class OVField : public OVObject {
public:
    OVField(std::string name, std::string value)
        : name_(std::move(name)), value_(std::move(value)) {}
    const std::string& name() const { return name_; }
    const std::string& valueStr() const { return value_; }
    const std::string& valueStrToDisplay() const { return value_; }

private:
    std::string name_;
    std::string value_;
};

// Callbacks of an entity, for its observers; none has arguments.
class OVEntityObserver {
public:
    virtual ~OVEntityObserver() = default;
    virtual void ovetOnPropertyChanged() {}
    virtual void ovetOnEntityCollectionChanged() {}
    virtual void ovetOnFieldCollectionChanged() {}
    virtual void ovetOnPresenceLocatorCollectionChanged() {}
    virtual void ovetOnPresencePropertyChanged() {}
    virtual void ovetOnFieldPropertyChanged() {}
};

// A node of the contact store: a group, or a contact with its fields and presence. The store
// is small here; it knows the groups and contacts of the session's provisioning.
class OVEntity : public OVObject, public std::enable_shared_from_this<OVEntity> {
public:
    enum class Type { typeGroup, typeLogicalContact, typePhysicalContact };
    static constexpr Type typeGroup = Type::typeGroup;
    static constexpr Type typeLogicalContact = Type::typeLogicalContact;
    static constexpr Type typePhysicalContact = Type::typePhysicalContact;

    OVEntity(long long uniqueId, Type type, std::string displayName);

    long long uniqueId() const { return uniqueId_; }
    Type type() const { return type_; }
    const std::string& displayName() const { return displayName_; }
    void setDisplayName(std::string name);

    std::vector<std::shared_ptr<OVEntity>> entities() const { return entities_; }
    std::vector<std::shared_ptr<OVEntity>> parentEntities() const;
    bool hasParentEntities() const { return !parentEntities().empty(); }
    void addEntity(const std::shared_ptr<OVEntity>& child);
    void removeEntity(const std::shared_ptr<OVEntity>& child);
    // Removes every child at once, with one notification.
    void removeAllEntities();

    const std::vector<std::shared_ptr<OVField>>& fields() const { return fields_; }
    std::shared_ptr<OVField> getFieldByName(std::string_view name) const;
    void updateField(std::string name, std::string value);
    // Whether one of the address fields holds the address (without regard to case).
    bool hasAddress(std::string_view address) const;
    // Whether two addresses name the same party: equal without regard to case, with or
    // without a "sip:", "sips:", "xmpp:" or "tel:" scheme.
    static bool sameAddress(std::string_view a, std::string_view b);

    // The contact's presence, nullptr for a group.
    std::shared_ptr<OVPresenceData> defaultPresence() const { return presence_; }
    int presenceStatus() const;

    void addObserver(OVEntityObserver* observer) { observers_.add(observer); }
    void removeObserver(OVEntityObserver* observer) { observers_.remove(observer); }
    // Engine side.
    template <class F> void notifyObservers(F&& f) const { observers_.forEach(std::forward<F>(f)); }

    std::string description() const override { return displayName_; }

private:
    long long uniqueId_;
    Type type_;
    std::string displayName_;
    std::vector<std::shared_ptr<OVEntity>> entities_;
    std::vector<std::weak_ptr<OVEntity>> parents_;
    std::vector<std::shared_ptr<OVField>> fields_;
    std::shared_ptr<OVPresenceData> presence_;
    DelegateList<OVEntityObserver> observers_;
};

// Callbacks of the contact manager.
class OVContactManagerPro {
public:
    virtual ~OVContactManagerPro() = default;
    virtual void ContactsAdded(const std::vector<std::shared_ptr<OVEntity>>& /*contacts*/) {}
    virtual void ContactsRemoved(const std::vector<std::shared_ptr<OVEntity>>& /*contacts*/) {}
};

// The contact store: the root's children are the groups, a group's children its contacts.
class OVContactManager : public platform::Object, public DelegatingService<OVContactManagerPro> {
public:
    explicit OVContactManager(std::shared_ptr<EngineContext> context = nullptr);
    ~OVContactManager() override;

    std::shared_ptr<OVEntity> getVeyraRoot() const { return root_; }
    // Every contact, each once, in the order of the groups.
    std::vector<std::shared_ptr<OVEntity>> allContacts() const;
    // Contacts holding the address; the lookup text and display name are not used here.
    std::vector<std::shared_ptr<OVEntity>>
    lookup(std::string_view lookupText, std::string_view address, std::string_view display) const;

    // Engine side: the session's contacts (those in no group go into the group of that
    // name), and an empty store after it.
    void loadContacts(const std::vector<ContactConfig>& contacts,
                      const std::string& ungroupedGroupName);
    void clear();

    // Engine side: the session of `owner`. With a store file (the engine's database) the
    // contacts are the owner's stored list, seeded from `provisioned` the first time; without
    // one, `provisioned` alone, kept in memory. When the file cannot be used the list shows
    // `provisioned` too, but nothing can be added to it until the store opens: an import
    // tries the store again and fails with its reason rather than keep contacts that would be
    // gone after a restart. Provisioned contacts bring the presence the network reports for
    // their addresses.
    void loadSession(const std::string& owner, const std::vector<ContactConfig>& provisioned,
                     const std::string& ungroupedGroupName,
                     const std::optional<std::filesystem::path>& storeFile);
    // Whether a session's contacts are loaded (from loadSession until clear).
    bool hasSession() const { return session_.has_value(); }
    // Adds contacts to the store and the list, all or nothing, after removing the present
    // ones when `eraseExisting`. A record equal to a contact already there (name and fields)
    // is skipped. The subscription: forced on or off, or (nullopt) on for contacts with an
    // address. Answers the number added, or why nothing was (the store cannot be opened or
    // written: then nothing is added, removed or lost).
    std::variant<int, std::string> importRecords(const std::vector<ContactRecord>& records,
                                                 bool eraseExisting,
                                                 std::optional<bool> presenceSubscription);
    // Every contact as a record, in the order of allContacts.
    std::vector<ContactRecord> contactRecords() const;
    // Whether the contact's presence is watched (imported without subscription it is not).
    bool presenceSubscription(const OVEntity& contact) const;

private:
    struct ContactMeta {
        long long storeId = 0;
        bool presenceSubscription = true;
        // The groups as stored; a contact in none shows in the ungrouped group.
        std::vector<std::string> groups;
    };
    struct Session {
        std::string owner;
        std::string ungroupedGroupName;
        std::map<std::string, std::pair<OVPresenceStatus, std::string>> provisionedPresence;
        std::vector<ContactConfig> provisioned;
    };
    std::shared_ptr<OVEntity> groupNamed(const std::string& name);
    // Opens the session's store and seeds the owner's list when it has none; nullopt on
    // success, else the reason (the store is then closed).
    std::optional<std::string> openStore();
    // Shows the owner's stored list in place of what the list holds.
    void showStoredList();
    std::vector<std::shared_ptr<OVEntity>> addContacts(const std::vector<ContactConfig>& contacts,
                                                       const std::string& ungroupedGroupName);
    ContactConfig configFor(const ContactRecord& record, bool presenceSubscription) const;
    std::shared_ptr<EngineContext> context_;
    std::shared_ptr<OVEntity> root_;
    long long nextUniqueId_ = 1;
    std::optional<Session> session_;
    std::unique_ptr<ContactStore> store_;
    // The session's store file while one is meant to keep the list, open or not.
    std::optional<std::filesystem::path> storeFile_;
    std::map<const OVEntity*, ContactMeta> meta_;
};
