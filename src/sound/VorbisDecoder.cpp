#include "sound/VorbisDecoder.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>

#include "sound/VorbisCodec.h"

namespace orrivel {
namespace {

constexpr uint16_t kBitsPerSample = 16;
constexpr int kLittleEndian = 0;
constexpr int kWordBytes = 2;
constexpr int kSigned = 1;
constexpr int kWholeStream = -1;

}  // namespace

VorbisDecoder::VorbisDecoder(std::shared_ptr<const VorbisEntries> entries) : entries_(std::move(entries)) {}

VorbisDecoder::~VorbisDecoder() {
  // The close callback lets go of the stream when the library still had it.
  entries_->clear(state_);
  stream_.reset();
}

void VorbisDecoder::ForgetState() {
  entries_->clear(state_);
  std::memset(state_, 0, sizeof state_);
}

int32_t VorbisDecoder::Open(std::shared_ptr<FileObject> stream) {
  stream_ = std::move(stream);
  const vorbis::WuCallbacks callbacks{&ReadCallback, &SeekCallback, &CloseCallback, &TellCallback};
  if (entries_->openCallbacks(this, state_, nullptr, 0, callbacks) != 0) {
    stream_.reset();
    std::memset(state_, 0, sizeof state_);
    return kVorbisNotVorbis;
  }
  if (entries_->seekable(state_) == 0) {
    stream_.reset();
    ForgetState();
    return kVorbisNotSeekable;
  }
  const vorbis::WuInfo* info = entries_->info(state_, kWholeStream);
  // A stream the output cannot describe is no use as Ogg Vorbis.
  if (!info || info->channels <= 0 || info->channels > 0x7FFF / kWordBytes || info->rate <= 0 ||
      uint64_t(kWordBytes * info->channels) * uint64_t(info->rate) > UINT32_MAX) {
    stream_.reset();
    ForgetState();
    return kVorbisNotVorbis;
  }
  format_ = platform::WaveFormat{};
  format_.formatTag = platform::kWaveFormatPcm;
  format_.channels = uint16_t(info->channels);
  format_.samplesPerSec = uint32_t(info->rate);
  format_.blockAlign = uint16_t(kWordBytes * info->channels);
  format_.avgBytesPerSec = format_.blockAlign * format_.samplesPerSec;
  format_.bitsPerSample = kBitsPerSample;
  // PCM carries no extra bytes after the record.
  format_.extraSize = 0;
  const double seconds = entries_->timeTotal(state_, kWholeStream);
  lengthMs_ = seconds > 0 ? uint32_t(std::min(seconds * 1000.0, double(UINT32_MAX))) : 0;
  const int64_t samples = entries_->pcmTotal(state_, kWholeStream);
  // The byte count must fit 32 bits; a longer stream is cut at whole samples.
  const uint64_t maxSamples = UINT32_MAX / format_.blockAlign;
  totalSamples_ = samples > 0 ? std::min(uint64_t(samples), maxSamples) : 0;
  totalBytes_ = uint32_t(totalSamples_ * format_.blockAlign);
  end_ = false;
  return kVorbisOpenOk;
}

uint32_t VorbisDecoder::Read(void* buffer, uint32_t bytes) {
  if (end_ || !buffer || bytes == 0) return 0;
  char* out = static_cast<char*>(buffer);
  uint32_t got = 0;
  while (got < bytes) {
    const int ask = int(std::min<uint32_t>(bytes - got, INT_MAX));
    int section = 0;
    const long result = entries_->read(state_, out + got, ask, kLittleEndian, kWordBytes, kSigned, &section);
    if (result == 0) {
      end_ = true;
      break;
    }
    // A hole or a bad link, and any other failure of the library, ends this
    // read with what was delivered; only the end of the stream is sticky.
    if (result < 0) break;
    got += uint32_t(std::min<long>(result, long(bytes - got)));
  }
  return got;
}

int32_t VorbisDecoder::SeekMs(uint32_t ms) {
  if (ms >= lengthMs_) return kVorbisSeekPastEnd;
  // The start is the stream's first byte: the library reads ahead while it
  // opens, so the offset it reports right after opening is already past the
  // first samples.
  const int result = ms == 0 ? entries_->rawSeek(state_, 0) : entries_->timeSeek(state_, ms * 0.001);
  if (result != 0) return kVorbisSeekFailed;
  end_ = false;
  return kVorbisSeekOk;
}

uint32_t VorbisDecoder::TellMs() {
  const double seconds = entries_->timeTell(state_);
  return seconds > 0 ? uint32_t(std::min(seconds * 1000.0, double(UINT32_MAX))) : 0;
}

size_t VorbisDecoder::ReadCallback(void* buffer, size_t size, size_t count, void* source) {
  auto* self = static_cast<VorbisDecoder*>(source);
  if (!self || !self->stream_ || size == 0 || count == 0) return 0;
  const size_t want = count > SIZE_MAX / size ? SIZE_MAX : size * count;
  const uint32_t got = self->stream_->Read(buffer, uint32_t(std::min<size_t>(want, UINT32_MAX - UINT32_MAX % size)));
  return got / size;
}

int VorbisDecoder::SeekCallback(void* source, int64_t offset, int whence) {
  auto* self = static_cast<VorbisDecoder*>(source);
  if (!self || !self->stream_) return -1;
  FileObject& stream = *self->stream_;
  int64_t target;
  switch (whence) {
    case SEEK_SET:
      target = offset;
      break;
    case SEEK_CUR:
      target = stream.Tell() + offset;
      break;
    case SEEK_END:
      target = int64_t(stream.GetSize()) + offset;
      break;
    default:
      return -1;
  }
  // The library must hear of a refused seek: it then takes the stream as
  // unseekable, or stops, instead of decoding from the wrong place.
  if (target < 0 || target > int64_t(UINT32_MAX)) return -1;
  return stream.SeekSet(uint32_t(target)) == 0 ? 0 : -1;
}

int VorbisDecoder::CloseCallback(void* source) {
  auto* self = static_cast<VorbisDecoder*>(source);
  if (!self || !self->stream_) return -1;
  self->stream_.reset();
  return 0;
}

long VorbisDecoder::TellCallback(void* source) {
  auto* self = static_cast<VorbisDecoder*>(source);
  if (!self || !self->stream_) return -1;
  return long(self->stream_->Tell());
}

}  // namespace orrivel
