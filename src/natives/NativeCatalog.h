#pragma once
// The one list of the game's natives: number, name and family, in
// registration order. The game script host registers from it and the sob
// assembler reads it, so scripts and tests call natives by name.
//
// Script native numbers: the script host's own three come first (0 call a
// scene, 1 jump to a scene, 2 end the scripts); the game's native N is script
// native N + 3. Only this header knows the offset.
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace orrivel {

enum class NativeFamily : uint8_t {
  NoOperation,
  Application,
  SaveLoad,
  Strings,
  Files,
  FontsAndScreen,
  DisplayObjects,
  SceneRegistry,
  Surfaces,
  ImageDraws,
  Sprites,
  MessageText,
  Animations,
  TimeAndInput,
  SoundObjects,
  Movies,
  SoundManager,
  ControlHost,
  ControlAccess,
  TextFrame,
  Shell,
};

struct NativeEntry {
  uint16_t number;  // the game's number (script number - kFirstGameNative)
  const char* name;
  NativeFamily family;
};

inline constexpr uint32_t kFirstGameNative = 3;
inline constexpr uint32_t kGameNativeCount = 806;
inline constexpr uint32_t kScriptNativeCount = kFirstGameNative + kGameNativeCount;

constexpr uint32_t ScriptNativeNumber(uint32_t gameNumber) { return gameNumber + kFirstGameNative; }

// Every game native, index = number.
std::span<const NativeEntry> GameNatives();
const NativeEntry& GameNative(uint32_t number);
// The first game native of that name (a name shared by several numbers,
// such as "Nop", gives the lowest).
const NativeEntry* FindGameNative(std::string_view name);
// The script number of a name: the host's "CallScene", "JumpScene" and
// "EndScripts", or a game native's name.
std::optional<uint32_t> ScriptNativeByName(std::string_view name);
// The name of a script number ("CallScene" ... or the game name); nullptr
// above the table.
const char* ScriptNativeName(uint32_t scriptNumber);
const char* NativeFamilyName(NativeFamily family);
// Every number registered with the same function as number, number included
// (the one no-operation native; the sound status native at two numbers).
std::span<const uint16_t> SharedNumbers(uint32_t number);

}  // namespace orrivel
