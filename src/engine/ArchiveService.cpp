#include "engine/ArchiveService.h"

#include "engine/SqliteOpening.h"
#include "platform/foundation/RunLoop.h"

#include <algorithm>
#include <cctype>
#include <sqlite3.h>

namespace {

// The words of each transcript live in a full-text table whose row id is the item's; the
// unicode61 tokenizer folds case and (with remove_diacritics 2) accents.
constexpr const char* kSchema = R"(
CREATE TABLE IF NOT EXISTS message_archive (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    owner TEXT NOT NULL,
    address TEXT NOT NULL,
    content TEXT NOT NULL,
    saved REAL NOT NULL,
    kind INTEGER NOT NULL DEFAULT 1
);
CREATE INDEX IF NOT EXISTS message_archive_by_party ON message_archive (owner, address, id);
CREATE VIRTUAL TABLE IF NOT EXISTS message_archive_words USING fts5(
    words, tokenize = 'unicode61 remove_diacritics 2');
)";

// Statements prepared once a use; finalized on every road out.
class Statement {
public:
    Statement(sqlite3* db, const char* sql) {
        if (sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) != SQLITE_OK)
            stmt_ = nullptr;
    }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    explicit operator bool() const { return stmt_ != nullptr; }
    sqlite3_stmt* get() const { return stmt_; }
    void bind(int index, const std::string& text) {
        sqlite3_bind_text(stmt_, index, text.c_str(), static_cast<int>(text.size()),
                          SQLITE_TRANSIENT);
    }
    void bind(int index, long long value) { sqlite3_bind_int64(stmt_, index, value); }
    void bind(int index, double value) { sqlite3_bind_double(stmt_, index, value); }
    bool step() { return sqlite3_step(stmt_) == SQLITE_ROW; }
    bool done() { return sqlite3_step(stmt_) == SQLITE_DONE; }
    std::string text(int column) const {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
        const int size = sqlite3_column_bytes(stmt_, column);
        return text ? std::string(text, static_cast<std::size_t>(size)) : std::string();
    }

private:
    sqlite3_stmt* stmt_ = nullptr;
};

bool execute(sqlite3* db, const char* sql) {
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

void appendUTF8(std::string& out, unsigned long code) {
    if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        out += ' ';
    } else if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// Decodes the character reference at html[i] ('&'); returns the length read, 0 when it is none.
std::size_t decodeReference(std::string_view html, std::size_t i, std::string& out) {
    const std::size_t semi = html.find(';', i);
    if (semi == std::string_view::npos || semi - i > 10)
        return 0;
    const std::string_view name = html.substr(i + 1, semi - i - 1);
    if (name.size() > 1 && name[0] == '#') {
        const bool hex = name[1] == 'x' || name[1] == 'X';
        const std::string_view digits = name.substr(hex ? 2 : 1);
        if (digits.empty())
            return 0;
        unsigned long code = 0;
        for (char c : digits) {
            const int digit = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                              : hex && std::isxdigit(static_cast<unsigned char>(c))
                                  ? std::tolower(static_cast<unsigned char>(c)) - 'a' + 10
                                  : -1;
            if (digit < 0)
                return 0;
            code = code * (hex ? 16 : 10) + static_cast<unsigned long>(digit);
            if (code > 0x10FFFF)
                code = 0x110000;
        }
        appendUTF8(out, code);
        return semi - i + 1;
    }
    static const std::pair<std::string_view, std::string_view> kNamed[] = {
        {"amp", "&"}, {"lt", "<"}, {"gt", ">"}, {"quot", "\""}, {"apos", "'"}, {"nbsp", " "}};
    for (const auto& [entity, text] : kNamed) {
        if (name == entity) {
            out += text;
            return semi - i + 1;
        }
    }
    return 0;
}

bool startsWithNoCase(std::string_view text, std::size_t at, std::string_view word) {
    if (text.size() - at < word.size())
        return false;
    for (std::size_t k = 0; k < word.size(); ++k) {
        if (std::tolower(static_cast<unsigned char>(text[at + k])) != word[k])
            return false;
    }
    return true;
}

} // namespace

struct ArchiveService::Impl {
    explicit Impl(sqlite3* db) : db(db) {}
    ~Impl() { sqlite3_close(db); }
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;
    sqlite3* db;
};

const std::string& ArchiveItem::content() const {
    if (!content_) {
        const auto service = service_.lock();
        content_ = service ? service->contentOf(id_) : std::string();
    }
    return *content_;
}

void ArchiveItem::remove() {
    if (auto service = service_.lock())
        service->removeItem(*this);
}

