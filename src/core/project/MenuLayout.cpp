#include "project/MenuLayout.h"

#include "project/DAXDoc.h"

const std::vector<CCommandInfo>& AppCommandTable() {
    static const std::vector<CCommandInfo> table = {
        {kCmdNew, "Create a new project", "New", "&New Project", ""},
        {kCmdOpen, "Open an existing project", "Open", "&Open Project...", ""},
        {kCmdClose, "Close the active project", "Close", "&Close Project", ""},
        {kCmdSaveAs, "Save the active project with a new name", "Save As", "Save Project &As...",
         ""},
        {kCmdPrintSetup, "Change the printer and printing options", "Print Setup",
         "P&rint Setup...", ""},
        {kCmdSend, "Send the active project through electronic mail", "Send Mail", "Sen&d...", ""},
        {kCmdWindowCascade, "Arrange windows so they overlap", "Cascade Windows", "&Cascade", ""},
        {kCmdWindowTile, "Arrange windows as non-overlapping tiles", "Tile Windows", "&Tile", ""},
        {kCmdAbout, "Display program information, version number and settings file", "About",
         "&About Daxara...", ""},
        {kCmdUserGuide, "Read the user guide", "User Guide", "&User Guide", ""},
        {kCmdShortcuts, "List the keyboard shortcuts", "Keyboard Shortcuts",
         "&Keyboard Shortcuts", ""},
        {kCmdExportMap, "Write the colour map as a PNG, SVG or PDF picture", "Export Map",
         "Export &Map...", ""},
        {kCmdExportReport, "Write the project's report as a PDF", "Export Report",
         "Export &Report...", ""},
        {kCmdTabbedWindows, "Show the projects as tabs instead of windows", "Tabbed Windows",
         "Ta&bs", ""},
        {kCmdExit, "Quit the application; prompts to save projects", "Exit", "E&xit", ""},
        {kCmdNextPane, "Switch to the next window pane", "Next Pane", "Next Pane", ""},
        {kCmdPreviousPane, "Switch back to the previous window pane", "Previous Pane",
         "Previous Pane", ""},
        {kCmdViewToolBar, "Show or hide the toolbar", "Toggle ToolBar", "&Tool Bar", ""},
        {kCmdViewStatusBar, "Show or hide the status bar", "Toggle StatusBar", "&Status Bar", ""},
    };
    return table;
}

const CCommandInfo* FindAnyCommand(int id) {
    if (const CCommandInfo* info = FindCommand(id))
        return info;
    for (const CCommandInfo& info : AppCommandTable())
        if (info.id == id)
            return &info;
    return nullptr;
}

std::string Accelerator(int id) {
    switch (id) {
    case kCmdNew:
        return "Ctrl+N";
    case kCmdOpen:
        return "Ctrl+O";
    case kCmdSave:
        return "Ctrl+S";
    case kCmdPrint:
        return "Ctrl+P";
    case kCmdSaveAs:
        return "Ctrl+Shift+S";
    case kCmdClose:
        return "Ctrl+W";
    case kCmdExit:
        return "Ctrl+Q";
    case kCmdUserGuide:
        return "F1";
    case kCmdNextPane:
        return "F6";
    case kCmdPreviousPane:
        return "Shift+F6";
    default:
        return {};
    }
}

