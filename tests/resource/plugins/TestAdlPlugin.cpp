// An archive-decoder plug-in for the archive manager tests. Its archives are
// text files: the line "TXA1", then one "name=content" line per member.
// Members are loaded whole or read as streams made by the plug-in itself.
#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <map>
#include <string>

#include <unistd.h>

#include "resource/Archive.h"
#include "resource/plugin/AdlEntryPoints.h"

#define EXPORT extern "C" __attribute__((visibility("default")))

namespace {

using namespace orrivel;

std::string Lower(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(), [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; });
  return out;
}

class TextStream final : public Stream {
 public:
  explicit TextStream(std::string data) : data_(std::move(data)) {}
  uint32_t GetSize() const override { return uint32_t(data_.size()); }
  uint32_t Tell() const override { return position_; }
  bool IsEof() const override { return position_ >= data_.size(); }
  int SeekSet(uint32_t offset) override { return Move(int64_t(offset)); }
  int SeekCurrent(int32_t offset) override { return Move(int64_t(position_) + offset); }
  int SeekEnd(uint32_t offset) override { return Move(int64_t(data_.size()) - int64_t(offset)); }
  uint32_t Read(void* buffer, uint32_t count) override {
    const uint32_t n = std::min<uint32_t>(count, uint32_t(data_.size()) - position_);
    std::memcpy(buffer, data_.data() + position_, n);
    position_ += n;
    return n;
  }

 private:
  int Move(int64_t to) {
    position_ = uint32_t(std::clamp<int64_t>(to, 0, int64_t(data_.size())));
    return 0;
  }
  std::string data_;
  uint32_t position_ = 0;
};

class TextArchive final : public Archive {
 public:
  explicit TextArchive(std::map<std::string, std::string> members) : members_(std::move(members)) {}
  uint32_t GetCount() const override { return uint32_t(members_.size()); }
  const std::vector<ArchiveListEntry>* GetEntryList() const override { return nullptr; }
  bool HasMember(std::string_view name) const override { return members_.count(Lower(name)) != 0; }
  const ArchiveEntryRecord* FindListEntry(std::string_view) const override { return nullptr; }
  const ArchiveEntryRecord* GetListEntry(uint32_t, std::string_view*) const override { return nullptr; }
  int LoadMember(std::string_view name, BlockAlloc alloc, MemoryBlock* block, ProgressFunc, void*) const override {
    const auto it = members_.find(Lower(name));
    if (it == members_.end()) return 3;
    void* data = alloc(uint32_t(it->second.size()), block, nullptr);
    if (!data) return 8;
    std::memcpy(data, it->second.data(), it->second.size());
    return 0;
  }
  int LoadMemberByIndex(uint32_t, BlockAlloc, MemoryBlock*, ProgressFunc, void*) const override { return 3; }
  Stream* OpenMemberStream(std::string_view name, int* code) const override {
    const auto it = members_.find(Lower(name));
    *code = it == members_.end() ? 3 : 0;
    return it == members_.end() ? nullptr : new TextStream(it->second);
  }
  Stream* OpenMemberStreamByIndex(uint32_t, int* code) const override {
    *code = 3;
    return nullptr;
  }

 private:
  std::map<std::string, std::string> members_;
};

class TextArchiveDecoder final : public ArchiveDecoder {
 public:
  Archive* Open(std::string_view, platform::File& file, int* error) override {
    std::string text;
    char buffer[512];
    int64_t n;
    uint64_t at = 0;
    while ((n = ::pread(file.Descriptor(), buffer, sizeof buffer, off_t(at))) > 0) {
      text.append(buffer, size_t(n));
      at += uint64_t(n);
    }
    if (text.rfind("TXA1\n", 0) != 0) {
      *error = 1;
      return nullptr;
    }
    std::map<std::string, std::string> members;
    size_t line = 5;
    while (line < text.size()) {
      size_t end = text.find('\n', line);
      if (end == std::string::npos) end = text.size();
      const std::string entry = text.substr(line, end - line);
      const size_t equals = entry.find('=');
      if (equals != std::string::npos) members[Lower(entry.substr(0, equals))] = entry.substr(equals + 1);
      line = end + 1;
    }
    *error = 0;
    return new TextArchive(std::move(members));
  }
};

int lastCommand = -1;

}  // namespace

EXPORT int32_t GetAdlType() { return 40; }
EXPORT const char* GetAdlTypeString() { return "Text archive"; }
EXPORT const char* GetAdlSupportExt() { return "TXA\0txb\0"; }
EXPORT int AdlAssistFunc(int32_t command, ...) {
  lastCommand = command;
  return 0;
}
#ifndef TEST_NO_ASSIST2
// Command 0 answers the command the first assist saw last.
EXPORT int AdlAssistFunc2(const int32_t* arguments, uint32_t count) {
  return count > 0 && arguments[0] == 0 ? lastCommand : 5;
}
#endif
EXPORT ArchiveDecoder* GetAdlDecodeObject() {
#ifdef TEST_NO_DECODER
  return nullptr;
#else
  return new TextArchiveDecoder();
#endif
}
