#pragma once
// The layout of a compiled text-adventure module (".TOB", "TOB0" or "TOB1"),
// checked against its size before anything of it is used:
//
//   magic, u32 S1 (label block size, counting itself), u32 label count,
//   label entries {u8 L, name, NUL, u32 text offset; next entry L bytes after
//   the length byte}, u32 S2 (resume block size, counting itself), u32 R,
//   R u32 resume points, then the text block up to the end of the file.
//
// Every text offset counts from the first byte of the text block. The text
// block is walked the way the text reader walks it (characters, "[ " inline
// command blocks and "[s" script blocks), so a module that passes never lets
// the reader step outside its text: blocks fit, a lead byte always has its
// trail byte before the final NUL, the relocation lists of expressions and
// script blocks fill exactly their stated size, and the text ends with a NUL.
// What the entries name (offsets inside the code, table indexes) is checked
// when a block is bound.
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace orrivel {

struct TobLayout {
  bool hasResumeTable = false;  // "TOB1"
  uint32_t labelCount = 0;
  uint32_t labelsOffset = 0;     // first label entry, from the image start
  uint32_t labelsEnd = 0;        // end of the label block
  uint32_t resumeCount = 0;      // R
  uint32_t resumeOffset = 0;     // the R resume points, from the image start
  uint32_t textOffset = 0;       // 4 + S1 + S2
  uint32_t textSize = 0;         // bytes from the text start to the end of the image
};

// One item of a module's text, as the text reader meets it. Text is read
// a character at a time, two-byte characters whole (a trail byte "[" opens
// nothing). A "[" opens an inline command block before " ", a script block
// before "s"; before anything else it is dropped and the character after
// it is read as text, so "[[" is a literal "[". A NUL ends the reading.
struct TobTextItem {
  enum class Kind : uint8_t {
    kNul,             // a NUL byte (the final one ends the text)
    kCharacter,       // one character of text: `character` and `characterBytes`
    kInlineBlock,     // "[ ": the block's body begins at `next`
    kScriptBlock,     // "[s": the block's body begins at `next`
    kDroppedBracket,  // a "[" before a NUL: dropped, the NUL is read next
  };
  Kind kind = Kind::kNul;
  uint64_t character = 0;       // offset of the character's first byte
  uint64_t characterBytes = 0;  // 1 or 2
  uint64_t next = 0;            // offset after the item (after "[ " or "[s" for blocks)
};

class TobImage {
 public:
  static constexpr int32_t kOk = 0;
  static constexpr int32_t kNotModule = 2;

  // Checks the whole image and fills layout; kNotModule when it is not a
  // sound module.
  static int32_t Parse(const uint8_t* data, size_t size, TobLayout& layout);

  // Text offset of the first label whose name equals label byte for byte,
  // -1 when none does. The image must have passed Parse.
  static int32_t LookupLabel(const uint8_t* image, const TobLayout& layout, std::string_view label);

  // Resume point n, -1 when n is not below R (or there is no table).
  static int32_t ResumePoint(const uint8_t* image, const TobLayout& layout, uint32_t n);

  // The item of `text` (size bytes) at offset `at` (below size). A lead
  // byte takes the byte after it as its trail byte unless that is a NUL or
  // not there.
  static TobTextItem TextItemAt(const uint8_t* text, uint64_t size, uint64_t at);

  // Bytes taken by the inline command block that starts right after "[ ",
  // or by the script block right after "[s"; 0 when it does not fit in
  // `size` bytes, its relocation lists do not fill their size, or its
  // layout is unknown.
  static uint64_t InlineBlockSize(const uint8_t* block, uint64_t size);
  static uint64_t ScriptBlockSize(const uint8_t* block, uint64_t size);
};

}  // namespace orrivel
