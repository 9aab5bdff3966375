// The font-face list over a fake set of installed faces.
#include "text/FontFaceList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/font/FontFace.h"
#include "text/FakeInstalledFaces.h"
#include "text/FontTestSupport.h"

namespace orrivel {
namespace {

class FontFaceListTest : public ::testing::Test {
 protected:
  FakeInstalledFaces faces_;

  static std::vector<std::string> Names(const FontFaceList& list) {
    std::vector<std::string> names;
    for (const LogFont& f : list.Faces()) names.push_back(platform::Cp932ToUtf8Lossy(f.faceName) + "/" + std::to_string(f.charSet));
    return names;
  }
};

TEST_F(FontFaceListTest, FiltersTable) {
  const struct {
    uint8_t flags;
    uint8_t charSet;
    std::vector<std::string> names;
  } cases[] = {
      {0, 0, {"Latin Sans/0", "ＭＳ ゴシック/128", "@ＭＳ ゴシック/128", "ＭＳ ゴシック/0", "Bitmap Mono/0", "ＭＳ 明朝/128"}},
      {4 | 8, 128, {"ＭＳ ゴシック/128", "ＭＳ 明朝/128"}},
      {1, 0, {"Latin Sans/0", "ＭＳ ゴシック/128", "@ＭＳ ゴシック/128", "ＭＳ ゴシック/0", "ＭＳ 明朝/128"}},
      {2 | 4, 0, {"ＭＳ ゴシック/128", "ＭＳ ゴシック/0", "Bitmap Mono/0"}},
      {8, 0, {"Latin Sans/0", "ＭＳ ゴシック/0", "Bitmap Mono/0"}},
  };
  FontFaceList list;
  for (const auto& c : cases) {
    EXPECT_EQ(list.EnumFontFaces(c.flags, c.charSet), int32_t(c.names.size())) << int(c.flags);
    EXPECT_EQ(Names(list), c.names) << int(c.flags);
    EXPECT_EQ(list.Flags(), c.flags);
  }
}

// The machine's own faces: the IPA fonts cover Shift-JIS and have their
// vertical twins.
TEST(FontFaceListMachineTest, TheInstalledJapaneseFacesAreListed) {
  FontFaceList list;
  ASSERT_GT(list.EnumFontFaces(8, 128), 0);
  bool vertical = false, gothic = false;
  for (const LogFont& f : list.Faces()) {
    const std::string name = f.faceName;
    vertical |= name[0] == '@';
    gothic |= name.find("IPAGothic") != std::string::npos;
    EXPECT_EQ(f.charSet, 128);
  }
  EXPECT_TRUE(vertical);
  EXPECT_TRUE(gothic);
}

}  // namespace
}  // namespace orrivel
