#pragma once
// The settings store: a persistent, hierarchical, typed key/value store with the call shapes of the
// Windows registry functions the program was written against, so that the code above it reads the
// way it was designed. Everything lives in one SQLite file per user:
//   $QUORVANE_REGISTRY, else $XDG_CONFIG_HOME/Quorvane/registry.db (~/.config/... when unset);
//   platform/SettingsFile.h says how the file is found.
// The file is opened on the first call, not at start-up. All four hives live in that one file.
//
// Names of keys and values are compared without regard to case and keep the case they were created
// with. Paths separate levels with '\'. Texts are UTF-8 bytes (our "ANSI code page").
// Every function returns a Windows result code; none of them throws (RegistryTransaction passes on
// what its body throws, after undoing the body's writes).
//
// Several processes may use the same file at once; each write is one atomic transaction, and
// RegistryTransaction makes several writes one.
//
// A store this user may read but not write (the file or its folder read-only) answers the readers
// and refuses every write, without leaving any file beside it. A store written by a newer version
// of the program is read as far as this version understands it and never written. A file that is
// damaged or not a store of ours is kept beside the store under a new name and a new store is
// started, unless a process has that file open: it then stays as it is, reads answer nothing and
// writes are refused until the file is free. Something other than a plain file in the store's place
// or in that of its side files (a FIFO, a folder, a device) is never opened: reads answer nothing
// and writes are refused. The store may lie in a folder of any depth.
//
// What keeps settings from being kept (a store that cannot be opened or written, a save that
// fails) is said on standard error, one line naming the file and the reason, once a run.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>

using HKEY = int32_t;

// Predefined roots (as signed 32-bit numbers, the way the callers hold them).
inline constexpr HKEY HKEY_CLASSES_ROOT = static_cast<HKEY>(0x80000000u);
inline constexpr HKEY HKEY_CURRENT_USER = static_cast<HKEY>(0x80000001u);
inline constexpr HKEY HKEY_LOCAL_MACHINE = static_cast<HKEY>(0x80000002u);
inline constexpr HKEY HKEY_USERS = static_cast<HKEY>(0x80000003u);

// Result codes.
inline constexpr int32_t ERROR_SUCCESS = 0;
inline constexpr int32_t ERROR_FILE_NOT_FOUND = 2;
inline constexpr int32_t ERROR_ACCESS_DENIED = 5;
inline constexpr int32_t ERROR_INVALID_HANDLE = 6;
inline constexpr int32_t ERROR_OUTOFMEMORY = 14;
inline constexpr int32_t ERROR_INVALID_PARAMETER = 87;
inline constexpr int32_t ERROR_DISK_FULL = 112;
inline constexpr int32_t ERROR_BAD_PATHNAME = 161;
inline constexpr int32_t ERROR_MORE_DATA = 234;
inline constexpr int32_t ERROR_NO_MORE_ITEMS = 259;
inline constexpr int32_t ERROR_REGISTRY_IO_FAILED = 1016;
inline constexpr int32_t ERROR_KEY_DELETED = 1018;

// Value types.
inline constexpr uint32_t REG_NONE = 0;
inline constexpr uint32_t REG_SZ = 1;
inline constexpr uint32_t REG_EXPAND_SZ = 2;
inline constexpr uint32_t REG_BINARY = 3;
inline constexpr uint32_t REG_DWORD = 4;
inline constexpr uint32_t REG_DWORD_LITTLE_ENDIAN = 4;
inline constexpr uint32_t REG_DWORD_BIG_ENDIAN = 5;
inline constexpr uint32_t REG_LINK = 6;
inline constexpr uint32_t REG_MULTI_SZ = 7;
inline constexpr uint32_t REG_RESOURCE_LIST = 8;
inline constexpr uint32_t REG_FULL_RESOURCE_DESCRIPTOR = 9;
inline constexpr uint32_t REG_RESOURCE_REQUIREMENTS_LIST = 10;
inline constexpr uint32_t REG_QWORD = 11;

// Access rights asked for when a key is opened. A handle only allows what it was opened for:
// reading values needs KEY_QUERY_VALUE, writing or deleting them KEY_SET_VALUE, creating a subkey
// through it KEY_CREATE_SUB_KEY, listing subkeys KEY_ENUMERATE_SUB_KEYS; otherwise the call
// answers ERROR_ACCESS_DENIED.
inline constexpr uint32_t KEY_QUERY_VALUE = 0x0001;
inline constexpr uint32_t KEY_SET_VALUE = 0x0002;
inline constexpr uint32_t KEY_CREATE_SUB_KEY = 0x0004;
inline constexpr uint32_t KEY_ENUMERATE_SUB_KEYS = 0x0008;
inline constexpr uint32_t KEY_NOTIFY = 0x0010;
inline constexpr uint32_t KEY_CREATE_LINK = 0x0020;
inline constexpr uint32_t KEY_READ = 0x20019;
inline constexpr uint32_t KEY_WRITE = 0x20006;
inline constexpr uint32_t KEY_ALL_ACCESS = 0xF003F;
inline constexpr uint32_t MAXIMUM_ALLOWED = 0x02000000;

