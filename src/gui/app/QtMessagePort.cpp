#include "app/QtMessagePort.h"

#include "paint/GuiText.h"
#include "project/Strings.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>

namespace {

bool AskOkCancel(QWidget* parent, QMessageBox::Icon icon, const char* title,
                 const std::string& text) {
    QMessageBox box(icon, QString::fromUtf8(title), ToQString(text),
                    QMessageBox::Ok | QMessageBox::Cancel, parent);
    box.setDefaultButton(QMessageBox::Ok);
    return box.exec() == QMessageBox::Ok;
}

} // namespace

bool CQtMessagePort::Confirm(const std::string& text) {
    return AskOkCancel(m_parent, QMessageBox::Question, Strings::kMessageTitle, text);
}

void CQtMessagePort::Inform(const std::string& text) {
    QMessageBox box(QMessageBox::Information, kAppMessageTitle, ToQString(text), QMessageBox::Ok,
                    m_parent);
    box.exec();
}

bool CQtMessagePort::AskWarning(const std::string& text) {
    return AskOkCancel(m_parent, QMessageBox::Warning, kAppMessageTitle, text);
}

void CQtMessagePort::ReportError(const std::string& text) {
    QMessageBox box(QMessageBox::Critical, kAppMessageTitle, ToQString(text), QMessageBox::Ok,
                    m_parent);
    box.exec();
}

bool CQtMessagePort::ConfirmReplace(EReplace why, const std::string& file,
                                    const std::string& text) {
    // The text names the file already, whichever the reason.
    (void)why;
    (void)file;
    QMessageBox box(QMessageBox::Warning, kAppMessageTitle, ToQString(text),
                    QMessageBox::Ok | QMessageBox::Cancel, m_parent);
    box.button(QMessageBox::Ok)->setText(QString::fromUtf8(Strings::kReplaceButton));
    box.setDefaultButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Ok;
}

void CQtMessagePort::Beep() {
    QApplication::beep();
}

void CQtMessagePort::ErrorBeep() {
    QApplication::beep();
}
