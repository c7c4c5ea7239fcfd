#include "acoustics/WorkerPool.h"
#include "BusyWorkers.h"
#include "SceneFixtures.h"
#include "acoustics/ColorMapCondition.h"
#include "acoustics/LivePreview.h"
#include "acoustics/MapCalculation.h"
#include "common/ProgressDialog1.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <set>
#include <stdexcept>

namespace {
// Waits (at most ten seconds, so a broken pool fails instead of hanging) until `count` workers
// have arrived; true when they all did.
bool Meet(std::atomic<int>& arrived, int count) {
    ++arrived;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (arrived.load() < count)
        if (std::chrono::steady_clock::now() > until)
            return false;
        else
            std::this_thread::yield();
    return true;
}

CColorMapCondition Plane(int mode, double pitch) {
    CColorMapCondition c;
    c.band = 3;
    c.centreFrequency = 1000;
    c.mode = mode;
    c.plane.Build(0, 0, 1.2, 6, 4, 0, pitch, 100, 2);
    return c;
}
} // namespace

TEST(WorkerPool, BatchesRunAtOnceOnTheSameThreadsAndAddWorkersWhenAskedFor) {
    CWorkerPool pool(2);
    EXPECT_EQ(pool.Threads(), 2);
    std::mutex mutex;
    std::set<std::thread::id> seen;
    for (int batch = 0; batch < 20; ++batch) {
        std::atomic<int> arrived{0};
        std::atomic<int> met{0};
        pool.Start(2,
                   [&](const std::stop_token&) {
                       met += Meet(arrived, 2); // both workers run the job at the same time
                       std::lock_guard lock(mutex);
                       seen.insert(std::this_thread::get_id());
                   })
            .Wait();
        ASSERT_EQ(met.load(), 2) << "batch " << batch;
    }
    EXPECT_EQ(seen.size(), 2u); // no thread started per batch
    EXPECT_EQ(seen.count(std::this_thread::get_id()), 0u);

    std::atomic<int> arrived{0}, met{0};
    pool.Start(3, [&](const std::stop_token&) { met += Meet(arrived, 3); }).Wait();
    EXPECT_EQ(met.load(), 3);
    EXPECT_EQ(pool.Threads(), 3);
}

TEST(WorkerPool, LeavingTheBatchStopsTheJobAndWaitsForEveryWorker) {
    CWorkerPool pool(2);
    std::atomic<int> started{0}, left{0};
    auto job = [&](const std::stop_token& stop) {
        ++started;
        while (!stop.stop_requested())
            std::this_thread::yield();
        ++left;
    };
    try {
        CWorkerPool::CBatch batch = pool.Start(2, job);
        while (started.load() < 2)
            std::this_thread::yield();
        EXPECT_FALSE(batch.WaitFor(std::chrono::milliseconds(1)));
        throw std::runtime_error("window closed");
    } catch (const std::runtime_error&) {
        EXPECT_EQ(left.load(), 2); // both left before the exception got here
    }

    // A job that throws on one worker stops the others; Wait hands the exception on.
    CWorkerPool::CBatch failing = pool.Start(2, [&](const std::stop_token& stop) {
        if (started.fetch_add(1) == 2)
            throw std::runtime_error("no memory");
        while (!stop.stop_requested())
            std::this_thread::yield();
    });
    EXPECT_THROW(failing.Wait(), std::runtime_error);
    EXPECT_TRUE(failing.WaitFor(std::chrono::milliseconds(0)));
}

