// Writes into the settings store named by QUORVANE_REGISTRY, one save at a time, and prints each
// index on its own line once its save has been committed.
//   registry_writer <value-prefix> <count>
//       HKEY_CURRENT_USER\Software\Quorvane\WriterTest: <prefix><index> = index, one value a save.
//   registry_writer --records <writer> <count>
//       HKEY_CURRENT_USER\Software\Quorvane\WindowPosition: Left, Top, Width, Height and State, all
//       five = writer * 100000 + index, saved together the way the main window saves its bounds.
#include "support/modRegistry.h"
#include "platform/Registry.h"

#include <QString>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>

namespace {

int SaveMany(int count, const std::function<QString(int)>& save)
{
    for (int i = 0; i < count; ++i) {
        if (save(i) != QStringLiteral("Success")) {
            std::fprintf(stderr, "write %d failed\n", i);
            return 1;
        }
        std::printf("%d\n", i);
        std::fflush(stdout);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--records") == 0) {
        const int writer = std::atoi(argv[2]);
        return SaveMany(std::atoi(argv[3]), [writer](int i) {
            const int32_t mark = writer * 100000 + i;
            return SaveRegDWords(HKEY_CURRENT_USER, QStringLiteral("Software\\Quorvane\\WindowPosition"),
                                 {{QStringLiteral("Left"), mark},
                                  {QStringLiteral("Top"), mark},
                                  {QStringLiteral("Width"), mark},
                                  {QStringLiteral("Height"), mark},
                                  {QStringLiteral("State"), mark}});
        });
    }
    if (argc != 3) {
        std::fprintf(stderr, "usage: registry_writer <value-prefix> <count> | --records <writer> <count>\n");
        return 2;
    }
    const QString prefix = QString::fromUtf8(argv[1]);
    return SaveMany(std::atoi(argv[2]), [&prefix](int i) {
        return SaveRegDWord(HKEY_CURRENT_USER, QStringLiteral("Software\\Quorvane\\WriterTest"),
                            prefix + QString::number(i), i);
    });
}
