#include "app/ProjectPanes.h"

#include "views/ColorMapView.h"
#include "views/InstallationContainerView.h"
#include "views/SoundGraphView.h"
#include "views/StdSPDataListView.h"
#include "views/TapListView.h"

QWidget* CreatePane(EPane pane, CDAXDoc& document, QWidget* parent) {
    switch (pane) {
    case EPane::SpeakerList:
        return new CStdSPDataListView(document, parent);
    case EPane::TapList:
        return new CTapListView(document, parent);
    case EPane::SoundGraph:
        return new CSoundGraphView(document, parent);
    case EPane::ColorMap:
        return new CColorMapView(document, parent);
    case EPane::Installations:
        return new CInstallationContainerView(document, parent);
    }
    return nullptr;
}
