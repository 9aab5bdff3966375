#include "game/SaveFile.h"

#include <cstring>
#include <ctime>

#include "base/Cp932.h"
#include "platform/TextCodec.h"
#include "resource/LzssCoder.h"

namespace orrivel {

namespace {

using L = SaveFileLayout;

void PutU32At(std::vector<uint8_t>& out, size_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) out[offset + i] = uint8_t(value >> (8 * i));
}

uint32_t U32At(std::span<const uint8_t> in, size_t offset) {
  uint32_t value = 0;
  for (int i = 0; i < 4; ++i) value |= uint32_t(in[offset + i]) << (8 * i);
  return value;
}

bool HasMagic(std::span<const uint8_t> file) { return file.size() >= 4 && std::memcmp(file.data(), "KVL0", 4) == 0; }


}  // namespace

std::vector<uint8_t> BuildSaveFile(const SaveFileInfo& info, std::span<const uint8_t> blob, bool pack) {
  std::vector<uint8_t> packed;
  uint32_t packedSize = 0;
  // Packed bytes as many as the blob's would read as a stored blob (the
  // unpacked size equal to the stored one), so such a blob is stored.
  const bool packedOk = pack && !blob.empty() &&
                        LzssEncode(blob.data(), uint32_t(blob.size()), &packed, &packedSize, true) == 0 &&
                        packedSize > 0 && packedSize <= packed.size() && packedSize != blob.size();
  const std::span<const uint8_t> stored = packedOk ? std::span<const uint8_t>(packed.data(), packedSize) : blob;
  std::vector<uint8_t> file(L::kStateOffset + stored.size(), 0);
  std::memcpy(file.data(), "KVL0", 4);
  std::memcpy(file.data() + L::kThumbOffset, info.thumbnail.data(), L::kThumbBytes);
  std::memcpy(file.data() + L::kTitleOffset, info.title.data(), L::kTitleBytes);
  std::memcpy(file.data() + L::kCommentOffset, info.comment.data(), L::kCommentBytes);
  file[L::kReservedOffset] = 0;
  PutU32At(file, L::kStoredSizeOffset, uint32_t(stored.size()));
  PutU32At(file, L::kUnpackedSizeOffset, packedOk ? uint32_t(blob.size()) : 0);
  uint8_t sum = 0;
  for (uint8_t byte : stored) sum = uint8_t(sum + byte);
  file[L::kChecksumOffset] = sum;
  if (!stored.empty()) std::memcpy(file.data() + L::kStateOffset, stored.data(), stored.size());
  return file;
}

int32_t ParseSaveFile(std::span<const uint8_t> file, std::vector<uint8_t>& blob) {
  if (file.size() < 8 || !HasMagic(file)) return kSaveFileDamaged;
  if (U32At(file, 4) != 0) return kSaveFileVersion;
  if (file.size() < L::kStateOffset) return kSaveFileDamaged;
  const uint32_t stored = U32At(file, L::kStoredSizeOffset);
  const uint32_t unpacked = U32At(file, L::kUnpackedSizeOffset);
  if (stored > file.size() - L::kStateOffset) return kSaveFileDamaged;
  const std::span<const uint8_t> body = file.subspan(L::kStateOffset, stored);
  uint8_t sum = 0;
  for (uint8_t byte : body) sum = uint8_t(sum + byte);
  if (sum != file[L::kChecksumOffset]) return kSaveFileDamaged;
  // Stored as is: an unpacked size of 0, or one equal to the stored size.
  if (unpacked == 0 || unpacked == stored) {
    blob.assign(body.begin(), body.end());
    return kSaveFileOk;
  }
  if (unpacked > LzssMaxUnpackedSize(stored)) return kSaveFileDamaged;
  const int code = LzssDecode(body.data(), body.size(), blob, unpacked);
  if (code == 2) return kSaveFileNoMemory;
  return code == 0 ? kSaveFileOk : kSaveFileDamaged;
}

bool ReadSaveFileInfo(std::span<const uint8_t> file, SaveFileInfo& info) {
  if (file.size() < L::kStoredSizeOffset || !HasMagic(file)) return false;
  std::memcpy(info.thumbnail.data(), file.data() + L::kThumbOffset, L::kThumbBytes);
  std::memcpy(info.title.data(), file.data() + L::kTitleOffset, L::kTitleBytes);
  std::memcpy(info.comment.data(), file.data() + L::kCommentOffset, L::kCommentBytes);
  info.reserved = file[L::kReservedOffset];
  return true;
}

std::string_view BlockText(std::span<const uint8_t> block) {
  const auto* text = reinterpret_cast<const char*>(block.data());
  return std::string_view(text, strnlen(text, block.size()));
}

std::array<uint8_t, SaveFileLayout::kTitleBytes> MakeSaveTitle(std::string_view title) {
  std::array<uint8_t, L::kTitleBytes> block{};
  const size_t end = title.find('\0');
  if (end != std::string_view::npos) title = title.substr(0, end);
  const size_t n = std::min<size_t>(title.size(), L::kTitleTextBytes);
  std::memcpy(block.data(), title.data(), n);
  return block;
}

std::string CutSaveComment(std::string_view text) {
  std::string out;
  size_t budget = L::kCommentBudget;
  for (size_t at = 0; at < text.size() && text[at] != '\0';) {
    const size_t length = cp932::CharLength(text, at);
    if (budget < length + 1) break;
    out.append(text.substr(at, length));
    budget -= length;
    at += length;
  }
  return out;
}

std::string WrapSaveComment(std::string_view comment) {
  constexpr size_t kLineBytes = 34;
  constexpr int kLines = 4;
  std::string out;
  size_t lineBytes = 0;
  int lines = 1;
  for (size_t at = 0; at < comment.size() && comment[at] != '\0';) {
    const size_t length = cp932::CharLength(comment, at);
    const bool lineFeed = comment[at] == '\n';
    if (lineFeed || lineBytes + length > kLineBytes) {
      if (++lines > kLines) break;
      out.push_back('\n');
      lineBytes = 0;
      if (lineFeed) {
        ++at;
        continue;
      }
    }
    out.append(comment.substr(at, length));
    lineBytes += length;
    at += length;
  }
  return out;
}

std::string MakeSaveCaptionText(std::string_view title, uint8_t separatorKind, std::string_view date) {
  const char* separator = separatorKind == 0 ? " " : separatorKind == 1 ? "\n" : "\r\n";
  return platform::Utf8ToCp932Lossy("『") + std::string(title) + platform::Utf8ToCp932Lossy("』") + separator +
         platform::Utf8ToCp932Lossy("【記録日時 ") + std::string(date) + platform::Utf8ToCp932Lossy("】");
}

std::string FormatSaveDate(int64_t writeTimeNs) {
  static const char* const kWeekdays[] = {"日", "月", "火", "水", "木", "金", "土"};
  const time_t seconds = time_t(writeTimeNs / 1000000000);
  struct tm local {};
  localtime_r(&seconds, &local);
  char text[64];
  std::snprintf(text, sizeof text, "%04d/%02d/%02d(%s) %02d:%02d", local.tm_year + 1900, local.tm_mon + 1,
                local.tm_mday, kWeekdays[local.tm_wday % 7], local.tm_hour, local.tm_min);
  return platform::Utf8ToCp932Lossy(text);
}

}  // namespace orrivel