namespace {

CMenuNode Command(int id) {
    return {CMenuNode::Command, id, {}, {}};
}
CMenuNode Separator() {
    return {CMenuNode::Separator, 0, {}, {}};
}
CMenuNode Popup(std::string text, std::vector<CMenuNode> children) {
    return {CMenuNode::Popup, 0, std::move(text), std::move(children)};
}

// The project commands the table files under one popup path, in table order.
std::vector<CMenuNode> CommandsOf(const std::string& popup) {
    std::vector<CMenuNode> nodes;
    for (const CCommandInfo& info : CommandTable())
        if (info.popup == popup)
            nodes.push_back(Command(info.id));
    return nodes;
}

std::vector<CMenuNode> Concat(std::vector<CMenuNode> a, const std::vector<CMenuNode>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

CMenuNode ViewPopup(bool projectOpen) {
    std::vector<CMenuNode> children;
    if (projectOpen) {
        children.push_back(
            Popup("&Room", {Popup("&Size", CommandsOf("View/Room/Size")),
                            Popup("&Direction", CommandsOf("View/Room/Direction"))}));
        for (const CMenuNode& node : CommandsOf("View/Colour"))
            children.push_back(node);
        children.push_back(Separator());
    }
    children.push_back(Command(kCmdViewToolBar));
    children.push_back(Command(kCmdViewStatusBar));
    return Popup("&View", children);
}

CMenuNode HelpPopup() {
    return Popup("&Help",
                 {Command(kCmdUserGuide), Command(kCmdShortcuts), Separator(), Command(kCmdAbout)});
}

} // namespace

std::vector<CMenuNode> MainMenu(bool projectOpen) {
    const CMenuNode recent{CMenuNode::RecentFiles, 0, {}, {}};
    if (!projectOpen)
        return {Popup("&File",
                      {Command(kCmdNew), Command(kCmdOpen), Separator(), Command(kCmdPrintSetup),
                       Separator(), recent, Separator(), Command(kCmdExit)}),
                ViewPopup(false), HelpPopup()};
    return {
        Popup("&File", {Command(kCmdNew), Command(kCmdOpen), Command(kCmdClose), Command(kCmdSave),
                        Command(kCmdSaveAs), Separator(), Command(kCmdPrint),
                        Command(kCmdPrintPreview), Command(kCmdPrintSetup), Separator(),
                        Command(kCmdExportMap), Command(kCmdExportReport), Command(kCmdSend),
                        Separator(), recent, Separator(), Command(kCmdExit)}),
        Popup("&Edit", CommandsOf("Edit")),
        ViewPopup(true),
        Popup("&Room", CommandsOf("Room")),
        Popup("&Speaker", CommandsOf("Speaker")),
        Popup("&Installation", CommandsOf("Installation")),
        Popup("&Tool", CommandsOf("Tool")),
        Popup("&Window",
              Concat(CommandsOf("Window"), {Command(kCmdWindowCascade), Command(kCmdWindowTile),
                                             Command(kCmdTabbedWindows)})),
        HelpPopup(),
    };
}

const std::vector<int>& ToolbarLayout() {
    static const std::vector<int> layout = {kCmdNew,
                                            kCmdOpen,
                                            kCmdSave,
                                            kCmdPrint,
                                            0,
                                            kCmdUndo,
                                            kCmdRedo,
                                            0,
                                            kCmdViewMinusX,
                                            kCmdViewPlusY,
                                            kCmdViewMinusZ,
                                            kCmdViewDiagonal,
                                            0,
                                            kCmdRoomParameters,
                                            kCmdImport,
                                            kCmdAutoInstall,
                                            0,
                                            kCmdRecalculate,
                                            kCmdPreference,
                                            0,
                                            kCmdFit,
                                            kCmdZoomIn,
                                            kCmdZoomOut,
                                            0,
                                            kCmdAbout};
    return layout;
}

bool IsCommandChecked(int id, const CDAXDoc* activeProject) {
    if (id != kCmdAutomaticScale || !activeProject)
        return false;
    const CColorMapCondition* current =
        activeProject->Conditions().At(activeProject->Conditions().currentIndex);
    return current && current->automaticScale;
}

bool IsCommandAvailable(int id, const CDAXDoc* activeProject) {
    if (FindCommand(id))
        return activeProject && activeProject->IsCommandEnabled(id);
    if (id == kCmdClose || id == kCmdSaveAs || id == kCmdSend || id == kCmdExportReport ||
        id == kCmdExportMap)
        return activeProject != nullptr;
    return FindAnyCommand(id) != nullptr ||
           (id >= kCmdRecentFirst && id < kCmdRecentFirst + kRecentFileCount);
}

std::vector<CShortcut> KeyboardShortcuts() {
    std::vector<CShortcut> list;
    auto add = [&](int id) {
        const CCommandInfo* info = FindAnyCommand(id);
        if (!info)
            return;
        std::string what = info->menuText;
        std::erase(what, '&');
        if (what.ends_with("..."))
            what.resize(what.size() - 3);
        std::vector<std::string> keys = CommandShortcuts(id);
        if (const std::string primary = Accelerator(id); !primary.empty())
            keys.insert(keys.begin(), primary);
        for (const std::string& k : keys)
            list.push_back({k, what});
    };
    for (const CCommandInfo& info : AppCommandTable())
        add(info.id);
    for (const CCommandInfo& info : CommandTable())
        add(info.id);
    list.push_back({"Delete", "Remove the selected installations (installation list)"});
    list.push_back({"Double click", "Properties of an installation (installation list)"});
    list.push_back({"Mouse wheel", "Zoom the map about the pointer"});
    list.push_back({"Middle button drag", "Turn the room's view"});
    return list;
}
