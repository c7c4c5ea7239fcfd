#include "project/arrangement/TypeKArrangementForm.h"

#include "common/Errors.h"
#include "project/arrangement/ArrangementStrings.h"
#include "speaker/TypeKModel.h"

#include <algorithm>

namespace {
constexpr int kTwoCabinetsAbove = 17; // more elements than this means two cabinets

bool IsSmall(int type) {
    return type == CTypeKModel::kK2S || type == CTypeKModel::kK3S;
}
} // namespace

CTypeKArrangementForm::CTypeKArrangementForm(const CCabinetArrangement& arrangement)
    : CModuleArrangementForm(arrangement.counts, arrangement.lengthUnit),
      m_modules(arrangement.modules), m_cabinets(arrangement.cabinets) {
    const CModuleCounts& c = arrangement.counts;
    const int total = c.lower;
    if (c.centre != 0 || c.upper != 0 || (total != 9 && total != 16 && total != 25 && total != 32))
        throw CInvalidArgument("a KV-K arrangement cannot start from the counts " +
                               std::to_string(c.centre) + ", " + std::to_string(c.upper) + ", " +
                               std::to_string(c.lower));
    if (m_modules.empty())
        throw CInvalidArgument("the KV-K module table holds no cabinet type");
    // A short module table still opens with the types it holds; the dialog says which are
    // missing. Two cabinets need a K3L.
    m_offered = std::min<int>(kTypes, static_cast<int>(m_modules.size()));
    std::string missing;
    for (int type = m_offered; type < kTypes; ++type)
        missing +=
            (missing.empty() ? "" : ", ") + std::string(ArrangementStrings::kTypeKCabinets[type]);
    if (!missing.empty())
        m_notice = ArrangementStrings::MissingCabinetTypes(missing);
    m_cabinets.resize(static_cast<std::size_t>(total));
    bool unusable = total > kTwoCabinetsAbove && !CanHangTwo();
    for (const CTypePandRParam& cabinet : m_cabinets) {
        CheckIndex(cabinet.type, kTypes, "KV-K cabinet type");
        unusable = unusable || cabinet.type >= m_offered;
    }

    m_count.items = {ArrangementStrings::CountText("KV-K", 1),
                     ArrangementStrings::CountText("KV-K", 2)};
    m_first.items.assign(ArrangementStrings::kTypeKCabinets,
                         ArrangementStrings::kTypeKCabinets + m_offered);
    m_second.items = {ArrangementStrings::kTypeKCabinets[CTypeKModel::kK3L]};
    m_second.enabled = false;

    if (unusable) {
        // What the table cannot draw becomes one cabinet of its first type.
        m_first.selection = 0;
        m_count.selection = 0;
        m_count.enabled = CanHangTwo();
        Recompute();
        return;
    }
    m_first.selection = m_cabinets.front().type;
    m_count.enabled = !IsSmall(m_first.selection) && CanHangTwo();
    if (total > kTwoCabinetsAbove) {
        m_second.selection = 0;
        m_first.selection = total == 25 ? CTypeKModel::kK2L : CTypeKModel::kK3L;
        SetSmallCabinetsOffered(false);
    }
    ApplyEnableRule();
    ApplyWorkingVectors();
}

void CTypeKArrangementForm::SelectCount(int selection) {
    CheckEnabled(m_count, "the KV-K cabinet count");
    CheckChoice(selection, m_count.items.size(), "KV-K cabinet count");
    m_count.selection = selection;
    if (selection == 1) {
        SetSmallCabinetsOffered(false);
        m_second.selection = 0;
    } else {
        SetSmallCabinetsOffered(true);
    }
    Recompute();
}

void CTypeKArrangementForm::SelectFirstCabinet(int index) {
    CheckEnabled(m_first, "the first KV-K cabinet");
    CheckChoice(index, m_first.items.size(), "KV-K cabinet type");
    m_first.selection = index;
    m_count.enabled = !IsSmall(index) && CanHangTwo();
    Recompute();
}

void CTypeKArrangementForm::SelectSecondCabinet(int index) {
    CheckEnabled(m_second, "the second KV-K cabinet");
    CheckChoice(index, m_second.items.size(), "second KV-K cabinet type");
    m_second.selection = index;
    Recompute();
}

void CTypeKArrangementForm::SetSmallCabinetsOffered(bool offered) {
    const int large = std::min<int>(CTypeKModel::kK2S, m_offered);
    m_first.items.assign(ArrangementStrings::kTypeKCabinets,
                         ArrangementStrings::kTypeKCabinets + (offered ? m_offered : large));
}

void CTypeKArrangementForm::Recompute() {
    const int type = m_first.selection;
    const bool two = m_count.selection == 1;
    int total = 0;
    int elementType = type;
    if (two) {
        total = type == CTypeKModel::kK2L ? CTypeKModel::kK2Sections + CTypeKModel::kK3Sections
                                          : 2 * CTypeKModel::kK3Sections;
        elementType = CTypeKModel::kK3L;
    } else {
        total = type == CTypeKModel::kK2L || type == CTypeKModel::kK2S ? CTypeKModel::kK2Sections
                                                                       : CTypeKModel::kK3Sections;
    }
    m_cabinets.assign(static_cast<std::size_t>(total), CTypePandRParam{elementType, 0.0});
    if (!two && type == CTypeKModel::kK2S)
        for (int j = 0; j < total; ++j)
            m_cabinets[static_cast<std::size_t>(j)].splay = kK2SSplays[j];
    if (!two && type == CTypeKModel::kK3S)
        for (int j = 0; j < total; ++j)
            m_cabinets[static_cast<std::size_t>(j)].splay = kK3SSplays[j];
    ApplyWorkingVectors();
    ApplyEnableRule();
}

void CTypeKArrangementForm::ApplyEnableRule() {
    const bool two = Total() > kTwoCabinetsAbove;
    m_first.enabled = true;
    m_second.enabled = two;
    m_count.selection = two ? 1 : 0;
}

void CTypeKArrangementForm::ApplyWorkingVectors() {
    const std::size_t total = m_cabinets.size();
    m_vectors.resize(total);
    for (std::size_t i = 0; i < total; ++i) {
        m_vectors[i] = m_modules[static_cast<std::size_t>(m_cabinets[i].type)].vector;
        m_vectors[i].splay = i == 0 ? 0.0 : m_cabinets[i].splay;
    }
    m_wedges.assign(total, 0.0);
    m_depths.assign(total, kDepth);
    m_counts = {0, 0, static_cast<int>(total)};
}

std::vector<CPreviewSegment>
CTypeKArrangementForm::OutlineOf(const std::vector<CPreviewCorners>& corners) const {
    switch (corners.size()) {
    case 25:
        return PreviewOutline::Cabinets(corners, {0, CTypeKModel::kK2Sections});
    case 32:
        return PreviewOutline::Cabinets(corners, {0, CTypeKModel::kK3Sections});
    default:
        return PreviewOutline::SingleKCabinet(corners);
    }
}
