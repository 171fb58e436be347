// Writes numbered values into the settings store named by QUORVANE_REGISTRY, one write at a time,
// and prints each index on its own line once its write has been committed.
//   registry_writer <value-prefix> <count>
// Values go to HKEY_CURRENT_USER\Software\Quorvane\WriterTest as <prefix><index> = index.
#include "support/modRegistry.h"
#include "platform/Registry.h"

#include <cstdio>
#include <cstdlib>
#include <QString>

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: registry_writer <value-prefix> <count>\n");
        return 2;
    }
    const QString prefix = QString::fromUtf8(argv[1]);
    const int count = std::atoi(argv[2]);
    for (int i = 0; i < count; ++i) {
        const QString result =
            SaveRegDWord(HKEY_CURRENT_USER, QStringLiteral("Software\\Quorvane\\WriterTest"), prefix + QString::number(i), i);
        if (result != QStringLiteral("Success")) {
            std::fprintf(stderr, "write %d failed\n", i);
            return 1;
        }
        std::printf("%d\n", i);
        std::fflush(stdout);
    }
    return 0;
}
