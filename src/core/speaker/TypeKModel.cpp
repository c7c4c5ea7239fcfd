#include "speaker/TypeKModel.h"

std::string CTypeKModel::CheckCounts(const CModuleCounts& c) const {
    if (c.centre != 0 || c.upper != 0)
        return "a KV-K hangs downward only: its centre and upper counts must be 0";
    switch (c.lower) {
    case kK2Sections:
    case kK3Sections:
    case kK2Sections + kK3Sections:
    case 2 * kK3Sections:
        return {};
    default:
        return "a KV-K holds 9, 16, 25 or 32 sections, not " + std::to_string(c.lower);
    }
}

std::string CTypeKModel::NameSuffix() const {
    return ElementTotal() > kK3Sections ? "(x 2)" : "";
}
