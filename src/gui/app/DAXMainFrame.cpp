#include "app/DAXMainFrame.h"

#include "app/AppIcons.h"
#include "app/DAXApp.h"
#include "app/DAXChildFrame.h"
#include "app/DAXDocTemplate.h"
#include "app/Guard.h"
#include "app/LockKeys.h"
#include "app/ProjectExport.h"
#include "app/QtFilePort.h"
#include "app/QtMessagePort.h"
#include "dialogs/UserGuideDialog.h"
#include "paint/GuiText.h"
#include "project/CommandTable.h"
#include "project/DAXDoc.h"
#include "project/Strings.h"
#include "views/ColorMapView.h"

#include "app/PrinterChoice.h"
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>

#include <QPageSetupDialog>
#include <QPrinter>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QSettings>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

namespace {

constexpr char kRecentGroup[] = "Recent File List";
constexpr char kGeometryKey[] = "MainWindow/geometry";
constexpr char kTabbedKey[] = "MainWindow/tabbed";
constexpr char kReady[] = "Ready";

QSettings UserStore() {
    return QSettings(kMakerName, kStoreName);
}

QString Canonical(const QString& path) {
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

QLabel* Indicator(const QString& text, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setAlignment(Qt::AlignCenter);
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(text) + 12);
    label->setProperty("indicatorText", text);
    return label;
}

void ShowIndicator(QLabel* label, bool on) {
    label->setText(on ? label->property("indicatorText").toString() : QString());
}

} // namespace

bool IsProjectFileName(const QString& path) {
    return path.endsWith(".tdax", Qt::CaseInsensitive) ||
           path.endsWith(".dax", Qt::CaseInsensitive);
}

CDAXMainFrame::CDAXMainFrame(CDAXApp& app, QWidget* parent)
    : QMainWindow(parent), m_app(app), m_mdi(new QMdiArea(this)) {
    setWindowTitle(kAppTitle);
    setWindowIcon(ApplicationIcon());
    setAcceptDrops(true);
    setCentralWidget(m_mdi);
    m_mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // The last size and place; the first start takes most of the screen.
    if (!restoreGeometry(UserStore().value(kGeometryKey).toByteArray())) {
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->availableGeometry();
            resize(area.size() * 9 / 10);
            move(area.center() - rect().center());
        } else {
            resize(800, 600);
        }
    }

    CreateActions();
    CreateToolBar();
    CreateStatusBar();
    BuildMenus(false);
    SetRecentFiles(RecentFiles());
    connect(m_mdi, &QMdiArea::subWindowActivated, this, [this] { UpdateCommandUI(); });
    qApp->installEventFilter(this);
    UpdateCommandUI();
    UpdateLockIndicators();
}

CDAXMainFrame::~CDAXMainFrame() {
    qApp->removeEventFilter(this);
    // Project windows go first: their panes are views of projects they own.
    for (QMdiSubWindow* window : m_mdi->subWindowList())
        delete window;
}

// --- Commands -----------------------------------------------------------------------------

void CDAXMainFrame::CreateActions() {
    std::vector<const CCommandInfo*> commands;
    for (const CCommandInfo& info : CommandTable())
        commands.push_back(&info);
    for (const CCommandInfo& info : AppCommandTable())
        commands.push_back(&info);
    for (const CCommandInfo* info : commands) {
        auto* action = new QAction(ToQString(info->menuText), this);
        action->setStatusTip(ToQString(info->prompt));
        action->setToolTip(ToQString(info->tooltip));
        if (const std::string keys = Accelerator(info->id); !keys.empty())
            action->setShortcut(QKeySequence(QString::fromStdString(keys)));
        QList<QKeySequence> extra;
        for (const std::string& keys : CommandShortcuts(info->id))
            extra << QKeySequence(QString::fromStdString(keys));
        if (!extra.isEmpty())
            action->setShortcuts(extra);
        action->setIcon(CommandIcon(info->id));
        action->setIconVisibleInMenu(false);
        const int id = info->id;
        connect(action, &QAction::triggered, this, [this, id] { ExecuteCommand(id); });
        m_actions.insert(id, action);
        addAction(action); // shortcuts work whichever menu is shown
    }
    for (int id : {kCmdViewToolBar, kCmdViewStatusBar}) {
        m_actions[id]->setCheckable(true);
        m_actions[id]->setChecked(true);
    }
    m_actions[kCmdTabbedWindows]->setCheckable(true);
    m_actions[kCmdAutomaticScale]->setCheckable(true);
    SetTabbed(UserStore().value(kTabbedKey, false).toBool());
    for (int i = 0; i < kRecentFileCount; ++i) {
        auto* action = new QAction(this);
        action->setStatusTip("Open this project");
        const int id = kCmdRecentFirst + i;
        connect(action, &QAction::triggered, this, [this, id] { ExecuteCommand(id); });
        m_recentActions << action;
    }
}

