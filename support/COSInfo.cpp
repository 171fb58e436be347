#include "support/COSInfo.h"

#include "platform/SysInfo.h"
#include "platform/VbError.h"
#include "support/ErrorTrap.h"

#include <QByteArrayView>
#include <cmath>

namespace {

const QString SetupKey = QStringLiteral("Software\\Microsoft\\MS Setup (ACME)\\User Info");

// A buffer of `size` bytes of `fill` handed to a system call, as text (NULs and all).
template <class Call>
QString bufferText(int size, char fill, Call&& call)
{
    QByteArray buffer(size, fill);
    call(buffer.data());
    return QString::fromUtf8(QByteArrayView(buffer));
}

vb::OSVERSIONINFOA versionRecord()
{
    vb::OSVERSIONINFOA info;
    info.dwOSVersionInfoSize = sizeof info;
    vb::GetVersionExA(&info);
    return info;
}

int16_t toInteger(int64_t value)
{
    if (value < INT16_MIN || value > INT16_MAX)
        vb::Raise(vb::errOverflow);
    return int16_t(value);
}

int32_t getNumber(uint32_t action)
{
    int32_t value = 0;
    vb::SystemParametersInfoA(action, 0, &value, 0);
    return value;
}

bool getFlag(uint32_t action) { return getNumber(action) != 0; }

// Sets broadcast the change; the system layer keeps it in the store either way.
void setNumber(uint32_t action, int32_t value)
{
    vb::SystemParametersInfoA(action, uint32_t(value), nullptr, vb::SPIF_SENDCHANGE);
}

// A fixed folder through a 260-byte buffer.
QString folderText(uint32_t (*call)(char*, uint32_t))
{
    return bufferText(260, '\0', [&](char* b) { call(b, 260); });
}

// A stored default name as text: nothing gives "", a number its digits, binary data its bytes up to
// the first NUL.
QString nameText(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::QString: return value.toString();
    case QMetaType::Int: return QString::number(value.toInt());
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        return QString::fromUtf8(bytes.left(bytes.indexOf('\0') < 0 ? bytes.size() : bytes.indexOf('\0')));
    }
    default: return QString();
    }
}

// A member's answer: what the body gives, or T's empty value when an error was trapped and shown.
template <class T, class Body>
T answer(const char* member, Body&& body)
{
    T result{};
    TrapErrorsLocally(QString::fromLatin1(member), [&] { result = body(); });
    return result;
}

// A member that only acts.
template <class Body>
void act(const char* member, Body&& body)
{
    TrapErrorsLocally(QString::fromLatin1(member), body);
}

} // namespace

bool COSInfo::Beep() const
{
    return answer<bool>("Beep", [] { return getFlag(vb::SPI_GETBEEP); });
}

void COSInfo::Beep(bool fValue)
{
    act("Beep", [&] { setNumber(vb::SPI_SETBEEP, fValue ? -1 : 0); });
}

QString COSInfo::ComputerName() const
{
    return answer<QString>("ComputerName", [] {
        uint32_t size = 100;
        return TrimNulls(bufferText(100, '\0', [&](char* b) { vb::GetComputerNameA(b, &size); }));
    });
}

void COSInfo::ComputerName(const QString& strValue)
{
    act("ComputerName", [&] { vb::SetComputerNameA(strValue.toUtf8()); });
}

QString COSInfo::CurrentHardwareProfile() const
{
    return answer<QString>("CurrentHardwareProfile", [] {
        vb::HW_PROFILE_INFOA info;
        vb::GetCurrentHwProfileA(&info);
        return TrimNulls(QString::fromUtf8(QByteArrayView(info.szHwProfileName, sizeof info.szHwProfileName)));
    });
}

QString COSInfo::DefaultCompanyName() const
{
    return answer<QString>("DefaultCompanyName", [] {
        return nameText(RegistryGetKeyValue(HKEY_CURRENT_USER, SetupKey, QStringLiteral("DefCompany")));
    });
}

QString COSInfo::DefaultUserName() const
{
    return answer<QString>("DefaultUserName", [] {
        return nameText(RegistryGetKeyValue(HKEY_CURRENT_USER, SetupKey, QStringLiteral("DefName")));
    });
}

int32_t COSInfo::DisplayColors() const
{
    return answer<int32_t>("DisplayColors", [] {
        const vb::HDC dc = vb::GetDC(nullptr);
        const int64_t bits = int64_t(vb::GetDeviceCaps(dc, vb::BITSPIXEL)) * vb::GetDeviceCaps(dc, vb::PLANES);
        vb::ReleaseDC(nullptr, dc);
        return bits == 32 ? -1 : vb::CLng(std::pow(2.0, double(bits)));
    });
}

QString COSInfo::GUID() const
{
    return answer<QString>("GUID", [] {
        vb::GUID g;
        vb::CoCreateGuid(&g);
        const uint8_t* d = g.Data4;
        return QString::asprintf("{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", unsigned(g.Data1),
                                 unsigned(g.Data2), unsigned(g.Data3), d[0], d[1], d[2], d[3], d[4], d[5], d[6], d[7]);
    });
}

QString COSInfo::Language() const
{
    return answer<QString>("Language", [] {
        const vb::LCID locale = vb::GetUserDefaultLCID();
        return TrimNulls(
            bufferText(100, ' ', [&](char* b) { vb::GetLocaleInfoA(locale, vb::LOCALE_SENGLANGUAGE, b, 100); }));
    });
}

bool COSInfo::LargeFonts() const
{
    return answer<bool>("LargeFonts", [] {
        const vb::HDC dc = vb::GetDC(nullptr);
        const bool large = vb::GetDeviceCaps(dc, vb::LOGPIXELSX) == 120;
        vb::ReleaseDC(nullptr, dc);
        return large;
    });
}

