#include "CliCommands.h"

#include "CliEdit.h"
#include "CliOutput.h"
#include "CliSession.h"
#include "acoustics/ArrivalMap.h"
#include "acoustics/LevelStatistics.h"
#include "acoustics/MapCalculation.h"
#include "acoustics/RoomField.h"
#include "acoustics/RoomQuantities.h"
#include "acoustics/SpeakerSources.h"
#include "acoustics/SpectrumEngine.h"
#include "common/FormatSignificant.h"
#include "common/Units.h"
#include "project/BandChoice.h"
#include "project/ColorMapViewModel.h"
#include "project/CommandTable.h"
#include "project/ListViewModels.h"
#include "project/MapService.h"
#include "project/SoundGraphViewModel.h"
#include "project/Strings.h"
#include "project/forms/AutoInstallationForm.h"
#include "project/forms/InstallationForm.h"
#include "project/forms/RoomParametersForm.h"
#include "project/forms/RoomRules.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iostream>

#include <nlohmann/json.hpp>

namespace {
const std::pair<const char*, double> kBandNames[] = {
    {"1/24", 24}, {"1/12", 12}, {"1/6", 6}, {"1/3", 3}, {"1", 1}, {"2", 0.5}, {"4", 0.25}};

// A form refusal becomes the command's error.
bool AcceptOrRecord(bool accepted, const std::string& message, std::string& refusal) {
    if (!accepted)
        refusal = message;
    return accepted;
}

const CColorMapCondition& FirstCondition(CCliSession& s) {
    const CColorMapCondition* c = s.doc->Conditions().At(0);
    if (!c)
        throw CCliError("the project has no calculation plane");
    return *c;
}

// Opens a project that has a calculation plane and installations to calculate with.
void OpenForCalculation(CCliSession& s, const std::string& project, const std::string& otherwise) {
    s.Open(project);
    FirstCondition(s);
    if (!s.doc->HasInstallations())
        throw CCliError("the project has no installations; " + otherwise);
}

// Applies --band, --freq and --mode to the first map through the project's band choice, which
// snaps the frequency to the band's grid as the window's lists do; warns when that moved it far.
CBandOutcome ChooseBand(CDAXDoc& doc, const std::string& band, std::optional<double> frequency,
                        const std::string& mode, const std::string& quantity = {}) {
    CBandRequest request;
    if (!quantity.empty())
        request.quantity = QuantityByName(quantity);
    if (!band.empty())
        request.band = ParseBand(band);
    request.frequency = frequency;
    if (!mode.empty())
        request.mode = ParseMode(mode);
    const CBandOutcome outcome = ApplyBandRequest(doc, 0, request);
    switch (outcome.status) {
    case EBandChoiceStatus::Done:
        break;
    case EBandChoiceStatus::BandNotOffered:
        throw CCliError("band " + band + " is not offered for speaker data of " +
                        FormatValue(outcome.pitch, 4) + " points per octave");
    case EBandChoiceStatus::BadFrequency:
        throw CCliError("--freq must be a positive number of Hz");
    case EBandChoiceStatus::NoSpeakerData:
        throw CCliError("the project has no speaker data");
    case EBandChoiceStatus::NoCondition:
        throw CCliError("the project has no calculation plane");
    }
    if (!outcome.centre.Valid())
        throw CCliError("band " + FormatValue(outcome.band, 4) + " has no centre frequencies");
    if (frequency && outcome.centre.MovedFar())
        std::cerr << "daxara-cli: warning: --freq " << FormatValue(*frequency, 6) << " Hz is "
                  << FormatValue(outcome.centre.bandsMoved, 3)
                  << " bands from the nearest centre on the " << BandLabel(outcome.band)
                  << " grid, " << FrequencyLabel(outcome.centre.frequency, outcome.band) << " ("
                  << FormatValue(outcome.centre.frequency, 6)
                  << " Hz), which is what is calculated\n";
    return outcome;
}

const char* ModeName(int mode) {
    return mode == kModeInterference ? "interference" : "energy";
}

void PrintCondition(const CColorMapCondition& c) {
    std::cout << "band: " << BandLabel(c.band) << ", centre "
              << FrequencyLabel(c.centreFrequency, c.band) << " ("
              << FormatValue(c.centreFrequency, 8) << " Hz), " << ModeName(c.mode) << "\n";
}

// The spectrum as a table: levels to 0.01 dB, the map's centre marked, and every band that is
// not wholly inside the installed speakers' data says so (its level is no measurement).
void PrintSpectrum(const CDAXDoc& doc, const CColorMapCondition& c, const CVec3& at,
                   const std::vector<double>& centres, const std::vector<double>& levels) {
    const CAcousticScene scene = doc.Scene();
    std::cout << "spectrum at (" << FormatValue(at.x, 6) << ", " << FormatValue(at.y, 6) << ", "
              << FormatValue(at.z, 6) << ") "
              << (doc.Settings().lengthUnit == kUnitImperial ? "[ft]" : "[m]") << ", "
              << BandLabel(c.band) << ", " << ModeName(c.mode) << "\n"
              << "centre      level [dB]\n";
    for (std::size_t i = 0; i < centres.size(); ++i) {
        char level[32];
        std::snprintf(level, sizeof level, "%10.2f", levels[i]);
        std::string line = FrequencyLabel(centres[i], c.band);
        line.resize(std::max<std::size_t>(line.size(), 10), ' ');
        line += level;
        const EBandCoverage coverage = BandCoverage(scene, c.band, centres[i]);
        if (coverage != EBandCoverage::Inside)
            line += std::string("   ") + CoverageText(coverage);
        if (centres[i] == c.centreFrequency)
            line += "   <- the map's centre";
        std::cout << line << "\n";
    }
}

void WriteText(const std::string& path, const std::string& option, const std::string& text) {
    if (path == "-") {
        std::cout << text;
        FlushOutput();
        return;
    }
    WriteOutput(path, option, std::vector<std::uint8_t>(text.begin(), text.end()));
}

// The shortest text that reads back as exactly the same double: the CSV stays exact and is
// written at hundreds of MB/s, where "%.17g" took most of a large map's time.
void AppendNumber(std::string& out, double v) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, v);
    out.append(buffer, result.ptr);
}

