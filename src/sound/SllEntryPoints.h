#pragma once
// Entry points of a "*.SLL" sound-decoder library (all extern "C"). The
// codec is a SoundCodec built against sound/SoundCodec.h (plug-ins are
// built with the engine's own compiler, so that class is the binary
// interface); the manager owns it and deletes it before it unloads the
// library.
//
//   uint32_t GetSllType();
//   const char* GetSllTypeString();
//   const char* GetSllSupportExt();     "EXT1\0EXT2\0\0", upper case
//   SllAssistFunc, SllAssistFunc2       kept by address only
//   SoundCodec* GetSllDecodeObject();   a new codec
//   SllConfigDlg                        optional, kept by address only
#include <cstdint>

#include "sound/SoundCodec.h"

namespace orrivel {

using SllProc = void (*)();
using SllGetTypeFunc = uint32_t (*)();
using SllGetTypeStringFunc = const char* (*)();
using SllGetSupportExtFunc = const char* (*)();
using SllGetDecodeObjectFunc = SoundCodec* (*)();

}  // namespace orrivel
