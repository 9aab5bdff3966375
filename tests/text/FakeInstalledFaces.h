#pragma once
// A fixed set of installed faces in place of the machine's, for as long as
// the object lives: a Latin face, the Gothic face in two character sets and
// its vertical twin, a hidden "$" face, a bitmap face and the Mincho face.
#include "platform/TextCodec.h"
#include "platform/font/FontFace.h"

namespace orrivel {

class FakeInstalledFaces {
 public:
  FakeInstalledFaces() {
    platform::SetFaceSource([] {
      using platform::FaceRecord;
      const auto sjis = [](const char* utf8) { return platform::Utf8ToCp932Lossy(utf8); };
      return std::vector<FaceRecord>{
          {"Latin Sans", platform::kAnsiCharSet, platform::kVariablePitch, true},
          {sjis("ＭＳ ゴシック"), platform::kShiftJisCharSet, platform::kFixedPitch, true},
          {sjis("@ＭＳ ゴシック"), platform::kShiftJisCharSet, platform::kFixedPitch, true},
          {sjis("ＭＳ ゴシック"), platform::kAnsiCharSet, platform::kFixedPitch, true},
          {"$Hidden", platform::kShiftJisCharSet, platform::kVariablePitch, true},
          {"Bitmap Mono", platform::kAnsiCharSet, platform::kFixedPitch, false},
          {sjis("ＭＳ 明朝"), platform::kShiftJisCharSet, platform::kVariablePitch, true},
      };
    });
  }
  ~FakeInstalledFaces() { platform::SetFaceSource(nullptr); }
  FakeInstalledFaces(const FakeInstalledFaces&) = delete;
  FakeInstalledFaces& operator=(const FakeInstalledFaces&) = delete;
};

}  // namespace orrivel
