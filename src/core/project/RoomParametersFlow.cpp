// The Room Parameters dialog of a colour map view and what its OK changes in the project.
#include "common/Units.h"
#include "project/ColorMapViewModel.h"
#include "project/DAXDoc.h"
#include "project/forms/RoomParametersForm.h"

namespace {
// The unit new projects take; the settings hold it for the whole application.
int ApplicationUnit(CDAXDoc& doc) {
    CSettingsPort* settings = doc.Ports().settings;
    if (!settings)
        return doc.lengthUnit;
    return settings->ReadInt(SettingsKeys::kLengthUnitSection, SettingsKeys::kLengthUnit, 0) ==
                   kUnitImperial
               ? kUnitImperial
               : kUnitMetric;
}

CRoomParameters ParametersOf(const CDAXDoc& doc, const CListeningPlane& plane) {
    CRoomParameters v;
    v.projectName = doc.projectName;
    v.projectDate = doc.projectDate;
    v.lengthUnit = doc.lengthUnit;
    v.ceilingType = doc.room.ceilingType;
    v.planeSameAsRoom = doc.planeSameAsRoom;
    v.roomZeroX = doc.room.roomZeroX;
    v.roomZeroY = doc.room.roomZeroY;
    v.roomLength = doc.room.roomLength;
    v.roomWidth = doc.room.roomWidth;
    v.roomHeight = doc.room.roomHeight;
    v.gridPitchX = doc.room.gridPitchX;
    v.gridPitchY = doc.room.gridPitchY;
    v.originX = plane.originX, v.originY = plane.originY, v.originZ = plane.originZ;
    v.extentX = plane.extentX, v.extentY = plane.extentY, v.extentZ = plane.extentZ;
    v.dotPitch = plane.dotPitch;
    v.colorMaximum = plane.colorMaximum;
    v.colorPitch = plane.colorPitch;
    return v;
}

// Returns whether the unit changed.
bool Apply(CDAXDoc& doc, const CRoomParameters& r) {
    doc.projectName = r.projectName;
    doc.projectDate = r.projectDate;
    doc.planeSameAsRoom = r.planeSameAsRoom;
    doc.room.ceilingType = r.ceilingType;
    doc.installHeight = r.roomHeight;
    doc.room.roomZeroX = r.roomZeroX;
    doc.room.roomZeroY = r.roomZeroY;
    doc.room.roomLength = r.roomLength;
    doc.room.roomWidth = r.roomWidth;
    doc.room.roomHeight = r.roomHeight;
    doc.room.gridPitchX = r.gridPitchX;
    doc.room.gridPitchY = r.gridPitchY;
    // All views share one plane definition.
    for (int i = 0; i < doc.conditions.Count(); ++i)
        doc.conditions.At(i)->plane.Build(r.originX, r.originY, r.originZ, r.extentX, r.extentY,
                                          r.extentZ, r.dotPitch, r.colorMaximum, r.colorPitch);

    const bool unitChanged = r.lengthUnit != doc.lengthUnit;
    doc.lengthUnit = r.lengthUnit;
    if (CSettingsPort* settings = doc.Ports().settings)
        settings->WriteInt(SettingsKeys::kLengthUnitSection, SettingsKeys::kLengthUnit,
                           r.lengthUnit);
    if (unitChanged) {
        const double factor = r.lengthUnit == kUnitImperial ? kMetresToFeet : kFeetToMetres;
        doc.room.ScalePositions(factor);
        if (doc.autoLayoutValid == 1) {
            doc.autoBottomOffset *= factor;
            doc.autoLeftOffset *= factor;
            doc.autoRowPitch *= factor;
            doc.autoColumnPitch *= factor;
        }
        doc.models.SetLengthUnit(r.lengthUnit);
    }
    return unitChanged;
}
} // namespace

ERoomParametersAnswer CColorMapViewModel::RunRoomParameters(bool commandMode) {
    CColorMapCondition* condition = Condition();
    if (!condition)
        return ERoomParametersAnswer::Cancel;
    if (!commandMode)
        m_doc.lengthUnit = ApplicationUnit(m_doc);
    CDocumentPorts& ports = m_doc.Ports();
    CRoomParametersForm form(ParametersOf(m_doc, condition->plane), m_doc.FormRowsLevel(),
                             commandMode);
    const ERoomParametersAnswer answer =
        RequirePort(ports.dialogs, "dialog port").RunRoomParameters(form);
    if (answer != ERoomParametersAnswer::Ok)
        return answer;
    // The desktop dialog refuses bad entries itself; a port that confirms them anyway gets the
    // refusal here and nothing changes.
    std::string message;
    if (!form.Accept(&message)) {
        RequirePort(ports.messages, "message port").ReportError(message);
        return ERoomParametersAnswer::Cancel;
    }
    const bool unitChanged = Apply(m_doc, form.Result());
    ProjectView(unitChanged);
    return ERoomParametersAnswer::Ok;
}
