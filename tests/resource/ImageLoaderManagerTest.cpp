#include "resource/ImageLoaderManager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "TempFolder.h"
#include "elg/ElgWriter.h"
#include "lpk/LpkWriter.h"
#include "resource/ArchiveManager.h"
#include "resource/BaseFolder.h"
#include "resource/BitmapInfoHeader.h"
#include "resource/BmpDecoder.h"
#include "resource/ElgDecoder.h"
#include "resource/LpkSettings.h"
#include "resource/PictureTestSupport.h"

namespace orrivel {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testing::TestCanvas;

constexpr std::uint64_t kMegabyte = 1048576;

// An ELG decoder that counts its decodes and can be told to refuse data,
// claim to save, or answer DecodeInto with a fixed code.
class CountingDecoder : public ElgDecoder {
 public:
  bool IsSupported(const std::uint8_t* data, std::uint64_t size, const char* name) override {
    return claims && ElgDecoder::IsSupported(data, size, name);
  }
  std::int32_t Decode(const std::uint8_t* data, std::uint64_t size, PictureBlock* info,
                      PictureBlock* pixels, PictureProgressFn progress, void* user) override {
    ++decodes;
    if (failDecode) return kGllMissingData;
    return ElgDecoder::Decode(data, size, info, pixels, progress, user);
  }
  std::int32_t DecodeInto(const std::uint8_t* data, std::uint64_t size, PictureAllocateFn allocate,
                          void* user, bool as8bit, PictureProgressFn progress, void* pu) override {
    ++decodeIntos;
    if (intoResult != 0) return intoResult;
    return ElgDecoder::DecodeInto(data, size, allocate, user, as8bit, progress, pu);
  }
  bool CanSave() const override { return canSave; }

  bool claims = true;
  bool failDecode = false;
  bool canSave = false;
  std::int32_t intoResult = 0;
  int decodes = 0;
  int decodeIntos = 0;
};

// A decoder without DecodeInto that hands back whatever header it is told,
// as a faulty plug-in might: more rows than its pixel block holds, or a
// colour table (filled with 0x77) longer than its depth can index.
class FakeHeaderDecoder : public PictureDecoder {
 public:
  bool IsSupported(const std::uint8_t*, std::uint64_t size, const char*) override { return size == claimedSize; }
  std::int32_t Decode(const std::uint8_t*, std::uint64_t, PictureBlock* info, PictureBlock* pixels,
                      PictureProgressFn, void*) override {
    BitmapInfoHeader header;
    header.width = 4;
    header.height = 4;
    header.bitCount = bitCount;
    header.colorsUsed = colorsUsed;
    const std::uint64_t tableBytes = 4ull * std::max<std::uint32_t>(colorsUsed, 1);
    if (!info_.Allocate(BitmapInfoHeader::kSize + tableBytes, true) ||
        !pixels_.Allocate(pitchBytes * std::uint64_t(rows), true)) {
      return kGllOutOfMemory;
    }
    header.Write(info_.Data());
    if (colorsUsed) std::memset(info_.Data() + BitmapInfoHeader::kSize, 0x77, tableBytes);
    pitch_ = pitchBytes;
    totalBytes_ = info_.Size() + pixels_.Size();
    HandOver(info, pixels);
    return 0;
  }
  std::uint64_t claimedSize = 3;
  std::uint16_t bitCount = 24;
  std::uint32_t colorsUsed = 0;
  std::uint32_t pitchBytes = 12;
  std::uint32_t rows = 4;  // rows the pixel block holds; the header says 4
};

// A flat 24-bit picture: its decoded size is 44 + pitch * height bytes.
Bytes FlatElg(std::uint16_t width, std::uint16_t height, std::uint8_t shade, std::uint32_t depth = 24) {
  tools::ElgImage image;
  image.depth = depth;
  image.width = width;
  image.height = height;
  image.offsetX = 4;
  image.offsetY = -2;
  image.chunks = {{5, {1, 2, 3}}};
  image.pixels.assign(std::size_t(width) * height * (depth / 8), shade);
  if (depth == 8) image.palette.assign(1024, shade);
  return tools::EncodeElg(image, tools::ElgHeaderVariant::kChunked);
}

std::uint64_t DecodedSize24(std::uint32_t width, std::uint32_t height) {
  return 44 + ((width * 3 + 3) & ~3u) * std::uint64_t(height);
}

class ImageLoaderManagerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    oldBase_ = SetBaseFolderForTest(folder_.Internal());
    oldManager_ = SetArchiveManager(&archives_);
    loader_.SetPhysicalMemorySource([this] { return physical_; });
  }
  void TearDown() override {
    SetArchiveManager(oldManager_);
    SetBaseFolderForTest(oldBase_);
  }
  CountingDecoder* RegisterCounting(std::vector<std::string> extensions, std::int32_t type = 7) {
    auto* d = new CountingDecoder();
    EXPECT_EQ(loader_.RegisterDecoder(d, std::move(extensions), "counting", type, nullptr, nullptr, nullptr), 0);
    return d;
  }

  testing::TempFolder folder_;
  ArchiveManager archives_;
  std::string oldBase_;
  ArchiveManager* oldManager_ = nullptr;
  std::uint64_t physical_ = 8ull << 30;
  ImageLoaderManager loader_;
};

