#include "natives/ScriptHandles.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace orrivel
