#pragma once
// The scene table of "SOB_INIT.DAT": one entry per scene with its two flag
// arrays. The last entry doubles as the entry shared by every scene.
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

#include "base/BitArray.h"

namespace orrivel {

struct SceneFlagEntry {
  std::string name;        // the name bytes as stored, terminating zero included
  uint8_t nameLength = 0;  // L, as stored
  uint8_t matched = 0;     // used while a flag file is read
  BitArray a;
  BitArray b;

  // The name up to its terminating zero.
  std::string_view SceneName() const {
    std::string_view all(name);
    return all.substr(0, all.find('\0'));
  }
};

struct SceneFlagTable {
  // A deque: bit arrays are not movable, and entries never move once made.
  std::deque<SceneFlagEntry> entries;

  bool Exists() const { return !entries.empty(); }
  size_t Count() const { return entries.size(); }
  // Index of the first entry whose name equals `name` exactly, -1 when none.
  int32_t Find(std::string_view name) const {
    for (size_t i = 0; i < entries.size(); ++i)
      if (entries[i].SceneName() == name) return int32_t(i);
    return -1;
  }
};

}  // namespace orrivel
