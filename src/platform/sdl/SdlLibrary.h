#pragma once

// Opening SDL2 at run time (the table of its functions is in SdlApi.h,
// which alone needs SDL's headers).

#include <memory>
#include <string>

namespace orrivel::platform::sdl {

// The library the program looks for (the loader's usual search applies).
inline constexpr const char* kLibraryName = "libSDL2-2.0.so.0";

struct SdlFunctions;

// One loaded copy of the library with its table.
class SdlLibrary {
 public:
  ~SdlLibrary();
  SdlLibrary(const SdlLibrary&) = delete;
  SdlLibrary& operator=(const SdlLibrary&) = delete;

  // Opens the library and fills every entry; null when the library cannot
  // be loaded or lacks a function, and `why` then names which.
  static std::unique_ptr<SdlLibrary> Open(const char* libraryName, std::string* why);

  const SdlFunctions& Functions() const { return *functions_; }

 private:
  SdlLibrary();
  void* handle_ = nullptr;
  std::unique_ptr<SdlFunctions> functions_;
};

// Opens the library once for the process and keeps it open (SDL's threads
// and hooks outlive any caller); later calls give the first answer. False
// with `why` filled when SDL cannot be used.
bool Load(std::string* why = nullptr);

}  // namespace orrivel::platform::sdl
