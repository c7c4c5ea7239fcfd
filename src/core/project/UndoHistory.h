#pragma once

#include "acoustics/ColorMapCondition.h"
#include "acoustics/InstallationContainer.h"
#include "acoustics/SoundGraphData.h"
#include "common/Vec3.h"
#include "project/DocumentView.h"
#include "project/ProjectSettings.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class CDAXDoc;
class CSpeakerModel;

// Everything of a project that a step can change, held so that unchanged parts are shared: the
// speaker models are the project's own (a model is copied only by the step that changes it), and
// a calculation plane keeps its grid and its levels apart, each the same object as in the
// neighbouring state while it is bit for bit equal, since most edits only recalculate the levels.
// A colour map's view settings (scale, view angles) are saved with its plane and come back with
// it, since a change of the room fits the view anew.
struct CDocumentState {
    struct CMapState {
        CColorMapCondition condition; // everything but the plane's points
        // The plane's points; their levels are those of `levels`, whatever they hold themselves.
        std::shared_ptr<const CPlaceElementList> grid;
        std::shared_ptr<const std::vector<double>> levels; // one per point
    };
    CProjectSettings settings;
    CInstallationContainer room;
    std::vector<CMapState> maps;
    int currentCondition = 0;
    CSoundGraphConditionList graphs;
    std::vector<std::shared_ptr<CSpeakerModel>> models;
    int currentModel = 0;
    // Bytes this state holds besides the models, the grids and the levels, which may be shared.
    std::size_t ownBytes = 0;

    // The project as it is now; grids and levels equal to those of `reference` are shared with
    // it.
    static std::shared_ptr<CDocumentState> Capture(const CDAXDoc& doc,
                                                   const CDocumentState* reference);
    // Puts the project back to this state. Everything that can fail is prepared first, so the
    // project is either unchanged (an exception) or entirely this state.
    void Restore(CDAXDoc& doc) const;
};

// The undo history of one project: named steps, the position between done and undone ones, the
// state that was last saved, and a bound on the count and the memory of the steps.
class CUndoHistory {
public:
    struct CStep {
        std::string name;
        CDocumentChange change; // what the command told the views
        // The state on the other side of the step: before it while it is done, after it while it
        // is undone.
        std::shared_ptr<CDocumentState> state;
    };

    static constexpr std::size_t kDefaultMaxSteps = 100;
    static constexpr std::size_t kDefaultMaxBytes = std::size_t(256) << 20;

    bool CanUndo() const { return m_position > 0; }
    bool CanRedo() const { return m_position < m_steps.size(); }
    // Name of the step an undo or redo would take back or do again; empty when there is none.
    std::string UndoName() const {
        return CanUndo() ? m_steps[m_position - 1].name : std::string();
    }
    std::string RedoName() const { return CanRedo() ? m_steps[m_position].name : std::string(); }
    std::size_t Count() const { return m_steps.size(); }
    std::size_t Position() const { return m_position; }
    // The state most recently captured, to share unchanged planes with.
    const CDocumentState* Latest() const;

    // A done step after the current position; undone steps are dropped first, then the oldest
    // beyond the bounds. `liveModels` are the project's models, which cost the history nothing.
    void Record(CStep step, const std::vector<std::shared_ptr<CSpeakerModel>>& liveModels);
    CStep& UndoStep() { return m_steps[m_position - 1]; }
    CStep& RedoStep() { return m_steps[m_position]; }
    void MovedBack() { --m_position; }
    void MovedForward() { ++m_position; }

    // The project now equals its file.
    void MarkClean() { m_clean = m_position; }
    // The project changed outside any step: the file no longer matches this position.
    void ChangedOutsideSteps() {
        if (m_clean == m_position)
            m_clean.reset();
    }
    bool AtCleanPoint() const { return m_clean == m_position; }
    void Clear();

    void SetBounds(std::size_t maxSteps, std::size_t maxBytes) {
        m_maxSteps = maxSteps > 0 ? maxSteps : 1;
        m_maxBytes = maxBytes;
    }
    // Memory the steps hold beyond the project itself: their own states, each grid and level
    // list once however many states share it, and the models that only they keep (deleted
    // models, the other version of an arranged one or of one whose tap was chosen).
    std::size_t Bytes(const std::vector<std::shared_ptr<CSpeakerModel>>& liveModels) const;

private:
    std::size_t BytesFrom(std::size_t first,
                          const std::vector<std::shared_ptr<CSpeakerModel>>& liveModels) const;

    std::vector<CStep> m_steps;
    std::size_t m_position = 0;
    std::optional<std::size_t> m_clean = 0;
    std::size_t m_maxSteps = kDefaultMaxSteps;
    std::size_t m_maxBytes = kDefaultMaxBytes;
};

// Approximate memory of a speaker model: its balloons and tables.
std::size_t ModelBytes(const CSpeakerModel& model);
