// Draws the sample game's message-window pictures and writes them, with the
// button layout of the bar, into the folder given on the command line:
// the window frame, the name plate, the choice highlight, the bar, the two
// click-wait cursor strips (4 and 6 cells), ten bar buttons of four cells
// (normal, hover, pressed, disabled) and "SYS_FRAM.GMP" placing them; and
// the thirteen parts of the in-game question box: its corners and edges
// and its five buttons of two cells (normal, hover); the system menu's
// panel, items and layout, the history screen's parts, rule picture 1 and
// the story's two backgrounds.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "elg/ElgWriter.h"
#include "layout/LayoutWriter.h"

namespace {

struct Canvas {
  uint16_t width;
  uint16_t height;
  std::vector<uint32_t> argb;

  Canvas(uint16_t w, uint16_t h, uint32_t fill) : width(w), height(h), argb(size_t(w) * h, fill) {}

  void Fill(int x0, int y0, int x1, int y1, uint32_t colour) {
    for (int y = std::max(y0, 0); y < std::min<int>(y1, height); ++y)
      for (int x = std::max(x0, 0); x < std::min<int>(x1, width); ++x) argb[size_t(y) * width + x] = colour;
  }
  void Frame(int x0, int y0, int x1, int y1, int thickness, uint32_t colour) {
    Fill(x0, y0, x1, y0 + thickness, colour);
    Fill(x0, y1 - thickness, x1, y1, colour);
    Fill(x0, y0, x0 + thickness, y1, colour);
    Fill(x1 - thickness, y0, x1, y1, colour);
  }
  void Disc(int cx, int cy, int radius, uint32_t colour) {
    for (int y = cy - radius; y <= cy + radius; ++y)
      for (int x = cx - radius; x <= cx + radius; ++x)
        if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius) Fill(x, y, x + 1, y + 1, colour);
  }

  std::vector<uint8_t> Elg() const {
    orrivel::tools::ElgImage image;
    image.depth = 32;
    image.width = width;
    image.height = height;
    for (uint32_t pixel : argb)
      for (int b = 0; b < 4; ++b) image.pixels.push_back(uint8_t(pixel >> (8 * b)));
    return orrivel::tools::EncodeElg(image, orrivel::tools::ElgHeaderVariant::kOffset);
  }
};

bool Write(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  return bool(out);
}

// A panel: translucent dark blue inside a light border.
Canvas Panel(uint16_t width, uint16_t height) {
  Canvas c(width, height, 0xC0101830);
  c.Frame(0, 0, width, height, 3, 0xFFB0C0E0);
  c.Frame(5, 5, width - 5, height - 5, 1, 0x80B0C0E0);
  return c;
}

// A cursor strip: a dot that grows and shrinks over its cells.
Canvas CursorStrip(int cells, uint32_t colour) {
  Canvas c(uint16_t(24 * cells), 24, 0);
  for (int i = 0; i < cells; ++i) {
    const int radius = 4 + int(5 * std::sin(3.14159 * i / cells));
    c.Disc(24 * i + 12, 12, radius, colour);
  }
  return c;
}

// A bar button: four 40 x 24 cells, normal, hover, pressed and disabled,
// with a mark of its own (i + 1 short bars).
Canvas Button(int index) {
  const uint32_t faces[] = {0xE0304060, 0xE0506890, 0xE0203050, 0x80303030};
  const uint32_t marks[] = {0xFFFFFFFF, 0xFFFFF000, 0xFFC0C0C0, 0xFF707070};
  Canvas c(160, 24, 0);
  for (int cell = 0; cell < 4; ++cell) {
    const int x0 = 40 * cell;
    c.Fill(x0, 0, x0 + 40, 24, faces[cell]);
    c.Frame(x0, 0, x0 + 40, 24, 1, marks[cell]);
    for (int m = 0; m <= index; ++m) c.Fill(x0 + 4 + 3 * m, 8, x0 + 6 + 3 * m, 16, marks[cell]);
  }
  return c;
}

// A question-box button: two cells of the given width, 32 high, with a
// mark of its own (marks short bars).
Canvas BoxButton(int cellWidth, int marks) {
  Canvas c(uint16_t(2 * cellWidth), 32, 0);
  const uint32_t faces[] = {0xF0203C70, 0xF04070B0};
  for (int cell = 0; cell < 2; ++cell) {
    const int x0 = cellWidth * cell;
    c.Fill(x0, 0, x0 + cellWidth, 32, faces[cell]);
    c.Frame(x0, 0, x0 + cellWidth, 32, 1, 0xFFD0E0FF);
    for (int m = 0; m < marks; ++m) c.Fill(x0 + 10 + 6 * m, 12, x0 + 13 + 6 * m, 20, 0xFFFFFFFF);
  }
  return c;
}

