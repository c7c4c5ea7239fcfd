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
    if (m_calculating)
        return false;
    const CSpeakerModel* current = CurrentModel();
    switch (id) {
    case kCmdArrangeModules:
        return current && current->CanArrangeModules();
    case kCmdDeleteSpeaker:
    case kCmdExportVd1:
        return models.Count() > 0;
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

bool CDAXDoc::OnCommand(int id) {
    if (!IsCommandEnabled(id))
        return false;
    // Bad data met by a command (an index outside a table) ends that command, not the program.
    try {
        return RunCommand(id);
    } catch (const CInvalidArgument& e) {
        if (m_ports.messages)
            m_ports.messages->ReportError(std::string("The command could not be completed: ") +
                                          e.what());
    } catch (const std::bad_alloc&) {
        if (m_ports.messages)
            m_ports.messages->ReportError("The command could not be completed: not enough memory.");
    }
    return true;
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
    case kCmdAutoInstall:
        AutoInstallation();
        SetModified();
        break;
    case kCmdInstall:
        if (InstallSpeaker(room.roomZeroX + room.roomLength / 2,
                           room.roomZeroY + room.roomWidth / 2) == 0)
            StandardRefresh();
        break;
    case kCmdChangeInstallation:
        if (const CInstallationElement* current = room.list.Current();
            current && EditInstallation(*current) == 0) {
            RebuildAllPlanes();
            StandardRefresh();
        }
        break;
    case kCmdRemoveInstallation:
        if (RemoveInstallations(false) == 0)
            StandardRefresh();
        break;
    case kCmdRemoveAllInstallations:
        if (RemoveInstallations(true) == 0)
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
    if (m_calculating)
        return;
    Notify(CDocumentChange::Recalculation());
    SetModified();
}

void CDAXDoc::Preferences() {
    if (m_calculating)
        return;
    CPreferencesForm form(m_settings.advancedMode, m_settings.manualRecalc);
    if (!m_ports.dialogs || !m_ports.dialogs->RunPreferences(form))
        return;
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
}

void CDAXDoc::RoomParameters() {
    if (m_calculating)
        return;
    m_mapViews.ForEach([&](CColorMapViewModel& view) {
        int result = 2;
        while (result == 2)
            result = view.RunRoomParameters(true);
        if (result == 0) {
            m_settings.autoLayoutValid = 0;
            Notify(CDocumentChange::Planes());
            SetModified();
        }
    });
}

void CDAXDoc::DeleteSpeakerData() {
    if (m_calculating)
        return;
    if (!m_ports.messages || !m_ports.messages->Confirm(Strings::kConfirmRemoveSpeaker))
        return;
    m_settings.autoBottomOffset = m_settings.autoLeftOffset = m_settings.autoRowPitch = m_settings.autoColumnPitch = 0.0;
    m_settings.autoLayoutValid = 0;
    m_settings.autoLayoutPattern = 2;
    m_settings.autoLayoutShape = 0;
    m_settings.autoJudgeBand = m_settings.autoJudgeFrequency = 0.0;
    RebuildAllPlanes();
    const int current = models.CurrentIndex();
    if (HasInstallations()) {
        room.RemoveModelInstallations(current);
        for (CInstallationElement& inst : room.list)
            if (inst.modelIndex > current)
                --inst.modelIndex;
    }
    models.RemoveModel(current);
    Notify(CDocumentChange::SpeakerRemoved());
    if (models.Count() == 0)
        ForEachColorMap(&CColorMapViewModel::ResetSpeakerDependentDisplay);
    SetModified();
}

void CDAXDoc::ArrangeModules() {
    if (m_calculating)
        return;
    CSpeakerModel* model = CurrentModel();
    if (!model)
        return;
    const double k = model->ArrangeModules(m_settings.lengthUnit, m_ports.arrangement);
    if (k == 0.0)
        return;
    const int defaultTap = model->DefaultTap();
    if (defaultTap >= 0 && defaultTap < static_cast<int>(model->Settings().taps.size()) &&
        model->Tap(defaultTap).lowImpedance) {
        for (CInstallationElement& inst : room.list)
            if (inst.modelIndex == models.CurrentIndex())
                inst.power = inst.power / k;
        room.UpdateTotalPower();
    }
    SetModified();
    m_settings.autoLayoutValid = 0;
    Notify(CDocumentChange::Arrangement());
}
