#pragma once

#include "dialogs/FormDialog.h"

#include <array>

class CInstallationForm;
class QComboBox;

// "Properties for Installation": position, aim, power, polarity and tap of one speaker.
class CInstallationDialog1 : public CFormDialog {
    Q_OBJECT
public:
    CInstallationDialog1(CInstallationForm& form, QWidget* parent = nullptr);

protected:
    bool Validate(std::string& message) override;

private:
    CInstallationForm& m_form;
    std::array<CFieldWidgets, 7> m_fields;
    QComboBox* m_polarity;
    QComboBox* m_tap;
};
