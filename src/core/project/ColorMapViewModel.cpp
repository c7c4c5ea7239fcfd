#include "project/ColorMapViewModel.h"

#include "acoustics/ColorMapCondition.h"
#include "acoustics/RoomField.h"
#include "acoustics/RoomQuantities.h"
#include "acoustics/SpectrumEngine.h"
#include "acoustics/SpectrumJob.h"
#include "common/Errors.h"
#include "common/FormatSignificant.h"
#include "common/MathUtil.h"
#include "common/Units.h"
#include "project/BandChoice.h"
#include "project/CommandTable.h"
#include "project/DAXDoc.h"
#include "project/MapJobs.h"
#include "project/MapService.h"
#include "project/QuantityDisplay.h"
#include "project/Strings.h"

#include <algorithm>
#include <cmath>

CMapResult ResultOf(const CListeningPlane& plane, const CMapResult& previous) {
    CMapResult result;
    result.leftOut = plane.leftOut;
    switch (plane.state) {
    case EMapState::Complete:
        result.status = ECalcStatus::Completed;
        result.computed = plane.pointCount;
        break;
    case EMapState::Incomplete:
        result.status = ECalcStatus::Stopped;
        for (const CPlaceElement& p : plane.points)
            result.computed += !std::isnan(p.level);
        break;
    case EMapState::Failed:
        result.status = ECalcStatus::Failed;
        result.reason = plane.failure;
        break;
    case EMapState::NotCalculated:
        // Dropped as outdated: what was last asked stands.
        result = previous;
        break;
    }
    return result;
}

CColorMapCondition DefaultCondition(int lengthUnit) {
    CColorMapCondition condition;
    if (lengthUnit == kUnitImperial)
        condition.plane.Build(0, 0, 5, 30, 30, 0, 0.5, 100, 2);
    else
        condition.plane.Build(0, 0, 1.5, 10, 10, 0, 0.25, 100, 2);
    return condition;
}

CColorMapViewModel::CColorMapViewModel(CDAXDoc& document)
    : CDocumentView(document), m_doc(document) {
    m_doc.MapViews().Add(this);
}

CColorMapViewModel::~CColorMapViewModel() {
    if (Document())
        m_doc.MapViews().Remove(this);
}

const CColorMapCondition* CColorMapViewModel::Condition() const {
    return m_doc.Conditions().At(m_conditionIndex);
}

CColorMapCondition* CColorMapViewModel::EditCondition() {
    return m_doc.MapCondition(m_conditionIndex);
}

void CColorMapViewModel::OnInitialUpdate() {
    m_doc.Guarded([&] {
        const CColorMapConditionList& list = m_doc.Conditions();
        if (m_doc.Settings().loadedFromFile) {
            // A project file without a calculation plane still gets one to show.
            if (list.Count() == 0)
                m_doc.AppendCondition(DefaultCondition(m_doc.Settings().lengthUnit));
            m_conditionIndex = 0;
            // Reopened, the map fits the pane it has now.
            ProjectView(m_autoFit);
            SyncConditionControls(EListSync::Fill);
            return;
        }
        m_conditionIndex =
            list.At(list.currentIndex)
                ? m_doc.DuplicateCondition(list.currentIndex)
                : m_doc.AppendCondition(DefaultCondition(m_doc.Settings().lengthUnit));
        while (RunRoomParameters(false) == ERoomParametersAnswer::Again) {
        }
        EditCondition()->viewAngles = {45.0, 75.0, 0.0};
        ProjectView(true);
        CalculateMap();
        SyncConditionControls(EListSync::Fill);
    });
}

