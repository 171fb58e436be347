// A running copy of the program as far as the single-instance test sees it: asks whether another
// copy runs, prints the answer (1 or 0), and then stays alive, holding its mark, until it is killed.
//   instance_holder [--with-child]
// With --with-child it first forks a child that lives on after it (a stand-in for a browser the
// copy launched) and prints that child's process id after the answer.
#include "platform/Instance.h"

#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    const bool withChild = argc > 1 && std::strcmp(argv[1], "--with-child") == 0;
    const bool others = vb::PrevInstance();
    long child = 0;
    if (withChild) {
        // The answer is printed only once the child runs its program: until its exec it still
        // shares every descriptor of this process, close-on-exec or not.
        int exec[2];
        if (pipe2(exec, O_CLOEXEC) != 0)
            return 1;
        const pid_t pid = fork();
        if (pid == 0) {
            execlp("sleep", "sleep", "120", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(exec[1]);
        char c;
        while (read(exec[0], &c, 1) > 0) {
        }
        close(exec[0]);
        child = pid;
    }
    std::printf("%d %ld\n", others ? 1 : 0, child);
    std::fflush(stdout);
    for (;;)
        pause();
}
