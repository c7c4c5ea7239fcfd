#include "dialogs/PreferencesDialog.h"

#include "paint/GuiText.h"
#include "project/forms/PreferencesForm.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

CPreferenceDialog1::CPreferenceDialog1(CPreferencesForm& form, QWidget* parent)
    : CFormDialog(parent, form.Title(), true), m_form(form),
      m_advanced(new QCheckBox(ToQString(CPreferencesForm::AdvancedLabel()), this)),
      m_manual(new QCheckBox(ToQString(CPreferencesForm::ManualLabel()), this)),
      m_planner(new QLineEdit(ToQString(form.planner), this)),
      m_company(new QLineEdit(ToQString(form.company), this)) {
    setObjectName("preferencesDialog");
    m_advanced->setObjectName("advancedMode");
    m_manual->setObjectName("manualRecalculation");
    m_advanced->setChecked(form.advancedChecked);
    m_manual->setChecked(form.manualChecked);
    Body()->addWidget(m_advanced);
    Body()->addWidget(m_manual);
    m_planner->setObjectName("planner");
    m_company->setObjectName("company");
    auto* names = new QFormLayout;
    names->addRow(ToQString(CPreferencesForm::PlannerLabel()), m_planner);
    names->addRow(ToQString(CPreferencesForm::CompanyLabel()), m_company);
    Body()->addLayout(names);
}

bool CPreferenceDialog1::Validate(std::string& message) {
    m_form.advancedChecked = m_advanced->isChecked();
    m_form.manualChecked = m_manual->isChecked();
    m_form.planner = ToCoreText(m_planner->text().trimmed());
    m_form.company = ToCoreText(m_company->text().trimmed());
    return m_form.Accept(&message);
}
