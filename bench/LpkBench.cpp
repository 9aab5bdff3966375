// Loading a member from an LPK archive against a plain positional read of
// the same number of bytes from a loose file.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "PeerReport.h"
#include "platform/PathResolver.h"
#include "resource/LpkArchive.h"
#include "resource/LpkCipher.h"
#include "resource/LpkConstants.h"
#include "resource/LpkSettings.h"

namespace {

constexpr size_t kMemberSize = 1 << 20;

struct Fixture {
  std::string folder;
  std::string archivePath;
  std::string loosePath;
  std::vector<uint8_t> data;

  Fixture() {
    folder = (std::filesystem::temp_directory_path() / ("orrivel-lpkbench-" + std::to_string(::getpid()))).string();
    std::filesystem::create_directories(folder);
    std::mt19937 random(3);
    data.resize(kMemberSize);
    for (auto& b : data) b = uint8_t(random());
    archivePath = folder + "/BENCH.LPK";
    WriteArchive();
    loosePath = folder + "/loose.bin";
    FILE* file = std::fopen(loosePath.c_str(), "wb");
    std::fwrite(data.data(), 1, data.size(), file);
    std::fclose(file);
  }
  // Two stored members without names: one plain, one byte-scrambled, with
  // scrambled heads (key words 0).
  void WriteArchive() {
    namespace lpk = orrivel::lpk;
    lpk::NameKey key;
    lpk::MakeNameKey("BENCH.LPK", &key);
    std::vector<uint8_t> directory(4 + 1 + 2 * lpk::kEntrySize);
    lpk::WriteLe32(directory.data(), 2);
    const uint32_t start = uint32_t(lpk::kHeaderSize + directory.size());
    for (uint32_t i = 0; i < 2; ++i) {
      uint8_t* entry = directory.data() + 5 + i * lpk::kEntrySize;
      entry[0] = uint8_t(i);
      lpk::WriteLe32(entry + 1, start + i * uint32_t(kMemberSize));
      lpk::WriteLe32(entry + 5, uint32_t(kMemberSize));
    }
    const uint32_t headerKey = lpk::HeaderKey(key, 0);
    lpk::ScrambleDirectory(directory.data(), directory.size(), headerKey);
    std::vector<uint8_t> file = {'L', 'P', 'K', '1', 0, 0, 0, 0};
    lpk::WriteLe32(file.data() + 4, (uint32_t(directory.size()) | lpk::kFlagScrambledHeads << 24) ^ headerKey);
    file.insert(file.end(), directory.begin(), directory.end());
    file.insert(file.end(), data.begin(), data.end());
    file.insert(file.end(), data.begin(), data.end());
    FILE* out = std::fopen(archivePath.c_str(), "wb");
    std::fwrite(file.data(), 1, file.size(), out);
    std::fclose(out);
  }
  ~Fixture() {
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
  }
};

Fixture& Files() {
  static Fixture fixture;
  return fixture;
}

// The block comes from the caller's memory, so only the load is measured.
void* target = nullptr;
void* IntoTarget(uint32_t size, orrivel::MemoryBlock* block, void*) {
  block->size = size;
  block->pointer = target;
  return target;
}

void BM_LpkLoadMember(benchmark::State& state) {
  auto& files = Files();
  orrivel::ResetLpkSettings();
  orrivel::platform::File none;
  int code = 0;
  orrivel::ArchivePtr archive(
      orrivel::LpkArchive::Open(*orrivel::platform::ToInternalPath(files.archivePath), none, &code));
  std::vector<uint8_t> out(kMemberSize);
  target = out.data();
  for (auto _ : state) {
    orrivel::MemoryBlock block;
    archive->LoadMemberByIndex(uint32_t(state.range(0)), IntoTarget, &block, nullptr, nullptr);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kMemberSize));
}
BENCHMARK(BM_LpkLoadMember)->Arg(0)->Arg(1);

void BM_PlainPread(benchmark::State& state) {
  auto& files = Files();
  const int fd = ::open(files.loosePath.c_str(), O_RDONLY);
  std::vector<uint8_t> out(kMemberSize);
  for (auto _ : state) {
    benchmark::DoNotOptimize(::pread(fd, out.data(), out.size(), 0));
  }
  ::close(fd);
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kMemberSize));
}
BENCHMARK(BM_PlainPread);

}  // namespace

ORRIVEL_BENCH_MAIN_WITH_PEERS({"BM_LpkLoadMember/0", "BM_PlainPread"}, {"BM_LpkLoadMember/1", "BM_PlainPread"})
