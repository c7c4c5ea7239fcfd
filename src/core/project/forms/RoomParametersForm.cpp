#include "project/forms/RoomParametersForm.h"

#include "acoustics/ListeningPlane.h"
#include "common/FormatSignificant.h"
#include "common/Units.h"
#include "project/Strings.h"
#include "project/forms/RoomRules.h"

#include <array>
#include <cfloat>

namespace {
using Form = CRoomParametersForm;

// Every length the unit switch converts.
constexpr Form::Edit kLengthFields[] = {
    Form::kRoomZeroX,  Form::kRoomZeroY,  Form::kRoomLength, Form::kRoomWidth, Form::kRoomHeight,
    Form::kGridPitchX, Form::kGridPitchY, Form::kPlaneA,     Form::kPlaneB,    Form::kPlaneC,
    Form::kPlaneD,     Form::kPlaneE,     Form::kDotPitch};

// The order OK checks the fields in; the first refusal is the one the user sees.
constexpr Form::Edit kCheckOrder[] = {
    Form::kPlaneB,     Form::kRoomZeroY,    Form::kDotPitch, Form::kPlaneE,     Form::kRoomHeight,
    Form::kPlaneA,     Form::kRoomZeroX,    Form::kPlaneD,   Form::kRoomWidth,  Form::kGridPitchY,
    Form::kColorPitch, Form::kColorMaximum, Form::kPlaneC,   Form::kRoomLength, Form::kGridPitchX};

struct CPlaneSlots {
    double* a;
    double* b;
    double* c;
    double* d;
    double* e;
};

// Which plane value stands behind A..E for an orientation.
CPlaneSlots SlotsOf(CRoomParameters& v, int orientation) {
    switch (orientation) {
    case Form::kParallelToYZ:
        return {&v.originY, &v.originZ, &v.extentY, &v.extentZ, &v.originX};
    case Form::kParallelToXZ:
        return {&v.originX, &v.originZ, &v.extentX, &v.extentZ, &v.originY};
    default:
        return {&v.originX, &v.originY, &v.extentX, &v.extentY, &v.originZ};
    }
}

// The edit that holds axis `axis` (0 X, 1 Y, 2 Z) of the plane's origin or extent for an
// orientation; the extent along the normal, which has none, is named by the height edit E.
Form::Edit PlaneEditOf(int orientation, int axis, bool extent) {
    static constexpr Form::Edit kOrigins[3][3] = {
        {Form::kPlaneA, Form::kPlaneB, Form::kPlaneE}, // XY: X, Y, Z
        {Form::kPlaneE, Form::kPlaneA, Form::kPlaneB}, // YZ
        {Form::kPlaneA, Form::kPlaneE, Form::kPlaneB}, // XZ
    };
    static constexpr Form::Edit kExtents[3][3] = {
        {Form::kPlaneC, Form::kPlaneD, Form::kPlaneE},
        {Form::kPlaneE, Form::kPlaneC, Form::kPlaneD},
        {Form::kPlaneC, Form::kPlaneE, Form::kPlaneD},
    };
    return extent ? kExtents[orientation][axis] : kOrigins[orientation][axis];
}

std::string LengthUnitText(int unit) {
    return unit == kUnitImperial ? Strings::kUnitFeet : Strings::kUnitMetre;
}
} // namespace

int PlaneOrientation(double extentX, double extentY, double extentZ) {
    if (extentZ == 0.0)
        return Form::kParallelToXY;
    if (extentX == 0.0)
        return Form::kParallelToYZ;
    if (extentY == 0.0)
        return Form::kParallelToXZ;
    return Form::kParallelToXY;
}

