#include "project/ColorMapLayout.h"
#include "PlanViewFixture.h"
#include "project/ColorMapViewModel.h"
#include "project/CommandTable.h"
#include "project/PrintJob.h"
#include "project/QuantityDisplay.h"
#include "project/Strings.h"
#include "project/forms/InstallationForm.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

namespace {
using PlanView = CPlanViewFixture;

CPixel Centre(const CQuad& q) {
    return {(q[0].x + q[2].x) / 2, (q[0].y + q[2].y) / 2};
}
} // namespace

TEST(ColorMapGeometry, FreeRotationIsTheTransposeOfTheViewRotation) {
    PlanView f;
    f.view->SetViewDirection(30, 60, 20);
    const CMatrix3 r = RotationZ(30) * RotationY(20) * RotationX(60);
    for (const CVec3 v : {CVec3{1, 0, 0}, CVec3{0, 1, 0}, CVec3{0, 0, 1}, CVec3{2, -3, 5}}) {
        double u = 0, w = 0;
        f.view->Project(v, u, w);
        const CVec3 local = r.TransposeTimes(v);
        EXPECT_NEAR(u, local.x, 1e-12);
        EXPECT_NEAR(w, local.y, 1e-12);
    }
    // The diagonal preset, with the rounded factors people quote for it.
    f.view->SetViewDirection(45, 75, 0);
    double u = 0, w = 0;
    f.view->Project({1, 2, 3}, u, w);
    EXPECT_NEAR(u, 0.7071 * 3, 1e-3);
    EXPECT_NEAR(w, 0.2588 * 0.7071 * 1 + 0.9659 * 3, 1e-3);
    f.view->SetViewDirection(0, 90, 0); // "+Y": u = x, w = z
    f.view->Project({1, 2, 3}, u, w);
    EXPECT_NEAR(u, 1, 1e-12);
    EXPECT_NEAR(w, 3, 1e-12);
}

TEST(ColorMapGeometry, WorldToPixelRoundsAsThePictureDoes) {
    PlanView f;
    // Room corners span u and w from 0 to 10; height 500 + 44 + 324 pixels plus one.
    EXPECT_EQ(f.Condition().scrollSize[1], 868);
    int px = 0, py = 0;
    f.view->WorldToPixel(2.5, 7.5, px, py);
    EXPECT_EQ(px, 235);
    EXPECT_EQ(py, 170);
    // x truncates 0.5 - a toward zero: 1.4 and 1.6 pixels right of the edge land one apart.
    f.view->WorldToPixel(1.4 / 50, 0, px, py);
    EXPECT_EQ(px, 111);
    f.view->WorldToPixel(1.6 / 50, 0, px, py);
    EXPECT_EQ(px, 112);
    // y rounds halves up: 0.4 pixels stays, 0.6 moves one pixel up.
    f.view->WorldToPixel(0, 0.4 / 50, px, py);
    EXPECT_EQ(py, 545);
    f.view->WorldToPixel(0, 0.6 / 50, px, py);
    EXPECT_EQ(py, 544);
    // In plan view height does not move a point.
    EXPECT_EQ(f.view->PixelOf({1, 2, 3}), f.view->PixelOf({1, 2, 0}));
}

TEST(ColorMapGeometry, PointInQuadCountsEdgesAndRefusesTheBackUnlessEitherSideIsAllowed) {
    // Front-facing on screen: bottom-left, bottom-right, top-right, top-left (y runs down).
    const CQuad front{CPixel{0, 10}, CPixel{10, 10}, CPixel{10, 0}, CPixel{0, 0}};
    const CQuad back{front[3], front[2], front[1], front[0]};
    for (const CPixel p : {CPixel{5, 5}, CPixel{0, 5}, CPixel{10, 10}, CPixel{5, 0}}) {
        EXPECT_TRUE(PointInQuad(front, p, EFacing::FrontOnly)) << p.x << "," << p.y;
        EXPECT_FALSE(PointInQuad(back, p, EFacing::FrontOnly)) << p.x << "," << p.y;
        EXPECT_TRUE(PointInQuad(back, p, EFacing::EitherSide));
    }
    for (const CPixel p : {CPixel{11, 5}, CPixel{5, -1}, CPixel{-1, -1}}) {
        EXPECT_FALSE(PointInQuad(front, p, EFacing::FrontOnly));
        EXPECT_FALSE(PointInQuad(back, p, EFacing::EitherSide));
    }
    // A skewed quad: a point beyond one slanted edge is outside.
    const CQuad skew{CPixel{0, 10}, CPixel{10, 10}, CPixel{14, 0}, CPixel{4, 0}};
    EXPECT_TRUE(PointInQuad(skew, {12, 2}, EFacing::FrontOnly));
    EXPECT_FALSE(PointInQuad(skew, {1, 2}, EFacing::FrontOnly));
}

TEST(ColorMapGeometry, HorizontalPlaneSeenFromBelowContainsNothing) {
    PlanView f;
    const CPixel centre = Centre(f.view->CalculationPlaneQuad());
    EXPECT_TRUE(f.view->InsideCalculationPlane(centre));
    f.view->SetViewDirection(0, 180, 0);
    EXPECT_FALSE(f.view->InsideCalculationPlane(Centre(f.view->CalculationPlaneQuad())));
}

TEST(ColorMapGeometry, VerticalPlanesAreHitFromBothSides) {
    PlanView f;
    f.Install(5, 5);
    f.Condition().plane.Build(1, 2, 0, 4, 0, 3, 0.5, 100, 2); // XZ plane at y = 2
    CListeningPlane& plane = f.Condition().plane;
    ASSERT_EQ(plane.Orientation(), EPlaneOrientation::XZ);
    for (const auto& angles : {std::array<double, 3>{0, 90, 0}, std::array<double, 3>{45, 75, 0},
                               std::array<double, 3>{180, 90, 0}}) {
        f.view->SetViewDirection(angles[0], angles[1], angles[2]);
        const CPixel centre = Centre(f.view->CalculationPlaneQuad());
        EXPECT_TRUE(f.view->InsideCalculationPlane(centre)) << angles[0] << " " << angles[1];
        // Read literally, the whole XZ plane turns against its cells; one of them then fails.
        const int cell = f.view->CellAt(centre);
        ASSERT_GE(cell, 0);
        const CPlaceElement& hit = plane.points[static_cast<std::size_t>(cell)];
        EXPECT_NEAR(hit.x, 3.0, 0.26);
        EXPECT_NEAR(hit.z, 1.5, 0.26);
    }
    f.view->SetViewDirection(0, 90, 0);
    const CPixel centre = Centre(f.view->CalculationPlaneQuad());
    EXPECT_FALSE(PointInQuad(f.view->CalculationPlaneQuad(), centre, EFacing::FrontOnly));
    // The hover reads out and fills the response there.
    f.view->MouseMove(centre);
    EXPECT_TRUE(f.view->Readout().valid);
    EXPECT_EQ(f.view->Readout().point.y, 2.0);
}

