#pragma once

#include <cstdint>

// Project file versions, packed as major << 24 | minor << 16 | patch << 8.
inline constexpr std::uint32_t kVersion100 = 0x01000000;
inline constexpr std::uint32_t kVersion130 = 0x01030000;
inline constexpr std::uint32_t kVersion140 = 0x01040000;
inline constexpr std::uint32_t kVersion141 = 0x01040100;
inline constexpr std::uint32_t kVersion142 = 0x01040200;
inline constexpr std::uint32_t kVersion200 = 0x02000000;
// The 2.0.0 body followed by tagged records of the data added since; written only when the
// project holds such data, so every other project stays a 2.0.0 file byte for byte.
inline constexpr std::uint32_t kVersion210 = 0x02010000;

inline bool IsKnownVersion(std::uint32_t v) {
    return v == kVersion100 || v == kVersion130 || v == kVersion140 || v == kVersion141 ||
           v == kVersion142 || v == kVersion200 || v == kVersion210;
}

// A version after the newest this program reads: written by a later Daxara, so opening it could
// only lose what it holds.
inline bool IsNewerVersion(std::uint32_t v) {
    return v > kVersion210 && (v >> 24) >= 2;
}
