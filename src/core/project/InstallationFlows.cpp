// Installing, editing and removing speakers, with the confirmations the user answers.
#include "project/ColorMapViewModel.h"
#include "project/DAXDoc.h"
#include "project/ListViewModels.h"
#include "project/Strings.h"
#include "project/forms/InstallationForm.h"

#include <cmath>

namespace {
// Positions typed as the lists show them (four significant digits) differ from the stored ones
// by less than this; a speaker that close to another sits on the same spot. In project units.
constexpr double kSameSpotDistance = 0.001;

bool SameSpot(const CInstallationElement& other, const CVec3& position,
              const COrientation& orientation) {
    return std::fabs(other.position.x - position.x) < kSameSpotDistance &&
           std::fabs(other.position.y - position.y) < kSameSpotDistance &&
           std::fabs(other.position.z - position.z) < kSameSpotDistance &&
           other.orientation == orientation;
}
} // namespace

bool CDAXDoc::SameSpotCheck(const CVec3& position, const COrientation& orientation, int skip) {
    for (int i = 0; i < room.Count(); ++i) {
        if (i == skip)
            continue;
        if (SameSpot(*room.At(i), position, orientation) && !Messages().Confirm(Strings::kSameSpot))
            return false;
    }
    return true;
}

std::vector<CInstallationTapOffer> CDAXDoc::TapOffers(int modelIndex, int index) const {
    std::vector<CInstallationTapOffer> offers;
    if (modelIndex < 0 || modelIndex >= models.Count())
        return offers;
    const CSpeakerModel& model = models.At(modelIndex);
    const int taps = static_cast<int>(model.Settings().taps.size());
    for (int row = 0; row < taps; ++row) {
        // Numbered from 1, as the tap list numbers its rows.
        CInstallationTapOffer offer{
            std::to_string(row + 1) + ": " + TapText(model.Tap(row)), TapPowerOf(model, row), {}};
        if (RoomRefusesTap(index, model, row) == EFlowReason::ImpedanceMix)
            offer.refusal = Strings::kImpedanceMix;
        offers.push_back(std::move(offer));
    }
    return offers;
}

std::optional<EFlowReason> CDAXDoc::RoomRefusesTap(int index, const CSpeakerModel& model,
                                                   int tap) const {
    for (int i = 0; i < room.Count(); ++i) {
        if (i == index)
            continue;
        const CInstallationElement& other = *room.At(i);
        if (other.modelIndex < 0 || other.modelIndex >= models.Count())
            return std::nullopt;
        const CSpeakerModel& otherModel = models.At(other.modelIndex);
        if (otherModel.Header().pointsPerOctave != model.Header().pointsPerOctave)
            return EFlowReason::OtherResolution;
        if (other.tapIndex >= 0 &&
            other.tapIndex < static_cast<int>(otherModel.Settings().taps.size()) &&
            otherModel.Tap(other.tapIndex).lowImpedance != model.Tap(tap).lowImpedance)
            return EFlowReason::ImpedanceMix;
        break; // the first other installation stands for the room
    }
    return std::nullopt;
}

CFlowResult CDAXDoc::InstallSpeaker(double x, double y) {
    if (m_calculating)
        return CFlowResult::Refused(EFlowReason::Calculating);
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
    proposal.modelIndex = models.CurrentIndex();
    proposal.tapIndex = tapRow;
    CInstallationForm form(proposal, m_settings.lengthUnit, FormRowsLevel());
    form.OfferTaps(TapOffers(models.CurrentIndex(), -1), tapRow);
    if (CFlowResult entry = RunInstallationForm(form); !entry.IsDone())
        return entry;
    const CInstallationElement& entered = form.Result();
    if (!SameSpotCheck(entered.position, entered.orientation, -1))
        return CFlowResult::Cancelled(EFlowReason::SameSpot);
    room.AddInstallation(models.CurrentIndex(), entered.tapIndex, entered.position,
                         entered.orientation, entered.power, entered.polarityNormal);
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
    if (m_calculating)
        return CFlowResult::Refused(EFlowReason::Calculating);
    if (!room.Current())
        return CFlowResult::Refused(EFlowReason::NothingCurrent);
    CInstallationForm form(values, m_settings.lengthUnit, FormRowsLevel());
    // An installation whose model or tap a damaged file lost keeps its power unchecked and is
    // offered no tap.
    if (values.modelIndex >= 0 && values.modelIndex < models.Count()) {
        const CSpeakerModel& model = models.At(values.modelIndex);
        if (values.tapIndex >= 0 &&
            values.tapIndex < static_cast<int>(model.Settings().taps.size()))
            form.OfferTaps(TapOffers(values.modelIndex, room.CurrentIndex()), values.tapIndex);
    }
    if (CFlowResult entry = RunInstallationForm(form); !entry.IsDone())
        return entry;
    const CInstallationElement& entered = form.Result();
    if (!SameSpotCheck(entered.position, entered.orientation, room.CurrentIndex()))
        return CFlowResult::Cancelled(EFlowReason::SameSpot);
    CInstallationElement changed = *room.Current();
    changed.position = entered.position;
    changed.orientation = entered.orientation;
    changed.power = entered.power;
    changed.polarityNormal = entered.polarityNormal;
    changed.tapIndex = entered.tapIndex;
    room.ReplaceInstallation(room.CurrentIndex(), changed);
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
    if (m_calculating)
        return CFlowResult::Refused(EFlowReason::Calculating);
    if (index < 0 || index >= room.Count())
        return CFlowResult::Refused(EFlowReason::NothingCurrent);
    if (model < 0 || model >= models.Count())
        return CFlowResult::Refused(EFlowReason::NoSuchModel);
    const CSpeakerModel& m = models.At(model);
    const int row = TapForModel(index, model, tap);
    if (row < 0 || row >= static_cast<int>(m.Settings().taps.size()))
        return CFlowResult::Refused(EFlowReason::NoSuchTap);
    if (const std::optional<EFlowReason> refused = RoomRefusesTap(index, m, row))
        return CFlowResult::Refused(*refused);
    CInstallationElement e = *room.At(index);
    if (model == e.modelIndex && row == e.tapIndex)
        return CFlowResult::Done();
    e.modelIndex = model;
    e.tapIndex = row;
    // Every box of an arranged array is on the tap.
    e.power = TapPowerOf(m, row).Maximum();
    room.ReplaceInstallation(index, e);
    UpdateInstallState();
    RebuildAllPlanes();
    StandardRefresh();
    return CFlowResult::Done();
}

CFlowResult CDAXDoc::RemoveInstallations(bool all) {
    if (m_calculating)
        return CFlowResult::Refused(EFlowReason::Calculating);
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
