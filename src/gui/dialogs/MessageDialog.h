#pragma once

#include <QDialog>

class QLabel;

// "Message from Daxara": one text with OK and Cancel, for the confirmations of the project
// commands.
class CMessageDialog1 : public QDialog {
    Q_OBJECT
public:
    CMessageDialog1(const QString& text, QWidget* parent = nullptr);
    QString Text() const;

    // Shows the dialog; true for OK.
    static bool Ask(QWidget* parent, const QString& text);

private:
    QLabel* m_text;
};
