#include "platform/FileLock.h"

#include <cerrno>
#include <sys/file.h>
#include <thread>

namespace {

constexpr std::chrono::milliseconds RetryEvery(10);

} // namespace

bool LockFileBy(int fd, int operation, std::chrono::steady_clock::time_point deadline)
{
    for (;;) {
        if (::flock(fd, operation | LOCK_NB) == 0)
            return true;
        if (errno != EWOULDBLOCK && errno != EINTR)
            return false;
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline)
            return false;
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(RetryEvery, deadline - now));
    }
}
