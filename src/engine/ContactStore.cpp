#include "engine/ContactStore.h"

#include "engine/SqliteOpening.h"

#include <map>
#include <sqlite3.h>

namespace {

constexpr const char* kSchema = R"(
PRAGMA foreign_keys = ON;
CREATE TABLE IF NOT EXISTS contact_lists (
    owner TEXT PRIMARY KEY
);
CREATE TABLE IF NOT EXISTS contacts (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    owner TEXT NOT NULL,
    position INTEGER NOT NULL,
    display_name TEXT NOT NULL,
    presence_subscription INTEGER NOT NULL DEFAULT 0
);
CREATE INDEX IF NOT EXISTS contacts_by_owner ON contacts (owner, position);
CREATE TABLE IF NOT EXISTS contact_fields (
    contact_id INTEGER NOT NULL REFERENCES contacts (id) ON DELETE CASCADE,
    position INTEGER NOT NULL,
    type TEXT NOT NULL,
    role TEXT NOT NULL,
    value TEXT NOT NULL
);
CREATE INDEX IF NOT EXISTS contact_fields_by_contact ON contact_fields (contact_id);
CREATE TABLE IF NOT EXISTS contact_groups (
    contact_id INTEGER NOT NULL REFERENCES contacts (id) ON DELETE CASCADE,
    position INTEGER NOT NULL,
    name TEXT NOT NULL
);
CREATE INDEX IF NOT EXISTS contact_groups_by_contact ON contact_groups (contact_id);
CREATE TABLE IF NOT EXISTS contact_merges (
    member_id INTEGER PRIMARY KEY REFERENCES contacts (id) ON DELETE CASCADE,
    head_id INTEGER NOT NULL REFERENCES contacts (id) ON DELETE CASCADE
);
CREATE TABLE IF NOT EXISTS group_names (
    owner TEXT NOT NULL,
    position INTEGER NOT NULL,
    name TEXT NOT NULL,
    PRIMARY KEY (owner, name)
);
CREATE TABLE IF NOT EXISTS blocked_addresses (
    owner TEXT NOT NULL,
    protocol INTEGER NOT NULL,
    address TEXT NOT NULL,
    PRIMARY KEY (owner, protocol, address)
);
)";

// A prepared statement that finalises itself.
class Statement {
public:
    Statement(sqlite3* db, const char* sql) : db_(db) {
        if (sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) != SQLITE_OK) {
            stmt_ = nullptr;
        }
    }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool ok() const { return stmt_ != nullptr; }
    void bind(int index, const std::string& text) {
        sqlite3_bind_text(stmt_, index, text.c_str(), static_cast<int>(text.size()),
                          SQLITE_TRANSIENT);
    }
    void bind(int index, long long number) { sqlite3_bind_int64(stmt_, index, number); }
    bool step() { return sqlite3_step(stmt_) == SQLITE_ROW; }
    bool run() {
        const bool done = sqlite3_step(stmt_) == SQLITE_DONE;
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
        return done;
    }
    std::string text(int column) const {
        const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
        return data ? std::string(data,
                                  static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column)))
                    : std::string();
    }
    long long integer(int column) const { return sqlite3_column_int64(stmt_, column); }
    std::string error() const { return sqlite3_errmsg(db_); }

private:
    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
};

} // namespace

struct ContactStore::Impl {
    sqlite3* db = nullptr;

    bool exec(const char* sql, std::string* error = nullptr) const {
        char* message = nullptr;
        const int rc = sqlite3_exec(db, sql, nullptr, nullptr, &message);
        if (rc != SQLITE_OK && error) {
            *error = message ? message : sqlite3_errstr(rc);
        }
        sqlite3_free(message);
        return rc == SQLITE_OK;
    }
};

ContactStore::ContactStore() : impl_(std::make_unique<Impl>()) {}

ContactStore::~ContactStore() {
    close();
}

