#pragma once
// The records of an LGM layout file, read whole and checked before any
// picture is made: a base picture name and a list of parts. The two layout
// readers differ only in the part record: the sprite form stores a size only
// for parts of a kind other than 0, the control form always does.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orrivel {

enum class LgmRecordForm {
  kSprite,   // 7 bytes after the name for kind 0, 12 otherwise
  kControl,  // always 12 bytes after the name
};

enum LgmParseCode : int {
  kLgmParseOk = 0,
  kLgmParseBadMagic = 1,
  kLgmParseTruncated = 2,
};

struct LgmPart {
  std::string name;  // as stored, cut at a zero byte
  uint8_t kind = 0;
  int16_t x = 0;
  int16_t y = 0;
  uint8_t alpha = 0;  // the control form's option byte
  uint8_t visible = 0;
  bool hasSize = false;
  int16_t width = 0;
  int16_t height = 0;
  uint8_t flag = 0;  // the control form's state byte
};

struct LgmFile {
  std::string baseName;  // empty: no base picture
  std::vector<LgmPart> parts;
};

int ParseLgm(const uint8_t* data, uint64_t size, LgmRecordForm form, LgmFile* out);

// The folder part of the layout's own name (up to and including its last
// separator) followed by a name from the file.
std::string ResolveLgmName(std::string_view layoutFileName, std::string_view name);

}  // namespace orrivel
