#pragma once
// Where the player's settings that scripts address by (group, index) live
// in the 196-byte application settings block: one byte, a little-endian
// 32-bit word, or the 32-byte font face text.
#include <cstdint>
#include <optional>
#include <span>

namespace orrivel {

struct UserSettingSlot {
  enum Kind : uint8_t { kByte, kU32, kText };
  uint8_t group = 0;
  uint8_t index = 0;
  uint8_t offset = 0;
  Kind kind = kByte;
};

// Groups 0 to 8; indices count from 0 in each.
inline constexpr uint32_t kUserSettingGroups = 9;
// Bytes of the text entry, its terminating zero included.
inline constexpr uint32_t kUserSettingTextBytes = 32;

// Indices in a group (0 for a group above 8).
uint32_t UserSettingGroupSize(uint32_t group);
// The slot of (group, index); nullopt outside the ranges and for group 0
// index 7, which names nothing.
std::optional<UserSettingSlot> FindUserSetting(uint32_t group, uint32_t index);
// Every slot, group by group, for those who check the whole map.
std::span<const UserSettingSlot> UserSettingSlots();

}  // namespace orrivel