std::optional<std::string> ContactStore::open(const std::filesystem::path& file) {
    close();
    // The engine's own connection may hold the file for a moment (the opening waits 2 s).
    SqliteOpening opening = SqliteOpening::open(file.string(), kSchema);
    if (!opening.db)
        return (opening.failure == SqliteOpening::Failure::open ? "cannot open "
                                                                : "cannot write ") +
               file.string() + ": " + opening.error;
    impl_->db = opening.db;
    return std::nullopt;
}

void ContactStore::close() {
    if (impl_->db) {
        sqlite3_close(impl_->db);
        impl_->db = nullptr;
    }
}

bool ContactStore::isOpen() const {
    return impl_->db != nullptr;
}

bool ContactStore::hasList(const std::string& owner) const {
    if (!impl_->db) {
        return false;
    }
    Statement query(impl_->db, "SELECT 1 FROM contact_lists WHERE owner = ?");
    if (!query.ok()) {
        return false;
    }
    query.bind(1, owner);
    return query.step();
}

std::vector<ContactStore::StoredContact> ContactStore::contacts(const std::string& owner) const {
    std::vector<StoredContact> result;
    if (!impl_->db) {
        return result;
    }
    std::map<long long, std::size_t> index;
    {
        Statement query(impl_->db, "SELECT id, display_name, presence_subscription FROM contacts "
                                   "WHERE owner = ? ORDER BY position, id");
        if (!query.ok()) {
            return result;
        }
        query.bind(1, owner);
        while (query.step()) {
            StoredContact contact;
            contact.id = query.integer(0);
            contact.record.displayName = query.text(1);
            contact.presenceSubscription = query.integer(2) != 0;
            index[contact.id] = result.size();
            result.push_back(std::move(contact));
        }
    }
    {
        Statement query(impl_->db, "SELECT f.contact_id, f.type, f.value FROM contact_fields f "
                                   "JOIN contacts c ON c.id = f.contact_id WHERE c.owner = ? "
                                   "ORDER BY f.contact_id, f.position");
        if (query.ok()) {
            query.bind(1, owner);
            while (query.step()) {
                auto found = index.find(query.integer(0));
                if (found != index.end()) {
                    result[found->second].record.fields.emplace_back(query.text(1), query.text(2));
                }
            }
        }
    }
    {
        Statement query(impl_->db, "SELECT g.contact_id, g.name FROM contact_groups g "
                                   "JOIN contacts c ON c.id = g.contact_id WHERE c.owner = ? "
                                   "ORDER BY g.contact_id, g.position");
        if (query.ok()) {
            query.bind(1, owner);
            while (query.step()) {
                auto found = index.find(query.integer(0));
                if (found != index.end()) {
                    result[found->second].record.groups.push_back(query.text(1));
                }
            }
        }
    }
    return result;
}

