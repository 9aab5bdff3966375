#pragma once
// One Ogg Vorbis file delivering 16-bit little-endian signed PCM, read
// through the engine's file object by the library's callbacks.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/audio/WaveFormat.h"
#include "platform/vorbis/VorbisAbi.h"
#include "resource/FileObject.h"
#include "sound/SoundDecoder.h"

namespace orrivel {

struct VorbisEntries;

enum VorbisOpenCode : int32_t {
  kVorbisOpenOk = 0,
  kVorbisNotVorbis = 1,
  kVorbisNotSeekable = 2,
};

enum VorbisSeekCode : int32_t {
  kVorbisSeekOk = 0,
  kVorbisSeekPastEnd = 5,
  kVorbisSeekFailed = 6,
};

class VorbisDecoder final : public SoundDecoder {
 public:
  explicit VorbisDecoder(std::shared_ptr<const VorbisEntries> entries);
  ~VorbisDecoder() override;
  VorbisDecoder(const VorbisDecoder&) = delete;
  VorbisDecoder& operator=(const VorbisDecoder&) = delete;

  // A VorbisOpenCode. On failure the decoder no longer holds the stream.
  int32_t Open(std::shared_ptr<FileObject> stream);

  uint32_t GetLengthMs() override { return lengthMs_; }
  uint32_t GetTotalBytes() override { return totalBytes_; }
  int32_t SeekMs(uint32_t ms) override;
  uint32_t TellMs() override;
  bool IsEnd() override { return end_; }
  uint32_t Read(void* buffer, uint32_t bytes) override;
  const platform::WaveFormat* GetFormat() override { return &format_; }

  bool HoldsStream() const { return stream_ != nullptr; }

 private:
  static size_t ReadCallback(void* buffer, size_t size, size_t count, void* source);
  static int SeekCallback(void* source, int64_t offset, int whence);
  static int CloseCallback(void* source);
  static long TellCallback(void* source);
  void ForgetState();

  std::shared_ptr<const VorbisEntries> entries_;
  std::shared_ptr<FileObject> stream_;
  alignas(vorbis::kWuStateAlign) unsigned char state_[vorbis::kWuStateBytes] = {};
  platform::WaveFormat format_;
  uint32_t lengthMs_ = 0;
  uint32_t totalBytes_ = 0;
  uint64_t totalSamples_ = 0;
  bool end_ = false;
};

}  // namespace orrivel
