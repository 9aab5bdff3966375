#pragma once
// Fixed constants of the LPK archive format (see docs/formats.md). Writer
// and reader share them; archives written with other values do not open.
#include <cstdint>

namespace orrivel::lpk {

constexpr char kMagic[4] = {'L', 'P', 'K', '1'};
constexpr uint32_t kHeaderSize = 8;

// Seeds of the two running values of the name key.
constexpr uint32_t kNameSeed1 = 0xA5B9AC6Bu;
constexpr uint32_t kNameSeed2 = 0x9A639DE5u;
// Start of the running counter of the directory and head-word scrambles.
constexpr uint32_t kRotationSeed = 0x31746285u;
// Member byte scramble: a stored byte b reads as
// (((b & 0x0F) ^ kByteC1) << 4) | ((b >> 4) ^ kByteC2).
constexpr uint8_t kByteC1 = 0x0A;
constexpr uint8_t kByteC2 = 0x05;

// Archive flags: bits 24-31 of the unscrambled header word.
constexpr uint32_t kFlagUnitOffsets = 1u << 0;   // offsets in 2048-byte units
constexpr uint32_t kFlagNameTree = 1u << 1;      // the directory holds a name tree
constexpr uint32_t kFlagScrambledHeads = 1u << 2;
constexpr uint32_t kFlagSecondSize = 1u << 3;    // entries carry the full size
constexpr uint32_t kFlagReserved4 = 1u << 4;     // kept, no effect on reading
constexpr uint32_t kUnit = 2048;
constexpr uint32_t kDirectorySizeMask = 0x00FFFFFFu;

constexpr uint32_t kEntrySize = 9;
constexpr uint32_t kEntrySizeWithSecond = 13;
// Head words scrambled at most, and the head bytes a member stream keeps
// unscrambled in memory beyond the common head.
constexpr uint32_t kMaxHeadWords = 64;
constexpr uint32_t kStreamHeadExtra = 256;

}  // namespace orrivel::lpk
