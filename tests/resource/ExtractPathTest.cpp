#include "lpk/ExtractPath.h"

#include <gtest/gtest.h>

namespace orrivel::tools {
namespace {

TEST(ExtractPathTest, NamesStayInsideTheFolder) {
  struct Case {
    std::string name;
    std::optional<std::string> path;
  } cases[] = {
      {"script\\a.sob", "script/a.sob"},
      {"\\abs\\x.txt", "abs/x.txt"},         // a leading separator cannot make it absolute
      {"a\\\\.\\b/c", "a/b/c"},
      {"..\\..\\x", std::nullopt},
      {"a\\..\\..\\x", std::nullopt},
      {"a/..", std::nullopt},
      {"\\\\", std::nullopt},
      {"..x\\y..", "..x/y.."},               // dots inside names are names
      {"\x83\x5C.TXT", "ソ.TXT"},            // trail byte 0x5C is no separator
      {"", "000007.DAT"},
  };
  for (const Case& c : cases) EXPECT_EQ(ExtractPath(c.name, 7), c.path) << c.name;
}

}  // namespace
}  // namespace orrivel::tools
