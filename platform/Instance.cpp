#include "platform/Instance.h"

#include "platform/FileLock.h"
#include "platform/SettingsFile.h"

#include <QCryptographicHash>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vb {

namespace {

// The longest the start waits for the locks of others, all together; after it, it goes on as when
// nothing can be told.
constexpr std::chrono::milliseconds LongestWait(1500);

const QByteArray MarkSuffix = ".instance";
const QByteArray GateSuffix = ".instance-gate";

// Closes its descriptor when it goes; -1 holds nothing.
class Fd {
public:
    explicit Fd(int d = -1) : fd(d) {}
    ~Fd() { reset(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd; }
    void reset(int d = -1)
    {
        if (fd >= 0)
            ::close(fd);
        fd = d;
    }

private:
    int fd;
};

// A lock file: a plain file (a planted link, pipe or folder is refused), never inherited by a
// program started from here, which must not keep the lock alive. One that this user may not
// write is locked through a descriptor for reading: flock needs no more.
int OpenLockFile(int folder, const QByteArray& name)
{
    constexpr int Flags = O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY;
    int fd = ::openat(folder, name.constData(), O_RDWR | O_CREAT | Flags, 0600);
    if (fd < 0 && (errno == EACCES || errno == EROFS))
        fd = ::openat(folder, name.constData(), O_RDONLY | Flags);
    struct stat st {};
    if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
        ::close(fd);
        fd = -1;
    }
    return fd;
}

// A folder that only this user may enter, or -1.
int OpenPrivateFolder(const QByteArray& path, int flags)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | flags);
    struct stat st {};
    if (fd >= 0 && (::fstat(fd, &st) != 0 || st.st_uid != ::geteuid() || (st.st_mode & 077) != 0)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// This user's own folder for lock files that cannot lie beside the store: $XDG_RUNTIME_DIR when it
// is such a folder, else /tmp/quorvane-<uid>, made for it. -1 when neither is safe to use.
int PrivateLockFolder()
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (runtime.startsWith('/')) {
        const int fd = OpenPrivateFolder(runtime, 0);
        if (fd >= 0)
            return fd;
    }
    const QByteArray own = "/tmp/quorvane-" + QByteArray::number(::geteuid());
    ::mkdir(own.constData(), 0700);
    // Another user may have put a folder or a link there first: neither is taken.
    return OpenPrivateFolder(own, O_NOFOLLOW);
}

// The folder of the store's file, for lock files named in it (however long a path to them would
// be), or -1.
int StoreFolder(const QByteArray& file)
{
    const qsizetype slash = file.lastIndexOf('/');
    if (file.isEmpty() || slash < 0)
        return -1;
    return ::open(slash == 0 ? "/" : file.left(slash).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
}

// This copy's mark, held for the process's life, and where it lies. The lock files lie beside the
// store, where every copy that uses it, of any user, finds them; where they cannot be made there (a
// folder the user may not write, or one that is not there) they lie in the user's private folder,
// named after the store's path, so that the copies of this user still see each other.
struct Presence {
    QByteArray store;
    Fd folder;         // the folder the lock files lie in: the store's, or the private one
    QByteArray prefix; // the lock files' names in it up to their suffix
    Fd mark;

    void Place(const QByteArray& file)
    {
        store = file;
        mark.reset();
        folder.reset(StoreFolder(file));
        prefix = file.mid(file.lastIndexOf('/') + 1);
        if (folder.get() >= 0)
            mark.reset(OpenLockFile(folder.get(), prefix + MarkSuffix));
        if (mark.get() >= 0)
            return;
        folder.reset(PrivateLockFolder());
        prefix = "quorvane-" + QCryptographicHash::hash(file, QCryptographicHash::Sha256).toHex().left(32);
        if (folder.get() >= 0)
            mark.reset(OpenLockFile(folder.get(), prefix + MarkSuffix));
    }
    int OpenGate() const { return OpenLockFile(folder.get(), prefix + GateSuffix); }
};
Presence& ThisCopy()
{
    static Presence presence;
    return presence;
}

} // namespace

QByteArray InstanceLockPath() { return SettingsFilePath() + MarkSuffix; }

bool PrevInstance()
{
    const auto deadline = std::chrono::steady_clock::now() + LongestWait;
    bool isDefault = false;
    const QByteArray store = SettingsFilePath(&isDefault);
    MakeSettingsFolder(store, isDefault);

    Presence& self = ThisCopy();
    if (self.mark.get() < 0 || self.store != store)
        self.Place(store);
    if (self.mark.get() < 0)
        return false;
    // Testing for others and then marking this copy are one step for every copy: a second lock
    // file keeps two copies that start at the same moment from both finding the other not there
    // yet. A gate that someone keeps closed is passed by after the wait.
    Fd gate(self.OpenGate());
    if (gate.get() >= 0)
        LockFileBy(gate.get(), LOCK_EX, deadline);

    // Every running copy holds the mark shared: an exclusive lock is free only when none does.
    ::flock(self.mark.get(), LOCK_UN);
    const bool others = ::flock(self.mark.get(), LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    // Not marked within the wait: something holds the file exclusively, and nothing can be told.
    if (!LockFileBy(self.mark.get(), LOCK_SH, deadline))
        return false;
    return others;
}

} // namespace vb