std::string Number(double v) {
    std::string text;
    AppendNumber(text, v);
    return text;
}

// The statistics of an arrival map, in ms: the plane keeps minimum, maximum, mean and the share
// of late points; the percentiles come from its values.
void PrintArrivalMap(const CDAXDoc& doc, const CColorMapCondition& c, bool json) {
    const CListeningPlane& plane = c.plane;
    std::vector<double> values;
    for (int i = 0; i < plane.pointCount; ++i)
        values.push_back(plane.points[static_cast<std::size_t>(i)].level);
    const CLevelStatistics spread = LevelStatistics(values, plane.pinkNoiseAverage, 0.0);
    const bool late = c.quantity == EMapQuantity::LateLoudest;
    const std::string name = QuantityInfo(c.quantity).name;
    if (json) {
        nlohmann::json j = {
            {"quantity", name},
            {"quantityUnit", "ms"},
            {"band", c.band},
            {"bandLabel", BandLabel(c.band)},
            {"centreFrequency", c.centreFrequency},
            {"centreLabel", FrequencyLabel(c.centreFrequency, c.band)},
            {"points", plane.pointCount},
            {"pitch", plane.dotPitch},
            {"unit", doc.Settings().lengthUnit == kUnitImperial ? "ft" : "m"},
            {"maximum", plane.maximumLevel},
            {"minimum", plane.minimumLevel},
            {"mean", plane.pinkNoiseAverage},
            {"percentiles", {{"10", spread.p10}, {"50", spread.p50}, {"90", spread.p90}}}};
        if (late)
            j["lateShare"] = {{"above", kLateThresholdMs}, {"share", plane.musicSpeechAverage}};
        std::cout << j.dump(2) << "\n";
        return;
    }
    std::cout << "quantity: " << name << " ["
              << (late ? "how much later than the first arrival the loudest sound arrives"
                       : "the first arrival of the direct sound")
              << "], ms\n";
    if (late)
        PrintCondition(c);
    std::cout << "points: " << plane.pointCount << " at a pitch of "
              << FormatSignificant(plane.dotPitch, 4)
              << (doc.Settings().lengthUnit == kUnitImperial ? "[ft]" : "[m]") << "\n"
              << "maximum: " << FormatSignificant(plane.maximumLevel, 4) << " ms\n"
              << "minimum: " << FormatSignificant(plane.minimumLevel, 4) << " ms\n"
              << "mean: " << FormatSignificant(plane.pinkNoiseAverage, 4) << " ms\n"
              << "percentiles (10th, 50th, 90th): " << FormatSignificant(spread.p10, 4) << ", "
              << FormatSignificant(spread.p50, 4) << ", " << FormatSignificant(spread.p90, 4)
              << " ms\n";
    if (late)
        std::cout << "later than " << FormatSignificant(kLateThresholdMs, 4)
                  << " ms: " << FormatSignificant(100.0 * plane.musicSpeechAverage, 4)
                  << " % of the points\n";
}
} // namespace

void FlushOutput() {
    std::cout.flush();
    if (!std::cout)
        throw CCliError("cannot write to standard output: " + std::string(std::strerror(errno)));
}

double ParseBand(const std::string& text) {
    for (const auto& [name, value] : kBandNames)
        if (text == name)
            return value;
    throw CCliError("unknown band \"" + text + "\"; use 1/24, 1/12, 1/6, 1/3, 1, 2 or 4");
}

int ParseMode(const std::string& text) {
    if (text == "interference")
        return kModeInterference;
    if (text == "energy")
        return kModeEnergy;
    throw CCliError("unknown mode \"" + text + "\"; use interference or energy");
}

