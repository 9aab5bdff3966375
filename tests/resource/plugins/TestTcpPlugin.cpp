// A transition plug-in for the registry tests. The caller's first argument
// is a counter of live objects; a set-up whose first further cell is -1 is
// refused.
#include <cstdint>

#include "resource/plugin/TcpObject.h"

#define EXPORT extern "C" __attribute__((visibility("default")))

namespace {

class CountedTransition final : public orrivel::TcpObject {
 public:
  ~CountedTransition() override {
    if (live_) --*live_;
  }
  std::int32_t SetupV(std::intptr_t first, const orrivel::ObjectArguments& rest) override {
    live_ = reinterpret_cast<int*>(first);
    if (live_) ++*live_;
    return rest.Cell(0) == -1 ? 1 : 0;
  }

 private:
  int* live_ = nullptr;
};

const char* const kNames[] = {"plug_fade", "plug_spin"};

}  // namespace

EXPORT std::int32_t GetObjectNum() { return 2; }
EXPORT orrivel::TcpObject* GetObject(std::int32_t) { return new CountedTransition(); }
EXPORT const char* GetObjectName(std::int32_t index) { return index >= 0 && index < 2 ? kNames[index] : nullptr; }
EXPORT std::uint8_t GetObjectType(std::int32_t index) { return std::uint8_t(index + 1); }
