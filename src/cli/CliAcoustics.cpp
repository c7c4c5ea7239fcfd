// The room acoustics from the command line: `acoustics` shows and sets the surfaces, the air,
// the reverberation formula and the background noise of a project and what the room makes of
// them; `materials` lists the material library.
#include "CliAcoustics.h"

#include "CliCommands.h"
#include "CliSession.h"
#include "acoustics/MaterialLibrary.h"
#include "acoustics/NoiseCurves.h"
#include "acoustics/RoomField.h"
#include "common/FormatSignificant.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>

namespace {
struct CAcousticsOptions {
    std::string project;
    std::vector<std::string> surfaces; // FACE=MATERIAL or FACE=a1,...,a7
    std::vector<double> extra;
    std::vector<double> air; // T,RH
    std::string airAbsorption;
    std::string rt;
    std::string noise; // L1,...,L7, a curve name, or off
    std::optional<double> stiTarget;
    bool json = false;
    bool force = false;
};

struct CMaterialsOptions {
    bool json = false;
};

const char* const kFaceNames[kRoomFaceCount] = {"floor",   "ceiling", "wall-x0",
                                                "wall-xL", "wall-y0", "wall-yW"};

std::string Lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

int FaceIndex(const std::string& name) {
    for (int f = 0; f < kRoomFaceCount; ++f)
        if (Lower(name) == Lower(kFaceNames[f]))
            return f;
    std::vector<std::string> names(std::begin(kFaceNames), std::end(kFaceNames));
    const std::string near = ClosestName(name, names);
    throw CCliError("--surface: there is no face '" + name + "' (floor, ceiling, wall-x0, "
                    "wall-xL, wall-y0, wall-yW)" +
                    (near.empty() ? std::string() : "; did you mean " + near + "?"));
}

// Seven comma-separated numbers, or nothing when the text is not such a list.
std::optional<COctaveValues> SevenNumbers(const std::string& text) {
    COctaveValues values{};
    std::size_t count = 0, at = 0;
    while (at <= text.size()) {
        const std::size_t comma = std::min(text.find(',', at), text.size());
        const std::string token = text.substr(at, comma - at);
        if (count == kOctaveCount || token.empty())
            return std::nullopt;
        const std::optional<double> v = ParseWholeNumber(token);
        if (!v)
            return std::nullopt;
        values[count++] = *v;
        at = comma + 1;
    }
    if (count != kOctaveCount)
        return std::nullopt;
    return values;
}

// Applies --surface FACE=... to the acoustics.
void ApplySurface(CRoomAcoustics& acoustics, const std::string& option,
                  const CMaterialLibrary& library) {
    const std::size_t equals = option.find('=');
    if (equals == std::string::npos)
        throw CCliError("--surface " + option + ": expected FACE=MATERIAL or FACE=a1,...,a7");
    CRoomMaterial& face = acoustics.faces[static_cast<std::size_t>(FaceIndex(option.substr(0, equals)))];
    const std::string value = option.substr(equals + 1);
    if (const std::optional<COctaveValues> alpha = SevenNumbers(value)) {
        face = {"", *alpha};
        return;
    }
    if (const CLibraryMaterial* m = library.Find(value)) {
        face = m->material;
        return;
    }
    std::vector<std::string> names;
    for (const CLibraryMaterial& m : library.Materials())
        names.push_back(m.material.name);
    const std::string near = ClosestName(value, names);
    throw CCliError("--surface " + option + ": '" + value +
                    "' is neither seven coefficients a1,...,a7 nor a material of the library "
                    "(daxara-cli materials lists them)" +
                    (near.empty() ? std::string() : "; did you mean '" + near + "'?"));
}

// The program's folder, where the installed library is looked for.
std::string ProgramDirectory() {
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : self.parent_path().string();
}

CMaterialLibrary Library() {
    std::vector<std::string> problems;
    CMaterialLibrary library = CMaterialLibrary::Installed(ProgramDirectory(), &problems);
    for (const std::string& problem : problems)
        std::cerr << "daxara-cli: warning: the material library: " << problem << "\n";
    return library;
}

nlohmann::json Numbers(const COctaveValues& values) {
    nlohmann::json list = nlohmann::json::array();
    for (double v : values)
        list.push_back(std::isfinite(v) ? nlohmann::json(v) : nlohmann::json(nullptr));
    return list;
}

std::string Cell(double value, int digits = 4) {
    if (!std::isfinite(value))
        return "-";
    return FormatValue(value, digits);
}

void PrintRow(const std::string& name, const COctaveValues& values, int digits = 4) {
    char head[40];
    std::snprintf(head, sizeof head, "%-22s", name.c_str());
    std::cout << head;
    for (double v : values) {
        char cell[16];
        std::snprintf(cell, sizeof cell, "%9s", Cell(v, digits).c_str());
        std::cout << cell;
    }
    std::cout << "\n";
}

// What `acoustics` shows: the room per octave and, with installations, their power and the
// reverberant field they feed.
struct CAcousticsReport {
    CRoomOctaves room;
    COctaveValues lwTotal{}, reverberant{};
    struct CInstallation {
        COctaveValues lw{}, q{}, di{}, rc{};
    };
    std::vector<CInstallation> installations;
};

CAcousticsReport Report(const CDAXDoc& doc) {
    CAcousticsReport r;
    const CAcousticScene scene = doc.Scene();
    r.room = AnalyseRoom(doc.Settings().roomAcoustics, RoomSizeOf(scene));
    const auto bands = OctaveBands(scene);
    CSoundPowerCache cache;
    r.installations.resize(static_cast<std::size_t>(doc.Room().Count()));
    for (std::size_t k = 0; k < kOctaveCount; ++k) {
        const double R = r.room.octaves[k].roomConstant;
        double sum = 0.0;
        int i = 0;
        for (const CInstallationElement& inst : doc.Room().List()) {
            if (inst.modelIndex < 0 || inst.modelIndex >= doc.Models().Count())
                throw CCliError(DanglingModelReason(scene));
            const CModelPower* model = nullptr;
            try {
                model = &cache.Get(doc.Models().At(inst.modelIndex), bands[k]);
            } catch (const CInvalidArgument& e) {
                throw CCliError(std::string("the sound power cannot be calculated: ") + e.what());
            }
            const CInstallationPower p = InstallationPower(*model, inst.power);
            CAcousticsReport::CInstallation& out = r.installations[static_cast<std::size_t>(i++)];
            out.lw[k] = p.lw, out.q[k] = p.q, out.di[k] = p.di;
            out.rc[k] = CriticalDistance(p.q, R);
            if (inst.power > 0.0)
                sum += std::pow(10.0, p.lw / 10.0);
        }
        r.lwTotal[k] = sum > 0.0 ? 10.0 * std::log10(sum) : -INFINITY;
        r.reverberant[k] = sum > 0.0 ? ReverberantLevel(sum, R) : -INFINITY;
    }
    return r;
}

void PrintAcoustics(const CDAXDoc& doc, const CAcousticsReport& r) {
    const CRoomAcoustics& a = doc.Settings().roomAcoustics;
    const CSpeechSettings& s = doc.Settings().speech;
    std::cout << "room: volume " << Cell(r.room.volume) << " m3, surface " << Cell(r.room.surface)
              << " m2\n"
              << "air: " << Cell(a.temperature) << " deg C, " << Cell(a.humidity)
              << " % relative humidity; air absorption on the direct sound: "
              << (a.airOnDirect ? "on" : "off") << "\n"
              << "reverberation formula: "
              << (a.formula == EReverbFormula::Sabine ? "sabine" : "eyring") << "\n";
    std::cout << "\n";
    PrintRow("octave [Hz]", {125, 250, 500, 1000, 2000, 4000, 8000});
    for (int f = 0; f < kRoomFaceCount; ++f) {
        const CRoomMaterial& m = a.faces[static_cast<std::size_t>(f)];
        PrintRow(std::string(kFaceNames[f]) + " alpha", m.alpha, 3);
        if (!m.name.empty())
            std::cout << "  (" << m.name << ")\n";
    }
    PrintRow("extra area [m2]", a.extraAbsorption);
    COctaveValues A{}, abar{}, air{}, sabine{}, eyring{}, R{};
    for (std::size_t k = 0; k < kOctaveCount; ++k) {
        const CRoomBand& b = r.room.octaves[k];
        A[k] = b.absorption, abar[k] = b.meanAlpha, air[k] = b.airDbPerMetre * 1000.0;
        sabine[k] = b.rtSabine, eyring[k] = b.rtEyring, R[k] = b.roomConstant;
    }
    PrintRow("absorption area [m2]", A);
    PrintRow("mean alpha", abar, 3);
    PrintRow("air [dB/km]", air);
    PrintRow("T Sabine [s]", sabine, 3);
    PrintRow("T Eyring [s]", eyring, 3);
    PrintRow("room constant [m2]", R);
    if (!r.installations.empty()) {
        PrintRow("Lw total [dB]", r.lwTotal);
        PrintRow("reverberant [dB]", r.reverberant);
        for (std::size_t i = 0; i < r.installations.size(); ++i) {
            const auto& inst = r.installations[i];
            std::cout << "installation " << i << ":\n";
            PrintRow("  Lw [dB]", inst.lw);
            PrintRow("  Q", inst.q, 3);
            PrintRow("  DI [dB]", inst.di, 3);
            PrintRow("  critical dist. [m]", inst.rc, 3);
        }
    }
    std::cout << "\nbackground noise: ";
    if (!s.noiseOn) {
        std::cout << "none\n";
    } else {
        std::cout << (s.curve.empty() ? std::string("typed") : s.curve) << "\n";
        PrintRow("noise [dB]", s.noise);
    }
    std::cout << "STI target: " << Cell(s.stiTarget, 3) << "\n";
}

int RunAcoustics(const CAcousticsOptions& o) {
    const bool edits = !o.surfaces.empty() || !o.extra.empty() || !o.air.empty() ||
                       !o.airAbsorption.empty() || !o.rt.empty() || !o.noise.empty() ||
                       o.stiTarget.has_value();
    CCliSession s;
    if (edits)
        s.Lock(o.project);
    s.messages.replaceOtherFile = o.force;
    s.Open(o.project);
    CDAXDoc& doc = *s.doc;
    if (edits) {
        CRoomAcoustics acoustics = doc.Settings().roomAcoustics;
        CSpeechSettings speech = doc.Settings().speech;
        if (!o.surfaces.empty()) {
            const CMaterialLibrary library = Library();
            for (const std::string& surface : o.surfaces)
                ApplySurface(acoustics, surface, library);
        }
        if (!o.extra.empty()) {
            if (o.extra.size() != kOctaveCount)
                throw CCliError("--extra takes seven areas in m2, 125 Hz to 8 kHz; " +
                                std::to_string(o.extra.size()) + " were given");
            std::copy(o.extra.begin(), o.extra.end(), acoustics.extraAbsorption.begin());
        }
        if (!o.air.empty()) {
            if (o.air.size() != 2)
                throw CCliError("--air takes the temperature in deg C and the relative humidity "
                                "in %: T,RH");
            acoustics.temperature = o.air[0];
            acoustics.humidity = o.air[1];
        }
        if (!o.airAbsorption.empty())
            acoustics.airOnDirect = o.airAbsorption == "on";
        if (!o.rt.empty())
            acoustics.formula = o.rt == "sabine" ? EReverbFormula::Sabine : EReverbFormula::Eyring;
        if (!o.noise.empty()) {
            if (Lower(o.noise) == "off" || Lower(o.noise) == "none") {
                speech.noiseOn = false;
            } else if (const std::optional<COctaveValues> levels = SevenNumbers(o.noise)) {
                speech.noiseOn = true;
                speech.noise = *levels;
                speech.curve.clear();
            } else if (const std::optional<COctaveValues> curve = NoiseCurve(o.noise)) {
                speech.noiseOn = true;
                speech.noise = *curve;
                speech.curve = NoiseCurveName(o.noise);
            } else {
                throw CCliError("--noise " + o.noise + ": expected seven levels L1,...,L7 in dB, "
                                "a curve NR0 ... NR130 or NC-15 ... NC-70, or off");
            }
        }
        if (o.stiTarget)
            speech.stiTarget = *o.stiTarget;
        const CFlowResult result = doc.SetRoomAcoustics(acoustics, speech);
        if (!result.IsDone())
            throw CCliError(result.message.empty() ? "the room acoustics were not changed"
                                                   : result.message);
    }
    const CAcousticsReport r = Report(doc);
    if (o.json) {
        nlohmann::json installations = nlohmann::json::array();
        for (const auto& inst : r.installations)
            installations.push_back({{"lw", Numbers(inst.lw)},
                                     {"q", Numbers(inst.q)},
                                     {"di", Numbers(inst.di)},
                                     {"critical_distance", Numbers(inst.rc)}});
        COctaveValues octaves{}, A{}, abar{}, air{}, sabine{}, eyring{}, R{};
        for (std::size_t k = 0; k < kOctaveCount; ++k) {
            const CRoomBand& b = r.room.octaves[k];
            octaves[k] = b.frequency, A[k] = b.absorption, abar[k] = b.meanAlpha;
            air[k] = b.airDbPerMetre, sabine[k] = b.rtSabine, eyring[k] = b.rtEyring;
            R[k] = b.roomConstant;
        }
        const nlohmann::json j = {{"octaves", Numbers(octaves)},
                                  {"volume", r.room.volume},
                                  {"surface", r.room.surface},
                                  {"absorption_area", Numbers(A)},
                                  {"mean_alpha", Numbers(abar)},
                                  {"air_db_per_m", Numbers(air)},
                                  {"rt_sabine", Numbers(sabine)},
                                  {"rt_eyring", Numbers(eyring)},
                                  {"room_constant", Numbers(R)},
                                  {"lw_total", Numbers(r.lwTotal)},
                                  {"reverberant_level", Numbers(r.reverberant)},
                                  {"installations", installations}};
        std::cout << j.dump(2) << "\n";
    } else {
        PrintAcoustics(doc, r);
    }
    FlushOutput();
    if (edits)
        s.Save(o.project);
    return 0;
}

int RunMaterials(const CMaterialsOptions& o) {
    const CMaterialLibrary library = Library();
    if (o.json) {
        nlohmann::json list = nlohmann::json::array();
        for (const CLibraryMaterial& m : library.Materials())
            list.push_back({{"name", JsonText(m.material.name)},
                            {"alpha", Numbers(m.material.alpha)},
                            {"source", JsonText(m.source)},
                            {"file", JsonText(m.origin)}});
        std::cout << list.dump(2) << "\n";
    } else {
        PrintRow("material / octave [Hz]", {125, 250, 500, 1000, 2000, 4000, 8000});
        for (const CLibraryMaterial& m : library.Materials()) {
            PrintRow(m.material.name.substr(0, 21), m.material.alpha, 3);
            std::cout << "  " << m.material.name << " (" << m.source << ")\n";
        }
        if (library.Materials().empty())
            std::cout << "no material library was found\n";
    }
    FlushOutput();
    return 0;
}
} // namespace

