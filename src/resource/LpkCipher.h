#pragma once
// Keys and scrambles of LPK archives. Every scramble is a XOR with a key
// stream that does not depend on the data (so applying it again undoes it),
// except the member byte scramble, which has its own inverse.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace orrivel::lpk {

struct NameKey {
  uint32_t first = 0;   // backwards pass; gives the member key
  uint32_t second = 0;  // forwards pass; gives the header key
};

// The key of an archive file name (CP932; folder and extension are cut and
// ASCII letters of single-byte characters upper-cased). Nullopt-like: ok is
// false when the stem is empty.
bool MakeNameKey(std::string_view archivePath, NameKey* key);

inline uint32_t MemberKey(const NameKey& key, uint32_t keyWord1) { return keyWord1 ^ key.first; }
inline uint32_t HeaderKey(const NameKey& key, uint32_t keyWord2) { return key.second ^ keyWord2; }

// XORs the whole 32-bit words of data with the directory key stream.
void ScrambleDirectory(uint8_t* data, size_t size, uint32_t headerKey);
// XORs up to wordCount whole words with the member head key stream.
void ScrambleHeadWords(uint8_t* data, size_t wordCount, uint32_t memberKey);

uint8_t UnscrambleByte(uint8_t stored);
uint8_t ScrambleByte(uint8_t plain);
// Unscrambles a run of member bytes in place, in the widest vectors the
// processor has; the table form is the plain twin every packed width is
// checked against.
void UnscrambleBytes(uint8_t* data, size_t size);
void UnscrambleBytesByTable(uint8_t* data, size_t size);
// The vector widths in bytes the processor can unscramble in, widest first;
// 8 (whole words) is always there. UnscrambleBytesAtWidth holds the packed
// form to one of them, then narrower ones and single bytes for the tail, so
// that a wide processor can still run each narrower form.
std::vector<size_t> UnscrambleWidths();
void UnscrambleBytesAtWidth(size_t width, uint8_t* data, size_t size);
// The same from `in` to `out`, two runs that do not overlap.
void UnscrambleBytesInto(uint8_t* out, const uint8_t* in, size_t size);
void UnscrambleBytesIntoAtWidth(size_t width, uint8_t* out, const uint8_t* in, size_t size);

uint32_t ReadLe32(const uint8_t* p);
uint16_t ReadLe16(const uint8_t* p);
void WriteLe32(uint8_t* p, uint32_t value);

}  // namespace orrivel::lpk
