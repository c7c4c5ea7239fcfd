#include "dialogs/FormDialog.h"

#include "paint/GuiText.h"
#include "project/ColorMapViewModel.h"
#include "project/forms/NumberField.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

void CFieldWidgets::ShowAttributes(const CNumberField& field) const {
    label->setText(ToQString(field.label));
    unit->setText(ToQString(field.unit));
    label->setVisible(field.visible);
    edit->setVisible(field.visible);
    unit->setVisible(field.visible);
}

void CFieldWidgets::ShowText(const CNumberField& field) const {
    edit->setText(ToQString(field.text));
}

void CFieldWidgets::Read(CNumberField& field) const {
    // The core reads numbers with a '.'; the user may type the decimal separator of the locale.
    QString text = edit->text();
    const QString separator = QLocale().decimalPoint();
    if (separator != ".")
        text.replace(separator, ".");
    field.text = ToCoreText(text);
}

CFormDialog::CFormDialog(QWidget* parent, const std::string& title, bool cancelVisible)
    : QDialog(parent), m_body(new QVBoxLayout), m_message(new QLabel(this)),
      m_buttons(new QDialogButtonBox(QDialogButtonBox::Ok, this)) {
    setWindowTitle(ToQString(title));
    if (cancelVisible)
        m_buttons->addButton(QDialogButtonBox::Cancel);
    m_buttons->setObjectName("buttons");
    m_message->setObjectName("formMessage");
    m_message->setWordWrap(true);
    m_message->setStyleSheet("color: #b00020;");
    m_message->setVisible(false);
    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addLayout(m_body);
    layout->addWidget(m_message);
    layout->addWidget(m_buttons);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &CFormDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &CFormDialog::reject);
}

CFieldWidgets CFormDialog::AddField(QGridLayout* grid, int row, const CNumberField& field,
                                    const QString& name) {
    CFieldWidgets w{new QLabel(this), new QLineEdit(this), new QLabel(this)};
    w.edit->setObjectName(name);
    w.label->setBuddy(w.edit);
    w.ShowAttributes(field);
    w.ShowText(field);
    grid->addWidget(w.label, row, 0);
    grid->addWidget(w.edit, row, 1);
    grid->addWidget(w.unit, row, 2);
    return w;
}

void CFormDialog::accept() {
    std::string message;
    if (!Validate(message)) {
        ShowMessage(message);
        return;
    }
    ShowMessage({});
    QDialog::accept();
}

void CFormDialog::ShowMessage(const std::string& message) {
    m_message->setText(ToQString(message));
    m_message->setVisible(!message.empty());
}

QString CFormDialog::Message() const {
    return m_message->isHidden() ? QString() : m_message->text();
}

void FillCombo(QComboBox* combo, const CComboModel& model) {
    const QSignalBlocker block(combo);
    combo->clear();
    for (int i = 0; i < model.Count(); ++i) {
        const CChoice<double> entry = model.Choice(i);
        combo->addItem(ToQString(entry.label), entry.value);
    }
    combo->setCurrentIndex(model.selection);
}
