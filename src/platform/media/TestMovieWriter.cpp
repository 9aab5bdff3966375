#include "platform/media/TestMovieWriter.h"

#include "platform/media/MoviePipeline.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libswscale/swscale.h>
}

namespace orrivel::media {
namespace {

constexpr int kSoundRate = 44100;
constexpr size_t kCdSectorBytes = 2352;
constexpr size_t kCdSectorData = 2324;  // a mode 2 form 2 sector's user data

struct Output {
  AVFormatContext* format = nullptr;
  AVCodecContext* video = nullptr;
  AVCodecContext* sound = nullptr;
  AVStream* videoStream = nullptr;
  AVStream* soundStream = nullptr;
  AVFrame* picture = nullptr;
  AVFrame* samples = nullptr;
  AVPacket* packet = nullptr;
  SwsContext* scaler = nullptr;

  ~Output() {
    sws_freeContext(scaler);
    av_packet_free(&packet);
    av_frame_free(&picture);
    av_frame_free(&samples);
    avcodec_free_context(&video);
    avcodec_free_context(&sound);
    if (format) {
      if (format->pb) avio_closep(&format->pb);
      avformat_free_context(format);
    }
  }
};

const char* MuxerName(TestMovieContainer container) {
  switch (container) {
    case TestMovieContainer::kMpegSystem:
      return "mpeg";
    case TestMovieContainer::kMpegVideo:
      return "mpeg1video";
    case TestMovieContainer::kAvi:
      return "avi";
    case TestMovieContainer::kMp4:
      return "mp4";
    case TestMovieContainer::kVideoCd:
      return "mpeg";
  }
  return "mpeg";
}

bool Fail(std::string* error, const char* what) {
  if (error) *error = what;
  return false;
}

bool AddVideo(Output& out, const TestMovieRecipe& recipe, std::string* error) {
  const bool mpeg1 = recipe.container == TestMovieContainer::kMpegSystem ||
                     recipe.container == TestMovieContainer::kMpegVideo ||
                     recipe.container == TestMovieContainer::kVideoCd;
  const AVCodec* codec = avcodec_find_encoder(mpeg1 ? AV_CODEC_ID_MPEG1VIDEO : AV_CODEC_ID_MPEG4);
  if (!codec) return Fail(error, "no video encoder");
  out.video = avcodec_alloc_context3(codec);
  AVCodecContext* c = out.video;
  c->width = recipe.width;
  c->height = recipe.height;
  c->time_base = AVRational{1, recipe.framesPerSecond};
  c->framerate = AVRational{recipe.framesPerSecond, 1};
  c->pix_fmt = AV_PIX_FMT_YUV420P;
  c->gop_size = recipe.keyFrameInterval;
  c->max_b_frames = recipe.bFrames;
  c->thread_count = 1;
  // Rates such as 10 fps are MPEG-1 extensions that FFmpeg reads back.
  c->strict_std_compliance = FF_COMPLIANCE_UNOFFICIAL;
  c->flags |= AV_CODEC_FLAG_QSCALE;
  c->global_quality = FF_QP2LAMBDA * 2;
  if (out.format->oformat->flags & AVFMT_GLOBALHEADER) c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  if (avcodec_open2(c, codec, nullptr) < 0) return Fail(error, "video encoder refused the settings");
  out.videoStream = avformat_new_stream(out.format, nullptr);
  if (!out.videoStream || avcodec_parameters_from_context(out.videoStream->codecpar, c) < 0) {
    return Fail(error, "no video stream");
  }
  out.videoStream->time_base = c->time_base;
  out.picture = av_frame_alloc();
  out.picture->format = c->pix_fmt;
  out.picture->width = c->width;
  out.picture->height = c->height;
  if (av_frame_get_buffer(out.picture, 0) < 0) return Fail(error, "no picture memory");
  out.scaler = sws_getContext(recipe.width, recipe.height, AV_PIX_FMT_BGR0, recipe.width, recipe.height,
                              AV_PIX_FMT_YUV420P, SWS_POINT, nullptr, nullptr, nullptr);
  return out.scaler ? true : Fail(error, "no scaler");
}

bool AddSound(Output& out, std::string* error) {
  const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_MP2);
  if (!codec) return Fail(error, "no MP2 encoder");
  out.sound = avcodec_alloc_context3(codec);
  AVCodecContext* c = out.sound;
  c->sample_fmt = AV_SAMPLE_FMT_S16;
  c->sample_rate = kSoundRate;
  c->bit_rate = 128000;
  av_channel_layout_default(&c->ch_layout, 2);
  c->time_base = AVRational{1, kSoundRate};
  if (out.format->oformat->flags & AVFMT_GLOBALHEADER) c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  if (avcodec_open2(c, codec, nullptr) < 0) return Fail(error, "sound encoder refused the settings");
  out.soundStream = avformat_new_stream(out.format, nullptr);
  if (!out.soundStream || avcodec_parameters_from_context(out.soundStream->codecpar, c) < 0) {
    return Fail(error, "no sound stream");
  }
  out.soundStream->time_base = c->time_base;
  out.samples = av_frame_alloc();
  out.samples->format = c->sample_fmt;
  out.samples->nb_samples = c->frame_size;
  out.samples->sample_rate = c->sample_rate;
  av_channel_layout_copy(&out.samples->ch_layout, &c->ch_layout);
  if (av_frame_get_buffer(out.samples, 0) < 0) return Fail(error, "no sample memory");
  return true;
}

bool Drain(Output& out, AVCodecContext* c, AVStream* stream, const AVFrame* frame) {
  if (avcodec_send_frame(c, frame) < 0) return false;
  while (avcodec_receive_packet(c, out.packet) == 0) {
    // Without a duration MP4 drops its last picture from the edit list.
    if (out.packet->duration == 0) out.packet->duration = c == out.video ? 1 : c->frame_size;
    av_packet_rescale_ts(out.packet, c->time_base, stream->time_base);
    out.packet->stream_index = stream->index;
    if (av_interleaved_write_frame(out.format, out.packet) < 0) return false;
  }
  return true;
}

bool EncodePicture(Output& out, const TestMovieRecipe& recipe, int32_t number) {
  std::vector<uint8_t> rgb(size_t(recipe.width) * 4 * size_t(recipe.height));
  PaintNumberedPicture(rgb.data(), recipe.width, recipe.height, recipe.width * 4, number);
  if (av_frame_make_writable(out.picture) < 0) return false;
  const uint8_t* src[1] = {rgb.data()};
  const int srcStride[1] = {recipe.width * 4};
  sws_scale(out.scaler, src, srcStride, 0, recipe.height, out.picture->data, out.picture->linesize);
  out.picture->pts = number;
  return Drain(out, out.video, out.videoStream, out.picture);
}

bool EncodeSamples(Output& out, int64_t* written) {
  if (av_frame_make_writable(out.samples) < 0) return false;
  auto* data = reinterpret_cast<int16_t*>(out.samples->data[0]);
  for (int i = 0; i < out.samples->nb_samples; ++i) {
    const double t = double(*written + i) / kSoundRate;
    const auto v = int16_t(std::lround(std::sin(2.0 * M_PI * 440.0 * t) * 12000.0));
    data[2 * i] = v;
    data[2 * i + 1] = v;
  }
  out.samples->pts = *written;
  *written += out.samples->nb_samples;
  return Drain(out, out.sound, out.soundStream, out.samples);
}

bool WriteMuxedMovie(const std::string& path, const TestMovieRecipe& recipe, std::string* error) {
  Output out;
  if (avformat_alloc_output_context2(&out.format, nullptr, MuxerName(recipe.container), path.c_str()) < 0) {
    return Fail(error, "no muxer");
  }
  if (recipe.container == TestMovieContainer::kVideoCd) {
    out.format->packet_size = unsigned(kCdSectorData);
  } else if (recipe.packBytes > 0) {
    out.format->packet_size = unsigned(recipe.packBytes);
  }
  if (recipe.withVideo && !AddVideo(out, recipe, error)) return false;
  if (recipe.withSound && !AddSound(out, error)) return false;
  out.packet = av_packet_alloc();
  if (avio_open(&out.format->pb, path.c_str(), AVIO_FLAG_WRITE) < 0) return Fail(error, "cannot create the file");
  if (avformat_write_header(out.format, nullptr) < 0) return Fail(error, "muxer refused the header");
  int64_t samplesWritten = 0;
  for (int32_t n = 0; n < recipe.frames; ++n) {
    if (recipe.withVideo && !EncodePicture(out, recipe, n)) return Fail(error, "video encoding failed");
    // Sound up to the end of this picture, so the muxer interleaves evenly.
    const int64_t soundEnd = int64_t(n + 1) * kSoundRate / recipe.framesPerSecond;
    while (recipe.withSound && samplesWritten < soundEnd) {
      if (!EncodeSamples(out, &samplesWritten)) return Fail(error, "sound encoding failed");
    }
  }
  if (recipe.withVideo && !Drain(out, out.video, out.videoStream, nullptr)) return Fail(error, "video flush failed");
  if (recipe.withSound && !Drain(out, out.sound, out.soundStream, nullptr)) return Fail(error, "sound flush failed");
  if (av_write_trailer(out.format) < 0) return Fail(error, "muxer refused the trailer");
  return true;
}


void PutLe32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}

