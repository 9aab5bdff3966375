#include "platform/PngWriter.h"

#include <algorithm>
#include <cstdio>


namespace orrivel::platform {
namespace {

uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0) {
  static uint32_t table[256];
  static bool ready = false;
  if (!ready) {
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      table[n] = c;
    }
    ready = true;
  }
  crc = ~crc;
  for (size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

void PutBigEndian(std::vector<uint8_t>& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(value >> shift));
}

void PutChunk(std::vector<uint8_t>& out, const char type[4], const std::vector<uint8_t>& body) {
  PutBigEndian(out, uint32_t(body.size()));
  const size_t typeAt = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), body.begin(), body.end());
  PutBigEndian(out, Crc32(out.data() + typeAt, body.size() + 4));
}

// A zlib stream of stored blocks (at most 65535 bytes each).
std::vector<uint8_t> StoredZlib(const std::vector<uint8_t>& raw) {
  std::vector<uint8_t> out{0x78, 0x01};
  size_t at = 0;
  do {
    const size_t length = std::min<size_t>(raw.size() - at, 65535);
    const bool last = at + length == raw.size();
    out.push_back(last ? 1 : 0);
    out.push_back(uint8_t(length));
    out.push_back(uint8_t(length >> 8));
    out.push_back(uint8_t(~length));
    out.push_back(uint8_t(~length >> 8));
    out.insert(out.end(), raw.begin() + at, raw.begin() + at + length);
    at += length;
  } while (at < raw.size());
  uint32_t a = 1, b = 0;
  for (uint8_t byte : raw) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  PutBigEndian(out, (b << 16) | a);
  return out;
}

}  // namespace

std::vector<uint8_t> EncodePngRgb(const uint32_t* pixels, uint32_t width, uint32_t height) {
  std::vector<uint8_t> raw;
  raw.reserve(size_t(height) * (size_t(width) * 3 + 1));
  for (uint32_t y = 0; y < height; ++y) {
    raw.push_back(0);  // no filter
    const uint32_t* row = pixels + size_t(y) * width;
    for (uint32_t x = 0; x < width; ++x) {
      raw.push_back(uint8_t(row[x] >> 16));
      raw.push_back(uint8_t(row[x] >> 8));
      raw.push_back(uint8_t(row[x]));
    }
  }
  std::vector<uint8_t> out{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> header;
  PutBigEndian(header, width);
  PutBigEndian(header, height);
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, no filter, no interlace
  PutChunk(out, "IHDR", header);
  PutChunk(out, "IDAT", StoredZlib(raw));
  PutChunk(out, "IEND", {});
  return out;
}

bool WritePngRgb(const std::string& path, const uint32_t* pixels, uint32_t width, uint32_t height) {
  if (pixels == nullptr || width == 0 || height == 0) return false;
  const std::vector<uint8_t> bytes = EncodePngRgb(pixels, width, height);
  const std::string temp = path + ".tmp";
  std::FILE* file = std::fopen(temp.c_str(), "wb");
  if (!file) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  ok = std::fclose(file) == 0 && ok;
  if (ok && std::rename(temp.c_str(), path.c_str()) == 0) return true;
  std::remove(temp.c_str());
  return false;
}

}  // namespace orrivel::platform
