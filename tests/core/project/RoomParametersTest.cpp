#include "FakePorts.h"
#include "common/Units.h"
#include "project/ColorMapViewModel.h"
#include "project/CommandTable.h"
#include "project/ProjectFile.h"
#include "project/Strings.h"
#include "project/forms/InitialSettingsForm.h"
#include "project/forms/NumberField.h"
#include "project/forms/RoomParametersForm.h"

#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

using Form = CRoomParametersForm;

namespace {
// A metric project with an XY plane 10 x 10 at height 1.5.
CRoomParameters Metric() {
    CRoomParameters v;
    v.projectName = "Hall";
    v.projectDate = "2024-05-01";
    v.originZ = 1.5;
    v.extentX = v.extentY = 10.0;
    return v;
}

CRoomParameters VerticalYZ() {
    CRoomParameters v = Metric();
    v.planeSameAsRoom = 0;
    v.originX = 4, v.originY = 1, v.originZ = 0.5;
    v.extentX = 0, v.extentY = 6, v.extentZ = 2.5;
    return v;
}

std::vector<std::string> Labels(const Form& form) {
    std::vector<std::string> labels;
    for (auto f : {Form::kPlaneA, Form::kPlaneB, Form::kPlaneC, Form::kPlaneD, Form::kPlaneE})
        labels.push_back(form.Field(f).label);
    return labels;
}
} // namespace

TEST(RoomParametersForm, ShowsTheProjectWithItsLabelsAndUnits) {
    Form form(Metric(), 2, true);
    EXPECT_EQ(form.Title(), "Room Parameters");
    EXPECT_TRUE(form.CancelVisible());
    EXPECT_FALSE(Form(Metric(), 2, false).CancelVisible());
    EXPECT_EQ(form.projectName, "Hall");
    EXPECT_EQ(form.UnitCombo().items, (std::vector<std::string>{"Metric", "Imperial"}));
    EXPECT_EQ(form.UnitCombo().selection, 0);
    EXPECT_EQ(form.OrientationCombo().items,
              (std::vector<std::string>{"Parallel to XY Plane", "Parallel to YZ Plane",
                                        "Parallel to XZ Plane"}));
    EXPECT_EQ(form.OrientationCombo().selection, 0);
    EXPECT_EQ(Labels(form), (std::vector<std::string>{
                                "Zero Position(X) : ", "Zero Position(Y) : ", "Length(X) : ",
                                "Width(Y) : ", "Height(Z) from XY Plane :"}));
    EXPECT_EQ(form.Field(Form::kRoomLength).unit, "[m]");
    EXPECT_EQ(form.Field(Form::kDotPitch).unit, "[m]");
    EXPECT_EQ(form.Field(Form::kColorMaximum).unit, "[dB]");
    EXPECT_EQ(form.Field(Form::kPlaneE).text, "1.5");
    EXPECT_TRUE(form.halfSpaceChecked);
    CRoomParameters imperial = Metric();
    imperial.lengthUnit = kUnitImperial;
    imperial.ceilingType = 0;
    Form feet(imperial, 2, true);
    EXPECT_EQ(feet.Field(Form::kPlaneC).unit, "[ft]");
    EXPECT_FALSE(feet.halfSpaceChecked);
}

TEST(RoomParametersForm, AVerticalPlaneShowsItsOwnAxes) {
    Form yz(VerticalYZ(), 2, true);
    EXPECT_EQ(yz.OrientationCombo().selection, 1);
    EXPECT_EQ(Labels(yz),
              (std::vector<std::string>{"Zero Position(Y) : ", "Zero Position(Z) : ", "Length(Y) :",
                                        "Width(Z) :", "Length(X) from YZ Plane :"}));
    EXPECT_EQ(yz.Field(Form::kPlaneE).text, "4"); // the plane's X position
    EXPECT_EQ(yz.Field(Form::kPlaneA).text, "1");
    EXPECT_EQ(yz.Field(Form::kPlaneD).text, "2.5");

    CRoomParameters xz = VerticalYZ();
    xz.extentX = 6, xz.extentY = 0;
    Form form(xz, 2, true);
    EXPECT_EQ(form.OrientationCombo().selection, 2);
    EXPECT_EQ(Labels(form), (std::vector<std::string>{
                                "Zero Position(X) : ", "Zero Position(Z) : ", "Length(X) : ",
                                "Width(Z) :", "Length(Y) from XZ Plane :"}));
    EXPECT_EQ(form.Field(Form::kPlaneA).text, "4");   // origin X
    EXPECT_EQ(form.Field(Form::kPlaneB).text, "0.5"); // origin Z
    EXPECT_EQ(form.Field(Form::kPlaneC).text, "6");   // extent X
    EXPECT_EQ(form.Field(Form::kPlaneE).text, "1");   // origin Y
}