void CColorMapViewModel::OnUpdate(EUpdateHint hint, const CDocumentChange& change) {
    // A calculation that ended changed no data the drag copies; only the picture follows.
    if (hint == kHintMapResult) {
        if (change.calculatedCondition == m_conditionIndex) {
            if (const CColorMapCondition* condition = Condition())
                m_lastResult = ResultOf(condition->plane, m_lastResult);
            Repaint();
        }
        return;
    }
    // A change under a drag (an undo from the keyboard, another window's edit) ends the drag:
    // the copy of the installations it moves no longer matches the project.
    if (m_dragging) {
        m_dragging = false;
        m_drag.reset();
    }
    m_powerCache.reset();
    if (hint == kHintNone && change.removedCondition >= 0 &&
        m_conditionIndex > change.removedCondition)
        --m_conditionIndex;
    if (hint != kHintAcoustics)
        return;
    // The level under the cursor was read from the map that just changed; the spectrum went too.
    m_readout = {};
    if (change.restored) {
        // The plane came back with its levels and view settings; the projection and the lists
        // follow them.
        ProjectView(false);
        SyncConditionControls(EListSync::Fill);
        Repaint();
        return;
    }
    // A changed room or plane has another outline: a view that fits itself fits it again.
    if (change.planes && m_autoFit)
        ProjectView(true);
    if (m_doc.Settings().manualRecalc == 0 || change.recalculate)
        CalculateMap();
    Repaint();
}

bool CColorMapViewModel::OnViewCommand(int id) {
    switch (id) {
    case kCmdFit:
        Fit();
        break;
    case kCmdZoomIn:
        ZoomIn();
        break;
    case kCmdZoomOut:
        ZoomOut();
        break;
    case kCmdViewMinusX:
        SetViewDirection(90, 90, 0);
        break;
    case kCmdViewPlusY:
        SetViewDirection(0, 90, 0);
        break;
    case kCmdViewMinusZ:
        SetViewDirection(0, 0, 0);
        break;
    case kCmdViewDiagonal:
        SetViewDirection(45, 75, 0);
        break;
    case kCmdAutomaticScale:
        if (CColorMapCondition* c = EditCondition())
            c->automaticScale = !c->automaticScale;
        break;
    default:
        return onViewCommand ? onViewCommand(id) : false;
    }
    Repaint();
    return true;
}

void CColorMapViewModel::Activate() {
    m_doc.Guarded([&] { m_doc.SetCurrentCondition(m_conditionIndex); });
}

bool CColorMapViewModel::Close() {
    return m_doc.Guarded(false, [&]() -> bool {
        const int removed = m_conditionIndex;
        m_conditionIndex = -1;
        m_doc.RemoveCondition(removed);
        return true;
    });
}

void CColorMapViewModel::SettleRestoredMap() {
    CColorMapCondition* condition = EditCondition();
    if (!condition || !condition->plane.calculating)
        return;
    // A job still running was started for another state; its result will be dropped.
    if (m_doc.Settings().manualRecalc == 0)
        CalculateMap();
    else
        condition->plane.calculating = false;
    Repaint();
}

CMapResult CColorMapViewModel::CalculateMap() {
    m_lastResult = CalculateConditionMap(m_doc, m_conditionIndex, mapOptions);
    return m_lastResult;
}

bool CColorMapViewModel::LevelAt(const CVec3& point, double& level) const {
    const CColorMapCondition* condition = Condition();
    if (!condition || !m_doc.HasInstallations())
        return false;
    const CAcousticScene scene = m_doc.Scene();
    const CBandIndexRange band = ConditionBand(scene, *condition);
    double pressure = 0.0;
    if (EngineBandPressure(scene, condition->mode, point, band, pressure) != kBandOk)
        return false;
    level = PressureLevel(pressure);
    return true;
}

bool CColorMapViewModel::PointSpectrum(const CVec3& point) {
    const CColorMapCondition* condition = Condition();
    if (!condition)
        return false;
    if (!m_powerCache)
        m_powerCache = std::make_shared<CSoundPowerCache>();
    const CSpectrumAtPoint spectrum =
        SpectrumAtPoint(m_doc.Scene(), *condition, point, m_powerCache.get());
    if (!spectrum.ok)
        return false;
    m_doc.ShowSpectrum(spectrum);
    return true;
}

