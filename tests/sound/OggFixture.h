#pragma once
// Ogg Vorbis files made by the tests with the reference encoder: PCM in,
// a whole file's bytes out.
#include <vorbis/vorbisenc.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <cstdlib>
#include <vector>

namespace orrivel::testing {

// Interleaved 16-bit samples; frames = samples.size() / channels.
inline std::vector<uint8_t> EncodeOgg(uint32_t rate, int channels, const std::vector<int16_t>& samples,
                                      float quality = 0.3f) {
  std::vector<uint8_t> out;
  vorbis_info info;
  vorbis_info_init(&info);
  if (vorbis_encode_init_vbr(&info, channels, long(rate), quality) != 0) std::abort();
  vorbis_comment comment;
  vorbis_comment_init(&comment);
  vorbis_dsp_state dsp;
  vorbis_block block;
  vorbis_analysis_init(&dsp, &info);
  vorbis_block_init(&dsp, &block);
  ogg_stream_state stream;
  ogg_stream_init(&stream, 1);
  auto append = [&out](const ogg_page& page) {
    out.insert(out.end(), page.header, page.header + page.header_len);
    out.insert(out.end(), page.body, page.body + page.body_len);
  };
  ogg_packet header, headerComment, headerCode;
  vorbis_analysis_headerout(&dsp, &comment, &header, &headerComment, &headerCode);
  ogg_stream_packetin(&stream, &header);
  ogg_stream_packetin(&stream, &headerComment);
  ogg_stream_packetin(&stream, &headerCode);
  ogg_page page;
  while (ogg_stream_flush(&stream, &page) != 0) append(page);

  const size_t frames = samples.size() / size_t(channels);
  constexpr size_t kChunk = 4096;
  size_t done = 0;
  bool ended = false;
  while (!ended) {
    const size_t now = std::min(kChunk, frames - done);
    if (now == 0) {
      vorbis_analysis_wrote(&dsp, 0);
    } else {
      float** buffers = vorbis_analysis_buffer(&dsp, int(now));
      for (size_t i = 0; i < now; ++i) {
        for (int c = 0; c < channels; ++c) {
          buffers[c][i] = samples[(done + i) * size_t(channels) + size_t(c)] / 32768.0f;
        }
      }
      vorbis_analysis_wrote(&dsp, int(now));
      done += now;
    }
    while (vorbis_analysis_blockout(&dsp, &block) == 1) {
      vorbis_analysis(&block, nullptr);
      vorbis_bitrate_addblock(&block);
      ogg_packet packet;
      while (vorbis_bitrate_flushpacket(&dsp, &packet) == 1) {
        ogg_stream_packetin(&stream, &packet);
        while (ogg_stream_pageout(&stream, &page) != 0) {
          append(page);
          if (ogg_page_eos(&page)) ended = true;
        }
      }
    }
    if (now == 0) {
      while (ogg_stream_flush(&stream, &page) != 0) append(page);
      ended = true;
    }
  }
  ogg_stream_clear(&stream);
  vorbis_block_clear(&block);
  vorbis_dsp_clear(&dsp);
  vorbis_comment_clear(&comment);
  vorbis_info_clear(&info);
  return out;
}

// A sine of the given peak, the same on every channel.
inline std::vector<int16_t> Sine(uint32_t rate, int channels, uint32_t frames, double hz, double peak) {
  std::vector<int16_t> samples(size_t(frames) * size_t(channels));
  for (uint32_t i = 0; i < frames; ++i) {
    const auto v = int16_t(std::lround(peak * std::sin(2 * M_PI * hz * i / rate)));
    for (int c = 0; c < channels; ++c) samples[size_t(i) * size_t(channels) + size_t(c)] = v;
  }
  return samples;
}

}  // namespace orrivel::testing