bool ChooseJudgment(CAutoInstallationForm& form, const std::string& band,
                    std::optional<double> frequency, std::string& refusal) {
    if (!band.empty() && !form.ChooseBand(ParseBand(band))) {
        refusal = "band " + band + " is not offered for this speaker data";
        return false;
    }
    if (frequency)
        form.ChooseFrequency(*frequency);
    return true;
}

int RunNew(const CNewOptions& o) {
    // A legacy name is written as .tdax: that is the file that must not be replaced unasked.
    CheckOutput(SavedPath(o.project), "PROJECT", o.force);
    CCliSession s;
    s.Lock(o.project);
    const int unit = o.unit == "imperial" ? kUnitImperial : kUnitMetric;
    s.Create(unit);
    s.messages.replaceOtherFile = o.force;
    std::string refusal;
    s.dialogs.roomParameters = [&](CRoomParametersForm& form) {
        if (!o.room.empty()) {
            const CVec3 room = ToVec3(o.room, "--room");
            // The dialog takes any height; a room needs a ceiling above its floor.
            refusal =
                RoomHeightRefusal("--room (height)", room.z, unit == kUnitImperial ? "ft" : "m");
            if (!refusal.empty() ||
                !FillField(form.Field(CRoomParametersForm::kRoomLength), room.x, "--room (length)",
                           refusal) ||
                !FillField(form.Field(CRoomParametersForm::kRoomWidth), room.y, "--room (width)",
                           refusal) ||
                !FillField(form.Field(CRoomParametersForm::kRoomHeight), room.z, "--room (height)",
                           refusal))
                return ERoomParametersAnswer::Cancel;
        }
        if (!o.ceiling.empty())
            form.halfSpaceChecked = o.ceiling == "half";
        std::string message;
        return AcceptOrRecord(form.Accept(&message), message, refusal)
                   ? ERoomParametersAnswer::Ok
                   : ERoomParametersAnswer::Cancel;
    };
    CColorMapViewModel view(*s.doc);
    CSoundGraphViewModel graph(*s.doc);
    view.OnInitialUpdate();
    if (!refusal.empty())
        throw CCliError(refusal);
    graph.OnInitialUpdate();
    s.Save(o.project);
    std::cout << "created " << s.doc->PathName() << "\n";
    return 0;
}

int RunImport(const CImportOptions& o) {
    CCliSession s;
    s.OpenForWriting(o.project);
    s.messages.replaceOtherFile = o.force;
    s.doc->SetSofaImportOptions(o.sofa);
    std::string report;
    for (const std::string& file : o.files) {
        const int before = s.doc->Models().Count();
        s.doc->ImportSpeakerFile(file);
        s.ThrowIfErrors("");
        if (s.doc->Models().Count() != before + 1)
            throw CCliError(file + " was not imported");
        report += "imported " + s.doc->CurrentModel()->DisplayName() + " as model " +
                  std::to_string(before) + "\n";
    }
    // Reported once it is saved: a save that fails imported nothing.
    s.Save(o.project);
    std::cout << report;
    return 0;
}

