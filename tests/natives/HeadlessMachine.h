#pragma once
// The machine under a test that drives the application's own input: the
// headless window system and input source in force, and a manual clock
// that starts at 5000 ms. Listed first, it outlives what the test builds
// on it.
#include "platform/Clock.h"
#include "platform/headless/HeadlessBackend.h"
#include "platform/headless/HeadlessInput.h"

namespace orrivel::test {

struct HeadlessMachine {
  platform::HeadlessBackend backend;
  platform::ScopedBackend scopedBackend{backend};
  platform::HeadlessInput source;
  platform::ScopedInputSource scopedSource{source};
  platform::ManualClock clock{5000};
  platform::ScopedClock scopedClock{clock};
};

}  // namespace orrivel::test
