#include "platform/RegistryStore.h"

#include "platform/FileLock.h"
#include "platform/SettingsFile.h"

#include <QDateTime>

#include <sqlite3.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
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

// Why a call on a connection failed, in SQLite's words, with the system's where a file failed it.
QByteArray Reason(sqlite3* conn, int rc)
{
    if (!conn || sqlite3_errcode(conn) == SQLITE_OK)
        return sqlite3_errstr(rc);
    QByteArray text = sqlite3_errmsg(conn);
    const int system = sqlite3_system_errno(conn);
    if (system != 0 && ((rc & 0xFF) == SQLITE_IOERR || (rc & 0xFF) == SQLITE_CANTOPEN))
        text += QByteArray(" (") + std::strerror(system) + ')';
    return text;
}

// Opens a connection to a store file by its folder's alias (or to ":memory:"). A store is data,
// never code: nothing that the file brings runs (no trigger, no view, no function its schema
// names), and no statement may change the file other than through its rows. The connection is
// made even when the opening fails, and must be closed.
int OpenConnection(const QByteArray& name, int flags, sqlite3** conn)
{
    const int rc = sqlite3_open_v2(name.constData(), conn, flags, FolderVfsName());
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

// Every file of the store is named in its folder: a path through the folder may be longer than
// the system takes as a whole.
bool Exists(const SqliteFolder& folder, const QByteArray& name)
{
    struct stat st {};
    return ::fstatat(folder.Fd(), name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0;
}

// Whether something that is not a plain file stands under the name.
bool IsNotAPlainFile(const SqliteFolder& folder, const QByteArray& name)
{
    struct stat st {};
    return ::fstatat(folder.Fd(), name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISREG(st.st_mode);
}

// Why this user may not write the store, its folder or the file itself when it exists; empty when
// they may.
QByteArray WriteRefusal(const SqliteFolder& folder)
{
    const auto why = [](const char* what) {
        return errno == EACCES || errno == EPERM ? QByteArray("the ") + what + " may not be written"
                                                 : QByteArray(std::strerror(errno));
    };
    if (::faccessat(folder.Fd(), ".", W_OK | X_OK, 0) != 0)
        return why("folder");
    const char* file = folder.Name().constData();
    if (::faccessat(folder.Fd(), file, F_OK, 0) == 0 && ::faccessat(folder.Fd(), file, R_OK | W_OK, 0) != 0)
        return why("file");
    return {};
}

// Whether any process (this one included) has the file open. Looks through /proc, so it sees
// the processes this user may inspect: those that can use the user's store.
bool FileIsOpenAnywhere(const SqliteFolder& folder)
{
    struct stat target {};
    if (::fstatat(folder.Fd(), folder.Name().constData(), &target, 0) != 0)
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
// would drop this process's own locks. Anything but a plain file is left unopened.
bool FileIsLocked(const SqliteFolder& folder, const QByteArray& name)
{
    if (!Exists(folder, name) || IsNotAPlainFile(folder, name))
        return false;
    const int fd =
        ::openat(folder.Fd(), name.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY);
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
bool StoreInUse(const SqliteFolder& folder)
{
    return FileIsOpenAnywhere(folder) || FileIsLocked(folder, folder.Name()) ||
           FileIsLocked(folder, folder.Name() + SharedMemorySuffix);
}

// A leftover of this user's own that this user may not write.
bool IsUnwritableLeftover(const SqliteFolder& folder, const QByteArray& name, bool mustBeEmpty)
{
    struct stat st {};
    return ::fstatat(folder.Fd(), name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
           st.st_uid == ::geteuid() && (!mustBeEmpty || st.st_size == 0) &&
           ::faccessat(folder.Fd(), name.constData(), R_OK | W_OK, 0) != 0;
}

// A copy of the program that could only read the store, or an older build of it, may have left
// shared memory (or an empty log) that this user cannot write; SQLite would then refuse every
// save. Neither holds data of its own (the shared memory is rebuilt from the log), so once no
// process uses the store they are removed.
void RemoveUnwritableLeftovers(const SqliteFolder& folder)
{
    const QByteArray shm = folder.Name() + SharedMemorySuffix;
    const QByteArray wal = folder.Name() + WalSuffix;
    const bool staleShm = IsUnwritableLeftover(folder, shm, false);
    const bool staleWal = IsUnwritableLeftover(folder, wal, true);
    if ((!staleShm && !staleWal) || StoreInUse(folder))
        return;
    if (staleShm)
        ::unlinkat(folder.Fd(), shm.constData(), 0);
    if (staleWal)
        ::unlinkat(folder.Fd(), wal.constData(), 0);
}

// How a reader opens a store it may not write. With a writer's log and shared memory present it
// reads through them; otherwise it reads the file as it stands, which creates nothing beside it
// (a log or shared memory left by a read-only opening would break the next writer).
QByteArray ReadOnlyUri(const SqliteFolder& folder)
{
    const bool writerPresent =
        Exists(folder, folder.Name() + WalSuffix) && Exists(folder, folder.Name() + SharedMemorySuffix);
    return "file:" + folder.Alias().toPercentEncoding("/") + (writerPresent ? "?mode=ro" : "?immutable=1");
}

// An exclusive lock file beside the store, held while a bad file is examined and set aside, and
// removed again on release. A waiter that wakes on a lock file already removed tries afresh, so
// that two holders never think they hold it at once. A lock that another program keeps longer
// than a write may take is not waited for: the file is then left where it is, as it is when
// something other than a plain file stands in the lock file's place.
class AsideLock {
public:
    explicit AsideLock(const SqliteFolder& folder) : at(folder.Fd()), name(folder.Name() + LockSuffix)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(BusyTimeoutMs);
        for (;;) {
            fd = ::openat(at, name.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY,
                          0600);
            if (fd < 0)
                return; // an unwritable folder: nothing there can be moved anyway
            struct stat held {}, named {};
            if (::fstat(fd, &held) != 0 || !S_ISREG(held.st_mode)) {
                Refuse("its lock file " + folder.PathOf(name) + " is not a plain file");
                return;
            }
            if (!LockFileBy(fd, LOCK_EX, deadline)) {
                Refuse("another program keeps its lock file " + folder.PathOf(name));
                return;
            }
            if (::fstatat(at, name.constData(), &named, AT_SYMLINK_NOFOLLOW) == 0 && held.st_dev == named.st_dev &&
                held.st_ino == named.st_ino)
                return;
            ::close(fd);
        }
    }
    ~AsideLock()
    {
        if (fd < 0)
            return;
        ::unlinkat(at, name.constData(), 0);
        ::flock(fd, LOCK_UN);
        ::close(fd);
    }
    AsideLock(const AsideLock&) = delete;
    AsideLock& operator=(const AsideLock&) = delete;
    // Why the lock cannot be had: another process kept it for the whole wait, or it is not a file.
    // Empty when it is held, or when none can be made.
    const QByteArray& Refusal() const { return refusal; }

private:
    void Refuse(const QByteArray& why)
    {
        ::close(fd);
        fd = -1;
        refusal = why;
    }

    int at;
    QByteArray name;
    int fd = -1;
    QByteArray refusal;
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
    if (result != ERROR_SUCCESS) {
        Disconnect();
        folder.Close();
    }
    const auto end = std::chrono::steady_clock::now();
    failedOpening = result != ERROR_SUCCESS && end - now >= LongOpening ? result : ERROR_SUCCESS;
    failedUntil = end + std::chrono::milliseconds(BusyTimeoutMs);
    return result;
}

void RegistryStore::Disconnect()
{
    statements.Clear();
    if (db)
        sqlite3_close_v2(db);
    db = nullptr;
    readOnly = false;
    writeRefusal.clear();
    newer = false;
}

void RegistryStore::Close()
{
    failedOpening = ERROR_SUCCESS;
    Disconnect();
    // Only once no connection uses its alias.
    folder.Close();
    if (depth > 0)
        broken = true;
}

int32_t RegistryStore::Fail(int rc)
{
    return Failed(rc, depth > 0);
}

int32_t RegistryStore::Failed(int rc, bool saving)
{
    if (IsDamage(rc)) {
        Close();
        return FromSqlite(rc);
    }
    if (saving)
        Report(Path(), "could not be written: " + Reason(db, rc) + "; the settings were not saved.");
    else
        Report(Path(), "could not be read: " + Reason(db, rc) + "; the defaults are used.");
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
        if (newer)
            Report(Path(), "was written by a newer version of Quorvane; this version reads it and leaves it as it is,"
                           " so settings are not saved.");
        else
            Report(Path(), "cannot be written: " + writeRefusal + "; settings are not saved.");
        return ERROR_ACCESS_DENIED;
    }
    const int rc = Exec(depth == 0 ? "BEGIN IMMEDIATE" : "SAVEPOINT inner");
    if (rc != SQLITE_OK)
        return Failed(rc, true);
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
            // Said while SQLite still holds the reason; a file closed as damaged has been undone.
            result = Failed(rc, true);
            if (db)
                Exec(undo);
        }
    } else {
        Exec(undo);
    }
    if (outer)
        broken = false;
    return result;
}

void RegistryStore::Say(const QByteArray& line)
{
    if (reported.contains(line))
        return;
    reported.insert(line);
    std::fprintf(stderr, "%s\n", line.constData());
    std::fflush(stderr);
}

void RegistryStore::Report(const QByteArray& file, const QByteArray& what)
{
    Say("Quorvane: the settings store " + file + " " + what);
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

RegistryStore::Health RegistryStore::ExamineFile(const QByteArray& alias)
{
    sqlite3* conn = nullptr;
    Health health = Health::Unusable;
    if (OpenConnection(alias, SQLITE_OPEN_READWRITE, &conn) == SQLITE_OK) {
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
    const AsideLock lock(folder);
    if (!lock.Refusal().isEmpty()) {
        Report(file, "cannot be examined: " + lock.Refusal() + "; no settings are saved.");
        return false;
    }
    const Health now = ExamineFile(folder.Alias());
    if (now != Health::Damaged && now != Health::Foreign)
        return true; // another program set it aside (or mended it) meanwhile
    const QByteArray what = now == Health::Damaged ? "is damaged" : "is not a Quorvane settings store";
    // Another copy of the program that meets the same file holds it open only while it looks at it.
    bool inUse = StoreInUse(folder);
    for (int n = 0; inUse && n < InUseRechecks; ++n) {
        std::this_thread::sleep_for(std::chrono::milliseconds(InUseRecheckMs));
        inUse = StoreInUse(folder);
    }
    if (inUse) {
        Report(file, what + " and a program has it open; it was left as it is and no settings are saved.");
        return false;
    }
    const QByteArray stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")).toLatin1();
    const QByteArray kind = now == Health::Damaged ? "damaged" : "foreign";
    const QByteArray& name = folder.Name();
    QByteArray aside = name + '.' + kind + '-' + stamp;
    for (int n = 2; Exists(folder, aside) || Exists(folder, aside + WalSuffix); ++n)
        aside = name + '.' + kind + '-' + stamp + '-' + QByteArray::number(n);
    if (::renameat(folder.Fd(), name.constData(), folder.Fd(), aside.constData()) != 0) {
        Report(file, what + " and could not be moved aside (" + std::strerror(errno) + "); no settings are saved.");
        return false;
    }
    for (const QByteArray& suffix : {WalSuffix, SharedMemorySuffix, JournalSuffix})
        if (Exists(folder, name + suffix))
            ::renameat(folder.Fd(), (name + suffix).constData(), folder.Fd(), (aside + suffix).constData());
    Report(file, what + "; it was kept as " + folder.PathOf(aside) + " and a new store was started.");
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
    return rc;
}

// Opens a connection to the file: for writing when this user may write it, else for reading
// without creating anything beside it.
int32_t RegistryStore::Connect(const QByteArray& file)
{
    writeRefusal = WriteRefusal(folder);
    if (writeRefusal.isEmpty()) {
        RemoveUnwritableLeftovers(folder);
        const int rc = OpenConnection(folder.Alias(), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, &db);
        if (rc == SQLITE_OK)
            return ERROR_SUCCESS;
        writeRefusal = Reason(db, rc);
        sqlite3_close_v2(db);
        db = nullptr;
    }
    if (!Exists(folder, folder.Name())) {
        Report(file, "cannot be made: " + writeRefusal + "; no settings are saved.");
        return ERROR_ACCESS_DENIED;
    }
    const int rc = OpenConnection(ReadOnlyUri(folder), SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, &db);
    if (rc != SQLITE_OK) {
        Report(file, "cannot be opened: " + Reason(db, rc) + "; no settings are saved.");
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
    if (file.isEmpty()) {
        Say("Quorvane: the account has no home folder, so there is no settings store and no settings are saved.");
        return ERROR_ACCESS_DENIED;
    }
    // A folder that QUORVANE_REGISTRY names and that is not there is not made: the program runs
    // without a store there, as for any store that cannot be opened.
    if (!MakeSettingsFolder(file, isDefault) || !folder.Open(file)) {
        Report(file, "cannot be reached: " + QByteArray(std::strerror(errno)) + "; no settings are saved.");
        return ERROR_ACCESS_DENIED;
    }
    // SQLite would wait for ever on a FIFO, and must never write into a device. The side files
    // are SQLite's to open, so the same holds for them.
    if (IsNotAPlainFile(folder, folder.Name())) {
        Report(file, "is not a plain file; no settings are saved.");
        return ERROR_ACCESS_DENIED;
    }
    for (const QByteArray& suffix : {WalSuffix, SharedMemorySuffix, JournalSuffix})
        if (IsNotAPlainFile(folder, folder.Name() + suffix)) {
            Report(file, "cannot be used: " + folder.PathOf(folder.Name() + suffix) +
                             " is not a plain file; no settings are saved.");
            return ERROR_ACCESS_DENIED;
        }

    Health health = Health::Unusable;
    for (int attempt = 0; attempt < MaxOpenAttempts; ++attempt) {
        if (int32_t r = Connect(file))
            return r;
        sqlite3_extended_result_codes(db, 1);
        sqlite3_busy_timeout(db, BusyTimeoutMs);
        health = Examine(db);
        // A file this user may only read cannot be moved safely: another user may be writing it.
        if ((health == Health::Damaged || health == Health::Foreign) && !readOnly) {
            Disconnect();
            if (!MoveAside(file))
                return ERROR_ACCESS_DENIED;
            continue;
        }
        break;
    }
    switch (health) {
    case Health::Good:
    case Health::Newer: break;
    case Health::Empty:
        if (!readOnly)
            break;
        Report(file, "is empty and cannot be set up: " + writeRefusal + "; no settings are saved.");
        return ERROR_REGISTRY_IO_FAILED;
    case Health::Unusable:
        Report(file, "cannot be read: " + Reason(db, SQLITE_ERROR) + "; no settings are saved.");
        return ERROR_REGISTRY_IO_FAILED;
    case Health::Damaged:
    case Health::Foreign:
        Report(file, (health == Health::Damaged ? "is damaged" : "is not a Quorvane settings store") +
                         QByteArray(" and cannot be set aside: ") +
                         (readOnly ? writeRefusal : QByteArray("it came back each time")) +
                         "; no settings are saved.");
        return ERROR_ACCESS_DENIED;
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
        const int rc = Initialise();
        if (rc != SQLITE_OK) {
            Report(file, "cannot be set up: " + Reason(db, rc) + "; no settings are saved.");
            Exec("ROLLBACK");
            return FromSqlite(rc);
        }
    }
    return ERROR_SUCCESS;
}
