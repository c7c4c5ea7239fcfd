#include "CliCommands.h"

#include "CliSession.h"
#include "acoustics/MapCalculation.h"
#include "acoustics/SpectrumEngine.h"
#include "common/FormatSignificant.h"
#include "common/Units.h"
#include "project/ColorMapViewModel.h"
#include "project/CommandTable.h"
#include "project/MapService.h"
#include "project/SoundGraphViewModel.h"
#include "project/forms/AutoInstallationForm.h"
#include "project/forms/InstallationForm.h"
#include "project/forms/RoomParametersForm.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>

namespace {
const std::pair<const char*, double> kBandNames[] = {
    {"1/24", 24}, {"1/12", 12}, {"1/6", 6}, {"1/3", 3}, {"1", 1}, {"2", 0.5}, {"4", 0.25}};

// Fills a form field and checks nothing yet; the form's own Accept decides.
void SetField(CNumberField& field, double value) {
    field.SetValue(value);
}

// A form refusal becomes the command's error.
bool AcceptOrRecord(bool accepted, const std::string& message, std::string& refusal) {
    if (!accepted)
        refusal = message;
    return accepted;
}

CColorMapCondition& FirstCondition(CCliSession& s) {
    CColorMapCondition* c = s.doc->conditions.At(0);
    if (!c)
        throw CCliError("the project has no calculation plane");
    return *c;
}

// Shows a dialog's advanced rows for one command when its options need them; the project keeps
// its own setting.
class CAdvancedRows {
public:
    CAdvancedRows(CDAXDoc& doc, bool needed) : m_doc(doc), m_saved(doc.Settings().advancedMode) {
        if (needed)
            doc.SetAdvancedMode(2);
    }
    ~CAdvancedRows() { Restore(); }
    // Back to the project's setting before the project is saved.
    void Restore() const { m_doc.SetAdvancedMode(m_saved); }
    CAdvancedRows(const CAdvancedRows&) = delete;
    CAdvancedRows& operator=(const CAdvancedRows&) = delete;

private:
    CDAXDoc& m_doc;
    int m_saved;
};

// Makes the chosen model current, as selecting it in the speaker list does.
void SelectModel(CDAXDoc& doc, std::optional<int> model) {
    if (doc.models.Count() == 0)
        throw CCliError("the project has no speaker data; import some first");
    if (!model)
        return;
    if (*model < 0 || *model >= doc.models.Count())
        throw CCliError("model " + std::to_string(*model) + " does not exist; the project has " +
                        std::to_string(doc.models.Count()) + " (0 to " +
                        std::to_string(doc.models.Count() - 1) + ")");
    doc.models.SetCurrentIndex(*model);
    doc.UpdateInstallState();
}

// Opens a project that has a calculation plane and installations to calculate with.
void OpenForCalculation(CCliSession& s, const std::string& project, const std::string& otherwise) {
    s.Open(project);
    FirstCondition(s);
    if (!s.doc->HasInstallations())
        throw CCliError("the project has no installations; " + otherwise);
}

// Applies --band, --freq and --mode to the condition as its view's lists would, snapping the
// frequency to the band's grid. Returns whether band or frequency changed.
bool ApplyBandChoice(CColorMapViewModel& view, const std::string& band,
                     std::optional<double> frequency, const std::string& mode) {
    CColorMapCondition& c = *view.Condition();
    const double oldBand = c.band, oldFrequency = c.centreFrequency;
    if (!band.empty()) {
        const double value = ParseBand(band);
        bool offered = false;
        for (const auto& choice : BandChoices(view.ListPitch()))
            offered = offered || choice.second == value;
        if (!offered)
            throw CCliError("band " + band + " is not offered for speaker data of " +
                            FormatSignificant(view.ListPitch(), 4) + " points per octave");
        c.band = value;
    }
    if (frequency) {
        if (!(*frequency >= 20.0 && *frequency <= 20000.0))
            throw CCliError("--freq must lie between 20 and 20000 Hz");
        c.centreFrequency = *frequency;
    }
    if (!mode.empty())
        c.mode = ParseMode(mode);
    view.SyncConditionControls(0, 0);
    return c.band != oldBand || c.centreFrequency != oldFrequency;
}

void PrintCondition(const CColorMapCondition& c) {
    std::cout << "band: " << BandName(c.band) << " octave around "
              << FormatSignificant(c.centreFrequency, 5) << " Hz, "
              << (c.mode == kModeInterference ? "interference" : "energy") << "\n";
}

void WriteText(const std::string& path, const std::string& text) {
    if (path == "-") {
        std::cout << text;
        FlushOutput();
        return;
    }
    std::string error;
    if (!ProjectFile::WriteFileAtomically(path, std::vector<std::uint8_t>(text.begin(), text.end()),
                                          error))
        throw CCliError(error);
}

std::string Number(double v) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.17g", v);
    return buffer;
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

std::string BandName(double band) {
    for (const auto& [name, value] : kBandNames)
        if (value == band)
            return name;
    return FormatSignificant(band, 4);
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
    if (!band.empty()) {
        const std::string wanted = BandName(ParseBand(band)) + " Oct. Band";
        const auto& items = form.BandCombo().items;
        const auto found = std::find(items.begin(), items.end(), wanted);
        if (found == items.end()) {
            refusal = "band " + band + " is not offered for this speaker data";
            return false;
        }
        form.SelectBand(static_cast<int>(found - items.begin()));
    }
    if (frequency) {
        // The entries are labelled with rounded values; the nearest label names the grid value.
        const auto& items = form.FrequencyCombo().items;
        int best = -1;
        double bestDistance = 0;
        for (std::size_t i = 0; i < items.size(); ++i) {
            const double d = std::fabs(std::atof(items[i].c_str()) - *frequency);
            if (best < 0 || d < bestDistance)
                best = static_cast<int>(i), bestDistance = d;
        }
        if (best >= 0)
            form.SelectFrequency(best);
    }
    return true;
}

int RunNew(const CNewOptions& o) {
    CCliSession s;
    s.Lock(o.project);
    if (std::filesystem::exists(o.project) && !o.force)
        throw CCliError(o.project + " exists; use --force to replace it");
    const int unit = o.unit == "imperial" ? kUnitImperial : kUnitMetric;
    s.Create(unit);
    s.messages.replaceOtherFile = o.force;
    std::string refusal;
    s.dialogs.roomParameters = [&](CRoomParametersForm& form) {
        if (!o.room.empty()) {
            const CVec3 room = ToVec3(o.room, "--room");
            SetField(form.Field(CRoomParametersForm::kRoomLength), room.x);
            SetField(form.Field(CRoomParametersForm::kRoomWidth), room.y);
            SetField(form.Field(CRoomParametersForm::kRoomHeight), room.z);
        }
        if (!o.ceiling.empty())
            form.halfSpaceChecked = o.ceiling == "half";
        std::string message;
        return AcceptOrRecord(form.Accept(&message), message, refusal) ? 0 : 1;
    };
    CColorMapViewModel view(*s.doc);
    CSoundGraphViewModel graph(*s.doc);
    view.OnInitialUpdate();
    if (!refusal.empty())
        throw CCliError(refusal);
    graph.OnInitialUpdate();
    s.Save(o.project);
    std::cout << "created " << o.project << "\n";
    return 0;
}

int RunImport(const CImportOptions& o) {
    CCliSession s;
    s.OpenForWriting(o.project);
    s.messages.replaceOtherFile = o.force;
    std::string report;
    for (const std::string& file : o.files) {
        const int before = s.doc->models.Count();
        s.doc->ImportSpeakerFile(file);
        s.ThrowIfErrors("");
        if (s.doc->models.Count() != before + 1)
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
        throw CCliError("model " + std::to_string(doc.models.CurrentIndex()) +
                        " has another frequency resolution than the speakers already installed");
    CSpeakerModel& model = *doc.CurrentModel();
    if (o.tap) {
        if (*o.tap < 0 || *o.tap >= static_cast<int>(model.Settings().taps.size()))
            throw CCliError("tap " + std::to_string(*o.tap) + " does not exist; the model has " +
                            std::to_string(model.Settings().taps.size()));
        model.SetDefaultTap(*o.tap);
    }
    const CVec3 at = ToVec3(o.at, "--at");
    // The aim, power and polarity rows are shown only in advanced mode.
    const CAdvancedRows advancedRows(doc, !o.aim.empty() || o.power || o.reverse);
    std::string refusal;
    s.dialogs.installation = [&](CInstallationForm& form) {
        SetField(form.Field(CInstallationForm::kX), at.x);
        SetField(form.Field(CInstallationForm::kY), at.y);
        SetField(form.Field(CInstallationForm::kZ), at.z);
        if (!o.aim.empty()) {
            const CVec3 aim = ToVec3(o.aim, "--aim");
            SetField(form.Field(CInstallationForm::kAzimuth), aim.x);
            SetField(form.Field(CInstallationForm::kElevation), aim.y);
            SetField(form.Field(CInstallationForm::kRotation), aim.z);
        }
        if (o.power)
            SetField(form.Field(CInstallationForm::kPower), *o.power);
        if (o.reverse)
            form.polaritySelection = 1;
        std::string message;
        return AcceptOrRecord(form.Accept(&message), message, refusal);
    };
    s.messages.confirmAnswer = o.force;
    const int result = doc.InstallSpeaker(at.x, at.y);
    advancedRows.Restore();
    if (!refusal.empty())
        throw CCliError(refusal);
    if (result != 0) {
        for (const std::string& question : s.messages.asked)
            if (question.find("same position") != std::string::npos)
                throw CCliError("a speaker is already installed at this position and aim; use "
                                "--force to add another");
        throw CCliError(s.messages.asked.empty() ? "the speaker was not installed"
                                                 : s.messages.asked.back());
    }
    doc.StandardRefresh();
    const CInstallationElement& inst = *doc.room.list.Current();
    const std::string report = "installed " + model.DisplayName() + " as installation " +
                               std::to_string(doc.room.list.CurrentIndex()) + " at (" +
                               FormatSignificant(inst.position.x, 4) + ", " +
                               FormatSignificant(inst.position.y, 4) + ", " +
                               FormatSignificant(inst.position.z, 4) + "), " +
                               FormatSignificant(inst.power, 4) + " W\n";
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
            SetField(form.Field(CAutoInstallationForm::kAzimuth), aim.x);
            SetField(form.Field(CAutoInstallationForm::kElevation), aim.y);
            SetField(form.Field(CAutoInstallationForm::kRotation), aim.z);
        }
        if (o.height)
            SetField(form.Field(CAutoInstallationForm::kHeight), *o.height);
        std::string message;
        return AcceptOrRecord(form.Accept(&message), message, refusal);
    };
    s.messages.confirmAnswer = true;
    const int before = doc.room.list.Count();
    doc.OnCommand(kCmdAutoInstall);
    advancedRows.Restore();
    if (!refusal.empty())
        throw CCliError(refusal);
    s.ThrowIfErrors("");
    if (doc.Settings().autoLayoutValid != 1)
        throw CCliError("no automatic layout was made (installations unchanged: " +
                        std::to_string(before) + ")");
    const std::string report = "installed " + std::to_string(doc.room.list.Count()) +
                               " speakers; rows " + FormatSignificant(doc.Settings().autoRowPitch, 4) +
                               " apart, columns " + FormatSignificant(doc.Settings().autoColumnPitch, 4) +
                               " apart, first row " + FormatSignificant(doc.Settings().autoBottomOffset, 4) +
                               " and first column " + FormatSignificant(doc.Settings().autoLeftOffset, 4) +
                               " from the walls\n";
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
    CColorMapViewModel view(doc);
    view.OnInitialUpdate();
    const CAdvancedRows advancedRows(doc, true); // the plane's zero position needs advanced mode
    std::string refusal;
    s.dialogs.roomParameters = [&](CRoomParametersForm& form) {
        form.SetSameAsRoom(false);
        form.SelectOrientation(orientation);
        double a = origin.x, b = origin.y, c = extent.x, d = extent.y, e = origin.z;
        if (orientation == CRoomParametersForm::kParallelToYZ)
            a = origin.y, b = origin.z, c = extent.y, d = extent.z, e = origin.x;
        else if (orientation == CRoomParametersForm::kParallelToXZ)
            a = origin.x, b = origin.z, c = extent.x, d = extent.z, e = origin.y;
        SetField(form.Field(CRoomParametersForm::kPlaneA), a);
        SetField(form.Field(CRoomParametersForm::kPlaneB), b);
        SetField(form.Field(CRoomParametersForm::kPlaneC), c);
        SetField(form.Field(CRoomParametersForm::kPlaneD), d);
        SetField(form.Field(CRoomParametersForm::kPlaneE), e);
        SetField(form.Field(CRoomParametersForm::kDotPitch), o.pitch);
        if (o.maximum)
            SetField(form.Field(CRoomParametersForm::kColorMaximum), *o.maximum);
        if (o.step)
            SetField(form.Field(CRoomParametersForm::kColorPitch), *o.step);
        std::string message;
        return AcceptOrRecord(form.Accept(&message), message, refusal) ? 0 : 1;
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
                               FormatSignificant(plane.dotPitch, 4) + "\n";
    s.Save(o.project);
    std::cout << report;
    return 0;
}

int RunMap(const CMapCommandOptions& o) {
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
    CColorMapViewModel view(doc);
    view.OnInitialUpdate();
    if (ApplyBandChoice(view, o.band, o.frequency, o.mode))
        doc.RebuildAllPlanes(); // as the view's lists do: every map loses its levels
    CMapOptions options;
    options.engine = o.engine == "reference" ? EMapEngineKind::Reference : EMapEngineKind::Engine;
    options.threads = o.threads;
    const CMapResult result = CalculateConditionMap(doc, view.ConditionIndex(), options);
    if (result.status == ECalcStatus::Stopped)
        throw CCliError("the calculation was stopped; nothing was saved");
    s.ThrowIfErrors("");
    if (result.status != ECalcStatus::Completed)
        throw CCliError("the map was not calculated");
    const CColorMapCondition& c = *view.Condition();
    const CListeningPlane& plane = c.plane;
    PrintCondition(c);
    const std::string unit = doc.Settings().lengthUnit == kUnitImperial ? "[ft]" : "[m]";
    std::cout << "points: " << plane.pointCount << " at a pitch of "
              << FormatSignificant(plane.dotPitch, 4) << unit << "\n"
              << "maximum: " << FormatSignificant(plane.maximumLevel, 4) << " dB\n"
              << "minimum: " << FormatSignificant(plane.minimumLevel, 4) << " dB\n"
              << "average (pink noise): " << FormatSignificant(plane.pinkNoiseAverage, 4) << " dB\n"
              << "average (music/speech): " << FormatSignificant(plane.musicSpeechAverage, 4)
              << " dB\n";
    FlushOutput();
    if (!o.csv.empty()) {
        std::string text = "x,y,z,level\n";
        for (const CPlaceElement& p : plane.points)
            text +=
                Number(p.x) + "," + Number(p.y) + "," + Number(p.z) + "," + Number(p.level) + "\n";
        WriteText(o.csv, text);
    }
    if (o.save)
        s.Save(o.project);
    return 0;
}

int RunSpectrum(const CSpectrumOptions& o) {
    CCliSession s;
    OpenForCalculation(s, o.project, "there is no spectrum");
    CDAXDoc& doc = *s.doc;
    const CVec3 at = ToVec3(o.at, "--at");
    CColorMapViewModel view(doc);
    view.OnInitialUpdate();
    ApplyBandChoice(view, o.band, std::nullopt, o.mode);
    std::vector<double> centres, levels;
    std::string reason;
    // The engine answers fast; the literal path is asked again only to say why a band failed.
    bool ok = EnginePointSpectrum(doc.Scene(), *view.Condition(), at, centres, levels);
    for (double level : levels)
        ok = ok && std::isfinite(level);
    if (!ok && !PointSpectrum(doc.Scene(), *view.Condition(), at, centres, levels, &reason))
        throw CCliError("the spectrum could not be calculated: " + reason);
    for (std::size_t i = 0; i < centres.size(); ++i)
        std::cout << Number(centres[i]) << "," << Number(levels[i]) << "\n";
    FlushOutput();
    return 0;
}
