#include "platform/Registry.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <sqlite3.h>

#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <string>
#include <sys/file.h>
#include <unistd.h>
#include <unordered_map>

extern char** environ;

namespace {

// Marks a file as ours, so that another program's database is never taken for a store.
constexpr int32_t StoreApplicationId = 0x51525647; // "QRVG"
constexpr int32_t StoreSchemaVersion = 1;
// How long a call waits for another process's write before it gives up.
constexpr int BusyTimeoutMs = 5000;

constexpr uint32_t GenericRead = 0x80000000u;
constexpr uint32_t GenericWrite = 0x40000000u;
constexpr uint32_t GenericExecute = 0x20000000u;
constexpr uint32_t GenericAll = 0x10000000u;
constexpr uint32_t AllKeyRights = 0x3F;

constexpr const char* SchemaSql = R"sql(
CREATE TABLE IF NOT EXISTS keys(
    id      INTEGER PRIMARY KEY AUTOINCREMENT,
    parent  INTEGER REFERENCES keys(id),
    name    BLOB NOT NULL,
    fold    BLOB NOT NULL,
    class   BLOB NOT NULL DEFAULT x'',
    written INTEGER NOT NULL DEFAULT 0);
CREATE UNIQUE INDEX IF NOT EXISTS keys_by_name ON keys(parent, fold);
CREATE TABLE IF NOT EXISTS vals(
    id    INTEGER PRIMARY KEY AUTOINCREMENT,
    key   INTEGER NOT NULL REFERENCES keys(id) ON DELETE CASCADE,
    name  BLOB NOT NULL,
    fold  BLOB NOT NULL,
    type  INTEGER NOT NULL,
    data  BLOB NOT NULL);
CREATE UNIQUE INDEX IF NOT EXISTS vals_by_name ON vals(key, fold);
-- For a person who opens the file: every value under its full key path, numbers and texts readable.
CREATE VIEW IF NOT EXISTS settings AS
WITH RECURSIVE paths(id, path) AS (
    SELECT id, CAST(name AS TEXT) FROM keys WHERE parent IS NULL
    UNION ALL
    SELECT k.id, p.path || '\' || CAST(k.name AS TEXT) FROM keys k JOIN paths p ON k.parent = p.id)
SELECT p.path AS key, CAST(v.name AS TEXT) AS name, v.type AS type,
    CASE
    WHEN v.type = 4 AND length(v.data) = 4 THEN
        ((instr('0123456789ABCDEF', substr(hex(v.data), 1, 1)) - 1) * 16 + instr('0123456789ABCDEF', substr(hex(v.data), 2, 1)) - 1) + 256 * ((instr('0123456789ABCDEF', substr(hex(v.data), 3, 1)) - 1) * 16 + instr('0123456789ABCDEF', substr(hex(v.data), 4, 1)) - 1) + 65536 * ((instr('0123456789ABCDEF', substr(hex(v.data), 5, 1)) - 1) * 16 + instr('0123456789ABCDEF', substr(hex(v.data), 6, 1)) - 1) + 16777216 * ((instr('0123456789ABCDEF', substr(hex(v.data), 7, 1)) - 1) * 16 + instr('0123456789ABCDEF', substr(hex(v.data), 8, 1)) - 1)
        - CASE WHEN ((instr('0123456789ABCDEF', substr(hex(v.data), 7, 1)) - 1) * 16 + instr('0123456789ABCDEF', substr(hex(v.data), 8, 1)) - 1) >= 128 THEN 4294967296 ELSE 0 END
    WHEN v.type IN (1, 2) THEN CAST(v.data AS TEXT)
    ELSE hex(v.data)
    END AS value
FROM vals v JOIN paths p ON p.id = v.key;
)sql";

// The four roots are rows 1 to 4 of the key table.
int64_t RootId(HKEY h)
{
    switch (static_cast<uint32_t>(h)) {
    case 0x80000000u: return 1;
    case 0x80000001u: return 2;
    case 0x80000002u: return 3;
    case 0x80000003u: return 4;
    default: return 0;
    }
}

int64_t NowFileTime()
{
    return QDateTime::currentMSecsSinceEpoch() * 10000 + 116444736000000000LL;
}

// Names arrive as C strings: whatever follows a zero byte is not part of them.
QByteArray CString(const QByteArray& s)
{
    const qsizetype n = s.indexOf('\0');
    return n < 0 ? s : s.left(n);
}

QByteArray AsciiLower(QByteArray s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// The form under which names are compared. Bytes that are not UTF-8 fold only their ASCII letters,
// so that two different undecodable names never become equal.
QByteArray Fold(const QByteArray& name)
{
    bool ascii = true;
    for (char c : name)
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    if (ascii)
        return AsciiLower(name);
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder(name);
    if (decoder.hasError())
        return AsciiLower(name);
    return text.toCaseFolded().toUtf8();
}

int32_t FromSqlite(int rc)
{
    switch (rc & 0xFF) {
    case SQLITE_OK:
    case SQLITE_ROW:
    case SQLITE_DONE: return ERROR_SUCCESS;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_CANTOPEN:
    case SQLITE_AUTH: return ERROR_ACCESS_DENIED;
    case SQLITE_FULL: return ERROR_DISK_FULL;
    case SQLITE_NOMEM: return ERROR_OUTOFMEMORY;
    default: return ERROR_REGISTRY_IO_FAILED;
    }
}

bool IsDamage(int rc)
{
    return (rc & 0xFF) == SQLITE_CORRUPT || (rc & 0xFF) == SQLITE_NOTADB;
}

// Splits "a\b\c" into its levels. Trailing separators are ignored; an empty level is a bad path.
int32_t SplitPath(const QByteArray& subKey, QList<QByteArray>* parts)
{
    parts->clear();
    QByteArray path = CString(subKey);
    while (path.endsWith('\\'))
        path.chop(1);
    if (path.isEmpty())
        return ERROR_SUCCESS;
    for (const QByteArray& part : path.split('\\')) {
        if (part.isEmpty())
            return ERROR_BAD_PATHNAME;
        if (part.size() > MaxKeyNameLength)
            return ERROR_INVALID_PARAMETER;
        parts->append(part);
    }
    return ERROR_SUCCESS;
}

uint32_t Rights(uint32_t sam)
{
    if (sam & (MAXIMUM_ALLOWED | GenericAll))
        return AllKeyRights;
    uint32_t rights = sam & AllKeyRights;
    if (sam & (GenericRead | GenericExecute))
        rights |= KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS | KEY_NOTIFY;
    if (sam & GenericWrite)
        rights |= KEY_SET_VALUE | KEY_CREATE_SUB_KEY;
    return rights;
}

QString DefaultPath()
{
    QString base = QFile::decodeName(qgetenv("XDG_CONFIG_HOME"));
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/Quorvane/registry.db");
}

QString ResolvePath(bool* isDefault)
{
    const QByteArray env = qgetenv("QUORVANE_REGISTRY");
    *isDefault = env.isEmpty();
    return *isDefault ? DefaultPath() : QFile::decodeName(env);
}

// One cached prepared statement, reset when the step is done with.
class Query {
public:
    Query(sqlite3* db, std::unordered_map<std::string, sqlite3_stmt*>& cache, const char* sql)
    {
        auto it = cache.find(sql);
        if (it != cache.end()) {
            stmt = it->second;
        } else {
            prepareRc = sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr);
            if (prepareRc == SQLITE_OK)
                cache.emplace(sql, stmt);
            else
                stmt = nullptr;
        }
    }
    ~Query()
    {
        if (stmt) {
            sqlite3_reset(stmt);
            sqlite3_clear_bindings(stmt);
        }
    }
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    Query& Bind(int i, int64_t v)
    {
        if (stmt)
            sqlite3_bind_int64(stmt, i, v);
        return *this;
    }
    Query& Bind(int i, const QByteArray& v)
    {
        // Never a null pointer: an empty blob must stay an empty blob, not NULL.
        if (stmt)
            sqlite3_bind_blob(stmt, i, v.isNull() ? "" : v.constData(), static_cast<int>(v.size()),
                              SQLITE_TRANSIENT);
        return *this;
    }
    Query& BindBlob(int i, const void* data, uint32_t size)
    {
        if (stmt)
            sqlite3_bind_blob(stmt, i, size ? data : "", static_cast<int>(size), SQLITE_TRANSIENT);
        return *this;
    }
    // SQLITE_ROW, SQLITE_DONE or an error code.
    int Step() { return stmt ? sqlite3_step(stmt) : (prepareRc ? prepareRc : SQLITE_ERROR); }
    int64_t Int(int col) const { return sqlite3_column_int64(stmt, col); }
    QByteArray Blob(int col) const
    {
        const void* p = sqlite3_column_blob(stmt, col);
        const int n = sqlite3_column_bytes(stmt, col);
        return p ? QByteArray(static_cast<const char*>(p), n) : QByteArray("");
    }

private:
    sqlite3_stmt* stmt = nullptr;
    int prepareRc = SQLITE_OK;
};

struct OpenKey {
    int64_t id;
    uint32_t rights;
};

class Store {
public:
    ~Store() { Close(); }

