#pragma once

#include "views/DocumentListView.h"

class QMimeData;

// The speaker data list: the project's speaker models. A click makes a model current, the right
// button offers the speaker commands, and the current speaker can be dragged onto the map or the
// installation list to install it.
class CStdSPDataListView : public CDocumentListView {
    Q_OBJECT
public:
    explicit CStdSPDataListView(CDAXDoc& document, QWidget* parent = nullptr);
    // What a drag of the current speaker carries; nullptr while it may not be installed.
    QMimeData* CreateDragData() const;

signals:
    // A drag of the speaker with this model index begins.
    void DragStarted(int modelIndex);

protected:
    std::vector<CListColumn> Columns() const override;
    CListRows Rows() const override;
    int CurrentRow() const override;
    void RowPressed(int row) override;
    void RowContextMenu(int row, const QPoint& globalPos) override;
    void DragMoved(const QPoint& pressPos, const QPoint& pos) override;
};
