// The colour map following a dragged speaker: the drag moves a copy of the installations, and
// CLivePreview recomputes only the moving one per step.
#include "acoustics/AcousticScene.h"
#include "acoustics/CoarseGrid.h"
#include "acoustics/InstallationElement.h"
#include "acoustics/LivePreview.h"
#include "acoustics/RoomField.h"
#include "acoustics/RoomQuantities.h"
#include "common/Errors.h"
#include "project/ColorMapViewModel.h"
#include "project/DAXDoc.h"
#include "project/MapService.h"
#include "project/Strings.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <optional>

struct CColorMapViewModel::CDragState {
    // The preview reads these and nothing of the project, so the project may change while its
    // workers build (a change ends the drag, and the preview's destructor waits for them): the
    // models as shared handles, which keep them alive, and copies of the installations and of
    // the room's acoustics.
    CSpeakerModelContainer models;
    CRoomAcoustics acoustics;
    CSpeechSettings speech;
    CInstallationElementList installations;
    int moving = 0;
    double power = 0.0; // the moving installation's own
    // The pointer is outside both planes: a drop there removes the speaker, so the picture
    // leaves it out (its power is 0 in the copy) until the pointer comes back.
    bool out = false;
    // The map follows only where the drop would recalculate it.
    bool follow = false;
    bool pending = false;
    bool building = false;
    // On a plane far larger than the screen shows, the map follows the mouse on coarser blocks
    // (empty: on every point); the drop calculates every point as always.
    CCoarseGrid coarse;
    // Built on the first step that moves: a click without a move costs nothing. Declared after
    // what it reads, so it stops and waits for its workers before that goes.
    std::unique_ptr<CLivePreview> preview;
    // A map of the total or D/R turns each direct level into its value with the room field of
    // the drag's start: a speaker's power, and so the field, does not depend on where it stands.
    std::optional<CRoomQuantity> quantity;
    std::vector<double> levels;
    int lastMilliseconds = 0;
};

void CColorMapViewModel::BeginDrag() {
    m_drag = std::make_shared<CDragState>();
    m_drag->models.Adopt(m_doc.Models().Shared(), m_doc.Models().CurrentIndex());
    m_drag->acoustics = m_doc.Settings().roomAcoustics;
    m_drag->speech = m_doc.Settings().speech;
    m_drag->installations = m_doc.Room().List();
    m_drag->moving = m_doc.Room().CurrentIndex();
    if (const CInstallationElement* moving = m_drag->installations.At(m_drag->moving))
        m_drag->power = moving->power;
    // The live map follows the direct sound's level; other quantities wait for the drop.
    m_drag->follow = m_doc.Settings().manualRecalc == 0 && Condition() &&
                     Condition()->quantity == EMapQuantity::Direct && m_doc.HasInstallations();
    if (const CColorMapCondition* condition = Condition())
        m_drag->coarse = CoarseGrid(condition->plane, kPreviewPointBudget);
}

const CCoarseGrid* CColorMapViewModel::PreviewGrid() const {
    return m_drag && !m_drag->coarse.Empty() ? &m_drag->coarse : nullptr;
}

void CColorMapViewModel::DragTo(const CPixel& p) {
    if (!m_drag)
        return;
    CInstallationElement* moving = m_drag->installations.At(m_drag->moving);
    if (!moving)
        return;
    const bool out = !InsideInstallationPlane(p) && !InsideCalculationPlane(p);
    CVec3 target = moving->position;
    // Inside a plane but on no cell (an edge pixel) the speaker keeps its last place.
    if (!out)
        DropTarget(p, target);
    if (out == m_drag->out && target == moving->position)
        return;
    m_drag->out = out;
    moving->power = out ? 0.0 : m_drag->power;
    moving->position = target;
    m_drag->pending = m_drag->follow;
    Repaint();
}

const CInstallationElementList& CColorMapViewModel::ShownInstallations() const {
    return m_drag ? m_drag->installations : m_doc.Room().List();
}

int CColorMapViewModel::HiddenInstallation() const {
    return m_drag && m_drag->out ? m_drag->moving : -1;
}