TEST(RoomParametersForm, ChangingTheOrientationRelabelsWithoutMovingValues) {
    CRoomParameters v = VerticalYZ();
    v.roomHeight = 5; // the plane's X position becomes its height, which stays under the ceiling
    Form form(v, 2, true);
    form.SelectOrientation(Form::kParallelToXY);
    EXPECT_EQ(form.Field(Form::kPlaneE).label, "Height(Z) from XY Plane :");
    EXPECT_EQ(form.Field(Form::kPlaneE).text, "4");
    ASSERT_TRUE(form.Accept());
    const CRoomParameters& r = form.Result();
    EXPECT_EQ(r.originX, 1);
    EXPECT_EQ(r.originY, 0.5);
    EXPECT_EQ(r.originZ, 4);
    EXPECT_EQ(r.extentX, 6);
    EXPECT_EQ(r.extentY, 2.5);
    EXPECT_EQ(r.extentZ, 0);
}

TEST(RoomParametersForm, SameAsRoomDimensionsFollowsTheRoomAndLeavesEAsEntered) {
    CRoomParameters v = VerticalYZ();
    v.extentX = 6, v.extentY = 0; // XZ
    v.roomZeroX = -2, v.roomLength = 12, v.roomHeight = 4.5;
    Form form(v, 2, true);
    EXPECT_TRUE(form.Enabled(Form::kPlaneA));
    form.SetSameAsRoom(true);
    for (auto f : {Form::kPlaneA, Form::kPlaneB, Form::kPlaneC, Form::kPlaneD})
        EXPECT_FALSE(form.Enabled(f));
    EXPECT_TRUE(form.Enabled(Form::kPlaneE));
    form.Field(Form::kPlaneE).text = "3";
    ASSERT_TRUE(form.Accept());
    const CRoomParameters& r = form.Result();
    EXPECT_EQ(r.originX, -2);
    EXPECT_EQ(r.originY, 3);
    EXPECT_EQ(r.originZ, 0);
    EXPECT_EQ(r.extentX, 12);
    EXPECT_EQ(r.extentY, 0);
    EXPECT_EQ(r.extentZ, 4.5);
    EXPECT_EQ(r.planeSameAsRoom, 1);
}

TEST(RoomParametersForm, SameAsRoomDimensionsTakesEachOrientationsOwnRoomSides) {
    // A room with every side different, so a side taken for another shows.
    CRoomParameters v = VerticalYZ();
    v.roomZeroX = -2, v.roomZeroY = 1.5;
    v.roomLength = 12, v.roomWidth = 7, v.roomHeight = 4.5;
    struct Case {
        int orientation;
        CVec3 origin, extent;
    };
    for (const Case& c : {Case{Form::kParallelToXY, {-2, 1.5, 3}, {12, 7, 0}},
                          Case{Form::kParallelToYZ, {3, 1.5, 0}, {0, 7, 4.5}},
                          Case{Form::kParallelToXZ, {-2, 3, 0}, {12, 0, 4.5}}}) {
        SCOPED_TRACE(c.orientation);
        Form form(v, 2, true);
        form.SelectOrientation(c.orientation);
        form.SetSameAsRoom(true);
        form.Field(Form::kPlaneE).text = "3";
        ASSERT_TRUE(form.Accept());
        const CRoomParameters& r = form.Result();
        EXPECT_EQ((CVec3{r.originX, r.originY, r.originZ}), c.origin);
        EXPECT_EQ((CVec3{r.extentX, r.extentY, r.extentZ}), c.extent);
    }
}