std::vector<CCliCommand> AddAcousticsCommands(CLI::App& app) {
    std::vector<CCliCommand> commands;
    auto acoustics = std::make_shared<CAcousticsOptions>();
    CLI::App* cmd = app.add_subcommand(
        "acoustics", "Show or set the room acoustics: surfaces, air, reverberation, noise");
    cmd->add_option("PROJECT", acoustics->project, "Project file")->required();
    cmd->add_option("--surface", acoustics->surfaces,
                    "FACE=MATERIAL or FACE=a1,...,a7 (125 Hz to 8 kHz); FACE is floor, ceiling, "
                    "wall-x0, wall-xL, wall-y0 or wall-yW; repeat for several faces")
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    cmd->add_option("--extra", acoustics->extra,
                    "Extra absorption area per octave in m2 (audience, furnishing): a1,...,a7")
        ->delimiter(',')
        ->check(Finite());
    cmd->add_option("--air", acoustics->air, "Air temperature in deg C and relative humidity in %: T,RH")
        ->delimiter(',')
        ->check(Finite());
    cmd->add_option("--air-absorption", acoustics->airAbsorption,
                    "Air absorption on the direct sound")
        ->check(CLI::IsMember({"on", "off"}));
    cmd->add_option("--rt", acoustics->rt, "The reverberation formula that drives the field")
        ->check(CLI::IsMember({"eyring", "sabine"}));
    cmd->add_option("--noise", acoustics->noise,
                    "Background noise: L1,...,L7 in dB, a curve (NR35, NC-40) or off");
    cmd->add_option("--sti-target", acoustics->stiTarget,
                    "The STI the map's share is counted against (0.50 unless set)")
        ->check(Finite(0.0, 1.0));
    cmd->add_flag("--json", acoustics->json, "As JSON");
    cmd->add_flag("--force", acoustics->force,
                  "Save even where the project's file would replace another file");
    commands.push_back({cmd, [acoustics] { return RunAcoustics(*acoustics); }});

    auto materials = std::make_shared<CMaterialsOptions>();
    CLI::App* list = app.add_subcommand("materials", "List the material library");
    list->add_flag("--json", materials->json, "As JSON");
    commands.push_back({list, [materials] { return RunMaterials(*materials); }});
    return commands;
}