void PutText(std::vector<uint8_t>& out, const char* text) { out.insert(out.end(), text, text + std::strlen(text)); }

uint8_t Bcd(uint32_t v) { return uint8_t((v / 10) << 4 | (v % 10)); }

// Wraps the program stream's packs in CD sectors as a VideoCD track file
// holds them: sync, address, subheader, the pack, and an (unchecked) error
// code, behind a RIFF CDXA header.
bool WrapInCdSectors(const std::string& from, const std::string& to, std::string* error) {
  std::vector<uint8_t> packs;
  {
    std::ifstream in(from, std::ios::binary);
    packs.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  std::remove(from.c_str());
  if (packs.empty()) return Fail(error, "no packs");
  if (packs.size() % kCdSectorData != 0) return Fail(error, "packs do not fill whole sectors");
  const size_t sectors = packs.size() / kCdSectorData;
  std::vector<uint8_t> out;
  out.reserve(44 + sectors * kCdSectorBytes);
  PutText(out, "RIFF");
  PutLe32(out, uint32_t(36 + sectors * kCdSectorBytes));
  PutText(out, "CDXAfmt ");
  PutLe32(out, 16);
  const uint8_t attributes[16] = {0, 0, 0, 0, 0x15, 0x55, 'X', 'A', 1, 0, 0, 0, 0, 0, 0, 0};
  out.insert(out.end(), attributes, attributes + 16);
  PutText(out, "data");
  PutLe32(out, uint32_t(sectors * kCdSectorBytes));
  for (size_t n = 0; n < sectors; ++n) {
    const uint8_t sync[12] = {0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0};
    out.insert(out.end(), sync, sync + 12);
    const uint32_t address = uint32_t(n) + 2 * 60 * 75;  // tracks start past the first two minutes
    const uint8_t header[4] = {Bcd(address / 75 / 60), Bcd(address / 75 % 60), Bcd(address % 75), 2};
    out.insert(out.end(), header, header + 4);
    const uint8_t subheader[8] = {1, 1, 0x62, 0x0F, 1, 1, 0x62, 0x0F};  // form 2, real-time video
    out.insert(out.end(), subheader, subheader + 8);
    const uint8_t* pack = packs.data() + n * kCdSectorData;
    out.insert(out.end(), pack, pack + kCdSectorData);
    out.insert(out.end(), 4, 0);
  }
  std::ofstream file(to, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(out.data()), std::streamsize(out.size()));
  return file.good() ? true : Fail(error, "cannot write the track file");
}

}  // namespace

