#include "LayoutWriter.h"

#include <cstdio>
#include <stdexcept>

namespace orrivel::tools {
namespace {

class Bytes {
 public:
  void U8(uint8_t v) { out_.push_back(v); }
  void U16(uint16_t v) {
    U8(uint8_t(v));
    U8(uint8_t(v >> 8));
  }
  void U32(uint32_t v) {
    U16(uint16_t(v));
    U16(uint16_t(v >> 16));
  }
  void Raw(const void* data, size_t size) {
    const auto* p = static_cast<const uint8_t*>(data);
    out_.insert(out_.end(), p, p + size);
  }
  void ShortName(const std::string& name) {
    if (name.size() > 255) throw std::length_error("name longer than 255 bytes");
    U8(uint8_t(name.size()));
    Raw(name.data(), name.size());
  }
  std::vector<uint8_t> Take() { return std::move(out_); }

 private:
  std::vector<uint8_t> out_;
};

}  // namespace

std::vector<uint8_t> WriteLgm(const LgmDocument& document, LgmForm form) {
  Bytes out;
  out.Raw("LGM", 4);
  out.ShortName(document.baseName);
  out.U16(uint16_t(document.parts.size()));
  for (const LgmPartRecord& part : document.parts) {
    out.ShortName(part.name);
    out.U8(part.kind);
    out.U16(uint16_t(part.x));
    out.U16(uint16_t(part.y));
    out.U8(part.alpha);
    out.U8(part.visible);
    if (form == LgmForm::kControl || part.kind != 0) {
      out.U16(uint16_t(part.width));
      out.U16(uint16_t(part.height));
      out.U8(part.flag);
    }
  }
  return out.Take();
}

LagOffsets LagOffsetsOf(const LagDocument& document) {
  LagOffsets offsets;
  offsets.frameCount = 4 + 12 + 4 + document.skipped.size();
  offsets.pictureCount = offsets.frameCount + 4 + 16 * document.frames.size();
  offsets.firstPictureRecord = offsets.pictureCount + 4;
  offsets.firstPictureData = offsets.firstPictureRecord + 12 * document.pictures.size();
  return offsets;
}

std::vector<uint8_t> WriteLag(const LagDocument& document) {
  Bytes out;
  out.Raw("LAG", 4);
  for (uint16_t value : document.header) out.U16(value);
  out.U32(uint32_t(document.skipped.size()));
  out.Raw(document.skipped.data(), document.skipped.size());
  out.U32(uint32_t(document.frames.size()));
  for (const auto& frame : document.frames) {
    for (int32_t value : frame) out.U32(uint32_t(value));
  }
  out.U32(uint32_t(document.pictures.size()));
  uint64_t dataOffset = LagOffsetsOf(document).firstPictureData;
  for (const LagPictureRecord& picture : document.pictures) {
    out.U32(uint32_t(picture.file.size()));
    out.U32(uint32_t(dataOffset));
    out.U16(uint16_t(picture.keyX));
    out.U16(uint16_t(picture.keyY));
    dataOffset += picture.file.size();
  }
  for (const LagPictureRecord& picture : document.pictures) out.Raw(picture.file.data(), picture.file.size());
  return out.Take();
}

LadOffsets LadOffsetsOf(const LadDocument& document) {
  LadOffsets offsets;
  offsets.poolSize = 4 + 12;
  offsets.frameCount = offsets.poolSize + 4 + document.pool.size();
  offsets.nameCount = offsets.frameCount + 4 + 16 * document.frames.size();
  return offsets;
}

std::vector<uint8_t> WriteLad(const LadDocument& document) {
  Bytes out;
  out.Raw("LAD", 4);
  out.Raw(document.header.data(), document.header.size());
  out.U32(uint32_t(document.pool.size()));
  out.Raw(document.pool.data(), document.pool.size());
  out.U32(uint32_t(document.frames.size()));
  for (const LadFrameRecord& frame : document.frames) {
    out.U32(uint32_t(frame.name));
    out.U32(uint32_t(frame.value));
    out.U16(uint16_t(frame.x));
    out.U16(uint16_t(frame.y));
    out.U32(frame.poolOffset);
  }
  out.U32(uint32_t(document.names.size()));
  for (const LadNameRecord& name : document.names) {
    out.U16(uint16_t(name.name.size()));
    out.Raw(name.name.data(), name.name.size());
    out.U16(name.value1);
    out.U16(name.value2);
  }
  return out.Take();
}

bool WriteFileBytes(const std::string& hostPath, const std::vector<uint8_t>& bytes) {
  const std::string temporary = hostPath + ".tmp";
  FILE* file = std::fopen(temporary.c_str(), "wb");
  if (!file) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  const bool closed = std::fclose(file) == 0;
  if (!written || !closed || std::rename(temporary.c_str(), hostPath.c_str()) != 0) {
    std::remove(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace orrivel::tools
