#pragma once

#include "project/CommandTable.h"

#include <string>
#include <vector>

class CDAXDoc;

// Commands of the application and its frames (outside the project table).
enum EAppCommand : int {
    kCmdNew = 57600,
    kCmdOpen = 57601,
    kCmdClose = 57602,
    kCmdSaveAs = 57604,
    kCmdPrintSetup = 57606,
    kCmdSend = 57612,
    kCmdRecentFirst = 57616, // the recent-file entries are kCmdRecentFirst + 0..3
    kCmdWindowCascade = 57650,
    kCmdWindowTile = 57651,
    kCmdAbout = 57664,
    kCmdUserGuide = 57670,
    kCmdShortcuts = 57671,
    kCmdExportMap = 57672,
    kCmdExportReport = 57673,
    kCmdTabbedWindows = 57674,
    kCmdExit = 57665,
    kCmdNextPane = 57680,
    kCmdPreviousPane = 57681,
    kCmdViewToolBar = 59392,
    kCmdViewStatusBar = 59393,
};

inline constexpr int kRecentFileCount = 4;

// Texts of the application commands, in the same shape as the project table (popup empty).
const std::vector<CCommandInfo>& AppCommandTable();
// A project or application command.
const CCommandInfo* FindAnyCommand(int id);
// The keyboard shortcut of a command in portable text ("Ctrl+N"), or empty.
std::string Accelerator(int id);

// One entry of a menu bar: a command, a separator, the recent-file list or a popup.
struct CMenuNode {
    enum EKind { Command, Separator, RecentFiles, Popup };
    EKind kind = Command;
    int id = 0;
    std::string text; // popup title with '&' before the mnemonic
    std::vector<CMenuNode> children;
};

// The menu bar without a project (File, View, Help) or with one (the project menu).
std::vector<CMenuNode> MainMenu(bool projectOpen);
// Toolbar buttons in order; 0 stands for a separator.
const std::vector<int>& ToolbarLayout();

// Every keyboard shortcut of the program with what it does, for Help > Keyboard Shortcuts: the
// menu commands' keys and those of the panes.
struct CShortcut {
    std::string keys;
    std::string what;
};
std::vector<CShortcut> KeyboardShortcuts();

// Whether a checkable command shows its check mark for the active project (the automatic colour
// scale of its current map).
bool IsCommandChecked(int id, const CDAXDoc* activeProject);

// Whether a menu or toolbar command can run now: project commands follow the active project's
// rules and need a project, application commands always can.
bool IsCommandAvailable(int id, const CDAXDoc* activeProject);