TEST(RoomParametersForm, WithoutAdvancedModeTheZeroPositionsAreHiddenButKept) {
    CRoomParameters v = VerticalYZ();
    v.roomZeroX = 20000; // out of range, but the user cannot see it to correct it
    v.roomZeroY = -3.25;
    Form form(v, 0, true);
    for (auto f : {Form::kRoomZeroX, Form::kRoomZeroY, Form::kPlaneA, Form::kPlaneB})
        EXPECT_FALSE(form.Field(f).visible);
    EXPECT_TRUE(form.Field(Form::kPlaneC).visible);
    ASSERT_TRUE(form.Accept());
    EXPECT_EQ(form.Result().roomZeroX, 20000);
    EXPECT_EQ(form.Result().roomZeroY, -3.25);
    EXPECT_EQ(form.Result().originY, 1);
    EXPECT_EQ(form.Result().originZ, 0.5);
}

TEST(RoomParametersForm, SwitchingUnitsConvertsLengthsRoundedToFourDigitsEachTime) {
    CRoomParameters v = Metric();
    v.roomZeroX = -2;
    v.roomWidth = 3.333;
    Form form(v, 2, true);
    ASSERT_TRUE(form.SelectUnit(kUnitImperial));
    EXPECT_EQ(form.Field(Form::kRoomLength).text, "32.81"); // 32.808...
    EXPECT_EQ(form.Field(Form::kRoomWidth).text, "10.94");  // 10.935...
    EXPECT_EQ(form.Field(Form::kRoomHeight).text, "9.843");
    EXPECT_EQ(form.Field(Form::kRoomZeroX).text, "-6.562");
    EXPECT_EQ(form.Field(Form::kGridPitchX).text, "3.281");
    EXPECT_EQ(form.Field(Form::kPlaneE).text, "4.921");
    EXPECT_EQ(form.Field(Form::kDotPitch).text, "0.8202");
    EXPECT_EQ(form.Field(Form::kColorMaximum).text, "100"); // decibels stay
    EXPECT_EQ(form.Field(Form::kColorPitch).text, "2");
    EXPECT_EQ(form.Field(Form::kRoomLength).unit, "[ft]");
    EXPECT_EQ(form.Field(Form::kColorPitch).unit, "[dB]");

    ASSERT_TRUE(form.SelectUnit(kUnitMetric));
    EXPECT_EQ(form.Field(Form::kRoomLength).text, "10");   // 10.0005
    EXPECT_EQ(form.Field(Form::kRoomWidth).text, "3.335"); // 3.3345: the rounding shows
    EXPECT_EQ(form.Field(Form::kPlaneE).text, "1.5");      // 1.49992
    EXPECT_EQ(form.Field(Form::kDotPitch).text, "0.25");   // 0.249997
    EXPECT_EQ(form.Field(Form::kRoomZeroX).text, "-2");    // -2.00004
    EXPECT_EQ(form.Field(Form::kRoomLength).unit, "[m]");
    ASSERT_TRUE(form.SelectUnit(kUnitMetric)); // the same unit converts nothing
    EXPECT_EQ(form.Field(Form::kRoomWidth).text, "3.335");
    ASSERT_TRUE(form.Accept());
    EXPECT_EQ(form.Result().roomWidth, 3.335);
    EXPECT_EQ(form.Result().lengthUnit, kUnitMetric);
}

TEST(RoomParametersForm, AUnitSwitchWithTextInALengthConvertsNothing) {
    Form form(Metric(), 2, true);
    form.Field(Form::kRoomWidth).text = "wide";
    std::string message;
    EXPECT_FALSE(form.SelectUnit(kUnitImperial, &message));
    EXPECT_EQ(message, "Width(Y): enter a number.");
    EXPECT_EQ(form.UnitCombo().selection, 0);
    EXPECT_EQ(form.Field(Form::kRoomLength).text, "10");
    EXPECT_EQ(form.Field(Form::kRoomLength).unit, "[m]");
}

