#include "views/InstallationContainerView.h"

#include "project/CommandTable.h"
#include "project/DAXDoc.h"
#include "views/SpeakerDrag.h"
#include "app/Guard.h"

#include <QDropEvent>
#include <QKeyEvent>
#include <QTimer>
#include <QTreeWidget>

CInstallationContainerView::CInstallationContainerView(CDAXDoc& document, QWidget* parent)
    : CDocumentListView(document, kHintInstallations, "installationList", parent) {
    setObjectName("installationContainerView");
    List()->setAcceptDrops(true);
    List()->setSelectionMode(QAbstractItemView::ExtendedSelection);
    List()->viewport()->setAcceptDrops(true);
    Refill();
}

std::vector<CListColumn> CInstallationContainerView::Columns() const {
    return InstallationColumns(Doc());
}

CListRows CInstallationContainerView::Rows() const {
    return InstallationRows(Doc());
}

int CInstallationContainerView::CurrentRow() const {
    return Doc().HasInstallations() ? Doc().Room().CurrentIndex() : -1;
}

void CInstallationContainerView::RowPressed(int row) {
    SelectInstallation(Doc(), row);
}

void CInstallationContainerView::RowActivated(int row) {
    if (row == CurrentRow() && Doc().IsCommandEnabled(kCmdChangeInstallation))
        Doc().OnCommand(kCmdChangeInstallation);
}

bool CInstallationContainerView::ListKey(QKeyEvent* event) {
    if (event->key() != Qt::Key_Delete || event->modifiers() != Qt::NoModifier)
        return false;
    std::vector<int> rows = SelectedRows();
    if (rows.empty() && CurrentRow() >= 0)
        rows.push_back(CurrentRow());
    if (!rows.empty())
        RemoveSelectedInstallations(Doc(), rows);
    return true;
}

void CInstallationContainerView::RowContextMenu(int row, const QPoint& globalPos) {
    SelectInstallation(Doc(), row);
    SelectRow(CurrentRow());
    RunMenu(InstallationMenu(), globalPos);
}

bool CInstallationContainerView::ViewportEvent(QEvent* event) {
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDropEvent*>(event);
        // Only a speaker of this project, and only while it may be installed.
        if (SpeakerDragDocument(drag->mimeData()) == &Doc() && CanDragSpeaker(Doc())) {
            drag->setDropAction(Qt::CopyAction);
            drag->accept();
        } else {
            drag->ignore();
        }
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        if (SpeakerDragDocument(drop->mimeData()) != &Doc()) {
            drop->ignore();
            return true;
        }
        drop->setDropAction(Qt::CopyAction);
        drop->accept();
        // The installation dialog runs after the drag has finished, not inside it.
        QTimer::singleShot(0, this, [this] {
            RunGuarded(this, [this] { DropSpeakerOnInstallationList(Doc()); });
        });
        return true;
    }
    default:
        return false;
    }
}
