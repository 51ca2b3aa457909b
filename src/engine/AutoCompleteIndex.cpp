#include "engine/AutoCompleteIndex.h"

#include "engine/SqliteOpening.h"

#include <algorithm>
#include <set>
#include <sqlite3.h>

namespace {

constexpr const char* kSchema = R"(
PRAGMA foreign_keys = ON;
CREATE TABLE IF NOT EXISTS call_history (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    owner TEXT NOT NULL,
    address TEXT NOT NULL,
    display TEXT NOT NULL,
    address_type INTEGER NOT NULL,
    entity_id INTEGER NOT NULL,
    incoming INTEGER NOT NULL,
    missed INTEGER NOT NULL,
    video INTEGER NOT NULL,
    started REAL NOT NULL
);
CREATE INDEX IF NOT EXISTS call_history_by_owner ON call_history (owner, started);
CREATE TABLE IF NOT EXISTS call_history_terms (
    owner TEXT NOT NULL,
    term TEXT NOT NULL,
    call_id INTEGER NOT NULL REFERENCES call_history (id) ON DELETE CASCADE
);
DROP INDEX IF EXISTS call_history_terms_by_term;
CREATE INDEX IF NOT EXISTS call_history_terms_by_prefix ON call_history_terms (owner, term, call_id);
CREATE TEMP TABLE IF NOT EXISTS contact_terms (
    term TEXT NOT NULL,
    entity_id INTEGER NOT NULL,
    display_name TEXT NOT NULL,
    address TEXT NOT NULL,
    address_type INTEGER NOT NULL
);
CREATE INDEX IF NOT EXISTS temp.contact_terms_by_term ON contact_terms (term);
CREATE INDEX IF NOT EXISTS temp.contact_terms_by_entity ON contact_terms (entity_id);
)";

// The fields a call can be placed to.
bool isCallableField(std::string_view name) {
    using namespace OVFieldNames;
    return name == fieldSoftphone || name == fieldHomeNum || name == fieldWorkNum ||
           name == fieldMobileNum || name == fieldOtherAddr;
}

std::string_view withoutScheme(std::string_view text) {
    for (std::string_view scheme : {"sip:", "sips:", "tel:", "xmpp:"}) {
        if (text.size() >= scheme.size()) {
            std::string lower(text.substr(0, scheme.size()));
            std::transform(lower.begin(), lower.end(), lower.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
            if (lower == scheme) {
                return text.substr(scheme.size());
            }
        }
    }
    return text;
}

std::string lowered(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

// Bytes of multi-byte characters count as letters, so words in any script stay whole.
bool isWordByte(unsigned char c) {
    return std::isalnum(c) || c >= 0x80;
}

// Matching history terms from which walking the history newest first beats sorting them.
constexpr long long kManyMatches = 400;

// The end of a prefix range: every text starting with `prefix` sorts below it (no byte of
// UTF-8 text is 0xFF).
std::string rangeEnd(const std::string& prefix) {
    return prefix + '\xff';
}

class Statement {
public:
    Statement(sqlite3* db, const char* sql) {
        if (sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt_, nullptr) !=
            SQLITE_OK) {
            stmt_ = nullptr;
        }
    }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool ok() const { return stmt_ != nullptr; }
    // Starts a new use: the previous results and bindings are dropped.
    Statement& use() {
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
        return *this;
    }
    Statement& bind(int index, std::string_view text) {
        sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()),
                          SQLITE_TRANSIENT);
        return *this;
    }
    Statement& bind(int index, long long number) {
        sqlite3_bind_int64(stmt_, index, number);
        return *this;
    }
    Statement& bind(int index, double number) {
        sqlite3_bind_double(stmt_, index, number);
        return *this;
    }
    bool row() { return sqlite3_step(stmt_) == SQLITE_ROW; }
    bool done() {
        const bool ok = sqlite3_step(stmt_) == SQLITE_DONE;
        sqlite3_reset(stmt_);
        return ok;
    }
    std::string text(int column) const {
        const auto* bytes = sqlite3_column_text(stmt_, column);
        return bytes ? std::string(reinterpret_cast<const char*>(bytes),
                                   static_cast<size_t>(sqlite3_column_bytes(stmt_, column)))
                     : std::string();
    }
    long long integer(int column) const { return sqlite3_column_int64(stmt_, column); }
    double real(int column) const { return sqlite3_column_double(stmt_, column); }

