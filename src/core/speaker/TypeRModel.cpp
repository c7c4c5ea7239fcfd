#include "speaker/TypeRModel.h"

std::string CTypeRModel::CheckCounts(const CModuleCounts& c) const {
    if (c.centre != 0 || c.upper != 0)
        return "a KV-R6 hangs downward only: its centre and upper counts must be 0";
    if (c.lower < 1 || c.lower > kMaxCabinets)
        return "a KV-R6 holds 1 to " + std::to_string(kMaxCabinets) + " cabinets, not " +
               std::to_string(c.lower);
    return {};
}

std::string CTypeRModel::NameSuffix() const {
    const int total = ElementTotal();
    if (total < 2 || total > kMaxCabinets)
        return {};
    return "(x " + std::to_string(total) + ")";
}
