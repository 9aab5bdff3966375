#pragma once
// The entry points of the Ogg Vorbis decoding library that the sound codec
// binds by name ("wuvorbis.dll", here "wuvorbis.so" beside the program):
// vorbisfile's calls under the prefix "wu_", a size query for the decoder
// state, and two processor-selection calls. This header is all the engine
// knows of the library; it never sees the library's own headers.
#include <cstddef>
#include <cstdint>

namespace orrivel::vorbis {

// The caller's byte source, as vorbisfile takes it (field order and types
// match its callback record).
struct WuCallbacks {
  size_t (*read)(void* buffer, size_t size, size_t count, void* source);
  int (*seek)(void* source, int64_t offset, int whence);
  int (*close)(void* source);
  long (*tell)(void* source);
};

// The head of the library's stream description: the fields the engine
// reads, in the library's order and types.
struct WuInfo {
  int version;
  int channels;
  long rate;
};

// Results the decoder tells apart.
constexpr int kWuHole = -3;
constexpr int kWuBadLink = -137;

// Room for the library's decoder state; a library that needs more is refused.
constexpr size_t kWuStateBytes = 960;
constexpr size_t kWuStateAlign = 16;

using WuClearFunc = int (*)(void* state);
using WuOpenCallbacksFunc = int (*)(void* source, void* state, const char* initial, long initialBytes,
                                    WuCallbacks callbacks);
using WuSeekableFunc = long (*)(void* state);
using WuPcmTotalFunc = int64_t (*)(void* state, int link);
using WuTimeTotalFunc = double (*)(void* state, int link);
using WuRawSeekFunc = int (*)(void* state, int64_t position);
using WuTimeSeekFunc = int (*)(void* state, double seconds);
using WuRawTellFunc = int64_t (*)(void* state);
using WuPcmTellFunc = int64_t (*)(void* state);
using WuTimeTellFunc = double (*)(void* state);
using WuInfoFunc = const WuInfo* (*)(void* state, int link);
using WuReadFunc = long (*)(void* state, char* buffer, int bytes, int bigEndian, int wordBytes, int isSigned,
                            int* section);
using WuSetCpuTypeFunc = void (*)(int type);
using WuDetectCpuFunc = int (*)();
using WuQuerySizeFunc = int (*)();

}  // namespace orrivel::vorbis