std::optional<std::string> ContactStore::write(const std::string& owner,
                                               const std::vector<NewContact>& add,
                                               bool eraseExisting, std::vector<long long>* ids) {
    if (!impl_->db) {
        return std::string("the contact store is not open");
    }
    std::string error;
    if (!impl_->exec("BEGIN IMMEDIATE;", &error)) {
        return error;
    }
    std::vector<long long> newIds;
    const auto fail = [&](std::string reason) -> std::optional<std::string> {
        impl_->exec("ROLLBACK;");
        return reason;
    };
    {
        Statement seed(impl_->db, "INSERT OR IGNORE INTO contact_lists (owner) VALUES (?)");
        if (!seed.ok()) {
            return fail(seed.error());
        }
        seed.bind(1, owner);
        if (!seed.run()) {
            return fail(seed.error());
        }
        if (eraseExisting) {
            Statement erase(impl_->db, "DELETE FROM contacts WHERE owner = ?");
            if (!erase.ok()) {
                return fail(erase.error());
            }
            erase.bind(1, owner);
            if (!erase.run()) {
                return fail(erase.error());
            }
            Statement eraseGroups(impl_->db, "DELETE FROM group_names WHERE owner = ?");
            if (!eraseGroups.ok()) {
                return fail(eraseGroups.error());
            }
            eraseGroups.bind(1, owner);
            if (!eraseGroups.run()) {
                return fail(eraseGroups.error());
            }
        }
        long long position = 0;
        {
            Statement last(impl_->db,
                           "SELECT COALESCE(MAX(position), -1) FROM contacts WHERE owner = ?");
            if (!last.ok()) {
                return fail(last.error());
            }
            last.bind(1, owner);
            if (last.step()) {
                position = last.integer(0) + 1;
            }
        }
        Statement contact(impl_->db, "INSERT INTO contacts (owner, position, display_name, "
                                     "presence_subscription) VALUES (?, ?, ?, ?)");
        Statement field(impl_->db, "INSERT INTO contact_fields (contact_id, position, type, role, "
                                   "value) VALUES (?, ?, ?, ?, ?)");
        Statement group(impl_->db,
                        "INSERT INTO contact_groups (contact_id, position, name) VALUES (?, ?, ?)");
        if (!contact.ok() || !field.ok() || !group.ok()) {
            return fail(sqlite3_errmsg(impl_->db));
        }
        for (const auto& entry : add) {
            contact.bind(1, owner);
            contact.bind(2, position++);
            contact.bind(3, entry.record.displayName);
            contact.bind(4, entry.presenceSubscription ? 1LL : 0LL);
            if (!contact.run()) {
                return fail(contact.error());
            }
            const long long id = sqlite3_last_insert_rowid(impl_->db);
            long long fieldPosition = 0;
            for (const auto& [type, value] : entry.record.fields) {
                field.bind(1, id);
                field.bind(2, fieldPosition++);
                field.bind(3, type);
                field.bind(4, std::string(contact_files::roleOfField(type)));
                field.bind(5, value);
                if (!field.run()) {
                    return fail(field.error());
                }
            }
            long long groupPosition = 0;
            for (const auto& name : entry.record.groups) {
                group.bind(1, id);
                group.bind(2, groupPosition++);
                group.bind(3, name);
                if (!group.run()) {
                    return fail(group.error());
                }
            }
            newIds.push_back(id);
        }
    }
    if (!impl_->exec("COMMIT;", &error)) {
        return fail(error);
    }
    if (ids) {
        ids->insert(ids->end(), newIds.begin(), newIds.end());
    }
    return std::nullopt;
}

namespace {

// Runs `work` in a transaction: committed when it answers nullopt, else rolled back.
template <class Work> std::optional<std::string> inTransaction(sqlite3* db, Work work) {
    if (!db) {
        return std::string("the contact store is not open");
    }
    char* message = nullptr;
    if (sqlite3_exec(db, "BEGIN IMMEDIATE;", nullptr, nullptr, &message) != SQLITE_OK) {
        std::string error = message ? message : sqlite3_errmsg(db);
        sqlite3_free(message);
        return error;
    }
    std::optional<std::string> error = work();
    if (!error && sqlite3_exec(db, "COMMIT;", nullptr, nullptr, &message) != SQLITE_OK) {
        error = message ? message : sqlite3_errmsg(db);
        sqlite3_free(message);
    }
    if (error) {
        sqlite3_exec(db, "ROLLBACK;", nullptr, nullptr, nullptr);
    }
    return error;
}

} // namespace

