#pragma once

#include "project/DocumentView.h"
#include "project/ListViewModels.h"

#include <QWidget>

class CDAXDoc;
class QTreeWidget;
class QMenu;
class QKeyEvent;

// A report list of a project window: one row per entry, full-row selection, the current entry
// selected. Clicks and the context menu go to the subclass by row; a click beside the rows
// selects the current entry again.
class CDocumentListView : public QWidget, public CDocumentView {
    Q_OBJECT
public:
    CDocumentListView(CDAXDoc& document, EUpdateHint refillHint, const QString& listName,
                      QWidget* parent);

    void OnUpdate(EUpdateHint hint, const CDocumentChange& change) override;
    QTreeWidget* List() const { return m_list; }
    // The project; the list lives no longer than its project window.
    CDAXDoc& Doc() const { return m_doc; }
    // Fills the list from the document and selects the current entry.
    void Refill();

protected:
    virtual std::vector<CListColumn> Columns() const = 0;
    virtual CListRows Rows() const = 0;
    virtual int CurrentRow() const = 0;
    // A row chosen with the mouse or the keyboard.
    virtual void RowPressed(int row) = 0;
    virtual void RowContextMenu(int row, const QPoint& globalPos) { (void)row, (void)globalPos; }
    // The mouse moved with the left button held since a press at `pressPos`.
    virtual void DragMoved(const QPoint& pressPos, const QPoint& pos) { (void)pressPos, (void)pos; }
    virtual bool ViewportEvent(QEvent* event) {
        (void)event;
        return false;
    }
    // Ctrl and Shift clicks extend the selection (the list holds several rows at once).
    virtual bool MultiSelect() const { return false; }
    // A row was double-clicked (after it was pressed).
    virtual void RowActivated(int row) { (void)row; }
    // A key pressed in the list; true when taken.
    virtual bool ListKey(QKeyEvent* event) {
        (void)event;
        return false;
    }
    // The rows selected now, in list order.
    std::vector<int> SelectedRows() const;
    // Runs the chosen command of a popup menu built from the core's entries.
    void RunMenu(const std::vector<CMenuEntry>& entries, const QPoint& globalPos);
    int RowAt(const QPoint& viewportPos) const;
    void SelectRow(int row);

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool ViewportInput(QEvent* event);
    // A Ctrl click toggles the row, a Shift click adds the rows up to it; a row added becomes
    // current.
    void ExtendSelection(int row, bool range);
    static bool IsInput(const QEvent* event);

    CDAXDoc& m_doc;
    EUpdateHint m_refillHint;
    QTreeWidget* m_list;
    bool m_refilling = false;
    QPoint m_pressPos;
    bool m_pressed = false;
};
