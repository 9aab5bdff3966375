#pragma once
// The voice table "SCRIPT\\VOICEINF.DAT": the voice file extension, one entry
// per speaking character with its volume level and switches, and the cue
// prefixes that pick an entry for a voice cue.
//
//   u8 extension length L (at most 8, its zero included), L bytes;
//   u32 prefix count P (all entries together); u32 entry count E;
//   per entry: u8 n, n name bytes; u8 m, m second-name bytes (kept only when
//   m > 1; m > 0 marks the entry unheard); u32 k, then k prefixes, each u8
//   length and that many bytes ending with a zero.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orrivel {

struct VoiceEntry {
  std::string name;                       // the bytes as stored
  std::optional<std::string> secondName;  // none when absent
  uint32_t level = 256;
  uint8_t enabled = 1;
  uint8_t unheard = 0;
};

struct VoicePrefix {
  std::string prefix;  // without its terminating zero
  uint32_t entry = 0;  // index of its VoiceEntry
};

class VoiceTable {
 public:
  static constexpr size_t kExtensionBytes = 8;  // terminating zero included

  static constexpr int kOk = 0;
  static constexpr int kDamaged = 2;

  // Replaces the table with the file's. A file that runs past its end,
  // whose extension is too long, whose prefixes lack their zero or
  // outnumber P, or that has bytes after its last entry is refused and
  // leaves the table empty.
  int Read(const uint8_t* data, size_t size);
  void Clear();

  const std::vector<VoiceEntry>& Entries() const { return entries_; }
  std::vector<VoiceEntry>& Entries() { return entries_; }
  const std::vector<VoicePrefix>& Prefixes() const { return prefixes_; }
  const std::string& Extension() const { return extension_; }
  // The entry of the first prefix (in table order) that the cue begins
  // with; -1 when none.
  int32_t FindEntryForCue(std::string_view cue) const;
  // The index of that first prefix in the prefix table; -1 when none.
  int32_t FindPrefixForCue(std::string_view cue) const;

 private:
  std::vector<VoiceEntry> entries_;
  std::vector<VoicePrefix> prefixes_;
  std::string extension_;
};

}  // namespace orrivel
