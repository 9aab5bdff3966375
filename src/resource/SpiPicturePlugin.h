#pragma once
// A picture decoder over a Susie-style picture plug-in ("00IN"): one more
// decoder of the image loader manager. Decoding goes through the plug-in's
// GetPicture from memory; the bitmap header and the rows it hands back are
// checked against each other and copied into the decoder's own blocks.
#include <cstdint>
#include <string>
#include <vector>

#include "resource/PictureDecoder.h"
#include "resource/PluginLibrary.h"
#include "resource/plugin/SusieApi.h"

namespace orrivel {

// Decoder type of Susie-style picture plug-ins in the image loader manager.
constexpr std::int32_t kSpiPictureType = 5;

class SpiPicturePlugin final : public PictureDecoder {
 public:
  struct Entries {
    SusieIsSupportedFunc isSupported = nullptr;  // required
    SusieGetPictureFunc getPicture = nullptr;    // required
    SusieGetPictureInfoFunc getPictureInfo = nullptr;
    SusieGetPictureFunc getPreview = nullptr;
    SusieConfigurationDlgFunc configurationDlg = nullptr;
  };

  SpiPicturePlugin(PluginLibraryPtr library, const Entries& entries, std::string typeString,
                   std::vector<std::string> extensions);

  // A head shorter than the plug-in expects is padded with zeros.
  bool IsSupported(const std::uint8_t* data, std::uint64_t size, const char* name) override;
  // 0, or 1 when the plug-in fails or hands back blocks that do not agree
  // with their header.
  std::int32_t Decode(const std::uint8_t* data, std::uint64_t size, PictureBlock* info, PictureBlock* pixels,
                      PictureProgressFn progress, void* progressUser) override;

  const Entries& EntryPoints() const { return entries_; }
  const std::string& TypeString() const { return typeString_; }
  const std::vector<std::string>& Extensions() const { return extensions_; }

 private:
  PluginLibraryPtr library_;
  Entries entries_;
  std::string typeString_;
  std::vector<std::string> extensions_;
};

// Bytes of one row of a picture as the plug-ins hand it back: whole bytes
// per pixel from 16 bits up, else packed bits; rounded up to 4 bytes.
std::uint64_t SusieRowBytes(std::int32_t width, std::uint32_t bitCount);

}  // namespace orrivel