double CColorMapViewModel::ListPitch() const {
    return BandListPitch(m_doc);
}

void CColorMapViewModel::SyncConditionControls(EListSync sync) {
    CColorMapCondition* condition = EditCondition();
    if (m_doc.Models().Count() == 0 || !condition) {
        m_band = m_frequency = m_mode = m_quantity = {};
        m_bandChoices.clear();
        m_frequencyChoices.clear();
        m_frequencyCoverage.clear();
        return;
    }
    double band = condition->band;
    CSnappedCentre centre;
    if (sync != EListSync::Take) {
        // With installations the band stays: it is what their map was calculated with.
        const bool reset = sync == EListSync::FillResettingBand && !m_doc.HasInstallations();
        const double pitch = ListPitch();
        m_bandChoices = BandChoices(pitch);
        m_band.Assign(m_bandChoices);
        const CBandSetting settled =
            SettleBand(pitch, reset ? (pitch == 1.0 ? 1.0 : 3.0) : condition->band,
                       condition->centreFrequency);
        band = settled.band;
        centre = settled.centre;
        m_band.selection = m_band.IndexOf(band);
    } else {
        if (const std::optional<double> chosen = m_band.SelectedValue())
            band = *chosen;
        // The selected frequency entry, recomputed on the grid it was chosen from.
        const int entry = m_frequency.selection >= 0 ? m_frequency.selection : 0;
        const double target = entry < m_frequency.Count() ? m_frequency.Choice(entry).value : 0.0;
        centre = SnapToBandCentre(band, target);
    }
    condition->band = band;

    m_frequencyChoices = FrequencyChoices(band);
    m_frequency.Assign(m_frequencyChoices);
    m_frequencyCoverage.clear();
    const CAcousticScene scene = m_doc.Scene();
    const CSpeakerModel* current = m_doc.CurrentModel();
    for (const CFrequencyChoice& choice : m_frequencyChoices) {
        if (m_doc.HasInstallations())
            m_frequencyCoverage.push_back(BandCoverage(scene, band, choice.value));
        else if (current)
            m_frequencyCoverage.push_back(BandCoverage(
                band, choice.value, current->Header().pointsPerOctave,
                current->Header().lowestFrequency, current->Header().highestFrequency));
        else
            m_frequencyCoverage.push_back(EBandCoverage::Inside);
    }
    if (centre.Valid()) {
        condition->centreFrequency = centre.frequency;
        m_frequency.selection = centre.entry;
    }

    if (sync != EListSync::Take) {
        m_mode.Assign(
            {{Strings::kModeInterference, kModeInterference}, {Strings::kModeEnergy, kModeEnergy}});
        m_mode.selection = m_mode.IndexOf(condition->mode);
        std::vector<CChoice<double>> quantities;
        for (const CMapQuantityInfo& info : MapQuantities())
            quantities.push_back(
                {QuantityLabel(info.quantity), static_cast<double>(info.quantity)});
        m_quantity.Assign(quantities);
        m_quantity.selection = m_quantity.IndexOf(static_cast<double>(condition->quantity));
    } else if (const std::optional<double> mode = m_mode.SelectedValue()) {
        condition->mode = static_cast<int>(*mode);
    }
}

void CColorMapViewModel::OnBandSelected(int index) {
    SelectConditionList(m_band, index, Strings::kStepMapBand);
}

void CColorMapViewModel::OnFrequencySelected(int index) {
    SelectConditionList(m_frequency, index, Strings::kStepMapFrequency);
}

void CColorMapViewModel::SelectConditionList(CComboModel& list, int index, const char* stepName) {
    m_doc.Guarded([&] {
        m_doc.ChooseMapSetting(stepName, [&] {
            const CColorMapCondition* condition = Condition();
            if (!condition)
                return CDAXDoc::EMapChoice::Unchanged;
            const double band = condition->band, centre = condition->centreFrequency;
            list.selection = index;
            SyncConditionControls(EListSync::Take);
            return band == condition->band && centre == condition->centreFrequency
                       ? CDAXDoc::EMapChoice::Unchanged
                       : CDAXDoc::EMapChoice::Band;
        });
    });
}

