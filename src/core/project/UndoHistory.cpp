#include "project/UndoHistory.h"

#include "project/DAXDoc.h"
#include "speaker/SpeakerModel.h"

#include <algorithm>
#include <unordered_set>
#include <utility>

namespace {
bool SamePlane(const CListeningPlane& a, const CListeningPlane& b) {
    return a.musicSpeechAverage == b.musicSpeechAverage &&
           a.pinkNoiseAverage == b.pinkNoiseAverage && a.dotPitch == b.dotPitch &&
           a.extentX == b.extentX && a.extentY == b.extentY && a.extentZ == b.extentZ &&
           a.originX == b.originX && a.originY == b.originY && a.originZ == b.originZ &&
           a.pointCount == b.pointCount && a.colors == b.colors && a.thresholds == b.thresholds &&
           a.colorMaximum == b.colorMaximum && a.colorPitch == b.colorPitch &&
           a.maximumLevel == b.maximumLevel && a.minimumLevel == b.minimumLevel &&
           a.points == b.points;
}

bool SameContent(const CColorMapCondition& a, const CColorMapCondition& b) {
    return a.centreFrequency == b.centreFrequency && a.band == b.band && a.mode == b.mode &&
           a.scale == b.scale && a.scrollSize == b.scrollSize && a.margins == b.margins &&
           a.viewAngles == b.viewAngles && SamePlane(a.plane, b.plane);
}

std::size_t ConditionBytes(const CColorMapCondition& c) {
    return sizeof c + c.plane.points.capacity() * sizeof(CPlaceElement);
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
    CScalars& s = state->scalars;
    s.manualRecalc = doc.manualRecalc;
    s.advancedMode = doc.advancedMode;
    s.planeSameAsRoom = doc.planeSameAsRoom;
    s.autoLayoutShape = doc.autoLayoutShape;
    s.lengthUnit = doc.lengthUnit;
    s.projectDate = doc.projectDate;
    s.projectName = doc.projectName;
    s.autoLayoutValid = doc.autoLayoutValid;
    s.autoJudgeBand = doc.autoJudgeBand;
    s.autoJudgeFrequency = doc.autoJudgeFrequency;
    s.autoBottomOffset = doc.autoBottomOffset;
    s.autoLeftOffset = doc.autoLeftOffset;
    s.autoRowPitch = doc.autoRowPitch;
    s.autoColumnPitch = doc.autoColumnPitch;
    s.autoLayoutPattern = doc.autoLayoutPattern;
    s.installState = doc.installState;
    s.freshProjectFlag = doc.freshProjectFlag;
    s.installAngles = doc.installAngles;
    s.installHeight = doc.installHeight;

    state->room = doc.room;
    state->graphs = doc.graphs;
    state->ownBytes =
        sizeof(CDocumentState) + s.projectDate.size() + s.projectName.size() +
        static_cast<std::size_t>(doc.room.Count()) * sizeof(CInstallationElement) +
        GraphBytes(doc.graphs);

    const CColorMapConditionList& conditions = doc.conditions;
    state->conditions.reserve(static_cast<std::size_t>(conditions.Count()));
    for (int i = 0; i < conditions.Count(); ++i) {
        const CColorMapCondition& live = *conditions.At(i);
        const std::size_t at = static_cast<std::size_t>(i);
        if (reference && at < reference->conditions.size() &&
            SameContent(*reference->conditions[at], live)) {
            state->conditions.push_back(reference->conditions[at]);
            continue;
        }
        state->conditions.push_back(std::make_shared<const CColorMapCondition>(live));
        state->ownBytes += ConditionBytes(live);
    }
    state->currentCondition = conditions.currentIndex;
    state->models = doc.models.Shared();
    state->currentModel = doc.models.CurrentIndex();
    return state;
}

void CDocumentState::Restore(CDAXDoc& doc) const {
    // Prepared copies first: any allocation failure leaves the project as it was.
    CInstallationContainer room = this->room;
    CSoundGraphConditionList graphs = this->graphs;
    std::vector<CColorMapCondition> restored;
    restored.reserve(conditions.size());
    const int live = doc.conditions.Count();
    for (std::size_t i = 0; i < conditions.size() && static_cast<int>(i) < live; ++i)
        restored.push_back(*conditions[i]);
    std::vector<std::shared_ptr<CSpeakerModel>> models = this->models;
    std::string date = scalars.projectDate, name = scalars.projectName;

    // From here on nothing allocates.
    const CScalars& s = scalars;
    doc.manualRecalc = s.manualRecalc;
    doc.advancedMode = s.advancedMode;
    doc.planeSameAsRoom = s.planeSameAsRoom;
    doc.autoLayoutShape = s.autoLayoutShape;
    doc.lengthUnit = s.lengthUnit;
    doc.projectDate.swap(date);
    doc.projectName.swap(name);
    doc.autoLayoutValid = s.autoLayoutValid;
    doc.autoJudgeBand = s.autoJudgeBand;
    doc.autoJudgeFrequency = s.autoJudgeFrequency;
    doc.autoBottomOffset = s.autoBottomOffset;
    doc.autoLeftOffset = s.autoLeftOffset;
    doc.autoRowPitch = s.autoRowPitch;
    doc.autoColumnPitch = s.autoColumnPitch;
    doc.autoLayoutPattern = s.autoLayoutPattern;
    doc.installState = s.installState;
    doc.freshProjectFlag = s.freshProjectFlag;
    doc.installAngles = s.installAngles;
    doc.installHeight = s.installHeight;
    std::swap(doc.room, room);
    std::swap(doc.graphs, graphs);
    for (std::size_t i = 0; i < restored.size(); ++i) {
        // Copied without its points (nothing to allocate), then it takes them over.
        CColorMapCondition& target = *doc.conditions.At(static_cast<int>(i));
        CPlaceElementList points;
        points.swap(restored[i].plane.points);
        target = restored[i];
        target.plane.points.swap(points);
    }
    doc.conditions.currentIndex = currentCondition;
    doc.models.Adopt(std::move(models), currentModel);
    // A model's length unit always follows its project's; models are shared between states.
    doc.models.SetLengthUnit(doc.lengthUnit);
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
    while (m_steps.size() - drop > 1 && (m_steps.size() - drop > m_maxSteps || [&] {
               std::size_t bytes = 0;
               std::unordered_set<const CSpeakerModel*> counted;
               for (const std::shared_ptr<CSpeakerModel>& model : live)
                   counted.insert(model.get());
               for (std::size_t i = drop; i < m_steps.size(); ++i) {
                   bytes += m_steps[i].state->ownBytes;
                   for (const std::shared_ptr<CSpeakerModel>& model : m_steps[i].state->models)
                       if (counted.insert(model.get()).second)
                           bytes += ModelBytes(*model);
               }
               return bytes > m_maxBytes;
           }()))
        ++drop;
    if (drop == 0)
        return;
    m_steps.erase(m_steps.begin(), m_steps.begin() + static_cast<std::ptrdiff_t>(drop));
    m_position -= drop;
    if (m_clean)
        m_clean = *m_clean >= drop ? std::optional<std::size_t>(*m_clean - drop) : std::nullopt;
}

std::size_t CUndoHistory::Bytes(const std::vector<std::shared_ptr<CSpeakerModel>>& live) const {
    std::size_t bytes = 0;
    std::unordered_set<const CSpeakerModel*> counted;
    std::unordered_set<const void*> shared;
    for (const std::shared_ptr<CSpeakerModel>& model : live)
        counted.insert(model.get());
    for (const CStep& step : m_steps) {
        bytes += step.state->ownBytes;
        for (const std::shared_ptr<CSpeakerModel>& model : step.state->models)
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
