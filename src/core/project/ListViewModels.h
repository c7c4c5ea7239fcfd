#pragma once

#include <string>
#include <vector>

class CDAXDoc;

// What the three report lists of a project window show and what a click in them does. The
// widgets only lay the rows out and forward clicks, drags and menu choices here.

struct CListColumn {
    std::string title;
    int width; // pixels at the list's standard font
};

struct CMenuEntry {
    std::string text; // with '&' before the mnemonic
    int command;      // project command id
};

// Rows are given as their cell texts, one vector per row in list order.
using CListRows = std::vector<std::vector<std::string>>;

// --- Speaker data list ---
std::vector<CListColumn> SpeakerColumns();
CListRows SpeakerRows(const CDAXDoc& doc);
// A click on row `row`: makes that model current, recomputes whether it may be installed, resets
// the colour maps' band lists when the resolution changed and refills the tap list. False (and
// nothing changed) for a row that holds no model.
bool SelectSpeaker(CDAXDoc& doc, int row);
// The right button on a row: the model becomes current, nothing else is refreshed.
bool SelectSpeakerForMenu(CDAXDoc& doc, int row);
// The speaker list's popup; "Export vd1..." only for a developer.
std::vector<CMenuEntry> SpeakerMenu(bool developer);
// After the popup closed: the install state follows the current model again.
void AfterSpeakerMenu(CDAXDoc& doc);
// Whether the current speaker may be dragged onto a view to install it.
bool CanDragSpeaker(const CDAXDoc& doc);
// The settings say this user is a developer (DeveloperID=1).
bool IsDeveloper(CDAXDoc& doc);

struct CTapElement;

// --- Tap list of the current model ---
// A tap as the list shows it: "8ohms  800W", "100V Line  3W".
std::vector<CListColumn> TapColumns();
std::string TapText(const CTapElement& tap);
CListRows TapRows(const CDAXDoc& doc);
// A click on a tap row makes it the current model's default tap, as one undoable step that
// marks the project modified; nothing is refreshed. False for no such row and while a map is
// calculated.
bool SelectTap(CDAXDoc& doc, int row);
// The row to select after a refill: the current model's default tap, -1 without a model.
int CurrentTapRow(const CDAXDoc& doc);

// --- Installation list ---
// Six more columns (aim, power, polarity, delay) while Advanced Mode is on.
std::vector<CListColumn> InstallationColumns(const CDAXDoc& doc);
CListRows InstallationRows(const CDAXDoc& doc);
// The same with the advanced columns chosen by the caller, whatever the project's mode.
std::vector<CListColumn> InstallationColumns(bool advanced);
CListRows InstallationRows(const CDAXDoc& doc, bool advanced);
// A click on a row makes that installation current and the maps move their marker.
bool SelectInstallation(CDAXDoc& doc, int row);
std::vector<CMenuEntry> InstallationMenu();
// The Delete key on the selected rows: removes them after the Remove command's question, as one
// undoable step. False when nothing was removed (declined, no valid row, a calculation runs).
bool RemoveSelectedInstallations(CDAXDoc& doc, const std::vector<int>& rows);
// A speaker dragged from the speaker list of the same project and dropped on the installation
// list: installs the current model at the centre of the room through the installation dialog.
// 1 when a speaker was installed, 2 when not. The drop does not mark the project modified.
int DropSpeakerOnInstallationList(CDAXDoc& doc);
