#include "dialogs/PreferencesDialog.h"

#include "paint/GuiText.h"
#include "project/forms/PreferencesForm.h"

#include <QCheckBox>
#include <QVBoxLayout>

CPreferenceDialog1::CPreferenceDialog1(CPreferencesForm& form, QWidget* parent)
    : CFormDialog(parent, form.Title(), true), m_form(form),
      m_advanced(new QCheckBox(ToQString(CPreferencesForm::AdvancedLabel()), this)),
      m_manual(new QCheckBox(ToQString(CPreferencesForm::ManualLabel()), this)) {
    setObjectName("preferencesDialog");
    m_advanced->setObjectName("advancedMode");
    m_manual->setObjectName("manualRecalculation");
    m_advanced->setChecked(form.advancedChecked);
    m_manual->setChecked(form.manualChecked);
    Body()->addWidget(m_advanced);
    Body()->addWidget(m_manual);
}

bool CPreferenceDialog1::Validate(std::string&) {
    m_form.advancedChecked = m_advanced->isChecked();
    m_form.manualChecked = m_manual->isChecked();
    return true;
}
