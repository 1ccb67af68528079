// How honest the search times are. Prints:
// 1. 1,000 hits through real mouse events on the fake tick at known delays (0-10 s, exact
//    half tenths, a wrap of the 32-bit tick): every stored time must equal
//    Round(ms / 100) / 10, none lost or counted twice.
// 2. With the real clock: the program's own tick difference between two hits against the
//    time between the two click events as sent, over 100 hits (median, 95th percentile).
#include "bench/BenchSupport.h"
#include "common/Rounding.h"
#include "platform/FakeOs.h"
#include "platform/NativeOs.h"

#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <set>
#include <thread>
#include <vector>

namespace {

// Routes the tick to the fake or to the machine's clock; the desktop calls go to the fake.
class SwitchableOs : public platform::FakeOs {
public:
    platform::Os *clock = nullptr;
    std::uint32_t tickCount() override { return clock ? clock->tickCount() : FakeOs::tickCount(); }
};

SwitchableOs os;

void startNumbersTask()
{
    startFreshProgram(os);
    QTest::mouseClick(TamriUnit::tamriForm->ladenBB_2, Qt::LeftButton);
}

bool taskRunning()
{
    return TamriUnit::tamriForm->ctrlPanel->isHidden();
}

TTeil *target()
{
    return TamriUnit::cells[TamriUnit::targetColumn][TamriUnit::targetRow];
}

void fakeTickHits()
{
    std::mt19937 random(20261209);
    std::uniform_int_distribution<std::uint32_t> delays(0, 10'000);
    int hits = 0;
    int wrong = 0;
    int lost = 0;
    int tasks = 0;
    bool wrapped = false;
    while (hits < 1000) {
        startNumbersTask();
        ++tasks;
        std::vector<std::pair<TTeil *, double>> expected;
        while (taskRunning()) {
            std::uint32_t delay = delays(random);
            if (hits % 7 == 0)
                delay = delay / 100 * 100 + 50;   // an exact half tenth
            const std::uint32_t before = os.tick;
            os.tick += delay;
            wrapped = wrapped || os.tick < before;
            TTeil *cell = target();
            expected.emplace_back(cell, static_cast<double>(common::Round(delay / 100.0L)) / 10.0);
            if (TamriUnit::currentTarget + 1 == 63)
                QTimer::singleShot(1, answerOpenBox);
            QTest::mouseClick(cell, Qt::LeftButton);
            ++hits;
        }
        std::set<TTeil *> distinct;
        for (const auto &[cell, seconds] : expected) {
            wrong += cell->searchTime != seconds;
            distinct.insert(cell);
        }
        lost += std::abs(62 - static_cast<int>(distinct.size())) + static_cast<int>(expected.size() - distinct.size());
        if (tasks == 1)
            os.tick = 0xffffffffu - 30'000;   // the next tasks cross the wrap of the tick
    }
    std::printf("fake tick: %d hits in %d tasks, tick wrapped: %s, stored times differing from Round(ms/100)/10: %d, "
                "hits lost or doubled: %d\n",
                hits, tasks, wrapped ? "yes" : "no", wrong, lost);
}

void realClockHits()
{
    const auto native = platform::createNativeOs();
    os.clock = native.get();
    startNumbersTask();
    std::vector<double> differences;
    std::uint32_t previousTick = TamriUnit::lastTick;
    auto previousSend = std::chrono::steady_clock::now();
    std::mt19937 random(7);
    std::uniform_int_distribution<int> pause(20, 120);
    while (differences.size() < 100) {
        if (!taskRunning()) {
            startNumbersTask();
            previousTick = TamriUnit::lastTick;
            previousSend = std::chrono::steady_clock::now();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(pause(random)));
        if (TamriUnit::currentTarget + 1 == 63)
            QTimer::singleShot(1, answerOpenBox);
        TTeil *cell = target();
        const auto send = std::chrono::steady_clock::now();
        QTest::mouseClick(cell, Qt::LeftButton);
        if (!taskRunning())
            continue;   // the last hit of a task: the next task restarts both clocks
        const double sentMs = std::chrono::duration<double, std::milli>(send - previousSend).count();
        const double measuredMs = static_cast<double>(TamriUnit::lastTick - previousTick);
        differences.push_back(measuredMs - sentMs);
        previousTick = TamriUnit::lastTick;
        previousSend = send;
    }
    os.clock = nullptr;
    std::sort(differences.begin(), differences.end());
    std::vector<double> absolute(differences.size());
    std::transform(differences.begin(), differences.end(), absolute.begin(), [](double d) { return std::abs(d); });
    std::sort(absolute.begin(), absolute.end());
    std::printf("real clock: %zu hits, measured minus sent interval: median %.3f ms, "
                "|difference| median %.3f ms, 95th percentile %.3f ms, max %.3f ms\n",
                differences.size(), differences[differences.size() / 2], absolute[absolute.size() / 2],
                absolute[absolute.size() * 95 / 100], absolute.back());
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    common::Application application(argc, argv);
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, answerOpenBox);
    answer.start(2);
    fakeTickHits();
    realClockHits();
    delete TamriUnit::tamriForm;
    return 0;
}
