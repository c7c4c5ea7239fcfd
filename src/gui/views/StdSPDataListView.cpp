#include "views/StdSPDataListView.h"

#include "project/DAXDoc.h"
#include "views/SpeakerDrag.h"

#include <QApplication>
#include <QDrag>
#include <QTreeWidget>

CStdSPDataListView::CStdSPDataListView(CDAXDoc& document, QWidget* parent)
    : CDocumentListView(document, kHintSpeakers, "speakerList", parent) {
    setObjectName("speakerDataListView");
    Refill();
}

std::vector<CListColumn> CStdSPDataListView::Columns() const {
    return SpeakerColumns();
}

CListRows CStdSPDataListView::Rows() const {
    return SpeakerRows(Document());
}

int CStdSPDataListView::CurrentRow() const {
    return Document().CurrentModel() ? Document().models.CurrentIndex() : -1;
}

void CStdSPDataListView::RowPressed(int row) {
    SelectSpeaker(Document(), row);
}

void CStdSPDataListView::RowContextMenu(int row, const QPoint& globalPos) {
    if (!SelectSpeakerForMenu(Document(), row))
        return;
    SelectRow(row);
    RunMenu(SpeakerMenu(IsDeveloper(Document())), globalPos);
    AfterSpeakerMenu(Document());
}

void CStdSPDataListView::DragMoved(const QPoint& pressPos, const QPoint& pos) {
    if ((pos - pressPos).manhattanLength() < QApplication::startDragDistance() ||
        !CanDragSpeaker(Document()))
        return;
    auto* drag = new QDrag(List());
    drag->setMimeData(new CSpeakerDragData(Document(), Document().models.CurrentIndex()));
    drag->exec(Qt::CopyAction);
}
