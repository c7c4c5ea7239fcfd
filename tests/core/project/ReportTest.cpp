#include "project/Report.h"
#include "FakePorts.h"
#include "acoustics/LevelStatistics.h"
#include "acoustics/MapCalculation.h"
#include "common/FormatSignificant.h"
#include "project/ColorMapLayout.h"
#include "project/ColorMapViewModel.h"
#include "project/CommandTable.h"
#include "project/ListeningPoints.h"
#include "project/Strings.h"
#include "project/forms/PreferencesForm.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

namespace {
// Two models, three installations (two of the first model), one calculated map.
struct ReportDoc : CDocFixture {
    CColorMapViewModel view{doc};
    ReportDoc() {
        AddModel(DirectionalSpeaker(1, 3));
        EXPECT_EQ(Install(2, 2), 0);
        EXPECT_EQ(Install(4, 3), 0);
        CVsaGenOptions second = DirectionalSpeaker(1, 3); // the same taps, another model
        second.name = "Second model";
        AddModel(second);
        EXPECT_EQ(Install(6, 2), 0);
        CProjectSettings s = doc.Settings();
        s.loadedFromFile = 1;
        s.projectName = "Town hall";
        s.projectDate = "2026-12-07";
        doc.ReplaceSettings(s);
        CColorMapCondition c;
        c.band = 3;
        c.centreFrequency = 1000;
        c.plane.Build(0, 0, 1.2, 8, 6, 0, 0.5, 100, 2);
        Build(doc).Conditions().Append(c);
        view.OnInitialUpdate();
        EXPECT_EQ(view.CalculateMap().status, ECalcStatus::Completed);
    }
};

template <class T> std::vector<const T*> BlocksOf(const CReportSection& section) {
    std::vector<const T*> blocks;
    for (const CReportBlock& block : section.blocks)
        if (const T* b = std::get_if<T>(&block))
            blocks.push_back(b);
    return blocks;
}

bool HasLine(const CReportSection& section, const std::string& line) {
    for (const CReportText* text : BlocksOf<CReportText>(section))
        if (std::find(text->lines.begin(), text->lines.end(), line) != text->lines.end())
            return true;
    return false;
}
} // namespace

