// Editing installations from the command line: each command runs the document's own flow with
// the installation dialog filled from its options, as the list's menu and the map's drags do.
#include "CliEdit.h"

#include "CliCommands.h"
#include "CliSession.h"
#include "common/FormatSignificant.h"
#include "common/Units.h"
#include "project/CommandTable.h"
#include "project/ListViewModels.h"
#include "project/Strings.h"
#include "project/forms/InstallationForm.h"

#include <algorithm>
#include <iostream>
#include <memory>
#include <optional>
#include <set>

namespace {
struct CListOptions {
    std::string project;
};

struct CRemoveOptions {
    std::string project;
    std::vector<int> indices;
    bool all = false;
    bool force = false;
};

struct CMoveOptions {
    std::string project;
    int index = 0;
    std::vector<double> at;
    bool force = false;
};

struct CSetOptions {
    std::string project;
    int index = 0;
    std::vector<double> aim;
    std::vector<double> aimAt;
    std::optional<double> power;
    std::optional<int> tap;
    std::string polarity;
    std::optional<int> model;
    std::optional<double> delay;
    bool force = false;
};

struct CAlignOptions {
    std::string project;
    std::vector<int> fills;
    int main = 0;
    std::vector<double> at;
    double offset = kDefaultAlignOffsetMs;
    bool force = false;
};

std::string Count(int n, const char* what) {
    return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
}

// The installation a command names, made current as a click in the installation list does.
const CInstallationElement& ChooseInstallation(CDAXDoc& doc, int index) {
    const int count = doc.Room().Count();
    if (count == 0)
        throw CCliError("the project has no installations");
    if (index < 0 || index >= count)
        throw CCliError("installation " + std::to_string(index) +
                        " does not exist; the project has " + Count(count, "installation") +
                        " (0 to " + std::to_string(count - 1) + ")");
    SelectInstallation(doc, index);
    return *doc.Room().At(index);
}

// The edit flow ran but changed nothing: say why, in the command line's words.
[[noreturn]] void ThrowNotChanged(CCliSession& s, const CFlowResult& result,
                                  const std::string& refusal) {
    s.ThrowNotDone(refusal, result.reason == EFlowReason::SameSpot,
                   "another installation has the same position and aim; use --force to place it "
                   "there anyway",
                   "the installation was not changed");
}

// Runs "Change property for installation" on the current installation with `fill` as the
// dialog's user.
CFlowResult RunEdit(CCliSession& s, bool force,
                    const std::function<bool(CInstallationForm&)>& fill) {
    s.dialogs.installation = fill;
    s.messages.confirmAnswer = force; // the same-spot question
    return s.doc->ChangeCurrentInstallation();
}

std::string Describe(const CDAXDoc& doc, int index) {
    const CInstallationElement& e = *doc.Room().At(index);
    return "installation " + std::to_string(index) + " (" +
           doc.Models().At(e.modelIndex).DisplayName() + ") at (" +
           FormatValue(e.position.x, 4) + ", " + FormatValue(e.position.y, 4) + ", " +
           FormatValue(e.position.z, 4) + "), aim " +
           FormatValue(e.orientation.azimuth, 4) + "/" +
           FormatValue(e.orientation.elevation, 4) + "/" +
           FormatValue(e.orientation.rotation, 4) + ", " + FormatValue(e.power, 4) +
           " W, tap " + std::to_string(e.tapIndex + 1) + ", " +
           (e.polarityNormal ? "normal" : "reverse") +
           (e.delay != 0.0 ? ", delayed " + FormatValue(e.delay, 4) + " ms" : "");
}

int RunList(const CListOptions& o) {
    CCliSession s;
    s.Open(o.project);
    CDAXDoc& doc = *s.doc;
    // Every column, as the list shows them in Advanced Mode; N replaces the list's "No" (from 1)
    // with the number the commands take (from 0).
    std::vector<CListColumn> columns = InstallationColumns(true);
    CListRows rows = InstallationRows(doc, true);
    columns.front().title = "N";
    for (std::size_t r = 0; r < rows.size(); ++r)
        rows[r].front() = std::to_string(r);
    columns.insert(columns.begin() + 2, {"Tap", 0});
    for (std::size_t r = 0; r < rows.size(); ++r)
        rows[r].insert(rows[r].begin() + 2,
                       std::to_string(doc.Room().At(static_cast<int>(r))->tapIndex + 1));
    std::vector<std::size_t> widths;
    for (const CListColumn& c : columns)
        widths.push_back(c.title.size());
    for (const auto& row : rows)
        for (std::size_t i = 0; i < row.size(); ++i)
            widths[i] = std::max(widths[i], row[i].size());
    auto print = [&](const std::vector<std::string>& cells) {
        std::string line;
        for (std::size_t i = 0; i < cells.size(); ++i)
            line += cells[i] + std::string(widths[i] - cells[i].size() + 2, ' ');
        line.erase(line.find_last_not_of(' ') + 1);
        std::cout << line << "\n";
    };
    std::vector<std::string> titles;
    for (const CListColumn& c : columns)
        titles.push_back(c.title);
    print(titles);
    for (const auto& row : rows)
        print(row);
    if (rows.empty())
        std::cout << "(no installations)\n";
    FlushOutput();
    return 0;
}

int RunRemove(const CRemoveOptions& o) {
    CCliSession s;
    s.OpenForWriting(o.project);
    s.messages.replaceOtherFile = o.force;
    CDAXDoc& doc = *s.doc;
    if (o.all == !o.indices.empty())
        throw CCliError("name the installations to remove (N...) or give --all, not both");
    if (!doc.HasInstallations())
        throw CCliError("the project has no installations");
    const int before = doc.Room().Count();
    s.messages.confirmAnswer = true; // the command is the answer to "Are you sure ...?"
    if (o.all) {
        doc.OnCommand(kCmdRemoveAllInstallations);
    } else {
        // From the back, so the numbers still to come keep naming the same installations.
        std::set<int, std::greater<>> indices(o.indices.begin(), o.indices.end());
        for (int index : indices)
            ChooseInstallation(doc, index);
        for (int index : indices) {
            ChooseInstallation(doc, index);
            doc.OnCommand(kCmdRemoveInstallation);
        }
    }
    s.ThrowIfErrors("");
    const int removed = before - doc.Room().Count();
    if (removed == 0)
        throw CCliError("nothing was removed");
    s.Save(o.project);
    std::cout << "removed " << Count(removed, "installation") << "; " << doc.Room().Count()
              << " remain\n";
    return 0;
}

int RunMove(const CMoveOptions& o) {
    CCliSession s;
    s.OpenForWriting(o.project);
    s.messages.replaceOtherFile = o.force;
    CDAXDoc& doc = *s.doc;
    ChooseInstallation(doc, o.index);
    const CVec3 at = ToVec3(o.at, "--at");
    std::string refusal;
    const CFlowResult moved = RunEdit(s, o.force, [&](CInstallationForm& form) {
        return FillField(form.Field(CInstallationForm::kX), at.x, "--at (X)", refusal) &&
               FillField(form.Field(CInstallationForm::kY), at.y, "--at (Y)", refusal) &&
               FillField(form.Field(CInstallationForm::kZ), at.z, "--at (Z)", refusal);
    });
    if (!moved.IsDone())
        ThrowNotChanged(s, moved, refusal);
    const std::string report = "moved " + Describe(doc, o.index) + "\n";
    s.Save(o.project);
    std::cout << report;
    return 0;
}

// --model and --tap: the document's change of model and tap, its refusals in the command line's
// words.
void ChangeModelAndTap(CDAXDoc& doc, int index, const CSetOptions& o) {
    if (!o.model && !o.tap)
        return;
    const int model = o.model.value_or(doc.Room().At(index)->modelIndex);
    // Taps are numbered from 1, as the tap list shows them.
    const std::optional<int> tapRow = o.tap ? std::optional<int>(*o.tap - 1) : std::nullopt;
    const CFlowResult changed = doc.ChangeInstallationModel(index, model, tapRow);
    if (changed.IsDone())
        return;
    switch (changed.reason) {
    case EFlowReason::NoSuchModel:
        throw CCliError(
            "--model must lie between 0 and " + std::to_string(doc.Models().Count() - 1) +
            " (the project's models); model " + std::to_string(model) + " does not exist");
    case EFlowReason::NoSuchTap: {
        const CSpeakerModel& m = doc.Models().At(model);
        const int tapCount = static_cast<int>(m.Settings().taps.size());
        throw CCliError("--tap must lie between 1 and " + std::to_string(tapCount) + " (" +
                        m.DisplayName() + " has " + Count(tapCount, "tap") + "); " +
                        std::to_string(doc.TapForModel(index, model, tapRow) + 1) + " was given");
    }
    case EFlowReason::OtherResolution:
        throw CCliError("model " + std::to_string(model) +
                        " has another frequency resolution than the speakers already "
                        "installed");
    case EFlowReason::ImpedanceMix:
        throw CCliError(Strings::kImpedanceMix);
    default:
        throw CCliError(changed.message.empty() ? "the installation was not changed"
                                                : changed.message);
    }
}

int RunSet(const CSetOptions& o) {
    CCliSession s;
    s.OpenForWriting(o.project);
    s.messages.replaceOtherFile = o.force;
    CDAXDoc& doc = *s.doc;
    const CInstallationElement& e = ChooseInstallation(doc, o.index);
    if (o.aim.empty() && o.aimAt.empty() && !o.power && !o.tap && o.polarity.empty() && !o.model &&
        !o.delay)
        throw CCliError("nothing to set: give --aim, --aim-at, --power, --tap, --polarity, "
                        "--delay or --model");
    ChangeModelAndTap(doc, o.index, o);
    if (o.power) {
        const std::string refusal = TapPowerRefusal(
            TapPowerOf(doc.Models().At(e.modelIndex), e.tapIndex), *o.power, "--power");
        if (!refusal.empty())
            throw CCliError(refusal);
    }
    CVec3 aim{e.orientation.azimuth, e.orientation.elevation, e.orientation.rotation};
    if (!o.aim.empty())
        aim = ToVec3(o.aim, "--aim");
    if (!o.aimAt.empty() && !AimAt(e.position, ToVec3(o.aimAt, "--aim-at"), aim.x, aim.y))
        throw CCliError("--aim-at names the installation's own position; there is no direction");
    const double power = o.power.value_or(e.power);
    const CAdvancedRows advanced(doc, true); // aim, power, delay and polarity are advanced rows
    std::string refusal;
    const CFlowResult changed = RunEdit(s, o.force, [&](CInstallationForm& form) {
        const std::string aimOption = o.aimAt.empty() ? "--aim" : "--aim-at";
        if (!FillField(form.Field(CInstallationForm::kAzimuth), aim.x, aimOption + " (azimuth)",
                       refusal) ||
            !FillField(form.Field(CInstallationForm::kElevation), aim.y, aimOption + " (elevation)",
                       refusal) ||
            !FillField(form.Field(CInstallationForm::kRotation), aim.z, "--aim (rotation)",
                       refusal) ||
            !FillField(form.Field(CInstallationForm::kPower), power, "--power", refusal) ||
            (o.delay &&
             !FillField(form.Field(CInstallationForm::kDelay), *o.delay, "--delay", refusal)))
            return false;
        if (!o.polarity.empty())
            form.polaritySelection = o.polarity == "reverse" ? 1 : 0;
        return true;
    });
    advanced.Restore();
    if (!changed.IsDone())
        ThrowNotChanged(s, changed, refusal);
    const std::string report = "set " + Describe(doc, o.index) + "\n";
    s.Save(o.project);
    std::cout << report;
    return 0;
}

int RunAlign(const CAlignOptions& o) {
    CCliSession s;
    s.OpenForWriting(o.project);
    s.messages.replaceOtherFile = o.force;
    CDAXDoc& doc = *s.doc;
    const int count = doc.Room().Count();
    auto require = [&](int index, const std::string& what) {
        if (index < 0 || index >= count)
            throw CCliError(what + " must lie between 0 and " + std::to_string(count - 1) +
                            " (the project's installations); " + std::to_string(index) +
                            " does not exist");
    };
    require(o.main, "--to");
    std::set<int> seen;
    for (int k : o.fills) {
        require(k, "N");
        if (k == o.main)
            throw CCliError("installation " + std::to_string(k) +
                            " is the main installation (--to); it cannot follow itself");
        if (!seen.insert(k).second)
            throw CCliError("installation " + std::to_string(k) + " is named twice");
    }
    CAlignRequest request;
    request.fills = o.fills;
    request.main = o.main;
    request.offsetMs = o.offset;
    request.point = ToVec3(o.at, "--at");
    const CAlignOutcome outcome = doc.AlignDelays(request);
    if (!outcome.result.IsDone())
        throw CCliError("the delays were not changed");
    // Told before the save, so a limited delay is never news after the fact.
    if (const std::string notice = AlignNotice(request, outcome, 0); !notice.empty())
        std::cerr << "daxara-cli: warning: " << notice << "\n";
    std::string report;
    for (const CAlignedDelay& d : outcome.delays)
        report += "installation " + std::to_string(d.installation) + ": delay " +
                  FormatSignificant(d.delay, 6) + " ms\n";
    s.Save(o.project);
    std::cout << report;
    return 0;
}

CLI::App* AddProject(CLI::App* cmd, std::string& project) {
    cmd->add_option("PROJECT", project, "Project file")->required();
    return cmd;
}
} // namespace

