// The Ogg Vorbis decoding library bound by name: thin wrappers of
// vorbisfile with C linkage. The decoder state block the caller passes is
// an OggVorbis_File in place.
#include <vorbis/vorbisfile.h>

#include <cstddef>
#include <type_traits>

#include "platform/vorbis/VorbisAbi.h"

namespace {

using orrivel::vorbis::WuCallbacks;
using orrivel::vorbis::WuInfo;

static_assert(offsetof(WuInfo, channels) == offsetof(vorbis_info, channels));
static_assert(offsetof(WuInfo, rate) == offsetof(vorbis_info, rate));
static_assert(std::is_same_v<decltype(vorbis_info::rate), long>);
static_assert(sizeof(OggVorbis_File) <= orrivel::vorbis::kWuStateBytes);
static_assert(alignof(OggVorbis_File) <= orrivel::vorbis::kWuStateAlign);

OggVorbis_File* State(void* state) { return static_cast<OggVorbis_File*>(state); }

}  // namespace

#define WU_EXPORT extern "C" __attribute__((visibility("default")))

#ifdef WU_CLAIM_LARGER_STATE
// A build that claims more state than a decoder holds, for the codec's tests.
WU_EXPORT int Query_sizeof_OggVorbis_File() { return int(orrivel::vorbis::kWuStateBytes) + 1; }
#else
WU_EXPORT int Query_sizeof_OggVorbis_File() { return int(sizeof(OggVorbis_File)); }
#endif

// The library picks its own code paths; the selection calls are kept for
// callers that make them.
WU_EXPORT int wu_DetectCPU() { return 0; }
WU_EXPORT void wu_SetCPUType(int) {}

WU_EXPORT int wu_ov_clear(void* state) { return ov_clear(State(state)); }

WU_EXPORT int wu_ov_open_callbacks(void* source, void* state, const char* initial, long initialBytes,
                                   WuCallbacks callbacks) {
  ov_callbacks own;
  own.read_func = callbacks.read;
  own.seek_func = callbacks.seek;
  own.close_func = callbacks.close;
  own.tell_func = callbacks.tell;
  return ov_open_callbacks(source, State(state), initial, initialBytes, own);
}

WU_EXPORT long wu_ov_seekable(void* state) { return ov_seekable(State(state)); }
WU_EXPORT int64_t wu_ov_pcm_total(void* state, int link) { return ov_pcm_total(State(state), link); }
WU_EXPORT double wu_ov_time_total(void* state, int link) { return ov_time_total(State(state), link); }
WU_EXPORT int wu_ov_raw_seek(void* state, int64_t position) { return ov_raw_seek(State(state), position); }
WU_EXPORT int wu_ov_time_seek(void* state, double seconds) { return ov_time_seek(State(state), seconds); }
WU_EXPORT int64_t wu_ov_raw_tell(void* state) { return ov_raw_tell(State(state)); }
WU_EXPORT int64_t wu_ov_pcm_tell(void* state) { return ov_pcm_tell(State(state)); }
#ifndef WU_WITHOUT_TIME_TELL
WU_EXPORT double wu_ov_time_tell(void* state) { return ov_time_tell(State(state)); }
#endif

WU_EXPORT const WuInfo* wu_ov_info(void* state, int link) {
  return reinterpret_cast<const WuInfo*>(ov_info(State(state), link));
}

WU_EXPORT long wu_ov_read(void* state, char* buffer, int bytes, int bigEndian, int wordBytes, int isSigned,
                          int* section) {
  return ov_read(State(state), buffer, bytes, bigEndian, wordBytes, isSigned, section);
}
