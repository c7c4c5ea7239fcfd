// Automatic installation: the dialog, the coverage measurement of one test speaker and the
// ceiling grid that replaces every installation of the project.
#include "acoustics/AutoInstallation.h"
#include "project/ColorMapViewModel.h"
#include "project/DAXDoc.h"
#include "project/Strings.h"
#include "project/forms/AutoInstallationForm.h"

#include <algorithm>
#include <cmath>

namespace {
CFlowResult Tell(CMessagePort& messages, const char* text) {
    messages.ReportError(text);
    return CFlowResult::Failed(text);
}

// The annotations show the automatic-installation results only while they are valid.
void RepaintMaps(CDAXDoc& doc) {
    doc.MapViews().ForEach([](CColorMapViewModel& view) {
        if (view.onRepaint)
            view.onRepaint();
    });
}

const CColorMapCondition* MeasuringCondition(const CDAXDoc& doc) {
    const CColorMapConditionList& list = doc.Conditions();
    const CColorMapCondition* current = list.At(list.currentIndex);
    return current ? current : list.At(0);
}
} // namespace

CFlowResult CDAXDoc::AutoInstallation() {
    CEditStep step(*this, Strings::kStepAutoInstallation);
    CSpeakerModel* model = CurrentModel();
    if (!model)
        return CFlowResult::Refused(EFlowReason::NothingCurrent);
    const CColorMapCondition* firstPlane = m_conditions.At(0);
    if (firstPlane && firstPlane->plane.originZ == m_room.roomHeight) {
        Messages().Inform(Strings::kPlaneAtCeiling);
        return CFlowResult::Refused(EFlowReason::PlaneAtCeiling);
    }

    const int modelIndex = m_models.CurrentIndex();
    const int tap = model->DefaultTap();
    const double power = model->Tap(tap).tapPower; // a bad tap table ends the command here
    CAutoInstallationValues shown;
    shown.pattern = m_settings.autoLayoutPattern;
    shown.shape = m_settings.autoLayoutShape;
    shown.height =
        m_settings.installHeight == kUnsetSentinel ? m_room.roomHeight : m_settings.installHeight;
    shown.angles.azimuth =
        m_settings.installAngles.azimuth == kUnsetSentinel ? 0.0 : m_settings.installAngles.azimuth;
    shown.angles.rotation = m_settings.installAngles.rotation == kUnsetSentinel
                                ? 0.0
                                : m_settings.installAngles.rotation;
    shown.angles.elevation = m_settings.installAngles.elevation == kUnsetSentinel
                                 ? (model->Kind() == kKindCeiling ? 90.0 : 0.0)
                                 : m_settings.installAngles.elevation;
    shown.band = m_settings.autoJudgeBand;
    shown.frequency = m_settings.autoJudgeFrequency;

    CAutoInstallationForm form(shown, model->Header().pointsPerOctave, m_settings.lengthUnit,
                               FormRowsLevel());
    if (firstPlane)
        form.LimitHeight(firstPlane->plane.originZ, m_room.roomHeight);
    if (!Dialogs().RunAutoInstallation(form))
        return CFlowResult::Cancelled(EFlowReason::DialogClosed);
    if (!AcceptAnswer(form, Messages()))
        return CFlowResult::Refused(EFlowReason::EntryRefused);
    const CAutoInstallationValues& chosen = form.Result();
    m_settings.autoLayoutShape = chosen.shape;
    m_settings.autoLayoutPattern = chosen.pattern;
    m_settings.autoJudgeBand = chosen.band;
    m_settings.autoJudgeFrequency = chosen.frequency;
    m_settings.installAngles = chosen.angles;
    m_settings.installHeight = chosen.height;
    // The stored inputs no longer describe the installed grid.
    m_settings.autoLayoutValid = 0;
    RepaintMaps(*this);

    const bool straightDown = chosen.angles == COrientation{0.0, 0.0, 90.0};
    if (chosen.shape == kShapeHexagonal && (!straightDown || model->IsKindZero()) &&
        !Messages().Confirm(Strings::kHexagonalDoubtful))
        return CFlowResult::Cancelled(EFlowReason::NotConfirmed);

    const double h0 = chosen.height;
    CInstallationElement test;
    test.position = {m_room.roomZeroX, m_room.roomZeroY, h0};
    test.orientation = chosen.angles;
    test.modelIndex = modelIndex;
    test.tapIndex = tap;
    test.power = power;

    if (m_conditions.Count() == 0) {
        // Nothing to measure on: the test speaker is all that is installed.
        m_room.RemoveAll();
        m_room.AddInstallation(modelIndex, tap, test.position, test.orientation, power, true);
        m_room.SetCurrentIndex(0);
    } else {
        // The test speaker is measured alone in a copy of the room, so that a failed measurement
        // leaves the project's installations as they were.
        CInstallationContainer probe = m_room;
        probe.RemoveAll();
        probe.AddInstallation(modelIndex, tap, test.position, test.orientation, power, true);
        const double z = m_conditions.At(0)->plane.originZ;
        const CColorMapCondition* measuring = MeasuringCondition(*this);
        const CBandIndexRange band =
            JudgmentBandIndices(chosen.band, chosen.frequency, model->Header().pointsPerOctave);
        const double limit =
            CoverageWalkLimit(m_room.roomLength, m_room.roomWidth,
                              std::max(std::fabs(m_room.roomHeight), std::fabs(h0 - z)));
        CCoverage coverage;
        const EWalkStatus walked = MeasureCoverage(
            CAcousticScene::Of(m_models, probe, m_settings.lengthUnit), measuring->mode, band,
            test.position.x, test.position.y, z, limit, coverage);
        if (walked != EWalkStatus::Done) {
            return Tell(Messages(), walked == EWalkStatus::Endless ? Strings::kAutoWalkEndless
                                                                   : Strings::kAutoLevelFailed);
        }
        CAutoLayout layout;
        const ELayoutStatus laid = ComputeAutoLayout(
            chosen.pattern, chosen.shape, coverage,
            {m_room.roomZeroX, m_room.roomZeroY, m_room.roomLength, m_room.roomWidth}, layout);
        if (laid != ELayoutStatus::Done) {
            return Tell(Messages(), laid == ELayoutStatus::TooMany ? Strings::kAutoTooMany
                                                                   : Strings::kAutoNoCoverage);
        }

        m_room.RemoveAll();
        for (const CLayoutPoint& p : layout.positions)
            m_room.AddInstallation(modelIndex, tap, {p.x, p.y, h0}, chosen.angles, power, true);
        m_room.SetCurrentIndex(m_room.Count() - 1);
        m_settings.autoLayoutValid = 1;
        m_settings.autoColumnPitch = layout.columnPitch;
        m_settings.autoRowPitch = layout.rowPitch;
        m_settings.autoLeftOffset = layout.leftOffset;
        m_settings.autoBottomOffset = layout.bottomOffset;
        m_mapViews.ForEach([&](CColorMapViewModel& view) {
            if (view.ConditionIndex() == m_conditions.currentIndex)
                view.ResetSpeakerDependentDisplay();
        });
    }
    // Every installation is now of the current model.
    UpdateInstallState();
    RebuildAllPlanes();
    StandardRefresh();
    return CFlowResult::Done();
}
