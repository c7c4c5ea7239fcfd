#pragma once

#include "dialogs/FormDialog.h"
#include "project/forms/RoomParametersForm.h"

#include <array>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;

// "Room Parameters": project, room, calculation plane and colour map reference. Without Cancel
// when a new project shows it first.
class CPropertyDialog1 : public CFormDialog {
    Q_OBJECT
public:
    CPropertyDialog1(CRoomParametersForm& form, QWidget* parent = nullptr);

protected:
    bool Validate(std::string& message) override;

private:
    void ReadFields();
    void ShowFields(bool texts);
    void UnitChosen(int unit);
    void OrientationChosen(int orientation);
    void SameAsRoomToggled(bool checked);

    CRoomParametersForm& m_form;
    std::array<CFieldWidgets, CRoomParametersForm::kFieldCount> m_fields;
    QLineEdit* m_name;
    QLineEdit* m_date;
    QComboBox* m_unit;
    QComboBox* m_orientation;
    QCheckBox* m_sameAsRoom;
    QRadioButton* m_halfSpace;
    QRadioButton* m_fullSpace;
};
