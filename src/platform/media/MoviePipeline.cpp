#include "platform/media/MoviePipeline.h"

#include "platform/media/UntimedFrames.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

namespace orrivel::media {
namespace {

constexpr AVRational kHundredNs{1, 10000000};
constexpr int kIoBufferSize = 32768;
// A picture more than 400 ms late (in 100-ns units) is dropped, not shown.
constexpr int64_t kLateLimit = 4000000;
// A forward jump of more than 5 s between two pictures is taken as damage.
constexpr int64_t kMaxTimeLeap = 50000000;
// Timestamps rounded to their container's time base may miss a picture's
// true time by this much (100-ns units).
constexpr int64_t kTimeSlack = 1000;
// How far before a position a seek that landed past it tries next; the
// distance doubles on every further miss.
constexpr int64_t kFirstSeekBackoff = 10000000;
// The most frames held at a new position waiting for one with a time; past
// it the oldest are let go (with no time they could not be shown anyway).
constexpr size_t kMaxUntimedFrames = 64;
// How many frames after the first with a stored time wait for a second
// that confirms it.
constexpr size_t kConfirmPatience = 12;
constexpr int64_t kUnknownTime = UntimedFrames::kUnknownTime;
// The end of a movie whose container only estimates its length is found by
// decoding its last bytes: this many first, four times more on every try.
constexpr int64_t kTailBytes = 256 * 1024;

const char* DemuxerName(ContainerHint hint) {
  switch (hint) {
    case ContainerHint::kMpegSystem:
    case ContainerHint::kVideoCd:
      return "mpeg";
    case ContainerHint::kMpegVideo:
      return "mpegvideo";
    case ContainerHint::kAvi:
      return "avi";
    case ContainerHint::kQuickTime:
      return "mov";
  }
  return nullptr;
}

enum class StepResult { kPicture, kContinue, kEnd };

// How much sound is kept queued while a picture waits for its time.
constexpr int64_t kSoundLeadUs = 200000;
// The most picture data held back meanwhile.
constexpr size_t kBacklogLimitBytes = size_t(32) << 20;

bool IsElementaryVideo(const AVInputFormat* demuxer) {
  if (demuxer->flags & AVFMT_NOTIMESTAMPS) return true;
  for (const char* name : {"mpegvideo", "m4v", "h261", "h263", "h264", "hevc", "cavsvideo"}) {
    if (std::strcmp(demuxer->name, name) == 0) return true;
  }
  return false;
}

// The coding type of the MPEG-1/2 picture in a packet (1 I, 2 P, 3 B), 0
// when it holds no picture header.
int MpegPictureType(const AVPacket* p) {
  const uint8_t* d = p->data;
  for (int i = 0; i + 5 < p->size; ++i) {
    if (d[i] == 0 && d[i + 1] == 0 && d[i + 2] == 1 && d[i + 3] == 0) return (d[i + 5] >> 3) & 7;
  }
  return 0;
}

}  // namespace

void QuietMediaLog() {
  // Damaged movies are expected input; the codecs' warnings about them are
  // not the player's to print.
  static std::once_flag once;
  std::call_once(once, [] { av_log_set_level(AV_LOG_FATAL); });
}

namespace {

}  // namespace

struct MoviePipeline::Impl {
  Impl(VideoRendererSink& v, AudioSink* a, MediaClock& c) : video(v), audio(a), clock(c) {}

  VideoRendererSink& video;
  AudioSink* audio;
  MediaClock& clock;

  // Demuxing and decoding: touched by the opening thread before the worker
  // starts, then only by the worker.
  AsyncStream* stream = nullptr;
  int64_t ioPosition = 0;
  AVIOContext* io = nullptr;
  AVFormatContext* format = nullptr;
  AVCodecContext* videoDecoder = nullptr;
  AVCodecContext* audioDecoder = nullptr;
  SwsContext* scaler = nullptr;
  SwrContext* resampler = nullptr;
  AVPacket* packet = nullptr;
  AVFrame* frame = nullptr;
  int videoIndex = -1;
  int audioIndex = -1;
  int64_t videoStart = 0;  // stream time base
  int64_t audioStart = 0;
  int64_t frameDuration = 1000000;  // 100-ns units
  int64_t lastPictureTime = -1;
  // Set once a stream without an index went back to its start: its
  // pictures are then timed by counting from there.
  bool countPictures = false;
  bool elementaryVideo = false;  // a bare video stream with no container
  // AVI keeps pictures in decoding order with no presentation times: each
  // picture is timed by the packet that let it out of the decoder, which is
  // as many pictures late as the decoder holds back for B-frames.
  bool timedByDecodingOrder = false;
  // The last picture's time came from its own timestamp or by counting on
  // from one that had it (false: there was nothing to count from).
  bool pictureTimed = false;
  // MPEG program streams time only some of their packets, and the demuxer's
  // guesses for the others go wrong after a jump: it is asked for the stored
  // times alone, and the pictures and sound between them are counted.
  bool storedTimesOnly = false;
  bool mpegVideo = false;  // MPEG-1/2 video in such a stream
  bool picturesReordered = false;  // B-frames were seen in it
  UntimedFrames heldPictures;
  // The held pictures are placed (or given up on): they go out first.
  bool releasingHeldPictures = false;
  UntimedFrames heldSound;
  int64_t soundNext = kUnknownTime;  // end of the sound decoded last
  bool soundLanding = false;  // after a jump, until the sound is placed
  bool demuxEnded = false;
  bool videoFlushed = false;  // the decoder was told the pictures have ended
  // Video packets read while a picture waited and the sound ran low; they
  // go to the decoder before anything newer is read.
  std::deque<AVPacket*> videoBacklog;
  size_t videoBacklogBytes = 0;
  AudioFormat audioFormat;
  double resamplerRate = 1.0;
  // What the resampler was set up to read: it reads that many planes of
  // that format from every frame it is handed.
  int resamplerChannels = 0;
  int resamplerFormat = -1;
  std::atomic<double> soundRate{1.0};  // the rate the sound should play at
  std::vector<int16_t> audioBuffer;
  std::vector<uint8_t> picture;  // the pending picture, bottom-up rows
  int64_t pictureTime = 0;

