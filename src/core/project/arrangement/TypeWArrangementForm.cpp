#include "project/arrangement/TypeWArrangementForm.h"

#include "common/Errors.h"
#include "project/arrangement/ArrangementStrings.h"

CTypeWArrangementForm::CTypeWArrangementForm(const CVectorArrangement& arrangement)
    : CModuleArrangementForm(arrangement.counts, arrangement.lengthUnit) {
    const CModuleCounts& c = arrangement.counts;
    if (c.centre != 0 || c.upper != 0 || c.lower < 1 || c.lower > kMaxCabinets * kModulesPerCabinet)
        throw CInvalidArgument("a KV-W5 arrangement cannot start from the counts " +
                               std::to_string(c.centre) + ", " + std::to_string(c.upper) + ", " +
                               std::to_string(c.lower));
    if (arrangement.vectors.size() != static_cast<std::size_t>(c.lower))
        throw CInvalidArgument("a KV-W5 arrangement of " + std::to_string(c.lower) +
                               " modules needs as many module vectors, not " +
                               std::to_string(arrangement.vectors.size()));
    m_vectors = arrangement.vectors;
    m_wedges.assign(m_vectors.size(), 0.0);
    m_depths.assign(m_vectors.size(), kDepth);
    for (int n = 1; n <= kMaxCabinets; ++n)
        m_count.items.push_back(ArrangementStrings::CountText("KV-W5", n));
    m_count.selection = c.lower / kModulesPerCabinet - 1;
    m_bottom = m_vectors.back().splay != 0.0;
    // The preview shows a KV-W5S bottom cabinet as such from the start.
    if (m_bottom)
        ApplyBottomWedges();
}

void CTypeWArrangementForm::SelectCount(int selection) {
    CheckChoice(selection, m_count.items.size(), "KV-W5 cabinet count");
    m_count.selection = selection;
    Rebuild((selection + 1) * kModulesPerCabinet);
}

void CTypeWArrangementForm::SetBottomOption(bool ticked) {
    m_bottom = ticked;
    Rebuild(m_counts.lower);
}

void CTypeWArrangementForm::Rebuild(int total) {
    CModuleVector module = m_vectors.front();
    module.splay = 0.0;
    m_vectors.assign(static_cast<std::size_t>(total), module);
    m_wedges.assign(m_vectors.size(), 0.0);
    m_depths.assign(m_vectors.size(), kDepth);
    if (m_bottom) {
        ApplyBottomWedges();
        for (int b = 0; b < kModulesPerCabinet; ++b) {
            const int i = total - kModulesPerCabinet + b;
            if (i >= 0)
                m_vectors[static_cast<std::size_t>(i)].splay = kBottomSplays[b];
        }
    }
    m_counts = {0, 0, total};
}

void CTypeWArrangementForm::ApplyBottomWedges() {
    const int total = static_cast<int>(m_wedges.size());
    for (int b = 0; b < kModulesPerCabinet; ++b) {
        const int i = total - kModulesPerCabinet + b;
        if (i >= 0)
            m_wedges[static_cast<std::size_t>(i)] = kBottomSplays[b];
    }
}

std::vector<CPreviewSegment>
CTypeWArrangementForm::OutlineOf(const std::vector<CPreviewCorners>& corners) const {
    std::vector<int> firsts;
    for (int i = 0; i < static_cast<int>(corners.size()); i += kModulesPerCabinet)
        firsts.push_back(i);
    return PreviewOutline::Cabinets(corners, firsts);
}