TEST(Report, TitleSectionsEquipmentAndMapFiguresComeFromTheProject) {
    ReportDoc f;
    const CReport report = BuildReport(f.doc, {"A. Planner", "Acoustics Ltd"}, "Daxara test");
    EXPECT_EQ(report.title, "Town hall");
    EXPECT_EQ(report.date, "2026-12-07");
    EXPECT_EQ(report.planner, "A. Planner");
    EXPECT_EQ(report.company, "Acoustics Ltd");
    ASSERT_EQ(report.sections.size(), 4u);
    EXPECT_EQ(report.sections[0].title, Strings::kReportRoomTitle);
    EXPECT_EQ(report.sections[1].title, Strings::kReportEquipmentTitle);
    EXPECT_EQ(report.sections[3].title, Strings::kReportResponseTitle);

    // One row per installation in list order, and the models counted.
    const CReportSection& equipment = report.sections[1];
    const auto tables = BlocksOf<CReportTable>(equipment);
    ASSERT_EQ(tables.size(), 2u);
    ASSERT_EQ(tables[0]->rows.size(), 3u);
    for (const auto& row : tables[0]->rows)
        EXPECT_EQ(row.size(), tables[0]->header.size());
    const std::string first = f.doc.Models().At(0).DisplayName();
    const std::string second = f.doc.Models().At(1).DisplayName();
    EXPECT_EQ(tables[0]->rows[0][1], first);
    EXPECT_EQ(tables[0]->rows[2][1], second);
    EXPECT_EQ(tables[0]->rows[1][3],
              "4, 3, " + FormatSignificant(f.doc.Room().At(1)->position.z, 4));
    std::map<std::string, std::string> counts;
    for (const auto& row : tables[1]->rows)
        counts[row[0]] = row[1];
    EXPECT_EQ(counts[first], "2");
    EXPECT_EQ(counts[second], "1");
    EXPECT_TRUE(HasLine(equipment, Strings::kAmplifierPower + AmplifierEstimate(f.doc)));
    EXPECT_TRUE(HasLine(equipment, Strings::kReportTotalPower +
                                       FormatSignificant(f.doc.Room().TotalPower(), 4) +
                                       Strings::kUnitWatt));

    // The map's section: its figure, then the statistics `daxara-cli map` prints.
    const CReportSection& map = report.sections[2];
    EXPECT_NE(map.title.find("1000[Hz]"), std::string::npos) << map.title;
    ASSERT_EQ(BlocksOf<CReportMap>(map).size(), 1u);
    EXPECT_EQ(BlocksOf<CReportMap>(map)[0]->condition, 0);
    const auto figures = BlocksOf<CReportTable>(map);
    ASSERT_EQ(figures.size(), 1u);
    const CListeningPlane& plane = f.view.Condition()->plane;
    const CLevelStatistics s = PlaneStatistics(plane, 3.0);
    std::map<std::string, std::string> values;
    for (const auto& row : figures[0]->rows)
        values[row[0]] = row[1];
    EXPECT_EQ(values[Strings::kReportMaximum], FormatSignificant(plane.maximumLevel, 4) + " dB");
    EXPECT_EQ(values[Strings::kReportMinimum], FormatSignificant(plane.minimumLevel, 4) + " dB");
    EXPECT_EQ(values[Strings::kReportDeviation],
              FormatSignificant(s.standardDeviation, 4) + " dB");
    EXPECT_EQ(values[Strings::kReportWithin], FormatSignificant(100 * s.withinShare, 4) + " %");
    EXPECT_GT(plane.maximumLevel, plane.minimumLevel);
}

TEST(Report, TheResponseAtThePlaneCentreIsTheReferenceSpectrum) {
    ReportDoc f;
    const CReport report = BuildReport(f.doc, {});
    const auto charts = BlocksOf<CReportChart>(report.sections.back());
    ASSERT_EQ(charts.size(), 1u);
    // Without marked points the plane's centre: (4, 3, 1.2).
    EXPECT_EQ(charts[0]->title, std::string(Strings::kReportPlaneCentre) + " (4, 3, 1.2 [m])");
    std::vector<double> centres, levels;
    ASSERT_TRUE(PointSpectrum(f.doc.Scene(), *f.view.Condition(), {4, 3, 1.2}, centres, levels));
    ASSERT_EQ(charts[0]->x, centres);
    ASSERT_EQ(charts[0]->y.size(), levels.size());
    for (std::size_t i = 0; i < levels.size(); ++i)
        EXPECT_NEAR(charts[0]->y[i], levels[i], 1e-9) << centres[i];
}

TEST(Report, AProjectWithoutInstallationsSaysSoInsteadOfFigures) {
    CDocFixture f;
    f.AddModel(DirectionalSpeaker(1, 3));
    CColorMapCondition c;
    c.plane.Build(0, 0, 1.2, 8, 6, 0, 0.5, 100, 2);
    Build(f.doc).Conditions().Append(c);
    const CReport report = BuildReport(f.doc, {});
    ASSERT_EQ(report.sections.size(), 4u);
    EXPECT_TRUE(BlocksOf<CReportTable>(report.sections[1]).empty()); // no equipment table
    EXPECT_TRUE(HasLine(report.sections[2], Strings::kReportNotCalculated));
    EXPECT_TRUE(BlocksOf<CReportChart>(report.sections[3]).empty());
}

