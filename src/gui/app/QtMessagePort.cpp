#include "app/QtMessagePort.h"

#include "paint/GuiText.h"
#include "project/Strings.h"

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

void CQtMessagePort::Beep() {
    QApplication::beep();
}

void CQtMessagePort::ErrorBeep() {
    QApplication::beep();
}
