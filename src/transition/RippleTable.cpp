#include "transition/RippleTable.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace orrivel {

namespace {

constexpr int kListPlaces = 4;
RippleTable* gList[kListPlaces] = {};

int32_t RoundHalfAway(double v) { return int32_t(std::lround(v)); }

// The longer side of the centre, so the map covers both halves: with an
// odd size and the centre in the middle, the side right of it is the
// longer one.
int32_t Extent(int32_t size, int32_t centre) { return std::max(centre, size - centre); }

void FillMap(RippleTable& t) {
  const RippleParams& p = t.params;
  for (int32_t j = 0; j < t.extentY; ++j) {
    const double a = (j + 0.5) * double(p.verticalScale);
    int16_t* row = t.map.get() + int64_t{j} * t.extentX;
    for (int32_t i = 0; i < t.extentX; ++i) {
      const double x = i + 0.5;
      // Only the distance's low bits count; a tall map with a large scale
      // goes past 32 bits.
      const int64_t r = int64_t(std::sqrt(x * x + a * a));
      // A scale too small for a float makes every row's a zero: the angle
      // of a point straight across.
      const double phi = a != 0.0 ? std::atan(x / a) : 1.5707963267948966;
      row[i] = int16_t((int32_t(r & (p.wavelength - 1)) * 32) - int32_t(phi * -20.37183283048646));
    }
  }
}

void FillDisplacement(RippleTable& t) {
  const int32_t wl = t.params.wavelength;
  int32_t profile[128];
  for (int32_t k = 0; k < wl; ++k) {
    const double theta = k * (1.0 / wl) * -6.2831852717958645;
    double v = (std::sin(theta) + 0.2 * std::sin(2 * theta - 2.0)) * 0.8403361344537815;
    v = std::fmin(std::fmax(v * v, -1.0), 1.0);
    profile[k] = RoundHalfAway(v * 2048);
  }
  int32_t ca[32], sa[32];
  for (int n = 0; n < 32; ++n) {
    const double psi = 1.5707963179489661 - (n + 0.5) * 0.04908738493590519;
    ca[n] = RoundHalfAway(std::cos(psi) * 2048);
    sa[n] = RoundHalfAway(std::sin(psi) * 2048);
  }
  const int32_t steps = 4 * t.params.ringCount;
  for (int32_t r = 0; r < steps; ++r) {
    for (int32_t k = 0; k < wl; ++k) {
      const int32_t d = (profile[k] * (r * 256)) >> 10;
      int16_t* out = t.displacement.get() + int64_t{r} * wl * 64 + k * 32;
      for (int n = 0; n < 32; ++n) {
        const auto dx = uint8_t(int8_t((ca[n] * d) >> 22));
        const auto dy = uint8_t(int8_t((sa[n] * d) >> 22));
        out[n] = out[n + wl * 32] = int16_t(uint16_t(dx << 8 | dy));
      }
    }
  }
}

}  // namespace

std::unique_ptr<RippleTable> BuildRippleTable(const RippleParams& params) {
  std::unique_ptr<RippleTable> t(new (std::nothrow) RippleTable);
  if (!t) return nullptr;
  t->params = params;
  t->extentX = Extent(params.width, params.centreX);
  t->extentY = Extent(params.height, params.centreY);
  t->map.reset(new (std::nothrow) int16_t[size_t(t->extentX) * size_t(t->extentY)]);
  t->displacement.reset(
      new (std::nothrow) int16_t[size_t(4 * params.ringCount) * size_t(params.wavelength) * 64]);
  if (!t->map || !t->displacement) return nullptr;
  FillMap(*t);
  FillDisplacement(*t);
  return t;
}

RippleTable* AcquireRippleTable(const RippleParams& params) {
  for (int place = 0; place < kListPlaces; ++place) {
    RippleTable* found = gList[place];
    if (found == nullptr || !(found->params == params)) continue;
    for (int i = place; i > 0; --i) gList[i] = gList[i - 1];
    gList[0] = found;
    ++found->references;
    return found;
  }
  std::unique_ptr<RippleTable> built = BuildRippleTable(params);
  if (!built) return nullptr;
  if (gList[kListPlaces - 1] != nullptr) ReleaseRippleTable(gList[kListPlaces - 1]);
  for (int i = kListPlaces - 1; i > 0; --i) gList[i] = gList[i - 1];
  gList[0] = built.release();
  gList[0]->references = 2;  // the list's and the caller's
  return gList[0];
}

void ReleaseRippleTable(RippleTable* table) {
  if (table == nullptr) return;
  if (table->references <= 1) {
    delete table;
    return;
  }
  --table->references;
}

void ReleaseListedRippleTables() {
  for (RippleTable*& place : gList) {
    ReleaseRippleTable(place);
    place = nullptr;
  }
}

const RippleTable* ListedRippleTable(int place) {
  return place >= 0 && place < kListPlaces ? gList[place] : nullptr;
}

}  // namespace orrivel
