#include "frame/EffectSlotRecord.h"

#include <cstring>
#include <utility>

#include "base/Cp932.h"

namespace orrivel {

void CopyNameField(char* field, size_t bytes, std::string_view text) {
  if (bytes == 0) return;
  size_t used = 0;
  for (size_t i = 0; i < text.size() && text[i] != '\0';) {
    const size_t length = cp932::CharLength(text, i);
    if (used + length > bytes - 1) break;
    used += length;
    i += length;
  }
  std::memcpy(field, text.data(), used);
  std::memset(field + used, 0, bytes - used);
}

void EffectSlotRecord::SetName(std::string_view text) { CopyNameField(name, kNameBytes, text); }

namespace {

int32_t FlipSet(int32_t set) { return set == 0 ? 1 : (set == 1 ? 0 : set); }

}  // namespace

void SwapEffectSlotLayerSets(EffectSlotRecord& r) {
  int32_t* p = r.p;
  switch (r.kind) {
    case EffectSlotRecord::kBgPanime:
    case EffectSlotRecord::kBgRast:
    case EffectSlotRecord::kBgHaze10:
    case EffectSlotRecord::kBgHaze20:
    case EffectSlotRecord::kBgLoop:
    case EffectSlotRecord::kSpMovie:
      p[0] = FlipSet(p[0]);
      break;
    case EffectSlotRecord::kSpParts:
      if (p[3] == 2)
        std::swap(p[1], p[2]);
      else
        p[3] = FlipSet(p[3]);
      break;
    case EffectSlotRecord::kBgCross:
      p[2] = FlipSet(p[2]);
      // The set word of the cross takes 0 as "none" and keeps it; any other
      // value is read as a set number 1 or 2, so a value outside them
      // settles on 1 and then 2 after two exchanges.
      p[1] = p[1] == 0 ? 0 : (p[1] == 1 ? 2 : 1);
      break;
    case EffectSlotRecord::kQuake:
      std::swap(p[4], p[5]);
      break;
    case EffectSlotRecord::kNoise:
    case EffectSlotRecord::kPaper:
    case EffectSlotRecord::kLight:
    case EffectSlotRecord::kSnow:
    case EffectSlotRecord::kRain:
      std::swap(p[1], p[2]);
      break;
    default:
      break;
  }
}

}  // namespace orrivel
