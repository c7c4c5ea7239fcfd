#pragma once

#include <string>
#include <vector>

// Project command ids.
enum ECommand : int {
    kCmdSave = 57603,
    kCmdPrint = 57607,
    kCmdPrintDirect = 57608,
    kCmdPrintPreview = 57609,
    kCmdImport = 32771,
    kCmdArrangeModules = 32811,
    kCmdDeleteSpeaker = 32773,
    kCmdExportVd1 = 32810,
    kCmdExportSofa = 32812,
    kCmdAlignDelays = 32813,
    kCmdAutoInstall = 32784,
    kCmdInstall = 32782,
    kCmdChangeInstallation = 32780,
    kCmdRemoveInstallation = 32779,
    kCmdRemoveAllInstallations = 32783,
    kCmdRoomParameters = 32777,
    kCmdRecalculate = 32794,
    kCmdPreference = 32787,
    kCmdFit = 32793,
    kCmdZoomIn = 32798,
    kCmdZoomOut = 32797,
    kCmdViewMinusX = 32799,
    kCmdViewPlusY = 32809,
    kCmdViewMinusZ = 32802,
    kCmdViewDiagonal = 32803,
    kCmdAutomaticScale = 32814,
    kCmdNewWindow = 57648,
    kCmdUndo = 57643,
    kCmdRedo = 57644,
    kCmdSurfacesAndAir = 32840,
};

// One entry of the command table: what the menus, toolbar and status bar show.
struct CCommandInfo {
    int id;
    std::string prompt; // status bar
    std::string tooltip;
    std::string menuText; // with '&' before the mnemonic
    std::string popup;    // the project menu popup that holds it ("Speaker", "View/Room/Size", ...)
};

// Every project command, in menu order within each popup.
const std::vector<CCommandInfo>& CommandTable();
const CCommandInfo* FindCommand(int id);
// The key sequences of a command in the portable text form ("Ctrl+Z"), first the primary one.
std::vector<std::string> CommandShortcuts(int id);
