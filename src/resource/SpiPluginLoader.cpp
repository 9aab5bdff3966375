#include "resource/SpiPluginLoader.h"

#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "resource/ArchiveManager.h"
#include "resource/ImageLoaderManager.h"
#include "resource/Paths.h"
#include "resource/PluginLibrary.h"
#include "resource/SpiArchivePlugin.h"
#include "resource/SpiPicturePlugin.h"
#include "resource/SusieName.h"

namespace orrivel {
namespace {

constexpr std::int32_t kInfoBytes = 256;

// One answer of GetPluginInfo, always ended within the buffer.
std::string PluginInfo(SusieGetPluginInfoFunc getInfo, std::int32_t number) {
  char buffer[kInfoBytes] = {};
  getInfo(number, buffer, kInfoBytes);
  buffer[kInfoBytes - 1] = '\0';
  return std::string(buffer);
}

int BindPicture(const PluginLibraryPtr& library, ImageLoaderManager* images, std::string typeString,
                std::vector<std::string> extensions) {
  SpiPicturePlugin::Entries entries;
  entries.isSupported = PluginEntry<SusieIsSupportedFunc>(*library, "IsSupported");
  entries.getPicture = PluginEntry<SusieGetPictureFunc>(*library, "GetPicture");
  if (!entries.isSupported || !entries.getPicture || !images) return 5;
  entries.getPictureInfo = PluginEntry<SusieGetPictureInfoFunc>(*library, "GetPictureInfo");
  entries.getPreview = PluginEntry<SusieGetPictureFunc>(*library, "GetPreview");
  entries.configurationDlg = PluginEntry<SusieConfigurationDlgFunc>(*library, "ConfigurationDlg");
  auto* decoder = new (std::nothrow) SpiPicturePlugin(library, entries, typeString, extensions);
  if (!decoder) return 4;
  if (images->RegisterDecoder(decoder, std::move(extensions), std::move(typeString), kSpiPictureType, nullptr,
                              nullptr, reinterpret_cast<GllProc>(reinterpret_cast<void (*)()>(entries.configurationDlg))) != 0) {
    PictureDecoder::Release(decoder);
    return 5;
  }
  return 0;
}

int BindArchive(const PluginLibraryPtr& library, ArchiveManager* archives, std::string typeString,
                std::vector<std::string> extensions) {
  const auto getArchiveInfo = PluginEntry<SusieGetArchiveInfoFunc>(*library, "GetArchiveInfo");
  const auto getFile = PluginEntry<SusieGetFileFunc>(*library, "GetFile");
  if (!getArchiveInfo || !getFile || !archives) return 5;
  const auto configurationDlg = PluginEntry<SusieConfigurationDlgFunc>(*library, "ConfigurationDlg");
  std::unique_ptr<SpiArchivePlugin> decoder(new (std::nothrow) SpiArchivePlugin(
      library, getArchiveInfo, getFile, configurationDlg, typeString, extensions));
  if (!decoder) return 4;
  // The manager keeps the configuration entry by address only.
  if (archives->RegisterDecoder(std::move(decoder), std::move(extensions), std::move(typeString), kSpiArchiveType,
                                SpiArchiveAssist, SpiArchiveAssist2,
                                reinterpret_cast<AdlConfigDlg>(reinterpret_cast<void (*)()>(configurationDlg))) != 0) {
    return 5;
  }
  return 0;
}

}  // namespace

int LoadSpiPlugin(std::string_view path, ArchiveManager* archives, ImageLoaderManager* images, bool acceptArchive,
                  bool acceptPicture) {
  std::string full;
  if (MakeFullPath(full, path) == 0) return 1;
  try {
    PluginLibraryPtr library = OpenPluginLibrary(full);
    if (!library) return 2;
    const auto getInfo = PluginEntry<SusieGetPluginInfoFunc>(*library, "GetPluginInfo");
    if (!getInfo) return 3;
    const std::string kind = PluginInfo(getInfo, 0);
    const bool picture = kind == "00IN";
    const bool archive = kind == "00AM";
    if (!picture && !archive) return 4;
    if ((picture && !acceptPicture) || (archive && !acceptArchive)) return -1;
    std::vector<std::string> extensions = SusieFilterToExtensions(PluginInfo(getInfo, 2));
    std::string typeString = PluginInfo(getInfo, 3);
    return picture ? BindPicture(library, images, std::move(typeString), std::move(extensions))
                   : BindArchive(library, archives, std::move(typeString), std::move(extensions));
  } catch (...) {
    return 4;
  }
}

int ScanSpiPlugins(std::string_view folder, ArchiveManager* archives, ImageLoaderManager* images,
                   bool acceptArchive, bool acceptPicture) {
  return ScanPluginFolder(folder, "*.SPI", [&](const std::string& path) {
    return LoadSpiPlugin(path, archives, images, acceptArchive, acceptPicture);
  });
}

}  // namespace orrivel
