#pragma once
// Process-wide settings the fonts read, set at start-up from the
// application settings; tests set and reset them.
#include <cstdint>

namespace orrivel {

// Capacity of each outline font's glyph cache: the low 16 bits are used.
inline constexpr uint32_t kDefaultGlyphCacheCapacity = 512;
uint32_t GlyphCacheCapacityWord();
void SetGlyphCacheCapacityWord(uint32_t word);

// When set, bold glyphs come from the bold face itself instead of the normal
// face smeared sideways (oversampled glyphs are smeared either way).
bool NativeBold();
void SetNativeBold(bool enabled);

void ResetFontSettings();

}  // namespace orrivel
