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
        return doc.Settings().lengthUnit;
    return settings->ReadInt(SettingsKeys::kLengthUnitSection, SettingsKeys::kLengthUnit, 0) ==
                   kUnitImperial
               ? kUnitImperial
               : kUnitMetric;
}

CRoomParameters ParametersOf(const CDAXDoc& doc, const CListeningPlane& plane) {
    CRoomParameters v;
    v.projectName = doc.Settings().projectName;
    v.projectDate = doc.Settings().projectDate;
    v.lengthUnit = doc.Settings().lengthUnit;
    v.ceilingType = doc.room.ceilingType;
    v.planeSameAsRoom = doc.Settings().planeSameAsRoom;
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

} // namespace

ERoomParametersAnswer CColorMapViewModel::RunRoomParameters(bool commandMode) {
    CColorMapCondition* condition = Condition();
    if (!condition)
        return ERoomParametersAnswer::Cancel;
    if (!commandMode)
        m_doc.SetNewProjectUnit(ApplicationUnit(m_doc));
    CDocumentPorts& ports = m_doc.Ports();
    CRoomParametersForm form(ParametersOf(m_doc, condition->plane), m_doc.FormRowsLevel(),
                             commandMode);
    const ERoomParametersAnswer answer =
        RequirePort(ports.dialogs, "dialog port").RunRoomParameters(form);
    if (answer != ERoomParametersAnswer::Ok)
        return answer;
    if (!AcceptAnswer(form, RequirePort(ports.messages, "message port")))
        return ERoomParametersAnswer::Cancel;
    const bool unitChanged = m_doc.ApplyRoomParameters(form.Result());
    ProjectView(unitChanged);
    return ERoomParametersAnswer::Ok;
}

bool CDAXDoc::ApplyRoomParameters(const CRoomParameters& r) {
    m_settings.projectName = r.projectName;
    m_settings.projectDate = r.projectDate;
    m_settings.planeSameAsRoom = r.planeSameAsRoom;
    room.ceilingType = r.ceilingType;
    m_settings.installHeight = r.roomHeight;
    room.roomZeroX = r.roomZeroX;
    room.roomZeroY = r.roomZeroY;
    room.roomLength = r.roomLength;
    room.roomWidth = r.roomWidth;
    room.roomHeight = r.roomHeight;
    room.gridPitchX = r.gridPitchX;
    room.gridPitchY = r.gridPitchY;
    // All views share one plane definition.
    for (int i = 0; i < conditions.Count(); ++i)
        conditions.At(i)->plane.Build(r.originX, r.originY, r.originZ, r.extentX, r.extentY,
                                      r.extentZ, r.dotPitch, r.colorMaximum, r.colorPitch);

    const bool unitChanged = r.lengthUnit != m_settings.lengthUnit;
    m_settings.lengthUnit = r.lengthUnit;
    if (CSettingsPort* settings = m_ports.settings)
        settings->WriteInt(SettingsKeys::kLengthUnitSection, SettingsKeys::kLengthUnit,
                           r.lengthUnit);
    if (unitChanged) {
        const double factor = r.lengthUnit == kUnitImperial ? kMetresToFeet : kFeetToMetres;
        room.ScalePositions(factor);
        if (m_settings.autoLayoutValid == 1) {
            m_settings.autoBottomOffset *= factor;
            m_settings.autoLeftOffset *= factor;
            m_settings.autoRowPitch *= factor;
            m_settings.autoColumnPitch *= factor;
        }
        SetModelsUnit(r.lengthUnit);
    }
    return unitChanged;
}
