// The page voice as the page output sees it: started when a voiced page is
// shown, ended with the page. The speakers are the characters of the main
// group's slots on the front set; the voice itself (channel 6, the
// speaker's pan, the music ducking) is the frame's sounds' work.
#include <array>

#include "frame/TgsFrame.h"
#include "frame/TgsLayerSets.h"

namespace orrivel {

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

}  // namespace orrivel
