#pragma once
// Turns a picture file name into pixels. The manager holds the picture
// decoders in registration order (the built-in ELG and BMP decoders and
// those of plug-ins), chooses one by the file's extension and, failing that,
// by the data's content, and either returns a shared DecodedPicture or
// decodes straight into a buffer that the caller allocates. It also writes
// pictures through a decoder that can encode. In front of decoding stands
// the image cache, whose limit follows the machine's physical memory.
//
// Main thread only.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "resource/DecodedPicture.h"
#include "resource/ObjectCache.h"
#include "resource/PictureDecoder.h"

namespace orrivel {

// Plug-in entry points kept only by address.
using GllProc = void (*)();

struct PictureDecoderRecord {
  std::int32_t type = 0;
  std::string typeString;
  std::vector<std::string> extensions;  // upper case, without the dot
  PictureDecoder* decoder = nullptr;    // released by the holder rule
  void* module = nullptr;               // plug-in library, none for built-ins
  GllProc assist = nullptr;
  GllProc assist2 = nullptr;
  GllProc configDialog = nullptr;
};

// Results of loading a plug-in.
enum EGllLoadCode : std::int32_t {
  kGllLoadOk = 0,
  kGllLoadBadPath = 1,
  kGllLoadFailed = 2,
  kGllLoadMissingEntry = 3,
  kGllLoadNoDecoder = 4,
};

class ImageLoaderManager {
 public:
  // Bytes of physical memory, for the automatic cache limit.
  using PhysicalMemorySource = std::function<std::uint64_t()>;

  static constexpr std::int32_t kElgType = 2;
  static constexpr std::int32_t kBmpType = 1;
  // File look-up failure of LoadInto and SavePicture.
  static constexpr std::int32_t kFileNotOpened = -3;

  ImageLoaderManager();
  ImageLoaderManager(const ImageLoaderManager&) = delete;
  ImageLoaderManager& operator=(const ImageLoaderManager&) = delete;
  virtual ~ImageLoaderManager();

  virtual void UnloadType(std::int32_t type);
  virtual void UnloadAll();
  // Takes the decoder (one holder). 0, or 1 when the decoder is missing.
  virtual std::int32_t RegisterDecoder(PictureDecoder* decoder, std::vector<std::string> extensions,
                                       std::string typeString, std::int32_t type, GllProc assist,
                                       GllProc assist2, GllProc configDialog);
  virtual std::int32_t LoadPlugin(std::string_view path);
  // Failures among the "*.GLL" files of the folder, or -1 for a bad path.
  virtual std::int32_t LoadPlugins(std::string_view folder);
  virtual PictureDecoder* FindDecoderForData(const std::uint8_t* data, std::uint64_t size,
                                             const char* name);
  virtual PictureDecoder* FindDecoderByExtension(std::string_view name, bool needSave);
  virtual PictureDecoder* FindDecoderByType(std::int32_t type);
  // `extraData` (may be none) receives the picture's extra data.
  virtual std::int32_t LoadIntoFromMemory(const std::uint8_t* data, std::uint64_t size,
                                          PictureAllocateFn allocate, PictureReleaseFn release,
                                          void* user, bool as8bit, PictureProgressFn progress,
                                          void* progressUser, const char* name,
                                          std::int32_t* offsetX, std::int32_t* offsetY,
                                          PictureBlock* extraData);
  virtual std::int32_t LoadInto(std::string_view name, PictureAllocateFn allocate,
                                PictureReleaseFn release, void* user, bool as8bit,
                                PictureProgressFn progress, void* progressUser,
                                std::int32_t* offsetX, std::int32_t* offsetY,
                                PictureBlock* extraData);
  // A new picture without further holders, or nullptr.
  virtual DecodedPicture* DecodeToPicture(const std::uint8_t* data, std::uint64_t size,
                                          PictureDecoder* decoder);
  // The picture with one holder for the caller, or nullptr.
  virtual DecodedPicture* LoadPicture(std::string_view name);
  virtual std::int32_t SavePicture(std::string_view name, std::int32_t mode,
                                   const std::uint8_t* pixels, std::int32_t width,
                                   std::int32_t height, std::int32_t bitCount, std::int32_t pitch,
                                   const std::uint8_t* palette, std::int32_t type,
                                   PictureProgressFn progress, void* progressUser);

  // Registers ElgDecoder ("ELG", type 2), then BmpDecoder ("BMP", type 1).
  void RegisterBuiltInDecoders();

  // Megabytes: negative chooses by physical memory; 0 turns the cache off.
  void SetCacheLimit(std::int32_t megabytes);
  // 0 stored, -1 already cached, 1 missing picture or name, 2 cache off.
  std::int32_t CacheImage(DecodedPicture* picture, std::string_view name);
  // With one holder added for the caller, or nullptr.
  DecodedPicture* FindCachedImage(std::string_view name);
  // 1 cache off, 2 the picture cannot be loaded, else 0.
  std::int32_t ReleaseCachedImage(std::string_view name);

  void SetPhysicalMemorySource(PhysicalMemorySource source);
  const ObjectCache& Cache() const { return cache_; }
  const std::vector<PictureDecoderRecord>& Records() const { return records_; }

  // The cache key of a name: lower-cased ASCII letters of single-byte
  // characters.
  static std::string CacheKey(std::string_view name);
  // The name a picture is cached under: its full path as the archive
  // manager resolves it (a file on disk or an archive member). False when
  // there is no archive manager or the name does not resolve.
  static bool ResolveCacheName(const char* name, std::string* fullName);

 private:
  std::int32_t ConvertPath(PictureDecoder* decoder, const std::uint8_t* data, std::uint64_t size,
                           const char* name, PictureAllocateFn allocate, void* user, bool as8bit,
                           std::int32_t* offsetX, std::int32_t* offsetY, PictureBlock* extraData);
  void RemoveRecord(std::size_t index);

  std::vector<PictureDecoderRecord> records_;
  ObjectCache cache_;
  PhysicalMemorySource physicalMemory_;
};

}  // namespace orrivel
