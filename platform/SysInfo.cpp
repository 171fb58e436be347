#include "platform/SysInfo.h"

#include <QFile>
#include <QGuiApplication>
#include <QLocale>
#include <QRandomGenerator>
#include <QScreen>
#include <QUuid>
#include <QWidget>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <unistd.h>

namespace vb {

namespace {

thread_local int32_t lastError = ERROR_SUCCESS;

BOOL fail(int32_t code)
{
    lastError = code;
    return 0;
}

SysInfoAnswers& answers()
{
    static SysInfoAnswers a;
    return a;
}

// Copies text and its NUL when both fit in size bytes.
bool copyOut(const QByteArray& text, char* buffer, uint32_t size)
{
    if (!buffer || uint64_t(text.size()) + 1 > size)
        return false;
    std::memcpy(buffer, text.constData(), size_t(text.size()));
    buffer[text.size()] = '\0';
    return true;
}

// Copies at most size - 1 bytes and a NUL into a fixed field.
template <size_t N>
void copyField(char (&field)[N], const QByteArray& text)
{
    const size_t n = std::min(size_t(text.size()), N - 1);
    std::memcpy(field, text.constData(), n);
    std::memset(field + n, 0, N - n);
}

// ---- Version ----

QByteArray kernelRelease()
{
    if (answers().kernelRelease)
        return *answers().kernelRelease;
    utsname u{};
    return ::uname(&u) == 0 ? QByteArray(u.release) : QByteArray();
}

// The release's leading numbers, "6.8.0-45-generic" -> 6, 8, 0.
void releaseNumbers(const QByteArray& release, uint32_t (&numbers)[3])
{
    int index = 0;
    uint64_t value = 0;
    bool inNumber = false;
    for (char c : release) {
        if (c >= '0' && c <= '9') {
            value = std::min<uint64_t>(value * 10 + uint64_t(c - '0'), UINT32_MAX);
            inNumber = true;
            continue;
        }
        if (!inNumber)
            break;
        numbers[index++] = uint32_t(value);
        value = 0;
        inNumber = false;
        if (c != '.' || index == 3)
            return;
    }
    if (inNumber && index < 3)
        numbers[index] = uint32_t(value);
}

QByteArray osReleaseValue(const QByteArray& key)
{
    for (const char* path : {"/etc/os-release", "/usr/lib/os-release"}) {
        QFile f(QString::fromLatin1(path));
        if (!f.open(QIODevice::ReadOnly))
            continue;
        const QByteArray prefix = key + '=';
        // A small text file; a huge one is not os-release.
        for (const QByteArray& line : f.read(64 * 1024).split('\n')) {
            if (!line.startsWith(prefix))
                continue;
            QByteArray value = line.mid(prefix.size()).trimmed();
            if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
                value = value.mid(1, value.size() - 2);
            value.replace("\\\"", "\"").replace("\\\\", "\\").replace("\\$", "$").replace("\\`", "`");
            return value;
        }
        return {};
    }
    return {};
}

QByteArray systemName()
{
    if (answers().systemName)
        return *answers().systemName;
    return osReleaseValue("PRETTY_NAME");
}

// ---- Names ----

QByteArray computerName()
{
    if (answers().computerName)
        return *answers().computerName;
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0)
        return {};
    return QByteArray(name);
}

QByteArray userName()
{
    if (answers().userName)
        return *answers().userName;
    if (const passwd* pw = ::getpwuid(::geteuid()); pw && pw->pw_name)
        return QByteArray(pw->pw_name);
    QByteArray name = qgetenv("LOGNAME");
    return name.isEmpty() ? qgetenv("USER") : name;
}

QByteArray firstLine(const char* path)
{
    QFile f(QString::fromLatin1(path));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readLine(256).trimmed();
}

// The first n characters of UTF-8 text: a character's continuation bytes stay with it.
QByteArray prefixCharacters(const QByteArray& text, int n)
{
    int started = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool continuation = (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80;
        if (!continuation && ++started > n)
            return text.left(i);
    }
    return text;
}

// ---- Folders ----

uint32_t folderOut(const char* folder, char* buffer, uint32_t size)
{
    const QByteArray text(folder);
    if (!copyOut(text, buffer, size))
        return uint32_t(text.size()) + 1;
    return uint32_t(text.size());
}

QByteArray tempBase()
{
    QByteArray base = qgetenv("TMPDIR");
    if (!base.startsWith('/'))
        base = "/tmp";
    while (base.size() > 1 && base.endsWith('/'))
        base.chop(1);
    return base == "/" ? QByteArray() : base;
}

// A real folder (a link is not followed), owned by us and closed to group and others.
bool isPrivateFolder(const QByteArray& path)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st{};
    const bool ok = ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
                    (st.st_mode & 077) == 0;
    ::close(fd);
    return ok;
}

