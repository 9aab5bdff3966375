// The page voice as the page output sees it: started when a voiced page is
// shown, ended with the page, and the scene it was spoken in kept for the
// history. The speakers are the characters of the main group's slots on
// the front set; the voice itself (channel 6, the speaker's pan, the music
// ducking) is the frame's sounds' work.
#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "frame/TgsFrame.h"
#include "frame/TgsLayerSets.h"
#include "scene/ImageSprite.h"

namespace orrivel {

namespace {

// Sprite groups as the history names them: the characters between, the
// upper group in front of them and the lower one behind.
constexpr int32_t kCharacterGroup = 0;
constexpr int32_t kUpperGroup = 2;
constexpr int32_t kLowerGroup = 1;

SceneLayerSource SceneBackground(const LayerRecord& record) {
  SceneLayerSource source;
  source.name = std::string(record.imageName, strnlen(record.imageName, sizeof record.imageName));
  SceneBackgroundState& state = source.state;
  state.colour = record.colour;
  state.colourMode = record.colourMode;
  state.mirror = record.mirror;
  state.flip = record.flip;
  state.cinemaBars = record.cinemaBars;
  state.pixelOpLevel = record.pixelOpStrength;
  state.x = record.x;
  state.y = record.y;
  state.tintClass = int32_t(record.tintClass);
  state.rotationScale = record.rotationScale;
  state.rotationAngle = record.rotationAngle;
  return source;
}

// The group's slots on the front set; a slot whose sprite is hidden or
// gone counts as empty.
std::vector<SceneSlotSource> SceneSlots(TgsLayerSets& layers, int32_t group) {
  std::vector<SceneSlotSource> slots;
  for (uint32_t number = 0; number < TgsLayerSets::GroupSlots(group); ++number) {
    const TgsLayerSets::SpriteSlot* slot = layers.FindSprite(int32_t(number), TgsLayerSets::kFront, group);
    if (slot == nullptr) continue;
    const SpriteSlotRecord& record = slot->record;
    SceneSlotSource source;
    const bool shown = slot->sprite != nullptr && slot->sprite->IsVisible();
    source.spriteId = shown ? record.characterIndex : SpriteSlotRecord::kEmpty;
    source.order = record.order;
    source.baseX = record.baseX;
    source.baseY = record.baseY;
    SceneSpriteState& sprite = source.sprite;
    sprite.name = std::string(record.imageName, strnlen(record.imageName, sizeof record.imageName));
    sprite.x = record.x;
    sprite.y = record.y;
    sprite.colourMode = record.colourMode;
    sprite.mirror = record.mirror;
    sprite.flip = record.flip;
    sprite.pixelOpLevel = record.pixelOpStrength;
    sprite.alpha = record.alpha;
    sprite.zoom = record.zoom;
    sprite.angle = record.zoomAngle;
    slots.push_back(std::move(source));
  }
  return slots;
}

}  // namespace

int32_t TgsFrame::StartPageVoice(const std::string& cue) {
  constexpr uint32_t kSpeakerSlots = 5;
  std::array<int32_t, kSpeakerSlots> ids;
  ids.fill(SpriteSlotRecord::kEmpty);
  std::array<int32_t, kSpeakerSlots> xs{};
  if (layers_) {
    for (uint32_t number = 0; number < kSpeakerSlots && number < TgsLayerSets::GroupSlots(0); ++number) {
      if (const TgsLayerSets::SpriteSlot* slot = layers_->FindSprite(int32_t(number), TgsLayerSets::kFront, 0)) {
        ids[number] = slot->record.characterIndex;
        xs[number] = slot->record.x;
      }
    }
  }
  return PlaySpeakerVoice(cue, ids, xs);
}

void TgsFrame::EndPageVoice(bool pageEnd) { StopPageVoice(pageEnd); }

int32_t TgsFrame::RecordSceneInHistory() {
  if (!layers_) return 1;
  const SceneLayerSource background = SceneBackground(layers_->GetLayer(TgsLayerSets::kFront).record);
  const std::vector<SceneSlotSource> characters = SceneSlots(*layers_, kCharacterGroup);
  const std::vector<SceneSlotSource> upper = SceneSlots(*layers_, kUpperGroup);
  const std::vector<SceneSlotSource> lower = SceneSlots(*layers_, kLowerGroup);
  return history_.AddSceneEntry(&background, characters, upper, lower);
}

}  // namespace orrivel
