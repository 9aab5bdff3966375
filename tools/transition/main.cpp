// transition-sheet: renders a contact sheet of numbered transition frames
// with the engine's own library and writes it as a PNG file.
//
//   transition-sheet [--backend 0|1|2] [--size WxH] [--modes all|a,b,...]
//                    [--progress p,q,...] out.png
//
// Defaults: back end 0, a 40 x 30 sample, all 87 modes, progress
// 0,1,64,128,192,255,256.
#include <cstdio>
#include <cstring>
#include <string>

#include "base/MathTables.h"
#include "elg/PngFile.h"
#include "raster/BlendTables.h"
#include "transition/TransitionModes.h"
#include "transition/TransitionSheet.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: transition-sheet [--backend 0|1|2] [--size WxH] [--modes all|a,b,...] "
               "[--progress p,q,...] out.png\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace orrivel;
  tools::SheetRequest request;
  request.progress = {0, 1, 64, 128, 192, 255, 256};
  for (uint32_t mode = 0; mode < kTransitionModeCount; ++mode) request.modes.push_back(mode);
  std::string output;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    std::vector<int32_t> values;
    if (arg == "--backend" && hasValue) {
      if (!tools::ParseList(argv[++i], &values) || values.size() != 1) return Usage();
      request.backend = values[0];
    } else if (arg == "--size" && hasValue) {
      if (std::sscanf(argv[++i], "%dx%d", &request.width, &request.height) != 2) return Usage();
    } else if (arg == "--modes" && hasValue) {
      const std::string list = argv[++i];
      if (list == "all") continue;
      if (!tools::ParseList(list, &values)) return Usage();
      request.modes.clear();
      for (int32_t mode : values) {
        if (mode < 0 || uint32_t(mode) >= kTransitionModeCount) return Usage();
        request.modes.push_back(uint32_t(mode));
      }
    } else if (arg == "--progress" && hasValue) {
      if (!tools::ParseList(argv[++i], &request.progress)) return Usage();
    } else if (output.empty() && arg[0] != '-') {
      output = arg;
    } else {
      return Usage();
    }
  }
  if (output.empty()) return Usage();

  // The tables the game builds at start: the blends' products and the
  // cosines of the turning modes.
  BuildBlendTables();
  MathTables tables;
  SetMathTables(&tables);
  Surface sheet;
  if (const int result = tools::RenderSheet(request, &sheet); result != 0) {
    std::fprintf(stderr, "transition-sheet: %s\n", result == 1 ? "bad request" : "out of memory");
    return 1;
  }
  tools::PngPicture picture;
  picture.width = uint32_t(sheet.GetWidth());
  picture.height = uint32_t(sheet.GetHeight());
  for (int32_t y = 0; y < sheet.GetHeight(); ++y) {
    const uint8_t* row = sheet.GetScanLine(y);
    picture.pixels.insert(picture.pixels.end(), row, row + size_t(sheet.GetWidth()) * 4);
  }
  std::string error;
  if (!tools::WritePng(output, picture, &error)) {
    std::fprintf(stderr, "transition-sheet: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