void CColorMapViewModel::OnModeSelected(int index) {
    m_doc.Guarded([&] {
        m_doc.ChooseMapSetting(Strings::kStepMapMode, [&] {
            const CColorMapCondition* condition = Condition();
            if (!condition)
                return CDAXDoc::EMapChoice::Unchanged;
            const int mode = condition->mode;
            m_mode.selection = index;
            SyncConditionControls(EListSync::Take);
            // The plane's grid stays; only how the speakers are summed changes.
            return mode == condition->mode ? CDAXDoc::EMapChoice::Unchanged
                                           : CDAXDoc::EMapChoice::Mode;
        });
    });
}

void CColorMapViewModel::OnQuantitySelected(int index) {
    m_doc.Guarded([&] {
        if (index < 0 || index >= m_quantity.Count())
            return;
        m_doc.ChooseMapSetting(Strings::kStepMapQuantity, [&] {
            const std::optional<EMapQuantity> quantity =
                QuantityByNumber(static_cast<int>(m_quantity.Choice(index).value));
            CColorMapCondition* condition = EditCondition();
            if (!condition || !quantity || *quantity == condition->quantity)
                return CDAXDoc::EMapChoice::Unchanged;
            m_quantity.selection = index;
            condition->quantity = *quantity;
            // The values were of the other quantity; an uncalculated map shows nothing wrong.
            condition->plane.ClearLevels();
            m_readout = {};
            return CDAXDoc::EMapChoice::Mode;
        });
    });
}

void CColorMapViewModel::Project(const CVec3& v, double& u, double& w) const {
    const CColorMapCondition* condition = Condition();
    const auto a = condition ? condition->viewAngles : std::array<double, 3>{0, 0, 0};
    const double c1 = std::cos(DegToRad(a[0])), s1 = std::sin(DegToRad(a[0]));
    const double c2 = std::cos(DegToRad(a[1])), s2 = std::sin(DegToRad(a[1]));
    const double c3 = std::cos(DegToRad(a[2])), s3 = std::sin(DegToRad(a[2]));
    u = c1 * c3 * v.x + s1 * c3 * v.y - s3 * v.z;
    w = (c1 * s3 * s2 - s1 * c2) * v.x + (s1 * s3 * s2 + c1 * c2) * v.y + c3 * s2 * v.z;
}

void CColorMapViewModel::SetPrinting(bool printing, int pageWidth, int pageHeight) {
    m_printing = printing;
    m_pageWidth = pageWidth;
    m_pageHeight = pageHeight;
}

