#include "transition/RippleKernels.h"

#include <cstring>

#include "base/ProcessorInfo.h"

namespace orrivel {

namespace {

RippleKernel gForward = &RippleForward;
RippleKernel gBackward = &RippleBackward;

template <int kDirection>
void RunPlain(const RippleRun& r) {
  for (int32_t i = 0; i < r.count; ++i) {
    const int16_t pair = r.displacement[r.map[kDirection * i]];
    const ptrdiff_t offset =
        RippleDy(pair) * r.pitch + ptrdiff_t(r.x + i - kDirection * RippleDx(pair)) * 4;
    uint32_t f, t;
    std::memcpy(&f, r.from + offset, 4);
    std::memcpy(&t, r.to + offset, 4);
    r.dst[i] = RippleBlend(f, t, r.level);
  }
}

}  // namespace

void RippleForward(const RippleRun& run) { RunPlain<1>(run); }
void RippleBackward(const RippleRun& run) { RunPlain<-1>(run); }

RippleKernel CurrentRippleForward() { return gForward; }
RippleKernel CurrentRippleBackward() { return gBackward; }

void SetRippleKernels(RippleKernel forward, RippleKernel backward) {
  gForward = forward;
  gBackward = backward;
}

void SelectRippleKernels(const ProcessorInfo& cpu) {
  if (cpu.mmx && (cpu.sse || cpu.mmxPlus))
    SetRippleKernels(&RippleForwardPackedPrefetch, &RippleBackwardPackedPrefetch);
  else if (cpu.mmx)
    SetRippleKernels(&RippleForwardPacked, &RippleBackwardPacked);
  else
    SetRippleKernels(&RippleForward, &RippleBackward);
}

}  // namespace orrivel
