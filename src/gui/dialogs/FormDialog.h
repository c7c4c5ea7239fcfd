#pragma once

#include <QDialog>

#include <string>

struct CComboModel;
struct CNumberField;
class QComboBox;
class QDialogButtonBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QVBoxLayout;

// The widgets of one numeric field: its label, its edit and its unit label.
struct CFieldWidgets {
    QLabel* label = nullptr;
    QLineEdit* edit = nullptr;
    QLabel* unit = nullptr;

    // Label, unit and visibility as the field says; the edit's text stays.
    void ShowAttributes(const CNumberField& field) const;
    void ShowText(const CNumberField& field) const;
    // The typed text back into the field.
    void Read(CNumberField& field) const;
};

// A dialog over a core form: OK asks the form, and a refusal shows the form's message in the
// dialog and keeps it open with the values as typed. Layouts grow with the font.
class CFormDialog : public QDialog {
    Q_OBJECT
public:
    CFormDialog(QWidget* parent, const std::string& title, bool cancelVisible);

    void accept() override;
    // The refusal shown after the last OK, empty when none.
    QString Message() const;

protected:
    // The subclass's content goes above the message and the buttons.
    QVBoxLayout* Body() const { return m_body; }
    // A label, an edit named `name` and a unit label in row `row` of `grid`.
    CFieldWidgets AddField(QGridLayout* grid, int row, const CNumberField& field,
                           const QString& name);
    // Reads the widgets into the form and asks it; false with the message when it refuses.
    virtual bool Validate(std::string& message) = 0;
    void ShowMessage(const std::string& message);

private:
    QVBoxLayout* m_body;
    QLabel* m_message;
    QDialogButtonBox* m_buttons;
};

// Fills a combo box from a form's list: the texts it shows, each entry's value as the item's data
// and the form's selection. No signal is sent while it fills.
void FillCombo(QComboBox* combo, const CComboModel& model);
