// The project commands: when they are enabled and what they do.
#include "common/Units.h"
#include "project/ColorMapViewModel.h"
#include "project/CommandTable.h"
#include "project/DAXDoc.h"
#include "project/Report.h"
#include "project/Strings.h"
#include "project/forms/InstallationForm.h"
#include "project/forms/PreferencesForm.h"
#include "speaker/ModuleArrangementPort.h"

#include <new>
#include <optional>


bool CDAXDoc::IsCommandEnabled(int id) const {
    const CSpeakerModel* current = CurrentModel();
    switch (id) {
    case kCmdArrangeModules:
        return current && current->CanArrangeModules();
    case kCmdDeleteSpeaker:
    case kCmdExportVd1:
        return m_models.Count() > 0;
    case kCmdExportSofa:
        return current != nullptr;
    case kCmdAutoInstall:
        return AllPlanesHorizontal() && current && current->CanAutoInstall();
    case kCmdInstall:
        return m_settings.installState != 0 && m_models.Count() > 0;
    case kCmdChangeInstallation:
    case kCmdRemoveInstallation:
    case kCmdRemoveAllInstallations:
    case kCmdRecalculate:
        return HasInstallations();
    case kCmdAlignDelays:
        return m_room.Count() >= 2;
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
    } catch (const CBadData& e) {
        Messages().ReportError(std::string(Strings::kCommandNotCompleted) + e.what());
    } catch (const std::bad_alloc&) {
        Messages().ReportError(std::string(Strings::kCommandNotCompleted) +
                               Strings::kNotEnoughMemory + ".");
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
        InstallSpeaker(m_room.roomZeroX + m_room.roomLength / 2,
                       m_room.roomZeroY + m_room.roomWidth / 2);
        break;
    case kCmdChangeInstallation:
        ChangeCurrentInstallation();
        break;
    case kCmdRemoveInstallation:
        RemoveInstallations(false);
        break;
    case kCmdRemoveAllInstallations:
        RemoveInstallations(true);
        break;
    case kCmdRoomParameters:
        RoomParameters();
        break;
    case kCmdSurfacesAndAir:
        SurfacesAndAir();
        break;
    case kCmdAlignDelays:
        AlignDelaysFlow({m_room.CurrentIndex()});
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
    case kCmdAutomaticScale:
        // A way of showing the maps, not a change of the project.
        m_mapViews.ForEach([&](CColorMapViewModel& view) { view.OnViewCommand(id); });
        break;
    default:
        return false;
    }
    return true;
}

CFlowResult CDAXDoc::ChooseMapSetting(const char* stepName,
                                      const std::function<EMapChoice()>& choose) {
    CEditStep step(*this, stepName);
    const EMapChoice changed = choose();
    if (changed == EMapChoice::Unchanged)
        return CFlowResult::Done(); // what was chosen is what the map shows
    if (changed == EMapChoice::Band)
        RebuildAllPlanes();
    Notify(CDocumentChange::Planes());
    SetModified();
    return CFlowResult::Done();
}

void CDAXDoc::Recalculate() {
    Notify(CDocumentChange::Recalculation());
    SetModified();
}

CFlowResult CDAXDoc::Preferences() {
    CEditStep step(*this, Strings::kStepPreferences);
    CSettingsPort* store = m_ports.settings;
    const CReportIdentity identity = ReadReportIdentity(store);
    CPreferencesForm form(m_settings.advancedMode, m_settings.manualRecalc, identity.planner,
                          identity.company);
    if (!Dialogs().RunPreferences(form) || !AcceptAnswer(form, Messages()))
        return CFlowResult::Cancelled(EFlowReason::DialogClosed);
    // The person's identity goes to the application's settings, not into the project.
    if (store && (form.planner != identity.planner || form.company != identity.company))
        WriteReportIdentity(*store, {form.planner, form.company});
    m_settings.advancedMode = form.AdvancedMode();
    m_settings.manualRecalc = form.ManualRecalc();
    if (m_settings.advancedMode == 0) {
        m_settings.installHeight = m_room.roomHeight;
        m_settings.installAngles = {kUnsetSentinel, kUnsetSentinel, kUnsetSentinel};
        m_settings.autoJudgeBand = 0.0;
        m_settings.autoJudgeFrequency = 0.0;
    }
    Notify(CDocumentChange::ListSettings());
    SetModified();
    return CFlowResult::Done();
}

