#include "project/Report.h"
#include "FakePorts.h"
#include "acoustics/LevelStatistics.h"
#include "acoustics/MapCalculation.h"
#include "acoustics/RoomField.h"
#include "acoustics/RoomQuantities.h"
#include "common/FormatSignificant.h"
#include "project/ColorMapLayout.h"
#include "project/ColorMapViewModel.h"
#include "project/CommandTable.h"
#include "project/ListeningPoints.h"
#include "project/QuantityDisplay.h"
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

const CReportSection* SectionTitled(const CReport& report, const std::string& title) {
    for (const CReportSection& section : report.sections)
        if (section.title == title)
            return &section;
    return nullptr;
}

// The number a cell prints, for comparing it with the value it stands for at its precision.
double CellNumber(const std::string& cell) {
    return std::stod(cell);
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
    ASSERT_EQ(charts[0]->curves.size(), 1u);
    const CReportCurve& curve = charts[0]->curves[0];
    ASSERT_EQ(curve.x, centres);
    ASSERT_EQ(curve.y.size(), levels.size());
    for (std::size_t i = 0; i < levels.size(); ++i)
        EXPECT_NEAR(curve.y[i], levels[i], 1e-9) << centres[i];
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
    // With room acoustics the speech section says why it has no index.
    EditSettings(f.doc)->roomAcoustics = FurnishedHall();
    const CReport acoustic = BuildReport(f.doc, {});
    ASSERT_EQ(acoustic.sections.size(), 6u);
    EXPECT_TRUE(HasLine(acoustic.sections[4], std::string(Strings::kReportNoSpeech) +
                                                  Strings::kReportNoInstallations));
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

TEST(Report, ARoomWithAcousticsGainsItsReverberationAndSpeechSectionsFromTheCore) {
    ReportDoc f;
    // Without room acoustics the report is the one before them.
    const CReport plain = BuildReport(f.doc, {});
    EXPECT_FALSE(SectionTitled(plain, Strings::kReportAcousticsTitle));
    EXPECT_FALSE(SectionTitled(plain, Strings::kReportSpeechTitle));

    const CRoomAcoustics hall = FurnishedHall();
    EditSettings(f.doc)->roomAcoustics = hall;
    EditSettings(f.doc)->speech = HallSpeech();
    EditSettings(f.doc)->listeningPoints = {{"Stage", {2, 2, 1.2}}, {"Back row", {7, 5, 1.2}}};
    const CColorMapCondition& userPlane = *f.doc.Conditions().At(0);
    const std::vector<CPlaceElement> userPoints = userPlane.plane.points;
    // The index over the plane as the core calculates it; its median is the target, so that the
    // share at the target has points on both sides.
    CColorMapCondition expectedMap = userPlane;
    expectedMap.quantity = EMapQuantity::Sti;
    ASSERT_EQ(CalculateMap(f.doc.Scene(), expectedMap, nullptr).status, ECalcStatus::Completed);
    std::vector<double> values;
    for (const CPlaceElement& p : expectedMap.plane.points)
        values.push_back(p.level);
    std::vector<double> sorted = values;
    std::sort(sorted.begin(), sorted.end());
    const double target = std::round(sorted[sorted.size() / 2] * 1000) / 1000;
    EditSettings(f.doc)->speech.stiTarget = target;
    const CReport report = BuildReport(f.doc, {});
    ASSERT_EQ(report.sections.size(), plain.sections.size() + 2);
    EXPECT_EQ(report.sections[1].title, Strings::kReportAcousticsTitle);
    EXPECT_EQ(report.sections[4].title, Strings::kReportSpeechTitle);
    EXPECT_EQ(report.sections.back().title, Strings::kReportResponseTitle);

    // Room acoustics: the faces with their materials and areas, the octaves as the room
    // functions give them, the driving formula marked, both times charted.
    const CReportSection& room = report.sections[1];
    const CRoomSize size = RoomSizeOf(f.doc.Scene());
    EXPECT_TRUE(HasLine(room, Strings::kReportVolume + FormatSignificant(size.Volume(), 4) +
                                  " " + Strings::kUnitCubicMetre));
    const auto tables = BlocksOf<CReportTable>(room);
    ASSERT_EQ(tables.size(), 2u);
    const CReportTable& faces = *tables[0];
    ASSERT_EQ(faces.rows.size(), std::size_t{kRoomFaceCount} + 1);
    EXPECT_EQ(faces.rows[0][1], "Carpet on concrete");
    EXPECT_EQ(faces.rows[5][1], Strings::kTypedMaterial);
    for (int face = 0; face < kRoomFaceCount; ++face) {
        const auto& row = faces.rows[static_cast<std::size_t>(face)];
        ASSERT_EQ(row.size(), faces.header.size());
        EXPECT_NEAR(CellNumber(row[2]), size.FaceArea(static_cast<ERoomFace>(face)), 1e-9);
        EXPECT_EQ(CellNumber(row[5]), hall.faces[static_cast<std::size_t>(face)].alpha[2]);
    }
    EXPECT_EQ(CellNumber(faces.rows.back()[9]), hall.extraAbsorption[6]);
    const CReportTable& octaves = *tables[1];
    ASSERT_EQ(octaves.rows.size(), std::size_t{kOctaveCount});
    EXPECT_EQ(octaves.header[5], std::string(Strings::kRtEyring) + Strings::kReportDrivingMark);
    EXPECT_EQ(octaves.header[4], Strings::kRtSabine);
    const auto charts = BlocksOf<CReportChart>(room);
    ASSERT_EQ(charts.size(), 1u);
    ASSERT_EQ(charts[0]->curves.size(), 2u);
    for (int k = 0; k < kOctaveCount; ++k) {
        const auto at = static_cast<std::size_t>(k);
        const CRoomBand band = RoomAtFrequency(hall, size, OctaveCentre(k));
        const auto& row = octaves.rows[at];
        EXPECT_NEAR(CellNumber(row[1]), band.absorption, 5e-4 * band.absorption);
        EXPECT_NEAR(CellNumber(row[2]), band.meanAlpha, 5e-4);
        const double airDbPerKm = 1000 * band.airDbPerMetre;
        EXPECT_NEAR(CellNumber(row[3]), airDbPerKm, 5e-3 * airDbPerKm);
        EXPECT_NEAR(CellNumber(row[4]), band.rtSabine, 5e-3);
        EXPECT_NEAR(CellNumber(row[5]), band.rtEyring, 5e-3);
        EXPECT_EQ(charts[0]->curves[0].y[at], band.rtSabine);
        EXPECT_EQ(charts[0]->curves[1].y[at], band.rtEyring);
        EXPECT_EQ(charts[0]->curves[1].x[at], OctaveCentre(k));
        EXPECT_GT(band.rtSabine, band.rtEyring); // Eyring is the shorter time
    }
    // The chart's value axis starts at 0 and reaches the longest time in at most eight steps.
    EXPECT_TRUE(charts[0]->yFromZero);
    EXPECT_GE(8 * charts[0]->yStep, charts[0]->curves[0].y[0]);

    // Speech: the index over a copy of the first plane, the user's plane left as it was.
    const CReportSection& speech = report.sections[4];
    const auto maps = BlocksOf<CReportMap>(speech);
    ASSERT_EQ(maps.size(), 1u);
    ASSERT_TRUE(maps[0]->own);
    const CColorMapCondition& sti = *maps[0]->own;
    EXPECT_EQ(sti.quantity, EMapQuantity::Sti);
    EXPECT_EQ(userPlane.quantity, EMapQuantity::Direct);
    ASSERT_EQ(userPlane.plane.points.size(), userPoints.size());
    for (std::size_t i = 0; i < userPoints.size(); ++i)
        ASSERT_EQ(userPlane.plane.points[i].level, userPoints[i].level);
    ASSERT_EQ(sti.plane.points.size(), userPoints.size());
    ASSERT_EQ(sti.plane.points.size(), values.size());
    for (std::size_t i = 0; i < values.size(); ++i)
        ASSERT_EQ(sti.plane.points[i].level, values[i]);
    // Its statistics: the lowest and mean index, the share at the project's target.
    double sum = 0.0;
    for (double v : values)
        sum += v;
    const double count = static_cast<double>(values.size());
    const auto atTarget = std::count_if(values.begin(), values.end(),
                                        [&](double v) { return v >= target; });
    ASSERT_GT(atTarget, 0);
    ASSERT_LT(atTarget, static_cast<long>(values.size()));
    std::map<std::string, std::string> figures;
    for (const CReportTable* table : BlocksOf<CReportTable>(speech))
        for (const auto& row : table->rows)
            if (row.size() == 2)
                figures[row[0]] = row[1];
    EXPECT_NEAR(CellNumber(figures[Strings::kReportStiMinimum]), sorted.front(), 5e-4);
    EXPECT_NEAR(CellNumber(figures[Strings::kReportStiMean]), sum / count, 5e-4);
    EXPECT_EQ(CellNumber(figures[Strings::kStiTarget]), target);
    EXPECT_NEAR(CellNumber(figures[Strings::kReportStiShare]),
                100 * static_cast<double>(atTarget) / count, 0.05);
    EXPECT_TRUE(HasLine(speech, std::string(Strings::kReportNoise) + "NR35"));

    // The octave table at each marked point is the point calculation's.
    const auto pointTables = BlocksOf<CReportTable>(speech);
    ASSERT_EQ(pointTables.size(), 3u); // the figures and the two points
    const auto& marked = f.doc.Settings().listeningPoints;
    for (std::size_t i = 0; i < marked.size(); ++i) {
        CPointSpeech expected;
        ASSERT_TRUE(SpeechAt(f.doc.Scene(), userPlane.mode, marked[i].position, expected));
        const CReportTable& table = *pointTables[i + 1];
        EXPECT_EQ(table.title.rfind(marked[i].name + " (", 0), 0u) << table.title;
        EXPECT_NE(table.title.find("STI " + QuantityValueText(EMapQuantity::Sti,
                                                              expected.result.sti) +
                                   ", CIS " +
                                   QuantityValueText(EMapQuantity::Cis, expected.result.cis)),
                  std::string::npos)
            << table.title;
        ASSERT_EQ(table.rows.size(), std::size_t{kOctaveCount});
        // Each cell within half its last digit (a value exactly halfway may round either way).
        constexpr double kTie = 1e-9;
        for (std::size_t k = 0; k < kOctaveCount; ++k) {
            const auto& row = table.rows[k];
            EXPECT_NEAR(CellNumber(row[1]), expected.input.direct[k], 0.05 + kTie);
            EXPECT_NEAR(CellNumber(row[2]), expected.input.reverberant[k], 0.05 + kTie);
            EXPECT_NEAR(CellNumber(row[3]), expected.result.signal[k], 0.05 + kTie);
            EXPECT_NEAR(CellNumber(row[4]), HallSpeech().noise[k], 0.05 + kTie);
            EXPECT_NEAR(CellNumber(row[5]), expected.input.rt[k], 5e-3 + kTie);
            EXPECT_NEAR(CellNumber(row[6]), expected.result.mti[k], 5e-4 + kTie);
        }
    }
    // The stage is nearer the speakers than the back row: the two tables are not one copied.
    EXPECT_NE(pointTables[1]->rows[3][1], pointTables[2]->rows[3][1]);

    // A plane that shows the index itself is the report's map, and Sabine takes the mark.
    const double stiEntry = static_cast<double>(EMapQuantity::Sti);
    f.view.OnQuantitySelected(f.view.QuantityCombo().IndexOf(stiEntry));
    ASSERT_EQ(f.doc.Conditions().At(0)->quantity, EMapQuantity::Sti);
    ASSERT_EQ(f.view.CalculateMap().status, ECalcStatus::Completed);
    CRoomAcoustics sabine = hall;
    sabine.formula = EReverbFormula::Sabine;
    EditSettings(f.doc)->roomAcoustics = sabine;
    EditSettings(f.doc)->listeningPoints.clear();
    const CReport shown = BuildReport(f.doc, {});
    const auto shownMaps = BlocksOf<CReportMap>(shown.sections[4]);
    ASSERT_EQ(shownMaps.size(), 1u);
    EXPECT_FALSE(shownMaps[0]->own);
    EXPECT_EQ(shownMaps[0]->condition, 0);
    EXPECT_EQ(BlocksOf<CReportTable>(shown.sections[1])[1]->header[4],
              std::string(Strings::kRtSabine) + Strings::kReportDrivingMark);
    // No marked points: one line says so, no octave table.
    EXPECT_TRUE(HasLine(shown.sections[4], Strings::kReportNoMarkedPoints));
    EXPECT_EQ(BlocksOf<CReportTable>(shown.sections[4]).size(), 1u);
}
