#include "natives/UserSettingMap.h"

#include <array>
#include <vector>

namespace orrivel {

namespace {

using Kind = UserSettingSlot::Kind;

// (first index, first offset, count, kind): a run of consecutive slots.
struct Run {
  uint8_t group, index, offset, count;
  Kind kind;
};

constexpr std::array kRuns{
    Run{0, 0, 3, 7, Kind::kByte},   Run{0, 8, 10, 7, Kind::kByte},   Run{0, 15, 20, 1, Kind::kU32},
    Run{1, 0, 24, 7, Kind::kByte},  Run{1, 7, 32, 1, Kind::kU32},    Run{1, 8, 31, 1, Kind::kByte},
    Run{2, 0, 36, 1, Kind::kText},  Run{2, 1, 68, 7, Kind::kByte},   Run{2, 8, 76, 1, Kind::kU32},
    Run{3, 0, 81, 1, Kind::kByte},  Run{3, 1, 83, 4, Kind::kByte},   Run{3, 5, 92, 1, Kind::kU32},
    Run{3, 6, 96, 1, Kind::kU32},   Run{3, 7, 100, 1, Kind::kU32},   Run{3, 8, 104, 1, Kind::kU32},
    Run{3, 9, 108, 6, Kind::kByte}, Run{3, 15, 87, 1, Kind::kByte},  Run{3, 16, 82, 1, Kind::kByte},
    Run{3, 17, 88, 1, Kind::kU32},  Run{4, 0, 130, 1, Kind::kByte},  Run{4, 1, 131, 1, Kind::kByte},
    Run{4, 2, 114, 16, Kind::kByte}, Run{5, 0, 132, 1, Kind::kByte}, Run{5, 1, 149, 5, Kind::kByte},
    Run{5, 6, 133, 16, Kind::kByte}, Run{6, 0, 172, 1, Kind::kByte}, Run{6, 1, 173, 1, Kind::kByte},
    Run{6, 2, 158, 1, Kind::kByte}, Run{6, 3, 159, 1, Kind::kByte},  Run{6, 4, 166, 1, Kind::kByte},
    Run{6, 5, 168, 1, Kind::kU32},  Run{6, 6, 167, 1, Kind::kByte},  Run{6, 7, 165, 1, Kind::kByte},
    Run{7, 0, 186, 1, Kind::kByte}, Run{8, 0, 187, 5, Kind::kByte},
};

constexpr std::array<uint8_t, kUserSettingGroups> kGroupSizes{16, 9, 9, 18, 18, 22, 8, 1, 5};

const std::vector<UserSettingSlot>& Slots() {
  static const std::vector<UserSettingSlot> slots = [] {
    std::vector<UserSettingSlot> all;
    for (const Run& run : kRuns)
      for (uint8_t i = 0; i < run.count; ++i)
        all.push_back({run.group, uint8_t(run.index + i), uint8_t(run.offset + (run.kind == Kind::kByte ? i : 0)),
                       run.kind});
    return all;
  }();
  return slots;
}

}  // namespace

uint32_t UserSettingGroupSize(uint32_t group) { return group < kUserSettingGroups ? kGroupSizes[group] : 0; }

std::optional<UserSettingSlot> FindUserSetting(uint32_t group, uint32_t index) {
  for (const UserSettingSlot& slot : Slots())
    if (slot.group == group && slot.index == index) return slot;
  return std::nullopt;
}

std::span<const UserSettingSlot> UserSettingSlots() { return Slots(); }

}  // namespace orrivel
