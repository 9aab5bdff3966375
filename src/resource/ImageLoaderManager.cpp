#include "resource/ImageLoaderManager.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "base/Cp932.h"
#include "platform/FileSystem.h"
#include "platform/SystemFacts.h"
#include "resource/ArchiveManager.h"
#include "resource/BmpDecoder.h"
#include "resource/DibConversion.h"
#include "resource/ElgDecoder.h"
#include "resource/FileObject.h"
#include "resource/Paths.h"
#include "resource/PluginPictureDecoder.h"

namespace orrivel {
namespace {

constexpr std::uint64_t kMegabyte = 1048576;

std::uint64_t MachinePhysicalMemory() { return platform::ReadSystemFacts().totalMemory; }

// The automatic limit in megabytes for a machine with `physical` bytes.
std::uint64_t AutomaticMegabytes(std::uint64_t physical) {
  if (physical <= 0x6000000) return 0;
  if (physical <= 0x8000000) return 10;
  if (physical <= 0xC000000) return 20;
  if (physical <= 0x10000000) return 30;
  if (physical <= 0x20000000) return 64;
  return 80;
}

bool WriteToFile(const std::uint8_t* data, std::uint64_t size, void* user) {
  auto* file = static_cast<FileObject*>(user);
  while (size) {
    const std::uint32_t chunk = std::uint32_t(std::min<std::uint64_t>(size, 0x40000000));
    if (file->Write(data, chunk) != chunk) return false;
    data += chunk;
    size -= chunk;
  }
  return true;
}

void ReportOffset(std::int32_t x, std::int32_t y, std::int32_t* offsetX, std::int32_t* offsetY) {
  if (offsetX) *offsetX = x;
  if (offsetY) *offsetY = y;
}

}  // namespace

ImageLoaderManager::ImageLoaderManager() : physicalMemory_(&MachinePhysicalMemory) {}

ImageLoaderManager::~ImageLoaderManager() {
  UnloadAll();
  cache_.Clear();
}

std::string ImageLoaderManager::CacheKey(std::string_view name) { return cp932::ToLower(name); }

void ImageLoaderManager::RemoveRecord(std::size_t index) {
  // A plug-in's decoder keeps its library loaded and frees it with its last
  // holder.
  PictureDecoder::Release(records_[index].decoder);
  records_.erase(records_.begin() + std::ptrdiff_t(index));
}

void ImageLoaderManager::UnloadType(std::int32_t type) {
  for (std::size_t i = records_.size(); i-- > 0;) {
    if (records_[i].type == type) RemoveRecord(i);
  }
}

void ImageLoaderManager::UnloadAll() {
  while (!records_.empty()) RemoveRecord(records_.size() - 1);
}

std::int32_t ImageLoaderManager::RegisterDecoder(PictureDecoder* decoder,
                                                 std::vector<std::string> extensions,
                                                 std::string typeString, std::int32_t type,
                                                 GllProc assist, GllProc assist2,
                                                 GllProc configDialog) {
  if (!decoder) return 1;
  PictureDecoderRecord record;
  record.type = type;
  record.typeString = std::move(typeString);
  record.extensions = std::move(extensions);
  record.decoder = decoder;
  record.assist = assist;
  record.assist2 = assist2;
  record.configDialog = configDialog;
  records_.push_back(std::move(record));
  return 0;
}

void ImageLoaderManager::RegisterBuiltInDecoders() {
  RegisterDecoder(new ElgDecoder(), {"ELG"}, "ELG format", kElgType, nullptr, nullptr, nullptr);
  RegisterDecoder(new BmpDecoder(), {"BMP"}, "Bitmap format", kBmpType, nullptr, nullptr, nullptr);
}

std::int32_t ImageLoaderManager::LoadPlugin(std::string_view path) {
  PictureDecoderRecord record;
  if (const std::int32_t code = LoadGllPlugin(path, &record); code != kGllLoadOk) return code;
  try {
    records_.push_back(std::move(record));
  } catch (const std::bad_alloc&) {
    PictureDecoder::Release(record.decoder);
    return kGllLoadNoDecoder;
  }
  return kGllLoadOk;
}

std::int32_t ImageLoaderManager::LoadPlugins(std::string_view folder) {
  std::string full;
  if (MakeFullPath(full, folder) == 0) return -1;
  AppendSeparator(full);
  const auto files = platform::ScanFolder(full, "*.GLL");
  if (!files) return 0;
  std::int32_t failures = 0;
  for (const platform::FileInfo& info : *files) {
    if (!info.isFolder && LoadPlugin(full + info.name) != kGllLoadOk) ++failures;
  }
  return failures;
}

PictureDecoder* ImageLoaderManager::FindDecoderForData(const std::uint8_t* data,
                                                       std::uint64_t size, const char* name) {
  for (const PictureDecoderRecord& record : records_) {
    if (record.decoder->IsSupported(data, size, name)) return record.decoder;
  }
  return nullptr;
}

PictureDecoder* ImageLoaderManager::FindDecoderByExtension(std::string_view name, bool needSave) {
  const std::string extension = cp932::ToUpper(GetFileExtension(name));
  for (const PictureDecoderRecord& record : records_) {
    const bool claims = std::find(record.extensions.begin(), record.extensions.end(), extension) !=
                        record.extensions.end();
    if (claims && (!needSave || record.decoder->CanSave())) return record.decoder;
  }
  return nullptr;
}

PictureDecoder* ImageLoaderManager::FindDecoderByType(std::int32_t type) {
  for (const PictureDecoderRecord& record : records_) {
    if (record.type == type) return record.decoder;
  }
  return nullptr;
}

DecodedPicture* ImageLoaderManager::DecodeToPicture(const std::uint8_t* data, std::uint64_t size,
                                                    PictureDecoder* decoder) {
  if (!decoder) decoder = FindDecoderForData(data, size, nullptr);
  if (!decoder) return nullptr;
  PictureBlock info, pixels;
  if (decoder->Decode(data, size, &info, &pixels, nullptr, nullptr) != kGllOk) return nullptr;
  auto* picture = new (std::nothrow)
      DecodedPicture(std::move(info), std::move(pixels), decoder->TotalBytes(), decoder->Pitch());
  if (!picture) return nullptr;
  picture->SetOffset(decoder->GetOffsetX(), decoder->GetOffsetY());
  if (decoder->GetExtraSize() != 0) picture->SetExtraData(decoder->DetachExtraData(true));
  return picture;
}

DecodedPicture* ImageLoaderManager::LoadPicture(std::string_view name) {
  std::string key;
  if (cache_.Enabled()) {
    ArchiveManager* archives = GetArchiveManager();
    if (!archives) return nullptr;
    std::string full;
    const int found = archives->FindFileOrMember(&full, name, nullptr);
    if (found > 0) return nullptr;
    // An archive member's key is its path under the base folder.
    if (found < 0 && MakeFullPath(full, name) == 0) full.assign(name);
    key = CacheKey(full);
    if (DecodedPicture* cached = cache_.Lookup(key)) {
      cached->AddHolder();
      return cached;
    }
  }
  FileObject file;
  if (file.Open(name) != 0) return nullptr;
  const auto* data = static_cast<const std::uint8_t*>(file.GetData());
  const std::uint64_t size = file.GetSize();
  DecodedPicture* picture = nullptr;
  if (PictureDecoder* byExtension = FindDecoderByExtension(name, false)) {
    picture = DecodeToPicture(data, size, byExtension);
  }
  // No decoder claims the extension, or the one that does failed: try by
  // content.
  if (!picture) picture = DecodeToPicture(data, size, nullptr);
  if (!picture) return nullptr;
  if (cache_.Enabled()) cache_.Add(key, picture);
  return picture;
}

std::int32_t ImageLoaderManager::ConvertPath(PictureDecoder* decoder, const std::uint8_t* data,
                                             std::uint64_t size, const char* name,
                                             PictureAllocateFn allocate, void* user, bool as8bit,
                                             std::int32_t* offsetX, std::int32_t* offsetY,
                                             PictureBlock* extraData) {
  DecodedPicture* picture = DecodeToPicture(data, size, decoder);
  if (!picture) return 1;
  // A plug-in's decoder may describe more rows, or wider ones, than its
  // pixel block holds; such a picture is not read at all.
  const PictureDib dib(*picture);
  if (!dib.IsSound()) {
    DecodedPicture::Release(picture);
    return 1;
  }
  if (cache_.Enabled() && name && *name) cache_.Add(CacheKey(name), picture);

  const std::uint32_t colorCount = dib.source.colorCount;
  std::int32_t code = kGllOk;
  std::int32_t pitch = 0;
  std::uint8_t* palette = nullptr;
  std::uint8_t* buffer = allocate(dib.Width(), dib.Rows(), as8bit ? 8 : 32, dib.header.bitCount == 32, &pitch,
                                  as8bit && colorCount ? &palette : nullptr, user);
  const std::uint64_t rowBytes = std::uint64_t(dib.Width()) * (as8bit ? 1 : 4);
  if (!buffer || pitch < 0 || std::uint64_t(pitch) < rowBytes) {
    code = kGllOutOfMemory;
  } else {
    if (palette) std::memcpy(palette, dib.colors, 4ull * colorCount);
    if (!ConvertWholeDibForCaller(buffer, pitch, dib.source, as8bit)) code = kGllConversionFailed;
  }
  if (code == kGllOk) {
    ReportOffset(picture->GetOffsetX(), picture->GetOffsetY(), offsetX, offsetY);
    // The cache keeps its own copy of the extra data.
    if (extraData && picture->GetExtraSize() != 0) {
      *extraData = picture->DetachExtraData(picture->ExtraHolders() == 0);
    }
  }
  DecodedPicture::Release(picture);
  return code;
}

std::int32_t ImageLoaderManager::LoadIntoFromMemory(
    const std::uint8_t* data, std::uint64_t size, PictureAllocateFn allocate,
    PictureReleaseFn release, void* user, bool as8bit, PictureProgressFn progress,
    void* progressUser, const char* name, std::int32_t* offsetX, std::int32_t* offsetY,
    PictureBlock* extraData) {
  PictureDecoder* decoder = FindDecoderForData(data, size, name);
  if (!decoder) return 1;
  const std::int32_t code =
      decoder->DecodeInto(data, size, allocate, user, as8bit, progress, progressUser);
  if (code == kGllOk) {
    ReportOffset(decoder->GetOffsetX(), decoder->GetOffsetY(), offsetX, offsetY);
    if (extraData && decoder->GetExtraSize() != 0) *extraData = decoder->DetachExtraData(true);
    return 0;
  }
  if (code == kGllNotSupported) {
    return ConvertPath(decoder, data, size, name, allocate, user, as8bit, offsetX, offsetY,
                       extraData);
  }
  if (release) release(user);
  return 1;
}

std::int32_t ImageLoaderManager::LoadInto(std::string_view name, PictureAllocateFn allocate,
                                          PictureReleaseFn release, void* user, bool as8bit,
                                          PictureProgressFn progress, void* progressUser,
                                          std::int32_t* offsetX, std::int32_t* offsetY,
                                          PictureBlock* extraData) {
  FileObject file;
  if (file.Open(name) != 0) return kFileNotOpened;
  const auto* data = static_cast<const std::uint8_t*>(file.GetData());
  const std::uint64_t size = file.GetSize();
  if (PictureDecoder* decoder = FindDecoderByExtension(name, false)) {
    const std::int32_t code =
        decoder->DecodeInto(data, size, allocate, user, as8bit, progress, progressUser);
    if (code == kGllOk) {
      ReportOffset(decoder->GetOffsetX(), decoder->GetOffsetY(), offsetX, offsetY);
      if (extraData && decoder->GetExtraSize() != 0) *extraData = decoder->DetachExtraData(true);
      return 0;
    }
    if (code == kGllNotSupported) {
      if (ConvertPath(decoder, data, size, file.GetName().c_str(), allocate, user, as8bit,
                      offsetX, offsetY, extraData) == 0) {
        return 0;
      }
    } else if (release) {
      release(user);
    }
  }
  return LoadIntoFromMemory(data, size, allocate, release, user, as8bit, progress, progressUser,
                            file.GetName().c_str(), offsetX, offsetY, extraData);
}

std::int32_t ImageLoaderManager::SavePicture(std::string_view name, std::int32_t mode,
                                             const std::uint8_t* pixels, std::int32_t width,
                                             std::int32_t height, std::int32_t bitCount,
                                             std::int32_t pitch, const std::uint8_t* palette,
                                             std::int32_t type, PictureProgressFn progress,
                                             void* progressUser) {
  PictureDecoder* decoder = type != 0 ? FindDecoderByType(type) : FindDecoderByExtension(name, true);
  if (!decoder) return 1;
  std::string full;
  if (MakeFullPath(full, name) == 0) return kFileNotOpened;
  // Written beside the target and renamed over it: a failed save leaves the
  // old file, and no partial one.
  const std::string temporary = full + ".part";
  FileObject file;
  if (file.OpenForWrite(temporary, true) != 0) return kFileNotOpened;
  const std::int32_t code = decoder->Save(mode, pixels, width, height, bitCount, pitch,
                                          &WriteToFile, &file, palette, progress, progressUser);
  file.Close();
  if (code != kGllOk) {
    platform::RemoveFile(temporary);
    return code;
  }
  if (!platform::RenameFile(temporary, full)) {
    platform::RemoveFile(temporary);
    return kFileNotOpened;
  }
  return 0;
}

void ImageLoaderManager::SetPhysicalMemorySource(PhysicalMemorySource source) {
  physicalMemory_ = source ? std::move(source) : PhysicalMemorySource(&MachinePhysicalMemory);
}

void ImageLoaderManager::SetCacheLimit(std::int32_t megabytes) {
  const std::uint64_t physical = physicalMemory_();
  std::uint64_t wanted = 0;
  std::uint64_t cap = 0;
  if (megabytes < 0) {
    wanted = AutomaticMegabytes(physical) * kMegabyte;
    cap = physical;
  } else {
    wanted = std::uint64_t(megabytes) * kMegabyte;
    cap = physical / 2;
  }
  const std::uint64_t limit = std::min(wanted, cap);
  cache_.SetLimitBytes(limit);
  if (limit == 0) {
    cache_.Clear();
  } else {
    cache_.Evict(limit);
  }
}

std::int32_t ImageLoaderManager::CacheImage(DecodedPicture* picture, std::string_view name) {
  if (!picture || name.empty()) return 1;
  if (!cache_.Enabled()) return 2;
  return cache_.Add(CacheKey(name), picture);
}

bool ImageLoaderManager::ResolveCacheName(const char* name, std::string* fullName) {
  ArchiveManager* archives = GetArchiveManager();
  if (archives == nullptr || name == nullptr) return false;
  std::string full;
  const int found = archives->FindFileOrMember(&full, name, nullptr);
  if (found > 0) return false;
  if (found < 0 && MakeFullPath(full, name) == 0) full.assign(name);
  *fullName = full;
  return true;
}

DecodedPicture* ImageLoaderManager::FindCachedImage(std::string_view name) {
  if (!cache_.Enabled()) return nullptr;
  DecodedPicture* picture = cache_.Lookup(CacheKey(name));
  if (picture) picture->AddHolder();
  return picture;
}

std::int32_t ImageLoaderManager::ReleaseCachedImage(std::string_view name) {
  if (!cache_.Enabled()) return 1;
  DecodedPicture* picture = LoadPicture(name);
  if (!picture) return 2;
  DecodedPicture::Release(picture);
  return 0;
}

}  // namespace orrivel
