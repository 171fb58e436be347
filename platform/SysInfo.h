#pragma once
// Facts about the running system and a few of its settings, with the call shapes of the Windows
// system-information functions the library was written against. Every answer comes from this
// system when it is asked; nothing is cached:
//   version and build     the kernel's release ("6.8.0-45-generic": major 6, minor 8, build 0);
//                         the service-pack text is the distribution's name from os-release
//   computer, user        the host name; the effective user's login name
//   folders               system and Windows folders are fixed places (see SystemFolder below);
//                         the temporary folder is one private to the user (see GetTempPathA)
//   screen                colour depth, dpi and work area of the display (Qt's screens)
//   locale                the user's locale (Qt's system locale)
//   identifiers           a new random identifier
//   settings              beep and screen saver settings, which this system keeps nowhere a program
//                         may change, are kept in the registry store under
//                         HKEY_CURRENT_USER "Software\Quorvane\SystemParameters"
// Texts are UTF-8 bytes. Functions that fail leave the reason for GetLastError; none throws.
//
// Tests replace what the system answers through SetSysInfoAnswers.
#include "platform/Registry.h"

#include <QByteArray>
#include <QRect>
#include <QString>
#include <cstdint>
#include <optional>

class QWidget;

namespace vb {

using BOOL = int32_t; // nonzero is success
using HDC = int32_t;
using LCID = uint32_t;
using HRESULT = int32_t;

// Result codes beyond the registry's.
inline constexpr int32_t ERROR_FILE_EXISTS = 80;
inline constexpr int32_t ERROR_BUFFER_OVERFLOW = 111;
inline constexpr int32_t ERROR_INSUFFICIENT_BUFFER = 122;
inline constexpr int32_t ERROR_INVALID_NAME = 123;
inline constexpr int32_t ERROR_INVALID_FLAGS = 1004;
inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);

// The error code of the last call of this layer that failed, on this thread.
int32_t GetLastError();

// ---- Version ----
inline constexpr uint32_t VER_PLATFORM_WIN32_NT = 2; // the one platform this layer answers as

struct OSVERSIONINFOA {
    uint32_t dwOSVersionInfoSize = 0; // must be sizeof(OSVERSIONINFOA), 148
    uint32_t dwMajorVersion = 0;
    uint32_t dwMinorVersion = 0;
    uint32_t dwBuildNumber = 0;
    uint32_t dwPlatformId = 0;
    char szCSDVersion[128] = {};
};
static_assert(sizeof(OSVERSIONINFOA) == 148);

// Major, minor and build are the release's first three numbers (missing ones are 0, a number too
// big for 32 bits is the largest one); szCSDVersion is the distribution's PRETTY_NAME, at most 127
// bytes. FALSE (ERROR_INSUFFICIENT_BUFFER) when the size field is not 148.
BOOL GetVersionExA(OSVERSIONINFOA* info);

// ---- Names ----
// *size: in, the buffer's size; out, the name's length without its NUL, or on
// ERROR_BUFFER_OVERFLOW the size needed with it.
BOOL GetComputerNameA(char* buffer, uint32_t* size);
// Renaming the computer needs rights a program does not have here: always FALSE with
// ERROR_ACCESS_DENIED, and nothing changes.
BOOL SetComputerNameA(const QByteArray& name);
// *size: in, the buffer's size; out, the name's length with its NUL (also the size needed on
// ERROR_INSUFFICIENT_BUFFER).
BOOL GetUserNameA(char* buffer, uint32_t* size);

// ---- Hardware profile ----
struct HW_PROFILE_INFOA {
    uint32_t dwDockInfo = 0; // 0: this system does not tell
    char szHwProfileGuid[39] = {};
    char szHwProfileName[80] = {};
};
// One profile: this machine. Its identifier is the machine id in braces, its name the machine's
// model as the firmware gives it, or "Default".
BOOL GetCurrentHwProfileA(HW_PROFILE_INFOA* info);

// ---- Folders ----
// The fixed places that stand for the system folder and the Windows folder.
inline constexpr const char* SystemFolder = "/usr/lib";
inline constexpr const char* WindowsFolder = "/usr";
// Both: the folder without a trailing '/' and its length; when it does not fit, the size needed
// with the NUL and nothing written.
uint32_t GetSystemDirectoryA(char* buffer, uint32_t size);
uint32_t GetWindowsDirectoryA(char* buffer, uint32_t size);

// The user's private temporary folder, with a trailing '/': "quorvane-<uid>" in $TMPDIR (when it
// names an absolute folder) or /tmp, created with mode 0700. It is used only when it is a real
// folder (not a link), owned by this user and closed to everyone else; otherwise a fresh private
// folder made beside it ("quorvane-<uid>.XXXXXX") is used instead, the same one for the rest of
// the process. Returns the length written without the NUL; the size needed with it when it does
// not fit (nothing written); 0 when no private folder can be had.
uint32_t GetTempPathA(uint32_t bufferLength, char* buffer);

