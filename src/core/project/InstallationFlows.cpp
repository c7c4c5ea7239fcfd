// Installing, editing and removing speakers, with the confirmations the user answers.
#include "common/Errors.h"
#include "project/ColorMapViewModel.h"
#include "project/DAXDoc.h"
#include "project/ListViewModels.h"
#include "project/Strings.h"
#include "project/forms/InstallationForm.h"

#include <algorithm>
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
    for (int i = 0; i < m_room.Count(); ++i) {
        if (i == skip)
            continue;
        if (SameSpot(*m_room.At(i), position, orientation) && !Messages().Confirm(Strings::kSameSpot))
            return false;
    }
    return true;
}

std::vector<CInstallationTapOffer> CDAXDoc::TapOffers(int modelIndex, int index) const {
    std::vector<CInstallationTapOffer> offers;
    if (modelIndex < 0 || modelIndex >= m_models.Count())
        return offers;
    const CSpeakerModel& model = m_models.At(modelIndex);
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
    for (int i = 0; i < m_room.Count(); ++i) {
        if (i == index)
            continue;
        const CInstallationElement& other = *m_room.At(i);
        if (other.modelIndex < 0 || other.modelIndex >= m_models.Count())
            return std::nullopt;
        const CSpeakerModel& otherModel = m_models.At(other.modelIndex);
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
    CEditStep step(*this, Strings::kStepInstallSpeaker);
    CSpeakerModel* model = CurrentModel();
    if (!model)
        return CFlowResult::Refused(EFlowReason::NothingCurrent);
    const int tapRow = model->DefaultTap();
    const bool lowImpedance = model->Tap(tapRow).lowImpedance;
    if (HasInstallations()) {
        const CInstallationElement& first = *m_room.At(0);
        const CSpeakerModel& firstModel = m_models.At(first.modelIndex);
        if (firstModel.Tap(first.tapIndex).lowImpedance != lowImpedance) {
            Messages().Confirm(Strings::kImpedanceMix);
            return CFlowResult::Refused(EFlowReason::ImpedanceMix);
        }
    }
    CInstallationElement proposal;
    proposal.position = {x, y, m_room.roomHeight};
    proposal.orientation = {0.0, 0.0, model->DefaultElevation()};
    proposal.power = model->Tap(tapRow).tapPower;
    proposal.polarityNormal = true;
    proposal.modelIndex = m_models.CurrentIndex();
    proposal.tapIndex = tapRow;
    CInstallationForm form(proposal, m_settings.lengthUnit, FormRowsLevel());
    form.OfferTaps(TapOffers(m_models.CurrentIndex(), -1), tapRow);
    if (CFlowResult entry = RunInstallationForm(form); !entry.IsDone())
        return entry;
    const CInstallationElement& entered = form.Result();
    if (!SameSpotCheck(entered.position, entered.orientation, -1))
        return CFlowResult::Cancelled(EFlowReason::SameSpot);
    m_room.AddInstallation(m_models.CurrentIndex(), entered.tapIndex, entered.position,
                           entered.orientation, entered.power, entered.polarityNormal);
    m_room.SetCurrentIndex(m_room.Count() - 1);
    m_room.SetDelay(m_room.Count() - 1, entered.delay);
    m_settings.autoLayoutValid = 0;
    RebuildAllPlanes();
    StandardRefresh();
    return CFlowResult::Done();
}

CFlowResult CDAXDoc::RunInstallationForm(CInstallationForm& form) {
    if (!Dialogs().RunInstallation(form))
        return CFlowResult::Cancelled(EFlowReason::DialogClosed);
    if (!AcceptAnswer(form, Messages()))
        return CFlowResult::Refused(EFlowReason::EntryRefused);
    return CFlowResult::Done();
}

CFlowResult CDAXDoc::EditInstallation(const CInstallationElement& values, EPlanes planes) {
    CEditStep step(*this, Strings::kStepChangeSpeaker);
    if (!m_room.Current())
        return CFlowResult::Refused(EFlowReason::NothingCurrent);
    CInstallationForm form(values, m_settings.lengthUnit, FormRowsLevel());
    // An installation whose model or tap a damaged file lost keeps its power unchecked and is
    // offered no tap.
    if (values.modelIndex >= 0 && values.modelIndex < m_models.Count()) {
        const CSpeakerModel& model = m_models.At(values.modelIndex);
        if (values.tapIndex >= 0 &&
            values.tapIndex < static_cast<int>(model.Settings().taps.size()))
            form.OfferTaps(TapOffers(values.modelIndex, m_room.CurrentIndex()), values.tapIndex);
    }
    if (CFlowResult entry = RunInstallationForm(form); !entry.IsDone())
        return entry;
    const CInstallationElement& entered = form.Result();
    if (!SameSpotCheck(entered.position, entered.orientation, m_room.CurrentIndex()))
        return CFlowResult::Cancelled(EFlowReason::SameSpot);
    CInstallationElement changed = *m_room.Current();
    changed.position = entered.position;
    changed.orientation = entered.orientation;
    changed.power = entered.power;
    changed.polarityNormal = entered.polarityNormal;
    changed.tapIndex = entered.tapIndex;
    m_room.ReplaceInstallation(m_room.CurrentIndex(), changed);
    m_room.SetDelay(m_room.CurrentIndex(), entered.delay);
    if (planes == EPlanes::Rebuild)
        RebuildAllPlanes();
    StandardRefresh();
    return CFlowResult::Done();
}

CFlowResult CDAXDoc::ChangeCurrentInstallation() {
    const CInstallationElement* current = m_room.Current();
    if (!current)
        return CFlowResult::Refused(EFlowReason::NothingCurrent);
    return EditInstallation(*current, EPlanes::Rebuild);
}

int CDAXDoc::TapForModel(int index, int model, std::optional<int> tap) const {
    const CInstallationElement& e = *m_room.At(index);
    if (tap)
        return *tap;
    if (model == e.modelIndex)
        return e.tapIndex;
    return model >= 0 && model < m_models.Count() ? m_models.At(model).DefaultTap() : 0;
}

CFlowResult CDAXDoc::ChangeInstallationModel(int index, int model, std::optional<int> tap) {
    CEditStep step(*this, Strings::kStepChangeSpeaker);
    if (index < 0 || index >= m_room.Count())
        return CFlowResult::Refused(EFlowReason::NothingCurrent);
    if (model < 0 || model >= m_models.Count())
        return CFlowResult::Refused(EFlowReason::NoSuchModel);
    const CSpeakerModel& m = m_models.At(model);
    const int row = TapForModel(index, model, tap);
    if (row < 0 || row >= static_cast<int>(m.Settings().taps.size()))
        return CFlowResult::Refused(EFlowReason::NoSuchTap);
    if (const std::optional<EFlowReason> refused = RoomRefusesTap(index, m, row))
        return CFlowResult::Refused(*refused);
    CInstallationElement e = *m_room.At(index);
    if (model == e.modelIndex && row == e.tapIndex)
        return CFlowResult::Done();
    e.modelIndex = model;
    e.tapIndex = row;
    // Every box of an arranged array is on the tap.
    e.power = TapPowerOf(m, row).Maximum();
    m_room.ReplaceInstallation(index, e);
    UpdateInstallState();
    RebuildAllPlanes();
    StandardRefresh();
    return CFlowResult::Done();
}

CFlowResult CDAXDoc::RemoveInstallations(bool all) {
    CEditStep step(*this, all ? Strings::kStepRemoveAllSpeakers : Strings::kStepRemoveSpeaker);
    if (!Messages().Confirm(Strings::kConfirmRemoveSpeaker))
        return CFlowResult::Cancelled(EFlowReason::NotConfirmed);
    if (all)
        m_room.RemoveAll();
    else
        m_room.RemoveInstallation(m_room.CurrentIndex());
    AfterRemoval();
    return CFlowResult::Done();
}

CFlowResult CDAXDoc::RemoveInstallationsAt(std::vector<int> rows) {
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    CEditStep step(*this, rows.size() > 1 ? Strings::kStepRemoveSpeakers : Strings::kStepRemoveSpeaker);
    if (rows.empty())
        return CFlowResult::Refused(EFlowReason::NothingCurrent);
    for (int row : rows)
        CheckIndex(row, static_cast<std::size_t>(m_room.Count()), "installation");
    // One speaker is asked about as the command asks; several in one question.
    const std::string question =
        rows.size() == 1 ? std::string(Strings::kConfirmRemoveSpeaker)
                         : Strings::kConfirmRemoveSpeakersBefore + std::to_string(rows.size()) +
                               Strings::kConfirmRemoveSpeakersAfter;
    if (!Messages().Confirm(question))
        return CFlowResult::Cancelled(EFlowReason::NotConfirmed);
    for (auto it = rows.rbegin(); it != rows.rend(); ++it)
        m_room.RemoveInstallation(*it);
    AfterRemoval();
    return CFlowResult::Done();
}

void CDAXDoc::AfterRemoval() {
    m_settings.autoLayoutValid = 0;
    if (!HasInstallations()) {
        // The maps' pointer spectrum goes silent with the last speaker.
        bool shown = false;
        m_mapViews.ForEach([&](CColorMapViewModel& view) { shown = shown || view.Condition(); });
        if (shown)
            SetSpectrumCurves({}, {});
        for (int i = 0; i < m_conditions.Count(); ++i) {
            CListeningPlane& plane = m_conditions.At(i)->plane;
            plane.maximumLevel = plane.minimumLevel = plane.pinkNoiseAverage =
                plane.musicSpeechAverage = 0.0;
        }
    }
    RebuildAllPlanes();
    StandardRefresh();
}
