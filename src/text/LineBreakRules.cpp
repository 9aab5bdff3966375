#include "text/LineBreakRules.h"

namespace orrivel {
namespace {

// Stored as CP932 bytes, not as source text, so that no compiler or editor
// charset can change them (the half-width opening table starts with 0x5C,
// which other Shift-JIS readings take for the yen sign).
//   %),:;]}｡｣ﾞﾟ
constexpr char kHalfClosing[] = "\x25\x29\x2C\x3A\x3B\x5D\x7D\xA1\xA3\xDE\xDF";
//   。，、．：；゛゜ヽヾゝゞ々’”）〕］｝〉》」』】°′″℃￠％‰
constexpr char kFullClosing[] =
    "\x81\x42\x81\x43\x81\x41\x81\x44\x81\x46\x81\x47\x81\x4A\x81\x4B\x81\x52\x81\x53\x81\x54\x81\x55\x81\x58"
    "\x81\x66\x81\x68\x81\x6A\x81\x6C\x81\x6E\x81\x70\x81\x72\x81\x74\x81\x76\x81\x78\x81\x7A\x81\x8B\x81\x8C"
    "\x81\x8D\x81\x8E\x81\x91\x81\x93\x81\xF1";
//   !.?､･ｧｨｩｪｫｬｭｮｯｰ
constexpr char kHalfSmall[] = "\x21\x2E\x3F\xA4\xA5\xA7\xA8\xA9\xAA\xAB\xAC\xAD\xAE\xAF\xB0";
//   ・？！ーぁぃぅぇぉっゃゅょゎァィゥェォッャュョヮヵヶ
constexpr char kFullSmall[] =
    "\x81\x45\x81\x48\x81\x49\x81\x5B\x82\x9F\x82\xA1\x82\xA3\x82\xA5\x82\xA7\x82\xC1\x82\xE1\x82\xE3\x82\xE5"
    "\x82\xEC\x83\x40\x83\x42\x83\x44\x83\x46\x83\x48\x83\x62\x83\x83\x83\x85\x83\x87\x83\x8E\x83\x95\x83\x96";
//   \$([{｢
constexpr char kHalfOpening[] = "\x5C\x24\x28\x5B\x7B\xA2";
//   ‘“（〔［｛〈《「『【￥＄￡
constexpr char kFullOpening[] =
    "\x81\x65\x81\x67\x81\x69\x81\x6B\x81\x6D\x81\x6F\x81\x71\x81\x73\x81\x75\x81\x77\x81\x79\x81\x8F\x81\x90"
    "\x81\x92";

constexpr const char* kTables[kBreakTableCount] = {kHalfClosing, kFullClosing, kHalfSmall,
                                                   kFullSmall,   kHalfOpening, kFullOpening};

uint8_t FirstByte(uint16_t code) { return code > 0xFF ? uint8_t(code >> 8) : uint8_t(code); }

}  // namespace

const char* const* LineBreakTables() { return kTables; }

bool InHalfWidthTable(int which, uint8_t byte) {
  if (byte == 0 || which < 0 || which >= kBreakTableCount) return false;
  for (const char* p = kTables[which]; *p != '\0'; ++p)
    if (uint8_t(*p) == byte) return true;
  return false;
}

bool InFullWidthTable(int which, uint16_t pair) {
  if (pair <= 0xFF || which < 0 || which >= kBreakTableCount) return false;
  for (const char* p = kTables[which]; p[0] != '\0' && p[1] != '\0'; p += 2)
    if ((uint16_t(uint8_t(p[0])) << 8 | uint8_t(p[1])) == pair) return true;
  return false;
}

bool IsNoBreakSingle(uint16_t prev, uint8_t next) {
  return InHalfWidthTable(kBreakHalfOpening, FirstByte(prev)) || InHalfWidthTable(kBreakHalfClosing, next) ||
         InHalfWidthTable(kBreakHalfSmall, next);
}

bool IsNoBreakDouble(uint16_t prev, uint16_t next) {
  return InFullWidthTable(kBreakFullOpening, prev) || InFullWidthTable(kBreakFullClosing, next) ||
         InFullWidthTable(kBreakFullSmall, next);
}

}  // namespace orrivel
