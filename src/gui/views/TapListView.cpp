#include "views/TapListView.h"

CTapListView::CTapListView(CDAXDoc& document, QWidget* parent)
    : CDocumentListView(document, kHintTaps, "tapList", parent) {
    setObjectName("tapListView");
    Refill();
}
