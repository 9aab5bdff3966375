#include "resource/PictureDecoder.h"

namespace orrivel {

PictureDecoder::~PictureDecoder() = default;

std::int32_t PictureDecoder::DecodeInto(const std::uint8_t*, std::uint64_t, PictureAllocateFn,
                                        void*, bool, PictureProgressFn, void*) {
  return kGllNotSupported;
}

std::int32_t PictureDecoder::Decode(const std::uint8_t*, std::uint64_t, PictureBlock*,
                                    PictureBlock*, PictureProgressFn, void*) {
  return kGllNotSupported;
}

std::int32_t PictureDecoder::Save(std::int32_t, const std::uint8_t*, std::int32_t, std::int32_t,
                                  std::int32_t, std::int32_t, PictureWriteFn, void*,
                                  const std::uint8_t*, PictureProgressFn, void*) {
  return kGllNotSupported;
}

void PictureDecoder::Free() {
  info_.Reset();
  pixels_.Reset();
  totalBytes_ = 0;
}

void PictureDecoder::SetOffset(std::int32_t x, std::int32_t y) {
  offsetX_ = x;
  offsetY_ = y;
}

std::int32_t PictureDecoder::GetOffsetX() const { return offsetX_; }
std::int32_t PictureDecoder::GetOffsetY() const { return offsetY_; }
PictureBlock PictureDecoder::DetachExtraData(bool) { return PictureBlock(); }
std::uint64_t PictureDecoder::GetExtraSize() const { return extraSize_; }
bool PictureDecoder::CanSave() const { return false; }

void PictureDecoder::Release(PictureDecoder* decoder) {
  if (!decoder) return;
  if (decoder->extraHolders_ != 0) {
    --decoder->extraHolders_;
  } else {
    delete decoder;
  }
}

void PictureDecoder::HandOver(PictureBlock* info, PictureBlock* pixels) {
  if (info && pixels) {
    *info = std::move(info_);
    *pixels = std::move(pixels_);
    info_.Reset();
    pixels_.Reset();
  }
}

PictureDecoder::ProgressReport::~ProgressReport() {
  if (!fn_) return;
  if (begun_) {
    fn_(total_, total_, user_);
  } else {
    fn_(1, 1, user_);
  }
}

bool PictureDecoder::ProgressReport::Begin(std::int32_t total) {
  if (!fn_) return true;
  total_ = total;
  begun_ = true;
  return fn_(0, total, user_) == 0;
}

}  // namespace orrivel
