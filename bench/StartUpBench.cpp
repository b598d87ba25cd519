// The program's own work at start-up, measured in this process on the offscreen platform: the
// splash's chain to the main menu less its four specified half-second steps, loading the main menu,
// generating the demo bank's paper when the menu's timer fires. The real program's memory is
// measured by bench/program-timings.
#include "BenchApplication.h"
#include "DefaultForms.h"
#include "ModSystem.h"

#include <Runtime.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <benchmark/benchmark.h>

#include <functional>

namespace {

void EnsureApplication()
{
    EnsureBenchApplication();
}

void RunEventsUntil(const std::function<bool()>& done)
{
    while (!done()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::usleep(200);
    }
}

void EndProgram()
{
    Form::DiscardAll();
    QCoreApplication::processEvents();
    Forms::DestroyAll();
    ResetProgramEnded();
    ModSystem::gConn.reset();
}

// From showing the splash to the main menu shown, less the 4 x 500 ms the chain waits by design.
void StartUpOwnWork(benchmark::State& state)
{
    EnsureApplication();
    UseDemoFolder();
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        Forms::FrmStart().Show();
        Form& main = Forms::FrmMain();
        RunEventsUntil([&] { return main.IsLoaded() && main.Visible(); });
        const double seconds = clock.nsecsElapsed() / 1e9 - 4 * 0.5;
        state.SetIterationTime(seconds > 0 ? seconds : 0);
        EndProgram();
    }
}
BENCHMARK(StartUpOwnWork)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

void MainMenuLoad(benchmark::State& state)
{
    EnsureApplication();
    UseDemoFolder();
    ModSystem::gApplyType = QStringLiteral("无");
    for (auto _ : state) {
        Form& main = Forms::FrmMain();
        main.Show();
        QCoreApplication::processEvents();
        state.PauseTiming();
        main.Unload();
        state.ResumeTiming();
    }
    EndProgram();
}
BENCHMARK(MainMenuLoad)->Unit(benchmark::kMillisecond)->MinTime(1.0);

// The menu's paper timer: the demo paper for the sheet-metal trade, the keyed open of the bank
// included (OpenDatabaseKeyed gives that part alone).
void GenerateDemoPaper(benchmark::State& state)
{
    EnsureApplication();
    UseDemoFolder();
    ModSystem::gApplyType = QStringLiteral("钣金（车身修复）技术人员");
    ModSystem::PaperRandom random(7);
    for (auto _ : state) {
        if (ModSystem::CreateExamPaper(random) != ModSystem::PaperStatus::Created) {
            state.SkipWithError("no paper");
            break;
        }
    }
}
BENCHMARK(GenerateDemoPaper)->Unit(benchmark::kMillisecond)->MinTime(1.0);

} // namespace
