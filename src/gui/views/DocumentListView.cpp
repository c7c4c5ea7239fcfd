#include "views/DocumentListView.h"

#include "paint/GuiText.h"
#include "project/DAXDoc.h"
#include "app/Guard.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

CDocumentListView::CDocumentListView(CDAXDoc& document, EUpdateHint refillHint,
                                     const QString& listName, QWidget* parent)
    : QWidget(parent), CDocumentView(document), m_doc(document), m_refillHint(refillHint),
      m_list(new QTreeWidget(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list);
    m_list->setObjectName(listName);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setContextMenuPolicy(Qt::DefaultContextMenu);
    m_list->header()->setStretchLastSection(false);
    m_list->viewport()->installEventFilter(this);
    m_list->installEventFilter(this);
    connect(m_list, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        // Keyboard navigation; mouse presses are handled before the list sees them.
        if (!m_refilling && item)
            RunGuarded(this, [&] { RowPressed(m_list->indexOfTopLevelItem(item)); });
    });
}

void CDocumentListView::OnUpdate(EUpdateHint hint, const CDocumentChange&) {
    if (hint == m_refillHint)
        Refill();
}

void CDocumentListView::Refill() {
    m_refilling = true;
    // A list that holds several rows keeps them through a refill that keeps every row (another
    // row became current); one whose rows changed starts again from the current row.
    const int before = m_list->topLevelItemCount();
    const std::vector<int> kept = MultiSelect() ? SelectedRows() : std::vector<int>();
    m_list->clear();
    const std::vector<CListColumn> columns = Columns();
    QStringList titles;
    for (const CListColumn& column : columns)
        titles << ToQString(column.title);
    m_list->setColumnCount(static_cast<int>(columns.size()));
    m_list->setHeaderLabels(titles);
    // Each column is at least as wide as its header reads at the list's font.
    for (int i = 0; i < static_cast<int>(columns.size()); ++i)
        m_list->header()->resizeSection(
            i, std::max(columns[i].width, m_list->header()->sectionSizeHint(i)));
    QList<QTreeWidgetItem*> items;
    for (const std::vector<std::string>& row : Rows()) {
        QStringList texts;
        for (const std::string& text : row)
            texts << ToQString(text);
        auto* item = new QTreeWidgetItem(texts);
        // A long speaker name is cut short in its column; the pointer shows it whole.
        for (int i = 0; i < texts.size(); ++i)
            item->setToolTip(i, texts[i]);
        items << item;
    }
    m_list->addTopLevelItems(items);
    if (m_list->topLevelItemCount() == before)
        for (int row : kept)
            m_list->topLevelItem(row)->setSelected(true);
    m_refilling = false;
    SelectRow(CurrentRow());
}

void CDocumentListView::SelectRow(int row) {
    m_refilling = true;
    if (QTreeWidgetItem* item = m_list->topLevelItem(row)) {
        if (MultiSelect()) { // the current row joins the rows already selected
            m_list->setCurrentItem(item, 0, QItemSelectionModel::NoUpdate);
            item->setSelected(true);
        } else {
            m_list->setCurrentItem(item);
        }
        m_list->scrollToItem(item);
    } else {
        m_list->clearSelection();
    }
    m_refilling = false;
}

int CDocumentListView::RowAt(const QPoint& viewportPos) const {
    QTreeWidgetItem* item = m_list->itemAt(viewportPos);
    return item ? m_list->indexOfTopLevelItem(item) : -1;
}

void CDocumentListView::RunMenu(const std::vector<CMenuEntry>& entries, const QPoint& globalPos) {
    QMenu menu(this);
    menu.setObjectName("listContextMenu");
    for (const CMenuEntry& entry : entries) {
        QAction* action = menu.addAction(ToQString(entry.text));
        action->setData(entry.command);
        action->setEnabled(m_doc.IsCommandEnabled(entry.command));
    }
    if (QAction* chosen = menu.exec(globalPos))
        m_doc.OnCommand(chosen->data().toInt());
}

void CDocumentListView::ExtendSelection(int row, bool range) {
    QTreeWidgetItem* item = m_list->topLevelItem(row);
    if (!item)
        return;
    if (range) { // Shift: every row from the current one to this one
        const int from = std::max(0, CurrentRow());
        for (int i = std::min(from, row); i <= std::max(from, row); ++i)
            m_list->topLevelItem(i)->setSelected(true);
    } else if (item->isSelected()) { // Ctrl on a selected row: it leaves the selection
        item->setSelected(false);
        return;
    }
    item->setSelected(true);
    RowPressed(row);
    SelectRow(CurrentRow());
}

std::vector<int> CDocumentListView::SelectedRows() const {
    std::vector<int> rows;
    for (int i = 0; i < m_list->topLevelItemCount(); ++i)
        if (m_list->topLevelItem(i)->isSelected())
            rows.push_back(i);
    return rows;
}

bool CDocumentListView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        bool handled = false;
        RunGuarded(this, [&] { handled = ListKey(static_cast<QKeyEvent*>(event)); });
        return handled;
    }
    if (watched != m_list->viewport())
        return QWidget::eventFilter(watched, event);
    bool handled = false;
    RunGuarded(this, [&] { handled = ViewportInput(event); });
    // An input event that failed half-way is still taken, so the list does not act on it too.
    return handled || IsInput(event);
}

bool CDocumentListView::IsInput(const QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}

bool CDocumentListView::ViewportInput(QEvent* event) {
    if (ViewportEvent(event))
        return true;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton)
            return true;
        const int row = RowAt(mouse->position().toPoint());
        if (MultiSelect()) {
            const Qt::KeyboardModifiers keys = mouse->modifiers();
            if (row >= 0 && (keys & (Qt::ControlModifier | Qt::ShiftModifier))) {
                ExtendSelection(row, (keys & Qt::ShiftModifier) != 0);
                return true;
            }
            m_list->clearSelection(); // a plain click selects its row alone
        }
        if (row >= 0)
            RowPressed(row);
        SelectRow(CurrentRow());
        m_pressed = row >= 0;
        m_pressPos = mouse->position().toPoint();
        m_list->setFocus(Qt::MouseFocusReason);
        if (row >= 0 && event->type() == QEvent::MouseButtonDblClick) {
            m_pressed = false;
            RowActivated(row);
        }
        return true;
    }
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (m_pressed && (mouse->buttons() & Qt::LeftButton))
            DragMoved(m_pressPos, mouse->position().toPoint());
        return true;
    }
    case QEvent::MouseButtonRelease:
        m_pressed = false;
        return true;
    case QEvent::ContextMenu: {
        auto* menu = static_cast<QContextMenuEvent*>(event);
        const int row = RowAt(menu->pos());
        if (row >= 0)
            RowContextMenu(row, menu->globalPos());
        else
            SelectRow(CurrentRow());
        return true;
    }
    default:
        return false;
    }
}
