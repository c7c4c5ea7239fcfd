#pragma once

#include "project/ColorMapViewModel.h"
#include "project/forms/NumberField.h"

#include <array>
#include <string>

// What the Room Parameters dialog edits: the project's name, date and unit, the room and the
// calculation plane shared by every colour map view.
struct CRoomParameters {
    std::string projectName;
    std::string projectDate;
    int lengthUnit = 0;
    int ceilingType = 1;
    int planeSameAsRoom = 1;
    double roomZeroX = 0.0, roomZeroY = 0.0;
    double roomLength = 10.0, roomWidth = 10.0, roomHeight = 3.0;
    double gridPitchX = 1.0, gridPitchY = 1.0;
    double originX = 0.0, originY = 0.0, originZ = 0.0;
    double extentX = 0.0, extentY = 0.0, extentZ = 0.0;
    double dotPitch = 0.25;
    double colorMaximum = 100.0;
    double colorPitch = 2.0;
};

// "Room Parameters": the room, the calculation plane and the colour map reference. The plane's
// five edits A..E mean different plane values for each orientation; the dialog relabels them
// when the orientation changes and converts every length when the unit changes.
class CRoomParametersForm {
public:
    enum Edit {
        kRoomZeroX,
        kRoomZeroY,
        kRoomLength,
        kRoomWidth,
        kRoomHeight,
        kGridPitchX,
        kGridPitchY,
        kPlaneA,
        kPlaneB,
        kPlaneC,
        kPlaneD,
        kPlaneE,
        kColorMaximum,
        kColorPitch,
        kDotPitch,
        kFieldCount
    };
    enum Orientation { kParallelToXY = 0, kParallelToYZ = 1, kParallelToXZ = 2 };

    // commandMode: opened by the Room Parameters command (with Cancel); otherwise a new project's
    // first showing. Without advanced mode the zero positions and the plane's A and B are hidden.
    CRoomParametersForm(const CRoomParameters& values, int advancedMode, bool commandMode);

    std::string Title() const;
    bool CancelVisible() const { return m_commandMode; }
    static std::string ProjectNameLabel();
    static std::string DateLabel();
    static std::string UnitsLabel();
    static std::string SameAsRoomLabel();
    static std::string HalfSpaceLabel();
    static std::string FullSpaceLabel();
    // The three group frames: room, calculation plane, colour map reference.
    static std::array<std::string, 3> GroupLabels();

    std::string projectName;
    std::string projectDate;
    bool halfSpaceChecked = true;

    CNumberField& Field(Edit field) { return m_fields[field]; }
    const CNumberField& Field(Edit field) const { return m_fields[field]; }
    // A..D follow the room while "Same as room dimensions" is checked.
    bool Enabled(Edit field) const;

    const CComboModel& UnitCombo() const { return m_unit; }
    const CComboModel& OrientationCombo() const { return m_orientation; }
    bool SameAsRoomChecked() const { return m_sameAsRoom; }

    void SetSameAsRoom(bool checked) { m_sameAsRoom = checked; }
    // Relabels A..E; the texts stay where they are.
    void SelectOrientation(int orientation);
    // Converts every length shown to the other unit, rounded to 4 significant digits. Refused
    // (false, with the message) while a length edit does not hold a number.
    bool SelectUnit(int unit, std::string* message = nullptr);

    // OK: checks the fields in the dialog's order and that the plane can be built; on the first
    // refusal returns false with its message and the dialog stays open.
    bool Accept(std::string* message = nullptr);
    // The values after Accept, the plane already following the room when asked to.
    const CRoomParameters& Result() const { return m_result; }

private:
    void SetUnitLabels();
    void SetPlaneLabels();

    std::array<CNumberField, kFieldCount> m_fields;
    CComboModel m_unit;
    CComboModel m_orientation;
    bool m_sameAsRoom = true;
    bool m_commandMode;
    CRoomParameters m_original;
    CRoomParameters m_result;
};

// Orientation of a plane from its extents, tested Z first, then X, then Y (XY when none is 0).
int PlaneOrientation(double extentX, double extentY, double extentZ);
