#include "acoustics/LivePreview.h"
#include "BusyWorkers.h"
#include "SceneFixtures.h"
#include "acoustics/CoarseGrid.h"
#include "acoustics/ColorMapCondition.h"
#include "acoustics/InstallationElement.h"
#include "acoustics/MapCalculation.h"

#include <gtest/gtest.h>

#include <thread>

namespace {
struct Room {
    CTestScene t;
    int ceiling = 0, wall = 0;
    Room() {
        ceiling = t.AddModel(DirectionalSpeaker(1, 3));
        wall = t.AddModel(DirectionalSpeaker(0, 3));
        for (int i = 0; i < 4; ++i)
            t.Install(ceiling, {1.5 + 3 * (i % 2), 1.0 + 2 * (i / 2), 3.0}, {0, 0, 90}, 3.0);
        t.Install(wall, {0.0, 2.0, 2.2}, {-20, 15, 12}, 10.0, false);
        t.room.roomHeight = 3.0;
        t.room.ceilingType = 1;
    }
};

CColorMapCondition Condition(int mode) {
    CColorMapCondition c;
    c.band = 1;
    c.centreFrequency = 1000;
    c.mode = mode;
    c.plane.Build(0, 0, 1.2, 6, 4, 0, 0.25, 100, 2);
    return c;
}

// Polls a preview built in the background until its workers are done.
void AwaitBuild(CLivePreview& preview) {
    while (preview.Building())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

std::vector<double> Levels(const CColorMapCondition& c) {
    std::vector<double> levels;
    for (const CPlaceElement& p : c.plane.points)
        levels.push_back(p.level);
    return levels;
}

// The exact map of the scene as it is now.
std::vector<double> ExactMap(const CTestScene& t, CColorMapCondition c) {
    EXPECT_EQ(CalculateMap(t.Scene(), c, nullptr, {EMapEngineKind::Engine, 2}).status,
              ECalcStatus::Completed);
    return Levels(c);
}
} // namespace

TEST(LivePreview, FollowsTheMovingInstallationWithinAHundredthOfADecibel) {
    for (int mode : {kModeEnergy, kModeInterference})
        for (int moving : {0, 4}) {
            SCOPED_TRACE(testing::Message() << "mode " << mode << " moving " << moving);
            Room room;
            const CColorMapCondition c = Condition(mode);
            const std::vector<double> before = ExactMap(room.t, c);
            CLivePreview preview(room.t.Scene(), c, moving, 2);
            ASSERT_TRUE(preview.Active());
            EXPECT_EQ(preview.CacheBytes(), CLivePreview::BytesFor(c.plane.pointCount, 3, mode));
            std::vector<double> levels;
            ASSERT_TRUE(preview.Update(levels, 1));
            ASSERT_EQ(levels.size(), before.size());
            for (std::size_t i = 0; i < levels.size(); ++i)
                ASSERT_NEAR(levels[i], before[i], 0.01) << "unmoved, point " << i;

            // Drag steps: position, aim, power, polarity and at last another model.
            CInstallationElement inst = *room.t.room.At(moving);
            for (int step = 0; step < 4; ++step) {
                inst.position.x += 0.37;
                inst.position.y -= 0.21;
                inst.orientation.azimuth += 13;
                inst.power *= 1.5;
                inst.polarityNormal = step % 2 == 0;
                if (step == 3)
                    inst.modelIndex = moving == 0 ? room.wall : room.ceiling;
                room.t.room.ReplaceInstallation(moving, inst);
                ASSERT_TRUE(preview.Update(levels, 2));
                const std::vector<double> exact = ExactMap(room.t, c);
                int changed = 0;
                for (std::size_t i = 0; i < levels.size(); ++i) {
                    ASSERT_NEAR(levels[i], exact[i], 0.01) << "step " << step << " point " << i;
                    changed += std::abs(exact[i] - before[i]) > 0.1;
                }
                EXPECT_GT(changed, 0) << "the step moved nothing";
            }
        }
}

TEST(LivePreview, FollowsADraggedLineArrayAndItsDelayAsTheExactMapDoes) {
    for (int mode : {kModeEnergy, kModeInterference}) {
        SCOPED_TRACE(testing::Message() << "mode " << mode);
        CTestScene t;
        FurnishLineArrays(t, kUnitMetric);
        t.room.ceilingType = 1;
        CColorMapCondition c = Condition(mode);
        c.plane.Build(0, 0, 1.2, 10, 8, 0, 0.5, 100, 2);
        const int moving = 2; // the K array, delayed and reversed
        CLivePreview preview(t.Scene(), c, moving, 2);
        ASSERT_TRUE(preview.Active());
        CInstallationElement inst = *t.room.At(moving);
        for (int step = 0; step < 3; ++step) {
            inst.position.x -= 0.8;
            inst.orientation.elevation += 4;
            inst.power *= 0.7;
            inst.delay = step == 1 ? 0.0 : inst.delay + 2.3;
            t.room.ReplaceInstallation(moving, inst);
            std::vector<double> levels;
            ASSERT_TRUE(preview.Update(levels, 2));
            const std::vector<double> exact = ExactMap(t, c);
            ASSERT_EQ(levels.size(), exact.size());
            for (std::size_t i = 0; i < levels.size(); ++i)
                ASSERT_NEAR(levels[i], exact[i], 1e-9) << "step " << step << " point " << i;
        }
    }
}

TEST(LivePreview, LeavesTheExactMapAsItWas) {
    Room room;
    CColorMapCondition c = Condition(kModeInterference);
    const std::vector<double> before = ExactMap(room.t, c);
    {
        CLivePreview preview(room.t.Scene(), c, 2);
        std::vector<double> levels;
        ASSERT_TRUE(preview.Update(levels));
    }
    ASSERT_EQ(CalculateMap(room.t.Scene(), c, nullptr, {EMapEngineKind::Engine, 2}).status,
              ECalcStatus::Completed);
    EXPECT_EQ(Levels(c), before); // bit for bit
}

TEST(LivePreview, FallsBackAboveItsMemoryBoundOrWhenTheMapWouldFail) {
    Room room;
    const CColorMapCondition c = Condition(kModeInterference);
    const std::size_t needed = CLivePreview::BytesFor(c.plane.pointCount, 3, kModeInterference);
    EXPECT_GT(needed, CLivePreview::BytesFor(c.plane.pointCount, 3, kModeEnergy));
    std::vector<double> levels{42.0};
    CLivePreview tooSmall(room.t.Scene(), c, 0, 1, needed - 1);
    EXPECT_FALSE(tooSmall.Active());
    EXPECT_FALSE(tooSmall.Update(levels));
    EXPECT_EQ(levels, std::vector<double>{42.0});
    EXPECT_EQ(tooSmall.CacheBytes(), 0u);
    EXPECT_TRUE(CLivePreview(room.t.Scene(), c, 0, 1, needed).Active());

    CColorMapCondition narrow = c;
    narrow.band = 24;
    narrow.centreFrequency = 1090; // between two data frequencies of a 3-point model
    EXPECT_FALSE(CLivePreview(room.t.Scene(), narrow, 0).Active());
    EXPECT_FALSE(CLivePreview(room.t.Scene(), c, 5).Active()); // no such installation
    EXPECT_FALSE(CLivePreview(room.t.Scene(), c, -1).Active());
}

TEST(LivePreview, BuiltInTheBackgroundItGivesWhatOneBuiltAtOnceGives) {
    using EBuild = CLivePreview::EBuild;
    for (int mode : {kModeEnergy, kModeInterference}) {
        SCOPED_TRACE(testing::Message() << "mode " << mode);
        Room room;
        const CColorMapCondition c = Condition(mode);
        CLivePreview now(room.t.Scene(), c, 1, 2);
        CWorkerPool pool(2);
        CLivePreview later(room.t.Scene(), c, 1, 2, CLivePreview::kDefaultMemoryBound, &pool,
                           EBuild::InBackground);
        AwaitBuild(later);
        ASSERT_TRUE(later.Active());
        EXPECT_EQ(later.BuildProgress(), 1.0);
        EXPECT_EQ(later.CacheBytes(), now.CacheBytes());
        CInstallationElement inst = *room.t.room.At(1);
        inst.position = {4.2, 0.7, 3.0};
        room.t.room.ReplaceInstallation(1, inst);
        std::vector<double> a, b;
        ASSERT_TRUE(now.Update(a, 1));
        ASSERT_TRUE(later.Update(b, 2));
        EXPECT_EQ(a, b); // each point's sums run in the same order on any worker
    }
}

TEST(LivePreview, ABuildThatHasNotBegunIsCancelledAtOnce) {
    Room room;
    const CColorMapCondition c = Condition(kModeInterference);
    CBusyWorkers busy;
    CLivePreview preview(room.t.Scene(), c, 0, 0, CLivePreview::kDefaultMemoryBound, &busy.pool,
                         CLivePreview::EBuild::InBackground);
    EXPECT_TRUE(preview.Building());
    EXPECT_FALSE(preview.Active());
    EXPECT_EQ(preview.BuildProgress(), 0.0);
    std::vector<double> levels{42.0};
    EXPECT_FALSE(preview.Update(levels)); // nothing to step on yet
    EXPECT_EQ(levels, std::vector<double>{42.0});
    preview.Cancel(); // the pool's workers are all held: this must not wait for them
    EXPECT_FALSE(preview.Building());
    EXPECT_FALSE(preview.Active());
    EXPECT_FALSE(preview.Update(levels));
    EXPECT_EQ(preview.CacheBytes(), 0u);
    busy.Release();
    // The pool is free for the next preview.
    CLivePreview next(room.t.Scene(), c, 0, 0, CLivePreview::kDefaultMemoryBound, &busy.pool,
                      CLivePreview::EBuild::InBackground);
    AwaitBuild(next);
    EXPECT_TRUE(next.Active());
}

TEST(LivePreview, ABuildStoppedHalfwayIsNotUsedAndLeavesNoWorkerBehind) {
    Room room;
    CColorMapCondition c = Condition(kModeInterference);
    c.plane.Build(0, 0, 1.2, 6, 4, 0, 0.02, 100, 2); // 60 000 points: long enough to catch
    for (int round = 0; round < 2; ++round) {
        CWorkerPool pool(2);
        auto preview = std::make_unique<CLivePreview>(room.t.Scene(), c, 0, 2,
                                                      CLivePreview::kDefaultMemoryBound, &pool,
                                                      CLivePreview::EBuild::InBackground);
        // Bounded, so a build that never reports progress fails here instead of hanging.
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (preview->BuildProgress() == 0.0 && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        ASSERT_GT(preview->BuildProgress(), 0.0);
        ASSERT_TRUE(preview->Building()) << "the build ended before it could be stopped";
        if (round == 0) {
            preview->Cancel();
            EXPECT_FALSE(preview->Active());
            EXPECT_LT(preview->BuildProgress(), 1.0);
            std::vector<double> levels;
            EXPECT_FALSE(preview->Update(levels));
            EXPECT_TRUE(levels.empty());
        }
        preview.reset(); // round 1: gone while its workers still fill it
        // The workers left: the pool runs the next job on both.
        std::atomic<int> ran{0};
        pool.Start(2, [&](const std::stop_token&) { ++ran; }).Wait();
        EXPECT_EQ(ran.load(), 2);
    }
}

TEST(LivePreview, OnACoarseGridItGivesTheFullPreviewsLevelsAtTheBlocksPoints) {
    Room room;
    const CColorMapCondition c = Condition(kModeInterference); // 24 x 16 points
    const CListeningPlane& plane = c.plane;
    EXPECT_TRUE(CoarseGrid(plane, plane.points.size()).Empty()); // small enough to take whole
    const CCoarseGrid grid = CoarseGrid(plane, 40);
    // Stride 4 gives 6 x 4 = 24 blocks; stride 3 would give 8 x 6 = 48, over the budget.
    ASSERT_EQ(grid.stride, 4);
    ASSERT_EQ(grid.points.size(), 24u);
    ASSERT_EQ(grid.blocks.size(), grid.points.size());
    double area = 0;
    for (std::size_t k = 0; k < grid.blocks.size(); ++k) {
        const CPlaceElement& b = grid.blocks[k];
        const CPlaceElement& p = plane.points[grid.points[k]];
        area += b.sizeX * b.sizeY;
        EXPECT_LT(std::abs(p.x - b.x), b.sizeX / 2) << k; // the block's point lies inside it
        EXPECT_LT(std::abs(p.y - b.y), b.sizeY / 2) << k;
        EXPECT_EQ(b.z, plane.originZ);
    }
    EXPECT_NEAR(area, plane.extentX * plane.extentY, 1e-9); // the blocks cover the plane

    CLivePreview full(room.t.Scene(), c, 4, 2);
    CLivePreview coarse(room.t.Scene(), c, 4, 2, CLivePreview::kDefaultMemoryBound, nullptr,
                        CLivePreview::EBuild::Now, &grid.points);
    ASSERT_TRUE(coarse.Active());
    EXPECT_LT(coarse.CacheBytes(), full.CacheBytes());
    CInstallationElement inst = *room.t.room.At(4);
    inst.position = {3.1, 2.2, 2.5};
    room.t.room.ReplaceInstallation(4, inst);
    std::vector<double> all, some;
    ASSERT_TRUE(full.Update(all, 2));
    ASSERT_TRUE(coarse.Update(some, 1));
    ASSERT_EQ(some.size(), grid.points.size());
    for (std::size_t k = 0; k < some.size(); ++k)
        EXPECT_EQ(some[k], all[grid.points[k]]) << k;

    // An index that is no point of the plane leaves the preview inactive.
    const std::vector<std::size_t> wrong{0, plane.points.size()};
    EXPECT_FALSE(CLivePreview(room.t.Scene(), c, 4, 1, CLivePreview::kDefaultMemoryBound, nullptr,
                              CLivePreview::EBuild::Now, &wrong)
                     .Active());
}