int RunInstall(const CInstallOptions& o) {
    CCliSession s;
    s.OpenForWriting(o.project);
    s.messages.replaceOtherFile = o.force;
    CDAXDoc& doc = *s.doc;
    SelectModel(doc, o.model);
    if (!doc.IsCommandEnabled(kCmdInstall))
        throw CCliError("model " + std::to_string(doc.Models().CurrentIndex()) +
                        " has another frequency resolution than the speakers already installed");
    CSpeakerModel& model = *doc.CurrentModel();
    if (o.tap) {
        // Taps are numbered from 1, as the tap list shows them.
        if (*o.tap < 1 || *o.tap > static_cast<int>(model.Settings().taps.size()))
            throw CCliError("--tap must lie between 1 and " +
                            std::to_string(model.Settings().taps.size()) + " (" +
                            model.DisplayName() + " has " +
                            std::to_string(model.Settings().taps.size()) + " taps); tap " +
                            std::to_string(*o.tap) + " does not exist");
        model.SetDefaultTap(*o.tap - 1);
    }
    const CVec3 at = ToVec3(o.at, "--at");
    std::optional<CVec3> aim;
    std::string aimOption = "--aim";
    if (!o.aim.empty())
        aim = ToVec3(o.aim, "--aim");
    if (!o.aimAt.empty()) {
        aim = CVec3{0, 0, 0};
        aimOption = "--aim-at";
        if (!AimAt(at, ToVec3(o.aimAt, "--aim-at"), aim->x, aim->y))
            throw CCliError("--aim-at names the installation's own position; there is no "
                            "direction");
    }
    // The aim, power, delay and polarity rows are shown only in advanced mode.
    const CAdvancedRows advancedRows(doc, aim || o.power || o.reverse || o.delay);
    std::string refusal;
    s.dialogs.installation = [&](CInstallationForm& form) {
        if (!FillField(form.Field(CInstallationForm::kX), at.x, "--at (X)", refusal) ||
            !FillField(form.Field(CInstallationForm::kY), at.y, "--at (Y)", refusal) ||
            !FillField(form.Field(CInstallationForm::kZ), at.z, "--at (Z)", refusal))
            return false;
        if (aim && (!FillField(form.Field(CInstallationForm::kAzimuth), aim->x,
                               aimOption + " (azimuth)", refusal) ||
                    !FillField(form.Field(CInstallationForm::kElevation), aim->y,
                               aimOption + " (elevation)", refusal) ||
                    !FillField(form.Field(CInstallationForm::kRotation), aim->z, "--aim (rotation)",
                               refusal)))
            return false;
        if (o.power) {
            if (!FillField(form.Field(CInstallationForm::kPower), *o.power, "--power", refusal))
                return false;
            refusal = TapPowerRefusal(TapPowerOf(model, model.DefaultTap()), *o.power, "--power");
            if (!refusal.empty())
                return false;
        }
        if (o.reverse)
            form.polaritySelection = 1;
        if (o.delay &&
            !FillField(form.Field(CInstallationForm::kDelay), *o.delay, "--delay", refusal))
            return false;
        std::string message;
        return AcceptOrRecord(form.Accept(&message), message, refusal);
    };
    s.messages.confirmAnswer = o.force;
    const CFlowResult result = doc.InstallSpeaker(at.x, at.y);
    advancedRows.Restore();
    if (!refusal.empty() || !result.IsDone())
        s.ThrowNotDone(refusal, result.reason == EFlowReason::SameSpot,
                       "a speaker is already installed at this position and aim; use --force to "
                       "add another",
                       "the speaker was not installed");
    const CInstallationElement& inst = *doc.Room().Current();
    const std::string report =
        "installed " + model.DisplayName() + " as installation " +
        std::to_string(doc.Room().CurrentIndex()) + " at (" + FormatValue(inst.position.x, 4) + ", " +
        FormatValue(inst.position.y, 4) + ", " + FormatValue(inst.position.z, 4) + "), " +
        FormatValue(inst.power, 4) + " W" +
        (inst.delay != 0.0 ? ", delayed " + FormatValue(inst.delay, 4) + " ms" : "") + "\n";
    s.Save(o.project);
    std::cout << report;
    return 0;
}

int RunAutoInstall(const CAutoInstallOptions& o) {
    CCliSession s;
    s.OpenForWriting(o.project);
    s.messages.replaceOtherFile = o.force;
    CDAXDoc& doc = *s.doc;
    SelectModel(doc, o.model);
    if (o.height) {
        const CColorMapCondition* plane = doc.Conditions().At(0);
        const double floor = plane ? plane->plane.originZ : 0.0;
        if (const std::string refusal =
                InstallHeightRefusal("--height", *o.height, floor, doc.Room().roomHeight, "");
            !refusal.empty())
            throw CCliError(refusal);
    }
    // The layout replaces every installation: that is the user's to decide, not a default.
    if (doc.HasInstallations() && !o.replace)
        throw CCliError("the project has " + std::to_string(doc.Room().Count()) + " installation" +
                        (doc.Room().Count() == 1 ? "" : "s") +
                        ", which the automatic layout would replace; give --replace to let it");
    if (!doc.IsCommandEnabled(kCmdAutoInstall))
        throw CCliError(
            "automatic installation needs a ceiling speaker (kind 1) as the current model and "
            "calculation planes parallel to the floor");
    // The judgment band, aim and height are shown only in advanced mode.
    const CAdvancedRows advancedRows(doc,
                                     !o.band.empty() || o.frequency || !o.aim.empty() || o.height);
    std::string refusal;
    s.dialogs.autoInstallation = [&](CAutoInstallationForm& form) {
        if (o.pattern) {
            if (*o.pattern < 0 ||
                *o.pattern >= static_cast<int>(form.PatternCombo().items.size())) {
                refusal = "--pattern must be 0 to " +
                          std::to_string(form.PatternCombo().items.size() - 1);
                return false;
            }
            form.SelectPattern(*o.pattern);
        }
        if (!o.shape.empty()) {
            if (o.shape != "rect" && o.shape != "hex") {
                refusal = "--shape must be rect or hex";
                return false;
            }
            form.SelectShape(o.shape == "hex" ? 1 : 0);
        }
        if (!ChooseJudgment(form, o.band, o.frequency, refusal))
            return false;
        if (!o.aim.empty()) {
            const CVec3 aim = ToVec3(o.aim, "--aim");
            if (!FillField(form.Field(CAutoInstallationForm::kAzimuth), aim.x, "--aim (azimuth)",
                           refusal) ||
                !FillField(form.Field(CAutoInstallationForm::kElevation), aim.y,
                           "--aim (elevation)", refusal) ||
                !FillField(form.Field(CAutoInstallationForm::kRotation), aim.z, "--aim (rotation)",
                           refusal))
                return false;
        }
        if (o.height &&
            !FillField(form.Field(CAutoInstallationForm::kHeight), *o.height, "--height", refusal))
            return false;
        std::string message;
        return AcceptOrRecord(form.Accept(&message), message, refusal);
    };
    s.messages.confirmAnswer = true;
    const int before = doc.Room().Count();
    doc.OnCommand(kCmdAutoInstall);
    advancedRows.Restore();
    if (!refusal.empty())
        throw CCliError(refusal);
    s.ThrowIfErrors("");
    if (doc.Settings().autoLayoutValid != 1)
        throw CCliError("no automatic layout was made (installations unchanged: " +
                        std::to_string(before) + ")");
    const std::string report =
        "installed " + std::to_string(doc.Room().Count()) + " speakers; rows " +
        FormatValue(doc.Settings().autoRowPitch, 4) + " apart, columns " +
        FormatValue(doc.Settings().autoColumnPitch, 4) + " apart, first row " +
        FormatValue(doc.Settings().autoBottomOffset, 4) + " and first column " +
        FormatValue(doc.Settings().autoLeftOffset, 4) + " from the walls\n";
    s.Save(o.project);
    std::cout << report;
    return 0;
}

