#include "project/UndoHistory.h"

#include "project/DAXDoc.h"
#include "speaker/SpeakerModel.h"

#include <algorithm>
#include <cstring>
#include <unordered_set>
#include <utility>

namespace {
// Bit for bit, so that a shared part saves exactly as the one it stands for (0.0 and -0.0 differ).
bool SameBits(const double* a, const double* b, std::size_t count) {
    return std::memcmp(a, b, count * sizeof(double)) == 0;
}

bool SameGeometry(const CPlaceElementList& a, const CPlaceElementList& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const CPlaceElement &p = a[i], &q = b[i];
        const double first[6] = {p.x, p.y, p.z, p.sizeX, p.sizeY, p.sizeZ};
        const double second[6] = {q.x, q.y, q.z, q.sizeX, q.sizeY, q.sizeZ};
        if (!SameBits(first, second, 6))
            return false;
    }
    return true;
}

bool SameLevels(const CPlaceElementList& points, const std::vector<double>& levels) {
    if (points.size() != levels.size())
        return false;
    for (std::size_t i = 0; i < levels.size(); ++i)
        if (!SameBits(&points[i].level, &levels[i], 1))
            return false;
    return true;
}

std::size_t GridBytes(const CPlaceElementList& grid) {
    return sizeof grid + grid.capacity() * sizeof(CPlaceElement);
}

std::size_t LevelBytes(const std::vector<double>& levels) {
    return sizeof levels + levels.capacity() * sizeof(double);
}

std::size_t GraphBytes(const CSoundGraphConditionList& graphs) {
    std::size_t bytes = 0;
    for (int i = 0; i < graphs.Count(); ++i) {
        const CSoundGraphCondition& g = *graphs.At(i);
        bytes += sizeof g;
        for (const CSoundGraphData& curve : g.data.curves)
            bytes += sizeof curve + curve.name.size() +
                     (curve.frequencies.size() + curve.levels.size()) * sizeof(double);
    }
    return bytes;
}

// One calculation plane as a state keeps it, sharing what equals the reference's.
CDocumentState::CMapState CaptureMap(const CColorMapCondition& live,
                                     const CDocumentState::CMapState* reference,
                                     std::size_t& ownBytes) {
    CDocumentState::CMapState map;
    // Copied whole, then without its points, which are kept apart.
    map.condition = live;
    CPlaceElementList().swap(map.condition.plane.points);
    const CPlaceElementList& points = live.plane.points;
    if (reference && SameGeometry(*reference->grid, points)) {
        map.grid = reference->grid;
    } else {
        map.grid = std::make_shared<const CPlaceElementList>(points);
    }
    if (reference && SameLevels(points, *reference->levels)) {
        map.levels = reference->levels;
    } else {
        std::vector<double> levels(points.size());
        for (std::size_t i = 0; i < points.size(); ++i)
            levels[i] = points[i].level;
        map.levels = std::make_shared<const std::vector<double>>(std::move(levels));
    }
    ownBytes += sizeof map;
    return map;
}
} // namespace

std::size_t ModelBytes(const CSpeakerModel& model) {
    std::size_t bytes = sizeof model;
    for (const CBalloonElement& balloon : model.Balloons())
        bytes += sizeof balloon + balloon.data.size() * sizeof(CSPComplex) +
                 balloon.phiGrid.size() * sizeof(double);
    bytes +=
        (model.Header().thetaGrid.size() + model.Header().frequencyList.size()) * sizeof(double);
    bytes += model.Settings().taps.size() * sizeof(CTapElement);
    bytes += model.Modules().size() * sizeof(CAxisElement) +
             model.States().size() * sizeof(CSPVariableParam) +
             model.Elements().size() * sizeof(CSpeakerElement);
    return bytes;
}

std::shared_ptr<CDocumentState> CDocumentState::Capture(const CDAXDoc& doc,
                                                        const CDocumentState* reference) {
    auto state = std::make_shared<CDocumentState>();
    state->settings = doc.Settings();
    state->room = doc.m_room;
    state->graphs = doc.m_graphs;
    state->ownBytes = sizeof(CDocumentState) + state->settings.projectDate.size() +
                      state->settings.projectName.size() +
                      static_cast<std::size_t>(doc.m_room.Count()) * sizeof(CInstallationElement) +
                      GraphBytes(doc.m_graphs);

    const CColorMapConditionList& conditions = doc.m_conditions;
    state->maps.reserve(static_cast<std::size_t>(conditions.Count()));
    for (int i = 0; i < conditions.Count(); ++i) {
        const std::size_t at = static_cast<std::size_t>(i);
        const CMapState* previous =
            reference && at < reference->maps.size() ? &reference->maps[at] : nullptr;
        state->maps.push_back(CaptureMap(*conditions.At(i), previous, state->ownBytes));
    }
    state->currentCondition = conditions.currentIndex;
    state->models = doc.m_models.Shared();
    state->currentModel = doc.m_models.CurrentIndex();
    return state;
}

