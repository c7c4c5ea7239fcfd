#pragma once

#include "dialogs/FormDialog.h"

class CPreferencesForm;
class QCheckBox;
class QLineEdit;

// "Preferences": Advanced Mode and Manual Recalculation, and the planner and company a report
// names.
class CPreferenceDialog1 : public CFormDialog {
    Q_OBJECT
public:
    CPreferenceDialog1(CPreferencesForm& form, QWidget* parent = nullptr);

protected:
    bool Validate(std::string& message) override;

private:
    CPreferencesForm& m_form;
    QCheckBox* m_advanced;
    QCheckBox* m_manual;
    QLineEdit* m_planner;
    QLineEdit* m_company;
};
