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
    return SpeakerRows(Doc());
}

int CStdSPDataListView::CurrentRow() const {
    return Doc().CurrentModel() ? Doc().Models().CurrentIndex() : -1;
}

void CStdSPDataListView::RowPressed(int row) {
    SelectSpeaker(Doc(), row);
}

void CStdSPDataListView::RowContextMenu(int row, const QPoint& globalPos) {
    if (!SelectSpeakerForMenu(Doc(), row))
        return;
    SelectRow(row);
    RunMenu(SpeakerMenu(IsDeveloper(Doc())), globalPos);
    AfterSpeakerMenu(Doc());
}

QMimeData* CStdSPDataListView::CreateDragData() const {
    if (!CanDragSpeaker(Doc()))
        return nullptr;
    return new CSpeakerDragData(Doc(), Doc().Models().CurrentIndex());
}

void CStdSPDataListView::DragMoved(const QPoint& pressPos, const QPoint& pos) {
    if ((pos - pressPos).manhattanLength() < QApplication::startDragDistance())
        return;
    QMimeData* mime = CreateDragData();
    if (!mime)
        return;
    auto* drag = new QDrag(List());
    drag->setMimeData(mime);
    emit DragStarted(SpeakerDragIndex(mime));
    drag->exec(Qt::CopyAction);
}