  int32_t width = 0;
  int32_t height = 0;
  int64_t duration = 0;
  bool audioOpen = false;

  // Shared between the caller's thread and the worker, under mutex.
  mutable std::mutex mutex;
  std::condition_variable changed;
  std::thread worker;
  bool quit = false;
  PipelineState target = PipelineState::kStopped;
  bool seekPending = false;
  int64_t seekTarget = 0;
  int64_t skipUntil = 0;  // sound before this is dropped after a seek
  // After a jump, until the first picture with a known time: it must not
  // lie past the target, or the jump goes back further (seekBackoff).
  bool landing = false;
  int64_t landingTarget = 0;  // the worker's copy of seekTarget
  int64_t seekBackoff = 0;
  // A picture passed on the way to the target is still in `picture`: a
  // target past the last picture stands on it.
  bool keptPicture = false;
  int64_t shownEnd = 0;  // end of the picture last handed over
  bool havePicture = false;
  bool prerolled = false;
  bool endReached = false;
  bool endOfStream = false;
  bool delivering = false;
  int64_t heldPosition = 0;  // while not running
  int64_t soundBaseStream = 0;  // movie time of the sink's played position 0
  std::atomic<int64_t> audioWrittenUs{0};  // sound written since the last flush
  std::atomic<bool> soundComplete{false};  // all of it is written
  int64_t runBaseStream = 0;
  int64_t runBaseClock = 0;
  double rate = 1.0;
  int32_t volume = 0;
  uint64_t delivered = 0;
  uint64_t dropped = 0;
  // What the worker is blocked on: nothing, a command, or the clock moving
  // past idleClock.
  enum class Idle { kBusy, kForCommand, kForClock } idle = Idle::kBusy;
  int64_t idleClock = 0;

  // ---- opening -----------------------------------------------------------

  static int ReadPacket(void* opaque, uint8_t* buffer, int size) {
    Impl* self = static_cast<Impl*>(opaque);
    if (size <= 0) return AVERROR_EOF;
    AsyncStream& s = *self->stream;
    uint32_t got = 0;
    s.Lock();
    MediaResult r = s.SetPointer(self->ioPosition);
    if (MediaSucceeded(r)) r = s.Read(buffer, uint32_t(size), false, &got);
    s.Unlock();
    if (!MediaSucceeded(r) || got == 0) return AVERROR_EOF;
    got = std::min<uint32_t>(got, uint32_t(size));
    self->ioPosition += got;
    return int(got);
  }

  static int64_t SeekStream(void* opaque, int64_t offset, int whence) {
    Impl* self = static_cast<Impl*>(opaque);
    int64_t available = 0;
    const int64_t size = self->stream->Size(&available);
    whence &= ~AVSEEK_FORCE;
    if (whence == AVSEEK_SIZE) return size;
    int64_t target;
    switch (whence) {
      case SEEK_SET:
        target = offset;
        break;
      case SEEK_CUR:
        target = self->ioPosition + offset;
        break;
      case SEEK_END:
        target = size + offset;
        break;
      default:
        return AVERROR(EINVAL);
    }
    if (target < 0 || target > size) return AVERROR(EINVAL);
    self->ioPosition = target;
    return target;
  }

  bool OpenDemuxer(const std::string* path, const AVInputFormat* demuxer) {
    format = avformat_alloc_context();
    if (!format) return false;
    if (!path) {
      ioPosition = 0;
      avio_seek(io, 0, SEEK_SET);
      format->pb = io;
      format->flags |= AVFMT_FLAG_CUSTOM_IO;
    }
    if (avformat_open_input(&format, path ? path->c_str() : nullptr, demuxer, nullptr) < 0) {
      format = nullptr;  // freed by the failed open
      return false;
    }
    if (avformat_find_stream_info(format, nullptr) < 0 ||
        av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0) < 0) {
      // A forced demuxer may take bytes it does not understand; let the
      // caller probe. Without video the probe gives the final answer.
      return demuxer == nullptr;
    }
    return true;
  }

  void CloseDemuxer() {
    if (format) avformat_close_input(&format);
  }

  static AVCodecContext* OpenDecoder(const AVStream* s) {
    const AVCodec* codec = avcodec_find_decoder(s->codecpar->codec_id);
    if (!codec) return nullptr;
    AVCodecContext* c = avcodec_alloc_context3(codec);
    if (!c) return nullptr;
    // One thread keeps decoding on the presentation thread alone.
    c->thread_count = 1;
    if (avcodec_parameters_to_context(c, s->codecpar) < 0 || avcodec_open2(c, codec, nullptr) < 0) {
      avcodec_free_context(&c);
      return nullptr;
    }
    return c;
  }

  PipelineOpenResult OpenStreams() {
    videoIndex = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (videoIndex < 0) return PipelineOpenResult::kNoVideo;
    elementaryVideo = IsElementaryVideo(format->iformat);
    timedByDecodingOrder = std::strcmp(format->iformat->name, "avi") == 0;
    const AVStream* vs = format->streams[videoIndex];
    storedTimesOnly = std::strcmp(format->iformat->name, "mpeg") == 0;
    if (storedTimesOnly) format->flags |= AVFMT_FLAG_NOFILLIN;
    mpegVideo = storedTimesOnly && (vs->codecpar->codec_id == AV_CODEC_ID_MPEG1VIDEO ||
                                    vs->codecpar->codec_id == AV_CODEC_ID_MPEG2VIDEO);
    width = vs->codecpar->width;
    height = vs->codecpar->height;
    if (width < 1 || height < 1 || width > kMaxFrameSide || height > kMaxFrameSide) {
      return PipelineOpenResult::kTypeRefused;
    }
    videoDecoder = OpenDecoder(vs);
    if (!videoDecoder) return PipelineOpenResult::kNoVideo;
    videoStart = vs->start_time == AV_NOPTS_VALUE ? 0 : vs->start_time;
    AVRational fps = av_guess_frame_rate(format, const_cast<AVStream*>(vs), nullptr);
    if (fps.num > 0 && fps.den > 0) frameDuration = av_rescale_q(1, av_inv_q(fps), kHundredNs);
    if (frameDuration <= 0) frameDuration = 1000000;

    const MediaType type = MakeRgb32VideoType(width, height);
    if (video.CheckMediaType(type) != kMediaOk || video.SetMediaType(type) != kMediaOk) {
      return PipelineOpenResult::kTypeRefused;
    }
    picture.assign(size_t(width) * 4 * size_t(height), 0);
    packet = av_packet_alloc();
    frame = av_frame_alloc();
    if (!packet || !frame) return PipelineOpenResult::kUnreadable;
    duration = ContainerLength(vs);
    // A guess from the bit rate is no length at all, and one from the
    // timestamps near the end misses the pictures stored before their
    // time: such a movie is measured from its own pictures.
    if (duration <= 0 || format->duration_estimation_method != AVFMT_DURATION_FROM_STREAM) {
      if (const int64_t measured = MeasureLength(vs); measured > 0) duration = measured;
    }
    // Elementary video carries no times of its own: its pictures are counted
    // from the start, where measuring left the file.
    countPictures = elementaryVideo;
    OpenSound();
    return PipelineOpenResult::kOk;
  }

