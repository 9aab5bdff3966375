#include "platform/media/MediaTypes.h"

namespace orrivel::media {

MediaType MakeRgb32VideoType(int32_t width, int32_t height) {
  MediaType type;
  type.formatType = MediaFormatType::kVideoInfo;
  type.majorType = MediaMajorType::kVideo;
  type.subtype = MediaSubtype::kRgb32;
  type.width = width;
  type.height = height;
  type.bitCount = 32;
  return type;
}

}  // namespace orrivel::media
