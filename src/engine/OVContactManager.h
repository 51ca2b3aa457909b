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
#include <set>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

class ContactStore;
class OVContactManager;
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

// One address or property of a contact. Its name is one of the constants below (the address
// names of OVFieldNames among them); its type says what the value may be used for, as bits.
class OVField : public OVObject {
public:
    static constexpr std::string_view fieldDisplayName = "displayName";
    static constexpr std::string_view fieldFirstName = "firstName";
    static constexpr std::string_view fieldLastName = "lastName";
    static constexpr std::string_view fieldOrganization = "organization";
    static constexpr std::string_view fieldSoftphone = OVFieldNames::fieldSoftphone;
    static constexpr std::string_view fieldJidAddr = OVFieldNames::fieldJidAddr;
    static constexpr std::string_view fieldHomeNum = OVFieldNames::fieldHomeNum;
    static constexpr std::string_view fieldWorkNum = OVFieldNames::fieldWorkNum;
    static constexpr std::string_view fieldMobileNum = OVFieldNames::fieldMobileNum;
    static constexpr std::string_view fieldFaxNum = OVFieldNames::fieldFaxNum;
    static constexpr std::string_view fieldPagerNum = OVFieldNames::fieldPagerNum;
    static constexpr std::string_view fieldEmailAddr = OVFieldNames::fieldEmailAddr;
    static constexpr std::string_view fieldWebAddress = OVFieldNames::fieldWebAddr;
    static constexpr std::string_view fieldOtherAddress = OVFieldNames::fieldOtherAddr;
    static constexpr std::string_view fieldAvatar = "avatar";
    static constexpr std::string_view fieldGuid = "guid";
    static constexpr std::string_view fieldAlertEnabled = "alertEnabled";
    static constexpr std::string_view fieldAlertIsPersistent = "alertIsPersistent";
    static constexpr std::string_view fieldBlockState = "blockState";
    // Kept with the contact in the store: the favourites mark and the chosen primary fields
    // ("primary.call" holds the name of the field chosen for calls).
    static constexpr std::string_view fieldFavourite = "favourite";
    static constexpr std::string_view fieldPrimaryPrefix = "primary.";

    static constexpr std::string_view fieldValueTrue = "true";
    static constexpr std::string_view fieldValueFalse = "false";
    // Values of fieldBlockState: none, some or all of the contact's call and chat addresses
    // are blocked.
    static constexpr std::string_view stateNotBlocked = "notBlocked";
    static constexpr std::string_view statePartiallyBlocked = "partiallyBlocked";
    static constexpr std::string_view stateBlocked = "blocked";

    // Field types, bits of type().
    static constexpr int fieldTypeNone = 0;
    static constexpr int fieldTypeVoiceVideo = 1;
    static constexpr int fieldTypeIM = 2;
    static constexpr int fieldTypeSMS = 4;
    static constexpr int fieldTypePresence = 8;
    static constexpr int fieldTypeName = 16;
    static constexpr int fieldTypeMetaData = 32;
    static constexpr int fieldTypePhoto = 64;

    // Primary roles: which field a contact uses first for a purpose.
    enum class PrimaryType { call, sms, presence, avatar, displayName };
    static constexpr PrimaryType fieldPrimaryTypeCall = PrimaryType::call;
    static constexpr PrimaryType fieldPrimaryTypeSMS = PrimaryType::sms;
    static constexpr PrimaryType fieldPrimaryTypePresence = PrimaryType::presence;
    static constexpr PrimaryType fieldPrimaryTypeAvatar = PrimaryType::avatar;
    static constexpr PrimaryType fieldPrimaryTypeDisplayName = PrimaryType::displayName;

    // The type a field of that name has unless it is given one.
    static int defaultTypeForName(std::string_view name);

    OVField(std::string name, std::string value)
        : name_(std::move(name)), value_(std::move(value)), type_(defaultTypeForName(name_)) {}
    OVField(std::string name, std::string value, int type)
        : name_(std::move(name)), value_(std::move(value)), type_(type) {}
    const std::string& name() const { return name_; }
    const std::string& valueStr() const { return value_; }
    const std::string& valueStrToDisplay() const { return value_; }
    int type() const { return type_; }
    bool hasType(int bits) const { return (type_ & bits) != 0; }
    // Whether the field holds an address (softphone, numbers, chat, e-mail, web, other).
    bool isAddress() const;
    // The contact the field belongs to (a merged contact's source for a source's field).
    std::shared_ptr<OVEntity> parentEntity() const { return parent_.lock(); }

private:
    friend class OVEntity;
    friend class OVContactManager;
    std::string name_;
    std::string value_;
    int type_;
    std::weak_ptr<OVEntity> parent_;
};

