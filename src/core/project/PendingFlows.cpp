// Flows whose forms are still being built; until then they tell the user so.
#include "project/ColorMapViewModel.h"
#include "project/DAXDoc.h"

void CDAXDoc::AutoInstallation() {
    if (m_ports.messages)
        m_ports.messages->ReportError("Automatic installation is not available yet.");
}

void CDAXDoc::ExportSpeakerData() {
    if (m_ports.messages)
        m_ports.messages->ReportError("The vd1 export is not available yet.");
}

int CColorMapViewModel::RunRoomParameters(bool) {
    return 1;
}
