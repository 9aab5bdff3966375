#include "text/FontFaceList.h"

#include <cstring>

#include "platform/font/FontFace.h"

namespace orrivel {

int32_t FontFaceList::EnumFontFaces(uint8_t flags, uint8_t charSet) {
  faces_.clear();
  flags_ = flags;
  charSet_ = charSet;
  for (const platform::FaceRecord& face : platform::EnumerateFaces()) {
    const std::string& name = face.faceName;
    if (name.empty() || name[0] == '$') continue;
    if ((flags & kTrueTypeOnly) && !face.trueType) continue;
    if ((flags & kFixedPitchOnly) && !(face.pitchAndFamily & platform::kFixedPitch)) continue;
    if ((flags & kNoVerticalFaces) && name[0] == '@') continue;
    if ((flags & kCharSetOnly) && face.charSet != charSet) continue;
    LogFont record;
    record.height = 0;
    record.charSet = face.charSet;
    record.pitchAndFamily = face.pitchAndFamily;
    std::strncpy(record.faceName, name.c_str(), sizeof record.faceName - 1);
    faces_.push_back(record);
  }
  return int32_t(faces_.size());
}

}  // namespace orrivel
