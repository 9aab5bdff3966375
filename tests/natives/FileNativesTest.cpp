// Natives 93 to 162 as consecutive script calls see them: search folders,
// archive members, file objects of the file pool, the preloader, folder
// listings, dropped files, the dialogs, programs and disk operations.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "NativeHarness.h"
#include "NativeSession.h"
#include "base/DropTarget.h"
#include "lpk/LpkWriter.h"
#include "natives/AppNativePort.h"
#include "natives/FileNativeSupport.h"
#include "natives/ObjectPool.h"
#include "natives/ProcessObjects.h"
#include "platform/FileDialogs.h"
#include "platform/FileDrop.h"
#include "platform/Process.h"
#include "resource/ArchiveManager.h"
#include "resource/FolderListing.h"
#include "resource/LpkDecoder.h"
#include "resource/LpkSettings.h"
#include "resource/Paths.h"
#include "resource/Preloader.h"
#include "scene/PictureFolder.h"

namespace orrivel::testing {
namespace {

constexpr uint32_t kNull = 0;
constexpr uint32_t kForged = 0x7FFF1234;

class FileNativesTest : public ::testing::Test {
 protected:
  FileNativesTest() { previous_ = SetProcessObjects(&objects_); }
  ~FileNativesTest() override {
    objects_.ReleasePools();
    SetProcessObjects(previous_);
  }

