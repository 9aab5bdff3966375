#pragma once
// A host on the headless input path with a sprite list, for the tests of
// one control kind: a test places the pointer, holds keys and buttons and
// runs one host frame at the manual clock's time.
#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "ControlTestSupport.h"
#include "SceneTestSupport.h"
#include "platform/KeyTable.h"
#include "raster/SpriteList.h"
#include "script/ScriptAddressSpace.h"

namespace orrivel::test {

class ControlFrameTest : public SceneTest, protected HeadlessControlInput {
 protected:
  using Log = std::vector<std::string>;

  void SetUp() override {
    SceneTest::SetUp();
    Connect(host);
  }
  // A host frame with the pointer at (x, y) and these keys and buttons held.
  int32_t Frame(int32_t x, int32_t y, std::initializer_list<uint8_t> keys = {}, uint32_t buttons = 0) {
    host.pointerX = x, host.pointerY = y;
    Poll(keys, buttons);
    return host.Update(clock.TickMs());
  }
  // A frame with the decide key newly pressed, then one with it released.
  void Decide(int32_t x = -5, int32_t y = -5) {
    Frame(x, y, {platform::DIK_RETURN});
    Frame(x, y);
  }
  // Three script cells (clicked, hover, leave) in an arena.
  struct Cells {
    ScriptAddressSpace space;
    uint32_t base = space.Allocate(12);
    int32_t Read(int index) {
      uint32_t v = 0;
      space.Read32(base + uint32_t(index) * 4, v);
      return int32_t(v);
    }
    ScriptCell At(int index) { return {&space, base + uint32_t(index) * 4}; }
  };

  RecordingHost host;
  SpriteList list;
};

}  // namespace orrivel::test
