#pragma once
// The movie object the program and the movie library share. The program
// sees only this table of operations, in this order, with the destructor
// last; the library's object behind it owns the pipeline that plays the
// movie into the program's image pair.
//
// Operations return 0 for success, 1 while the object is being torn down
// (Play to SetRate) or for a missing out-argument, and 2 to 4 for a failed
// step, as each says.
#include <cstdint>

namespace orrivel {

class Drawable;
class PixelBuffer;
class Stream;

class MovieControl {
 public:
  virtual MovieControl* AddRef() = 0;
  // The count after the release; at 0 owners the object is gone.
  virtual int32_t Release() = 0;
  virtual int32_t Open(Stream* stream, int32_t kind, const char* fileName, int32_t reservedA, int32_t reservedB,
                       int32_t reservedC) = 0;
  virtual int32_t Play() = 0;
  virtual int32_t Pause() = 0;
  virtual int32_t Resume() = 0;
  virtual int32_t Stop() = 0;
  // 100-ns units.
  virtual int32_t GetDuration(int64_t* duration) = 0;
  virtual int32_t Seek(int64_t position) = 0;
  virtual int32_t GetPosition(int64_t* position) = 0;
  // 0 stopped, 1 running, 2 paused, 3 still changing.
  virtual int32_t GetState(int32_t* state) = 0;
  // Hundredths of a decibel: 0 full, -10000 silent.
  virtual int32_t SetVolume(int32_t attenuation) = 0;
  virtual int32_t AdjustRate(double delta) = 0;
  virtual int32_t SetRate(double rate) = 0;
  virtual int32_t GetWidth() = 0;
  virtual int32_t GetHeight() = 0;
  virtual int32_t GetVolume() = 0;
  virtual uint8_t GetFrontIndex() = 0;
  virtual int32_t IsEndOfStream() = 0;
  virtual ~MovieControl() = default;
};

// The library's two exports, as the program binds them by name.
using GetDllVersionFunc = int32_t (*)();
// images is the program's pair (images[0], images[1]); stream is null for a
// file name. The program passes 0, 0, 1 as the reserved values.
using GetDShowGdiSpriteCtrlFunc = int32_t (*)(MovieControl** out, PixelBuffer* images, Drawable* notify, Stream* stream,
                                              int32_t kind, const char* fileName, int32_t reservedA,
                                              int32_t reservedB, int32_t reservedC);

inline constexpr int32_t kMovieLibraryVersion = 0x10000;

}  // namespace orrivel
