#pragma once

#include "project/MenuLayout.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>

class CDAXApp;
class CDAXChildFrame;
class CDAXDoc;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QPrinter;
class QToolBar;

// The main window: menus, toolbar and status bar built from the command tables, and one
// project window per open project.
class CDAXMainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit CDAXMainFrame(CDAXApp& app, QWidget* parent = nullptr);
    ~CDAXMainFrame() override;

    // New Project: a project in the application's unit; its map pane asks for the room.
    CDAXChildFrame* NewProject();
    // Opens a project file beside the open ones; null (after saying why) when it cannot.
    CDAXChildFrame* OpenProject(const QString& path);
    // File Open: asks for a file of either project extension and opens it.
    void OpenProjectDialog();

    CDAXChildFrame* ActiveChild() const;
    QList<CDAXChildFrame*> Children() const;
    QMdiArea* MdiArea() const { return m_mdi; }
    QToolBar* ToolBar() const { return m_toolBar; }
    QAction* Action(int commandId) const { return m_actions.value(commandId); }
    QStringList RecentFiles() const;

    // Runs a menu or toolbar command; nothing thrown leaves it.
    void ExecuteCommand(int commandId);
    // Enables each command as its rule says for the active project; refreshes the titles.
    void UpdateCommandUI();
    // The lock key indicators of the status bar.
    void UpdateLockIndicators();

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateActions();
    void BuildMenus(bool projectOpen);
    void AddMenuNodes(QMenu* menu, const std::vector<CMenuNode>& nodes);
    // The open project windows at the end of the Window menu.
    void ListWindows(QMenu* menu);
    void CreateToolBar();
    void CreateStatusBar();
    CDAXChildFrame* AddChild(CDAXChildFrame* child);
    void AddRecentFile(const QString& path);
    void RemoveRecentFile(const QString& path);
    void SetRecentFiles(const QStringList& files);
    void ShowAbout();
    void SendProject();
    // Projects as tabs, or as windows filling the work area.
    void SetTabbed(bool tabbed);
    void ScheduleCommandUI();
    CDAXChildFrame* FindOpen(const QString& path) const;

    CDAXApp& m_app;
    QMdiArea* m_mdi;
    QToolBar* m_toolBar = nullptr;
    QHash<int, QAction*> m_actions;
    QList<QAction*> m_recentActions;
    QLabel* m_caps = nullptr;
    QLabel* m_num = nullptr;
    QLabel* m_scroll = nullptr;
    int m_menuKind = -1; // 0 without a project, 1 with one
    bool m_updatePending = false;
};

// Project files are the ones with either project extension (any case).
bool IsProjectFileName(const QString& path);
