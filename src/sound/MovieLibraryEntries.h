#pragma once
// The entry points of the primary-surface and object movie libraries, and
// the object library's movie object, in the order of its operations.
// Neither library is part of the system; these declarations are what a
// build of one must offer to be bound.
#include <cstdint>

#include "moviedll/MovieControl.h"
#include "platform/Messages.h"
#include "raster/Rect.h"

namespace orrivel {

class Image;
class Stream;

// The primary-surface library's control follows MovieControl's order.
// frameSources is the address of the player's two frame-source pointers.
using GetDShowPrimCtrlFunc = int32_t (*)(MovieControl** out, Image** frameSources, Stream* stream, int32_t kind,
                                         const char* fileName, int32_t reservedA, int32_t reservedB,
                                         int32_t reservedC);
inline constexpr int32_t kPrimaryMovieLibraryVersion = 0x20000;

// The object library's movie, which presents the video into the window
// itself. Reserved positions are never called by the program.
class MovieObject {
 public:
  // DirectShow's event codes as the object reports them.
  static constexpr int32_t kEventComplete = 1;
  static constexpr int32_t kEventUserAbort = 2;
  static constexpr int32_t kStateRunning = 1;

  virtual int32_t Reserved1() = 0;
  virtual int32_t Release() = 0;
  virtual int32_t Reserved3() = 0;
  virtual int32_t Attach(platform::WindowId window) = 0;
  virtual int32_t AttachAgain(platform::WindowId window) = 0;
  virtual int32_t SetRect(const Rect* rect) = 0;
  virtual int32_t Show(int32_t show) = 0;
  virtual int32_t Run() = 0;
  virtual int32_t Pause() = 0;
  virtual int32_t Resume() = 0;
  virtual int32_t Stop() = 0;
  virtual int32_t GetDuration(int64_t* duration) = 0;
  virtual int32_t Seek(int64_t position) = 0;
  virtual int32_t GetPosition(int64_t* position) = 0;
  virtual int32_t GetState(int32_t* state) = 0;
  // got is 0 when no event was waiting.
  virtual int32_t GetEvent(int32_t* code, intptr_t* param1, intptr_t* param2, uint8_t* got) = 0;
  virtual int32_t SetVolume(int32_t attenuation) = 0;
  virtual int32_t Reserved18() = 0;
  virtual int32_t GetVolume() = 0;
  virtual int32_t GetBalance(int32_t* balance) = 0;
  virtual int32_t AdjustRate(double delta) = 0;
  virtual int32_t SetRate(double rate) = 0;
  virtual int32_t VideoQuery() = 0;
  // Non-zero: the object paints itself when asked.
  virtual int32_t PaintQuery() = 0;
  virtual int32_t GetWidth() = 0;
  virtual int32_t GetHeight() = 0;
  virtual int32_t Reserved27() = 0;
  virtual int32_t Paint(platform::WindowId window) = 0;

 protected:
  ~MovieObject() = default;
};

// directDraw and primary are the screen device's presentation objects, or
// null with useDirectDraw 0.
using GetMovieObjectFunc = int32_t (*)(MovieObject** out, platform::WindowId window, Stream* stream, int32_t kind,
                                       const char* fileName, void* directDraw, void* primary,
                                       uint8_t useDirectDraw);

}  // namespace orrivel
