// layout: writes LGM layouts and LAD animations from the command line and
// shows what the engine's readers make of LGM, LAG and LAD files.
//
//   layout lgm OUT [--control] [--base NAME] PART...
//       PART = name:kind:x:y:alpha:visible[:width:height:flag]
//   layout lad OUT SEQUENCES [--pool FILE] [--name TEXT:V1:V2]... FRAME...
//       FRAME = name:value:x:y:poolOffset
//   layout lag OUT SEQUENCES [--values A:B] [--skip N] [--frame a:b:c:d]...
//              [--picture FILE:keyX:keyY]... [--pattern WxH:keyX:keyY]...
//       --pattern embeds a generated 32-bit ELG picture of that size.
//   layout show FILE
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "elg/ElgWriter.h"
#include "layout/LayoutWriter.h"
#include "resource/LadAnimation.h"
#include "resource/LagAnimation.h"
#include "resource/LgmFile.h"

namespace {

using namespace orrivel;
using namespace orrivel::tools;

std::vector<std::string> Split(const std::string& text) {
  std::vector<std::string> fields;
  std::stringstream stream(text);
  std::string field;
  while (std::getline(stream, field, ':')) fields.push_back(field);
  return fields;
}

long Number(const std::string& text) { return std::strtol(text.c_str(), nullptr, 0); }

bool ReadHostFile(const char* path, std::vector<uint8_t>* bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

int Usage() {
  std::fprintf(stderr,
               "usage: layout lgm OUT [--control] [--base NAME] name:kind:x:y:alpha:visible[:w:h:flag]...\n"
               "       layout lad OUT SEQUENCES [--pool FILE] [--name TEXT:V1:V2]... name:value:x:y:offset...\n"
               "       layout lag OUT SEQUENCES [--values A:B] [--skip N] [--frame a:b:c:d]...\n"
               "                  [--picture FILE:keyX:keyY]... [--pattern WxH:keyX:keyY]...\n"
               "       layout show FILE\n");
  return 2;
}

int WriteLgmCommand(int argc, char** argv) {
  LgmDocument document;
  LgmForm form = LgmForm::kSprite;
  for (int i = 3; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--control")) {
      form = LgmForm::kControl;
    } else if (!std::strcmp(argv[i], "--base") && i + 1 < argc) {
      document.baseName = argv[++i];
    } else {
      const auto f = Split(argv[i]);
      if (f.size() != 6 && f.size() != 9) return Usage();
      LgmPartRecord part;
      part.name = f[0];
      part.kind = uint8_t(Number(f[1]));
      part.x = int16_t(Number(f[2]));
      part.y = int16_t(Number(f[3]));
      part.alpha = uint8_t(Number(f[4]));
      part.visible = uint8_t(Number(f[5]));
      if (f.size() == 9) {
        part.width = int16_t(Number(f[6]));
        part.height = int16_t(Number(f[7]));
        part.flag = uint8_t(Number(f[8]));
      }
      document.parts.push_back(part);
    }
  }
  return WriteFileBytes(argv[2], WriteLgm(document, form)) ? 0 : 1;
}

int WriteLadCommand(int argc, char** argv) {
  if (argc < 4) return Usage();
  LadDocument document;
  document.SetSequenceCount(uint16_t(Number(argv[3])));
  for (int i = 4; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--pool") && i + 1 < argc) {
      if (!ReadHostFile(argv[++i], &document.pool)) return 1;
    } else if (!std::strcmp(argv[i], "--name") && i + 1 < argc) {
      const auto f = Split(argv[++i]);
      if (f.size() != 3) return Usage();
      document.names.push_back({f[0], uint16_t(Number(f[1])), uint16_t(Number(f[2]))});
    } else {
      const auto f = Split(argv[i]);
      if (f.size() != 5) return Usage();
      document.frames.push_back({int32_t(Number(f[0])), int32_t(Number(f[1])), int16_t(Number(f[2])),
                                 int16_t(Number(f[3])), uint32_t(Number(f[4]))});
    }
  }
  return WriteFileBytes(argv[2], WriteLad(document)) ? 0 : 1;
}

// Surfaces that take any picture bytes without decoding them, for `show`.
class PictureSizes : public SurfaceFactoryPort {
 public:
  class Placeholder : public SurfacePort {
   public:
    int32_t GetWidth() const override { return 0; }
    int32_t GetHeight() const override { return 0; }
    int32_t GetBitCount() const override { return 32; }
    int32_t LoadImageFromMemory(const uint8_t*, uint64_t, bool) override { return 0; }
    int32_t LoadImage(std::string_view, bool) override { return 2; }
    void FreeImage() override {}
    void SetAlphaFlag(bool) override {}
    int SetColorKeyAt(int32_t, int32_t) override { return 0; }
    int SetColorKeyRgb(uint8_t, uint8_t, uint8_t) override { return 0; }
    uint32_t GetColorKey() const override { return kNoColorKey; }
    int32_t GetUserValue1() const override { return 0; }
    int32_t GetUserValue2() const override { return 0; }
  };
  std::unique_ptr<SurfacePort> CreateSurface() override { return std::make_unique<Placeholder>(); }
  std::unique_ptr<SurfacePort> CreateSurface(int32_t, int32_t, int32_t) override { return nullptr; }
};

// A 32-bit picture with a gradient and a varying alpha.
std::vector<uint8_t> PatternElg(uint16_t width, uint16_t height) {
  ElgImage image;
  image.width = width;
  image.height = height;
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) image.pixels.insert(image.pixels.end(), {uint8_t(x * 8), uint8_t(y * 8), 0x40, uint8_t(x ^ y)});
  }
  return EncodeElg(image, ElgHeaderVariant::kDepthOnly);
}

