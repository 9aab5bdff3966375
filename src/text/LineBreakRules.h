#pragma once
// The line-breaking (kinsoku) rules every widget that wraps text shares: six
// process-wide tables of CP932 characters that must not begin a line
// (closing marks, small kana and punctuation) or must not end one (opening
// marks), and the no-break test between the character last drawn and the
// next one. The one-byte tables hold single bytes (half-width katakana
// 0xA1-0xDF among them); the two-byte tables hold whole pairs, compared lead
// and trail together, and end at the first pair whose lead byte is 0.
#include <cstdint>

namespace orrivel {

enum LineBreakTable : int {
  kBreakHalfClosing = 0,
  kBreakFullClosing = 1,
  kBreakHalfSmall = 2,
  kBreakFullSmall = 3,
  kBreakHalfOpening = 4,
  kBreakFullOpening = 5,
  kBreakTableCount = 6,
};

// The six zero-terminated tables in the order of LineBreakTable.
const char* const* LineBreakTables();

// Characters are codes as the text walker gives them: a byte, or lead x 256
// + trail; 0 is no character.
bool InHalfWidthTable(int which, uint8_t byte);
bool InFullWidthTable(int which, uint16_t pair);

// True when a break must not fall between prev and a one-byte next: prev's
// first byte opens (half-width), or next closes or is small punctuation.
bool IsNoBreakSingle(uint16_t prev, uint8_t next);
// The same for a two-byte next against the full-width tables, prev taken
// as a two-byte character. Pairs across the widths are not covered.
bool IsNoBreakDouble(uint16_t prev, uint16_t next);

}  // namespace orrivel
