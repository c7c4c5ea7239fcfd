// The project commands: when they are enabled and what they do.
#include "project/ColorMapViewModel.h"
#include "project/CommandTable.h"
#include "project/DAXDoc.h"
#include "project/Strings.h"
#include "project/forms/PreferencesForm.h"

#include <new>
#include <optional>

namespace {
// The undoable step a command records when it changes the project, or none.
const char* StepName(int id) {
    switch (id) {
    case kCmdImport:
        return Strings::kStepImportSpeakerData;
    case kCmdArrangeModules:
        return Strings::kStepArrangeModules;
    case kCmdDeleteSpeaker:
        return Strings::kStepDeleteSpeakerData;
    case kCmdAutoInstall:
        return Strings::kStepAutoInstallation;
    case kCmdInstall:
        return Strings::kStepInstallSpeaker;
    case kCmdChangeInstallation:
        return Strings::kStepChangeSpeaker;
    case kCmdRemoveInstallation:
        return Strings::kStepRemoveSpeaker;
    case kCmdRemoveAllInstallations:
        return Strings::kStepRemoveAllSpeakers;
    case kCmdRoomParameters:
        return Strings::kStepRoomParameters;
    case kCmdPreference:
        return Strings::kStepPreferences;
    default:
        return nullptr;
    }
}
} // namespace

bool CDAXDoc::IsCommandEnabled(int id) const {
    const CSpeakerModel* current = CurrentModel();
    switch (id) {
    case kCmdArrangeModules:
        return current && current->CanArrangeModules();
    case kCmdDeleteSpeaker:
    case kCmdExportVd1:
        return models.Count() > 0;
    case kCmdExportSofa:
        return current != nullptr;
    case kCmdAutoInstall:
        return AllPlanesHorizontal() && current && current->CanAutoInstall();
    case kCmdInstall:
        return m_settings.installState != 0 && models.Count() > 0;
    case kCmdChangeInstallation:
    case kCmdRemoveInstallation:
    case kCmdRemoveAllInstallations:
    case kCmdRecalculate:
        return HasInstallations();
    case kCmdNewWindow:
        return false;
    case kCmdUndo:
        return CanUndo();
    case kCmdRedo:
        return CanRedo();
    default:
        return FindCommand(id) != nullptr;
    }
}

bool CDAXDoc::Guarded(const std::function<void()>& entry) {
    // Bad data met by a command (an index outside a table) ends that command, not the program.
    try {
        entry();
        return true;
    } catch (const CInvalidArgument& e) {
        Messages().ReportError(std::string("The command could not be completed: ") + e.what());
    } catch (const std::bad_alloc&) {
        Messages().ReportError("The command could not be completed: not enough memory.");
    }
    return false;
}

bool CDAXDoc::OnCommand(int id) {
    if (!IsCommandEnabled(id))
        return false;
    bool known = true;
    Guarded([&] { known = RunCommand(id); });
    return known;
}

bool CDAXDoc::RunCommand(int id) {
    std::optional<CEditStep> step;
    if (const char* name = StepName(id))
        step.emplace(*this, name);
    if (id == kCmdArrangeModules)
        step->DetachCurrentModel();
    switch (id) {
    case kCmdUndo:
        Undo();
        break;
    case kCmdRedo:
        Redo();
        break;
    case kCmdSave:
        SaveProject();
        break;
    case kCmdPrint:
    case kCmdPrintPreview:
        m_mapViews.ForEach([&](CColorMapViewModel& view) { view.OnViewCommand(id); });
        break;
    case kCmdImport:
        ImportSpeakerData();
        SetModified();
        break;
    case kCmdArrangeModules:
        ArrangeModules();
        break;
    case kCmdDeleteSpeaker:
        DeleteSpeakerData();
        break;
    case kCmdExportVd1:
        ExportSpeakerData();
        break;
    case kCmdExportSofa:
        ExportSpeakerSofa();
        break;
    case kCmdAutoInstall:
        AutoInstallation();
        SetModified();
        break;
    case kCmdInstall:
        if (InstallSpeaker(room.roomZeroX + room.roomLength / 2,
                           room.roomZeroY + room.roomWidth / 2)
                .IsDone())
            StandardRefresh();
        break;
    case kCmdChangeInstallation:
        ChangeCurrentInstallation();
        break;
    case kCmdRemoveInstallation:
        if (RemoveInstallations(false).IsDone())
            StandardRefresh();
        break;
    case kCmdRemoveAllInstallations:
        if (RemoveInstallations(true).IsDone())
            StandardRefresh();
        break;
    case kCmdRoomParameters:
        RoomParameters();
        break;
    case kCmdRecalculate:
        Recalculate();
        break;
    case kCmdPreference:
        Preferences();
        break;
    case kCmdFit:
    case kCmdZoomIn:
    case kCmdZoomOut:
    case kCmdViewMinusX:
    case kCmdViewPlusY:
    case kCmdViewMinusZ:
    case kCmdViewDiagonal:
        m_mapViews.ForEach([&](CColorMapViewModel& view) { view.OnViewCommand(id); });
        SetModified();
        break;
    default:
        return false;
    }
    return true;
}

