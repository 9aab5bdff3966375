#pragma once
// Writers of the engine's LGM layouts and LAG / LAD animations, used by the
// tests, the fuzz seeds and the `layout` program.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace orrivel::tools {

// ---- LGM ----

// Which part record the file uses: the sprite form stores width, height
// and flag only for parts of a kind other than 0; the control form always.
enum class LgmForm { kSprite, kControl };

struct LgmPartRecord {
  std::string name;
  uint8_t kind = 1;
  int16_t x = 0;
  int16_t y = 0;
  uint8_t alpha = 255;  // the option byte in the control form
  uint8_t visible = 1;
  int16_t width = 0;
  int16_t height = 0;
  uint8_t flag = 0;  // the state byte in the control form
};

struct LgmDocument {
  std::string baseName;  // empty: no base picture (at most 255 bytes)
  std::vector<LgmPartRecord> parts;
};

std::vector<uint8_t> WriteLgm(const LgmDocument& document, LgmForm form);

// ---- LAG ----

struct LagPictureRecord {
  std::vector<uint8_t> file;  // an ELG or bitmap file, embedded whole
  int16_t keyX = -1;          // -2: alpha channel; other negatives: no key
  int16_t keyY = 0;
};

struct LagDocument {
  // Six 16-bit values: the first two for the players, the fourth the
  // sequence count.
  std::array<uint16_t, 6> header{};
  std::vector<uint8_t> skipped;
  std::vector<std::array<int32_t, 4>> frames;
  std::vector<LagPictureRecord> pictures;

  void SetSequenceCount(uint16_t count) { header[3] = count; }
};

// Picture data follow the records, in record order.
std::vector<uint8_t> WriteLag(const LagDocument& document);
// Byte offsets inside a written LAG file, for damaging fixtures.
struct LagOffsets {
  uint64_t frameCount = 0;
  uint64_t pictureCount = 0;
  uint64_t firstPictureRecord = 0;
  uint64_t firstPictureData = 0;
};
LagOffsets LagOffsetsOf(const LagDocument& document);

// ---- LAD ----

struct LadFrameRecord {
  int32_t name = 0;  // name index, or negative for a control record
  int32_t value = 0;
  int16_t x = 0;
  int16_t y = 0;
  uint32_t poolOffset = 0;
};

struct LadNameRecord {
  std::string name;
  uint16_t value1 = 0;
  uint16_t value2 = 0;
};

struct LadDocument {
  std::array<uint8_t, 12> header{};  // the sequence count at offset 6
  std::vector<uint8_t> pool;
  std::vector<LadFrameRecord> frames;
  std::vector<LadNameRecord> names;

  void SetSequenceCount(uint16_t count) {
    header[6] = uint8_t(count);
    header[7] = uint8_t(count >> 8);
  }
};

std::vector<uint8_t> WriteLad(const LadDocument& document);
struct LadOffsets {
  uint64_t poolSize = 0;
  uint64_t frameCount = 0;
  uint64_t nameCount = 0;
};
LadOffsets LadOffsetsOf(const LadDocument& document);

// Writes bytes to a host path through a temporary file and a rename.
bool WriteFileBytes(const std::string& hostPath, const std::vector<uint8_t>& bytes);

}  // namespace orrivel::tools