TEST(ColorMapPointer, ASpeakerIsHotWithinThreePixelsNotFour) {
    PlanView f;
    ASSERT_EQ(f.Install(2, 3), 0);
    ASSERT_EQ(f.Install(7, 7), 0);
    ASSERT_EQ(f.doc.Room().CurrentIndex(), 1);
    const CPixel at = f.view->PixelOf(f.doc.Room().At(0)->position);
    EXPECT_EQ(f.view->MouseMove({at.x + 3, at.y - 3}), EMapCursor::Hot);
    EXPECT_EQ(f.doc.Room().CurrentIndex(), 0); // pointing makes it current
    EXPECT_EQ(f.view->MouseMove({at.x + 4, at.y}), EMapCursor::Arrow);
    EXPECT_EQ(f.view->MouseMove({at.x, at.y - 4}), EMapCursor::Arrow);
    EXPECT_FALSE(f.view->Hot());
    EXPECT_EQ(f.view->InstallationAt({at.x - 3, at.y + 3}), 0);
}

TEST(ColorMapPointer, DroppingTheCurrentModelInstallsAtTheGridCellCentre) {
    PlanView f;
    Build(f.doc).Room().gridPitchX = 2.0;
    Build(f.doc).Room().gridPitchY = 1.5; // the last row ends at the wall: 10 = 6 * 1.5 + 1
    EXPECT_EQ(f.view->DropSpeaker(f.view->PixelOf({3.3, 4.6, 0})), 1);
    ASSERT_EQ(f.doc.Room().Count(), 1);
    EXPECT_EQ(f.doc.Room().At(0)->position.x, 3.0);
    EXPECT_EQ(f.doc.Room().At(0)->position.y, 5.25);
    EXPECT_TRUE(f.doc.IsModified());
    // The last, short row still takes drops; outside the room nothing happens.
    EXPECT_EQ(f.view->DropSpeaker(f.view->PixelOf({9.1, 9.9, 0})), 1);
    EXPECT_EQ(f.doc.Room().At(1)->position.y, 9.75);
    CVec3 centre;
    EXPECT_FALSE(f.view->GridCellAt(f.view->PixelOf({9.5, 10.4, 0}), centre)); // beyond the wall
    EXPECT_EQ(f.view->DropSpeaker({5, 5}), 2);
    f.dialogs.installation = [](CInstallationForm&) { return false; };
    EXPECT_EQ(f.view->DropSpeaker(f.view->PixelOf({1, 1, 0})), 2);
    EXPECT_EQ(f.doc.Room().Count(), 2);
}

TEST(ColorMapPointer, DraggingMovesToACellOrAsksToRemoveOutsideBothPlanes) {
    PlanView f;
    ASSERT_EQ(f.Install(2.5, 2.5), 0);
    f.doc.SetModified(false);
    const CPixel at = f.view->PixelOf(f.doc.Room().At(0)->position);
    ASSERT_EQ(f.view->MouseMove(at), EMapCursor::Hot);
    EXPECT_EQ(f.view->LeftDown(at), EMapCursor::Drag);
    EXPECT_EQ(f.view->MouseMove({at.x + 50, at.y}), EMapCursor::Drag);
    f.view->LeftUp(f.view->PixelOf({6.2, 8.9, 0}));
    EXPECT_FALSE(f.view->Dragging());
    EXPECT_EQ(f.doc.Room().At(0)->position.x, 6.5);
    EXPECT_EQ(f.doc.Room().At(0)->position.y, 8.5);
    EXPECT_TRUE(f.doc.IsModified());

    // A speaker hung below the ceiling keeps its height: the grid cell gives x and y only, and
    // the dialog opens with the speaker's own height.
    EditInstalled(Build(f.doc).Room(), 0, [](CInstallationElement& e) { e.position.z = 2.2; });
    double proposedZ = 0;
    f.dialogs.installation = [&](CInstallationForm& form) {
        proposedZ = std::stod(form.Field(CInstallationForm::kZ).text);
        return form.Accept();
    };
    const CPixel hung = f.view->PixelOf(f.doc.Room().At(0)->position);
    ASSERT_EQ(f.view->MouseMove(hung), EMapCursor::Hot);
    f.view->LeftDown(hung);
    f.view->LeftUp(f.view->PixelOf({3.3, 1.1, 0}));
    EXPECT_EQ(proposedZ, 2.2);
    EXPECT_EQ(f.doc.Room().At(0)->position, (CVec3{3.5, 1.5, 2.2}));
    // So does one dropped on the horizontal calculation plane beside the room's grid.
    f.view->SetViewDirection(45, 75, 0);
    const CPixel diagonal = f.view->PixelOf(f.doc.Room().At(0)->position);
    ASSERT_EQ(f.view->MouseMove(diagonal), EMapCursor::Hot);
    f.view->LeftDown(diagonal);
    const CPixel onPlane = f.view->PixelOf({1.25, 1.25, 1});
    CVec3 grid;
    ASSERT_FALSE(f.view->GridCellAt(onPlane, grid));
    f.view->LeftUp(onPlane);
    EXPECT_EQ(f.doc.Room().At(0)->position, (CVec3{1.25, 1.25, 2.2}));
    f.view->SetViewDirection(0, 0, 0);
    f.dialogs.installation = [](CInstallationForm&) { return true; };

    // Out of the room: the removal question; declining keeps the speaker but marks modified.
    f.doc.SetModified(false);
    f.messages.answers = {false};
    const CPixel moved = f.view->PixelOf(f.doc.Room().At(0)->position);
    f.view->MouseMove(moved);
    f.view->LeftDown(moved);
    f.view->LeftUp({5, 5});
    ASSERT_FALSE(f.messages.asked.empty());
    EXPECT_EQ(f.messages.asked.back(), Strings::kConfirmRemoveSpeaker);
    EXPECT_EQ(f.doc.Room().Count(), 1);
    EXPECT_TRUE(f.doc.IsModified());
    f.view->MouseMove(moved);
    f.view->LeftDown(moved);
    f.view->LeftUp({5, 5});
    EXPECT_EQ(f.doc.Room().Count(), 0);
}

// In a side or diagonal view a speaker dropped on a vertical calculation plane outside the room's
// outline moves to the plane's cell there, height included, and is not removed.
TEST(ColorMapPointer, ADropOnAVerticalPlaneOutsideTheRoomMovesTheSpeakerThere) {
    for (const std::array<double, 3> angles :
         {std::array<double, 3>{0, 90, 0}, std::array<double, 3>{45, 75, 0}}) {
        PlanView f;
        ASSERT_EQ(f.Install(2.5, 2.5), 0);
        // An XZ plane 2 m in front of the room's first wall: y = -2, x 0 to 4, z 0 to 3.
        f.Condition().plane.Build(0, -2, 0, 4, 0, 3, 0.5, 100, 2);
        f.view->SetViewDirection(angles[0], angles[1], angles[2]);
        const CVec3 cell = {2.25, -2, 1.75};
        const CPixel target = f.view->PixelOf(cell);
        CVec3 grid;
        ASSERT_FALSE(f.view->GridCellAt(target, grid));
        ASSERT_FALSE(f.view->InsideInstallationPlane(target));
        ASSERT_TRUE(f.view->InsideCalculationPlane(target));
        const CPixel at = f.view->PixelOf(f.doc.Room().At(0)->position);
        ASSERT_EQ(f.view->MouseMove(at), EMapCursor::Hot);
        f.view->LeftDown(at);
        f.view->MouseMove(target);
        f.view->LeftUp(target);
        ASSERT_EQ(f.doc.Room().Count(), 1) << "removed in view " << angles[0] << ", " << angles[1];
        EXPECT_TRUE(f.messages.asked.empty());
        const CVec3 moved = f.doc.Room().At(0)->position;
        EXPECT_NEAR(moved.x, cell.x, 0.25);
        EXPECT_EQ(moved.y, -2.0);
        EXPECT_NEAR(moved.z, cell.z, 0.25);
    }
}