bool WriteQuestionBoxParts(const std::filesystem::path& out) {
  const uint32_t rim = 0xFFB0C0E0, face = 0xE0182848;
  // Corners 25 wide; the top row 19 and the bottom row 66 high.
  auto corner = [&](uint16_t height) {
    Canvas c(25, height, face);
    c.Frame(0, 0, 25, height, 2, rim);
    return c;
  };
  auto bar = [&](uint16_t w, uint16_t h, bool horizontal) {
    Canvas c(w, h, face);
    if (horizontal) {
      c.Fill(0, 0, w, 2, rim);
      c.Fill(0, h - 2, w, h, rim);
    } else {
      c.Fill(0, 0, 2, h, rim);
      c.Fill(w - 2, 0, w, h, rim);
    }
    return c;
  };
  bool ok = Write(out / "IF_LT.ELG", corner(19).Elg()) && Write(out / "IF_RT.ELG", corner(19).Elg()) &&
            Write(out / "IF_LB.ELG", corner(66).Elg()) && Write(out / "IF_RB.ELG", corner(66).Elg());
  ok = ok && Write(out / "IF_TBAR.ELG", bar(1, 19, true).Elg()) && Write(out / "IF_BBAR.ELG", bar(1, 66, true).Elg());
  ok = ok && Write(out / "IF_LBAR.ELG", bar(25, 1, false).Elg()) && Write(out / "IF_RBAR.ELG", bar(25, 1, false).Elg());
  // Set widths: OK 70 alone; OK and CANCEL 101 each, 116 apart; YES and NO
  // 83 each, 125 apart.
  ok = ok && Write(out / "IF_OK2.ELG", BoxButton(70, 1).Elg());
  ok = ok && Write(out / "IF_OK.ELG", BoxButton(101, 1).Elg()) && Write(out / "IF_CANCL.ELG", BoxButton(101, 2).Elg());
  ok = ok && Write(out / "IF_YES.ELG", BoxButton(83, 1).Elg()) && Write(out / "IF_NO.ELG", BoxButton(83, 2).Elg());
  return ok;
}

// The system menu: a panel of 148 x 330 and twelve items of three 132 x 22
// cells (normal, hover, pressed) marked with i + 1 short bars, placed by
// "SM_BG.GMP" 24 pixels apart from 43 down.
bool WriteSystemMenuParts(const std::filesystem::path& out) {
  bool ok = Write(out / "SM_BASE.ELG", Panel(148, 330).Elg());
  orrivel::tools::LgmDocument layout;
  const uint32_t faces[] = {0xE0304060, 0xE0506890, 0xE0203050};
  const uint32_t marks[] = {0xFFFFFFFF, 0xFFFFF000, 0xFFC0C0C0};
  for (int i = 0; i < 12; ++i) {
    Canvas c(3 * 132, 22, 0);
    for (int cell = 0; cell < 3; ++cell) {
      const int x0 = 132 * cell;
      c.Fill(x0, 0, x0 + 132, 22, faces[cell]);
      c.Frame(x0, 0, x0 + 132, 22, 1, marks[cell]);
      for (int m = 0; m <= i; ++m) c.Fill(x0 + 6 + 4 * m, 7, x0 + 8 + 4 * m, 15, marks[cell]);
    }
    const std::string name = "SM_IT" + std::to_string(i) + ".ELG";
    ok = ok && Write(out / name, c.Elg());
    layout.parts.push_back({name, 1, 8, int16_t(43 + 24 * i), 255, 1, 132, 22, 0});
  }
  return ok && Write(out / "SM_BG.GMP", orrivel::tools::WriteLgm(layout, orrivel::tools::LgmForm::kControl));
}

// The history screen: its background, the separator line, the voice mark
// (two 33 x 35 cells), the close button (two cells) and the scroll bar:
// a thumb of three 24-pixel cells (normal, hover, pressed) whose 6-pixel
// ends are kept as it stretches, and two arrow buttons of three cells.
bool WriteHistoryParts(const std::filesystem::path& out) {
  Canvas base(1280, 720, 0xE0101828);
  base.Frame(220, 40, 1002, 696, 2, 0xFFB0C0E0);
  Canvas line(758, 2, 0x80B0C0E0);
  Canvas voice(66, 35, 0);
  voice.Disc(16, 17, 10, 0xFFB0C0E0);
  voice.Disc(49, 17, 12, 0xFFFFF000);
  Canvas close(2 * 48, 28, 0);
  for (int cell = 0; cell < 2; ++cell) {
    close.Fill(48 * cell, 0, 48 * cell + 48, 28, cell ? 0xE0506890 : 0xE0304060);
    close.Frame(48 * cell, 0, 48 * cell + 48, 28, 1, 0xFFD0E0FF);
    for (int d = 0; d < 12; ++d) {
      close.Fill(48 * cell + 18 + d, 8 + d, 48 * cell + 20 + d, 10 + d, 0xFFFFFFFF);
      close.Fill(48 * cell + 30 - d, 8 + d, 48 * cell + 32 - d, 10 + d, 0xFFFFFFFF);
    }
  }
  const uint32_t faces[] = {0xE0304060, 0xE0506890, 0xE0203050};
  Canvas thumb(3 * 24, 40, 0);
  for (int cell = 0; cell < 3; ++cell) {
    thumb.Fill(24 * cell + 2, 0, 24 * cell + 22, 40, faces[cell]);
    thumb.Frame(24 * cell + 2, 0, 24 * cell + 22, 40, 1, 0xFFB0C0E0);
  }
  auto arrow = [&faces](bool up) {
    Canvas c(3 * 24, 24, 0);
    for (int cell = 0; cell < 3; ++cell) {
      c.Fill(24 * cell, 0, 24 * cell + 24, 24, faces[cell]);
      for (int r = 0; r < 8; ++r) {
        const int y = up ? 8 + r : 15 - r;
        c.Fill(24 * cell + 12 - r, y, 24 * cell + 12 + r, y + 1, 0xFFFFFFFF);
      }
    }
    return c;
  };
  return Write(out / "TH_BASE.ELG", base.Elg()) && Write(out / "TH_LINE.ELG", line.Elg()) &&
         Write(out / "TH_VOICE.ELG", voice.Elg()) && Write(out / "TH_RET.ELG", close.Elg()) &&
         Write(out / "TH_BAR.ELG", thumb.Elg()) && Write(out / "TH_UP.ELG", arrow(true).Elg()) &&
         Write(out / "TH_DOWN.ELG", arrow(false).Elg());
}