TEST(RoomParametersForm, OkReportsTheFirstFailingFieldInTheDialogsOrder) {
    // Each field is checked before the next: with the earlier one out of range and the later one
    // not a number, the range message of the earlier one is the one shown.
    const Form::Edit order[] = {Form::kPlaneB,     Form::kRoomZeroY,  Form::kDotPitch,
                                Form::kPlaneE,     Form::kRoomHeight, Form::kPlaneA,
                                Form::kRoomZeroX,  Form::kPlaneD,     Form::kRoomWidth,
                                Form::kGridPitchY, Form::kColorPitch, Form::kColorMaximum,
                                Form::kPlaneC,     Form::kRoomLength, Form::kGridPitchX};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i) {
        Form form(Metric(), 2, true);
        form.SetSameAsRoom(false);
        form.Field(order[i]).text = "20000";
        form.Field(order[i + 1]).text = "x";
        std::string message;
        EXPECT_FALSE(form.Accept(&message));
        const double lo = form.Field(order[i]).minimum;
        // The message names the row, as its label reads without the " : ".
        EXPECT_EQ(message, FieldName(form.Field(order[i]).label) + ": " +
                               (lo < 0 ? "enter a number between -10000 and 10000."
                                       : "enter a number between 0.001 and 10000."))
            << "field " << order[i] << " before " << order[i + 1];
    }
    Form form(Metric(), 2, true);
    form.Field(Form::kGridPitchX).text = "many";
    std::string message;
    EXPECT_FALSE(form.Accept(&message));
    EXPECT_EQ(message, "Grid Pitch(X): enter a number.");
}

TEST(RoomParametersForm, RangesOfSingleFields) {
    Form form(Metric(), 2, true);
    form.Field(Form::kGridPitchX).text = "0";
    ASSERT_TRUE(form.Accept());
    EXPECT_EQ(form.Result().gridPitchX, 0);
    form.Field(Form::kGridPitchY).text = "0";
    std::string message;
    EXPECT_FALSE(form.Accept(&message));
    EXPECT_EQ(message, "Grid Pitch(Y): enter a number between 0.001 and 10000.");
    EXPECT_EQ(form.Result().gridPitchY, 1); // the last accepted values stay
}

