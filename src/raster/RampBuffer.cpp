#include "raster/RampBuffer.h"

#include <cstdlib>

namespace orrivel {

namespace {

// Walks the N levels of a ramp: level k = f >> 24 with f stepping by 2^32 / N,
// and its weight m (0 for level 0, else k + 1, the lane multiplier of the
// opacity table).
class RampWalk {
 public:
  explicit RampWalk(uint32_t count)
      : step_(static_cast<uint32_t>((uint64_t{1} << 32) / count)) {}
  uint32_t Level() const { return fraction_ >> 24; }
  int32_t Weight() const { return Level() == 0 ? 0 : int32_t(Level()) + 1; }
  void Next() { fraction_ += step_; }

 private:
  uint32_t step_;
  uint32_t fraction_ = 0;
};

int32_t Mix(int32_t from, int32_t to, int32_t weight) {
  // Arithmetic shift: a falling ramp rounds toward minus infinity.
  return from + static_cast<int32_t>((int64_t{to - from} * weight) >> 8);
}

void Build8(uint8_t* out, uint32_t count, uint32_t from, uint32_t to) {
  RampWalk walk(count);
  if (from == 0 && to == 255) {
    for (uint32_t i = 0; i < count; ++i, walk.Next()) out[i] = uint8_t(walk.Level());
  } else if (from == 255 && to == 0) {
    for (uint32_t i = 0; i < count; ++i, walk.Next()) out[count - 1 - i] = uint8_t(walk.Level());
  } else {
    const int32_t a = int32_t(from), b = int32_t(to);
    for (uint32_t i = 0; i < count; ++i, walk.Next())
      out[i] = uint8_t(Mix(a, b, walk.Weight()) & 0xFF);
  }
}

void Build32(uint32_t* out, uint32_t count, uint32_t from, uint32_t to) {
  RampWalk walk(count);
  const uint32_t alpha = from & 0xFF000000u;
  for (uint32_t i = 0; i < count; ++i, walk.Next()) {
    const int32_t m = walk.Weight();
    uint32_t word = alpha;
    for (int shift = 0; shift <= 16; shift += 8) {
      const int32_t c = Mix(int32_t((from >> shift) & 0xFF), int32_t((to >> shift) & 0xFF), m);
      word |= uint32_t(c & 0xFF) << shift;
    }
    out[i] = word;
  }
}

}  // namespace

RampBuffer::~RampBuffer() { RampBufferFree(this); }

void RampBufferInit(RampBuffer* ramp) {
  ramp->values = nullptr;
  ramp->count = 0;
  ramp->from = 0xFFFFFFFFu;
  ramp->to = 0xFFFFFFFFu;
  ramp->holders = 0;
}

void RampBufferCreate(RampBuffer* ramp, int* result, uint32_t count, uint32_t from, uint32_t to,
                      uint8_t bits) {
  ramp->values = nullptr;
  ramp->holders = 0;
  const int code = RampBufferBuild(ramp, count, from, to, bits);
  if (result != nullptr) *result = code;
}

int RampBufferBuild(RampBuffer* ramp, uint32_t count, uint32_t from, uint32_t to, uint8_t bits) {
  RampBufferFree(ramp);
  if (count < 2) return kRampTooShort;
  if (bits != 8 && bits != 32) return kRampBadBits;
  void* values = std::malloc(uint64_t{count} * (bits / 8));
  if (values == nullptr) return kRampNoMemory;
  if (bits == 8)
    Build8(static_cast<uint8_t*>(values), count, from, to);
  else
    Build32(static_cast<uint32_t*>(values), count, from, to);
  ramp->values = values;
  ramp->count = count;
  ramp->from = from;
  ramp->to = to;
  ramp->bits = bits;
  return 0;
}

void RampBufferFree(RampBuffer* ramp) {
  std::free(ramp->values);
  ramp->values = nullptr;
  ramp->count = 0;
  ramp->from = 0xFFFFFFFFu;
  ramp->to = 0xFFFFFFFFu;
}

void RampBufferRelease(RampBuffer* ramp) {
  if (ramp == nullptr) return;
  if (ramp->holders == 0)
    delete ramp;
  else
    --ramp->holders;
}

}  // namespace orrivel
