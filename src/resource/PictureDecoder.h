#pragma once
// The abstract picture decoder. A decoder recognises its format, decodes
// either into a bottom-up device-independent bitmap that it holds (header
// block and pixel block, handed to the caller on request) or straight into a
// top-down buffer that the caller provides through `allocate`, and, when it
// can, encodes a picture through a write callback.
//
// Every operation takes the data with its size and checks each count, offset
// and length against it; corrupt input gives an EGllErrorCode.
#include <cstdint>

#include "resource/EGllErrorCode.h"
#include "resource/PictureBlock.h"

namespace orrivel {

// Gives the caller's top-down buffer of `height` rows of `*pitch` bytes, or
// nullptr to refuse. `bitCount` is 32, or 8 for an 8-bit result. `palette` is
// given only when an 8-bit result needs one: the callback stores there where
// the 1024 palette bytes go.
using PictureAllocateFn = std::uint8_t* (*)(std::int32_t width, std::int32_t height,
                                            std::int32_t bitCount, bool hasAlpha,
                                            std::int32_t* pitch, std::uint8_t** palette,
                                            void* user);
// Lets the caller drop what `allocate` made after a failed decode.
using PictureReleaseFn = void (*)(void* user);
// Non-zero cancels.
using PictureProgressFn = std::int32_t (*)(std::int32_t current, std::int32_t total,
                                           void* user);
// Writes one block of an encoded picture; false when the write failed.
using PictureWriteFn = bool (*)(const std::uint8_t* data, std::uint64_t size, void* user);

class PictureDecoder {
 public:
  PictureDecoder() = default;
  PictureDecoder(const PictureDecoder&) = delete;
  PictureDecoder& operator=(const PictureDecoder&) = delete;
  virtual ~PictureDecoder();

  virtual bool IsSupported(const std::uint8_t* data, std::uint64_t size, const char* name) = 0;
  virtual std::int32_t DecodeInto(const std::uint8_t* data, std::uint64_t size,
                                  PictureAllocateFn allocate, void* user, bool as8bit,
                                  PictureProgressFn progress, void* progressUser);
  // With both out blocks given, the header and pixel blocks pass to the caller
  // and the decoder forgets them; with neither, the decoder keeps them.
  virtual std::int32_t Decode(const std::uint8_t* data, std::uint64_t size, PictureBlock* info,
                              PictureBlock* pixels, PictureProgressFn progress,
                              void* progressUser);
  // `pixels` holds `|height|` rows of `pitch` bytes: top-down for a
  // non-negative height, bottom-up for a negative one.
  virtual std::int32_t Save(std::int32_t mode, const std::uint8_t* pixels, std::int32_t width,
                            std::int32_t height, std::int32_t bitCount, std::int32_t pitch,
                            PictureWriteFn write, void* writeUser, const std::uint8_t* palette,
                            PictureProgressFn progress, void* progressUser);
  virtual void Free();
  virtual void SetOffset(std::int32_t x, std::int32_t y);
  virtual std::int32_t GetOffsetX() const;
  virtual std::int32_t GetOffsetY() const;
  // With `detach` the decoder gives the block up; otherwise the result is a
  // copy. Empty when the last decode carried no extra data.
  virtual PictureBlock DetachExtraData(bool detach);
  virtual std::uint64_t GetExtraSize() const;
  virtual bool CanSave() const;

  // Holder rule: each further holder adds one; releasing a decoder with
  // further holders drops one, else deletes it.
  void AddHolder() { ++extraHolders_; }
  static void Release(PictureDecoder* decoder);
  std::uint32_t ExtraHolders() const { return extraHolders_; }

  const PictureBlock& Info() const { return info_; }
  const PictureBlock& Pixels() const { return pixels_; }
  std::uint64_t TotalBytes() const { return totalBytes_; }
  std::uint32_t Pitch() const { return pitch_; }

 protected:
  // Calls a caller's progress callback the way every decode operation does:
  // (0, total) before the work, which may cancel, and once more at the end
  // whatever happened: (total, total) once the first call was made, else
  // (1, 1); the closing answer is ignored.
  class ProgressReport {
   public:
    ProgressReport(PictureProgressFn fn, void* user) : fn_(fn), user_(user) {}
    ~ProgressReport();
    ProgressReport(const ProgressReport&) = delete;
    ProgressReport& operator=(const ProgressReport&) = delete;
    // False when the callback cancelled.
    bool Begin(std::int32_t total);

   private:
    PictureProgressFn fn_;
    void* user_;
    std::int32_t total_ = 0;
    bool begun_ = false;
  };

  // Hands the held blocks to the caller when both out blocks are given.
  void HandOver(PictureBlock* info, PictureBlock* pixels);

  std::uint32_t extraHolders_ = 0;
  PictureBlock info_;
  PictureBlock pixels_;
  std::uint64_t totalBytes_ = 0;
  std::uint32_t pitch_ = 0;
  std::int32_t offsetX_ = 0;
  std::int32_t offsetY_ = 0;
  std::uint64_t extraSize_ = 0;
};

}  // namespace orrivel
