#pragma once

#include <cstdint>

// The reader program's answer, in the project archive's encoding: the tag, a kind, then for a
// model the import report and the model's project record (type code first), else the reason.
namespace SofaReply {
inline constexpr std::uint32_t kTag = 0x52534144; // "DASR"
inline constexpr std::uint16_t kModel = 1;
inline constexpr std::uint16_t kRefused = 2;
inline constexpr std::uint16_t kOutOfMemory = 3;
} // namespace SofaReply
