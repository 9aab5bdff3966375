#pragma once
// The frame's records that a save carries beside its module state: the
// scalars of the reader and the screen, the effect, layer and sprite
// records, the message window's display words, the looping sounds, the
// save caption and what the window shows (choice list and page).
//
// The frame fills these from its live parts when it saves and keeps what a
// load read here until ReapplyState puts it back on screen.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "frame/EffectSlotRecord.h"
#include "frame/LayerRecord.h"
#include "frame/SpriteSlotRecord.h"

namespace orrivel {

struct TgsLoopSound {
  std::string name;  // empty: no looping sound on the channel
  uint8_t loadMode = 0;
};

struct TgsSavedChoice {
  uint32_t value = 0;
  bool enabled = true;
  std::string text;

  bool operator==(const TgsSavedChoice&) const = default;
};

// What the message window shows when the state is taken: the choice list
// (none when `choices` is empty) and the page with its two name fields
// (none when `pageText` is empty).
struct TgsWindowContents {
  uint32_t layoutWord = 0;
  std::vector<TgsSavedChoice> choices;
  std::vector<uint8_t> pageText;
  std::string firstName;
  std::string secondName;

  bool operator==(const TgsWindowContents&) const = default;
};

struct TgsFrameRecords {
  static constexpr size_t kEffectRecordBytes = 76;
  static constexpr size_t kEffectSlots = 3;
  static constexpr size_t kLayerRecordBytes = 124;
  static constexpr size_t kLayerSets = 2;
  static constexpr size_t kSpriteRecordBytes = 140;
  static constexpr size_t kSpriteSlots = 22;
  static constexpr size_t kLoopChannels = 4;
  static constexpr size_t kCaptionCharacters = 40;
  static constexpr size_t kFirstNameCharacters = 16;
  static constexpr size_t kSecondNameCharacters = 15;

  // The resume point of the module being read (-1: none).
  int32_t resumePoint = -1;
  // Rule picture mirror and flip, background tint, automatic colour mode,
  // new-sprite order.
  std::array<uint8_t, 5> layerSettings{};
  // The screen quake filter: kind (1 running, 0 none) and five parameters.
  std::array<int32_t, 6> quakeFilter{};
  int32_t windowEntry = 0;
  int32_t musicNumber = 0;
  int32_t soundChannel = 0;
  // A choice list waits on screen.
  uint8_t choiceListShown = 0;
  // A page is shown, and the window whose page voice plays again when the
  // page is shown again (-1: no page of the run had a voice).
  uint8_t pageStateFlag = 0;
  int32_t pageStateWord = -1;
  std::array<EffectSlotRecord, kEffectSlots> effectSlots{};
  // Front set first, then the back set.
  std::array<LayerRecord, kLayerSets> layers{};
  // Sprite group 1 (3 front, 3 back), the main group (5, 5), group 2 (3, 3).
  std::array<SpriteSlotRecord, kSpriteSlots> sprites{};
  // The message window's display state: its zoom (0: none) and angle (in
  // 1/512 turns) about a point of the screen.
  static constexpr int32_t kWindowCentreX = 640;
  static constexpr int32_t kWindowCentreY = 671;
  float windowZoom = 0;
  int32_t windowAngle = 0;
  int32_t windowCentreX = kWindowCentreX;
  int32_t windowCentreY = kWindowCentreY;
  std::array<TgsLoopSound, kLoopChannels> loopSounds{};
  std::string caption;
  TgsWindowContents window;

  // A new run's window stands unzoomed about its own centre.
  void ResetWindowDisplay() {
    windowZoom = 0;
    windowAngle = 0;
    windowCentreX = kWindowCentreX;
    windowCentreY = kWindowCentreY;
  }
};

}  // namespace orrivel
