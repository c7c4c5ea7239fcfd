#include "project/arrangement/CabinetArrangementForm.h"

#include "common/Errors.h"
#include "common/FormatSignificant.h"
#include "project/arrangement/ArrangementStrings.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double kWedges[CCabinetArrangementForm::kTypes] = {5.0, 15.0};
// The straightest entry: the widest gap, so two L cabinets hang parallel.
constexpr int kUnusedJunction = 0;

// The entry whose splay is `splay` between these cabinet types, or -1 when none gives it.
int EntryOf(int above, int below, double splay) {
    for (int entry = 0; entry < CCabinetArrangementForm::kJunctionAngles; ++entry)
        if (std::fabs(CCabinetArrangementForm::JunctionSplay(above, below, entry) - splay) < 1e-9)
            return entry;
    return -1;
}
} // namespace

std::string ArrangementStrings::JunctionAngle(double splay) {
    return FormatSignificant(splay + 0.0, 4) + "deg"; // no "-0"
}

std::string ArrangementStrings::CustomJunctionAngle(double splay) {
    if (!std::isfinite(splay))
        return "custom";
    return JunctionAngle(splay) + " (custom)";
}

double CCabinetArrangementForm::JunctionSplay(int above, int below, int entry) {
    return HalfWedge(above) + HalfWedge(below) - (kJunctionAngles - 1 - entry);
}

double CCabinetArrangementForm::HalfWedge(int type) {
    CheckIndex(type, kTypes, "cabinet type");
    return kWedges[type] / 2;
}

CCabinetArrangementForm::CCabinetArrangementForm(const CCabinetArrangement& arrangement,
                                                 const CStyle& style)
    : CModuleArrangementForm(arrangement.counts, arrangement.lengthUnit), m_style(style),
      m_modules(arrangement.modules) {
    const CModuleCounts& c = arrangement.counts;
    const int total = c.lower;
    if (c.centre != 0 || c.upper != 0 || total < 1 || total > style.maxCabinets)
        throw CInvalidArgument(std::string("a ") + style.family +
                               " arrangement cannot start from the counts " +
                               std::to_string(c.centre) + ", " + std::to_string(c.upper) + ", " +
                               std::to_string(c.lower));
    if (m_modules.empty())
        throw CInvalidArgument(std::string("the ") + style.family +
                               " module table holds no cabinet type");
    // A short module table still opens: only the types it holds are offered, and the dialog
    // says which are missing.
    const int offered = std::min<int>(kTypes, static_cast<int>(m_modules.size()));
    if (offered < kTypes)
        m_notice = ArrangementStrings::MissingCabinetTypes(ArrangementStrings::kTypePCabinets[1]);
    m_cabinets = arrangement.cabinets;
    m_cabinets.resize(static_cast<std::size_t>(total));
    for (CTypePandRParam& cabinet : m_cabinets) {
        CheckIndex(cabinet.type, kTypes, "cabinet type");
        if (cabinet.type >= offered)
            cabinet.type = 0;
    }

    for (int n = 1; n <= style.maxCabinets; ++n)
        m_count.items.push_back(ArrangementStrings::CountText(style.family, n));
    m_cabinetCombos.resize(static_cast<std::size_t>(style.maxCabinets));
    for (int i = 0; i < style.maxCabinets; ++i) {
        CComboState& combo = m_cabinetCombos[static_cast<std::size_t>(i)];
        combo.items.assign(ArrangementStrings::kTypePCabinets,
                           ArrangementStrings::kTypePCabinets + offered);
        combo.selection = i < total ? m_cabinets[static_cast<std::size_t>(i)].type : 0;
    }
    m_junctionCombos.resize(static_cast<std::size_t>(style.maxCabinets - 1));
    for (int j = 1; j < style.maxCabinets; ++j) {
        CComboState& combo = m_junctionCombos[static_cast<std::size_t>(j - 1)];
        combo.selection = kUnusedJunction;
        if (j < total) {
            const CTypePandRParam& above = m_cabinets[static_cast<std::size_t>(j - 1)];
            const CTypePandRParam& self = m_cabinets[static_cast<std::size_t>(j)];
            // A stored splay no entry gives is shown as it is and kept until an entry is chosen.
            combo.selection = EntryOf(above.type, self.type, self.splay);
            if (combo.selection < 0)
                combo.placeholder = ArrangementStrings::CustomJunctionAngle(self.splay);
        }
    }
    LabelJunctions();
    ApplyWorkingVectors();
    ApplyEnableState();
}

