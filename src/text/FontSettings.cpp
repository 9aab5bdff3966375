#include "text/FontSettings.h"

#include <atomic>

namespace orrivel {
namespace {
std::atomic<uint32_t> gCapacityWord{kDefaultGlyphCacheCapacity};
std::atomic<bool> gNativeBold{false};
}  // namespace

uint32_t GlyphCacheCapacityWord() { return gCapacityWord.load(); }
void SetGlyphCacheCapacityWord(uint32_t word) { gCapacityWord.store(word); }
bool NativeBold() { return gNativeBold.load(); }
void SetNativeBold(bool enabled) { gNativeBold.store(enabled); }

void ResetFontSettings() {
  gCapacityWord.store(kDefaultGlyphCacheCapacity);
  gNativeBold.store(false);
}

}  // namespace orrivel
