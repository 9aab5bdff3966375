#include "platform/SharedLibrary.h"

#include <gtest/gtest.h>

namespace orrivel::platform {
namespace {

TEST(SharedLibraryTest, MapsDllNamesToSharedObjects) {
  EXPECT_EQ(SharedLibrary::MapLibraryName("dir/tvpgl.dll"), "dir/tvpgl.so");
  EXPECT_EQ(SharedLibrary::MapLibraryName("WENDLE.DLL"), "WENDLE.so");
  EXPECT_EQ(SharedLibrary::MapLibraryName("plugin/a.spi"), "plugin/a.spi");
  EXPECT_EQ(SharedLibrary::MapLibraryName("dll"), "dll");
}

TEST(SharedLibraryTest, LoadsBesideTheProgramIgnoringCase) {
  const std::string folder = SharedLibrary::ProgramFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), '/');
  SharedLibrary lib;
  ASSERT_TRUE(lib.Open(folder + "TVPGL.DLL")) << lib.Error();
  EXPECT_NE(lib.Symbol("GetLibrary"), nullptr);
  EXPECT_EQ(lib.Symbol("NoSuchExport"), nullptr);
  SharedLibrary moved = std::move(lib);
  EXPECT_FALSE(lib.IsOpen());
  EXPECT_TRUE(moved.IsOpen());
  moved.Close();
  EXPECT_EQ(moved.Symbol("GetLibrary"), nullptr);
}

TEST(SharedLibraryTest, MissingFileFailsWithAReason) {
  SharedLibrary lib;
  EXPECT_FALSE(lib.Open(SharedLibrary::ProgramFolder() + "no_such_library.dll"));
  EXPECT_FALSE(lib.IsOpen());
  EXPECT_FALSE(lib.Error().empty());
}

}  // namespace
}  // namespace orrivel::platform
