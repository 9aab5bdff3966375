#pragma once
// The Susie-style plug-in interface ("*.SPI" libraries), in the form this
// engine's own builds of such plug-ins take. Entry points (all extern "C"):
//
//   int32_t GetPluginInfo(int32_t infoNumber, char* buffer, int32_t length);
//       0: interface kind ("00IN" pictures, "00AM" archives); 2: the file
//       filter ("*.pic;*.abc"); 3: the type text. Answers the bytes written.
// Picture plug-ins:
//   int32_t IsSupported(const char* fileName, const void* head);
//       head: at least kSusieHeadBytes bytes of the file. Non-zero: yes.
//   int32_t GetPicture(const void* data, int64_t size, uint32_t flag,
//                      SusieHandle* info, SusieHandle* bits,
//                      SusieProgressFunc progress, intptr_t context);
//       flag 1: from memory. info: the 40-byte bitmap header and palette;
//       bits: the bottom-up pixel rows. 0 on success.
//   GetPictureInfo, GetPreview, ConfigurationDlg: optional.
// Archive plug-ins:
//   int32_t GetArchiveInfo(const char* path, int64_t offset, uint32_t flag,
//                          SusieHandle* info);
//       flag 0: from a file. info: SusieFileInfo records, ended by one whose
//       method starts with a NUL. 0 on success.
//   int32_t GetFile(const char* path, int64_t position, void* destination,
//                   uint32_t flag, SusieProgressFunc progress, intptr_t context);
//       flag 0x100: to memory, destination is a SusieHandle*; flag 0: to a
//       file, destination is the host folder to write it in. 0 on success.
//   ConfigurationDlg: optional.
//
// Paths handed to archive plug-ins are host paths.
//
// Memory blocks: the original interface hands out movable system memory
// blocks that the receiver locks and frees. Here a block is a plain heap
// allocation that carries its own size, made with SusieAllocBlock and freed
// with SusieFreeBlock; both sides use these inline functions, so the pair
// always matches.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace orrivel {

constexpr std::size_t kSusieHeadBytes = 2048;
constexpr std::int32_t kSusieFromMemory = 1;
constexpr std::uint32_t kSusieToMemory = 0x100;

struct SusieBlock;
using SusieHandle = SusieBlock*;

namespace susie_detail {
struct alignas(std::max_align_t) BlockHeader {
  std::uint64_t size;
};
}  // namespace susie_detail

// A new block of size bytes (zeroed), or null.
inline SusieHandle SusieAllocBlock(std::uint64_t size) {
  if (size > (std::uint64_t(1) << 31)) return nullptr;
  void* memory = std::calloc(1, sizeof(susie_detail::BlockHeader) + std::size_t(size));
  if (!memory) return nullptr;
  static_cast<susie_detail::BlockHeader*>(memory)->size = size;
  return static_cast<SusieHandle>(memory);
}
inline void SusieFreeBlock(SusieHandle block) { std::free(block); }
inline std::uint64_t SusieBlockSize(SusieHandle block) {
  return block ? reinterpret_cast<const susie_detail::BlockHeader*>(block)->size : 0;
}
inline std::uint8_t* SusieBlockData(SusieHandle block) {
  return block ? reinterpret_cast<std::uint8_t*>(block) + sizeof(susie_detail::BlockHeader) : nullptr;
}

// Progress of a plug-in's work; non-zero asks it to stop.
using SusieProgressFunc = std::int32_t (*)(std::int32_t number, std::int32_t denominator, std::intptr_t context);

// One member of an archive as GetArchiveInfo lists it (428 bytes).
struct SusieFileInfo {
  char method[8];
  std::uint32_t position;
  std::uint32_t packedSize;
  std::uint32_t fullSize;
  std::uint32_t timeStamp;
  char path[200];
  char fileName[200];
  std::uint32_t checksum;
};
static_assert(sizeof(SusieFileInfo) == 428, "the record layout is fixed");
static_assert(offsetof(SusieFileInfo, path) == 24 && offsetof(SusieFileInfo, checksum) == 424);

using SusieGetPluginInfoFunc = std::int32_t (*)(std::int32_t infoNumber, char* buffer, std::int32_t length);
using SusieIsSupportedFunc = std::int32_t (*)(const char* fileName, const void* head);
using SusieGetPictureFunc = std::int32_t (*)(const void* data, std::int64_t size, std::uint32_t flag,
                                             SusieHandle* info, SusieHandle* bits, SusieProgressFunc progress,
                                             std::intptr_t context);
using SusieGetPictureInfoFunc = std::int32_t (*)(const void* data, std::int64_t size, std::uint32_t flag,
                                                 void* pictureInfo);
using SusieGetArchiveInfoFunc = std::int32_t (*)(const char* path, std::int64_t offset, std::uint32_t flag,
                                                 SusieHandle* info);
using SusieGetFileFunc = std::int32_t (*)(const char* path, std::int64_t position, void* destination,
                                          std::uint32_t flag, SusieProgressFunc progress, std::intptr_t context);
using SusieConfigurationDlgFunc = std::int32_t (*)(void* parent, std::int32_t function);

}  // namespace orrivel