void ArchiveContact::filterForItemsOfType(int type, const std::string& text) {
    auto service = service_.lock();
    if (!service)
        return;
    const std::uint64_t generation = ++filterGeneration_;
    auto items = service->search(text, address_, type);
    // Answered like every engine answer, on a later pass; a newer filter supersedes it, and a
    // contact removed meanwhile hears nothing.
    std::weak_ptr<ArchiveContact> weak = weak_from_this();
    platform::RunLoop::main().performAfterDelay(
        0,
        [weak, generation, items = std::move(items)]() mutable {
            auto self = weak.lock();
            auto service = self ? self->service_.lock() : nullptr;
            if (!service || self->filterGeneration_ != generation)
                return;
            const auto& contacts = service->archiveContacts();
            if (std::find(contacts.begin(), contacts.end(), self) == contacts.end())
                return;
            self->items_ = std::move(items);
            self->notifyDelegates([](OVArchiveContactPro& d) { d.onArchiveItemAllUpdated(); });
        },
        {platform::DefaultRunLoopMode, platform::ModalPanelRunLoopMode,
         platform::EventTrackingRunLoopMode});
}

void ArchiveContact::remove() {
    if (auto service = service_.lock())
        service->removeContact(*this);
}

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
    // Archives written before items had a kind hold instant messages only.
    if (Statement columns(impl_->db, "SELECT kind FROM message_archive LIMIT 0"); !columns)
        execute(impl_->db,
                "ALTER TABLE message_archive ADD COLUMN kind INTEGER NOT NULL DEFAULT 1");
    indexMissingWords();
    return std::nullopt;
}

void ArchiveService::close() {
    impl_.reset();
    contacts_.clear();
}

bool ArchiveService::isOpen() const {
    return impl_ != nullptr;
}

// Transcripts kept before the words were indexed get their words now.
void ArchiveService::indexMissingWords() {
    Statement missing(impl_->db, "SELECT id, content FROM message_archive WHERE id NOT IN "
                                 "(SELECT rowid FROM message_archive_words)");
    if (!missing)
        return;
    std::vector<std::pair<long long, std::string>> rows;
    while (missing.step())
        rows.emplace_back(sqlite3_column_int64(missing.get(), 0), missing.text(1));
    if (rows.empty())
        return;
    execute(impl_->db, "BEGIN");
    for (const auto& [id, content] : rows) {
        Statement insert(impl_->db,
                         "INSERT INTO message_archive_words (rowid, words) VALUES (?, ?)");
        if (!insert)
            break;
        insert.bind(1, id);
        insert.bind(2, plainText(content));
        insert.done();
    }
    execute(impl_->db, "COMMIT");
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

std::string ArchiveService::plainText(std::string_view html) {
    std::string out;
    out.reserve(html.size());
    std::size_t i = 0;
    while (i < html.size()) {
        const char c = html[i];
        if (c == '&') {
            if (const std::size_t read = decodeReference(html, i, out)) {
                i += read;
                continue;
            }
            out += c;
            ++i;
            continue;
        }
        if (c != '<') {
            out += c;
            ++i;
            continue;
        }
        if (html.compare(i, 4, "<!--") == 0) {
            const std::size_t end = html.find("-->", i + 4);
            i = end == std::string_view::npos ? html.size() : end + 3;
            out += ' ';
            continue;
        }
        // A tag: skip to its closing '>' outside quoted attribute values.
        std::size_t j = i + 1;
        char quote = 0;
        for (; j < html.size(); ++j) {
            if (quote) {
                if (html[j] == quote)
                    quote = 0;
            } else if (html[j] == '"' || html[j] == '\'') {
                quote = html[j];
            } else if (html[j] == '>') {
                break;
            }
        }
        const bool script = startsWithNoCase(html, i + 1, "script");
        const bool style = startsWithNoCase(html, i + 1, "style");
        i = j < html.size() ? j + 1 : html.size();
        out += ' ';
        if (script || style) {
            // A script's or style's text is no reading matter: skip to its end tag.
            const std::string_view name = script ? "script" : "style";
            std::size_t end = i;
            while ((end = html.find("</", end)) != std::string_view::npos &&
                   !startsWithNoCase(html, end + 2, name))
                end += 2;
            i = end == std::string_view::npos ? html.size() : end;
        }
    }
    return out;
}

std::string ArchiveService::matchQuery(std::string_view text) {
    std::string query;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
            ++i;
        std::size_t end = i;
        while (end < text.size() && !std::isspace(static_cast<unsigned char>(text[end])))
            ++end;
        if (end > i) {
            // Each word is a quoted string (quotes doubled), so nothing typed is query syntax;
            // the star lets it match the words it begins.
            std::string word = "\"";
            for (char c : text.substr(i, end - i))
                word += c == '"' ? std::string("\"\"") : std::string(1, c);
            word += "\"*";
            query += query.empty() ? word : " AND " + word;
        }
        i = end;
    }
    return query;
}

