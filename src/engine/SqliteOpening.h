#pragma once

#include <string>

struct sqlite3;

// A connection to one of the engine's SQLite databases, or why there is none.
struct SqliteOpening {
    enum class Failure { none, open, schema };
    sqlite3* db = nullptr; // the caller's to close
    Failure failure = Failure::none;
    std::string error;

    // Opens the database (created when missing; ":memory:" for one in memory), lets other
    // connections hold it for up to `busyMilliseconds`, and runs `schema`: writing it proves the
    // file is a database we can write, not only open. On failure nothing stays open.
    static SqliteOpening open(const std::string& name, const char* schema,
                              int busyMilliseconds = 2000);
};
