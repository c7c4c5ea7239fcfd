// Installing, editing and removing speakers, with the confirmations the user answers.
#include "project/ColorMapViewModel.h"
#include "project/DAXDoc.h"
#include "project/Strings.h"
#include "project/forms/InstallationForm.h"

namespace {
bool Ask(CMessagePort* messages, const std::string& text) {
    return messages && messages->Confirm(text);
}
} // namespace

bool CDAXDoc::SameSpotCheck(const CVec3& position, const COrientation& orientation, int skip) {
    for (int i = 0; i < room.list.Count(); ++i) {
        if (i == skip)
            continue;
        const CInstallationElement& other = *room.list.At(i);
        if (other.position == position && other.orientation == orientation &&
            !Ask(m_ports.messages, Strings::kSameSpot))
            return false;
    }
    return true;
}

int CDAXDoc::InstallSpeaker(double x, double y) {
    if (m_calculating)
        return 1;
    CSpeakerModel* model = CurrentModel();
    if (!model)
        return 1;
    const int tapRow = model->DefaultTap();
    const bool lowImpedance = model->Tap(tapRow).lowImpedance;
    if (HasInstallations()) {
        const CInstallationElement& first = *room.list.At(0);
        const CSpeakerModel& firstModel = models.At(first.modelIndex);
        if (firstModel.Tap(first.tapIndex).lowImpedance != lowImpedance) {
            Ask(m_ports.messages, Strings::kImpedanceMix);
            return 1;
        }
    }
    CInstallationElement proposal;
    proposal.position = {x, y, room.roomHeight};
    proposal.orientation = {0.0, 0.0, model->DefaultElevation()};
    proposal.power = model->Tap(tapRow).tapPower;
    proposal.polarityNormal = true;
    CInstallationForm form(proposal, m_settings.lengthUnit, m_settings.advancedMode);
    if (!m_ports.dialogs || !m_ports.dialogs->RunInstallation(form) || !form.Accept())
        return 1;
    const CInstallationElement& entered = form.Result();
    if (!SameSpotCheck(entered.position, entered.orientation, -1))
        return 1;
    room.AddInstallation(models.CurrentIndex(), tapRow, entered.position, entered.orientation,
                         entered.power, entered.polarityNormal);
    room.list.SetCurrentIndex(room.list.Count() - 1);
    m_settings.autoLayoutValid = 0;
    RebuildAllPlanes();
    return 0;
}

int CDAXDoc::EditInstallation(const CInstallationElement& values) {
    if (m_calculating)
        return 1;
    if (!room.list.Current())
        return 1;
    CInstallationForm form(values, m_settings.lengthUnit, m_settings.advancedMode);
    if (!m_ports.dialogs || !m_ports.dialogs->RunInstallation(form) || !form.Accept())
        return 1;
    const CInstallationElement& entered = form.Result();
    if (!SameSpotCheck(entered.position, entered.orientation, room.list.CurrentIndex()))
        return 1;
    room.ModifyCurrentInstallation(entered.position, entered.orientation, entered.power,
                                   entered.polarityNormal);
    return 0;
}

int CDAXDoc::RemoveInstallations(bool all) {
    if (m_calculating)
        return 1;
    if (!Ask(m_ports.messages, Strings::kConfirmRemoveSpeaker))
        return 1;
    if (all)
        room.RemoveAll();
    else
        room.RemoveInstallation(room.list.CurrentIndex());
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
    return 0;
}
