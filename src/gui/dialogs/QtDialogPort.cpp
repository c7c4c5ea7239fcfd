#include "dialogs/QtDialogPort.h"

#include "dialogs/AlignDelaysDialog.h"
#include "dialogs/AutoInstallationDialog.h"
#include "dialogs/InitialSettingsDialog.h"
#include "dialogs/InstallationDialog.h"
#include "dialogs/PreferencesDialog.h"
#include "dialogs/RoomParametersDialog.h"
#include "dialogs/SurfacesAndAirDialog.h"
#include "dialogs/Vd1ExportDialog.h"

namespace {
template <class Dialog, class Form> bool Run(QWidget* parent, Form& form) {
    Dialog dialog(form, parent);
    return dialog.exec() == QDialog::Accepted;
}
} // namespace

bool CQtDialogPort::RunAlignDelays(CAlignDelaysForm& form) {
    return Run<CAlignDelaysDialog>(m_parent, form);
}

bool CQtDialogPort::RunInstallation(CInstallationForm& form) {
    return Run<CInstallationDialog1>(m_parent, form);
}

bool CQtDialogPort::RunPreferences(CPreferencesForm& form) {
    return Run<CPreferenceDialog1>(m_parent, form);
}

ERoomParametersAnswer CQtDialogPort::RunRoomParameters(CRoomParametersForm& form) {
    // Closing the window is Cancel, also where no Cancel button is shown.
    return Run<CPropertyDialog1>(m_parent, form) ? ERoomParametersAnswer::Ok
                                                 : ERoomParametersAnswer::Cancel;
}

bool CQtDialogPort::RunAutoInstallation(CAutoInstallationForm& form) {
    return Run<CAutoInstallationDialog1>(m_parent, form);
}

bool CQtDialogPort::RunVd1Export(CVd1ExportForm& form) {
    return Run<CVd1ExportDialog1>(m_parent, form);
}

bool CQtDialogPort::RunInitialSettings(CInitialSettingsForm& form) {
    return Run<CInitialSettingsDialog1>(m_parent, form);
}

bool CQtDialogPort::RunSurfacesAndAir(CSurfacesAndAirForm& form) {
    return Run<CSurfacesAndAirDialog1>(m_parent, form);
}
