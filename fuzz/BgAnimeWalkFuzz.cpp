// Plays a background animation built from the input: each three bytes make
// one step (a frame of one of two pictures with a display time, or a
// control step with the byte's value), then the action is played, stepped
// over a few seconds with catch-up on and off, and its queries asked. No
// walk may hang, whatever the control steps say.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "FuzzPictures.h"
#include "base/TimerList.h"
#include "effect/BgAnimeAction.h"
#include "effect/LayerHost.h"
#include "platform/PathResolver.h"
#include "raster/Surface.h"
#include "resource/ArchiveManager.h"
#include "resource/BaseFolder.h"
#include "resource/LadAnimation.h"
#include "scene/SpriteCanvas.h"

namespace {

using namespace orrivel;

void Put16(std::vector<uint8_t>& out, uint32_t v) { out.insert(out.end(), {uint8_t(v), uint8_t(v >> 8)}); }
void Put32(std::vector<uint8_t>& out, uint32_t v) {
  out.insert(out.end(), {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)});
}

// A 2 × 2 24-bit bitmap of one grey.
std::vector<uint8_t> TinyBitmap(uint8_t grey) {
  std::vector<uint8_t> out{'B', 'M'};
  Put32(out, 14 + 40 + 16);
  Put32(out, 0);
  Put32(out, 14 + 40);
  Put32(out, 40);
  Put32(out, 2);
  Put32(out, 2);
  Put16(out, 1);
  Put16(out, 24);
  for (int i = 0; i < 6; ++i) Put32(out, 0);
  for (int row = 0; row < 2; ++row) {
    for (int i = 0; i < 6; ++i) out.push_back(grey);
    Put16(out, 0);
  }
  return out;
}

// The game folder with the two pictures, made once for the run.
struct Folder {
  Folder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "orrivel-anime-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) return;
    host = pattern;
    for (int i = 0; i < 2; ++i) {
      const std::vector<uint8_t> bytes = TinyBitmap(uint8_t(0x40 + 0x40 * i));
      if (FILE* f = std::fopen((host + "/p" + std::to_string(i) + ".bmp").c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
      }
    }
    SetBaseFolderForTest(*platform::ToInternalPath(host) + "\\");
    SetArchiveManager(&manager);
    Surface::SetLoaderManager(&fuzz::BuiltInLoaderManager());
  }
  ~Folder() {
    std::error_code ec;
    if (!host.empty()) std::filesystem::remove_all(host, ec);
  }
  std::string host;
  ArchiveManager manager;
};

class Layer : public BackgroundLayer {
 public:
  Layer() {
    screen.Create(8, 8, 32, 0);
    canvas.SetTarget(&screen, 0);
  }
  SpriteCanvas* GetLayerCanvas() override { return &canvas; }
  Surface screen;
  SpriteCanvas canvas;
};

std::vector<uint8_t> LadFrom(const uint8_t* data, size_t size) {
  std::vector<uint8_t> frames;
  uint32_t count = 0, sequences = 0;
  for (size_t i = 0; i + 3 <= size && count < 256; i += 3, ++count) {
    const bool control = (data[i] & 1) != 0;
    // Control values cluster on the meaningful ones: close, mark, back.
    const int32_t value = control ? int32_t(data[i + 1] % 5) - 1 : int32_t(data[i + 1]);
    Put32(frames, control ? uint32_t(-1) : uint32_t((data[i] >> 1) % 3));  // name 2 is past the table
    Put32(frames, uint32_t(value));
    Put32(frames, uint32_t(data[i + 2] % 4) | uint32_t(data[i + 2] >> 6) << 16);
    Put32(frames, 0);
    if (control && value < 1) ++sequences;
  }
  std::vector<uint8_t> out{'L', 'A', 'D', 0};
  Put16(out, 4);
  Put16(out, 4);
  Put16(out, 0);
  Put16(out, sequences == 0 ? 1 : sequences);
  Put16(out, 0);
  Put16(out, 0);
  Put32(out, 0);  // no pool
  Put32(out, count);
  out.insert(out.end(), frames.begin(), frames.end());
  Put32(out, 2);
  for (const char* name : {"p0.bmp", "p1.bmp"}) {
    Put16(out, 6);
    out.insert(out.end(), name, name + 6);
    Put16(out, 0);
    Put16(out, 0);
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Folder folder;
  if (size < 2) return 0;
  const std::vector<uint8_t> bytes = LadFrom(data + 2, size - 2);
  LadAnimation lad;
  if (lad.LoadFromMemory(bytes.data(), bytes.size()) != kLadOk) return 0;
  Layer layer;
  TimerList list;
  auto* anime = new BgAnimeAction();
  const bool loop = (data[0] & 1) != 0;
  const int32_t sequence = (data[0] >> 1) % 4;
  if (anime->Setup(&list, &layer, {reinterpret_cast<std::intptr_t>(&lad), reinterpret_cast<std::intptr_t>(""),
                                   sequence, data[1], loop, 1}) != 0) {
    delete anime;
    return 0;
  }
  for (int32_t q = 0; q <= 5; ++q) anime->Query({q});
  uint32_t now = 1000;
  for (int round = 0; round < 40; ++round) {
    SetBgAnimeFlag(CellList({round >= 20}));
    now += round % 7 == 6 ? 1500 : 37;
    list.Step(now);
    if (round == 10) anime->Control({5});
    if (round == 30) anime->Control({0, sequence + 1, data[1]}), anime->Control({1});
  }
  for (int32_t q = 0; q <= 5; ++q) anime->Query({q});
  SetBgAnimeFlag(CellList({0}));
  list.Clear();
  return 0;
}
