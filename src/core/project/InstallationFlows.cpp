// Installing, editing and removing speakers, with the confirmations the user answers.
#include "project/ColorMapViewModel.h"
#include "project/DAXDoc.h"
#include "project/Strings.h"
#include "project/forms/InstallationForm.h"

bool CDAXDoc::SameSpotCheck(const CVec3& position, const COrientation& orientation, int skip) {
    for (int i = 0; i < room.Count(); ++i) {
        if (i == skip)
            continue;
        const CInstallationElement& other = *room.At(i);
        if (other.position == position && other.orientation == orientation &&
            !Messages().Confirm(Strings::kSameSpot))
            return false;
    }
    return true;
}

CFlowResult CDAXDoc::InstallSpeaker(double x, double y) {
    CSpeakerModel* model = CurrentModel();
    if (!model)
        return CFlowResult::Refused(EFlowReason::NothingCurrent);
    const int tapRow = model->DefaultTap();
    const bool lowImpedance = model->Tap(tapRow).lowImpedance;
    if (HasInstallations()) {
        const CInstallationElement& first = *room.At(0);
        const CSpeakerModel& firstModel = models.At(first.modelIndex);
        if (firstModel.Tap(first.tapIndex).lowImpedance != lowImpedance) {
            Messages().Confirm(Strings::kImpedanceMix);
            return CFlowResult::Refused(EFlowReason::ImpedanceMix);
        }
    }
    CInstallationElement proposal;
    proposal.position = {x, y, room.roomHeight};
    proposal.orientation = {0.0, 0.0, model->DefaultElevation()};
    proposal.power = model->Tap(tapRow).tapPower;
    proposal.polarityNormal = true;
    CInstallationForm form(proposal, m_settings.lengthUnit, FormRowsLevel());
    form.LimitPower(TapPowerOf(*model, tapRow));
    if (CFlowResult entry = RunInstallationForm(form); !entry.IsDone())
        return entry;
    const CInstallationElement& entered = form.Result();
    if (!SameSpotCheck(entered.position, entered.orientation, -1))
        return CFlowResult::Cancelled(EFlowReason::SameSpot);
    room.AddInstallation(models.CurrentIndex(), tapRow, entered.position, entered.orientation,
                         entered.power, entered.polarityNormal);
    room.SetCurrentIndex(room.Count() - 1);
    m_settings.autoLayoutValid = 0;
    RebuildAllPlanes();
    return CFlowResult::Done();
}

CFlowResult CDAXDoc::RunInstallationForm(CInstallationForm& form) {
    if (!Dialogs().RunInstallation(form))
        return CFlowResult::Cancelled(EFlowReason::DialogClosed);
    if (!AcceptAnswer(form, Messages()))
        return CFlowResult::Refused(EFlowReason::EntryRefused);
    return CFlowResult::Done();
}

CFlowResult CDAXDoc::EditInstallation(const CInstallationElement& values) {
    if (!room.Current())
        return CFlowResult::Refused(EFlowReason::NothingCurrent);
    CInstallationForm form(values, m_settings.lengthUnit, FormRowsLevel());
    // An installation whose model or tap a damaged file lost keeps its power unchecked.
    if (values.modelIndex >= 0 && values.modelIndex < models.Count()) {
        const CSpeakerModel& model = models.At(values.modelIndex);
        if (values.tapIndex >= 0 &&
            values.tapIndex < static_cast<int>(model.Settings().taps.size()))
            form.LimitPower(TapPowerOf(model, values.tapIndex));
    }
    if (CFlowResult entry = RunInstallationForm(form); !entry.IsDone())
        return entry;
    const CInstallationElement& entered = form.Result();
    if (!SameSpotCheck(entered.position, entered.orientation, room.CurrentIndex()))
        return CFlowResult::Cancelled(EFlowReason::SameSpot);
    room.ModifyCurrentInstallation(entered.position, entered.orientation, entered.power,
                                   entered.polarityNormal);
    return CFlowResult::Done();
}

CFlowResult CDAXDoc::ChangeCurrentInstallation() {
    const CInstallationElement* current = room.Current();
    if (!current)
        return CFlowResult::Refused(EFlowReason::NothingCurrent);
    CFlowResult result = EditInstallation(*current);
    if (result.IsDone()) {
        RebuildAllPlanes();
        StandardRefresh();
    }
    return result;
}

int CDAXDoc::TapForModel(int index, int model, std::optional<int> tap) const {
    const CInstallationElement& e = *room.At(index);
    if (tap)
        return *tap;
    if (model == e.modelIndex)
        return e.tapIndex;
    return model >= 0 && model < models.Count() ? models.At(model).DefaultTap() : 0;
}

CFlowResult CDAXDoc::ChangeInstallationModel(int index, int model, std::optional<int> tap) {
    if (index < 0 || index >= room.Count())
        return CFlowResult::Refused(EFlowReason::NothingCurrent);
    if (model < 0 || model >= models.Count())
        return CFlowResult::Refused(EFlowReason::NoSuchModel);
    const CSpeakerModel& m = models.At(model);
    const int row = TapForModel(index, model, tap);
    if (row < 0 || row >= static_cast<int>(m.Settings().taps.size()))
        return CFlowResult::Refused(EFlowReason::NoSuchTap);
    for (int i = 0; i < room.Count(); ++i) {
        if (i == index)
            continue;
        const CInstallationElement& other = *room.At(i);
        const CSpeakerModel& otherModel = models.At(other.modelIndex);
        if (otherModel.Header().pointsPerOctave != m.Header().pointsPerOctave)
            return CFlowResult::Refused(EFlowReason::OtherResolution);
        if (otherModel.Tap(other.tapIndex).lowImpedance != m.Tap(row).lowImpedance)
            return CFlowResult::Refused(EFlowReason::ImpedanceMix);
        break; // the first other installation stands for the room
    }
    CInstallationElement e = *room.At(index);
    if (model == e.modelIndex && row == e.tapIndex)
        return CFlowResult::Done();
    e.modelIndex = model;
    e.tapIndex = row;
    e.power = m.Tap(row).tapPower;
    room.ReplaceInstallation(index, e);
    UpdateInstallState();
    RebuildAllPlanes();
    StandardRefresh();
    return CFlowResult::Done();
}

CFlowResult CDAXDoc::RemoveInstallations(bool all) {
    if (!Messages().Confirm(Strings::kConfirmRemoveSpeaker))
        return CFlowResult::Cancelled(EFlowReason::NotConfirmed);
    if (all)
        room.RemoveAll();
    else
        room.RemoveInstallation(room.CurrentIndex());
    m_settings.autoLayoutValid = 0;
    if (!HasInstallations()) {
        m_mapViews.ForEach([](CColorMapViewModel& view) { view.PointSpectrum({0, 0, 0}); });
        for (int i = 0; i < conditions.Count(); ++i) {
            CListeningPlane& plane = conditions.At(i)->plane;
            plane.maximumLevel = plane.minimumLevel = plane.pinkNoiseAverage =
                plane.musicSpeechAverage = 0.0;
        }
    }
    RebuildAllPlanes();
    return CFlowResult::Done();
}
