#pragma once

#include "dialogs/FormDialog.h"
#include "project/forms/InstallationForm.h"

#include <array>

class QComboBox;

// "Properties for Installation": position, aim, power, delay, polarity and tap of one speaker.
class CInstallationDialog1 : public CFormDialog {
    Q_OBJECT
public:
    CInstallationDialog1(CInstallationForm& form, QWidget* parent = nullptr);

protected:
    bool Validate(std::string& message) override;

private:
    CInstallationForm& m_form;
    std::array<CFieldWidgets, CInstallationForm::kRowCount> m_fields;
    QComboBox* m_polarity;
    QComboBox* m_tap;
};
