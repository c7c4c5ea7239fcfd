#include "project/ListViewModels.h"

#include "common/FormatSignificant.h"
#include "project/ColorMapViewModel.h"
#include "project/CommandTable.h"
#include "project/DAXDoc.h"
#include "project/Strings.h"

namespace {
std::string Number(double value) {
    return FormatSignificant(value, 4);
}

bool ValidModelRow(const CDAXDoc& doc, int row) {
    return row >= 0 && row < doc.Models().Count();
}

// What the colour maps' band lists are made for: with one model the maps' own lists, else the
// model that was current.
double RememberedResolution(CDAXDoc& doc) {
    if (doc.Models().Count() == 1) {
        double pitch = -1.0;
        doc.MapViews().ForEach([&](CColorMapViewModel& map) {
            if (pitch < 0.0)
                pitch = map.ListPitch();
        });
        if (pitch >= 0.0)
            return pitch;
    }
    const CSpeakerModel* current = doc.CurrentModel();
    return current ? current->Header().pointsPerOctave : 0.0;
}
} // namespace

std::vector<CListColumn> SpeakerColumns() {
    return {{Strings::kColumnNo, 27}, {Strings::kColumnSpeakerName, 150}};
}

CListRows SpeakerRows(const CDAXDoc& doc) {
    CListRows rows;
    for (int i = 0; i < doc.Models().Count(); ++i)
        rows.push_back({std::to_string(i + 1), doc.Models().At(i).DisplayName()});
    return rows;
}

bool SelectSpeaker(CDAXDoc& doc, int row) {
    if (!ValidModelRow(doc, row))
        return false;
    const double remembered = RememberedResolution(doc);
    doc.SetCurrentModel(row);
    if (doc.CurrentModel()->Header().pointsPerOctave != remembered)
        doc.MapViews().ForEach([](CColorMapViewModel& map) { map.ResetSpeakerDependentDisplay(); });
    return true;
}

bool SelectSpeakerForMenu(CDAXDoc& doc, int row) {
    return doc.SetCurrentModel(row, CDAXDoc::ETell::Nobody);
}

std::vector<CMenuEntry> SpeakerMenu(bool developer) {
    if (developer)
        return {{Strings::kMenuDelete, kCmdDeleteSpeaker},
                {Strings::kMenuArrangeModules, kCmdArrangeModules},
                {Strings::kMenuImport, kCmdImport},
                {Strings::kMenuExportSofa, kCmdExportSofa},
                {Strings::kMenuExportVd1, kCmdExportVd1}};
    return {{Strings::kMenuImport, kCmdImport},
            {Strings::kMenuExportSofa, kCmdExportSofa},
            {Strings::kMenuArrangeModules, kCmdArrangeModules},
            {Strings::kMenuDelete, kCmdDeleteSpeaker}};
}

void AfterSpeakerMenu(CDAXDoc& doc) {
    doc.UpdateInstallState();
}

bool CanDragSpeaker(const CDAXDoc& doc) {
    return doc.Settings().installState == 2 && doc.CurrentModel() != nullptr;
}

bool IsDeveloper(CDAXDoc& doc) {
    CSettingsPort* settings = doc.Ports().settings;
    return settings &&
           settings->ReadInt(SettingsKeys::kDeveloperSection, SettingsKeys::kDeveloper, 0) == 1;
}

std::vector<CListColumn> TapColumns() {
    return {{Strings::kColumnNo, 27}, {Strings::kColumnTap, 150}};
}

std::string TapText(const CTapElement& tap) {
    return Number(tap.tapRating) + (tap.lowImpedance ? Strings::kTapOhms : Strings::kTapLine) +
           Number(tap.tapPower) + Strings::kTapWatt;
}

CListRows TapRows(const CDAXDoc& doc) {
    CListRows rows;
    const CSpeakerModel* model = doc.CurrentModel();
    if (!model)
        return rows;
    const std::vector<CTapElement>& taps = model->Settings().taps;
    for (std::size_t i = 0; i < taps.size(); ++i)
        rows.push_back({std::to_string(i + 1), TapText(taps[i])});
    return rows;
}