std::vector<CCliCommand> AddEditCommands(CLI::App& app) {
    static constexpr const char* kIndexHelp =
        "Installation number N, from 0, as `list` and `info` show it";
    static constexpr const char* kForceHelp =
        "Also where another installation has the same position and aim; and replace the .tdax "
        "a .dax project is saved as";
    std::vector<CCliCommand> commands;

    auto list = std::make_shared<CListOptions>();
    auto* cmdList = app.add_subcommand(
        "list", "The installation list as the window shows it in Advanced Mode, with N and tap");
    AddProject(cmdList, list->project);
    commands.push_back({cmdList, [list] { return RunList(*list); }});

    auto remove = std::make_shared<CRemoveOptions>();
    auto* cmdRemove = app.add_subcommand("remove", "Remove installations, as the list's menu does");
    AddProject(cmdRemove, remove->project);
    auto* indices = cmdRemove->add_option("N", remove->indices, kIndexHelp);
    cmdRemove->add_flag("--all", remove->all, "Remove every installation")->excludes(indices);
    cmdRemove->add_flag("--force", remove->force,
                        "Replace the .tdax a .dax project is saved as, when it is another file");
    commands.push_back({cmdRemove, [remove] { return RunRemove(*remove); }});

    auto move = std::make_shared<CMoveOptions>();
    auto* cmdMove = app.add_subcommand(
        "move", "Move an installation, as dragging it on the map or its properties dialog does");
    AddProject(cmdMove, move->project);
    cmdMove->add_option("N", move->index, kIndexHelp)->required();
    Triple(cmdMove, "--at", move->at, "New position X,Y,Z", true);
    cmdMove->add_flag("--force", move->force, kForceHelp);
    commands.push_back({cmdMove, [move] { return RunMove(*move); }});

    auto set = std::make_shared<CSetOptions>();
    auto* cmdSet = app.add_subcommand(
        "set", "Change an installation's aim, power, tap, polarity or model, as its properties "
               "dialog does");
    AddProject(cmdSet, set->project);
    cmdSet->add_option("N", set->index, kIndexHelp)->required();
    auto* aim =
        Triple(cmdSet, "--aim", set->aim, "Azimuth, elevation, rotation in degrees: AZ,EL,ROT");
    Triple(cmdSet, "--aim-at", set->aimAt,
           "Aim the main axis at the point X,Y,Z (azimuth and elevation computed; rotation kept). "
           "An addition of the command line: the dialog takes angles only")
        ->excludes(aim);
    cmdSet->add_option("--power", set->power, "Power in W, at most the tap's")->check(Finite());
    cmdSet->add_option("--tap", set->tap,
                       "Tap number of the installation's model, from 1 as the tap list shows it; "
                       "brings the tap's power for every box");
    cmdSet->add_option("--polarity", set->polarity, "Polarity")
        ->check(CLI::IsMember({"normal", "reverse"}));
    cmdSet->add_option("--model", set->model,
                       "Speaker model index; the installation takes its default tap");
    cmdSet->add_option("--delay", set->delay, "Signal delay in ms, 0 to 1000")->check(Finite());
    cmdSet->add_flag("--force", set->force, kForceHelp);
    commands.push_back({cmdSet, [set] { return RunSet(*set); }});

    auto align = std::make_shared<CAlignOptions>();
    auto* cmdAlign = app.add_subcommand(
        "align", "Delay installations so that their sound reaches a point a set time after a main "
                 "installation's, as the list's Align Delays does");
    AddProject(cmdAlign, align->project);
    cmdAlign->add_option("N", align->fills, "The installations to delay, from 0")->required();
    cmdAlign->add_option("--to", align->main, "The main installation their sound follows")
        ->required();
    Triple(cmdAlign, "--at", align->at, "The reference point X,Y,Z", true);
    cmdAlign
        ->add_option("--offset", align->offset,
                     "How much later than the main's their sound arrives there, in ms")
        ->capture_default_str()
        ->check(Finite(-kMaxAlignOffsetMs, kMaxAlignOffsetMs));
    cmdAlign->add_flag("--force", align->force,
                       "Replace the .tdax a .dax project is saved as, when it is another file");
    commands.push_back({cmdAlign, [align] { return RunAlign(*align); }});
    return commands;
}
