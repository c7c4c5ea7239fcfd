#include "app/ProjectPanes.h"

#include "app/MapSummaryPane.h"

#include <QLabel>

QWidget* CreatePane(EPane pane, CDAXDoc& document, QWidget* parent) {
    switch (pane) {
    case EPane::ColorMap:
        return new CMapSummaryPane(document, parent);
    case EPane::SpeakerList:
        return new QLabel("Speaker data", parent);
    case EPane::TapList:
        return new QLabel("Taps", parent);
    case EPane::SoundGraph:
        return new QLabel("Frequency response", parent);
    case EPane::Installations:
        return new QLabel("Installations", parent);
    }
    return nullptr;
}
