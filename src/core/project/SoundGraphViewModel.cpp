#include "project/SoundGraphViewModel.h"

#include "project/DAXDoc.h"

CSoundGraphViewModel::CSoundGraphViewModel(CDAXDoc& document)
    : CDocumentView(document), m_doc(document) {}

CSoundGraphViewModel::~CSoundGraphViewModel() = default;

void CSoundGraphViewModel::OnInitialUpdate() {
    if (m_doc.Settings().loadedFromFile && m_doc.graphs.Count() > 0) {
        m_entryIndex = 0;
        return;
    }
    CSoundGraphDataList data;
    data.InitAxes(1, 0, 20, 50, 20000, 120, 1000, 10);
    m_doc.graphs.AddGraphCondition(m_doc.graphs.currentIndex, 30, 20, 20, 36, 0, 0, data);
    m_entryIndex = m_doc.graphs.Count() - 1;
}

void CSoundGraphViewModel::OnUpdate(EUpdateHint hint, const CDocumentChange& change) {
    if (hint == kHintNone && change.removedGraph >= 0 && m_entryIndex > change.removedGraph)
        --m_entryIndex;
    if (hint == kHintResponse)
        m_redraw = true;
}

bool CSoundGraphViewModel::TakeRedrawRequest() {
    const bool redraw = m_redraw;
    m_redraw = false;
    return redraw;
}

void CSoundGraphViewModel::Activate() {
    if (Entry())
        m_doc.graphs.currentIndex = m_entryIndex;
}

void CSoundGraphViewModel::Close() {
    const int removed = m_entryIndex;
    m_entryIndex = -1;
    m_doc.graphs.RemoveGraphCondition(removed);
    m_doc.Notify(CDocumentChange::GraphRemoved(removed));
}

CSoundGraphCondition* CSoundGraphViewModel::Entry() const {
    return m_doc.graphs.At(m_entryIndex);
}
