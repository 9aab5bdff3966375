#include "resource/FolderListing.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>

#include "TempFolder.h"
#include "platform/FileSystem.h"
#include "resource/BaseFolder.h"

namespace orrivel {
namespace {

class FolderListingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // root/a.txt, root/.hidden.txt (read-only), root/b.dat, root/sub/c.txt,
    // root/sub/deep/d.txt, root/empty/
    folder_.Write("root/a.txt", std::string("12345"));
    folder_.Write("root/.hidden.txt", std::string("xy"));
    folder_.Write("root/b.dat", std::string("b"));
    folder_.Write("root/sub/c.txt", std::string("cc"));
    folder_.Write("root/sub/deep/d.txt", std::string("ddd"));
    std::filesystem::create_directories(folder_.HostPath("root/empty"));
    ::chmod(folder_.HostPath("root/.hidden.txt").c_str(), 0444);
    oldBase_ = SetBaseFolderForTest(folder_.Internal());
  }
  void TearDown() override { SetBaseFolderForTest(oldBase_); }

  std::vector<std::string> Names(const FolderListing& listing) {
    std::vector<std::string> names;
    for (const FolderEntry& entry : listing.Entries()) names.push_back(entry.name);
    std::sort(names.begin(), names.end());
    return names;
  }
  size_t IndexOf(const FolderListing& listing, const std::string& name) {
    const auto& entries = listing.Entries();
    return size_t(std::find_if(entries.begin(), entries.end(), [&](const auto& e) { return e.name == name; }) -
                  entries.begin());
  }

  testing::TempFolder folder_;
  std::string oldBase_;
};

TEST_F(FolderListingTest, ModesAndRecursion) {
  using NameList = std::vector<std::string>;
  struct Case {
    int32_t mode;
    bool recurse;
    const char* pattern;
    NameList expected;
  };
  const Case cases[] = {
      {kListFiles, false, nullptr, {".hidden.txt", "a.txt", "b.dat"}},
      {kListFiles, true, "*.TXT", {".hidden.txt", "a.txt", "sub\\c.txt", "sub\\deep\\d.txt"}},
      {kListFoldersAndFiles, false, "*.txt", {".hidden.txt", "a.txt", "empty\\", "sub\\"}},
      {kListFoldersAndFiles, true, "?.*",
       {"a.txt", "b.dat", "empty\\", "sub\\", "sub\\c.txt", "sub\\deep\\", "sub\\deep\\d.txt"}},
      {kListFolders, false, nullptr, {"empty\\", "sub\\"}},
      {kListFolders, true, "*.txt", {"empty\\", "sub\\", "sub\\deep\\"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.mode) + (c.recurse ? " recurse " : " ") + (c.pattern ? c.pattern : "-"));
    FolderListing listing;
    const auto pattern = c.pattern ? std::optional<std::string_view>(c.pattern) : std::nullopt;
    EXPECT_EQ(listing.Scan("root", pattern, c.mode, c.recurse), c.expected.size());
    EXPECT_EQ(Names(listing), c.expected);
  }
  // Each folder's sub-folders come before its own files.
  FolderListing listing;
  listing.Scan("root", std::nullopt, kListFoldersAndFiles, true);
  EXPECT_LT(IndexOf(listing, "sub\\deep\\d.txt"), IndexOf(listing, "sub\\c.txt"));
  EXPECT_LT(IndexOf(listing, "sub\\c.txt"), IndexOf(listing, "a.txt"));
  EXPECT_LT(IndexOf(listing, "sub\\"), IndexOf(listing, "sub\\deep\\"));
}

TEST_F(FolderListingTest, SizesTimesAndAttributes) {
  // A known local time for a.txt.
  const auto when = std::filesystem::file_time_type::clock::now() - std::chrono::hours(24 * 40);
  std::filesystem::last_write_time(folder_.HostPath("root/a.txt"), when);
  FolderListing listing;
  ASSERT_EQ(listing.Scan("root", std::nullopt, kListFoldersAndFiles, false), 5u);
  std::map<std::string, const FolderEntry*> byName;
  for (const FolderEntry& entry : listing.Entries()) byName[entry.name] = &entry;

  const FolderEntry& a = *byName["a.txt"];
  EXPECT_EQ(a.size, 5u);
  EXPECT_EQ(a.attributes, 0);
  const auto info = platform::StatPath(folder_.Internal() + "root\\a.txt");
  ASSERT_TRUE(info);
  const auto local = platform::ToLocalTime(info->writeTimeNs);
  ASSERT_TRUE(local);
  EXPECT_EQ(a.year, local->year);
  EXPECT_EQ(a.month, local->month);
  EXPECT_EQ(a.day, local->day);
  EXPECT_EQ(a.dayOfWeek, local->dayOfWeek);
  EXPECT_EQ(a.hour, local->hour);
  EXPECT_EQ(a.minute, local->minute);
  EXPECT_EQ(a.second, local->second);

  // Read-only and hidden; this system keeps no archive bit.
  EXPECT_EQ(byName[".hidden.txt"]->attributes, kAttributeReadOnly | kAttributeHidden);
  EXPECT_EQ(byName[".hidden.txt"]->size, 2u);
  EXPECT_EQ(byName["sub\\"]->attributes, kAttributeFolder);
  EXPECT_EQ(byName["sub\\"]->size, 0u);
  EXPECT_NE(byName["sub\\"]->year, 0);
}

TEST_F(FolderListingTest, RootsAndClearing) {
  FolderListing listing;
  // Without a folder the base folder is listed.
  EXPECT_EQ(listing.Scan(std::nullopt, std::nullopt, kListFolders, false), 1u);
  EXPECT_EQ(listing.Entry(0)->name, "root\\");
  EXPECT_EQ(listing.Entry(1), nullptr);
  // An absolute folder, with its separator already there.
  EXPECT_EQ(listing.Scan(folder_.Internal() + "root\\sub\\", std::nullopt, kListFiles, false), 1u);
  EXPECT_EQ(listing.Entry(0)->name, "c.txt");
  // A folder that does not exist lists nothing; one that cannot be made
  // absolute answers 0 too.
  EXPECT_EQ(listing.Scan("missing", std::nullopt, kListFoldersAndFiles, true), 0u);
  EXPECT_EQ(listing.Scan(std::string(300, 'a'), std::nullopt, kListFiles, false), 0u);
  listing.Scan("root", std::nullopt, kListFiles, false);
  listing.Clear();
  EXPECT_EQ(listing.Count(), 0u);
}

TEST_F(FolderListingTest, LoopingLinkEndsTheWalk) {
  std::filesystem::create_directory_symlink(folder_.HostPath("root"), folder_.HostPath("root/sub/loop"));
  FolderListing listing;
  const uint32_t count = listing.Scan("root", std::nullopt, kListFolders, true);
  EXPECT_GT(count, 3u);
  for (const FolderEntry& entry : listing.Entries()) EXPECT_LT(entry.name.size(), 260u);
}

}  // namespace
}  // namespace orrivel