TEST_F(ImageLoaderManagerTest, DecoderChoiceByExtensionThenContent) {
  CountingDecoder* first = RegisterCounting({"PIC", "ELG"});
  CountingDecoder* second = RegisterCounting({"PIC"});
  second->canSave = true;
  CountingDecoder* lower = RegisterCounting({"low"});
  EXPECT_EQ(loader_.RegisterDecoder(nullptr, {"X"}, "none", 9, nullptr, nullptr, nullptr), 1);

  struct Case {
    const char* name;
    bool needSave;
    PictureDecoder* expected;
  };
  const Case cases[] = {
      {"a.pic", false, first},          // first registered wins
      {"A.PiC", false, first},          // the name's extension is upper-cased
      {"a.pic", true, second},          // a later one that can save wins when saving
      {"dir.x\\b.elg", false, first},
      {"a.low", false, nullptr},        // the list is compared byte for byte
      {"noextension", false, nullptr},
      {"a.elg", true, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(loader_.FindDecoderByExtension(c.name, c.needSave), c.expected);
  }
  EXPECT_EQ(loader_.FindDecoderByType(7), first);
  EXPECT_EQ(loader_.FindDecoderByType(3), nullptr);

  const Bytes elg = FlatElg(2, 2, 1);
  first->claims = false;
  EXPECT_EQ(loader_.FindDecoderForData(elg.data(), elg.size(), nullptr), second);
  (void)lower;
  loader_.UnloadType(7);
  EXPECT_TRUE(loader_.Records().empty());
}

TEST_F(ImageLoaderManagerTest, LoadPictureFallsBackToContent) {
  loader_.RegisterBuiltInDecoders();
  ASSERT_EQ(loader_.Records().size(), 2u);
  EXPECT_EQ(loader_.Records()[0].typeString, "ELG format");
  EXPECT_EQ(loader_.Records()[1].type, ImageLoaderManager::kBmpType);
  folder_.Write("pic.elg", FlatElg(5, 3, 0x40));
  folder_.Write("disguised.bmp", FlatElg(5, 3, 0x40));  // BMP by name, ELG inside
  folder_.Write("broken.elg", Bytes{'E', 'L', 'G', 24, 9, 0, 9, 0, 0xFF});
  for (const char* name : {"pic.elg", "disguised.bmp"}) {
    SCOPED_TRACE(name);
    DecodedPicture* p = loader_.LoadPicture(name);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->Width(), 5);
    EXPECT_EQ(p->Height(), 3);
    EXPECT_EQ(p->BitCount(), 24);
    EXPECT_EQ(p->TotalBytes(), DecodedSize24(5, 3));
    EXPECT_EQ(p->GetOffsetX(), 4);
    EXPECT_EQ(p->GetOffsetY(), -2);
    EXPECT_EQ(p->GetExtraSize(), 8u);
    EXPECT_EQ(p->Pixels().Data()[0], 0x40);
    DecodedPicture::Release(p);
  }
  EXPECT_EQ(loader_.LoadPicture("broken.elg"), nullptr);
  EXPECT_EQ(loader_.LoadPicture("missing.elg"), nullptr);
}

TEST_F(ImageLoaderManagerTest, FailingDecoderByExtensionIsRetriedByContent) {
  CountingDecoder* byName = RegisterCounting({"ELG"});
  byName->failDecode = true;
  byName->claims = false;
  loader_.RegisterBuiltInDecoders();
  folder_.Write("pic.elg", FlatElg(4, 4, 9));
  DecodedPicture* p = loader_.LoadPicture("pic.elg");
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(byName->decodes, 1);
  DecodedPicture::Release(p);
}

