#pragma once

#include "dialogs/QtProgress.h"
#include "project/Ports.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>

class CDAXDoc;

class QWidget;

// The desktop side of a project's calculations: they run as jobs on the workers, and this polls
// them from the window's own thread (a timer), so the window never waits for a map and never
// runs an event loop of ours. Each poll stores what has ended through the project; meanwhile the
// status bar says how far the maps are, and a calculation that takes longer than a moment shows
// a progress dialog beside the window whose Stop ends every running map before its next chunk of
// points. The user may go on working: an edit starts the maps anew.
class CCalculationMonitor : public QObject, public CCalculationHost {
    Q_OBJECT
public:
    CCalculationMonitor(CDAXDoc& doc, QWidget* window);
    ~CCalculationMonitor() override;

    void CalculationStarted() override;
    // Stops the running maps, as the dialog's Stop does.
    void Stop();
    // The progress dialog while it is shown (it appears after kDialogDelayMs), else null.
    CProgressDialog* Dialog() const { return m_dialog; }

    static constexpr int kPollMs = 30;
    static constexpr int kDialogDelayMs = 400;

signals:
    // A text for the status bar: the progress, a stopped map, or empty for the idle text.
    void statusMessage(const QString& text);

private:
    void Poll();
    // The last map ended: the dialog goes, the status bar tells of a stopped map.
    void MapsEnded();

    CDAXDoc& m_doc;
    QPointer<QWidget> m_window;
    QTimer m_timer;
    QElapsedTimer m_running;
    QPointer<CProgressDialog> m_dialog;
    QString m_status;
    bool m_maps = false; // maps were running at the last poll
};
