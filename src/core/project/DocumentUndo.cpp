// The project's undo history: steps around the commands, undo and redo.
#include "project/ColorMapViewModel.h"
#include "project/DAXDoc.h"
#include "project/MapJobs.h"
#include "project/Strings.h"

#include <exception>

void CDAXDoc::SetModified(bool modified) {
    m_modified = modified;
    if (!modified)
        m_history.MarkClean();
    else if (m_step)
        m_step->m_modifiedDuring = true;
    else
        m_history.ChangedOutsideSteps();
    StateChanged();
}

CDAXDoc::CEditStep::CEditStep(CDAXDoc& doc, std::string name)
    : m_doc(doc), m_name(std::move(name)), m_outer(doc.m_step == nullptr),
      m_exceptions(std::uncaught_exceptions()) {
    if (!m_outer)
        return;
    m_before = CDocumentState::Capture(doc, doc.m_history.Latest());
    m_modifiedBefore = doc.m_modified;
    doc.m_step = this;
}

void CDAXDoc::CEditStep::DetachCurrentModel() {
    if (!m_outer) {
        if (m_doc.m_step)
            m_doc.m_step->DetachCurrentModel();
        return;
    }
    const int index = m_doc.m_models.CurrentIndex();
    if (index < 0 || index >= m_doc.m_models.Count() || index == m_detachedIndex)
        return;
    std::shared_ptr<CSpeakerModel> copy =
        m_detachedIndex < 0 ? CSpeakerModelContainer::CloneModel(m_doc.m_models.At(index))
                            : nullptr;
    if (!copy) {
        // Without a copy (or with a second model changed in one step, which the step cannot
        // hand back) the states sharing the model would change with it, and so would the
        // calculations reading it: they end first.
        m_before.reset();
        m_doc.m_history.Clear();
        m_doc.m_jobs->Cancel();
        return;
    }
    m_original = m_doc.m_models.Replace(index, std::move(copy));
    m_detachedIndex = index;
}

void CDAXDoc::CEditStep::Heard(const CDocumentChange& change) {
    const bool edit = change.installations || change.planes || change.speakerList ||
                      change.arrangement || change.listSettings || change.listeningPoints;
    if (!edit)
        return;
    m_heard = true;
    m_change.installations |= change.installations;
    m_change.planes |= change.planes;
    m_change.speakerList |= change.speakerList;
    m_change.arrangement |= change.arrangement;
    m_change.listSettings |= change.listSettings;
    m_change.listeningPoints |= change.listeningPoints;
}

void CDAXDoc::CEditStep::Changed(const CDocumentChange& change) {
    if (!m_outer) {
        if (m_doc.m_step)
            m_doc.m_step->Changed(change);
        return;
    }
    m_heard = true;
    m_change.installations |= change.installations;
    m_change.planes |= change.planes;
    m_change.speakerList |= change.speakerList;
    m_change.arrangement |= change.arrangement;
    m_change.listSettings |= change.listSettings;
    m_change.currentModel |= change.currentModel;
}

CDAXDoc::CEditStep::~CEditStep() {
    if (!m_outer)
        return;
    m_doc.m_step = nullptr;
    // Undo becomes available (or the flag changed) once the step is closed.
    struct CTellAtEnd {
        const CDAXDoc& doc;
        ~CTellAtEnd() {
            try {
                doc.StateChanged();
            } catch (...) {
            }
        }
    } tell{m_doc};
    try {
        if (std::uncaught_exceptions() > m_exceptions) {
            if (!m_before)
                return;
            m_before->Restore(m_doc);
            m_doc.m_modified = m_modifiedBefore;
            CDocumentChange everything{
                .installations = true, .planes = true, .speakerList = true, .listSettings = true};
            everything.restored = true;
            m_doc.Notify(everything);
            m_doc.ForEachColorMap(&CColorMapViewModel::SettleRestoredMap);
            return;
        }
        if (!m_heard || !m_before) {
            if (!m_heard && m_detachedIndex >= 0)
                m_doc.m_models.Replace(m_detachedIndex, std::move(m_original));
            if (m_modifiedDuring)
                m_doc.m_history.ChangedOutsideSteps();
            return;
        }
        m_doc.m_history.Record({m_name, m_change, std::move(m_before)}, m_doc.m_models.Shared());
    } catch (...) {
        // Nothing may leave a destructor; a history that cannot be kept is dropped.
        m_doc.m_history.Clear();
    }
}

bool CDAXDoc::CanUndo() const {
    return m_history.CanUndo() && !m_step;
}

bool CDAXDoc::CanRedo() const {
    return m_history.CanRedo() && !m_step;
}

std::string CDAXDoc::UndoMenuText() const {
    const std::string name = m_history.UndoName();
    return name.empty() ? Strings::kUndoMenu : std::string(Strings::kUndoMenu) + " " + name;
}

std::string CDAXDoc::RedoMenuText() const {
    const std::string name = m_history.RedoName();
    return name.empty() ? Strings::kRedoMenu : std::string(Strings::kRedoMenu) + " " + name;
}

bool CDAXDoc::Undo() {
    if (!CanUndo())
        return false;
    CUndoHistory::CStep& step = m_history.UndoStep();
    SwapWithStep(step);
    m_history.MovedBack();
    m_modified = !m_history.AtCleanPoint();
    CDocumentChange change = step.change;
    change.restored = true;
    Notify(change);
    ForEachColorMap(&CColorMapViewModel::SettleRestoredMap);
    return true;
}

void CDAXDoc::SwapWithStep(CUndoHistory::CStep& step) {
    // The state now, with whatever was calculated since, is what the other direction brings back.
    std::shared_ptr<CDocumentState> now = CDocumentState::Capture(*this, step.state.get());
    step.state->Restore(*this);
    step.state = std::move(now);
}

bool CDAXDoc::Redo() {
    if (!CanRedo())
        return false;
    CUndoHistory::CStep& step = m_history.RedoStep();
    SwapWithStep(step);
    m_history.MovedForward();
    m_modified = !m_history.AtCleanPoint();
    CDocumentChange change = step.change;
    change.restored = true;
    Notify(change);
    ForEachColorMap(&CColorMapViewModel::SettleRestoredMap);
    return true;
}
