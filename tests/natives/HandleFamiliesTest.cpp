// One handle space for every object a script holds: an object of each
// family is made through its native, and each handle is handed to a native
// of every family. Only its own family's native takes it; every other one
// answers its failure value, and so does its own once the object is gone.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "../scene/WindowTestSupport.h"
#include "ControlNativeRig.h"
#include "DirectCalls.h"
#include "NativeHarness.h"
#include "base/TimerList.h"
#include "natives/NativeCatalog.h"
#include "natives/SystemNativePort.h"

namespace orrivel::testing {
namespace {

class IdleTask : public TimedTask {
 public:
  int32_t Step(uint32_t) override { return 0; }
  void Stop() override {}
};

// A native that works on one family's object named in cell 0: its cells
// after the handle, what it answers for a handle it cannot use, and what
// it answers for a live object of its family.
struct Probe {
  const char* family;
  const char* native;
  std::vector<uint32_t> rest;
  uint32_t refused;
  uint32_t accepted;  // kAnyOther: anything but refused
};
constexpr uint32_t kAnyOther = 0xA5A5A5A5u;

class HandleFamiliesTest : public ControlNativeRig {
 protected:
  void SetUp() override {
    ControlNativeRig::SetUp();
    port_.confirmBox = &box_;
    port_.confirmFont = &systemFont_;
    previousPort_ = SetSystemPort(&port_);
    GameHostSetup setup;
    setup.objectTimers = &timers_;
    setup.systemTimers = &timers_;
    harness_ = std::make_unique<NativeHarness>(setup);
    ASSERT_TRUE(harness_->Call("Nop", {}).Ran());
    calls_ = std::make_unique<DirectCalls>(harness_->Host());
  }
  void TearDown() override {
    calls_.reset();
    objects_.Reset();
    harness_.reset();
    timers_.Clear();
    SetSystemPort(previousPort_);
    ControlNativeRig::TearDown();
  }

  uint32_t Call(const char* name, const std::vector<uint32_t>& cells) {
    const NativeEntry* entry = FindGameNative(name);
    EXPECT_NE(entry, nullptr) << name;
    if (entry == nullptr) return 0;
    bool failed = false;
    const uint32_t result = calls_->Call(entry->number, cells, &failed);
    EXPECT_FALSE(failed) << name;
    return result;
  }
  uint32_t Probed(const Probe& probe, uint32_t handle) {
    std::vector<uint32_t> cells{handle};
    cells.insert(cells.end(), probe.rest.begin(), probe.rest.end());
    return Call(probe.native, cells);
  }
  // Deletes through the script's variable, as the delete natives take it.
  uint32_t DeleteThrough(const char* name, uint32_t handle) { return Call(name, {calls_->Word(handle)}); }

