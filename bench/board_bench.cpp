// Offscreen figures for the board: how long the task start takes from the closed
// instruction box to the first target on screen (board build included), and how long
// one hit takes from the click event to the next target presented and repainted.
#include "bench/BenchSupport.h"
#include "platform/FakeOs.h"

#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

platform::FakeOs fake;

// Starts a task on a fresh main window; returns the time from answering the instruction
// box to the start of the clock at the end of the task start.
double startTask(bool numbers)
{
    using namespace TamriUnit;
    fake = platform::FakeOs();
    startFreshProgram(fake);

    Clock::time_point answered;
    Clock::time_point clockStarted;
    fake.onTickRead = [&] { clockStarted = Clock::now(); };
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        const Clock::time_point now = Clock::now();
        if (answerOpenBox())
            answered = now;
    });
    answer.start(1);
    QTest::mouseClick(numbers ? tamriForm->ladenBB_2 : tamriForm->ladenBB_1, Qt::LeftButton);
    fake.onTickRead = nullptr;
    return std::chrono::duration<double>(clockStarted - answered).count();
}

void BM_TaskStartAfterInstruction(benchmark::State &state)
{
    for (auto _ : state)
        state.SetIterationTime(startTask(state.range(0) == 1));
}
BENCHMARK(BM_TaskStartAfterInstruction)->Arg(1)->Arg(0)->ArgName("numbers")->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(30);

void BM_Hit(benchmark::State &state)
{
    using namespace TamriUnit;
    startTask(state.range(0) == 1);
    for (auto _ : state) {
        if (!tamriForm->ctrlPanel->isHidden()) {
            state.PauseTiming();
            startTask(state.range(0) == 1);
            state.ResumeTiming();
        }
        TTeil *target = cells[targetColumn][targetRow];
        fake.tick += 1000;
        if (currentTarget + 1 == gridColumns * gridRows) {
            // The last hit ends in the thanks box: not part of the hit figure.
            state.PauseTiming();
            QTimer::singleShot(1, answerOpenBox);
            QTest::mouseClick(target, Qt::LeftButton);
            state.ResumeTiming();
            continue;
        }
        QTest::mouseClick(target, Qt::LeftButton);
    }
}
BENCHMARK(BM_Hit)->Arg(1)->Arg(0)->ArgName("numbers")->Unit(benchmark::kMillisecond)->Iterations(300);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    common::Application application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    delete TamriUnit::tamriForm;
    return 0;
}