TEST(ColorMapPointer, RightClickOffersTheSpeakerMenuOnlyOverASpeaker) {
    PlanView f;
    ASSERT_EQ(f.Install(2.5, 2.5), 0);
    const CPixel at = f.view->PixelOf(f.doc.Room().At(0)->position);
    EMapCursor cursor = EMapCursor::Arrow;
    EXPECT_EQ(f.view->RightDown(at, cursor), EMapMenu::Room); // not hot before a move
    f.view->MouseMove(at);
    EXPECT_EQ(f.view->RightDown(at, cursor), EMapMenu::Speaker);
    EXPECT_EQ(cursor, EMapCursor::Pressed);
    EXPECT_FALSE(f.view->Hot());
}

TEST(ColorMapTexts, AnnotationLinesAndTheAmplifierEstimate) {
    PlanView f;
    EditSettings(f.doc)->projectName = "Hall";
    EditSettings(f.doc)->projectDate = "2026-12-07";
    Build(f.doc).Room().ceilingType = 0;
    EXPECT_EQ(AmplifierEstimate(f.doc), "0[W]");
    ASSERT_EQ(f.Install(2, 2), 0);
    ASSERT_EQ(f.Install(3, 3), 0);
    CModelSettings& settings = f.doc.Models().At(0).Settings();
    settings.taps = {CTapElement{false, 100, 30, 1.0}};
    for (const auto& [index, power] : {std::pair{0, 100.0}, std::pair{1, 50.0}}) {
        const double watts = power; // clang 14 lambdas cannot capture a structured binding
        EditInstalled(Build(f.doc).Room(), index, [&](CInstallationElement& e) {
            e.tapIndex = 0;
            e.power = watts;
        });
    }
    EXPECT_EQ(AmplifierEstimate(f.doc), "180[W]"); // a line tap: 1.2 x the total
    settings.taps = {CTapElement{true, 8, 30, 2.5}};
    EXPECT_EQ(AmplifierEstimate(f.doc), "150 to 375[W]"); // low impedance: total to sum x factor
    // Each installation counts with its own tap's factor.
    settings.taps = {CTapElement{true, 8, 30, 2.5}, CTapElement{true, 4, 60, 1.5}};
    EditInstalled(Build(f.doc).Room(), 1, [](CInstallationElement& e) { e.tapIndex = 1; });
    EXPECT_EQ(AmplifierEstimate(f.doc), "150 to 325[W]"); // 100 x 2.5 + 50 x 1.5
    EditInstalled(Build(f.doc).Room(), 1, [](CInstallationElement& e) { e.tapIndex = 0; });

    // Without a finished map (its levels cleared) the state stands in place of the averages, and
    // there is no estimate.
    f.Condition().plane.ClearLevels();
    const auto orderOf = [](const std::vector<CAnnotationLine>& lines) {
        std::vector<int> order;
        for (const auto& line : lines)
            order.push_back(line.line);
        return order;
    };
    const auto unfinished = AnnotationLines(f.doc, f.Condition());
    ASSERT_EQ(orderOf(unfinished), (std::vector<int>{2, 3, 11, 12, 6, 14}));
    EXPECT_EQ(unfinished[4].text, MapStateText(f.Condition().plane));
    f.Condition().band = 3;
    f.Condition().centreFrequency = 1000;
    ASSERT_EQ(f.view->CalculateMap().status, ECalcStatus::Completed);

    const auto lines = AnnotationLines(f.doc, f.Condition());
    ASSERT_EQ(orderOf(lines), (std::vector<int>{2, 3, 11, 12, 6, 7, 8, 9, 14, 15}));
    EXPECT_EQ(lines[0].text, "Project Name : Hall");
    EXPECT_EQ(lines[1].text, "Date : 2026-12-07");
    EXPECT_EQ(lines[2].text, "Ceiling Height (Absorbent Material / No Ceiling) : 3[m]");
    EXPECT_EQ(lines[3].text, "Audience Plane Height : 1[m]");
    EXPECT_EQ(lines[8].text, "Number of Speakers : 2");
    EXPECT_EQ(lines[9].text, "Recommended Amplifier Power : 150 to 375[W]");

    EditSettings(f.doc)->autoLayoutValid = 1;
    EditSettings(f.doc)->autoLayoutPattern = 3;
    EditSettings(f.doc)->autoColumnPitch = 2.5;
    EditSettings(f.doc)->advancedMode = 2;
    EditSettings(f.doc)->autoJudgeFrequency = 1995.26;
    EditSettings(f.doc)->autoJudgeBand = 1;
    const auto autoLines = AnnotationLines(f.doc, f.Condition());
    auto text = [&](int n) {
        for (const auto& line : autoLines)
            if (line.line == n)
                return line.text;
        return std::string("<none>");
    };
    EXPECT_EQ(text(17), "Speaker Density :  \"1.4 * Edge-to-Edge\"");
    EXPECT_EQ(text(19), "Tap : 8ohms  30W");
    EXPECT_EQ(text(20), "Distance between Successive Columns : 2.5[m]");
    EXPECT_EQ(text(25), "Center Frequency for Auto-Installation Judgment : 2000[Hz]");
    EXPECT_EQ(text(26), "Octave Band for Auto-Installation Judgment : 1 Oct. Band");

    f.Condition().plane.Build(0, 2.5, 0, 4, 0, 3, 0.5, 100, 2);
    EXPECT_EQ(AnnotationLines(f.doc, f.Condition())[3].text, "Length(Y) from XZ Plane :2.5[m]");
    EXPECT_EQ(CursorPointText({1.25, 3.75, 1.5}, 0), "(X=1.25[m] Y=3.75[m] Z=1.5[m])");
    EXPECT_EQ(CursorLevelText(98.7654), "Average SPL @Cursor Point : 98.77[dB]");
}