void CDAXMainFrame::AddMenuNodes(QMenu* menu, const std::vector<CMenuNode>& nodes) {
    for (const CMenuNode& node : nodes) {
        switch (node.kind) {
        case CMenuNode::Command:
            menu->addAction(m_actions.value(node.id));
            break;
        case CMenuNode::Separator:
            menu->addSeparator();
            break;
        case CMenuNode::RecentFiles:
            menu->addActions(m_recentActions);
            break;
        case CMenuNode::Popup: {
            QMenu* popup = menu->addMenu(ToQString(node.text));
            AddMenuNodes(popup, node.children);
            break;
        }
        }
    }
}

void CDAXMainFrame::BuildMenus(bool projectOpen) {
    const int kind = projectOpen ? 1 : 0;
    if (kind == m_menuKind)
        return;
    m_menuKind = kind;
    menuBar()->clear();
    for (const CMenuNode& popup : MainMenu(projectOpen)) {
        QMenu* menu = menuBar()->addMenu(ToQString(popup.text));
        AddMenuNodes(menu, popup.children);
        if (popup.text == "&Window")
            connect(menu, &QMenu::aboutToShow, this, [this, menu] { ListWindows(menu); });
    }
}

void CDAXMainFrame::ListWindows(QMenu* menu) {
    for (QAction* action : menu->actions())
        if (action->property("windowEntry").toBool())
            delete action;
    const QList<QMdiSubWindow*> windows = m_mdi->subWindowList();
    if (!windows.isEmpty()) {
        menu->addSeparator()->setProperty("windowEntry", true);
    }
    for (int i = 0; i < windows.size(); ++i) {
        QMdiSubWindow* window = windows[i];
        QString title = window->windowTitle();
        title.replace("[*]", window->isWindowModified() ? "*" : "");
        QAction* action = menu->addAction(QString("&%1 %2").arg(i + 1).arg(title));
        action->setProperty("windowEntry", true);
        action->setCheckable(true);
        action->setChecked(window == m_mdi->activeSubWindow());
        connect(action, &QAction::triggered, this,
                [this, window] { m_mdi->setActiveSubWindow(window); });
    }
}

void CDAXMainFrame::CreateToolBar() {
    m_toolBar = addToolBar("Tool Bar");
    m_toolBar->setObjectName("mainToolBar");
    m_toolBar->setIconSize(QSize(16, 16));
    m_toolBar->setAllowedAreas(Qt::AllToolBarAreas);
    for (int id : ToolbarLayout()) {
        if (id == 0)
            m_toolBar->addSeparator();
        else
            m_toolBar->addAction(m_actions.value(id));
    }
    connect(m_toolBar, &QToolBar::visibilityChanged, m_actions[kCmdViewToolBar],
            &QAction::setChecked);
}

void CDAXMainFrame::CreateStatusBar() {
    QStatusBar* bar = statusBar();
    m_caps = Indicator("CAP", bar);
    m_num = Indicator("NUM", bar);
    m_scroll = Indicator("SCRL", bar);
    bar->addPermanentWidget(m_caps);
    bar->addPermanentWidget(m_num);
    bar->addPermanentWidget(m_scroll);
    // The idle text returns whenever a command prompt goes.
    connect(bar, &QStatusBar::messageChanged, this, [bar](const QString& text) {
        if (text.isEmpty())
            bar->showMessage(kReady);
    });
    bar->showMessage(kReady);
}

