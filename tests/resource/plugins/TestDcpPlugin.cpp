// A layer-action plug-in for the registry tests. Its objects count
// themselves in the library (LiveObjects tells how many live), and refuse a
// set-up whose first argument is -1.
#include <cstdarg>
#include <cstdint>

#include "resource/plugin/DcpObject.h"

#define EXPORT extern "C" __attribute__((visibility("default")))

namespace {

int gLive = 0;

class CountedAction final : public orrivel::DcpObject {
 public:
  CountedAction() { ++gLive; }
  ~CountedAction() override { --gLive; }
  std::int32_t SetupV(const orrivel::ObjectArguments& arguments) override {
    return arguments.Cell(0) == -1 ? 1 : 0;
  }
};

const char* const kNames[] = {"plug_wave", "plug_snow", "bg_zoom"};
const std::uint8_t kTypes[] = {7, 8, 7};

}  // namespace

EXPORT std::int32_t GetObjectNum() {
#ifdef TEST_NULL_NAME
  return 4;  // one more than it can name
#else
  return 3;
#endif
}

EXPORT orrivel::DcpObject* GetObject(std::int32_t) { return new CountedAction(); }

EXPORT int LiveObjects() { return gLive; }

EXPORT const char* GetObjectName(std::int32_t index) {
  return index >= 0 && index < 3 ? kNames[index] : nullptr;
}

#ifndef TEST_NO_TYPE_ENTRY
EXPORT std::uint8_t GetObjectType(std::int32_t index) { return index >= 0 && index < 3 ? kTypes[index] : 0; }
#endif

// Doubles its first cell.
EXPORT std::int32_t CallbackAssistFunc2(const orrivel::ObjectArguments& arguments) {
  return arguments.Cell(0) * 2;
}

EXPORT std::int32_t CallbackAssistFunc(std::intptr_t first, ...) {
  const orrivel::ObjectArgument words[] = {first};
  return CallbackAssistFunc2(orrivel::ObjectArguments{words, 1});
}
