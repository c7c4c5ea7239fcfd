#pragma once

#include "common/ProgressDialog1.h"
#include "project/Ports.h"

#include <QDialog>
#include <QPointer>

class QLabel;
class QProgressBar;
class QPushButton;

// The progress dialog of a long operation: a text, a bar and "Stop". Stop (or Escape) only
// disables the button; the operation sees it at its next check and ends.
class CProgressDialog : public QDialog {
    Q_OBJECT
public:
    explicit CProgressDialog(QWidget* parent = nullptr);

    void SetText(const QString& text);
    void SetRange(long long lower, long long upper);
    void SetPos(long long position);
    bool Stopped() const;
    QPushButton* StopButton() const { return m_stop; }
    QProgressBar* Bar() const { return m_bar; }

    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QLabel* m_text;
    QProgressBar* m_bar;
    QPushButton* m_stop;
    long long m_lower = 0;
    long long m_upper = 0;
};

// The core's progress port over one progress dialog, shown while the port lives. Input to the
// other windows waits until it closes; they keep repainting.
class CQtProgress : public CProgressDialog1 {
public:
    explicit CQtProgress(QWidget* parent);
    ~CQtProgress() override;

    void SetText(const std::string& text) override;
    void SetRange(long long lower, long long upper) override;
    void SetPos(long long position) override;
    // Processes pending events; false once Stop was pressed.
    bool PumpAndCheck() override;

    CProgressDialog* Dialog() const { return m_dialog; }

private:
    QPointer<CProgressDialog> m_dialog;
};

class CQtProgressFactory : public CProgressFactory {
public:
    explicit CQtProgressFactory(QWidget* parent) : m_parent(parent) {}
    std::unique_ptr<CProgressDialog1> CreateProgress() override;

private:
    QPointer<QWidget> m_parent;
};