private:
    sqlite3_stmt* stmt_ = nullptr;
};

} // namespace

struct AutoCompleteIndex::Impl {
    explicit Impl(sqlite3* database) : db(database) {}
    ~Impl() {
        statements.clear();
        sqlite3_close(db);
    }

    bool exec(const char* sql) const {
        return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
    }

    // Statements are prepared once and kept: the query runs on every keystroke.
    Statement& statement(const char* sql) {
        for (auto& [text, stmt] : statements) {
            if (text == sql) {
                return *stmt;
            }
        }
        statements.emplace_back(sql, std::make_unique<Statement>(db, sql));
        return *statements.back().second;
    }

    sqlite3* db;
    std::vector<std::pair<const char*, std::unique_ptr<Statement>>> statements;
};

AutoCompleteIndex::AutoCompleteIndex() = default;
AutoCompleteIndex::~AutoCompleteIndex() = default;

std::optional<std::string>
AutoCompleteIndex::open(const std::optional<std::filesystem::path>& file) {
    close();
    SqliteOpening opening =
        SqliteOpening::open(file ? file->string() : std::string(":memory:"), kSchema);
    if (!opening.db)
        return opening.error;
    impl_ = std::make_unique<Impl>(opening.db);
    return std::nullopt;
}

void AutoCompleteIndex::close() {
    impl_.reset();
}

bool AutoCompleteIndex::isOpen() const {
    return impl_ != nullptr;
}

std::vector<std::string> AutoCompleteIndex::termsOf(std::string_view text) {
    const std::string lower = lowered(withoutScheme(text));
    std::set<std::string> terms;
    std::string word;
    std::string digits;
    bool phoneLike = !lower.empty();
    for (unsigned char c : lower) {
        if (isWordByte(c)) {
            word += static_cast<char>(c);
        } else if (!word.empty()) {
            terms.insert(std::move(word));
            word.clear();
        }
        if (std::isdigit(c)) {
            digits += static_cast<char>(c);
        } else if (std::string_view("+-(). ").find(static_cast<char>(c)) ==
                   std::string_view::npos) {
            phoneLike = false;
        }
    }
    if (!word.empty()) {
        terms.insert(std::move(word));
    }
    // The whole address finds "bob@sip..." as typed; a phone number is also found by its
    // digits alone, whatever separators it was written with.
    if (lower.find_first_of("@.") != std::string::npos) {
        terms.insert(lower);
    }
    if (phoneLike && !digits.empty()) {
        terms.insert(digits);
    }
    return {terms.begin(), terms.end()};
}

void AutoCompleteIndex::addContacts(const std::vector<std::shared_ptr<OVEntity>>& contacts) {
    if (!impl_) {
        return;
    }
    impl_->exec("BEGIN;");
    auto& insert = impl_->statement(
        "INSERT INTO contact_terms (term, entity_id, display_name, address, address_type) "
        "VALUES (?1, ?2, ?3, ?4, ?5)");
    for (const auto& contact : contacts) {
        if (!contact || contact->type() == OVEntity::typeGroup) {
            continue;
        }
        const auto nameTerms = termsOf(contact->displayName());
        for (const auto& field : contact->fields()) {
            if (!isCallableField(field->name()) || field->valueStr().empty()) {
                continue;
            }
            auto terms = nameTerms;
            for (auto& term : termsOf(field->valueStr())) {
                terms.push_back(std::move(term));
            }
            std::sort(terms.begin(), terms.end());
            terms.erase(std::unique(terms.begin(), terms.end()), terms.end());
            for (const auto& term : terms) {
                insert.use()
                    .bind(1, term)
                    .bind(2, contact->uniqueId())
                    .bind(3, contact->displayName())
                    .bind(4, field->valueStr())
                    .bind(5, static_cast<long long>(addressTypeOfFieldName(field->name())))
                    .done();
            }
        }
    }
    impl_->exec("COMMIT;");
}

