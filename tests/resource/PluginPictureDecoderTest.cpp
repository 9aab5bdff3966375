#include "resource/PluginPictureDecoder.h"

#include <gtest/gtest.h>

#include <vector>

#include "PluginTestSupport.h"
#include "resource/ArchiveManager.h"
#include "resource/BaseFolder.h"

namespace orrivel {
namespace {

constexpr std::int32_t kTinyType = 30;

// A 2 x 2 "TPIC" picture: rows top-down, one distinct word per pixel.
std::vector<std::uint8_t> TinyPicture() {
  std::vector<std::uint8_t> bytes = {'T', 'P', 'I', 'C', 2, 2};
  for (std::uint8_t p = 1; p <= 4; ++p) bytes.insert(bytes.end(), {p, p, p, 0xFF});
  return bytes;
}

class PluginPictureDecoderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    oldBase_ = SetBaseFolderForTest(plugins_.Root().Internal());
    oldManager_ = SetArchiveManager(&archives_);
    plugins_.Add("TEST.GLL");
    plugins_.Root().Write("PICTURE.TPC", TinyPicture());
    plugins_.Root().Write("NOEXT", TinyPicture());
  }
  void TearDown() override {
    loader_.UnloadAll();
    SetArchiveManager(oldManager_);
    SetBaseFolderForTest(oldBase_);
  }

  testing::PluginFolder plugins_;
  ArchiveManager archives_;
  ImageLoaderManager loader_;
  std::string oldBase_;
  ArchiveManager* oldManager_ = nullptr;
};

TEST_F(PluginPictureDecoderTest, PluginDecoderLoadsPicturesByExtensionAndByContent) {
  EXPECT_EQ(loader_.LoadPlugins("plugin"), 0);
  ASSERT_EQ(loader_.Records().size(), 1u);
  const PictureDecoderRecord& record = loader_.Records()[0];
  EXPECT_EQ(record.type, kTinyType);
  EXPECT_EQ(record.typeString, "Tiny pictures");
  EXPECT_EQ(record.extensions, std::vector<std::string>{"TPC"});
  EXPECT_NE(record.module, nullptr);
  EXPECT_NE(record.assist2, nullptr);
  EXPECT_EQ(record.configDialog, nullptr);

  for (const char* name : {"picture.tpc", "NOEXT"}) {
    SCOPED_TRACE(name);
    DecodedPicture* picture = loader_.LoadPicture(name);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->Width(), 2);
    EXPECT_EQ(picture->Height(), 2);
    EXPECT_EQ(picture->BitCount(), 32);
    EXPECT_EQ(picture->Pitch(), 8u);
    EXPECT_EQ(picture->TotalBytes(), 40u + 16u);
    EXPECT_EQ(picture->GetOffsetX(), 3);
    EXPECT_EQ(picture->GetOffsetY(), -4);
    // Bottom-up: the first row in memory is the picture's last.
    ASSERT_EQ(picture->Pixels().Size(), 16u);
    EXPECT_EQ(picture->Pixels().Data()[0], 3);
    EXPECT_EQ(picture->Pixels().Data()[8], 1);
    DecodedPicture::Release(picture);
  }
}

TEST_F(PluginPictureDecoderTest, DecoderHeldElsewhereKeepsItsLibraryAfterUnloading) {
  ASSERT_EQ(loader_.LoadPlugin(plugins_.Path("TEST.GLL")), 0);
  PictureDecoder* decoder = loader_.FindDecoderByType(kTinyType);
  ASSERT_NE(decoder, nullptr);
  decoder->AddHolder();
  loader_.UnloadType(kTinyType);
  EXPECT_TRUE(loader_.Records().empty());
  const std::vector<std::uint8_t> bytes = TinyPicture();
  EXPECT_TRUE(decoder->IsSupported(bytes.data(), bytes.size(), "x.tpc"));
  PictureBlock info, pixels;
  EXPECT_EQ(decoder->Decode(bytes.data(), bytes.size(), &info, &pixels, nullptr, nullptr), 0);
  EXPECT_EQ(decoder->TotalBytes(), 56u);
  EXPECT_EQ(pixels.Size(), 16u);
  PictureDecoder::Release(decoder);
}

TEST_F(PluginPictureDecoderTest, BrokenPluginsAreRefusedWithTheirCodes) {
  plugins_.Add("NOASSIST.GLL");
  plugins_.Root().Write("plugin/JUNK.GLL", std::string("not a library"));
  EXPECT_EQ(loader_.LoadPlugin(plugins_.Path("NOASSIST.GLL")), kGllLoadMissingEntry);
  EXPECT_EQ(loader_.LoadPlugin(plugins_.Path("JUNK.GLL")), kGllLoadFailed);
  EXPECT_EQ(loader_.LoadPlugin(std::string(300, 'a')), kGllLoadBadPath);
  EXPECT_TRUE(loader_.Records().empty());
  EXPECT_EQ(loader_.LoadPlugins(plugins_.Folder()), 2);
  EXPECT_EQ(loader_.Records().size(), 1u);
}

}  // namespace
}  // namespace orrivel
