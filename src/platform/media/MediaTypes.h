#pragma once
// The vocabulary the movie pipeline shares with its video sink: result
// codes in the platform's HRESULT style, the media type offered to a sink,
// and one decoded picture handed over for display.
#include <cstddef>
#include <cstdint>

namespace orrivel::media {

using MediaResult = int32_t;
inline constexpr MediaResult kMediaOk = 0;
inline constexpr MediaResult kMediaFalse = 1;
inline constexpr MediaResult kMediaFail = int32_t(0x80004005u);
inline constexpr MediaResult kMediaInvalidArg = int32_t(0x80070057u);

inline constexpr bool MediaSucceeded(MediaResult r) { return r >= 0; }

enum class MediaFormatType : uint8_t { kNone, kVideoInfo, kWaveFormat };
enum class MediaMajorType : uint8_t { kNone, kVideo, kAudio, kStream };
enum class MediaSubtype : uint8_t { kNone, kRgb32, kRgb24, kYuv };

// Largest frame side the pipeline decodes; a file claiming more is refused
// before anything is sized from it.
inline constexpr int32_t kMaxFrameSide = 16384;

struct MediaType {
  MediaFormatType formatType = MediaFormatType::kNone;
  MediaMajorType majorType = MediaMajorType::kNone;
  MediaSubtype subtype = MediaSubtype::kNone;
  // From the format's bitmap header: a positive height means bottom-up rows.
  int32_t width = 0;
  int32_t height = 0;
  uint16_t bitCount = 0;
};

// The type the pipeline offers its video sink: 32-bit X8R8G8B8 in bottom-up
// rows of width * 4 bytes.
MediaType MakeRgb32VideoType(int32_t width, int32_t height);

// One picture: `length` bytes at `data`, in the offered type's layout.
class MediaSample {
 public:
  virtual ~MediaSample() = default;
  virtual uint8_t* GetPointer() = 0;
  virtual size_t GetActualDataLength() const = 0;
  // Presentation time in 100-nanosecond units from the start of the movie.
  virtual int64_t GetTime() const = 0;
};

// A sample over a caller's buffer; tests and the pipeline both use it.
class BufferSample final : public MediaSample {
 public:
  BufferSample(uint8_t* data, size_t length, int64_t time) : data_(data), length_(length), time_(time) {}
  uint8_t* GetPointer() override { return data_; }
  size_t GetActualDataLength() const override { return length_; }
  int64_t GetTime() const override { return time_; }

 private:
  uint8_t* data_;
  size_t length_;
  int64_t time_;
};

// What a pipeline's video end must do: say which types it takes, size itself
// for the accepted one, and store each picture. CheckMediaType and
// SetMediaType run on the thread that opens the movie; DoRenderSample on the
// pipeline's presentation thread.
class VideoRendererSink {
 public:
  virtual ~VideoRendererSink() = default;
  virtual MediaResult CheckMediaType(const MediaType& type) = 0;
  virtual MediaResult SetMediaType(const MediaType& type) = 0;
  virtual MediaResult DoRenderSample(MediaSample& sample) = 0;
};

}  // namespace orrivel::media
