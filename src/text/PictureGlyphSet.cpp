#include "text/PictureGlyphSet.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "base/MathTables.h"
#include "raster/Surface.h"
#include "text/GlyphFilters.h"
#include "text/OutlineFont.h"

namespace orrivel {
namespace {

std::unique_ptr<Glyph> CutCell(Surface& strip, int32_t x, int32_t y, int32_t width, int32_t height) {
  auto glyph = std::unique_ptr<Glyph>(new (std::nothrow) Glyph);
  if (!glyph) return nullptr;
  glyph->width = width;
  glyph->height = height;
  glyph->pitch = CoveragePitch(width);
  glyph->map.reset(new (std::nothrow) uint8_t[size_t(glyph->pitch) * size_t(height)]());
  if (!glyph->map) return nullptr;
  for (int32_t r = 0; r < height; ++r) {
    std::memcpy(glyph->map.get() + int64_t(r) * glyph->pitch, strip.GetScanLine(y + r) + x, size_t(width));
  }
  return glyph;
}

std::unique_ptr<Glyph> CopyGlyph(const Glyph& from) {
  auto glyph = std::make_unique<Glyph>();
  glyph->originX = from.originX;
  glyph->originY = from.originY;
  glyph->advanceX = from.advanceX;
  glyph->advanceY = from.advanceY;
  glyph->width = from.width;
  glyph->height = from.height;
  glyph->pitch = from.pitch;
  const size_t bytes = size_t(from.pitch) * size_t(from.height);
  glyph->map = std::make_unique<uint8_t[]>(bytes);
  std::memcpy(glyph->map.get(), from.map.get(), bytes);
  return glyph;
}

}  // namespace

PictureGlyphSet::PictureGlyphSet()
    : edgeStrength_(OutlineFont::kDefaultEdgeStrength),
      edgeWidth_(OutlineFont::kDefaultEdgeWidth),
      edgeWeight_(OutlineFont::kDefaultEdgeWeight) {}

PictureGlyphSet::~PictureGlyphSet() = default;

int PictureGlyphSet::Load(const char* name, int32_t count, int32_t cellWidth, int32_t cellHeight, int32_t which) {
  Surface strip;
  if (!name || strip.LoadImageIndexed(name, nullptr, 0, 0) != 0) return kPictureNoImage;
  return Cut(strip, count, cellWidth, cellHeight, which);
}

int PictureGlyphSet::Cut(Surface& strip, int32_t count, int32_t cellWidth, int32_t cellHeight, int32_t which) {
  Release();
  if (!strip.GetBits() || strip.GetBitsPerPixel() != 8) return kPictureNoImage;
  const int32_t stripWidth = strip.GetWidth(), stripHeight = strip.GetHeight();
  if (count <= 0 || cellWidth <= 0 || cellHeight <= 0) return 0;
  if (cellWidth > stripWidth || cellHeight > stripHeight) return kPictureStripShort;
  int32_t x = 0, y = 0;
  auto fill = [&](Array& array) {
    array.glyphs.clear();
    array.edges.clear();
    for (int32_t i = 0; i < count; ++i) {
      if (x + cellWidth > stripWidth) {
        x = 0;
        y += cellHeight;
      }
      if (y + cellHeight > stripHeight) return kPictureStripShort;
      auto glyph = CutCell(strip, x, y, cellWidth, cellHeight);
      if (!glyph) return kPictureNoMemory;
      array.glyphs.push_back(std::move(glyph));
      x += cellWidth;
    }
    // Outline versions are made on demand; the slots only once every cell fitted.
    array.edges.resize(array.glyphs.size());
    return 0;
  };
  cellWidth_ = cellWidth;
  cellHeight_ = cellHeight;
  int result = 0;
  if (which & kPictureFirstArray) result = fill(first_);
  if (result == 0 && (which & kPictureSecondArray)) {
    if (x != 0) {  // the second array starts on a row of its own
      x = 0;
      y += cellHeight;
    }
    result = fill(second_);
  }
  if (result != 0) {
    Release();
    return result;
  }
  count_ = count;
  SetAngle(angle_);
  return 0;
}

void PictureGlyphSet::Place(Glyph* glyph) const {
  glyph->originX = angle_ == 2700 ? -cellWidth_ : 0;
  glyph->originY = 0;
  const MathTables* tables = GetMathTables();
  if (angle_ == 0 || !tables) {
    glyph->advanceX = cellWidth_;
    glyph->advanceY = 0;
  } else if (angle_ == 2700) {
    glyph->advanceX = 0;
    glyph->advanceY = cellHeight_;
  } else {
    // Along the turned line, the way loading places them (an angle change
    // keeps the same rule, so every angle advances).
    const int32_t k = EscapementIndex(angle_);
    glyph->advanceX = int32_t((int64_t(tables->Cos(k)) * cellWidth_) >> 16);
    glyph->advanceY = int32_t(-(int64_t(tables->Sin(k)) * cellHeight_) >> 16);
  }
}

void PictureGlyphSet::SetAngle(int32_t tenths) {
  angle_ = tenths;
  for (Array* array : {&first_, &second_}) {
    for (auto& glyph : array->glyphs) Place(glyph.get());
  }
  DropEdges();
}

void PictureGlyphSet::SetEdge(int32_t strength, int32_t width, int32_t weight) {
  edgeStrength_ = strength;
  edgeWidth_ = width;
  edgeWeight_ = weight;
  DropEdges();
}

void PictureGlyphSet::DropEdges() {
  for (Array* array : {&first_, &second_}) {
    for (auto& edge : array->edges) edge.reset();
  }
}

void PictureGlyphSet::Release() {
  for (Array* array : {&first_, &second_}) {
    array->glyphs.clear();
    array->edges.clear();
  }
  count_ = 0;
}

Glyph* PictureGlyphSet::GetGlyph(uint32_t number, uint8_t antialias, bool edge) {
  if (number >= uint32_t(count_)) return nullptr;
  const bool hasFirst = !first_.glyphs.empty(), hasSecond = !second_.glyphs.empty();
  Array& array = (antialias != 0 && hasFirst) || (antialias == 0 && !hasSecond) ? first_ : second_;
  if (array.glyphs.empty()) return nullptr;
  Glyph* plain = array.glyphs[number].get();
  if (!edge) return plain;
  std::unique_ptr<Glyph>& outline = array.edges[number];
  if (!outline) {
    outline = CopyGlyph(*plain);
    WeightedOutline(outline.get(), edgeStrength_, std::abs(edgeWidth_), edgeWeight_);
  }
  return outline.get();
}

}  // namespace orrivel