  // The length the container states for the pictures (the whole file's
  // may reach further, with sound that outlasts them); 0 when it states
  // none.
  int64_t ContainerLength(const AVStream* vs) const {
    if (format->duration_estimation_method == AVFMT_DURATION_FROM_BITRATE) return 0;
    if (vs->duration != AV_NOPTS_VALUE && vs->duration > 0) return av_rescale_q(vs->duration, vs->time_base, kHundredNs);
    if (format->duration != AV_NOPTS_VALUE && format->duration > 0) {
      return av_rescale_q(format->duration, AVRational{1, AV_TIME_BASE}, kHundredNs);
    }
    return 0;
  }

  // The last picture's time plus its duration, from the pictures at the
  // end of the file: decoded from ever larger tails until one holds a
  // picture with a timestamp (the pictures after it count on from it), or,
  // when nothing has times (elementary video), by counting every picture.
  // The file is left at its start. 0 when nothing could be read.
  int64_t MeasureLength(const AVStream* vs) {
    const int64_t size = avio_size(format->pb);
    AVCodecContext* scratch = elementaryVideo ? nullptr : OpenDecoder(vs);
    int64_t length = 0;
    for (int64_t tail = kTailBytes;; tail *= 4) {
      const int64_t from = elementaryVideo || size <= tail ? 0 : size - tail;
      if (!RewindTo(from)) break;
      int64_t lastTime = -1;
      int64_t after = 0;     // pictures since the last with a timestamp
      int64_t pictures = 0;  // pictures in the tail
      ReadTail(vs, scratch, &lastTime, &after, &pictures);
      if (lastTime >= 0) {
        length = lastTime + (after + 1) * frameDuration;
        break;
      }
      if (from == 0) {
        length = pictures * frameDuration;
        break;
      }
    }
    avcodec_free_context(&scratch);
    RewindTo(0);
    return length;
  }

  bool RewindTo(int64_t byte) {
    if (av_seek_frame(format, -1, byte, AVSEEK_FLAG_BYTE) >= 0) return true;
    return avio_seek(format->pb, byte, SEEK_SET) >= 0 && (avformat_flush(format), true);
  }

  // Reads the file to its end. With a decoder, notes the time of the last
  // decoded picture that had one and counts the pictures after it; without
  // one, counts the video packets (one picture each).
  void ReadTail(const AVStream* vs, AVCodecContext* scratch, int64_t* lastTime, int64_t* after, int64_t* pictures) {
    const auto drain = [&] {
      while (avcodec_receive_frame(scratch, frame) == 0) {
        ++*pictures;
        const int64_t pts = StoredTimestamp(frame);
        if (pts != AV_NOPTS_VALUE) {
          int64_t t = av_rescale_q(pts - videoStart, vs->time_base, kHundredNs);
          if (timedByDecodingOrder) t -= int64_t(scratch->has_b_frames) * frameDuration;
          *lastTime = std::max(*lastTime, t);
          *after = 0;
        } else if (*lastTime >= 0) {
          ++*after;
        }
        av_frame_unref(frame);
      }
    };
    while (av_read_frame(format, packet) >= 0) {
      if (packet->stream_index == videoIndex) {
        if (scratch == nullptr) {
          ++*pictures;
        } else {
          DropForeignTimestamp(packet);
          avcodec_send_packet(scratch, packet);  // a bad packet is skipped
          drain();
        }
      }
      av_packet_unref(packet);
    }
    if (scratch != nullptr) {
      avcodec_send_packet(scratch, nullptr);
      drain();
    }
  }