TEST(Report, ThePlannerAndCompanyLiveInTheSettingsAndThePreferencesKeepThem) {
    CDocFixture f;
    EXPECT_EQ(ReadReportIdentity(nullptr).planner, "");
    f.dialogs.preferences = [](CPreferencesForm& form) {
        EXPECT_EQ(form.planner, "");
        form.planner = "A. Planner";
        form.company = "Acoustics Ltd";
        return true;
    };
    ASSERT_TRUE(f.doc.OnCommand(kCmdPreference));
    const CReportIdentity kept = ReadReportIdentity(&f.settings);
    EXPECT_EQ(kept.planner, "A. Planner");
    EXPECT_EQ(kept.company, "Acoustics Ltd");
    // Undoing the preferences does not take the person's name away: it is not the project's.
    ASSERT_TRUE(f.doc.Undo());
    EXPECT_EQ(ReadReportIdentity(&f.settings).planner, "A. Planner");

    // A name on two lines is refused and nothing is kept.
    f.dialogs.preferences = [](CPreferencesForm& form) {
        form.company = "Acoustics\nLtd";
        return true;
    };
    f.messages.answers.clear();
    f.doc.OnCommand(kCmdPreference);
    EXPECT_EQ(ReadReportIdentity(&f.settings).company, "Acoustics Ltd");
}

TEST(Report, MarkedPointsAreEditedAsStepsAndTheReportShowsTheirResponses) {
    ReportDoc f;
    f.doc.SetModified(false);
    EXPECT_EQ(NextPointName(f.doc), "Point 1");
    ASSERT_EQ(AddListeningPoint(f.doc, "Stage", {2, 2, 1.2}), EPointEdit::Done);
    EXPECT_TRUE(f.doc.IsModified());
    ASSERT_EQ(AddListeningPoint(f.doc, "Rear", {6, 5, 1.2}), EPointEdit::Done);
    // Refused edits change nothing and say why.
    EXPECT_EQ(AddListeningPoint(f.doc, "Stage", {1, 1, 1}), EPointEdit::NameTaken);
    EXPECT_EQ(AddListeningPoint(f.doc, " ", {1, 1, 1}), EPointEdit::EmptyName);
    EXPECT_EQ(AddListeningPoint(f.doc, "Far", {1, std::nan(""), 1}), EPointEdit::NotFinite);
    EXPECT_EQ(AddListeningPoint(f.doc, std::string(kMaxListeningPointName + 1, 'x'), {1, 1, 1}),
              EPointEdit::NameTooLong);
    EXPECT_EQ(RenameListeningPoint(f.doc, "Nowhere", "X"), EPointEdit::NoSuchPoint);
    EXPECT_EQ(RenameListeningPoint(f.doc, "Rear", "Stage"), EPointEdit::NameTaken);
    EXPECT_EQ(PointEditText(EPointEdit::NameTaken, "Stage"),
              "a point named \"Stage\" is already marked");
    ASSERT_EQ(f.doc.Settings().listeningPoints.size(), 2u);

    ASSERT_EQ(RenameListeningPoint(f.doc, "Rear", "Back row"), EPointEdit::Done);
    EXPECT_EQ(f.doc.UndoMenuText(),
              std::string(Strings::kUndoMenu) + " " + Strings::kStepRenamePoint);
    const CReport report = BuildReport(f.doc, {});
    const auto charts = BlocksOf<CReportChart>(report.sections.back());
    ASSERT_EQ(charts.size(), 2u); // the marked points replace the plane's centre
    EXPECT_EQ(charts[0]->title, "Stage (2, 2, 1.2 [m])");
    EXPECT_EQ(charts[1]->title, "Back row (6, 5, 1.2 [m])");

    // Every edit is one step: remove, then undo it and the rename.
    ASSERT_EQ(RemoveListeningPoint(f.doc, "Stage"), EPointEdit::Done);
    ASSERT_EQ(f.doc.Settings().listeningPoints.size(), 1u);
    ASSERT_TRUE(f.doc.Undo());
    ASSERT_EQ(f.doc.Settings().listeningPoints.size(), 2u);
    ASSERT_TRUE(f.doc.Undo());
    EXPECT_EQ(f.doc.Settings().listeningPoints[1].name, "Rear");
    EXPECT_EQ(NextPointName(f.doc), "Point 3");
}