int RunPlane(const CPlaneOptions& o) {
    CCliSession s;
    s.OpenForWriting(o.project);
    s.messages.replaceOtherFile = o.force;
    CDAXDoc& doc = *s.doc;
    const CVec3 origin = ToVec3(o.origin, "--origin");
    const CVec3 extent = ToVec3(o.extent, "--extent");
    const int zeros = (extent.x == 0) + (extent.y == 0) + (extent.z == 0);
    if (zeros != 1)
        throw CCliError("--extent needs exactly one zero component (the plane's normal)");
    const int orientation = PlaneOrientation(extent.x, extent.y, extent.z);
    // The dialog takes a plane anywhere; a plane outside the room (above its ceiling, behind a
    // wall) maps sound where no listener can be.
    static const std::array<std::string, 3> axes = {"X", "Y", "Z"};
    if (const std::string refusal = PlaneOutsideRoomRefusal(
            origin, extent, RoomBoxOf(doc.Room()),
            [](int axis, bool isExtent) {
                return std::string(isExtent ? "--extent (" : "--origin (") +
                       axes[static_cast<std::size_t>(axis)] + ")";
            },
            "");
        !refusal.empty())
        throw CCliError(refusal);
    CColorMapViewModel view(doc);
    view.OnInitialUpdate();
    const CAdvancedRows advancedRows(doc, true); // the plane's zero position needs advanced mode
    std::string refusal;
    s.dialogs.roomParameters = [&](CRoomParametersForm& form) {
        form.SetSameAsRoom(false);
        form.SelectOrientation(orientation);
        // The dialog's five plane edits, with the option component each comes from.
        struct CEdit {
            CRoomParametersForm::Edit edit;
            double value;
            const char* option;
        };
        std::array<CEdit, 5> edits = {{{CRoomParametersForm::kPlaneA, origin.x, "--origin (X)"},
                                       {CRoomParametersForm::kPlaneB, origin.y, "--origin (Y)"},
                                       {CRoomParametersForm::kPlaneC, extent.x, "--extent (X)"},
                                       {CRoomParametersForm::kPlaneD, extent.y, "--extent (Y)"},
                                       {CRoomParametersForm::kPlaneE, origin.z, "--origin (Z)"}}};
        if (orientation == CRoomParametersForm::kParallelToYZ)
            edits = {{{CRoomParametersForm::kPlaneA, origin.y, "--origin (Y)"},
                      {CRoomParametersForm::kPlaneB, origin.z, "--origin (Z)"},
                      {CRoomParametersForm::kPlaneC, extent.y, "--extent (Y)"},
                      {CRoomParametersForm::kPlaneD, extent.z, "--extent (Z)"},
                      {CRoomParametersForm::kPlaneE, origin.x, "--origin (X)"}}};
        else if (orientation == CRoomParametersForm::kParallelToXZ)
            edits = {{{CRoomParametersForm::kPlaneA, origin.x, "--origin (X)"},
                      {CRoomParametersForm::kPlaneB, origin.z, "--origin (Z)"},
                      {CRoomParametersForm::kPlaneC, extent.x, "--extent (X)"},
                      {CRoomParametersForm::kPlaneD, extent.z, "--extent (Z)"},
                      {CRoomParametersForm::kPlaneE, origin.y, "--origin (Y)"}}};
        for (const CEdit& edit : edits)
            if (!FillField(form.Field(edit.edit), edit.value, edit.option, refusal))
                return ERoomParametersAnswer::Cancel;
        if (!FillField(form.Field(CRoomParametersForm::kDotPitch), o.pitch, "--pitch", refusal) ||
            (o.maximum && !FillField(form.Field(CRoomParametersForm::kColorMaximum), *o.maximum,
                                     "--max", refusal)) ||
            (o.step &&
             !FillField(form.Field(CRoomParametersForm::kColorPitch), *o.step, "--step", refusal)))
            return ERoomParametersAnswer::Cancel;
        std::string message;
        return AcceptOrRecord(form.Accept(&message), message, refusal)
                   ? ERoomParametersAnswer::Ok
                   : ERoomParametersAnswer::Cancel;
    };
    doc.OnCommand(kCmdRoomParameters);
    advancedRows.Restore();
    if (!refusal.empty())
        throw CCliError(refusal);
    // The new planes are recalculated at once; a stopped calculation leaves maps of zeros that
    // must not replace the project.
    if (view.LastResult().status == ECalcStatus::Stopped)
        throw CCliError("the calculation was stopped; nothing was saved");
    s.ThrowIfErrors("");
    const CListeningPlane& plane = FirstCondition(s).plane;
    const std::string report = "every calculation plane now has " +
                               std::to_string(plane.pointCount) + " points at a pitch of " +
                               FormatValue(plane.dotPitch, 4) + "\n";
    s.Save(o.project);
    std::cout << report;
    return 0;
}