    std::mutex mutex;

    // ERROR_SUCCESS when the store can be used (a read-only store refuses its writes in Write).
    int32_t Ensure()
    {
        if (db)
            return ERROR_SUCCESS;
        return Open();
    }

    void Close()
    {
        for (auto& [sql, stmt] : cache)
            sqlite3_finalize(stmt);
        cache.clear();
        if (db)
            sqlite3_close_v2(db);
        db = nullptr;
        readOnly = false;
    }

    void CloseAndForgetHandles()
    {
        Close();
        handles.clear();
    }

    Query Sql(const char* sql) { return Query(db, cache, sql); }

    // A statement's outcome as a result code; a damaged file is closed so that the next call
    // examines it afresh and moves it aside.
    int32_t Fail(int rc)
    {
        if (IsDamage(rc))
            Close();
        return FromSqlite(rc);
    }

    int Exec(const char* sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr); }
    // Rows the last statement changed.
    int Changes() const { return sqlite3_changes(db); }

    // Runs body inside one write transaction; commits only when it answers ERROR_SUCCESS.
    template <class Body>
    int32_t Write(Body body)
    {
        if (readOnly)
            return ERROR_ACCESS_DENIED;
        int rc = Exec("BEGIN IMMEDIATE");
        if (rc != SQLITE_OK)
            return Fail(rc);
        int32_t result = body();
        if (result == ERROR_SUCCESS) {
            rc = Exec("COMMIT");
            if (rc != SQLITE_OK) {
                Exec("ROLLBACK");
                return Fail(rc);
            }
        } else if (db) {
            Exec("ROLLBACK");
        }
        return result;
    }