CFlowResult CDAXDoc::RoomParameters() {
    CEditStep step(*this, Strings::kStepRoomParameters);
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
    CEditStep step(*this, Strings::kStepDeleteSpeakerData);
    if (!Messages().Confirm(Strings::kConfirmRemoveSpeaker))
        return CFlowResult::Cancelled(EFlowReason::NotConfirmed);
    m_settings.autoBottomOffset = m_settings.autoLeftOffset = m_settings.autoRowPitch =
        m_settings.autoColumnPitch = 0.0;
    m_settings.autoLayoutValid = 0;
    m_settings.autoLayoutPattern = 2;
    m_settings.autoLayoutShape = 0;
    m_settings.autoJudgeBand = m_settings.autoJudgeFrequency = 0.0;
    RebuildAllPlanes();
    const int current = m_models.CurrentIndex();
    m_room.ForgetModel(current);
    m_models.RemoveModel(current);
    Notify(CDocumentChange::SpeakerRemoved());
    if (m_models.Count() == 0)
        ForEachColorMap(&CColorMapViewModel::ResetSpeakerDependentDisplay);
    SetModified();
    return CFlowResult::Done();
}

void CDAXDoc::LimitArrangedPower(int modelIndex) {
    const CSpeakerModel& model = m_models.At(modelIndex);
    for (int i = 0; i < m_room.Count(); ++i) {
        CInstallationElement e = *m_room.At(i);
        if (e.modelIndex != modelIndex || e.tapIndex < 0 ||
            e.tapIndex >= static_cast<int>(model.Settings().taps.size()))
            continue;
        const CTapPower limit = TapPowerOf(model, e.tapIndex);
        if (TapPowerRefusal(limit, e.power, {}).empty())
            continue;
        e.power = limit.Maximum();
        m_room.ReplaceInstallation(i, e);
    }
}

CFlowResult CDAXDoc::ArrangeModules() {
    CEditStep step(*this, Strings::kStepArrangeModules);
    if (!CurrentModel())
        return CFlowResult::Refused(EFlowReason::NothingCurrent);
    // The dialogs change the model in place: the state before keeps the original.
    step.DetachCurrentModel();
    CSpeakerModel* model = CurrentModel();
    CModuleArrangementPort& port = RequirePort(m_ports.arrangement, "module arrangement port");
    // The picture aims the boxes at the first plane from where the model's first array hangs.
    CArraySite site;
    const CColorMapCondition* first = m_conditions.At(0);
    for (const CInstallationElement& e : m_room.List())
        if (e.modelIndex == m_models.CurrentIndex() && first && first->plane.IsParallelToXY()) {
            const double metres = m_settings.lengthUnit == kUnitImperial ? kFeetToMetres : 1.0;
            site.drop = (e.position.z - first->plane.originZ) * metres;
            site.tilt = e.orientation.elevation;
            site.known = site.drop > 0.0;
            break;
        }
    port.SetSite(site);
    const double k = model->ArrangeModules(m_settings.lengthUnit, &port);
    if (k == 0.0)
        return CFlowResult::Cancelled(EFlowReason::DialogClosed);
    const int defaultTap = model->DefaultTap();
    if (defaultTap >= 0 && defaultTap < static_cast<int>(model->Settings().taps.size()) &&
        model->Tap(defaultTap).lowImpedance)
        m_room.DividePower(m_models.CurrentIndex(), k);
    LimitArrangedPower(m_models.CurrentIndex());
    SetModified();
    m_settings.autoLayoutValid = 0;
    Notify(CDocumentChange::Arrangement());
    return CFlowResult::Done();
}
