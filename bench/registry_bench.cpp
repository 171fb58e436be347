// The main window's settings traffic: five numbers saved when it closes (one by one, or as one
// write), five read when it opens.
// The store is a temporary file, so the user's settings are never touched.
//   registry_bench [--benchmark_...]
#include "platform/Registry.h"
#include "support/modRegistry.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

namespace {

const QString WindowPosition = QStringLiteral("Software\\Quorvane\\WindowPosition");

void SaveWindowPosition(benchmark::State& state)
{
    int32_t n = 0;
    for (auto _ : state) {
        ++n;
        bool ok = SaveRegDWord(HKEY_CURRENT_USER, WindowPosition, QStringLiteral("Left"), 1200 + n) == "Success";
        ok &= SaveRegDWord(HKEY_CURRENT_USER, WindowPosition, QStringLiteral("Top"), 900 + n) == "Success";
        ok &= SaveRegDWord(HKEY_CURRENT_USER, WindowPosition, QStringLiteral("Width"), 12000) == "Success";
        ok &= SaveRegDWord(HKEY_CURRENT_USER, WindowPosition, QStringLiteral("Height"), 9000) == "Success";
        ok &= SaveRegDWord(HKEY_CURRENT_USER, WindowPosition, QStringLiteral("State"), 0) == "Success";
        if (!ok)
            state.SkipWithError("save failed");
    }
}

// The same five numbers saved as one write, as the main window saves its position.
void SaveWindowPositionAtOnce(benchmark::State& state)
{
    int32_t n = 0;
    for (auto _ : state) {
        ++n;
        if (SaveRegDWords(HKEY_CURRENT_USER, WindowPosition,
                          {{QStringLiteral("Left"), 1200 + n},
                           {QStringLiteral("Top"), 900 + n},
                           {QStringLiteral("Width"), 12000},
                           {QStringLiteral("Height"), 9000},
                           {QStringLiteral("State"), 0}}) != "Success")
            state.SkipWithError("save failed");
    }
}

void ReadWindowPosition(benchmark::State& state)
{
    SaveRegDWord(HKEY_CURRENT_USER, WindowPosition, QStringLiteral("Left"), 1200);
    int64_t sum = 0;
    for (auto _ : state) {
        sum += GetRegDWord(HKEY_CURRENT_USER, WindowPosition, QStringLiteral("Left"), -1);
        sum += GetRegDWord(HKEY_CURRENT_USER, WindowPosition, QStringLiteral("Top"), -1);
        sum += GetRegDWord(HKEY_CURRENT_USER, WindowPosition, QStringLiteral("Width"), -1);
        sum += GetRegDWord(HKEY_CURRENT_USER, WindowPosition, QStringLiteral("Height"), -1);
        sum += GetRegDWord(HKEY_CURRENT_USER, WindowPosition, QStringLiteral("State"), -1);
    }
    benchmark::DoNotOptimize(sum);
}

// The first call of a run opens the file, checks it and sets it up.
void FirstReadOfARun(benchmark::State& state)
{
    for (auto _ : state) {
        RegistryCloseStore();
        benchmark::DoNotOptimize(GetRegDWord(HKEY_CURRENT_USER, WindowPosition, QStringLiteral("Left"), -1));
    }
}

} // namespace

BENCHMARK(SaveWindowPosition)->Unit(benchmark::kMillisecond)->Repetitions(15)->ReportAggregatesOnly(true)->Iterations(20);
BENCHMARK(SaveWindowPositionAtOnce)->Unit(benchmark::kMillisecond)->Repetitions(15)->ReportAggregatesOnly(true)->Iterations(20);
BENCHMARK(ReadWindowPosition)->Unit(benchmark::kMillisecond)->Repetitions(15)->ReportAggregatesOnly(true);
BENCHMARK(FirstReadOfARun)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

int main(int argc, char** argv)
{
    QTemporaryDir store;
    qputenv("QUORVANE_REGISTRY", (store.path() + QStringLiteral("/registry.db")).toUtf8());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    RegistryCloseStore();
    return 0;
}
