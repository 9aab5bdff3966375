// The markup tokenizer and the page and item readers over arbitrary bytes:
// every token moves forward and stays inside the text, and records with
// insertions resolve only through live script memory.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "script/ScriptAddressSpace.h"
#include "script/SobCursor.h"
#include "text/MarkupTextBase.h"

namespace {

void WalkTokens(const std::string& text) {
  size_t pos = 0;
  for (;;) {
    const orrivel::MarkupToken token = orrivel::MarkupTextBase::ScanToken(text.data(), text.size(), pos);
    if (token.kind == orrivel::kTokenEnd || token.kind == orrivel::kTokenBad) return;
    if (token.end <= pos || token.end > text.size()) std::abort();
    if (token.kind == orrivel::kTokenCharacter &&
        (token.character < token.start || token.character + token.characterLength > token.end))
      std::abort();
    pos = token.end;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  WalkTokens(std::string(reinterpret_cast<const char*>(data), size));

  // Script memory with one string and one cell naming it, at the first
  // addresses the arena hands out, so inputs can name them.
  orrivel::ScriptAddressSpace space(1u << 16);
  const uint32_t string = space.Allocate(8);
  space.WriteBytes(string, "name<a>", 8);
  const uint32_t cell = space.Allocate(4);
  space.Write32(cell, string);

  orrivel::MarkupTextBase text(&space);
  text.historyEnabled = true;
  text.SetHistoryCapacity(2);
  if (text.SetText(data, size) == 0) {
    WalkTokens(text.Body());
    // Every token but the end moves the cursor on.
    for (;;) {
      const size_t before = text.ReadCursor();
      const int kind = text.NextToken();
      if (kind == orrivel::kTokenBad || kind == orrivel::kTokenEnd) break;
      if (text.ReadCursor() <= before) std::abort();
    }
    for (int32_t n = 0; n < 4; ++n) text.GetComponent(n, nullptr, 0);
  }
  if (text.SetItems(data, size) == 0) {
    for (int32_t n = 0; n < text.ItemCount(); ++n)
      if (!text.GetItem(n)) std::abort();
    text.RecallFirst();
  }
  orrivel::SobCursor cursor(data, size);
  text.LoadState(cursor);
  return 0;
}
