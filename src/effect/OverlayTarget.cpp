#include "effect/OverlayTarget.h"

namespace orrivel {

OverlayPages FindOverlayPages(LayerHost* host) {
  OverlayPages pages;
  if (host == nullptr) return pages;
  pages.host = host;
  pages.screen = host->GetScreenSurface();
  pages.first = host->GetFirstPage();
  if (BackgroundLayer* second = host->GetSecondPageObject()) pages.second = second->GetLayerCanvas();
  return pages;
}

double DecimalCell(const ObjectArguments& cells, std::size_t index, double fallback, const DecimalRange& range) {
  const std::optional<std::string> given = cells.Text(index);
  return given ? range.Read(*given, fallback) : fallback;
}

}  // namespace orrivel