// New input describes a room with a ceiling and a calculation plane inside it, walls, floor and
// ceiling included; each refusal names the row to correct, in the row's unit.
TEST(RoomParametersForm, ImpossibleGeometryIsRefusedNamingTheField) {
    auto refusal = [](const CRoomParameters& values, std::function<void(Form&)> enter) {
        Form form(values, 2, true);
        enter(form);
        std::string message;
        EXPECT_FALSE(form.Accept(&message));
        return message;
    };
    for (const char* height : {"0", "-5"})
        EXPECT_EQ(refusal(Metric(), [&](Form& f) { f.Field(Form::kRoomHeight).text = height; }),
                  std::string("Height(Z) must lie between 0.001 and 10000 m (a ceiling above the "
                              "floor); ") +
                      height + " was given");
    EXPECT_EQ(refusal(Metric(), [](Form& f) { f.Field(Form::kPlaneE).text = "12"; }),
              "Height(Z) from XY Plane must lie between 0 and 3 m (the plane inside the room); 12 "
              "was given");
    EXPECT_EQ(refusal(Metric(), [](Form& f) { f.Field(Form::kPlaneE).text = "-0.5"; }),
              "Height(Z) from XY Plane must lie between 0 and 3 m (the plane inside the room); "
              "-0.5 was given");
    // Lowering the ceiling under the plane names the plane's row; in feet, feet.
    CRoomParameters imperial = Metric();
    imperial.lengthUnit = kUnitImperial;
    EXPECT_EQ(refusal(imperial, [](Form& f) { f.Field(Form::kRoomHeight).text = "1.2"; }),
              "Height(Z) from XY Plane must lie between 0 and 1.2 ft (the plane inside the "
              "room); 1.5 was given");
    // A plane of its own: too long for the room, or pushed through a wall.
    CRoomParameters own = Metric();
    own.planeSameAsRoom = 0;
    EXPECT_EQ(refusal(own, [](Form& f) { f.Field(Form::kPlaneC).text = "10.5"; }),
              "Length(X) must lie between 0 and 10 m (the room's size); 10.5 was given");
    EXPECT_EQ(refusal(own,
                      [](Form& f) {
                          f.Field(Form::kPlaneC).text = "4";
                          f.Field(Form::kPlaneA).text = "7";
                      }),
              "Zero Position(X) must lie between 0 and 6 m (the plane inside the room); 7 was "
              "given");
    // A vertical plane behind the far wall names its distance row.
    EXPECT_EQ(refusal(VerticalYZ(), [](Form& f) { f.Field(Form::kPlaneE).text = "10.2"; }),
              "Length(X) from YZ Plane must lie between 0 and 10 m (the plane inside the room); "
              "10.2 was given");
    // On the walls, floor and ceiling is inside.
    Form edge(own, 2, true);
    edge.Field(Form::kPlaneE).text = "3";
    EXPECT_TRUE(edge.Accept());
    Form floor(VerticalYZ(), 2, true);
    floor.Field(Form::kPlaneE).text = "10";
    floor.Field(Form::kPlaneB).text = "0";
    floor.Field(Form::kPlaneD).text = "3";
    EXPECT_TRUE(floor.Accept());

    // Only new input is held to it: a room that comes in so (older versions wrote a height of 0)
    // passes through a dialog that changes something else, and is refused once it is edited.
    CRoomParameters held = Metric();
    held.roomHeight = 0;
    Form kept(held, 2, true);
    kept.projectName = "Renamed";
    EXPECT_TRUE(kept.Accept());
    EXPECT_EQ(kept.Result().roomHeight, 0.0);
    EXPECT_EQ(refusal(held, [](Form& f) { f.Field(Form::kRoomLength).text = "12"; }),
              "Height(Z) must lie between 0.001 and 10000 m (a ceiling above the floor); 0 was "
              "given");
    // And a project that holds it opens as it always has.
    CDAXDoc old;
    Build(old).Room().roomHeight = 0;
    CDAXDoc reread;
    std::string error;
    EXPECT_EQ(ProjectFile::Read(ProjectFile::Write(old), false, reread, error),
              ProjectFile::EReadResult::Loaded)
        << error;
    EXPECT_EQ(reread.Room().roomHeight, 0.0);
}

TEST(RoomParametersForm, APlaneNoGridFitsOnIsRefused) {
    CRoomParameters v = Metric();
    v.planeSameAsRoom = 0;
    Form tiny(v, 2, true);
    tiny.Field(Form::kPlaneC).text = "0.001"; // a hundredth of the pitch or less snaps to 0
    tiny.Field(Form::kDotPitch).text = "1";
    std::string message;
    EXPECT_FALSE(tiny.Accept(&message));
    EXPECT_EQ(message, Strings::kPlaneNotBuildable);
    // A vertical plane the size of the room would take a negative room height as its extent;
    // the height is refused first.
    Form yz(VerticalYZ(), 2, true);
    yz.SetSameAsRoom(true);
    yz.Field(Form::kRoomHeight).text = "-5";
    EXPECT_FALSE(yz.Accept(&message));
    EXPECT_EQ(message.rfind("Height(Z) must lie between 0.001", 0), 0u) << message;
}

namespace {
struct RoomDoc : CDocFixture {
    CColorMapViewModel* view = nullptr;
    std::unique_ptr<CColorMapViewModel> owned;