  void OpenSound() {
    if (!audio) return;
    audioIndex = av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, videoIndex, nullptr, 0);
    if (audioIndex < 0) return;
    const AVStream* as = format->streams[audioIndex];
    audioDecoder = OpenDecoder(as);
    if (!audioDecoder || audioDecoder->sample_rate <= 0 || audioDecoder->ch_layout.nb_channels <= 0) {
      audioIndex = -1;
      return;
    }
    audioStart = as->start_time == AV_NOPTS_VALUE ? 0 : as->start_time;
    audioFormat.sampleRate = uint32_t(audioDecoder->sample_rate);
    audioFormat.channels = audioDecoder->ch_layout.nb_channels >= 2 ? 2 : 1;
    if (!ConfigureResampler(1.0) || !audio->Open(audioFormat)) {
      swr_free(&resampler);
      audioIndex = -1;
      return;
    }
    audioOpen = true;
    audio->SetVolume(volume);
  }

  // ---- decoding (worker thread) -----------------------------------------

  // Where B-frames are used, a stream stores a decoding time apart from the
  // presentation time for the reference pictures (I and P) alone. A picture
  // whose stored times say otherwise was handed the time of a picture next
  // to it (its header straddled two of the stream's packets): it keeps none.
  void DropForeignTimestamp(AVPacket* p) {
    if (!mpegVideo) return;
    const int type = MpegPictureType(p);
    if (type == 3) picturesReordered = true;
    if (p->pts == AV_NOPTS_VALUE) return;
    const bool decodedApart = p->dts != AV_NOPTS_VALUE && p->dts != p->pts;
    if (decodedApart) picturesReordered = true;
    const bool reference = type == 1 || type == 2;
    if ((type == 3 && decodedApart) || (reference && picturesReordered && !decodedApart)) {
      p->pts = AV_NOPTS_VALUE;
      p->dts = AV_NOPTS_VALUE;
    }
  }

  // In an MPEG stream a key picture starts with the stream's headers, which
  // straddle two packets often enough that its time may be the next
  // picture's (see UntimedFrames).
  bool DoubtfulTime(const AVFrame* f) const { return mpegVideo && f->pict_type == AV_PICTURE_TYPE_I; }

  // The frame's own timestamp (AV_NOPTS_VALUE when it has none).
  int64_t StoredTimestamp(const AVFrame* f) const {
    // Decoders may fill in a picture's time from a decoding time; only what
    // the stream stored for the picture itself counts here.
    return storedTimesOnly ? f->pts : f->best_effort_timestamp;
  }

  // The picture's time from the start. Times that run backwards or leap
  // far ahead (damaged files) continue one picture after the last instead,
  // so a bad timestamp can neither reorder the pictures nor stall playback.
  int64_t PictureTime(const AVFrame* f) {
    const int64_t next = lastPictureTime < 0 ? 0 : lastPictureTime + frameDuration;
    const int64_t pts = StoredTimestamp(f);
    // Counting on from a picture that had no time gives none either, and
    // such a count cannot overrule the first time that comes.
    const bool countedFromTimed = lastPictureTime >= 0 && pictureTimed;
    pictureTimed = countPictures || pts != AV_NOPTS_VALUE || countedFromTimed;
    if (countPictures || pts == AV_NOPTS_VALUE) return next;
    int64_t t = av_rescale_q(pts - videoStart, format->streams[videoIndex]->time_base, kHundredNs);
    if (timedByDecodingOrder) t -= int64_t(videoDecoder->has_b_frames) * frameDuration;
    if (countedFromTimed && (t <= lastPictureTime || t > lastPictureTime + kMaxTimeLeap)) return next;
    // A key picture's time that the count does not bear out is likely its
    // neighbour's; the next other picture with a time sets the count right.
    if (countedFromTimed && DoubtfulTime(f) && std::abs(t - next) > frameDuration / 4) return next;
    return std::max<int64_t>(t, 0);
  }

  bool ConvertPicture(const AVFrame* f) {
    if (f->width < 1 || f->height < 1 || f->width > kMaxFrameSide || f->height > kMaxFrameSide ||
        f->format < 0) {
      return false;
    }
    // A size change mid-stream is scaled to the negotiated size.
    scaler = sws_getCachedContext(scaler, f->width, f->height, AVPixelFormat(f->format), width, height,
                                  AV_PIX_FMT_BGR0, SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (!scaler) return false;
    const int stride = width * 4;
    // Written from the last row upwards, so the buffer holds bottom-up rows.
    uint8_t* dst[4] = {picture.data() + size_t(height - 1) * size_t(stride), nullptr, nullptr, nullptr};
    int dstStride[4] = {-stride, 0, 0, 0};
    return sws_scale(scaler, f->data, f->linesize, 0, f->height, dst, dstStride) == height;
  }

  // At a playback rate r the sound is resampled as if it had been
  // recorded at r times its rate: it plays r times faster, pitch and all,
  // as a sound card played at a changed frequency would.
  bool ConfigureResampler(double playbackRate) {
    swr_free(&resampler);
    AVChannelLayout outLayout;
    av_channel_layout_default(&outLayout, audioFormat.channels);
    const double inRate = double(audioDecoder->sample_rate) * playbackRate;
    if (inRate < 1.0 || inRate > 1e7) return false;
    resamplerRate = playbackRate;
    resamplerChannels = audioDecoder->ch_layout.nb_channels;
    resamplerFormat = audioDecoder->sample_fmt;
    return swr_alloc_set_opts2(&resampler, &outLayout, AV_SAMPLE_FMT_S16, int(audioFormat.sampleRate),
                               &audioDecoder->ch_layout, audioDecoder->sample_fmt, int(std::lround(inRate)), 0,
                               nullptr) >= 0 &&
           swr_init(resampler) >= 0;
  }

  // A stream may change its channels or sample format mid-way. The
  // resampler is then set up again for the decoder's new ones; a frame that
  // still does not fit is dropped rather than read past its planes.
  bool FrameFitsResampler(const AVFrame* f) {
    const auto fits = [this, f] {
      return resampler && f->ch_layout.nb_channels == resamplerChannels && f->format == resamplerFormat;
    };
    if (!fits()) ConfigureResampler(resamplerRate);
    return fits();
  }

  void DecodeSound(const AVPacket* p) {
    const double wanted = soundRate.load(std::memory_order_acquire);
    if (wanted != resamplerRate && !ConfigureResampler(wanted)) ConfigureResampler(1.0);
    if (avcodec_send_packet(audioDecoder, p) < 0) return;
    while (avcodec_receive_frame(audioDecoder, frame) == 0) PlaceSound();
    // No more sound comes to confirm a time: the last one stored counts.
    if (p == nullptr) {
      heldSound.PlaceByLastStored();
      WriteHeldSound();
    }
  }

  // Times the sound frame in `frame` by its own timestamp or by counting on
  // from the one before, and writes it; at a new position the frames are
  // held until their stored times can be trusted, as pictures are.
  void PlaceSound() {
    const int64_t length = frame->sample_rate > 0 ? int64_t(frame->nb_samples) * 10000000 / frame->sample_rate : 0;
    const int64_t pts = StoredTimestamp(frame);
    const int64_t stored = pts == AV_NOPTS_VALUE ? kUnknownTime : StreamTime(pts, audioIndex, audioStart);
    if (soundLanding) {
      if (heldSound.Hold(frame, length, stored)) {
        if (heldSound.Settle(length / 4, kConfirmPatience)) {
          WriteHeldSound();
        } else if (heldSound.Size() > kMaxUntimedFrames) {
          heldSound.DropOldest();
        }
        return;
      }
      if (!heldSound.Empty()) {
        av_frame_unref(frame);  // it cannot go out before the held ones
        return;
      }
    }
    WriteSoundFrame(stored == kUnknownTime ? soundNext : stored, length);
  }

  void WriteHeldSound() {
    soundLanding = false;
    while (!heldSound.Empty()) {
      int64_t length = 0;
      const int64_t time = heldSound.TakeOldest(frame, &length);
      WriteSoundFrame(time == kUnknownTime ? soundNext : time, length);
    }
  }

  // Writes the sound frame in `frame` unless it lies before the position
  // jumped to, and lets it go.
  void WriteSoundFrame(int64_t time, int64_t length) {
    soundNext = time == kUnknownTime ? kUnknownTime : time + length;
    const bool early = time != kUnknownTime && time < skipUntil;
    if (!early && frame->nb_samples > 0 && FrameFitsResampler(frame)) {
      const int outMax = swr_get_out_samples(resampler, frame->nb_samples);
      if (outMax > 0) {
        audioBuffer.resize(size_t(outMax) * audioFormat.channels);
        uint8_t* out[1] = {reinterpret_cast<uint8_t*>(audioBuffer.data())};
        const int n = swr_convert(resampler, out, outMax, const_cast<const uint8_t**>(frame->extended_data),
                                  frame->nb_samples);
        if (n > 0) {
          audio->Write(audioBuffer.data(), uint32_t(n));
          audioWrittenUs.fetch_add(int64_t(n) * 1000000 / audioFormat.sampleRate, std::memory_order_release);
        }
      }
    }
    av_frame_unref(frame);
  }

  // One step of demuxing and decoding. kPicture leaves a converted picture
  // in `picture` at `pictureTime`.
  StepResult DecodeStep() {
    if (releasingHeldPictures) {
      if (!heldPictures.Empty()) {
        int64_t length = 0;
        const int64_t placed = heldPictures.TakeOldest(frame, &length);
        return TakePicture(placed);
      }
      releasingHeldPictures = false;
    }
    const int r = avcodec_receive_frame(videoDecoder, frame);
    if (r == 0) {
      if (HoldPictureAfterJump()) return StepResult::kContinue;
      return TakePicture(kUnknownTime);
    }
    if (r != AVERROR(EAGAIN)) {
      if (heldPictures.Empty()) return StepResult::kEnd;
      // No more pictures come to confirm a time: the last one stored counts.
      heldPictures.PlaceByLastStored();
      releasingHeldPictures = true;
      return StepResult::kContinue;
    }
    if (!videoBacklog.empty()) {
      AVPacket* kept = videoBacklog.front();
      videoBacklog.pop_front();
      videoBacklogBytes -= size_t(kept->size);
      DropForeignTimestamp(kept);
      avcodec_send_packet(videoDecoder, kept);  // a bad packet is skipped
      av_packet_free(&kept);
      return StepResult::kContinue;
    }
    if (demuxEnded) {
      if (videoFlushed) return StepResult::kEnd;
      FlushVideo();
      return StepResult::kContinue;
    }
    if (av_read_frame(format, packet) < 0) {
      EndDemux();
      FlushVideo();
      return StepResult::kContinue;
    }
    if (packet->stream_index == videoIndex) {
      DropForeignTimestamp(packet);
      avcodec_send_packet(videoDecoder, packet);  // a bad packet is skipped
    } else if (audioOpen && packet->stream_index == audioIndex) {
      DecodeSound(packet);
    }
    av_packet_unref(packet);
    return StepResult::kContinue;
  }

  // Converts the picture in `frame` and times it: by `placed` when it was
  // placed by counting back, else by its own timestamp or counting on.
  StepResult TakePicture(int64_t placed) {
    const bool ok = ConvertPicture(frame);
    if (placed != kUnknownTime) {
      pictureTime = std::max<int64_t>(placed, 0);
      pictureTimed = true;
    } else {
      pictureTime = PictureTime(frame);
    }
    lastPictureTime = pictureTime;
    av_frame_unref(frame);
    return ok ? StepResult::kPicture : StepResult::kContinue;
  }

  // At a new position the pictures are held until their stored times can
  // be trusted (see UntimedFrames), then placed by counting. True when
  // `frame` was taken.
  bool HoldPictureAfterJump() {
    if (!storedTimesOnly || !landing || lastPictureTime >= 0) return false;
    const int64_t pts = StoredTimestamp(frame);
    const int64_t stored = pts == AV_NOPTS_VALUE ? kUnknownTime : StreamTime(pts, videoIndex, videoStart);
    if (!heldPictures.Hold(frame, frameDuration, stored, DoubtfulTime(frame))) {
      if (heldPictures.Empty()) return false;
      av_frame_unref(frame);  // it cannot go out before the held ones
      return true;
    }
    if (heldPictures.Settle(frameDuration / 4, kConfirmPatience)) {
      releasingHeldPictures = true;
    } else if (heldPictures.Size() > kMaxUntimedFrames) {
      heldPictures.DropOldest();
    }
    return true;
  }

  // A stored timestamp as time from the stream's start (100-ns units).
  // A file's timestamp and start may be anything: a difference no number
  // holds is no time (as a rescale that overflows answers).
  int64_t StreamTime(int64_t pts, int streamIndex, int64_t start) const {
    int64_t since = 0;
    if (__builtin_sub_overflow(pts, start, &since)) return kUnknownTime;
    return av_rescale_q(since, format->streams[streamIndex]->time_base, kHundredNs);
  }

  void FlushVideo() {
    avcodec_send_packet(videoDecoder, nullptr);
    videoFlushed = true;
  }

  void EndDemux() {
    demuxEnded = true;
    if (audioOpen) DecodeSound(nullptr);
    soundComplete.store(true, std::memory_order_release);
  }

  // Sound is decoded as the file is read, and the file is read only for the
  // next picture; a movie whose sound lies behind its pictures in the file
  // would leave a waiting picture waiting on a sound clock that never moves.
  // So while a picture waits and less than kSoundLeadUs of sound is queued,
  // the file is read on: sound is decoded, pictures wait in the backlog.
  // False when nothing could be read on.
  bool ReadSoundAhead() {
    if (!audioOpen || demuxEnded || videoBacklogBytes >= kBacklogLimitBytes) return false;
    const int64_t played = std::max<int64_t>(0, audio->PlayedMicroseconds());
    if (audioWrittenUs.load(std::memory_order_acquire) - played >= kSoundLeadUs) return false;
    if (av_read_frame(format, packet) < 0) {
      EndDemux();
      return true;
    }
    if (packet->stream_index == videoIndex) {
      AVPacket* kept = av_packet_alloc();
      if (kept != nullptr) {
        av_packet_move_ref(kept, packet);
        videoBacklogBytes += size_t(kept->size);
        videoBacklog.push_back(kept);
      }
    } else if (packet->stream_index == audioIndex) {
      DecodeSound(packet);
    }
    av_packet_unref(packet);
    return true;
  }

  void ForgetUntimedFrames() {
    heldPictures.Clear();
    releasingHeldPictures = false;
    heldSound.Clear();
    soundNext = kUnknownTime;
    soundLanding = false;
  }

  void ClearVideoBacklog() {
    for (AVPacket*& kept : videoBacklog) av_packet_free(&kept);
    videoBacklog.clear();
    videoBacklogBytes = 0;
  }

  // Jumps to a key frame at or before `from` (100-ns units), or to the
  // start to count pictures from there when `counting` or when the stream
  // has no other way.
  void Reposition(int64_t from, bool counting) {
    const AVStream* vs = format->streams[videoIndex];
    const int64_t ts = av_rescale_q(std::max<int64_t>(from, 0), kHundredNs, vs->time_base) + videoStart;
    if (!counting && !elementaryVideo && av_seek_frame(format, videoIndex, ts, AVSEEK_FLAG_BACKWARD) >= 0) {
      countPictures = false;
    } else {
      // Elementary video carries no times of its own (those FFmpeg makes up
      // after a jump are a picture off), and a stream that cannot seek has
      // no other way: go back to the start and decode forward, counting.
      if (av_seek_frame(format, -1, 0, AVSEEK_FLAG_BYTE) < 0) avio_seek(format->pb, 0, SEEK_SET);
      countPictures = true;
    }
    avcodec_flush_buffers(videoDecoder);
    if (audioOpen) {
      avcodec_flush_buffers(audioDecoder);
      swr_init(resampler);
      audio->Flush();
      audioWrittenUs.store(0, std::memory_order_release);
    }
    ClearVideoBacklog();
    ForgetUntimedFrames();
    demuxEnded = false;
    videoFlushed = false;
    soundComplete.store(false, std::memory_order_release);
    lastPictureTime = -1;
    keptPicture = false;
    // Counted pictures are timed from the very start: they cannot land late.
    landing = !countPictures;
    soundLanding = landing && storedTimesOnly;
  }

  // A demuxer's seek may land a key frame or two past its target (MPEG
  // system streams guess positions from their timestamps; indexed files
  // find key frames by decoding time). The jump then goes back further,
  // twice as far each time, and from the start as the last resort, where
  // counting pictures cannot miss.
  void RepositionEarlier() {
    const bool lastResort = seekBackoff >= landingTarget;
    seekBackoff = seekBackoff == 0 ? kFirstSeekBackoff : seekBackoff * 2;
    Reposition(landingTarget - seekBackoff, lastResort);
  }

  // On the way to the target: the picture is over before the target time,
  // so a later one is the one due then.
  bool PassedOnTheWay() const { return pictureTime + frameDuration <= landingTarget + kTimeSlack; }

  // ---- presentation (worker thread) -------------------------------------

  // Depends only on the commands and the clock, never on how far the
  // presentation thread has got, so a stepped clock gives the same answers
  // on every run.
  int64_t StreamNowLocked() const { return StreamNowAtLocked(clock.NowMicroseconds()); }

  // The same for one reading of the clock, so that a decision and what it
  // was based on see the same time.
  int64_t StreamNowAtLocked(int64_t clockNow) const {
    if (target != PipelineState::kRunning) return heldPosition;
    // The sound's clock leads while there is sound left to play; a movie
    // whose sound ends early runs on by the clock.
    if (audioOpen && rate == 1.0) {
      const int64_t played = audio->PlayedMicroseconds();
      const bool soundLeft = !soundComplete.load(std::memory_order_acquire) ||
                             played < audioWrittenUs.load(std::memory_order_acquire);
      if (played >= 0 && soundLeft) {
        return soundBaseStream + played * 10;
      }
    }
    const int64_t elapsed = clockNow - runBaseClock;
    return runBaseStream + int64_t(double(elapsed) * 10.0 * rate);
  }

  void StartRunClockLocked(int64_t streamPosition) {
    runBaseStream = streamPosition;
    runBaseClock = clock.NowMicroseconds();
  }

  void DeliverLocked(std::unique_lock<std::mutex>& lock) {
    delivering = true;
    lock.unlock();
    BufferSample sample(picture.data(), picture.size(), pictureTime);
    video.DoRenderSample(sample);
    lock.lock();
    delivering = false;
    havePicture = false;
    shownEnd = pictureTime + frameDuration;
    ++delivered;
    changed.notify_all();
  }

  void Loop() {
    std::unique_lock<std::mutex> lock(mutex);
    while (!quit) {
      if (seekPending) {
        landingTarget = seekTarget;
        lock.unlock();
        seekBackoff = 0;
        Reposition(landingTarget, false);
        lock.lock();
        skipUntil = seekTarget - frameDuration / 2;
        soundBaseStream = seekTarget;
        seekPending = false;
        havePicture = false;
        prerolled = false;
        endReached = false;
        endOfStream = false;
        changed.notify_all();
        continue;
      }
      if (target == PipelineState::kStopped) {
        WaitForCommandLocked(lock);
        continue;
      }
      if (!havePicture) {
        if (endReached) {
          if (!endOfStream) {
            endOfStream = true;
            if (!prerolled) prerolled = true;  // nothing left to show
            changed.notify_all();
          }
          WaitForCommandLocked(lock);
          continue;
        }
        lock.unlock();
        const StepResult step = DecodeStep();
        lock.lock();
        if (step == StepResult::kEnd && !prerolled && landing && !seekPending) {
          // Nothing with a time came after the jump: go back further.
          lock.unlock();
          RepositionEarlier();
          lock.lock();
          continue;
        }
        if (step == StepResult::kPicture) {
          havePicture = !seekPending;
        } else if (step == StepResult::kEnd) {
          endReached = true;
          // A position past the last picture stands on that picture.
          if (!prerolled && keptPicture && !seekPending) havePicture = true;
        }
        continue;
      }
      if (!prerolled && !endReached && !TowardsTargetLocked(lock)) continue;
      if (!prerolled) {
        // The clock has run since Run or the new position; it counts from
        // this first picture's time.
        heldPosition = std::max(heldPosition, pictureTime);
        runBaseStream = heldPosition;
        DeliverLocked(lock);
        prerolled = true;
        changed.notify_all();
        continue;
      }
      if (target != PipelineState::kRunning) {
        WaitForCommandLocked(lock);
        continue;
      }
      const int64_t now = StreamNowLocked();
      if (pictureTime <= now) {
        if (now - pictureTime > std::max(kLateLimit, 2 * frameDuration)) {
          havePicture = false;
          ++dropped;
        } else {
          DeliverLocked(lock);
        }
        continue;
      }
      lock.unlock();
      const bool readOn = ReadSoundAhead();
      lock.lock();
      if (readOn) continue;
      // The clock may have been stepped while the lock was let go: the wait
      // is decided on one fresh reading, and that reading is the one the
      // idle mark names. A stepped clock is only settled once the worker
      // has seen its new time and found nothing due.
      const int64_t clockNow = clock.NowMicroseconds();
      const int64_t streamNow = StreamNowAtLocked(clockNow);
      if (pictureTime <= streamNow) continue;
      // The clock may be stepped by hand, so it is looked at again often.
      const int64_t waitUs = std::clamp<int64_t>((pictureTime - streamNow) / 10, 100, 5000);
      idle = Idle::kForClock;
      idleClock = clockNow;
      changed.notify_all();
      changed.wait_for(lock, std::chrono::microseconds(waitUs));
      idle = Idle::kBusy;
    }
  }

  // Before the first picture at a new position: false when the picture just
  // decoded is not the one to show (it is passed over, or the jump went
  // back further).
  bool TowardsTargetLocked(std::unique_lock<std::mutex>& lock) {
    if (landing) {
      if (!pictureTimed) {  // nothing to place it by yet
        havePicture = false;
        return false;
      }
      landing = false;
      if (pictureTime > landingTarget + kTimeSlack) {
        havePicture = false;
        lock.unlock();
        RepositionEarlier();
        lock.lock();
        return false;
      }
    }
    if (PassedOnTheWay()) {
      havePicture = false;
      keptPicture = true;
      return false;
    }
    return true;
  }

  // A command for the worker: until it has acted, it is not idle.
  void WakeLocked() {
    idle = Idle::kBusy;
    changed.notify_all();
  }

  void WaitForCommandLocked(std::unique_lock<std::mutex>& lock) {
    idle = Idle::kForCommand;
    changed.notify_all();
    changed.wait(lock);
    idle = Idle::kBusy;
  }

  void StartWorker() {
    quit = false;
    worker = std::thread([this] { Loop(); });
  }

  void Release() {
    {
      std::lock_guard<std::mutex> lock(mutex);
      quit = true;
    }
    changed.notify_all();
    if (worker.joinable()) worker.join();
    if (audioOpen) {
      audio->SetRunning(false);
      audio->Close();
    }
    audioOpen = false;
    sws_freeContext(scaler);
    scaler = nullptr;
    swr_free(&resampler);
    avcodec_free_context(&videoDecoder);
    avcodec_free_context(&audioDecoder);
    ClearVideoBacklog();
    ForgetUntimedFrames();
    av_packet_free(&packet);
    av_frame_free(&frame);
    CloseDemuxer();
    if (io) {
      av_freep(&io->buffer);
      avio_context_free(&io);
    }
    stream = nullptr;
    videoIndex = audioIndex = -1;
    width = height = 0;
    duration = 0;
    demuxEnded = false;
    videoFlushed = false;
    countPictures = false;
    elementaryVideo = false;
    timedByDecodingOrder = false;
    storedTimesOnly = mpegVideo = picturesReordered = false;
    landing = keptPicture = false;
    landingTarget = seekBackoff = shownEnd = 0;
    lastPictureTime = -1;
    quit = false;
    target = PipelineState::kStopped;
    seekPending = havePicture = prerolled = endReached = endOfStream = delivering = false;
    heldPosition = skipUntil = soundBaseStream = 0;
    audioWrittenUs = 0;
    soundComplete = false;
    rate = 1.0;
    soundRate = 1.0;
    resamplerRate = 1.0;
    delivered = dropped = 0;
  }
};

