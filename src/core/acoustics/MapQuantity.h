#pragma once

#include <optional>
#include <span>
#include <string_view>

// What a colour map shows at each point. The direct sound's band level is what every map showed
// before the other quantities came; a plane's levels, classes, legend and statistics hold the
// quantity its condition names. Each quantity keeps its number in project files.
enum class EMapQuantity : int {
    Direct = 0, // the band level of the direct sound, dB SPL
    // Room acoustics: the diffuse reverberant field, direct and reverberant together, their
    // ratio, and the seven octaves' totals summed for equal power per octave.
    Reverberant = 1,
    Total = 2,
    DirectToReverberant = 3,
    BroadbandZ = 4,
    BroadbandA = 5,
    // Speech intelligibility from the seven octaves: the index and its common scale.
    Sti = 6,
    Cis = 7,
    // Arrival times of the direct sound, in ms: the first arrival from any installation, and how
    // much later than it the loudest installation's sound arrives.
    Arrival = 8,
    LateLoudest = 9,
};

struct CMapQuantityInfo {
    EMapQuantity quantity;
    const char* name; // the command line's word for it
    const char* unit; // as the legend writes it, without brackets
};

// Whether the quantity's values are sound levels in dB, averaged by energy like the direct map's.
bool IsLevelQuantity(EMapQuantity quantity);
// Whether a map of it needs the room acoustics, and the seven octaves at every point.
bool NeedsRoomAcoustics(EMapQuantity quantity);
bool NeedsOctaves(EMapQuantity quantity);
bool IsSpeechQuantity(EMapQuantity quantity);
// Whether a point's value reads the direct sound there, which has none at a speaker's source:
// such a point is left out of the map.
bool ReadsDirectSound(EMapQuantity quantity);

// Every quantity, in the order lists offer them.
std::span<const CMapQuantityInfo> MapQuantities();
const CMapQuantityInfo& QuantityInfo(EMapQuantity quantity);
std::optional<EMapQuantity> QuantityByName(std::string_view name);
// The quantity of a stored number, or nothing for a number no quantity has.
std::optional<EMapQuantity> QuantityByNumber(int number);
