// File and folder dialogs: the tab-to-NUL filter conversion, the scripted
// answers of a headless run, the record that stays between calls, the
// folder browser's start folder, the desktop tool's command line and the
// special folders.
#include "base/FileDialog.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>

#include "base/AppTestSupport.h"
#include "platform/PathResolver.h"

namespace orrivel::test {
namespace {

using namespace platform;

TEST(FileDialogFilterTest, TabsBecomeNulsExceptSecondBytes) {
  struct Case {
    std::string in;
    std::string out;
  };
  const std::string hyou = "\x95\x5C";  // a two-byte character ending in a backslash byte
  const Case cases[] = {
      {"Text\t*.txt\tAll\t*.*", std::string("Text\0*.txt\0All\0*.*", 18)},
      {"\x82\x09" "desc\t*.a", std::string("\x82\x09" "desc\0*.a", 10)},  // lead byte keeps its 0x09
      {hyou + "\t*.b\t", hyou + std::string("\0*.b\0", 5)},
      {"end\x81", "end\x81"},  // a lead byte at the end takes nothing with it
      {"", ""},
  };
  for (const Case& c : cases) {
    std::vector<char> buffer(c.in.begin(), c.in.end());
    buffer.push_back('\0');
    EXPECT_EQ(ReplaceFilterTabs(buffer.data()), c.in.size());
    EXPECT_EQ(std::string(buffer.data(), c.in.size()), c.out);
    EXPECT_EQ(buffer[c.in.size()], '\0');
  }
  EXPECT_EQ(ReplaceFilterTabs(nullptr), 0u);
}

TEST(FileDialogFilterTest, SplitStaysInsideTheListAndKeepsTwoByteText) {
  // Exactly sized (no second NUL after the last part): the split must not
  // read past the end.
  const std::string text = Utf8ToCp932Lossy("画像\t*.bmp;*.png\tすべて\t*.*");
  std::unique_ptr<char[]> filter(new char[text.size() + 1]);
  std::memcpy(filter.get(), text.c_str(), text.size() + 1);
  const size_t length = ReplaceFilterTabs(filter.get());
  const auto filters = SplitFilterList(filter.get(), length);
  ASSERT_EQ(filters.size(), 2u);
  EXPECT_EQ(filters[0].description, Utf8ToCp932Lossy("画像"));
  EXPECT_EQ(filters[0].patterns, "*.bmp;*.png");
  EXPECT_EQ(filters[1].description, Utf8ToCp932Lossy("すべて"));
  EXPECT_EQ(filters[1].patterns, "*.*");
  // A description without a pattern is dropped; an empty part ends the list.
  EXPECT_EQ(SplitFilterList("A\0*.a\0B", 8).size(), 1u);
  EXPECT_EQ(SplitFilterList("A\0*.a\0\0B\0*.b", 12).size(), 1u);
}

class FileDialogTest : public HeadlessTest {
 protected:
  FileDialogTest() : scopedDialogs_(dialogs) {}
  ScriptedFileDialogs dialogs;

