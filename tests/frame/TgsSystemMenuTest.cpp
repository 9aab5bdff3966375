#include "frame/TgsSystemMenu.h"

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <string>
#include <vector>

namespace orrivel {
namespace {

// A game around the menu that records what the menu asks of it and plays
// a script of inputs, one entry per frame.
class FakeMenuPort final : public TgsSystemMenuPort {
 public:
  struct Frame {
    int32_t activated = -1;
    bool dismiss = false;
    bool leftOutside = false;
  };
  std::deque<Frame> frames;
  int closeAfter = 1000;
  int32_t parts = 12;
  int32_t pointerX = 500, pointerY = 300, edge = 0;
  std::deque<int32_t> answers;
  bool saveWorks = false, damaged = false;
  std::optional<std::string> caption, fileName;
  bool fadeMade = true;

  int pumps = 0, opened = 0, closed = 0, baseFreed = 0, fadeDeleted = 0, autoRestarts = 0, quitFades = 0, quitRequests = 0;
  int fadesIn = 0, fadesOut = 0;
  int32_t baseX = -1, baseY = -1, itemsX = -1, itemsY = -1, focused = -1, glideX = -1, glideY = -1;
  std::map<int32_t, bool> enabled;
  std::map<int32_t, bool> state;
  std::map<int32_t, std::string> names;
  std::vector<int32_t> sounds;
  std::vector<std::string> asked, notices, logs;
  std::string currentSave;

  int Pump() override {
    ++pumps;
    return pumps > closeAfter ? 0 : 1;
  }
  void OpenControls() override { ++opened; }
  void CloseControls() override { ++closed; }
  int32_t LoadItems() override { return parts; }
  void PlaceItems(int32_t x, int32_t y) override { itemsX = x, itemsY = y; }
  bool PlaceBase(int32_t x, int32_t y) override {
    baseX = x, baseY = y;
    return true;
  }
  void FreeBase() override { ++baseFreed; }
  void SetItemEnabled(int32_t item, bool on) override { enabled[item] = on; }
  void SetItemState(int32_t item, bool on) override { state[item] = on; }
  void SetItemName(int32_t item, const char* utf8) override { names[item] = utf8; }
  void ItemPosition(int32_t item, int32_t& left, int32_t& top) override {
    left = itemsX + 5;
    top = itemsY + 43 + 24 * item - 12;
  }
  void PointerPosition(int32_t& x, int32_t& y) override { x = pointerX, y = pointerY; }
  int32_t PointerEdge() override { return edge; }
  void PlaySound(int32_t effect) override { sounds.push_back(effect); }
  bool MakeFade() override { return fadeMade; }
  void FadeParts(bool show) override { ++(show ? fadesIn : fadesOut); }
  bool FadeFinished() override { return true; }
  void DeleteFade() override { ++fadeDeleted; }
  void FocusItem(int32_t item) override { focused = item; }
  int32_t GlidePointer(int32_t x, int32_t y, uint32_t) override {
    glideX = x, glideY = y;
    return 0;
  }
  int32_t UpdateControls() override { return Current().activated; }
  void ResetActivation() override {}
  bool DismissPressed() override { return Current().dismiss; }
  bool LeftPressedOutside() override { return Current().leftOutside; }
  int32_t Confirm(const std::string& utf8, bool) override {
    asked.push_back(utf8);
    if (answers.empty()) return 0;
    const int32_t answer = answers.front();
    answers.pop_front();
    return answer;
  }
  void Notice(const std::string& utf8, int32_t) override { notices.push_back(utf8); }
  bool QuickSave() override { return saveWorks; }
  std::optional<std::string> QuickSaveCaption() override { return caption; }
  std::optional<std::string> QuickSaveFileName() override { return fileName; }
  bool QuickSaveDamaged() override { return damaged; }
  void SetCurrentSaveFile(const std::string& name) override { currentSave = name; }
  void QuitFade() override { ++quitFades; }
  void RequestQuit() override { ++quitRequests; }
  void RestartAutoTimer() override { ++autoRestarts; }
  void Log(const std::string& line) override { logs.push_back(line); }

  // Every ending leaves nothing behind.
  void ExpectTidied() const {
    EXPECT_EQ(closed, opened);
    EXPECT_EQ(baseFreed, 1);
  }