void CColorMapViewModel::ProjectView(bool fit) {
    CColorMapCondition* condition = EditCondition();
    if (!condition)
        return;
    const CInstallationContainer& room = m_doc.Room();
    const CListeningPlane& plane = condition->plane;
    const CVec3 corners[] = {
        {room.roomZeroX, room.roomZeroY, room.roomHeight},
        {room.roomZeroX + room.roomLength, room.roomZeroY, room.roomHeight},
        {room.roomZeroX + room.roomLength, room.roomZeroY + room.roomWidth, room.roomHeight},
        {room.roomZeroX, room.roomZeroY + room.roomWidth, room.roomHeight},
        {plane.originX, plane.originY, plane.originZ},
        {plane.originX + plane.extentX, plane.originY, plane.originZ},
        {plane.originX + plane.extentX, plane.originY + plane.extentY,
         plane.originZ + plane.extentZ},
        {plane.originX, plane.originY + plane.extentY, plane.originZ + plane.extentZ},
        {0, 0, 0}};
    bool first = true;
    for (const CVec3& corner : corners) {
        double u = 0, w = 0;
        Project(corner, u, w);
        if (first) {
            m_minU = m_maxU = u;
            m_minW = m_maxW = w;
            first = false;
        }
        m_minU = std::min(m_minU, u), m_maxU = std::max(m_maxU, u);
        m_minW = std::min(m_minW, w), m_maxW = std::max(m_maxW, w);
    }
    const double widthMM = (m_maxU - m_minU) * 1000.0;
    const double heightMM = (m_maxW - m_minW) * 1000.0;
    const auto& m = condition->margins; // left, top, right, bottom
    const int W = m_printing ? m_pageWidth : m_clientWidth;
    const int H = m_printing ? m_pageHeight * kPrintFitHeightPercent / 100 : m_clientHeight;
    // A window or page smaller than its margins has nothing to fit into: the scale stays.
    if (fit)
        // A figure has no annotation lines to keep room for.
        if (const std::optional<double> scale =
                FitScale(widthMM, heightMM, W, H, m, m_figure ? 0 : FontHeight()))
            condition->scale = *scale;
    double pw = condition->scale * widthMM;
    // On screen the picture keeps some width for the annotation texts, but never more than the
    // pane shows: that alone would make a fitted map scroll.
    if (!m_printing)
        pw = std::max(pw, std::min(470.0, static_cast<double>(W - m[0] - m[2])));
    condition->scrollSize[0] = static_cast<int>(std::trunc(pw + m[0] + m[2] - 0.5)) + 1;
    condition->scrollSize[1] =
        static_cast<int>(std::trunc(condition->scale * heightMM + m[1] + m[3] - 0.5)) + 1;
}

void CColorMapViewModel::WorldToPixel(double u, double w, int& px, int& py) const {
    const CColorMapCondition* condition = Condition();
    if (!condition) {
        px = py = 0;
        return;
    }
    const double s = condition->scale;
    const auto& m = condition->margins;
    px = m[0] + 1 - static_cast<int>(std::trunc(0.5 - (u - m_minU) * s * 1000.0));
    py = condition->scrollSize[1] - m[3] + 1 -
         static_cast<int>(std::trunc((w - m_minW) * s * 1000.0 + 0.5));
}

void CColorMapViewModel::SetClientSize(int width, int height) {
    const bool changed = width != m_clientWidth || height != m_clientHeight;
    m_clientWidth = width;
    m_clientHeight = height;
    if (changed && m_autoFit && !m_printing && !m_figure && Condition())
        ProjectView(true);
}

void CColorMapViewModel::ZoomIn() {
    m_autoFit = false;
    if (CColorMapCondition* c = EditCondition()) {
        c->scale *= 1.2;
        ProjectView(false);
    }
}

void CColorMapViewModel::ZoomOut() {
    m_autoFit = false;
    if (CColorMapCondition* c = EditCondition()) {
        c->scale *= 0.8333333333333334;
        ProjectView(false);
    }
}

void CColorMapViewModel::SetViewDirection(double a1, double a2, double a3) {
    if (CColorMapCondition* c = EditCondition()) {
        c->viewAngles = {a1, a2, a3};
        ProjectView(false);
    }
}

void CComboModel::Assign(const std::vector<CChoice<double>>& choices) {
    items.clear();
    values.clear();
    for (const CChoice<double>& choice : choices) {
        items.push_back(choice.label);
        values.push_back(choice.value);
    }
    selection = -1;
}

CChoice<double> CComboModel::Choice(int i) const {
    CheckIndex(i, std::min(items.size(), values.size()), "list entry");
    return {items[static_cast<std::size_t>(i)], values[static_cast<std::size_t>(i)]};
}

int CComboModel::IndexOf(double value) const {
    for (std::size_t i = 0; i < std::min(items.size(), values.size()); ++i)
        if (values[i] == value)
            return static_cast<int>(i);
    return -1;
}

std::optional<double> CComboModel::SelectedValue() const {
    if (selection < 0 || selection >= Count() || selection >= static_cast<int>(values.size()))
        return std::nullopt;
    return values[static_cast<std::size_t>(selection)];
}