MoviePipeline::MoviePipeline(VideoRendererSink& video, AudioSink* audio, MediaClock& clock)
    : impl_(std::make_unique<Impl>(video, audio, clock)) {
  QuietMediaLog();
}

MoviePipeline::~MoviePipeline() { Close(); }

PipelineOpenResult MoviePipeline::OpenFile(const std::string& path) {
  Close();
  if (!impl_->OpenDemuxer(&path, nullptr)) {
    Close();
    return PipelineOpenResult::kUnreadable;
  }
  const PipelineOpenResult r = impl_->OpenStreams();
  if (r != PipelineOpenResult::kOk) {
    Close();
    return r;
  }
  impl_->StartWorker();
  return r;
}

PipelineOpenResult MoviePipeline::OpenStream(AsyncStream& stream, ContainerHint hint) {
  Close();
  Impl& m = *impl_;
  m.stream = &stream;
  auto* buffer = static_cast<uint8_t*>(av_malloc(kIoBufferSize));
  if (buffer) m.io = avio_alloc_context(buffer, kIoBufferSize, 0, &m, &Impl::ReadPacket, nullptr, &Impl::SeekStream);
  if (!m.io) {
    av_free(buffer);
    Close();
    return PipelineOpenResult::kUnreadable;
  }
  bool opened = m.OpenDemuxer(nullptr, av_find_input_format(DemuxerName(hint)));
  if (!opened) {
    m.CloseDemuxer();
    opened = m.OpenDemuxer(nullptr, nullptr);
  }
  if (!opened) {
    Close();
    return PipelineOpenResult::kUnreadable;
  }
  const PipelineOpenResult r = m.OpenStreams();
  if (r != PipelineOpenResult::kOk) {
    Close();
    return r;
  }
  m.StartWorker();
  return r;
}

