// Reads or saves numbers in the settings store named by QUORVANE_REGISTRY, for tests that need
// another process, or another user, to do it.
//   registry_access get <key path> <name>...      one line per name: the number, or "default"
//   registry_access set <key path> <name> <number>... one save a pair: its result text
//   registry_access path                           the store's file, or an empty line for none
#include "support/modRegistry.h"
#include "platform/Registry.h"

#include <QString>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

int main(int argc, char** argv)
{
    if (argc >= 4 && std::strcmp(argv[1], "get") == 0) {
        // A default no test stores, so that a missing value shows.
        constexpr int32_t Missing = std::numeric_limits<int32_t>::min();
        for (int i = 3; i < argc; ++i) {
            const int32_t value =
                GetRegDWord(HKEY_CURRENT_USER, QString::fromUtf8(argv[2]), QString::fromUtf8(argv[i]), Missing);
            if (value == Missing)
                std::printf("default\n");
            else
                std::printf("%d\n", value);
        }
        return 0;
    }
    if (argc >= 5 && argc % 2 == 1 && std::strcmp(argv[1], "set") == 0) {
        for (int i = 3; i < argc; i += 2) {
            const QString result = SaveRegDWord(HKEY_CURRENT_USER, QString::fromUtf8(argv[2]),
                                                QString::fromUtf8(argv[i]), std::atoi(argv[i + 1]));
            std::printf("%s\n", result.toUtf8().constData());
        }
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "path") == 0) {
        std::printf("%s\n", RegistryStorePath().constData());
        return 0;
    }
    std::fprintf(stderr, "usage: registry_access get <path> <name>... | set <path> <name> <number>... | path\n");
    return 2;
}
