#include "platform/TextCodec.h"

#include <gtest/gtest.h>

namespace orrivel::platform {
namespace {

TEST(TextCodec, RoundTripsJapaneseAndRefusesBrokenBytes) {
  const std::string utf8 = "ハードディスクから起動してください";
  const auto cp932 = Utf8ToCp932(utf8);
  ASSERT_TRUE(cp932.has_value());
  EXPECT_EQ(uint8_t((*cp932)[0]), 0x83);  // "ハ" is 0x83 0x6E
  EXPECT_EQ(Cp932ToUtf8(*cp932).value_or(""), utf8);
  EXPECT_FALSE(Cp932ToUtf8("\x83").has_value());  // lead byte without trail
  EXPECT_EQ(Cp932ToUtf8Lossy("a\x83"), "a?");
  // Trail byte 0x5C stays part of its character ("ソ").
  EXPECT_EQ(Cp932ToUtf8("\x83\x5C").value_or(""), "ソ");
}

}  // namespace
}  // namespace orrivel::platform
