#pragma once
// An archive decoder from a "*.ADL" plug-in library, as the archive manager
// holds it. The plug-in's decoder, every archive it opens and every stream
// such an archive gives are wrapped in objects that keep the library
// loaded, so removing the decoder while its archives are still mounted, or
// unmounting while a member stream is still read, never leaves code of an
// unloaded library behind.
#include <string_view>

#include "resource/Archive.h"
#include "resource/ArchiveManager.h"
#include "resource/PluginLibrary.h"

namespace orrivel {

class PluginArchiveDecoder final : public ArchiveDecoder {
 public:
  // Takes the plug-in's decoder object.
  PluginArchiveDecoder(PluginLibraryPtr library, ArchiveDecoder* decoder);
  ~PluginArchiveDecoder() override;
  Archive* Open(std::string_view path, platform::File& file, int* error) override;

 private:
  PluginLibraryPtr library_;
  ArchiveDecoder* decoder_;
};

// Loads an ADL library and makes its decoder record (module, callbacks and
// the wrapped decoder). 0, or an EAdlErrorCode: 1 bad path, 2 the library
// does not load, 3 a required entry point is missing, 4 no decoder object,
// 5 any other failure. On failure nothing of the library is kept.
int LoadAdlPlugin(std::string_view path, ArchiveDecoderRecord* record);

}  // namespace orrivel
