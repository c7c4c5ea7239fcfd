#pragma once

#include "project/DAXDoc.h"
#include "project/DocumentView.h"

#include <functional>
#include <vector>

// A view that records every update the document sends it, and can act while handling one.
struct CRecordingView : CDocumentView {
    explicit CRecordingView(CDAXDoc& document) : CDocumentView(document) {}

    std::vector<int> hints;
    std::vector<CDocumentChange> changes;
    std::function<void(EUpdateHint)> onUpdate;

    void OnUpdate(EUpdateHint hint, const CDocumentChange& change) override {
        hints.push_back(hint);
        changes.push_back(change);
        if (onUpdate)
            onUpdate(hint);
    }
};
