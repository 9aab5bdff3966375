#pragma once
// The state of a fake movie library, shared by the library module and the
// tests that drive it: what the factory answers, the arguments it was
// given, and what the program asked of the control or object it made.
// Each module has its own state, found by the name kFakeStateExport.
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace orrivel {
class Image;
class Stream;
}

namespace orrivel::testing {

struct FakeMovieEvent {
  int32_t code;
  intptr_t param1;
  intptr_t param2;
};

struct FakeMovieState {
  // What GetDllVersion answers (the library's own version by default).
  int32_t version = 0;
  int32_t factoryResult = 0;
  bool throwInFactory = false;
  int32_t width = 64;
  int32_t height = 48;

  // The last factory call.
  int32_t factoryCalls = 0;
  void* images = nullptr;  // sprite: the image pair; primary: the frame-source array
  void* notify = nullptr;
  orrivel::Stream* stream = nullptr;
  int32_t kind = -99;
  bool hadPath = false;
  std::string path;
  int32_t reserved[3] = {-1, -1, -1};
  uint32_t window = 0;
  void* directDraw = nullptr;
  void* primary = nullptr;
  uint8_t useDirectDraw = 0xFF;

  // The control or object.
  int32_t live = 0;
  int32_t endOfStream = 0;
  uint8_t front = 0;
  int32_t playState = 0;
  int32_t attenuation = 1;
  int32_t seekResult = 0;
  int32_t stopResult = 0;
  int32_t paintQuery = 0;
  // The primary-surface library sizes and fills the program's frame
  // sources; a test that has the program's classes does it here.
  void (*onFrameSources)(orrivel::Image** sources, int32_t width, int32_t height) = nullptr;
  // Every operation by name, in order.
  std::vector<std::string> calls;
  // Object events still to be handed out.
  std::deque<FakeMovieEvent> events;
  // Asked on every object operation; counts calls made while it says no.
  bool (*lockHeld)() = nullptr;
  int32_t unlockedCalls = 0;

  // Back to the state of a fresh load, keeping the version.
  void Reset() {
    const int32_t kept = version;
    *this = FakeMovieState{};
    version = kept;
  }

  int32_t Count(const std::string& name) const {
    int32_t n = 0;
    for (const auto& c : calls) n += c == name;
    return n;
  }
};

inline constexpr const char* kFakeStateExport = "FakeMovieLibraryState";
using FakeStateFunc = FakeMovieState* (*)();

}  // namespace orrivel::testing
