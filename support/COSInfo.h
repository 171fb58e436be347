#pragma once
// Facts about the running system and a few of its settings, each read afresh from the system
// layer (platform/SysInfo.h) on every call; the object holds no state.
//
// Every member traps its own errors: it shows "Error: <number>. <description>" in a plain message
// box titled with its name (a property's get and set share one) and returns what it holds by then
// ("", 0 or False when nothing was set). Failures of the system calls themselves are not errors.
#include "platform/Registry.h"

#include <QString>
#include <QVariant>
#include <cstdint>

class COSInfo {
public:
    // Whether the warning beep is on. Setting it is kept for the user and read back by the next get.
    bool Beep() const;
    void Beep(bool fValue);

    // The host name. Renaming the computer is not allowed here: the set does nothing, silently.
    QString ComputerName() const;
    void ComputerName(const QString& strValue);

    QString CurrentHardwareProfile() const;

    // The default company and user names of the current user's setup key
    // "Software\Microsoft\MS Setup (ACME)\User Info" ("DefCompany", "DefName"): "" when missing,
    // a number as its decimal digits.
    QString DefaultCompanyName() const;
    QString DefaultUserName() const;

    // 2 to the power of the screen's bits per pixel times planes; -1 for 32 bits. A depth whose
    // count does not fit 32 bits is an overflow error.
    int32_t DisplayColors() const;

    // A new identifier, "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper-case hexadecimal.
    QString GUID() const;

    // The English name of the language of the user's locale.
    QString Language() const;

    // True when the screen has exactly 120 pixels per logical inch.
    bool LargeFonts() const;

    // From the version record: the additional text (the distribution's name), the build (low 15
    // bits only), major and minor version, and the platform identifier.
    QString OSAdditional() const;
    int32_t OSBuild() const;
    int32_t OSMajorVersion() const;
    int32_t OSMinorVersion() const;

    bool ScreenSaverActive() const;
    void ScreenSaverActive(bool fValue);
    // Seconds; a set of less than 1 is refused by the system and leaves the time-out as it was.
    int32_t ScreenSaverTimeout() const;
    void ScreenSaverTimeout(int32_t lngValue);

    QString SystemDirectory() const;

    // The name the system gives for a temporary file of this prefix in TempPath: the prefix's first
    // three characters, "1" and ".TMP". The file is not created; the same prefix gives the same name
    // on every call. "" when there is no temporary folder or the prefix holds a '/'.
    QString TempFile(const QString& strPrefix) const;
    // The user's private temporary folder, ending in '/'; "" when none can be had.
    QString TempPath() const;

    QString UserName() const;
    QString WindowsDirectory() const;
    int32_t WindowsType() const;

    // The desktop's work area in pixels. A value beyond 16 bits is an overflow error: the arguments
    // set before it keep their new values, the others stay as they were.
    void GetWorkArea(int16_t& intLeft, int16_t& intTop, int16_t& intWidth, int16_t& intHeight) const;

private:
    friend struct COSInfoTestAccess;

    // A value of a key: empty when the key or value is missing or of another type than text
    // (a QString), binary (a QByteArray of the data and one NUL more) or a 32-bit number (qint32).
    static QVariant RegistryGetKeyValue(HKEY hKey, const QString& strKeyName, const QString& strValueName);
    // The text before its first NUL character.
    static QString TrimNulls(const QString& strText);
};
