// The readers of the five settings files on valid, short, long and foreign
// files, and the default tables as the writers give them back.
#include "game/AppSettings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cfg/SettingsText.h"

namespace orrivel {
namespace {

using Bytes = std::vector<uint8_t>;

uint32_t U32(const Bytes& bytes, size_t offset) { return BlockU32(bytes, offset); }

// VQ_APP.SYS of n bytes (the count word may claim more than the file holds).
TEST(AppSettingsReaders, SystemFileCountsAgainstTheFileAndTheBlock) {
  AppSettings::SystemBlock source = DefaultSystemBlock();
  for (size_t i = 0; i < source.size(); ++i) source[i] = uint8_t(0x40 + i);
  source[14] = source[15] = 0;  // no menu
  struct Case {
    const char* name;
    Bytes file;
    int code;
    size_t copied;  // bytes of the source that arrive
  };
  Bytes longer = EncodeSystemFile(source, 30);
  Bytes pastEnd = EncodeSystemFile(source, 23);
  pastEnd[0] = 40;
  const Case cases[] = {
      {"n=0", EncodeSystemFile(source, 0), 0, 0},
      {"n=22", EncodeSystemFile(source, 22), 0, 22},
      {"n=23", EncodeSystemFile(source, 23), 0, 23},
      {"n=24", EncodeSystemFile(source, 24), 0, 23},
      {"n=30", longer, 0, 23},
      {"count past the end", pastEnd, 1, 0},
      {"no count", Bytes{7}, 1, 0},
      {"empty", Bytes{}, 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    AppSettings::SystemBlock block = DefaultSystemBlock();
    const AppSettings::SystemBlock before = block;
    ASSERT_EQ(ReadSystemFile(c.file, block), c.code);
    if (c.code != 0) {
      EXPECT_EQ(block, before);
      continue;
    }
    for (size_t i = 0; i < block.size(); ++i) {
      if (i >= 4 && i < 8) continue;
      if (i >= 12 && i < 18) continue;
      EXPECT_EQ(block[i], i < c.copied ? source[i] : before[i]) << i;
    }
    // The window style and icon are the program's own; a menu and
    // accelerators, when there are any, are its resources.
    EXPECT_EQ(BlockU32(block, 4), 0x00CB0000u);
    EXPECT_EQ(block[12] | block[13] << 8, 103);
    EXPECT_EQ(block[14] | block[15] << 8, 0);
    EXPECT_EQ(block[16] | block[17] << 8, c.copied >= 18 ? 102 : 0);
  }
  AppSettings::SystemBlock withMenu = source;
  withMenu[14] = 9;
  AppSettings::SystemBlock block = DefaultSystemBlock();
  ASSERT_EQ(ReadSystemFile(EncodeSystemFile(withMenu), block), 0);
  EXPECT_EQ(block[14] | block[15] << 8, 101);
}

TEST(AppSettingsReaders, InfoFileStringsAndTheirLengths) {
  const std::array<uint8_t, 3> version{2, 5, 0x1F};
  AppSettings::InfoStrings strings{std::string("Title"), std::string("Product"), std::string("(c)"),
                                   std::string("http://x/"), std::string("Folder")};
  std::array<uint8_t, 3> got{};
  AppSettings::InfoStrings read;
  ASSERT_EQ(ReadInfoFile(EncodeInfoFile(version, strings), got, read), 0);
  EXPECT_EQ(got, version);
  EXPECT_EQ(read, strings);

  // Lengths of 0: strings 1-4 empty, string 5 absent, so the save folder
  // is named after the title.
  const Bytes zeros{1, 0, 0, 0, 0, 0, 0, 0};
  ASSERT_EQ(ReadInfoFile(zeros, got, read), 0);
  for (size_t i = 0; i < 4; ++i) EXPECT_EQ(read[i], std::string()) << i;
  EXPECT_FALSE(read[4].has_value());
  AppSettings settings;
  settings.info = read;
  settings.info[0] = "Game";
  EXPECT_EQ(settings.SaveFolderName(), "Game SaveData");

  // A length past the end, and a file that stops before its last string.
  Bytes pastEnd = EncodeInfoFile(version, strings);
  pastEnd[3] = 200;
  Bytes cut = EncodeInfoFile(version, strings);
  cut.resize(cut.size() - 8);
  for (const Bytes& bad : {pastEnd, cut, Bytes{1, 0}}) {
    AppSettings::InfoStrings kept = strings;
    EXPECT_EQ(ReadInfoFile(bad, got, kept), 2);
    EXPECT_EQ(kept, strings);
  }
}

TEST(AppSettingsReaders, UserConfigBlocksAndTheFolder) {
  AppSettings written;
  written.user[30] = 0x31;
  written.window[13] = 1;
  written.boot[16] = 0;
  written.chosenFolder = "C:\\saves\\game";
  const Bytes file = EncodeUserConfig(written);
  ASSERT_EQ(file.size(), 2 + 72 + 2 + 14 + 2 + 17 + 2 + 14u);
  AppSettings read;
  ASSERT_EQ(ReadUserConfig(file, read), 0);
  EXPECT_EQ(read.user, written.user);
  EXPECT_EQ(read.window, written.window);
  EXPECT_EQ(read.boot, written.boot);
  EXPECT_EQ(read.chosenFolder, written.chosenFolder);

  // A folder length of 0 leaves no chosen folder.
  AppSettings none;
  none.chosenFolder = "old";
  ASSERT_EQ(ReadUserConfig(EncodeUserConfig(AppSettings()), none), 0);
  EXPECT_FALSE(none.chosenFolder.has_value());

  // Cut inside each block (and inside the sizes and the folder): code 3,
  // nothing changed.
  const size_t cuts[] = {0, 1, 2, 40, 74, 75, 80, 90, 92, 100, 109, 110, 112, file.size() - 1};
  for (size_t cut : cuts) {
    SCOPED_TRACE(cut);
    AppSettings kept;
    kept.user[30] = 0x99;
    EXPECT_EQ(ReadUserConfig(Bytes(file.begin(), file.begin() + std::ptrdiff_t(cut)), kept), 3);
    EXPECT_EQ(kept.user[30], 0x99);
  }

  // A block larger than its block: the block is copied, the rest skipped.
  Bytes large;
  large.push_back(80);
  large.push_back(0);
  for (int i = 0; i < 80; ++i) large.push_back(uint8_t(i));
  const Bytes rest(file.begin() + 74, file.end());
  large.insert(large.end(), rest.begin(), rest.end());
  AppSettings clipped;
  ASSERT_EQ(ReadUserConfig(large, clipped), 0);
  EXPECT_EQ(clipped.user[71], 71);
  EXPECT_EQ(clipped.window, written.window);
  EXPECT_EQ(clipped.chosenFolder, written.chosenFolder);
}

TEST(AppSettingsReaders, AppConfigKeepsWhatTheFileDoesNotHold) {
  // The default table as the writer writes it, and byte for byte the same
  // as the text tool's file with nothing given.
  const Bytes defaults = EncodeAppConfig(DefaultAppConfigBlock());
  ASSERT_EQ(defaults.size(), 200u);
  EXPECT_EQ(U32(defaults, 0), 196u);
  Bytes fromText;
  ASSERT_TRUE(tools::BuildSettingsFile(tools::SettingsFileKind::AppConfig, "", &fromText, nullptr));
  EXPECT_EQ(fromText, defaults);
  const AppSettings::AppConfigBlock table = DefaultAppConfigBlock();
  EXPECT_EQ(BlockU32(table, 20), 750u);
  EXPECT_EQ(table[29], 150);
  EXPECT_EQ(BlockU32(table, 76), 0x00106EA8u);
  EXPECT_EQ(table[114], 44);
  EXPECT_EQ(table[129], 209);
  EXPECT_EQ(table[159], 1);
  EXPECT_EQ(table[192], 5);

  struct Case {
    const char* name;
    uint32_t sizeWord;
    size_t bytes;      // bytes after the size word
    size_t expected;   // bytes taken from the file
  };
  const Case cases[] = {{"whole", 196, 196, 196}, {"smaller size", 100, 196, 100}, {"larger size", 300, 300, 196},
                        {"short file", 196, 50, 50}, {"size 0", 0, 196, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes file(4 + c.bytes, 0xEE);
    SetBlockU32(file, 0, c.sizeWord);
    AppSettings::AppConfigBlock block = DefaultAppConfigBlock();
    ASSERT_TRUE(ReadAppConfig(file, block));
    for (size_t i = 0; i < block.size(); ++i) EXPECT_EQ(block[i], i < c.expected ? 0xEE : table[i]) << i;
  }
  AppSettings::AppConfigBlock block = table;
  EXPECT_FALSE(ReadAppConfig(Bytes{1, 2}, block));
  EXPECT_EQ(block, table);
}

TEST(AppSettingsReaders, SetupFileIsSkippedUnlessItNamesAnInstallation) {
  const Bytes valid = EncodeSetupFile(SetupInfo{"GameKey", true});
  const std::optional<SetupInfo> read = ReadSetupFile(valid);
  ASSERT_TRUE(read.has_value());
  EXPECT_EQ(read->keyName, "GameKey");
  EXPECT_TRUE(read->perUser);
  Bytes otherMagic = valid;
  otherMagic[3] = '2';
  Bytes longName = valid;
  longName[4] = 200;
  const Bytes cases[] = {Bytes{}, Bytes{'I', 'F', 'G'}, otherMagic, EncodeSetupFile(SetupInfo{"", false}), longName,
                         Bytes(valid.begin(), valid.end() - 1)};
  for (const Bytes& file : cases) EXPECT_FALSE(ReadSetupFile(file).has_value()) << file.size();
}

// The text tool writes what the readers take back, and its dump reads again.
TEST(AppSettingsReaders, TextFormRoundTrips) {
  using tools::SettingsFileKind;
  const char* text = "width = 1280\nheight = 720\nmenu = 1\nsave_mode = 3  # the data folder\n";
  Bytes sys;
  std::string error;
  ASSERT_TRUE(tools::BuildSettingsFile(SettingsFileKind::System, text, &sys, &error)) << error;
  AppSettings settings;
  ASSERT_EQ(ReadSystemFile(sys, settings.system), 0);
  EXPECT_EQ(settings.GameWidth(), 1280);
  EXPECT_EQ(settings.GameHeight(), 720);
  EXPECT_EQ(settings.SaveFolderMode(), 3);
  Bytes again;
  ASSERT_TRUE(tools::BuildSettingsFile(SettingsFileKind::System, tools::DumpSettingsFile(SettingsFileKind::System, sys),
                                       &again, &error))
      << error;
  EXPECT_EQ(again, sys);

  Bytes inf;
  ASSERT_TRUE(tools::BuildSettingsFile(SettingsFileKind::Info, "title = 見本\nfolder = sample\n", &inf, &error));
  ASSERT_EQ(ReadInfoFile(inf, settings.version, settings.info), 0);
  EXPECT_EQ(settings.info[0], std::string("\x8C\xA9\x96\x7B"));  // CP932
  EXPECT_EQ(tools::DumpSettingsFile(SettingsFileKind::Info, inf),
            "major = 1\nminor = 0\nbuild = 0\ntitle = 見本\nproduct = \nrights = \nweb = \nfolder = sample\n");

  Bytes cfg;
  ASSERT_TRUE(tools::BuildSettingsFile(SettingsFileKind::UserConfig, "window.0 = 2\nuser32.43 = 0x01020304\n", &cfg,
                                       &error));
  ASSERT_EQ(ReadUserConfig(cfg, settings), 0);
  EXPECT_EQ(settings.window[0], 2);
  EXPECT_EQ(BlockU32(settings.user, 43), 0x01020304u);

  EXPECT_FALSE(tools::BuildSettingsFile(SettingsFileKind::UserConfig, "boot.17 = 1\n", &cfg, &error));
  EXPECT_EQ(error, "line 1: cannot use \"boot.17 = 1\"");
  EXPECT_FALSE(tools::BuildSettingsFile(SettingsFileKind::System, "width 3\n", &cfg, &error));
}

}  // namespace
}  // namespace orrivel