std::shared_ptr<ArchiveItem> ArchiveService::makeItem(long long id, std::string address,
                                                      std::optional<std::string> content,
                                                      platform::Date date, int type) const {
    auto item = std::make_shared<ArchiveItem>(id, std::move(address), std::string(), date, type);
    item->content_ = std::move(content);
    item->service_ = std::const_pointer_cast<ArchiveService>(weak_from_this().lock());
    return item;
}

std::string ArchiveService::contentOf(long long id) const {
    if (!impl_)
        return {};
    Statement select(impl_->db, "SELECT content FROM message_archive WHERE id = ?");
    if (!select)
        return {};
    select.bind(1, id);
    return select.step() ? select.text(0) : std::string();
}

std::string ArchiveService::nameFor(const std::string& key) const {
    if (nameResolver_) {
        if (std::string name = nameResolver_(key); !name.empty())
            return name;
    }
    return key;
}

std::shared_ptr<ArchiveContact> ArchiveService::contactFor(const std::string& key, bool* made) {
    for (const auto& contact : contacts_) {
        if (contact->address() == key) {
            *made = false;
            return contact;
        }
    }
    *made = true;
    auto contact = std::make_shared<ArchiveContact>(weak_from_this(), key, nameFor(key));
    contacts_.push_back(contact);
    return contact;
}

std::shared_ptr<ArchiveItem> ArchiveService::save(const std::string& address,
                                                  const std::string& content, platform::Date date,
                                                  int type) {
    if (!impl_)
        return nullptr;
    const std::string key = archiveKey(address);
    execute(impl_->db, "SAVEPOINT archive_save");
    Statement insert(impl_->db,
                     "INSERT INTO message_archive (owner, address, content, saved, kind) "
                     "VALUES (?, ?, ?, ?, ?)");
    bool done = false;
    long long id = 0;
    if (insert) {
        insert.bind(1, owner_);
        insert.bind(2, key);
        insert.bind(3, content);
        insert.bind(4, date.unixTime());
        insert.bind(5, static_cast<long long>(type));
        done = insert.done();
        id = sqlite3_last_insert_rowid(impl_->db);
    }
    if (done) {
        Statement words(impl_->db,
                        "INSERT INTO message_archive_words (rowid, words) VALUES (?, ?)");
        if (words) {
            words.bind(1, id);
            words.bind(2, plainText(content));
            done = words.done();
        } else {
            done = false;
        }
    }
    if (!done) {
        execute(impl_->db, "ROLLBACK TO archive_save");
        execute(impl_->db, "RELEASE archive_save");
        return nullptr;
    }
    execute(impl_->db, "RELEASE archive_save");
    auto item = makeItem(id, key, content, date, type);
    notifyDelegates([&](OVArchiveServicePro& d) { d.onArchiveItemAdded(item); });
    // Lists already read hear of the new item or party.
    if (!contacts_.empty()) {
        bool made = false;
        auto contact = contactFor(key, &made);
        if (made) {
            notifyDelegates([&](OVArchiveServicePro& d) { d.onArchiveContactAdded(contact); });
        } else {
            contact->notifyDelegates([&](OVArchiveContactPro& d) { d.onArchiveItemAdded(item); });
        }
    }
    return item;
}

std::vector<std::shared_ptr<ArchiveItem>>
ArchiveService::itemsFor(const std::string& address) const {
    if (archiveKey(address).empty())
        return {};
    return search({}, address);
}

std::shared_ptr<ArchiveItem> ArchiveService::latestFor(const std::string& address) const {
    auto items = itemsFor(address);
    return items.empty() ? nullptr : items.back();
}

std::vector<std::shared_ptr<ArchiveItem>>
ArchiveService::search(const std::string& text, const std::string& address, int filterType) const {
    std::vector<std::shared_ptr<ArchiveItem>> items;
    if (!impl_)
        return items;
    const std::string query = matchQuery(text);
    // With words to find, the full-text index leads: its answer is walked once, each hit
    // looked up by id. The other way round the index would be asked once a transcript, which
    // for a short prefix costs a whole scan of its terms every time.
    std::string sql = "SELECT a.id, a.address, a.saved, a.kind FROM ";
    if (!query.empty())
        sql += "message_archive_words w CROSS JOIN message_archive a ON a.id = w.rowid "
               "WHERE w.words MATCH ?3 AND a.owner = ?1";
    else
        sql += "message_archive a WHERE a.owner = ?1";
    if (!address.empty())
        sql += " AND a.address = ?2";
    if (filterType != ArchiveContact::allTypes)
        sql += " AND a.kind = ?4";
    sql += " ORDER BY a.id";
    Statement select(impl_->db, sql.c_str());
    if (!select)
        return items;
    select.bind(1, owner_);
    if (!address.empty())
        select.bind(2, archiveKey(address));
    if (!query.empty())
        select.bind(3, query);
    select.bind(4, static_cast<long long>(filterType - 1));
    while (select.step()) {
        items.push_back(
            makeItem(sqlite3_column_int64(select.get(), 0), select.text(1), std::nullopt,
                     platform::Date::fromUnixTime(sqlite3_column_double(select.get(), 2)),
                     sqlite3_column_int(select.get(), 3)));
    }
    return items;
}

