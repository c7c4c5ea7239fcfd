#include "app/CalculationMonitor.h"

#include "acoustics/ColorMapCondition.h"
#include "dialogs/QtProgress.h"
#include "project/DAXDoc.h"
#include "project/MapJobs.h"
#include "project/Strings.h"

#include <QPushButton>
#include <QWidget>

#include <exception>

CCalculationMonitor::CCalculationMonitor(CDAXDoc& doc, QWidget* window)
    : QObject(window), m_doc(doc), m_window(window) {
    m_timer.setInterval(kPollMs);
    connect(&m_timer, &QTimer::timeout, this, &CCalculationMonitor::Poll);
}

CCalculationMonitor::~CCalculationMonitor() {
    delete m_dialog.data();
}

void CCalculationMonitor::CalculationStarted() {
    if (!m_timer.isActive())
        m_timer.start();
    // A new map after Stop (the user went on editing) may be stopped again.
    if (m_dialog)
        m_dialog->StopButton()->setEnabled(true);
}

void CCalculationMonitor::Stop() {
    m_doc.MapJobs().Stop();
}

void CCalculationMonitor::Poll() {
    if (m_dialog && m_dialog->Stopped())
        m_doc.MapJobs().Stop();
    bool running = false;
    try {
        running = m_doc.MapJobs().Poll();
    } catch (const std::exception& e) {
        // A port that failed while a result was stored (a message that could not be shown).
        qWarning("The map could not be stored: %s", e.what());
        running = m_doc.IsCalculating();
    }
    if (!running) {
        m_timer.stop();
        MapsEnded();
        return;
    }
    // Only the spectrum under the mouse: nothing to show for it.
    if (!m_doc.IsCalculating()) {
        MapsEnded();
        return;
    }
    if (!m_maps) {
        m_maps = true;
        m_running.start();
    }
    const CMapJobs::CProgress progress = m_doc.MapJobs().Progress();
    const int percent =
        progress.total > 0 ? static_cast<int>(100 * progress.done / progress.total) : 0;
    const QString status = QString::fromUtf8(Strings::kCalculating) + " " +
                           QString::number(percent) + "%";
    if (status != m_status) {
        m_status = status;
        emit statusMessage(status);
    }
    if (!m_dialog && m_running.elapsed() >= kDialogDelayMs && m_window) {
        // Beside the window, not over it: the user may go on working while it runs.
        m_dialog = new CProgressDialog(m_window);
        m_dialog->setWindowModality(Qt::NonModal);
        m_dialog->SetText(QString::fromUtf8(Strings::kCalculating));
        m_dialog->show();
    }
    if (m_dialog) {
        m_dialog->SetRange(0, progress.total);
        m_dialog->SetPos(progress.done);
    }
}

void CCalculationMonitor::MapsEnded() {
    m_maps = false;
    delete m_dialog.data();
    // A stopped map stays incomplete until it is calculated again: the status bar keeps saying so.
    bool incomplete = false;
    for (int i = 0; i < m_doc.Conditions().Count(); ++i)
        incomplete = incomplete || m_doc.Conditions().At(i)->plane.state == EMapState::Incomplete;
    const QString status = incomplete ? QString::fromUtf8(Strings::kStatusMapIncomplete) : QString();
    if (status != m_status) {
        m_status = status;
        emit statusMessage(status);
    }
}
