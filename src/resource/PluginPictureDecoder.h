#pragma once
// A picture decoder from a "*.GLL" plug-in library, as the image loader
// manager holds it: every operation goes to the plug-in's decoder, and the
// wrapper keeps the library loaded for as long as any holder of the decoder
// is left. After each operation the wrapper takes over the decoder's size
// and pitch, which the manager reads directly; the decoded blocks stay with
// the plug-in's decoder until they are handed over.
#include <string_view>

#include "resource/ImageLoaderManager.h"
#include "resource/PictureDecoder.h"
#include "resource/PluginLibrary.h"

namespace orrivel {

class PluginPictureDecoder final : public PictureDecoder {
 public:
  // Takes the one holder the engine has on the plug-in's decoder.
  PluginPictureDecoder(PluginLibraryPtr library, PictureDecoder* decoder);
  ~PluginPictureDecoder() override;

  bool IsSupported(const std::uint8_t* data, std::uint64_t size, const char* name) override;
  std::int32_t DecodeInto(const std::uint8_t* data, std::uint64_t size, PictureAllocateFn allocate, void* user,
                          bool as8bit, PictureProgressFn progress, void* progressUser) override;
  std::int32_t Decode(const std::uint8_t* data, std::uint64_t size, PictureBlock* info, PictureBlock* pixels,
                      PictureProgressFn progress, void* progressUser) override;
  std::int32_t Save(std::int32_t mode, const std::uint8_t* pixels, std::int32_t width, std::int32_t height,
                    std::int32_t bitCount, std::int32_t pitch, PictureWriteFn write, void* writeUser,
                    const std::uint8_t* palette, PictureProgressFn progress, void* progressUser) override;
  void Free() override;
  void SetOffset(std::int32_t x, std::int32_t y) override;
  std::int32_t GetOffsetX() const override;
  std::int32_t GetOffsetY() const override;
  PictureBlock DetachExtraData(bool detach) override;
  std::uint64_t GetExtraSize() const override;
  bool CanSave() const override;

  PictureDecoder* Inner() const { return decoder_; }

 private:
  void TakeSizes();

  PluginLibraryPtr library_;
  PictureDecoder* decoder_;
};

// Loads a GLL library and makes its decoder record. 0, or an EGllLoadCode:
// 1 bad path, 2 the library does not load, 3 a required entry point is
// missing, 4 no decoder object. On failure nothing of the library is kept.
std::int32_t LoadGllPlugin(std::string_view path, PictureDecoderRecord* record);

}  // namespace orrivel
