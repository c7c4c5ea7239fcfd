// Rigging a line array from the command line: the family's own arrangement form, filled from the
// options as a person would fill its dialog, then the Arrange Modules command of the document
// with its power rescale.
#include "CliEdit.h"

#include "CliCommands.h"
#include "CliSession.h"
#include "common/FormatSignificant.h"
#include "project/CommandTable.h"
#include "project/arrangement/ArrangementStrings.h"
#include "project/arrangement/ModuleArrangementDialogs.h"
#include "project/forms/InstallationForm.h"
#include "speaker/CabinetArrayModel.h"
#include "speaker/LineArrayModel.h"
#include "speaker/SpeakerModel.h"

#include <iostream>
#include <memory>
#include <optional>

namespace {
struct CArrangeOptions {
    std::string project;
    int model = 0;
    std::optional<int> count;
    std::vector<std::string> cabinets;
    std::vector<std::string> junctions;
    bool bottom = false;   // --w5s
    bool noBottom = false; // --no-w5s
    bool force = false;
};

std::string Trim(std::string text) {
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

std::string Join(const std::vector<std::string>& items) {
    std::string text;
    for (const std::string& item : items)
        text += (text.empty() ? "" : ", ") + Trim(item);
    return text;
}

// One value for every shown control, or exactly one value per control.
bool SpreadValues(const std::vector<std::string>& values, std::size_t controls,
                  const std::string& option, std::vector<std::string>& spread,
                  std::string& refusal) {
    const std::string what = option == "--cabinets" ? "cabinet" : "junction";
    // One box or cabinet has no junctions: a value for them would silently go nowhere.
    if (controls == 0) {
        refusal = option + " does not apply: this arrangement has no " + what + "s";
        return false;
    }
    if (values.size() == 1) {
        spread.assign(controls, values.front());
        return true;
    }
    if (values.size() == controls) {
        spread = values;
        return true;
    }
    refusal = option + " needs one value for all or one per " + what + ": " +
              std::to_string(controls) + " here; " + std::to_string(values.size()) + " were given";
    return false;
}

// The entry of `combo` the user means by `typed`: its text (trailing blanks ignored), or a short
// form the caller lists in `aliases` (same order as the entries).
int FindEntry(const CComboState& combo, const std::string& typed,
              const std::vector<std::string>& aliases) {
    for (std::size_t i = 0; i < combo.items.size(); ++i)
        if (Trim(combo.items[i]) == typed || (i < aliases.size() && aliases[i] == typed))
            return static_cast<int>(i);
    return -1;
}

// The count entry "<family> x N".
int CountEntry(const CComboState& combo, int count) {
    const std::string suffix = " x " + std::to_string(count);
    for (std::size_t i = 0; i < combo.items.size(); ++i)
        if (combo.items[i].size() >= suffix.size() &&
            combo.items[i].compare(combo.items[i].size() - suffix.size(), suffix.size(), suffix) ==
                0)
            return static_cast<int>(i);
    return -1;
}

std::string OfferedCounts(const CComboState& combo) {
    std::string text;
    for (const std::string& item : combo.items)
        text += (text.empty() ? "" : ", ") + item.substr(item.rfind(' ') + 1);
    return text;
}

// The arrangement dialogs answered from the options: each family takes the options that its
// dialog has and refuses the others by name.
class CCliArrangement : public CModuleArrangementDialogs {
public:
    explicit CCliArrangement(const CArrangeOptions& options) : m_o(options) {}
    std::string refusal;
    std::string family;

    bool Run(CQL9ArrangementForm& form) override {
        family = "QL-9";
        if (!Refuse(!m_o.cabinets.empty(), "--cabinets") ||
            !Refuse((m_o.bottom || m_o.noBottom), "--w5s") ||
            !Count(form.CountCombo(), [&](int s) { form.SelectCount(s); }))
            return false;
        if (m_o.junctions.empty())
            return true;
        std::vector<int> shown;
        for (int j = 0; j < CQL9ArrangementForm::kJunctionCombos; ++j)
            if (form.JunctionCombo(j).visible && form.JunctionCombo(j).enabled)
                shown.push_back(j);
        std::vector<std::string> values;
        if (!SpreadValues(m_o.junctions, shown.size(), "--junctions", values, refusal))
            return false;
        for (std::size_t k = 0; k < shown.size(); ++k) {
            const CComboState& combo = form.JunctionCombo(shown[k]);
            // "60" stands for "60deg-mode".
            std::vector<std::string> aliases;
            for (const std::string& item : combo.items)
                aliases.push_back(item.substr(0, item.find("deg")));
            const int mode = FindEntry(combo, values[k], aliases);
            if (mode < 0) {
                refusal = "--junctions: \"" + values[k] +
                          "\" is not a junction mode of the QL-9; "
                          "offered: " +
                          Join(aliases) + " (degrees per box)";
                return false;
            }
            form.SelectJunction(shown[k], mode);
        }
        return true;
    }

    bool Run(CTypeWArrangementForm& form) override {
        family = "KV-W5";
        if (!Refuse(!m_o.cabinets.empty(), "--cabinets") ||
            !Refuse(!m_o.junctions.empty(), "--junctions") ||
            !Count(form.CountCombo(), [&](int s) { form.SelectCount(s); }))
            return false;
        if (m_o.bottom || m_o.noBottom)
            form.SetBottomOption(m_o.bottom);
        return true;
    }

    bool Run(CTypePArrangementForm& form) override { return Cabinets(form, "KV-P10"); }
    bool Run(CTypeRArrangementForm& form) override { return Cabinets(form, "KV-R6"); }

    bool Run(CTypeKArrangementForm& form) override {
        family = "KV-K";
        if (!Refuse(!m_o.junctions.empty(), "--junctions") ||
            !Refuse((m_o.bottom || m_o.noBottom), "--w5s"))
            return false;
        // As a person would: a count the combo offers now first (one cabinet offers the small
        // types), then the first cabinet, then a count only a large first cabinet allows.
        const bool countFirst = m_o.count && form.CountCombo().enabled;
        if (countFirst && !KCount(form))
            return false;
        if (!m_o.cabinets.empty()) {
            const int first = FindEntry(form.FirstCabinetCombo(), m_o.cabinets.front(), {});
            if (first < 0) {
                refusal = "--cabinets: \"" + m_o.cabinets.front() +
                          "\" is not offered as the first KV-K cabinet here; offered: " +
                          Join(form.FirstCabinetCombo().items);
                return false;
            }
            form.SelectFirstCabinet(first);
        }
        if (m_o.count && !countFirst && !KCount(form))
            return false;
        if (m_o.cabinets.size() > 2 ||
            (m_o.cabinets.size() == 2 &&
             (form.CountCombo().selection != 1 ||
              FindEntry(form.SecondCabinetCombo(), m_o.cabinets[1], {}) < 0))) {
            refusal = "--cabinets: a KV-K takes its first cabinet and, with --count 2, a second "
                      "one of " +
                      Join(form.SecondCabinetCombo().items);
            return false;
        }
        return true;
    }

    bool SpecialUserLevel() const override { return false; }

private:
    bool KCount(CTypeKArrangementForm& form) {
        const int entry = CountEntry(form.CountCombo(), *m_o.count);
        if (entry < 0 || (!form.CountCombo().enabled && entry != form.CountCombo().selection)) {
            refusal = "--count must be 1" + std::string(form.CountCombo().enabled ? " or 2" : "") +
                      " for this KV-K (a second cabinet, a K3L, hangs only under a K2L or K3L); " +
                      std::to_string(*m_o.count) + " was given";
            return false;
        }
        if (form.CountCombo().enabled)
            form.SelectCount(entry);
        return true;
    }

    bool Refuse(bool given, const char* option) {
        if (given)
            refusal = std::string(option) + " does not apply to a " + family +
                      "; its dialog has no such control";
        return !given;
    }

    template <class Select> bool Count(const CComboState& combo, Select select) {
        if (!m_o.count)
            return true;
        const int entry = CountEntry(combo, *m_o.count);
        if (entry < 0) {
            refusal = "--count must be one of " + OfferedCounts(combo) + " for a " + family + "; " +
                      std::to_string(*m_o.count) + " was given";
            return false;
        }
        select(entry);
        return true;
    }

    bool Cabinets(CCabinetArrangementForm& form, const char* name) {
        family = name;
        if (!Refuse((m_o.bottom || m_o.noBottom), "--w5s") ||
            !Count(form.CountCombo(), [&](int s) { form.SelectCount(s); }))
            return false;
        const int total = form.Counts().Total() > 0 ? static_cast<int>(form.Cabinets().size()) : 0;
        if (!m_o.cabinets.empty()) {
            std::vector<std::string> values;
            if (!SpreadValues(m_o.cabinets, static_cast<std::size_t>(total), "--cabinets", values,
                              refusal))
                return false;
            for (int i = 0; i < total; ++i) {
                const CComboState& combo = form.CabinetCombo(i);
                // "L" and "S" stand for the two cabinet types.
                const int type = FindEntry(combo, values[static_cast<std::size_t>(i)], {"L", "S"});
                if (type < 0) {
                    refusal = "--cabinets: \"" + values[static_cast<std::size_t>(i)] +
                              "\" is not a cabinet type here; offered: L, S (" + Join(combo.items) +
                              ")";
                    return false;
                }
                form.SelectCabinet(i, type);
            }
        }
        if (!m_o.junctions.empty()) {
            std::vector<std::string> values;
            if (!SpreadValues(m_o.junctions, static_cast<std::size_t>(total - 1), "--junctions",
                              values, refusal))
                return false;
            for (int j = 0; j + 1 < total; ++j) {
                const CComboState& combo = form.JunctionCombo(j);
                // "5" stands for "5deg": the angle between the two cabinets, as the dialog
                // labels it.
                std::vector<std::string> aliases;
                for (const std::string& item : combo.items)
                    aliases.push_back(item.substr(0, item.find("deg")));
                const int entry = FindEntry(combo, values[static_cast<std::size_t>(j)], aliases);
                if (entry < 0) {
                    refusal = "--junctions: \"" + values[static_cast<std::size_t>(j)] +
                              "\" is not an angle junction " + std::to_string(j + 1) + " of this " +
                              family + " offers between its cabinets; offered: " + Join(aliases) +
                              " (degrees)";
                    return false;
                }
                form.SelectJunction(j, entry);
            }
        }
        return true;
    }

    const CArrangeOptions& m_o;
};

std::string SummaryText(const CArrangementSummary& a) {
    std::string text = std::to_string(a.elements) + " elements (centre " +
                       std::to_string(a.centre) + ", upper " + std::to_string(a.upper) +
                       ", lower " + std::to_string(a.lower) + ")";
    if (!a.cabinets.empty())
        text += "; cabinets " + CabinetRuns(a.cabinets);
    std::string splays;
    for (double splay : a.splays)
        splays += (splays.empty() ? "" : ", ") + FormatValue(splay, 4);
    std::string junctions;
    for (double angle : a.junctions)
        junctions += (junctions.empty() ? "" : ", ") + FormatValue(angle, 4);
    return text + "; splay per element (degrees) " + splays +
           (junctions.empty() ? "" : "; junction angles top to bottom (degrees) " + junctions);
}

std::string Watts(double power) {
    return FormatValue(power, 4) + " W";
}

// What the arrangement did to the power of installation `index` of the arranged model (which
// had `before`; the module shares would have given it `shared`), and what each of its boxes now
// carries against its tap. Empty for an installation of another model.
std::string PowerReport(const CDAXDoc& doc, int index, double before, double shared) {
    const CInstallationElement& e = *doc.Room().At(index);
    const CSpeakerModel& model = *doc.CurrentModel();
    if (e.modelIndex != doc.Models().CurrentIndex() || e.tapIndex < 0 ||
        e.tapIndex >= static_cast<int>(model.Settings().taps.size()))
        return {};
    const CTapPower limit = TapPowerOf(model, e.tapIndex);
    std::string text = "installation " + std::to_string(index) + ": power ";
    if (e.power == before)
        text += "kept at " + Watts(e.power);
    else
        text += Watts(before) + " -> " + Watts(e.power);
    if (e.power < shared * (1 - 1e-9))
        text += " (the most its tap allows; the module shares would give " + Watts(shared) + ")";
    return text + ", " + Watts(e.power / limit.boxes) + " a box for " +
           std::to_string(limit.boxes) + (limit.boxes == 1 ? " box" : " boxes") + " (" + limit.tap +
           ": at most " + Watts(limit.perBox) + " a box)\n";
}

int RunArrange(const CArrangeOptions& o) {
    if (!o.count && o.cabinets.empty() && o.junctions.empty() && !o.bottom && !o.noBottom)
        throw CCliError("nothing to arrange: give --count, --cabinets, --junctions or --w5s");
    CCliSession s;
    CCliArrangement port(o);
    s.arrangement = &port;
    s.OpenForWriting(o.project);
    s.messages.replaceOtherFile = o.force;
    CDAXDoc& doc = *s.doc;
    SelectModel(doc, o.model, "MODEL");
    if (!doc.IsCommandEnabled(kCmdArrangeModules))
        throw CCliError("model " + std::to_string(o.model) + " (" +
                        doc.CurrentModel()->DisplayName() +
                        ") is not a line array; it has no modules to arrange");
    std::vector<double> before;
    for (const CInstallationElement& e : doc.Room().List())
        before.push_back(e.power);
    // On a low-impedance tap each module keeps its share; the document then holds every box to
    // its tap.
    const CSpeakerModel& arranging = *doc.CurrentModel();
    const double modulesBefore = arranging.ElementTotal();
    const bool sharesFollow =
        arranging.DefaultTap() >= 0 &&
        arranging.DefaultTap() < static_cast<int>(arranging.Settings().taps.size()) &&
        arranging.Tap(arranging.DefaultTap()).lowImpedance;
    doc.SetModified(false);
    doc.OnCommand(kCmdArrangeModules);
    if (!port.refusal.empty())
        throw CCliError(port.refusal);
    s.ThrowIfErrors("");
    if (!doc.IsModified())
        throw CCliError("model " + std::to_string(o.model) + " (" +
                        doc.CurrentModel()->DisplayName() + ") has no arrangement dialog");
    int uses = 0;
    for (int i = 0; i < doc.Room().Count(); ++i) {
        uses += doc.Room().At(i)->modelIndex == o.model;
    }
    // The stored maps were calculated with the old arrangement: no view recalculates them here,
    // so they are cleared, as every installation edit clears them.
    if (uses > 0)
        doc.RebuildAllPlanes();
    std::string report = "arranged model " + std::to_string(o.model) + " (" +
                         doc.CurrentModel()->DisplayName() +
                         "): " + SummaryText(SummariseArrangement(*doc.CurrentModel())) + "\n";
    const double modulesAfter = doc.CurrentModel()->ElementTotal();
    for (int i = 0; i < doc.Room().Count(); ++i) {
        const double was = before[static_cast<std::size_t>(i)];
        report += PowerReport(doc, i, was, sharesFollow ? was * modulesAfter / modulesBefore : was);
    }
    s.Save(o.project);
    std::cout << report;
    return 0;
}
} // namespace

std::string CabinetRuns(const std::vector<std::string>& cabinets) {
    std::string text;
    for (std::size_t i = 0; i < cabinets.size();) {
        std::size_t n = 1;
        while (i + n < cabinets.size() && cabinets[i + n] == cabinets[i])
            ++n;
        text += (text.empty() ? "" : ", ") + cabinets[i] + (n > 1 ? " x" + std::to_string(n) : "");
        i += n;
    }
    return text;
}

CArrangementSummary SummariseArrangement(const CSpeakerModel& model) {
    CArrangementSummary a;
    const auto* lineArray = dynamic_cast<const CLineArrayModel*>(&model);
    if (!lineArray)
        return a;
    a.lineArray = true;
    a.elements = model.ElementTotal();
    const CModuleCounts counts = lineArray->Counts();
    a.centre = counts.centre, a.upper = counts.upper, a.lower = counts.lower;
    for (const CSPVariableParam& state : model.States())
        a.splays.push_back(state.module.vector.splay);
    // Top to bottom: the upper stack from its outermost element in, a centre module, then the
    // lower stack outward. Elevations grow downward, so each junction is the step between two
    // neighbours' aims.
    std::vector<int> order;
    for (int i = counts.upper - 1; i >= 0; --i)
        order.push_back(i);
    if (counts.centre > 0 && counts.upper + counts.lower < a.elements)
        order.push_back(counts.upper + counts.lower);
    for (int i = counts.upper; i < counts.upper + counts.lower; ++i)
        order.push_back(i);
    const CSPVariableParamArray& states = model.States();
    for (std::size_t k = 1; k < order.size(); ++k) {
        const auto at = [&](std::size_t n) { return static_cast<std::size_t>(order[n]); };
        if (at(k) < states.size() && at(k - 1) < states.size())
            a.junctions.push_back(states[at(k)].orientation.elevation -
                                  states[at(k - 1)].orientation.elevation + 0.0);
    }
    if (const auto* cabinets = dynamic_cast<const CCabinetArrayModel*>(&model)) {
        for (const CTypePandRParam& cabinet : cabinets->Cabinets()) {
            const bool typeK = model.Kind() == kKindTypeK;
            const int types = typeK ? 4 : 2;
            const std::string name =
                cabinet.type < 0 || cabinet.type >= types
                    ? "type " + std::to_string(cabinet.type)
                    : Trim(typeK ? ArrangementStrings::kTypeKCabinets[cabinet.type]
                                 : ArrangementStrings::kTypePCabinets[cabinet.type]);
            a.cabinets.push_back(name);
        }
    }
    return a;
}

CCliCommand AddArrangeCommand(CLI::App& app) {
    auto o = std::make_shared<CArrangeOptions>();
    auto* cmd = app.add_subcommand(
        "arrange", "Arrange the modules of a line-array model, as its arrangement dialog does; "
                   "each box keeps its power on a low-impedance tap, and no box is left above "
                   "its tap's power");
    cmd->add_option("PROJECT", o->project, "Project file")->required();
    cmd->add_option("MODEL", o->model, "Speaker model index (a line array)")->required();
    cmd->add_option("--count", o->count,
                    "Boxes or cabinets: QL-9 and KV-W5 1 to 4, KV-P10 1 to 8, KV-R6 1 to 12, "
                    "KV-K 1 or 2");
    cmd->add_option("--cabinets", o->cabinets,
                    "Cabinet types, one for all or one per cabinet: L or S (KV-P10, KV-R6); "
                    "KV-K2L, KV-K3L, KV-K2S or KV-K3S (KV-K, first cabinet; a second is KV-K3L)")
        ->delimiter(',');
    cmd->add_option("--junctions", o->junctions,
                    "Junctions top to bottom, one for all or one per junction: the angle between "
                    "the two cabinets in degrees, 0 to 5 between L cabinets, 5 to 10 between an L "
                    "and an S, 10 to 15 between S cabinets (KV-P10, KV-R6); mode 60, 45, 30 or 15 "
                    "(QL-9)")
        ->delimiter(',');
    auto* bottom = cmd->add_flag("--w5s", o->bottom, "KV-W5: the bottom cabinet is a KV-W5S");
    cmd->add_flag("--no-w5s", o->noBottom, "KV-W5: the bottom cabinet is a plain KV-W5")
        ->excludes(bottom);
    cmd->add_flag("--force", o->force,
                  "Replace the .tdax a .dax project is saved as, when it is another file");
    return {cmd, [o] { return RunArrange(*o); }};
}