// Names a file in pathName: the prefix's first three characters (UTF-8, never cut inside one),
// `unique` in upper-case hexadecimal and ".TMP". With a nonzero `unique` the file is not created
// and `unique` is returned. With 0 a number not yet taken is found and the file is created empty
// (mode 0600, never through a link); that number is returned. 0 on failure: an empty folder, a prefix holding '/'
// (ERROR_INVALID_NAME), a name that does not fit bufferSize with its NUL (ERROR_BUFFER_OVERFLOW),
// a file that cannot be created, every number taken (ERROR_FILE_EXISTS).
uint32_t GetTempFileNameA(const QByteArray& pathName, const QByteArray& prefix, uint32_t unique,
                          char* tempFileName, uint32_t bufferSize);

// ---- Screen ----
inline constexpr int32_t HORZRES = 8;
inline constexpr int32_t VERTRES = 10;
inline constexpr int32_t BITSPIXEL = 12;
inline constexpr int32_t PLANES = 14;
inline constexpr int32_t LOGPIXELSX = 88;
inline constexpr int32_t LOGPIXELSY = 90;

// The device context of the screen a window is on (the primary screen for none); 0 without one.
HDC GetDC(QWidget* hwnd);
int32_t ReleaseDC(QWidget* hwnd, HDC hdc);
// HORZRES/VERTRES in pixels, BITSPIXEL, PLANES (always 1), LOGPIXELSX/Y (rounded logical dpi);
// 0 for other indexes or an unknown context.
int32_t GetDeviceCaps(HDC hdc, int32_t index);

// ---- System parameters ----
inline constexpr uint32_t SPI_GETBEEP = 1;
inline constexpr uint32_t SPI_SETBEEP = 2;
inline constexpr uint32_t SPI_GETSCREENSAVETIMEOUT = 14;
inline constexpr uint32_t SPI_SETSCREENSAVETIMEOUT = 15;
inline constexpr uint32_t SPI_GETSCREENSAVEACTIVE = 16;
inline constexpr uint32_t SPI_SETSCREENSAVEACTIVE = 17;
inline constexpr uint32_t SPI_GETWORKAREA = 48;
inline constexpr uint32_t SPIF_UPDATEINIFILE = 1;
inline constexpr uint32_t SPIF_SENDCHANGE = 2;

struct RECT {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

// Gets: pvParam points to an int32_t (a BOOL for beep and screen saver active, seconds for the
// time-out) or, for the work area, a RECT in pixels (the primary screen less its panels).
// Defaults while nothing is stored: beep on, screen saver active, time-out 600 seconds.
// Sets: uiParam is the value (nonzero is on); a set is kept in the store at once whatever
// fWinIni says, so the next get reads it back. A time-out must be 1 to 2147483647 seconds.
// FALSE with ERROR_INVALID_PARAMETER for an unknown action, a missing pvParam or a bad value;
// with the store's code when it cannot be written. A stored value of the wrong type or out of
// range reads as the default.
BOOL SystemParametersInfoA(uint32_t uiAction, uint32_t uiParam, void* pvParam, uint32_t fWinIni);

// ---- Locale ----
inline constexpr LCID LOCALE_USER_DEFAULT = 0x0400;
inline constexpr LCID LOCALE_SYSTEM_DEFAULT = 0x0800;
inline constexpr uint32_t LOCALE_SENGLANGUAGE = 0x1001;
inline constexpr uint32_t LOCALE_SENGCOUNTRY = 0x1002;

// The user's locale. This layer knows locales only as "the user's": both defaults name it.
LCID GetUserDefaultLCID();
// The English name of the locale's language ("German"; "English" for the plain C locale) or
// country, with its NUL. cchData 0 asks for the size needed. 0 on failure: an unknown locale
// (ERROR_INVALID_PARAMETER) or item (ERROR_INVALID_FLAGS), a buffer too small
// (ERROR_INSUFFICIENT_BUFFER, nothing written).
int32_t GetLocaleInfoA(LCID locale, uint32_t lcType, char* lpLCData, int32_t cchData);

// ---- Identifiers ----
struct GUID {
    uint32_t Data1 = 0;
    uint16_t Data2 = 0;
    uint16_t Data3 = 0;
    uint8_t Data4[8] = {};
};
// A new random (version 4) identifier.
HRESULT CoCreateGuid(GUID* guid);

// ---- Seam for tests ----
// Each answer that is set replaces what the system would say; the others still come from it.
struct SysInfoAnswers {
    std::optional<QByteArray> kernelRelease; // as uname gives it
    std::optional<QByteArray> systemName;    // the distribution's name
    std::optional<QByteArray> computerName;
    std::optional<QByteArray> userName;
    std::optional<int32_t> bitsPerPixel;
    std::optional<int32_t> planes;
    std::optional<int32_t> dpi; // both directions
    std::optional<QRect> workArea;
    std::optional<QString> localeName; // "de_DE", "C"
};
// Installs the answers; returns the previous ones.
SysInfoAnswers SetSysInfoAnswers(SysInfoAnswers answers);

} // namespace vb
