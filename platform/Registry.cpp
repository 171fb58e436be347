#include "platform/Registry.h"

#include "platform/RegistryStore.h"

#include <QDateTime>
#include <QList>
#include <QStringDecoder>

#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <utility>

namespace {

constexpr uint32_t GenericRead = 0x80000000u;
constexpr uint32_t GenericWrite = 0x40000000u;
constexpr uint32_t GenericExecute = 0x20000000u;
constexpr uint32_t GenericAll = 0x10000000u;
constexpr uint32_t AllKeyRights = 0x3F;

// Handles given out for opened keys: multiples of HandleStep from FirstHandle, wrapping before
// they could reach the predefined roots' numbers.
constexpr HKEY FirstHandle = 0x100;
constexpr HKEY LastHandle = 0x7FFFFFF0;
constexpr HKEY HandleStep = 4;

// 100-ns steps from 1601-01-01 (the registry's epoch) to 1970-01-01.
constexpr int64_t FileTimeAtUnixEpoch = 116444736000000000LL;
constexpr int64_t FileTimeStepsPerMs = 10000;

// The roots, in the order of their rows in the key table.
constexpr HKEY Roots[] = {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS};

// A call that needs no particular right of its handle.
constexpr uint32_t AnyRight = 0;

int64_t rootId(HKEY h)
{
    for (int64_t i = 0; i < static_cast<int64_t>(std::size(Roots)); ++i)
        if (Roots[i] == h)
            return FirstRootRow + i;
    return 0;
}

int64_t nowFileTime()
{
    return QDateTime::currentMSecsSinceEpoch() * FileTimeStepsPerMs + FileTimeAtUnixEpoch;
}

uint32_t rightsFor(uint32_t sam)
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

// ---- Names ----

// Names arrive as C strings: whatever follows a zero byte is not part of them.
QByteArray cString(const QByteArray& s)
{
    const qsizetype n = s.indexOf('\0');
    return n < 0 ? s : s.left(n);
}

// The form under which names are compared. Bytes that are not UTF-8 fold only their ASCII letters,
// so that two different undecodable names never become equal.
QByteArray fold(const QByteArray& name)
{
    bool ascii = true;
    for (char c : name)
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    if (ascii)
        return name.toLower();
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder(name);
    if (decoder.hasError())
        return name.toLower();
    return text.toCaseFolded().toUtf8();
}

// Splits "a\b\c" into its levels. Trailing separators are ignored; an empty level is a bad path.
int32_t splitPath(const QByteArray& subKey, QList<QByteArray>* parts)
{
    parts->clear();
    QByteArray path = cString(subKey);
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

// A value name as it is stored: up to its first zero byte, and not longer than a value name may be.
int32_t valueNameOf(const QByteArray& raw, QByteArray* name)
{
    *name = cString(raw);
    return name->size() > MaxValueNameLength ? ERROR_INVALID_PARAMETER : ERROR_SUCCESS;
}

// ---- Listings ----
// A listing asks for its rows one index at a time. Counting each call's row from the start made a
// whole listing grow with the square of its length, so every handle keeps the place of the row it
// handed out last, and the same index or the next one is found from there. A place holds only
// while the store stays as it was when the place was taken: every write of ours and every closing
// of the file forgets all places, and SQLite's data version shows what other connections commit.

// A row of a listing: its name, and for values their type and data.
struct ListedRow {
    QByteArray name;
    uint32_t type = 0;
    QByteArray data;
};

// The row a handle's listing handed out last, on the store as it was then.
struct ListingPlace {
    bool held = false;
    int64_t key = 0;
    uint32_t index = 0;
    int64_t dataVersion = 0;
    int64_t id = 0;  // values: the row's id
    QByteArray fold; // subkeys: the row's folded name, unique among its siblings

    bool Leads(int64_t listedKey, uint32_t asked) const
    {
        return held && key == listedKey && (asked == index || asked == uint64_t{index} + 1);
    }
};

// One kind of listing, in the order its rows come; both queries answer the same columns.
struct Listing {
    // The row at index ?2 of key ?1, counted from the start.
    const char* atIndex;
    // The first row of key ?1 at or after the place bound from ?2.
    const char* fromPlace;
    // Binds a place, or (next) the place just after it.
    void (*bindPlace)(SqliteStatement& q, const ListingPlace& place, bool next);
    void (*read)(const SqliteStatement& q, ListedRow* row, ListingPlace* place);
};

// Values in the order they were first written. "+key" keeps SQLite walking the ids from the place
// instead of sorting all the key's values.
constexpr Listing ValueListing = {
    "SELECT name, type, data, id FROM vals WHERE key = ?1 ORDER BY id LIMIT 1 OFFSET ?2",
    "SELECT name, type, data, id FROM vals WHERE +key = ?1 AND id >= ?2 ORDER BY id LIMIT 1",
    [](SqliteStatement& q, const ListingPlace& place, bool next) { q.Bind(2, place.id + (next ? 1 : 0)); },
    [](const SqliteStatement& q, ListedRow* row, ListingPlace* place) {
        row->name = q.Blob(0);
        row->type = static_cast<uint32_t>(q.Int(1));
        row->data = q.Blob(2);
        place->id = q.Int(3);
    },
};

// Subkeys sorted by name without regard to case (no two siblings share a folded name).
constexpr Listing SubkeyListing = {
    "SELECT name, fold FROM keys WHERE parent = ?1 ORDER BY fold LIMIT 1 OFFSET ?2",
    "SELECT name, fold FROM keys WHERE parent = ?1 AND fold >= ?2 ORDER BY fold LIMIT 1",
    // The first name after another is that name followed by a zero byte.
    [](SqliteStatement& q, const ListingPlace& place, bool next) { q.Bind(2, next ? place.fold + '\0' : place.fold); },
    [](const SqliteStatement& q, ListedRow* row, ListingPlace* place) {
        row->name = q.Blob(0);
        place->fold = q.Blob(1);
    },
};

// ---- The store and its handles ----

struct OpenKey {
    int64_t id;
    uint32_t rights;
};

// The process's one view of the store: the file, the key handles opened on it, and the lock that
// every call holds. The lock is recursive so that the calls inside a transaction can take it
// again while the transaction holds it.
class Store : public RegistryStore {
public:
    std::recursive_mutex mutex;

    // Write and Fail stand in front of the store's own, so that no listing continues across a
    // write of ours (nor across one undone), nor across a closing of the file.
    template <class Body>
    int32_t Write(Body body)
    {
        places.clear();
        struct Forget {
            Store& store;
            ~Forget() { store.places.clear(); }
        } forget{*this};
        return RegistryStore::Write(body);
    }

    int32_t Fail(int rc)
    {
        places.clear();
        return RegistryStore::Fail(rc);
    }

    // A statement's end as a result code.
    int32_t Done(int rc) { return rc == SQLITE_DONE ? ERROR_SUCCESS : Fail(rc); }
    // A query's first step as a result code: ERROR_SUCCESS on a row, `none` when there is none.
    int32_t Row(int rc, int32_t none) { return rc == SQLITE_ROW ? ERROR_SUCCESS : rc == SQLITE_DONE ? none : Fail(rc); }

    void CloseAndForgetHandles()
    {
        Close();
        handles.clear();
        places.clear();
    }

    // The key behind a handle, provided the handle was opened with the right asked for (AnyRight:
    // any handle); predefined roots need no open call.
    int32_t ResolveFor(HKEY h, uint32_t right, OpenKey* key) const
    {
        if (const int64_t root = rootId(h)) {
            *key = {root, AllKeyRights};
            return ERROR_SUCCESS;
        }
        auto it = handles.find(h);
        if (it == handles.end())
            return ERROR_INVALID_HANDLE;
        *key = it->second;
        return right == AnyRight || (key->rights & right) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
    }

    HKEY NewHandle(const OpenKey& key)
    {
        do {
            nextHandle = nextHandle >= LastHandle ? FirstHandle : nextHandle + HandleStep;
        } while (handles.count(nextHandle));
        handles.emplace(nextHandle, key);
        return nextHandle;
    }

    bool CloseHandle(HKEY h)
    {
        places.erase(places.lower_bound({h, nullptr}), places.lower_bound({h + 1, nullptr}));
        return handles.erase(h) > 0;
    }

    ListingPlace& PlaceOf(HKEY h, const Listing& listing) { return places[{h, &listing}]; }

private:
    std::map<HKEY, OpenKey> handles;
    std::map<std::pair<HKEY, const Listing*>, ListingPlace> places;
    HKEY nextHandle = FirstHandle;
};

using StoreLock = std::lock_guard<std::recursive_mutex>;

Store& theStore()
{
    static Store store;
    return store;
}

// ---- How every call begins ----

// A file that cannot be opened answers the store's own reason (writers); readers answer as if
// nothing were stored, with a code of their own.
constexpr std::nullopt_t StoresReason = std::nullopt;

// A call's first steps, in this order: the store taken and locked, the handle resolved for the
// right the call needs, then the call's own check of its arguments (`checked`, made beforehand).
// The first that fails is the call's answer; otherwise body's, run under the lock.
template <class Body>
int32_t withHandle(HKEY hKey, uint32_t right, int32_t checked, Body body)
{
    Store& s = theStore();
    StoreLock lock(s.mutex);
    OpenKey key;
    if (int32_t r = s.ResolveFor(hKey, right, &key))
        return r;
    if (checked != ERROR_SUCCESS)
        return checked;
    return body(s, key);
}

// As withHandle, with the store's file opened before body runs: the one helper that runs a call's
// SQL on a resolved key.
template <class Body>
int32_t onKey(HKEY hKey, uint32_t right, int32_t checked, std::optional<int32_t> unopened, Body body)
{
    return withHandle(hKey, right, checked, [&](Store& s, const OpenKey& key) -> int32_t {
        if (int32_t r = s.Ensure())
            return unopened.value_or(r);
        return body(s, key);
    });
}

// ---- Keys ----

// A key's child by name; ERROR_FILE_NOT_FOUND when there is none.
int32_t findChild(Store& s, int64_t parent, const QByteArray& name, int64_t* id)
{
    SqliteStatement q = s.Sql("SELECT id FROM keys WHERE parent = ?1 AND fold = ?2");
    q.Bind(1, parent).Bind(2, fold(name));
    if (int32_t r = s.Row(q.Step(), ERROR_FILE_NOT_FOUND))
        return r;
    *id = q.Int(0);
    return ERROR_SUCCESS;
}

// Walks the path from a key; ERROR_FILE_NOT_FOUND when a level is missing.
int32_t findPath(Store& s, int64_t from, const QList<QByteArray>& parts, int64_t* id)
{
    int64_t current = from;
    for (const QByteArray& part : parts)
        if (int32_t r = findChild(s, current, part, &current))
            return r;
    *id = current;
    return ERROR_SUCCESS;
}

// As findPath; an empty path names the key itself, which another handle may have deleted since.
int32_t findExisting(Store& s, int64_t from, const QList<QByteArray>& parts, int64_t* id)
{
    if (int32_t r = findPath(s, from, parts, id))
        return r;
    if (!parts.isEmpty())
        return ERROR_SUCCESS;
    SqliteStatement q = s.Sql("SELECT 1 FROM keys WHERE id = ?1");
    q.Bind(1, *id);
    return s.Row(q.Step(), ERROR_KEY_DELETED);
}

// Adds a key below `parent`; inside a write.
int32_t insertKey(Store& s, int64_t parent, const QByteArray& name, const QByteArray& className, int64_t now,
                  int64_t* id)
{
    {
        SqliteStatement ins =
            s.Sql("INSERT INTO keys(parent, name, fold, class, written) VALUES (?1, ?2, ?3, ?4, ?5)");
        ins.Bind(1, parent).Bind(2, name).Bind(3, fold(name)).Bind(4, className).Bind(5, now);
        const int rc = ins.Step();
        if ((rc & 0xFF) == SQLITE_CONSTRAINT)
            return ERROR_KEY_DELETED;
        if (int32_t r = s.Done(rc))
            return r;
    }
    SqliteStatement last = s.Sql("SELECT last_insert_rowid()");
    if (last.Step() != SQLITE_ROW)
        return ERROR_REGISTRY_IO_FAILED;
    *id = last.Int(0);
    return ERROR_SUCCESS;
}

// Creates the levels of a path below `base` that are missing, as one write; a level that another
// process made meanwhile is taken as it is. *created tells whether any level was new.
int32_t createPath(Store& s, const OpenKey& base, const QList<QByteArray>& parts, const QByteArray& className,
                   int64_t* id, bool* created)
{
    if (!(base.rights & KEY_CREATE_SUB_KEY))
        return ERROR_ACCESS_DENIED;
    return s.Write([&]() -> int32_t {
        int64_t current = base.id;
        const int64_t now = nowFileTime();
        for (const QByteArray& part : parts) {
            const int32_t found = findChild(s, current, part, &current);
            if (found == ERROR_FILE_NOT_FOUND) {
                if (int32_t r = insertKey(s, current, part, className, now, &current))
                    return r;
                *created = true;
            } else if (found != ERROR_SUCCESS) {
                return found;
            }
        }
        *id = current;
        return ERROR_SUCCESS;
    });
}

// Where an empty path hands back the caller's own handle: once it is known to be one, and with no
// need of the file.
int32_t handBack(HKEY hKey, HKEY* phkResult, uint32_t* disposition)
{
    return withHandle(hKey, AnyRight, ERROR_SUCCESS, [&](Store&, const OpenKey&) {
        if (disposition)
            *disposition = REG_OPENED_EXISTING_KEY;
        *phkResult = hKey;
        return ERROR_SUCCESS;
    });
}

// What opening and creating a key ask for.
struct KeyRequest {
    uint32_t rights = AllKeyRights;
    // An empty path hands back the caller's own handle (else a new handle to the same key).
    bool sameHandleWhenEmpty = false;
    // Missing levels of the path are created, with this class.
    bool create = false;
    QByteArray className{};
};

// A new handle to the key at a path below `base`, made first when the request asks for that.
int32_t handOut(Store& s, const OpenKey& base, const QList<QByteArray>& parts, const KeyRequest& request,
                HKEY* phkResult, uint32_t* disposition)
{
    // Most calls find the key already there and need no write at all.
    int64_t id = 0;
    bool created = false;
    int32_t found = findExisting(s, base.id, parts, &id);
    if (found == ERROR_FILE_NOT_FOUND && request.create)
        found = createPath(s, base, parts, cString(request.className), &id, &created);
    if (found != ERROR_SUCCESS)
        return found;
    if (disposition)
        *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    *phkResult = s.NewHandle({id, request.rights});
    return ERROR_SUCCESS;
}

int32_t openKey(HKEY hKey, const QByteArray& subKey, const KeyRequest& request, HKEY* phkResult,
                uint32_t* disposition)
{
    if (!phkResult)
        return ERROR_INVALID_PARAMETER;
    *phkResult = 0;
    QList<QByteArray> parts;
    const int32_t checked = splitPath(subKey, &parts);
    if (checked == ERROR_SUCCESS && parts.isEmpty() && request.sameHandleWhenEmpty)
        return handBack(hKey, phkResult, disposition);
    // A store that cannot be opened holds no key to open; creating one there fails for its reason.
    const std::optional<int32_t> unopened = request.create ? StoresReason : std::optional(ERROR_FILE_NOT_FOUND);
    return onKey(hKey, AnyRight, checked, unopened, [&](Store& s, const OpenKey& base) {
        return handOut(s, base, parts, request, phkResult, disposition);
    });
}

// Deletes the key at a path below `from`; inside a write. A root, or a key that still has
// subkeys, is refused.
int32_t deleteKey(Store& s, int64_t from, const QList<QByteArray>& parts)
{
    int64_t id = 0;
    if (int32_t r = findPath(s, from, parts, &id))
        return r;
    if (id <= LastRootRow)
        return ERROR_ACCESS_DENIED;
    {
        SqliteStatement children = s.Sql("SELECT 1 FROM keys WHERE parent = ?1 LIMIT 1");
        children.Bind(1, id);
        const int rc = children.Step();
        if (rc == SQLITE_ROW)
            return ERROR_ACCESS_DENIED;
        if (int32_t r = s.Done(rc))
            return r;
    }
    SqliteStatement del = s.Sql("DELETE FROM keys WHERE id = ?1");
    del.Bind(1, id);
    return s.Done(del.Step());
}

// Stamps a key with the time its values last changed; inside a write.
int32_t markWritten(Store& s, int64_t id)
{
    SqliteStatement w = s.Sql("UPDATE keys SET written = ?1 WHERE id = ?2");
    w.Bind(1, nowFileTime()).Bind(2, id);
    return s.Done(w.Step());
}

// ---- Values ----

// Hands stored bytes to a caller's buffer the way every reader here does.
int32_t deliver(const QByteArray& stored, void* data, uint32_t* cbData)
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

// Writes a value; an existing value keeps its place in the listing order and the case of its
// name. Inside a write.
int32_t putValue(Store& s, int64_t key, const QByteArray& name, uint32_t type, const void* data, uint32_t cbData)
{
    SqliteStatement q = s.Sql("INSERT INTO vals(key, name, fold, type, data) VALUES (?1, ?2, ?3, ?4, ?5)"
                              " ON CONFLICT(key, fold) DO UPDATE SET type = excluded.type, data = excluded.data");
    q.Bind(1, key).Bind(2, name).Bind(3, fold(name)).Bind(4, static_cast<int64_t>(type));
    q.BindBlob(5, data, cbData);
    const int rc = q.Step();
    return (rc & 0xFF) == SQLITE_CONSTRAINT ? ERROR_KEY_DELETED : s.Done(rc);
}

// Deletes a value; ERROR_FILE_NOT_FOUND when there is none. Inside a write.
int32_t dropValue(Store& s, int64_t key, const QByteArray& name)
{
    SqliteStatement del = s.Sql("DELETE FROM vals WHERE key = ?1 AND fold = ?2");
    del.Bind(1, key).Bind(2, fold(name));
    if (int32_t r = s.Done(del.Step()))
        return r;
    return s.Changes() == 0 ? ERROR_FILE_NOT_FOUND : ERROR_SUCCESS;
}

// ---- Listings: finding a row ----

// SQLite's count of the commits of other connections, as the read in progress sees it; -1 when
// it cannot be read.
int64_t readDataVersion(Store& s)
{
    SqliteStatement q = s.Sql("PRAGMA data_version");
    return q.Step() == SQLITE_ROW ? q.Int(0) : -1;
}

// Finds the row at `index` of the listing of key `key` through handle h: SQLITE_ROW with the row,
// SQLITE_DONE past the last one, or SQLite's error.
int findListed(Store& s, HKEY h, const Listing& listing, int64_t key, uint32_t index, ListedRow* row)
{
    ListingPlace& place = s.PlaceOf(h, listing);
    // A row read on the same data as the place (the data version is read while the query's read
    // is still open) is the one that counting from the start would find.
    const auto hold = [&](const SqliteStatement& q, int rc, int64_t version) {
        place.held = rc == SQLITE_ROW && version >= 0;
        if (rc == SQLITE_ROW) {
            listing.read(q, row, &place);
            place.key = key;
            place.index = index;
            place.dataVersion = version;
        }
        return rc;
    };
    if (place.Leads(key, index)) {
        SqliteStatement q = s.Sql(listing.fromPlace);
        q.Bind(1, key);
        listing.bindPlace(q, place, index != place.index);
        const int rc = q.Step();
        if (rc == SQLITE_ROW || rc == SQLITE_DONE) {
            const int64_t version = readDataVersion(s);
            if (version == place.dataVersion)
                return hold(q, rc, version);
        }
    }
    SqliteStatement q = s.Sql(listing.atIndex);
    q.Bind(1, key).Bind(2, static_cast<int64_t>(index));
    const int rc = q.Step();
    return hold(q, rc, rc == SQLITE_ROW ? readDataVersion(s) : -1);
}

// Copies a listed name with its NUL into a buffer of cch characters; *copied (when given) gets its
// length. rc is the listing's outcome.
int32_t copyListedName(Store& s, int rc, const QByteArray& found, char* name, uint32_t cch,
                       uint32_t* copied = nullptr)
{
    if (int32_t r = s.Row(rc, ERROR_NO_MORE_ITEMS))
        return r;
    const uint32_t length = static_cast<uint32_t>(found.size());
    if (cch < length + 1)
        return ERROR_MORE_DATA;
    std::memcpy(name, found.constData(), length);
    name[length] = '\0';
    if (copied)
        *copied = length;
    return ERROR_SUCCESS;
}

// ---- Key information ----

// How many subkeys or values a key has, with the longest name and the longest class or data.
constexpr const char* MeasureSubkeysSql =
    "SELECT count(*), ifnull(max(length(name)), 0), ifnull(max(length(class)), 0) FROM keys WHERE parent = ?1";
constexpr const char* MeasureValuesSql =
    "SELECT count(*), ifnull(max(length(name)), 0), ifnull(max(length(data)), 0) FROM vals WHERE key = ?1";

// Runs one of the measures above for what the caller asked (any out-argument may be null; none
// asked, nothing read).
int32_t measure(Store& s, const char* sql, int64_t id, uint32_t* count, uint32_t* longestName,
                uint32_t* longestOther)
{
    if (!count && !longestName && !longestOther)
        return ERROR_SUCCESS;
    SqliteStatement q = s.Sql(sql);
    q.Bind(1, id);
    const int rc = q.Step();
    if (rc != SQLITE_ROW)
        return s.Fail(rc);
    uint32_t* outs[] = {count, longestName, longestOther};
    for (int column = 0; column < 3; ++column)
        if (outs[column])
            *outs[column] = static_cast<uint32_t>(q.Int(column));
    return ERROR_SUCCESS;
}

// A key's class and the time its values last changed.
int32_t readKeyRow(Store& s, int64_t id, QByteArray* cls, int64_t* written)
{
    SqliteStatement q = s.Sql("SELECT class, written FROM keys WHERE id = ?1");
    q.Bind(1, id);
    if (int32_t r = s.Row(q.Step(), ERROR_KEY_DELETED))
        return r;
    *cls = q.Blob(0);
    *written = q.Int(1);
    return ERROR_SUCCESS;
}

// Hands a key's class to the caller: its length without the NUL in *cchClass, and the text with
// it in className when that is given and large enough.
int32_t deliverClass(const QByteArray& cls, char* className, uint32_t* cchClass)
{
    if (!cchClass)
        return ERROR_SUCCESS;
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
    return ERROR_SUCCESS;
}

} // namespace

int32_t RegOpenKeyA(HKEY hKey, const QByteArray& subKey, HKEY* phkResult)
{
    return openKey(hKey, subKey, {.sameHandleWhenEmpty = true}, phkResult, nullptr);
}

int32_t RegOpenKeyExA(HKEY hKey, const QByteArray& subKey, uint32_t, uint32_t samDesired, HKEY* phkResult)
{
    return openKey(hKey, subKey, {.rights = rightsFor(samDesired)}, phkResult, nullptr);
}

int32_t RegCreateKeyA(HKEY hKey, const QByteArray& subKey, HKEY* phkResult)
{
    return openKey(hKey, subKey, {.sameHandleWhenEmpty = true, .create = true}, phkResult, nullptr);
}

int32_t RegCreateKeyExA(HKEY hKey, const QByteArray& subKey, uint32_t, const QByteArray& className, uint32_t,
                        uint32_t samDesired, const void*, HKEY* phkResult, uint32_t* disposition)
{
    return openKey(hKey, subKey, {.rights = rightsFor(samDesired), .create = true, .className = className}, phkResult,
                   disposition);
}

int32_t RegQueryValueExA(HKEY hKey, const QByteArray& valueName, uint32_t* reserved, uint32_t* type, void* data,
                         uint32_t* cbData)
{
    if (reserved || (data && !cbData))
        return ERROR_INVALID_PARAMETER;
    QByteArray name;
    const int32_t checked = valueNameOf(valueName, &name);
    return onKey(hKey, KEY_QUERY_VALUE, checked, ERROR_FILE_NOT_FOUND, [&](Store& s, const OpenKey& key) -> int32_t {
        SqliteStatement q = s.Sql("SELECT type, data FROM vals WHERE key = ?1 AND fold = ?2");
        q.Bind(1, key.id).Bind(2, fold(name));
        if (int32_t r = s.Row(q.Step(), ERROR_FILE_NOT_FOUND))
            return r;
        if (type)
            *type = static_cast<uint32_t>(q.Int(0));
        return deliver(q.Blob(1), data, cbData);
    });
}

int32_t RegSetValueExA(HKEY hKey, const QByteArray& valueName, uint32_t, uint32_t type, const void* data,
                       uint32_t cbData)
{
    if (!data && cbData)
        return ERROR_INVALID_PARAMETER;
    QByteArray name;
    const int32_t checked = valueNameOf(valueName, &name);
    return onKey(hKey, KEY_SET_VALUE, checked, StoresReason, [&](Store& s, const OpenKey& key) {
        return s.Write([&]() -> int32_t {
            if (int32_t r = putValue(s, key.id, name, type, data, cbData))
                return r;
            return markWritten(s, key.id);
        });
    });
}

int32_t RegDeleteKeyA(HKEY hKey, const QByteArray& subKey)
{
    QList<QByteArray> parts;
    int32_t checked = splitPath(subKey, &parts);
    if (checked == ERROR_SUCCESS && parts.isEmpty() && rootId(hKey))
        checked = ERROR_ACCESS_DENIED;
    return onKey(hKey, AnyRight, checked, StoresReason, [&](Store& s, const OpenKey& base) {
        return s.Write([&] { return deleteKey(s, base.id, parts); });
    });
}

int32_t RegDeleteValueA(HKEY hKey, const QByteArray& valueName)
{
    QByteArray name;
    const int32_t checked = valueNameOf(valueName, &name);
    return onKey(hKey, KEY_SET_VALUE, checked, StoresReason, [&](Store& s, const OpenKey& key) {
        return s.Write([&]() -> int32_t {
            // Nothing deleted: no such value, and the key keeps its write time.
            if (int32_t r = dropValue(s, key.id, name))
                return r;
            return markWritten(s, key.id);
        });
    });
}

int32_t RegEnumValueA(HKEY hKey, uint32_t index, char* name, uint32_t* cchName, uint32_t* reserved, uint32_t* type,
                      void* data, uint32_t* cbData)
{
    if (!name || !cchName || reserved || (data && !cbData))
        return ERROR_INVALID_PARAMETER;
    return onKey(hKey, KEY_QUERY_VALUE, ERROR_SUCCESS, ERROR_NO_MORE_ITEMS, [&](Store& s, const OpenKey& key) {
        ListedRow row;
        const int rc = findListed(s, hKey, ValueListing, key.id, index, &row);
        if (int32_t r = copyListedName(s, rc, row.name, name, *cchName, cchName))
            return r;
        if (type)
            *type = row.type;
        return deliver(row.data, data, cbData);
    });
}

int32_t RegEnumKeyA(HKEY hKey, uint32_t index, char* name, uint32_t cchName)
{
    if (!name)
        return ERROR_INVALID_PARAMETER;
    return onKey(hKey, KEY_ENUMERATE_SUB_KEYS, ERROR_SUCCESS, ERROR_NO_MORE_ITEMS, [&](Store& s, const OpenKey& key) {
        ListedRow row;
        const int rc = findListed(s, hKey, SubkeyListing, key.id, index, &row);
        return copyListedName(s, rc, row.name, name, cchName);
    });
}

int32_t RegQueryInfoKeyA(HKEY hKey, char* className, uint32_t* cchClass, uint32_t* reserved, uint32_t* subKeys,
                         uint32_t* maxSubKeyLen, uint32_t* maxClassLen, uint32_t* values, uint32_t* maxValueNameLen,
                         uint32_t* maxValueLen, uint32_t* securityDescriptorSize, int64_t* lastWriteTime)
{
    if (reserved || (className && !cchClass))
        return ERROR_INVALID_PARAMETER;
    return onKey(hKey, KEY_QUERY_VALUE, ERROR_SUCCESS, StoresReason, [&](Store& s, const OpenKey& key) -> int32_t {
        QByteArray cls;
        int64_t written = 0;
        if (int32_t r = readKeyRow(s, key.id, &cls, &written))
            return r;
        if (int32_t r = measure(s, MeasureSubkeysSql, key.id, subKeys, maxSubKeyLen, maxClassLen))
            return r;
        if (int32_t r = measure(s, MeasureValuesSql, key.id, values, maxValueNameLen, maxValueLen))
            return r;
        if (securityDescriptorSize)
            *securityDescriptorSize = 0;
        if (lastWriteTime)
            *lastWriteTime = written;
        return deliverClass(cls, className, cchClass);
    });
}

int32_t RegCloseKey(HKEY hKey)
{
    if (rootId(hKey))
        return ERROR_SUCCESS;
    Store& s = theStore();
    StoreLock lock(s.mutex);
    return s.CloseHandle(hKey) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

int32_t RegistryTransaction(const std::function<int32_t()>& body)
{
    Store& s = theStore();
    StoreLock lock(s.mutex);
    return s.Write([&]() -> int32_t { return body(); });
}

void RegistryCloseStore()
{
    Store& s = theStore();
    StoreLock lock(s.mutex);
    s.CloseAndForgetHandles();
}

QByteArray RegistryStorePath()
{
    return RegistryStore::Path();
}