// The folder that stands in for a planted or foreign one, for the rest of the process.
struct Fallback {
    QByteArray base;
    QByteArray folder;
};

Fallback& fallback()
{
    static Fallback f;
    return f;
}

QByteArray privateTempFolder()
{
    const QByteArray base = tempBase();
    const QByteArray uid = QByteArray::number(::geteuid());
    const QByteArray folder = base + "/quorvane-" + uid;
    if (::mkdir(folder.constData(), 0700) == 0) {
        // The umask may have taken the owner's own rights; the folder is new and ours.
        const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd >= 0) {
            ::fchmod(fd, 0700);
            ::close(fd);
        }
    }
    if (isPrivateFolder(folder))
        return folder;

    // Someone else's name stands there (a link, a folder of another user, or one open to others):
    // never use it, make one nobody can have planted.
    Fallback& f = fallback();
    if (f.base == base && isPrivateFolder(f.folder))
        return f.folder;
    QByteArray pattern = folder + ".XXXXXX";
    if (!::mkdtemp(pattern.data()))
        return {};
    f = {base, pattern};
    return pattern;
}

// ---- Screen ----

QScreen* screenOf(HDC hdc)
{
    if (!qGuiApp)
        return nullptr;
    const auto screens = QGuiApplication::screens();
    return hdc >= 1 && hdc <= screens.size() ? screens.at(hdc - 1) : nullptr;
}

QRect workArea()
{
    if (answers().workArea)
        return *answers().workArea;
    QScreen* s = qGuiApp ? QGuiApplication::primaryScreen() : nullptr;
    return s ? s->availableGeometry() : QRect();
}

// ---- System parameters ----

const QByteArray ParametersKey = "Software\\Quorvane\\SystemParameters";

int32_t storedNumber(const char* name, int32_t defaultValue, int32_t lowest)
{
    HKEY key = 0;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, ParametersKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return defaultValue;
    int32_t value = 0;
    uint32_t type = 0;
    uint32_t size = sizeof value;
    const int32_t rc = RegQueryValueExA(key, name, nullptr, &type, &value, &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS || type != REG_DWORD || size != sizeof value || value < lowest)
        return defaultValue;
    return value;
}

BOOL storeNumber(const char* name, int32_t value)
{
    HKEY key = 0;
    int32_t rc = RegCreateKeyA(HKEY_CURRENT_USER, ParametersKey, &key);
    if (rc != ERROR_SUCCESS)
        return fail(rc);
    rc = RegSetValueExA(key, name, 0, REG_DWORD, &value, sizeof value);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS ? 1 : fail(rc);
}

struct Parameter {
    uint32_t get;
    uint32_t set;
    const char* name;
    int32_t defaultValue;
    int32_t lowest; // smaller stored or given values are refused
    bool flag;      // a set stores 1 for any nonzero value
};

constexpr Parameter Parameters[] = {
    {SPI_GETBEEP, SPI_SETBEEP, "Beep", 1, 0, true},
    {SPI_GETSCREENSAVEACTIVE, SPI_SETSCREENSAVEACTIVE, "ScreenSaveActive", 1, 0, true},
    {SPI_GETSCREENSAVETIMEOUT, SPI_SETSCREENSAVETIMEOUT, "ScreenSaveTimeOut", 600, 1, false},
};

// ---- Locale ----

QLocale userLocale()
{
    return answers().localeName ? QLocale(*answers().localeName) : QLocale::system();
}

} // namespace

int32_t GetLastError() { return lastError; }

BOOL GetVersionExA(OSVERSIONINFOA* info)
{
    if (!info || info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA))
        return fail(ERROR_INSUFFICIENT_BUFFER);
    uint32_t numbers[3] = {0, 0, 0};
    releaseNumbers(kernelRelease(), numbers);
    info->dwMajorVersion = numbers[0];
    info->dwMinorVersion = numbers[1];
    info->dwBuildNumber = numbers[2];
    info->dwPlatformId = VER_PLATFORM_WIN32_NT;
    copyField(info->szCSDVersion, systemName());
    return 1;
}

