// A sound-decoder plug-in for the decoder manager tests; it decodes the
// test PCM format. Variants leave out an entry point, answer no codec or
// list no extensions.
#include <vector>

#include "TestPcmCodec.h"
#include "sound/SllEntryPoints.h"

#define EXPORT extern "C" __attribute__((visibility("default")))

#ifdef TEST_SECOND_KIND
#define TEST_SLL_TYPE 41
#else
#define TEST_SLL_TYPE 40
#endif

EXPORT uint32_t GetSllType() { return TEST_SLL_TYPE; }
EXPORT const char* GetSllTypeString() { return "Test PCM format"; }
#if defined(TEST_NO_EXTENSIONS)
EXPORT const char* GetSllSupportExt() { return ""; }
#elif defined(TEST_SECOND_KIND)
EXPORT const char* GetSllSupportExt() { return "PC2\0"; }
#else
EXPORT const char* GetSllSupportExt() { return "TPC\0RAW\0"; }
#endif
EXPORT void SllAssistFunc() {}
#ifndef TEST_NO_ASSIST2
EXPORT void SllAssistFunc2() {}
#endif
#ifdef TEST_NO_CODEC
EXPORT orrivel::SoundCodec* GetSllDecodeObject() { return nullptr; }
#else
EXPORT orrivel::SoundCodec* GetSllDecodeObject() { return new orrivel::testing::TestPcmCodec(); }
#endif
EXPORT void SllConfigDlg() {}
