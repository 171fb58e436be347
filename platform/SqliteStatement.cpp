#include "platform/SqliteStatement.h"

namespace {

// SQLite takes an empty blob only from a pointer that is not null.
const char* const NoBytes = "";

} // namespace

sqlite3_stmt* SqliteStatementCache::Get(sqlite3* db, const char* sql, int* rc)
{
    *rc = SQLITE_OK;
    auto it = statements.find(sql);
    if (it != statements.end())
        return it->second;
    sqlite3_stmt* stmt = nullptr;
    *rc = sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr);
    if (*rc != SQLITE_OK) {
        sqlite3_finalize(stmt);
        return nullptr;
    }
    statements.emplace(sql, stmt);
    return stmt;
}

void SqliteStatementCache::Clear()
{
    for (auto& [sql, stmt] : statements)
        sqlite3_finalize(stmt);
    statements.clear();
}

SqliteStatement::SqliteStatement(sqlite3* db, SqliteStatementCache& cache, const char* sql)
{
    stmt = cache.Get(db, sql, &prepareRc);
}

SqliteStatement::~SqliteStatement()
{
    if (stmt) {
        sqlite3_reset(stmt);
        sqlite3_clear_bindings(stmt);
    }
}

SqliteStatement& SqliteStatement::Bind(int i, int64_t v)
{
    if (stmt)
        sqlite3_bind_int64(stmt, i, v);
    return *this;
}

SqliteStatement& SqliteStatement::Bind(int i, const QByteArray& v)
{
    return BindBlob(i, v.constData(), static_cast<uint32_t>(v.size()));
}

SqliteStatement& SqliteStatement::BindBlob(int i, const void* data, uint32_t size)
{
    if (stmt)
        sqlite3_bind_blob(stmt, i, size && data ? data : NoBytes, static_cast<int>(size), SQLITE_TRANSIENT);
    return *this;
}

int SqliteStatement::Step()
{
    if (stmt)
        return sqlite3_step(stmt);
    return prepareRc != SQLITE_OK ? prepareRc : SQLITE_ERROR;
}

int64_t SqliteStatement::Int(int col) const
{
    return stmt ? sqlite3_column_int64(stmt, col) : 0;
}

QByteArray SqliteStatement::Blob(int col) const
{
    if (!stmt)
        return QByteArray("");
    const void* p = sqlite3_column_blob(stmt, col);
    const int n = sqlite3_column_bytes(stmt, col);
    return p ? QByteArray(static_cast<const char*>(p), n) : QByteArray("");
}

int SqliteSingleValue(sqlite3* db, const char* sql, QByteArray* out)
{
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
    if (rc == SQLITE_OK) {
        rc = sqlite3_step(stmt);
        if (rc == SQLITE_ROW) {
            const unsigned char* text = sqlite3_column_text(stmt, 0);
            *out = text ? QByteArray(reinterpret_cast<const char*>(text)) : QByteArray();
            rc = SQLITE_OK;
        }
    }
    sqlite3_finalize(stmt);
    return rc;
}
