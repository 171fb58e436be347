// Cost of the main window's step timer: one tick that changes no step, one step change with its
// display, and the process's CPU share and resident memory while a tapping round runs on the real
// 10 ms timer for 20 seconds (offscreen), and opening the window from sound and absurd saved
// bounds. Set QUORVANE_BENCH_SECONDS to shorten the run.
#include "session/SessionResources.h"
#include "session/SessionState.h"
#include "session/frmMain.h"
#include "support/modErrorReport.h"
#include "support/modRegistry.h"
#include "platform/Registry.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <utility>
#include <sys/resource.h>

using session::State;

namespace {

frmMain* Window()
{
    static frmMain* form = [] {
        auto* f = new frmMain;
        f->tmrSteps->blockSignals(true); // the benchmarks tick by hand
        f->Show();
        f->Form_Activate();
        QCoreApplication::processEvents();
        return f;
    }();
    return form;
}

// Into round 1 at Top Head, with the timer's state as the machine left it.
void ToTappingRound(frmMain* f)
{
    State.CurrentStep = stepKarateChopRight;
    State.StepLength = 10;
    State.RoundCount = 0;
    State.RoundPolarity = session::vbFalse;
    f->cmdNavig_Click(1);
}

// Keeps the tick count short of a whole second: the once-a-second time display is a cost of its own.
void StayInsideTheSecond()
{
    if (State.MillisecondCount >= 980)
        State.MillisecondCount = 0;
}

void BM_TickWithoutStepChange(benchmark::State& st)
{
    frmMain* f = Window();
    ToTappingRound(f);
    State.StepLength = 1000000; // the point never runs out here
    for (auto _ : st) {
        f->tmrSteps_Timer();
        StayInsideTheSecond();
    }
    QCoreApplication::processEvents();
}
BENCHMARK(BM_TickWithoutStepChange);

void BM_TickAveragedOverASecond(benchmark::State& st)
{
    frmMain* f = Window();
    ToTappingRound(f);
    State.StepLength = 1000000;
    for (auto _ : st)
        f->tmrSteps_Timer(); // one in a hundred shows the time and lets pending events run
    QCoreApplication::processEvents();
}
BENCHMARK(BM_TickAveragedOverASecond);

// One step change with its display; with the argument 1 the window's repaint of the new texts
// and dots is included.
void BM_StepChangeWithDisplay(benchmark::State& st)
{
    frmMain* f = Window();
    ToTappingRound(f);
    const bool painted = st.range(0) != 0;
    for (auto _ : st) {
        State.StepSeconds = State.StepLength; // the point is over: this tick moves on and shows the next
        f->tmrSteps_Timer();
        StayInsideTheSecond();
        if (painted)
            QCoreApplication::processEvents();
    }
    QCoreApplication::processEvents();
}
BENCHMARK(BM_StepChangeWithDisplay)->ArgName("painted")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// One blink of the marker with its repaint: the timer does this every eleventh tick.
void BM_BlinkPainted(benchmark::State& st)
{
    frmMain* f = Window();
    ToTappingRound(f);
    State.StepLength = 1000000;
    for (auto _ : st) {
        State.BlinkTicks = 0; // this tick turns the marker on or off
        State.BlinkElapsed = 0;
        f->tmrSteps_Timer();
        StayInsideTheSecond();
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_BlinkPainted)->Unit(benchmark::kMicrosecond);

// Opening the window from saved bounds: sound ones, and the largest size the store can hold, which
// must cost no more than a sound size (the window starts at its design size instead).
void BM_OpenWithSavedBounds(benchmark::State& st)
{
    const QString key = QStringLiteral("Software\\Quorvane\\WindowPosition");
    const bool absurd = st.range(0) != 0;
    SaveRegDWord(HKEY_CURRENT_USER, key, QStringLiteral("Left"), 750);
    SaveRegDWord(HKEY_CURRENT_USER, key, QStringLiteral("Top"), 600);
    SaveRegDWord(HKEY_CURRENT_USER, key, QStringLiteral("Width"), absurd ? 2147483647 : 11250);
    SaveRegDWord(HKEY_CURRENT_USER, key, QStringLiteral("Height"), absurd ? 2147483647 : 7500);
    for (auto _ : st) {
        frmMain f;
        f.tmrSteps->blockSignals(true);
        f.Show();
        QCoreApplication::processEvents();
        f.Unload();
    }
}
BENCHMARK(BM_OpenWithSavedBounds)->ArgName("absurd")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

int RunSeconds()
{
    return qEnvironmentVariableIsSet("QUORVANE_BENCH_SECONDS") ? qEnvironmentVariableIntValue("QUORVANE_BENCH_SECONDS")
                                                                : 20;
}

double CpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

long ResidentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

// Runs the event loop for the given seconds: the process's CPU seconds spent and the wall seconds.
std::pair<double, double> RunEventLoopFor(int seconds)
{
    const double cpuBefore = CpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QTimer::singleShot(seconds * 1000, qApp, [] { QCoreApplication::exit(0); });
    QApplication::exec();
    return {CpuSeconds() - cpuBefore, wall.elapsed() / 1000.0};
}

// The session as the user runs it: the real timer, painting, the event loop.
void RunningRound()
{
    const int seconds = RunSeconds();
    auto* f = new frmMain;
    f->Show();
    f->Form_Activate();
    QCoreApplication::processEvents();
    ToTappingRound(f);
    const int32_t totalBefore = State.TotalSeconds;
    const auto [cpu, elapsed] = RunEventLoopFor(seconds);
    std::printf("\nTapping round on the real timer, %.1f s wall (offscreen):\n", elapsed);
    std::printf("  session seconds counted: %d, step now %d, round %d\n", State.TotalSeconds - totalBefore,
                int(State.CurrentStep), State.RoundCount);
    std::printf("  CPU: %.3f s = %.2f%% of one core\n", cpu, 100.0 * cpu / elapsed);
    std::printf("  resident memory: %.1f MB\n", ResidentKiB() / 1024.0);
    f->Unload();
    delete f;
}

// For comparison: the same event loop with nothing but a 10 ms timer that does no work. On a
// virtual machine its wake-ups alone cost most of a percent of one core.
void IdleTimerFloor(int seconds)
{
    QTimer idle;
    idle.setTimerType(Qt::PreciseTimer);
    idle.setInterval(10);
    QObject::connect(&idle, &QTimer::timeout, [] {});
    idle.start();
    const auto [cpu, elapsed] = RunEventLoopFor(seconds);
    std::printf("  for comparison, an idle 10 ms timer alone: %.2f%% of one core\n", 100.0 * cpu / elapsed);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir store;
    qputenv("QUORVANE_REGISTRY", (store.path() + QStringLiteral("/registry.db")).toUtf8());
    QApplication app(argc, argv);
    InitSessionResources();
    ErrorReportRecorder reports; // a report would stop the run with a modal window
    benchmark::Initialize(&argc, argv);
    RunningRound(); // first, so that its memory figure is the session's own
    IdleTimerFloor(RunSeconds());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (!reports.calls.empty())
        std::printf("error reports: %zu (first: %s in %s)\n", reports.calls.size(),
                    qPrintable(reports.calls[0].ErrDesc), qPrintable(reports.calls[0].ProcName));
    return 0;
}
