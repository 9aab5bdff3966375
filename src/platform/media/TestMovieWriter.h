#pragma once
// Writes small movies with FFmpeg's own encoders, for tests, fuzz seeds and
// benchmarks: every picture carries its number in its pixels and a marked
// top band, so a reader can tell order and orientation.
//
// Pattern: the top sixth of the picture is white, the bottom sixth black;
// the rows between hold eight equal columns, column k white when bit k of
// the picture number is set.
#include <cstdint>
#include <string>

namespace orrivel::media {

enum class TestMovieContainer : uint8_t {
  kMpegSystem,   // MPEG-1 video (and MP2 sound) in an MPEG program stream
  kMpegVideo,    // MPEG-1 elementary video
  kAvi,          // MPEG-4 part 2 in AVI
  kMp4,          // MPEG-4 part 2 in MP4
  kVideoCd,      // a VideoCD track file: the program stream's 2324-byte packs
                 // in 2352-byte CD sectors behind a RIFF CDXA header
};

struct TestMovieRecipe {
  TestMovieContainer container = TestMovieContainer::kMpegSystem;
  int32_t width = 64;
  int32_t height = 48;
  int32_t framesPerSecond = 10;
  int32_t frames = 15;
  bool withVideo = true;
  bool withSound = false;  // a 440 Hz MP2 tone, 44100 Hz stereo
  // As movies are usually encoded: a key frame every 12 pictures and two
  // B-frames between the others, so pictures are stored out of their order.
  int32_t keyFrameInterval = 12;
  int32_t bFrames = 2;
  // The program stream's pack size in bytes (0: the muxer's own, 2048; a
  // VideoCD's is always 2324). A
  // packet carries the time of the first picture that starts in it only,
  // so small packs time some pictures and leave others untimed, as large
  // pictures in 2048-byte packs do.
  int32_t packBytes = 0;
};

// False with a message in *error when an encoder or the muxer fails.
bool WriteTestMovie(const std::string& path, const TestMovieRecipe& recipe, std::string* error);

// Paints picture `number` into X8R8G8B8 top-down rows.
void PaintNumberedPicture(uint8_t* pixels, int32_t width, int32_t height, int32_t stride, int32_t number);

// Reads the number back from X8R8G8B8 top-down rows; -1 when the top band is
// not white and the bottom band not black (upside down or not a pattern).
int32_t ReadPictureNumber(const uint8_t* pixels, int32_t width, int32_t height, int32_t stride);

}  // namespace orrivel::media
