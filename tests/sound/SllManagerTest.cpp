// The decoder registry: choosing a codec by extension, falling back by
// content, loading plug-ins, and writing WAVE files.
#include <dlfcn.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include <gtest/gtest.h>

#include "TestPcmCodec.h"
#include "resource/TempFolder.h"
#include "sound/ExportSoundAsWave.h"
#include "sound/SllManager.h"
#include "TestBuildDirs.h"

namespace orrivel {
namespace {

using testing::MakeTestPcm;
using testing::RefusingCodec;
using testing::TestPcmCodec;

class SllManagerTest : public testing::GameFolderTest {
 protected:
  // A plug-in built by the test tree, copied into the game's "plugin"
  // folder under `as`.
  void AddPlugin(const std::string& built, const std::string& as = {}) {
    std::filesystem::create_directories(folder_.HostPath("plugin"));
    std::filesystem::copy_file(std::string(ORRIVEL_TEST_SLL_DIR) + built,
                               folder_.HostPath("plugin/" + (as.empty() ? built : as)),
                               std::filesystem::copy_options::overwrite_existing);
  }
  // True while the process has the library at the host path loaded.
  static bool IsLoaded(const std::string& hostPath) {
    void* handle = ::dlopen(hostPath.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (handle) ::dlclose(handle);
    return handle != nullptr;
  }
  static std::vector<uint8_t> Pcm16(uint32_t samples) {
    std::vector<uint8_t> pcm(samples * 2);
    for (uint32_t i = 0; i < pcm.size(); ++i) pcm[i] = uint8_t(i * 31 + 7);
    return pcm;
  }

  SllManager manager;
};

TEST_F(SllManagerTest, ExtensionIsMatchedUpperCasedAgainstTheListAsWritten) {
  auto* ogg = new TestPcmCodec();
  auto* lower = new RefusingCodec();
  ASSERT_EQ(manager.RegisterBuiltIn(lower, "ogg\0", "lower", 7, nullptr, nullptr, nullptr), 0);
  ASSERT_EQ(manager.RegisterBuiltIn(ogg, "OGG\0", "Ogg Vorbis format", SllManager::kOggType, nullptr, nullptr,
                                    nullptr),
            0);
  EXPECT_EQ(manager.RegisterBuiltIn(nullptr, "X\0", "none", 9, nullptr, nullptr, nullptr), 1);
  const struct {
    const char* name;
    SoundCodec* codec;
  } cases[] = {
      {"voice.ogg", ogg}, {"VOICE\\A001.OGG", ogg}, {"music.Ogg", ogg},
      {"voice.wav", nullptr}, {"voice", nullptr}, {"ogg", nullptr},
  };
  for (const auto& c : cases) EXPECT_EQ(manager.FindByExtension(c.name), c.codec) << c.name;
  manager.Unload(SllManager::kOggType);
  EXPECT_EQ(manager.FindByExtension("voice.ogg"), nullptr);  // "ogg" never matches
  EXPECT_EQ(manager.FindCodecByType(7), lower);
  EXPECT_EQ(manager.FindCodecByType(SllManager::kOggType), nullptr);
}

TEST_F(SllManagerTest, OtherCodecsReadFromTheStartWhateverTheFirstOneLeft) {
  auto* refusing = new RefusingCodec();
  auto* pcm = new TestPcmCodec();
  manager.RegisterBuiltIn(refusing, "OGG\0", "Ogg", 2, nullptr, nullptr, nullptr);
  manager.RegisterBuiltIn(pcm, "TPC\0", "Test", 40, nullptr, nullptr, nullptr);
  folder_.Write("sound.ogg", MakeTestPcm(22050, 1, 16, Pcm16(100)));
  folder_.Write("sound.xyz", MakeTestPcm(22050, 1, 16, Pcm16(100)));
  folder_.Write("noise.ogg", std::vector<uint8_t>(64, 0x5A));
  for (const bool loadWhole : {false, true}) {
    manager.SetLoadWhole(loadWhole);
    for (const char* name : {"sound.ogg", "sound.xyz"}) {
      SCOPED_TRACE(name);
      int32_t error = -1;
      SoundDecoderPtr decoder(manager.CreateDecoder(name, nullptr, true, &error));
      ASSERT_TRUE(decoder);
      EXPECT_EQ(error, kSllOk);
      EXPECT_EQ(decoder->GetTotalBytes(), 200u);
      uint8_t first[2];
      ASSERT_EQ(decoder->Read(first, 2), 2u);
      EXPECT_EQ(first[0], 7);
    }
  }
  // The codec that claims the extension is asked first and only once.
  EXPECT_EQ(refusing->asked, 4);
  int32_t error = 0;
  EXPECT_EQ(manager.CreateDecoder("noise.ogg", nullptr, true, &error), nullptr);
  EXPECT_EQ(error, kSllNoCodec);
  EXPECT_EQ(manager.CreateDecoder("missing.ogg", nullptr, true, &error), nullptr);
  EXPECT_EQ(error, kSllOpenFailed);
  EXPECT_EQ(manager.CreateDecoder(nullptr, nullptr, true, &error), nullptr);
  EXPECT_EQ(error, kSllNoStream);
  // A caller's own file, positioned anywhere.
  auto file = std::make_shared<FileObject>();
  ASSERT_EQ(file->Open("sound.xyz"), 0);
  file->SeekSet(30);
  SoundDecoderPtr decoder(manager.CreateDecoder("sound.ogg", file, true, &error));
  EXPECT_TRUE(decoder);
}

TEST_F(SllManagerTest, PluginFolderLoadsTheCompleteLibrariesAndCountsTheRest) {
  AddPlugin("PCM.SLL");
  AddPlugin("PCM2.SLL");
  AddPlugin("NOASSIST.SLL");
  EXPECT_EQ(manager.LoadPlugins("plugin"), 1);
  ASSERT_EQ(manager.Records().size(), 2u);
  EXPECT_EQ(manager.Records()[0].typeString, "Test PCM format");
  EXPECT_NE(manager.FindAssistFunc2(40), nullptr);
  EXPECT_NE(manager.FindAssistFunc2(41), nullptr);
  EXPECT_EQ(manager.FindAssistFunc2(99), nullptr);
  EXPECT_NE(manager.Records()[0].configDialog, nullptr);
  EXPECT_FALSE(IsLoaded(folder_.HostPath("plugin/NOASSIST.SLL")));

  // A decoder made by a plug-in outlives the plug-in's record.
  folder_.Write("tone.tpc", MakeTestPcm(8000, 1, 16, Pcm16(50)));
  SoundDecoderPtr decoder(manager.CreateDecoder("tone.tpc", nullptr, true, nullptr));
  ASSERT_TRUE(decoder);
  manager.UnloadAll();
  EXPECT_TRUE(IsLoaded(folder_.HostPath("plugin/PCM.SLL")));
  EXPECT_FALSE(IsLoaded(folder_.HostPath("plugin/PCM2.SLL")));
  EXPECT_EQ(decoder->GetTotalBytes(), 100u);
  EXPECT_EQ(decoder->GetFormat()->samplesPerSec, 8000u);
  decoder.reset();
  EXPECT_FALSE(IsLoaded(folder_.HostPath("plugin/PCM.SLL")));

  EXPECT_EQ(manager.LoadPlugins("nowhere"), 0);
  EXPECT_EQ(manager.LoadPlugins(std::string(300, 'x')), -1);
}

TEST_F(SllManagerTest, LoadOneFailuresLeaveNoRecordAndNoLibrary) {
  AddPlugin("NOASSIST.SLL");
  AddPlugin("NOCODEC.SLL");
  AddPlugin("NOEXT.SLL");
  folder_.Write("plugin/TEXT.SLL", std::string("not a library"));
  const struct {
    std::string name;
    int32_t code;
  } cases[] = {
      {std::string(300, 'x') + ".SLL", kSllLoadBadPath},
      {"plugin\\MISSING.SLL", kSllLoadNoLibrary},
      {"plugin\\TEXT.SLL", kSllLoadNoLibrary},
      {"plugin\\NOASSIST.SLL", kSllLoadMissingEntry},
      {"plugin\\NOCODEC.SLL", kSllLoadNoCodec},
      {"plugin\\NOEXT.SLL", kSllLoadFailed},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(manager.LoadOne(c.name), c.code);
    EXPECT_TRUE(manager.Records().empty());
  }
  for (const char* file : {"NOASSIST.SLL", "NOCODEC.SLL", "NOEXT.SLL"}) {
    EXPECT_FALSE(IsLoaded(folder_.HostPath(std::string("plugin/") + file))) << file;
  }
}

TEST_F(SllManagerTest, ExportWritesAnEighteenByteFormatAndTheDecodedData) {
  manager.RegisterBuiltIn(new TestPcmCodec(), "TPC\0", "Test", 40, nullptr, nullptr, nullptr);
  const std::vector<uint8_t> pcm = Pcm16(22050);  // 1 s, 22050 Hz, 16-bit mono
  folder_.Write("one.tpc", MakeTestPcm(22050, 1, 16, pcm));
  ASSERT_EQ(ExportSoundAsWave("one.tpc", "one.wav", &manager), kExportOk);
  std::ifstream in(folder_.HostPath("one.wav"), std::ios::binary);
  std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_EQ(file.size(), 46u + 44100u);
  auto u32 = [&](size_t at) { return uint32_t(file[at] | file[at + 1] << 8 | file[at + 2] << 16 | file[at + 3] << 24); };
  EXPECT_EQ(std::memcmp(file.data(), "RIFF", 4), 0);
  EXPECT_EQ(u32(4), 44138u);
  EXPECT_EQ(std::memcmp(file.data() + 8, "WAVEfmt ", 8), 0);
  EXPECT_EQ(u32(16), 18u);
  const platform::WaveFormat format = platform::WaveFormat::ReadRecord(file.data() + 20);
  EXPECT_EQ(format, platform::WaveFormat::Pcm(22050, 1, 16));  // extra size 0
  EXPECT_EQ(std::memcmp(file.data() + 38, "data", 4), 0);
  EXPECT_EQ(u32(42), 44100u);
  EXPECT_TRUE(std::equal(pcm.begin(), pcm.end(), file.begin() + 46));
  EXPECT_FALSE(std::filesystem::exists(folder_.HostPath("one.wav.tmp")));

  folder_.Write("junk.tpc", std::string("junk"));
  EXPECT_EQ(ExportSoundAsWave(nullptr, "x.wav", &manager), kExportBadArgument);
  EXPECT_EQ(ExportSoundAsWave("one.tpc", nullptr, &manager), kExportBadArgument);
  EXPECT_EQ(ExportSoundAsWave("one.tpc", "x.wav", nullptr), kExportBadArgument);  // no process-wide one
  EXPECT_EQ(ExportSoundAsWave("junk.tpc", "x.wav", &manager), kExportNoDecoder);
  EXPECT_EQ(ExportSoundAsWave("one.tpc", "nofolder\\x.wav", &manager), kExportWriteFailed);
  EXPECT_FALSE(std::filesystem::exists(folder_.HostPath("x.wav")));
}

// Delivers `piece` bytes of 0x11 on every read, without end, and claims
// 1000 bytes of 8 kHz 8-bit mono in all.
class EndlessDecoder final : public SoundDecoder {
 public:
  explicit EndlessDecoder(uint32_t piece) : piece_(piece) {}
  uint32_t GetLengthMs() override { return 125; }
  uint32_t GetTotalBytes() override { return 1000; }
  int32_t SeekMs(uint32_t) override { return 0; }
  uint32_t TellMs() override { return 0; }
  bool IsEnd() override { return false; }
  uint32_t Read(void* buffer, uint32_t bytes) override {
    std::memset(buffer, 0x11, std::min(bytes, piece_));
    return piece_;
  }
  const platform::WaveFormat* GetFormat() override { return &format_; }

