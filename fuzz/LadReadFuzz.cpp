// Reads the input as an LAD animation, then looks up every sequence, finds
// the sequence of every frame and reads each frame's pool bytes.
#include <cstdint>

#include "resource/LadAnimation.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  orrivel::LadAnimation lad;
  if (lad.LoadFromMemory(data, size) != orrivel::kLadOk) return 0;
  for (int32_t s = -1; s <= int32_t(lad.SequenceCount()); ++s) {
    lad.GetSequenceStart(s);
    lad.GetSequenceEnd(s);
  }
  volatile uint32_t sum = 0;
  for (uint32_t frame = 0; frame <= lad.FrameCount() && frame < 4096; ++frame) {
    int32_t offset = 0;
    lad.FindSequence(int32_t(frame), &offset);
    uint32_t available = 0;
    if (const uint8_t* bytes = lad.PoolAt(frame, &available)) sum = sum + bytes[0] + bytes[available - 1];
  }
  return 0;
}
