// The colour map following a dragged speaker: the drag moves a copy of the installations, and
// CLivePreview recomputes only the moving one per step.
#include "acoustics/AcousticScene.h"
#include "acoustics/InstallationElement.h"
#include "acoustics/LivePreview.h"
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
    // models as shared handles, which keep them alive, and a copy of the installations.
    CSpeakerModelContainer models;
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
    // Built on the first step that moves: a click without a move costs nothing. Declared after
    // what it reads, so it stops and waits for its workers before that goes.
    std::unique_ptr<CLivePreview> preview;
    std::vector<double> levels;
    int lastMilliseconds = 0;
};

void CColorMapViewModel::BeginDrag() {
    m_drag = std::make_shared<CDragState>();
    m_drag->models.Adopt(m_doc.models.Shared(), m_doc.models.CurrentIndex());
    m_drag->installations = m_doc.room.List();
    m_drag->moving = m_doc.room.CurrentIndex();
    if (const CInstallationElement* moving = m_drag->installations.At(m_drag->moving))
        m_drag->power = moving->power;
    m_drag->follow =
        m_doc.Settings().manualRecalc == 0 && Condition() && m_doc.HasInstallations();
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
    return m_drag ? m_drag->installations : m_doc.room.List();
}

int CColorMapViewModel::HiddenInstallation() const {
    return m_drag && m_drag->out ? m_drag->moving : -1;
}

const std::vector<double>* CColorMapViewModel::PreviewLevels() const {
    const CColorMapCondition* condition = Condition();
    if (!m_drag || m_drag->levels.empty() || !condition ||
        m_drag->levels.size() != condition->plane.points.size())
        return nullptr;
    return &m_drag->levels;
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
        drag.building = true;
        drag.preview = std::make_unique<CLivePreview>(
            scene, *condition, drag.moving, 0, CLivePreview::kDefaultMemoryBound,
            previewWorkers ? previewWorkers : &CalculationWorkers(),
            CLivePreview::EBuild::InBackground);
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
    if (!drag.preview->Active() || !drag.preview->Update(drag.levels)) {
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
