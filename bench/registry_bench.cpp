// The main window's settings traffic: five numbers saved when it closes (one by one, or as one
// write), five read when it opens; and listing a key's values and subkeys through the registry
// class, whose time should grow in step with the number of names.
// The store is a temporary file, so the user's settings are never touched.
//   registry_bench [--benchmark_...]
#include "platform/Registry.h"
#include "support/cRegistry.h"
#include "support/modRegistry.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

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

// A key holding `count` values (or subkeys), made once per size.
QString ListingKey(const char* kind, int64_t count)
{
    const QString path = QStringLiteral("Software\\Quorvane\\Listing\\%1%2").arg(QLatin1String(kind)).arg(count);
    HKEY key = 0;
    if (RegCreateKeyA(HKEY_CURRENT_USER, path.toUtf8(), &key) != ERROR_SUCCESS)
        return QString();
    const bool values = qstrcmp(kind, "Values") == 0;
    const int32_t made = RegistryTransaction([&]() -> int32_t {
        for (int64_t i = 0; i < count; ++i) {
            const QByteArray name = "Name" + QByteArray::number(i);
            const uint32_t data = static_cast<uint32_t>(i);
            HKEY sub = 0;
            const int32_t r = values ? RegSetValueExA(key, name, 0, REG_DWORD, &data, sizeof data)
                                     : RegCreateKeyA(key, name, &sub);
            if (sub)
                RegCloseKey(sub);
            if (r != ERROR_SUCCESS)
                return r;
        }
        return ERROR_SUCCESS;
    });
    RegCloseKey(key);
    return made == ERROR_SUCCESS ? path : QString();
}

cRegistry ListingRegistry(benchmark::State& state, const char* kind)
{
    cRegistry r;
    r.setClassKey(HKEY_CURRENT_USER);
    const QString path = ListingKey(kind, state.range(0));
    if (path.isEmpty())
        state.SkipWithError("the key could not be filled");
    r.setSectionKey(path);
    return r;
}

// Lists a key of `kind` through the registry class's listing operation.
void List(benchmark::State& state, const char* kind, bool (cRegistry::*enumerate)(QStringList&, int32_t&) const)
{
    const cRegistry r = ListingRegistry(state, kind);
    QStringList names;
    int32_t count = 0;
    for (auto _ : state) {
        (r.*enumerate)(names, count);
        if (count != state.range(0))
            state.SkipWithError("names missing from the listing");
    }
    state.SetComplexityN(state.range(0));
}

} // namespace

BENCHMARK_CAPTURE(List, Values, "Values", &cRegistry::EnumerateValues)
    ->Unit(benchmark::kMillisecond)->Arg(1000)->Arg(4000)->Arg(10000)->Complexity();
BENCHMARK_CAPTURE(List, Sections, "Sections", &cRegistry::EnumerateSections)
    ->Unit(benchmark::kMillisecond)->Arg(1000)->Arg(4000)->Arg(10000)->Complexity();
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
