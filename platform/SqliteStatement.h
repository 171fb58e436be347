#pragma once
// A small wrapper over SQLite prepared statements: each distinct SQL text is prepared once per
// connection and kept in a cache; a statement taken from the cache is reset and unbound again
// when it goes out of scope, so it can be taken anew by the next call.
#include <QByteArray>

#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <unordered_map>

// The prepared statements of one connection. Clear() (or destruction) finalizes them; it must
// run before the connection is closed.
class SqliteStatementCache {
public:
    SqliteStatementCache() = default;
    ~SqliteStatementCache() { Clear(); }
    SqliteStatementCache(const SqliteStatementCache&) = delete;
    SqliteStatementCache& operator=(const SqliteStatementCache&) = delete;

    // The statement for sql, prepared on first use; null with *rc set when it cannot be prepared.
    sqlite3_stmt* Get(sqlite3* db, const char* sql, int* rc);
    void Clear();

private:
    std::unordered_map<std::string, sqlite3_stmt*> statements;
};

// One use of a cached statement. A statement that failed to prepare binds nothing and answers
// its preparation's error from Step().
class SqliteStatement {
public:
    SqliteStatement(sqlite3* db, SqliteStatementCache& cache, const char* sql);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    SqliteStatement& Bind(int i, int64_t v);
    // An empty or null array binds an empty blob, never NULL.
    SqliteStatement& Bind(int i, const QByteArray& v);
    SqliteStatement& BindBlob(int i, const void* data, uint32_t size);
    // SQLITE_ROW, SQLITE_DONE or an error code.
    int Step();
    int64_t Int(int col) const;
    // The column's bytes; a NULL reads as an empty (not null) array.
    QByteArray Blob(int col) const;

private:
    sqlite3_stmt* stmt = nullptr;
    int prepareRc = SQLITE_OK;
};

// Runs sql (not cached) and gives the first column of its first row as text (empty when NULL).
// SQLITE_OK when a row came back, else the statement's result code.
int SqliteSingleValue(sqlite3* db, const char* sql, QByteArray* out);
