#include "effect/OverlayTarget.h"

#include <charconv>
#include <cstring>

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

double DecimalCell(const ObjectArguments& cells, std::size_t index, double fallback) {
  const std::optional<std::string> given = cells.Text(index);
  if (!given) return fallback;
  const char* text = given->c_str();
  const char* end = text + std::strlen(text);
  while (text < end && (*text == ' ' || *text == '\t')) ++text;
  // from_chars takes no plus sign and ignores the locale.
  if (text < end && *text == '+') ++text;
  double value = 0;
  const auto result = std::from_chars(text, end, value, std::chars_format::general);
  return result.ec == std::errc() ? value : fallback;
}

}  // namespace orrivel
