#include "dialogs/Vd1ExportDialog.h"

#include "project/forms/Vd1ExportForm.h"

#include <QGridLayout>
#include <QVBoxLayout>

CVd1ExportDialog1::CVd1ExportDialog1(CVd1ExportForm& form, QWidget* parent)
    : CFormDialog(parent, form.Title(), true), m_form(form) {
    setObjectName("vd1ExportDialog");
    auto* grid = new QGridLayout;
    m_fields[0] = AddField(grid, 0, form.Field(CVd1ExportForm::kAngle), "angle");
    m_fields[1] = AddField(grid, 1, form.Field(CVd1ExportForm::kMicDistance), "micDistance");
    Body()->addLayout(grid);
}

bool CVd1ExportDialog1::Validate(std::string& message) {
    m_fields[0].Read(m_form.Field(CVd1ExportForm::kAngle));
    m_fields[1].Read(m_form.Field(CVd1ExportForm::kMicDistance));
    return m_form.Accept(&message);
}