TEST(ColorMapTexts, LegendLabelsAndPrintTitle) {
    PlanView f;
    const auto labels = LegendLabels(f.Condition().plane); // Max 100, Pitch 2
    EXPECT_EQ(labels[0], " - 100");
    EXPECT_EQ(labels[1], "100 - 98");
    EXPECT_EQ(labels[23], "56 - 54");
    EXPECT_EQ(labels[24], "54 - ");
    f.Condition().centreFrequency = 1258.925;
    f.Condition().band = 3;
    f.Condition().mode = kModeInterference;
    EXPECT_EQ(PrintTitle(f.Condition()),
              "This color mapping is shown @1300[Hz] , 1/3 Oct. Band , Interference");

    // Another quantity brings its own classes, legend, statistics and read-out.
    CColorMapCondition& c = f.Condition();
    c.quantity = EMapQuantity::Total;
    EXPECT_EQ(ColorScaleOf(c).labels, LegendLabels(c.plane)); // levels keep the plane's classes
    EXPECT_EQ(PrintTitle(c), "This color mapping is shown @1300[Hz] , 1/3 Oct. Band , "
                             "Interference , Total SPL");
    c.quantity = EMapQuantity::Sti;
    const CColorScale sti = ColorScaleOf(c);
    ASSERT_EQ(sti.count, 12); // 0.04 steps from 0.36 to 0.76, one below and one above
    EXPECT_EQ(sti.labels[0], " - 0.760  A+");
    EXPECT_EQ(sti.labels[1], "0.760 - 0.720  A");
    EXPECT_EQ(sti.labels[10], "0.400 - 0.360  J");
    EXPECT_EQ(sti.labels[11], "0.360 -   U");
    EXPECT_EQ(sti.unit, "[STI]");
    EXPECT_EQ(ScaleColor(sti, 0.9), sti.colors[0]);
    EXPECT_EQ(ScaleColor(sti, 0.76), sti.colors[0]); // the band's lower edge belongs to it
    EXPECT_EQ(ScaleColor(sti, 0.7599), sti.colors[1]);
    EXPECT_EQ(ScaleColor(sti, 0.50), sti.colors[7]);  // G: 0.48 to 0.52
    EXPECT_EQ(ScaleColor(sti, 0.3599), sti.colors[11]);
    EXPECT_EQ(sti.colors[0], c.plane.colors[0]);
    EXPECT_EQ(sti.colors[11], c.plane.colors[24]);
    c.quantity = EMapQuantity::Cis;
    EXPECT_NEAR(ColorScaleOf(c).thresholds[0], 1 + std::log10(0.76), 1e-12);
    c.quantity = EMapQuantity::DirectToReverberant;
    const CColorScale ratio = ColorScaleOf(c);
    EXPECT_EQ(ratio.labels[12], "2 - 0");
    EXPECT_EQ(ScaleColor(ratio, 0.5), ratio.colors[12]);

    c.quantity = EMapQuantity::Sti;
    c.plane.state = EMapState::Complete;
    c.plane.maximumLevel = 0.81, c.plane.minimumLevel = 0.42;
    c.plane.pinkNoiseAverage = 0.6123, c.plane.musicSpeechAverage = 0.875;
    EditSettings(f.doc)->speech.stiTarget = 0.55;
    std::vector<std::string> stats;
    for (const CAnnotationLine& line : AnnotationLines(f.doc, c))
        if (line.line >= 6 && line.line <= 9)
            stats.push_back(line.text);
    EXPECT_EQ(stats,
              (std::vector<std::string>{"STI (Max Value in Audience Plane) : 0.810",
                                        "STI (Min Value in Audience Plane) : 0.420",
                                        "STI (Average Value in Audience Plane) : 0.612",
                                        "STI (Points at or above 0.550) : 87.5[%]"}));
    EXPECT_EQ(CursorValueText(EMapQuantity::Sti, 0.61234), "STI @Cursor Point : 0.612");
    EXPECT_EQ(CursorTooltip(EMapQuantity::Sti, 0.61234, {1, 2, 1.5}, kUnitMetric),
              "STI @Cursor Point : 0.612\n(X=1[m] Y=2[m] Z=1.5[m])");
    EXPECT_EQ(CursorValueText(EMapQuantity::DirectToReverberant, -3.25),
              "Direct / Reverberant @Cursor Point : -3.25[dB]");
}

TEST(ColorMapTexts, ArrivalMapsTakeMillisecondClassesTheirOwnStatisticsAndTitle) {
    PlanView f;
    ASSERT_EQ(f.Install(1, 1), 0);
    ASSERT_EQ(f.Install(3, 3), 0);
    // The direct sound keeps the plane's 25 classes.
    const CColorScale direct = ColorScaleOf(f.Condition());
    EXPECT_EQ(direct.count, kColorClasses);
    EXPECT_EQ(direct.labels[1], "100 - 98");
    EXPECT_EQ(direct.unit, "[dB]");
    EXPECT_EQ(ScaleColor(direct, 99), f.Condition().plane.ColorOf(99));

    const CComboModel& quantities = f.view->QuantityCombo();
    // One list of every quantity, in the order of MapQuantities().
    ASSERT_EQ(quantities.items,
              (std::vector<std::string>{"Direct SPL", "Reverberant SPL", "Total SPL",
                                        "Direct / Reverberant", "Broadband SPL",
                                        "Broadband SPL (A)", "STI", "CIS", "First Arrival",
                                        "Loudest Arrives Late"}));
    EXPECT_EQ(quantities.selection, 0);
    f.doc.SetModified(false);
    f.view->OnQuantitySelected(9);
    ASSERT_EQ(f.Condition().quantity, EMapQuantity::LateLoudest);
    EXPECT_TRUE(f.doc.IsModified());
    EXPECT_EQ(f.view->LastResult().status, ECalcStatus::Completed); // calculated at once
    for (const CPlaceElement& p : f.Condition().plane.points)
        ASSERT_TRUE(p.level >= 0 && p.level < 20) << p.level; // ms, not dB

    const CColorScale scale = ColorScaleOf(f.Condition());
    EXPECT_EQ(scale.unit, "[ms]");
    ASSERT_EQ(scale.count, 7);
    const std::vector<std::string> labels(scale.labels.begin(), scale.labels.begin() + 7);
    EXPECT_EQ(labels, (std::vector<std::string>{" - 80", "80 - 50", "50 - 30", "30 - 20", "20 - 10",
                                                "10 - 5", "5 - 0"}));
    // Upper bounds belong to their class, as with levels; the palette runs from its first
    // colour (the latest) to its last.
    const auto& colors = f.Condition().plane.colors;
    EXPECT_EQ(ScaleColor(scale, 80.01), colors[0]);
    EXPECT_EQ(ScaleColor(scale, 80), scale.colors[1]);
    EXPECT_EQ(ScaleColor(scale, 20.0001), scale.colors[3]);
    EXPECT_EQ(ScaleColor(scale, 20), scale.colors[4]);
    EXPECT_EQ(ScaleColor(scale, 0), colors[kColorClasses - 1]);
    EXPECT_EQ(ScaleColor(scale, NAN), 0u);
    EXPECT_EQ(std::set<std::uint32_t>(scale.colors.begin(), scale.colors.begin() + 7).size(), 7u);

    CListeningPlane& plane = f.Condition().plane;
    plane.maximumLevel = 42.5, plane.minimumLevel = 0, plane.pinkNoiseAverage = 12.25,
    plane.musicSpeechAverage = 0.375;
    std::map<int, std::string> texts;
    for (const CAnnotationLine& line : AnnotationLines(f.doc, f.Condition()))
        texts[line.line] = line.text;
    EXPECT_EQ(texts[6], "Loudest Arrives Late (Max Value in Audience Plane) : 42.5[ms]");
    EXPECT_EQ(texts[7], "Loudest Arrives Late (Min Value in Audience Plane) : 0[ms]");
    EXPECT_EQ(texts[8], "Loudest Arrives Late (Average Value in Audience Plane) : 12.25[ms]");
    EXPECT_EQ(texts[9], "Loudest Arrives Late (Points more than 20 ms late) : 37.5[%]");
    f.Condition().centreFrequency = 1000;
    f.Condition().band = 1;
    f.Condition().mode = kModeEnergy;
    EXPECT_EQ(PrintTitle(f.Condition()),
              "This color mapping is shown @1000[Hz] , 1 Oct. Band , Energy , Loudest Arrives "
              "Late");
    f.view->OnQuantitySelected(8);
    texts.clear();
    for (const CAnnotationLine& line : AnnotationLines(f.doc, f.Condition()))
        texts[line.line] = line.text;
    EXPECT_EQ(texts.count(9), 0u); // no share for the first arrival
    EXPECT_EQ(CursorValueText(EMapQuantity::Arrival, 12.345),
              "First Arrival @Cursor Point : 12.35[ms]");
    EXPECT_EQ(CursorValueText(EMapQuantity::Direct, 98.7654), CursorLevelText(98.7654));
}