BOOL GetComputerNameA(char* buffer, uint32_t* size)
{
    if (!size)
        return fail(ERROR_INVALID_PARAMETER);
    const QByteArray name = computerName();
    if (!copyOut(name, buffer, *size)) {
        *size = uint32_t(name.size()) + 1;
        return fail(ERROR_BUFFER_OVERFLOW);
    }
    *size = uint32_t(name.size());
    return 1;
}

BOOL SetComputerNameA(const QByteArray&) { return fail(ERROR_ACCESS_DENIED); }

BOOL GetUserNameA(char* buffer, uint32_t* size)
{
    if (!size)
        return fail(ERROR_INVALID_PARAMETER);
    const QByteArray name = userName();
    const bool fits = copyOut(name, buffer, *size);
    *size = uint32_t(name.size()) + 1;
    return fits ? 1 : fail(ERROR_INSUFFICIENT_BUFFER);
}

BOOL GetCurrentHwProfileA(HW_PROFILE_INFOA* info)
{
    if (!info)
        return fail(ERROR_INVALID_PARAMETER);
    info->dwDockInfo = 0;
    const QByteArray id = firstLine("/etc/machine-id");
    const QByteArray bytes = QByteArray::fromHex(id);
    // 32 hexadecimal digits, or nothing usable.
    const QUuid uuid = id.size() == 32 && bytes.toHex() == id.toLower() ? QUuid::fromRfc4122(bytes) : QUuid();
    copyField(info->szHwProfileGuid, uuid.toString(QUuid::WithBraces).toUpper().toLatin1());
    const QByteArray model = firstLine("/sys/class/dmi/id/product_name");
    copyField(info->szHwProfileName, model.isEmpty() ? QByteArray("Default") : model);
    return 1;
}

uint32_t GetSystemDirectoryA(char* buffer, uint32_t size) { return folderOut(SystemFolder, buffer, size); }

uint32_t GetWindowsDirectoryA(char* buffer, uint32_t size) { return folderOut(WindowsFolder, buffer, size); }

uint32_t GetTempPathA(uint32_t bufferLength, char* buffer)
{
    const QByteArray folder = privateTempFolder();
    if (folder.isEmpty())
        return uint32_t(fail(ERROR_ACCESS_DENIED));
    const QByteArray text = folder + '/';
    if (!copyOut(text, buffer, bufferLength))
        return uint32_t(text.size()) + 1;
    return uint32_t(text.size());
}

uint32_t GetTempFileNameA(const QByteArray& pathName, const QByteArray& prefix, uint32_t unique,
                          char* tempFileName, uint32_t bufferSize)
{
    QByteArray folder = pathName.left(pathName.indexOf('\0') < 0 ? pathName.size() : pathName.indexOf('\0'));
    if (folder.isEmpty())
        return uint32_t(fail(ERROR_INVALID_PARAMETER));
    if (!folder.endsWith('/'))
        folder += '/';
    const qsizetype nul = prefix.indexOf('\0');
    const QByteArray start = prefixCharacters(nul < 0 ? prefix : prefix.left(nul), 3);
    // The name must stay inside the folder it was asked for.
    if (start.contains('/'))
        return uint32_t(fail(ERROR_INVALID_NAME));
    auto nameFor = [&](uint32_t number) {
        return folder + start + QByteArray::number(number, 16).toUpper() + ".TMP";
    };

    if (unique != 0) {
        if (!copyOut(nameFor(unique), tempFileName, bufferSize))
            return uint32_t(fail(ERROR_BUFFER_OVERFLOW));
        return unique;
    }
    // Numbers from a random start, so that two programs rarely try the same ones.
    const uint32_t first = QRandomGenerator::global()->bounded(1u, 0x10000u);
    for (uint32_t i = 0; i < 0xFFFF; ++i) {
        const uint32_t number = (first - 1 + i) % 0xFFFF + 1;
        const QByteArray name = nameFor(number);
        if (uint64_t(name.size()) + 1 > bufferSize)
            return uint32_t(fail(ERROR_BUFFER_OVERFLOW));
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0) {
            ::close(fd);
            copyOut(name, tempFileName, bufferSize);
            return number;
        }
        if (errno != EEXIST)
            return uint32_t(fail(errno == ENOENT || errno == ENOTDIR ? ERROR_FILE_NOT_FOUND : ERROR_ACCESS_DENIED));
    }
    return uint32_t(fail(ERROR_FILE_EXISTS));
}

