#pragma once

#include <optional>
#include <span>
#include <string_view>

// What a colour map shows at each point. The direct sound's band level is what every map showed
// before the other quantities came; a plane's levels, classes, legend and statistics hold the
// quantity its condition names. Each quantity keeps its number in project files.
enum class EMapQuantity : int {
    Direct = 0, // the band level of the direct sound, dB SPL
};

struct CMapQuantityInfo {
    EMapQuantity quantity;
    const char* name; // the command line's word for it
    const char* unit; // as the legend writes it, without brackets
};

// Every quantity, in the order lists offer them.
std::span<const CMapQuantityInfo> MapQuantities();
const CMapQuantityInfo& QuantityInfo(EMapQuantity quantity);
std::optional<EMapQuantity> QuantityByName(std::string_view name);
// The quantity of a stored number, or nothing for a number no quantity has.
std::optional<EMapQuantity> QuantityByNumber(int number);