void MoviePipeline::Close() { impl_->Release(); }

bool MoviePipeline::IsOpen() const { return impl_->format != nullptr; }

void MoviePipeline::Run() {
  Impl& m = *impl_;
  std::lock_guard<std::mutex> lock(m.mutex);
  if (!m.format || m.target == PipelineState::kRunning) return;
  m.target = PipelineState::kRunning;
  m.StartRunClockLocked(m.heldPosition);
  if (m.audioOpen) m.audio->SetRunning(true);
  m.WakeLocked();
}

void MoviePipeline::Pause() {
  Impl& m = *impl_;
  std::lock_guard<std::mutex> lock(m.mutex);
  if (!m.format) return;
  if (m.target == PipelineState::kRunning) m.heldPosition = m.StreamNowLocked();
  m.target = PipelineState::kPaused;
  if (m.audioOpen) m.audio->SetRunning(false);
  m.WakeLocked();
}

void MoviePipeline::Stop() {
  Impl& m = *impl_;
  std::unique_lock<std::mutex> lock(m.mutex);
  if (!m.format) return;
  if (m.target == PipelineState::kRunning) m.heldPosition = m.StreamNowLocked();
  m.target = PipelineState::kStopped;
  m.prerolled = false;
  m.endOfStream = false;
  if (m.audioOpen) m.audio->SetRunning(false);
  m.WakeLocked();
  m.changed.wait(lock, [&] { return !m.delivering; });
}