// RegCreateKeyExA options and dispositions.
inline constexpr uint32_t REG_OPTION_NON_VOLATILE = 0;
inline constexpr uint32_t REG_CREATED_NEW_KEY = 1;
inline constexpr uint32_t REG_OPENED_EXISTING_KEY = 2;

// Longest name of one key level, in bytes.
inline constexpr int MaxKeyNameLength = 255;
// Longest value name, in bytes.
inline constexpr int MaxValueNameLength = 16383;

// Opens an existing key with full access. An empty subKey hands back hKey itself.
int32_t RegOpenKeyA(HKEY hKey, const QByteArray& subKey, HKEY* phkResult);
// Opens an existing key with the access asked for. An empty subKey opens hKey's own key anew.
int32_t RegOpenKeyExA(HKEY hKey, const QByteArray& subKey, uint32_t options, uint32_t samDesired,
                      HKEY* phkResult);
// Opens a key, creating every missing level of the path. An empty subKey hands back hKey itself.
int32_t RegCreateKeyA(HKEY hKey, const QByteArray& subKey, HKEY* phkResult);
// As RegCreateKeyA with the access asked for; className is kept with a key it creates;
// securityAttributes is accepted and ignored; disposition (may be null) tells created or opened.
int32_t RegCreateKeyExA(HKEY hKey, const QByteArray& subKey, uint32_t reserved, const QByteArray& className,
                        uint32_t options, uint32_t samDesired, const void* securityAttributes,
                        HKEY* phkResult, uint32_t* disposition);
// Reads a value. Any of type, data and cbData may be null (data needs cbData).
// With data null and cbData given: the size in *cbData. With a buffer too small: as many bytes as fit
// are copied, *cbData holds the size needed and the result is ERROR_MORE_DATA.
int32_t RegQueryValueExA(HKEY hKey, const QByteArray& valueName, uint32_t* reserved, uint32_t* type,
                         void* data, uint32_t* cbData);
// Writes exactly cbData bytes of data under the given type; an empty name is the key's default value.
int32_t RegSetValueExA(HKEY hKey, const QByteArray& valueName, uint32_t reserved, uint32_t type,
                       const void* data, uint32_t cbData);
// Deletes a key and its values; a key that still has subkeys, or a root, is ERROR_ACCESS_DENIED.
int32_t RegDeleteKeyA(HKEY hKey, const QByteArray& subKey);
int32_t RegDeleteValueA(HKEY hKey, const QByteArray& valueName);
// Values come in the order they were first written. *cchName: in, the buffer's size in bytes
// including room for the terminating zero; out, the name's length without it.
int32_t RegEnumValueA(HKEY hKey, uint32_t index, char* name, uint32_t* cchName, uint32_t* reserved,
                      uint32_t* type, void* data, uint32_t* cbData);
// Subkeys come sorted by name, without regard to case. cchName counts the terminating zero.
int32_t RegEnumKeyA(HKEY hKey, uint32_t index, char* name, uint32_t cchName);
// Both listings answer each index with the row the store holds at that index when it is asked,
// writes made between two calls (here or by another process) included; asked index after index
// through one handle, each call takes about the same time however long the listing is.
// Counts and longest lengths (without terminating zeros) of a key; every out-argument may be null.
// lastWriteTime is in 100-ns steps since 1601-01-01 UTC.
int32_t RegQueryInfoKeyA(HKEY hKey, char* className, uint32_t* cchClass, uint32_t* reserved,
                         uint32_t* subKeys, uint32_t* maxSubKeyLen, uint32_t* maxClassLen, uint32_t* values,
                         uint32_t* maxValueNameLen, uint32_t* maxValueLen, uint32_t* securityDescriptorSize,
                         int64_t* lastWriteTime);
int32_t RegCloseKey(HKEY hKey);

// Runs body as one transaction of the store: the writes that the calls above make inside it reach
// the file together when body answers ERROR_SUCCESS, and none of them otherwise. Another process
// sees all of them or none; other threads' calls wait until it ends. Transactions nest: an inner
// one that fails is undone alone, one that succeeds is kept only with the outer one. Answers
// body's result, or the store's error (without running body) when the store cannot be written.
int32_t RegistryTransaction(const std::function<int32_t()>& body);

// For tests and tools: closes the store and every open key handle, so that the next call opens the
// file that QUORVANE_REGISTRY (or the default) names then.
void RegistryCloseStore();
// The file the next opening would use (or the one in use), as the file system's bytes; empty when
// there is none.
QByteArray RegistryStorePath();
