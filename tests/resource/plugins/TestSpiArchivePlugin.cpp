// A Susie-style archive plug-in for the tests. Its archives are text: the
// line "SAR1", then "folder/name=content" lines; a member's position is the
// offset of its content in the file. A line starting with '!' gives a record
// whose file name has no end within its field.
#include <cstdint>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "resource/plugin/SusieApi.h"

#define EXPORT extern "C" __attribute__((visibility("default")))

using namespace orrivel;

namespace {

struct Member {
  std::string folder;
  std::string name;
  std::uint32_t position;
  std::string content;
  bool unterminated;
};

bool ReadArchive(const char* path, std::vector<Member>* members) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  const std::string all = text.str();
  if (all.rfind("SAR1\n", 0) != 0) return false;
  size_t line = 5;
  while (line < all.size()) {
    size_t end = all.find('\n', line);
    if (end == std::string::npos) end = all.size();
    const std::string entry = all.substr(line, end - line);
    const size_t equals = entry.find('=');
    if (equals != std::string::npos) {
      Member member;
      member.unterminated = entry[0] == '!';
      const std::string full = entry.substr(0, equals);
      const size_t slash = full.rfind('/');
      member.folder = slash == std::string::npos ? "" : full.substr(0, slash + 1);
      member.name = slash == std::string::npos ? full : full.substr(slash + 1);
      member.position = std::uint32_t(line + equals + 1);
      member.content = entry.substr(equals + 1);
      members->push_back(member);
    }
    line = end + 1;
  }
  return true;
}

std::int32_t Answer(char* buffer, std::int32_t length, const char* text) {
  const std::size_t n = std::strlen(text) + 1 < std::size_t(length) ? std::strlen(text) + 1 : std::size_t(length);
  std::memcpy(buffer, text, n);
  return std::int32_t(n);
}

}  // namespace

EXPORT std::int32_t GetPluginInfo(std::int32_t number, char* buffer, std::int32_t length) {
  switch (number) {
    case 0: return Answer(buffer, length, "00AM");
    case 2: return Answer(buffer, length, "*.sar");
    case 3: return Answer(buffer, length, "Test Susie archives");
    default: return 0;
  }
}

EXPORT std::int32_t GetArchiveInfo(const char* path, std::int64_t, std::uint32_t flag, SusieHandle* info) {
  std::vector<Member> members;
  if (flag != 0 || !ReadArchive(path, &members)) return 2;
#ifdef TEST_NO_END_RECORD
  const size_t records = members.size();  // the closing record is left out
#else
  const size_t records = members.size() + 1;
#endif
  *info = SusieAllocBlock(records * sizeof(SusieFileInfo));
  for (size_t i = 0; i < members.size(); ++i) {
    SusieFileInfo record{};
    std::memcpy(record.method, "store", 5);
    record.position = members[i].position;
    record.packedSize = std::uint32_t(members[i].content.size());
    record.fullSize = record.packedSize;
    record.timeStamp = 1000 + std::uint32_t(i);
    std::strncpy(record.path, members[i].folder.c_str(), sizeof record.path - 1);
    std::strncpy(record.fileName, members[i].name.c_str(), sizeof record.fileName - 1);
    if (members[i].unterminated) std::memset(record.fileName, 'x', sizeof record.fileName);
    record.checksum = 0xC0DE;
    std::memcpy(SusieBlockData(*info) + i * sizeof record, &record, sizeof record);
  }
  return 0;
}

EXPORT std::int32_t GetFile(const char* path, std::int64_t position, void* destination, std::uint32_t flag,
                            SusieProgressFunc progress, std::intptr_t context) {
  std::vector<Member> members;
  if (!ReadArchive(path, &members)) return 2;
  for (const Member& member : members) {
    if (member.position != position) continue;
    if (progress) progress(0, 1, context);
    if (flag == kSusieToMemory) {
      SusieHandle block = SusieAllocBlock(member.content.size());
      std::memcpy(SusieBlockData(block), member.content.data(), member.content.size());
      *static_cast<SusieHandle*>(destination) = block;
    } else {
      std::ofstream out(std::string(static_cast<const char*>(destination)) + "/" + member.name, std::ios::binary);
      out << member.content;
      if (!out) return 1;
    }
    if (progress) progress(1, 1, context);
    return 0;
  }
  return 1;
}
