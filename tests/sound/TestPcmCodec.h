#pragma once
// A tiny sound format for the decoder tests and the test plug-ins: "TPCM",
// rate (u32), channels (u16), bits (u16), then the PCM bytes. The codec
// reads the header through the file and, when the header is not its own,
// answers null and leaves the file where its read stopped (it does not
// rewind), so the manager's own rewind is what the next codec relies on.
#include <cstring>
#include <memory>

#include "sound/SoundCodec.h"

namespace orrivel::testing {

constexpr uint32_t kTestPcmHeaderBytes = 12;

inline std::vector<uint8_t> MakeTestPcm(uint32_t rate, uint16_t channels, uint16_t bits,
                                        const std::vector<uint8_t>& pcm) {
  std::vector<uint8_t> file = {'T', 'P', 'C', 'M'};
  for (int i = 0; i < 4; ++i) file.push_back(uint8_t(rate >> (8 * i)));
  file.push_back(uint8_t(channels));
  file.push_back(uint8_t(channels >> 8));
  file.push_back(uint8_t(bits));
  file.push_back(uint8_t(bits >> 8));
  file.insert(file.end(), pcm.begin(), pcm.end());
  return file;
}

class TestPcmDecoder final : public SoundDecoder {
 public:
  TestPcmDecoder(std::shared_ptr<FileObject> file, const platform::WaveFormat& format, uint32_t bytes)
      : file_(std::move(file)), format_(format), total_(bytes) {
    // The record size the stream sound's format carries (decoders may count
    // their own record there).
    format_.extraSize = platform::kWaveFormatRecordSize;
  }
  uint32_t GetLengthMs() override { return uint32_t(uint64_t(total_) * 1000 / format_.avgBytesPerSec); }
  uint32_t GetTotalBytes() override { return total_; }
  int32_t SeekMs(uint32_t ms) override {
    uint64_t at = uint64_t(ms) * format_.avgBytesPerSec / 1000;
    at -= at % format_.blockAlign;
    if (at > total_) return 5;
    position_ = uint32_t(at);
    return file_->SeekSet(kTestPcmHeaderBytes + position_);
  }
  uint32_t TellMs() override { return uint32_t(uint64_t(position_) * 1000 / format_.avgBytesPerSec); }
  bool IsEnd() override { return position_ >= total_; }
  uint32_t Read(void* buffer, uint32_t bytes) override {
    const uint32_t got = file_->Read(buffer, std::min(bytes, total_ - position_));
    position_ += got;
    return got;
  }
  const platform::WaveFormat* GetFormat() override { return &format_; }

 private:
  std::shared_ptr<FileObject> file_;
  platform::WaveFormat format_;
  uint32_t total_;
  uint32_t position_ = 0;
};

class TestPcmCodec final : public SoundCodec {
 public:
  SoundDecoder* CreateDecoder(const std::shared_ptr<FileObject>& file, int32_t* outError) override {
    uint8_t head[kTestPcmHeaderBytes];
    ++asked;
    if (!file || file->Read(head, kTestPcmHeaderBytes) != kTestPcmHeaderBytes ||
        std::memcmp(head, "TPCM", 4) != 0) {
      if (outError) *outError = kSllCodecFailed;
      return nullptr;
    }
    platform::WaveFormat format;
    format.channels = uint16_t(head[8] | (head[9] << 8));
    format.samplesPerSec = uint32_t(head[4] | (head[5] << 8) | (head[6] << 16) | (uint32_t(head[7]) << 24));
    format.bitsPerSample = uint16_t(head[10] | (head[11] << 8));
    format.blockAlign = uint16_t(format.channels * format.bitsPerSample / 8);
    format.avgBytesPerSec = format.samplesPerSec * format.blockAlign;
    if (format.blockAlign == 0 || format.avgBytesPerSec == 0) return nullptr;
    const uint32_t bytes = file->GetSize() - kTestPcmHeaderBytes;
    return new TestPcmDecoder(file, format, bytes - bytes % format.blockAlign);
  }
  int asked = 0;
};

// A codec that accepts nothing, after reading a little of the file.
class RefusingCodec final : public SoundCodec {
 public:
  SoundDecoder* CreateDecoder(const std::shared_ptr<FileObject>& file, int32_t*) override {
    uint8_t scratch[5];
    ++asked;
    if (file) file->Read(scratch, sizeof scratch);
    return nullptr;
  }
  int asked = 0;
};

}  // namespace orrivel::testing
