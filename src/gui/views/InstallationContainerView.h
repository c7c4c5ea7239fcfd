#pragma once

#include "views/DocumentListView.h"

// The installed speakers. A click makes one current, Ctrl and Shift clicks select several, Delete
// removes the selected ones after the Remove command's question, a double click opens the
// Properties, the right button offers Remove and Properties, and a speaker dragged from the same
// project's speaker list is installed at the centre of the room.
class CInstallationContainerView : public CDocumentListView {
    Q_OBJECT
public:
    explicit CInstallationContainerView(CDAXDoc& document, QWidget* parent = nullptr);

protected:
    std::vector<CListColumn> Columns() const override;
    CListRows Rows() const override;
    int CurrentRow() const override;
    void RowPressed(int row) override;
    void RowContextMenu(int row, const QPoint& globalPos) override;
    bool MultiSelect() const override { return true; }
    void RowActivated(int row) override;
    bool ListKey(QKeyEvent* event) override;
    bool ViewportEvent(QEvent* event) override;
};
