#include "engine/EngineStore.h"

#include "engine/SqliteOpening.h"

#include <sqlite3.h>
#include <system_error>

namespace {

// How long a statement waits for another process (a second instance, a backup tool) holding
// the database before it fails with "database is locked".
constexpr int kBusyTimeoutMilliseconds = 5000;

} // namespace

struct EngineStore::Impl {
    sqlite3* db = nullptr;
};

EngineStore::EngineStore() : impl_(std::make_unique<Impl>()) {}

EngineStore::~EngineStore() {
    close();
}

std::optional<std::string> EngineStore::open(const std::filesystem::path& folder) {
    close();
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec || !std::filesystem::is_directory(folder)) {
        return "cannot create the folder " + folder.string() +
               (ec ? ": " + ec.message() : std::string(": not a folder"));
    }
    file_ = folder / fileName;
    SqliteOpening opening = SqliteOpening::open(
        file_.string(),
        "CREATE TABLE IF NOT EXISTS engine_facts (key TEXT PRIMARY KEY, value TEXT);"
        "INSERT OR REPLACE INTO engine_facts VALUES ('schema_version', '1');",
        kBusyTimeoutMilliseconds);
    if (!opening.db)
        return (opening.failure == SqliteOpening::Failure::open ? "cannot open "
                                                                : "cannot write ") +
               file_.string() + ": " + opening.error;
    impl_->db = opening.db;
    return std::nullopt;
}

void EngineStore::close() {
    if (impl_->db) {
        sqlite3_close(impl_->db);
        impl_->db = nullptr;
    }
}

bool EngineStore::isOpen() const {
    return impl_->db != nullptr;
}

bool EngineStore::setValue(const std::string& key, const std::string& value) {
    if (!impl_->db) {
        return false;
    }
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(impl_->db, "INSERT OR REPLACE INTO engine_facts VALUES (?, ?)", -1,
                           &stmt, nullptr) != SQLITE_OK) {
        return false;
    }
    sqlite3_bind_text(stmt, 1, key.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(stmt, 2, value.c_str(), -1, SQLITE_TRANSIENT);
    const bool ok = sqlite3_step(stmt) == SQLITE_DONE;
    sqlite3_finalize(stmt);
    return ok;
}

std::optional<std::string> EngineStore::value(const std::string& key) const {
    if (!impl_->db) {
        return std::nullopt;
    }
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(impl_->db, "SELECT value FROM engine_facts WHERE key = ?", -1, &stmt,
                           nullptr) != SQLITE_OK) {
        return std::nullopt;
    }
    sqlite3_bind_text(stmt, 1, key.c_str(), -1, SQLITE_TRANSIENT);
    std::optional<std::string> result;
    if (sqlite3_step(stmt) == SQLITE_ROW) {
        const auto* text = sqlite3_column_text(stmt, 0);
        result = text ? reinterpret_cast<const char*>(text) : "";
    }
    sqlite3_finalize(stmt);
    return result;
}
