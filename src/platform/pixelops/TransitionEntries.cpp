// Entries of the named transitions: a colour fill and a colour blend over a
// rectangle, the cross blend of two pictures and the rule blend through an
// 8-bit rule image (arithmetic stated in raster/PixelOpEntries.h).

#include <algorithm>

#include "platform/pixelops/BlendRows.h"
#include "platform/pixelops/Entries.h"

namespace pixelops {

using orrivel::PixelOpImage;
using orrivel::Rect;

namespace {

// A band of width x height placed at an origin in each image it touches,
// cut so that every origin + offset stays inside its image.
struct Band {
  int64_t i0 = 0, i1 = 0, j0 = 0, j1 = 0;
  bool Empty() const { return i0 >= i1 || j0 >= j1; }
  void CutTo(const PixelOpImage* image, int64_t x, int64_t y) {
    i0 = std::max(i0, -x);
    i1 = std::min(i1, int64_t{image->width} - x);
    j0 = std::max(j0, -y);
    j1 = std::min(j1, int64_t{image->height} - y);
  }
};

bool Usable8(const PixelOpImage* image) {
  return image != nullptr && image->bits != nullptr && image->bitsPerPixel == 8 &&
         image->width > 0 && image->height > 0 && image->pitch >= image->width;
}

// The rectangle cut to the image; false when nothing is left.
bool CutRect(const PixelOpImage* target, const Rect* rect, Rect* out) {
  if (rect == nullptr) return false;
  out->left = std::max(rect->left, 0);
  out->top = std::max(rect->top, 0);
  out->right = std::min(rect->right, target->width);
  out->bottom = std::min(rect->bottom, target->height);
  return out->left < out->right && out->top < out->bottom;
}

void SetChanged(const Band& band, int64_t x, int64_t y) {
  if (band.Empty()) {
    ChangedRect() = {};
    return;
  }
  ChangedRect() = {int32_t(x + band.i0), int32_t(y + band.j0), int32_t(x + band.i1),
                   int32_t(y + band.j1)};
}

}  // namespace

void RuleWeights(uint8_t weights[256], int32_t level, int32_t vague) {
  const int64_t v = std::max(vague, 1);
  const int64_t t = int64_t{std::clamp(level, 0, 255)} * (255 + v) / 255;
  for (int64_t r = 0; r < 256; ++r) weights[r] = uint8_t(std::clamp<int64_t>((t - r) * 255 / v, 0, 255));
}

int32_t FillRect(const PixelOpImage* target, uint32_t color, const Rect* rect) {
  if (!Usable32(target)) return 0;
  Rect r;
  if (!CutRect(target, rect, &r)) {
    ChangedRect() = {};
    return 1;
  }
  const uint32_t colour = color & 0xFFFFFFu;
  for (int32_t y = r.top; y < r.bottom; ++y) {
    uint32_t* row = Row32(target, y);
    for (int32_t x = r.left; x < r.right; ++x) row[x] = (row[x] & 0xFF000000u) | colour;
  }
  ChangedRect() = r;
  return 1;
}

int32_t BlendColor(const PixelOpImage* target, uint32_t color, int32_t level, const Rect* rect) {
  if (!Usable32(target) || level < 0 || level > 255) return 0;
  Rect r;
  if (!CutRect(target, rect, &r) || level == 0) {
    ChangedRect() = {};
    return 1;
  }
  for (int32_t y = r.top; y < r.bottom; ++y) {
    uint32_t* row = Row32(target, y);
    for (int32_t x = r.left; x < r.right; ++x) row[x] = Mix(row[x], color, uint32_t(level));
  }
  ChangedRect() = r;
  return 1;
}

int32_t CrossBlend(const PixelOpImage* target, const PixelOpImage* from, const PixelOpImage* to,
                   int32_t level, int32_t, int32_t destX, int32_t destY, int32_t width,
                   int32_t height, int32_t fromX, int32_t fromY, int32_t toX, int32_t toY) {
  if (!Usable32(target) || !Usable32(from) || !Usable32(to) || level < 0 || level > 255)
    return kRefused;
  Band band{0, std::max(width, 0), 0, std::max(height, 0)};
  band.CutTo(target, destX, destY);
  band.CutTo(from, fromX, fromY);
  band.CutTo(to, toX, toY);
  for (int64_t j = band.j0; j < band.j1; ++j) {
    uint32_t* out = Row32(target, destY + j) + destX;
    const uint32_t* a = Row32(from, fromY + j) + fromX;
    const uint32_t* b = Row32(to, toY + j) + toX;
    for (int64_t i = band.i0; i < band.i1; ++i) out[i] = Mix(a[i], b[i], uint32_t(level));
  }
  SetChanged(band, destX, destY);
  return kDone;
}

int32_t BlendRows(uint32_t* destination, const uint32_t* from, const uint32_t* to, int32_t count,
                  int32_t level) {
  if (destination == nullptr || from == nullptr || to == nullptr || level < 0 || level > 255)
    return kRefused;
  for (int32_t i = 0; i < count; ++i) destination[i] = Mix(from[i], to[i], uint32_t(level));
  return kDone;
}

int32_t RuleBlend(const PixelOpImage* target, const PixelOpImage* from, const PixelOpImage* to,
                  const PixelOpImage* rule, int32_t level, int32_t vague, int32_t, int32_t destX,
                  int32_t destY, int32_t width, int32_t height, int32_t fromX, int32_t fromY,
                  int32_t toX, int32_t toY, int32_t areaX, int32_t areaY) {
  if (!Usable32(target) || !Usable32(from) || !Usable32(to) || !Usable8(rule) || level < 0 ||
      level > 255)
    return kRefused;
  Band band{0, std::max(width, 0), 0, std::max(height, 0)};
  band.CutTo(target, destX, destY);
  band.CutTo(from, fromX, fromY);
  band.CutTo(to, toX, toY);
  band.CutTo(rule, areaX, areaY);
  uint8_t weights[256];
  RuleWeights(weights, level, vague);
  for (int64_t j = band.j0; j < band.j1; ++j) {
    uint32_t* out = Row32(target, destY + j) + destX;
    const uint32_t* a = Row32(from, fromY + j) + fromX;
    const uint32_t* b = Row32(to, toY + j) + toX;
    const uint8_t* r = rule->bits + (areaY + j) * rule->pitch + areaX;
    for (int64_t i = band.i0; i < band.i1; ++i) out[i] = Mix(a[i], b[i], weights[r[i]]);
  }
  SetChanged(band, destX, destY);
  return kDone;
}

}  // namespace pixelops
