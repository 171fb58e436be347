#include "support/cRegistry.h"

#include "platform/Environment.h"
#include "platform/VbError.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

// Closes its key when the operation leaves, by return or by raise.
class KeyHandle {
public:
    KeyHandle() = default;
    ~KeyHandle()
    {
        if (isOpen)
            RegCloseKey(handle);
    }
    KeyHandle(const KeyHandle&) = delete;
    KeyHandle& operator=(const KeyHandle&) = delete;
    // Takes the result of an open or create call; true when the key is open.
    bool Took(int32_t result)
    {
        isOpen = result == ERROR_SUCCESS;
        return isOpen;
    }
    HKEY handle = 0;

private:
    bool isOpen = false;
};

// Query and set value, create and enumerate subkeys, notify, create link.
constexpr uint32_t FullAccess = 0x3F;

int32_t OpenOrCreate(HKEY root, const QString& path, KeyHandle& key)
{
    return RegCreateKeyExA(root, path.toUtf8(), 0, QByteArray(), REG_OPTION_NON_VOLATILE, FullAccess, nullptr,
                           &key.handle, nullptr);
}

// A text with a "%" and, from two characters after it on, another one: an environment reference.
bool HoldsEnvironmentReference(const QString& s)
{
    const qsizetype first = s.indexOf(QLatin1Char('%'));
    return first >= 0 && s.indexOf(QLatin1Char('%'), first + 2) >= 0;
}

QString ExecutableName()
{
    const QString path = QCoreApplication::instance() ? QCoreApplication::applicationFilePath()
                                                      : QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    return QFileInfo(path).completeBaseName();
}

} // namespace

QString CStr(const RegValue& v)
{
    struct Visitor {
        QString operator()(std::monostate) const { return {}; }
        QString operator()(int16_t n) const { return QString::number(n); }
        QString operator()(int32_t n) const { return QString::number(n); }
        QString operator()(double d) const { return QString::number(d, 'g', 15); }
        QString operator()(const QString& s) const { return s; }
        QString operator()(const RegBytes& b) const
        {
            return QString::fromUtf8(reinterpret_cast<const char*>(b.data()), static_cast<qsizetype>(b.size()));
        }
    };
    return std::visit(Visitor{}, v);
}

int32_t CLng(const RegValue& v)
{
    struct Visitor {
        int32_t operator()(std::monostate) const { return 0; }
        int32_t operator()(int16_t n) const { return n; }
        int32_t operator()(int32_t n) const { return n; }
        int32_t operator()(double d) const { return vb::CLng(d); }
        int32_t operator()(const QString& s) const
        {
            bool ok = false;
            const double d = s.trimmed().toDouble(&ok);
            if (!ok)
                vb::Raise(vb::errTypeMismatch);
            return vb::CLng(d);
        }
        int32_t operator()(const RegBytes&) const { vb::Raise(vb::errTypeMismatch); }
    };
    return std::visit(Visitor{}, v);
}

void cRegistry::RaiseError(int32_t number, const QString& description) const
{
    vb::Raise(number, description, ExecutableName() + QStringLiteral(".cRegistry"));
}

QString cRegistry::SetValueMessage(const RegValue& vValue) const
{
    return QStringLiteral("Failed to set registry value Key: '") + QString::number(mlngClassKey) +
           QStringLiteral("',Section: '") + mstrSectionKey + QStringLiteral("',Key: '") + mstrValueKey +
           QStringLiteral("' to value: '") + CStr(vValue) + QStringLiteral("'");
}

bool cRegistry::KeyExists() const
{
    KeyHandle key;
    return key.Took(RegOpenKeyExA(mlngClassKey, mstrSectionKey.toUtf8(), 0, KEY_QUERY_VALUE, &key.handle));
}

bool cRegistry::CreateKey()
{
    KeyHandle key;
    if (!key.Took(OpenOrCreate(mlngClassKey, mstrSectionKey, key)))
        RaiseError(RegistryErrKey, QStringLiteral("Failed to create registry Key: '") + mstrSectionKey);
    return true;
}

bool cRegistry::DeleteKey()
{
    if (RegDeleteKeyA(mlngClassKey, mstrSectionKey.toUtf8()) != ERROR_SUCCESS)
        RaiseError(RegistryErrKey, QStringLiteral("Failed to delete registry Key: '") + QString::number(mlngClassKey) +
                                       QStringLiteral("',Section: '") + mstrSectionKey);
    return true;
}

