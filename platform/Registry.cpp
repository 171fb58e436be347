#include "platform/Registry.h"

#include "platform/RegistryStore.h"

#include <QDateTime>
#include <QList>
#include <QStringDecoder>

#include <cstring>
#include <map>
#include <mutex>

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

int64_t RootId(HKEY h)
{
    for (int64_t i = 0; i < static_cast<int64_t>(std::size(Roots)); ++i)
        if (Roots[i] == h)
            return FirstRootRow + i;
    return 0;
}

int64_t NowFileTime()
{
    return QDateTime::currentMSecsSinceEpoch() * FileTimeStepsPerMs + FileTimeAtUnixEpoch;
}

// Names arrive as C strings: whatever follows a zero byte is not part of them.
QByteArray CString(const QByteArray& s)
{
    const qsizetype n = s.indexOf('\0');
    return n < 0 ? s : s.left(n);
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
        return name.toLower();
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder(name);
    if (decoder.hasError())
        return name.toLower();
    return text.toCaseFolded().toUtf8();
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

// A key's child of a given folded name.
constexpr const char* ChildByNameSql = "SELECT id FROM keys WHERE parent = ?1 AND fold = ?2";

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

    void CloseAndForgetHandles()
    {
        Close();
        handles.clear();
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
            nextHandle = nextHandle >= LastHandle ? FirstHandle : nextHandle + HandleStep;
        } while (handles.count(nextHandle));
        handles.emplace(nextHandle, key);
        return nextHandle;
    }

    bool CloseHandle(HKEY h) { return handles.erase(h) > 0; }

private:
    std::map<HKEY, OpenKey> handles;
    HKEY nextHandle = FirstHandle;
};

using StoreLock = std::lock_guard<std::recursive_mutex>;

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
        SqliteStatement q = s.Sql(ChildByNameSql);
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
    SqliteStatement w = s.Sql("UPDATE keys SET written = ?1 WHERE id = ?2");
    w.Bind(1, NowFileTime()).Bind(2, id);
    const int rc = w.Step();
    return rc == SQLITE_DONE ? ERROR_SUCCESS : s.Fail(rc);
}

