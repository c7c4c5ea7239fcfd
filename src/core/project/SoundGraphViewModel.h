#pragma once

#include "project/DocumentView.h"
#include "project/SoundGraphLayout.h"

class CDAXDoc;
struct CSoundGraphCondition;

// State of one frequency response view: which entry of the document's list it shows.
class CSoundGraphViewModel : public CDocumentView {
public:
    explicit CSoundGraphViewModel(CDAXDoc& document);
    ~CSoundGraphViewModel() override;

    // A loaded project shows entry 0; otherwise a new entry is added (a copy of the current one
    // when there is one) and the view takes it.
    void OnInitialUpdate();
    void OnUpdate(EUpdateHint hint, const CDocumentChange& change) override;
    void Activate();
    // The view closes: its entry goes, later views move down by one.
    void Close();

    int EntryIndex() const { return m_entryIndex; }
    const CSoundGraphCondition* Entry() const;
    // Fits the view's entry to a drawing area (see FitGraph); nothing without an entry.
    CGraphSize Fit(bool fit, int width, int height);
    // Set when the document asked for a redraw (hint 4) and not yet taken by the view.
    bool TakeRedrawRequest();

private:
    CDAXDoc& m_doc;
    int m_entryIndex = -1;
    bool m_redraw = false;
};
