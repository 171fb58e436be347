#include "platform/RegistryStore.h"

#include "platform/FileLock.h"
#include "platform/SettingsFile.h"

#include <QDateTime>

#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

// Marks a file as ours, so that another program's database is never taken for a store.
constexpr int32_t StoreApplicationId = 0x51525647; // "QRVG"
// The layout this build writes. A store of ours with a higher number comes from a newer build:
// it is read as far as this build understands it and never changed.
constexpr int32_t StoreSchemaVersion = 1;
// How long a call waits for another process's write before it gives up.
constexpr int BusyTimeoutMs = 5000;
// An opening that takes this long has waited on another program (a lock or a write it keeps).
constexpr std::chrono::milliseconds LongOpening{1000};
// How often one opening may set a bad file aside and start again.
constexpr int MaxOpenAttempts = 3;
// How often, and how far apart, a bad file that a process has open is looked at again before it
// is left where it is.
constexpr int InUseRechecks = 5;
constexpr int InUseRecheckMs = 40;

const QByteArray WalSuffix = "-wal";
const QByteArray SharedMemorySuffix = "-shm";
const QByteArray JournalSuffix = "-journal";
const QByteArray LockSuffix = ".lock";

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

// What the store's own tables and indexes are, as the file itself keeps them: the statements
// that made them (with every column, default, check, collation and reference) in one text. A
// file whose tables are otherwise was not made by us, whatever its marks say.
constexpr const char* ShapeSql = R"sql(
SELECT group_concat(part, char(10)) FROM (
    SELECT type || ' ' || name || ' ' || coalesce(sql, '') AS part FROM sqlite_master
    WHERE tbl_name IN ('keys', 'vals') AND type IN ('table', 'index') ORDER BY type, name);
)sql";

// The roots, rows FirstRootRow to LastRootRow in the order of their HKEY numbers.
constexpr const char* RootsSql = "INSERT INTO keys(id, parent, name, fold) VALUES"
                                 " (1, NULL, 'HKEY_CLASSES_ROOT', 'hkey_classes_root'),"
                                 " (2, NULL, 'HKEY_CURRENT_USER', 'hkey_current_user'),"
                                 " (3, NULL, 'HKEY_LOCAL_MACHINE', 'hkey_local_machine'),"
                                 " (4, NULL, 'HKEY_USERS', 'hkey_users')";

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

