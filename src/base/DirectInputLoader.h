#pragma once
// The DirectInput interface, when the system has one. This system has none:
// creation reports the library missing, and the input manager falls back to
// polling (the Windows-API method), as it would on a machine without it.
#include <cstdint>

namespace orrivel {

class DirectInputLoader {
 public:
  DirectInputLoader();  // DirectInputLoaderInit
  ~DirectInputLoader();  // DirectInputLoaderDestroy
  DirectInputLoader(const DirectInputLoader&) = delete;
  DirectInputLoader& operator=(const DirectInputLoader&) = delete;

  // 0 created; 1 the thread's COM is not initialised; 2 the library or its
  // entry point is missing; 3 no version was accepted.
  int32_t Create(uintptr_t instance);  // DirectInputLoaderCreate
  void Release();                       // DirectInputLoaderRelease

  uint32_t Version() const { return version_; }
  bool HasInterface() const { return version_ != 0; }

 private:
  bool comInitialised_ = false;
  uint32_t version_ = 0;  // 5, 3 or 0
};

}  // namespace orrivel