bool cRegistry::DeleteValue()
{
    const QString where = QString::number(mlngClassKey) + QStringLiteral("',Section: '") + mstrSectionKey;
    KeyHandle key;
    if (!key.Took(RegOpenKeyExA(mlngClassKey, mstrSectionKey.toUtf8(), 0, FullAccess, &key.handle)))
        RaiseError(RegistryErrKey, QStringLiteral("Failed to open key '") + where + QStringLiteral("' for delete access"));
    if (RegDeleteValueA(key.handle, mstrValueKey.toUtf8()) != ERROR_SUCCESS)
        RaiseError(RegistryErrKey,
                   QStringLiteral("Failed to delete registry Key: '") + where + QStringLiteral("',Key: '") + mstrValueKey);
    return true;
}

RegValue cRegistry::Value() { return Read(true); }

RegValue cRegistry::UnexpandedValue() { return Read(false); }

RegValue cRegistry::Read(bool expand)
{
    KeyHandle key;
    key.Took(RegOpenKeyExA(mlngClassKey, mstrSectionKey.toUtf8(), 0, KEY_QUERY_VALUE, &key.handle));
    const QByteArray name = mstrValueKey.toUtf8();
    uint32_t type = REG_NONE;
    char scratch[4] = {0, 0, 0, 0};
    uint32_t size = 0;
    const int32_t asked = RegQueryValueExA(key.handle, name, nullptr, &type, scratch, &size);
    if (asked != ERROR_SUCCESS && asked != ERROR_MORE_DATA)
        return mvarDefault;
    mlngValueType = static_cast<int32_t>(type);

    switch (type) {
    case REG_SZ:
    case REG_MULTI_SZ:
    case REG_EXPAND_SZ: {
        QByteArray text(static_cast<qsizetype>(size), '\0');
        RegQueryValueExA(key.handle, name, nullptr, nullptr, text.data(), &size);
        text.truncate(static_cast<qsizetype>(size));
        // The terminating zero is not part of the text; a value stored without one loses nothing.
        if (text.endsWith('\0'))
            text.chop(1);
        if (type == REG_EXPAND_SZ && expand)
            return ExpandEnvString(text);
        return QString::fromUtf8(text);
    }
    case REG_DWORD:
    case REG_DWORD_BIG_ENDIAN: {
        int32_t number = 0;
        uint32_t room = sizeof number;
        RegQueryValueExA(key.handle, name, nullptr, nullptr, &number, &room);
        return type == REG_DWORD ? number : SwapLongBytes(number);
    }
    default: {
        RegBytes bytes(static_cast<size_t>(size) + 1, 0);
        uint32_t room = size;
        RegQueryValueExA(key.handle, name, nullptr, nullptr, bytes.data(), &room);
        return bytes;
    }
    }
}

void cRegistry::setValue(const RegValue& vValue)
{
    KeyHandle key;
    if (!key.Took(OpenOrCreate(mlngClassKey, mstrSectionKey, key)))
        RaiseError(RegistryErrKey, SetValueMessage(vValue));
    const QByteArray name = mstrValueKey.toUtf8();
    int32_t result = ERROR_INVALID_PARAMETER;
    switch (static_cast<uint32_t>(mlngValueType)) {
    case REG_SZ:
    case REG_EXPAND_SZ: {
        const QString text = CStr(vValue);
        QByteArray data = text.toUtf8();
        data.append('\0');
        result = RegSetValueExA(key.handle, name, 0, HoldsEnvironmentReference(text) ? REG_EXPAND_SZ : REG_SZ,
                                data.constData(), static_cast<uint32_t>(data.size()));
        break;
    }
    case REG_BINARY: {
        const RegBytes* bytes = std::get_if<RegBytes>(&vValue);
        if (!bytes)
            vb::Raise(RegistryErrKey);
        result = RegSetValueExA(key.handle, name, 0, REG_BINARY, bytes->data(), static_cast<uint32_t>(bytes->size()));
        break;
    }
    case REG_DWORD:
    case REG_DWORD_BIG_ENDIAN: {
        int32_t number = 0;
        if (const int16_t* small = std::get_if<int16_t>(&vValue))
            number = *small;
        else if (const int32_t* whole = std::get_if<int32_t>(&vValue))
            number = *whole;
        else
            break; // nothing else is a 32-bit number: refused
        result = RegSetValueExA(key.handle, name, 0, REG_DWORD, &number, sizeof number);
        break;
    }
    default:
        break;
    }
    if (result != ERROR_SUCCESS)
        RaiseError(RegistryErrSetValue, SetValueMessage(vValue));
}

