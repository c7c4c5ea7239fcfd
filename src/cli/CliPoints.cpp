// The planner's named listening points: list, mark, rename and remove them. The report shows the
// frequency response at each.
#include "CliCommands.h"
#include "CliEdit.h"
#include "CliSession.h"
#include "common/FormatSignificant.h"
#include "project/ColorMapLayout.h"
#include "project/ListeningPoints.h"

#include <nlohmann/json.hpp>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <iostream>
#include <memory>

namespace {
struct CPointsOptions {
    std::string project;
    std::vector<std::string> add;    // NAME=X,Y,Z
    std::vector<std::string> rename; // OLD=NEW
    std::vector<std::string> remove; // NAME
    bool json = false;
    bool force = false;
};

// NAME=VALUE split at the last '=' for --add (names may hold one) and at the first for --rename.
std::pair<std::string, std::string> Split(const std::string& text, const char* option, bool last) {
    const std::size_t at = last ? text.rfind('=') : text.find('=');
    if (at == std::string::npos || at == 0)
        throw CCliError(std::string(option) + " \"" + text + "\" is not NAME=" +
                        (last ? "X,Y,Z" : "NEW"));
    return {text.substr(0, at), text.substr(at + 1)};
}

CVec3 ParsePosition(const std::string& text, const std::string& option) {
    double v[3] = {};
    const char* p = text.c_str();
    for (int i = 0; i < 3; ++i) {
        char* end = nullptr;
        errno = 0;
        v[i] = std::strtod(p, &end);
        if (end == p || errno == ERANGE || !std::isfinite(v[i]) ||
            (i < 2 ? *end != ',' : *end != '\0'))
            throw CCliError(option + ": \"" + text + "\" is not X,Y,Z in finite numbers");
        p = end + (i < 2 ? 1 : 0);
    }
    return {v[0], v[1], v[2]};
}

void Check(EPointEdit result, const std::string& name) {
    if (result != EPointEdit::Done)
        throw CCliError(PointEditText(result, name));
}

int RunPoints(const CPointsOptions& o) {
    const bool edits = !o.add.empty() || !o.rename.empty() || !o.remove.empty();
    CCliSession s;
    if (edits) {
        s.OpenForWriting(o.project);
        s.messages.replaceOtherFile = o.force;
    } else {
        s.Open(o.project);
    }
    CDAXDoc& doc = *s.doc;
    // Removed first, then renamed, then marked, so a name can be freed and taken in one call.
    for (const std::string& name : o.remove)
        Check(RemoveListeningPoint(doc, name), name);
    for (const std::string& text : o.rename) {
        const auto [from, to] = Split(text, "--rename", false);
        const EPointEdit result = RenameListeningPoint(doc, from, to);
        Check(result, result == EPointEdit::NoSuchPoint ? from : to);
    }
    for (const std::string& text : o.add) {
        const auto [name, at] = Split(text, "--add", true);
        Check(AddListeningPoint(doc, name, ParsePosition(at, "--add " + name)), name);
    }
    if (edits)
        s.Save(o.project);
    const std::string unit = UnitText(doc.Settings().lengthUnit);
    if (o.json) {
        nlohmann::json list = nlohmann::json::array();
        for (const CListeningPoint& p : doc.Settings().listeningPoints)
            list.push_back({{"name", JsonText(p.name)},
                            {"position", {p.position.x, p.position.y, p.position.z}}});
        std::cout << nlohmann::json{{"unit", unit}, {"points", list}}.dump(2) << "\n";
        return 0;
    }
    for (const CListeningPoint& p : doc.Settings().listeningPoints)
        std::cout << p.name << ": " << FormatValue(p.position.x, 6) << ", "
                  << FormatValue(p.position.y, 6) << ", "
                  << FormatValue(p.position.z, 6) << " " << unit << "\n";
    return 0;
}
} // namespace

CCliCommand AddPointsCommand(CLI::App& app) {
    auto o = std::make_shared<CPointsOptions>();
    auto* cmd = app.add_subcommand(
        "points", "List, mark, rename or remove the named listening points the report shows "
                  "the frequency response at");
    cmd->add_option("PROJECT", o->project, "Project file")->required();
    cmd->add_option("--add", o->add, "Mark a point: NAME=X,Y,Z (repeatable)");
    cmd->add_option("--rename", o->rename, "Rename a point: OLD=NEW (repeatable)");
    cmd->add_option("--remove", o->remove, "Remove the point of that name (repeatable)");
    cmd->add_flag("--json", o->json, "List the points as JSON");
    cmd->add_flag("--force", o->force,
                  "Replace the .tdax a .dax project is saved as, when it is another file");
    return {cmd, [o] { return RunPoints(*o); }};
}
