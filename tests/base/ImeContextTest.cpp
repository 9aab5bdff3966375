// The input-method context: changes of the composition reported once, the
// cut to the buffer on a character boundary, positions in bytes, and the
// open state through the window's text input.
#include "base/ImeContext.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ImeService.h"
#include "platform/TextCodec.h"
#include "platform/headless/HeadlessBackend.h"
#include "scene/FakeImeService.h"

namespace orrivel {
namespace {

class ImeContextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::Ime().Reset();
    backend.RegisterClass(platform::WindowClass{"I"});
    platform::WindowCreateParams params;
    params.className = "I";
    params.client = &client;
    window = backend.CreateWindow(params);
    ASSERT_NE(window, platform::kNoWindow);
  }
  void TearDown() override { platform::Ime().Reset(); }
  void Compose(const std::string& utf8, int32_t cursor = 0) { platform::Ime().SetComposition(window, utf8, cursor); }
  static std::string Sjis(const char* utf8) { return platform::Utf8ToCp932Lossy(utf8); }

  struct Client : platform::WindowClient {
    intptr_t WindowProcedure(platform::WindowId w, uint32_t m, uintptr_t wp, intptr_t lp) override {
      return platform::CurrentBackend().DefWindowProc(w, m, wp, lp);
    }
  } client;
  platform::HeadlessBackend backend;
  platform::ScopedBackend scoped{backend};
  platform::WindowId window = platform::kNoWindow;
};

TEST_F(ImeContextTest, ChangesAreReportedOnceAndACancelIsForgotten) {
  ImeContext ime;
  ASSERT_TRUE(ime.Attach(window));
  EXPECT_EQ(ime.FetchString(), nullptr);
  Compose("かな");
  const char* first = ime.FetchString();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(std::string(first), Sjis("かな"));
  EXPECT_EQ(ime.FetchString(), nullptr);
  Compose("かなa");
  EXPECT_NE(ime.FetchString(), nullptr);
  EXPECT_EQ(ime.GetDeltaStart(), 4);
  Compose("");  // cancelled
  EXPECT_EQ(ime.FetchString(), nullptr);
  Compose("かなa");
  ASSERT_NE(ime.FetchString(), nullptr);  // the same text again is a change
}

TEST_F(ImeContextTest, LongCompositionsAreCutOnACharacterBoundary) {
  struct Case {
    const char* name;
    std::string utf8;
    size_t kept;
  };
  std::string kana64, ascii1kana63, ascii200(200, 'x');
  for (int i = 0; i < 64; ++i) kana64 += "あ";
  ascii1kana63 = "a";
  for (int i = 0; i < 63; ++i) ascii1kana63 += "あ";
  const Case cases[] = {
      {"128 bytes of two-byte characters", kana64, 126},
      {"exactly 127 bytes", ascii1kana63, 127},
      {"single bytes", ascii200, 127},
      {"short", "abc", 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ImeContext ime;
    ime.Attach(window);
    Compose(c.utf8);
    const char* text = ime.FetchString();
    ASSERT_NE(text, nullptr);
    std::string got(text);
    EXPECT_EQ(got.size(), c.kept);
    EXPECT_EQ(got, Sjis(c.utf8.c_str()).substr(0, c.kept));
    Compose("");
    ime.FetchString();
  }
}

TEST_F(ImeContextTest, PositionsOpenStateAndWhatCannotBeKnown) {
  ImeContext ime;
  ime.Attach(window);
  Compose("aかなb", 3);
  EXPECT_EQ(ime.GetCursorPos(), 5);  // "a" + two two-byte characters
  EXPECT_EQ(ime.GetCompositionClause(), 0);
  uint32_t conversion = 7, sentence = 7;
  EXPECT_FALSE(ime.GetConversion(&conversion, &sentence));
  EXPECT_EQ(ime.SetOpen(true), 0);
  EXPECT_TRUE(ime.GetOpen());
  EXPECT_TRUE(backend.IsTextInputEnabled(window));
  EXPECT_EQ(ime.SetOpen(false), 0);
  EXPECT_FALSE(ime.GetOpen());
  ime.SetCandidatePos(12, -3);
  EXPECT_EQ(ime.CandidateX(), 12);
  EXPECT_EQ(ime.CandidateY(), -3);
  // The candidate list goes there at once, and again when it opens.
  EXPECT_EQ(backend.TextInputSpot(window), (platform::Rect{12, -3, 12, -3}));
  backend.SetTextInputSpot(window, platform::Rect{});
  ime.PlaceCandidateWindow();
  EXPECT_EQ(backend.TextInputSpot(window), (platform::Rect{12, -3, 12, -3}));

  ImeContext detached;
  EXPECT_TRUE(detached.Attach(platform::kNoWindow));
  EXPECT_EQ(detached.SetOpen(true), 1);
  EXPECT_FALSE(detached.GetOpen());
  EXPECT_EQ(detached.FetchString(), nullptr);
  EXPECT_EQ(detached.GetCursorPos(), 0);
  detached.SetCandidatePos(5, 6);  // kept, placed nowhere
  EXPECT_EQ(detached.CandidateX(), 5);
  ImeContext gone;
  gone.Attach(0x7777);  // no such window
  EXPECT_EQ(gone.Context(), 0u);
  ime.Free();
  EXPECT_EQ(ime.Context(), 0u);
  EXPECT_EQ(ime.Window(), platform::kNoWindow);
}

TEST_F(ImeContextTest, AReplacedServiceTellsClausesAndModes) {
  test::FakeImeService fake;
  platform::ScopedImeService scopedIme(fake);
  EXPECT_EQ(&platform::Ime(), &fake);
  ImeContext ime;
  ime.Attach(window);
  fake.conversion = 0x19;
  fake.sentence = 0x8;
  fake.clauses = {0, 4, 10};
  Compose("かなかんじ", 2);
  EXPECT_EQ(ime.CurrentString(), nullptr);
  ASSERT_NE(ime.FetchString(), nullptr);
  EXPECT_EQ(std::string(ime.CurrentString()), Sjis("かなかんじ"));
  EXPECT_EQ(ime.FetchString(), nullptr);  // unchanged, still current
  EXPECT_NE(ime.CurrentString(), nullptr);
  EXPECT_EQ(ime.GetCompositionClause(), 4);
  std::vector<uint32_t> offsets;
  EXPECT_TRUE(ime.GetCompositionClauses(offsets));
  EXPECT_EQ(offsets, (std::vector<uint32_t>{0, 4, 10}));
  uint32_t conversion = 0, sentence = 0;
  EXPECT_TRUE(ime.GetConversion(&conversion, &sentence));
  EXPECT_EQ(conversion, 0x19u);
  EXPECT_EQ(sentence, 0x8u);
  Compose("", 0);
  EXPECT_EQ(ime.FetchString(), nullptr);
  EXPECT_EQ(ime.CurrentString(), nullptr);
  fake.Reset();
}

}  // namespace
}  // namespace orrivel
