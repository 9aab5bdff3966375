#pragma once
// Entry points of a "*.ADL" archive-decoder library (all extern "C"). The
// decoder object is an ArchiveDecoder built against resource/Archive.h: plug-
// ins are built with the engine's own compiler, so that class is the binary
// interface. The engine owns the object it is given and deletes it through
// its virtual destructor before it unloads the library.
//
//   int32_t GetAdlType();
//   const char* GetAdlTypeString();
//   const char* GetAdlSupportExt();        "EXT1\0EXT2\0\0", upper case
//   int AdlAssistFunc(int32_t command, ...);
//   int AdlAssistFunc2(const int32_t* arguments, uint32_t count);
//   ArchiveDecoder* GetAdlDecodeObject();  a new decoder
//   int AdlConfigDlg(void* window);        optional
#include <cstdint>

#include "resource/Archive.h"

namespace orrivel {

using AdlGetTypeFunc = std::int32_t (*)();
using AdlGetTypeStringFunc = const char* (*)();
using AdlGetSupportExtFunc = const char* (*)();
using AdlGetDecodeObjectFunc = ArchiveDecoder* (*)();

}  // namespace orrivel
