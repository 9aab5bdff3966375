#include <string>

#include "natives/GameScriptHost.h"
#include "natives/NativeBinder.h"
#include "natives/ScriptNativeFamilies.h"

namespace orrivel {

namespace {

constexpr uint32_t kSetVoiceInfo = 7;
constexpr uint32_t kGetVoiceInfo = 8;

// The name a speaker's voices are looked up by: the second name while the
// second flag is set, unless the speaker has none.
const std::string& NameInUse(const VoiceEntry& entry) {
  if (entry.unheard && entry.secondName && !entry.secondName->empty()) return *entry.secondName;
  return entry.name;
}

// The first cue prefix that picks this speaker; empty when none does.
std::string PrefixOf(const VoiceTable& table, uint32_t speaker) {
  for (const VoicePrefix& prefix : table.Prefixes())
    if (prefix.entry == speaker) return prefix.prefix;
  return {};
}

// Names go to the scripts as host-owned arena strings, one slot per field.
uint32_t NameString(GameScriptHost& host, uint32_t speaker, const char* field, const std::string& value) {
  return host.HostString("voice " + std::to_string(speaker) + " " + field, value);
}

uint32_t GetVoiceInfo(GameScriptHost& host, NativeArgs& args) {
  const uint32_t speaker = args.Cell(0);
  const uint32_t field = args.Cell(1);
  const auto& entries = host.Voices().Entries();
  if (args.Failed() || entries.empty()) return 0;
  if (speaker >= entries.size()) return uint32_t(entries.size());
  const VoiceEntry& entry = entries[speaker];
  switch (field) {
    case 0: return entry.level;
    case 1: return entry.enabled;
    case 2: return entry.unheard;
    case 3: return NameString(host, speaker, "name", entry.name);
    case 4: return entry.secondName ? NameString(host, speaker, "second", *entry.secondName) : 0;
    case 5: return NameString(host, speaker, "in use", NameInUse(entry));
    case 6: {
      const std::string prefix = PrefixOf(host.Voices(), speaker);
      return prefix.empty() ? 0 : NameString(host, speaker, "prefix", prefix);
    }
    default: return 0;
  }
}

}  // namespace

// The voice table's records: level, switches and names by speaker.
void BindVoiceInfoNatives(NativeBinder& binder) {
  GameScriptHost& host = binder.Host();
  binder.Bind(kSetVoiceInfo, [&host](NativeArgs& args) -> uint32_t {
    const uint32_t speaker = args.Cell(0);
    const uint32_t field = args.Cell(1);
    const uint32_t value = args.Cell(2);
    auto& entries = host.Voices().Entries();
    if (args.Failed() || speaker >= entries.size() || field > 2) return uint32_t(-1);
    VoiceEntry& entry = entries[speaker];
    if (field == 0) entry.level = value & 0xFFFF;
    else if (field == 1) entry.enabled = uint8_t(value);
    else entry.unheard = uint8_t(value);
    return 0;
  });
  binder.Bind(kGetVoiceInfo, [&host](NativeArgs& args) { return GetVoiceInfo(host, args); });
}

}  // namespace orrivel