void AutoCompleteIndex::removeContacts(const std::vector<long long>& entityIDs) {
    if (!impl_) {
        return;
    }
    impl_->exec("BEGIN;");
    auto& remove = impl_->statement("DELETE FROM contact_terms WHERE entity_id = ?1");
    for (long long id : entityIDs) {
        remove.use().bind(1, id).done();
    }
    impl_->exec("COMMIT;");
}

void AutoCompleteIndex::ContactsRemoved(const std::vector<std::shared_ptr<OVEntity>>& contacts) {
    std::vector<long long> ids;
    for (const auto& contact : contacts)
        if (contact)
            ids.push_back(contact->uniqueId());
    removeContacts(ids);
}

void AutoCompleteIndex::clearContacts() {
    if (impl_) {
        impl_->exec("DELETE FROM contact_terms;");
    }
}

std::optional<long long> AutoCompleteIndex::addCall(const CallHistoryRecord& record) {
    if (!impl_ || !impl_->exec("BEGIN;")) {
        return std::nullopt;
    }
    const auto id = insertCall(record);
    // The call and its terms are written together or not at all.
    impl_->exec(id ? "COMMIT;" : "ROLLBACK;");
    return id;
}

bool AutoCompleteIndex::addCalls(const std::vector<CallHistoryRecord>& records) {
    if (!impl_ || !impl_->exec("BEGIN;")) {
        return false;
    }
    const bool ok = std::all_of(records.begin(), records.end(), [this](const CallHistoryRecord& r) {
        return insertCall(r).has_value();
    });
    impl_->exec(ok ? "COMMIT;" : "ROLLBACK;");
    return ok;
}

std::optional<long long> AutoCompleteIndex::insertCall(const CallHistoryRecord& record) {
    auto& insert = impl_->statement(
        "INSERT INTO call_history (owner, address, display, address_type, entity_id, incoming, "
        "missed, video, started) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)");
    if (!insert.use()
             .bind(1, owner_)
             .bind(2, record.address)
             .bind(3, record.display)
             .bind(4, static_cast<long long>(record.addressType))
             .bind(5, record.entityID)
             .bind(6, static_cast<long long>(record.incoming))
             .bind(7, static_cast<long long>(record.missed))
             .bind(8, static_cast<long long>(record.video))
             .bind(9, record.started)
             .done()) {
        return std::nullopt;
    }
    const long long id = sqlite3_last_insert_rowid(impl_->db);
    auto terms = termsOf(record.display);
    for (auto& term : termsOf(record.address)) {
        terms.push_back(std::move(term));
    }
    std::sort(terms.begin(), terms.end());
    terms.erase(std::unique(terms.begin(), terms.end()), terms.end());
    auto& addTerm = impl_->statement(
        "INSERT INTO call_history_terms (owner, term, call_id) VALUES (?1, ?2, ?3)");
    for (const auto& term : terms) {
        if (!addTerm.use().bind(1, owner_).bind(2, term).bind(3, id).done()) {
            return std::nullopt;
        }
    }
    return id;
}

std::vector<CallHistoryRecord> AutoCompleteIndex::recentCalls(int limit, bool outgoingOnly,
                                                              bool distinctAddresses) const {
    std::vector<CallHistoryRecord> calls;
    if (!impl_ || limit <= 0) {
        return calls;
    }
    auto& query = impl_->statement(
        "SELECT id, address, display, address_type, entity_id, incoming, missed, video, started "
        "FROM call_history WHERE owner = ?1 AND (?2 = 0 OR incoming = 0) "
        "ORDER BY started DESC, id DESC");
    query.use().bind(1, owner_).bind(2, static_cast<long long>(outgoingOnly));
    std::set<std::string> seen;
    while (static_cast<int>(calls.size()) < limit && query.row()) {
        CallHistoryRecord record;
        record.id = query.integer(0);
        record.address = query.text(1);
        if (distinctAddresses && !seen.insert(lowered(record.address)).second) {
            continue;
        }
        record.display = query.text(2);
        record.addressType = static_cast<OVAddressType>(query.integer(3));
        record.entityID = query.integer(4);
        record.incoming = query.integer(5) != 0;
        record.missed = query.integer(6) != 0;
        record.video = query.integer(7) != 0;
        record.started = query.real(8);
        calls.push_back(std::move(record));
    }
    query.use();
    return calls;
}

