#pragma once
// The "KVL0" save file: a 132 x 74 thumbnail, a title, a comment and the
// game state (packed or stored), with the texts the save list shows.
//
//   0      "KVL0"            magic
//   4      u32 version       0
//   8      74 x 396 bytes    thumbnail rows, top first, 132 pixels of B, G, R
//   29312  44 bytes          title (CP932, NUL-ended, at most 40 bytes)
//   29356  144 bytes         comment (CP932, NUL-ended, at most 139 bytes)
//   29500  u8                reserved, 0
//   29501  u32 S             stored size of the state
//   29505  u32 U             unpacked size; 0 or S: the state is stored as is
//   29509  u8                sum of the S stored bytes, modulo 256
//   29510  S bytes           the state
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orrivel {

struct SaveFileLayout {
  static constexpr uint32_t kThumbWidth = 132;
  static constexpr uint32_t kThumbHeight = 74;
  static constexpr uint32_t kThumbRowBytes = kThumbWidth * 3;
  static constexpr uint32_t kThumbBytes = kThumbRowBytes * kThumbHeight;
  static constexpr uint32_t kThumbOffset = 8;
  static constexpr uint32_t kTitleOffset = kThumbOffset + kThumbBytes;
  static constexpr uint32_t kTitleBytes = 44;
  static constexpr uint32_t kCommentOffset = kTitleOffset + kTitleBytes;
  static constexpr uint32_t kCommentBytes = 144;
  static constexpr uint32_t kReservedOffset = kCommentOffset + kCommentBytes;
  static constexpr uint32_t kStoredSizeOffset = kReservedOffset + 1;
  static constexpr uint32_t kUnpackedSizeOffset = kStoredSizeOffset + 4;
  static constexpr uint32_t kChecksumOffset = kUnpackedSizeOffset + 4;
  static constexpr uint32_t kStateOffset = kChecksumOffset + 1;
  static constexpr uint32_t kTitleTextBytes = 40;
  static constexpr uint32_t kCommentBudget = 140;
};
static_assert(SaveFileLayout::kTitleOffset == 29312 && SaveFileLayout::kCommentOffset == 29356 &&
              SaveFileLayout::kReservedOffset == 29500 && SaveFileLayout::kStateOffset == 29510);

// The information part of a save: everything before the state.
struct SaveFileInfo {
  std::array<uint8_t, SaveFileLayout::kThumbBytes> thumbnail{};  // B, G, R rows
  std::array<uint8_t, SaveFileLayout::kTitleBytes> title{};
  std::array<uint8_t, SaveFileLayout::kCommentBytes> comment{};
  uint8_t reserved = 0;
};

// Load codes.
enum SaveFileCode : int32_t {
  kSaveFileOk = 0,
  kSaveFileNotOpened = 1,
  kSaveFileNoMemory = 2,
  kSaveFileDamaged = 3,
  kSaveFileStateRefused = 4,
  kSaveFileVersion = 5,
};

// The whole file for a state blob: packed when pack is set and packing
// works, else stored with U = 0.
std::vector<uint8_t> BuildSaveFile(const SaveFileInfo& info, std::span<const uint8_t> blob, bool pack);
// Checks the container and hands out the unpacked state. kSaveFileOk,
// kSaveFileDamaged (magic, sizes, checksum, packed data), kSaveFileVersion,
// kSaveFileNoMemory. The unpacked size is checked against what the stored
// bytes can unpack to before anything is allocated.
int32_t ParseSaveFile(std::span<const uint8_t> file, std::vector<uint8_t>& blob);
// The information part (the version is not checked): false for a file
// too short or of another magic.
bool ReadSaveFileInfo(std::span<const uint8_t> file, SaveFileInfo& info);

// The title block: at most 40 bytes of text and its NUL; an empty title is
// four zero bytes.
std::array<uint8_t, SaveFileLayout::kTitleBytes> MakeSaveTitle(std::string_view title);
// The text cut to the comment budget: each character costs its CP932
// length and is copied only while at least one byte stays for the NUL; a
// two-byte character is never split. Stops at a NUL.
std::string CutSaveComment(std::string_view text);
// The comment re-broken for the save list: lines of at most 34 bytes, at
// most four of them, a line feed starting a new line; lines joined with
// "\n". Two-byte characters are never split.
std::string WrapSaveComment(std::string_view comment);
// "『title』" and "%s【記録日時 %s】" with the separator (kind 0 a space, 1
// "\n", other "\r\n") and the date, in CP932.
std::string MakeSaveCaptionText(std::string_view title, uint8_t separatorKind, std::string_view date);
// "%04d/%02d/%02d(%s) %02d:%02d" of a write time (ns since the epoch) in
// local time, the weekday as its CP932 name.
std::string FormatSaveDate(int64_t writeTimeNs);
// The NUL-ended text of a fixed block.
std::string_view BlockText(std::span<const uint8_t> block);

}  // namespace orrivel
