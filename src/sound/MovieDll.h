#pragma once
// The loader record of a movie library: the library bound by file name,
// its version entry and its factory entry. A library that lacks either
// entry, or answers another version than the one asked for, is unloaded
// again and the record stays, empty.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/SharedLibrary.h"

namespace orrivel {

struct MovieDllEntry {
  const char* fileName;     // formatted with the program's folder
  const char* factoryName;
  int32_t requiredVersion;
};

// The sprite-movie library.
inline constexpr MovieDllEntry kWendleDll{"WENDLE.DLL", "GetDShowGdiSpriteCtrl", 0x10000};

class MovieDll {
 public:
  // 1: an entry is missing; 2: the library answered another version.
  static constexpr int32_t kMissingEntry = 1;
  static constexpr int32_t kWrongVersion = 2;

  // path: the library's internal (or relative) path, as the program names it.
  MovieDll(std::string_view path, const char* factoryName, int32_t requiredVersion);
  MovieDll(const MovieDll&) = delete;
  MovieDll& operator=(const MovieDll&) = delete;
  ~MovieDll() { FreeMovieDll(); }

  void FreeMovieDll();
  bool IsLoaded() const { return module_.IsOpen(); }
  // 0 when loaded; else why not (-1 when the file did not load).
  int32_t Failure() const { return failure_; }
  int32_t (*VersionEntry() const)() { return version_; }
  // Cast by the caller to its library's factory type.
  void* FactoryEntry() const { return factory_; }
  // An optional further entry of a loaded library; null when it has none.
  void* Entry(const char* name) const { return module_.IsOpen() ? module_.Symbol(name) : nullptr; }

  // "<program folder><fileName>" in internal form.
  static std::string PathBesideProgram(const char* fileName);

 private:
  platform::SharedLibrary module_;
  int32_t (*version_)() = nullptr;
  void* factory_ = nullptr;
  int32_t failure_ = -1;
};

}  // namespace orrivel
