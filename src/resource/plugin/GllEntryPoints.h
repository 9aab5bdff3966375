#pragma once
// Entry points of a "*.GLL" image-loader library (all extern "C"). The
// decoder object is a PictureDecoder built against resource/PictureDecoder.h
// (plug-ins are built with the engine's own compiler, so that class is the
// binary interface); the engine takes one holder on it and releases it by
// the holder rule before it unloads the library.
//
//   int32_t GetGllType();
//   const char* GetGllTypeString();
//   const char* GetGllSupportExt();        "EXT1\0EXT2\0\0", upper case
//   GllAssistFunc, GllAssistFunc2          kept by address only
//   PictureDecoder* GetGllLoadObject();    a new decoder
//   GllConfigDlg                           optional, kept by address only
#include <cstdint>

#include "resource/PictureDecoder.h"

namespace orrivel {

using GllGetTypeFunc = std::int32_t (*)();
using GllGetTypeStringFunc = const char* (*)();
using GllGetSupportExtFunc = const char* (*)();
using GllGetLoadObjectFunc = PictureDecoder* (*)();

}  // namespace orrivel