HDC GetDC(QWidget* hwnd)
{
    if (!qGuiApp)
        return 0;
    QScreen* s = hwnd && hwnd->screen() ? hwnd->screen() : QGuiApplication::primaryScreen();
    const qsizetype index = QGuiApplication::screens().indexOf(s);
    return index < 0 ? 0 : HDC(index + 1);
}

int32_t ReleaseDC(QWidget*, HDC hdc) { return hdc != 0 ? 1 : 0; }

int32_t GetDeviceCaps(HDC hdc, int32_t index)
{
    QScreen* s = screenOf(hdc);
    if (!s)
        return 0;
    const SysInfoAnswers& a = answers();
    switch (index) {
    case HORZRES: return s->geometry().width();
    case VERTRES: return s->geometry().height();
    case BITSPIXEL: return a.bitsPerPixel ? *a.bitsPerPixel : s->depth();
    case PLANES: return a.planes ? *a.planes : 1;
    case LOGPIXELSX: return a.dpi ? *a.dpi : int32_t(std::lround(s->logicalDotsPerInchX()));
    case LOGPIXELSY: return a.dpi ? *a.dpi : int32_t(std::lround(s->logicalDotsPerInchY()));
    default: return 0;
    }
}

BOOL SystemParametersInfoA(uint32_t uiAction, uint32_t uiParam, void* pvParam, uint32_t)
{
    if (uiAction == SPI_GETWORKAREA) {
        if (!pvParam)
            return fail(ERROR_INVALID_PARAMETER);
        const QRect r = workArea();
        auto* rect = static_cast<RECT*>(pvParam);
        *rect = RECT{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
        return 1;
    }
    for (const Parameter& p : Parameters) {
        if (uiAction == p.get) {
            if (!pvParam)
                return fail(ERROR_INVALID_PARAMETER);
            *static_cast<int32_t*>(pvParam) = storedNumber(p.name, p.defaultValue, p.lowest);
            return 1;
        }
        if (uiAction == p.set) {
            if (p.flag)
                return storeNumber(p.name, uiParam != 0 ? 1 : 0);
            if (uiParam > uint32_t(INT32_MAX) || int32_t(uiParam) < p.lowest)
                return fail(ERROR_INVALID_PARAMETER);
            return storeNumber(p.name, int32_t(uiParam));
        }
    }
    return fail(ERROR_INVALID_PARAMETER);
}

LCID GetUserDefaultLCID() { return LOCALE_USER_DEFAULT; }

int32_t GetLocaleInfoA(LCID locale, uint32_t lcType, char* lpLCData, int32_t cchData)
{
    if (locale != LOCALE_USER_DEFAULT && locale != LOCALE_SYSTEM_DEFAULT)
        return fail(ERROR_INVALID_PARAMETER);
    if (cchData < 0 || (cchData > 0 && !lpLCData))
        return fail(ERROR_INVALID_PARAMETER);
    const QLocale l = userLocale();
    QByteArray text;
    switch (lcType) {
    case LOCALE_SENGLANGUAGE:
        // The plain C locale speaks English.
        text = (l.language() == QLocale::C ? QLocale::languageToString(QLocale::English)
                                           : QLocale::languageToString(l.language()))
                   .toUtf8();
        break;
    case LOCALE_SENGCOUNTRY: text = QLocale::territoryToString(l.territory()).toUtf8(); break;
    default: return fail(ERROR_INVALID_FLAGS);
    }
    const int32_t needed = int32_t(text.size()) + 1;
    if (cchData == 0)
        return needed;
    if (!copyOut(text, lpLCData, uint32_t(cchData)))
        return fail(ERROR_INSUFFICIENT_BUFFER);
    return needed;
}

HRESULT CoCreateGuid(GUID* guid)
{
    if (!guid)
        return E_INVALIDARG;
    const QUuid u = QUuid::createUuid();
    guid->Data1 = u.data1;
    guid->Data2 = u.data2;
    guid->Data3 = u.data3;
    std::memcpy(guid->Data4, u.data4, sizeof guid->Data4);
    return S_OK;
}

SysInfoAnswers SetSysInfoAnswers(SysInfoAnswers a)
{
    SysInfoAnswers previous = std::move(answers());
    answers() = std::move(a);
    return previous;
}

} // namespace vb
