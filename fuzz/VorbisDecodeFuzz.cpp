// Feeds arbitrary bytes through the Ogg Vorbis codec as a file. A refused
// file is left at its start for the next codec; a decoder, when one is made,
// never delivers more than asked while it reads, seeks and reads again.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "sound/VorbisCodec.h"

namespace {

// The engine's file object over the fuzzer's bytes.
class MemoryFile final : public orrivel::FileObject {
 public:
  MemoryFile(const uint8_t* data, size_t size) : data_(data), size_(uint32_t(std::min<size_t>(size, UINT32_MAX))) {}
  uint32_t GetSize() const override { return size_; }
  int64_t Tell() const override { return position_; }
  bool IsEof() const override { return position_ >= size_; }
  int SeekSet(uint32_t offset) override {
    if (offset > size_) return orrivel::kFileObjectSeekFailed;
    position_ = offset;
    return 0;
  }
  int SeekCurrent(int32_t offset) override { return SeekSet(uint32_t(int64_t(position_) + offset)); }
  int SeekEnd(uint32_t offset) override { return offset > size_ ? orrivel::kFileObjectSeekFailed : SeekSet(size_ - offset); }
  uint32_t Read(void* buffer, uint32_t count) override {
    const uint32_t n = std::min(count, size_ - position_);
    if (n) std::memcpy(buffer, data_ + position_, n);
    position_ += n;
    return n;
  }

 private:
  const uint8_t* data_;
  uint32_t size_;
  uint32_t position_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static orrivel::VorbisCodec codec(orrivel::VorbisCodec::DefaultLibraryPath());
  if (!codec.IsActive()) std::abort();
  auto file = std::make_shared<MemoryFile>(data, size);
  int32_t error = -1;
  orrivel::SoundDecoderPtr decoder(codec.CreateDecoder(file, &error));
  if (!decoder) {
    if (error == 0 || file->Tell() != 0) std::abort();
    return 0;
  }
  std::vector<uint8_t> piece(4096);
  // The cap keeps a hostile length from making the run long.
  for (int i = 0; i < 256; ++i) {
    const uint32_t n = decoder->Read(piece.data(), uint32_t(piece.size()));
    if (n > piece.size()) std::abort();
    if (n == 0) break;
  }
  decoder->SeekMs(0);
  decoder->SeekMs(decoder->GetLengthMs() / 2);
  decoder->Read(piece.data(), uint32_t(piece.size()));
  decoder->TellMs();
  return 0;
}