 private:
  Frame Current() {
    // The input of the frame just pumped; an idle frame once the script ends.
    while (int(consumed_) < pumps && !frames.empty()) {
      current_ = frames.front();
      frames.pop_front();
      ++consumed_;
    }
    if (int(consumed_) < pumps) current_ = Frame{};
    return current_;
  }
  size_t consumed_ = 0;
  Frame current_;
};

struct MenuRig {
  std::vector<uint8_t> settings = std::vector<uint8_t>(196, 0);
  FakeMenuPort port;
  TgsSystemMenuState state;
  MenuRig() {
    state.actionEnabled.fill(true);
    state.settings = settings;
  }
  int32_t Show() {
    state.settings = settings;
    TgsSystemMenu menu(port, state);
    return menu.Show();
  }
  // Chooses the item on the first frame.
  int32_t Choose(int32_t item) {
    port.frames.push_back({item, false, false});
    return Show();
  }
};

TEST(SystemMenuTest, PlacementFollowsThePointerTheDefaultItemAndTheEdges) {
  struct Case {
    int32_t x, y;
    uint8_t item;
    int32_t edge;
    SystemMenuPlacement expected;
  };
  const Case cases[] = {
      {10, 10, 0, 0, {0, 0, true, false}},
      {640, 700, 7, 0, {566, 390, true, false}},
      {640, 300, 0, 0, {566, 257, false, false}},
      {1279, 719, 0, 0, {1132, 390, true, true}},
      {-2, 300, 0, 4, {0, 257, true, false}},
      {-2, 300, 0, 0, {1132, 257, true, false}},
      {640, -2, 0, 8, {566, 0, true, false}},
      {640, -2, 0, 0, {566, 390, true, false}},
      {-1, 300, 0, 4, {1132, 0, true, false}},
      {-5, -7, 0, 0, {1132, 0, true, false}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
    const SystemMenuPlacement at = PlaceSystemMenu(c.x, c.y, c.item, c.edge);
    EXPECT_EQ(at.x, c.expected.x);
    EXPECT_EQ(at.y, c.expected.y);
    EXPECT_EQ(at.moved, c.expected.moved);
    EXPECT_EQ(at.keyboard, c.expected.keyboard);
  }
}

TEST(SystemMenuTest, OpeningGlidesToTheDefaultItemOrFocusesItFromTheKeyboard) {
  MenuRig rig;
  rig.port.pointerX = rig.port.pointerY = 10;
  rig.port.frames.push_back({-1, true, false});
  EXPECT_EQ(rig.Show(), -1);
  EXPECT_EQ(rig.port.baseX, 0);
  EXPECT_EQ(rig.port.baseY, 0);
  EXPECT_EQ(rig.port.glideX, 5 + 63);
  EXPECT_EQ(rig.port.glideY, 43 - 12 + 12);
  EXPECT_EQ(rig.port.focused, -1);
  // Opening and dismissing both play sound 1; the parts fade in and out.
  EXPECT_EQ(rig.port.sounds, (std::vector<int32_t>{1, 1}));
  EXPECT_EQ(rig.port.fadesIn, 1);
  EXPECT_EQ(rig.port.fadesOut, 1);
  rig.port.ExpectTidied();

  MenuRig keys;
  keys.port.pointerX = 1279;
  keys.port.pointerY = 719;
  keys.port.frames.push_back({-1, false, true});
  EXPECT_EQ(keys.Show(), -1);
  EXPECT_EQ(keys.port.baseX, 1132);
  EXPECT_EQ(keys.port.baseY, 390);
  EXPECT_EQ(keys.port.focused, 0);
  EXPECT_EQ(keys.port.glideX, -1);
  // Byte 189 turns the fades off.
  MenuRig still;
  still.settings[189] = 1;
  still.port.frames.push_back({-1, true, false});
  EXPECT_EQ(still.Show(), -1);
  EXPECT_EQ(still.port.fadesIn + still.port.fadesOut, 0);
  EXPECT_EQ(still.port.fadeDeleted, 0);
}

TEST(SystemMenuTest, ItemsAreEnabledByTheActionsAndTheSwitches) {
  MenuRig rig;
  rig.state.saveAllowed = false;
  rig.state.actionEnabled[6] = false;
  rig.state.autoPlay = true;
  rig.port.frames.push_back({-1, true, false});
  rig.Show();
  const std::map<int32_t, bool> expected = {{0, false}, {1, true},  {2, true}, {3, true},  {4, true},  {5, false},
                                            {6, true},  {7, false}, {8, true}, {9, true}, {10, true}, {11, true}};
  EXPECT_EQ(rig.port.enabled, expected);
  EXPECT_EQ(rig.port.state[0], true);
  EXPECT_EQ(rig.port.names[1], "次の選択肢までスキップ");
  EXPECT_EQ(rig.port.autoRestarts, 1);

  MenuRig load;
  load.state.loadAllowed = false;
  load.state.actionEnabled[5] = false;
  load.port.frames.push_back({-1, true, false});
  load.Show();
  EXPECT_FALSE(load.port.enabled[6]);
  EXPECT_FALSE(load.port.enabled[8]);
  EXPECT_TRUE(load.port.enabled[5]);
  EXPECT_EQ(load.port.names.count(1), 0u);
}

TEST(SystemMenuTest, ChoicesGiveTheirResultsAndRequests) {
  struct Case {
    int32_t item;
    uint8_t confirmPrevious;
    std::vector<int32_t> answers;
    int32_t result;
    int32_t request;
    size_t asked;
  };
  const Case cases[] = {
      {0, 0, {}, 9, 0, 0},   {1, 0, {}, 8, 0, 0},    {3, 0, {}, 10, 0, 0},   {4, 0, {}, 11, 0, 0},
      {5, 0, {}, 12, 0, 0},  {6, 0, {}, 13, 0, 0},   {9, 0, {}, 16, 0, 0},   {2, 0, {}, 5, 3, 0},
      {2, 1, {1}, 5, 3, 1},  {2, 1, {0}, -1, 0, 1},  {2, 1, {-1}, -2, 0, 1}, {10, 0, {1}, 7, 1, 1},
      {10, 0, {2}, -1, 0, 1}, {11, 0, {0}, -1, 0, 1}, {11, 0, {1}, -2, 0, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.item);
    MenuRig rig;
    rig.settings[172] = c.confirmPrevious;
    rig.port.answers.assign(c.answers.begin(), c.answers.end());
    EXPECT_EQ(rig.Choose(c.item), c.result);
    EXPECT_EQ(rig.state.pendingRequest, c.request);
    EXPECT_EQ(rig.port.asked.size(), c.asked);
    rig.port.ExpectTidied();
  }
  EXPECT_EQ(TgsSystemMenu::ActionOfResult(8), 5);
  EXPECT_EQ(TgsSystemMenu::ActionOfResult(12), 3);
  EXPECT_EQ(TgsSystemMenu::ActionOfResult(16), 8);
}

TEST(SystemMenuTest, QuitAfterYesFadesWhenByte85AskedAndAQuitFromThePumpTidiesUp) {
  MenuRig rig;
  rig.settings[85] = 1;
  rig.port.answers = {1};
  EXPECT_EQ(rig.Choose(11), -2);
  EXPECT_EQ(rig.port.quitFades, 1);
  EXPECT_EQ(rig.port.quitRequests, 1);  // the program is asked to end
  EXPECT_EQ(rig.port.asked.at(0), "ゲームを終了します。\nよろしいですか？");
  rig.port.ExpectTidied();
  EXPECT_EQ(rig.port.fadeDeleted, 1);

  MenuRig closing;
  closing.port.closeAfter = 0;
  EXPECT_EQ(closing.Show(), -2);
  closing.port.ExpectTidied();
  EXPECT_EQ(closing.port.fadeDeleted, 1);
}

TEST(SystemMenuTest, QuickSaveAndQuickLoadShowTheirNotices) {
  MenuRig failed;  // saves decline until they are built
  EXPECT_EQ(failed.Choose(7), -1);
  EXPECT_EQ(failed.port.notices, (std::vector<std::string>{"クイックセーブに失敗しました"}));
  MenuRig saved;
  saved.port.saveWorks = true;
  EXPECT_EQ(saved.Choose(7), -1);
  EXPECT_EQ(saved.port.notices, (std::vector<std::string>{"クイックセーブを実行しました"}));

  MenuRig none;
  EXPECT_EQ(none.Choose(8), -1);
  EXPECT_EQ(none.port.notices, (std::vector<std::string>{"クイックセーブデータは存在しません"}));
  EXPECT_EQ(none.state.pendingRequest, 0);
  MenuRig asked;
  asked.settings[173] = 1;
  EXPECT_EQ(asked.Choose(8), -1);
  EXPECT_EQ(asked.port.notices, (std::vector<std::string>{"クイックセーブデータは存在しません"}));
  for (const uint8_t ask : {0, 1}) {
    MenuRig damaged;
    damaged.settings[173] = ask;
    damaged.port.damaged = true;
    EXPECT_EQ(damaged.Choose(8), -1);
    EXPECT_EQ(damaged.port.notices, (std::vector<std::string>{"クイックセーブデータが壊れているためロードできません"}));
    EXPECT_EQ(damaged.state.pendingRequest, 0);
  }

  MenuRig load;
  load.port.fileName = "SAVE/QUICK.SAV";
  EXPECT_EQ(load.Choose(8), 6);
  EXPECT_EQ(load.state.pendingRequest, 2);
  EXPECT_EQ(load.port.currentSave, "SAVE/QUICK.SAV");
  EXPECT_EQ(load.port.notices, (std::vector<std::string>{"クイックロードを実行しました"}));
  MenuRig confirmed;
  confirmed.settings[173] = 1;
  confirmed.port.caption = "12/10 08:00";
  confirmed.port.fileName = "SAVE/QUICK.SAV";
  confirmed.port.answers = {1};
  EXPECT_EQ(confirmed.Choose(8), 6);
  EXPECT_EQ(confirmed.port.asked.at(0), "12/10 08:00をロードしますか？");
  EXPECT_EQ(confirmed.port.sounds.back(), 0);
}

TEST(SystemMenuTest, ALayoutOfAnotherCountIsRefusedBeforeAnyItemIsUsed) {
  MenuRig rig;
  rig.port.parts = 11;
  EXPECT_EQ(rig.Show(), -1);
  ASSERT_EQ(rig.port.logs.size(), 1u);
  EXPECT_NE(rig.port.logs[0].find("SYS/SM_BG.GMP"), std::string::npos);
  EXPECT_TRUE(rig.port.enabled.empty());
  EXPECT_EQ(rig.port.baseX, -1);
  EXPECT_EQ(rig.port.closed, 1);
}

}  // namespace
}  // namespace orrivel
