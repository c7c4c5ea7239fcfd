#pragma once

#include "dialogs/FormDialog.h"

class CInitialSettingsForm;
class QComboBox;

// "Initial Settings": the length unit of new projects, asked on the first start.
class CInitialSettingsDialog1 : public CFormDialog {
    Q_OBJECT
public:
    CInitialSettingsDialog1(CInitialSettingsForm& form, QWidget* parent = nullptr);

protected:
    bool Validate(std::string& message) override;

private:
    CInitialSettingsForm& m_form;
    QComboBox* m_unit;
};
