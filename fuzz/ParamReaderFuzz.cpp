// Reads arbitrary text with the parameter tokenizer. The first byte picks the
// buffer size for words and quoted strings; the rest, zero-terminated, is the
// text. Operations are applied in turn until the text is used up. The buffers
// sit at the end of a heap block, so a write past what the reader was told it
// has shows under the sanitizers, and the position must never leave the text.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "script/ParamReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const size_t bufferSize = data[0] % 24;
  std::unique_ptr<char[]> text(new char[size]);
  std::memcpy(text.get(), data + 1, size - 1);
  text[size - 1] = '\0';
  const char* end = text.get() + std::strlen(text.get());
  std::unique_ptr<char[]> buffer(new char[bufferSize ? bufferSize : 1]);

  orrivel::ParamReader reader(text.get());
  for (unsigned step = 0; step < 4 * size + 8 && *reader.Position() != '\0'; ++step) {
    const char* before = reader.Position();
    int32_t number = 0;
    double real = 0;
    switch (step % 8) {
      case 0: reader.ReadInt(number); break;
      case 1: reader.ReadReal(real); break;
      case 2: reader.ReadWord(buffer.get(), bufferSize); break;
      case 3: reader.ReadQuoted(buffer.get(), bufferSize, false); break;
      case 4: reader.ReadQuoted(buffer.get(), bufferSize, true); break;
      case 5: reader.MatchKeyword("on"); break;
      case 6: reader.SkipWord(); break;
      case 7: reader.SkipSeparators(); break;
    }
    if (reader.Position() < before || reader.Position() > end) std::abort();
    // Nothing moves it on: step over one byte so the loop ends.
    if (step % 8 == 7 && reader.Position() == before) reader.SetText(before + 1);
  }
  return 0;
}
