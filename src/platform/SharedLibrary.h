#pragma once

// Loads the shared libraries that the engine binds by file name (the pixel
// operations, movie and sound libraries, plug-ins). A requested "NAME.dll"
// is looked for as "NAME.so"; the file name is matched case-insensitively in
// its folder when the exact name is not there.

#include <string>
#include <string_view>

namespace orrivel::platform {

class SharedLibrary {
 public:
  SharedLibrary() = default;
  ~SharedLibrary();
  SharedLibrary(SharedLibrary&& other) noexcept;
  SharedLibrary& operator=(SharedLibrary&& other) noexcept;
  SharedLibrary(const SharedLibrary&) = delete;
  SharedLibrary& operator=(const SharedLibrary&) = delete;

  // Loads the library at the host path (after the name mapping). False when
  // no file matches or the loader refuses it; Error() then says why.
  bool Open(std::string_view path);
  void Close();
  bool IsOpen() const { return handle_ != nullptr; }
  // Address of an exported symbol, null when missing or not open.
  void* Symbol(const char* name) const;
  const std::string& Error() const { return error_; }

  // "NAME.dll" (any letter case of the extension) becomes "NAME.so".
  static std::string MapLibraryName(std::string_view path);
  // The folder of the running program, with a trailing '/'.
  static std::string ProgramFolder();

 private:
  void* handle_ = nullptr;
  std::string error_;
};

}  // namespace orrivel::platform
