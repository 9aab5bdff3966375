// The settings sheet over a working copy of the settings block: its byte
// map, key and button capture, the defaults button, OK and Cancel; and the
// routines that turn the block into bindings and sound settings.
#include "game/SettingsSheet.h"

#include <gtest/gtest.h>

#include <map>
#include <utility>
#include <vector>

#include "base/ActionMap.h"
#include "base/DefaultActionBindings.h"
#include "base/InputManager.h"
#include "base/JoystickSlots.h"
#include "game/GameApplication.h"
#include "game/SettingsSheetWindow.h"
#include "platform/Messages.h"
#include "platform/headless/HeadlessBackend.h"
#include "platform/TextCodec.h"
#include "platform/headless/HeadlessInput.h"
#include "sound/SoundManager.h"

namespace orrivel {
namespace {

using Page = SettingsSheet::Page;
using Block = AppSettings::AppConfigBlock;

Block SheetDefaults() {
  Block block{};
  return SettingsSheet::Defaults(block, false);
}

TEST(SettingsSheet, EveryByteHasItsPageAndDefaultAndOkStoresIt) {
  struct Expected {
    Page page;
    uint32_t value;
  };
  const std::map<uint8_t, Expected> expected = {
      {114, {Page::kKeyboardPage, 44}}, {115, {Page::kKeyboardPage, 45}}, {116, {Page::kKeyboardPage, 30}},
      {117, {Page::kKeyboardPage, 65}}, {118, {Page::kKeyboardPage, 66}}, {119, {Page::kKeyboardPage, 67}},
      {120, {Page::kKeyboardPage, 68}}, {121, {Page::kKeyboardPage, 57}}, {122, {Page::kKeyboardPage, 50}},
      {123, {Page::kKeyboardPage, 46}}, {124, {Page::kKeyboardPage, 210}}, {125, {Page::kKeyboardPage, 31}},
      {126, {Page::kKeyboardPage, 14}}, {127, {Page::kKeyboardPage, 20}}, {130, {Page::kKeyboardPage, 1}},
      {131, {Page::kKeyboardPage, 0}},  {132, {Page::kInputPage, 0}},     {133, {Page::kInputPage, 0}},
      {134, {Page::kInputPage, 0}},     {135, {Page::kInputPage, 0}},     {136, {Page::kInputPage, 0}},
      {137, {Page::kInputPage, 0}},     {138, {Page::kInputPage, 0}},     {139, {Page::kInputPage, 0}},
      {140, {Page::kInputPage, 0}},     {141, {Page::kInputPage, 0}},     {142, {Page::kInputPage, 0}},
      {143, {Page::kInputPage, 0}},     {144, {Page::kInputPage, 0}},     {145, {Page::kInputPage, 0}},
      {146, {Page::kInputPage, 0}},     {147, {Page::kInputPage, 0}},     {148, {Page::kInputPage, 0}},
      {149, {Page::kInputPage, 1}},     {150, {Page::kInputPage, 0}},     {151, {Page::kInputPage, 0}},
      {152, {Page::kInputPage, 0}},     {153, {Page::kInputPage, 1}},     {180, {Page::kOtherPage, 0}},
      {190, {Page::kOtherPage, 1}},     {10, {Page::kOtherPage, 0}},      {0, {Page::kOtherPage, 1}},
      {166, {Page::kOtherPage, 1}},     {167, {Page::kOtherPage, 1}},     {168, {Page::kOtherPage, 256}},
      {16, {Page::kOtherPage, 1}},      {20, {Page::kOtherPage, 750}},    {29, {Page::kOtherPage, 150}},
      {30, {Page::kOtherPage, 1}},      {154, {Page::kWindowPage, 0}},    {155, {Page::kWindowPage, 1}},
      {156, {Page::kWindowPage, 2}},    {157, {Page::kWindowPage, 0}},    {158, {Page::kWindowPage, 0}},
      {159, {Page::kWindowPage, 1}},    {160, {Page::kWindowPage, 2}},    {161, {Page::kWindowPage, 0}},
      {162, {Page::kWindowPage, 1}},    {163, {Page::kWindowPage, 1}},    {164, {Page::kWindowPage, 0}},
  };
  ASSERT_EQ(SettingsSheet::Settings().size(), expected.size());
  Block filler;
  filler.fill(0xEE);
  const Block defaults = SettingsSheet::Defaults(filler, false);
  for (const SettingsSheet::Setting& setting : SettingsSheet::Settings()) {
    SCOPED_TRACE(int(setting.offset));
    ASSERT_EQ(expected.count(setting.offset), 1u);
    EXPECT_EQ(setting.page, expected.at(setting.offset).page);
    EXPECT_EQ(setting.defaultValue, expected.at(setting.offset).value);
    const uint32_t stored = setting.u32 ? BlockU32(defaults, setting.offset) : defaults[setting.offset];
    EXPECT_EQ(stored, setting.defaultValue);
  }
  // The keys of actions 18 and 19 have no field but are defaults too;
  // bytes the sheet does not edit are kept.
  EXPECT_EQ(defaults[128], 201);
  EXPECT_EQ(defaults[129], 209);
  EXPECT_EQ(defaults[82], 0xEE);
  const Block capable = SettingsSheet::Defaults(filler, true);
  EXPECT_EQ(capable[156], 1);
  EXPECT_EQ(capable[160], 1);

  // Each byte set on its page and stored by OK.
  Block block = SheetDefaults();
  SettingsSheet::Memory memory;
  SettingsSheet sheet(block, memory, {});
  sheet.Open();
  std::map<uint8_t, uint32_t> wanted;
  for (const SettingsSheet::Setting& setting : SettingsSheet::Settings()) {
    sheet.ShowPage(setting.page);
    uint32_t value = setting.defaultValue == 0 ? 1 : setting.defaultValue - 1;
    if (setting.offset == 20) value = 740;  // the slider's tens
    ASSERT_TRUE(sheet.SetValue(setting.offset, value));
    wanted[setting.offset] = value;
  }
  EXPECT_FALSE(sheet.SetValue(114, 1)) << "a byte of another page";
  EXPECT_FALSE(sheet.SetValue(82, 1)) << "a byte of no page";
  EXPECT_EQ(block, SheetDefaults());  // nothing before OK
  sheet.Ok();
  for (const auto& [offset, value] : wanted) {
    const bool u32 = offset == 20 || offset == 168;
    EXPECT_EQ(u32 ? BlockU32(block, offset) : block[offset], value) << int(offset);
  }
  EXPECT_TRUE(memory.blockChanged);
  EXPECT_EQ(block[128], 201);
}

TEST(SettingsSheet, ControlsHoldTheirRanges) {
  Block block = SheetDefaults();
  SettingsSheet::Memory memory;
  SettingsSheet sheet(block, memory, {});
  sheet.Open();
  sheet.ShowPage(Page::kOtherPage);
  sheet.SetValue(168, 999);
  EXPECT_EQ(sheet.Value(168), 256u);
  sheet.SetValue(20, 4005);
  EXPECT_EQ(sheet.Value(20), 3000u);
  sheet.SetValue(20, 1234);
  EXPECT_EQ(sheet.Value(20), 1230u);
  sheet.SetValue(166, 7);
  EXPECT_EQ(sheet.Value(166), 1u);
}

TEST(SettingsSheet, KeyFieldsTakeKeysAndGiveUpTheOnesTakenElsewhere) {
  Block block = SheetDefaults();
  SettingsSheet::Memory memory;
  SettingsSheet sheet(block, memory, {});
  sheet.Open();
  EXPECT_EQ(sheet.FieldText(0), "Z");
  EXPECT_EQ(sheet.FieldText(12), "BackSpace");
  sheet.FocusField(1);  // cancel, holding "X"
  EXPECT_FALSE(sheet.PressKey(28));  // Enter
  EXPECT_FALSE(sheet.PressKey(1));   // Esc
  EXPECT_FALSE(sheet.PressKey(45));  // its own key
  EXPECT_FALSE(sheet.PressKey(212));  // past the keys the fields take
  EXPECT_EQ(sheet.Value(115), 45u);
  EXPECT_EQ(sheet.FocusedField(), 1);
  EXPECT_TRUE(sheet.PressKey(44));  // "Z", which decide holds
  EXPECT_EQ(sheet.Value(115), 44u);
  EXPECT_EQ(sheet.Value(114), 0u);
  EXPECT_EQ(sheet.FieldText(0), "");
  EXPECT_EQ(sheet.FieldText(1), "Z");
  EXPECT_EQ(sheet.FocusedField(), 2);
  sheet.FocusField(13);
  EXPECT_TRUE(sheet.PressKey(201));
  EXPECT_EQ(sheet.FieldText(13), "PageUp");
  EXPECT_EQ(sheet.FocusedField(), -1);  // on past the last field
  EXPECT_FALSE(sheet.PressKey(30));  // no field has the focus

  // Button fields: codes from 4, shown as the button number; Delete clears.
  sheet.ShowPage(Page::kInputPage);
  sheet.FocusField(0);
  EXPECT_FALSE(sheet.PressJoystickButton(3));  // a stick direction
  EXPECT_TRUE(sheet.PressJoystickButton(7));
  EXPECT_EQ(sheet.FieldText(0), platform::Utf8ToCp932Lossy("ボタン4"));
  EXPECT_TRUE(sheet.PressJoystickButton(7));  // field 1 takes it from field 0
  EXPECT_EQ(sheet.Value(133), 0u);
  EXPECT_EQ(sheet.Value(134), 7u);
  sheet.FocusField(1);
  EXPECT_TRUE(sheet.PressDeleteKey());
  EXPECT_EQ(sheet.Value(134), 0u);
  EXPECT_EQ(sheet.FieldText(1), "");
  sheet.Cancel();
  EXPECT_EQ(block, SheetDefaults());
}

TEST(SettingsSheet, DefaultsButtonVolumeSliderCancelAndTheLastPage) {
  Block block = SheetDefaults();
  block[166] = 0;
  block[167] = 0;
  SetBlockU32(block, 168, 100);
  SetBlockU32(block, 20, 200);
  block[114] = 30;
  const Block before = block;
  std::vector<int32_t> volumes;
  std::vector<std::pair<bool, uint32_t>> hints;
  SettingsSheet::Memory memory;
  SettingsSheet::Services services;
  services.setMovieVolume = [&](int32_t volume) { volumes.push_back(volume); };
  services.applyHints = [&](bool shown, uint32_t delay) { hints.push_back({shown, delay}); };
  SettingsSheet sheet(block, memory, services);
  sheet.Open();
  sheet.ShowPage(Page::kOtherPage);
  sheet.RestoreDefaults();  // this page only
  EXPECT_EQ(sheet.Value(166), 1u);
  EXPECT_EQ(sheet.Value(167), 1u);
  EXPECT_EQ(sheet.Value(168), 256u);
  EXPECT_EQ(sheet.Value(20), 750u);
  EXPECT_EQ(sheet.Value(114), 30u);
  sheet.SetValue(168, 64);
  EXPECT_EQ(volumes, (std::vector<int32_t>{64}));
  sheet.Cancel();
  EXPECT_EQ(block, before);
  EXPECT_EQ(volumes, (std::vector<int32_t>{64, 100}));
  EXPECT_FALSE(memory.blockChanged);
  EXPECT_TRUE(hints.empty());

  // The next opening starts on the page shown last; OK with a new delay
  // hands the hints on, OK without a change does not.
  sheet.Open();
  EXPECT_EQ(sheet.CurrentPage(), Page::kOtherPage);
  sheet.SetValue(20, 1200);
  sheet.Ok();
  EXPECT_EQ(hints, (std::vector<std::pair<bool, uint32_t>>{{true, 1200}}));
  sheet.Open();
  sheet.Ok();
  EXPECT_EQ(hints.size(), 1u);
  sheet.ShowPage(Page::kWindowPage);
  sheet.Cancel();
  sheet.Open();
  EXPECT_EQ(sheet.CurrentPage(), Page::kWindowPage);
}

class InputBindings : public ::testing::Test {
 protected:
  void SetUp() override {
    JoystickSlots::Reset();
    platform::JoystickCaps caps;
    caps.buttons = 8;
    source.PlugJoystick(0, caps);
    ASSERT_EQ(input.CreateDevices(2), 0);
    ASSERT_EQ(input.AddJoystick(-1), 0);
    input.Activate();
    ASSERT_EQ(input.CreateActionMap(20, &map), 0);
    InstallDefaultBindings(*map);
  }
  void TearDown() override { JoystickSlots::Reset(); }
  std::vector<std::pair<int32_t, int>> Bindings(uint32_t action) {
    std::vector<std::pair<int32_t, int>> out;
    uint8_t code = 0;
    int32_t device = -1;
    for (uint32_t n = 0; map->GetBinding(action, -1, n, &code, &device) == 0; ++n) out.push_back({device, code});
    return out;
  }