bool SelectTap(CDAXDoc& doc, int row) {
    CSpeakerModel* model = doc.CurrentModel();
    if (!model || row < 0 || row >= static_cast<int>(model->Settings().taps.size()))
        return false;
    if (model->DefaultTap() == row)
        return true;
    // The model is shared with the undo states; the step changes a copy of it.
    CDAXDoc::CEditStep step(doc, Strings::kStepChooseTap);
    step.DetachCurrentModel();
    doc.CurrentModel()->SetDefaultTap(row);
    step.Changed(CDocumentChange::CurrentModel());
    // The tap is saved with the model, so the project no longer matches its file.
    doc.SetModified();
    return true;
}

int CurrentTapRow(const CDAXDoc& doc) {
    const CSpeakerModel* model = doc.CurrentModel();
    return model ? model->DefaultTap() : -1;
}

std::vector<CListColumn> InstallationColumns(const CDAXDoc& doc) {
    return InstallationColumns(doc.Settings().advancedMode != 0);
}

std::vector<CListColumn> InstallationColumns(bool advanced) {
    std::vector<CListColumn> columns = {{Strings::kColumnNo, 27},
                                        {Strings::kColumnSpeakerName, 87},
                                        {"X", 50},
                                        {"Y", 50},
                                        {"Z", 50}};
    if (advanced)
        columns.insert(columns.end(), {{Strings::kAzimuthLabel, 100},
                                       {Strings::kElevationLabel, 110},
                                       {Strings::kRotationLabel, 100},
                                       {Strings::kColumnPower, 60},
                                       {Strings::kColumnPolarity, 52},
                                       {Strings::kColumnDelay, 52}});
    return columns;
}

CListRows InstallationRows(const CDAXDoc& doc) {
    return InstallationRows(doc, doc.Settings().advancedMode != 0);
}

CListRows InstallationRows(const CDAXDoc& doc, bool advanced) {
    CListRows rows;
    int number = 0;
    for (const CInstallationElement& e : doc.Room().List()) {
        const bool known = e.modelIndex >= 0 && e.modelIndex < doc.Models().Count();
        std::vector<std::string> row = {
            std::to_string(++number), known ? doc.Models().At(e.modelIndex).DisplayName() : "",
            Number(e.position.x), Number(e.position.y), Number(e.position.z)};
        if (advanced)
            row.insert(row.end(), {Number(e.orientation.azimuth), Number(e.orientation.elevation),
                                   Number(e.orientation.rotation), Number(e.power),
                                   e.polarityNormal ? Strings::kListNormal : Strings::kListReverse,
                                   Number(e.delay)});
        rows.push_back(std::move(row));
    }
    return rows;
}

bool SelectInstallation(CDAXDoc& doc, int row) {
    return doc.SetCurrentInstallation(row);
}

bool RemoveSelectedInstallations(CDAXDoc& doc, const std::vector<int>& rows) {
    return doc.Guarded(false, [&] {
        const CDAXDoc::CEditStep step(doc, Strings::kStepRemoveSpeaker);
        return doc.RemoveInstallationsAt(rows).IsDone();
    });
}

std::vector<CMenuEntry> InstallationMenu() {
    return {{Strings::kMenuRemove, kCmdRemoveInstallation},
            {Strings::kMenuProperties, kCmdChangeInstallation},
            {Strings::kMenuAlignDelays, kCmdAlignDelays}};
}

int DropSpeakerOnInstallationList(CDAXDoc& doc) {
    if (!CanDragSpeaker(doc))
        return 2;
    const double x = doc.Room().roomZeroX + doc.Room().roomLength / 2;
    const double y = doc.Room().roomZeroY + doc.Room().roomWidth / 2;
    return doc.InstallSpeaker(x, y).IsDone() ? 1 : 2;
}
