#include "project/MapService.h"
#include "FakePorts.h"
#include "project/ColorMapViewModel.h"
#include "project/CommandTable.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

namespace {
// A progress port that runs a script each time the calculation lets the user interface run.
class CScriptedPump : public CProgressDialog1, public CProgressFactory {
public:
    std::function<bool()> pump = [] { return true; };
    int pumps = 0;
    bool PumpAndCheck() override { return ++pumps, pump(); }
    void SetRange(long long, long long) override {}
    void SetPos(long long) override {}
    std::unique_ptr<CProgressDialog1> CreateProgress() override {
        struct Forward : CProgressDialog1 {
            CScriptedPump& to;
            explicit Forward(CScriptedPump& p) : to(p) {}
            void SetRange(long long, long long) override {}
            void SetPos(long long) override {}
            bool PumpAndCheck() override { return to.PumpAndCheck(); }
        };
        return std::make_unique<Forward>(*this);
    }
};

// Two models, one installed, a fine plane shown by one map view, and the pump as progress port.
struct CalcDoc : CDocFixture {
    CScriptedPump pump;
    CColorMapViewModel view{doc};
    CalcDoc() {
        AddModel(DirectionalSpeaker(1, 3));
        Install(2, 2);
        AddModel(OmniSpeaker(90, 3));
        EditSettings(doc)->loadedFromFile = 1;
        CColorMapCondition c;
        c.band = 3;
        c.centreFrequency = 1000;
        c.plane.Build(0, 0, 1.2, 6, 4, 0, 0.05, 100, 2);
        Build(doc).Conditions().Append(c);
        view.OnInitialUpdate();
        view.mapOptions.threads = 2;
        CDocumentPorts ports = doc.Ports();
        ports.progress = &pump;
        doc.SetPorts(ports);
    }
    double LastLevel() const { return view.Condition()->plane.points.back().level; }
};
} // namespace

TEST(MapService, EditsTriedWhileCalculatingAreRefused) {
    CalcDoc f;
    ASSERT_EQ(f.view.CalculateMap().status, ECalcStatus::Completed);
    const double undisturbed = f.LastLevel();
    const int installations = f.doc.Room().Count();
    ASSERT_GT(installations, 0);
    f.doc.RebuildAllPlanes();

    int tries = 0;
    f.pump.pump = [&] {
        if (tries++ > 0)
            return true;
        EXPECT_TRUE(f.doc.IsCalculating());
        for (const CCommandInfo& command : CommandTable()) {
            EXPECT_FALSE(f.doc.IsCommandEnabled(command.id)) << command.id;
            EXPECT_FALSE(f.doc.OnCommand(command.id)) << command.id;
        }
        // The flows a view reaches without a command.
        EXPECT_EQ(f.doc.RemoveInstallations(true), CFlowResult::Refused(EFlowReason::Calculating));
        EXPECT_EQ(f.doc.InstallSpeaker(1, 1), CFlowResult::Refused(EFlowReason::Calculating));
        f.doc.ImportSpeakerFile("no such file");
        f.doc.RebuildAllPlanes();
        f.view.OnBandSelected(0);
        EXPECT_FALSE(f.view.Close());
        EXPECT_FALSE(f.doc.OnCloseDocument());
        // Another map of the same project waits for this one.
        EXPECT_EQ(CalculateConditionMap(f.doc, 0).status, ECalcStatus::Busy);
        return true;
    };
    EXPECT_EQ(f.view.CalculateMap().status, ECalcStatus::Completed);
    EXPECT_GT(tries, 0);
    EXPECT_EQ(f.doc.Models().Count(), 2);
    EXPECT_EQ(f.doc.Room().Count(), installations);
    EXPECT_EQ(f.view.ConditionIndex(), 0);
    EXPECT_EQ(f.LastLevel(), undisturbed);
    EXPECT_TRUE(f.messages.errors.empty());

    // Afterwards the project is editable again.
    EXPECT_FALSE(f.doc.IsCalculating());
    EXPECT_TRUE(f.doc.IsCommandEnabled(kCmdDeleteSpeaker));
    f.messages.answers = {true};
    EXPECT_TRUE(f.doc.OnCommand(kCmdRemoveAllInstallations));
    EXPECT_EQ(f.doc.Room().Count(), 0);
}

TEST(MapService, AThrowingPortEndsTheCalculationAndUnlocksTheProject) {
    CalcDoc f;
    f.pump.pump = [&] {
        if (f.pump.pumps == 2)
            throw std::runtime_error("the window went");
        return true;
    };
    EXPECT_THROW(f.view.CalculateMap(), std::runtime_error);
    EXPECT_FALSE(f.doc.IsCalculating());
    EXPECT_TRUE(f.doc.IsCommandEnabled(kCmdRecalculate));
    f.pump.pump = [] { return true; };
    EXPECT_EQ(f.view.CalculateMap().status, ECalcStatus::Completed);
}

TEST(MapService, TheCommandLineCalculatesWithoutAView) {
    CalcDoc f;
    const CMapResult result = CalculateConditionMap(f.doc, 0, {EMapEngineKind::Engine, 2});
    EXPECT_EQ(result.status, ECalcStatus::Completed);
    EXPECT_EQ(result.computed, f.view.Condition()->plane.pointCount);
    EXPECT_EQ(CalculateConditionMap(f.doc, 5).status, ECalcStatus::NoInstallations);
}
