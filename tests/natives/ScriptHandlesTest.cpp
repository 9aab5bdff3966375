#include "natives/ScriptHandles.h"

#include <gtest/gtest.h>

#include <set>

#include "base/TimerList.h"

namespace orrivel {
namespace {

TEST(ScriptHandles, AHandleOpensOnlyItsOwnFamilyWhileItLives) {
  ScriptHandles handles;
  int font = 1, sound = 2, later = 3;
  const uint32_t fontHandle = handles.Insert(&font, HandleFamily::Font, 4);
  const uint32_t soundHandle = handles.Insert(&sound, HandleFamily::Sound);
  EXPECT_NE(fontHandle, soundHandle);
  EXPECT_EQ(handles.Get<int>(fontHandle, HandleFamily::Font), &font);
  EXPECT_EQ(handles.Kind(fontHandle, HandleFamily::Font), 4);
  // Another family's handle is refused like a stale one.
  EXPECT_EQ(handles.Get<int>(fontHandle, HandleFamily::Sound), nullptr);
  EXPECT_EQ(handles.Kind(soundHandle, HandleFamily::Font), -1);
  EXPECT_EQ(handles.Get<int>(0, HandleFamily::Font), nullptr);
  EXPECT_EQ(handles.Insert(nullptr, HandleFamily::Font), 0u);

  EXPECT_TRUE(handles.Remove(fontHandle));
  EXPECT_FALSE(handles.Remove(fontHandle));
  // The slot is reused under a new generation: the old handle stays dead.
  const uint32_t reused = handles.Insert(&later, HandleFamily::Font);
  EXPECT_NE(reused, fontHandle);
  EXPECT_EQ(handles.Get<int>(fontHandle, HandleFamily::Font), nullptr);
  EXPECT_EQ(handles.Get<int>(reused, HandleFamily::Font), &later);
  EXPECT_EQ(handles.Count(), 2u);
}

class IdleTask : public TimedTask {
 public:
  int32_t Step(uint32_t) override { return 0; }
  void Stop() override {}
};

// Tasks of the timer lists and the scripts' objects draw from one space: no
// live task shares a number with a live object, a task's handle opens no
// object and cannot be removed as one, and a registry that goes gives its
// numbers back.
TEST(ScriptHandles, TaskAndObjectHandlesNeverMeet) {
  TimerList list;
  int objects[8] = {};
  std::set<uint32_t> seen;
  uint32_t taskHandle = 0;
  {
    ScriptHandles handles;
    for (int i = 0; i < 8; ++i) {
      auto* task = new IdleTask;
      ASSERT_EQ(list.Add(task, 0, 0, 0), 0);
      EXPECT_TRUE(seen.insert(task->Handle()).second);
      taskHandle = task->Handle();
      const uint32_t object = handles.Insert(&objects[i], HandleFamily::Control, 5);
      EXPECT_TRUE(seen.insert(object).second);
    }
    for (HandleFamily family : {HandleFamily::Control, HandleFamily::Image, HandleFamily::SystemObject})
      EXPECT_EQ(handles.Find(taskHandle, family), nullptr);
    EXPECT_FALSE(handles.Remove(taskHandle));
    EXPECT_TRUE(list.Contains(taskHandle));
    EXPECT_EQ(handles.Count(), 8u);
  }
  // Gone with its registry: the numbers are free again, the tasks live on.
  ScriptHandles next;
  for (uint32_t handle : seen) {
    if (list.Contains(handle)) continue;
    EXPECT_EQ(next.Find(handle, HandleFamily::Control), nullptr);
  }
  EXPECT_TRUE(list.Stop(taskHandle));
}

}  // namespace
}  // namespace orrivel
