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

// A whole number that must fit 32 bits, rounded half to even.
int32_t toLong(double value)
{
    const double rounded = std::nearbyint(value);
    if (!(rounded >= INT32_MIN && rounded <= INT32_MAX))
        vb::Raise(vb::errOverflow);
    return int32_t(rounded);
}

int16_t toInteger(int64_t value)
{
    if (value < INT16_MIN || value > INT16_MAX)
        vb::Raise(vb::errOverflow);
    return int16_t(value);
}

bool getFlag(uint32_t action)
{
    int32_t value = 0;
    vb::SystemParametersInfoA(action, 0, &value, 0);
    return value != 0;
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

} // namespace

bool COSInfo::Beep() const
{
    bool result = false;
    TrapErrorsLocally(QStringLiteral("Beep"), [&] { result = getFlag(vb::SPI_GETBEEP); });
    return result;
}

void COSInfo::Beep(bool fValue)
{
    TrapErrorsLocally(QStringLiteral("Beep"), [&] {
        vb::SystemParametersInfoA(vb::SPI_SETBEEP, fValue ? uint32_t(-1) : 0u, nullptr, vb::SPIF_SENDCHANGE);
    });
}

QString COSInfo::ComputerName() const
{
    QString result;
    TrapErrorsLocally(QStringLiteral("ComputerName"), [&] {
        uint32_t size = 100;
        result = TrimNulls(bufferText(100, '\0', [&](char* b) { vb::GetComputerNameA(b, &size); }));
    });
    return result;
}

void COSInfo::ComputerName(const QString& strValue)
{
    TrapErrorsLocally(QStringLiteral("ComputerName"), [&] { vb::SetComputerNameA(strValue.toUtf8()); });
}

QString COSInfo::CurrentHardwareProfile() const
{
    QString result;
    TrapErrorsLocally(QStringLiteral("CurrentHardwareProfile"), [&] {
        vb::HW_PROFILE_INFOA info;
        vb::GetCurrentHwProfileA(&info);
        result = TrimNulls(QString::fromUtf8(QByteArrayView(info.szHwProfileName, sizeof info.szHwProfileName)));
    });
    return result;
}

QString COSInfo::DefaultCompanyName() const
{
    QString result;
    TrapErrorsLocally(QStringLiteral("DefaultCompanyName"), [&] {
        result = nameText(RegistryGetKeyValue(HKEY_CURRENT_USER, SetupKey, QStringLiteral("DefCompany")));
    });
    return result;
}

QString COSInfo::DefaultUserName() const
{
    QString result;
    TrapErrorsLocally(QStringLiteral("DefaultUserName"), [&] {
        result = nameText(RegistryGetKeyValue(HKEY_CURRENT_USER, SetupKey, QStringLiteral("DefName")));
    });
    return result;
}

int32_t COSInfo::DisplayColors() const
{
    int32_t result = 0;
    TrapErrorsLocally(QStringLiteral("DisplayColors"), [&] {
        const vb::HDC dc = vb::GetDC(nullptr);
        const int64_t bits = int64_t(vb::GetDeviceCaps(dc, vb::BITSPIXEL)) * vb::GetDeviceCaps(dc, vb::PLANES);
        vb::ReleaseDC(nullptr, dc);
        result = bits == 32 ? -1 : toLong(std::pow(2.0, double(bits)));
    });
    return result;
}

QString COSInfo::GUID() const
{
    QString result;
    TrapErrorsLocally(QStringLiteral("GUID"), [&] {
        vb::GUID g;
        vb::CoCreateGuid(&g);
        const uint8_t* d = g.Data4;
        result = QString::asprintf("{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", unsigned(g.Data1),
                                   unsigned(g.Data2), unsigned(g.Data3), d[0], d[1], d[2], d[3], d[4], d[5], d[6],
                                   d[7]);
    });
    return result;
}

QString COSInfo::Language() const
{
    QString result;
    TrapErrorsLocally(QStringLiteral("Language"), [&] {
        const vb::LCID locale = vb::GetUserDefaultLCID();
        result = TrimNulls(
            bufferText(100, ' ', [&](char* b) { vb::GetLocaleInfoA(locale, vb::LOCALE_SENGLANGUAGE, b, 100); }));
    });
    return result;
}

bool COSInfo::LargeFonts() const
{
    bool result = false;
    TrapErrorsLocally(QStringLiteral("LargeFonts"), [&] {
        const vb::HDC dc = vb::GetDC(nullptr);
        result = vb::GetDeviceCaps(dc, vb::LOGPIXELSX) == 120;
        vb::ReleaseDC(nullptr, dc);
    });
    return result;
}

QString COSInfo::OSAdditional() const
{
    QString result;
    TrapErrorsLocally(QStringLiteral("OSAdditional"), [&] {
        const vb::OSVERSIONINFOA info = versionRecord();
        result = TrimNulls(QString::fromUtf8(QByteArrayView(info.szCSDVersion, sizeof info.szCSDVersion)));
    });
    return result;
}

