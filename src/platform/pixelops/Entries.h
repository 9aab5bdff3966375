#pragma once
// Operations of the pixel-operation library, placed into its table by
// PixelOps.cpp. Each leaves what it changed in ChangedRect().
#include <algorithm>

#include "raster/PixelOpEntries.h"

namespace pixelops {

orrivel::Rect& ChangedRect();

// Results of the entries that answer 0 on success.
inline constexpr int32_t kDone = 0;
inline constexpr int32_t kRefused = 1;

// A 32-bit image with pixels, a size and rows long enough for it.
inline bool Usable32(const orrivel::PixelOpImage* image) {
  return image != nullptr && image->bits != nullptr && image->bitsPerPixel == 32 &&
         image->width > 0 && image->height > 0 && int64_t{image->pitch} >= int64_t{image->width} * 4;
}

inline uint32_t* Row32(const orrivel::PixelOpImage* image, int64_t y) {
  return reinterpret_cast<uint32_t*>(image->bits + y * image->pitch);
}

// The transformed draws' box cut by their clip: one that is no rectangle
// (or none) leaves the box whole.
inline orrivel::Rect ClipBox(const orrivel::Rect& box, const orrivel::Rect* clip) {
  if (clip == nullptr || clip->right <= clip->left || clip->bottom <= clip->top) return box;
  return {std::max(box.left, clip->left), std::max(box.top, clip->top), std::min(box.right, clip->right),
          std::min(box.bottom, clip->bottom)};
}

int32_t StretchDraw(const orrivel::PixelOpImage* target, const orrivel::PixelOpImage* source,
                    int32_t destX, int32_t destY, int32_t destWidth, int32_t destHeight,
                    int32_t sourceX, int32_t sourceY, int32_t sourceWidth, int32_t sourceHeight,
                    int32_t mode, int32_t smoothing, int32_t opacity, int32_t reserved);
int32_t TransformDraw(const orrivel::PixelOpImage* target, const orrivel::PixelOpImage* source,
                      double x0, double y0, double x1, double y1, double x2, double y2,
                      const orrivel::Rect* sourceRect, int32_t mode, int32_t reserved,
                      int32_t opacity, int32_t flag1, int32_t flag2, int32_t word,
                      const orrivel::Rect* clip);
int32_t SpriteBlend(const orrivel::PixelOpImage* target, const orrivel::PixelOpImage* source,
                    int32_t x, int32_t y, const orrivel::Rect* sourceRect, int32_t mode,
                    int32_t opacity, int32_t reserved);
int32_t SpriteStretch(const orrivel::PixelOpImage* target, const orrivel::PixelOpImage* source,
                      const orrivel::Rect* destRect, int32_t r1, int32_t r2,
                      const orrivel::Rect* sourceRect, int32_t mode, int32_t resampling,
                      int32_t opacity, int32_t r3);
int32_t SpriteRotate(const orrivel::PixelOpImage* target, const orrivel::PixelOpImage* source,
                     const orrivel::PixelOpCorners* corners, const orrivel::Rect* sourceRect,
                     int32_t mode, int32_t resampling, int32_t opacity, int32_t r1, int32_t fill,
                     uint32_t color, const orrivel::Rect* destRect);
int32_t AffineDraw(const orrivel::PixelOpImage* target, const orrivel::PixelOpImage* source, int32_t a,
                   int32_t b, int32_t c, int32_t d, int32_t tx, int32_t ty, const orrivel::Rect* sourceRect,
                   int32_t mode, int32_t reserved, int32_t opacity, int32_t flag1, int32_t flag2,
                   int32_t word, const orrivel::Rect* clip);
int32_t BoxBlur(const orrivel::PixelOpImage* target, int32_t across, int32_t down, int32_t flag,
                const orrivel::Rect* rect);
int32_t FillRect(const orrivel::PixelOpImage* target, uint32_t color, const orrivel::Rect* rect);
int32_t BlendColor(const orrivel::PixelOpImage* target, uint32_t color, int32_t level,
                   const orrivel::Rect* rect);
int32_t CrossBlend(const orrivel::PixelOpImage* target, const orrivel::PixelOpImage* from,
                   const orrivel::PixelOpImage* to, int32_t level, int32_t reserved, int32_t destX,
                   int32_t destY, int32_t width, int32_t height, int32_t fromX, int32_t fromY,
                   int32_t toX, int32_t toY);
int32_t RuleBlend(const orrivel::PixelOpImage* target, const orrivel::PixelOpImage* from,
                  const orrivel::PixelOpImage* to, const orrivel::PixelOpImage* rule, int32_t level,
                  int32_t vague, int32_t reserved, int32_t destX, int32_t destY, int32_t width,
                  int32_t height, int32_t fromX, int32_t fromY, int32_t toX, int32_t toY,
                  int32_t areaX, int32_t areaY);
int32_t BlendRows(uint32_t* destination, const uint32_t* from, const uint32_t* to, int32_t count,
                  int32_t level);
// The weight of each rule value at a level and vague width.
void RuleWeights(uint8_t weights[256], int32_t level, int32_t vague);
int32_t MirrorLeftRight32(const orrivel::PixelOpImage* target, int32_t reserved, const orrivel::Rect* rect);
int32_t MirrorLeftRight8(const orrivel::PixelOpImage* target, int32_t reserved, const orrivel::Rect* rect);
int32_t MirrorUpsideDown32(const orrivel::PixelOpImage* target, int32_t reserved, const orrivel::Rect* rect);
int32_t MirrorUpsideDown8(const orrivel::PixelOpImage* target, int32_t reserved, const orrivel::Rect* rect);

}  // namespace pixelops