TEST(ColorMapPrinting, ALongTableContinuesOnLaterPagesWithEveryInstallationOnce) {
    PlanView f;
    for (int i = 0; i < 100; ++i)
        Build(f.doc).Room().AddInstallation(0, 0, {0.1 * i, 1, 3}, {}, 1, true);
    const CTablePaging paging = TablePaging(100, 10, 1000, 950);
    EXPECT_EQ(paging.firstPageRows, 5);
    EXPECT_EQ(paging.rowsPerPage, 57);
    EXPECT_EQ(paging.pageCount, 3);
    std::vector<std::string> numbers;
    for (int page = 1; page <= paging.pageCount; ++page) {
        const auto rows = TableRows(f.doc, paging, page);
        EXPECT_LE(static_cast<int>(rows.size()),
                  (page == 1 ? paging.firstPageRows : paging.rowsPerPage) - 1);
        for (const auto& row : rows)
            numbers.push_back(row[0].text);
    }
    ASSERT_EQ(numbers.size(), 100u);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(numbers[static_cast<std::size_t>(i)], std::to_string(i + 1));
    EXPECT_TRUE(TableRows(f.doc, paging, 4).empty());

    // Around every page boundary, with a header of one or two lines: each installation once, in
    // order, the last page not empty and none after it.
    for (const int headerLines : {1, 2}) {
        const CTablePaging shape = TablePaging(0, 10, 1000, 950, headerLines);
        const int first = shape.firstPageRows - 1, later = shape.rowsPerPage - 1;
        for (const int boundary : {first, first + later, first + 2 * later}) {
            for (int count = std::max(0, boundary - 1); count <= boundary + 1; ++count) {
                SCOPED_TRACE(std::to_string(count) + " installations, header of " +
                             std::to_string(headerLines));
                Build(f.doc).Room().RemoveAll();
                for (int i = 0; i < count; ++i)
                    Build(f.doc).Room().AddInstallation(0, 0, {0.1 * i, 1, 3}, {}, 1, true);
                const CTablePaging pages = TablePaging(count, 10, 1000, 950, headerLines);
                std::vector<std::string> listed;
                for (int page = 1; page <= pages.pageCount; ++page) {
                    const auto rows = TableRows(f.doc, pages, page);
                    EXPECT_TRUE(page == 1 || !rows.empty()) << "page " << page << " is empty";
                    for (const auto& row : rows)
                        listed.push_back(row[0].text);
                }
                EXPECT_TRUE(TableRows(f.doc, pages, pages.pageCount + 1).empty());
                ASSERT_EQ(listed.size(), static_cast<std::size_t>(count));
                for (int i = 0; i < count; ++i)
                    EXPECT_EQ(listed[static_cast<std::size_t>(i)], std::to_string(i + 1));
            }
        }
    }
    // A picture that fills page 1 leaves only the header there.
    EXPECT_EQ(TablePaging(3, 10, 1000, 2000).firstPageRows, 1);
    EXPECT_EQ(TablePaging(0, 10, 1000, 500).pageCount, 1);

    // Printing fits to the page with the print margins (the legend's column left, a twentieth
    // right, a tenth above, the annotations and table below) and gives the screen back after.
    const auto screenMargins = f.Condition().margins;
    const double screenScale = f.Condition().scale;
    const auto screenBox = f.view->BoundingBox();
    {
        const CPrintJob job(*f.view, 4800, 6800, {});
        EXPECT_EQ(f.view->FontHeight(), 68);
        EXPECT_EQ(f.Condition().margins, (std::array<int, 4>{960, 680, 240, 2448}));
        EXPECT_GE(job.PageCount(), 2);
        // A range asked of the dialog stays inside the job's pages.
        EXPECT_EQ(job.Pages(2, 99).first, 2);
        EXPECT_EQ(job.Pages(2, 99).last, job.PageCount());
        EXPECT_EQ(job.Pages(99, 1).first, job.PageCount());
        EXPECT_EQ(job.Pages(99, 1).last, job.PageCount());
    }
    EXPECT_FALSE(f.view->Printing());
    EXPECT_EQ(f.Condition().margins, screenMargins);
    EXPECT_EQ(f.Condition().scale, screenScale);

    // A page that throws ends the job all the same: the screen comes back.
    std::vector<int> painted;
    EXPECT_THROW(
        {
            const CPrintJob job(*f.view, 4800, 6800, {});
            job.Run(
                job.Pages(),
                [&](int page) {
                    painted.push_back(page);
                    if (page == 2)
                        throw CInvalidArgument("installation index 9 is outside 0..8");
                },
                [] {});
        },
        CInvalidArgument);
    EXPECT_EQ(painted, (std::vector<int>{1, 2}));
    EXPECT_FALSE(f.view->Printing());
    EXPECT_EQ(f.Condition().margins, screenMargins);
    EXPECT_EQ(f.Condition().scale, screenScale);
    EXPECT_EQ(f.view->BoundingBox(), screenBox);
    EXPECT_EQ(f.view->FontHeight(), 12);
}

TEST(ColorMapGeometry, TheProjectorGivesThePixelsOfProjectingOneByOne) {
    PlanView f;
    for (const auto& angles : {std::array<double, 3>{45, 75, 0}, std::array<double, 3>{33, 61, 17},
                               std::array<double, 3>{0, 90, 0}}) {
        f.view->SetViewDirection(angles[0], angles[1], angles[2]);
        f.view->SetClientSize(1000, 800);
        f.view->Fit();
        const CMapProjector projector = f.view->Projector();
        for (int i = 0; i < 200; ++i) {
            const CVec3 v{0.037 * i, 10 - 0.051 * i, 0.013 * i};
            double u = 0, w = 0;
            f.view->Project(v, u, w);
            CPixel one;
            f.view->WorldToPixel(u, w, one.x, one.y);
            EXPECT_EQ(projector(v), one) << i;
        }
    }
}