  std::string ReadDisk(const std::string& relative) {
    std::ifstream in(HostPath(relative), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  std::string HostPath(const std::string& relative) {
    return *platform::ResolveHostPath(BaseFolder() + relative, platform::ResolveMode::Create);
  }
  void WriteDisk(const std::string& relative, const std::string& text) { folder_.Write(relative, {text.begin(), text.end()}); }

  test::PictureFolder folder_;
  ProcessObjects objects_;
  ProcessObjects* previous_ = nullptr;
  NativeSession session_;
};

TEST(FileNativesBinding, EveryNumberIsBoundAndCallableFromAScript) {
  NativeHarness harness;
  const NativeCall call = harness.Call("GetSearchFolder", {Arg::Int(-2)});
  ASSERT_TRUE(call.Ran());
  for (uint32_t number = 93; number <= 162; ++number) EXPECT_FALSE(harness.Host().IsNotBuilt(number)) << number;
  // A path split straight from a script's buffers.
  const NativeCall split = harness.Call("SplitLastComponent", {Arg::Buffer(64, "SYS\\PIC\\A.ELG"), Arg::Buffer(64)});
  EXPECT_EQ(split.texts.at(0), "SYS\\PIC\\");
  EXPECT_EQ(split.texts.at(1), "A.ELG");
}

TEST_F(FileNativesTest, SearchFolderIndexesCountLastAndPastTheEnd) {
  ASSERT_EQ(session_.Call("AddSearchFolder", {session_.Text("DATA"), 1}), 0u);
  ASSERT_EQ(session_.Call("AddSearchFolder", {session_.Text("EXTRA"), 1}), 0u);
  EXPECT_EQ(session_.Call("GetSearchFolder", {uint32_t(-2)}), 2u);
  // The manager keeps its folders absolute and lower-cased.
  const std::string last = session_.String(session_.Call("GetSearchFolder", {uint32_t(-1)}));
  EXPECT_NE(last.find("extra"), std::string::npos) << last;
  EXPECT_NE(session_.String(session_.Call("GetSearchFolder", {0})).find("data"), std::string::npos);
  EXPECT_EQ(session_.Call("GetSearchFolder", {2}), 0u);
  EXPECT_EQ(session_.Call("ClearSearchFolders", {}), 0u);
  EXPECT_EQ(session_.Call("GetSearchFolder", {uint32_t(-2)}), 0u);
}

TEST_F(FileNativesTest, FileRoundTripThroughTheNatives) {
  const uint32_t file = session_.Call("FileCreate", {});
  ASSERT_NE(file, 0u);
  ASSERT_EQ(session_.Call("FileOpenForWrite", {file, session_.Text("OUT.TXT"), 1}), 0u);
  EXPECT_EQ(session_.Call("FileWrite", {file, session_.Text("one\r\ntwo\x1A\r\n"), 11}), 11u);
  // The formatted text is cut to 511 bytes before it is written.
  const std::string longText(600, 'x');
  EXPECT_EQ(session_.Call("FilePrintf", {file, session_.Text("%s|%d"), session_.Text(longText), 7}), 511u);
  EXPECT_EQ(session_.Call("FilePrintf", {file, session_.Text("<%d>"), 42}), 4u);
  EXPECT_EQ(session_.Call("FileClose", {file}), 0u);
  const std::string disk = ReadDisk("OUT.TXT");
  ASSERT_EQ(disk.size(), 11u + 511u + 4u);
  EXPECT_EQ(disk.substr(0, 11), "one\r\ntwo\x1A\r\n");
  EXPECT_EQ(disk.substr(disk.size() - 4), "<42>");

  ASSERT_EQ(session_.Call("FileOpen", {file, session_.Text("out.txt")}), 0u);
  EXPECT_EQ(session_.Call("FileGetSize", {file}), disk.size());
  EXPECT_EQ(SplitPathName(session_.String(session_.Call("FileGetName", {file})), false), "out.txt");  // as opened
  const uint32_t line = session_.Block(32);
  EXPECT_EQ(session_.Call("FileReadLine", {file, kNull, 0}), 4u);  // room for "one" and its zero
  EXPECT_EQ(session_.Call("FileReadLine", {file, line, 32}), 5u);
  EXPECT_EQ(session_.String(line), "one");
  EXPECT_EQ(session_.Call("FileReadLine", {file, line, 0}), 6u);
  EXPECT_EQ(session_.String(line), "two");  // the trailing 0x1A is dropped
  EXPECT_EQ(session_.Call("FileTell", {file}), 11u);
  EXPECT_EQ(session_.Call("FileSeek", {file, 4}), 0u);
  EXPECT_EQ(session_.Call("FileSeekRelative", {file, 1}), 0u);
  const uint32_t buffer = session_.Block(8);
  EXPECT_EQ(session_.Call("FileRead", {file, buffer, 3}), 3u);
  EXPECT_EQ(session_.Bytes(buffer, 3), "two");
  // The data is an arena copy that the script reads directly.
  const uint32_t data = session_.Call("FileGetData", {file});
  ASSERT_NE(data, 0u);
  EXPECT_EQ(session_.Bytes(data, uint32_t(disk.size())), disk);
  EXPECT_EQ(session_.Call("FileGetData", {file}), data);
  // Reading past the variable's block is a script error, not an overrun.
  EXPECT_EQ(session_.Call("FileRead", {file, buffer, 64}), 0u);
  EXPECT_TRUE(session_.LastFailed());

  // A stream open, and an existing file opened for reading and writing.
  EXPECT_EQ(session_.Call("FileOpenStream", {file, session_.Text("OUT.TXT")}), 0u);
  EXPECT_EQ(session_.Call("FileRead", {file, buffer, 3}), 3u);
  EXPECT_EQ(session_.Bytes(buffer, 3), "one");
  EXPECT_EQ(session_.Call("FileOpenExisting", {file, session_.Text("OUT.TXT")}), 0u);
  EXPECT_EQ(session_.Call("FileWrite", {file, session_.Text("ONE"), 3}), 3u);
  session_.Call("FileClose", {file});
  EXPECT_EQ(ReadDisk("OUT.TXT").substr(0, 3), "ONE");
}

TEST_F(FileNativesTest, NullStaleAndForgedHandlesGetTheRowsNullAnswer) {
  const uint32_t released = session_.Call("FileCreate", {});
  const uint32_t variable = session_.Var(released);
  ASSERT_EQ(session_.Call("FileRelease", {variable}), 0u);
  const uint32_t buffer = session_.Block(16);
  struct Row {
    const char* name;
    std::vector<uint32_t> rest;
    uint32_t answer;
  };
  const std::vector<Row> rows = {
      {"FileOpen", {session_.Text("A")}, 5},
      {"FileOpenMember", {0, session_.Text("A"), 0}, 5},
      {"FileOpenStream", {session_.Text("A")}, 5},
      {"FileOpenForWrite", {session_.Text("A"), 1}, 5},
      {"FileOpenExisting", {session_.Text("A")}, 5},
      {"FileClose", {}, 0},
      {"FileGetData", {}, 0},
      {"FileGetSize", {}, 0},
      {"FileGetName", {}, 0},
      {"FileTell", {}, uint32_t(-1)},
      {"FileSeek", {0}, 5},
      {"FileSeekRelative", {0}, 5},
      {"FileRead", {buffer, 4}, 0},
      {"FileReadLine", {buffer, 16}, 0},
      {"FileWrite", {buffer, 4}, 0},
      {"FilePrintf", {session_.Text("x")}, 0},
  };
  for (const Row& row : rows) {
    for (uint32_t handle : {kNull, released, kForged}) {
      std::vector<uint32_t> cells = {handle};
      cells.insert(cells.end(), row.rest.begin(), row.rest.end());
      EXPECT_EQ(session_.Call(row.name, cells), row.answer) << row.name << " " << handle;
    }
  }
  EXPECT_FALSE(std::filesystem::exists(HostPath("A")));
}

TEST_F(FileNativesTest, ReleaseCodesLeaveThePoolAndVariableAsTheySay) {
  const uint32_t file = session_.Call("FileCreate", {});
  ASSERT_EQ(objects_.Files().Count(), 1u);
  EXPECT_EQ(session_.Call("FileRelease", {kNull}), 1u);
  EXPECT_EQ(session_.Call("FileRelease", {session_.Var(0)}), 1u);
  EXPECT_EQ(objects_.Files().Count(), 1u);
  const uint32_t notPooled = session_.Var(kForged);
  EXPECT_EQ(session_.Call("FileRelease", {notPooled}), 2u);
  EXPECT_EQ(session_.Word(notPooled), kForged);
  const uint32_t variable = session_.Var(file);
  EXPECT_EQ(session_.Call("FileRelease", {variable}), 0u);
  EXPECT_EQ(session_.Word(variable), 0u);
  EXPECT_EQ(objects_.Files().Count(), 0u);

  const uint32_t a = session_.Call("FileCreate", {});
  session_.Call("FileCreate", {});
  EXPECT_EQ(session_.Call("FileReleaseAll", {}), 0u);
  EXPECT_EQ(objects_.Files().Count(), 0u);
  EXPECT_EQ(session_.Call("FileGetSize", {a}), 0u);
}

TEST_F(FileNativesTest, ArchiveMembersByNameAndIndexAndTheirInfo) {
  ArchiveManager& archives = *GetArchiveManager();
  archives.RegisterLpkDecoder();
  // The script asks the decoder for member listings before mounting.
  EXPECT_EQ(session_.Call("CallDecoderAssist", {uint32_t(kLpkDecoderType), 0, 1}), 0u);
  EXPECT_EQ(session_.CallInt("CallDecoderAssist", {12345, 0, 1}), -2);
  tools::LpkWriterOptions options;
  std::string error;
  const std::string archivePath = HostPath("PACK.LPK");
  ASSERT_TRUE(tools::WriteLpkFile(archivePath, options,
                                  {{"FIRST.TXT", {'a', 'b', 'c'}, false, false},
                                   {"SECOND.TXT", {'h', 'e', 'l', 'l', 'o'}, false, false}},
                                  &error))
      << error;
  ASSERT_EQ(session_.Call("MountArchive", {session_.Text("PACK.LPK"), 7, 0, 1}), 0u);
  EXPECT_EQ(session_.Call("GetMountCount", {}), 1u);
  EXPECT_EQ(session_.Call("GetArchiveMemberCount", {7}), 2u);
  EXPECT_EQ(session_.Call("GetArchiveMemberCount", {8}), 0u);

  const uint32_t file = session_.Call("FileCreate", {});
  ASSERT_EQ(session_.Call("FileOpenMember", {file, 7, session_.Text("second.txt"), 0}), 0u);
  EXPECT_EQ(session_.Bytes(session_.Call("FileGetData", {file}), 5), "hello");
  ASSERT_EQ(session_.Call("FileOpenMember", {file, 7, kNull, 0}), 0u);
  EXPECT_EQ(session_.Call("FileGetSize", {file}), 3u);

  const uint32_t sizeA = session_.Var(), sizeB = session_.Var(), time = session_.Var(99);
  EXPECT_EQ(session_.Call("GetArchiveMemberInfo", {7, session_.Text("FIRST.TXT"), sizeA, sizeB, time, 0, 0}), 0u);
  EXPECT_EQ(session_.Word(sizeA), 3u);
  EXPECT_EQ(session_.Word(time), 0u);  // the archive keeps no time
  EXPECT_EQ(session_.Call("GetArchiveMemberInfo", {9, session_.Text("FIRST.TXT")}), 1u);
  EXPECT_EQ(session_.Call("GetArchiveMemberInfo", {7, session_.Text("NONE.TXT")}), 2u);
  EXPECT_EQ(session_.Call("ArchiveCommand", {9, 0}), uint32_t(-3));
  EXPECT_EQ(session_.CallInt("LocateFile", {session_.Text("FIRST.TXT"), 0}), -1);
  EXPECT_EQ(session_.String(session_.Call("GetArchiveMemberName", {7, 1})), "second.txt");
  EXPECT_EQ(session_.Call("GetArchiveMemberName", {7, 2}), 0u);
  EXPECT_EQ(session_.Call("UnmountArchive", {0, 7}), 0u);
  ResetLpkSettings();
  EXPECT_EQ(session_.Call("GetMountCount", {}), 0u);
}

TEST(FileNativesDosTime, PacksLocalTimesFrom1980To2107) {
  struct Case {
    int year, month, day, hour, minute, second;
  };
  // A stamp of 0 means none; local times make the expected words.
  EXPECT_EQ(PackDosTime(0), 0u);
  for (const Case& c : {Case{1980, 1, 1, 0, 0, 0}, Case{2107, 12, 31, 23, 59, 58}, Case{2024, 6, 15, 13, 45, 31}}) {
    std::tm local{};
    local.tm_year = c.year - 1900;
    local.tm_mon = c.month - 1;
    local.tm_mday = c.day;
    local.tm_hour = c.hour;
    local.tm_min = c.minute;
    local.tm_sec = c.second;
    local.tm_isdst = -1;
    const std::time_t stamp = std::mktime(&local);
    ASSERT_GT(stamp, 0);
    if (stamp > 0xFFFFFFFFLL) continue;  // past what a 32-bit stamp holds
    const uint32_t expected = (uint32_t(c.year - 1980) << 25) | (uint32_t(c.month) << 21) | (uint32_t(c.day) << 16) |
                              (uint32_t(c.hour) << 11) | (uint32_t(c.minute) << 5) | uint32_t(c.second / 2);
    EXPECT_EQ(PackDosTime(uint32_t(stamp)), expected) << c.year;
  }
  // Before 1980 (here 1975) packs as 1980-01-01 00:00:00, not a negative year.
  EXPECT_EQ(PackDosTime(157766400u), (1u << 21) | (1u << 16));
}

TEST_F(FileNativesTest, PreloaderNativesReadThreeFilesAndCountZeroStopsEverything) {
  WriteDisk("P0.DAT", "zero");
  WriteDisk("P1.DAT", "one!");
  WriteDisk("P2.DAT", "two!!");
  ASSERT_EQ(session_.Call("PreloadAllocate", {4}), 0u);
  ASSERT_EQ(session_.Call("PreloadStart", {0, 3, session_.Text("P0.DAT"), session_.Text("P1.DAT"),
                                           session_.Text("P2.DAT")}),
            0u);
  session_.Call("PreloadWait", {});
  const char* expected[] = {"zero", "one!", "two!!"};
  for (uint32_t slot = 0; slot < 3; ++slot) {
    const uint32_t size = session_.Call("PreloadGetSize", {slot});
    EXPECT_EQ(size, std::string(expected[slot]).size());
    EXPECT_EQ(session_.Bytes(session_.Call("PreloadGetData", {slot}), size), expected[slot]);
  }
  EXPECT_EQ(session_.Call("PreloadGetData", {3}), 0u);
  EXPECT_EQ(session_.Call("PreloadGetData", {9}), 0u);
  EXPECT_EQ(session_.Call("PreloadStart", {3, 2, session_.Text("X"), session_.Text("Y")}), 1u);
  EXPECT_EQ(session_.Call("PreloadClose", {1, 1}), 0u);
  EXPECT_EQ(session_.Call("PreloadGetSize", {1}), 0u);
  EXPECT_EQ(session_.Call("PreloadGetSize", {2}), 5u);
  // Count 0 stops a pending range and frees every entry.
  session_.Call("PreloadStart", {3, 1, session_.Text("P0.DAT")});
  EXPECT_EQ(session_.Call("PreloadClose", {0, 0}), 0u);
  EXPECT_FALSE(objects_.Preloads().IsLoading());
  EXPECT_EQ(objects_.Preloads().Count(), 0u);
  EXPECT_EQ(session_.Call("PreloadGetData", {2}), 0u);
}

TEST_F(FileNativesTest, FolderListingGivesNamesKindsSizesAndTimes) {
  WriteDisk("LIST/B.TXT", "12345");
  std::filesystem::create_directories(HostPath("LIST") + "/SUB");
  EXPECT_EQ(session_.Call("ListFolder", {session_.Text("LIST"), kNull, 1, 0}), 2u);
  bool sawFile = false, sawFolder = false;
  for (uint32_t i = 0; i < 2; ++i) {
    const std::string name = session_.String(session_.Call("GetListingName", {i}));
    const uint32_t kind = session_.Call("GetListingKind", {i});
    if (name == "B.TXT") {
      sawFile = true;
      EXPECT_EQ(session_.Call("GetListingField", {i}), 5u);
      EXPECT_EQ(kind & kAttributeFolder, 0u);
    } else {
      sawFolder = true;
      EXPECT_EQ(kind & kAttributeFolder, uint32_t(kAttributeFolder)) << name;
    }
    const uint32_t year = session_.Var(), month = session_.Var(), weekday = session_.Var();
    EXPECT_EQ(session_.Call("GetListingInfo", {i, year, month, 0, 0, 0, 0, weekday}), 1u);
    EXPECT_GE(session_.Word(year), 2020u);
    EXPECT_GE(session_.Word(month), 1u);
    EXPECT_LE(session_.Word(weekday), 6u);
  }
  EXPECT_TRUE(sawFile && sawFolder);
  EXPECT_EQ(session_.Call("GetListingName", {2}), 0u);
  EXPECT_EQ(session_.Call("GetListingInfo", {2, session_.Var()}), 0u);
  EXPECT_EQ(session_.Call("ClearListing", {}), 0u);
  EXPECT_EQ(session_.Call("GetListingKind", {0}), 0u);
}

TEST_F(FileNativesTest, DroppedFilesCountNamesAndClear) {
  DropTarget drops;
  AppNativePort port;
  bool accepted = false;
  port.dropTarget = &drops;
  port.enableFileDrop = [&accepted](bool accept) { accepted = accept; };
  AppNativePort* previous = SetAppPort(&port);
  session_.Call("EnableFileDrop", {1});
  EXPECT_TRUE(accepted);
  ASSERT_EQ(drops.OnDropFiles(platform::CreateDrop({"Z:\\A.TXT", "Z:\\B.TXT"})), 0);
  EXPECT_EQ(session_.Call("GetDroppedFile", {uint32_t(-1)}), 2u);
  EXPECT_EQ(session_.String(session_.Call("GetDroppedFile", {1})), "Z:\\B.TXT");
  EXPECT_EQ(session_.Call("GetDroppedFile", {2}), 0u);
  session_.Call("ClearDroppedFiles", {});
  EXPECT_EQ(session_.Call("GetDroppedFile", {uint32_t(-1)}), 0u);
  SetAppPort(previous);
}

TEST_F(FileNativesTest, DialogsAnswerFromTheScriptedReplies) {
  platform::ScriptedFileDialogs dialogs;
  platform::ScopedFileDialogs scoped(dialogs);
  const uint32_t path = session_.Block(260), title = session_.Block(64);
  // No buffer: no dialog.
  EXPECT_EQ(session_.Call("OpenFileDialog", {session_.Text("Open"), kNull, title, 0, 0}), 0u);
  EXPECT_TRUE(dialogs.Requests().empty());

  dialogs.QueueAnswer({true, "Z:\\GAME\\SAVE\\A.DAT", 1});
  const uint32_t open = session_.Call("OpenFileDialog", {session_.Text("Open"), path, title, 0,
                                                         session_.Text("Data\t*.DAT\tAll\t*.*\t")});
  EXPECT_EQ(open, 1u);
  EXPECT_EQ(session_.String(path), "Z:\\GAME\\SAVE\\A.DAT");
  EXPECT_EQ(session_.String(title), "A.DAT");
  ASSERT_EQ(dialogs.Requests().size(), 1u);
  ASSERT_EQ(dialogs.Requests()[0].filters.size(), 2u);
  EXPECT_EQ(dialogs.Requests()[0].filters[1].patterns, "*.*");
  EXPECT_EQ(dialogs.Requests()[0].initialFolder, BaseFolder());

  dialogs.QueueAnswer({true, "Z:\\B.DAT", 2});
  EXPECT_EQ(session_.Call("SaveFileDialog", {session_.Text("Save"), path, title, 0, 0, session_.Text("DAT")}), 3u);
  EXPECT_EQ(session_.Call("SaveFileDialog", {session_.Text("Save"), path, title, 0, 0, 0}), 0u);  // cancelled

  const uint32_t folder = session_.Block(260);
  dialogs.QueueAnswer({true, "Z:\\GAME", 0});
  EXPECT_EQ(session_.Call("BrowseFolderDialog", {session_.Text("Where"), 0, folder}), 1u);
  EXPECT_EQ(session_.String(folder), "Z:\\GAME\\");
  dialogs.QueueAnswer({true, "Z:\\GAME\\", 0});
  EXPECT_EQ(session_.Call("BrowseFolderDialog", {session_.Text("Where"), 0, folder}), 1u);
  EXPECT_EQ(session_.String(folder), "Z:\\GAME\\");
  EXPECT_EQ(session_.Call("BrowseFolderDialog", {session_.Text("Where"), 0, kNull}), 0u);
}

TEST_F(FileNativesTest, ProcessOutputAndDiskOperationsWithTheirCodes) {
  // A small program of the game's own writes the text the native collects.
  WriteDisk("HELLO.SH", "#!/bin/sh\necho collected\n");
  std::filesystem::permissions(HostPath("HELLO.SH"), std::filesystem::perms::owner_all);
  const std::string program = "HELLO.SH";
  EXPECT_EQ(session_.Call("RunProcess", {session_.Text(program), 1, session_.Text("OUT.LOG")}), 0u);
  EXPECT_EQ(ReadDisk("OUT.LOG"), "collected\n");

  EXPECT_EQ(session_.Call("CreateFolder", {session_.Text("NEW")}), 0u);
  EXPECT_TRUE(std::filesystem::is_directory(HostPath("NEW")));
  EXPECT_EQ(session_.Call("CreateFolder", {session_.Text(std::string(300, 'c'))}), 1u);

  WriteDisk("MOVE.TXT", "m");
  EXPECT_EQ(session_.Call("MoveFileNative", {session_.Text(std::string(300, 'a')), session_.Text("X.TXT")}), 1u);
  EXPECT_TRUE(std::filesystem::exists(HostPath("MOVE.TXT")));
  EXPECT_EQ(session_.Call("MoveFileNative", {session_.Text("MOVE.TXT"), session_.Text(std::string(300, 'b'))}), 2u);
  EXPECT_EQ(session_.Call("MoveFileNative", {session_.Text("NONE.TXT"), session_.Text("X.TXT")}), 3u);
  EXPECT_EQ(session_.Call("MoveFileNative", {session_.Text("MOVE.TXT"), session_.Text("NEW\\MOVED.TXT")}), 0u);
  EXPECT_EQ(ReadDisk("NEW/MOVED.TXT"), "m");

  EXPECT_EQ(session_.Call("CopyFileNative", {session_.Text("NEW\\MOVED.TXT"), session_.Text("COPY.TXT"), 0}), 0u);
  EXPECT_EQ(ReadDisk("COPY.TXT"), "m");
  EXPECT_EQ(session_.Call("CopyFileNative", {session_.Text("NEW\\MOVED.TXT"), session_.Text("COPY.TXT"), 1}), 2u);

  // 2024-01-01 00:00:00.250 UTC as a file time.
  const uint64_t fileTime = (1704067200ull * 10000000ull) + 116444736000000000ull + 2500000ull;
  const uint32_t stamp = session_.Block(8);
  session_.Space().Write32(stamp, uint32_t(fileTime));
  session_.Space().Write32(stamp + 4, uint32_t(fileTime >> 32));
  const uint32_t year = session_.Var(), millisecond = session_.Var();
  EXPECT_EQ(session_.Call("FileTimeToLocal", {stamp, year, 0, 0, 0, 0, 0, millisecond}), 1u);
  EXPECT_TRUE(session_.Word(year) == 2024u || session_.Word(year) == 2023u);
  EXPECT_EQ(session_.Word(millisecond), 250u);
  // File times whose years the clock cannot count (the first file time,
  // the largest) answer 0 and leave the fields alone.
  for (const uint64_t beyond : {0ull, 0x7FFFFFFFFFFFFFFFull}) {
    session_.Space().Write32(stamp, uint32_t(beyond));
    session_.Space().Write32(stamp + 4, uint32_t(beyond >> 32));
    EXPECT_EQ(session_.Call("FileTimeToLocal", {stamp, year, 0, 0, 0, 0, 0, millisecond}), 0u) << beyond;
    EXPECT_EQ(session_.Word(millisecond), 250u) << beyond;
  }
}

TEST_F(FileNativesTest, PathNativesSplitWithoutTakingTrailBytesForSeparators) {
  // 0x95 0x5C is one character whose trail byte is a backslash.
  const uint32_t path = session_.Block(64), out = session_.Block(64);
  session_.Space().WriteBytes(path, "A\\\x95\\B.TXT", 10);
  EXPECT_EQ(session_.Call("NativeGetFileExtension", {path, out}), 0u);
  EXPECT_EQ(session_.String(out), "TXT");
  EXPECT_EQ(session_.Call("NativeRemoveFileExtension", {path, out}), 0u);
  EXPECT_EQ(session_.String(out), "A\\\x95\\B");
  EXPECT_EQ(session_.Call("NativeSplitPathName", {path, out}), 0u);
  EXPECT_EQ(session_.String(out), "\x95\\B.TXT");
  EXPECT_EQ(session_.Call("NativeCutToParentFolder", {path}), 1u);
  EXPECT_EQ(session_.String(path), "A\\");
  EXPECT_EQ(session_.Call("NativeCutToParentFolder", {session_.Text("NOSEPARATOR")}), 0u);
  const uint32_t size = session_.Var(77);
  WriteDisk("SIZED.BIN", "123");
  EXPECT_EQ(session_.Call("NativeGetLooseFileSize", {session_.Text("SIZED.BIN"), size}), 1u);
  EXPECT_EQ(session_.Word(size), 3u);
  EXPECT_EQ(session_.Call("NativeGetLooseFileSize", {session_.Text("NONE.BIN"), size}), 0u);
  // The search record: attributes, times, size words, then the name at 44.
  const uint32_t found = session_.Block(320);
  EXPECT_EQ(session_.Call("FindLooseFile", {session_.Text("SIZED.BIN"), found}), 0u);
  EXPECT_EQ(session_.Word(found + 32), 3u);
  EXPECT_EQ(session_.String(found + 44), "SIZED.BIN");
  EXPECT_EQ(session_.Call("FindLooseFile", {session_.Text("NONE.BIN"), found}), 3u);
}

}  // namespace
}  // namespace orrivel::testing

namespace orrivel::testing {
namespace {

TEST(CommandLineSplit, QuotesAndBackslashesAsTheGamesWriteThem) {
  struct Case {
    const char* line;
    std::vector<std::string> args;
  };
  const Case cases[] = {
      {"prog a  b", {"prog", "a", "b"}},
      {"prog \"a b\" c", {"prog", "a b", "c"}},
      {"prog a\\\\\"b c\"", {"prog", "a\\b c"}},  // two backslashes and a quote: one backslash, then a group
      {"prog a\\\"b", {"prog", "a\"b"}},
      {"prog C:\\dir\\ \"\"", {"prog", "C:\\dir\\", ""}},
      {"prog a;rm x|y >z $HOME", {"prog", "a;rm", "x|y", ">z", "$HOME"}},
  };
  for (const Case& c : cases) EXPECT_EQ(platform::SplitCommandLine(c.line), c.args) << c.line;
}

TEST_F(FileNativesTest, RunProcessPassesShellCharactersThrough) {
  WriteDisk("ECHO.SH", "#!/bin/sh\necho \"$@\"\n");
  std::filesystem::permissions(HostPath("ECHO.SH"), std::filesystem::perms::owner_all);
  EXPECT_EQ(
      session_.Call("RunProcess", {session_.Text("ECHO.SH safe;touch INJECTED $HOME"), 1, session_.Text("O.LOG")}),
      0u);
  EXPECT_EQ(ReadDisk("O.LOG"), "safe;touch INJECTED $HOME\n");
  EXPECT_FALSE(std::filesystem::exists(HostPath("INJECTED")) || std::filesystem::exists("INJECTED"));
}

}  // namespace
}  // namespace orrivel::testing