std::vector<SuggestionRecord> AutoCompleteIndex::suggestions(std::string_view text,
                                                             int limit) const {
    std::vector<SuggestionRecord> found;
    const auto words = termsOf(text);
    if (!impl_ || words.empty() || limit <= 0) {
        return found;
    }
    // The index finds candidates by the longest typed word; every other word must begin a
    // word of the candidate's name or address too ("bob bu" finds Bob Builder).
    const auto key =
        *std::max_element(words.begin(), words.end(),
                          [](const auto& a, const auto& b) { return a.size() < b.size(); });
    auto matchesAll = [&](const std::string& name, const std::string& address) {
        if (words.size() == 1) {
            return true;
        }
        auto terms = termsOf(name);
        for (auto& term : termsOf(address)) {
            terms.push_back(std::move(term));
        }
        return std::all_of(words.begin(), words.end(), [&](const std::string& word) {
            return std::any_of(terms.begin(), terms.end(),
                               [&](const std::string& t) { return t.rfind(word, 0) == 0; });
        });
    };

    auto& contacts = impl_->statement(
        "SELECT DISTINCT entity_id, display_name, address, address_type FROM contact_terms "
        "WHERE term >= ?1 AND term < ?2 LIMIT ?3");
    contacts.use().bind(1, key).bind(2, rangeEnd(key)).bind(3, static_cast<long long>(limit) * 4);
    std::set<std::string> addresses;
    while (static_cast<int>(found.size()) < limit && contacts.row()) {
        SuggestionRecord record;
        record.entityID = contacts.integer(0);
        record.displayName = contacts.text(1);
        record.address = contacts.text(2);
        if (!matchesAll(record.displayName, record.address) ||
            !addresses.insert(lowered(withoutScheme(record.address))).second) {
            continue;
        }
        record.addressType = static_cast<OVAddressType>(contacts.integer(3));
        record.isContact = true;
        found.push_back(std::move(record));
    }
    contacts.use();

    // History addresses, most recently used first. Few matching calls are grouped by address
    // and sorted; many (a scheme or a digit run every address shares) are found faster by
    // walking the history newest first until enough addresses have turned up.
    auto& count = impl_->statement("SELECT count(*) FROM (SELECT 1 FROM call_history_terms "
                                   "WHERE owner = ?1 AND term >= ?2 AND term < ?3 LIMIT ?4)");
    count.use().bind(1, owner_).bind(2, key).bind(3, rangeEnd(key)).bind(4, kManyMatches);
    const bool many = count.row() && count.integer(0) >= kManyMatches;
    count.use();
    auto& history = impl_->statement(
        many ? "SELECT h.address, h.display, h.address_type, h.started FROM call_history h "
               "WHERE h.owner = ?1 AND +h.id IN (SELECT call_id FROM call_history_terms "
               "WHERE owner = ?1 AND term >= ?2 AND term < ?3) "
               "ORDER BY h.started DESC, h.id DESC"
             : "SELECT h.address, h.display, h.address_type, MAX(h.started) AS last "
               "FROM call_history_terms t JOIN call_history h ON h.id = t.call_id "
               "WHERE t.owner = ?1 AND t.term >= ?2 AND t.term < ?3 "
               "GROUP BY h.address ORDER BY last DESC LIMIT ?4");
    history.use().bind(1, owner_).bind(2, key).bind(3, rangeEnd(key));
    if (!many) {
        history.bind(4, static_cast<long long>(limit) * 4);
    }
    std::set<std::string> seenAddresses;
    int fromHistory = 0;
    while (fromHistory < limit && history.row()) {
        SuggestionRecord record;
        record.address = history.text(0);
        if (many && !seenAddresses.insert(record.address).second) {
            continue; // an older call of an address already looked at
        }
        record.displayName = history.text(1);
        // A contact's address is offered once, as the contact.
        if (!matchesAll(record.displayName, record.address) ||
            !addresses.insert(lowered(withoutScheme(record.address))).second) {
            continue;
        }
        record.addressType = static_cast<OVAddressType>(history.integer(2));
        record.lastUsed = history.real(3);
        found.push_back(std::move(record));
        ++fromHistory;
    }
    history.use();
    return found;
}