int32_t COSInfo::OSBuild() const
{
    int32_t result = 0;
    TrapErrorsLocally(QStringLiteral("OSBuild"), [&] { result = int32_t(versionRecord().dwBuildNumber & 32767); });
    return result;
}

int32_t COSInfo::OSMajorVersion() const
{
    int32_t result = 0;
    TrapErrorsLocally(QStringLiteral("OSMajorVersion"), [&] { result = int32_t(versionRecord().dwMajorVersion); });
    return result;
}

int32_t COSInfo::OSMinorVersion() const
{
    int32_t result = 0;
    TrapErrorsLocally(QStringLiteral("OSMinorVersion"), [&] { result = int32_t(versionRecord().dwMinorVersion); });
    return result;
}

bool COSInfo::ScreenSaverActive() const
{
    bool result = false;
    TrapErrorsLocally(QStringLiteral("ScreenSaverActive"), [&] { result = getFlag(vb::SPI_GETSCREENSAVEACTIVE); });
    return result;
}

void COSInfo::ScreenSaverActive(bool fValue)
{
    TrapErrorsLocally(QStringLiteral("ScreenSaverActive"), [&] {
        vb::SystemParametersInfoA(vb::SPI_SETSCREENSAVEACTIVE, fValue ? uint32_t(-1) : 0u, nullptr,
                                  vb::SPIF_SENDCHANGE);
    });
}

int32_t COSInfo::ScreenSaverTimeout() const
{
    int32_t result = 0;
    TrapErrorsLocally(QStringLiteral("ScreenSaverTimeout"),
                      [&] { vb::SystemParametersInfoA(vb::SPI_GETSCREENSAVETIMEOUT, 0, &result, 0); });
    return result;
}

void COSInfo::ScreenSaverTimeout(int32_t lngValue)
{
    TrapErrorsLocally(QStringLiteral("ScreenSaverTimeout"), [&] {
        vb::SystemParametersInfoA(vb::SPI_SETSCREENSAVETIMEOUT, uint32_t(lngValue), nullptr, vb::SPIF_SENDCHANGE);
    });
}

QString COSInfo::SystemDirectory() const
{
    QString result;
    TrapErrorsLocally(QStringLiteral("SystemDirectory"), [&] {
        result = TrimNulls(bufferText(260, '\0', [](char* b) { vb::GetSystemDirectoryA(b, 260); }));
    });
    return result;
}

QString COSInfo::TempFile(const QString& strPrefix) const
{
    QString result;
    TrapErrorsLocally(QStringLiteral("TempFile"), [&] {
        const QString folder = TempPath();
        // A failed call leaves only blanks, which name no file.
        uint32_t unique = 0;
        const QString name = bufferText(255, ' ', [&](char* b) {
            unique = vb::GetTempFileNameA(folder.toUtf8(), strPrefix.toUtf8(), 1, b, 255);
        });
        if (unique != 0)
            result = TrimNulls(name);
    });
    return result;
}

QString COSInfo::TempPath() const
{
    QString result;
    TrapErrorsLocally(QStringLiteral("TempPath"), [&] {
        // A failed or too long answer leaves only blanks, which name no folder.
        uint32_t length = 0;
        const QString path = bufferText(255, ' ', [&](char* b) { length = vb::GetTempPathA(255, b); });
        if (length != 0 && length < 255)
            result = TrimNulls(path);
    });
    return result;
}

QString COSInfo::UserName() const
{
    QString result;
    TrapErrorsLocally(QStringLiteral("UserName"), [&] {
        uint32_t size = 100;
        result = TrimNulls(bufferText(100, '\0', [&](char* b) { vb::GetUserNameA(b, &size); }));
    });
    return result;
}

QString COSInfo::WindowsDirectory() const
{
    QString result;
    TrapErrorsLocally(QStringLiteral("WindowsDirectory"), [&] {
        result = TrimNulls(bufferText(260, '\0', [](char* b) { vb::GetWindowsDirectoryA(b, 260); }));
    });
    return result;
}

int32_t COSInfo::WindowsType() const
{
    int32_t result = 0;
    TrapErrorsLocally(QStringLiteral("WindowsType"), [&] { result = int32_t(versionRecord().dwPlatformId); });
    return result;
}

void COSInfo::GetWorkArea(int16_t& intLeft, int16_t& intTop, int16_t& intWidth, int16_t& intHeight) const
{
    TrapErrorsLocally(QStringLiteral("GetWorkArea"), [&] {
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
    QString result;
    TrapErrorsLocally(QStringLiteral("TrimNulls"), [&] {
        const qsizetype nul = strText.indexOf(QChar(u'\0'));
        result = nul < 0 ? strText : strText.left(nul);
    });
    return result;
}
