#include "project/CommandTable.h"

const std::vector<CCommandInfo>& CommandTable() {
    static const std::vector<CCommandInfo> table = {
        {kCmdSave, "Save the active document", "Save", "&Save Project", "File"},
        {kCmdPrint, "Print the active document", "Print", "&Print...", "File"},
        {kCmdPrintPreview, "Display full pages", "Print Preview", "Print Pre&view", "File"},
        {kCmdUndo, "Undo the last edit of the project", "Undo", "&Undo", "Edit"},
        {kCmdRedo, "Redo the edit that was undone", "Redo", "&Redo", "Edit"},
        {kCmdFit, "Fit", "Fit", "&Fit", "View/Room/Size"},
        {kCmdZoomIn, "Zoom in", "Zoom In", "Zoom &In", "View/Room/Size"},
        {kCmdZoomOut, "Zoom out", "Zoom Out", "Zoom &Out", "View/Room/Size"},
        {kCmdViewMinusX, "-X", "-X", "&X Axis Minus", "View/Room/Direction"},
        {kCmdViewPlusY, "+Y", "+Y", "&Y Axis Plus", "View/Room/Direction"},
        {kCmdViewMinusZ, "-Z", "-Z", "&Z Axis Minus", "View/Room/Direction"},
        {kCmdViewDiagonal, "Diagonal", "Diagonal", "&Diagonal", "View/Room/Direction"},
        {kCmdAutomaticScale, "Let the colour classes follow the map's maximum",
         "Automatic Colour Scale", "&Automatic Colour Scale", "View/Colour"},
        {kCmdRoomParameters, "Change parameters for room", "Room Parameters", "&Room Parameters...",
         "Room"},
        {kCmdSurfacesAndAir, "Surfaces, materials, air and background noise of the room",
         "Surfaces and Air", "&Surfaces and Air...", "Room"},
        {kCmdImport, "Import speaker data", "Import Speaker Data", "&Import...", "Speaker"},
        {kCmdArrangeModules, "Arrange Modules", "Arrange Module", "&Module Arrangement...",
         "Speaker"},
        {kCmdDeleteSpeaker, "Delete speaker data", "Delete Speaker Data", "&Delete...", "Speaker"},
        {kCmdExportVd1, "Export speaker data as vd1 format", "Export Speaker Data", "Export vd1...",
         "SpeakerContext"},
        {kCmdExportSofa, "Export the speaker's directivity as an AES69 (SOFA) file",
         "Export as SOFA", "Export as &SOFA...", "SpeakerContext"},
        {kCmdAutoInstall, "Install speakers automatically", "Auto Installation", "&Auto...",
         "Installation"},
        {kCmdInstall, "Install the current speaker", "Install", "&Manually...", "Installation"},
        {kCmdChangeInstallation, "Change property for installation", "Change Installation",
         "&Properties...", "Installation"},
        {kCmdRemoveInstallation, "Remove current installation", "Remove Installation", "&Remove...",
         "Installation"},
        {kCmdRemoveAllInstallations, "Remove all installation", "Remove ALL Installation",
         "Remove &All...", "Installation"},
        {kCmdAlignDelays,
         "Delay installations so that their sound follows a main installation's at a point",
         "Align Delays", "Align &Delays...", "Installation"},
        {kCmdRecalculate, "Recalculate...", "Recalculate...", "&Recalculate", "Tool"},
        {kCmdPreference, "Preference...", "Preference...", "&Preference...", "Tool"},
        {kCmdNewWindow, "Open another window for the active document", "New Window",
         "&New Window...", "Window"},
    };
    return table;
}

const CCommandInfo* FindCommand(int id) {
    for (const CCommandInfo& info : CommandTable())
        if (info.id == id)
            return &info;
    return nullptr;
}

std::vector<std::string> CommandShortcuts(int id) {
    switch (id) {
    case kCmdUndo:
        return {"Ctrl+Z"};
    case kCmdRedo:
        return {"Ctrl+Y", "Ctrl+Shift+Z"};
    default:
        return {};
    }
}