bool WriteTestMovie(const std::string& path, const TestMovieRecipe& recipe, std::string* error) {
  if (recipe.width < 16 || recipe.height < 16 || recipe.framesPerSecond < 1 || recipe.frames < 1) {
    return Fail(error, "bad movie size");
  }
  if (recipe.keyFrameInterval < 1 || recipe.bFrames < 0 || recipe.bFrames > 4) {
    return Fail(error, "bad picture grouping");
  }
  QuietMediaLog();
  const bool videoCd = recipe.container == TestMovieContainer::kVideoCd;
  // A VideoCD's packs are written first and then wrapped in sectors.
  const std::string muxed = videoCd ? path + ".packs" : path;
  if (!WriteMuxedMovie(muxed, recipe, error)) return false;
  return !videoCd || WrapInCdSectors(muxed, path, error);
}


void PaintNumberedPicture(uint8_t* pixels, int32_t width, int32_t height, int32_t stride, int32_t number) {
  const int32_t band = height / 6;
  const int32_t column = width / 8;
  for (int32_t y = 0; y < height; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(pixels + size_t(y) * size_t(stride));
    for (int32_t x = 0; x < width; ++x) {
      bool white;
      if (y < band) {
        white = true;
      } else if (y >= height - band) {
        white = false;
      } else {
        const int32_t k = x / column;
        white = k < 8 && ((number >> k) & 1) != 0;
      }
      const uint32_t v = white ? 0x00FFFFFFu : 0x00000000u;
      std::memcpy(&row[x], &v, 4);
    }
  }
}

int32_t ReadPictureNumber(const uint8_t* pixels, int32_t width, int32_t height, int32_t stride) {
  auto green = [&](int32_t x, int32_t y) { return pixels[size_t(y) * size_t(stride) + size_t(x) * 4 + 1]; };
  const int32_t band = height / 6;
  if (green(width / 2, band / 2) < 200 || green(width / 2, height - 1 - band / 2) > 60) return -1;
  const int32_t column = width / 8;
  int32_t number = 0;
  for (int32_t k = 0; k < 8; ++k) {
    if (green(k * column + column / 2, height / 2) > 128) number |= 1 << k;
  }
  return number;
}

}  // namespace orrivel::media