std::string QuantityNames() {
    std::string names;
    for (const CMapQuantityInfo& info : MapQuantities())
        names += (names.empty() ? "" : ", ") + std::string(info.name);
    return names;
}

namespace {
// The statistics of a map that is not a sound level: D/R, STI, CIS.
void PrintQuantityMap(const CDAXDoc& doc, const CColorMapCondition& c, bool json) {
    const CListeningPlane& plane = c.plane;
    const EMapQuantity q = c.quantity;
    const bool index = IsSpeechQuantity(q);
    const double target = q == EMapQuantity::Cis ? CisOfSti(doc.Settings().speech.stiTarget)
                                                 : doc.Settings().speech.stiTarget;
    if (json) {
        nlohmann::json j = {{"band", c.band},
                            {"bandLabel", BandLabel(c.band)},
                            {"centreFrequency", c.centreFrequency},
                            {"mode", ModeName(c.mode)},
                            {"quantity", QuantityInfo(q).name},
                            {"unit", QuantityInfo(q).unit},
                            {"points", plane.pointCount},
                            {"maximum", plane.maximumLevel},
                            {"minimum", plane.minimumLevel},
                            {"mean", plane.pinkNoiseAverage}};
        if (index) {
            j["target"] = target;
            j["shareAtOrAboveTarget"] = plane.musicSpeechAverage;
        }
        std::cout << j.dump(2) << "\n";
        return;
    }
    if (!index)
        PrintCondition(c);
    const std::string unit = index ? "" : std::string(" ") + QuantityInfo(q).unit;
    const int digits = index ? 3 : 4;
    std::cout << "quantity: " << QuantityInfo(q).name << "\n"
              << "points: " << plane.pointCount << "\n"
              << "minimum: " << FormatValue(plane.minimumLevel, digits) << unit << "\n"
              << "mean: " << FormatValue(plane.pinkNoiseAverage, digits) << unit << "\n"
              << "maximum: " << FormatValue(plane.maximumLevel, digits) << unit << "\n";
    if (index)
        std::cout << "at or above " << FormatValue(target, 3) << ": "
                  << FormatValue(100.0 * plane.musicSpeechAverage, 4) << " % of the points\n";
}
} // namespace

