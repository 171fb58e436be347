#include "platform/SettingsFile.h"

#include <cerrno>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

const QByteArray StoreInConfigFolder = "/Quorvane/registry.db";

bool IsAbsolute(const QByteArray& path) { return path.startsWith('/'); }

QByteArray CurrentFolder()
{
    std::vector<char> buffer(4096);
    while (!::getcwd(buffer.data(), buffer.size())) {
        if (errno != ERANGE)
            return {};
        buffer.resize(buffer.size() * 2);
    }
    return QByteArray(buffer.data());
}

// The account's own home folder, as the password database records it; empty when it has none.
QByteArray AccountHome()
{
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
    passwd entry {};
    passwd* found = nullptr;
    int rc;
    while ((rc = ::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found)) == ERANGE)
        buffer.resize(buffer.size() * 2);
    if (rc != 0 || !found || !found->pw_dir)
        return {};
    const QByteArray home(found->pw_dir);
    return IsAbsolute(home) ? home : QByteArray();
}

// Whether the path is a folder; false with errno telling why not.
bool IsFolder(const QByteArray& path)
{
    struct stat st {};
    if (::stat(path.constData(), &st) != 0)
        return false;
    if (!S_ISDIR(st.st_mode))
        errno = ENOTDIR;
    return S_ISDIR(st.st_mode);
}

QByteArray HomeFolder()
{
    const QByteArray home = qgetenv("HOME");
    return IsAbsolute(home) ? home : AccountHome();
}

} // namespace

QByteArray SettingsFilePath(bool* isDefault)
{
    const QByteArray named = qgetenv("QUORVANE_REGISTRY");
    if (isDefault)
        *isDefault = named.isEmpty();
    if (!named.isEmpty()) {
        if (IsAbsolute(named))
            return named;
        const QByteArray here = CurrentFolder();
        return here.isEmpty() ? QByteArray() : here + '/' + named;
    }
    const QByteArray config = qgetenv("XDG_CONFIG_HOME");
    if (IsAbsolute(config))
        return config + StoreInConfigFolder;
    const QByteArray home = HomeFolder();
    return home.isEmpty() ? QByteArray() : home + "/.config" + StoreInConfigFolder;
}

bool MakeSettingsFolder(const QByteArray& file, bool isDefault)
{
    const qsizetype slash = file.lastIndexOf('/');
    if (slash < 0) {
        errno = EINVAL;
        return false;
    }
    const QByteArray folder = file.left(slash);
    if (folder.isEmpty() || IsFolder(folder))
        return true;
    if (!isDefault)
        return false;
    // Each level from the top, so that every folder made is private from its making on.
    for (qsizetype end = folder.indexOf('/', 1); ; end = folder.indexOf('/', end + 1)) {
        const QByteArray level = end < 0 ? folder : folder.left(end);
        if (::mkdir(level.constData(), 0700) != 0 && errno != EEXIST)
            return false;
        if (end < 0)
            break;
    }
    return IsFolder(folder);
}
