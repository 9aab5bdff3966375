#pragma once
// The installed font faces as a list of logical font records, filtered the
// way the font dialogs of the engine ask.
#include <cstdint>
#include <vector>

#include "text/Font.h"

namespace orrivel {

class FontFaceList {
 public:
  // Filter flags.
  static constexpr uint8_t kTrueTypeOnly = 1;
  static constexpr uint8_t kFixedPitchOnly = 2;
  static constexpr uint8_t kNoVerticalFaces = 4;  // names beginning with "@"
  static constexpr uint8_t kCharSetOnly = 8;      // only the wanted character set

  // Empties the list, stores the filters and lists every installed face
  // they let through, in the platform's order (a face once per character
  // set it covers); faces whose name begins with "$" never join. Returns
  // the number of records.
  int32_t EnumFontFaces(uint8_t flags, uint8_t charSet);

  const std::vector<LogFont>& Faces() const { return faces_; }
  uint8_t Flags() const { return flags_; }
  uint8_t CharSet() const { return charSet_; }

 private:
  std::vector<LogFont> faces_;
  uint8_t flags_ = 0;
  uint8_t charSet_ = 0;
};

}  // namespace orrivel