TEST_F(ImageLoaderManagerTest, CacheOffNeitherLooksUpNorStores) {
  CountingDecoder* elg = RegisterCounting({"ELG"});
  folder_.Write("pic.elg", FlatElg(4, 4, 9));
  DecodedPicture* a = loader_.LoadPicture("pic.elg");
  DecodedPicture* b = loader_.LoadPicture("pic.elg");
  ASSERT_NE(a, nullptr);
  EXPECT_NE(a, b);
  EXPECT_EQ(elg->decodes, 2);
  EXPECT_EQ(loader_.FindCachedImage("pic.elg"), nullptr);
  EXPECT_EQ(loader_.CacheImage(a, "pic.elg"), 2);
  EXPECT_EQ(loader_.ReleaseCachedImage("pic.elg"), 1);
  EXPECT_EQ(loader_.Cache().Count(), 0u);
  DecodedPicture::Release(a);
  DecodedPicture::Release(b);
}

TEST_F(ImageLoaderManagerTest, SecondLoadAnswersTheSamePicture) {
  CountingDecoder* elg = RegisterCounting({"ELG"});
  loader_.SetCacheLimit(16);
  folder_.Write("Pic.elg", FlatElg(4, 4, 9));
  DecodedPicture* a = loader_.LoadPicture("Pic.elg");
  DecodedPicture* b = loader_.LoadPicture("PIC.ELG");  // same file, other letter case
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a, b);
  EXPECT_EQ(elg->decodes, 1);
  EXPECT_EQ(a->ExtraHolders(), 2u);  // the cache and one more caller
  EXPECT_EQ(loader_.Cache().TotalBytes(), DecodedSize24(4, 4));
  DecodedPicture::Release(a);
  DecodedPicture::Release(b);
  EXPECT_EQ(a->ExtraHolders(), 0u);  // only the cache holds it now

  // By name, as given and lower-cased.
  DecodedPicture* own = loader_.DecodeToPicture(FlatElg(2, 2, 1).data(), FlatElg(2, 2, 1).size(), nullptr);
  ASSERT_NE(own, nullptr);
  EXPECT_EQ(loader_.CacheImage(own, "SYS\\Mine.ELG"), 0);
  EXPECT_EQ(loader_.CacheImage(own, "sys\\mine.elg"), -1);
  EXPECT_EQ(loader_.CacheImage(nullptr, "x"), 1);
  EXPECT_EQ(loader_.CacheImage(own, ""), 1);
  DecodedPicture* found = loader_.FindCachedImage("sys\\MINE.elg");
  EXPECT_EQ(found, own);
  DecodedPicture::Release(found);
  DecodedPicture::Release(own);  // the cache keeps it

  folder_.Write("other.elg", FlatElg(3, 3, 2));
  EXPECT_EQ(loader_.ReleaseCachedImage("other.elg"), 0);
  EXPECT_EQ(loader_.ReleaseCachedImage("none.elg"), 2);
  EXPECT_EQ(loader_.Cache().Count(), 3u);
  EXPECT_EQ(loader_.Cache().Newest()->value->Width(), 3);
  EXPECT_EQ(loader_.Cache().Newest()->value->ExtraHolders(), 0u);
}

TEST_F(ImageLoaderManagerTest, ArchiveMemberIsCachedUnderItsFullName) {
  ResetLpkSettings();
  archives_.RegisterLpkDecoder();
  std::string error;
  ASSERT_TRUE(tools::WriteLpkFile(folder_.HostPath("CG.LPK"), tools::LpkWriterOptions(),
                                  {{"Face.ELG", FlatElg(6, 2, 0x51), false, false}}, &error))
      << error;
  ASSERT_EQ(archives_.Mount("CG.LPK", kNoMountId, true, true, nullptr), 0);
  CountingDecoder* elg = RegisterCounting({"ELG"});
  loader_.SetCacheLimit(16);
  DecodedPicture* a = loader_.LoadPicture("CG\\face.elg");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->Width(), 6);
  DecodedPicture* b = loader_.LoadPicture("cg\\FACE.ELG");
  EXPECT_EQ(a, b);
  EXPECT_EQ(elg->decodes, 1);
  DecodedPicture* found = loader_.FindCachedImage(folder_.Internal() + "cg\\face.elg");
  EXPECT_EQ(found, a);
  for (DecodedPicture* p : {a, b, found}) DecodedPicture::Release(p);
  EXPECT_EQ(loader_.LoadPicture("cg\\none.elg"), nullptr);
  ResetLpkSettings();
}

