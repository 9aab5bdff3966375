#include "effect/SpritePartAnimation.h"

#include <memory>

#include "effect/PartRecord.h"

namespace orrivel {

int32_t SpritePartAnimation::SetupFromKeys(ImageSprite* sprite, uint32_t duration, bool loop,
                                           const PartRecord& part) {
  if (sprite == nullptr || duration == 0) return 1;
  const int32_t count = int32_t(part.keys.size());
  std::unique_ptr<PathRecord[]> records(new PathRecord[part.keys.size() + 1]);
  int32_t points = 0;
  for (int32_t i = 0; i < count; ++i) {
    records[size_t(i)] = part.keys[size_t(i)];
    if (part.keys[size_t(i)].kind == PathRecord::kPoint) ++points;
  }
  path_.SetDefaultSegmentTime(int32_t(duration));
  if (path_.SetRecords(std::move(records), count, points, part.spline ? 1 : 0) != 0) return 2;
  path_.SetSummary(part.summary);
  ResetState(sprite, duration);
  // A looping list with no key after the first would run its commands
  // forever without reaching a segment; it plays once instead.
  loop_ = loop && points > 1;
  PrepareSprite();
  if (rotationActive_) ApplyKey(path_.Records()[0], 0.0);
  return 0;
}

}  // namespace orrivel
