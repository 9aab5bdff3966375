#include "resource/LooseFileGuard.h"

namespace orrivel {
namespace {

thread_local const LooseFileGuard* currentGuard = nullptr;

}  // namespace

const LooseFileGuard* LooseFileGuard::Current() { return currentGuard; }

bool LooseFileGuard::Refuses(const std::string& fullPath) {
  return currentGuard != nullptr && !currentGuard->Allows(fullPath);
}

ScopedLooseFileGuard::ScopedLooseFileGuard(const LooseFileGuard* guard) : previous_(currentGuard) {
  currentGuard = guard;
}

ScopedLooseFileGuard::~ScopedLooseFileGuard() { currentGuard = previous_; }

}  // namespace orrivel
