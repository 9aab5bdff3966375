#include "resource/SpiPluginLoader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "PluginTestSupport.h"
#include "resource/ArchiveManager.h"
#include "resource/BaseFolder.h"
#include "resource/ImageLoaderManager.h"
#include "resource/SpiArchive.h"
#include "resource/SpiArchivePlugin.h"
#include "resource/SpiPicturePlugin.h"

namespace orrivel {
namespace {

const std::string kWideAB = "\x82\x60\x82\x61";
const std::string kWideSmallAB = "\x82\x81\x82\x82";

// A "SPIC" picture, 24-bit rows top-down.
std::vector<std::uint8_t> SusiePicture(std::uint8_t width, std::uint8_t height) {
  std::vector<std::uint8_t> bytes = {'S', 'P', 'I', 'C', width, height};
  for (int i = 0; i < width * height; ++i) bytes.insert(bytes.end(), {std::uint8_t(i + 1), 0, 0});
  return bytes;
}

class SpiPluginLoaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    oldBase_ = SetBaseFolderForTest(plugins_.Root().Internal());
    oldManager_ = SetArchiveManager(&archives_);
  }
  void TearDown() override {
    SetSpiListingMode(false);
    archives_.UnmountAll();
    loader_.UnloadAll();
    SetArchiveManager(oldManager_);
    SetBaseFolderForTest(oldBase_);
  }

  std::string Load(const std::string& name, int* code) {
    MemoryBlock block;
    *code = archives_.LoadFile(name, ArchiveManagerAlloc, ArchiveManagerFree, &block, nullptr);
    std::string text;
    if (*code == 0) text.assign(static_cast<char*>(block.pointer), block.size);
    ArchiveManagerFree(&block);
    return text;
  }

  testing::PluginFolder plugins_;
  ArchiveManager archives_;
  ImageLoaderManager loader_;
  std::string oldBase_;
  ArchiveManager* oldManager_ = nullptr;
};

TEST_F(SpiPluginLoaderTest, PicturePluginDecodesThroughTheImageLoader) {
  plugins_.Add("PICTURE.SPI");
  plugins_.Root().Write("A.SPC", SusiePicture(2, 2));
  plugins_.Root().Write("B.sp2", SusiePicture(1, 3));  // hands back too few rows
  EXPECT_EQ(ScanSpiPlugins("plugin", &archives_, &loader_, true, true), 0);
  ASSERT_EQ(loader_.Records().size(), 1u);
  const PictureDecoderRecord& record = loader_.Records()[0];
  EXPECT_EQ(record.type, kSpiPictureType);
  EXPECT_EQ(record.typeString, "Test Susie pictures");
  EXPECT_EQ(record.extensions, (std::vector<std::string>{"SPC", "SP2"}));

  DecodedPicture* picture = loader_.LoadPicture("a.spc");
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->Width(), 2);
  EXPECT_EQ(picture->Height(), 2);
  EXPECT_EQ(picture->BitCount(), 24);
  EXPECT_EQ(picture->Pitch(), 8u);  // 6 bytes rounded up to 4
  EXPECT_EQ(picture->TotalBytes(), 40u + 16u);
  EXPECT_EQ(picture->Pixels().Data()[0], 3);  // bottom-up: the last row first
  DecodedPicture::Release(picture);
  EXPECT_EQ(loader_.LoadPicture("b.sp2"), nullptr);
}