TEST(ColorMapTexts, AFineModelOffersEveryBandAndSelectsTheStoredOne) {
    CDocFixture f;
    f.AddModel(DirectionalSpeaker(1, 24));
    EditSettings(f.doc)->loadedFromFile = 1;
    CColorMapCondition c;
    c.plane.Build(0, 0, 1, 4, 4, 0, 0.5, 100, 2);
    c.band = 12;
    Build(f.doc).Conditions().Append(c);
    CColorMapViewModel view(f.doc);
    view.OnInitialUpdate();
    EXPECT_EQ(
        view.BandCombo().items,
        (std::vector<std::string>{"1/24 Oct. Band", "1/12 Oct. Band", "1/6 Oct. Band",
                                  "1/3 Oct. Band", "1 Oct. Band", "2 Oct. Band", "4 Oct. Band"}));
    EXPECT_EQ(view.BandCombo().selection, 1);
    // Bands finer than a sixth of an octave label their centres with three digits.
    const auto& frequencies = view.FrequencyCombo().items;
    EXPECT_NE(std::find(frequencies.begin(), frequencies.end(), "1060[Hz]"), frequencies.end());
}

TEST(ColorMapPointer, BadDataMetByAPointerActionIsReportedAndTheViewGoesOn) {
    PlanView f;
    f.doc.Models().At(0).Settings().taps.clear(); // the default tap no longer exists
    const CPixel inside = f.view->PixelOf({3.3, 4.6, 0});
    EXPECT_EQ(f.view->DropSpeaker(inside), 2);
    ASSERT_EQ(f.messages.errors.size(), 1u);
    EXPECT_NE(f.messages.errors[0].find("tap index 0"), std::string::npos) << f.messages.errors[0];
    EXPECT_TRUE(f.doc.Room().Empty());
    EXPECT_FALSE(f.doc.CanUndo());
    // The view still works: the band list answers, a map can be asked for.
    f.view->OnModeSelected(0);
    EXPECT_EQ(f.Condition().mode, kModeInterference);
}

TEST(ColorMapFit, AFittedMapNeedsNoScrollBarAtAnyAspectOrSize) {
    struct Room {
        double length, width;
    };
    // From square to very wide and very deep rooms; the wide ones used to scroll sideways.
    const Room rooms[] = {{10, 10}, {25, 10}, {30, 10}, {60, 8}, {100, 5}, {8, 40}, {3, 2}};
    const std::array<double, 3> views[] = {{0, 0, 0}, {45, 75, 0}, {0, 90, 0}};
    const std::pair<int, int> panes[] = {{565, 400}, {1000, 700}, {700, 900}, {1600, 500}};
    for (const Room& room : rooms)
        for (const auto& angles : views)
            for (const auto& [W, H] : panes) {
                SCOPED_TRACE(testing::Message()
                             << room.length << " x " << room.width << " m, view " << angles[0]
                             << "/" << angles[1] << ", pane " << W << " x " << H);
                PlanView f;
                Build(f.doc).Room().roomLength = room.length;
                Build(f.doc).Room().roomWidth = room.width;
                f.Condition().plane.Build(0, 0, 1.2, room.length, room.width, 0, 1.0, 100, 2);
                f.view->SetViewDirection(angles[0], angles[1], angles[2]);
                f.view->SetClientSize(W, H);
                f.view->Fit();
                const CColorMapCondition& c = f.Condition();
                EXPECT_LE(c.scrollSize[0], W);
                EXPECT_LE(f.view->ContentHeight(), H);
                int right = 0, bottom = 0;
                for (const CQuad& quad :
                     {f.view->CalculationPlaneQuad(), f.view->InstallationPlaneQuad()})
                    for (const CPixel& p : quad) {
                        EXPECT_GE(p.x, 0);
                        EXPECT_GE(p.y, 0);
                        right = std::max(right, p.x);
                        bottom = std::max(bottom, p.y);
                    }
                EXPECT_LT(right, W);
                // The map's own annotation lines fit under the picture.
                EXPECT_LE(f.view->LineY(kMapAnnotationLines), H);
                EXPECT_LE(bottom, f.view->LineY(0) + 1);
                // And the fit is tight: the picture fills the width or the height.
                const bool fillsWidth = right >= W - c.margins[2] - 2;
                const bool fillsHeight = f.view->ContentHeight() >= H - 4;
                EXPECT_TRUE(fillsWidth || fillsHeight)
                    << "right " << right << ", content " << f.view->ContentHeight();
            }
}

TEST(ColorMapFit, LargerFontsAndPrintedPagesKeepTheAnnotationLinesOnTheArea) {
    const std::array<int, 4> screen{110, 44, 40, 324};
    // Up to 12 pixels the bottom margin's usual share holds lines 0 to 15; larger fonts need
    // more room, and the picture gives it up.
    for (int font : {8, 12, 16, 24}) {
        for (const auto& [widthMM, heightMM] :
             {std::pair{10000.0, 10000.0}, {40000.0, 5000.0}, {5000.0, 40000.0}}) {
            SCOPED_TRACE(testing::Message()
                         << "font " << font << ", " << widthMM << " x " << heightMM);
            const std::optional<double> scale =
                FitScale(widthMM, heightMM, 1000, 800, screen, font);
            ASSERT_TRUE(scale.has_value());
            const double lines = std::max(0.6 * screen[3], 16.0 * font);
            EXPECT_LE(*scale * widthMM, 1000 - 110 - 40 + 1e-9);
            EXPECT_LE(*scale * heightMM + 44 + lines, 800 + 1e-9);
            EXPECT_TRUE(std::abs(*scale * widthMM - 850) < 1e-6 ||
                        std::abs(*scale * heightMM + 44 + lines - 800) < 1e-6);
        }
    }
    EXPECT_FALSE(FitScale(1000, 1000, 100, 800, screen, 12));  // narrower than its margins
    EXPECT_FALSE(FitScale(1000, 1000, 1000, 230, screen, 12)); // no height left for a picture
    EXPECT_FALSE(FitScale(0, 1000, 1000, 800, screen, 12));

    // Printed pages of several sizes: the print font follows the page height.
    for (const auto& [pageW, pageH] : {std::pair{3360, 4752}, {4960, 7016}, {2480, 3508}}) {
        SCOPED_TRACE(testing::Message() << "page " << pageW << " x " << pageH);
        PlanView f;
        Build(f.doc).Room().roomLength = 40;
        Build(f.doc).Room().roomWidth = 8;
        f.view->SetViewDirection(45, 75, 0);
        f.view->BeginPrinting(pageW, pageH);
        const CColorMapCondition& c = f.Condition();
        EXPECT_LE(c.scrollSize[0], pageW);
        // The picture spans the page between the legend's column and the right margin: at
        // least three quarters of the width for a room this long, never into either margin.
        int left = pageW, right = 0;
        for (const CPixel& p : f.view->InstallationPlaneQuad()) {
            left = std::min(left, p.x);
            right = std::max(right, p.x);
            EXPECT_GE(p.x, pageW / 5 - 1);
            EXPECT_LE(p.x, pageW - pageW * 5 / 100 + 1);
        }
        EXPECT_GE(right - left, pageW * 74 / 100);
        EXPECT_LE(f.view->LineY(kMapAnnotationLines) - f.view->LineY(0) + c.scrollSize[1] -
                      c.margins[3],
                  pageH * 85 / 100);
        f.view->EndPrinting();
    }
}

