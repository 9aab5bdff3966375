#include "transition/TransitionSheet.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <memory>
#include <optional>
#include <sstream>

#include "platform/SoftSurface.h"
#include "transition/OffscreenDisplay.h"
#include "transition/RunTransition.h"
#include "transition/TransitionRandom.h"

namespace orrivel::tools {

namespace {

constexpr uint32_t kKeyColor = 0x00FF00FFu;
constexpr uint32_t kLightSquare = 0xFFC8C8C8u;
constexpr uint32_t kDarkSquare = 0xFF787878u;
constexpr int32_t kCheckerSize = 4;
constexpr int32_t kGap = 2;  // between cells, in the sheet's background colour
constexpr uint32_t kSheetBackground = 0xFF000000u;
// The random modes draw the same numbers in every sheet.
constexpr uint32_t kSheetSeed = 1;

uint32_t SamplePixel(int32_t x, int32_t y, int32_t width, int32_t height, bool withAlpha) {
  const int32_t barLeft = width / 4, barRight = barLeft + std::max(1, width / 8);
  const int32_t keyLeft = width * 5 / 8, keyTop = height / 2, keySide = std::max(1, std::min(width, height) / 4);
  if (x >= keyLeft && x < keyLeft + keySide && y >= keyTop && y < keyTop + keySide) return kKeyColor;
  const uint32_t alpha = withAlpha ? uint32_t(255 * x / std::max(1, width - 1)) : 0xFFu;
  if (x >= barLeft && x < barRight && y < height * 3 / 4) return alpha << 24 | 0xFFFFFFu;
  const uint32_t red = uint32_t(255 * x / std::max(1, width - 1));
  const uint32_t green = uint32_t(255 * y / std::max(1, height - 1));
  return alpha << 24 | red << 16 | green << 8 | 0x60u;
}

uint32_t CheckerPixel(int32_t x, int32_t y) {
  return ((x / kCheckerSize + y / kCheckerSize) & 1) != 0 ? kDarkSquare : kLightSquare;
}

// The sample and the cell as 32-bit surfaces (back ends 0 and 1).
struct SurfaceCell {
  Surface sample;
  Surface cell;
};

// The same as X8R8G8B8 surface images (back end 2).
struct BlitCell {
  OffscreenDisplay display;
  std::unique_ptr<SurfaceImage> sample;
  std::unique_ptr<SurfaceImage> cell;
};

void PaintSurface(Surface& surface, bool sample, bool withAlpha) {
  for (int32_t y = 0; y < surface.GetHeight(); ++y)
    for (int32_t x = 0; x < surface.GetWidth(); ++x)
      surface.SetPixel(x, y, sample ? SamplePixel(x, y, surface.GetWidth(), surface.GetHeight(), withAlpha)
                                    : CheckerPixel(x, y));
}

bool PaintBlit(platform::SoftSurface& surface, bool sample) {
  platform::SurfaceLock lock;
  if (surface.Lock(nullptr, &lock) != platform::kSurfaceOk) return false;
  for (int32_t y = 0; y < lock.height; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(lock.bits + size_t(y) * size_t(lock.pitch));
    for (int32_t x = 0; x < lock.width; ++x)
      row[x] = (sample ? SamplePixel(x, y, lock.width, lock.height, false) : CheckerPixel(x, y)) & 0xFFFFFFu;
  }
  surface.Unlock();
  return true;
}

// Copies the blit cell into the sheet at (left, top), opaque.
bool PlaceBlitCell(platform::SoftSurface& cell, Surface* sheet, int32_t left, int32_t top) {
  platform::SurfaceLock lock;
  if (cell.Lock(nullptr, &lock) != platform::kSurfaceOk) return false;
  for (int32_t y = 0; y < lock.height; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(lock.bits + size_t(y) * size_t(lock.pitch));
    for (int32_t x = 0; x < lock.width; ++x) sheet->SetPixel(left + x, top + y, 0xFF000000u | row[x]);
  }
  cell.Unlock();
  return true;
}

}  // namespace

int RenderSheet(const SheetRequest& request, Surface* sheet) {
  if (request.modes.empty() || request.progress.empty() || request.width < 1 || request.height < 1 ||
      request.margin < 0 || request.backend < 0 || request.backend > 2)
    return 1;
  const int32_t cellWidth = request.width + 2 * request.margin;
  const int32_t cellHeight = request.height + 2 * request.margin;
  const int32_t columns = int32_t(request.progress.size()), rows = int32_t(request.modes.size());
  if (sheet->Create(columns * (cellWidth + kGap) + kGap, rows * (cellHeight + kGap) + kGap, 32, 0) != 0)
    return 2;
  sheet->FillColor(kSheetBackground, nullptr, nullptr);

  SurfaceCell surfaces;
  std::optional<BlitCell> blits;
  if (request.backend == 2) {
    blits.emplace();
    blits->sample = blits->display.MakeImage(request.width, request.height, platform::SurfaceFormat::X8R8G8B8);
    blits->cell = blits->display.MakeImage(cellWidth, cellHeight, platform::SurfaceFormat::X8R8G8B8);
    if (!blits->sample || !blits->cell || !PaintBlit(*blits->sample->GetDisplaySurface(), true)) return 2;
    blits->sample->SetColorKeyRgb(0xFF, 0x00, 0xFF);
  } else {
    if (surfaces.sample.Create(request.width, request.height, 32, 0) != 0 ||
        surfaces.cell.Create(cellWidth, cellHeight, 32, 0) != 0)
      return 2;
    PaintSurface(surfaces.sample, true, request.backend == 1);
    if (request.backend == 0) surfaces.sample.SetColorKeyRgb(0xFF, 0x00, 0xFF);
  }

  for (int32_t row = 0; row < rows; ++row) {
    for (int32_t column = 0; column < columns; ++column) {
      const int32_t left = kGap + column * (cellWidth + kGap), top = kGap + row * (cellHeight + kGap);
      TransitionRandom::Instance().Seed(kSheetSeed);
      const uint32_t mode = request.modes[size_t(row)];
      const int32_t progress = request.progress[size_t(column)];
      if (request.backend == 2) {
        platform::SoftSurface& cell = *blits->cell->GetDisplaySurface();
        if (!PaintBlit(cell, false)) return 2;
        RunTransition(mode, blits->cell.get(), blits->sample.get(), progress, request.margin, request.margin, 0,
                      nullptr);
        if (!PlaceBlitCell(cell, sheet, left, top)) return 2;
      } else {
        PaintSurface(surfaces.cell, false, false);
        RunTransition(mode, &surfaces.cell, &surfaces.sample, progress, request.margin, request.margin,
                      request.backend, nullptr);
        sheet->Copy(&surfaces.cell, left, top, nullptr, false);
      }
    }
  }
  return 0;
}

bool ParseList(const std::string& text, std::vector<int32_t>* out) {
  out->clear();
  std::stringstream stream(text);
  std::string item;
  while (std::getline(stream, item, ',')) {
    char* end = nullptr;
    const long value = std::strtol(item.c_str(), &end, 10);
    if (item.empty() || *end != '\0' || value < INT32_MIN || value > INT32_MAX) return false;
    out->push_back(int32_t(value));
  }
  return !out->empty();
}

}  // namespace orrivel::tools
