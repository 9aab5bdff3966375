// The text opcodes: message ids and the skip button, choices and their
// disable flags, page ends and the page serial, the save caption, names
// and voices cut on character boundaries, the page commands and the font
// changes they replay, the face lookup, and where a taken choice lands.
#include <gtest/gtest.h>

#include <array>

#include "TgsFrameTestSupport.h"
#include "text/FakeInstalledFaces.h"
#include "text/FontFaceList.h"
#include "text/OutlineFont.h"

namespace orrivel {
namespace {

constexpr size_t kSettingSkipReadOnly = 5;
constexpr size_t kSettingHistory = 29;
constexpr size_t kSettingFace = 36;
constexpr size_t kSettingWeight = 71;

// A frame with a settings block, a script table for module T (so messages
// can be read) and opcode 15 as a probe the test fills in.
struct TextRig {
  FrameFixture f;
  std::array<uint8_t, 196> settings{};
  std::function<void(TgsFrame&)> probe;
  // The player's input: the pointer and keys, the control fired (a choice
  // while a list is up, else a bar button), the confirmation box's answer.
  InputControlHost controls;
  int32_t choiceTag = -1;
  int32_t barTag = -1;
  int32_t answer = 0;

  explicit TextRig(std::initializer_list<std::pair<size_t, uint8_t>> given = {}) {
    for (const auto& [index, value] : given) settings[index] = value;
    f.RemakeFrame([this](TgsFrameEnvironment& environment) {
      environment.settings = settings;
      environment.controls = &controls;
      environment.player.takeFiredTag = [this] { return Frame().ChoiceCount() > 0 ? choiceTag : barTag; };
      environment.player.confirm = [this](const std::string&) { return answer; };
    });
    f.disk.Put("SCRIPT\\TGS_INIT.DAT", tob::WriteScriptTable({{"T", 8, 16}}));
    EXPECT_EQ(f.frame->LoadInit("TGS_INIT.DAT"), 0);
    f.frame->Opcodes().Register(15, [this](TgsFrame& frame, const TgsArguments&) {
      if (probe) probe(frame);
      return 0;
    });
  }
  TgsFrame& Frame() { return *f.frame; }
  int32_t Play(const std::string& text) {
    f.AddStory("module T\n" + text + "\n");
    return f.Play("T");
  }
};

std::vector<bool> Enabled(TgsFrame& frame) {
  std::vector<bool> enabled;
  for (const TgsChoice& choice : frame.Choices().Items()) enabled.push_back(choice.enabled);
  return enabled;
}

TEST(TgsTextOpcodes, ChoiceListsAndTheirDisableFlags) {
  const struct {
    const char* name;
    const char* text;
    std::vector<std::vector<bool>> lists;  // each list as the probe saw it
  } cases[] = {
      {"5 and -1 disable nothing", "[disable_choice 5][disable_choice -1][choices _ \"a\" \"b\" \"c\" \"d\" \"e\" \"f\"][15]",
       {{true, true, true, true, true, true}}},
      {"flags go with the next list", "[disable_choice 1][choices _ \"a\" \"b\"][15][choices _ \"c\" \"d\"][15]",
       {{true, false}, {true, true}}},
      {"an omitted choice ends the list", "[choices _ \"a\" \"b\" \"c\" _ \"e\" \"f\" \"g\" \"h\"][15]",
       {{true, true, true}}},
      {"choices 5 to 7 are always enabled",
       "[disable_choice 0][disable_choice 1][disable_choice 2][disable_choice 3][disable_choice 4]"
       "[choices _ \"0\" \"1\" \"2\" \"3\" \"4\" \"5\" \"6\" \"7\"][15]",
       {{false, false, false, false, false, true, true, true}}},
  };
  for (const auto& c : cases) {
    TextRig rig;
    std::vector<std::vector<bool>> lists;
    rig.probe = [&lists](TgsFrame& frame) {
      lists.push_back(Enabled(frame));
      EXPECT_EQ(frame.ChoiceCount(), lists.back().size());
      EXPECT_FALSE(frame.ChoiceWaiting());
    };
    EXPECT_EQ(rig.Play(c.text), 0) << c.name;
    EXPECT_EQ(lists, c.lists) << c.name;
  }
}

TEST(TgsTextOpcodes, ChoicesAfterTextShowThePageAndAfterNoneMarkTheMessageRead) {
  TextRig rig;
  ASSERT_EQ(rig.Play("[message 2][choices 0 \"a\"][message 3]Hello[choices 0 \"b\"]"), 0);
  EXPECT_TRUE(rig.Frame().IsMessageRead(2));
  // Only the page with text was shown, without waiting: one frame, and its
  // message is read once shown.
  EXPECT_EQ(rig.f.pumps, 1);
  EXPECT_TRUE(rig.Frame().IsMessageRead(3));
  EXPECT_TRUE(rig.Frame().Page().Empty());
}

TEST(TgsTextOpcodes, PageEndAndChoiceWaitAdvanceThePageSerial) {
  TextRig rig;
  rig.controls.pointer.pressed = {0};  // a click every frame
  rig.choiceTag = 21;                  // the second choice
  std::vector<int> serials;
  rig.probe = [&serials](TgsFrame& frame) { serials.push_back(frame.PageSerial()); };
  ASSERT_EQ(rig.Play("[15]A[page][15][choose][15][choices 0 \"a\" \"b\"][choose][15]"), 0);
  // A choice wait with no list up does nothing.
  EXPECT_EQ(serials, (std::vector<int>{1, 2, 2, 3}));
  EXPECT_EQ(rig.Frame().ChoiceCount(), 0u);

  // A result of the wait stops the reading and keeps the serial: the
  // player goes back to the title.
  TextRig stopped;
  stopped.barTag = 11;
  stopped.answer = 1;
  EXPECT_EQ(stopped.Play("A[page]B"), 1);
  EXPECT_EQ(stopped.Frame().PendingResult(), 0);  // handed up once
  EXPECT_EQ(stopped.Frame().PageSerial(), 1);
}

TEST(TgsTextOpcodes, HistoryCommitRecordsThePageWithoutShowingIt) {
  for (const bool history : {false, true}) {
    TextRig rig({{kSettingHistory, uint8_t(history ? 20 : 0)}});
    ASSERT_EQ(rig.Play("[name \"A\" \"V\"]Hello[log_page]"), 0);
    EXPECT_TRUE(rig.Frame().Page().Empty());
    EXPECT_EQ(rig.Frame().SpeakerName(), "");
    EXPECT_EQ(rig.Frame().PageSerial(), 2);
    // Nothing was shown or waited for.
    EXPECT_EQ(rig.f.pumps, 0);
  }
}

TEST(TgsTextOpcodes, CaptionNameAndVoiceAreCutOnACharacterBoundary) {
  const std::string ten(10, 'x');
  const std::string kana = "あいうえおかきくけこ";  // ten two-byte characters
  const std::string kept = Sjis("あいうえおかき");    // seven of them
  const struct {
    const char* name;
    std::string text;
    std::string caption, speaker, voice;
  } cases[] = {
      {"50 bytes of caption keep 40", "[caption \"" + ten + ten + ten + ten + ten + "\"]", ten + ten + ten + ten, "", ""},
      {"a character across byte 40 goes whole", "[caption \"" + ten + ten + ten + "xxxxxxxxxあ\"]",
       ten + ten + ten + "xxxxxxxxx", "", ""},
      {"a 20-byte name keeps 16", "[name \"" + ten + ten + "\" \"v\"]", "", ten + "xxxxxx", "v"},
      {"one letter and ten two-byte characters keep 15", "[name \"a" + kana + "\" \"" + kana + "\"]", "", "a" + kept,
       kept},
      {"an omitted voice clears it", "[name \"b\" \"v\"][name \"c\"]", "", "c", ""},
  };
  for (const auto& c : cases) {
    TextRig rig;
    ASSERT_EQ(rig.Play(c.text), 0) << c.name;
    EXPECT_EQ(rig.Frame().SaveCaption(), c.caption) << c.name;
    EXPECT_EQ(rig.Frame().SpeakerName(), c.speaker) << c.name;
    EXPECT_EQ(rig.Frame().VoiceName(), c.voice) << c.name;
  }
}

TEST(TgsTextOpcodes, UnreadMessageLeavesSkipModeAndTheNextReadOneEnablesSkipping) {
  for (const bool readOnly : {false, true}) {
    TextRig rig({{kSettingSkipReadOnly, uint8_t(readOnly)}});
    rig.f.AddStory("module T\n[message 0][15][message 1][15]\n");
    ASSERT_EQ(rig.Frame().LoadScriptByName("T"), 0);
    rig.Frame().MarkMessageRead(1);
    rig.Frame().SetSkipByKey(true);
    std::vector<std::pair<bool, int>> seen;  // skip mode, button 5
    rig.probe = [&seen](TgsFrame& frame) {
      seen.emplace_back(frame.SkipByKey(), frame.ButtonState(TgsFrame::kSkipToChoice));
    };
    ASSERT_EQ(rig.Frame().ReadText(), 0);
    if (readOnly) {
      EXPECT_EQ(seen, (std::vector<std::pair<bool, int>>{{false, 0}, {false, 1}}));
    } else {
      EXPECT_EQ(seen, (std::vector<std::pair<bool, int>>{{true, 1}, {true, 1}}));
    }
    EXPECT_EQ(rig.Frame().MessageId(), 1);
    EXPECT_TRUE(rig.Frame().AlreadyRead());
  }
}

TEST(TgsTextOpcodes, TakenChoiceLandsInTheVariableOfOptionWordZero) {
  TextRig rig;
  const uint32_t variable = rig.f.host.LiveRecords()[0].address;  // $n
  rig.Frame().OptionWords()[0] = int32_t(variable);
  // Argument 9 is this choice point's first bit in the flag array.
  ASSERT_EQ(rig.Play("[choices _ \"a\" \"b\" _ _ _ _ _ _ 4]"), 0);
  EXPECT_FALSE(rig.Frame().TakeChoice(2));
  EXPECT_TRUE(rig.Frame().TakeChoice(1));
  EXPECT_EQ(rig.f.Variable("n"), 1u);
  const BitArray& flags = rig.Frame().ScriptTable().entries[0].b;
  EXPECT_TRUE(flags.Test(5));
  EXPECT_FALSE(flags.Test(4));

  // Words that are no variable's address write nothing.
  for (const int32_t word : {0, 1, -4, 0x7FFFFFF0}) {
    TextRig other;
    other.Frame().OptionWords()[0] = word;
    ASSERT_EQ(other.Play("[choices 0 \"a\"]"), 0);
    EXPECT_TRUE(other.Frame().TakeChoice(0)) << word;
    EXPECT_EQ(other.f.Variable("n"), 0u);
  }
}

class FaceSource : public ::testing::Test {
 protected:
  FakeInstalledFaces faces_;
};

TEST_F(FaceSource, ResolveFontFace) {
  const std::string gothic = Sjis("ＭＳ ゴシック");
  const std::string mincho = Sjis("ＭＳ 明朝");
  const struct {
    std::string list;
    bool vertical;
    int32_t result;
    std::string face;
  } cases[] = {
      {"", false, 1, ""},
      {mincho, false, 0, mincho},
      {"Nothing,  " + gothic + ", " + mincho, false, 0, gothic},
      {"@" + mincho, false, 0, mincho},
      {mincho, true, 0, "@" + mincho},
      {"Latin Sans", false, 0, ""},  // not a Shift-JIS face
      {"Nothing, Else", false, 0, ""},
      {std::string(32, 'L') + "," + mincho, false, 2, ""},
      {std::string(31, 'L') + "," + mincho, false, 0, mincho},
  };
  for (const auto& c : cases) {
    FontFaceList installed;
    std::string face = "old";
    EXPECT_EQ(TgsFrame::ResolveFontFace(face, c.list, c.vertical, installed), c.result) << c.list;
    EXPECT_EQ(face, c.face) << c.list;
  }
  // The list is filled once, when empty.
  FontFaceList installed;
  std::string face;
  TgsFrame::ResolveFontFace(face, mincho, false, installed);
  EXPECT_EQ(installed.CharSet(), 128);
  EXPECT_EQ(installed.Faces().size(), 3u);  // the Shift-JIS faces but the hidden one
}

TEST_F(FaceSource, PageCommandsAreKeptWhenReadAndActWhenReplayed) {
  QuietControlHost controls;
  TextRig rig({{kSettingWeight, 7}});
  const std::string mincho = Sjis("ＭＳ 明朝");
  for (size_t i = 0; i < mincho.size(); ++i) rig.settings[kSettingFace + i] = uint8_t(mincho[i]);
  rig.f.RemakeFrame([&](TgsFrameEnvironment& environment) {
    environment.settings = rig.settings;
    environment.controls = &controls;
  });
  ASSERT_EQ(rig.Frame().SetupMessageWindow(nullptr), 0);
  ASSERT_EQ(rig.Play("A[br]B[ruby]C[ruby_text \"る\"]D[font 30 0x0000FF -1 \"user\"][font 0 -1 _][font 20]"), 0);
  OutlineFont* first = rig.Frame().GetFont(TgsFrame::kPageFont1);
  OutlineFont* second = rig.Frame().GetFont(TgsFrame::kPageFont2);
  ASSERT_TRUE(first && second);
  // Nothing acted yet: the commands wait in the page.
  EXPECT_NE(first->PixelHeight(), 30);
  const int32_t secondHeight = second->PixelHeight();

  // The page's commands in order, replayed one by one as the message
  // window does.
  std::vector<size_t> records;
  const uint8_t* page = rig.Frame().Page().Data();
  const size_t size = rig.Frame().Page().Size();
  for (size_t at = 0; at + 1 < size; ++at)
    if (page[at] == 0 && page[at + 1] == '[') records.push_back(at + 2);
  ASSERT_EQ(records.size(), 6u);
  auto replay = [&](size_t n) {
    size_t taken = 0;
    EXPECT_EQ(rig.Frame().ReplayPageCommand(page + records[n], size - records[n], taken), 0);
  };
  // No line feed while the history's window measures its page.
  rig.Frame().SetMeasuringHistory(true);
  replay(0);
  rig.Frame().SetMeasuringHistory(false);
  // Outside a run there is no message window: line feed and ruby find
  // nothing to act on and leave the fonts as they are.
  ASSERT_EQ(rig.Frame().CurrentWindow(), nullptr);
  for (size_t n = 0; n < 3; ++n) replay(n);
  EXPECT_NE(first->PixelHeight(), 30);
  EXPECT_EQ(second->PixelHeight(), secondHeight);

  // Size 30, blue text, edge -1 as black, and "user": the player's face,
  // the first font made again with weight byte 71, the second on that face.
  replay(3);
  EXPECT_EQ(first->PixelHeight(), 30);
  EXPECT_EQ(std::string(first->Logical().faceName), mincho);
  EXPECT_EQ(first->Logical().weight, 700);
  EXPECT_EQ(std::string(second->Logical().faceName), mincho);
  EXPECT_EQ(second->PixelHeight(), secondHeight);
  EXPECT_EQ((std::array<int, 6>{first->textRed, first->textGreen, first->textBlue, second->effectRed,
                                second->effectGreen, second->effectBlue}),
            (std::array<int, 6>{255, 0, 0, 0, 0, 0}));
  EXPECT_EQ(rig.Frame().PageFontMarker(), 3);
  // A size below 1 is 26 and colour -1 white; then a size alone.
  replay(4);
  EXPECT_EQ(first->PixelHeight(), 26);
  EXPECT_EQ((std::array<int, 3>{second->textRed, second->textGreen, second->textBlue}),
            (std::array<int, 3>{255, 255, 255}));
  replay(5);
  EXPECT_EQ(first->PixelHeight(), 20);
  EXPECT_EQ(std::string(first->Logical().faceName), mincho);
  EXPECT_EQ(rig.Frame().PageFontMarker(), 3);
}

}  // namespace
}  // namespace orrivel
