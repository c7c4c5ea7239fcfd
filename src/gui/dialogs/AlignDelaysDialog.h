#pragma once

#include "dialogs/FormDialog.h"
#include "project/forms/AlignDelaysForm.h"

#include <array>

class QComboBox;
class QListWidget;

// "Align Delays": the installations to align (ticked in a list), the main installation, the
// reference point (a marked listening point or a typed position) and the offset.
class CAlignDelaysDialog : public CFormDialog {
    Q_OBJECT
public:
    CAlignDelaysDialog(CAlignDelaysForm& form, QWidget* parent = nullptr);

protected:
    bool Validate(std::string& message) override;

private:
    // The ticks as the form holds them.
    void ShowTicks();
    // The point's position fields, editable only for a typed position.
    void ShowPoint();

    CAlignDelaysForm& m_form;
    QListWidget* m_fills;
    QComboBox* m_main;
    QComboBox* m_point;
    std::array<CFieldWidgets, CAlignDelaysForm::kEditCount> m_fields;
};