    explicit RoomDoc(int conditions = 1) {
        AddModel(DirectionalSpeaker(1, 3));
        EditSettings(doc)->loadedFromFile = 1;
        for (int i = 0; i < conditions; ++i)
            Build(doc).Conditions().Append(DefaultCondition(kUnitMetric));
        owned = std::make_unique<CColorMapViewModel>(doc);
        view = owned.get();
        view->OnInitialUpdate();
        Install(1, 2);
        EditInstalled(Build(doc).Room(), 0, [](CInstallationElement& e) { e.position.z = 3; });
        doc.SetModified(false);
    }
};

struct Snapshot {
    int unit;
    std::string name;
    double length, width, height, zeroX, installHeight, autoPitch;
    CVec3 position;
    CPlaceElementList points;
    int modelUnit;
    friend bool operator==(const Snapshot&, const Snapshot&) = default;
};

Snapshot Take(const CDAXDoc& doc) {
    return {doc.Settings().lengthUnit,
            doc.Settings().projectName,
            doc.Room().roomLength,
            doc.Room().roomWidth,
            doc.Room().roomHeight,
            doc.Room().roomZeroX,
            doc.Settings().installHeight,
            doc.Settings().autoColumnPitch,
            doc.Room().At(0)->position,
            doc.Conditions().At(0)->plane.points,
            doc.Models().At(0).Settings().lengthUnit};
}
} // namespace

TEST(RoomParametersCommand, OkWritesTheRoomEveryPlaneAndTheUnit) {
    RoomDoc f(2);
    EditSettings(f.doc)->autoLayoutValid = 1;
    EditSettings(f.doc)->autoColumnPitch = 2;
    EditSettings(f.doc)->autoRowPitch = 3;
    EditSettings(f.doc)->listeningPoints = {{"FOH", {4, 5, 1.2}}};
    Build(f.doc).Conditions().At(f.view->ConditionIndex())->scale = 123.0;
    f.dialogs.roomParameters = [](Form& form) {
        EXPECT_TRUE(form.CancelVisible());
        form.projectName = "Theatre";
        form.Field(Form::kRoomHeight).text = "4";
        form.Field(Form::kPlaneE).text = "1.2";
        form.Field(Form::kDotPitch).text = "0.3";
        form.halfSpaceChecked = false;
        EXPECT_TRUE(form.SelectUnit(kUnitImperial));
        return form.Accept() ? ERoomParametersAnswer::Ok : ERoomParametersAnswer::Cancel;
    };
    ASSERT_TRUE(f.doc.OnCommand(kCmdRoomParameters));
    EXPECT_EQ(f.dialogs.roomParametersRuns, 1);
    EXPECT_EQ(f.doc.Settings().projectName, "Theatre");
    EXPECT_EQ(f.doc.Settings().lengthUnit, kUnitImperial);
    EXPECT_EQ(f.doc.Room().ceilingType, 0);
    EXPECT_EQ(f.doc.Room().roomLength, 32.81);
    EXPECT_EQ(f.doc.Room().roomHeight, 13.12); // 4 m
    EXPECT_EQ(f.doc.Settings().installHeight, 13.12);
    for (int i = 0; i < 2; ++i) {
        const CListeningPlane& plane = f.doc.Conditions().At(i)->plane;
        EXPECT_EQ(plane.originZ, 3.937) << i;   // 1.2 m
        EXPECT_EQ(plane.dotPitch, 0.9843) << i; // 0.3 m
        EXPECT_EQ(plane.extentX, 32.81) << i;   // the room's length: 33.3 dots, not snapped
        EXPECT_EQ(plane.pointCount, 34 * 34) << i;
    }
    EXPECT_EQ(f.settings.writes, (std::vector<std::string>{"LENGTH_UNIT/LengthUnit=1"}));
    const CVec3 p = f.doc.Room().At(0)->position;
    EXPECT_DOUBLE_EQ(p.x, 1 * 3.2808398950131235);
    EXPECT_DOUBLE_EQ(p.y, 2 * 3.2808398950131235);
    EXPECT_DOUBLE_EQ(p.z, 3 * 3.2808398950131235);
    EXPECT_DOUBLE_EQ(f.doc.Settings().autoColumnPitch, 2 * 3.2808398950131235);
    EXPECT_DOUBLE_EQ(f.doc.Settings().autoRowPitch, 3 * 3.2808398950131235);
    const CVec3 marked = f.doc.Settings().listeningPoints.at(0).position;
    EXPECT_DOUBLE_EQ(marked.x, 4 * 3.2808398950131235);
    EXPECT_DOUBLE_EQ(marked.z, 1.2 * 3.2808398950131235);
    EXPECT_EQ(f.doc.Models().At(0).Settings().lengthUnit, kUnitImperial);
    EXPECT_NE(f.view->Condition()->scale, 123.0); // refitted: the unit changed
    EXPECT_EQ(f.doc.Settings().autoLayoutValid, 0);
    EXPECT_TRUE(f.doc.IsModified());
}

