#pragma once
// The page being built: the page's text (CP932, never a 0x00 byte) with the
// page commands serialised between its characters, which the message window
// replays while it lays the page out. A page command is
//
//   0x00, "[", u32 length (from this field to the end of the record),
//   u32 opcode, u32 argument count, then per argument a u8 pair type and,
//   when bit 1 of the type is set, u32 byte count n (NUL included) and n
//   bytes, otherwise the u32 value.
//
// The buffer holds kCapacity bytes. A character or a command that would not
// fit is dropped whole, never split, so the page shows what fits; the first
// drop of a page is reported once.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace orrivel {

class TgsArguments;

// A page command read back from the buffer; strings are copies.
struct TgsPageCommand {
  struct Argument {
    uint32_t type = 0;
    uint32_t value = 0;   // for a string: 0 when it had no bytes
    std::string text;     // string bytes without the NUL
  };
  uint32_t opcode = 0;
  std::vector<Argument> arguments;
};

class TgsPageBuffer {
 public:
  static constexpr size_t kCapacity = 4096;
  static constexpr uint8_t kMarker = 0x00;
  static constexpr uint8_t kBracket = '[';
  // Bytes of a record before its arguments: marker, bracket, length,
  // opcode, count.
  static constexpr size_t kRecordHead = 14;

  bool Empty() const { return used_ == 0; }
  size_t Size() const { return used_; }
  const uint8_t* Data() const { return bytes_.data(); }
  void Rewind();

  // Appends the character's bytes (1 or 2); false when it is dropped.
  bool AppendCharacter(const uint8_t* bytes, size_t count);
  // Appends a whole page command; false when it is dropped.
  bool AppendCommand(uint32_t opcode, const TgsArguments& arguments);
  // True once something of this page was dropped.
  bool Overflowed() const { return overflowed_; }
  // True the first time a drop happens on this page (the caller logs it).
  bool TakeOverflowReport();

  // Reads the record whose length field starts at `record`, with
  // `available` bytes of buffer from there. The record's bytes are the
  // only ones read: false when its length or any of its fields does not
  // fit them. taken receives the bytes from the length field on.
  static bool ReadCommand(const uint8_t* record, size_t available, TgsPageCommand& out, size_t& taken);

 private:
  bool Fits(size_t bytes);

  std::array<uint8_t, kCapacity> bytes_{};
  size_t used_ = 0;
  bool overflowed_ = false;
  bool reported_ = false;
};

}  // namespace orrivel
