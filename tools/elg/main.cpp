// elg: converts pictures to and from the engine's ELG format.
//
//   elg encode [--variant plain|offset|chunked] [--depth 8|24|32]
//              [--offset X,Y] [--chunk TYPE:FILE]... [--stats] INPUT OUTPUT.elg
//       INPUT is a PNG or BMP file (by extension). Without --depth the depth
//       follows the input: 8 for indexed pictures, 32 with alpha, else 24.
//   elg decode INPUT.elg OUTPUT.png
//       Decodes through the engine's own ElgDecoder.
//   elg info INPUT.elg
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "elg/ElgWriter.h"
#include "elg/PngFile.h"
#include "resource/BmpDecoder.h"
#include "resource/ElgDecoder.h"

using namespace orrivel;
using namespace orrivel::tools;

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: elg encode [--variant plain|offset|chunked] [--depth 8|24|32]\n"
               "                  [--offset X,Y] [--chunk TYPE:FILE]... [--stats] INPUT OUTPUT.elg\n"
               "       elg decode INPUT.elg OUTPUT.png\n"
               "       elg info INPUT.elg\n");
  return 2;
}

bool ReadFile(const std::string& path, std::vector<std::uint8_t>* out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

// Written beside the target and renamed over it, so a failed write leaves
// no half file.
bool WriteFile(const std::string& path, const std::vector<std::uint8_t>& data) {
  const std::string temp = path + ".tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
    if (!out.flush()) return false;
  }
  return std::rename(temp.c_str(), path.c_str()) == 0;
}

bool EndsWithNoCase(const std::string& s, const char* suffix) {
  const std::size_t n = std::strlen(suffix);
  if (s.size() < n) return false;
  for (std::size_t i = 0; i < n; ++i) {
    char a = s[s.size() - n + i], b = suffix[i];
    if (a >= 'A' && a <= 'Z') a = char(a - 'A' + 'a');
    if (a != b) return false;
  }
  return true;
}

// A caller buffer for the engine's decoders.
struct Canvas {
  std::vector<std::uint8_t> pixels;
  std::vector<std::uint8_t> palette = std::vector<std::uint8_t>(1024, 0);
  std::uint32_t width = 0, height = 0;
  bool hasAlpha = false;
  bool indexed = false;

  static std::uint8_t* Allocate(std::int32_t w, std::int32_t h, std::int32_t bits, bool alpha,
                                std::int32_t* pitch, std::uint8_t** pal, void* user) {
    auto* c = static_cast<Canvas*>(user);
    c->width = std::uint32_t(w);
    c->height = std::uint32_t(h);
    c->hasAlpha = alpha;
    c->indexed = pal != nullptr;
    *pitch = w * (bits / 8);
    if (pal) *pal = c->palette.data();
    c->pixels.assign(std::size_t(*pitch) * std::size_t(h), 0);
    return c->pixels.data();
  }
};

bool LoadInput(const std::string& path, PngPicture* picture, std::string* error) {
  if (!EndsWithNoCase(path, ".bmp")) return ReadPng(path, picture, error);
  std::vector<std::uint8_t> data;
  if (!ReadFile(path, &data)) {
    *error = "cannot read " + path;
    return false;
  }
  BmpDecoder bmp;
  BmpDecoder::Layout layout;
  if (BmpDecoder::ReadLayout(data.data(), data.size(), &layout) != 0) {
    *error = "not a supported bitmap";
    return false;
  }
  const bool indexed = layout.header.bitCount < 16;
  Canvas canvas;
  const std::int32_t code = bmp.DecodeInto(data.data(), data.size(), &Canvas::Allocate, &canvas,
                                           indexed, nullptr, nullptr);
  if (code != 0) {
    *error = "bitmap decode failed with code " + std::to_string(code);
    return false;
  }
  picture->width = canvas.width;
  picture->height = canvas.height;
  picture->indexed = indexed;
  picture->hasAlpha = canvas.hasAlpha;
  picture->pixels = std::move(canvas.pixels);
  picture->palette = std::move(canvas.palette);
  return true;
}

