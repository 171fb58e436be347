#include "platform/Instance.h"

#include "platform/SettingsFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace vb {

namespace {

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

int OpenLockFile(const QByteArray& path)
{
    // Close-on-exec: a browser or any other program started from here must not keep the lock alive.
    return ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
}

int Flock(int fd, int op)
{
    int rc;
    do
        rc = ::flock(fd, op);
    while (rc != 0 && errno == EINTR);
    return rc;
}

// This copy's mark, held for the process's life, and the store it belongs to.
Fd& Presence()
{
    static Fd fd;
    return fd;
}
QByteArray& PresencePath()
{
    static QByteArray path;
    return path;
}

} // namespace

QByteArray InstanceLockPath() { return SettingsFilePath() + ".instance"; }

bool PrevInstance()
{
    bool isDefault = false;
    const QByteArray store = SettingsFilePath(&isDefault);
    // The store makes the folders of the default file only; a copy that finds no folder for its
    // store runs without one.
    if (store.isEmpty() || !MakeSettingsFolder(store, isDefault))
        return false;
    const QByteArray path = store + ".instance";
    // Testing for others and then marking this copy are one step for every copy: a second lock
    // file keeps two copies that start at the same moment from both finding the other not there yet.
    Fd gate(OpenLockFile(path + "-gate"));
    if (gate.get() < 0 || Flock(gate.get(), LOCK_EX) != 0)
        return false;

    Fd& mark = Presence();
    if (mark.get() < 0 || PresencePath() != path) {
        mark.reset(OpenLockFile(path));
        PresencePath() = path;
        if (mark.get() < 0)
            return false;
    }
    // Every running copy holds the file shared: an exclusive lock is free only when none does.
    Flock(mark.get(), LOCK_UN);
    const bool others = Flock(mark.get(), LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    Flock(mark.get(), LOCK_SH);
    return others;
}

} // namespace vb
