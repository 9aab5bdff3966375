// Voices by cue name: the voice table maps a cue to its character, whose
// switch and level the player sets; the file is "VOICE\<cue>.<extension>".
#include <algorithm>
#include <string>

#include "script/VoiceTable.h"
#include "sound/SoundManager.h"

namespace orrivel {
namespace {

constexpr int32_t kVoiceLoaded = -1;
constexpr int32_t kVoiceOff = -2;
constexpr int32_t kVoiceUnknownCue = -3;
constexpr int32_t kVoiceLoadFailed = -4;
constexpr int32_t kVoiceNoTable = -5;

std::string VoicePath(const char* cue, const std::string& extension) {
  return std::string("VOICE\\") + cue + "." + extension;
}

}  // namespace

int32_t SoundManager::LoadVoiceFile(int32_t channel, const std::string& path, int32_t mode) {
  // A path the file layer could not hold fails like a missing file.
  if (path.size() + 1 > kMaxPathBytes) return kVoiceLoadFailed;
  return LoadChannel(channel, path.c_str(), mode, false) == 0 ? 0 : kVoiceLoadFailed;
}

int32_t SoundManager::PlayVoice(int32_t channel, const char* cueName, int32_t speakerCount,
                                const int32_t* speakerIds) {
  if (!voices_) return kVoiceNoTable;
  if (!cueName) return kVoiceUnknownCue;
  const bool voicesOn = kind4On && globalOn;
  if (voices_->Prefixes().empty()) {
    if (!voicesOn) return kVoiceOff;
    return LoadVoiceFile(channel, VoicePath(cueName, "OGG"), kKeepNoSamples) == 0 ? kVoiceLoaded
                                                                                  : kVoiceLoadFailed;
  }
  const int32_t cue = voices_->FindPrefixForCue(cueName);
  if (cue < 0) return kVoiceUnknownCue;
  const uint32_t character = voices_->Prefixes()[size_t(cue)].entry;
  // A cue naming a character the table lacks is as good as unknown.
  if (character >= voices_->Entries().size()) return kVoiceUnknownCue;
  if (channel < 0) return channel == -1 ? cue : int32_t(character);

  VoiceEntry& entry = voices_->Entries()[character];
  entry.unheard = 0;
  if (!voicesOn || !entry.enabled) return kVoiceOff;
  int32_t position = -1;
  for (int32_t i = 0; speakerIds && i < speakerCount; ++i) {
    if (speakerIds[i] == cue) {
      position = i;
      break;
    }
  }
  const int32_t mode = position >= 0 && lipSync_ ? kKeepEnvelope : kKeepNoSamples;
  if (LoadVoiceFile(channel, VoicePath(cueName, voices_->Extension()), mode) != 0) return kVoiceLoadFailed;
  SetChannelVolume(channel, -1, std::clamp(int32_t(entry.level), 0, kFullLevel));
  return speakerCount > 0 ? position : cue;
}

}  // namespace orrivel
