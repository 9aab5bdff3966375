#include "sound/BgmTrack.h"

#include <cstdio>
#include <memory>

#include "resource/ArchiveManager.h"
#include "sound/SoundManager.h"
#include "sound/SoundTask.h"

namespace orrivel {

namespace {

int32_t currentBgm = 0;

std::string BgmName(int32_t number, const char* suffix) {
  char name[64];
  std::snprintf(name, sizeof name, "BGM\\BGM%02d%s.OGG", int(number), suffix);
  return name;
}

bool GameHasFile(const std::string& name) {
  const ArchiveManager* archives = GetArchiveManager();
  if (archives == nullptr) return false;
  std::string fullPath;
  const int found = archives->FindFileOrMember(&fullPath, name, nullptr);
  return found == 0 || found == -1;
}


}  // namespace

BgmFiles BgmFilesFor(int32_t number) {
  const std::string single = BgmName(number, "");
  if (GameHasFile(single)) return {single, {}};
  return {BgmName(number, "B"), BgmName(number, "A")};
}

int32_t PlayBgmTrack(SoundManager& sounds, TimerList* list, int32_t number, uint32_t fadeMs, bool loop) {
  if (list == nullptr) list = sounds.GetTimerList();
  if (number == currentBgm) {
    if (number == 0) sounds.StopMusic();
    return 0;
  }
  const int32_t previous = currentBgm;
  if (number == 0) {
    currentBgm = 0;
    if (fadeMs == 0) sounds.StopMusic();
    else StartOwnedTask(std::make_unique<MusicFadeOutTask>(fadeMs), list, &sounds, &sounds.ActiveMusic());
    return 0;
  }
  const BgmFiles files = BgmFilesFor(number);
  const char* intro = files.intro.empty() ? nullptr : files.intro.c_str();
  // Codes above 0 are failures; -1 (that music already plays) and -2
  // (music is switched off, it waits to play) count as started.
  int32_t code;
  if (fadeMs == 0) {
    code = sounds.PlayMusic(files.file.c_str(), intro, loop);
  } else if (previous == 0) {
    code = StartOwnedTask(std::make_unique<MusicFadeInTask>(fadeMs), list, &sounds, &sounds.ActiveMusic(),
                          files.file.c_str(), intro, loop);
  } else {
    code = StartOwnedTask(std::make_unique<MusicCrossFadeTask>(fadeMs, fadeMs), list, &sounds, files.file.c_str(),
                          intro, loop, -1);
  }
  if (code <= 0) currentBgm = number;
  if (fadeMs == 0) return code > 0 ? 1 : 0;
  return 0;
}

int32_t CurrentBgmNumber() { return currentBgm; }

void SetCurrentBgmNumber(int32_t number) { currentBgm = number; }

}  // namespace orrivel
