#include "dialogs/QtProgress.h"

#include "paint/GuiText.h"
#include "project/Strings.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>

CProgressDialog::CProgressDialog(QWidget* parent)
    : QDialog(parent), m_text(new QLabel(this)), m_bar(new QProgressBar(this)),
      m_stop(new QPushButton(QString::fromUtf8(Strings::kStop), this)) {
    setObjectName("progressDialog");
    setWindowTitle(QString::fromUtf8(Strings::kProgressCaption));
    m_text->setObjectName("progressText");
    m_bar->setObjectName("progressBar");
    m_stop->setObjectName("stop");
    m_bar->setTextVisible(false);
    m_bar->setMinimumWidth(m_bar->fontMetrics().averageCharWidth() * 40);
    auto* row = new QHBoxLayout;
    row->addWidget(m_bar, 1);
    row->addWidget(m_stop);
    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(m_text);
    layout->addLayout(row);
    connect(m_stop, &QPushButton::clicked, this, &CProgressDialog::reject);
}

void CProgressDialog::SetText(const QString& text) {
    m_text->setText(text);
}

// The bar counts in int; a longer range is shown scaled.
void CProgressDialog::SetRange(long long lower, long long upper) {
    m_lower = lower;
    m_upper = std::max(lower, upper);
    m_bar->setRange(0, static_cast<int>(std::min<long long>(m_upper - m_lower, INT_MAX)));
}

void CProgressDialog::SetPos(long long position) {
    const long long span = m_upper - m_lower;
    const long long offset = std::clamp(position - m_lower, 0LL, span);
    const long long shown = span <= INT_MAX
                                ? offset
                                : static_cast<long long>(static_cast<double>(offset) /
                                                         static_cast<double>(span) * INT_MAX);
    m_bar->setValue(static_cast<int>(shown));
}

bool CProgressDialog::Stopped() const {
    return !m_stop->isEnabled();
}

void CProgressDialog::reject() {
    m_stop->setEnabled(false);
}

void CProgressDialog::closeEvent(QCloseEvent* event) {
    event->ignore();
    reject();
}

CQtProgress::CQtProgress(QWidget* parent) : m_dialog(new CProgressDialog(parent)) {
    m_dialog->setWindowModality(Qt::ApplicationModal);
    m_dialog->show();
}

CQtProgress::~CQtProgress() {
    delete m_dialog.data();
}

void CQtProgress::SetText(const std::string& text) {
    if (m_dialog)
        m_dialog->SetText(ToQString(text));
}

void CQtProgress::SetRange(long long lower, long long upper) {
    if (m_dialog)
        m_dialog->SetRange(lower, upper);
}

void CQtProgress::SetPos(long long position) {
    if (m_dialog)
        m_dialog->SetPos(position);
}

bool CQtProgress::PumpAndCheck() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    // A dialog closed from outside (its window destroyed) counts as Stop.
    return m_dialog && !m_dialog->Stopped();
}

std::unique_ptr<CProgressDialog1> CQtProgressFactory::CreateProgress() {
    return std::make_unique<CQtProgress>(m_parent);
}
