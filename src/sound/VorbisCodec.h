#pragma once
// The built-in codec for Ogg Vorbis music and voices. It binds the decoding
// library by file name ("wuvorbis.dll", an ELF library beside the program
// here) through its "wu_" entry points; a library that is missing, needs
// more decoder state than a decoder holds, or lacks an entry leaves the
// codec inactive, and an inactive codec is never registered.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/vorbis/VorbisAbi.h"
#include "resource/PluginLibrary.h"
#include "sound/SoundCodec.h"

namespace orrivel {

class SllManager;

// The library's entry points, bound once by the codec and shared with every
// decoder it makes (which keeps the library loaded while it lives).
struct VorbisEntries {
  PluginLibraryPtr library;
  vorbis::WuClearFunc clear = nullptr;
  vorbis::WuOpenCallbacksFunc openCallbacks = nullptr;
  vorbis::WuSeekableFunc seekable = nullptr;
  vorbis::WuPcmTotalFunc pcmTotal = nullptr;
  vorbis::WuTimeTotalFunc timeTotal = nullptr;
  vorbis::WuRawSeekFunc rawSeek = nullptr;
  vorbis::WuTimeSeekFunc timeSeek = nullptr;
  vorbis::WuRawTellFunc rawTell = nullptr;
  vorbis::WuPcmTellFunc pcmTell = nullptr;
  vorbis::WuTimeTellFunc timeTell = nullptr;
  vorbis::WuInfoFunc info = nullptr;
  vorbis::WuReadFunc read = nullptr;
  vorbis::WuSetCpuTypeFunc setCpuType = nullptr;
  vorbis::WuDetectCpuFunc detectCpu = nullptr;
};

class VorbisCodec final : public SoundCodec {
 public:
  static constexpr const char* kLibraryName = "wuvorbis.dll";
  static constexpr const char* kTypeString = "Ogg Vorbis format";
  // NUL-ended texts ending with an empty one.
  static constexpr const char kExtensionList[] = "OGG\0";

  // libraryName: made a full path against the base folder (an absolute
  // name stays as it is).
  explicit VorbisCodec(std::string_view libraryName);

  bool IsActive() const { return entries_ != nullptr; }
  SoundDecoder* CreateDecoder(const std::shared_ptr<FileObject>& file, int32_t* outError) override;

  // The library beside the program, as an internal path.
  static std::string DefaultLibraryPath();
  // Binds the library and registers the codec in the manager under type 2
  // and "OGG"; false (nothing registered) when the codec stays inactive.
  static bool Register(SllManager& manager, std::string_view libraryName);

 private:
  std::shared_ptr<const VorbisEntries> entries_;
};

}  // namespace orrivel
