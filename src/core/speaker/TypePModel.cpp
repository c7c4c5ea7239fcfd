#include "speaker/TypePModel.h"

std::string CTypePModel::CheckCounts(const CModuleCounts& c) const {
    if (c.centre != 0 || c.upper != 0)
        return "a KV-P10 hangs downward only: its centre and upper counts must be 0";
    if (c.lower < 1 || c.lower > kMaxCabinets)
        return "a KV-P10 holds 1 to " + std::to_string(kMaxCabinets) + " cabinets, not " +
               std::to_string(c.lower);
    return {};
}

std::string CTypePModel::NameSuffix() const {
    const int total = ElementTotal();
    if (total < 2 || total > kMaxCabinets)
        return {};
    return "(x " + std::to_string(total) + ")";
}