TEST_F(SpiPluginLoaderTest, RefusalsCarryTheirCodes) {
  plugins_.Add("PICTURE.SPI");
  plugins_.Add("ARCHIVE.SPI");
  plugins_.Add("BADKIND.SPI");
  plugins_.Add("NOGETPIC.SPI");
  plugins_.Add("TEST.DCP", "NOINFO.SPI");
  struct Case {
    const char* file;
    bool acceptArchive;
    bool acceptPicture;
    int code;
  };
  const Case cases[] = {
      {"PICTURE.SPI", true, false, -1}, {"ARCHIVE.SPI", false, true, -1}, {"BADKIND.SPI", true, true, 4},
      {"NOGETPIC.SPI", true, true, 5},  {"NOINFO.SPI", true, true, 3},    {"MISSING.SPI", true, true, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    EXPECT_EQ(LoadSpiPlugin(plugins_.Path(c.file), &archives_, &loader_, c.acceptArchive, c.acceptPicture), c.code);
  }
  EXPECT_EQ(LoadSpiPlugin(std::string(300, 'a'), &archives_, &loader_, true, true), 1);
  // A kind whose manager is missing cannot be bound.
  EXPECT_EQ(LoadSpiPlugin(plugins_.Path("PICTURE.SPI"), &archives_, nullptr, true, true), 5);
  EXPECT_EQ(LoadSpiPlugin(plugins_.Path("ARCHIVE.SPI"), nullptr, &loader_, true, true), 5);
  EXPECT_TRUE(loader_.Records().empty());
  EXPECT_TRUE(archives_.Decoders().empty());
  // Pictures only: the archive plug-in counts as a failure with the others.
  EXPECT_EQ(ScanSpiPlugins(plugins_.Folder(), &archives_, &loader_, false, true), 4);
  EXPECT_EQ(loader_.Records().size(), 1u);
  EXPECT_TRUE(archives_.Decoders().empty());
  EXPECT_EQ(ScanSpiPlugins("", &archives_, &loader_, true, true), 0);
}

TEST_F(SpiPluginLoaderTest, ArchivePluginMountsAndLoadsMembersWhole) {
  plugins_.Add("ARCHIVE.SPI");
  plugins_.Root().Write("DATA.SAR", "SAR1\nhello.txt=world\nsub/" + kWideAB + ".txt=wide\n");
  ASSERT_EQ(ScanSpiPlugins(plugins_.Folder(), &archives_, &loader_, true, false), 0);
  ASSERT_EQ(archives_.Decoders().size(), 1u);
  EXPECT_EQ(archives_.Decoders()[0].type, kSpiArchiveType);
  EXPECT_EQ(archives_.Decoders()[0].extensions, std::vector<std::string>{"SAR"});
  ASSERT_EQ(archives_.Mount("DATA.SAR", -2, false, true, nullptr), 0);

  int code = -1;
  EXPECT_EQ(Load("HELLO.TXT", &code), "world");
  // Full-width capitals are found when asked for in small letters.
  EXPECT_EQ(Load("sub\\" + kWideSmallAB + ".TXT", &code), "wide");
  // Not streamable: loaded whole when asked, else not found.
  int error = -1;
  Stream* stream = archives_.OpenStream("hello.txt", nullptr, &error, true);
  ASSERT_NE(stream, nullptr);
  EXPECT_EQ(stream->GetSize(), 5u);
  stream->Release();
  EXPECT_EQ(archives_.OpenStream("hello.txt", nullptr, &error, false), nullptr);
  EXPECT_EQ(error, kFileNotFound);

  auto* archive = static_cast<SpiArchive*>(archives_.GetMountArchive(-2, 0));
  ASSERT_NE(archive, nullptr);
  EXPECT_EQ(archive->GetCount(), 2u);
  EXPECT_EQ(archive->GetEntryList(), nullptr);  // not in listing mode
  int streamCode = 0;
  EXPECT_EQ(archive->OpenMemberStreamByIndex(1, &streamCode), nullptr);
  EXPECT_EQ(streamCode, -3);
  archive->OpenMemberStream("absent", &streamCode);
  EXPECT_EQ(streamCode, 3);
  std::string_view name;
  const ArchiveEntryRecord* entry = archive->GetListEntry(1, &name);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(name, "sub\\" + kWideAB + ".txt");
  EXPECT_EQ(entry->fullSize, 4u);
  EXPECT_EQ(entry->reserved1, 1001u);  // time stamp
  EXPECT_EQ(entry->kind, 8);
  MemoryBlock block;
  EXPECT_EQ(archive->LoadMemberByIndex(2, ArchiveManagerAlloc, &block, nullptr, nullptr), 3);
  EXPECT_EQ(archive->LoadMember("hello.txt", nullptr, &block, nullptr, nullptr), 5);

  // Extracting writes the member into the folder of the given path.
  std::filesystem::create_directories(plugins_.Root().HostPath("out"));
  EXPECT_EQ(archive->ExtractMember("HELLO.txt", (plugins_.Root().Internal() + "out\\ignored").c_str()), 0);
  std::ifstream extracted(plugins_.Root().HostPath("out/hello.txt"));
  std::stringstream text;
  text << extracted.rdbuf();
  EXPECT_EQ(text.str(), "world");
  EXPECT_EQ(archive->ExtractMember("absent", "x"), 3);
  EXPECT_EQ(archive->ExtractMemberByIndex(0, nullptr), 5);
}

TEST_F(SpiPluginLoaderTest, ListingModeIsSetThroughTheAssistRoutine) {
  plugins_.Add("ARCHIVE.SPI");
  plugins_.Root().Write("DATA.SAR", std::string("SAR1\na.txt=1\nb/c.txt=22\n"));
  ASSERT_EQ(LoadSpiPlugin(plugins_.Path("ARCHIVE.SPI"), &archives_, &loader_, true, true), 0);
  AdlAssistFunc2 assist2 = archives_.FindAssistFunc2(kSpiArchiveType);
  ASSERT_NE(assist2, nullptr);
  const std::int32_t on[] = {0, 1};
  const std::int32_t other[] = {7, 1};
  EXPECT_EQ(assist2(other, 2), 5);
  EXPECT_EQ(assist2(on, 2), 0);
  EXPECT_TRUE(SpiListingMode());
  Archive* archive = nullptr;
  ASSERT_EQ(archives_.Mount("DATA.SAR", 1, true, true, &archive), 0);
  const std::vector<ArchiveListEntry>* list = archive->GetEntryList();
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->size(), 2u);
  EXPECT_EQ((*list)[1].name, "b\\c.txt");
  EXPECT_EQ((*list)[1].record.storedSize, 2u);
  EXPECT_EQ(archives_.Decoders()[0].assist(0, 0), 0);
  EXPECT_FALSE(SpiListingMode());
}