int WriteLagCommand(int argc, char** argv) {
  if (argc < 4) return Usage();
  LagDocument document;
  document.SetSequenceCount(uint16_t(Number(argv[3])));
  for (int i = 4; i < argc; ++i) {
    const bool hasValue = i + 1 < argc;
    if (!std::strcmp(argv[i], "--values") && hasValue) {
      const auto f = Split(argv[++i]);
      if (f.size() != 2) return Usage();
      document.header[0] = uint16_t(Number(f[0]));
      document.header[1] = uint16_t(Number(f[1]));
    } else if (!std::strcmp(argv[i], "--skip") && hasValue) {
      document.skipped.assign(size_t(Number(argv[++i])), 0);
    } else if (!std::strcmp(argv[i], "--frame") && hasValue) {
      const auto f = Split(argv[++i]);
      if (f.size() != 4) return Usage();
      document.frames.push_back({int32_t(Number(f[0])), int32_t(Number(f[1])), int32_t(Number(f[2])), int32_t(Number(f[3]))});
    } else if ((!std::strcmp(argv[i], "--picture") || !std::strcmp(argv[i], "--pattern")) && hasValue) {
      const bool pattern = argv[i][2] == 'p' && argv[i][3] == 'a';
      const auto f = Split(argv[++i]);
      if (f.size() != 3) return Usage();
      LagPictureRecord picture;
      picture.keyX = int16_t(Number(f[1]));
      picture.keyY = int16_t(Number(f[2]));
      if (pattern) {
        const size_t x = f[0].find('x');
        if (x == std::string::npos) return Usage();
        picture.file = PatternElg(uint16_t(Number(f[0].substr(0, x))), uint16_t(Number(f[0].substr(x + 1))));
      } else if (!ReadHostFile(f[0].c_str(), &picture.file)) {
        return 1;
      }
      document.pictures.push_back(std::move(picture));
    } else {
      return Usage();
    }
  }
  return WriteFileBytes(argv[2], WriteLag(document)) ? 0 : 1;
}

void ShowSequences(int32_t count, int32_t (*start)(const void*, int32_t), int32_t (*end)(const void*, int32_t),
                   const void* animation) {
  for (int32_t s = 0; s < count; ++s) {
    std::printf("sequence %d: frames %d to %d\n", s, start(animation, s), end(animation, s));
  }
}

int ShowCommand(const char* path) {
  std::vector<uint8_t> bytes;
  if (!ReadHostFile(path, &bytes)) return 1;
  if (bytes.size() >= 4 && !std::memcmp(bytes.data(), "LGM", 4)) {
    LgmFile file;
    const int code = ParseLgm(bytes.data(), bytes.size(), LgmRecordForm::kSprite, &file);
    std::printf("LGM (read as sprites): code %d, base \"%s\", %zu parts\n", code, file.baseName.c_str(),
                file.parts.size());
    for (const LgmPart& part : file.parts) {
      std::printf("  %s kind %u at %d,%d alpha %u visible %u", part.name.c_str(), part.kind, part.x, part.y,
                  part.alpha, part.visible);
      if (part.hasSize) std::printf(" size %dx%d flag %u", part.width, part.height, part.flag);
      std::printf("\n");
    }
    return code;
  }
  if (bytes.size() >= 4 && !std::memcmp(bytes.data(), "LAD", 4)) {
    LadAnimation lad;
    const int code = lad.LoadFromMemory(bytes.data(), bytes.size());
    std::printf("LAD: code %d, %u frames with the sentinel, %u names, pool %zu bytes, longest %u\n", code,
                lad.FrameCount(), lad.NameCount(), lad.Pool().size(), lad.LongestSequence());
    ShowSequences(
        lad.SequenceCount(), [](const void* a, int32_t s) { return static_cast<const LadAnimation*>(a)->GetSequenceStart(s); },
        [](const void* a, int32_t s) { return static_cast<const LadAnimation*>(a)->GetSequenceEnd(s); }, &lad);
    return code;
  }
  if (bytes.size() >= 4 && !std::memcmp(bytes.data(), "LAG", 4)) {
    // Pictures are only located here, not decoded.
    PictureSizes sizes;
    LagAnimation lag(&sizes);
    const int code = lag.LoadFromMemory(bytes.data(), bytes.size(), false);
    std::printf("LAG: code %d, values %u %u, %u frames with the sentinel, %u pictures (not decoded)\n", code,
                lag.ValueA(), lag.ValueB(), lag.FrameCount(), lag.PictureCount());
    ShowSequences(
        lag.SequenceCount(), [](const void* a, int32_t s) { return static_cast<const LagAnimation*>(a)->GetSequenceStart(s); },
        [](const void* a, int32_t s) { return static_cast<const LagAnimation*>(a)->GetSequenceEnd(s); }, &lag);
    return code;
  }
  std::fprintf(stderr, "%s: not an LGM, LAG or LAD file\n", path);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 3 && !std::strcmp(argv[1], "lgm")) return WriteLgmCommand(argc, argv);
  if (argc >= 3 && !std::strcmp(argv[1], "lad")) return WriteLadCommand(argc, argv);
  if (argc >= 3 && !std::strcmp(argv[1], "lag")) return WriteLagCommand(argc, argv);
  if (argc == 3 && !std::strcmp(argv[1], "show")) return ShowCommand(argv[2]);
  return Usage();
}