  platform::HeadlessInput source;
  platform::ScopedInputSource scopedSource{source};
  InputManager input;
  ActionMap* map = nullptr;
};

using Pairs = std::vector<std::pair<int32_t, int>>;

TEST_F(InputBindings, KeysGoAfterTheFixedOnesAndFollowTheirBytes) {
  Block block = SheetDefaults();
  ApplyKeyboardBindings(block, *map);
  EXPECT_EQ(Bindings(4), (Pairs{{0, 28}, {0, 156}, {0, 44}}));
  EXPECT_EQ(Bindings(5), (Pairs{{0, 1}, {0, 45}}));
  EXPECT_EQ(Bindings(17), (Pairs{{0, 20}}));
  EXPECT_EQ(Bindings(18), (Pairs{{0, 201}}));
  EXPECT_EQ(Bindings(19), (Pairs{{0, 209}}));
  ApplyKeyboardBindings(block, *map);  // again: nothing doubles
  EXPECT_EQ(Bindings(4), (Pairs{{0, 28}, {0, 156}, {0, 44}}));

  block[114] = 30;  // changed
  block[115] = 0;   // removed
  block[116] = 0;
  ApplyKeyboardBindings(block, *map);
  EXPECT_EQ(Bindings(4), (Pairs{{0, 28}, {0, 156}, {0, 30}}));
  EXPECT_EQ(Bindings(5), (Pairs{{0, 1}}));
  EXPECT_EQ(Bindings(6), Pairs{});
  block[115] = 45;  // added back
  ApplyKeyboardBindings(block, *map);
  EXPECT_EQ(Bindings(5), (Pairs{{0, 1}, {0, 45}}));
}

TEST_F(InputBindings, ButtonsAndMouseFunctionsChangeOnlyWhatChanged) {
  Block block = SheetDefaults();
  MouseBindingRecord mouse;
  block[133] = 5;  // decide on button 1
  block[148] = 9;  // action 19 on button 5
  ApplyJoystickMouseBindings(block, input, *map, mouse);
  EXPECT_FALSE(input.JoysticksEnabled());
  EXPECT_EQ(Bindings(4), (Pairs{{0, 28}, {0, 156}, {2, 5}}));
  EXPECT_EQ(Bindings(19), (Pairs{{2, 9}, {1, 4}}));
  EXPECT_EQ(Bindings(12), (Pairs{{1, 1}}));  // right button: system menu
  EXPECT_EQ(Bindings(14), (Pairs{{1, 3}}));  // wheel up: history
  EXPECT_EQ(mouse.actions, (std::array<uint8_t, 4>{12, 0, 14, 19}));

  block[132] = 1;
  block[133] = 0;
  block[149] = 3;  // auto play
  block[152] = 5;  // save
  block[150] = 1;  // wheel up rewinds
  block[153] = 0;  // wheel down does nothing
  ApplyJoystickMouseBindings(block, input, *map, mouse);
  EXPECT_TRUE(input.JoysticksEnabled());
  EXPECT_EQ(Bindings(4), (Pairs{{0, 28}, {0, 156}}));
  EXPECT_EQ(Bindings(12), Pairs{});
  EXPECT_EQ(Bindings(6), (Pairs{{1, 1}}));
  EXPECT_EQ(Bindings(7), (Pairs{{1, 2}}));
  EXPECT_EQ(Bindings(14), Pairs{});
  EXPECT_EQ(Bindings(18), (Pairs{{1, 3}}));
  EXPECT_EQ(Bindings(19), (Pairs{{2, 9}}));

  // A binding the scripts added meanwhile stays while the choice stands.
  map->SetBinding(6, 1, 1);
  ApplyJoystickMouseBindings(block, input, *map, mouse);
  EXPECT_EQ(Bindings(6), (Pairs{{1, 1}, {1, 1}}));
}

// The button page's timer reads the joystick: a newly pressed button goes
// to the focused field; a stick direction does not.
TEST_F(InputBindings, TheButtonPageTakesPressedButtons) {
  Block block = SheetDefaults();
  SettingsSheet::Memory memory;
  SettingsSheet sheet(block, memory, {});
  sheet.Open();
  sheet.ShowPage(Page::kInputPage);
  sheet.FocusField(0);
  JoystickDevice& joystick = *input.GetJoystick(0);
  source.MoveJoystick(0, 32768, 0);  // up
  input.Update();
  sheet.PollJoystick(joystick, input.Keyboard());
  EXPECT_EQ(sheet.Value(133), 0u);
  source.SetJoystickButtons(0, 1u << 2);
  input.Update();
  sheet.PollJoystick(joystick, input.Keyboard());
  EXPECT_EQ(sheet.Value(133), 6u);
  EXPECT_EQ(sheet.FieldText(0), platform::Utf8ToCp932Lossy("ボタン3"));
  EXPECT_EQ(sheet.FocusedField(), 1);
  input.Update();  // held, no longer new
  sheet.PollJoystick(joystick, input.Keyboard());
  EXPECT_EQ(sheet.Value(134), 0u);
}

TEST_F(InputBindings, OkOnTheInputPagesRebindsAtOnce) {
  Block block = SheetDefaults();
  MouseBindingRecord mouse;
  ApplyKeyboardBindings(block, *map);
  ApplyJoystickMouseBindings(block, input, *map, mouse);
  SettingsSheet::Memory memory;
  SettingsSheet::Services services;
  services.input = &input;
  services.actions = map;
  services.mouse = &mouse;
  SettingsSheet sheet(block, memory, services);
  sheet.Open();
  sheet.FocusField(1);
  ASSERT_TRUE(sheet.PressKey(44));
  sheet.ShowPage(Page::kInputPage);
  sheet.SetValue(149, 0);
  sheet.Ok();
  EXPECT_EQ(Bindings(4), (Pairs{{0, 28}, {0, 156}}));
  EXPECT_EQ(Bindings(5), (Pairs{{0, 1}, {0, 44}}));
  EXPECT_EQ(Bindings(12), (Pairs{{0, 50}}));  // its key stays, the right button goes
}

// The sheet as the game opens it: its window takes the controls' commands,
// its timer reads the keyboard into the focused field, OK stores and
// rebinds, closing cancels.
TEST(SettingsSheetWindow, TheGameRunsTheSheetOverItsWindow) {
  JoystickSlots::Reset();
  platform::HeadlessBackend backend;
  platform::ScopedBackend scopedBackend(backend);
  platform::HeadlessInput source;
  platform::ScopedInputSource scopedSource(source);
  GameApplication app;
  Block& block = app.settings.blocks.appConfig;
  block = SheetDefaults();
  // The game's devices stay switched off, as the sheet's window leaves them
  // when it takes the activation from the main window.
  ASSERT_EQ(app.Input().CreateDevices(1), 0);
  ASSERT_EQ(app.Input().CreateActionMap(20, &app.actions), 0);
  InstallDefaultBindings(*app.actions);
  ApplyKeyboardBindings(block, *app.actions);

  using W = SettingsSheetWindow;
  std::string title;
  app.settingsSheetOpened = [&](platform::WindowId window) {
    title = backend.GetWindowText(window);
    source.SetKey(44, true);  // Z, held from the next reading on
    backend.PostMessage(window, platform::WM_COMMAND, W::kFirstPageCommand + Page::kKeyboardPage, 0);
    backend.PostMessage(window, platform::WM_COMMAND, (W::kSetFocusNotify << 16) | (W::kFirstFieldId + 1), 0);
    backend.PostMessage(window, W::kTimerMessage, 0, 0);
    backend.PostMessage(window, platform::WM_COMMAND, W::kFirstPageCommand + Page::kOtherPage, 0);
    backend.PostMessage(window, W::kSetValueMessage, 166, 0);
    backend.PostMessage(window, platform::WM_COMMAND, SettingsSheet::kDefaultsButton, 0);  // 166 back to 1
    backend.PostMessage(window, W::kSetValueMessage, 20, 1500);
    backend.PostMessage(window, platform::WM_COMMAND, W::kOkId, 0);
  };
  EXPECT_EQ(app.ShowSettingsSheet(), 1);
  EXPECT_EQ(title, platform::Utf8ToCp932Lossy("入力・その他設定"));
  EXPECT_EQ(block[115], 44);
  EXPECT_EQ(block[114], 0);
  EXPECT_EQ(block[166], 1);
  EXPECT_EQ(BlockU32(block, 20), 1500u);
  EXPECT_EQ(app.actions->CountBindings(4, 0), 2u);  // decide lost "Z" ...
  uint8_t code = 0;
  int32_t device = -1;
  ASSERT_EQ(app.actions->GetBinding(5, 0, 1, &code, &device), 0);  // ... to cancel
  EXPECT_EQ(code, 44);
  EXPECT_TRUE(app.settingsSheet.blockChanged);
  EXPECT_EQ(app.settingsSheet.lastPage, Page::kOtherPage);

  // Closing the window is Cancel: nothing changes.
  const Block before = block;
  app.settingsSheetOpened = [&](platform::WindowId window) {
    backend.PostMessage(window, W::kSetValueMessage, 29, 20);
    backend.PostMessage(window, platform::WM_CLOSE, 0, 0);
  };
  EXPECT_EQ(app.ShowSettingsSheet(), 0);
  EXPECT_EQ(block, before);
  JoystickSlots::Reset();
}

TEST(SoundSettings, TheBlocksSoundBytesReachTheManager) {
  Block block{};
  block[82] = 1;
  block[83] = 0;
  block[84] = 1;
  block[85] = 0;
  block[86] = 1;
  SetBlockU32(block, 88, 200);
  SetBlockU32(block, 92, 150);
  SetBlockU32(block, 96, 160);
  SetBlockU32(block, 100, 170);
  SetBlockU32(block, 104, 128);
  EXPECT_FALSE(ApplySoundSettings(block, nullptr));
  SoundManager sounds;
  ASSERT_TRUE(ApplySoundSettings(block, &sounds));
  EXPECT_EQ(sounds.globalOn, 1);
  EXPECT_EQ(sounds.masterLevel, 200);
  EXPECT_EQ(sounds.musicLevel, 150);
  EXPECT_EQ(sounds.musicOn, 0);
  EXPECT_EQ(sounds.kind1On, 1);
  EXPECT_EQ(sounds.defaultLevel, 160);
  EXPECT_EQ(sounds.kind2On, 0);
  EXPECT_EQ(sounds.defaultLevelKind2, 170);
  EXPECT_EQ(sounds.defaultLevelKind4, 256);
  EXPECT_EQ(sounds.voiceLevel, 128);
  EXPECT_EQ(sounds.kind4On, 1);
}

}  // namespace
}  // namespace orrivel
