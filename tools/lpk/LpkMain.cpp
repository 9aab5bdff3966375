// lpk: packs a folder into an LPK archive, lists one or extracts it. Listing
// and extracting go through the engine's own archive manager and reader.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "lpk/ExtractPath.h"
#include "lpk/LpkWriter.h"
#include "platform/PathResolver.h"
#include "platform/TextCodec.h"
#include "resource/ArchiveManager.h"
#include "resource/LpkArchive.h"
#include "resource/LpkSettings.h"
#include "resource/MemoryBlock.h"

namespace fs = std::filesystem;
using namespace orrivel;

namespace {

void Usage() {
  std::fprintf(stderr,
               "usage:\n"
               "  lpk pack [options] <folder> <archive.lpk>\n"
               "    --units          offsets in 2048-byte units\n"
               "    --no-tree        no name tree (members by index only)\n"
               "    --wide-tree      32-bit tree links\n"
               "    --scramble-heads scramble the first words of every member\n"
               "    --second-size    entries carry the full size (needed by --pack)\n"
               "    --flag4          set the reserved flag bit 4\n"
               "    --pack           LZSS-pack members that shrink\n"
               "    --scramble-bytes byte-scramble every member\n"
               "    --head N         common head length (bytes every member shares)\n"
               "    --key1 X --key2 X key words (decimal or 0x hex)\n"
               "  lpk list [--key1 X --key2 X] <archive.lpk>\n"
               "  lpk extract [--key1 X --key2 X] <archive.lpk> <folder>\n");
}

bool ReadHostFile(const fs::path& path, std::vector<uint8_t>* data) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  data->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

int Pack(const tools::LpkWriterOptions& options, bool pack, bool scrambleBytes, const std::string& folder,
         const std::string& archive) {
  std::vector<tools::LpkWriterMember> members;
  std::vector<fs::path> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file()) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  for (const fs::path& file : files) {
    tools::LpkWriterMember member;
    std::string relative = fs::relative(file, folder).generic_string();
    std::replace(relative.begin(), relative.end(), '/', '\\');
    const auto name = platform::Utf8ToCp932(relative);
    if (!name) {
      std::fprintf(stderr, "lpk: %s has no CP932 name\n", relative.c_str());
      return 1;
    }
    member.name = *name;
    if (!ReadHostFile(file, &member.data)) {
      std::fprintf(stderr, "lpk: cannot read %s\n", file.c_str());
      return 1;
    }
    member.pack = pack;
    member.scrambleBytes = scrambleBytes;
    members.push_back(std::move(member));
  }
  std::string error;
  if (!tools::WriteLpkFile(archive, options, members, &error)) {
    std::fprintf(stderr, "lpk: %s\n", error.c_str());
    return 1;
  }
  std::printf("%zu members\n", members.size());
  return 0;
}

LpkArchive* OpenArchive(const std::string& hostPath) {
  const auto internal = platform::ToInternalPath(fs::absolute(hostPath).string());
  if (!internal) return nullptr;
  platform::File none;
  int code = 0;
  LpkArchive* archive = LpkArchive::Open(*internal, none, &code);
  if (!archive) std::fprintf(stderr, "lpk: cannot open %s (code %d)\n", hostPath.c_str(), code);
  return archive;
}

int List(const std::string& hostPath) {
  SetLpkListing(true);
  ArchivePtr archive(OpenArchive(hostPath));
  if (!archive) return 1;
  for (const ArchiveListEntry& entry : *archive->GetEntryList()) {
    std::printf("%8u %10u %10u %s%s\n", entry.record.index, entry.record.fullSize, entry.record.storedSize,
                platform::Cp932ToUtf8Lossy(entry.name).c_str(),
                entry.record.storedSize != entry.record.fullSize ? " (packed)" : "");
  }
  return 0;
}

int Extract(const std::string& hostPath, const std::string& folder) {
  SetLpkListing(true);
  ArchivePtr archive(OpenArchive(hostPath));
  if (!archive) return 1;
  int failures = 0;
  for (const ArchiveListEntry& entry : *archive->GetEntryList()) {
    const auto relative = tools::ExtractPath(entry.name, entry.record.index);
    if (!relative) {
      std::fprintf(stderr, "lpk: member %u: the name %s leaves the folder\n", entry.record.index,
                   platform::Cp932ToUtf8Lossy(entry.name).c_str());
      ++failures;
      continue;
    }
    MemoryBlock block;
    const int code = archive->LoadMemberByIndex(entry.record.index, ArchiveManagerAlloc, &block, nullptr, nullptr);
    if (code != 0) {
      std::fprintf(stderr, "lpk: %s: code %d\n", relative->c_str(), code);
      ArchiveManagerFree(&block);
      ++failures;
      continue;
    }
    const fs::path target = fs::path(folder) / *relative;
    std::error_code made;
    fs::create_directories(target.parent_path(), made);
    std::ofstream out(target, std::ios::binary);
    out.write(static_cast<const char*>(block.pointer), block.size);
    ArchiveManagerFree(&block);
    if (!out) ++failures;
  }
  return failures ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    Usage();
    return 2;
  }
  const std::string command = argv[1];
  tools::LpkWriterOptions options;
  bool pack = false, scrambleBytes = false;
  std::vector<std::string> positional;
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    auto number = [&](uint32_t* value) {
      if (i + 1 >= argc) return false;
      *value = uint32_t(std::strtoul(argv[++i], nullptr, 0));
      return true;
    };
    if (arg == "--units") options.unitOffsets = true;
    else if (arg == "--no-tree") options.nameTree = false;
    else if (arg == "--wide-tree") options.wideTree = true;
    else if (arg == "--scramble-heads") options.scrambledHeads = true;
    else if (arg == "--second-size") options.secondSize = true;
    else if (arg == "--flag4") options.reservedFlag4 = true;
    else if (arg == "--pack") pack = true;
    else if (arg == "--scramble-bytes") scrambleBytes = true;
    else if (arg == "--head") { if (!number(&options.commonHeadLength)) { Usage(); return 2; } }
    else if (arg == "--key1") { if (!number(&options.keyWord1)) { Usage(); return 2; } }
    else if (arg == "--key2") { if (!number(&options.keyWord2)) { Usage(); return 2; } }
    else if (!arg.empty() && arg[0] == '-') { Usage(); return 2; }
    else positional.push_back(arg);
  }
  SetLpkKeyWords(options.keyWord1, options.keyWord2);
  if (command == "pack" && positional.size() == 2) return Pack(options, pack, scrambleBytes, positional[0], positional[1]);
  if (command == "list" && positional.size() == 1) return List(positional[0]);
  if (command == "extract" && positional.size() == 2) return Extract(positional[0], positional[1]);
  Usage();
  return 2;
}
