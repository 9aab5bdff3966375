// Reads arbitrary text as a path against a canvas background and as action
// keys. The path's two passes and Evaluate share one scanner, so they must
// agree on every text: what fills also counts, and Evaluate fails exactly
// where Parse does.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "raster/Surface.h"
#include "scene/SplinePath.h"
#include "scene/SpriteActions.h"
#include "scene/SpriteCanvas.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::unique_ptr<char[]> text(new char[size + 1]);
  if (size != 0) std::memcpy(text.get(), data, size);
  text[size] = '\0';

  static orrivel::Surface target;
  static orrivel::Surface background;
  static orrivel::SpriteCanvas canvas;
  static const bool ready = target.Create(32, 24, 32, 0) == 0 && background.Create(48, 40, 32, 0) == 0 &&
                            canvas.SetTarget(&target, 0) == 0 &&
                            canvas.SetBackgroundImage(&background, 0, 0, 0) == 1;
  if (!ready) std::abort();

  orrivel::SplinePath path;
  const int parsed = path.Parse(text.get(), nullptr, &canvas);
  int32_t x = 0, y = 0;
  const int evaluated = orrivel::SplinePath::Evaluate(text.get(), &x, &y, nullptr, &canvas, nullptr, nullptr,
                                                      nullptr, nullptr, nullptr, nullptr);
  const bool empty = parsed == orrivel::SplinePath::kNoCommand;
  if ((parsed == 0 || empty) != (evaluated == 0)) std::abort();
  if (parsed == 0) {
    if (path.RecordCount() < 2) std::abort();
    int32_t points = 0;
    for (int32_t i = 0; i < path.RecordCount(); ++i) {
      const orrivel::PathRecord& r = path.Records()[i];
      if (r.kind > orrivel::PathRecord::kPivot) std::abort();
      if (r.kind == orrivel::PathRecord::kPoint && r.pointNumber != points++) std::abort();
    }
    if (path.LastPoint() >= path.RecordCount()) std::abort();
    if (path.LastPoint() > 0 && (path.Records()[path.LastPoint()].value1 != x ||
                                 path.Records()[path.LastPoint()].value2 != y)) {
      std::abort();
    }
  }

  orrivel::SpritePathAction action(100, 0, 0, 0.0, 1, 1, 0, 0);
  const int loaded = action.Load(text.get());
  if (loaded == 0 && action.KeyCount() < 3) std::abort();
  return 0;
}
