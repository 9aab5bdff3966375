// The Ogg Vorbis codec: binding the decoding library by name, the decoder's
// format and length, reading, seeking, and what it leaves for the next codec
// when the file is not its own.
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "OggFixture.h"
#include "TestPcmCodec.h"
#include "platform/PathResolver.h"
#include "resource/TempFolder.h"
#include "sound/SllManager.h"
#include "sound/VorbisCodec.h"
#include "sound/VorbisDecoder.h"
#include "TestBuildDirs.h"

namespace orrivel {
namespace {

using testing::EncodeOgg;
using testing::Sine;

// A stream that refuses every seek.
class UnseekableFile final : public FileObject {
 public:
  int SeekSet(uint32_t) override { return kFileObjectSeekFailed; }
  int SeekCurrent(int32_t) override { return kFileObjectSeekFailed; }
  int SeekEnd(uint32_t) override { return kFileObjectSeekFailed; }
};

class VorbisCodecTest : public testing::GameFolderTest {
 protected:
  std::shared_ptr<FileObject> Load(const std::string& name, const std::vector<uint8_t>& bytes) {
    folder_.Write(name, bytes);
    auto file = std::make_shared<FileObject>();
    EXPECT_EQ(file->Open(name), 0);
    return file;
  }
  SoundDecoderPtr Decode(const std::shared_ptr<FileObject>& file, int32_t* error) {
    return SoundDecoderPtr(codec.CreateDecoder(file, error));
  }
  static std::vector<uint8_t> ReadAll(SoundDecoder& decoder) {
    std::vector<uint8_t> pcm;
    uint8_t piece[8192];
    while (uint32_t got = decoder.Read(piece, sizeof piece)) pcm.insert(pcm.end(), piece, piece + got);
    return pcm;
  }

