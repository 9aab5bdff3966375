#pragma once
// Calls one of the game's natives of a host directly, by the game's own
// number, with the given cells in a fresh argument block.
#include <cstdint>
#include <initializer_list>
#include <span>
#include <utility>

#include "natives/GameScriptHost.h"
#include "script/NativeArgs.h"
#include "script/ScriptAddressSpace.h"

namespace orrivel::testing {

inline uint32_t CallNative(GameScriptHost& host, uint32_t gameNumber, std::span<const uint32_t> cells) {
  const uint32_t block = host.Space().Allocate(cells.size() * 4);
  uint32_t at = block;
  for (uint32_t cell : cells) host.Space().Write32(std::exchange(at, at + 4), cell);
  NativeArgs args(host.Space(), nullptr, block);
  const uint32_t result = host.Natives()[gameNumber + 3](args);
  host.Space().Free(block);
  return result;
}

inline uint32_t CallNative(GameScriptHost& host, uint32_t gameNumber, std::initializer_list<uint32_t> cells) {
  return CallNative(host, gameNumber, std::span<const uint32_t>(cells.begin(), cells.size()));
}

}  // namespace orrivel::testing