TEST_F(ImageLoaderManagerTest, EvictsTheLeastRecentlyUsedUnderTheLimit) {
  RegisterCounting({"ELG"});
  loader_.SetCacheLimit(1);
  const std::uint64_t each = DecodedSize24(256, 512);  // about 0.38 MB
  for (const char* name : {"a.elg", "b.elg", "c.elg"}) folder_.Write(name, FlatElg(256, 512, 3));
  auto load = [&](const char* name) {
    DecodedPicture* p = loader_.LoadPicture(name);
    ASSERT_NE(p, nullptr);
    DecodedPicture::Release(p);
  };
  auto cached = [&](const char* name) {
    DecodedPicture* p = loader_.FindCachedImage(name);
    DecodedPicture::Release(p);
    return p != nullptr;
  };
  const std::string base = folder_.Internal();
  load("a.elg");
  load("b.elg");
  EXPECT_TRUE(cached((base + "a.elg").c_str()));  // a becomes the newest
  load("c.elg");                                 // three do not fit: b goes
  EXPECT_TRUE(cached((base + "a.elg").c_str()));
  EXPECT_FALSE(cached((base + "b.elg").c_str()));
  EXPECT_TRUE(cached((base + "c.elg").c_str()));
  EXPECT_EQ(loader_.Cache().TotalBytes(), 2 * each);

  // A picture larger than the limit stays alone until the next insertion.
  folder_.Write("big.elg", FlatElg(600, 600, 4));
  load("big.elg");
  EXPECT_EQ(loader_.Cache().Count(), 1u);
  EXPECT_GT(loader_.Cache().TotalBytes(), kMegabyte);
  load("a.elg");
  EXPECT_EQ(loader_.Cache().Count(), 1u);
  EXPECT_TRUE(cached((base + "a.elg").c_str()));

  loader_.SetCacheLimit(0);  // off: everything is released
  EXPECT_EQ(loader_.Cache().Count(), 0u);
  EXPECT_EQ(loader_.Cache().TotalBytes(), 0u);
}

TEST_F(ImageLoaderManagerTest, CacheLimitFollowsPhysicalMemory) {
  struct Case {
    std::uint64_t physical;
    std::int32_t megabytes;
    std::uint64_t limit;
  };
  const Case cases[] = {
      {0x6000000, -1, 0},
      {0x6000001, -1, 10 * kMegabyte},
      {0x8000000, -1, 10 * kMegabyte},
      {0xC000000, -1, 20 * kMegabyte},
      {0x10000000, -1, 30 * kMegabyte},
      {0x20000000, -1, 64 * kMegabyte},
      {0x20000001, -1, 80 * kMegabyte},
      {0x8000000, 100, 64 * kMegabyte},     // capped at half the memory
      {32ull << 30, 10000, 10000 * kMegabyte},  // past 4 GB without wrapping
      {16ull << 30, 0x7FFFFFFF, 8ull << 30},
      {16ull << 30, 0, 0},
      {0, 50, 0},                            // memory unknown: off
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.physical << " bytes, " << c.megabytes << " MB");
    physical_ = c.physical;
    loader_.SetCacheLimit(c.megabytes);
    EXPECT_EQ(loader_.Cache().LimitBytes(), c.limit);
  }
}

