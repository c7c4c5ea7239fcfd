#pragma once

#include <QDialog>

class CDAXDoc;
class QListWidget;

// "Listening Points": the project's named points, each renamed or removed as one undoable step.
class CListeningPointsDialog : public QDialog {
    Q_OBJECT
public:
    explicit CListeningPointsDialog(CDAXDoc& doc, QWidget* parent = nullptr);
    QListWidget* List() const { return m_list; }
    // Renames the selected point; false when refused (the reason was shown).
    bool RenameSelected(const QString& name);
    bool RemoveSelected();

private:
    void Refill();
    QString SelectedName() const;
    void Refuse(const QString& text);

    CDAXDoc& m_doc;
    QListWidget* m_list;
};

// Asks for the name of a point to mark at `position` (the map's cell under the pointer) and
// marks it; false when cancelled or refused (the reason was shown).
bool MarkListeningPoint(QWidget* parent, CDAXDoc& doc, double x, double y, double z);
