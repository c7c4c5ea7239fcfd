#pragma once

#include <QDialog>

class QTextBrowser;

// The user guide inside the program (Help > User Guide, F1): the guide that is built into it,
// so it is there wherever the program was installed.
class CUserGuideDialog : public QDialog {
    Q_OBJECT
public:
    explicit CUserGuideDialog(QWidget* parent = nullptr);
    QTextBrowser* Browser() const { return m_browser; }

private:
    QTextBrowser* m_browser;
};

// The keyboard shortcuts (Help > Keyboard Shortcuts) as a table, from the program's own list.
class CShortcutsDialog : public QDialog {
    Q_OBJECT
public:
    explicit CShortcutsDialog(QWidget* parent = nullptr);
};
