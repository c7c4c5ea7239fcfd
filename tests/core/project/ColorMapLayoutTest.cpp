#include "project/ColorMapLayout.h"
#include "PlanViewFixture.h"
#include "project/ColorMapViewModel.h"
#include "project/Strings.h"

#include <gtest/gtest.h>

#include <algorithm>
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
    ASSERT_EQ(f.doc.room.CurrentIndex(), 1);
    const CPixel at = f.view->PixelOf(f.doc.room.At(0)->position);
    EXPECT_EQ(f.view->MouseMove({at.x + 3, at.y - 3}), EMapCursor::Hot);
    EXPECT_EQ(f.doc.room.CurrentIndex(), 0); // pointing makes it current
    EXPECT_EQ(f.view->MouseMove({at.x + 4, at.y}), EMapCursor::Arrow);
    EXPECT_EQ(f.view->MouseMove({at.x, at.y - 4}), EMapCursor::Arrow);
    EXPECT_FALSE(f.view->Hot());
    EXPECT_EQ(f.view->InstallationAt({at.x - 3, at.y + 3}), 0);
}

TEST(ColorMapPointer, DroppingTheCurrentModelInstallsAtTheGridCellCentre) {
    PlanView f;
    f.doc.room.gridPitchX = 2.0;
    f.doc.room.gridPitchY = 1.5; // the last row ends at the wall: 10 = 6 * 1.5 + 1
    EXPECT_EQ(f.view->DropSpeaker(f.view->PixelOf({3.3, 4.6, 0})), 1);
    ASSERT_EQ(f.doc.room.Count(), 1);
    EXPECT_EQ(f.doc.room.At(0)->position.x, 3.0);
    EXPECT_EQ(f.doc.room.At(0)->position.y, 5.25);
    EXPECT_TRUE(f.doc.IsModified());
    // The last, short row still takes drops; outside the room nothing happens.
    EXPECT_EQ(f.view->DropSpeaker(f.view->PixelOf({9.1, 9.9, 0})), 1);
    EXPECT_EQ(f.doc.room.At(1)->position.y, 9.75);
    CVec3 centre;
    EXPECT_FALSE(f.view->GridCellAt(f.view->PixelOf({9.5, 10.4, 0}), centre)); // beyond the wall
    EXPECT_EQ(f.view->DropSpeaker({5, 5}), 2);
    f.dialogs.installation = [](CInstallationForm&) { return false; };
    EXPECT_EQ(f.view->DropSpeaker(f.view->PixelOf({1, 1, 0})), 2);
    EXPECT_EQ(f.doc.room.Count(), 2);
}

TEST(ColorMapPointer, DraggingMovesToACellOrAsksToRemoveOutsideBothPlanes) {
    PlanView f;
    ASSERT_EQ(f.Install(2.5, 2.5), 0);
    f.doc.SetModified(false);
    const CPixel at = f.view->PixelOf(f.doc.room.At(0)->position);
    ASSERT_EQ(f.view->MouseMove(at), EMapCursor::Hot);
    EXPECT_EQ(f.view->LeftDown(at), EMapCursor::Drag);
    EXPECT_EQ(f.view->MouseMove({at.x + 50, at.y}), EMapCursor::Drag);
    f.view->LeftUp(f.view->PixelOf({6.2, 8.9, 0}));
    EXPECT_FALSE(f.view->Dragging());
    EXPECT_EQ(f.doc.room.At(0)->position.x, 6.5);
    EXPECT_EQ(f.doc.room.At(0)->position.y, 8.5);
    EXPECT_TRUE(f.doc.IsModified());

    // Out of the room: the removal question; declining keeps the speaker but marks modified.
    f.doc.SetModified(false);
    f.messages.answers = {false};
    const CPixel moved = f.view->PixelOf(f.doc.room.At(0)->position);
    f.view->MouseMove(moved);
    f.view->LeftDown(moved);
    f.view->LeftUp({5, 5});
    ASSERT_FALSE(f.messages.asked.empty());
    EXPECT_EQ(f.messages.asked.back(), Strings::kConfirmRemoveSpeaker);
    EXPECT_EQ(f.doc.room.Count(), 1);
    EXPECT_TRUE(f.doc.IsModified());
    f.view->MouseMove(moved);
    f.view->LeftDown(moved);
    f.view->LeftUp({5, 5});
    EXPECT_EQ(f.doc.room.Count(), 0);
}

