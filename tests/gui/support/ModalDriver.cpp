#include "ModalDriver.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>

namespace {

QString Describe(QWidget* modal) {
    if (auto* box = qobject_cast<QMessageBox*>(modal))
        return box->windowTitle() + ": " + box->text();
    return modal->windowTitle() + ":";
}

// The visible button with this text (mnemonic ampersands ignored).
QAbstractButton* FindButton(QWidget* modal, const QString& text) {
    for (QAbstractButton* button : modal->findChildren<QAbstractButton*>()) {
        QString label = button->text();
        label.remove('&');
        if (label.compare(text, Qt::CaseInsensitive) == 0 && button->isVisible())
            return button;
    }
    return nullptr;
}

} // namespace

CModalDriver::CModalDriver() {
    m_timer.setInterval(20);
    connect(&m_timer, &QTimer::timeout, this, [this] { Poll(); });
    m_timer.start();
}

void CModalDriver::Poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || modal == m_last || !modal->isVisible())
        return;
    // A progress dialog asks nothing; it goes by itself when its work is done.
    if (modal->inherits("CProgressDialog"))
        return;
    m_last = modal;
    m_seen << Describe(modal);
    if (m_answers.empty()) {
        ++m_unexpected;
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
        return;
    }
    Answer answer = std::move(m_answers.front());
    m_answers.pop_front();
    answer(modal);
}

CModalDriver::Answer CModalDriver::Press(const QString& buttonText) {
    return [buttonText](QWidget* modal) {
        if (QAbstractButton* button = FindButton(modal, buttonText))
            button->click();
        else if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject(); // the test then sees the wrong outcome, never a hang
    };
}

CModalDriver::Answer CModalDriver::ChooseFile(const QString& path) {
    return [path](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        if (!dialog) {
            modal->close();
            return;
        }
        dialog->selectFile(path);
        if (auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit"))
            edit->setText(path);
        QMetaObject::invokeMethod(dialog, "accept", Qt::DirectConnection);
    };
}

CModalDriver::Answer CModalDriver::SelectAndOk(int index) {
    return [index](QWidget* modal) {
        if (auto* combo = modal->findChild<QComboBox*>())
            combo->setCurrentIndex(index);
        Press("OK")(modal);
    };
}
