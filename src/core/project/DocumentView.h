#pragma once

// Update hints the document sends to its views.
enum EUpdateHint : int {
    kHintAcoustics = 1,     // colour map views recalculate (unless manual) and repaint
    kHintInstallations = 2, // installation list refills
    kHintSpeakers = 3,      // speaker list refills
    kHintResponse = 4,      // frequency response view redraws
    kHintTaps = 5,          // tap list refills
};

class CColorMapViewModel;
class CSoundGraphViewModel;

// A view of a document: it hears the document's hints. Colour map and frequency response views
// also identify themselves, because some commands address them by kind.
class CDocumentView {
public:
    virtual ~CDocumentView() = default;
    virtual void OnUpdate(int hint) = 0;
    // A command the document forwards to its views (printing); true when handled.
    virtual bool OnViewCommand(int id) {
        (void)id;
        return false;
    }
    virtual CColorMapViewModel* AsColorMap() { return nullptr; }
    virtual CSoundGraphViewModel* AsSoundGraph() { return nullptr; }
};