TEST_F(ImageLoaderManagerTest, LoadIntoDecodesIntoTheCallersBuffer) {
  CountingDecoder* elg = RegisterCounting({"ELG"});
  folder_.Write("pic.elg", FlatElg(3, 2, 0x22));
  TestCanvas canvas;
  std::int32_t x = 0, y = 0;
  PictureBlock extra;
  EXPECT_EQ(loader_.LoadInto("pic.elg", &TestCanvas::Allocate, &TestCanvas::Release, &canvas, false,
                             nullptr, nullptr, &x, &y, &extra),
            0);
  EXPECT_EQ(elg->decodeIntos, 1);
  EXPECT_EQ(canvas.width, 3);
  EXPECT_EQ(canvas.pixels[0], 0x22);
  EXPECT_EQ(x, 4);
  EXPECT_EQ(y, -2);
  EXPECT_EQ(extra.Size(), 8u);
  EXPECT_EQ(canvas.releases, 0);

  TestCanvas none;
  EXPECT_EQ(loader_.LoadInto("missing.elg", &TestCanvas::Allocate, &TestCanvas::Release, &none, false,
                             nullptr, nullptr, nullptr, nullptr, nullptr),
            ImageLoaderManager::kFileNotOpened);

  // A failing decode lets the caller drop its buffer, then the content
  // search gives up too.
  elg->intoResult = kGllOutOfMemory;
  TestCanvas failed;
  EXPECT_EQ(loader_.LoadInto("pic.elg", &TestCanvas::Allocate, &TestCanvas::Release, &failed, false,
                             nullptr, nullptr, nullptr, nullptr, nullptr),
            1);
  EXPECT_EQ(failed.releases, 2);
}

