#pragma once
// The system pictures and the bar's button layout of a run, written into
// a picture folder: a 1280 x 200 window frame, the bar, two cursor strips,
// the name plate and ten buttons of four cells each.
#include <cstdint>
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

inline void WriteRunPictures(PictureFolder& pictures) {
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