TEST(RoomParametersCommand, OkInTheSameUnitConvertsNothingAndKeepsTheZoom) {
    RoomDoc f;
    EditSettings(f.doc)->autoColumnPitch = 2; // not valid: never converted
    // The user's own zoom survives the new room (a view that fits itself would fit it).
    Build(f.doc).Conditions().At(f.view->ConditionIndex())->scale = 123.0;
    f.view->ZoomIn();
    const double zoomed = f.view->Condition()->scale;
    f.dialogs.roomParameters = [](Form& form) {
        form.Field(Form::kRoomLength).text = "12";
        return form.Accept() ? ERoomParametersAnswer::Ok : ERoomParametersAnswer::Cancel;
    };
    ASSERT_TRUE(f.doc.OnCommand(kCmdRoomParameters));
    EXPECT_EQ(f.doc.Room().roomLength, 12);
    EXPECT_EQ(f.doc.Conditions().At(0)->plane.extentX, 12); // same as room
    EXPECT_EQ(f.doc.Room().At(0)->position, (CVec3{1, 2, 3}));
    EXPECT_EQ(f.view->Condition()->scale, zoomed);
    EXPECT_EQ(f.settings.writes, (std::vector<std::string>{"LENGTH_UNIT/LengthUnit=0"}));
    // Switching away and back again is no change of unit.
    f.dialogs.roomParameters = [](Form& form) {
        form.SelectUnit(kUnitImperial);
        form.SelectUnit(kUnitMetric);
        return form.Accept() ? ERoomParametersAnswer::Ok : ERoomParametersAnswer::Cancel;
    };
    ASSERT_TRUE(f.doc.OnCommand(kCmdRoomParameters));
    EXPECT_EQ(f.doc.Room().At(0)->position, (CVec3{1, 2, 3}));
    EXPECT_EQ(f.doc.Settings().autoColumnPitch, 2);
}

TEST(RoomParametersCommand, CancelOrARefusedFormLeavesTheDocumentUnchanged) {
    RoomDoc f;
    const Snapshot before = Take(f.doc);
    f.dialogs.roomParameters = [](Form& form) {
        form.SelectUnit(kUnitImperial);
        form.Field(Form::kRoomLength).text = "40";
        return ERoomParametersAnswer::Cancel;
    };
    ASSERT_TRUE(f.doc.OnCommand(kCmdRoomParameters));
    EXPECT_EQ(Take(f.doc), before);
    EXPECT_FALSE(f.doc.IsModified());
    EXPECT_TRUE(f.settings.writes.empty());

    // A port that confirms entries the form refuses: the refusal is reported, nothing applied.
    f.dialogs.roomParameters = [](Form& form) {
        form.Field(Form::kRoomLength).text = "0";
        return ERoomParametersAnswer::Ok;
    };
    ASSERT_TRUE(f.doc.OnCommand(kCmdRoomParameters));
    EXPECT_EQ(Take(f.doc), before);
    EXPECT_EQ(f.messages.errors, (std::vector<std::string>{
                                     FieldMessage(Strings::kLengthX, RangeMessage(0.001, 10000))}));
}

TEST(RoomParametersCommand, AnAnswerOfAgainShowsTheDialogAgain) {
    RoomDoc f;
    std::vector<ERoomParametersAnswer> answers = {
        ERoomParametersAnswer::Again, ERoomParametersAnswer::Again, ERoomParametersAnswer::Ok};
    f.dialogs.roomParameters = [&](Form& form) {
        const ERoomParametersAnswer answer = answers.front();
        answers.erase(answers.begin());
        form.Field(Form::kRoomWidth).text = "7";
        return answer == ERoomParametersAnswer::Ok && !form.Accept() ? ERoomParametersAnswer::Cancel
                                                                     : answer;
    };
    ASSERT_TRUE(f.doc.OnCommand(kCmdRoomParameters));
    EXPECT_EQ(f.dialogs.roomParametersRuns, 3);
    EXPECT_EQ(f.doc.Room().roomWidth, 7);
}

