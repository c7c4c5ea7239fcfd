#pragma once

#include <cstdint>

// Project file versions, packed as major << 24 | minor << 16 | patch << 8.
inline constexpr std::uint32_t kVersion100 = 0x01000000;
inline constexpr std::uint32_t kVersion130 = 0x01030000;
inline constexpr std::uint32_t kVersion140 = 0x01040000;
inline constexpr std::uint32_t kVersion141 = 0x01040100;
inline constexpr std::uint32_t kVersion142 = 0x01040200;
inline constexpr std::uint32_t kVersion200 = 0x02000000;

inline bool IsKnownVersion(std::uint32_t v) {
    return v == kVersion100 || v == kVersion130 || v == kVersion140 || v == kVersion141 ||
           v == kVersion142 || v == kVersion200;
}
