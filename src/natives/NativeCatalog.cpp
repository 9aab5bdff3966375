#include "natives/NativeCatalog.h"

#include <array>
#include <vector>

namespace orrivel {

namespace {

#define ORRIVEL_NATIVE(number, name, family) {number, #name, NativeFamily::family},
constexpr NativeEntry kGameNatives[] = {
#include "natives/NativeList.def"
};
#undef ORRIVEL_NATIVE

static_assert(std::size(kGameNatives) == kGameNativeCount);

constexpr bool NumbersFollowTheOrder() {
  for (uint32_t i = 0; i < kGameNativeCount; ++i)
    if (kGameNatives[i].number != i) return false;
  return true;
}
static_assert(NumbersFollowTheOrder(), "a native's number is its place in the list");

constexpr std::array<const char*, kFirstGameNative> kHostNativeNames = {"CallScene", "JumpScene", "EndScripts"};

}  // namespace

std::span<const NativeEntry> GameNatives() { return kGameNatives; }

const NativeEntry& GameNative(uint32_t number) { return kGameNatives[number]; }

const NativeEntry* FindGameNative(std::string_view name) {
  for (const NativeEntry& entry : kGameNatives)
    if (name == entry.name) return &entry;
  return nullptr;
}

std::optional<uint32_t> ScriptNativeByName(std::string_view name) {
  for (uint32_t i = 0; i < kFirstGameNative; ++i)
    if (name == kHostNativeNames[i]) return i;
  if (const NativeEntry* entry = FindGameNative(name)) return ScriptNativeNumber(entry->number);
  return std::nullopt;
}

const char* ScriptNativeName(uint32_t scriptNumber) {
  if (scriptNumber < kFirstGameNative) return kHostNativeNames[scriptNumber];
  if (scriptNumber >= kScriptNativeCount) return nullptr;
  return kGameNatives[scriptNumber - kFirstGameNative].name;
}

std::span<const uint16_t> SharedNumbers(uint32_t number) {
  // Built once: for each number, the numbers whose row has the same name.
  static const std::vector<std::vector<uint16_t>> groups = [] {
    std::vector<std::vector<uint16_t>> result(kGameNativeCount);
    for (const NativeEntry& entry : kGameNatives) {
      const NativeEntry* first = FindGameNative(entry.name);
      result[first->number].push_back(entry.number);
    }
    for (const NativeEntry& entry : kGameNatives) {
      const NativeEntry* first = FindGameNative(entry.name);
      if (first->number != entry.number) result[entry.number] = result[first->number];
    }
    return result;
  }();
  return groups[number];
}

const char* NativeFamilyName(NativeFamily family) {
  switch (family) {
    case NativeFamily::NoOperation: return "no operation";
    case NativeFamily::Application: return "application options and state";
    case NativeFamily::SaveLoad: return "save and load";
    case NativeFamily::Strings: return "strings, memory and arithmetic";
    case NativeFamily::Files: return "archives and files";
    case NativeFamily::FontsAndScreen: return "fonts, text drawing and screen settings";
    case NativeFamily::DisplayObjects: return "display objects";
    case NativeFamily::SceneRegistry: return "scene objects and transitions";
    case NativeFamily::Surfaces: return "surfaces and blitters";
    case NativeFamily::ImageDraws: return "blends, image draws and filters";
    case NativeFamily::Sprites: return "sprites and canvases";
    case NativeFamily::MessageText: return "message text";
    case NativeFamily::Animations: return "animations and layouts";
    case NativeFamily::TimeAndInput: return "time, timers and input";
    case NativeFamily::SoundObjects: return "sound objects";
    case NativeFamily::Movies: return "movies";
    case NativeFamily::SoundManager: return "sound manager";
    case NativeFamily::ControlHost: return "control creation and host";
    case NativeFamily::ControlAccess: return "control accessors";
    case NativeFamily::TextFrame: return "text-adventure frame";
    case NativeFamily::Shell: return "message boxes and shell";
  }
  return "unknown";
}

}  // namespace orrivel
