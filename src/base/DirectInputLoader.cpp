#include "base/DirectInputLoader.h"

#include "base/ComThread.h"

namespace orrivel {

DirectInputLoader::DirectInputLoader() { comInitialised_ = ComInitThread() == 0; }

DirectInputLoader::~DirectInputLoader() {
  Release();
  if (comInitialised_) ComUninitThread();
}

int32_t DirectInputLoader::Create(uintptr_t) {
  if (!comInitialised_) return 1;
  Release();
  // Neither the registered class nor the library exists on this system.
  return 2;
}

void DirectInputLoader::Release() { version_ = 0; }

}  // namespace orrivel