TEST_F(ImageLoaderManagerTest, DecoderWithoutDecodeIntoGoesThroughAPicture) {
  CountingDecoder* elg = RegisterCounting({"ELG"});
  elg->intoResult = kGllNotSupported;
  loader_.SetCacheLimit(8);
  folder_.Write("pal.elg", FlatElg(3, 2, 0x31, 8));
  folder_.Write("deep.elg", FlatElg(3, 2, 0x31, 32));
  for (bool as8bit : {false, true}) {
    SCOPED_TRACE(as8bit);
    TestCanvas canvas(2);
    PictureBlock extra;
    ASSERT_EQ(loader_.LoadInto("pal.elg", &TestCanvas::Allocate, &TestCanvas::Release, &canvas, as8bit,
                               nullptr, nullptr, nullptr, nullptr, &extra),
              0);
    EXPECT_EQ(canvas.paletteAsked, as8bit);
    EXPECT_EQ(canvas.pixels[0], 0x31);  // the index, or the entry's blue
    EXPECT_EQ(extra.Size(), 8u);        // a copy: the cache holds the picture too
    EXPECT_TRUE(canvas.PaddingUntouched());
  }
  TestCanvas deep;
  ASSERT_EQ(loader_.LoadInto("deep.elg", &TestCanvas::Allocate, &TestCanvas::Release, &deep, false,
                             nullptr, nullptr, nullptr, nullptr, nullptr),
            0);
  EXPECT_TRUE(deep.hasAlpha);
  EXPECT_EQ(Bytes(deep.pixels.begin(), deep.pixels.begin() + 4), Bytes(4, 0x31));
  EXPECT_EQ(loader_.Cache().Count(), 2u);

  TestCanvas refusing;
  refusing.refuse = true;
  EXPECT_EQ(loader_.LoadIntoFromMemory(FlatElg(2, 2, 1).data(), FlatElg(2, 2, 1).size(), &TestCanvas::Allocate,
                                       &TestCanvas::Release, &refusing, false, nullptr, nullptr, nullptr,
                                       nullptr, nullptr, nullptr),
            kGllOutOfMemory);
  const Bytes junk = {1, 2, 3, 4};
  EXPECT_EQ(loader_.LoadIntoFromMemory(junk.data(), junk.size(), &TestCanvas::Allocate, &TestCanvas::Release,
                                       &refusing, false, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
            1);
}

TEST_F(ImageLoaderManagerTest, PictureWhoseRowsOverrunItsPixelsIsNotConverted) {
  auto* decoder = new FakeHeaderDecoder();
  ASSERT_EQ(loader_.RegisterDecoder(decoder, {"SRD"}, "short rows", 11, nullptr, nullptr, nullptr), 0);
  loader_.SetCacheLimit(8);
  const Bytes data = {1, 2, 3};
  struct Case {
    const char* name;
    std::uint32_t pitch, rows;
    std::int32_t code;
  };
  const Case cases[] = {
      {"whole", 12, 4, 0},
      {"rows missing", 12, 3, 1},
      {"pitch below the row", 8, 6, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    decoder->pitchBytes = c.pitch;
    decoder->rows = c.rows;
    TestCanvas canvas;
    const std::string key = std::string(c.name) + ".srd";
    EXPECT_EQ(loader_.LoadIntoFromMemory(data.data(), data.size(), &TestCanvas::Allocate, &TestCanvas::Release,
                                         &canvas, false, nullptr, nullptr, key.c_str(), nullptr, nullptr, nullptr),
              c.code);
    EXPECT_EQ(canvas.allocations, c.code == 0 ? 1 : 0);
    DecodedPicture* cached = loader_.FindCachedImage(key);
    EXPECT_EQ(cached != nullptr, c.code == 0);  // a refused picture is not cached either
    DecodedPicture::Release(cached);
  }
}

TEST_F(ImageLoaderManagerTest, ColourTableLongerThanTheDepthFillsOnlyThePalette) {
  auto* decoder = new FakeHeaderDecoder();
  decoder->claimedSize = 5;
  decoder->bitCount = 8;
  decoder->colorsUsed = 600;
  decoder->pitchBytes = 4;
  ASSERT_EQ(loader_.RegisterDecoder(decoder, {"LTD"}, "long table", 12, nullptr, nullptr, nullptr), 0);
  const Bytes data = {1, 2, 3, 4, 5};
  TestCanvas canvas;
  ASSERT_EQ(loader_.LoadIntoFromMemory(data.data(), data.size(), &TestCanvas::Allocate, &TestCanvas::Release,
                                       &canvas, true, nullptr, nullptr, "long.ltd", nullptr, nullptr, nullptr),
            0);
  EXPECT_TRUE(canvas.paletteAsked);
  EXPECT_EQ(canvas.palette, Bytes(1024, 0x77));
}

TEST_F(ImageLoaderManagerTest, CacheKeysFoldOnlySingleByteLetters) {
  loader_.SetCacheLimit(8);
  RegisterCounting({"ELG"});
  const Bytes elg = FlatElg(2, 2, 1);
  DecodedPicture* own = loader_.DecodeToPicture(elg.data(), elg.size(), nullptr);
  ASSERT_NE(own, nullptr);
  // "\x83\x41" is one two-byte character whose trail byte looks like "A";
  // folding it would make it another character.
  ASSERT_EQ(loader_.CacheImage(own, "Dir\\\x83\x41.ELG"), 0);
  struct Case {
    const char* name;
    bool found;
  };
  const Case cases[] = {
      {"dir\\\x83\x41.elg", true},
      {"DIR\\\x83\x41.Elg", true},
      {"dir\\\x83\x61.elg", false},
  };
  for (const Case& c : cases) {
    DecodedPicture* found = loader_.FindCachedImage(c.name);
    EXPECT_EQ(found == own, c.found) << c.name;
    DecodedPicture::Release(found);
  }
  DecodedPicture::Release(own);
}

TEST_F(ImageLoaderManagerTest, SavePictureWritesThroughASavingDecoder) {
  loader_.RegisterBuiltInDecoders();
  const Bytes pixels = {1, 2, 3, 0, 4, 5, 6, 0};
  EXPECT_EQ(loader_.SavePicture("shot.bmp", 0, pixels.data(), 2, 1, 32, 8, nullptr, 0, nullptr, nullptr), 0);
  DecodedPicture* p = loader_.LoadPicture("shot.bmp");
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->BitCount(), 24);
  EXPECT_EQ(Bytes(p->Pixels().Data(), p->Pixels().Data() + 6), (Bytes{1, 2, 3, 4, 5, 6}));
  DecodedPicture::Release(p);

  EXPECT_EQ(loader_.SavePicture("shot.xyz", 0, pixels.data(), 2, 1, 32, 8, nullptr, 0, nullptr, nullptr), 1);
  EXPECT_EQ(loader_.SavePicture("shot.elg", 0, pixels.data(), 2, 1, 32, 8, nullptr, 0, nullptr, nullptr), 1);
  // A failed save leaves no file, not even a partial one.
  EXPECT_EQ(loader_.SavePicture("failed.bmp", 0, pixels.data(), 2, 1, 16, 8, nullptr, 0, nullptr, nullptr),
            kGllMissingData);
  EXPECT_EQ(loader_.SavePicture("typed.bin", 0, pixels.data(), 2, 1, 32, 8, nullptr, ImageLoaderManager::kElgType,
                                nullptr, nullptr),
            kGllNotSupported);
  std::vector<std::string> left;
  for (const auto& entry : std::filesystem::directory_iterator(folder_.Host())) {
    left.push_back(entry.path().filename().string());
  }
  EXPECT_EQ(left, std::vector<std::string>{"shot.bmp"});
}

}  // namespace
}  // namespace orrivel