QString COSInfo::OSAdditional() const
{
    return answer<QString>("OSAdditional", [] {
        const vb::OSVERSIONINFOA info = versionRecord();
        return TrimNulls(QString::fromUtf8(QByteArrayView(info.szCSDVersion, sizeof info.szCSDVersion)));
    });
}

int32_t COSInfo::OSBuild() const
{
    return answer<int32_t>("OSBuild", [] { return int32_t(versionRecord().dwBuildNumber & 32767); });
}

int32_t COSInfo::OSMajorVersion() const
{
    return answer<int32_t>("OSMajorVersion", [] { return int32_t(versionRecord().dwMajorVersion); });
}

int32_t COSInfo::OSMinorVersion() const
{
    return answer<int32_t>("OSMinorVersion", [] { return int32_t(versionRecord().dwMinorVersion); });
}

bool COSInfo::ScreenSaverActive() const
{
    return answer<bool>("ScreenSaverActive", [] { return getFlag(vb::SPI_GETSCREENSAVEACTIVE); });
}

void COSInfo::ScreenSaverActive(bool fValue)
{
    act("ScreenSaverActive", [&] { setNumber(vb::SPI_SETSCREENSAVEACTIVE, fValue ? -1 : 0); });
}

int32_t COSInfo::ScreenSaverTimeout() const
{
    return answer<int32_t>("ScreenSaverTimeout", [] { return getNumber(vb::SPI_GETSCREENSAVETIMEOUT); });
}

void COSInfo::ScreenSaverTimeout(int32_t lngValue)
{
    act("ScreenSaverTimeout", [&] { setNumber(vb::SPI_SETSCREENSAVETIMEOUT, lngValue); });
}

QString COSInfo::SystemDirectory() const
{
    return answer<QString>("SystemDirectory", [] { return TrimNulls(folderText(vb::GetSystemDirectoryA)); });
}

QString COSInfo::TempFile(const QString& strPrefix) const
{
    return answer<QString>("TempFile", [&] {
        const QString folder = TempPath();
        uint32_t unique = 0;
        const QString name = bufferText(255, ' ', [&](char* b) {
            unique = vb::GetTempFileNameA(folder.toUtf8(), strPrefix.toUtf8(), 1, b, 255);
        });
        // A failed call leaves only blanks, which name no file.
        return unique != 0 ? TrimNulls(name) : QString();
    });
}

QString COSInfo::TempPath() const
{
    return answer<QString>("TempPath", [] {
        uint32_t length = 0;
        const QString path = bufferText(255, ' ', [&](char* b) { length = vb::GetTempPathA(255, b); });
        // A failed or too long answer leaves only blanks, which name no folder.
        return length != 0 && length < 255 ? TrimNulls(path) : QString();
    });
}

QString COSInfo::UserName() const
{
    return answer<QString>("UserName", [] {
        uint32_t size = 100;
        return TrimNulls(bufferText(100, '\0', [&](char* b) { vb::GetUserNameA(b, &size); }));
    });
}

QString COSInfo::WindowsDirectory() const
{
    return answer<QString>("WindowsDirectory", [] { return TrimNulls(folderText(vb::GetWindowsDirectoryA)); });
}

int32_t COSInfo::WindowsType() const
{
    return answer<int32_t>("WindowsType", [] { return int32_t(versionRecord().dwPlatformId); });
}

void COSInfo::GetWorkArea(int16_t& intLeft, int16_t& intTop, int16_t& intWidth, int16_t& intHeight) const
{
    act("GetWorkArea", [&] {
        vb::RECT r;
        vb::SystemParametersInfoA(vb::SPI_GETWORKAREA, 0, &r, 0);
        intLeft = toInteger(r.left);
        intTop = toInteger(r.top);
        intWidth = toInteger(int64_t(r.right) - r.left);
        intHeight = toInteger(int64_t(r.bottom) - r.top);
    });
}

QVariant COSInfo::RegistryGetKeyValue(HKEY hKey, const QString& strKeyName, const QString& strValueName)
{
    QVariant result;
    TrapErrorsLocally(QStringLiteral("RegistryGetKeyValue"), [&] {
        HKEY key = 0;
        if (RegOpenKeyExA(hKey, strKeyName.toUtf8(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
            return;
        // The key is closed however the reading ends.
        struct Closer {
            HKEY key;
            ~Closer() { RegCloseKey(key); }
        } closer{key};
        const QByteArray name = strValueName.toUtf8();
        uint32_t type = 0;
        uint32_t size = 0;
        if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
            return;
        if (type == REG_SZ) {
            if (size == 0) {
                result = QString();
                return;
            }
            QByteArray buffer(qsizetype(size), '\0');
            if (RegQueryValueExA(key, name, nullptr, nullptr, buffer.data(), &size) == ERROR_SUCCESS)
                result = TrimNulls(QString::fromUtf8(QByteArrayView(buffer)));
        } else if (type == REG_BINARY) {
            if (size == 0)
                return;
            QByteArray bytes(qsizetype(size) + 1, '\0');
            if (RegQueryValueExA(key, name, nullptr, nullptr, bytes.data(), &size) == ERROR_SUCCESS)
                result = bytes;
        } else if (type == REG_DWORD) {
            int32_t number = 0;
            uint32_t numberSize = sizeof number;
            if (RegQueryValueExA(key, name, nullptr, nullptr, &number, &numberSize) == ERROR_SUCCESS)
                result = QVariant::fromValue<qint32>(number);
        }
    });
    return result;
}

QString COSInfo::TrimNulls(const QString& strText)
{
    return answer<QString>("TrimNulls", [&] {
        const qsizetype nul = strText.indexOf(QChar(u'\0'));
        return nul < 0 ? strText : strText.left(nul);
    });
}