void CDAXDoc::Recalculate() {
    Notify(CDocumentChange::Recalculation());
    SetModified();
}

CFlowResult CDAXDoc::Preferences() {
    CPreferencesForm form(m_settings.advancedMode, m_settings.manualRecalc);
    if (!Dialogs().RunPreferences(form))
        return CFlowResult::Cancelled(EFlowReason::DialogClosed);
    m_settings.advancedMode = form.AdvancedMode();
    m_settings.manualRecalc = form.ManualRecalc();
    if (m_settings.advancedMode == 0) {
        m_settings.installHeight = room.roomHeight;
        m_settings.installAngles = {kUnsetSentinel, kUnsetSentinel, kUnsetSentinel};
        m_settings.autoJudgeBand = 0.0;
        m_settings.autoJudgeFrequency = 0.0;
    }
    Notify(CDocumentChange::ListSettings());
    SetModified();
    return CFlowResult::Done();
}

CFlowResult CDAXDoc::RoomParameters() {
    CFlowResult outcome = CFlowResult::Cancelled(EFlowReason::DialogClosed);
    m_mapViews.ForEach([&](CColorMapViewModel& view) {
        ERoomParametersAnswer result = ERoomParametersAnswer::Again;
        while (result == ERoomParametersAnswer::Again)
            result = view.RunRoomParameters(true);
        if (result == ERoomParametersAnswer::Ok) {
            m_settings.autoLayoutValid = 0;
            Notify(CDocumentChange::Planes());
            SetModified();
            outcome = CFlowResult::Done();
        }
    });
    return outcome;
}

CFlowResult CDAXDoc::DeleteSpeakerData() {
    if (!Messages().Confirm(Strings::kConfirmRemoveSpeaker))
        return CFlowResult::Cancelled(EFlowReason::NotConfirmed);
    m_settings.autoBottomOffset = m_settings.autoLeftOffset = m_settings.autoRowPitch =
        m_settings.autoColumnPitch = 0.0;
    m_settings.autoLayoutValid = 0;
    m_settings.autoLayoutPattern = 2;
    m_settings.autoLayoutShape = 0;
    m_settings.autoJudgeBand = m_settings.autoJudgeFrequency = 0.0;
    RebuildAllPlanes();
    const int current = models.CurrentIndex();
    room.ForgetModel(current);
    models.RemoveModel(current);
    Notify(CDocumentChange::SpeakerRemoved());
    if (models.Count() == 0)
        ForEachColorMap(&CColorMapViewModel::ResetSpeakerDependentDisplay);
    SetModified();
    return CFlowResult::Done();
}

CFlowResult CDAXDoc::ArrangeModules() {
    CSpeakerModel* model = CurrentModel();
    if (!model)
        return CFlowResult::Refused(EFlowReason::NothingCurrent);
    const double k = model->ArrangeModules(
        m_settings.lengthUnit, &RequirePort(m_ports.arrangement, "module arrangement port"));
    if (k == 0.0)
        return CFlowResult::Cancelled(EFlowReason::DialogClosed);
    const int defaultTap = model->DefaultTap();
    if (defaultTap >= 0 && defaultTap < static_cast<int>(model->Settings().taps.size()) &&
        model->Tap(defaultTap).lowImpedance)
        room.DividePower(models.CurrentIndex(), k);
    SetModified();
    m_settings.autoLayoutValid = 0;
    Notify(CDocumentChange::Arrangement());
    return CFlowResult::Done();
}