// Where a contact comes from: the user's own list, a chat roster, the desktop's address book
// or a directory. Contacts of the address book are never merged.
enum class OVProviderProtocol { protocolLocal, protocolXmpp, protocolMacAddressBook, protocolLdap };

// How a list of entities is ordered: by "presenceStatus" or "displayName".
struct OVSortDescriptor {
    std::string key;
    bool ascending = true;
    bool caseInsensitive = false;
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

    // The children as shown: without offline contacts when told to hide them, in the order of
    // the sort descriptors (else as added). Kept until the children, their names or their
    // presence change.
    const std::vector<std::shared_ptr<OVEntity>>& entities() const;
    // Every child, as added, whatever is hidden.
    const std::vector<std::shared_ptr<OVEntity>>& entitiesAll() const { return entities_; }
    void setHideOfflineContacts(bool hide);
    bool hideOfflineContacts() const { return hideOffline_; }
    void setSortDescriptors(std::vector<OVSortDescriptor> descriptors);
    std::vector<std::shared_ptr<OVEntity>> parentEntities() const;
    bool hasParentEntities() const { return !parentEntities().empty(); }
    void addEntity(const std::shared_ptr<OVEntity>& child);
    void removeEntity(const std::shared_ptr<OVEntity>& child);
    // Removes every child at once, with one notification.
    void removeAllEntities();

    const std::vector<std::shared_ptr<OVField>>& fields() const { return fields_; }
    std::shared_ptr<OVField> getFieldByName(std::string_view name) const;
    void updateField(std::string name, std::string value);
    void updateField(std::string name, std::string value, int type);
    void removeField(std::string_view name);
    // Address fields with a value, in field order: every one, those for chats, for text
    // messages, and the e-mail addresses. (callableAddresses is below.)
    std::vector<std::shared_ptr<OVField>> addresses() const;
    std::vector<std::shared_ptr<OVField>> imAddresses() const;
    std::vector<std::shared_ptr<OVField>> smsAddresses() const;
    std::vector<std::shared_ptr<OVField>> emailAddresses() const;
    // The field presence is watched on.
    std::shared_ptr<OVField> presenceAddress() const;

    bool favourite() const;
    void setFavourite(bool flag);
    // Groups the user may not change (rename, delete, add to).
    bool isReadOnly() const { return readOnly_; }
    void setReadOnly(bool flag) { readOnly_ = flag; }
    OVProviderProtocol providerProtocol() const { return provider_; }
    void setProviderProtocol(OVProviderProtocol protocol) { provider_ = protocol; }
    // Whether the privacy service can block the contact: it has an address for calls or chats.
    bool canBeBlocked() const;
    // The group a new contact goes into when it is first saved.
    const std::string& groupToAdd() const { return groupToAdd_; }
    void setGroupToAdd(std::string group) { groupToAdd_ = std::move(group); }
    // The first parent, or nullptr.
    std::shared_ptr<OVEntity> parentEntity() const;
    // The same contact: equal identities (a contact shown in two groups is one).
    using OVObject::isEqualToInterface;
    bool isEqualToInterface(const OVEntity& other) const { return uniqueId_ == other.uniqueId_; }
    // Writes the contact (its names, fields, favourites mark, primary fields and groups) to
    // the contact store of its manager; deletes it from the store and its groups.
    void saveCommand();
    void deleteCommand();
    // The field holding the role: the one set with setPrimary, else the first field whose
    // type suits the role (softphone before the numbers for calls); nullptr when none does.
    std::shared_ptr<OVField> getPrimary(OVField::PrimaryType role) const;
    void setPrimary(OVField::PrimaryType role, std::string_view fieldName);
    // The fields that can be called, in the order calls prefer them (softphone, work, mobile,
    // home, other), each with a value.
    std::vector<std::shared_ptr<OVField>> callableAddresses() const;
    // The field whose value is the address (without regard to ASCII case), or nullptr.
    std::shared_ptr<OVField> fieldForAddress(std::string_view address) const;
    void clearPrimaryFields() { primary_.clear(); }
    // The roles set with setPrimary, by the field names they chose.
    const std::map<OVField::PrimaryType, std::string>& primaryFields() const { return primary_; }
    static std::string_view primaryRoleName(OVField::PrimaryType role);
    // Whether one of the address fields holds the address (without regard to case).
    bool hasAddress(std::string_view address) const;
    // Whether two addresses name the same party: equal without regard to case, with or
    // without a "sip:", "sips:", "xmpp:" or "tel:" scheme.
    static bool sameAddress(std::string_view a, std::string_view b);

