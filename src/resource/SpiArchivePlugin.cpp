#include "resource/SpiArchivePlugin.h"

#include <atomic>
#include <cstdarg>

#include "platform/PathResolver.h"
#include "resource/SpiArchive.h"

namespace orrivel {
namespace {

std::atomic<bool> listingMode{false};

}  // namespace

bool SpiListingMode() { return listingMode.load(); }
void SetSpiListingMode(bool on) { listingMode.store(on); }

int SpiArchiveAssist(std::int32_t command, ...) {
  if (command != 0) return 5;
  va_list arguments;
  va_start(arguments, command);
  const std::int32_t value = va_arg(arguments, std::int32_t);
  va_end(arguments);
  SetSpiListingMode(value != 0);
  return 0;
}

int SpiArchiveAssist2(const std::int32_t* arguments, std::uint32_t count) {
  if (!arguments || count == 0 || arguments[0] != 0) return 5;
  SetSpiListingMode(count > 1 && arguments[1] != 0);
  return 0;
}

SpiArchivePlugin::SpiArchivePlugin(PluginLibraryPtr library, SusieGetArchiveInfoFunc getArchiveInfo,
                                   SusieGetFileFunc getFile, SusieConfigurationDlgFunc configurationDlg,
                                   std::string typeString, std::vector<std::string> extensions)
    : library_(std::move(library)),
      getArchiveInfo_(getArchiveInfo),
      getFile_(getFile),
      configurationDlg_(configurationDlg),
      typeString_(std::move(typeString)),
      extensions_(std::move(extensions)) {}

Archive* SpiArchivePlugin::Open(std::string_view path, platform::File& file, int* error) {
  int ignored = 0;
  if (!error) error = &ignored;
  const auto host = platform::ResolveHostPath(path, platform::ResolveMode::Existing);
  if (!host) {
    *error = 1;
    return nullptr;
  }
  SusieHandle info = nullptr;
  if (getArchiveInfo_(host->c_str(), 0, 0, &info) != 0 || !info) {
    SusieFreeBlock(info);
    *error = 1;
    return nullptr;
  }
  SpiArchive* archive = SpiArchive::Create(library_, getFile_, *host, info, SpiListingMode(), error);
  SusieFreeBlock(info);
  if (archive) file.Close();
  return archive;
}

}  // namespace orrivel