TEST(RoomParametersNewProject, TakesTheApplicationsUnitAndHasNoCancel) {
    CDocFixture f;
    EditSettings(f.doc)->lengthUnit = kUnitMetric;
    f.settings.values["LENGTH_UNIT/LengthUnit"] = kUnitImperial;
    bool cancelShown = true;
    int unitShown = -1;
    f.dialogs.roomParameters = [&](Form& form) {
        cancelShown = form.CancelVisible();
        unitShown = form.UnitCombo().selection;
        return ERoomParametersAnswer::Cancel; // closed with the window's close control
    };
    CColorMapViewModel view(f.doc);
    view.OnInitialUpdate();
    EXPECT_FALSE(cancelShown);
    EXPECT_EQ(unitShown, kUnitImperial);
    EXPECT_EQ(f.doc.Settings().lengthUnit, kUnitImperial);
    EXPECT_EQ(f.doc.Room().roomLength, 10); // construction defaults kept
    EXPECT_TRUE(f.settings.writes.empty());
}

TEST(InitialSettings, FirstStartAsksOnceAndRecordsTheUnit) {
    CMemorySettings settings;
    CScriptedDialogs dialogs;
    dialogs.initialSettings = [](CInitialSettingsForm& form) {
        EXPECT_EQ(form.Title(), "Initial Settings");
        EXPECT_EQ(CInitialSettingsForm::UnitsLabel(), "Units : ");
        EXPECT_TRUE(form.CancelVisible());
        EXPECT_EQ(form.UnitCombo().items, (std::vector<std::string>{"Metric", "Imperial"}));
        EXPECT_EQ(form.Unit(), kUnitMetric);
        form.SelectUnit(kUnitImperial);
        return true;
    };
    int unit = -1;
    ASSERT_TRUE(RunFirstStartSettings(settings, &dialogs, unit));
    EXPECT_EQ(unit, kUnitImperial);
    EXPECT_EQ(settings.writes, (std::vector<std::string>{"LENGTH_UNIT/LengthUnit=1",
                                                         "IS_APP_FIRST_TIME/IsAppFirstTime=0"}));
    dialogs.initialSettings = [](CInitialSettingsForm&) {
        ADD_FAILURE() << "asked again";
        return false;
    };
    ASSERT_TRUE(RunFirstStartSettings(settings, &dialogs, unit));
    EXPECT_EQ(unit, kUnitImperial);
    EXPECT_EQ(settings.writes.size(), 2u);
}

TEST(InitialSettings, CancelEndsTheProgramAndWritesNothing) {
    CMemorySettings settings;
    settings.values["LENGTH_UNIT/LengthUnit"] = 1;
    CScriptedDialogs dialogs;
    dialogs.initialSettings = [](CInitialSettingsForm& form) {
        EXPECT_EQ(form.Unit(), kUnitImperial); // preselected from the current unit
        return false;
    };
    int unit = -1;
    EXPECT_FALSE(RunFirstStartSettings(settings, &dialogs, unit));
    EXPECT_TRUE(settings.writes.empty());
}

TEST(RoomParametersForm, UnitsAndOrientationsAreChosenByTheirValues) {
    Form form(Metric(), 2, true);
    EXPECT_EQ(form.UnitCombo().Choice(form.UnitCombo().IndexOf(kUnitImperial)),
              (CChoice<double>{Strings::kImperial, kUnitImperial}));
    ASSERT_TRUE(form.SelectUnit(static_cast<int>(form.UnitCombo().values.back())));
    EXPECT_EQ(form.UnitCombo().SelectedValue(), kUnitImperial);
    const int yz = form.OrientationCombo().IndexOf(Form::kParallelToYZ);
    EXPECT_EQ(form.OrientationCombo().Choice(yz).label, Strings::kParallelToYZ);
    form.SelectOrientation(static_cast<int>(form.OrientationCombo().Choice(yz).value));
    EXPECT_EQ(form.OrientationCombo().SelectedValue(), Form::kParallelToYZ);
}
