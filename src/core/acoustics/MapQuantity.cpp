#include "acoustics/MapQuantity.h"

#include "common/Errors.h"

#include <string>

namespace {
constexpr CMapQuantityInfo kQuantities[] = {
    {EMapQuantity::Direct, "direct", "dB"},
};
} // namespace

std::span<const CMapQuantityInfo> MapQuantities() {
    return kQuantities;
}

const CMapQuantityInfo& QuantityInfo(EMapQuantity quantity) {
    for (const CMapQuantityInfo& info : kQuantities)
        if (info.quantity == quantity)
            return info;
    throw CInvalidArgument("map quantity " + std::to_string(static_cast<int>(quantity)) +
                           " is not known");
}

std::optional<EMapQuantity> QuantityByName(std::string_view name) {
    for (const CMapQuantityInfo& info : kQuantities)
        if (name == info.name)
            return info.quantity;
    return std::nullopt;
}

std::optional<EMapQuantity> QuantityByNumber(int number) {
    for (const CMapQuantityInfo& info : kQuantities)
        if (static_cast<int>(info.quantity) == number)
            return info.quantity;
    return std::nullopt;
}
