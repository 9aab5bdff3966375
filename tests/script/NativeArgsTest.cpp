#include "script/NativeArgs.h"

#include <gtest/gtest.h>

#include <vector>

#include "script/ScriptTestSupport.h"

namespace orrivel {
namespace {

using testing::HostWithDisk;

constexpr const char* kTwoBuffers = R"(vars
  str first size 8 = "one"
  str second size 8 = "two"
  int number = 5
scene MAIN
  ret
)";

// An argument block of the given cells in the host's arena.
uint32_t Block(ScriptHost& host, const std::vector<uint32_t>& cells) {
  const uint32_t block = host.Space().Allocate(cells.size() * 4 + 4);
  for (size_t i = 0; i < cells.size(); ++i) host.Space().Write32(block + uint32_t(i) * 4, cells[i]);
  return block;
}

TEST(NativeArgs, CellFormsReadTheirPartOfTheCell) {
  HostWithDisk h(kTwoBuffers);
  const uint32_t text = h.StrBuffer(0);
  h.SetStr(0, "  -42xyz");
  const uint32_t block = Block(h.host, {0x12345678u, 0xFFFF0102u, 2, NativeArgs::FloatBits(1.5f), 0x18000u,
                                        uint32_t(-65536), text, 0, 65535, uint32_t(-1), 7, 8, 9, 0x1FF, 0x2AB, 0x3CD});
  NativeArgs args(h.host.Space(), nullptr, block);
  EXPECT_EQ(args.Byte(0), 0x78);
  EXPECT_EQ(args.Word16(1), 0x0102);
  EXPECT_TRUE(args.Flag(2));
  EXPECT_FALSE(args.Flag(7));
  EXPECT_EQ(args.Float(3), 1.5f);
  EXPECT_EQ(args.Fixed(4), 1.5);
  EXPECT_EQ(args.Fixed(5), -1.0);
  EXPECT_EQ(args.DecimalText(6), -42);
  EXPECT_EQ(args.DecimalText(7, 99), 99);  // null: the row's default
  EXPECT_FALSE(args.Given(8));
  EXPECT_EQ(args.OptionalRect(8), std::nullopt);
  // -1 is an ordinary coordinate.
  const auto rect = args.OptionalRect(9);
  ASSERT_TRUE(rect.has_value());
  EXPECT_EQ(rect->left, -1);
  EXPECT_EQ(rect->top, 7);
  EXPECT_EQ(rect->bottom, 9);
  EXPECT_EQ(args.PackedColour(13), 0xFFABCDu);
  EXPECT_FALSE(args.Failed());
}

TEST(NativeArgs, CopiesStopAtTheEndOfTheVariable) {
  HostWithDisk h(kTwoBuffers);
  const uint32_t block = Block(h.host, {h.StrBuffer(0), h.Address(2), 0, 0x10});
  NativeArgs args(h.host.Space(), nullptr, block);
  EXPECT_EQ(args.OutputCapacity(0), 8u);
  EXPECT_EQ(args.WriteText(0, "0123456789"), 7);
  EXPECT_EQ(h.Str(0), "0123456");
  EXPECT_EQ(h.Str(1), "two");  // the next variable is untouched
  // A double-byte character whose trail byte would not fit is left out whole.
  EXPECT_EQ(args.WriteText(0, "abcdef\x82\xA0"), 6);
  EXPECT_EQ(h.Str(0), "abcdef");
  const char nine[9] = "12345678";
  EXPECT_FALSE(args.CopyOut(0, nine, 9));
  EXPECT_TRUE(args.Failed());
  EXPECT_EQ(h.Str(0), "abcdef");

  NativeArgs outputs(h.host.Space(), nullptr, block);
  EXPECT_TRUE(outputs.SetOptionalInt(1, 77));
  EXPECT_EQ(h.Int(2), 77u);
  EXPECT_FALSE(outputs.SetOptionalInt(2, 1));  // not given
  EXPECT_FALSE(outputs.Failed());
  EXPECT_EQ(outputs.WriteText(3, "x"), -1);  // an address below the arena
  EXPECT_TRUE(outputs.Failed());
}

TEST(NativeArgs, NativeBlocksBoundCopiesAndFreedOnesRefuseThem) {
  HostWithDisk h(kTwoBuffers);
  const uint32_t made = h.host.Space().Allocate(16);
  const uint32_t block = Block(h.host, {made + 4});
  NativeArgs args(h.host.Space(), nullptr, block);
  EXPECT_EQ(args.OutputCapacity(0), 12u);
  h.host.Space().Free(made);
  EXPECT_EQ(args.OutputCapacity(0), 0u);
  EXPECT_EQ(args.WriteText(0, "x"), -1);
}

}  // namespace
}  // namespace orrivel
