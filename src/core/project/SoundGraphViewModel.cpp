#include "project/SoundGraphViewModel.h"

#include "project/DAXDoc.h"
#include "project/SoundGraphLayout.h"

CSoundGraphViewModel::CSoundGraphViewModel(CDAXDoc& document)
    : CDocumentView(document), m_doc(document) {}

CSoundGraphViewModel::~CSoundGraphViewModel() = default;

void CSoundGraphViewModel::OnInitialUpdate() {
    m_doc.Guarded([&] {
        if (m_doc.Settings().loadedFromFile && m_doc.Graphs().Count() > 0) {
            m_entryIndex = 0;
            return;
        }
        CSoundGraphDataList data;
        data.InitAxes(1, 0, 20, 50, 20000, 120, 1000, 10);
        m_entryIndex = m_doc.AppendGraph(data);
    });
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
    m_doc.Guarded([&] { m_doc.SetCurrentGraph(m_entryIndex); });
}

void CSoundGraphViewModel::Close() {
    m_doc.Guarded([&] {
        const int removed = m_entryIndex;
        m_entryIndex = -1;
        m_doc.RemoveGraph(removed);
    });
}

const CSoundGraphCondition* CSoundGraphViewModel::Entry() const {
    return m_doc.Graphs().At(m_entryIndex);
}

CGraphSize CSoundGraphViewModel::Fit(bool fit, int width, int height) {
    CSoundGraphCondition* entry = m_doc.GraphEntry(m_entryIndex);
    return entry ? FitGraph(*entry, fit, width, height) : CGraphSize{};
}
