// Reads the input as an LAG animation and plays every sequence with the
// sequence task on a sprite canvas: forever, with loops, chained to the
// next sequence and held, with and without catch-up, over ticks that run
// across the 32-bit wrap. Pictures are accepted without being decoded, so
// the walk reaches every record the file describes.
#include <cstdint>
#include <memory>

#include "base/TimerList.h"
#include "natives/LagAnimationTask.h"
#include "natives/ObjectPool.h"
#include "resource/LagAnimation.h"
#include "scene/SpriteCanvas.h"

namespace {

using namespace orrivel;

class AcceptedSurface : public SurfacePort {
 public:
  int32_t GetWidth() const override { return 1; }
  int32_t GetHeight() const override { return 1; }
  int32_t GetBitCount() const override { return 32; }
  int32_t LoadImageFromMemory(const uint8_t*, uint64_t, bool) override { return 0; }
  int32_t LoadImage(std::string_view, bool) override { return 0; }
  void FreeImage() override {}
  void SetAlphaFlag(bool) override {}
  int SetColorKeyAt(int32_t, int32_t) override { return 0; }
  int SetColorKeyRgb(uint8_t, uint8_t, uint8_t) override { return 0; }
  uint32_t GetColorKey() const override { return kNoColorKey; }
  int32_t GetUserValue1() const override { return 0; }
  int32_t GetUserValue2() const override { return 0; }
};

class AcceptedFactory : public SurfaceFactoryPort {
 public:
  std::unique_ptr<SurfacePort> CreateSurface() override { return std::make_unique<AcceptedSurface>(); }
  std::unique_ptr<SurfacePort> CreateSurface(int32_t, int32_t, int32_t) override { return nullptr; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  AcceptedFactory factory;
  LagAnimationPool pool;
  LagAnimationPool::Object* animation = nullptr;
  if (pool.CreateWith(&animation, [&](LagAnimation& lag) { return lag.LoadFromMemory(data, size, false); },
                      &factory) != 0)
    return 0;
  SpriteCanvas canvas;
  TimerList list;
  const uint32_t sequences = animation->SequenceCount();
  for (uint32_t s = 0; s < sequences && s < 64; ++s) {
    for (int variant = 0; variant < 4; ++variant) {
      LagAnimationTask::Options options;
      options.catchUp = variant % 2 == 0;
      options.removeWhenDone = variant < 2;
      auto* task = new LagAnimationTask();
      if (task->Setup(&list, &canvas, animation, int32_t(s), variant == 3 ? -1 : variant, options) != 0) {
        delete task;
        continue;
      }
      uint32_t tick = 0xFFFFFF00u;
      for (int step = 0; step < 200; ++step) {
        if (step == 3 && variant >= 2) task->RequestChain(1);
        if (task->Step(tick) != 0) break;
        tick += 1 + uint32_t(step * 37 % 500);
      }
      list.Clear();
    }
  }
  return 0;
}
