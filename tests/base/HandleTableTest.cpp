#include "base/HandleTable.h"

#include <gtest/gtest.h>

namespace orrivel {
namespace {

TEST(HandleTable, StaleAndForgedHandlesAreRefused) {
  HandleTable<int> table;
  int a = 1, b = 2;
  const uint32_t ha = table.Insert(&a);
  ASSERT_NE(ha, 0u);
  EXPECT_LT(ha, 0x80000000u);
  EXPECT_EQ(table.Get(ha), &a);
  EXPECT_TRUE(table.Remove(ha));
  EXPECT_FALSE(table.Remove(ha));
  const uint32_t hb = table.Insert(&b);  // reuses the slot with a new generation
  EXPECT_NE(hb, ha);
  EXPECT_EQ(table.Get(ha), nullptr);
  EXPECT_EQ(table.Get(hb), &b);
  EXPECT_EQ(table.Get(0), nullptr);
  EXPECT_EQ(table.Get(0xFFFFFFFFu), nullptr);
  EXPECT_EQ(table.Get(hb + 1), nullptr);
  EXPECT_EQ(table.Insert(nullptr), 0u);
  EXPECT_EQ(table.Count(), 1u);
  table.Clear();
  EXPECT_EQ(table.Get(hb), nullptr);
  EXPECT_EQ(table.Count(), 0u);
}

}  // namespace
}  // namespace orrivel