CRoomParametersForm::CRoomParametersForm(const CRoomParameters& values, int advancedMode,
                                         bool commandMode)
    : projectName(values.projectName), projectDate(values.projectDate),
      halfSpaceChecked(values.ceilingType == 1), m_sameAsRoom(values.planeSameAsRoom == 1),
      m_commandMode(commandMode), m_original(values), m_result(values) {
    m_unit.Assign({{Strings::kMetric, kUnitMetric}, {Strings::kImperial, kUnitImperial}});
    m_unit.selection = values.lengthUnit == kUnitImperial ? 1 : 0;
    m_orientation.Assign({{Strings::kParallelToXY, kParallelToXY},
                          {Strings::kParallelToYZ, kParallelToYZ},
                          {Strings::kParallelToXZ, kParallelToXZ}});
    m_orientation.selection = PlaneOrientation(values.extentX, values.extentY, values.extentZ);

    auto set = [&](Edit f, double lo, double hi, double value) {
        m_fields[f].minimum = lo;
        m_fields[f].maximum = hi;
        m_fields[f].SetValue(value);
    };
    set(kRoomZeroX, -10000, 10000, values.roomZeroX);
    set(kRoomZeroY, -10000, 10000, values.roomZeroY);
    set(kRoomLength, 0.001, 10000, values.roomLength);
    set(kRoomWidth, 0.001, 10000, values.roomWidth);
    set(kRoomHeight, -10000, 10000, values.roomHeight);
    set(kGridPitchX, -DBL_MAX, DBL_MAX, values.gridPitchX); // any number
    set(kGridPitchY, 0.001, 10000, values.gridPitchY);
    CRoomParameters copy = values;
    const CPlaneSlots slots = SlotsOf(copy, m_orientation.selection);
    set(kPlaneA, -10000, 10000, *slots.a);
    set(kPlaneB, -10000, 10000, *slots.b);
    set(kPlaneC, 0.001, 10000, *slots.c);
    set(kPlaneD, 0.001, 10000, *slots.d);
    set(kPlaneE, -10000, 10000, *slots.e);
    set(kColorMaximum, -10000, 10000, values.colorMaximum);
    set(kColorPitch, 0.001, 10000, values.colorPitch);
    set(kDotPitch, 0.001, 10000, values.dotPitch);

    m_fields[kRoomZeroX].label = Strings::kZeroPositionX;
    m_fields[kRoomZeroY].label = Strings::kZeroPositionY;
    m_fields[kRoomLength].label = Strings::kLengthX;
    m_fields[kRoomWidth].label = Strings::kWidthY;
    m_fields[kRoomHeight].label = Strings::kHeightZ;
    m_fields[kGridPitchX].label = Strings::kGridPitchX;
    m_fields[kGridPitchY].label = Strings::kGridPitchY;
    m_fields[kColorMaximum].label = Strings::kColorMax;
    m_fields[kColorPitch].label = Strings::kColorPitch;
    m_fields[kDotPitch].label = Strings::kDotPitch;
    m_fields[kColorMaximum].unit = m_fields[kColorPitch].unit = Strings::kUnitDecibel;
    SetPlaneLabels();
    SetUnitLabels();

    if (advancedMode == 0)
        for (Edit f : {kRoomZeroX, kRoomZeroY, kPlaneA, kPlaneB})
            m_fields[f].visible = false;
}

std::string CRoomParametersForm::Title() const {
    return Strings::kRoomParametersTitle;
}
std::string CRoomParametersForm::ProjectNameLabel() {
    return Strings::kProjectNameLabel;
}
std::string CRoomParametersForm::DateLabel() {
    return Strings::kDateLabel;
}
std::string CRoomParametersForm::UnitsLabel() {
    return Strings::kUnitsLabel;
}
std::string CRoomParametersForm::SameAsRoomLabel() {
    return Strings::kSameAsRoom;
}
std::string CRoomParametersForm::HalfSpaceLabel() {
    return Strings::kHalfSpace;
}
std::string CRoomParametersForm::FullSpaceLabel() {
    return Strings::kFullSpace;
}
std::array<std::string, 3> CRoomParametersForm::GroupLabels() {
    return {Strings::kRoomDimensions, Strings::kPlaneDimensions, Strings::kColorMapReference};
}

bool CRoomParametersForm::Enabled(Edit field) const {
    const bool followsRoom =
        field == kPlaneA || field == kPlaneB || field == kPlaneC || field == kPlaneD;
    return !(followsRoom && m_sameAsRoom);
}

void CRoomParametersForm::SetUnitLabels() {
    const std::string unit = LengthUnitText(m_unit.selection);
    for (Edit f : kLengthFields)
        m_fields[f].unit = unit;
}

void CRoomParametersForm::SetPlaneLabels() {
    static const char* const kLabels[3][5] = {
        {Strings::kZeroPositionX, Strings::kZeroPositionY, Strings::kLengthX, Strings::kWidthY,
         Strings::kHeightFromXYPlane},
        {Strings::kZeroPositionY, Strings::kZeroPositionZ, Strings::kLengthY, Strings::kWidthZ,
         Strings::kLengthXFromYZPlane},
        {Strings::kZeroPositionX, Strings::kZeroPositionZ, Strings::kLengthX, Strings::kWidthZ,
         Strings::kLengthYFromXZPlane}};
    const int o = m_orientation.selection;
    for (int i = 0; i < 5; ++i)
        m_fields[kPlaneA + i].label = kLabels[o][i];
}

void CRoomParametersForm::SelectOrientation(int orientation) {
    if (orientation < kParallelToXY || orientation > kParallelToXZ)
        return;
    m_orientation.selection = orientation;
    SetPlaneLabels();
}

bool CRoomParametersForm::SelectUnit(int unit, std::string* message) {
    if (unit != kUnitMetric && unit != kUnitImperial)
        return false;
    if (unit == m_unit.selection)
        return true;
    // Convert all or nothing: a half-converted dialog would mix units.
    std::array<double, kFieldCount> values{};
    for (Edit f : kLengthFields) {
        const std::optional<double> v = ParseWholeNumber(m_fields[f].text);
        if (!v) {
            if (message)
                *message = FieldMessage(m_fields[f].label, Strings::kEnterNumber);
            return false;
        }
        values[f] = *v;
    }
    const double factor = unit == kUnitMetric ? kFeetToMetres : kMetresToFeet;
    for (Edit f : kLengthFields)
        m_fields[f].text = FormatSignificant(values[f] * factor, 4);
    m_unit.selection = unit;
    SetUnitLabels();
    return true;
}

