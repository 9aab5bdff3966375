// Reads the input as an LAG animation and plays every sequence with the
// sequence task on a sprite canvas: forever, with loops, chained to the
// next sequence and held, with and without catch-up, over ticks that run
// across the 32-bit wrap. Pictures are accepted without being decoded, so
// the walk reaches every record the file describes.
#include <cstdint>
#include <memory>

#include "FuzzPictures.h"
#include "base/TimerList.h"
#include "natives/LagAnimationTask.h"
#include "natives/ObjectPool.h"
#include "resource/LagAnimation.h"
#include "scene/SpriteCanvas.h"

namespace {

using namespace orrivel;

class AcceptedFactory : public SurfaceFactoryPort {
 public:
  std::unique_ptr<SurfacePort> CreateSurface() override { return std::make_unique<fuzz::PlaceholderSurface>(); }
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
