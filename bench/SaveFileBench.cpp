// A whole save and load of the game: the screen stretched into the
// thumbnail, a 200 KB state packed, the file built and written through its
// temporary file; and the load's read, check and unpack. Peers: zlib's
// deflate (levels 1 and 6) and inflate of the same state written and read
// the same way, and pixman's scaled composite of the same screen.
#include <benchmark/benchmark.h>
#include <pixman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "PeerReport.h"
#include "game/SaveFile.h"
#include "platform/FileSystem.h"
#include "platform/PathResolver.h"
#include "platform/SoftSurface.h"

namespace {

using orrivel::SaveFileLayout;

// Script variables and page text: what a state holds.
const std::vector<uint8_t>& State() {
  static const std::vector<uint8_t> data = [] {
    std::mt19937 random(9);
    std::vector<uint8_t> out;
    while (out.size() < 200 * 1024) {
      const std::string line = "\x81\x75line " + std::to_string(random() % 400) + "\x81\x76";
      out.insert(out.end(), line.begin(), line.end());
      for (int i = 0; i < 12; ++i) out.push_back(uint8_t(random() % 3 == 0 ? random() : 0));
    }
    return out;
  }();
  return data;
}

orrivel::platform::SoftSurface& Screen() {
  static orrivel::platform::SoftSurface screen;
  static const bool drawn = [] {
    orrivel::platform::SoftSurface& s = screen;
    s.Create(1280, 720, orrivel::platform::SurfaceFormat::X8R8G8B8);
    orrivel::platform::SurfaceLock lock;
    s.Lock(nullptr, &lock);
    for (int y = 0; y < 720; ++y)
      for (int x = 0; x < 1280; ++x)
        reinterpret_cast<uint32_t*>(lock.bits + y * lock.pitch)[x] = uint32_t(x * 7 ^ y * 13) * 2654435761u;
    s.Unlock();
    return true;
  }();
  (void)drawn;
  return screen;
}

std::string Folder() {
  static const std::string folder = [] {
    const std::string host = orrivel::platform::HostTempFolder() + "/orrivel-save-bench-" + std::to_string(getpid());
    ::mkdir(host.c_str(), 0700);
    return *orrivel::platform::ToInternalPath(host + "/");
  }();
  return folder;
}

void Thumbnail(orrivel::SaveFileInfo& info) {
  orrivel::platform::SoftSurface small;
  small.Create(SaveFileLayout::kThumbWidth, SaveFileLayout::kThumbHeight, orrivel::platform::SurfaceFormat::X8R8G8B8);
  small.Blt(nullptr, &Screen(), nullptr, 0);
  orrivel::platform::SurfaceLock lock;
  small.Lock(nullptr, &lock);
  for (uint32_t y = 0; y < SaveFileLayout::kThumbHeight; ++y)
    for (uint32_t x = 0; x < SaveFileLayout::kThumbWidth; ++x)
      std::memcpy(&info.thumbnail[y * SaveFileLayout::kThumbRowBytes + 3 * x], lock.bits + y * lock.pitch + 4 * x, 3);
  small.Unlock();
}

void BM_SaveWrite(benchmark::State& state) {
  const std::string path = Folder() + "DATA0000.SAV";
  for (auto _ : state) {
    orrivel::SaveFileInfo info;
    Thumbnail(info);
    const auto file = orrivel::BuildSaveFile(info, State(), true);
    orrivel::platform::ReplaceFileContents(path, file, "VQF");
  }
}
BENCHMARK(BM_SaveWrite)->Unit(benchmark::kMillisecond);

void BM_ZlibSaveWrite(benchmark::State& state) {
  const std::string path = Folder() + "ZLIB0000.SAV";
  std::vector<uint8_t> file(SaveFileLayout::kStateOffset + compressBound(uLong(State().size())));
  for (auto _ : state) {
    orrivel::SaveFileInfo info;
    Thumbnail(info);
    uLongf packed = uLongf(file.size() - SaveFileLayout::kStateOffset);
    compress2(file.data() + SaveFileLayout::kStateOffset, &packed, State().data(), uLong(State().size()),
              int(state.range(0)));
    orrivel::platform::ReplaceFileContents(
        path, std::span<const uint8_t>(file.data(), SaveFileLayout::kStateOffset + packed), "VQF");
  }
}
BENCHMARK(BM_ZlibSaveWrite)->Arg(1)->Arg(6)->Unit(benchmark::kMillisecond);

std::vector<uint8_t> ReadAll(const std::string& path) {
  orrivel::platform::File f = orrivel::platform::File::Open(path, orrivel::platform::File::Access::Read,
                                                            orrivel::platform::File::Disposition::OpenExisting);
  std::vector<uint8_t> bytes(static_cast<size_t>(f.Size()));
  f.ReadAt(0, bytes.data(), bytes.size());
  return bytes;
}

void BM_SaveLoad(benchmark::State& state) {
  const std::string path = Folder() + "LOAD0000.SAV";
  orrivel::platform::ReplaceFileContents(path, orrivel::BuildSaveFile({}, State(), true), "VQF");
  std::vector<uint8_t> blob;
  for (auto _ : state) {
    const auto file = ReadAll(path);
    orrivel::ParseSaveFile(file, blob);
    benchmark::DoNotOptimize(blob.data());
  }
}
BENCHMARK(BM_SaveLoad)->Unit(benchmark::kMillisecond);

void BM_ZlibSaveLoad(benchmark::State& state) {
  const std::string path = Folder() + "ZLOAD000.SAV";
  std::vector<uint8_t> packed(compressBound(uLong(State().size())));
  uLongf packedSize = uLongf(packed.size());
  compress2(packed.data(), &packedSize, State().data(), uLong(State().size()), 6);
  std::vector<uint8_t> file(SaveFileLayout::kStateOffset, 0);
  file.insert(file.end(), packed.begin(), packed.begin() + long(packedSize));
  orrivel::platform::ReplaceFileContents(path, file, "VQF");
  std::vector<uint8_t> blob(State().size());
  for (auto _ : state) {
    const auto bytes = ReadAll(path);
    uLongf size = uLongf(blob.size());
    uncompress(blob.data(), &size, bytes.data() + SaveFileLayout::kStateOffset,
               uLong(bytes.size() - SaveFileLayout::kStateOffset));
    benchmark::DoNotOptimize(blob.data());
  }
}
BENCHMARK(BM_ZlibSaveLoad)->Unit(benchmark::kMillisecond);

void BM_Thumbnail(benchmark::State& state) {
  for (auto _ : state) {
    orrivel::SaveFileInfo info;
    Thumbnail(info);
    benchmark::DoNotOptimize(info.thumbnail.data());
  }
}
BENCHMARK(BM_Thumbnail);

void BM_PixmanThumbnail(benchmark::State& state) {
  orrivel::platform::SurfaceLock lock;
  Screen().Lock(nullptr, &lock);
  pixman_image_t* source = pixman_image_create_bits(PIXMAN_x8r8g8b8, 1280, 720,
                                                    reinterpret_cast<uint32_t*>(lock.bits), lock.pitch);
  std::vector<uint32_t> small(132 * 74);
  pixman_image_t* target = pixman_image_create_bits(PIXMAN_x8r8g8b8, 132, 74, small.data(), 132 * 4);
  pixman_transform_t scale;
  pixman_transform_init_scale(&scale, pixman_double_to_fixed(1280.0 / 132), pixman_double_to_fixed(720.0 / 74));
  pixman_image_set_transform(source, &scale);
  pixman_image_set_filter(source, PIXMAN_FILTER_NEAREST, nullptr, 0);
  for (auto _ : state) {
    pixman_image_composite32(PIXMAN_OP_SRC, source, nullptr, target, 0, 0, 0, 0, 0, 0, 132, 74);
    benchmark::ClobberMemory();
  }
  pixman_image_unref(source);
  pixman_image_unref(target);
  Screen().Unlock();
}
BENCHMARK(BM_PixmanThumbnail);

}  // namespace

ORRIVEL_BENCH_MAIN_WITH_PEERS({"BM_SaveWrite", "BM_ZlibSaveWrite/1"}, {"BM_SaveWrite", "BM_ZlibSaveWrite/6"},
                              {"BM_SaveLoad", "BM_ZlibSaveLoad"}, {"BM_Thumbnail", "BM_PixmanThumbnail"})
