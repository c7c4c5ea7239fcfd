#pragma once

#include "project/DocumentLoader.h"

// Sets a test's project up as a project file would hold it, through the reader's own loader:
// no view is told, no undo step recorded and the modified flag stays. Scenes are built with it;
// what a test exercises goes through the document's operations.
//     Build(f.doc).Room().roomLength = 12;
inline CDocumentLoader Build(CDAXDoc& doc) {
    return CDocumentLoader(doc);
}
