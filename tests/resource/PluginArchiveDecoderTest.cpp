#include "resource/PluginArchiveDecoder.h"

#include <gtest/gtest.h>

#include <string>

#include "PluginTestSupport.h"
#include "resource/ArchiveManager.h"
#include "resource/BaseFolder.h"

namespace orrivel {
namespace {
using namespace std::string_literals;

constexpr int32_t kTextArchiveType = 40;

class PluginArchiveDecoderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    oldBase_ = SetBaseFolderForTest(plugins_.Root().Internal());
    plugins_.Add("TEST.ADL");
    plugins_.Root().Write("DATA.TXA", std::string("TXA1\nhello.txt=world\nsub\\Deep.TXT=below\n"));
  }
  void TearDown() override { SetBaseFolderForTest(oldBase_); }

  std::string Load(const std::string& name, int* code) {
    MemoryBlock block;
    *code = manager_.LoadFile(name, ArchiveManagerAlloc, ArchiveManagerFree, &block, nullptr);
    std::string text;
    if (*code == 0) text.assign(static_cast<char*>(block.pointer), block.size);
    ArchiveManagerFree(&block);
    return text;
  }

  static std::string ReadAll(Stream* stream) {
    std::string text(stream->GetSize(), '\0');
    text.resize(stream->Read(text.data(), uint32_t(text.size())));
    return text;
  }

  testing::PluginFolder plugins_;
  ArchiveManager manager_;
  std::string oldBase_;
};

TEST_F(PluginArchiveDecoderTest, PluginDecoderMountsItsArchives) {
  EXPECT_EQ(manager_.LoadPlugins("plugin"), 0);  // relative to the base folder
  ASSERT_EQ(manager_.Decoders().size(), 1u);
  const ArchiveDecoderRecord& record = manager_.Decoders()[0];
  EXPECT_EQ(record.type, kTextArchiveType);
  EXPECT_EQ(record.typeString, "Text archive");
  EXPECT_EQ(record.extensions, (std::vector<std::string>{"TXA", "TXB"}));
  EXPECT_NE(record.module, nullptr);
  EXPECT_EQ(record.configDialog, nullptr);  // optional, and absent

  ASSERT_EQ(manager_.Mount("data.txa", -2, false, true, nullptr), 0);
  int code = -1;
  EXPECT_EQ(Load("HELLO.TXT", &code), "world");
  EXPECT_EQ(code, 0);
  EXPECT_EQ(Load("sub\\deep.txt", &code), "below");
  Load("absent.txt", &code);
  EXPECT_EQ(code, kFileNotFound);

  int error = -1;
  Stream* stream = manager_.OpenStream("hello.txt", nullptr, &error, false);
  ASSERT_NE(stream, nullptr);
  EXPECT_EQ(error, 0);
  EXPECT_EQ(ReadAll(stream), "world");
  stream->Release();

  // Both assist routines reach the plug-in.
  ASSERT_NE(record.assist, nullptr);
  EXPECT_EQ(record.assist(9), 0);
  AdlAssistFunc2 assist2 = manager_.FindAssistFunc2(kTextArchiveType);
  ASSERT_NE(assist2, nullptr);
  const int32_t command[] = {0};
  EXPECT_EQ(assist2(command, 1), 9);
}

TEST_F(PluginArchiveDecoderTest, ArchiveWithAnUnclaimedExtensionIsOpenedByContent) {
  plugins_.Root().Write("DATA.BIN", std::string("TXA1\nfrom-bin.txt=yes\n"));
  ASSERT_EQ(manager_.LoadPlugin(plugins_.Path("TEST.ADL")), 0);
  ASSERT_EQ(manager_.Mount("DATA.BIN", 5, true, false, nullptr), 0);
  int code = -1;
  EXPECT_EQ(Load("data\\from-bin.txt", &code), "yes");
  // A file no decoder accepts is not mounted.
  plugins_.Root().Write("JUNK.TXA", std::string("nothing"));
  EXPECT_EQ(manager_.Mount("JUNK.TXA", 6, false, false, nullptr), 1);
}

TEST_F(PluginArchiveDecoderTest, MountedArchivesAndStreamsOutliveTheirDecoderRecord) {
  ASSERT_EQ(manager_.LoadPlugin(plugins_.Path("TEST.ADL")), 0);
  ASSERT_EQ(manager_.Mount("DATA.TXA", -2, false, true, nullptr), 0);
  int error = -1;
  Stream* stream = manager_.OpenStream("hello.txt", nullptr, &error, false);
  ASSERT_NE(stream, nullptr);
  // The library stays loaded while the archive and the stream use its code.
  manager_.RemoveDecoders(kTextArchiveType);
  EXPECT_TRUE(manager_.Decoders().empty());
  int code = -1;
  EXPECT_EQ(Load("hello.txt", &code), "world");
  manager_.UnmountAll();
  EXPECT_EQ(ReadAll(stream), "world");
  stream->Release();
}

TEST_F(PluginArchiveDecoderTest, BrokenPluginsAreRefusedWithTheirCodes) {
  plugins_.Add("NOASSIST.ADL");
  plugins_.Add("NODECODER.ADL");
  plugins_.Root().Write("plugin/JUNK.ADL", std::string("not a library"));
  EXPECT_EQ(manager_.LoadPlugin(plugins_.Path("NOASSIST.ADL")), kAdlMissingEntry);
  EXPECT_EQ(manager_.LoadPlugin(plugins_.Path("NODECODER.ADL")), kAdlNoDecoder);
  EXPECT_EQ(manager_.LoadPlugin(plugins_.Path("JUNK.ADL")), kAdlLoadFailed);
  EXPECT_EQ(manager_.LoadPlugin(std::string(300, 'a')), kAdlBadPath);  // too long for a path
  EXPECT_TRUE(manager_.Decoders().empty());
  EXPECT_EQ(manager_.LoadPlugins(plugins_.Folder()), 3);
  EXPECT_EQ(manager_.Decoders().size(), 1u);
}

TEST(PluginExtensionListTest, ReadsUpToTheEmptyTextAndUpperCases) {
  EXPECT_EQ(ReadExtensionList("lpk\0Dat\0\0ignored\0"), (std::vector<std::string>{"LPK", "DAT"}));
  EXPECT_TRUE(ReadExtensionList("").empty());
  EXPECT_TRUE(ReadExtensionList(nullptr).empty());
  // A text longer than the bound ends the list rather than running on.
  std::string longText(kMaxPluginExtension + 10, 'a');
  const std::string list = "ok\0"s + longText + "\0\0"s;
  EXPECT_EQ(ReadExtensionList(list.c_str()), std::vector<std::string>{"OK"});
}

}  // namespace
}  // namespace orrivel