void ArchiveService::queryContacts() {
    if (impl_) {
        Statement select(impl_->db, "SELECT DISTINCT address FROM message_archive WHERE owner = ?");
        if (select) {
            select.bind(1, owner_);
            while (select.step()) {
                bool made = false;
                contactFor(select.text(0), &made);
            }
        }
    }
    std::stable_sort(contacts_.begin(), contacts_.end(), [](const auto& a, const auto& b) {
        return a->nameToDisplay() < b->nameToDisplay();
    });
    std::weak_ptr<ArchiveService> weak = weak_from_this();
    platform::RunLoop::main().performAfterDelay(
        0,
        [weak] {
            if (auto self = weak.lock())
                self->notifyDelegates(
                    [](OVArchiveServicePro& d) { d.onArchiveContactAllUpdated(); });
        },
        {platform::DefaultRunLoopMode, platform::ModalPanelRunLoopMode,
         platform::EventTrackingRunLoopMode});
}

bool ArchiveService::inArchive(const std::string& address) const {
    if (!impl_)
        return false;
    Statement select(impl_->db,
                     "SELECT 1 FROM message_archive WHERE owner = ? AND address = ? LIMIT 1");
    if (!select)
        return false;
    select.bind(1, owner_);
    select.bind(2, archiveKey(address));
    return select.step();
}

bool ArchiveService::removeItem(const ArchiveItem& item) {
    if (!impl_)
        return false;
    const long long id = item.itemID();
    const std::string address = item.address();
    execute(impl_->db, "SAVEPOINT archive_remove");
    Statement remove(impl_->db, "DELETE FROM message_archive WHERE id = ? AND owner = ?");
    Statement words(impl_->db, "DELETE FROM message_archive_words WHERE rowid = ?");
    bool done = remove && words;
    if (done) {
        remove.bind(1, id);
        remove.bind(2, owner_);
        words.bind(1, id);
        done = remove.done() && words.done();
    }
    execute(impl_->db, done ? "RELEASE archive_remove" : "ROLLBACK TO archive_remove");
    if (!done) {
        execute(impl_->db, "RELEASE archive_remove");
        return false;
    }
    // The party's lists lose the item; a party left without items goes.
    for (const auto& contact : contacts_) {
        if (contact->address() != address)
            continue;
        auto held = contact; // the contact may go while its delegates hear of it
        auto& items = held->items_;
        std::shared_ptr<ArchiveItem> removed;
        if (auto it = std::find_if(items.begin(), items.end(),
                                   [&](const auto& i) { return i->itemID() == id; });
            it != items.end()) {
            removed = *it;
            items.erase(it);
        } else {
            removed = makeItem(id, address, item.content(), item.date(), item.type());
        }
        held->notifyDelegates([&](OVArchiveContactPro& d) { d.onArchiveItemRemoved(removed); });
        if (!inArchive(address))
            removeContact(*held);
        break;
    }
    return true;
}

bool ArchiveService::removeContact(const ArchiveContact& contact) {
    if (!impl_)
        return false;
    const std::string address = contact.address();
    execute(impl_->db, "SAVEPOINT archive_remove");
    Statement words(impl_->db, "DELETE FROM message_archive_words WHERE rowid IN "
                               "(SELECT id FROM message_archive WHERE owner = ? AND address = ?)");
    Statement remove(impl_->db, "DELETE FROM message_archive WHERE owner = ? AND address = ?");
    bool done = remove && words;
    if (done) {
        words.bind(1, owner_);
        words.bind(2, address);
        remove.bind(1, owner_);
        remove.bind(2, address);
        done = words.done() && remove.done();
    }
    if (!done) {
        execute(impl_->db, "ROLLBACK TO archive_remove");
        execute(impl_->db, "RELEASE archive_remove");
        return false;
    }
    execute(impl_->db, "RELEASE archive_remove");
    auto it = std::find_if(contacts_.begin(), contacts_.end(),
                           [&](const auto& c) { return c.get() == &contact; });
    if (it != contacts_.end()) {
        auto removed = *it;
        contacts_.erase(it);
        removed->items_.clear();
        notifyDelegates([&](OVArchiveServicePro& d) { d.onArchiveContactRemoved(removed); });
    }
    return true;
}