int RunMap(const CMapCommandOptions& o) {
    if (o.csv)
        CheckOutput(*o.csv, "--csv", o.force, ProjectFiles(o.project, o.save));
    CCliSession s;
    if (o.save)
        s.Lock(o.project);
    s.messages.replaceOtherFile = o.force;
    OpenForCalculation(s, o.project, "there is nothing to calculate");
    CDAXDoc& doc = *s.doc;
    if (o.engine != "engine" && o.engine != "reference")
        throw CCliError("--engine must be engine or reference");
    if (o.threads < 0)
        throw CCliError("--threads must not be negative");
    if (!(o.within >= 0.0 && o.within <= 100.0))
        throw CCliError("--within must lie between 0 and 100 dB");
    if (o.json && o.csv == "-")
        throw CCliError("--json and --csv - would both write to standard output");
    ChooseBand(doc, o.band, o.frequency, o.mode, o.quantity);
    CMapOptions options;
    options.engine = o.engine == "reference" ? EMapEngineKind::Reference : EMapEngineKind::Engine;
    options.threads = o.threads;
    const CMapResult result = CalculateConditionMap(doc, 0, options);
    if (result.status == ECalcStatus::Stopped)
        throw CCliError("the calculation was stopped; nothing was saved");
    s.ThrowIfErrors("");
    if (result.status != ECalcStatus::Completed)
        throw CCliError("the map was not calculated");
    const CColorMapCondition& c = FirstCondition(s);
    const CListeningPlane& plane = c.plane;
    const CLevelStatistics spread = PlaneStatistics(plane, o.within);
    const std::string unit = doc.Settings().lengthUnit == kUnitImperial ? "[ft]" : "[m]";
    // The points at a speaker have no level: named, never given the response's sentinel.
    const CSpeakerSources sources(doc.Scene());
    nlohmann::json leftOut = nlohmann::json::array();
    std::string leftOutText;
    for (const CPlaceElement& p : plane.points) {
        if (!std::isnan(p.level))
            continue;
        const int installation = sources.InstallationAt({p.x, p.y, p.z});
        leftOut.push_back({{"point", {p.x, p.y, p.z}}, {"installation", installation}});
        leftOutText += "left out: " + PointAtSpeakerText({p.x, p.y, p.z}, installation) +
                       ", where no level exists\n";
    }
    if (IsArrivalQuantity(c.quantity)) {
        PrintArrivalMap(doc, c, o.json);
    } else if (!IsLevelQuantity(c.quantity)) {
        PrintQuantityMap(doc, c, o.json);
        if (!o.json)
            std::cout << leftOutText;
    } else if (o.json) {
        const nlohmann::json j = {
            {"band", c.band},
            {"bandLabel", BandLabel(c.band)},
            {"centreFrequency", c.centreFrequency},
            {"centreLabel", FrequencyLabel(c.centreFrequency, c.band)},
            {"mode", ModeName(c.mode)},
            {"quantity", QuantityInfo(c.quantity).name},
            {"points", plane.pointCount},
            {"pitch", plane.dotPitch},
            {"unit", doc.Settings().lengthUnit == kUnitImperial ? "ft" : "m"},
            {"maximum", plane.maximumLevel},
            {"minimum", plane.minimumLevel},
            {"pinkNoiseAverage", plane.pinkNoiseAverage},
            {"musicSpeechAverage", plane.musicSpeechAverage},
            {"mean", spread.mean},
            {"standardDeviation", spread.standardDeviation},
            {"spread", spread.spread},
            {"percentiles", {{"10", spread.p10}, {"50", spread.p50}, {"90", spread.p90}}},
            {"within",
             {{"dB", spread.within}, {"of", "pinkNoiseAverage"}, {"share", spread.withinShare}}},
            {"leftOut", leftOut}};
        std::cout << j.dump(2) << "\n";
    } else {
        PrintCondition(c);
        if (c.quantity != EMapQuantity::Direct)
            std::cout << "quantity: " << QuantityInfo(c.quantity).name << "\n";
        std::cout << "points: " << plane.pointCount << " at a pitch of "
                  << FormatValue(plane.dotPitch, 4) << unit << "\n"
                  << "maximum: " << FormatValue(plane.maximumLevel, 4) << " dB\n"
                  << "minimum: " << FormatValue(plane.minimumLevel, 4) << " dB\n"
                  << "average (pink noise): " << FormatValue(plane.pinkNoiseAverage, 4) << " dB\n"
                  << "average (music/speech): " << FormatValue(plane.musicSpeechAverage, 4)
                  << " dB\n"
                  << "standard deviation: " << FormatValue(spread.standardDeviation, 4) << " dB\n"
                  << "spread (max - min): " << FormatValue(spread.spread, 4) << " dB\n"
                  << "percentiles (10th, 50th, 90th): " << FormatValue(spread.p10, 4) << ", "
                  << FormatValue(spread.p50, 4) << ", " << FormatValue(spread.p90, 4) << " dB\n"
                  << "within +/-" << FormatValue(spread.within, 4)
                  << " dB of the pink-noise average: " << FormatValue(100.0 * spread.withinShare, 4)
                  << " % of the points\n"
                  << leftOutText;
    }
    FlushOutput();
    if (o.csv) {
        std::string text =
            "x,y,z," +
            std::string(c.quantity == EMapQuantity::Direct ? "level"
                                                           : QuantityInfo(c.quantity).name) +
            "\n";
        text.reserve(text.size() + plane.points.size() * 64);
        for (const CPlaceElement& p : plane.points) {
            AppendNumber(text, p.x);
            text += ',';
            AppendNumber(text, p.y);
            text += ',';
            AppendNumber(text, p.z);
            text += ',';
            if (!std::isnan(p.level))
                AppendNumber(text, p.level);
            text += '\n';
        }
        WriteText(*o.csv, "--csv", text);
    }
    if (o.save)
        s.Save(o.project);
    return 0;
}