const CComboState& CCabinetArrangementForm::CabinetCombo(int cabinet) const {
    CheckChoice(cabinet, m_cabinetCombos.size(), "cabinet combo");
    return m_cabinetCombos[static_cast<std::size_t>(cabinet)];
}

const CComboState& CCabinetArrangementForm::JunctionCombo(int junction) const {
    CheckChoice(junction, m_junctionCombos.size(), "junction combo");
    return m_junctionCombos[static_cast<std::size_t>(junction)];
}

void CCabinetArrangementForm::SelectCount(int selection) {
    CheckChoice(selection, m_count.items.size(), "cabinet count");
    const int total = selection + 1;
    m_cabinets.resize(static_cast<std::size_t>(total));
    for (int i = 0; i < total; ++i)
        m_cabinets[static_cast<std::size_t>(i)].type =
            m_cabinetCombos[static_cast<std::size_t>(i)].selection;
    for (int j = 1; j < total; ++j)
        ComputeSplay(j);
    LabelJunctions();
    ApplyWorkingVectors();
    ApplyEnableState();
    m_counts = {0, 0, total};
}

void CCabinetArrangementForm::SelectCabinet(int cabinet, int type) {
    CheckChoice(cabinet, m_cabinetCombos.size(), "cabinet combo");
    CComboState& combo = m_cabinetCombos[static_cast<std::size_t>(cabinet)];
    CheckEnabled(combo, "this cabinet combo");
    CheckChoice(type, combo.items.size(), "cabinet type");
    combo.selection = type;
    m_cabinets[static_cast<std::size_t>(cabinet)].type = type;
    for (int j = 1; j < Total(); ++j)
        ComputeSplay(j);
    LabelJunctions();
    ApplyWorkingVectors();
}

void CCabinetArrangementForm::SelectJunction(int junction, int entry) {
    CheckChoice(junction, m_junctionCombos.size(), "junction combo");
    CComboState& combo = m_junctionCombos[static_cast<std::size_t>(junction)];
    CheckEnabled(combo, "this junction combo");
    CheckChoice(entry, combo.items.size(), "junction angle");
    combo.selection = entry;
    combo.placeholder.clear();
    ComputeSplay(junction + 1);
    ApplyWorkingVectors();
}

void CCabinetArrangementForm::LabelJunctions() {
    for (std::size_t j = 0; j < m_junctionCombos.size(); ++j) {
        // A junction below the last cabinet joins the types its combos would add.
        const int above = m_cabinetCombos[j].selection;
        const int below = m_cabinetCombos[j + 1].selection;
        CComboState& combo = m_junctionCombos[j];
        combo.items.clear();
        for (int entry = 0; entry < kJunctionAngles; ++entry)
            combo.items.push_back(
                ArrangementStrings::JunctionAngle(JunctionSplay(above, below, entry)));
    }
}

void CCabinetArrangementForm::ComputeSplay(int cabinet) {
    const CComboState& junction = m_junctionCombos[static_cast<std::size_t>(cabinet - 1)];
    if (!junction.HasSelection())
        return;
    const int above = m_cabinetCombos[static_cast<std::size_t>(cabinet - 1)].selection;
    const int self = m_cabinetCombos[static_cast<std::size_t>(cabinet)].selection;
    m_cabinets[static_cast<std::size_t>(cabinet)].splay =
        JunctionSplay(above, self, junction.selection);
}

void CCabinetArrangementForm::ApplyEnableState() {
    const int total = Total();
    m_count.selection = total - 1;
    for (std::size_t i = 0; i < m_cabinetCombos.size(); ++i)
        m_cabinetCombos[i].enabled = static_cast<int>(i) < total;
    for (std::size_t j = 0; j < m_junctionCombos.size(); ++j)
        m_junctionCombos[j].enabled = static_cast<int>(j) < total - 1;
}

void CCabinetArrangementForm::ApplyWorkingVectors() {
    const std::size_t total = m_cabinets.size();
    m_vectors.resize(total);
    m_wedges.resize(total);
    m_depths.resize(total);
    for (std::size_t i = 0; i < total; ++i) {
        const int type = m_cabinets[i].type;
        m_vectors[i] = m_modules[static_cast<std::size_t>(type)].vector;
        m_vectors[i].splay = i == 0 ? 0.0 : m_cabinets[i].splay;
        m_wedges[i] = kWedges[type];
        m_depths[i] = m_style.depths[type];
    }
}

std::vector<CPreviewSegment>
CCabinetArrangementForm::OutlineOf(const std::vector<CPreviewCorners>& corners) const {
    return PreviewOutline::ClosedElements(corners);
}
