// A transition plug-in for the registry tests. Its objects count
// themselves in the library (LiveObjects tells how many live); a set-up
// whose first further cell is -1 is refused.
#include <cstdint>

#include "resource/plugin/TcpObject.h"

#define EXPORT extern "C" __attribute__((visibility("default")))

namespace {

int gLive = 0;

class CountedTransition final : public orrivel::TcpObject {
 public:
  CountedTransition() { ++gLive; }
  ~CountedTransition() override { --gLive; }
  std::int32_t SetupV(const orrivel::ObjectArgument&, const orrivel::ObjectArguments& rest) override {
    return rest.Cell(0) == -1 ? 1 : 0;
  }
};

const char* const kNames[] = {"plug_fade", "plug_spin"};

}  // namespace

EXPORT std::int32_t GetObjectNum() { return 2; }
EXPORT orrivel::TcpObject* GetObject(std::int32_t) { return new CountedTransition(); }
EXPORT int LiveObjects() { return gLive; }
EXPORT const char* GetObjectName(std::int32_t index) { return index >= 0 && index < 2 ? kNames[index] : nullptr; }
EXPORT std::uint8_t GetObjectType(std::int32_t index) { return std::uint8_t(index + 1); }