// Rule picture 1: an 8-bit grey picture of the screen's size whose level
// runs along the diagonal, so a rule transition sweeps from the top left.
bool WriteRulePicture(const std::filesystem::path& out) {
  orrivel::tools::ElgImage rule;
  rule.depth = 8;
  rule.width = 1280;
  rule.height = 720;
  for (int y = 0; y < 720; ++y)
    for (int x = 0; x < 1280; ++x) rule.pixels.push_back(uint8_t((x + y) * 255 / (1280 + 720 - 2)));
  for (int i = 0; i < 256; ++i) rule.palette.insert(rule.palette.end(), {uint8_t(i), uint8_t(i), uint8_t(i), 0});
  return Write(out / "RULE001.ELG", orrivel::tools::EncodeElg(rule, orrivel::tools::ElgHeaderVariant::kOffset));
}

// The story's two backgrounds: night rain and dawn, as vertical gradients.
bool WriteBackgrounds(const std::filesystem::path& out) {
  auto gradient = [](uint32_t top, uint32_t bottom) {
    Canvas c(1280, 720, 0);
    for (int y = 0; y < 720; ++y) {
      uint32_t colour = 0xFF000000;
      for (int shift : {16, 8, 0}) {
        const int a = int(top >> shift & 0xFF), b = int(bottom >> shift & 0xFF);
        colour |= uint32_t(a + (b - a) * y / 719) << shift;
      }
      c.Fill(0, y, 1280, y + 1, colour);
    }
    return c;
  };
  return Write(out / "BG_NIGHT.ELG", gradient(0x081020, 0x203858).Elg()) &&
         Write(out / "BG_DAWN.ELG", gradient(0x304878, 0xF0A060).Elg());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: sample_art OUTDIR\n");
    return 2;
  }
  const std::filesystem::path out = argv[1];
  std::filesystem::create_directories(out);
  bool ok = Write(out / "MS_FRM.ELG", Panel(1280, 200).Elg());
  ok = ok && Write(out / "MS_NAME.ELG", Panel(240, 40).Elg());
  Canvas selection(800, 40, 0x60FFFFFF);
  selection.Frame(0, 0, 800, 40, 2, 0xC0FFF000);
  ok = ok && Write(out / "MS_SEL.ELG", selection.Elg());
  Canvas bar(1280, 32, 0xA0000000);
  bar.Fill(0, 0, 1280, 1, 0xFFB0C0E0);
  ok = ok && Write(out / "MS_BAR.ELG", bar.Elg());
  ok = ok && Write(out / "MS_CUR0.ELG", CursorStrip(4, 0xFFFFFFFF).Elg());
  ok = ok && Write(out / "MS_CUR1.ELG", CursorStrip(6, 0xFFFFF000).Elg());
  orrivel::tools::LgmDocument layout;
  for (int i = 0; i < 10; ++i) {
    const std::string name = "MS_BTN" + std::to_string(i) + ".ELG";
    ok = ok && Write(out / name, Button(i).Elg());
    layout.parts.push_back({name, 1, int16_t(820 + 45 * i), 692, 255, 1, 40, 24, 0});
  }
  ok = ok && WriteQuestionBoxParts(out);
  ok = ok && WriteSystemMenuParts(out) && WriteHistoryParts(out) && WriteRulePicture(out) &&
            WriteBackgrounds(out);
  ok = ok && Write(out / "SYS_FRAM.GMP", orrivel::tools::WriteLgm(layout, orrivel::tools::LgmForm::kControl));
  if (!ok) {
    std::fprintf(stderr, "sample_art: cannot write into %s\n", argv[1]);
    return 1;
  }
  return 0;
}
