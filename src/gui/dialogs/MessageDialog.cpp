#include "dialogs/MessageDialog.h"

#include "project/Strings.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

CMessageDialog1::CMessageDialog1(const QString& text, QWidget* parent)
    : QDialog(parent), m_text(new QLabel(text, this)) {
    setObjectName("messageDialog");
    setWindowTitle(QString::fromUtf8(Strings::kMessageTitle));
    m_text->setObjectName("messageText");
    m_text->setWordWrap(true);
    m_text->setTextFormat(Qt::PlainText);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName("buttons");
    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(m_text);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

QString CMessageDialog1::Text() const {
    return m_text->text();
}

bool CMessageDialog1::Ask(QWidget* parent, const QString& text) {
    CMessageDialog1 dialog(text, parent);
    return dialog.exec() == QDialog::Accepted;
}