// An indexed picture from a true-colour one with at most 256 colours.
bool Quantize(PngPicture* p, std::string* error) {
  std::map<std::uint32_t, std::uint8_t> index;
  std::vector<std::uint8_t> out(std::size_t(p->width) * p->height);
  std::vector<std::uint8_t> palette(1024, 0);
  for (std::size_t i = 0; i < out.size(); ++i) {
    const std::uint8_t* s = &p->pixels[i * 4];
    const std::uint32_t key = std::uint32_t(s[0]) | s[1] << 8 | s[2] << 16;
    auto it = index.find(key);
    if (it == index.end()) {
      if (index.size() == 256) {
        *error = "more than 256 colours: cannot write 8 bits";
        return false;
      }
      const std::uint8_t n = std::uint8_t(index.size());
      std::memcpy(&palette[n * 4], s, 3);
      it = index.emplace(key, n).first;
    }
    out[i] = it->second;
  }
  p->pixels = std::move(out);
  p->palette = std::move(palette);
  p->indexed = true;
  return true;
}

int Encode(int argc, char** argv) {
  ElgHeaderVariant variant = ElgHeaderVariant::kDepthOnly;
  std::uint32_t depth = 0;
  ElgImage image;
  bool stats = false;
  std::vector<std::string> files;
  for (int i = 0; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--variant" && i + 1 < argc) {
      const std::string v = argv[++i];
      if (v == "plain") {
        variant = ElgHeaderVariant::kDepthOnly;
      } else if (v == "offset") {
        variant = ElgHeaderVariant::kOffset;
      } else if (v == "chunked") {
        variant = ElgHeaderVariant::kChunked;
      } else {
        return Usage();
      }
    } else if (a == "--depth" && i + 1 < argc) {
      depth = std::uint32_t(std::stoul(argv[++i]));
    } else if (a == "--offset" && i + 1 < argc) {
      int x = 0, y = 0;
      if (std::sscanf(argv[++i], "%d,%d", &x, &y) != 2) return Usage();
      image.offsetX = std::int16_t(x);
      image.offsetY = std::int16_t(y);
    } else if (a == "--chunk" && i + 1 < argc) {
      const std::string chunkArg = argv[++i];
      const std::size_t colon = chunkArg.find(':');
      if (colon == std::string::npos) return Usage();
      ElgChunk chunk;
      chunk.type = std::uint8_t(std::stoul(chunkArg.substr(0, colon)));
      if (chunk.type == 0 || !ReadFile(chunkArg.substr(colon + 1), &chunk.data)) {
        std::fprintf(stderr, "elg: bad chunk %s\n", chunkArg.c_str());
        return 1;
      }
      image.chunks.push_back(std::move(chunk));
    } else if (a == "--stats") {
      stats = true;
    } else {
      files.push_back(a);
    }
  }
  if (files.size() != 2) return Usage();
  PngPicture picture;
  std::string error;
  if (!LoadInput(files[0], &picture, &error)) {
    std::fprintf(stderr, "elg: %s: %s\n", files[0].c_str(), error.c_str());
    return 1;
  }
  if (picture.width > 0xFFFF || picture.height > 0xFFFF) {
    std::fprintf(stderr, "elg: pictures are at most 65535 pixels a side\n");
    return 1;
  }
  if (depth == 0) depth = picture.indexed ? 8 : (picture.hasAlpha ? 32 : 24);
  if (depth != 8 && depth != 24 && depth != 32) return Usage();
  const std::size_t count = std::size_t(picture.width) * picture.height;
  if (depth == 8) {
    if (!picture.indexed && !Quantize(&picture, &error)) {
      std::fprintf(stderr, "elg: %s\n", error.c_str());
      return 1;
    }
    image.pixels = picture.pixels;
    image.palette = picture.palette;
  } else {
    if (picture.indexed) {  // expand through the palette
      std::vector<std::uint8_t> bgra(count * 4);
      for (std::size_t i = 0; i < count; ++i) {
        std::memcpy(&bgra[i * 4], &picture.palette[picture.pixels[i] * 4], 3);
        bgra[i * 4 + 3] = 0xFF;
      }
      picture.pixels = std::move(bgra);
    } else if (!picture.hasAlpha) {
      for (std::size_t i = 0; i < count; ++i) picture.pixels[i * 4 + 3] = 0xFF;
    }
    if (depth == 24) {
      image.pixels.resize(count * 3);
      for (std::size_t i = 0; i < count; ++i) {
        std::memcpy(&image.pixels[i * 3], &picture.pixels[i * 4], 3);
      }
    } else {
      image.pixels = picture.pixels;
    }
  }
  image.depth = depth;
  image.width = std::uint16_t(picture.width);
  image.height = std::uint16_t(picture.height);
  ElgEncodeStats counts;
  const std::vector<std::uint8_t> elg = EncodeElg(image, variant, &counts);
  if (!WriteFile(files[1], elg)) {
    std::fprintf(stderr, "elg: cannot write %s\n", files[1].c_str());
    return 1;
  }
  if (stats) {
    std::printf("%u x %u, %u bits, %zu bytes\n", picture.width, picture.height, depth,
                elg.size());
    for (std::size_t c = 0; c < counts.uses.size(); ++c) {
      std::printf("  form %2zu: %llu\n", c, static_cast<unsigned long long>(counts.uses[c]));
    }
  }
  return 0;
}

