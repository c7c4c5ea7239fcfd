// The Room Parameters dialog of a colour map view and what its OK changes in the project.
#include "acoustics/RoomField.h"
#include "common/Units.h"
#include "project/ColorMapViewModel.h"
#include "project/DAXDoc.h"
#include "project/Strings.h"
#include "project/forms/RoomParametersForm.h"
#include "project/forms/SurfacesAndAirForm.h"

#include <cctype>

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
    v.ceilingType = doc.Room().ceilingType;
    v.planeSameAsRoom = doc.Settings().planeSameAsRoom;
    v.roomZeroX = doc.Room().roomZeroX;
    v.roomZeroY = doc.Room().roomZeroY;
    v.roomLength = doc.Room().roomLength;
    v.roomWidth = doc.Room().roomWidth;
    v.roomHeight = doc.Room().roomHeight;
    v.gridPitchX = doc.Room().gridPitchX;
    v.gridPitchY = doc.Room().gridPitchY;
    v.originX = plane.originX, v.originY = plane.originY, v.originZ = plane.originZ;
    v.extentX = plane.extentX, v.extentY = plane.extentY, v.extentZ = plane.extentZ;
    v.dotPitch = plane.dotPitch;
    v.colorMaximum = plane.colorMaximum;
    v.colorPitch = plane.colorPitch;
    return v;
}

} // namespace

ERoomParametersAnswer CColorMapViewModel::RunRoomParameters(bool commandMode) {
    const CColorMapCondition* condition = Condition();
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
    ProjectView(unitChanged || m_autoFit);
    return ERoomParametersAnswer::Ok;
}

bool CDAXDoc::ApplyRoomParameters(const CRoomParameters& r) {
    m_settings.projectName = r.projectName;
    m_settings.projectDate = r.projectDate;
    m_settings.planeSameAsRoom = r.planeSameAsRoom;
    m_room.ceilingType = r.ceilingType;
    m_settings.installHeight = r.roomHeight;
    m_room.roomZeroX = r.roomZeroX;
    m_room.roomZeroY = r.roomZeroY;
    m_room.roomLength = r.roomLength;
    m_room.roomWidth = r.roomWidth;
    m_room.roomHeight = r.roomHeight;
    m_room.gridPitchX = r.gridPitchX;
    m_room.gridPitchY = r.gridPitchY;
    // All views share one plane definition.
    for (int i = 0; i < m_conditions.Count(); ++i)
        m_conditions.At(i)->plane.Build(r.originX, r.originY, r.originZ, r.extentX, r.extentY,
                                        r.extentZ, r.dotPitch, r.colorMaximum, r.colorPitch);

    const bool unitChanged = r.lengthUnit != m_settings.lengthUnit;
    m_settings.lengthUnit = r.lengthUnit;
    if (CSettingsPort* settings = m_ports.settings)
        settings->WriteInt(SettingsKeys::kLengthUnitSection, SettingsKeys::kLengthUnit,
                           r.lengthUnit);
    if (unitChanged) {
        const double factor = r.lengthUnit == kUnitImperial ? kMetresToFeet : kFeetToMetres;
        m_room.ScalePositions(factor);
        for (CListeningPoint& point : m_settings.listeningPoints)
            point.position = point.position * factor;
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

CFlowResult CDAXDoc::SurfacesAndAir() {
    CEditStep step(*this, Strings::kStepSurfacesAndAir);
    std::vector<std::string> problems;
    CMaterialLibrary library = CMaterialLibrary::Installed(&problems);
    for (const std::string& problem : problems)
        Messages().ReportError("The material library could not be read: " + problem + ".");
    CSurfacesAndAirForm form(m_settings.roomAcoustics, m_settings.speech,
                             RoomSizeOf(Scene()), std::move(library));
    if (!Dialogs().RunSurfacesAndAir(form))
        return CFlowResult::Cancelled(EFlowReason::DialogClosed);
    if (!AcceptAnswer(form, Messages()))
        return CFlowResult::Refused(EFlowReason::EntryRefused);
    return SetRoomAcoustics(form.Acoustics(), form.Speech());
}

CFlowResult CDAXDoc::SetRoomAcoustics(const CRoomAcoustics& acoustics,
                                      const CSpeechSettings& speech) {
    CEditStep step(*this, Strings::kStepSurfacesAndAir);
    std::string error = RoomAcousticsError(acoustics);
    if (error.empty())
        error = SpeechSettingsError(speech);
    if (!error.empty()) {
        error[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(error[0])));
        return {EFlowStatus::Refused, EFlowReason::EntryRefused, error + "."};
    }
    if (acoustics == m_settings.roomAcoustics && speech == m_settings.speech)
        return CFlowResult::Done();
    m_settings.roomAcoustics = acoustics;
    m_settings.speech = speech;
    Notify(CDocumentChange::Planes());
    SetModified();
    return CFlowResult::Done();
}