bool cRegistry::EnumerateValues(QStringList& sKeyNames, int32_t& iKeyCount) const
{
    iKeyCount = 0;
    sKeyNames.clear();
    KeyHandle key;
    if (!key.Took(RegOpenKeyExA(mlngClassKey, mstrSectionKey.toUtf8(), 0, KEY_QUERY_VALUE, &key.handle)))
        return true;
    uint32_t longest = 0;
    if (RegQueryInfoKeyA(key.handle, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &longest, nullptr,
                         nullptr, nullptr) != ERROR_SUCCESS)
        return true;
    for (uint32_t index = 0;; ++index) {
        QByteArray buffer(static_cast<qsizetype>(longest) + 1, '\0');
        uint32_t size = longest + 1;
        if (RegEnumValueA(key.handle, index, buffer.data(), &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        ++iKeyCount;
        sKeyNames.append(QString::fromUtf8(buffer.left(static_cast<qsizetype>(size))));
    }
    return true;
}

bool cRegistry::EnumerateSections(QStringList& sSect, int32_t& iSectCount) const
{
    iSectCount = 0;
    sSect.clear();
    try {
        KeyHandle key;
        int32_t result = RegOpenKeyExA(mlngClassKey, mstrSectionKey.toUtf8(), 0, KEY_ENUMERATE_SUB_KEYS, &key.handle);
        key.Took(result);
        for (uint32_t index = 0; result == ERROR_SUCCESS; ++index) {
            char buffer[255] = {};
            result = RegEnumKeyA(key.handle, index, buffer, sizeof buffer);
            if (result == ERROR_SUCCESS) {
                ++iSectCount;
                sSect.append(QString::fromUtf8(buffer, static_cast<qsizetype>(strnlen(buffer, sizeof buffer))));
            }
        }
    } catch (...) {
        // Whatever went wrong reaches the caller under this operation's own number.
        RaiseError(RegistryErrEnumerate, vb::CurrentError().Description);
    }
    return true;
}

void cRegistry::CreateEXEAssociation(const QString& sExePath, const QString& sClassName,
                                     const QString& sClassDescription, const QString& sAssociation,
                                     int32_t lDefaultIconIndex)
{
    // Quoted, so that a path with blanks names this program and not the part before the blank.
    const QString program = sExePath.startsWith(QLatin1Char('"')) ? sExePath
                                                                   : QLatin1Char('"') + sExePath + QLatin1Char('"');
    const QString command = program + QStringLiteral(" \"%1\"");
    const QString extension = QLatin1Char('.') + sAssociation;
    const QString openCommand = QStringLiteral("\\shell\\open\\command");
    const auto write = [this](const QString& section, const QString& text) {
        mstrSectionKey = section;
        mstrValueKey.clear();
        setValue(text);
    };
    mlngClassKey = HKEY_CLASSES_ROOT;
    write(extension, sClassName);
    write(extension + openCommand, command);
    write(sClassName, sClassDescription);
    write(sClassName + openCommand, command);
    if (lDefaultIconIndex > -1)
        write(sClassName + QStringLiteral("\\DefaultIcon"), sExePath + QLatin1Char(',') + QString::number(lDefaultIconIndex));
}

int32_t cRegistry::SwapLongBytes(int32_t lValue)
{
    unsigned char from[4];
    unsigned char to[4];
    std::memcpy(from, &lValue, 4);
    for (int i = 0; i < 4; ++i)
        to[i] = from[3 - i];
    int32_t swapped = 0;
    std::memcpy(&swapped, to, 4);
    return swapped;
}

QString cRegistry::ExpandEnvString(const QByteArray& sText)
{
    const uint32_t needed = ExpandEnvironmentStringsA(sText, nullptr, 0);
    if (needed == 0)
        return QString::fromUtf8(sText);
    QByteArray buffer(static_cast<qsizetype>(needed), '\0');
    ExpandEnvironmentStringsA(sText, buffer.data(), needed);
    buffer.truncate(static_cast<qsizetype>(needed) - 1);
    return QString::fromUtf8(buffer);
}