int Decode(const std::string& in, const std::string& out) {
  std::vector<std::uint8_t> data;
  if (!ReadFile(in, &data)) {
    std::fprintf(stderr, "elg: cannot read %s\n", in.c_str());
    return 1;
  }
  ElgDecoder::Header header;
  std::int32_t code = ElgDecoder::ParseHeader(data.data(), data.size(), &header);
  if (code == 0) {
    Canvas canvas;
    ElgDecoder decoder;
    code = decoder.DecodeInto(data.data(), data.size(), &Canvas::Allocate, &canvas,
                              header.depth == 8, nullptr, nullptr);
    if (code == 0) {
      PngPicture picture;
      picture.width = canvas.width;
      picture.height = canvas.height;
      picture.indexed = header.depth == 8;
      picture.hasAlpha = header.depth == 32;
      picture.pixels = std::move(canvas.pixels);
      picture.palette = std::move(canvas.palette);
      std::string error;
      if (!WritePng(out, picture, &error)) {
        std::fprintf(stderr, "elg: %s: %s\n", out.c_str(), error.c_str());
        return 1;
      }
      return 0;
    }
  }
  std::fprintf(stderr, "elg: %s: not a valid ELG picture (code %d)\n", in.c_str(), code);
  return 1;
}

int Info(const std::string& in) {
  std::vector<std::uint8_t> data;
  if (!ReadFile(in, &data)) return 1;
  ElgDecoder::Header h;
  const std::int32_t code = ElgDecoder::ParseHeader(data.data(), data.size(), &h);
  if (code != 0) {
    std::fprintf(stderr, "elg: %s: not an ELG picture (code %d)\n", in.c_str(), code);
    return 1;
  }
  std::printf("%u x %u, %u bits, offset (%d, %d), %llu chunk bytes\n", h.width, h.height,
              h.depth, h.offsetX, h.offsetY, static_cast<unsigned long long>(h.chunksSize));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const std::string command = argv[1];
  if (command == "encode") return Encode(argc - 2, argv + 2);
  if (command == "decode" && argc == 4) return Decode(argv[2], argv[3]);
  if (command == "info" && argc == 3) return Info(argv[2]);
  return Usage();
}
