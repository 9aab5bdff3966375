#include "base/Cp932.h"

#include <gtest/gtest.h>

namespace orrivel {
namespace {

TEST(Cp932, FoldsOnlySingleByteLetters) {
  // "ソ" is 0x83 0x5C and "ア" 0x83 0x41: their trail bytes must survive.
  const std::string name = "a\x83\x5C" "b\x83\x41" "c\x83" "z";
  EXPECT_EQ(cp932::ToUpper(name), "A\x83\x5C" "B\x83\x41" "C\x83" "z");
  EXPECT_EQ(cp932::ToLower("A\x83\x41Z"), "a\x83\x41z");
  EXPECT_EQ(cp932::CompareNoCase("Script\\Sob", "SCRIPT\\SOB"), 0);
  EXPECT_NE(cp932::CompareNoCase("\x83\x41", "\x83\x61"), 0);
}

TEST(Cp932, LeadByteAtEndIsOneCharacter) {
  const std::string_view text("a\x81", 2);
  EXPECT_EQ(cp932::CharLength(text, 0), 1u);
  EXPECT_EQ(cp932::CharLength(text, 1), 1u);
  EXPECT_EQ(cp932::CharLength("\x81\x40", 0), 2u);
}

}  // namespace
}  // namespace orrivel
