#include "dialogs/QtArrangementPort.h"

#include "dialogs/ArrangementCabinetDialog.h"
#include "dialogs/ArrangementQL9Dialog.h"
#include "dialogs/ArrangementTypeKDialog.h"
#include "dialogs/ArrangementTypeWDialog.h"
#include "project/Ports.h"

CQtArrangementPort::CQtArrangementPort(QWidget* parent, CSettingsPort* settings)
    : m_parent(parent), m_settings(settings) {}

template <class Dialog, class Form> bool CQtArrangementPort::Exec(Form& form) {
    Dialog dialog(form, m_parent.data());
    return dialog.exec() == QDialog::Accepted;
}

bool CQtArrangementPort::Run(CQL9ArrangementForm& form) {
    return Exec<CQL9ModuleArrangementDialog1>(form);
}

bool CQtArrangementPort::Run(CTypeWArrangementForm& form) {
    return Exec<CTypeWModuleArrangementDialog1>(form);
}

bool CQtArrangementPort::Run(CTypePArrangementForm& form) {
    return Exec<CTypePModuleArrangementDialog1>(form);
}

bool CQtArrangementPort::Run(CTypeRArrangementForm& form) {
    return Exec<CTypeRModuleArrangementDialog1>(form);
}

bool CQtArrangementPort::Run(CTypeKArrangementForm& form) {
    return Exec<CTypeKModuleArrangementDialog>(form);
}

bool CQtArrangementPort::SpecialUserLevel() const {
    return m_settings && m_settings->ReadInt(SettingsKeys::kSpecialUserSection,
                                             SettingsKeys::kSpecialUser, 0) == 1;
}
