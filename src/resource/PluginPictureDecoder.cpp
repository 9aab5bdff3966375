#include "resource/PluginPictureDecoder.h"

#include <new>
#include <string>

#include "resource/Paths.h"
#include "resource/plugin/GllEntryPoints.h"

namespace orrivel {

PluginPictureDecoder::PluginPictureDecoder(PluginLibraryPtr library, PictureDecoder* decoder)
    : library_(std::move(library)), decoder_(decoder) {
  TakeSizes();
}

PluginPictureDecoder::~PluginPictureDecoder() { PictureDecoder::Release(decoder_); }

void PluginPictureDecoder::TakeSizes() {
  totalBytes_ = decoder_->TotalBytes();
  pitch_ = decoder_->Pitch();
}

bool PluginPictureDecoder::IsSupported(const std::uint8_t* data, std::uint64_t size, const char* name) {
  return decoder_->IsSupported(data, size, name);
}

std::int32_t PluginPictureDecoder::DecodeInto(const std::uint8_t* data, std::uint64_t size,
                                              PictureAllocateFn allocate, void* user, bool as8bit,
                                              PictureProgressFn progress, void* progressUser) {
  const std::int32_t result = decoder_->DecodeInto(data, size, allocate, user, as8bit, progress, progressUser);
  TakeSizes();
  return result;
}

std::int32_t PluginPictureDecoder::Decode(const std::uint8_t* data, std::uint64_t size, PictureBlock* info,
                                          PictureBlock* pixels, PictureProgressFn progress, void* progressUser) {
  const std::int32_t result = decoder_->Decode(data, size, info, pixels, progress, progressUser);
  TakeSizes();
  return result;
}

std::int32_t PluginPictureDecoder::Save(std::int32_t mode, const std::uint8_t* pixels, std::int32_t width,
                                        std::int32_t height, std::int32_t bitCount, std::int32_t pitch,
                                        PictureWriteFn write, void* writeUser, const std::uint8_t* palette,
                                        PictureProgressFn progress, void* progressUser) {
  return decoder_->Save(mode, pixels, width, height, bitCount, pitch, write, writeUser, palette, progress,
                        progressUser);
}

void PluginPictureDecoder::Free() {
  decoder_->Free();
  TakeSizes();
}

void PluginPictureDecoder::SetOffset(std::int32_t x, std::int32_t y) { decoder_->SetOffset(x, y); }
std::int32_t PluginPictureDecoder::GetOffsetX() const { return decoder_->GetOffsetX(); }
std::int32_t PluginPictureDecoder::GetOffsetY() const { return decoder_->GetOffsetY(); }
PictureBlock PluginPictureDecoder::DetachExtraData(bool detach) { return decoder_->DetachExtraData(detach); }
std::uint64_t PluginPictureDecoder::GetExtraSize() const { return decoder_->GetExtraSize(); }
bool PluginPictureDecoder::CanSave() const { return decoder_->CanSave(); }

std::int32_t LoadGllPlugin(std::string_view path, PictureDecoderRecord* record) {
  std::string full;
  if (MakeFullPath(full, path) == 0) return kGllLoadBadPath;
  try {
    PluginLibraryPtr library = OpenPluginLibrary(full);
    if (!library) return kGllLoadFailed;
    const auto getType = PluginEntry<GllGetTypeFunc>(*library, "GetGllType");
    const auto getTypeString = PluginEntry<GllGetTypeStringFunc>(*library, "GetGllTypeString");
    const auto getExtensions = PluginEntry<GllGetSupportExtFunc>(*library, "GetGllSupportExt");
    const auto assist = PluginEntry<GllProc>(*library, "GllAssistFunc");
    const auto assist2 = PluginEntry<GllProc>(*library, "GllAssistFunc2");
    const auto getDecoder = PluginEntry<GllGetLoadObjectFunc>(*library, "GetGllLoadObject");
    if (!getType || !getTypeString || !getExtensions || !assist || !assist2 || !getDecoder) {
      return kGllLoadMissingEntry;
    }
    PictureDecoderRecord made;
    made.type = getType();
    const char* typeString = getTypeString();
    made.typeString = typeString ? typeString : "";
    made.extensions = ReadExtensionList(getExtensions());
    PictureDecoder* decoder = getDecoder();
    if (!decoder) return kGllLoadNoDecoder;
    auto* wrapped = new (std::nothrow) PluginPictureDecoder(library, decoder);
    if (!wrapped) {
      PictureDecoder::Release(decoder);
      return kGllLoadNoDecoder;
    }
    made.decoder = wrapped;
    made.module = library.get();
    made.assist = assist;
    made.assist2 = assist2;
    made.configDialog = PluginEntry<GllProc>(*library, "GllConfigDlg");
    *record = std::move(made);
  } catch (...) {
    return kGllLoadNoDecoder;
  }
  return kGllLoadOk;
}

}  // namespace orrivel