    // The contact's presence, nullptr for a group.
    std::shared_ptr<OVPresenceData> defaultPresence() const { return presence_; }
    int presenceStatus() const;
    // Engine side: the presence record changed; the lists holding the contact re-sort and
    // the observers hear ovetOnPresencePropertyChanged.
    void presenceChanged();

    // Changes of any entity's names, fields or children, counted, so that indexes over the
    // contacts know when to rebuild.
    static unsigned long long contentGeneration() { return contentGeneration_; }

    void addObserver(OVEntityObserver* observer) { observers_.add(observer); }
    void removeObserver(OVEntityObserver* observer) { observers_.remove(observer); }
    // Engine side.
    template <class F> void notifyObservers(F&& f) const { observers_.forEach(std::forward<F>(f)); }

    std::string description() const override { return displayName_; }

private:
    friend class OVSearchSession;
    friend class OVContactManager;
    // The parents' shown lists are out of date.
    void invalidateParents() const;
    void invalidate() const { shownValid_ = false; }

    long long uniqueId_;
    Type type_;
    std::string displayName_;
    std::vector<std::shared_ptr<OVEntity>> entities_;
    bool hideOffline_ = false;
    std::vector<OVSortDescriptor> sortDescriptors_;
    mutable std::vector<std::shared_ptr<OVEntity>> shown_;
    mutable bool shownValid_ = false;
    std::map<OVField::PrimaryType, std::string> primary_;
    static inline unsigned long long contentGeneration_ = 0;
    std::vector<std::weak_ptr<OVEntity>> parents_;
    std::vector<std::shared_ptr<OVField>> fields_;
    std::shared_ptr<OVPresenceData> presence_;
    DelegateList<OVEntityObserver> observers_;
    bool readOnly_ = false;
    OVProviderProtocol provider_ = OVProviderProtocol::protocolLocal;
    std::string groupToAdd_;
    std::weak_ptr<OVContactManager> manager_;
};

class OVContactManager;

// A search over the contacts: after start, result() is an entity whose entities are the
// matching contacts (it is not their parent). Criteria map field names (displayName among
// them) to LIKE patterns: text matched from the field's start without regard to ASCII case,
// "%" standing for any rest; no criteria match every contact.
class OVSearchSession : public OVObject {
public:
    OVSearchSession(std::weak_ptr<const OVContactManager> manager,
                    std::map<std::string, std::string> criteria);
    void setResolveMulticontacts(bool flag) { resolveMulticontacts_ = flag; }
    bool resolveMulticontacts() const { return resolveMulticontacts_; }
    void setEntityType(OVEntity::Type type) { entityType_ = type; }
    void start();
    void stop() {}
    std::shared_ptr<OVEntity> result() const { return result_; }

private:
    std::weak_ptr<const OVContactManager> manager_;
    std::map<std::string, std::string> criteria_;
    bool resolveMulticontacts_ = false;
    OVEntity::Type entityType_ = OVEntity::Type::typeLogicalContact;
    std::shared_ptr<OVEntity> result_;
};

// Callbacks of the contact manager.
class OVContactManagerPro {
public:
    virtual ~OVContactManagerPro() = default;
    virtual void ContactsAdded(const std::vector<std::shared_ptr<OVEntity>>& /*contacts*/) {}
    virtual void ContactsRemoved(const std::vector<std::shared_ptr<OVEntity>>& /*contacts*/) {}
};