TEST_F(SpiPluginLoaderTest, DamagedInformationIsRefusedOrBounded) {
  plugins_.Add("ARCHIVE.SPI");
  plugins_.Add("NOEND.SPI", "NOEND.SPI");
  plugins_.Root().Write("BAD.SAR", std::string("SAR1\nok.txt=1\n!long=2\n"));
  plugins_.Root().Write("EMPTY.SAR", std::string("SAR1\n"));
  plugins_.Root().Write("NOEND.SAR", std::string("SAR1\nonly.txt=3\n"));
  ASSERT_EQ(LoadSpiPlugin(plugins_.Path("ARCHIVE.SPI"), &archives_, &loader_, true, true), 0);
  // A file name without its end, and an archive without members, open not.
  EXPECT_EQ(archives_.Mount("BAD.SAR", 1, true, true, nullptr), 1);
  EXPECT_EQ(archives_.Mount("EMPTY.SAR", 1, true, true, nullptr), 1);
  archives_.ClearDecoders();
  // A list without its closing record ends with its block.
  ASSERT_EQ(LoadSpiPlugin(plugins_.Path("NOEND.SPI"), &archives_, &loader_, true, true), 0);
  Archive* archive = nullptr;
  ASSERT_EQ(archives_.Mount("NOEND.SAR", 1, true, true, &archive), 0);
  EXPECT_EQ(archive->GetCount(), 1u);
  int code = -1;
  EXPECT_EQ(Load("noend\\only.txt", &code), "3");
}

TEST(SusieMemberNameTest, JoinsFolderAndNameWithinBounds) {
  SusieFileInfo record{};
  std::strcpy(record.path, "a/\x83\x2F/");  // the trail byte 0x2F is not a slash
  std::strcpy(record.fileName, "f.txt");
  std::string name;
  ASSERT_TRUE(JoinSusieMemberName(record, &name));
  EXPECT_EQ(name, "a\\\x83\x2F\\f.txt");
  // Two full fields joined would pass a path's length.
  std::memset(record.path, 'p', 150);
  record.path[150] = 0;
  std::memset(record.fileName, 'n', 150);
  record.fileName[150] = 0;
  EXPECT_FALSE(JoinSusieMemberName(record, &name));
  std::memset(record.path, 'p', sizeof record.path);  // no end in the field
  record.fileName[0] = 0;
  EXPECT_FALSE(JoinSusieMemberName(record, &name));
}

}  // namespace
}  // namespace orrivel