std::optional<std::string>
ContactStore::update(const std::vector<std::pair<long long, ContactRecord>>& contacts) {
    return inTransaction(impl_->db, [&]() -> std::optional<std::string> {
        Statement name(impl_->db, "UPDATE contacts SET display_name = ? WHERE id = ?");
        Statement clearFields(impl_->db, "DELETE FROM contact_fields WHERE contact_id = ?");
        Statement clearGroups(impl_->db, "DELETE FROM contact_groups WHERE contact_id = ?");
        Statement field(impl_->db, "INSERT INTO contact_fields (contact_id, position, type, role, "
                                   "value) VALUES (?, ?, ?, ?, ?)");
        Statement group(impl_->db,
                        "INSERT INTO contact_groups (contact_id, position, name) VALUES (?, ?, ?)");
        if (!name.ok() || !clearFields.ok() || !clearGroups.ok() || !field.ok() || !group.ok()) {
            return std::string(sqlite3_errmsg(impl_->db));
        }
        for (const auto& [id, record] : contacts) {
            name.bind(1, record.displayName);
            name.bind(2, id);
            clearFields.bind(1, id);
            clearGroups.bind(1, id);
            if (!name.run() || !clearFields.run() || !clearGroups.run()) {
                return std::string(sqlite3_errmsg(impl_->db));
            }
            long long position = 0;
            for (const auto& [type, value] : record.fields) {
                field.bind(1, id);
                field.bind(2, position++);
                field.bind(3, type);
                field.bind(4, std::string(contact_files::roleOfField(type)));
                field.bind(5, value);
                if (!field.run()) {
                    return field.error();
                }
            }
            position = 0;
            for (const auto& groupName : record.groups) {
                group.bind(1, id);
                group.bind(2, position++);
                group.bind(3, groupName);
                if (!group.run()) {
                    return group.error();
                }
            }
        }
        return std::nullopt;
    });
}

std::optional<std::string> ContactStore::remove(const std::vector<long long>& ids) {
    return inTransaction(impl_->db, [&]() -> std::optional<std::string> {
        Statement erase(impl_->db, "DELETE FROM contacts WHERE id = ?");
        if (!erase.ok()) {
            return erase.error();
        }
        for (long long id : ids) {
            erase.bind(1, id);
            if (!erase.run()) {
                return erase.error();
            }
        }
        return std::nullopt;
    });
}

std::optional<std::string> ContactStore::setMerged(long long head,
                                                   const std::vector<long long>& members) {
    return inTransaction(impl_->db, [&]() -> std::optional<std::string> {
        Statement clear(impl_->db, "DELETE FROM contact_merges WHERE head_id = ?");
        Statement add(impl_->db, "INSERT OR REPLACE INTO contact_merges (member_id, head_id) "
                                 "VALUES (?, ?)");
        if (!clear.ok() || !add.ok()) {
            return std::string(sqlite3_errmsg(impl_->db));
        }
        clear.bind(1, head);
        if (!clear.run()) {
            return clear.error();
        }
        for (long long member : members) {
            if (member == head) {
                continue;
            }
            add.bind(1, member);
            add.bind(2, head);
            if (!add.run()) {
                return add.error();
            }
        }
        return std::nullopt;
    });
}

std::map<long long, long long> ContactStore::merges(const std::string& owner) const {
    std::map<long long, long long> result;
    if (!impl_->db) {
        return result;
    }
    Statement query(impl_->db, "SELECT m.member_id, m.head_id FROM contact_merges m "
                               "JOIN contacts c ON c.id = m.head_id WHERE c.owner = ?");
    if (!query.ok()) {
        return result;
    }
    query.bind(1, owner);
    while (query.step()) {
        result[query.integer(0)] = query.integer(1);
    }
    return result;
}

std::optional<std::string> ContactStore::setBlocked(const std::string& owner, int protocol,
                                                    const std::vector<std::string>& addresses,
                                                    bool blocked) {
    return inTransaction(impl_->db, [&]() -> std::optional<std::string> {
        Statement change(impl_->db,
                         blocked ? "INSERT OR IGNORE INTO blocked_addresses (owner, protocol, "
                                   "address) VALUES (?, ?, ?)"
                                 : "DELETE FROM blocked_addresses WHERE owner = ? AND protocol = ? "
                                   "AND address = ?");
        if (!change.ok()) {
            return change.error();
        }
        for (const auto& address : addresses) {
            change.bind(1, owner);
            change.bind(2, static_cast<long long>(protocol));
            change.bind(3, address);
            if (!change.run()) {
                return change.error();
            }
        }
        return std::nullopt;
    });
}

