#include "resource/FileObject.h"

#include <gtest/gtest.h>

#include "TempFolder.h"
#include "resource/ArchiveManager.h"
#include "resource/BaseFolder.h"
#include "resource/FileStream.h"
#include "resource/FileUtilities.h"
#include "resource/MemoryBlock.h"
#include "resource/MemoryStream.h"
#include "resource/Paths.h"
#include <cstring>

namespace orrivel {
namespace {

using FileObjectTest = testing::GameFolderTest;

TEST_F(FileObjectTest, ReadLineTable) {
  folder_.Write("lines.txt", std::string("AB\r\nZ"));
  FileObject file;
  ASSERT_EQ(file.Open("LINES.TXT"), 0);
  EXPECT_EQ(file.ReadLine(nullptr, 0), 3);
  EXPECT_EQ(file.Tell(), 0);
  char small[3];
  EXPECT_EQ(file.ReadLine(small, 2), kLineTooLong);  // "AB" needs 3
  EXPECT_EQ(file.ReadLine(small, 1), kLineTooLong);
  EXPECT_EQ(file.Tell(), 0);
  char buffer[10];
  EXPECT_EQ(file.ReadLine(buffer, 10), 4);
  EXPECT_STREQ(buffer, "AB");
  EXPECT_EQ(file.Tell(), 4);
  EXPECT_EQ(file.ReadLine(buffer, 10), 1);
  EXPECT_STREQ(buffer, "Z");
  EXPECT_EQ(file.ReadLine(buffer, 10), 0);  // end of the data, told apart from a long line

  folder_.Write("mark.txt", std::string("X\x1A"));
  ASSERT_EQ(file.Open("mark.txt"), 0);
  EXPECT_EQ(file.ReadLine(nullptr, 0), 2);
  EXPECT_EQ(file.ReadLine(buffer, 10), 2);
  EXPECT_STREQ(buffer, "X");
  folder_.Write("five.txt", std::string("ABCDE"));
  ASSERT_EQ(file.Open("five.txt"), 0);
  EXPECT_EQ(file.ReadLine(small, 3), kLineTooLong);
  EXPECT_EQ(file.Tell(), 0);
}

TEST_F(FileObjectTest, StreamsClampTheirSeeks) {
  folder_.Write("ten.bin", std::string("0123456789"));
  auto* block = static_cast<uint8_t*>(AllocGlobalMemory(10));
  std::memcpy(block, "0123456789", 10);
  MemoryStream memory;
  EXPECT_EQ(memory.SeekSet(0), 1);  // no block yet
  ASSERT_EQ(memory.Attach(block, 10), 0);
  EXPECT_EQ(memory.Attach(block, 10), 10);
  FileStream onDisk;
  ASSERT_EQ(onDisk.Attach(platform::File::Open(folder_.Internal() + "ten.bin", platform::File::Access::Read,
                                               platform::File::Disposition::OpenExisting)),
            0);
  for (Stream* stream : {static_cast<Stream*>(&memory), static_cast<Stream*>(&onDisk)}) {
    EXPECT_EQ(stream->SeekSet(100), 0);
    EXPECT_EQ(stream->Tell(), 10u);
    EXPECT_TRUE(stream->IsEof());
    stream->SeekSet(10);
    EXPECT_EQ(stream->SeekCurrent(-100), 0);
    EXPECT_EQ(stream->Tell(), 0u);
    EXPECT_EQ(stream->SeekEnd(4), 0);
    EXPECT_EQ(stream->Tell(), 6u);
    char text[8] = {};
    EXPECT_EQ(stream->Read(text, 8), 4u);
    EXPECT_STREQ(text, "6789");
    EXPECT_EQ(stream->SeekEnd(40), 0);
    EXPECT_EQ(stream->Tell(), 0u);
  }
  FileStream none;
  EXPECT_EQ(none.SeekSet(1), 2);
}

TEST_F(FileObjectTest, DetachTempFilesAndWriting) {
  folder_.Write("data.bin", std::string("payload"));
  FileObject file;
  ASSERT_EQ(file.Open("data.bin"), 0);
  void* block = file.DetachData();
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(file.DetachData(), nullptr);
  FreeGlobalMemory(block);

  ASSERT_EQ(file.OpenAsTempFile("DATA.BIN"), 0);
  const std::string temp = file.GetName();
  EXPECT_NE(SplitPathName(temp, false).find("VQF"), std::string::npos);
  EXPECT_TRUE(platform::PathExists(temp));
  EXPECT_EQ(file.GetSize(), 7u);
  file.Close();
  EXPECT_FALSE(platform::PathExists(temp));
  file.Close();

  EXPECT_EQ(file.Printf("%d", 1), 0u);  // no handle
  ASSERT_EQ(file.OpenForWrite("new.txt", true), 0);
  EXPECT_EQ(file.Printf("%s=%d\r\n", "value", 42), 10u);
  const std::string huge(600, 'x');
  EXPECT_EQ(file.Printf("%s", huge.c_str()), 0u);  // over the bound: nothing written
  file.Close();
  EXPECT_EQ(file.OpenForWrite("new.txt", false), 3);  // exists already
  ASSERT_EQ(file.OpenExisting("NEW.TXT"), 0);
  EXPECT_EQ(file.GetSize(), 10u);
  file.Close();
  EXPECT_EQ(GetLooseFileSize("new.txt"), 10);
  EXPECT_TRUE(LooseFileExists("NEW.txt"));
  EXPECT_EQ(GetLooseFileSize("nothing.txt"), -1);
  int year = 0;
  EXPECT_EQ(FileTimeToLocalSystemTime("new.txt", &year, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), 0);
  EXPECT_GE(year, 2020);
}

TEST_F(FileObjectTest, ClosedObjectsAndFailedOpensAnswerQuietly) {
  FileObject file;
  char buffer[4];
  EXPECT_EQ(file.Tell(), -1);
  EXPECT_FALSE(file.IsEof());
  EXPECT_EQ(file.SeekSet(1), kFileObjectCannotOpen);
  EXPECT_EQ(file.SeekCurrent(1), kFileObjectCannotOpen);
  EXPECT_EQ(file.SeekEnd(1), kFileObjectCannotOpen);
  EXPECT_EQ(file.Read(buffer, 4), 0u);
  EXPECT_EQ(file.Write("x", 1), 0u);
  EXPECT_EQ(file.GetData(), nullptr);
  EXPECT_EQ(file.DetachData(), nullptr);
  EXPECT_EQ(file.ReadLine(buffer, 4), 0);
  EXPECT_EQ(file.Open("missing.txt"), kFileNotFound);
  EXPECT_EQ(file.GetName(), "");
  EXPECT_EQ(file.OpenExisting("missing.txt"), kFileObjectCannotOpen);
  EXPECT_EQ(file.OpenForWrite(std::string(kMaxPath, 'A'), true), kFileObjectBadPath);
  EXPECT_EQ(file.OpenForWrite("no-such-folder\\x.txt", true), kFileObjectCannotOpen);
  EXPECT_EQ(file.GetName(), "");
  EXPECT_EQ(file.OpenAsTempFile("missing.txt"), kFileNotFound);

  // A disk file: seeks move the file pointer, reads fall back to the handle.
  folder_.Write("disk.txt", std::string("0123456789"));
  ASSERT_EQ(file.OpenExisting("disk.txt"), 0);
  EXPECT_EQ(file.SeekEnd(4), 0);
  EXPECT_EQ(file.Tell(), 6);
  EXPECT_EQ(file.Read(buffer, 4), 4u);
  EXPECT_TRUE(file.IsEof());
  EXPECT_EQ(file.SeekEnd(40), kFileObjectSeekFailed);
  EXPECT_EQ(file.ReadLine(buffer, 4), 0);  // nothing loaded
}

TEST_F(FileObjectTest, CopyAndCompareTimes) {
  folder_.Write("src.txt", std::string("new data"));
  const int64_t old = 1000;
  EXPECT_EQ(CompareFileTimes((folder_.Internal() + "src.txt").c_str(), nullptr, nullptr, &old), 1);
  EXPECT_EQ(CompareFileTimes(nullptr, nullptr, nullptr, &old), -1);
  EXPECT_EQ(CompareFileTimes(nullptr, "missing", &old, nullptr), 1);
  EXPECT_EQ(CopyFileClearReadOnly("dst.txt", "src.txt", 0), 0);
  EXPECT_EQ(CopyFileClearReadOnly("dst.txt", "src.txt", 2), 2);
  EXPECT_EQ(CopyFileClearReadOnly("dst.txt", "src.txt", 0), 1);  // not newer
  std::filesystem::permissions(folder_.HostPath("dst.txt"), std::filesystem::perms::owner_read);
  EXPECT_EQ(CopyFileClearReadOnly("dst.txt", "src.txt", 1), 0);
  EXPECT_EQ(CopyFileClearReadOnly("dst2.txt", "missing.txt", 1), -1);
}

TEST_F(FileObjectTest, RunsProcessesWithCapturedOutput) {
  // Double quotes group an argument; no shell sees the line.
  EXPECT_EQ(RunProcessCaptureOutput("printf \"one\\ntwo\"", 1, 0, 0, (folder_.Internal() + "out.txt").c_str()), 0);
  FileObject file;
  ASSERT_EQ(file.Open("out.txt"), 0);
  EXPECT_EQ(std::string(static_cast<const char*>(file.GetData()), file.GetSize()), "one\ntwo");
  EXPECT_EQ(RunProcessCaptureOutput("true", 0, 0, 0, "x.txt"), 2);
  EXPECT_EQ(RunProcessCaptureOutput("true", 1, 0, 0, nullptr), 0);
}

}  // namespace
}  // namespace orrivel
