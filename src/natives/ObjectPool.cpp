#include "natives/ObjectPool.h"

#include "resource/AnimationPlayer.h"
#include "resource/FileObject.h"
#include "resource/LadAnimation.h"
#include "resource/LagAnimation.h"

namespace orrivel {

int32_t FilePool::Create(Object** out) {
  return CreateWith(out, [](Object&) { return 0; });
}

int32_t LagAnimationPool::Create(Object** out, SurfaceFactoryPort* surfaces, std::string_view fileName,
                                 bool indexed) {
  return CreateWith(
      out, [&](Object& animation) { return int32_t(animation.Load(fileName, indexed)); }, surfaces);
}

int32_t LadAnimationPool::Create(Object** out, std::string_view fileName) {
  return CreateWith(out, [&](Object& animation) { return int32_t(animation.Load(fileName)); });
}

int32_t AnimationPlayerPool::Create(Object** out, const LoadArgs& a) {
  return CreateWith(
      out,
      [&](Object& player) {
        return int32_t(player.LoadImage(a.fileName, a.cellCount, a.owner, a.sprite, a.surface, a.originX, a.originY,
                                        a.option, a.mode, a.flag, a.indexed, a.colorKey));
      },
      a.surfaces);
}

}  // namespace orrivel
