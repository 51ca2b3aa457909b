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