TEST(ColorMapPrinting, HeadersTooWideForTheirColumnBreakOrShrinkAndThePagingMakesRoom) {
    // A fixed-pitch measure: 0.6 font heights per character.
    const CTextWidth pitch = [](const std::string& text, int h) {
        return 0.6 * h * static_cast<double>(text.size());
    };
    const CTableRow header{{0, "No"},
                           {150, "Speaker Name"},
                           {1000, "Azimuth(Left+)"},
                           {1400, "Elevation(Down+)"},
                           {1700, "Power"},
                           {1900, "Polarity Reversed"},
                           {2400, "Impedance"}};
    const int h = 60;
    const CTableHeaderLayout layout = FitTableHeader(header, 2700, h, pitch);
    ASSERT_EQ(layout.cells.size(), header.size());
    EXPECT_EQ(layout.lineCount, 2);
    for (std::size_t i = 0; i < header.size(); ++i) {
        SCOPED_TRACE(header[i].text);
        const CHeaderCell& cell = layout.cells[i];
        EXPECT_EQ(cell.offset, header[i].offset);
        // Nothing is lost: the lines put together give the header again.
        std::string joined;
        for (const std::string& line : cell.lines)
            joined += (joined.empty() || line.front() == '(' ? "" : " ") + line;
        EXPECT_EQ(joined, header[i].text);
        // No line reaches into the gap before the next column.
        const int end = i + 1 < header.size() ? header[i + 1].offset : 2700;
        for (const std::string& line : cell.lines)
            EXPECT_LE(pitch(line, h) * cell.fontScale, end - cell.offset - h / 2 + 1e-9) << line;
    }
    // Fitting headers stay whole and full size; wide ones break before "(" or at a blank.
    EXPECT_EQ(layout.cells[1].lines, std::vector<std::string>{"Speaker Name"});
    EXPECT_EQ(layout.cells[2].lines, (std::vector<std::string>{"Azimuth", "(Left+)"}));
    EXPECT_EQ(layout.cells[2].fontScale, 1.0);
    EXPECT_EQ(layout.cells[5].lines, (std::vector<std::string>{"Polarity", "Reversed"}));
    // "Elevation" alone is still too wide for 300 pixels, and "Impedance" (no break) for the
    // last 300 up to the right edge: drawn smaller.
    EXPECT_LT(layout.cells[3].fontScale, 1.0);
    EXPECT_LT(layout.cells[6].fontScale, 1.0);
    EXPECT_EQ(layout.cells[6].lines.size(), 1u);

    // Without a measure, or when everything fits, the header is one line as before.
    EXPECT_EQ(FitTableHeader(header, 2800, h, {}).lineCount, 1);
    EXPECT_EQ(FitTableHeader(header, 2800, 10, pitch).lineCount, 1);

    // A second header line costs every page one installation row.
    const CTablePaging one = TablePaging(197, 10, 1000, 700); // four pages exactly full
    const CTablePaging two = TablePaging(197, 10, 1000, 700, 2);
    EXPECT_EQ(two.firstPageRows, one.firstPageRows - 1);
    EXPECT_EQ(two.rowsPerPage, one.rowsPerPage - 1);
    EXPECT_EQ(one.pageCount, 4);
    EXPECT_EQ(two.pageCount, 5);
}

TEST(ColorMapPrinting, APrintJobFitsTheSpeakerTableHeaderToItsPage) {
    PlanView f;
    EditSettings(f.doc)->advancedMode = 1; // the table with aim, power and polarity
    ASSERT_EQ(f.Install(2, 2), 0);
    const CTextWidth pitch = [](const std::string& text, int h) {
        return 0.6 * h * static_cast<double>(text.size());
    };
    const CTablePaging plain = f.view->BeginPrinting(4800, 6800);
    EXPECT_EQ(f.view->PrintedTableHeader().lineCount, 1);
    f.view->EndPrinting();
    const CTablePaging fitted = f.view->BeginPrinting(4800, 6800, pitch);
    const CTableHeaderLayout& header = f.view->PrintedTableHeader();
    EXPECT_EQ(header.lineCount, 2); // 68-pixel print font: "Azimuth(Left+)" needs two lines
    ASSERT_EQ(header.cells.size(), TableHeader(f.doc).size());
    EXPECT_EQ(header.cells[5].lines, (std::vector<std::string>{"Azimuth", "(Left+)"}));
    EXPECT_EQ(fitted.firstPageRows, plain.firstPageRows - 1);
    f.view->EndPrinting();
}

TEST(ColorMapTexts, AxisTicksStandAtRoundStepsBetweenTheEndLabels) {
    // 1, 2, 5 times a power of ten: the finest step that keeps the ticks far enough apart.
    EXPECT_DOUBLE_EQ(TickStep(10, 500, 60), 2);      // room for 8 ticks: 1 is too fine
    EXPECT_DOUBLE_EQ(TickStep(37, 900, 60), 5);      // 15 ticks at most: 2 gives 18.5
    EXPECT_DOUBLE_EQ(TickStep(0.8, 500, 60), 0.1);   // 8 ticks
    EXPECT_DOUBLE_EQ(TickStep(120, 300, 60), 50);    // 5 ticks: 20 gives 6
    EXPECT_DOUBLE_EQ(TickStep(1000, 2000, 60), 50);  // 33 ticks
    EXPECT_EQ(TickStep(10, 50, 60), 0);              // no room for one
    EXPECT_EQ(TickStep(0, 500, 60), 0);

    // A plane from x = 1.5 to 11.5 drawn 500 pixels wide, y = 0 to 6 drawn 300 high.
    CListeningPlane plane;
    plane.Build(1.5, 0, 1.2, 10, 6, 0, 0.5, 100, 2);
    const std::vector<CPlaneTick> ticks = PlaneTicks(plane, 500, 300);
    std::vector<std::string> xs, ys;
    for (const CPlaneTick& t : ticks) {
        (t.firstEdge ? xs : ys).push_back(t.text);
        // On the edges the end labels stand on: y = 6 for the x values, x = 11.5 for the y ones.
        if (t.firstEdge)
            EXPECT_EQ(t.at.y, 6);
        else
            EXPECT_EQ(t.at.x, 11.5);
        EXPECT_EQ(t.at.z, 1.2);
    }
    // Step 2 along x: 2 (too near the start at 1.5) and 6 (the middle, where "[m]" stands) go.
    EXPECT_EQ(xs, (std::vector<std::string>{"4", "8", "10"}));
    // Step 2 along y (at most 5 ticks in 300 pixels over 6 m): the ends stay clear.
    EXPECT_EQ(ys, (std::vector<std::string>{"2", "4"}));

    // The view asks for ticks five font heights apart on its own edges.
    PlanView f;
    f.Condition().scale = 0.1; // 4 m: 400 pixels, so ticks 1 m (100 px) apart fit
    f.view->ProjectView(false);
    std::vector<std::string> shown;
    for (const CPlaneTick& t : f.view->AxisTicks())
        if (t.firstEdge)
            shown.push_back(t.text);
    EXPECT_EQ(shown, (std::vector<std::string>{"1", "3"}));
}