void MoviePipeline::SetPosition(int64_t position) {
  Impl& m = *impl_;
  std::unique_lock<std::mutex> lock(m.mutex);
  if (!m.format) return;
  position = std::max<int64_t>(position, 0);
  m.seekTarget = position;
  m.seekPending = true;
  m.heldPosition = position;
  if (m.target == PipelineState::kRunning) m.StartRunClockLocked(position);
  m.endOfStream = false;
  m.WakeLocked();
  m.changed.wait(lock, [&] { return !m.seekPending; });
  // The picture at the new position comes first, then the clock runs on.
}

bool MoviePipeline::GetState(uint32_t timeoutMs, PipelineState* state) {
  Impl& m = *impl_;
  std::unique_lock<std::mutex> lock(m.mutex);
  *state = m.target;
  if (!m.format) return true;
  return m.changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
    return m.target == PipelineState::kStopped || (m.prerolled && !m.seekPending);
  });
}

int64_t MoviePipeline::GetDuration() const { return impl_->duration; }

int64_t MoviePipeline::GetCurrentPosition() const {
  Impl& m = *impl_;
  std::lock_guard<std::mutex> lock(m.mutex);
  const int64_t now = m.StreamNowLocked();
  // Not beyond the end, but never before the end of a picture on screen.
  return m.duration > 0 ? std::min(now, std::max(m.duration, m.shownEnd)) : now;
}