// The contact store: the root's children are the groups, a group's children its contacts.
class OVContactManager : public platform::Object,
                         public DelegatingService<OVContactManagerPro>,
                         public std::enable_shared_from_this<OVContactManager> {
public:
    explicit OVContactManager(std::shared_ptr<EngineContext> context = nullptr);
    ~OVContactManager() override;

    std::shared_ptr<OVEntity> getVeyraRoot() const { return root_; }
    // Every contact, each once, in the order of the groups.
    std::vector<std::shared_ptr<OVEntity>> allContacts() const;
    // Contacts holding the address; the lookup text and display name are not used here.
    std::vector<std::shared_ptr<OVEntity>>
    lookup(std::string_view lookupText, std::string_view address, std::string_view display) const;

    // A search over every contact (made by shared owners of the manager only).
    std::shared_ptr<OVSearchSession> getContacts() const;
    // A search whose result's entities are the groups, in the root's order.
    std::shared_ptr<OVSearchSession> getGroups() const;
    // A new group without contacts, kept in the store so that it is there after a restart;
    // the writable group of that name when there is one. nullptr when the store cannot keep
    // it (nothing changes then).
    std::shared_ptr<OVEntity> createGroup(const std::string& name);
    // Renames a writable group, in the store too (the contacts in it with it). Answers why it
    // could not be, or nullopt.
    std::optional<std::string> renameGroup(const std::shared_ptr<OVEntity>& group,
                                           const std::string& name);
    // Moves stored contacts from the group they leave to the group they join (a contact
    // already in the target only leaves the source). Answers why it could not be, or nullopt.
    std::optional<std::string> moveContacts(const std::vector<std::shared_ptr<OVEntity>>& contacts,
                                            const std::shared_ptr<OVEntity>& sourceParent,
                                            const std::shared_ptr<OVEntity>& destParent);
    std::shared_ptr<OVSearchSession> createSearch(std::map<std::string, std::string> criteria,
                                                  const std::vector<std::string>& tags) const;
    // The contacts whose field (or display name) starts with `prefix`, without regard to
    // ASCII case, through a sorted index of the name fields rebuilt after changes.
    std::vector<std::shared_ptr<OVEntity>> contactsWithPrefix(std::string_view field,
                                                              std::string_view prefix) const;
    // A new contact in no group, not stored, with one field a key (displayName names it).
    std::shared_ptr<OVEntity>
    createLogicalEntityWithFields(const std::vector<std::pair<std::string, std::string>>& fields);

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

    // A new blank contact, in no group and not stored until its saveCommand.
    std::shared_ptr<OVEntity> createLogicalEntity();
    // Writes the contact to the store (a new one is added, in its groupToAdd or the
    // ungrouped group). Answers why it could not be, or nullopt.
    std::optional<std::string> saveEntity(OVEntity& contact);
    // Merges two or more distinct contacts into the first: its sources (physical contacts)
    // are then every source of them all, its groups theirs together. nullptr when fewer than
    // two distinct contacts are given or the store cannot be written; nothing changes then.
    std::shared_ptr<OVEntity> mergeContacts(const std::vector<std::shared_ptr<OVEntity>>& contacts);
    // A merged contact becomes again one contact for each of its sources.
    void splitContact(const std::shared_ptr<OVEntity>& contact);
    // Deletes contacts (each with every source) and groups (with every contact in them).
    void deleteContacts(const std::vector<std::shared_ptr<OVEntity>>& entities);
    // Puts a stored contact into exactly the groups of these names and keeps that in the
    // store; a name that no writable group has gets a new group. Answers why it could not be
    // stored, or nullopt.
    std::optional<std::string> setContactGroups(const std::shared_ptr<OVEntity>& contact,
                                                const std::vector<std::string>& groups);

    // The addresses the user blocked, for the privacy service: per protocol, kept in the
    // store. Every contact holding one of them gets its block state field.
    void setAddressesBlocked(const std::vector<std::string>& addresses, OVAccountProtocol protocol,
                             bool blocked);
    bool isAddressBlocked(std::string_view address) const;
    // Whether the contact's presence is watched (imported without subscription it is not).
    bool presenceSubscription(const OVEntity& contact) const;

private:
    struct ContactMeta {
        long long storeId = 0;
        bool presenceSubscription = true;
        // The groups as stored; a contact in none shows in the ungrouped group.
        std::vector<std::string> groups;
    };
    // Makes `head` the merged contact of itself and `members` (all shown contacts of the
    // list): one source each, their fields together, their groups together.
    void applyMerge(const std::shared_ptr<OVEntity>& head,
                    const std::vector<std::shared_ptr<OVEntity>>& members);
    // A merged contact's fields again from its sources (after a source was changed).
    void refreshMergedFields(OVEntity& contact);
    // The source entities of a contact: its physical contacts, or itself when it has none.
    static std::vector<std::shared_ptr<OVEntity>> sourcesOf(const std::shared_ptr<OVEntity>& e);
    ContactRecord recordOf(const OVEntity& source, const OVEntity* logical) const;
    void updateBlockStates();
    void detach(const std::shared_ptr<OVEntity>& contact);
    struct Session {
        std::string owner;
        std::string ungroupedGroupName;
        std::map<std::string, std::pair<OVPresenceStatus, std::string>> provisionedPresence;
        std::vector<ContactConfig> provisioned;
    };
    std::shared_ptr<OVEntity> groupNamed(const std::string& name);
    // Lists the groups in the store (it keeps those without contacts); logs a failure.
    void keepGroups(const std::vector<std::string>& names);
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
    // Blocked addresses (without scheme, lower-cased) by protocol.
    std::set<std::pair<int, std::string>> blocked_;
    // The prefix index: "<field>\0<lower-cased value>" with its contact, sorted.
    mutable std::vector<std::pair<std::string, std::shared_ptr<OVEntity>>> searchIndex_;
    mutable unsigned long long searchIndexGeneration_ = ~0ull;
    mutable const OVEntity* searchIndexRoot_ = nullptr;
};