namespace {
nlohmann::json OctaveNumbers(const COctaveValues& values) {
    nlohmann::json list = nlohmann::json::array();
    for (double v : values)
        list.push_back(std::isfinite(v) ? nlohmann::json(v) : nlohmann::json(nullptr));
    return list;
}

// spectrum --sti: the octave table of the speech transmission at the point.
int PrintPointSpeech(const CDAXDoc& doc, const CColorMapCondition& c, const CVec3& at,
                     const CSpectrumOptions& o) {
    if (o.csv || !o.quantity.empty())
        throw CCliError("--sti prints the octave table; it takes neither --csv nor --quantity");
    CPointSpeech speech;
    std::string reason;
    if (!SpeechAt(doc.Scene(), c.mode, at, speech, &reason))
        throw CCliError("the speech transmission could not be calculated: " + reason);
    const CStiInput& in = speech.input;
    const CStiResult& r = speech.result;
    COctaveValues octaves{}, noise{};
    for (std::size_t k = 0; k < kOctaveCount; ++k) {
        octaves[k] = OctaveCentre(static_cast<int>(k));
        noise[k] = in.noiseOn ? in.noise[k] : NAN; // no noise: null
    }
    if (o.json) {
        nlohmann::json m = nlohmann::json::array();
        for (const CModulationValues& row : r.m)
            m.push_back(row);
        const nlohmann::json j = {{"octaves", OctaveNumbers(octaves)},
                                  {"direct", OctaveNumbers(in.direct)},
                                  {"reverberant", OctaveNumbers(in.reverberant)},
                                  {"signal", OctaveNumbers(r.signal)},
                                  {"noise", OctaveNumbers(noise)},
                                  {"rt", OctaveNumbers(in.rt)},
                                  {"mti", OctaveNumbers(r.mti)},
                                  {"m", m},
                                  {"sti", r.sti},
                                  {"cis", r.cis}};
        std::cout << j.dump(2) << "\n";
    } else {
        std::cout << "speech transmission at (" << FormatValue(at.x, 6) << ", "
                  << FormatValue(at.y, 6) << ", " << FormatValue(at.z, 6) << ") "
                  << (doc.Settings().lengthUnit == kUnitImperial ? "[ft]" : "[m]") << ", "
                  << ModeName(c.mode) << "\n"
                  << "octave [Hz]    Ld [dB]   Lr [dB]   Ls [dB]   Ln [dB]     T [s]       MTI\n";
        for (std::size_t k = 0; k < kOctaveCount; ++k) {
            char line[160];
            std::snprintf(line, sizeof line, "%-12s %9.2f %9.2f %9.2f %9s %9.3f %9.3f\n",
                          FormatValue(octaves[k], 4).c_str(), in.direct[k], in.reverberant[k],
                          r.signal[k],
                          in.noiseOn ? FormatValue(in.noise[k], 4).c_str() : "-", in.rt[k],
                          r.mti[k]);
            std::cout << line;
        }
        std::cout << "STI " << FormatValue(r.sti, 3) << ", CIS " << FormatValue(r.cis, 3)
                  << "\n";
    }
    FlushOutput();
    return 0;
}
} // namespace

int RunSpectrum(const CSpectrumOptions& o) {
    if (o.csv)
        CheckOutput(*o.csv, "--csv", o.force, ProjectFiles(o.project, false));
    CCliSession s;
    OpenForCalculation(s, o.project, "there is no spectrum");
    CDAXDoc& doc = *s.doc;
    const CVec3 at = ToVec3(o.at, "--at");
    if (o.json && o.csv == "-")
        throw CCliError("--json and --csv - would both write to standard output");
    ChooseBand(doc, o.band, o.frequency, o.mode);
    const CColorMapCondition& c = FirstCondition(s);
    if (o.sti)
        return PrintPointSpeech(doc, c, at, o);
    std::vector<double> centres, levels;
    std::string reason;
    if (!EnginePointSpectrum(doc.Scene(), c, at, centres, levels, &reason))
        throw CCliError("the spectrum could not be calculated: " + reason);
    const CAcousticScene scene = doc.Scene();
    if (!o.quantity.empty() && o.quantity != "direct") {
        std::vector<double> reverberant;
        if (!RoomSpectrum(scene, c, centres, reverberant, &reason))
            throw CCliError("the " + o.quantity + " spectrum could not be calculated: " + reason);
        for (std::size_t i = 0; i < centres.size(); ++i)
            levels[i] = o.quantity == "total" ? EnergySum(levels[i], reverberant[i]) : reverberant[i];
    }
    if (o.csv) {
        std::string text;
        for (std::size_t i = 0; i < centres.size(); ++i)
            text += Number(centres[i]) + "," + Number(levels[i]) + "\n";
        WriteText(*o.csv, "--csv", text);
    }
    if (o.json) {
        nlohmann::json bands = nlohmann::json::array();
        for (std::size_t i = 0; i < centres.size(); ++i)
            bands.push_back({{"label", FrequencyLabel(centres[i], c.band)},
                             {"frequency", centres[i]},
                             {"level", levels[i]},
                             {"data", CoverageName(BandCoverage(scene, c.band, centres[i]))}});
        const nlohmann::json j = {{"point", {at.x, at.y, at.z}},
                                  {"band", c.band},
                                  {"bandLabel", BandLabel(c.band)},
                                  {"centreFrequency", c.centreFrequency},
                                  {"centreLabel", FrequencyLabel(c.centreFrequency, c.band)},
                                  {"mode", ModeName(c.mode)},
                                  {"quantity", o.quantity.empty() ? "direct" : o.quantity},
                                  {"bands", bands}};
        std::cout << j.dump(2) << "\n";
    } else if (o.csv != "-") {
        PrintSpectrum(doc, c, at, centres, levels);
    }
    FlushOutput();
    return 0;
}
