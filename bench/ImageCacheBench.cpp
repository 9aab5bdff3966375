// Image cache look-ups: a hit through the loader (the name lower-cased, one
// bucket's chain walked, the entry made the newest) against the same work on
// a std::unordered_map keyed by the lower-cased name, and a miss of each.
// The cache's 64 buckets hold the few hundred pictures of a scene.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/Cp932.h"
#include "resource/DecodedPicture.h"
#include "resource/ImageLoaderManager.h"

using orrivel::DecodedPicture;

namespace {

constexpr int kPictures = 400;

std::vector<std::string> Names() {
  std::vector<std::string> names;
  for (int i = 0; i < kPictures; ++i) {
    char name[64];
    std::snprintf(name, sizeof name, "Z:\\GAME\\CG\\BG%04d_%c.ELG", i, 'A' + i % 26);
    names.emplace_back(name);
  }
  return names;
}

DecodedPicture* SmallPicture() {
  return new DecodedPicture(orrivel::PictureBlock(), orrivel::PictureBlock(), 1024, 4);
}

// A scene's pictures in the loader's cache, one under each name.
void FillCache(orrivel::ImageLoaderManager& loader, const std::vector<std::string>& names) {
  loader.SetPhysicalMemorySource([] { return std::uint64_t(8) << 30; });
  loader.SetCacheLimit(64);
  for (const std::string& name : names) {
    DecodedPicture* picture = SmallPicture();
    loader.CacheImage(picture, name);
    DecodedPicture::Release(picture);
  }
}

// The same pictures in a standard hash map under the lower-cased names;
// released with the map.
struct PeerMap {
  explicit PeerMap(const std::vector<std::string>& names) {
    for (const std::string& name : names) map.emplace(orrivel::cp932::ToLower(name), SmallPicture());
  }
  ~PeerMap() {
    for (const auto& [name, picture] : map) DecodedPicture::Release(picture);
  }
  std::unordered_map<std::string, DecodedPicture*> map;
};

}  // namespace

static void BM_LoaderCacheHit(benchmark::State& state) {
  orrivel::ImageLoaderManager loader;
  const std::vector<std::string> names = Names();
  FillCache(loader, names);
  std::size_t i = 0;
  for (auto _ : state) {
    DecodedPicture* found = loader.FindCachedImage(names[i]);
    // Kept by a read-only use: the read-write form of DoNotOptimize may
    // hand back a changed pointer under some compilers.
    benchmark::DoNotOptimize(static_cast<const DecodedPicture*>(found));
    DecodedPicture::Release(found);
    i = (i + 7) % names.size();
  }
}
BENCHMARK(BM_LoaderCacheHit);

static void BM_LoaderCacheMiss(benchmark::State& state) {
  orrivel::ImageLoaderManager loader;
  const std::vector<std::string> names = Names();
  FillCache(loader, names);
  const std::string missing = "Z:\\GAME\\CG\\NOT_THERE.ELG";
  for (auto _ : state) {
    DecodedPicture* found = loader.FindCachedImage(missing);
    benchmark::DoNotOptimize(static_cast<const DecodedPicture*>(found));
    DecodedPicture::Release(found);
  }
}
BENCHMARK(BM_LoaderCacheMiss);

// The peer: the same lower-casing, then a standard hash map.
static void BM_UnorderedMapHit(benchmark::State& state) {
  const std::vector<std::string> names = Names();
  const PeerMap peer(names);
  std::size_t i = 0;
  for (auto _ : state) {
    const auto found = peer.map.find(orrivel::cp932::ToLower(names[i]));
    benchmark::DoNotOptimize(static_cast<const DecodedPicture*>(found->second));
    i = (i + 7) % names.size();
  }
}
BENCHMARK(BM_UnorderedMapHit);

static void BM_UnorderedMapMiss(benchmark::State& state) {
  const std::vector<std::string> names = Names();
  const PeerMap peer(names);
  const std::string missing = "Z:\\GAME\\CG\\NOT_THERE.ELG";
  for (auto _ : state) {
    const bool found = peer.map.find(orrivel::cp932::ToLower(missing)) != peer.map.end();
    benchmark::DoNotOptimize(found);
  }
}
BENCHMARK(BM_UnorderedMapMiss);