    // Resolves a handle to its key; predefined roots need no open call.
    int32_t Resolve(HKEY h, OpenKey* key) const
    {
        if (const int64_t root = RootId(h)) {
            *key = {root, AllKeyRights};
            return ERROR_SUCCESS;
        }
        auto it = handles.find(h);
        if (it == handles.end())
            return ERROR_INVALID_HANDLE;
        *key = it->second;
        return ERROR_SUCCESS;
    }

    // The key behind a handle, provided the handle was opened with the right asked for.
    int32_t ResolveFor(HKEY h, uint32_t right, OpenKey* key) const
    {
        if (int32_t r = Resolve(h, key))
            return r;
        return (key->rights & right) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
    }

    HKEY NewHandle(const OpenKey& key)
    {
        do {
            nextHandle = nextHandle >= 0x7FFFFFF0 ? 0x100 : nextHandle + 4;
        } while (handles.count(nextHandle));
        handles.emplace(nextHandle, key);
        return nextHandle;
    }

    bool CloseHandle(HKEY h) { return handles.erase(h) > 0; }

private:
    enum class Health { Good, Empty, Damaged, Foreign, Unusable };

    static int SingleValue(sqlite3* conn, const char* sql, QByteArray* out)
    {
        sqlite3_stmt* stmt = nullptr;
        int rc = sqlite3_prepare_v2(conn, sql, -1, &stmt, nullptr);
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

    // What a freshly opened connection finds in its file.
    static Health Examine(sqlite3* conn)
    {
        QByteArray appId, objects, version, check;
        int rc = SingleValue(conn, "PRAGMA application_id", &appId);
        if (rc == SQLITE_OK)
            rc = SingleValue(conn, "SELECT count(*) FROM sqlite_master", &objects);
        if (IsDamage(rc))
            return Health::Damaged;
        if (rc != SQLITE_OK)
            return Health::Unusable;
        if (appId.toLongLong() == 0 && objects.toLongLong() == 0)
            return Health::Empty;
        if (appId.toLongLong() != StoreApplicationId)
            return Health::Foreign;
        rc = SingleValue(conn, "PRAGMA user_version", &version);
        if (rc == SQLITE_OK && version.toLongLong() > StoreSchemaVersion)
            return Health::Foreign;
        if (rc == SQLITE_OK)
            rc = SingleValue(conn, "PRAGMA quick_check", &check);
        if (IsDamage(rc) || (rc == SQLITE_OK && check != "ok"))
            return Health::Damaged;
        if (rc != SQLITE_OK)
            return Health::Unusable;
        QByteArray tables;
        rc = SingleValue(conn,
                         "SELECT count(*) FROM sqlite_master WHERE type='table' AND name IN ('keys','vals')",
                         &tables);
        if (rc != SQLITE_OK)
            return IsDamage(rc) ? Health::Damaged : Health::Unusable;
        return tables.toInt() == 2 ? Health::Good : Health::Damaged;
    }

    static Health ExamineFile(const QString& file)
    {
        sqlite3* conn = nullptr;
        Health health = Health::Unusable;
        if (sqlite3_open_v2(QFile::encodeName(file).constData(), &conn, SQLITE_OPEN_READWRITE, nullptr) ==
            SQLITE_OK) {
            sqlite3_busy_timeout(conn, BusyTimeoutMs);
            health = Examine(conn);
        }
        sqlite3_close_v2(conn);
        return health;
    }

    // Keeps an unusable file (and its journal files) under a new name beside it; never deletes it.
    // Done under a lock file so that two programs finding the same damage move it only once.
    static void MoveAside(const QString& file)
    {
        const QByteArray lockName = QFile::encodeName(file + QStringLiteral(".lock"));
        const int lockFd = ::open(lockName.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (lockFd >= 0)
            ::flock(lockFd, LOCK_EX);
        const Health now = ExamineFile(file);
        if (now == Health::Damaged || now == Health::Foreign) {
            const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
            const QString kind = now == Health::Damaged ? QStringLiteral("damaged") : QStringLiteral("foreign");
            QString aside = file + QLatin1Char('.') + kind + QLatin1Char('-') + stamp;
            for (int n = 2; QFileInfo::exists(aside) || QFileInfo::exists(aside + QStringLiteral("-wal")); ++n)
                aside = file + QLatin1Char('.') + kind + QLatin1Char('-') + stamp + QLatin1Char('-') +
                        QString::number(n);
            if (::rename(QFile::encodeName(file).constData(), QFile::encodeName(aside).constData()) == 0) {
                for (const char* suffix : {"-wal", "-shm", "-journal"}) {
                    const QString from = file + QLatin1String(suffix);
                    if (QFileInfo::exists(from))
                        ::rename(QFile::encodeName(from).constData(),
                                 QFile::encodeName(aside + QLatin1String(suffix)).constData());
                }
                std::fprintf(stderr, "Quorvane: the settings store %s is %s; it was kept as %s and a new store was started.\n",
                             QFile::encodeName(file).constData(),
                             now == Health::Damaged ? "damaged" : "not a Quorvane settings store",
                             QFile::encodeName(aside).constData());
                std::fflush(stderr);
            } else {
                std::fprintf(stderr, "Quorvane: the settings store %s is unusable and could not be moved aside.\n",
                             QFile::encodeName(file).constData());
            }
        }
        if (lockFd >= 0) {
            ::flock(lockFd, LOCK_UN);
            ::close(lockFd);
        }
    }

    int32_t Initialise()
    {
        int rc = Exec("BEGIN IMMEDIATE");
        if (rc != SQLITE_OK)
            return FromSqlite(rc);
        QByteArray appId, objects;
        rc = SingleValue(db, "PRAGMA application_id", &appId);
        if (rc == SQLITE_OK)
            rc = SingleValue(db, "SELECT count(*) FROM sqlite_master", &objects);
        // Another program may have set the file up while this one waited for the lock.
        if (rc == SQLITE_OK && appId.toLongLong() == 0 && objects.toLongLong() == 0) {
            rc = Exec(SchemaSql);
            if (rc == SQLITE_OK)
                rc = Exec("INSERT INTO keys(id, parent, name, fold) VALUES"
                          " (1, NULL, 'HKEY_CLASSES_ROOT', 'hkey_classes_root'),"
                          " (2, NULL, 'HKEY_CURRENT_USER', 'hkey_current_user'),"
                          " (3, NULL, 'HKEY_LOCAL_MACHINE', 'hkey_local_machine'),"
                          " (4, NULL, 'HKEY_USERS', 'hkey_users')");
            if (rc == SQLITE_OK)
                rc = Exec("PRAGMA application_id = 1364350535; PRAGMA user_version = 1");
        }
        if (rc == SQLITE_OK)
            rc = Exec("COMMIT");
        if (rc != SQLITE_OK)
            Exec("ROLLBACK");
        return FromSqlite(rc);
    }

    int32_t Open()
    {
        bool isDefault = false;
        const QString file = ResolvePath(&isDefault);
        if (isDefault)
            QDir().mkpath(QFileInfo(file).absolutePath());
        const QByteArray name = QFile::encodeName(file);

        Health health = Health::Unusable;
        for (int attempt = 0; attempt < 3; ++attempt) {
            readOnly = false;
            int rc = sqlite3_open_v2(name.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
            if (rc != SQLITE_OK) {
                sqlite3_close_v2(db);
                db = nullptr;
                // A store we may read but not write still answers the readers.
                rc = sqlite3_open_v2(name.constData(), &db, SQLITE_OPEN_READONLY, nullptr);
                if (rc != SQLITE_OK) {
                    sqlite3_close_v2(db);
                    db = nullptr;
                    return ERROR_ACCESS_DENIED;
                }
                readOnly = true;
            }
            sqlite3_extended_result_codes(db, 1);
            sqlite3_busy_timeout(db, BusyTimeoutMs);
            health = Examine(db);
            if (health == Health::Damaged || health == Health::Foreign) {
                Close();
                MoveAside(file);
                continue;
            }
            break;
        }
        if (health == Health::Empty && readOnly)
            health = Health::Unusable;
        if (health != Health::Good && health != Health::Empty) {
            Close();
            return health == Health::Unusable ? ERROR_REGISTRY_IO_FAILED : ERROR_ACCESS_DENIED;
        }
        if (!readOnly) {
            // WAL lets a second copy of the program read while this one writes; NORMAL syncing
            // keeps every commit through a crash or kill of the program (only a power cut may
            // lose the last few) at a fraction of FULL's cost.
            Exec("PRAGMA journal_mode = WAL");
            Exec("PRAGMA synchronous = NORMAL");
        }
        Exec("PRAGMA foreign_keys = ON");
        if (health == Health::Empty) {
            const int32_t result = Initialise();
            if (result != ERROR_SUCCESS) {
                Close();
                return result;
            }
        }
        return ERROR_SUCCESS;
    }

    sqlite3* db = nullptr;
    bool readOnly = false;
    std::unordered_map<std::string, sqlite3_stmt*> cache;
    std::map<HKEY, OpenKey> handles;
    HKEY nextHandle = 0x100;
};

Store& TheStore()
{
    static Store store;
    return store;
}

// Walks the path from a key; ERROR_FILE_NOT_FOUND when a level is missing.
int32_t FindPath(Store& s, int64_t from, const QList<QByteArray>& parts, int64_t* id)
{
    int64_t current = from;
    for (const QByteArray& part : parts) {
        Query q = s.Sql("SELECT id FROM keys WHERE parent = ?1 AND fold = ?2");
        q.Bind(1, current).Bind(2, Fold(part));
        const int rc = q.Step();
        if (rc == SQLITE_DONE)
            return ERROR_FILE_NOT_FOUND;
        if (rc != SQLITE_ROW)
            return s.Fail(rc);
        current = q.Int(0);
    }
    *id = current;
    return ERROR_SUCCESS;
}

// Stamps a key with the time its values last changed; inside a write.
int32_t MarkWritten(Store& s, int64_t id)
{
    Query w = s.Sql("UPDATE keys SET written = ?1 WHERE id = ?2");
    w.Bind(1, NowFileTime()).Bind(2, id);
    const int rc = w.Step();
    return rc == SQLITE_DONE ? ERROR_SUCCESS : s.Fail(rc);
}

bool KeyExists(Store& s, int64_t id, int32_t* error)
{
    Query q = s.Sql("SELECT 1 FROM keys WHERE id = ?1");
    q.Bind(1, id);
    const int rc = q.Step();
    *error = rc == SQLITE_ROW || rc == SQLITE_DONE ? ERROR_SUCCESS : s.Fail(rc);
    return rc == SQLITE_ROW;
}

// What opening and creating a key begin with: the result cleared, the base key resolved and the
// path split into its levels. The caller holds the store's lock.
int32_t StartOpening(Store& s, HKEY hKey, const QByteArray& subKey, HKEY* phkResult, OpenKey* base,
                     QList<QByteArray>* parts)
{
    if (!phkResult)
        return ERROR_INVALID_PARAMETER;
    *phkResult = 0;
    if (int32_t r = s.Resolve(hKey, base))
        return r;
    return SplitPath(subKey, parts);
}

int32_t OpenImpl(HKEY hKey, const QByteArray& subKey, uint32_t rights, bool sameHandleWhenEmpty, HKEY* phkResult)
{
    Store& s = TheStore();
    std::lock_guard lock(s.mutex);
    OpenKey base;
    QList<QByteArray> parts;
    if (int32_t r = StartOpening(s, hKey, subKey, phkResult, &base, &parts))
        return r;
    if (parts.isEmpty() && sameHandleWhenEmpty) {
        *phkResult = hKey;
        return ERROR_SUCCESS;
    }
    if (s.Ensure() != ERROR_SUCCESS)
        return ERROR_FILE_NOT_FOUND;
    int64_t id = 0;
    if (int32_t r = FindPath(s, base.id, parts, &id))
        return r;
    if (parts.isEmpty()) {
        int32_t error = ERROR_SUCCESS;
        if (!KeyExists(s, id, &error))
            return error ? error : ERROR_KEY_DELETED;
    }
    *phkResult = s.NewHandle({id, rights});
    return ERROR_SUCCESS;
}

int32_t CreateImpl(HKEY hKey, const QByteArray& subKey, const QByteArray& className, uint32_t rights,
                   bool sameHandleWhenEmpty, HKEY* phkResult, uint32_t* disposition)
{
    Store& s = TheStore();
    std::lock_guard lock(s.mutex);
    OpenKey base;
    QList<QByteArray> parts;
    if (int32_t r = StartOpening(s, hKey, subKey, phkResult, &base, &parts))
        return r;
    if (parts.isEmpty() && sameHandleWhenEmpty) {
        if (disposition)
            *disposition = REG_OPENED_EXISTING_KEY;
        *phkResult = hKey;
        return ERROR_SUCCESS;
    }
    if (int32_t r = s.Ensure())
        return r;

    // Most calls find the key already there and need no write at all.
    int64_t id = 0;
    int32_t found = FindPath(s, base.id, parts, &id);
    bool created = false;
    if (found == ERROR_FILE_NOT_FOUND) {
        if (!(base.rights & KEY_CREATE_SUB_KEY))
            return ERROR_ACCESS_DENIED;
        const QByteArray cls = CString(className);
        found = s.Write([&]() -> int32_t {
            int64_t current = base.id;
            const int64_t now = NowFileTime();
            for (const QByteArray& part : parts) {
                int rc;
                {
                    Query q = s.Sql("SELECT id FROM keys WHERE parent = ?1 AND fold = ?2");
                    q.Bind(1, current).Bind(2, Fold(part));
                    rc = q.Step();
                    if (rc == SQLITE_ROW) {
                        current = q.Int(0);
                        continue;
                    }
                }
                if (rc != SQLITE_DONE)
                    return s.Fail(rc);
                Query ins = s.Sql("INSERT INTO keys(parent, name, fold, class, written) VALUES (?1, ?2, ?3, ?4, ?5)");
                ins.Bind(1, current).Bind(2, part).Bind(3, Fold(part)).Bind(4, cls).Bind(5, now);
                rc = ins.Step();
                if ((rc & 0xFF) == SQLITE_CONSTRAINT)
                    return ERROR_KEY_DELETED;
                if (rc != SQLITE_DONE)
                    return s.Fail(rc);
                created = true;
                Query last = s.Sql("SELECT last_insert_rowid()");
                if (last.Step() != SQLITE_ROW)
                    return ERROR_REGISTRY_IO_FAILED;
                current = last.Int(0);
            }
            id = current;
            return ERROR_SUCCESS;
        });
    } else if (found == ERROR_SUCCESS && parts.isEmpty()) {
        int32_t error = ERROR_SUCCESS;
        if (!KeyExists(s, id, &error))
            found = error ? error : ERROR_KEY_DELETED;
    }
    if (found != ERROR_SUCCESS)
        return found;
    if (disposition)
        *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    *phkResult = s.NewHandle({id, rights});
    return ERROR_SUCCESS;
}

int32_t ValueName(const QByteArray& raw, QByteArray* name)
{
    *name = CString(raw);
    return name->size() > MaxValueNameLength ? ERROR_INVALID_PARAMETER : ERROR_SUCCESS;
}

// Hands stored bytes to a caller's buffer the way every reader here does.
int32_t Deliver(const QByteArray& stored, void* data, uint32_t* cbData)
{
    const uint32_t size = static_cast<uint32_t>(stored.size());
    if (!data) {
        if (cbData)
            *cbData = size;
        return ERROR_SUCCESS;
    }
    const uint32_t room = *cbData;
    *cbData = size;
    if (room < size) {
        // The part that fits is there too, for callers that read in two steps.
        std::memcpy(data, stored.constData(), room);
        return ERROR_MORE_DATA;
    }
    std::memcpy(data, stored.constData(), size);
    return ERROR_SUCCESS;
}

} // namespace

int32_t RegOpenKeyA(HKEY hKey, const QByteArray& subKey, HKEY* phkResult)
{
    return OpenImpl(hKey, subKey, AllKeyRights, true, phkResult);
}

int32_t RegOpenKeyExA(HKEY hKey, const QByteArray& subKey, uint32_t, uint32_t samDesired, HKEY* phkResult)
{
    return OpenImpl(hKey, subKey, Rights(samDesired), false, phkResult);
}

int32_t RegCreateKeyA(HKEY hKey, const QByteArray& subKey, HKEY* phkResult)
{
    return CreateImpl(hKey, subKey, QByteArray(), AllKeyRights, true, phkResult, nullptr);
}

int32_t RegCreateKeyExA(HKEY hKey, const QByteArray& subKey, uint32_t, const QByteArray& className, uint32_t,
                        uint32_t samDesired, const void*, HKEY* phkResult, uint32_t* disposition)
{
    return CreateImpl(hKey, subKey, className, Rights(samDesired), false, phkResult, disposition);
}

int32_t RegQueryValueExA(HKEY hKey, const QByteArray& valueName, uint32_t* reserved, uint32_t* type, void* data,
                         uint32_t* cbData)
{
    if (reserved || (data && !cbData))
        return ERROR_INVALID_PARAMETER;
    Store& s = TheStore();
    std::lock_guard lock(s.mutex);
    OpenKey key;
    if (int32_t r = s.ResolveFor(hKey, KEY_QUERY_VALUE, &key))
        return r;
    QByteArray name;
    if (int32_t r = ValueName(valueName, &name))
        return r;
    if (s.Ensure() != ERROR_SUCCESS)
        return ERROR_FILE_NOT_FOUND;
    Query q = s.Sql("SELECT type, data FROM vals WHERE key = ?1 AND fold = ?2");
    q.Bind(1, key.id).Bind(2, Fold(name));
    const int rc = q.Step();
    if (rc == SQLITE_DONE)
        return ERROR_FILE_NOT_FOUND;
    if (rc != SQLITE_ROW)
        return s.Fail(rc);
    if (type)
        *type = static_cast<uint32_t>(q.Int(0));
    return Deliver(q.Blob(1), data, cbData);
}

int32_t RegSetValueExA(HKEY hKey, const QByteArray& valueName, uint32_t, uint32_t type, const void* data,
                       uint32_t cbData)
{
    if (!data && cbData)
        return ERROR_INVALID_PARAMETER;
    Store& s = TheStore();
    std::lock_guard lock(s.mutex);
    OpenKey key;
    if (int32_t r = s.ResolveFor(hKey, KEY_SET_VALUE, &key))
        return r;
    QByteArray name;
    if (int32_t r = ValueName(valueName, &name))
        return r;
    if (int32_t r = s.Ensure())
        return r;
    return s.Write([&]() -> int32_t {
        {
            // An existing value keeps its place in the enumeration order and the case of its name.
            Query q = s.Sql("INSERT INTO vals(key, name, fold, type, data) VALUES (?1, ?2, ?3, ?4, ?5)"
                            " ON CONFLICT(key, fold) DO UPDATE SET type = excluded.type, data = excluded.data");
            q.Bind(1, key.id).Bind(2, name).Bind(3, Fold(name)).Bind(4, static_cast<int64_t>(type));
            q.BindBlob(5, data, cbData);
            const int rc = q.Step();
            if ((rc & 0xFF) == SQLITE_CONSTRAINT)
                return ERROR_KEY_DELETED;
            if (rc != SQLITE_DONE)
                return s.Fail(rc);
        }
        return MarkWritten(s, key.id);
    });
}

int32_t RegDeleteKeyA(HKEY hKey, const QByteArray& subKey)
{
    Store& s = TheStore();
    std::lock_guard lock(s.mutex);
    OpenKey base;
    if (int32_t r = s.Resolve(hKey, &base))
        return r;
    QList<QByteArray> parts;
    if (int32_t r = SplitPath(subKey, &parts))
        return r;
    if (parts.isEmpty() && RootId(hKey))
        return ERROR_ACCESS_DENIED;
    if (int32_t r = s.Ensure())
        return r;
    return s.Write([&]() -> int32_t {
        int64_t id = 0;
        if (int32_t r = FindPath(s, base.id, parts, &id))
            return r;
        if (id <= 4)
            return ERROR_ACCESS_DENIED;
        int rc;
        {
            Query children = s.Sql("SELECT 1 FROM keys WHERE parent = ?1 LIMIT 1");
            children.Bind(1, id);
            rc = children.Step();
            if (rc == SQLITE_ROW)
                return ERROR_ACCESS_DENIED;
            if (rc != SQLITE_DONE)
                return s.Fail(rc);
        }
        Query del = s.Sql("DELETE FROM keys WHERE id = ?1");
        del.Bind(1, id);
        rc = del.Step();
        if (rc != SQLITE_DONE)
            return s.Fail(rc);
        return ERROR_SUCCESS;
    });
}

int32_t RegDeleteValueA(HKEY hKey, const QByteArray& valueName)
{
    Store& s = TheStore();
    std::lock_guard lock(s.mutex);
    OpenKey key;
    if (int32_t r = s.ResolveFor(hKey, KEY_SET_VALUE, &key))
        return r;
    QByteArray name;
    if (int32_t r = ValueName(valueName, &name))
        return r;
    if (int32_t r = s.Ensure())
        return r;
    return s.Write([&]() -> int32_t {
        {
            Query del = s.Sql("DELETE FROM vals WHERE key = ?1 AND fold = ?2");
            del.Bind(1, key.id).Bind(2, Fold(name));
            const int rc = del.Step();
            if (rc != SQLITE_DONE)
                return s.Fail(rc);
            // Nothing deleted: no such value, and the key keeps its write time.
            if (s.Changes() == 0)
                return ERROR_FILE_NOT_FOUND;
        }
        return MarkWritten(s, key.id);
    });
}

// Steps an enumeration query (key id ?1, index ?2) to its row and copies the name in column 0,
// with its NUL, into a buffer of cch characters; *copied (when given) gets its length.
int32_t EnumStep(Store& s, Query& q, int64_t keyId, uint32_t index, char* name, uint32_t cch, uint32_t* copied = nullptr)
{
    q.Bind(1, keyId).Bind(2, static_cast<int64_t>(index));
    const int rc = q.Step();
    if (rc == SQLITE_DONE)
        return ERROR_NO_MORE_ITEMS;
    if (rc != SQLITE_ROW)
        return s.Fail(rc);
    const QByteArray found = q.Blob(0);
    const uint32_t length = static_cast<uint32_t>(found.size());
    if (cch < length + 1)
        return ERROR_MORE_DATA;
    std::memcpy(name, found.constData(), length);
    name[length] = '\0';
    if (copied)
        *copied = length;
    return ERROR_SUCCESS;
}

int32_t RegEnumValueA(HKEY hKey, uint32_t index, char* name, uint32_t* cchName, uint32_t* reserved, uint32_t* type,
                      void* data, uint32_t* cbData)
{
    if (!name || !cchName || reserved || (data && !cbData))
        return ERROR_INVALID_PARAMETER;
    Store& s = TheStore();
    std::lock_guard lock(s.mutex);
    OpenKey key;
    if (int32_t r = s.ResolveFor(hKey, KEY_QUERY_VALUE, &key))
        return r;
    if (s.Ensure() != ERROR_SUCCESS)
        return ERROR_NO_MORE_ITEMS;
    Query q = s.Sql("SELECT name, type, data FROM vals WHERE key = ?1 ORDER BY id LIMIT 1 OFFSET ?2");
    if (int32_t r = EnumStep(s, q, key.id, index, name, *cchName, cchName))
        return r;
    if (type)
        *type = static_cast<uint32_t>(q.Int(1));
    return Deliver(q.Blob(2), data, cbData);
}

int32_t RegEnumKeyA(HKEY hKey, uint32_t index, char* name, uint32_t cchName)
{
    if (!name)
        return ERROR_INVALID_PARAMETER;
    Store& s = TheStore();
    std::lock_guard lock(s.mutex);
    OpenKey key;
    if (int32_t r = s.ResolveFor(hKey, KEY_ENUMERATE_SUB_KEYS, &key))
        return r;
    if (s.Ensure() != ERROR_SUCCESS)
        return ERROR_NO_MORE_ITEMS;
    Query q = s.Sql("SELECT name FROM keys WHERE parent = ?1 ORDER BY fold, name LIMIT 1 OFFSET ?2");
    return EnumStep(s, q, key.id, index, name, cchName);
}

int32_t RegQueryInfoKeyA(HKEY hKey, char* className, uint32_t* cchClass, uint32_t* reserved, uint32_t* subKeys,
                         uint32_t* maxSubKeyLen, uint32_t* maxClassLen, uint32_t* values, uint32_t* maxValueNameLen,
                         uint32_t* maxValueLen, uint32_t* securityDescriptorSize, int64_t* lastWriteTime)
{
    if (reserved || (className && !cchClass))
        return ERROR_INVALID_PARAMETER;
    Store& s = TheStore();
    std::lock_guard lock(s.mutex);
    OpenKey key;
    if (int32_t r = s.ResolveFor(hKey, KEY_QUERY_VALUE, &key))
        return r;
    if (int32_t r = s.Ensure())
        return r;
    QByteArray cls;
    int64_t written = 0;
    {
        Query q = s.Sql("SELECT class, written FROM keys WHERE id = ?1");
        q.Bind(1, key.id);
        const int rc = q.Step();
        if (rc == SQLITE_DONE)
            return ERROR_KEY_DELETED;
        if (rc != SQLITE_ROW)
            return s.Fail(rc);
        cls = q.Blob(0);
        written = q.Int(1);
    }
    if (subKeys || maxSubKeyLen || maxClassLen) {
        Query q = s.Sql("SELECT count(*), ifnull(max(length(name)), 0), ifnull(max(length(class)), 0)"
                        " FROM keys WHERE parent = ?1");
        q.Bind(1, key.id);
        const int rc = q.Step();
        if (rc != SQLITE_ROW)
            return s.Fail(rc);
        if (subKeys)
            *subKeys = static_cast<uint32_t>(q.Int(0));
        if (maxSubKeyLen)
            *maxSubKeyLen = static_cast<uint32_t>(q.Int(1));
        if (maxClassLen)
            *maxClassLen = static_cast<uint32_t>(q.Int(2));
    }
    if (values || maxValueNameLen || maxValueLen) {
        Query q = s.Sql("SELECT count(*), ifnull(max(length(name)), 0), ifnull(max(length(data)), 0)"
                        " FROM vals WHERE key = ?1");
        q.Bind(1, key.id);
        const int rc = q.Step();
        if (rc != SQLITE_ROW)
            return s.Fail(rc);
        if (values)
            *values = static_cast<uint32_t>(q.Int(0));
        if (maxValueNameLen)
            *maxValueNameLen = static_cast<uint32_t>(q.Int(1));
        if (maxValueLen)
            *maxValueLen = static_cast<uint32_t>(q.Int(2));
    }
    if (securityDescriptorSize)
        *securityDescriptorSize = 0;
    if (lastWriteTime)
        *lastWriteTime = written;
    if (cchClass) {
        const uint32_t length = static_cast<uint32_t>(cls.size());
        if (className) {
            if (*cchClass < length + 1) {
                *cchClass = length;
                return ERROR_MORE_DATA;
            }
            std::memcpy(className, cls.constData(), length);
            className[length] = '\0';
        }
        *cchClass = length;
    }
    return ERROR_SUCCESS;
}

int32_t RegCloseKey(HKEY hKey)
{
    if (RootId(hKey))
        return ERROR_SUCCESS;
    Store& s = TheStore();
    std::lock_guard lock(s.mutex);
    return s.CloseHandle(hKey) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

namespace {

QByteArray EnvironmentValue(const QByteArray& name, bool* found)
{
    if (qEnvironmentVariableIsSet(name.constData())) {
        *found = true;
        return qgetenv(name.constData());
    }
    const QByteArray wanted = AsciiLower(name);
    for (char** entry = environ; entry && *entry; ++entry) {
        const char* eq = std::strchr(*entry, '=');
        if (!eq)
            continue;
        if (AsciiLower(QByteArray(*entry, eq - *entry)) == wanted) {
            *found = true;
            return QByteArray(eq + 1);
        }
    }
    *found = false;
    return {};
}

} // namespace

uint32_t ExpandEnvironmentStringsA(const QByteArray& src, char* dst, uint32_t nSize)
{
    const QByteArray text = CString(src);
    QByteArray out;
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype open = text.indexOf('%', i);
        if (open < 0) {
            out += text.mid(i);
            break;
        }
        out += text.mid(i, open - i);
        const qsizetype close = text.indexOf('%', open + 1);
        if (close < 0) {
            out += text.mid(open);
            break;
        }
        const QByteArray name = text.mid(open + 1, close - open - 1);
        bool found = false;
        const QByteArray value = name.isEmpty() ? QByteArray() : EnvironmentValue(name, &found);
        if (found) {
            out += value;
            i = close + 1;
        } else {
            // Not a variable: keep the first '%' and let the second start the next one.
            out += '%';
            out += name;
            i = close;
        }
    }
    const uint32_t needed = static_cast<uint32_t>(out.size()) + 1;
    if (dst && nSize >= needed) {
        std::memcpy(dst, out.constData(), out.size());
        dst[out.size()] = '\0';
    }
    return needed;
}

void RegistryCloseStore()
{
    Store& s = TheStore();
    std::lock_guard lock(s.mutex);
    s.CloseAndForgetHandles();
}

QString RegistryStorePath()
{
    bool isDefault = false;
    return ResolvePath(&isDefault);
}