 private:
  ScopedFileDialogs scopedDialogs_;
};

TEST_F(FileDialogTest, OpenAnswersFromTheScriptAndKeepsTheFilterIndex) {
  RecordingApp app;
  app.baseFolder = "Z:\\games\\demo\\";
  const std::string chosen = "Z:\\games\\demo\\SAVE\\" + Sjis("セーブ.dat");
  dialogs.QueueAnswer({true, chosen, 2});

  FileDialog dialog;
  char file[kDialogPathRoom] = "old name";
  char title[kDialogTitleRoom] = "old title";
  char filter[] = "Data\t*.dat\tAll\t*.*";
  ASSERT_EQ(dialog.ShowOpenFileDialog(kNoWindow, "Open", file, title, "SAVE", filter, true), 1);
  EXPECT_EQ(std::string(file), chosen);
  EXPECT_EQ(std::string(title), Sjis("セーブ.dat"));
  EXPECT_EQ(dialog.GetFilterIndex(), 2u);

  ASSERT_EQ(dialogs.Requests().size(), 1u);
  const FileDialogRequest& request = dialogs.Requests()[0];
  EXPECT_EQ(request.kind, FileDialogKind::Open);
  EXPECT_EQ(request.title, "Open");
  EXPECT_EQ(request.initialFolder, "Z:\\games\\demo\\SAVE");  // relative to the base folder
  EXPECT_EQ(request.proposedName, "");                        // cleared before the call
  ASSERT_EQ(request.filters.size(), 2u);
  EXPECT_EQ(request.filters[1].patterns, "*.*");
  const OpenFileRecord& record = dialog.Record();
  EXPECT_EQ(record.structSize, 76u);
  EXPECT_EQ(record.maxFile, 260u);
  EXPECT_EQ(record.flags, kOfnExplorer | kOfnEnableHook | kOfnHideReadOnly | kOfnOverwritePrompt);

  // Cancelled (empty script): 0, the file kept as given, the title emptied,
  // and the filter chosen last time offered again.
  char again[kDialogPathRoom] = "keep.dat";
  char filter2[] = "Data\t*.dat";
  EXPECT_EQ(dialog.ShowOpenFileDialog(kNoWindow, "Open", again, title, "Z:\\abs", filter2, false), 0);
  EXPECT_EQ(std::string(again), "keep.dat");
  EXPECT_EQ(title[0], '\0');
  ASSERT_EQ(dialogs.Requests().size(), 2u);
  EXPECT_EQ(dialogs.Requests()[1].filterIndex, 2u);
  EXPECT_EQ(dialogs.Requests()[1].proposedName, "keep.dat");
  EXPECT_EQ(dialogs.Requests()[1].initialFolder, "Z:\\abs");
}

TEST_F(FileDialogTest, SaveProposesTheNameAndRefusesAPathThatDoesNotFit) {
  FileDialog dialog;
  char file[kDialogPathRoom] = "slot1.sav";
  char filter[] = "Save\t*.sav";
  dialogs.QueueAnswer({true, "Z:\\" + std::string(300, 'x'), 1});
  EXPECT_EQ(dialog.ShowSaveFileDialog(kNoWindow, "Save", file, nullptr, nullptr, filter, "sav"), 0);
  EXPECT_EQ(std::string(file), "slot1.sav");
  const FileDialogRequest& request = dialogs.Requests().back();
  EXPECT_EQ(request.kind, FileDialogKind::Save);
  EXPECT_EQ(request.proposedName, "slot1.sav");
  EXPECT_EQ(request.defaultExtension, "sav");
  EXPECT_TRUE(request.initialFolder.empty());

  dialogs.QueueAnswer({true, "Z:\\saves\\slot1.sav", 0});
  EXPECT_EQ(dialog.ShowSaveFileDialog(kNoWindow, "Save", file, nullptr, nullptr, filter, "sav"), 1);
  EXPECT_EQ(std::string(file), "Z:\\saves\\slot1.sav");
}

TEST_F(FileDialogTest, HeadlessRunAnswersCancelledWithoutAScript) {
  SetFileDialogs(nullptr);  // back to the back end's own service
  FileDialog dialog;
  char file[kDialogPathRoom] = "";
  EXPECT_EQ(dialog.ShowOpenFileDialog(kNoWindow, "Open", file, nullptr, nullptr, nullptr, true), 0);
  char folder[kDialogPathRoom] = "x";
  EXPECT_EQ(BrowseForFolder(kNoWindow, "Folder", nullptr, folder), 0);
  EXPECT_EQ(folder[0], '\0');
  SetFileDialogs(&dialogs);
}

TEST_F(FileDialogTest, BrowseForFolderStartFolderAndAnswer) {
  struct Case {
    std::string initial;
    std::string expected;
  };
  const std::string so = Utf8ToCp932Lossy("ソ");  // second byte is a backslash byte
  const Case cases[] = {
      {"Z:\\games\\data\\", "Z:\\games\\data"},  // a final separator goes
      {"Z:\\", "Z:\\"},                          // a drive root keeps it
      {"Z:", "Z:\\"},                            // too short: gets one
      {"Z:\\games\\" + so, "Z:\\games\\" + so},  // a second byte is not a separator
  };
  for (const Case& c : cases) {
    char out[kDialogPathRoom] = "stale";
    EXPECT_EQ(BrowseForFolder(kNoWindow, "Folder", c.initial.c_str(), out), 0);
    EXPECT_EQ(out[0], '\0');
    EXPECT_EQ(dialogs.Requests().back().kind, FileDialogKind::Folder);
    EXPECT_EQ(dialogs.Requests().back().initialFolder, c.expected) << c.initial;
  }
  dialogs.QueueAnswer({true, "Z:\\chosen", 0});
  char out[kDialogPathRoom] = "";
  EXPECT_EQ(BrowseForFolder(kNoWindow, "Folder", nullptr, out), 0);
  EXPECT_EQ(std::string(out), "Z:\\chosen");
}

TEST(DesktopFileDialogsTest, CommandLinesForTheDialogTools) {
  FileDialogRequest request;
  request.kind = FileDialogKind::Save;
  request.title = Utf8ToCp932Lossy("保存 'A'");
  request.proposedName = "save.dat";
  request.filters = {{Utf8ToCp932Lossy("データ"), "*.dat;*.bak"}};
  EXPECT_EQ(DesktopFileDialogs::CommandLine("zenity", request),
            "zenity --file-selection --title='保存 '\\''A'\\''' --save --filename='save.dat'"
            " --file-filter='データ | *.dat *.bak' 2>/dev/null");
  request.kind = FileDialogKind::Folder;
  EXPECT_EQ(DesktopFileDialogs::CommandLine("kdialog", request),
            "kdialog --title '保存 '\\''A'\\''' --getexistingdirectory 'save.dat' 2>/dev/null");
  request.kind = FileDialogKind::Open;
  request.proposedName.clear();
  request.filters.push_back({"All", "*.*"});
  EXPECT_EQ(DesktopFileDialogs::CommandLine("kdialog", request),
            "kdialog --title '保存 '\\''A'\\''' --getopenfilename '.' '*.dat *.bak|データ\n*.*|All' 2>/dev/null");
  EXPECT_EQ(DesktopFileDialogs::CommandLine("other", request), "");
}

TEST_F(FileDialogTest, SpecialFoldersLiveUnderTheUsersHomeAndAreMade) {
  const char* oldHome = std::getenv("HOME");
  const std::string savedHome = oldHome ? oldHome : "";
  const char* oldConfig = std::getenv("XDG_CONFIG_HOME");
  const std::string savedConfig = oldConfig ? oldConfig : "";
  ::setenv("HOME", Folder().c_str(), 1);
  ::unsetenv("XDG_CONFIG_HOME");
  char out[kDialogPathRoom];
  EXPECT_TRUE(GetSpecialFolderPath(out, 5));
  EXPECT_TRUE(std::filesystem::is_directory(Folder() + "/Documents"));
  EXPECT_EQ(std::string(out), *ToInternalPath(Folder() + "/Documents"));
  EXPECT_TRUE(GetSpecialFolderPath(out, 0x1A));
  EXPECT_TRUE(std::filesystem::is_directory(Folder() + "/.config"));
  EXPECT_FALSE(GetSpecialFolderPath(out, 0x7777));
  if (oldHome) ::setenv("HOME", savedHome.c_str(), 1);
  else ::unsetenv("HOME");
  if (oldConfig) ::setenv("XDG_CONFIG_HOME", savedConfig.c_str(), 1);
}

}  // namespace
}  // namespace orrivel::test