TEST(ColorMapTexts, TheAutomaticScaleFollowsTheMapsMaximumRoundedUpToThePitch) {
    PlanView f;
    CColorMapCondition& c = f.Condition();
    c.plane.Build(0, 0, 1, 4, 4, 0, 0.5, 100, 3); // stored maximum 100, pitch 3
    // Not calculated yet: the stored scale.
    EXPECT_EQ(AutomaticColorMaximum(c.plane), 100);
    c.plane.maximumLevel = 121.2;
    c.plane.minimumLevel = 80;
    EXPECT_DOUBLE_EQ(AutomaticColorMaximum(c.plane), 123); // 41 pitches
    c.plane.maximumLevel = 120;
    EXPECT_DOUBLE_EQ(AutomaticColorMaximum(c.plane), 120); // already on a pitch
    // Only a condition that asks for it moves its classes, and its stored maximum stays.
    EXPECT_EQ(ColorShift(c), 0);
    ASSERT_TRUE(f.view->OnViewCommand(kCmdAutomaticScale));
    EXPECT_TRUE(c.automaticScale);
    EXPECT_DOUBLE_EQ(ColorShift(c), 20);
    EXPECT_EQ(c.plane.colorMaximum, 100);
    const auto labels = LegendLabels(c.plane, ColorShift(c));
    EXPECT_EQ(labels[0], " - 120");
    EXPECT_EQ(labels[1], "120 - 117");
    // On the stored scale everything above 100 dB is one solid colour; on the automatic one the
    // map's loud part keeps its classes.
    const double shift = ColorShift(c);
    EXPECT_EQ(c.plane.ColorOf(110), c.plane.ColorOf(120));
    EXPECT_NE(c.plane.ColorOf(110 - shift), c.plane.ColorOf(120 - shift));
    // The map's maximum, on the new top boundary, takes the class just under it, as a level of
    // the stored Max does on the stored scale.
    EXPECT_EQ(c.plane.ColorOf(120 - shift), c.plane.ColorOf(100));
    EXPECT_EQ(c.plane.ColorOf(120 - shift), c.plane.colors[1]);
    EXPECT_EQ(c.plane.ColorOf(120.5 - shift), c.plane.colors[0]);
    // Every sound level's legend moves with it; D/R and STI keep their fixed classes.
    for (EMapQuantity level : {EMapQuantity::Direct, EMapQuantity::Total, EMapQuantity::BroadbandA}) {
        c.quantity = level;
        const CColorScale scale = ColorScaleOf(c);
        EXPECT_EQ(scale.labels[1], "120 - 117") << QuantityInfo(level).name;
        EXPECT_EQ(ScaleColor(scale, 120.5), c.plane.colors[0]);
        EXPECT_EQ(ScaleColor(scale, 120), c.plane.colors[1]);
    }
    c.quantity = EMapQuantity::DirectToReverberant;
    EXPECT_EQ(ColorScaleOf(c).thresholds[0], 24);
    c.quantity = EMapQuantity::Direct;
    ASSERT_TRUE(f.view->OnViewCommand(kCmdAutomaticScale));
    EXPECT_EQ(ColorShift(c), 0);
}

TEST(ColorMapFit, TheViewFitsEveryNewPaneSizeUntilTheUserZooms) {
    PlanView f;
    f.view->Fit();
    f.view->SetClientSize(600, 700);
    const double narrow = f.Condition().scale;
    f.view->SetClientSize(1200, 900);
    const double wide = f.Condition().scale;
    EXPECT_GT(wide, narrow); // fitted again to the larger pane
    f.view->Fit();
    EXPECT_EQ(f.Condition().scale, wide);
    // A zoom keeps the scale the user chose, whatever the pane does next.
    f.view->ZoomIn();
    const double zoomed = f.Condition().scale;
    f.view->SetClientSize(600, 700);
    EXPECT_EQ(f.Condition().scale, zoomed);
    EXPECT_FALSE(f.view->AutoFit());
    // Fit brings the fitting back, and a pan stops it again.
    f.view->Fit();
    EXPECT_EQ(f.Condition().scale, narrow);
    f.view->StopAutoFit();
    f.view->SetClientSize(1200, 900);
    EXPECT_EQ(f.Condition().scale, narrow);
    // A room change refits a view that fits itself.
    f.view->Fit();
    Build(f.doc).Room().roomLength = 30;
    f.doc.Notify(CDocumentChange::Planes());
    EXPECT_LT(f.Condition().scale, wide);
}

TEST(ColorMapPointer, TheSpectrumUnderThePointerCarriesTheRoomCurvesAndASpeechMapsTable) {
    PlanView f;
    ASSERT_EQ(f.Install(2, 2), 0);
    Build(f.doc).Graphs().AddGraphCondition(-1, 30, 20, 20, 36, 0, 0, CSoundGraphDataList());
    const CSoundGraphCondition& graph = *f.doc.Graphs().At(0);
    const CVec3 point{1, 1, 1.2};
    // A room that absorbs nothing has no reverberant field: the direct sound alone.
    ASSERT_TRUE(f.view->PointSpectrum(point));
    EXPECT_GT(graph.data.Curve(0)->PointCount(), 1);
    EXPECT_TRUE(graph.roomCurves.empty());
    EXPECT_TRUE(graph.speechTable.empty());

    CRoomAcoustics acoustics;
    for (CRoomMaterial& face : acoustics.faces)
        face.alpha.fill(0.3);
    EditSettings(f.doc)->roomAcoustics = acoustics;
    ASSERT_TRUE(f.view->PointSpectrum(point));
    ASSERT_EQ(graph.roomCurves.size(), 2u);
    EXPECT_EQ(graph.roomCurves[0].name, Strings::kCurveReverberant);
    EXPECT_EQ(graph.roomCurves[1].name, Strings::kCurveTotal);
    const CSoundGraphData& direct = *graph.data.Curve(0);
    ASSERT_EQ(graph.roomCurves[1].PointCount(), direct.PointCount());
    for (int i = 0; i < direct.PointCount(); ++i) {
        const auto at = static_cast<std::size_t>(i);
        EXPECT_NEAR(graph.roomCurves[1].levels[at],
                    10 * std::log10(std::pow(10, direct.levels[at] / 10) +
                                    std::pow(10, graph.roomCurves[0].levels[at] / 10)),
                    1e-9);
    }
    EXPECT_TRUE(graph.speechTable.empty()); // not a speech map

    f.Condition().quantity = EMapQuantity::Sti;
    ASSERT_TRUE(f.view->PointSpectrum(point));
    ASSERT_EQ(graph.speechTable.size(), 1u + kOctaveCount + 1u); // header, octaves, STI and CIS
    EXPECT_EQ(graph.speechTable.back().rfind("STI 0.", 0), 0u) << graph.speechTable.back();
    // Back on the direct sound in a dead room: what the last point showed goes.
    f.Condition().quantity = EMapQuantity::Direct;
    EditSettings(f.doc)->roomAcoustics = {};
    ASSERT_TRUE(f.view->PointSpectrum(point));
    EXPECT_TRUE(graph.roomCurves.empty());
    EXPECT_TRUE(graph.speechTable.empty());
}