  VorbisCodec codec{VorbisCodec::DefaultLibraryPath()};
};

TEST_F(VorbisCodecTest, FormatLengthAndTotalsFollowTheStream) {
  ASSERT_TRUE(codec.IsActive());
  const struct {
    uint32_t rate;
    int channels;
    uint32_t frames;
    uint16_t blockAlign;
    uint32_t bytesPerSecond;
    uint32_t totalBytes;
    uint32_t lengthMs;
  } cases[] = {
      {44100, 2, 88200, 4, 176400, 352800, 2000},
      {22050, 1, 11025, 2, 44100, 22050, 500},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.rate);
    auto file = Load("tone.ogg", EncodeOgg(c.rate, c.channels, Sine(c.rate, c.channels, c.frames, 440, 8000)));
    int32_t error = -1;
    SoundDecoderPtr decoder = Decode(file, &error);
    ASSERT_TRUE(decoder);
    EXPECT_EQ(error, kSllOk);
    const platform::WaveFormat& format = *decoder->GetFormat();
    EXPECT_EQ(format.formatTag, platform::kWaveFormatPcm);
    EXPECT_EQ(format.channels, c.channels);
    EXPECT_EQ(format.samplesPerSec, c.rate);
    EXPECT_EQ(format.blockAlign, c.blockAlign);
    EXPECT_EQ(format.avgBytesPerSec, c.bytesPerSecond);
    EXPECT_EQ(format.bitsPerSample, 16);
    EXPECT_EQ(format.extraSize, 0);  // PCM has no extra bytes
    EXPECT_EQ(decoder->GetTotalBytes(), c.totalBytes);
    EXPECT_EQ(decoder->GetLengthMs(), c.lengthMs);
    EXPECT_EQ(ReadAll(*decoder).size(), c.totalBytes);
    EXPECT_TRUE(decoder->IsEnd());
  }
}

TEST_F(VorbisCodecTest, SeekingBackToTheStartRereadsTheFirstSamples) {
  auto file = Load("tone.ogg", EncodeOgg(44100, 2, Sine(44100, 2, 88200, 440, 12000)));
  SoundDecoderPtr decoder = Decode(file, nullptr);
  ASSERT_TRUE(decoder);
  std::vector<uint8_t> first(4096), again(4096);
  ASSERT_EQ(decoder->Read(first.data(), 4096), 4096u);
  ReadAll(*decoder);
  ASSERT_TRUE(decoder->IsEnd());
  EXPECT_EQ(decoder->Read(again.data(), 4096), 0u);  // the end is sticky

  EXPECT_EQ(decoder->SeekMs(0), kVorbisSeekOk);
  EXPECT_FALSE(decoder->IsEnd());
  ASSERT_EQ(decoder->Read(again.data(), 4096), 4096u);
  EXPECT_EQ(again, first);

  EXPECT_EQ(decoder->SeekMs(2000), kVorbisSeekPastEnd);
  EXPECT_EQ(decoder->SeekMs(5000), kVorbisSeekPastEnd);
  EXPECT_EQ(decoder->SeekMs(1500), kVorbisSeekOk);
  EXPECT_EQ(decoder->TellMs(), 1500u);
  EXPECT_EQ(ReadAll(*decoder).size(), 352800u - 1500u * 176400u / 1000u);
}

TEST_F(VorbisCodecTest, AStreamThatIsNotOggIsLeftAtItsStartForTheNextCodec) {
  std::vector<uint8_t> pcm(400);
  for (size_t i = 0; i < pcm.size(); ++i) pcm[i] = uint8_t(i);
  auto file = Load("voice.ogg", testing::MakeTestPcm(22050, 1, 16, pcm));
  int32_t error = -1;
  EXPECT_FALSE(Decode(file, &error));
  EXPECT_EQ(error, kVorbisNotVorbis);
  EXPECT_EQ(file->Tell(), 0);
  testing::TestPcmCodec next;
  SoundDecoderPtr decoder(next.CreateDecoder(file, &error));
  ASSERT_TRUE(decoder);
  EXPECT_EQ(decoder->GetTotalBytes(), 400u);

  // The manager falls back the same way for a file named .ogg.
  SllManager manager;
  ASSERT_TRUE(VorbisCodec::Register(manager, VorbisCodec::DefaultLibraryPath()));
  manager.RegisterBuiltIn(new testing::TestPcmCodec(), "TPC\0", "Test", 40, nullptr, nullptr, nullptr);
  SoundDecoderPtr fallback(manager.CreateDecoder("voice.ogg", nullptr, false, &error));
  ASSERT_TRUE(fallback);
  EXPECT_EQ(fallback->GetTotalBytes(), 400u);
  EXPECT_EQ(manager.Records()[0].typeString, VorbisCodec::kTypeString);
  EXPECT_EQ(manager.FindByExtension("A.OGG"), manager.FindCodecByType(SllManager::kOggType));
}

TEST_F(VorbisCodecTest, BrokenStreamsFailOrEndCleanly) {
  const std::vector<uint8_t> whole = EncodeOgg(44100, 1, Sine(44100, 1, 44100, 300, 9000));
  int32_t error = -1;
  // Cut inside the headers: not a stream the library can open.
  EXPECT_FALSE(Decode(Load("a.ogg", {whole.begin(), whole.begin() + 60}), &error));
  EXPECT_EQ(error, kVorbisNotVorbis);
  EXPECT_FALSE(Decode(Load("b.ogg", {'O'}), &error));
  EXPECT_EQ(error, kVorbisNotVorbis);
  // Cut in the audio: what decodes ends, and no more than the whole file.
  SoundDecoderPtr cut = Decode(Load("c.ogg", {whole.begin(), whole.begin() + whole.size() / 2}), &error);
  if (cut) {
    EXPECT_LE(ReadAll(*cut).size(), 88200u);
  }
  // A stream whose seeks are refused is reported as such, not decoded from
  // the wrong place.
  auto unseekable = std::make_shared<UnseekableFile>();
  folder_.Write("d.ogg", whole);
  ASSERT_EQ(unseekable->Open("d.ogg"), 0);
  EXPECT_FALSE(Decode(unseekable, &error));
  EXPECT_EQ(error, kVorbisNotSeekable);
  EXPECT_FALSE(Decode(nullptr, &error));
  EXPECT_EQ(error, kSllNoStream);
}

TEST_F(VorbisCodecTest, AMissingIncompleteOrTooLargeLibraryLeavesTheCodecUnregistered) {
  const std::string partial = *platform::ToInternalPath(ORRIVEL_TEST_VORBIS_DIR "wuvorbis_partial.dll");
  const std::string large = *platform::ToInternalPath(ORRIVEL_TEST_VORBIS_DIR "wuvorbis_large.dll");
  const std::string missing = *platform::ToInternalPath(ORRIVEL_TEST_VORBIS_DIR "nothing.dll");
  for (const std::string& name : {partial, large, missing}) {
    SCOPED_TRACE(name);
    VorbisCodec inactive(name);
    EXPECT_FALSE(inactive.IsActive());
    int32_t error = 0;
    auto file = Load("x.ogg", EncodeOgg(8000, 1, Sine(8000, 1, 800, 300, 9000)));
    EXPECT_EQ(inactive.CreateDecoder(file, &error), nullptr);
    EXPECT_EQ(error, kSllAssistNotOffered);
    SllManager manager;
    EXPECT_FALSE(VorbisCodec::Register(manager, name));
    EXPECT_TRUE(manager.Records().empty());
  }
}

// A stand-in library whose reads answer a script of results, for the
// failures a real file cannot be made to produce on demand.
struct ScriptedLibrary {
  static inline std::vector<long> results;
  static inline size_t next = 0;
  static inline vorbis::WuInfo info{0, 1, 8000};