std::vector<std::pair<int, std::string>> ContactStore::blocked(const std::string& owner) const {
    std::vector<std::pair<int, std::string>> result;
    if (!impl_->db) {
        return result;
    }
    Statement query(
        impl_->db, "SELECT protocol, address FROM blocked_addresses WHERE owner = ? ORDER BY 1, 2");
    if (!query.ok()) {
        return result;
    }
    query.bind(1, owner);
    while (query.step()) {
        result.emplace_back(static_cast<int>(query.integer(0)), query.text(1));
    }
    return result;
}

std::vector<std::string> ContactStore::groups(const std::string& owner) const {
    std::vector<std::string> names;
    if (!impl_->db) {
        return names;
    }
    Statement query(impl_->db, "SELECT name FROM group_names WHERE owner = ? ORDER BY position");
    if (!query.ok()) {
        return names;
    }
    query.bind(1, owner);
    while (query.step()) {
        names.push_back(query.text(0));
    }
    return names;
}

std::optional<std::string> ContactStore::addGroups(const std::string& owner,
                                                   const std::vector<std::string>& names) {
    return inTransaction(impl_->db, [&]() -> std::optional<std::string> {
        Statement add(impl_->db, "INSERT OR IGNORE INTO group_names (owner, position, name) "
                                 "SELECT ?, COALESCE(MAX(position), -1) + 1, ? FROM group_names "
                                 "WHERE owner = ?");
        if (!add.ok()) {
            return add.error();
        }
        for (const auto& name : names) {
            add.bind(1, owner);
            add.bind(2, name);
            add.bind(3, owner);
            if (!add.run()) {
                return add.error();
            }
        }
        return std::nullopt;
    });
}

std::optional<std::string> ContactStore::renameGroup(const std::string& owner,
                                                     const std::string& from,
                                                     const std::string& to) {
    return inTransaction(impl_->db, [&]() -> std::optional<std::string> {
        Statement known(impl_->db, "INSERT OR IGNORE INTO group_names (owner, position, name) "
                                   "SELECT ?, COALESCE(MAX(position), -1) + 1, ? FROM "
                                   "group_names WHERE owner = ?");
        Statement drop(impl_->db, "DELETE FROM group_names WHERE owner = ? AND name = ?");
        Statement rename(impl_->db, "UPDATE group_names SET name = ? WHERE owner = ? AND name = ?");
        Statement members(impl_->db,
                          "UPDATE contact_groups SET name = ? WHERE name = ? AND contact_id IN "
                          "(SELECT id FROM contacts WHERE owner = ?)");
        if (!known.ok() || !drop.ok() || !rename.ok() || !members.ok()) {
            return std::string(sqlite3_errmsg(impl_->db));
        }
        // The old name is listed first, so that the group keeps its place under the new one.
        known.bind(1, owner);
        known.bind(2, from);
        known.bind(3, owner);
        drop.bind(1, owner);
        drop.bind(2, to);
        rename.bind(1, to);
        rename.bind(2, owner);
        rename.bind(3, from);
        members.bind(1, to);
        members.bind(2, from);
        members.bind(3, owner);
        if (!known.run() || !drop.run() || !rename.run() || !members.run()) {
            return std::string(sqlite3_errmsg(impl_->db));
        }
        return std::nullopt;
    });
}

std::optional<std::string> ContactStore::removeGroup(const std::string& owner,
                                                     const std::string& name) {
    return inTransaction(impl_->db, [&]() -> std::optional<std::string> {
        Statement drop(impl_->db, "DELETE FROM group_names WHERE owner = ? AND name = ?");
        if (!drop.ok()) {
            return drop.error();
        }
        drop.bind(1, owner);
        drop.bind(2, name);
        if (!drop.run()) {
            return drop.error();
        }
        return std::nullopt;
    });
}
