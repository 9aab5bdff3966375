#pragma once
// A table of N values running from one alpha level or colour to another:
// the row source of gradient fills. A plain record with no virtual
// operations; owners that embed one call RampBufferInit in their
// constructors, heap records shared by several users count the extra ones
// in holders.
#include <cstdint>

namespace orrivel {

struct RampBuffer {
  void* values = nullptr;      // N bytes (8 bits) or N words (32 bits); null when empty
  uint32_t count = 0;          // N; 0 when empty
  uint32_t from = 0xFFFFFFFFu; // first value of the build (alpha byte or 0xAARRGGBB)
  uint32_t to = 0xFFFFFFFFu;   // last value of the build
  uint8_t bits = 0;            // 8 or 32, as built
  int32_t holders = 0;         // extra holders of a shared record

  RampBuffer() = default;
  ~RampBuffer();
  RampBuffer(const RampBuffer&) = delete;
  RampBuffer& operator=(const RampBuffer&) = delete;

  const uint8_t* Bytes() const { return static_cast<const uint8_t*>(values); }
  const uint32_t* Words() const { return static_cast<const uint32_t*>(values); }
};

// Build failures.
inline constexpr int kRampTooShort = 1;    // N below 2
inline constexpr int kRampNoMemory = 2;    // the values cannot be allocated
inline constexpr int kRampBadBits = 3;     // bits neither 8 nor 32

void RampBufferInit(RampBuffer* ramp);
// For records made by their user: starts empty, then *result := the build's code.
void RampBufferCreate(RampBuffer* ramp, int* result, uint32_t count, uint32_t from, uint32_t to,
                      uint8_t bits);
// 0, or one of the codes above with the record left empty.
int RampBufferBuild(RampBuffer* ramp, uint32_t count, uint32_t from, uint32_t to, uint8_t bits);
// Releases the values; holders is left as it is.
void RampBufferFree(RampBuffer* ramp);
// A user of a heap record lets go: deletes it when no one else holds it,
// else counts one holder less.
void RampBufferRelease(RampBuffer* ramp);

}  // namespace orrivel
