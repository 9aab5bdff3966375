#pragma once
// Loading of Susie-style plug-ins ("*.SPI"): a picture plug-in becomes one
// more decoder of the image loader manager, an archive plug-in one more
// decoder of the archive manager. The managers are passed in; a kind whose
// manager is missing cannot be bound.
#include <cstdint>
#include <string_view>

namespace orrivel {

class ArchiveManager;
class ImageLoaderManager;

// 0, or: 1 bad path, 2 the library does not load, 3 no "GetPluginInfo",
// 4 an unknown kind or any other failure, 5 the plug-in cannot be bound or
// registered, -1 a kind the caller does not accept. On failure the library
// is unloaded.
int LoadSpiPlugin(std::string_view path, ArchiveManager* archives, ImageLoaderManager* images, bool acceptArchive,
                  bool acceptPicture);
// Failures among the "*.SPI" files of the folder, or -1 for a bad path.
int ScanSpiPlugins(std::string_view folder, ArchiveManager* archives, ImageLoaderManager* images,
                   bool acceptArchive, bool acceptPicture);

}  // namespace orrivel