void CDAXMainFrame::UpdateLockIndicators() {
    const CLockKeys keys = ReadLockKeys();
    ShowIndicator(m_caps, keys.caps);
    ShowIndicator(m_num, keys.num);
    ShowIndicator(m_scroll, keys.scroll);
}

CDAXChildFrame* CDAXMainFrame::ActiveChild() const {
    QMdiSubWindow* window = m_mdi->activeSubWindow();
    if (!window && !m_mdi->subWindowList().isEmpty())
        window = m_mdi->currentSubWindow();
    return window ? qobject_cast<CDAXChildFrame*>(window->widget()) : nullptr;
}

QList<CDAXChildFrame*> CDAXMainFrame::Children() const {
    QList<CDAXChildFrame*> children;
    for (QMdiSubWindow* window : m_mdi->subWindowList())
        if (auto* child = qobject_cast<CDAXChildFrame*>(window->widget()))
            children << child;
    return children;
}

void CDAXMainFrame::UpdateCommandUI() {
    m_updatePending = false;
    CDAXChildFrame* child = ActiveChild();
    const CDAXDoc* document = child ? &child->Document() : nullptr;
    BuildMenus(document != nullptr);
    for (auto it = m_actions.cbegin(); it != m_actions.cend(); ++it)
        it.value()->setEnabled(IsCommandAvailable(it.key(), document));
    m_actions[kCmdViewStatusBar]->setChecked(statusBar()->isVisible());
    m_actions[kCmdAutomaticScale]->setChecked(IsCommandChecked(kCmdAutomaticScale, document));
    // The edit keys name the step they undo or redo; with nothing to do they stay greyed.
    m_actions[kCmdUndo]->setText(
        ToQString(document ? document->UndoMenuText() : Strings::kUndoMenu));
    m_actions[kCmdRedo]->setText(
        ToQString(document ? document->RedoMenuText() : Strings::kRedoMenu));
    for (CDAXChildFrame* each : Children())
        each->RefreshTitle();
    setWindowTitle(child ? QString("%1 - %2").arg(kAppTitle, child->DocumentTitle())
                         : QString(kAppTitle));
}

void CDAXMainFrame::ScheduleCommandUI() {
    if (m_updatePending)
        return;
    m_updatePending = true;
    QTimer::singleShot(0, this, [this] { UpdateCommandUI(); });
}

void CDAXMainFrame::ExecuteCommand(int id) {
    CDAXChildFrame* child = ActiveChild();
    RunGuarded(this, [&] {
        if (id >= kCmdRecentFirst && id < kCmdRecentFirst + kRecentFileCount) {
            const QStringList files = RecentFiles();
            const int index = id - kCmdRecentFirst;
            if (index < files.size())
                OpenProject(files[index]);
            return;
        }
        switch (id) {
        case kCmdNew:
            NewProject();
            return;
        case kCmdOpen:
            OpenProjectDialog();
            return;
        case kCmdClose:
            if (QMdiSubWindow* window = m_mdi->activeSubWindow())
                window->close();
            return;
        case kCmdSave:
            if (child)
                child->Save();
            return;
        case kCmdSaveAs:
            if (child)
                child->SaveAs();
            return;
        case kCmdPrintSetup: {
            QPageSetupDialog dialog(&ChosenPrinter(), this);
            dialog.exec();
            return;
        }
        case kCmdSend:
            SendProject();
            return;
        case kCmdWindowCascade:
            m_mdi->cascadeSubWindows();
            return;
        case kCmdWindowTile:
            m_mdi->tileSubWindows();
            return;
        case kCmdAbout:
            ShowAbout();
            return;
        case kCmdUserGuide: {
            CUserGuideDialog guide(this);
            guide.exec();
            return;
        }
        case kCmdShortcuts: {
            CShortcutsDialog shortcuts(this);
            shortcuts.exec();
            return;
        }
        case kCmdTabbedWindows:
            SetTabbed(m_mdi->viewMode() != QMdiArea::TabbedView);
            UserStore().setValue(kTabbedKey, m_mdi->viewMode() == QMdiArea::TabbedView);
            return;
        case kCmdExportMap:
            if (child)
                if (auto* map = qobject_cast<CColorMapView*>(child->Pane(EPane::ColorMap)))
                    ExportMap(this, child->Document(), map->Model().ConditionIndex(),
                              std::max(200, map->viewport()->width()),
                              std::max(200, map->viewport()->height()));
            return;
        case kCmdExportReport:
            if (child)
                ExportReport(this, child->Document(), &m_app.Settings());
            return;
        case kCmdExit:
            close();
            return;
        case kCmdNextPane:
        case kCmdPreviousPane:
            if (child)
                child->FocusPane(id == kCmdNextPane ? 1 : -1);
            return;
        case kCmdViewToolBar:
            m_toolBar->setVisible(!m_toolBar->isVisible());
            return;
        case kCmdViewStatusBar:
            statusBar()->setVisible(!statusBar()->isVisible());
            return;
        default:
            if (child && FindCommand(id))
                child->Document().OnCommand(id);
        }
    });
    UpdateCommandUI();
}

