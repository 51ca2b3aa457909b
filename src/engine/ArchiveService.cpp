#include "engine/ArchiveService.h"

#include "engine/SqliteOpening.h"

#include <algorithm>
#include <cctype>
#include <sqlite3.h>

namespace {

constexpr const char* kSchema = R"(
CREATE TABLE IF NOT EXISTS message_archive (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    owner TEXT NOT NULL,
    address TEXT NOT NULL,
    content TEXT NOT NULL,
    saved REAL NOT NULL
);
CREATE INDEX IF NOT EXISTS message_archive_by_party ON message_archive (owner, address, id);
)";

} // namespace

struct ArchiveService::Impl {
    explicit Impl(sqlite3* db) : db(db) {}
    ~Impl() { sqlite3_close(db); }
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;
    sqlite3* db;
};

ArchiveService::ArchiveService() = default;
ArchiveService::~ArchiveService() = default;

std::optional<std::string> ArchiveService::open(const std::optional<std::filesystem::path>& file,
                                                std::string owner) {
    close();
    owner_ = std::move(owner);
    SqliteOpening opening =
        SqliteOpening::open(file ? file->string() : std::string(":memory:"), kSchema);
    if (!opening.db)
        return opening.error;
    impl_ = std::make_unique<Impl>(opening.db);
    return std::nullopt;
}

void ArchiveService::close() {
    impl_.reset();
}

bool ArchiveService::isOpen() const {
    return impl_ != nullptr;
}

std::string ArchiveService::archiveKey(std::string_view address) {
    if (const auto colon = address.find(':');
        colon != std::string_view::npos && address.find('@') > colon) {
        address.remove_prefix(colon + 1);
    }
    if (const auto cut = address.find_first_of(";?"); cut != std::string_view::npos) {
        address = address.substr(0, cut);
    }
    std::string key(address);
    std::transform(key.begin(), key.end(), key.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return key;
}

std::shared_ptr<ArchiveItem> ArchiveService::save(const std::string& address,
                                                  const std::string& content, platform::Date date) {
    if (!impl_) {
        return nullptr;
    }
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(impl_->db,
                           "INSERT INTO message_archive (owner, address, content, saved) "
                           "VALUES (?, ?, ?, ?)",
                           -1, &stmt, nullptr) != SQLITE_OK) {
        return nullptr;
    }
    const std::string key = archiveKey(address);
    sqlite3_bind_text(stmt, 1, owner_.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(stmt, 2, key.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(stmt, 3, content.c_str(), static_cast<int>(content.size()), SQLITE_TRANSIENT);
    sqlite3_bind_double(stmt, 4, date.unixTime());
    const bool done = sqlite3_step(stmt) == SQLITE_DONE;
    sqlite3_finalize(stmt);
    if (!done) {
        return nullptr;
    }
    auto item =
        std::make_shared<ArchiveItem>(sqlite3_last_insert_rowid(impl_->db), key, content, date);
    notifyDelegates([&](OVArchiveServicePro& d) { d.onArchiveItemAdded(item); });
    return item;
}

std::vector<std::shared_ptr<ArchiveItem>>
ArchiveService::itemsFor(const std::string& address) const {
    std::vector<std::shared_ptr<ArchiveItem>> items;
    if (!impl_) {
        return items;
    }
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(impl_->db,
                           "SELECT id, content, saved FROM message_archive "
                           "WHERE owner = ? AND address = ? ORDER BY id",
                           -1, &stmt, nullptr) != SQLITE_OK) {
        return items;
    }
    const std::string key = archiveKey(address);
    sqlite3_bind_text(stmt, 1, owner_.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(stmt, 2, key.c_str(), -1, SQLITE_TRANSIENT);
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1));
        const int size = sqlite3_column_bytes(stmt, 1);
        items.push_back(std::make_shared<ArchiveItem>(
            sqlite3_column_int64(stmt, 0), key,
            text ? std::string(text, static_cast<std::size_t>(size)) : std::string(),
            platform::Date::fromUnixTime(sqlite3_column_double(stmt, 2))));
    }
    sqlite3_finalize(stmt);
    return items;
}

std::shared_ptr<ArchiveItem> ArchiveService::latestFor(const std::string& address) const {
    auto items = itemsFor(address);
    return items.empty() ? nullptr : items.back();
}
