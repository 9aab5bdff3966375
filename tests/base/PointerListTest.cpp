#include "base/PointerList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orrivel {
namespace {

TEST(PointerList, KeepsCopiesInPlaceAcrossBlocks) {
  PointerList list;
  EXPECT_EQ(list.Add(nullptr), 1);
  std::string text = "first";
  ASSERT_EQ(list.Add(text.c_str()), 0);
  text[0] = 'F';  // the list holds its own copy
  EXPECT_STREQ(list.Get(0), "first");
  EXPECT_EQ(list.Add(""), 0);
  EXPECT_STREQ(list.Get(1), "");

  const char* const* firstEntry = list.EntryAt(0);
  const char* firstText = list.Get(0);
  std::vector<const char* const*> entries;
  for (int i = 2; i < 3 * PointerList::kBlockEntries + 5; ++i) {
    ASSERT_EQ(list.Add(std::to_string(i).c_str()), 0);
    entries.push_back(list.EntryAt(i));
  }
  EXPECT_EQ(list.EntryAt(0), firstEntry);  // growth never moves an entry
  EXPECT_EQ(list.Get(0), firstText);
  for (int i = 2; i < list.Count(); ++i) {
    ASSERT_EQ(list.EntryAt(i), entries[size_t(i - 2)]);
    ASSERT_EQ(list.Get(i), std::to_string(i));
  }
  for (int32_t outside : {-1, list.Count(), list.Count() + 1}) {
    EXPECT_EQ(list.Get(outside), nullptr);
    EXPECT_EQ(list.EntryAt(outside), nullptr);
  }
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.Get(0), nullptr);
  EXPECT_EQ(list.Add("again"), 0);
  EXPECT_STREQ(list.Get(0), "again");
}

}  // namespace
}  // namespace orrivel