// --- Projects -----------------------------------------------------------------------------

CDAXChildFrame* CDAXMainFrame::AddChild(CDAXChildFrame* child) {
    QMdiSubWindow* window = m_mdi->addSubWindow(child);
    window->setWindowIcon(ApplicationIcon());
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->resize(785, 500);
    window->move(0, 0);
    connect(child, &CDAXChildFrame::saved, this, [this](const QString& path) {
        AddRecentFile(path);
        UpdateCommandUI();
    });
    connect(child, &QObject::destroyed, this, [this] { ScheduleCommandUI(); });
    // Whatever changed the project (a dialog, a drag, a list choice, undo, a calculation that
    // ended) shows in the commands once the event that did it is over.
    connect(child, &CDAXChildFrame::stateChanged, this, [this] { ScheduleCommandUI(); });
    connect(child, &CDAXChildFrame::statusMessage, this, [this](const QString& text) {
        if (text.isEmpty())
            statusBar()->clearMessage(); // the idle text comes back
        else
            statusBar()->showMessage(text);
    });
    connect(child, &CDAXChildFrame::commandRequested, this, [this, child](int id) {
        m_mdi->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(child->parentWidget()));
        ExecuteCommand(id);
    });
    return child;
}

CDAXChildFrame* CDAXMainFrame::NewProject() {
    auto* child = AddChild(
        new CDAXChildFrame(CDAXDocTemplate::NewDocument(m_app.LengthUnit()), &m_app.Settings()));
    // Shown first, maximised in the work area, so the map fits the pane it really has.
    child->parentWidget()->showMaximized();
    child->InitialUpdate();
    child->setFocus();
    UpdateCommandUI();
    return child;
}

CDAXChildFrame* CDAXMainFrame::FindOpen(const QString& path) const {
    const QString wanted = Canonical(path);
    for (CDAXChildFrame* child : Children())
        if (!child->Document().PathName().empty() &&
            Canonical(FromCorePath(child->Document().PathName())) == wanted)
            return child;
    return nullptr;
}

CDAXChildFrame* CDAXMainFrame::OpenProject(const QString& path) {
    if (CDAXChildFrame* open = FindOpen(path)) {
        m_mdi->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(open->parentWidget()));
        AddRecentFile(FromCorePath(open->Document().PathName()));
        return open;
    }
    CDAXDocTemplate::COpenResult result =
        CDAXDocTemplate::OpenDocumentFile(path, !Children().isEmpty(), m_app.LengthUnit());
    if (!result.document) {
        RemoveRecentFile(path);
        QMessageBox::warning(this, kAppMessageTitle, result.error);
        return nullptr;
    }
    if (!result.notice.isEmpty())
        QMessageBox::information(this, kAppMessageTitle, result.notice);
    auto* child = AddChild(new CDAXChildFrame(std::move(result.document), &m_app.Settings()));
    // Shown first, maximised in the work area, so the map fits the pane it really has.
    child->parentWidget()->showMaximized();
    child->InitialUpdate();
    child->setFocus();
    AddRecentFile(FromCorePath(child->Document().PathName()));
    UpdateCommandUI();
    return child;
}

