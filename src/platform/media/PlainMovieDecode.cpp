#include "platform/media/PlainMovieDecode.h"

#include <vector>

#include "platform/media/MoviePipeline.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

namespace orrivel::media {

int64_t DecodeMoviePlain(const std::string& path) {
  QuietMediaLog();
  AVFormatContext* format = nullptr;
  if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0) return -1;
  int64_t pictures = -1;
  AVCodecContext* decoder = nullptr;
  SwsContext* scaler = nullptr;
  AVPacket* packet = av_packet_alloc();
  AVFrame* frame = av_frame_alloc();
  const int index = avformat_find_stream_info(format, nullptr) < 0
                        ? -1
                        : av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  const AVCodec* codec = index < 0 ? nullptr : avcodec_find_decoder(format->streams[index]->codecpar->codec_id);
  if (codec) decoder = avcodec_alloc_context3(codec);
  if (decoder && avcodec_parameters_to_context(decoder, format->streams[index]->codecpar) >= 0 &&
      (decoder->thread_count = 1, avcodec_open2(decoder, codec, nullptr) >= 0)) {
    const int width = decoder->width, height = decoder->height;
    std::vector<uint8_t> picture(size_t(width) * 4 * size_t(height));
    pictures = 0;
    auto drain = [&] {
      while (avcodec_receive_frame(decoder, frame) == 0) {
        scaler = sws_getCachedContext(scaler, frame->width, frame->height, AVPixelFormat(frame->format), width,
                                      height, AV_PIX_FMT_BGR0, SWS_BILINEAR, nullptr, nullptr, nullptr);
        uint8_t* dst[4] = {picture.data(), nullptr, nullptr, nullptr};
        int dstStride[4] = {width * 4, 0, 0, 0};
        if (scaler && sws_scale(scaler, frame->data, frame->linesize, 0, frame->height, dst, dstStride) == height) {
          ++pictures;
        }
        av_frame_unref(frame);
      }
    };
    while (av_read_frame(format, packet) >= 0) {
      if (packet->stream_index == index && avcodec_send_packet(decoder, packet) >= 0) drain();
      av_packet_unref(packet);
    }
    avcodec_send_packet(decoder, nullptr);
    drain();
  }
  sws_freeContext(scaler);
  av_frame_free(&frame);
  av_packet_free(&packet);
  avcodec_free_context(&decoder);
  avformat_close_input(&format);
  return pictures;
}

}  // namespace orrivel::media
