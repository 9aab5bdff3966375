#pragma once
// The system pictures and the bar's button layout of a run, written into
// a picture folder: a 1280 x 200 window frame, the bar, two cursor strips,
// the name plate and ten buttons of four cells each.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "../scene/PictureFolder.h"
#include "elg/ElgWriter.h"
#include "layout/LayoutWriter.h"

namespace orrivel::test {

// A 32-bit picture of one colour.
inline std::vector<uint8_t> SolidPicture(uint16_t width, uint16_t height, uint32_t bgra) {
  tools::ElgImage image;
  image.depth = 32;
  image.width = width;
  image.height = height;
  for (uint32_t i = 0; i < uint32_t(width) * height; ++i)
    for (int b = 0; b < 4; ++b) image.pixels.push_back(uint8_t(bgra >> (8 * b)));
  return tools::EncodeElg(image, tools::ElgHeaderVariant::kDepthOnly);
}

// A strip of cells side by side, each of one colour.
inline std::vector<uint8_t> StripPicture(uint16_t cellWidth, uint16_t height, std::initializer_list<uint32_t> cells) {
  tools::ElgImage image;
  image.depth = 32;
  image.width = uint16_t(cellWidth * cells.size());
  image.height = height;
  for (uint32_t y = 0; y < height; ++y)
    for (uint32_t bgra : cells)
      for (uint32_t x = 0; x < cellWidth; ++x)
        for (int b = 0; b < 4; ++b) image.pixels.push_back(uint8_t(bgra >> (8 * b)));
  return tools::EncodeElg(image, tools::ElgHeaderVariant::kDepthOnly);
}

// The history screen's pictures: a dimmed background, the separator, the
// voice mark (resting, under the pointer), the close button's two cells
// and the scroll bar's thumb and arrows of three cells each.
inline constexpr const char* kHistoryPictures[] = {"SYS/TH_BASE.ELG", "SYS/TH_LINE.ELG", "SYS/TH_VOICE.ELG",
                                                   "SYS/TH_RET.ELG",  "SYS/TH_BAR.ELG",  "SYS/TH_UP.ELG",
                                                   "SYS/TH_DOWN.ELG"};
// Into any folder that writes files by name (a PictureFolder, a game's).
template <class Folder>
void WriteHistoryPictures(Folder& pictures, const std::string& leaveOut = "") {
  const std::vector<uint8_t> files[] = {
      SolidPicture(1280, 720, 0xC0101828),
      SolidPicture(758, 2, 0xFFB0C0E0),
      StripPicture(33, 35, {0xFF40C040, 0xFFFFF000}),
      StripPicture(48, 28, {0xFF304060, 0xFF506890}),
      StripPicture(24, 40, {0xFF6080A0, 0xFF80A0C0, 0xFF405060}),
      StripPicture(24, 24, {0xFF304060, 0xFF506890, 0xFF203050}),
      StripPicture(24, 24, {0xFF304060, 0xFF506890, 0xFF203050}),
  };
  for (size_t i = 0; i < std::size(files); ++i)
    if (leaveOut != kHistoryPictures[i]) pictures.Write(kHistoryPictures[i], files[i]);
}

// Into any folder that writes files by name (a PictureFolder, a game's).
template <class Folder>
void WriteRunPictures(Folder& pictures) {
  pictures.Write("SYS/MS_FRM.ELG", SolidPicture(1280, 200, 0xFF102030));
  pictures.Write("SYS/MS_BAR.ELG", SolidPicture(1280, 32, 0xFF405060));
  pictures.Write("SYS/MS_CUR0.ELG", SolidPicture(32, 32, 0xFF708090));
  pictures.Write("SYS/MS_CUR1.ELG", SolidPicture(48, 32, 0xFF708090));
  pictures.Write("SYS/MS_NAME.ELG", SolidPicture(240, 40, 0xFF283848));
  tools::LgmDocument layout;
  for (int i = 0; i < 10; ++i) {
    pictures.Write("SYS/BTN" + std::to_string(i) + ".ELG", SolidPicture(4 * 24, 24, 0xFF00FF00u + uint32_t(i)));
    layout.parts.push_back({"BTN" + std::to_string(i) + ".ELG", 1, int16_t(600 + 30 * i), 690, 255, 1, 24, 24, 0});
  }
  pictures.Write("SYS/SYS_FRAM.GMP", tools::WriteLgm(layout, tools::LgmForm::kControl));
}

}  // namespace orrivel::test
