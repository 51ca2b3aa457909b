#include "engine/SqliteOpening.h"

#include <sqlite3.h>

SqliteOpening SqliteOpening::open(const std::string& name, const char* schema,
                                  int busyMilliseconds) {
    SqliteOpening result;
    sqlite3* db = nullptr;
    int rc =
        sqlite3_open_v2(name.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK) {
        result.failure = Failure::open;
        result.error = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
        sqlite3_close(db);
        return result;
    }
    sqlite3_busy_timeout(db, busyMilliseconds);
    char* message = nullptr;
    rc = sqlite3_exec(db, schema, nullptr, nullptr, &message);
    if (rc != SQLITE_OK) {
        result.failure = Failure::schema;
        result.error = message ? message : sqlite3_errstr(rc);
        sqlite3_free(message);
        sqlite3_close(db);
        return result;
    }
    result.db = db;
    return result;
}
