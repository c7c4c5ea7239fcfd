#pragma once

#include "dialogs/FormDialog.h"

#include <array>

class CVd1ExportForm;

// "Export vd1": an angle and a microphone distance.
class CVd1ExportDialog1 : public CFormDialog {
    Q_OBJECT
public:
    CVd1ExportDialog1(CVd1ExportForm& form, QWidget* parent = nullptr);

protected:
    bool Validate(std::string& message) override;

private:
    CVd1ExportForm& m_form;
    std::array<CFieldWidgets, 2> m_fields;
};
