#include "resource/SpiPicturePlugin.h"

#include <algorithm>
#include <cstring>

#include "resource/BitmapInfoHeader.h"

namespace orrivel {
namespace {

struct ProgressContext {
  PictureProgressFn progress;
  void* user;
};

std::int32_t ForwardProgress(std::int32_t number, std::int32_t denominator, std::intptr_t context) {
  const auto* target = reinterpret_cast<const ProgressContext*>(context);
  return target && target->progress ? target->progress(number, denominator, target->user) : 0;
}

}  // namespace

std::uint64_t SusieRowBytes(std::int32_t width, std::uint32_t bitCount) {
  const std::uint64_t w = std::uint64_t(std::max(width, 0));
  const std::uint64_t row = bitCount >= 16 ? (bitCount / 8) * w : (w * bitCount + 7) / 8;
  return (row + 3) & ~std::uint64_t(3);
}

SpiPicturePlugin::SpiPicturePlugin(PluginLibraryPtr library, const Entries& entries, std::string typeString,
                                   std::vector<std::string> extensions)
    : library_(std::move(library)),
      entries_(entries),
      typeString_(std::move(typeString)),
      extensions_(std::move(extensions)) {}

bool SpiPicturePlugin::IsSupported(const std::uint8_t* data, std::uint64_t size, const char* name) {
  std::uint8_t head[kSusieHeadBytes] = {};
  if (data) std::memcpy(head, data, size_t(std::min<std::uint64_t>(size, kSusieHeadBytes)));
  const bool shortHead = size < kSusieHeadBytes;
  return entries_.isSupported(name ? name : "", shortHead || !data ? head : data) != 0;
}

std::int32_t SpiPicturePlugin::Decode(const std::uint8_t* data, std::uint64_t size, PictureBlock* info,
                                      PictureBlock* pixels, PictureProgressFn progress, void* progressUser) {
  Free();
  ProgressContext context{progress, progressUser};
  SusieHandle infoBlock = nullptr;
  SusieHandle bitsBlock = nullptr;
  const std::int32_t answer = entries_.getPicture(data, std::int64_t(size), kSusieFromMemory, &infoBlock,
                                                  &bitsBlock, ForwardProgress,
                                                  reinterpret_cast<std::intptr_t>(&context));
  bool good = answer == 0 && SusieBlockSize(infoBlock) >= BitmapInfoHeader::kSize;
  std::uint64_t rowBytes = 0;
  if (good) {
    const BitmapInfoHeader header = BitmapInfoHeader::Read(SusieBlockData(infoBlock));
    rowBytes = SusieRowBytes(header.width, header.bitCount);
    const std::uint64_t rows = std::uint64_t(header.height < 0 ? -std::int64_t(header.height) : header.height);
    // The rows the header promises must all be in the block.
    good = header.width > 0 && rows > 0 && rowBytes <= UINT32_MAX && SusieBlockSize(bitsBlock) >= rowBytes * rows;
  }
  if (good) {
    good = info_.Assign(SusieBlockData(infoBlock), SusieBlockSize(infoBlock)) &&
           pixels_.Assign(SusieBlockData(bitsBlock), SusieBlockSize(bitsBlock));
  }
  if (good) {
    totalBytes_ = SusieBlockSize(infoBlock) + SusieBlockSize(bitsBlock);
    pitch_ = std::uint32_t(rowBytes);
  }
  SusieFreeBlock(infoBlock);
  SusieFreeBlock(bitsBlock);
  if (!good) {
    Free();
    return 1;
  }
  HandOver(info, pixels);
  return 0;
}

}  // namespace orrivel
