#pragma once
// The peer of the Ogg benchmarks: libvorbisfile's ov_read decoding a whole
// file held in memory, a chunk at a time into one scratch block.
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace orrivel::bench {

struct OggMemory {
  const std::vector<uint8_t>* bytes;
  size_t position = 0;

  static size_t Read(void* out, size_t size, size_t count, void* source) {
    auto* m = static_cast<OggMemory*>(source);
    const size_t n = std::min(size * count, m->bytes->size() - m->position);
    std::memcpy(out, m->bytes->data() + m->position, n);
    m->position += n;
    return n / size;
  }
  static int Seek(void* source, ogg_int64_t offset, int whence) {
    auto* m = static_cast<OggMemory*>(source);
    const int64_t base =
        whence == SEEK_SET ? 0 : whence == SEEK_CUR ? int64_t(m->position) : int64_t(m->bytes->size());
    const int64_t to = base + offset;
    if (to < 0 || to > int64_t(m->bytes->size())) return -1;
    m->position = size_t(to);
    return 0;
  }
  static long Tell(void* source) { return long(static_cast<OggMemory*>(source)->position); }
};

// PCM bytes decoded (16-bit little-endian signed), the scratch block's size
// at a time; 0 when the file does not open.
inline size_t DecodeOggWithOvRead(const std::vector<uint8_t>& ogg, std::vector<uint8_t>& scratch) {
  OggMemory memory{&ogg};
  OggVorbis_File vf;
  const ov_callbacks callbacks{&OggMemory::Read, &OggMemory::Seek, nullptr, &OggMemory::Tell};
  if (ov_open_callbacks(&memory, &vf, nullptr, 0, callbacks) != 0) return 0;
  size_t got = 0;
  int section = 0;
  for (;;) {
    const long n = ov_read(&vf, reinterpret_cast<char*>(scratch.data()), int(scratch.size()), 0, 2, 1, &section);
    if (n <= 0) break;
    got += size_t(n);
  }
  ov_clear(&vf);
  return got;
}

}  // namespace orrivel::bench