void CDAXMainFrame::OpenProjectDialog() {
    const QString path = QFileDialog::getOpenFileName(this, "Open", QString(), kOpenProjectFilter);
    if (!path.isEmpty())
        OpenProject(path);
}

void CDAXMainFrame::SetTabbed(bool tabbed) {
    m_mdi->setViewMode(tabbed ? QMdiArea::TabbedView : QMdiArea::SubWindowView);
    if (tabbed) {
        m_mdi->setTabsClosable(true);
        m_mdi->setTabsMovable(true);
        m_mdi->setDocumentMode(true);
    } else {
        // Back to windows: each fills the work area, as a new one opens (once the area has
        // laid its windows out again).
        QTimer::singleShot(0, this, [this] {
            for (QMdiSubWindow* window : m_mdi->subWindowList())
                window->showMaximized();
        });
    }
    m_actions[kCmdTabbedWindows]->setChecked(tabbed);
}

void CDAXMainFrame::SendProject() {
    CDAXChildFrame* child = ActiveChild();
    if (!child)
        return;
    const CDAXDoc& doc = child->Document();
    // What is sent is the file: a project with unsaved changes is saved first, if the user
    // agrees; otherwise the last saved file goes, and an unsaved new project cannot.
    if (doc.PathName().empty() || doc.IsModified()) {
        const QString question =
            doc.PathName().empty()
                ? QString("%1 has not been saved yet. Save it, so it can be sent?")
                      .arg(child->DocumentTitle())
                : QString("%1 has changes that are not saved. Save them before it is sent? "
                          "(No sends the file as it was last saved.)")
                      .arg(child->DocumentTitle());
        const auto buttons = doc.PathName().empty()
                                 ? QMessageBox::Save | QMessageBox::Cancel
                                 : QMessageBox::Save | QMessageBox::No | QMessageBox::Cancel;
        QMessageBox box(QMessageBox::Question, kAppMessageTitle, question, buttons, this);
        box.setObjectName("sendSaveQuestion");
        box.setDefaultButton(QMessageBox::Save);
        const int answer = box.exec();
        if (answer == QMessageBox::Cancel || (answer == QMessageBox::Save && !child->Save()))
            return;
    }
    const QString path = FromCorePath(child->Document().PathName());
    const QString mailer = QStandardPaths::findExecutable("xdg-email");
    if (mailer.isEmpty() || !QProcess::startDetached(mailer, {"--attach", path})) {
        QMessageBox box(QMessageBox::Information, kAppMessageTitle,
                        QString("There is no mail program to send the project with (%1). The "
                                "project is saved as\n%2\nAttach that file to a message in "
                                "your mail program.")
                            .arg(mailer.isEmpty() ? "xdg-email is not installed"
                                                  : "xdg-email could not be started",
                                 QDir::toNativeSeparators(path)),
                        QMessageBox::Ok, this);
        box.setObjectName("noMailProgram");
        box.exec();
    }
}

void CDAXMainFrame::ShowAbout() {
    QMessageBox box(this);
    box.setWindowTitle("About Daxara");
    box.setIconPixmap(ApplicationIcon().pixmap(64, 64));
    box.setText(QString("<b>%1</b><br>Version %2").arg(kAppTitle, DAXARA_VERSION));
    box.setInformativeText("Settings file: " + QDir::toNativeSeparators(m_app.SettingsPath()));
    box.exec();
}

// --- Recent files -------------------------------------------------------------------------

QStringList CDAXMainFrame::RecentFiles() const {
    QSettings store = UserStore();
    QStringList files;
    store.beginGroup(kRecentGroup);
    for (int i = 1; i <= kRecentFileCount; ++i) {
        const QString file = store.value(QString("File%1").arg(i)).toString();
        if (!file.isEmpty())
            files << file;
    }
    return files;
}

