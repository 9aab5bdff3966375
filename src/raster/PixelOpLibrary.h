#pragma once

// Binding of the optional pixel-operation library. Running without it is a
// supported state: every operation that has an engine kernel uses it, and
// the library-only operations report that no library is there.

#include <memory>
#include <string>

#include "platform/SharedLibrary.h"
#include "raster/PixelOpAbi.h"
#include "raster/Rect.h"

namespace orrivel {

class PixelOpLibrary {
 public:
  // Loads and binds the library at path (relative paths are taken from the
  // program's folder; "NAME.dll" is looked for as "NAME.so"). The packed
  // kernels are handed over when mmxPresent is set. On any failure the
  // module is released and HasModule() is false.
  PixelOpLibrary(const std::string& path, const void* processorInfo, bool mmxPresent);
  virtual ~PixelOpLibrary();
  PixelOpLibrary(const PixelOpLibrary&) = delete;
  PixelOpLibrary& operator=(const PixelOpLibrary&) = delete;

  bool HasModule() const { return module_.IsOpen(); }
  const std::string& Error() const { return error_; }

 private:
  platform::SharedLibrary module_;
  PixelOpLibraryTable* table_ = nullptr;
  std::string error_;
};

// The game's device step: binds "tvpgl.dll" from the program's folder and,
// when it bound, makes it the current library and returns it. Null when the
// library is missing or refused; the current library is then none.
std::unique_ptr<PixelOpLibrary> BindPixelOpLibrary(const void* processorInfo, bool mmxPresent);

// The library in use, or none. A binding without a module makes it none.
void SetCurrentPixelOpLibrary(PixelOpLibrary* binding);
PixelOpLibrary* CurrentPixelOpLibrary();

// Entry k (1 to 234) of the process-wide entry table, null when unbound.
void* PixelOpEntryAddress(int k);
// The library's last changed rectangle (entry 1); an empty rectangle when unbound.
Rect PixelOpChangedRect();

// Typed access to an entry: PixelOpEntryAs<int (*)(Image*, int)>(7).
template <typename Fn>
Fn PixelOpEntryAs(int k) {
  return reinterpret_cast<Fn>(PixelOpEntryAddress(k));
}

// Clears the entry table and the current library (for tests).
void ResetPixelOpEntries();

}  // namespace orrivel