void CDocumentState::Restore(CDAXDoc& doc) const {
    // Prepared copies first: any allocation failure leaves the project as it was.
    CInstallationContainer roomCopy = room;
    CSoundGraphConditionList graphsCopy = graphs;
    const std::size_t live = static_cast<std::size_t>(doc.m_conditions.Count());
    std::vector<CPlaceElementList> points;
    points.reserve(std::min(maps.size(), live));
    for (std::size_t i = 0; i < maps.size() && i < live; ++i) {
        CPlaceElementList restored = *maps[i].grid;
        const std::vector<double>& levels = *maps[i].levels;
        for (std::size_t p = 0; p < restored.size(); ++p)
            restored[p].level = levels[p];
        points.push_back(std::move(restored));
    }
    std::vector<std::shared_ptr<CSpeakerModel>> modelsCopy = models;
    CProjectSettings settingsCopy = settings;

    // From here on nothing allocates.
    std::swap(doc.m_room, roomCopy);
    std::swap(doc.m_graphs, graphsCopy);
    for (std::size_t i = 0; i < points.size(); ++i) {
        // Copied without points (nothing to allocate), then it takes the prepared ones over.
        CColorMapCondition& target = *doc.m_conditions.At(static_cast<int>(i));
        target = maps[i].condition;
        target.plane.points.swap(points[i]);
    }
    doc.m_conditions.currentIndex = currentCondition;
    doc.m_models.Adopt(std::move(modelsCopy), currentModel);
    // A model's length unit always follows its project's; models are shared between states.
    doc.ReplaceSettings(std::move(settingsCopy));
}

const CDocumentState* CUndoHistory::Latest() const {
    if (CanUndo())
        return m_steps[m_position - 1].state.get();
    if (CanRedo())
        return m_steps[m_position].state.get();
    return nullptr;
}

void CUndoHistory::Record(CStep step, const std::vector<std::shared_ptr<CSpeakerModel>>& live) {
    if (m_clean && *m_clean > m_position)
        m_clean.reset(); // the saved state was on the branch that goes
    m_steps.erase(m_steps.begin() + static_cast<std::ptrdiff_t>(m_position), m_steps.end());
    m_steps.push_back(std::move(step));
    m_position = m_steps.size();
    std::size_t drop = 0;
    while (m_steps.size() - drop > 1 &&
           (m_steps.size() - drop > m_maxSteps || BytesFrom(drop, live) > m_maxBytes))
        ++drop;
    if (drop == 0)
        return;
    m_steps.erase(m_steps.begin(), m_steps.begin() + static_cast<std::ptrdiff_t>(drop));
    m_position -= drop;
    if (m_clean)
        m_clean = *m_clean >= drop ? std::optional<std::size_t>(*m_clean - drop) : std::nullopt;
}

std::size_t CUndoHistory::Bytes(const std::vector<std::shared_ptr<CSpeakerModel>>& live) const {
    return BytesFrom(0, live);
}

std::size_t CUndoHistory::BytesFrom(std::size_t first,
                                    const std::vector<std::shared_ptr<CSpeakerModel>>& live) const {
    std::size_t bytes = 0;
    std::unordered_set<const void*> counted;
    for (const std::shared_ptr<CSpeakerModel>& model : live)
        counted.insert(model.get());
    for (std::size_t i = first; i < m_steps.size(); ++i) {
        const CDocumentState& state = *m_steps[i].state;
        bytes += state.ownBytes;
        for (const CDocumentState::CMapState& map : state.maps) {
            if (counted.insert(map.grid.get()).second)
                bytes += GridBytes(*map.grid);
            if (counted.insert(map.levels.get()).second)
                bytes += LevelBytes(*map.levels);
        }
        for (const std::shared_ptr<CSpeakerModel>& model : state.models)
            if (counted.insert(model.get()).second)
                bytes += ModelBytes(*model);
    }
    return bytes;
}

void CUndoHistory::Clear() {
    m_steps.clear();
    m_clean = m_clean == m_position ? std::optional<std::size_t>(0) : std::nullopt;
    m_position = 0;
}
