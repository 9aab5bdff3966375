#pragma once
// The "TLOG" scene-flag file: the flag bits of every scene table entry,
// matched back to the table by name when read. The text-adventure frame's
// read-message file "TSLG" has the same layout under its own magic.
//
//   magic, u32 stored size, u32 unpacked size (0: body stored as is),
//   u32 entry count, then the body (LZSS-packed unless unpacked size is 0):
//   per entry u8 name length L, L name bytes, u32 bit count A, u32 byte
//   count A, the bytes of A, u32 bit count B, u32 byte count B, the bytes of B.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "script/SceneFlagTable.h"

namespace orrivel {

class SceneFlagFile {
 public:
  static constexpr int kOk = 0;
  static constexpr int kDamaged = 2;  // wrong magic, does not unpack, or a body that does not hold together
  static constexpr int kNoMemory = 3;

  // The whole file for table.
  static int Write(const SceneFlagTable& table, std::vector<uint8_t>& file, const char (&magic)[5] = "TLOG");

  // Reads a file into table. Each record goes to the first entry not yet
  // matched whose name bytes equal the record's exactly; an array is copied
  // only when its stored bit count equals the entry's, and then exactly the
  // bytes that bit count needs. Records without an entry are skipped and
  // entries without a record keep their bits. The whole file is checked
  // before any bit changes, so a refused file changes nothing.
  static int Read(const uint8_t* data, size_t size, SceneFlagTable& table, const char (&magic)[5] = "TLOG");
};

}  // namespace orrivel
