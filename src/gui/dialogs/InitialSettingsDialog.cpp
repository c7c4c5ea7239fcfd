#include "dialogs/InitialSettingsDialog.h"

#include "paint/GuiText.h"
#include "project/forms/InitialSettingsForm.h"

#include <QComboBox>
#include <QFormLayout>
#include <QVBoxLayout>

CInitialSettingsDialog1::CInitialSettingsDialog1(CInitialSettingsForm& form, QWidget* parent)
    : CFormDialog(parent, form.Title(), form.CancelVisible()), m_form(form),
      m_unit(new QComboBox(this)) {
    setObjectName("initialSettingsDialog");
    m_unit->setObjectName("unit");
    for (const std::string& item : form.UnitCombo().items)
        m_unit->addItem(ToQString(item));
    m_unit->setCurrentIndex(form.UnitCombo().selection);
    auto* rows = new QFormLayout;
    rows->addRow(ToQString(CInitialSettingsForm::UnitsLabel()), m_unit);
    Body()->addLayout(rows);
}

bool CInitialSettingsDialog1::Validate(std::string&) {
    m_form.SelectUnit(m_unit->currentIndex());
    return true;
}