 private:
  uint32_t piece_;
  platform::WaveFormat format_ = platform::WaveFormat::Pcm(8000, 1, 8);
};

class EndlessCodec final : public SoundCodec {
 public:
  explicit EndlessCodec(uint32_t piece) : piece_(piece) {}
  SoundDecoder* CreateDecoder(const std::shared_ptr<FileObject>&, int32_t*) override {
    return new EndlessDecoder(piece_);
  }

 private:
  uint32_t piece_;
};

TEST_F(SllManagerTest, ExportStopsADecoderThatNeverEndsOrDeliversTooMuch) {
  folder_.Write("any.snd", std::string("x"));
  const struct {
    uint32_t piece;
    uint32_t dataBytes;
  } cases[] = {
      {700, 1000 + 8000},          // cut a second past the announced length
      {kExportPieceBytes + 1, 0},  // more than asked: nothing is trusted
  };
  for (const auto& c : cases) {
    SllManager local;
    local.RegisterBuiltIn(new EndlessCodec(c.piece), "SND\0", "Endless", 50, nullptr, nullptr, nullptr);
    ASSERT_EQ(ExportSoundAsWave("any.snd", "any.wav", &local), kExportOk);
    EXPECT_EQ(std::filesystem::file_size(folder_.HostPath("any.wav")), kExportHeaderBytes + c.dataBytes)
        << c.piece;
  }
}

}  // namespace
}  // namespace orrivel
