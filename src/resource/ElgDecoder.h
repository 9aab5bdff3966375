#pragma once
// The decoder of the engine's own ELG pictures: a short header (three
// variants), optional extra chunks that the decoder only hands over, and one
// compressed stream per plane (see ElgUnpack.h).
#include <cstdint>

#include "resource/PictureDecoder.h"

namespace orrivel {

class ElgDecoder : public PictureDecoder {
 public:
  // What a header says; filled by ParseHeader.
  struct Header {
    std::uint32_t depth = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::int32_t offsetX = 0;
    std::int32_t offsetY = 0;
    std::uint64_t chunksOffset = 0;  // first chunk, variant 2 only
    std::uint64_t chunksSize = 0;    // chunk bytes without the closing 0
    std::uint64_t streamsOffset = 0;
  };

  ElgDecoder() = default;
  ~ElgDecoder() override;

  bool IsSupported(const std::uint8_t* data, std::uint64_t size, const char* name) override;
  std::int32_t DecodeInto(const std::uint8_t* data, std::uint64_t size,
                          PictureAllocateFn allocate, void* user, bool as8bit,
                          PictureProgressFn progress, void* progressUser) override;
  std::int32_t Decode(const std::uint8_t* data, std::uint64_t size, PictureBlock* info,
                      PictureBlock* pixels, PictureProgressFn progress,
                      void* progressUser) override;
  void Free() override;
  PictureBlock DetachExtraData(bool detach) override;

  // Reads the header after the magic: 0 or an EGllErrorCode (1 not ELG,
  // 3 truncated header, chunk list or an unsupported depth).
  static std::int32_t ParseHeader(const std::uint8_t* data, std::uint64_t size, Header* header);
  // False when the bytes after the header are too few to describe the
  // picture the header claims: a caller that allocates for the picture
  // before decoding it asks this first.
  static bool StreamsCanHold(const std::uint8_t* data, std::uint64_t size, const Header& header);

 private:
  // Parses the header, keeps its chunks as extra data and its offset.
  std::int32_t ReadHeader(const std::uint8_t* data, std::uint64_t size, Header* header);
  std::int32_t DecodeStreams(const Header& header, const std::uint8_t* streams,
                             const std::uint8_t* end);
  std::int32_t DecodeIntoBuffer(const Header& header, const std::uint8_t* streams,
                                const std::uint8_t* end, std::uint8_t* buffer,
                                std::uint64_t pitch, std::uint8_t* palette, bool as8bit);

  PictureBlock extraData_;
};

}  // namespace orrivel