TEST(WorkerPool, MapsAndPreviewsOnASharedPoolEqualThoseOnTheirOwnWorkers) {
    CTestScene t;
    const int m = t.AddModel(DirectionalSpeaker(1, 3));
    for (int i = 0; i < 3; ++i)
        t.Install(m, {1.5 + 1.5 * i, 2.0, 3.0}, {0, 0, 90}, 3.0);
    t.room.roomHeight = 3.0;
    t.room.ceilingType = 1;
    CWorkerPool pool(1); // maps and previews add the workers they ask for to the pool given
    for (int mode : {kModeEnergy, kModeInterference}) {
        SCOPED_TRACE(mode);
        CColorMapCondition own = Plane(mode, 0.1), shared = own;
        ASSERT_EQ(CalculateMap(t.Scene(), own, nullptr, {EMapEngineKind::Engine, 2}).status,
                  ECalcStatus::Completed);
        for (int run = 0; run < 3; ++run) {
            shared.plane.ClearLevels();
            ASSERT_EQ(
                CalculateMap(t.Scene(), shared, nullptr, {EMapEngineKind::Engine, 2, &pool}).status,
                ECalcStatus::Completed);
            for (std::size_t i = 0; i < own.plane.points.size(); ++i)
                ASSERT_EQ(shared.plane.points[i].level, own.plane.points[i].level) << i;
        }
        EXPECT_GE(pool.Threads(), 2);
        CLivePreview alone(t.Scene(), own, 1, 2);
        CLivePreview onPool(t.Scene(), own, 1, 3, CLivePreview::kDefaultMemoryBound, &pool);
        ASSERT_TRUE(alone.Active() && onPool.Active());
        EditInstalled(t.room, 1, [](CInstallationElement& e) { e.position.x += 0.3; });
        std::vector<double> a, b;
        ASSERT_TRUE(alone.Update(a, 2));
        ASSERT_TRUE(onPool.Update(b, 3));
        EXPECT_EQ(a, b);
        EXPECT_EQ(pool.Threads(), 3);
        EditInstalled(t.room, 1, [](CInstallationElement& e) { e.position.x -= 0.3; });
    }
    EXPECT_EQ(pool.Threads(), 3); // every later map and step ran on the same workers
}

TEST(WorkerPool, AThrowingProgressPortLeavesThePoolIdleAndUsable) {
    CTestScene t;
    t.Install(t.AddModel(DirectionalSpeaker(1, 3)), {3, 2, 3}, {0, 0, 90});
    struct Throwing : CProgressDialog1 {
        int calls = 0;
        void SetText(const std::string&) override {}
        void SetRange(long long, long long) override {}
        void SetPos(long long) override {}
        bool PumpAndCheck() override {
            if (++calls == 2)
                throw std::runtime_error("window closed");
            return true;
        }
    };
    CWorkerPool pool(2);
    CColorMapCondition c = Plane(kModeEnergy, 0.05);
    Throwing progress;
    EXPECT_THROW(CalculateMap(t.Scene(), c, &progress, {EMapEngineKind::Engine, 2, &pool}),
                 std::runtime_error);
    EXPECT_EQ(progress.calls, 2);
    // The workers left the interrupted map: a new one completes on them.
    EXPECT_EQ(CalculateMap(t.Scene(), c, nullptr, {EMapEngineKind::Engine, 2, &pool}).status,
              ECalcStatus::Completed);
    EXPECT_NE(c.plane.points.back().level, 0.0);
}

TEST(WorkerPool, AStoppedBatchGivesBackThePlacesNoWorkerHasTaken) {
    CBusyWorkers busy;
    std::atomic<int> ran{0};
    {
        CWorkerPool::CBatch queued =
            busy.pool.Start(CWorkerPool::CoreCount(), [&](const std::stop_token&) { ++ran; });
        EXPECT_FALSE(queued.WaitFor(std::chrono::milliseconds(5)));
        queued.RequestStop(); // every worker is held: nothing of it may wait any longer
        const bool gaveBack = queued.WaitFor(std::chrono::milliseconds(0));
        if (!gaveBack)
            busy.Release(); // so the failure shows instead of a hang
        EXPECT_TRUE(gaveBack);
    }
    busy.Release();
    // The pool serves the next batch, and the stopped one never ran.
    busy.pool.Start(2, [&](const std::stop_token&) { ran += 10; }).Wait();
    EXPECT_EQ(ran.load(), 20);
}

// A batch that must not wait (a project's map while another project's runs) gets threads of its
// own while every worker is held.
TEST(WorkerPool, ABatchThatMustNotWaitRunsBesideBusyWorkers) {
    CBusyWorkers busy;
    std::atomic<int> ran{0};
    CWorkerPool::CBatch beside =
        busy.pool.Start(2, [&](const std::stop_token&) { ++ran; }, CWorkerPool::EWait::Never);
    const bool ranBeside = beside.WaitFor(std::chrono::seconds(10));
    if (!ranBeside)
        busy.Release(); // so the failure shows instead of a hang
    EXPECT_TRUE(ranBeside);
    EXPECT_EQ(ran.load(), 2);
    EXPECT_EQ(busy.pool.Threads(), CWorkerPool::CoreCount() + 2);
}
