#pragma once
// What one of the frame's three effect slots runs, kept so that a load can
// start it again: the kind, six parameter words and a name. Plain fields;
// the saved state writes them one by one.
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace orrivel {

struct EffectSlotRecord {
  enum Kind : int32_t {
    kNone = 0,
    kNoise = 1,
    kBgPanime = 2,
    kQuake = 3,
    kBgRast = 4,
    kBgHaze10 = 5,
    kBgHaze20 = 6,
    kBgLoop = 7,
    kSpMovie = 8,
    kSpParts = 9,
    kBgCross = 10,
    kPaper = 11,
    kLight = 12,
    kSnow = 13,
    kRain = 14,
  };
  static constexpr size_t kNameBytes = 48;

  int32_t kind = kNone;
  int32_t p[6] = {};  // P1 ... P6
  char name[kNameBytes] = {};

  bool operator==(const EffectSlotRecord&) const = default;
  // Empties the record (kind 0, words 0, no name).
  void Clear() { *this = EffectSlotRecord{}; }
  void SetName(std::string_view text);
};

// Copies text into a fixed field of `bytes`, cut on a character boundary so
// that the field always ends with its NUL; a lead byte never loses its
// trail byte.
void CopyNameField(char* field, size_t bytes, std::string_view text);

// Rewrites the record's layer-set words after the front and back sets
// exchange places.
void SwapEffectSlotLayerSets(EffectSlotRecord& record);

}  // namespace orrivel