const std::vector<double>* CColorMapViewModel::PreviewLevels() const {
    const CColorMapCondition* condition = Condition();
    if (!m_drag || m_drag->levels.empty() || !condition)
        return nullptr;
    const std::size_t count = m_drag->coarse.Empty() ? condition->plane.points.size()
                                                     : m_drag->coarse.points.size();
    return m_drag->levels.size() == count ? &m_drag->levels : nullptr;
}

bool CColorMapViewModel::PreviewPending() const {
    return m_drag && m_drag->pending;
}

bool CColorMapViewModel::PreviewPreparing() const {
    return m_drag && m_drag->building;
}

std::string CColorMapViewModel::PreviewStatus() const {
    if (!PreviewPreparing())
        return {};
    const int percent = static_cast<int>(std::floor(100.0 * m_drag->preview->BuildProgress()));
    return std::string(Strings::kPreparingLiveMap) + " " + std::to_string(percent) + "%";
}

int CColorMapViewModel::PreviewDelayMs() const {
    constexpr int kPollMs = 20;
    if (PreviewPreparing())
        return kPollMs;
    return std::clamp(m_drag ? m_drag->lastMilliseconds : 0, 15, 500);
}

bool CColorMapViewModel::UpdatePreview() {
    const CColorMapCondition* condition = Condition();
    if (!PreviewPending() || !condition)
        return false;
    CDragState& drag = *m_drag;
    if (!drag.preview) {
        CAcousticScene scene = m_doc.Scene();
        scene.models = &drag.models;
        scene.installations = &drag.installations;
        scene.acoustics = &drag.acoustics;
        scene.speech = &drag.speech;
        if (condition->quantity != EMapQuantity::Direct) {
            try {
                CSoundPowerCache cache;
                drag.quantity.emplace(scene, *condition, cache);
            } catch (const CInvalidArgument&) {
                // The room cannot give the quantity: the drop's map says why.
                drag.pending = drag.follow = false;
                return false;
            }
        }
        drag.building = true;
        CWorkerPool* workers = previewWorkers ? previewWorkers : &CalculationWorkers();
        const std::vector<std::size_t>* coarse =
            drag.coarse.Empty() ? nullptr : &drag.coarse.points;
        if (drag.quantity && drag.quantity->NeedsOctaves()) {
            // The seven octaves at once, each point's geometry found once per step.
            std::vector<std::pair<int, int>> octaves;
            const CBandIndexRange band = OctaveUnion(scene, &octaves);
            drag.preview = std::make_unique<CLivePreview>(
                scene, condition->mode, band, std::move(octaves), *condition, drag.moving, 0,
                CLivePreview::kDefaultMemoryBound, workers, CLivePreview::EBuild::InBackground,
                coarse);
        } else {
            drag.preview = std::make_unique<CLivePreview>(
                scene, *condition, drag.moving, 0, CLivePreview::kDefaultMemoryBound, workers,
                CLivePreview::EBuild::InBackground, coarse);
        }
    }
    if (drag.building) {
        bool stillBuilding = false;
        try {
            stillBuilding = drag.preview->Building();
        } catch (...) {
            // The stored map stays for the rest of the drag; the drop calculates as always.
            drag.building = false;
            drag.pending = false;
            throw;
        }
        if (stillBuilding)
            return false; // the step stays pending
        drag.building = false;
    }
    drag.pending = false;
    const auto start = std::chrono::steady_clock::now();
    CLivePreview::CValueOf value;
    if (drag.quantity) {
        const CRoomQuantity& quantity = *drag.quantity;
        if (quantity.NeedsOctaves())
            value = [&quantity](const double* octaves) {
                COctaveValues levels;
                std::copy(octaves, octaves + kOctaveCount, levels.begin());
                return quantity.FromOctaves(levels);
            };
        else
            value = [&quantity](const double* level) { return quantity.FromDirect(*level); };
    }
    if (!drag.preview->Active() || !drag.preview->Update(drag.levels, value)) {
        drag.levels.clear();
        Repaint(); // the status line goes
        return false;
    }
    drag.lastMilliseconds = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                                 std::chrono::steady_clock::now() - start)
                                                 .count());
    Repaint();
    return true;
}
