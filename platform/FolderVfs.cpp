#include "platform/FolderVfs.h"

#include <sqlite3.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char ProcFolder[] = "/proc/self/fd/";
constexpr const char* VfsName = "quorvane-folder";
// As many links in a row as the system itself follows.
constexpr int MaxLinks = 40;
constexpr int FolderFlags = O_PATH | O_DIRECTORY | O_CLOEXEC;

// SQLite's own opening of a file: the unix layer's "open" system call.
using OpenCall = int (*)(const char*, int, int);
OpenCall plainOpen = nullptr;

// SQLite's unix layer opens through this. O_NONBLOCK keeps the opening of a FIFO or a terminal
// from waiting for its other end; what is not a plain file or a folder is closed again unread.
int OpenWithoutWaiting(const char* path, int flags, int mode)
{
    const int fd = plainOpen(path, flags | O_NONBLOCK, mode);
    if (fd < 0)
        return fd;
    struct stat st {};
    const bool fstatFailed = ::fstat(fd, &st) != 0;
    // The devices SQLite opens of itself: /dev/null to keep the standard descriptors taken, and
    // /dev/urandom for its seed.
    const bool own = S_ISCHR(st.st_mode) &&
                     (std::strcmp(path, "/dev/null") == 0 || std::strcmp(path, "/dev/urandom") == 0);
    if (fstatFailed || !(S_ISREG(st.st_mode) || S_ISDIR(st.st_mode) || own)) {
        const int error = fstatFailed ? errno : ENXIO;
        ::close(fd);
        errno = error;
        return -1;
    }
    if (!(flags & O_NONBLOCK))
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

sqlite3_vfs* UnixVfs()
{
    return sqlite3_vfs_find("unix");
}

// Names under /proc/self/fd stand as they are: resolving them, as the unix layer does, would give
// back the folder's whole path. Every other name is the unix layer's to make whole.
int FullPathname(sqlite3_vfs*, const char* name, int size, char* out)
{
    if (std::strncmp(name, ProcFolder, sizeof ProcFolder - 1) != 0)
        return UnixVfs()->xFullPathname(UnixVfs(), name, size, out);
    const size_t length = std::strlen(name);
    if (size <= 0 || length >= static_cast<size_t>(size))
        return SQLITE_CANTOPEN;
    std::memcpy(out, name, length + 1);
    return SQLITE_OK;
}

// The target of the link `leaf` in the folder; empty (errno set) when it cannot be read.
QByteArray ReadLinkAt(int folder, const QByteArray& leaf)
{
    QByteArray target(256, '\0');
    for (;;) {
        const ssize_t n = ::readlinkat(folder, leaf.constData(), target.data(), static_cast<size_t>(target.size()));
        if (n < 0)
            return {};
        if (n < target.size()) {
            target.truncate(n);
            return target;
        }
        target.resize(target.size() * 2);
    }
}

bool SameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

} // namespace

bool SqliteFolder::Open(const QByteArray& file)
{
    Close();
    const qsizetype slash = file.lastIndexOf('/');
    int folder = ::open(slash < 0 ? "." : slash == 0 ? "/" : file.left(slash).constData(), FolderFlags);
    QByteArray leaf = file.mid(slash + 1);
    followed = false;
    for (int links = 0; folder >= 0; ++links) {
        if (leaf.isEmpty())
            leaf = ".";
        struct stat st {};
        if (::fstatat(folder, leaf.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISLNK(st.st_mode))
            break;
        const QByteArray target = links < MaxLinks ? ReadLinkAt(folder, leaf) : QByteArray();
        if (target.isEmpty()) {
            if (links >= MaxLinks)
                errno = ELOOP;
            const int error = errno;
            ::close(folder);
            errno = error;
            return false;
        }
        const qsizetype cut = target.lastIndexOf('/');
        if (cut >= 0) {
            // An absolute target ignores the folder it was read in; a relative one goes from it.
            const int next = ::openat(folder, cut == 0 ? "/" : target.left(cut).constData(), FolderFlags);
            const int error = errno;
            ::close(folder);
            folder = next;
            errno = error;
        }
        leaf = target.mid(cut + 1);
        followed = true;
    }
    if (folder < 0)
        return false;
    fd = folder;
    name = leaf;
    const QByteArray viaProc = ProcFolder + QByteArray::number(fd);
    struct stat named {}, held {};
    const bool procNamesIt =
        ::stat(viaProc.constData(), &named) == 0 && ::fstat(fd, &held) == 0 && SameFile(named, held);
    alias = procNamesIt ? viaProc + '/' + name : file;
    if (!followed)
        shownFolder = slash < 0 ? QByteArray(".") : file.left(slash);
    else if (procNamesIt)
        shownFolder = ReadLinkAt(AT_FDCWD, viaProc);
    return true;
}

QByteArray SqliteFolder::PathOf(const QByteArray& leaf) const
{
    return fd < 0 || (shownFolder.isEmpty() && followed) ? leaf : shownFolder + '/' + leaf;
}

void SqliteFolder::Close()
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
    name.clear();
    alias.clear();
    shownFolder.clear();
}

const char* FolderVfsName()
{
    static const char* const registered = [] {
        static sqlite3_vfs vfs {};
        sqlite3_initialize();
        sqlite3_vfs* base = UnixVfs();
        plainOpen = reinterpret_cast<OpenCall>(base->xGetSystemCall(base, "open"));
        base->xSetSystemCall(base, "open", reinterpret_cast<sqlite3_syscall_ptr>(&OpenWithoutWaiting));
        vfs = *base;
        vfs.pNext = nullptr;
        vfs.zName = VfsName;
        vfs.xFullPathname = FullPathname;
        sqlite3_vfs_register(&vfs, 0);
        return VfsName;
    }();
    return registered;
}