void MoviePipeline::ClockChanged() {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  impl_->WakeLocked();
}

bool MoviePipeline::WaitForIdle(uint32_t timeoutMs) {
  Impl& m = *impl_;
  std::unique_lock<std::mutex> lock(m.mutex);
  if (!m.format) return true;
  return m.changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
    if (m.seekPending) return false;
    if (m.idle == Impl::Idle::kForCommand) return true;
    return m.idle == Impl::Idle::kForClock && m.idleClock == m.clock.NowMicroseconds();
  });
}

bool MoviePipeline::IsEndOfStream() const {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  return impl_->endOfStream;
}

double MoviePipeline::GetRate() const {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  return impl_->rate;
}

bool MoviePipeline::SetRate(double rate) {
  Impl& m = *impl_;
  if (!(rate > 0.0) || rate > 64.0) return false;
  std::lock_guard<std::mutex> lock(m.mutex);
  if (m.target == PipelineState::kRunning && m.prerolled) m.StartRunClockLocked(m.StreamNowLocked());
  m.rate = rate;
  m.soundRate.store(rate, std::memory_order_release);
  m.WakeLocked();
  return true;
}

bool MoviePipeline::HasAudio() const { return impl_->audioOpen; }

bool MoviePipeline::SetVolume(int32_t hundredthsDb) {
  Impl& m = *impl_;
  if (!m.audioOpen) return false;
  std::lock_guard<std::mutex> lock(m.mutex);
  m.volume = std::clamp<int32_t>(hundredthsDb, -10000, 0);
  m.audio->SetVolume(m.volume);
  return true;
}

bool MoviePipeline::GetVolume(int32_t* hundredthsDb) const {
  Impl& m = *impl_;
  if (!m.audioOpen) return false;
  std::lock_guard<std::mutex> lock(m.mutex);
  *hundredthsDb = m.volume;
  return true;
}

int32_t MoviePipeline::GetWidth() const { return impl_->width; }
int32_t MoviePipeline::GetHeight() const { return impl_->height; }

uint64_t MoviePipeline::DeliveredCount() const {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  return impl_->delivered;
}

uint64_t MoviePipeline::DroppedCount() const {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  return impl_->dropped;
}

}  // namespace orrivel::media
