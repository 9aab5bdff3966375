#include "elg/PngFile.h"

#include <png.h>

#include <cstring>

namespace orrivel::tools {

bool ReadPng(const std::string& path, PngPicture* out, std::string* error) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) {
    *error = image.message;
    return false;
  }
  out->width = image.width;
  out->height = image.height;
  out->indexed = (image.format & PNG_FORMAT_FLAG_COLORMAP) != 0;
  out->hasAlpha = (image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
  if (out->indexed) {
    image.format = PNG_FORMAT_BGR_COLORMAP;
    out->pixels.resize(std::size_t(image.width) * image.height);
    std::vector<std::uint8_t> colormap(256 * 3);
    if (!png_image_finish_read(&image, nullptr, out->pixels.data(), 0, colormap.data())) {
      *error = image.message;
      return false;
    }
    out->palette.assign(1024, 0);
    for (int i = 0; i < 256; ++i) std::memcpy(&out->palette[i * 4], &colormap[i * 3], 3);
    return true;
  }
  image.format = PNG_FORMAT_BGRA;
  out->pixels.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, out->pixels.data(), 0, nullptr)) {
    *error = image.message;
    return false;
  }
  return true;
}

bool WritePng(const std::string& path, const PngPicture& in, std::string* error) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = in.width;
  image.height = in.height;
  std::vector<std::uint8_t> colormap;
  if (in.indexed) {
    image.format = PNG_FORMAT_BGR_COLORMAP;
    image.colormap_entries = 256;
    colormap.resize(256 * 3);
    for (int i = 0; i < 256; ++i) std::memcpy(&colormap[i * 3], &in.palette[i * 4], 3);
  } else {
    image.format = in.hasAlpha ? PNG_FORMAT_BGRA : PNG_FORMAT_BGR;
  }
  std::vector<std::uint8_t> pixels = in.pixels;
  if (!in.indexed && !in.hasAlpha) {
    // Drop the unused fourth byte of each pixel.
    const std::size_t count = std::size_t(in.width) * in.height;
    for (std::size_t i = 0; i < count; ++i) std::memmove(&pixels[i * 3], &in.pixels[i * 4], 3);
    pixels.resize(count * 3);
  }
  if (!png_image_write_to_file(&image, path.c_str(), 0, pixels.data(), 0,
                               in.indexed ? colormap.data() : nullptr)) {
    *error = image.message;
    return false;
  }
  return true;
}

}  // namespace orrivel::tools
