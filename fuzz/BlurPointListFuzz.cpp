// Reads a blur point list from arbitrary text (zero-terminated), then walks
// a path through the points it gives. The count must match the points, and
// a spline through them must come back with one moment per point.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "effect/BgBlurAction.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::unique_ptr<char[]> text(new char[size + 1]);
  if (size != 0) std::memcpy(text.get(), data, size);
  text[size] = '\0';
  std::vector<orrivel::BlurPoint> points;
  const int32_t count = orrivel::ParseBlurPointList(text.get(), &points);
  if (count == -2) return 0;
  if (count < 2 || size_t(count) != points.size()) std::abort();
  std::vector<double> xs;
  for (const orrivel::BlurPoint& p : points) xs.push_back(p.x);
  if (orrivel::NaturalSplineMoments(xs).size() != xs.size()) std::abort();
  return 0;
}