void CDAXMainFrame::SetRecentFiles(const QStringList& files) {
    QSettings store = UserStore();
    store.beginGroup(kRecentGroup);
    for (int i = 0; i < kRecentFileCount; ++i) {
        const QString key = QString("File%1").arg(i + 1);
        QAction* action = m_recentActions[i];
        if (i < files.size()) {
            store.setValue(key, files[i]);
            action->setText(QString("&%1 %2").arg(i + 1).arg(QFileInfo(files[i]).fileName()));
            action->setStatusTip(QDir::toNativeSeparators(files[i]));
            action->setVisible(true);
        } else {
            store.remove(key);
            action->setVisible(false);
        }
    }
}

void CDAXMainFrame::AddRecentFile(const QString& path) {
    // One entry per file, however it was named (a link, "..", a relative name).
    const QString file = Canonical(path);
    QStringList files;
    for (const QString& listed : RecentFiles())
        if (Canonical(listed) != file)
            files << listed;
    files.prepend(file);
    SetRecentFiles(files.mid(0, kRecentFileCount));
}

void CDAXMainFrame::RemoveRecentFile(const QString& path) {
    const QString file = Canonical(path);
    QStringList files;
    for (const QString& listed : RecentFiles())
        if (Canonical(listed) != file && listed != QFileInfo(path).absoluteFilePath())
            files << listed;
    if (files.size() != RecentFiles().size())
        SetRecentFiles(files);
}

// --- Window events ------------------------------------------------------------------------

void CDAXMainFrame::closeEvent(QCloseEvent* event) {
    // Every modified project is asked before any window closes: Cancel (or a save that fails)
    // stops the exit with every project open as it was.
    const QList<CDAXChildFrame*> children = Children();
    bool go = true;
    for (CDAXChildFrame* child : children) {
        if (child->Document().IsModified())
            m_mdi->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(child->parentWidget()));
        if (!child->AskBeforeExit()) {
            go = false;
            break;
        }
    }
    if (go)
        m_mdi->closeAllSubWindows();
    if (!go || !m_mdi->subWindowList().isEmpty()) {
        for (CDAXChildFrame* child : Children())
            child->ForgetCloseAnswer();
        event->ignore();
        UpdateCommandUI();
        return;
    }
    UserStore().setValue(kGeometryKey, saveGeometry());
    event->accept();
}

void CDAXMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile() && IsProjectFileName(url.toLocalFile())) {
            event->acceptProposedAction();
            return;
        }
}

void CDAXMainFrame::dropEvent(QDropEvent* event) {
    QStringList files;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile() && IsProjectFileName(url.toLocalFile()))
            files << url.toLocalFile();
    if (files.isEmpty())
        return;
    event->acceptProposedAction();
    activateWindow();
    // Opening may show message boxes; the drag source must not wait for them.
    QTimer::singleShot(0, this, [this, files] {
        for (const QString& file : files)
            RunGuarded(this, [&] { OpenProject(file); });
    });
}

bool CDAXMainFrame::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyRelease: {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_CapsLock || key == Qt::Key_NumLock || key == Qt::Key_ScrollLock)
            UpdateLockIndicators();
        ScheduleCommandUI();
        break;
    }
    case QEvent::MouseButtonRelease:
    case QEvent::Drop:
        // What a pane did to its project shows in the commands once the event is done.
        ScheduleCommandUI();
        break;
    case QEvent::ApplicationActivate:
        UpdateLockIndicators();
        break;
    case QEvent::Hide:
        // A dialog that closes leaves the keyboard to this window, so its shortcuts (Ctrl+Z
        // after an edit) work at once; without a window manager to hand it back, nothing would
        // have it.
        if (auto* dialog = qobject_cast<QDialog*>(watched); dialog && dialog->isWindow())
            QTimer::singleShot(0, this, [this] {
                if (isVisible() && !QApplication::activeModalWidget() &&
                    !QApplication::activePopupWidget() && !QApplication::activeWindow())
                    activateWindow();
            });
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}
