#include "sound/VorbisCodec.h"

#include <new>

#include "platform/PathResolver.h"
#include "platform/SharedLibrary.h"
#include "resource/Paths.h"
#include "sound/SllManager.h"
#include "sound/VorbisDecoder.h"

namespace orrivel {
namespace {

template <typename F>
bool Bind(const platform::SharedLibrary& library, const char* name, F& entry) {
  entry = PluginEntry<F>(library, name);
  return entry != nullptr;
}

std::shared_ptr<VorbisEntries> BindLibrary(std::string_view libraryName) {
  std::string full;
  if (MakeFullPath(full, libraryName) == 0) return nullptr;
  // The name asked for is the system's ("wuvorbis.dll"); the loader finds
  // the library under its own name beside it.
  const auto host = platform::ResolveHostPath(full, platform::ResolveMode::Create);
  auto entries = std::make_shared<VorbisEntries>();
  entries->library = std::make_shared<platform::SharedLibrary>();
  if (!host || !entries->library->Open(*host)) return nullptr;
  const platform::SharedLibrary& library = *entries->library;
  vorbis::WuQuerySizeFunc querySize = nullptr;
  if (!Bind(library, "Query_sizeof_OggVorbis_File", querySize)) return nullptr;
  const int stateBytes = querySize();
  if (stateBytes < 0 || size_t(stateBytes) > vorbis::kWuStateBytes) return nullptr;
  VorbisEntries& e = *entries;
  const bool bound = Bind(library, "wu_ov_clear", e.clear) &&
                     Bind(library, "wu_ov_open_callbacks", e.openCallbacks) &&
                     Bind(library, "wu_ov_seekable", e.seekable) && Bind(library, "wu_ov_pcm_total", e.pcmTotal) &&
                     Bind(library, "wu_ov_time_total", e.timeTotal) &&
                     Bind(library, "wu_ov_raw_seek", e.rawSeek) && Bind(library, "wu_ov_time_seek", e.timeSeek) &&
                     Bind(library, "wu_ov_raw_tell", e.rawTell) && Bind(library, "wu_ov_pcm_tell", e.pcmTell) &&
                     Bind(library, "wu_ov_time_tell", e.timeTell) && Bind(library, "wu_ov_info", e.info) &&
                     Bind(library, "wu_ov_read", e.read) && Bind(library, "wu_SetCPUType", e.setCpuType) &&
                     Bind(library, "wu_DetectCPU", e.detectCpu);
  if (!bound) return nullptr;
  e.setCpuType(e.detectCpu());
  return entries;
}

}  // namespace

VorbisCodec::VorbisCodec(std::string_view libraryName) : entries_(BindLibrary(libraryName)) {}

std::string VorbisCodec::DefaultLibraryPath() {
  const auto folder = platform::ToInternalPath(platform::SharedLibrary::ProgramFolder());
  return folder ? *folder + kLibraryName : std::string(kLibraryName);
}

bool VorbisCodec::Register(SllManager& manager, std::string_view libraryName) {
  auto* codec = new VorbisCodec(libraryName);
  if (!codec->IsActive()) {
    delete codec;
    return false;
  }
  return manager.RegisterBuiltIn(codec, kExtensionList, kTypeString, SllManager::kOggType, nullptr, nullptr,
                                 nullptr) == 0;
}

SoundDecoder* VorbisCodec::CreateDecoder(const std::shared_ptr<FileObject>& file, int32_t* outError) {
  int32_t scratch = 0;
  int32_t& error = outError ? *outError : scratch;
  if (!entries_) {
    error = kSllAssistNotOffered;
    return nullptr;
  }
  if (!file) {
    error = kSllNoStream;
    return nullptr;
  }
  try {
    auto* decoder = new (std::nothrow) VorbisDecoder(entries_);
    if (!decoder) {
      error = kSllNoMemory;
      return nullptr;
    }
    const int32_t opened = decoder->Open(file);
    if (opened != kVorbisOpenOk) {
      decoder->Release();
      // The next codec reads the same file from its start.
      file->SeekSet(0);
      error = opened;
      return nullptr;
    }
    error = kSllOk;
    return decoder;
  } catch (...) {
    error = kSllCodecFailed;
    return nullptr;
  }
}

}  // namespace orrivel
