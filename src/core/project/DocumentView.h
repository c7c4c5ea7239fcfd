#pragma once

#include <vector>

// Update hints the document sends to its views.
enum EUpdateHint : int {
    kHintNone = 0,          // entries of a list went: views showing later entries move down
    kHintAcoustics = 1,     // colour map views recalculate (unless manual) and repaint
    kHintInstallations = 2, // installation list refills
    kHintSpeakers = 3,      // speaker list refills
    kHintResponse = 4,      // frequency response view redraws
    kHintTaps = 5,          // tap list refills
    kHintMapResult = 6,     // a calculation's result was stored in a plane (or dropped): maps repaint
};

// What a change to the document touched. The document derives the hints its views receive, and
// where the response curves are cleared, from this record alone, so every command that changes
// the same things refreshes the views the same way.
struct CDocumentChange {
    bool installations = false; // installations added, removed, moved or re-powered
    bool planes = false;        // the room or a calculation plane changed
    bool recalculate = false;   // the user asked for the maps: they calculate even when manual
    bool speakerList = false;   // models added or removed: speaker and tap lists
    bool arrangement = false;   // a model's module arrangement changed: its sound and taps
    bool listSettings = false;  // what the installation list shows (its advanced columns)
    bool currentInstallation = false; // another installation became the current one
    bool currentModel = false;        // another speaker model became the current one: its taps
    bool curves = false;              // new response curves to draw
    bool listeningPoints = false;     // points marked, renamed or removed: the maps redraw
    int removedCondition = -1;        // a calculation plane entry that went (later ones move down)
    int removedGraph = -1;            // a frequency response entry that went
    // A calculation of this plane ended: its result was stored, or dropped as outdated. Nothing
    // the user edited; the maps show the plane's new state.
    int calculatedCondition = -1;
    // Undo or redo put back a whole state of the project, the planes with their stored levels
    // and the curves as they were: the maps repaint them rather than recalculate, and nothing is
    // cleared.
    bool restored = false;

    // The standard refresh after an edit of the installations.
    static CDocumentChange Installations() { return {.installations = true}; }
    static CDocumentChange Planes() { return {.planes = true}; }
    static CDocumentChange Recalculation() { return {.recalculate = true}; }
    static CDocumentChange SpeakerImported() { return {.speakerList = true}; }
    // A model and its installations went.
    static CDocumentChange SpeakerRemoved() { return {.installations = true, .speakerList = true}; }
    static CDocumentChange Arrangement() { return {.arrangement = true}; }
    static CDocumentChange ListSettings() { return {.listSettings = true}; }
    static CDocumentChange CurrentInstallation() { return {.currentInstallation = true}; }
    static CDocumentChange CurrentModel() { return {.currentModel = true}; }
    static CDocumentChange Curves() { return {.curves = true}; }
    static CDocumentChange ListeningPoints() { return {.listeningPoints = true}; }
    static CDocumentChange ConditionRemoved(int index) { return {.removedCondition = index}; }
    static CDocumentChange GraphRemoved(int index) { return {.removedGraph = index}; }
    static CDocumentChange MapCalculated(int index) { return {.calculatedCondition = index}; }

    // What a map shows changed: maps recalculate and the old spectrum is cleared.
    bool Acoustics() const { return installations || planes || recalculate || arrangement; }
    // Curve 0 of every response entry is cleared just before hint 4.
    bool ClearsCurves() const { return Acoustics() && !restored; }
    bool RemovesEntries() const { return removedCondition >= 0 || removedGraph >= 0; }
    // The hints in the order the views receive them: kHintNone first when entries went, then the
    // numbered hints; a stored calculation gives kHintMapResult alone.
    std::vector<EUpdateHint> Hints() const;
};

class CDAXDoc;

// A view of a document. It registers itself with its document when constructed and unregisters
// when destroyed, so a view that closes another while handling an update is safe: the document
// skips views that went. A desktop widget derives from this next to its widget class.
class CDocumentView {
public:
    explicit CDocumentView(CDAXDoc& document);
    virtual ~CDocumentView();
    CDocumentView(const CDocumentView&) = delete;
    CDocumentView& operator=(const CDocumentView&) = delete;

    // One hint of a change; `change` is the whole record the hint was derived from.
    virtual void OnUpdate(EUpdateHint hint, const CDocumentChange& change) = 0;
    // A command the document forwards to its views (printing, navigation, Room Parameters);
    // true when this view handled it.
    virtual bool OnViewCommand(int id) {
        (void)id;
        return false;
    }

    // The document, or null once the document is gone.
    CDAXDoc* Document() const { return m_document; }

private:
    friend class CDAXDoc;
    CDAXDoc* m_document;
};