// Opens a connection to a store file. A store is data, never code: nothing that the file brings
// runs (no trigger, no view, no function its schema names), and no statement may change the file
// other than through its rows. The connection is made even when the opening fails, and must be closed.
int OpenConnection(const QByteArray& name, int flags, sqlite3** conn)
{
    const int rc = sqlite3_open_v2(name.constData(), conn, flags, nullptr);
    if (rc != SQLITE_OK)
        return rc;
    sqlite3_db_config(*conn, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
    sqlite3_db_config(*conn, SQLITE_DBCONFIG_ENABLE_VIEW, 0, nullptr);
    sqlite3_db_config(*conn, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    sqlite3_db_config(*conn, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    return SQLITE_OK;
}

// The shape of the tables that SchemaSql makes, read once from a store made in memory.
const QByteArray& OurShape()
{
    static const QByteArray shape = [] {
        QByteArray made;
        sqlite3* mem = nullptr;
        if (OpenConnection(":memory:", SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, &mem) == SQLITE_OK &&
            sqlite3_exec(mem, SchemaSql, nullptr, nullptr, nullptr) == SQLITE_OK)
            SqliteSingleValue(mem, ShapeSql, &made);
        sqlite3_close_v2(mem);
        return made;
    }();
    return shape;
}

bool Exists(const QByteArray& file)
{
    struct stat st {};
    return ::lstat(file.constData(), &st) == 0;
}

// The folder of an absolute path.
QByteArray FolderOf(const QByteArray& file)
{
    const qsizetype slash = file.lastIndexOf('/');
    return slash <= 0 ? QByteArray("/") : file.left(slash);
}

// Whether this user may write the store: its folder, and the file itself when it exists.
bool MayWrite(const QByteArray& file)
{
    if (::access(FolderOf(file).constData(), W_OK | X_OK) != 0)
        return false;
    return ::access(file.constData(), F_OK) != 0 || ::access(file.constData(), R_OK | W_OK) == 0;
}

// Whether any process (this one included) has the file open. Looks through /proc, so it sees
// the processes this user may inspect: those that can use the user's store.
bool FileIsOpenAnywhere(const QByteArray& file)
{
    struct stat target {};
    if (::stat(file.constData(), &target) != 0)
        return false;
    DIR* proc = ::opendir("/proc");
    if (!proc)
        return false;
    bool open = false;
    while (!open) {
        const dirent* process = ::readdir(proc);
        if (!process)
            break;
        if (process->d_name[0] < '0' || process->d_name[0] > '9')
            continue;
        const std::string fdFolder = std::string("/proc/") + process->d_name + "/fd";
        DIR* fds = ::opendir(fdFolder.c_str());
        if (!fds)
            continue;
        while (const dirent* fd = ::readdir(fds)) {
            struct stat st {};
            if (fd->d_name[0] != '.' && ::fstatat(::dirfd(fds), fd->d_name, &st, 0) == 0 &&
                st.st_dev == target.st_dev && st.st_ino == target.st_ino) {
                open = true;
                break;
            }
        }
        ::closedir(fds);
    }
    ::closedir(proc);
    return open;
}

// Whether some process holds a lock on the file (SQLite locks its shared memory for as long as
// a connection uses it). Call only when this process holds no lock on it: closing the descriptor
// would drop this process's own locks.
bool FileIsLocked(const QByteArray& file)
{
    const int fd = ::open(file.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return false;
    struct flock probe {};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    const bool locked = ::fcntl(fd, F_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
    ::close(fd);
    return locked;
}

// Whether a process has the store open: seen in /proc (this user's processes), or by the locks
// that a SQLite connection of any user holds.
bool StoreInUse(const QByteArray& file)
{
    return FileIsOpenAnywhere(file) || FileIsLocked(file) || FileIsLocked(file + SharedMemorySuffix);
}

// A leftover of this user's own that this user may not write.
bool IsUnwritableLeftover(const QByteArray& file, bool mustBeEmpty)
{
    struct stat st {};
    return ::lstat(file.constData(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
           (!mustBeEmpty || st.st_size == 0) && ::access(file.constData(), R_OK | W_OK) != 0;
}

// A copy of the program that could only read the store, or an older build of it, may have left
// shared memory (or an empty log) that this user cannot write; SQLite would then refuse every
// save. Neither holds data of its own (the shared memory is rebuilt from the log), so once no
// process uses the store they are removed.
void RemoveUnwritableLeftovers(const QByteArray& file)
{
    const QByteArray shm = file + SharedMemorySuffix;
    const QByteArray wal = file + WalSuffix;
    const bool staleShm = IsUnwritableLeftover(shm, false);
    const bool staleWal = IsUnwritableLeftover(wal, true);
    if ((!staleShm && !staleWal) || StoreInUse(file))
        return;
    if (staleShm)
        ::unlink(shm.constData());
    if (staleWal)
        ::unlink(wal.constData());
}

// How a reader opens a store it may not write. With a writer's log and shared memory present it
// reads through them; otherwise it reads the file as it stands, which creates nothing beside it
// (a log or shared memory left by a read-only opening would break the next writer).
QByteArray ReadOnlyUri(const QByteArray& file)
{
    const bool writerPresent = Exists(file + WalSuffix) && Exists(file + SharedMemorySuffix);
    return "file:" + file.toPercentEncoding("/") +
           (writerPresent ? "?mode=ro" : "?immutable=1");
}

// An exclusive lock file beside the store, held while a bad file is examined and set aside, and
// removed again on release. A waiter that wakes on a lock file already removed tries afresh, so
// that two holders never think they hold it at once. A lock that another process keeps longer
// than a write may take is not waited for: the file is then left where it is.
class AsideLock {
public:
    explicit AsideLock(const QByteArray& file) : name(file + LockSuffix)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(BusyTimeoutMs);
        for (;;) {
            fd = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
            if (fd < 0)
                return; // an unwritable folder: nothing there can be moved anyway
            if (!LockFileBy(fd, LOCK_EX, deadline)) {
                ::close(fd);
                fd = -1;
                timedOut = true;
                return;
            }
            struct stat held {}, named {};
            if (::fstat(fd, &held) == 0 && ::stat(name.constData(), &named) == 0 && held.st_dev == named.st_dev &&
                held.st_ino == named.st_ino)
                return;
            ::close(fd);
        }
    }
    ~AsideLock()
    {
        if (fd < 0)
            return;
        ::unlink(name.constData());
        ::flock(fd, LOCK_UN);
        ::close(fd);
    }
    AsideLock(const AsideLock&) = delete;
    AsideLock& operator=(const AsideLock&) = delete;
    // False when another process kept the lock for the whole wait.
    bool Usable() const { return !timedOut; }

private:
    QByteArray name;
    int fd = -1;
    bool timedOut = false;
};

} // namespace

QByteArray RegistryStore::Path()
{
    return SettingsFilePath();
}

int32_t RegistryStore::Ensure()
{
    if (broken)
        return ERROR_REGISTRY_IO_FAILED;
    if (db)
        return ERROR_SUCCESS;
    const auto now = std::chrono::steady_clock::now();
    if (failedOpening != ERROR_SUCCESS && now < failedUntil)
        return failedOpening;
    const int32_t result = Open();
    const auto end = std::chrono::steady_clock::now();
    failedOpening = result != ERROR_SUCCESS && end - now >= LongOpening ? result : ERROR_SUCCESS;
    failedUntil = end + std::chrono::milliseconds(BusyTimeoutMs);
    return result;
}

void RegistryStore::Close()
{
    failedOpening = ERROR_SUCCESS;
    statements.Clear();
    if (db)
        sqlite3_close_v2(db);
    db = nullptr;
    readOnly = false;
    newer = false;
    newerReported = false;
    if (depth > 0)
        broken = true;
}

int32_t RegistryStore::Fail(int rc)
{
    if (IsDamage(rc))
        Close();
    return FromSqlite(rc);
}

int RegistryStore::Changes() const
{
    return sqlite3_changes(db);
}

int RegistryStore::Exec(const char* sql)
{
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
}

int32_t RegistryStore::BeginWrite()
{
    if (broken)
        return ERROR_REGISTRY_IO_FAILED;
    if (int32_t r = Ensure())
        return r;
    if (readOnly) {
        if (newer && !newerReported) {
            newerReported = true;
            Report(Path(), "was written by a newer version of Quorvane; this version reads it and leaves it as it is,"
                           " so settings are not saved.");
        }
        return ERROR_ACCESS_DENIED;
    }
    const int rc = Exec(depth == 0 ? "BEGIN IMMEDIATE" : "SAVEPOINT inner");
    if (rc != SQLITE_OK)
        return Fail(rc);
    ++depth;
    return ERROR_SUCCESS;
}

int32_t RegistryStore::EndWrite(int32_t result)
{
    const bool outer = --depth == 0;
    if (!db) {
        // Closed inside the transaction: SQLite has undone it.
        if (outer)
            broken = false;
        return result != ERROR_SUCCESS ? result : ERROR_REGISTRY_IO_FAILED;
    }
    const char* undo = outer ? "ROLLBACK" : "ROLLBACK TO inner; RELEASE inner";
    if (result == ERROR_SUCCESS) {
        const int rc = Exec(outer ? "COMMIT" : "RELEASE inner");
        if (rc != SQLITE_OK) {
            Exec(undo);
            result = Fail(rc);
        }
    } else {
        Exec(undo);
    }
    if (outer)
        broken = false;
    return result;
}

void RegistryStore::Report(const QByteArray& file, const QByteArray& what)
{
    const QByteArray line = "Quorvane: the settings store " + file + " " + what;
    if (line == lastReport)
        return;
    lastReport = line;
    std::fprintf(stderr, "%s\n", line.constData());
    std::fflush(stderr);
}

// What a freshly opened connection finds in its file.
RegistryStore::Health RegistryStore::Examine(sqlite3* conn)
{
    QByteArray appId, objects, version, check;
    int rc = SqliteSingleValue(conn, "PRAGMA application_id", &appId);
    if (rc == SQLITE_OK)
        rc = SqliteSingleValue(conn, "SELECT count(*) FROM sqlite_master", &objects);
    if (IsDamage(rc))
        return Health::Damaged;
    if (rc != SQLITE_OK)
        return Health::Unusable;
    if (appId.toLongLong() == 0 && objects.toLongLong() == 0)
        return Health::Empty;
    if (appId.toLongLong() != StoreApplicationId)
        return Health::Foreign;
    rc = SqliteSingleValue(conn, "PRAGMA user_version", &version);
    if (rc == SQLITE_OK && version.toLongLong() > StoreSchemaVersion)
        return Health::Newer;
    // The shape first: checking the rows runs the checks their tables declare, which a file not
    // made by us may have written to take for ever.
    QByteArray shape;
    if (rc == SQLITE_OK)
        rc = SqliteSingleValue(conn, ShapeSql, &shape);
    if (IsDamage(rc))
        return Health::Damaged;
    if (rc != SQLITE_OK)
        return Health::Unusable;
    if (shape.isEmpty())
        return Health::Damaged; // our mark, without our tables
    if (OurShape().isEmpty() || shape != OurShape())
        return Health::Foreign;
    rc = SqliteSingleValue(conn, "PRAGMA quick_check", &check);
    if (IsDamage(rc) || (rc == SQLITE_OK && check != "ok"))
        return Health::Damaged;
    return rc == SQLITE_OK ? Health::Good : Health::Unusable;
}

RegistryStore::Health RegistryStore::ExamineFile(const QByteArray& file)
{
    sqlite3* conn = nullptr;
    Health health = Health::Unusable;
    if (OpenConnection(file, SQLITE_OPEN_READWRITE, &conn) == SQLITE_OK) {
        sqlite3_busy_timeout(conn, BusyTimeoutMs);
        health = Examine(conn);
    }
    sqlite3_close_v2(conn);
    return health;
}

// Keeps a damaged or foreign file (and its log files) under a new name beside it; never deletes
// it, and never moves one that a process has open, which would go on writing into the moved file.
// True when the caller may open the store again.
bool RegistryStore::MoveAside(const QByteArray& file)
{
    const AsideLock lock(file);
    if (!lock.Usable()) {
        Report(file, "cannot be examined: another program keeps its lock file " + file + LockSuffix +
                         "; no settings are saved.");
        return false;
    }
    const Health now = ExamineFile(file);
    if (now != Health::Damaged && now != Health::Foreign)
        return true; // another program set it aside (or mended it) meanwhile
    const QByteArray what = now == Health::Damaged ? "is damaged" : "is not a Quorvane settings store";
    // Another copy of the program that meets the same file holds it open only while it looks at it.
    bool inUse = StoreInUse(file);
    for (int n = 0; inUse && n < InUseRechecks; ++n) {
        std::this_thread::sleep_for(std::chrono::milliseconds(InUseRecheckMs));
        inUse = StoreInUse(file);
    }
    if (inUse) {
        Report(file, what + " and a program has it open; it was left as it is and no settings are saved.");
        return false;
    }
    const QByteArray stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")).toLatin1();
    const QByteArray kind = now == Health::Damaged ? "damaged" : "foreign";
    QByteArray aside = file + '.' + kind + '-' + stamp;
    for (int n = 2; Exists(aside) || Exists(aside + WalSuffix); ++n)
        aside = file + '.' + kind + '-' + stamp + '-' + QByteArray::number(n);
    if (::rename(file.constData(), aside.constData()) != 0) {
        Report(file, what + " and could not be moved aside.");
        return false;
    }
    for (const QByteArray& suffix : {WalSuffix, SharedMemorySuffix, JournalSuffix})
        if (Exists(file + suffix))
            ::rename((file + suffix).constData(), (aside + suffix).constData());
    Report(file, what + "; it was kept as " + aside + " and a new store was started.");
    return true;
}

int32_t RegistryStore::Initialise()
{
    int rc = Exec("BEGIN IMMEDIATE");
    if (rc != SQLITE_OK)
        return FromSqlite(rc);
    QByteArray appId, objects;
    rc = SqliteSingleValue(db, "PRAGMA application_id", &appId);
    if (rc == SQLITE_OK)
        rc = SqliteSingleValue(db, "SELECT count(*) FROM sqlite_master", &objects);
    // Another program may have set the file up while this one waited for the lock.
    if (rc == SQLITE_OK && appId.toLongLong() == 0 && objects.toLongLong() == 0) {
        rc = Exec(SchemaSql);
        if (rc == SQLITE_OK)
            rc = Exec(RootsSql);
        if (rc == SQLITE_OK)
            rc = Exec(QByteArray("PRAGMA application_id = " + QByteArray::number(StoreApplicationId) +
                                 "; PRAGMA user_version = " + QByteArray::number(StoreSchemaVersion))
                          .constData());
    }
    if (rc == SQLITE_OK)
        rc = Exec("COMMIT");
    if (rc != SQLITE_OK)
        Exec("ROLLBACK");
    return FromSqlite(rc);
}

// Opens a connection to the file: for writing when this user may write it, else for reading
// without creating anything beside it.
int32_t RegistryStore::Connect(const QByteArray& file)
{
    if (MayWrite(file)) {
        RemoveUnwritableLeftovers(file);
        readOnly = false;
        if (OpenConnection(file, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, &db) == SQLITE_OK)
            return ERROR_SUCCESS;
        sqlite3_close_v2(db);
        db = nullptr;
    }
    if (!Exists(file))
        return ERROR_ACCESS_DENIED;
    if (OpenConnection(ReadOnlyUri(file), SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, &db) != SQLITE_OK) {
        sqlite3_close_v2(db);
        db = nullptr;
        return ERROR_ACCESS_DENIED;
    }
    readOnly = true;
    return ERROR_SUCCESS;
}

int32_t RegistryStore::Open()
{
    bool isDefault = false;
    const QByteArray file = SettingsFilePath(&isDefault);
    // No home folder, or a folder that QUORVANE_REGISTRY names and that is not there: run without
    // a store, as for any store that cannot be opened.
    if (file.isEmpty() || !MakeSettingsFolder(file, isDefault))
        return ERROR_ACCESS_DENIED;

    Health health = Health::Unusable;
    for (int attempt = 0; attempt < MaxOpenAttempts; ++attempt) {
        if (int32_t r = Connect(file))
            return r;
        sqlite3_extended_result_codes(db, 1);
        sqlite3_busy_timeout(db, BusyTimeoutMs);
        health = Examine(db);
        // A file this user may only read cannot be moved safely: another user may be writing it.
        if ((health == Health::Damaged || health == Health::Foreign) && !readOnly) {
            Close();
            if (!MoveAside(file))
                return ERROR_ACCESS_DENIED;
            continue;
        }
        break;
    }
    if (health == Health::Empty && readOnly)
        health = Health::Unusable;
    if (health != Health::Good && health != Health::Empty && health != Health::Newer) {
        Close();
        return health == Health::Unusable ? ERROR_REGISTRY_IO_FAILED : ERROR_ACCESS_DENIED;
    }
    if (health == Health::Newer) {
        // Its layout is not ours to change: read what this build understands, write nothing.
        Exec("PRAGMA query_only = 1");
        readOnly = true;
        newer = true;
    } else if (!readOnly) {
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
