#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <deque>
#include <functional>

// Answers the modal windows a test makes the program open, in the order they appear: message
// boxes, file dialogs and form dialogs, all through their real buttons and fields (progress
// dialogs are left to finish). Each modal
// window's title and text are recorded; one that appears with no answer left is rejected, so a
// test never hangs, and counted as unexpected.
class CModalDriver : public QObject {
public:
    using Answer = std::function<void(QWidget* modal)>;

    CModalDriver();
    void Then(Answer answer) { m_answers.push_back(std::move(answer)); }
    // "title: text" of every modal window seen, in order.
    const QStringList& Seen() const { return m_seen; }
    int Unexpected() const { return m_unexpected; }
    int Pending() const { return int(m_answers.size()); }

    // Answers for message boxes and dialogs.
    static Answer Press(const QString& buttonText);
    static Answer Ok() { return Press("OK"); }
    static Answer Cancel() { return Press("Cancel"); }
    // Types a file name into a file dialog and accepts it.
    static Answer ChooseFile(const QString& path);
    // Selects entry `index` of the dialog's first drop-down list, then presses OK.
    static Answer SelectAndOk(int index);

private:
    void Poll();

    QTimer m_timer;
    std::deque<Answer> m_answers;
    QPointer<QWidget> m_last;
    QStringList m_seen;
    int m_unexpected = 0;
};