bool KeyExists(Store& s, int64_t id, int32_t* error)
{
    SqliteStatement q = s.Sql("SELECT 1 FROM keys WHERE id = ?1");
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
    StoreLock lock(s.mutex);
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
    StoreLock lock(s.mutex);
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
                    SqliteStatement q = s.Sql(ChildByNameSql);
                    q.Bind(1, current).Bind(2, Fold(part));
                    rc = q.Step();
                    if (rc == SQLITE_ROW) {
                        current = q.Int(0);
                        continue;
                    }
                }
                if (rc != SQLITE_DONE)
                    return s.Fail(rc);
                SqliteStatement ins = s.Sql("INSERT INTO keys(parent, name, fold, class, written) VALUES (?1, ?2, ?3, ?4, ?5)");
                ins.Bind(1, current).Bind(2, part).Bind(3, Fold(part)).Bind(4, cls).Bind(5, now);
                rc = ins.Step();
                if ((rc & 0xFF) == SQLITE_CONSTRAINT)
                    return ERROR_KEY_DELETED;
                if (rc != SQLITE_DONE)
                    return s.Fail(rc);
                created = true;
                SqliteStatement last = s.Sql("SELECT last_insert_rowid()");
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
    StoreLock lock(s.mutex);
    OpenKey key;
    if (int32_t r = s.ResolveFor(hKey, KEY_QUERY_VALUE, &key))
        return r;
    QByteArray name;
    if (int32_t r = ValueName(valueName, &name))
        return r;
    if (s.Ensure() != ERROR_SUCCESS)
        return ERROR_FILE_NOT_FOUND;
    SqliteStatement q = s.Sql("SELECT type, data FROM vals WHERE key = ?1 AND fold = ?2");
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
    StoreLock lock(s.mutex);
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
            SqliteStatement q = s.Sql("INSERT INTO vals(key, name, fold, type, data) VALUES (?1, ?2, ?3, ?4, ?5)"
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
    StoreLock lock(s.mutex);
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
        if (id <= LastRootRow)
            return ERROR_ACCESS_DENIED;
        int rc;
        {
            SqliteStatement children = s.Sql("SELECT 1 FROM keys WHERE parent = ?1 LIMIT 1");
            children.Bind(1, id);
            rc = children.Step();
            if (rc == SQLITE_ROW)
                return ERROR_ACCESS_DENIED;
            if (rc != SQLITE_DONE)
                return s.Fail(rc);
        }
        SqliteStatement del = s.Sql("DELETE FROM keys WHERE id = ?1");
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
    StoreLock lock(s.mutex);
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
            SqliteStatement del = s.Sql("DELETE FROM vals WHERE key = ?1 AND fold = ?2");
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
int32_t EnumStep(Store& s, SqliteStatement& q, int64_t keyId, uint32_t index, char* name, uint32_t cch, uint32_t* copied = nullptr)
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
    StoreLock lock(s.mutex);
    OpenKey key;
    if (int32_t r = s.ResolveFor(hKey, KEY_QUERY_VALUE, &key))
        return r;
    if (s.Ensure() != ERROR_SUCCESS)
        return ERROR_NO_MORE_ITEMS;
    SqliteStatement q = s.Sql("SELECT name, type, data FROM vals WHERE key = ?1 ORDER BY id LIMIT 1 OFFSET ?2");
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
    StoreLock lock(s.mutex);
    OpenKey key;
    if (int32_t r = s.ResolveFor(hKey, KEY_ENUMERATE_SUB_KEYS, &key))
        return r;
    if (s.Ensure() != ERROR_SUCCESS)
        return ERROR_NO_MORE_ITEMS;
    SqliteStatement q = s.Sql("SELECT name FROM keys WHERE parent = ?1 ORDER BY fold, name LIMIT 1 OFFSET ?2");
    return EnumStep(s, q, key.id, index, name, cchName);
}

int32_t RegQueryInfoKeyA(HKEY hKey, char* className, uint32_t* cchClass, uint32_t* reserved, uint32_t* subKeys,
                         uint32_t* maxSubKeyLen, uint32_t* maxClassLen, uint32_t* values, uint32_t* maxValueNameLen,
                         uint32_t* maxValueLen, uint32_t* securityDescriptorSize, int64_t* lastWriteTime)
{
    if (reserved || (className && !cchClass))
        return ERROR_INVALID_PARAMETER;
    Store& s = TheStore();
    StoreLock lock(s.mutex);
    OpenKey key;
    if (int32_t r = s.ResolveFor(hKey, KEY_QUERY_VALUE, &key))
        return r;
    if (int32_t r = s.Ensure())
        return r;
    QByteArray cls;
    int64_t written = 0;
    {
        SqliteStatement q = s.Sql("SELECT class, written FROM keys WHERE id = ?1");
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
        SqliteStatement q = s.Sql("SELECT count(*), ifnull(max(length(name)), 0), ifnull(max(length(class)), 0)"
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
        SqliteStatement q = s.Sql("SELECT count(*), ifnull(max(length(name)), 0), ifnull(max(length(data)), 0)"
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
    StoreLock lock(s.mutex);
    return s.CloseHandle(hKey) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

int32_t RegistryTransaction(const std::function<int32_t()>& body)
{
    Store& s = TheStore();
    StoreLock lock(s.mutex);
    return s.Write([&]() -> int32_t { return body(); });
}

void RegistryCloseStore()
{
    Store& s = TheStore();
    StoreLock lock(s.mutex);
    s.CloseAndForgetHandles();
}

QByteArray RegistryStorePath()
{
    return RegistryStore::Path();
}
