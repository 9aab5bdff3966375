#pragma once
// An archive decoder over a Susie-style archive plug-in ("00AM"). It opens
// archives by path through the plug-in's GetArchiveInfo and hands out
// SpiArchive objects, which keep the library loaded while they live.
//
// The listing mode of these archives is one process-wide flag, set through
// the decoder's assist routine (command 0).
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "resource/Archive.h"
#include "resource/PluginLibrary.h"
#include "resource/plugin/SusieApi.h"

namespace orrivel {

// Decoder type of Susie-style archive plug-ins in the archive manager.
constexpr std::int32_t kSpiArchiveType = 3;

bool SpiListingMode();
void SetSpiListingMode(bool on);
// The decoder's assist routines: command 0 sets the listing mode from its
// argument (non-zero: on) and answers 0; other commands answer 5.
int SpiArchiveAssist(std::int32_t command, ...);
int SpiArchiveAssist2(const std::int32_t* arguments, std::uint32_t count);

class SpiArchivePlugin final : public ArchiveDecoder {
 public:
  SpiArchivePlugin(PluginLibraryPtr library, SusieGetArchiveInfoFunc getArchiveInfo, SusieGetFileFunc getFile,
                   SusieConfigurationDlgFunc configurationDlg, std::string typeString,
                   std::vector<std::string> extensions);

  // Codes through error: 1 the plug-in gives no information (or the path
  // has no host form), 2 no usable records, 10 out of memory. On success
  // the file is closed: the plug-in reads the archive by its path.
  Archive* Open(std::string_view path, platform::File& file, int* error) override;
  virtual int Assist(const std::int32_t* arguments, std::uint32_t count) { return SpiArchiveAssist2(arguments, count); }
  virtual int Reserved() { return -2; }

  const std::string& TypeString() const { return typeString_; }
  const std::vector<std::string>& Extensions() const { return extensions_; }
  SusieConfigurationDlgFunc ConfigurationDlg() const { return configurationDlg_; }

 private:
  PluginLibraryPtr library_;
  SusieGetArchiveInfoFunc getArchiveInfo_;
  SusieGetFileFunc getFile_;
  SusieConfigurationDlgFunc configurationDlg_;
  std::string typeString_;
  std::vector<std::string> extensions_;
};

}  // namespace orrivel
