#pragma once
// Makes decoders for one family of sound files. A codec that cannot decode
// what it is given answers null (its error in *outError when given); it
// need not leave the file where it found it, as the manager rewinds it
// before asking the next codec.
#include <cstdint>
#include <memory>

#include "resource/FileObject.h"
#include "sound/SoundDecoder.h"

namespace orrivel {

// Failures of the decoder layer, thrown and caught inside the managers and
// codecs that make decoders.
enum ESllErrorCode : int32_t {
  kSllOk = 0,
  kSllNoCodec = 1,
  kSllOpenFailed = 3,
  kSllNoStream = 5,
  kSllNoMemory = 8,
  kSllCodecFailed = 12,
};

// What a codec answers for an assist operation it does not offer.
constexpr int32_t kSllAssistNotOffered = -2;

class SoundCodec {
 public:
  virtual ~SoundCodec() = default;
  // A decoder sharing `file`, or null.
  virtual SoundDecoder* CreateDecoder(const std::shared_ptr<FileObject>& file, int32_t* outError) = 0;
  virtual int32_t Assist(void* argument) {
    (void)argument;
    return kSllAssistNotOffered;
  }
  virtual int32_t Assist2(void* argument) {
    (void)argument;
    return kSllAssistNotOffered;
  }
};

}  // namespace orrivel