  std::unique_ptr<NativeHarness> harness_;
  std::unique_ptr<DirectCalls> calls_;
  TimerList timers_;
  SystemNativePort port_;
  SystemNativePort* previousPort_ = nullptr;
  int box_ = 0;
  test::CellFont systemFont_{16};
};

TEST_F(HandleFamiliesTest, EveryFamilyRefusesTheOthersHandlesAndItsOwnOnceDeleted) {
  struct Made {
    const char* family;
    uint32_t handle;
  };
  std::vector<Made> made;
  const uint32_t face = calls_->Text("IPAGothic");
  made.push_back({"image", Call("NativeCreateSurface", {24, 12, 32, 0})});
  made.push_back({"scene object", Call("NativeCreateRenderStateSet", {})});
  made.push_back({"font", Call("NativeCreateOutlineFont", {face, 16})});
  made.push_back({"system font", Call("NativeGetSystemObject", {0, 1})});
  made.push_back({"sprite", Call("NativeCreateColorBoxSprite", {8, 8, 0xFF00FF00u, 0, 0})});
  made.push_back({"control", Call("NativeCreateColorBox", {0, 0, 20, 10, 0x00FF0000, 0x0000FF00, 0x000000FF, 0})});
  made.push_back({"file", Call("FileCreate", {})});
  made.push_back({"system object", Call("NativeGetSystemObject", {0, 0})});
  auto* task = new IdleTask;
  ASSERT_EQ(timers_.Add(task, 0, 0, 0), 0);
  made.push_back({"task", task->Handle()});
  std::set<uint32_t> distinct;
  for (const Made& m : made) {
    EXPECT_NE(m.handle, 0u) << m.family;
    EXPECT_TRUE(distinct.insert(m.handle).second) << m.family << " shares handle " << m.handle;
  }

  const std::vector<Probe> probes = {
      {"image", "NativeGetImageWidth", {}, 0, 24},
      {"scene object", "NativeSetSceneObjectVisible", {1}, 0, 1},
      {"font", "NativeSetFontColor", {1, 2, 3}, 0, 1},
      {"system font", "NativeSetFontColor", {1, 2, 3}, 0, 1},
      {"sprite", "NativeMarkDrawableChanged", {}, 0, 1},
      {"control", "NativeIsControlEnabled", {}, 0, 1},
      {"file", "FileGetName", {}, 0, kAnyOther},
      {"task", "NativeTaskExists", {}, 0, 1},
  };
  auto sameFamily = [](const std::string& a, const std::string& b) {
    // The system's font is a font like the scripts' own.
    auto fold = [](const std::string& f) { return f == "system font" ? std::string("font") : f; };
    return fold(a) == fold(b);
  };
  for (const Probe& probe : probes) {
    for (const Made& m : made) {
      const uint32_t answer = Probed(probe, m.handle);
      if (sameFamily(probe.family, m.family)) {
        if (probe.accepted == kAnyOther) {
          EXPECT_NE(answer, probe.refused) << probe.native << " on its own " << m.family;
        } else {
          EXPECT_EQ(answer, probe.accepted) << probe.native << " on its own " << m.family;
        }
      } else {
        EXPECT_EQ(answer, probe.refused) << probe.native << " took a " << m.family << " handle";
      }
    }
    // Forged handles: 0, a free slot's, a live slot under another generation.
    for (uint32_t forged : {0u, 0x000FFFFFu, made[0].handle ^ 0x00100000u, 0xFFFFFFFFu})
      EXPECT_EQ(Probed(probe, forged), probe.refused) << probe.native << " took forged " << forged;
  }

  // Deleted objects: their handles are stale for every native, their own
  // family's included.
  EXPECT_EQ(DeleteThrough("NativeDeleteImage", made[0].handle), 0u);
  EXPECT_EQ(DeleteThrough("NativeDeleteSceneObject", made[1].handle), 0u);
  EXPECT_EQ(DeleteThrough("NativeDeleteFont", made[2].handle), 0u);
  // The system's font is not the scripts' to delete.
  EXPECT_EQ(DeleteThrough("NativeDeleteFont", made[3].handle), 2u);
  EXPECT_EQ(DeleteThrough("NativeDeleteSprite", made[4].handle), 0u);
  EXPECT_EQ(DeleteThrough("NativeDeleteControl", made[5].handle), 0u);
  EXPECT_EQ(DeleteThrough("FileRelease", made[6].handle), 0u);
  EXPECT_TRUE(timers_.Stop(made[8].handle));
  timers_.Step(0);
  for (const Probe& probe : probes) {
    for (const Made& m : made) {
      if (m.handle == made[3].handle || m.handle == made[7].handle) continue;  // still live
      EXPECT_EQ(Probed(probe, m.handle), probe.refused) << probe.native << " took a deleted " << m.family;
    }
  }
  EXPECT_EQ(Probed(probes[3], made[3].handle), 1u) << "the system font outlives the scripts' deletions";
}

// The system's font draws and measures through the font natives like a
// font the scripts made.
TEST_F(HandleFamiliesTest, TheSystemFontWorksWithTheFontNatives) {
  const uint32_t font = Call("NativeGetSystemObject", {0, 1});
  ASSERT_NE(font, 0u);
  EXPECT_EQ(Call("NativeGetSystemObject", {0, 1}), font) << "one handle while the font stays";
  const uint32_t width = calls_->Word(0), height = calls_->Word(0);
  EXPECT_NE(Call("NativeMeasureText", {font, calls_->Text("AB"), width, height, 0, 0}), uint32_t(-1));
  EXPECT_GT(calls_->Load(width), 0u);
  EXPECT_EQ(Call("NativeSetFontLineSpacing", {font, 3}), 1u);
  EXPECT_EQ(Call("NativeSetDefaultTextFont", {font}), 1u);
  const uint32_t picture = Call("NativeCreateSurfaceFromText", {calls_->Text("A"), font, 0x00FFFFFF});
  EXPECT_NE(picture, 0u);
  // Deleting every font leaves the system's.
  EXPECT_EQ(Call("NativeDeleteAllFonts", {}), 0u);
  EXPECT_EQ(Call("NativeSetFontColor", {font, 1, 2, 3}), 1u);
}

}  // namespace
}  // namespace orrivel::testing
