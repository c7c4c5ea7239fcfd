#include "project/arrangement/QL9ArrangementForm.h"

#include "common/Errors.h"
#include "common/FormatSignificant.h"
#include "project/arrangement/ArrangementStrings.h"

#include <algorithm>
#include <cmath>

std::string ArrangementStrings::QL9CustomJunction(double splayPerJunction) {
    if (!std::isfinite(splayPerJunction))
        return "custom";
    return FormatSignificant(4.0 * splayPerJunction + 0.0, 3) + "deg (custom)"; // no "-0"
}

CQL9ArrangementForm::CQL9ArrangementForm(const CVectorArrangement& arrangement,
                                         bool specialUserLevel)
    : CModuleArrangementForm(arrangement.counts, arrangement.lengthUnit) {
    const CModuleCounts& c = arrangement.counts;
    if (c.centre < 0 || c.centre > 1 || c.upper < 0 || c.lower < 0 || c.upper > kMaxModules ||
        c.lower > kMaxModules || c.Total() < 1 || c.Total() > kMaxModules)
        throw CInvalidArgument("a QL-9 arrangement cannot start from the counts " +
                               std::to_string(c.centre) + ", " + std::to_string(c.upper) + ", " +
                               std::to_string(c.lower));
    const int total = c.CheckedTotal();
    if (arrangement.vectors.size() != static_cast<std::size_t>(total))
        throw CInvalidArgument("a QL-9 arrangement of " + std::to_string(total) +
                               " modules needs as many module vectors, not " +
                               std::to_string(arrangement.vectors.size()));
    m_vectors = arrangement.vectors;
    m_wedges.assign(m_vectors.size(), kWedge);
    m_depths.assign(m_vectors.size(), kDepth);

    for (int box = 1; box <= kBoxes; ++box)
        m_count.items.push_back(ArrangementStrings::CountText("QL-9", box));
    const int modes = specialUserLevel ? kModes : kStandardModes;
    for (CComboState& junction : m_junctions)
        junction.items.assign(ArrangementStrings::kQL9Modes, ArrangementStrings::kQL9Modes + modes);
    ShowArrangement();
}

const CComboState& CQL9ArrangementForm::JunctionCombo(int junction) const {
    CheckChoice(junction, m_junctions.size(), "QL-9 junction");
    return m_junctions[static_cast<std::size_t>(junction)];
}

int CQL9ArrangementForm::ShownJointGroups() const {
    return std::max(0, ShownBoxGroups() - 1);
}

int CQL9ArrangementForm::ElementAtRow(int row) const {
    const int upper = m_counts.upper;
    const int centre = m_counts.centre;
    CheckChoice(row, static_cast<std::size_t>(m_counts.Total()), "QL-9 module row");
    if (row < upper)
        return upper - 1 - row;
    if (centre == 1 && row == upper)
        return upper + m_counts.lower;
    return row - centre;
}

CQL9ArrangementForm::CJunctionLink CQL9ArrangementForm::LinkOf(int element) const {
    const int upper = m_counts.upper;
    const int lower = m_counts.lower;
    const bool centre = m_counts.centre == 1;
    CheckChoice(element, static_cast<std::size_t>(m_counts.Total()), "QL-9 module");
    if (element < upper) {
        if (element > 0)
            return {upper - 1 - element, -1.0};
        // The innermost upper module meets a centre module at a full junction, the innermost
        // lower module at the centre junction, whose angle the two share.
        if (centre)
            return {upper - 1, -1.0};
        return lower > 0 ? CJunctionLink{upper - 1, -0.5} : CJunctionLink{};
    }
    if (element >= upper + lower)
        return {}; // the centre module
    if (centre)
        return {element, 1.0};
    if (element > upper)
        return {element - 1, 1.0};
    return upper > 0 ? CJunctionLink{upper - 1, 0.5} : CJunctionLink{};
}

void CQL9ArrangementForm::ShowArrangement() {
    const int total = m_counts.CheckedTotal();
    m_count.selection = total / kModulesPerBox - 1;
    for (int k = 0; k < kJunctionCombos; ++k)
        m_junctions[static_cast<std::size_t>(k)].visible = k < total - 1;
    // Element order writes the centre junction twice, last from the first lower module.
    for (int i = 0; i < total; ++i) {
        const CJunctionLink link = LinkOf(i);
        if (link.junction < 0)
            continue;
        CComboState& combo = m_junctions[static_cast<std::size_t>(link.junction)];
        const double perJunction = m_vectors[static_cast<std::size_t>(i)].splay / link.factor;
        int mode = 0;
        while (mode < kModes && !(perJunction >= kModeSplays[mode]))
            ++mode;
        combo.selection = mode < static_cast<int>(combo.items.size()) ? mode : -1;
        // An empty box would hide the angle the array really has (a splay below every offered
        // mode, or from another source): it is shown, and kept until a mode is chosen.
        combo.placeholder = combo.HasSelection()
                                ? std::string()
                                : ArrangementStrings::QL9CustomJunction(perJunction);
    }
}

void CQL9ArrangementForm::ApplyJunctions() {
    for (int i = 0; i < m_counts.Total(); ++i) {
        const CJunctionLink link = LinkOf(i);
        if (link.junction < 0)
            continue;
        const CComboState& combo = m_junctions[static_cast<std::size_t>(link.junction)];
        if (combo.HasSelection())
            m_vectors[static_cast<std::size_t>(i)].splay =
                link.factor * kModeSplays[combo.selection];
    }
}

void CQL9ArrangementForm::SelectCount(int selection) {
    CheckChoice(selection, m_count.items.size(), "QL-9 box count");
    const int upper = m_counts.upper;
    const int lower = m_counts.lower;
    const int total = (selection + 1) * kModulesPerBox;
    const int half = total / 2;
    // Modules keep their data at the same distance from the reference point; added ones copy
    // the outermost module of their half. A centre module from the speaker data is dropped.
    auto source = [&](int i) -> std::size_t {
        if (i < half)
            return upper > 0 ? static_cast<std::size_t>(std::min(i, upper - 1)) : 0;
        return lower > 0 ? static_cast<std::size_t>(upper + std::min(i - half, lower - 1)) : 0;
    };
    CAxisEntityArray vectors(static_cast<std::size_t>(total));
    std::vector<double> wedges(vectors.size()), depths(vectors.size());
    for (int i = 0; i < total; ++i) {
        const std::size_t from = source(i);
        vectors[static_cast<std::size_t>(i)] = m_vectors[from];
        wedges[static_cast<std::size_t>(i)] = m_wedges[from];
        depths[static_cast<std::size_t>(i)] = m_depths[from];
    }
    m_vectors = std::move(vectors);
    m_wedges = std::move(wedges);
    m_depths = std::move(depths);
    m_counts = {0, half, half};
    ShowArrangement();
    ApplyJunctions();
}

void CQL9ArrangementForm::SelectJunction(int junction, int mode) {
    CheckChoice(junction, m_junctions.size(), "QL-9 junction");
    CComboState& combo = m_junctions[static_cast<std::size_t>(junction)];
    CheckEnabled(combo, "this QL-9 junction");
    CheckChoice(mode, combo.items.size(), "QL-9 junction mode");
    combo.selection = mode;
    combo.placeholder.clear();
    ApplyJunctions();
}

std::vector<CPreviewSegment>
CQL9ArrangementForm::OutlineOf(const std::vector<CPreviewCorners>& corners) const {
    return PreviewOutline::ClosedElements(corners);
}
