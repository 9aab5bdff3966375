// tob: compiles text-adventure modules from their text form and lists the
// files of the text-adventure frame.
//
//   tob build INPUT.tgs OUTDIR   write <NAME>.TOB for each module and TGS_INIT.DAT
//   tob dump FILE                list a module, a TGS_INIT.DAT or a TEXT_LOG.DAT
//   tob opcodes                  list the opcode names module sources may use
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "TobCompiler.h"
#include "frame/TgsOpcodeTable.h"

namespace fs = std::filesystem;

namespace {

bool ReadWhole(const std::string& path, std::string& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

int Build(const std::string& input, const std::string& outDir) {
  std::string source;
  if (!ReadWhole(input, source)) {
    std::fprintf(stderr, "tob: cannot read %s\n", input.c_str());
    return 2;
  }
  orrivel::tob::Story story;
  std::string error;
  if (!orrivel::tob::Compile(source, story, error)) {
    std::fprintf(stderr, "tob: %s: %s\n", input.c_str(), error.c_str());
    return 2;
  }
  fs::create_directories(outDir);
  for (const auto& [name, bytes] : orrivel::tob::StoryFiles(story)) {
    std::ofstream out(fs::path(outDir) / name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out) {
      std::fprintf(stderr, "tob: cannot write %s\n", name.c_str());
      return 2;
    }
  }
  return 0;
}

int Dump(const std::string& path) {
  std::string data;
  if (!ReadWhole(path, data)) {
    std::fprintf(stderr, "tob: cannot read %s\n", path.c_str());
    return 2;
  }
  const std::string listing = orrivel::tob::Dump(orrivel::tob::Bytes(data.begin(), data.end()));
  std::fwrite(listing.data(), 1, listing.size(), stdout);
  return 0;
}

int ListOpcodes() {
  for (const orrivel::TgsOpcodeRow& row : orrivel::TgsOpcodeRows())
    if (row.name) std::printf("%u %s\n", unsigned(row.number), row.name);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "build" && argc == 4) return Build(argv[2], argv[3]);
  if (command == "dump" && argc == 3) return Dump(argv[2]);
  if (command == "opcodes" && argc == 2) return ListOpcodes();
  std::fprintf(stderr, "usage: tob build INPUT.tgs OUTDIR | tob dump FILE | tob opcodes\n");
  return 1;
}