  static std::shared_ptr<VorbisEntries> Entries() {
    auto e = std::make_shared<VorbisEntries>();
    e->clear = [](void*) { return 0; };
    e->openCallbacks = [](void*, void*, const char*, long, vorbis::WuCallbacks) { return 0; };
    e->seekable = [](void*) { return 1L; };
    e->pcmTotal = [](void*, int) { return int64_t(8000); };
    e->timeTotal = [](void*, int) { return 1.0; };
    e->rawTell = [](void*) { return int64_t(0); };
    e->info = [](void*, int) { return static_cast<const vorbis::WuInfo*>(&info); };
    e->read = [](void*, char* buffer, int bytes, int, int, int, int*) -> long {
      const long r = next < results.size() ? results[next++] : 0;
      if (r > 0) std::memset(buffer, 0x11, size_t(std::min<long>(r, bytes)));
      return r;
    };
    return e;
  }
};

TEST_F(VorbisCodecTest, ReadStopsAtAnyLibraryFailureWithWhatItDelivered) {
  const struct {
    std::vector<long> results;
    uint32_t delivered;
    bool end;
  } cases[] = {
      {{100, 0}, 100, true},
      {{100, vorbis::kWuHole, 50}, 100, false},
      {{100, vorbis::kWuBadLink}, 100, false},
      {{100, -128}, 100, false},  // a read error
      {{-131, 100}, 0, false},    // an invalid state
      {{600, 600}, 1000, false},  // never more than asked
  };
  for (const auto& c : cases) {
    ScriptedLibrary::results = c.results;
    ScriptedLibrary::next = 0;
    VorbisDecoder decoder(ScriptedLibrary::Entries());
    ASSERT_EQ(decoder.Open(std::make_shared<FileObject>()), kVorbisOpenOk);
    std::vector<uint8_t> buffer(1000);
    EXPECT_EQ(decoder.Read(buffer.data(), 1000), c.delivered);
    EXPECT_EQ(decoder.IsEnd(), c.end);
  }
}

}  // namespace
}  // namespace orrivel
