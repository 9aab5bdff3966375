#pragma once
// Writes LPK archives in every layout the engine reads: offsets in bytes or
// 2048-byte units, with or without a name tree (16- or 32-bit links),
// scrambled member heads, a second size per entry, a common head, members
// packed with the engine's LZSS coder or stored, byte-scrambled or plain.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orrivel::tools {

struct LpkWriterOptions {
  bool unitOffsets = false;     // flag bit 0
  bool nameTree = true;         // flag bit 1
  bool scrambledHeads = false;  // flag bit 2
  bool secondSize = false;      // flag bit 3 (needed for packed members)
  bool reservedFlag4 = false;   // flag bit 4, no effect on reading
  bool wideTree = false;        // 32-bit tree links and values
  // Bytes at the start of every member stored once in the directory.
  // Every member must be at least this long and share these bytes.
  uint32_t commonHeadLength = 0;
  uint32_t keyWord1 = 0;
  uint32_t keyWord2 = 0;
};

struct LpkWriterMember {
  std::string name;  // CP932 path with backslashes; looked up without case
  std::vector<uint8_t> data;
  bool pack = false;           // LZSS when it shrinks (needs secondSize)
  bool scrambleBytes = false;  // member flags byte non-zero
};

// Builds the archive bytes for a file that will be opened under
// archiveFileName (its stem keys the archive). False with a message in
// *error when the members do not fit the options.
bool BuildLpk(std::string_view archiveFileName, const LpkWriterOptions& options,
              const std::vector<LpkWriterMember>& members, std::vector<uint8_t>* out, std::string* error);

// Writes the archive to a host path (through a temporary file and a rename).
bool WriteLpkFile(const std::string& hostPath, const LpkWriterOptions& options,
                  const std::vector<LpkWriterMember>& members, std::string* error);

}  // namespace orrivel::tools