bool CRoomParametersForm::Accept(std::string* message) {
    std::array<double, kFieldCount> values{};
    for (Edit f : kCheckOrder) {
        const CNumberField& field = m_fields[f];
        std::optional<double> v;
        if (field.visible) {
            v = field.ParseNamed(message);
        } else {
            // A hidden edit cannot be corrected, so it is not held to the range; it only
            // carries its value.
            v = ParseWholeNumber(field.text);
            if (!v && message)
                *message = FieldMessage(field.label, Strings::kEnterNumber);
        }
        if (!v)
            return false;
        values[f] = *v;
    }

    CRoomParameters r = m_original;
    r.projectName = projectName;
    r.projectDate = projectDate;
    r.lengthUnit = m_unit.selection;
    r.ceilingType = halfSpaceChecked ? 1 : 0;
    r.planeSameAsRoom = m_sameAsRoom ? 1 : 0;
    r.roomZeroX = values[kRoomZeroX];
    r.roomZeroY = values[kRoomZeroY];
    r.roomLength = values[kRoomLength];
    r.roomWidth = values[kRoomWidth];
    r.roomHeight = values[kRoomHeight];
    r.gridPitchX = values[kGridPitchX];
    r.gridPitchY = values[kGridPitchY];
    r.colorMaximum = values[kColorMaximum];
    r.colorPitch = values[kColorPitch];
    r.dotPitch = values[kDotPitch];

    const int o = m_orientation.selection;
    r.extentX = r.extentY = r.extentZ = 0.0; // the extent along the normal is always 0
    const CPlaneSlots slots = SlotsOf(r, o);
    *slots.a = values[kPlaneA];
    *slots.b = values[kPlaneB];
    *slots.c = values[kPlaneC];
    *slots.d = values[kPlaneD];
    *slots.e = values[kPlaneE];
    if (m_sameAsRoom) {
        if (o == kParallelToXY) {
            r.originX = r.roomZeroX, r.originY = r.roomZeroY;
            r.extentX = r.roomLength, r.extentY = r.roomWidth;
        } else if (o == kParallelToYZ) {
            r.originY = r.roomZeroY, r.originZ = 0.0;
            r.extentY = r.roomWidth, r.extentZ = r.roomHeight;
        } else {
            r.originX = r.roomZeroX, r.originZ = 0.0;
            r.extentX = r.roomLength, r.extentZ = r.roomHeight;
        }
    }

    // New input describes a room with a ceiling and a plane inside it; each refusal names the
    // row to correct. A room and plane taken over unchanged (from a project that already holds
    // them) stand as they are.
    const std::string unit = r.lengthUnit == kUnitImperial ? "ft" : "m";
    const auto geometry = [](const CRoomParameters& p) {
        return std::array<double, 11>{p.roomZeroX,  p.roomZeroY, p.roomLength, p.roomWidth,
                                      p.roomHeight, p.originX,   p.originY,    p.originZ,
                                      p.extentX,    p.extentY,   p.extentZ};
    };
    std::string refusal;
    if (geometry(r) != geometry(m_original) || r.lengthUnit != m_original.lengthUnit) {
        refusal = RoomHeightRefusal(FieldName(m_fields[kRoomHeight].label), r.roomHeight, unit);
        const CRoomBox box{r.roomZeroX, r.roomZeroY, r.roomLength, r.roomWidth, r.roomHeight};
        if (refusal.empty())
            refusal = PlaneOutsideRoomRefusal(
                {r.originX, r.originY, r.originZ}, {r.extentX, r.extentY, r.extentZ}, box,
                [&](int axis, bool extent) {
                    return FieldName(m_fields[PlaneEditOf(o, axis, extent)].label);
                },
                unit);
    }
    if (!refusal.empty()) {
        if (message)
            *message = refusal;
        return false;
    }

    // A plane the grid cannot be laid on (a side below a hundredth of the pitch, a negative side
    // taken from the room height, far too many dots) would be left as it was while the room
    // changed; refuse it here instead.
    // Too many dots is refused before anything is built, naming how many were asked for.
    if (const long long requested =
            CListeningPlane::RequestedGridCount(r.extentX, r.extentY, r.extentZ, r.dotPitch);
        requested > kMaxPlanePoints) {
        if (message) {
            std::string text = Strings::kPlaneTooLarge;
            text.replace(text.find("%1"), 2, std::to_string(requested));
            text.replace(text.find("%2"), 2, std::to_string(kMaxPlanePoints));
            *message = text;
        }
        return false;
    }
    {
        CListeningPlane trial;
        trial.Build(r.originX, r.originY, r.originZ, r.extentX, r.extentY, r.extentZ, r.dotPitch,
                    r.colorMaximum, r.colorPitch);
        if (trial.pointCount <= 0) {
            if (message)
                *message = Strings::kPlaneNotBuildable;
            return false;
        }
    }
    m_result = r;
    return true;
}
