// Opens the input as an LPK archive named "FUZZ.LPK" (key words 0), with and
// without the listing, and loads and streams every member it claims.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/PathResolver.h"
#include "resource/LpkArchive.h"
#include "resource/LpkSettings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string host = "/tmp/orrivel-fuzz-" + std::to_string(::getpid()) + "/FUZZ.LPK";
  static const std::string internal = [] {
    std::string folder = host.substr(0, host.rfind('/'));
    ::mkdir(folder.c_str(), 0700);
    std::atexit([] {
      std::remove(host.c_str());
      ::rmdir(host.substr(0, host.rfind('/')).c_str());
    });
    return *orrivel::platform::ToInternalPath(host);
  }();
  FILE* file = std::fopen(host.c_str(), "wb");
  if (!file) return 0;
  if (size) std::fwrite(data, 1, size, file);
  std::fclose(file);
  static bool listing = false;
  listing = !listing;
  orrivel::SetLpkListing(listing);
  orrivel::platform::File none;
  int code = 0;
  orrivel::ArchivePtr archive(orrivel::LpkArchive::Open(internal, none, &code));
  if (!archive) return 0;
  const uint32_t count = archive->GetCount() < 64 ? archive->GetCount() : 64;
  for (uint32_t i = 0; i < count; ++i) {
    orrivel::MemoryBlock block;
    archive->LoadMemberByIndex(i, orrivel::ArchiveManagerAlloc, &block, nullptr, nullptr);
    orrivel::ArchiveManagerFree(&block);
    orrivel::StreamPtr stream(archive->OpenMemberStreamByIndex(i, &code));
    if (stream) {
      uint8_t buffer[512];
      stream->SeekSet(1);
      while (stream->Read(buffer, sizeof buffer) != 0) {
      }
    }
  }
  archive->HasMember("script\\a.sob");
  return 0;
}
