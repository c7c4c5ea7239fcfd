#include "acoustics/MapQuantity.h"

#include "common/Errors.h"

#include <string>

namespace {
constexpr CMapQuantityInfo kQuantities[] = {
    {EMapQuantity::Direct, "direct", "dB"},
    {EMapQuantity::Reverberant, "reverberant", "dB"},
    {EMapQuantity::Total, "total", "dB"},
    {EMapQuantity::DirectToReverberant, "dr", "dB"},
    {EMapQuantity::BroadbandZ, "broadband-z", "dB"},
    {EMapQuantity::BroadbandA, "broadband-a", "dB(A)"},
    {EMapQuantity::Sti, "sti", "STI"},
    {EMapQuantity::Cis, "cis", "CIS"},
    {EMapQuantity::Arrival, "arrival", "ms"},
    {EMapQuantity::LateLoudest, "late-loudest", "ms"},
};
} // namespace

bool IsLevelQuantity(EMapQuantity q) {
    return q == EMapQuantity::Direct || q == EMapQuantity::Reverberant ||
           q == EMapQuantity::Total || q == EMapQuantity::BroadbandZ ||
           q == EMapQuantity::BroadbandA;
}

bool NeedsRoomAcoustics(EMapQuantity q) {
    return q == EMapQuantity::Reverberant || q == EMapQuantity::Total ||
           q == EMapQuantity::DirectToReverberant || q == EMapQuantity::BroadbandZ ||
           q == EMapQuantity::BroadbandA || IsSpeechQuantity(q);
}

bool NeedsOctaves(EMapQuantity q) {
    return q == EMapQuantity::BroadbandZ || q == EMapQuantity::BroadbandA || IsSpeechQuantity(q);
}

bool ReadsDirectSound(EMapQuantity q) {
    return q != EMapQuantity::Reverberant && q != EMapQuantity::Arrival &&
           q != EMapQuantity::LateLoudest;
}

bool IsSpeechQuantity(EMapQuantity q) {
    return q == EMapQuantity::Sti || q == EMapQuantity::Cis;
}

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