TEST(ColorMapPointer, RightClickOffersTheSpeakerMenuOnlyOverASpeaker) {
    PlanView f;
    ASSERT_EQ(f.Install(2.5, 2.5), 0);
    const CPixel at = f.view->PixelOf(f.doc.room.At(0)->position);
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
    f.doc.room.ceilingType = 0;
    EXPECT_EQ(AmplifierEstimate(f.doc), "0[W]");
    ASSERT_EQ(f.Install(2, 2), 0);
    ASSERT_EQ(f.Install(3, 3), 0);
    CModelSettings& settings = f.doc.models.At(0).Settings();
    settings.taps = {CTapElement{false, 100, 30, 1.0}};
    for (const auto& [index, power] : {std::pair{0, 100.0}, std::pair{1, 50.0}}) {
        const double watts = power; // clang 14 lambdas cannot capture a structured binding
        EditInstalled(f.doc.room, index, [&](CInstallationElement& e) {
            e.tapIndex = 0;
            e.power = watts;
        });
    }
    EXPECT_EQ(AmplifierEstimate(f.doc), "180[W]"); // a line tap: 1.2 x the total
    settings.taps = {CTapElement{true, 8, 30, 2.5}};
    EXPECT_EQ(AmplifierEstimate(f.doc), "150 to 375[W]"); // low impedance: total to sum x factor

    // Without a finished map (this one has no band yet) the state stands in place of the
    // averages, and there is no estimate.
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
}

TEST(ColorMapPrinting, ALongTableContinuesOnLaterPagesWithEveryInstallationOnce) {
    PlanView f;
    for (int i = 0; i < 100; ++i)
        f.doc.room.AddInstallation(0, 0, {0.1 * i, 1, 3}, {}, 1, true);
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
    // A picture that fills page 1 leaves only the header there.
    EXPECT_EQ(TablePaging(3, 10, 1000, 2000).firstPageRows, 1);
    EXPECT_EQ(TablePaging(0, 10, 1000, 500).pageCount, 1);

    // Printing fits to 80 % of the page with the print margins and gives the screen back after.
    const auto screenMargins = f.Condition().margins;
    const double screenScale = f.Condition().scale;
    const CTablePaging printed = f.view->BeginPrinting(4800, 6800);
    EXPECT_EQ(f.view->FontHeight(), 68);
    EXPECT_EQ(f.Condition().margins, (std::array<int, 4>{1680, 680, 0, 2266}));
    EXPECT_GE(printed.pageCount, 2);
    f.view->EndPrinting();
    EXPECT_EQ(f.Condition().margins, screenMargins);
    EXPECT_EQ(f.Condition().scale, screenScale);
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
    f.doc.conditions.Append(c);
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
    f.doc.models.At(0).Settings().taps.clear(); // the default tap no longer exists
    const CPixel inside = f.view->PixelOf({3.3, 4.6, 0});
    EXPECT_EQ(f.view->DropSpeaker(inside), 2);
    ASSERT_EQ(f.messages.errors.size(), 1u);
    EXPECT_NE(f.messages.errors[0].find("tap index 0"), std::string::npos) << f.messages.errors[0];
    EXPECT_TRUE(f.doc.room.Empty());
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
                f.doc.room.roomLength = room.length;
                f.doc.room.roomWidth = room.width;
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
        f.doc.room.roomLength = 40;
        f.doc.room.roomWidth = 8;
        f.view->SetViewDirection(45, 75, 0);
        f.view->BeginPrinting(pageW, pageH);
        const CColorMapCondition& c = f.Condition();
        EXPECT_LE(c.scrollSize[0], pageW * 80 / 100);
        for (const CPixel& p : f.view->InstallationPlaneQuad())
            EXPECT_LE(p.x, pageW * 80 / 100); // the print margin on the right is 0
        EXPECT_LE(f.view->LineY(kMapAnnotationLines) - f.view->LineY(0) + c.scrollSize[1] -
                      c.margins[3],
                  pageH * 80 / 100);
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
