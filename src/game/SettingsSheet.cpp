#include "game/SettingsSheet.h"

#include <algorithm>
#include <cstdio>

#include "base/ActionMap.h"
#include "base/InputManager.h"
#include "platform/TextCodec.h"
#include "sound/SoundManager.h"

namespace orrivel {

namespace {

constexpr int32_t kKeyboard = 0;
constexpr int32_t kMouse = 1;
constexpr int32_t kFirstJoystick = 2;
constexpr uint32_t kFirstBoundAction = 4;
constexpr uint32_t kLastBoundAction = 19;
constexpr size_t kFirstKeyByte = 114;
constexpr size_t kJoystickSwitch = 132;
constexpr size_t kFirstButtonByte = 133;
constexpr size_t kRightButtonChoice = 149;
constexpr size_t kWheelUpChoice = 150;
constexpr size_t kWheelButtonChoice = 152;
constexpr size_t kWheelDownNextPage = 153;
constexpr uint8_t kTextHistoryAction = 14;
constexpr uint8_t kRewindTextAction = 18;
constexpr uint8_t kNextPageAction = 19;
constexpr uint8_t kLastCapturedKey = 211;
constexpr uint8_t kFirstButtonCode = 4;

constexpr size_t kMovieVolume = 168;
constexpr size_t kHintsShown = 16;
constexpr size_t kHintDelay = 20;
constexpr uint32_t kHintDelayStep = 10;

// Keyboard bindings that the defaults give actions 4 and 5 before the
// player's own key (Enter and keypad Enter; Esc).
uint32_t FixedKeyboardBindings(uint32_t action) { return action == 4 ? 2 : action == 5 ? 1 : 0; }

// The player's binding of the action on the device (the one after the
// fixed ones): removed for code 0, changed to another code, or added.
void ApplyConfigurableBinding(ActionMap& map, uint32_t action, int32_t device, uint32_t fixed, uint8_t wanted) {
  uint8_t current = 0;
  int32_t deviceOut = -1;
  if (map.GetBinding(action, device, fixed, &current, &deviceOut) == 0) {
    if (wanted == 0) map.RemoveBinding(action, device, current);
    else if (wanted != current) map.ChangeBinding(action, device, wanted, current);
  } else if (wanted != 0) {
    map.SetBinding(action, device, wanted);
  }
}

uint8_t MouseFunction(uint8_t choice) {
  return choice < kMouseFunctionActions.size() ? kMouseFunctionActions[choice] : MouseBindingRecord::kNone;
}

// The key names of the key fields, DirectInput's own style. Codes without a
// name are reserved: the keys the game keeps for itself (Esc, Enter, the
// arrows, the modifiers and the lock keys) and codes no key has.
struct NamedKey {
  uint8_t code;
  const char* name;
};
constexpr NamedKey kKeyNames[] = {
    {2, "1"},          {3, "2"},           {4, "3"},          {5, "4"},         {6, "5"},
    {7, "6"},          {8, "7"},           {9, "8"},          {10, "9"},        {11, "0"},
    {12, "Minus"},     {13, "Equals"},     {14, "BackSpace"}, {15, "Tab"},      {16, "Q"},
    {17, "W"},         {18, "E"},          {19, "R"},         {20, "T"},        {21, "Y"},
    {22, "U"},         {23, "I"},          {24, "O"},         {25, "P"},        {26, "LBracket"},
    {27, "RBracket"},  {30, "A"},          {31, "S"},         {32, "D"},        {33, "F"},
    {34, "G"},         {35, "H"},          {36, "J"},         {37, "K"},        {38, "L"},
    {39, "Semicolon"}, {40, "Apostrophe"}, {41, "Grave"},     {43, "BackSlash"}, {44, "Z"},
    {45, "X"},         {46, "C"},          {47, "V"},         {48, "B"},        {49, "N"},
    {50, "M"},         {51, "Comma"},      {52, "Period"},    {53, "Slash"},    {55, "Multiply"},
    {57, "Space"},     {59, "F1"},         {60, "F2"},        {61, "F3"},       {62, "F4"},
    {63, "F5"},        {64, "F6"},         {65, "F7"},        {66, "F8"},       {67, "F9"},
    {68, "F10"},       {71, "NumPad7"},    {72, "NumPad8"},   {73, "NumPad9"},  {74, "Subtract"},
    {75, "NumPad4"},   {76, "NumPad5"},    {77, "NumPad6"},   {78, "Add"},      {79, "NumPad1"},
    {80, "NumPad2"},   {81, "NumPad3"},    {82, "NumPad0"},   {83, "Decimal"},  {87, "F11"},
    {88, "F12"},       {181, "Divide"},    {199, "Home"},     {201, "PageUp"},  {207, "End"},
    {209, "PageDown"}, {210, "Insert"},    {211, "Delete"},
};

using Page = SettingsSheet::Page;
constexpr Page kNoPage = Page(4);

struct SettingRow {
  SettingsSheet::Setting setting;
  uint32_t maxValue;
};

// Every byte the sheet edits with its page, default and largest value.
// Keys of actions 18 and 19 have no field but belong to the defaults.
constexpr SettingRow kRows[] = {
    {{114, Page::kKeyboardPage, 44, false}, 255},   {{115, Page::kKeyboardPage, 45, false}, 255},
    {{116, Page::kKeyboardPage, 30, false}, 255},   {{117, Page::kKeyboardPage, 65, false}, 255},
    {{118, Page::kKeyboardPage, 66, false}, 255},   {{119, Page::kKeyboardPage, 67, false}, 255},
    {{120, Page::kKeyboardPage, 68, false}, 255},   {{121, Page::kKeyboardPage, 57, false}, 255},
    {{122, Page::kKeyboardPage, 50, false}, 255},   {{123, Page::kKeyboardPage, 46, false}, 255},
    {{124, Page::kKeyboardPage, 210, false}, 255},  {{125, Page::kKeyboardPage, 31, false}, 255},
    {{126, Page::kKeyboardPage, 14, false}, 255},   {{127, Page::kKeyboardPage, 20, false}, 255},
    {{128, kNoPage, 201, false}, 255},              {{129, kNoPage, 209, false}, 255},
    {{130, Page::kKeyboardPage, 1, false}, 1},      {{131, Page::kKeyboardPage, 0, false}, 1},
    {{132, Page::kInputPage, 0, false}, 1},         {{133, Page::kInputPage, 0, false}, 255},
    {{134, Page::kInputPage, 0, false}, 255},       {{135, Page::kInputPage, 0, false}, 255},
    {{136, Page::kInputPage, 0, false}, 255},       {{137, Page::kInputPage, 0, false}, 255},
    {{138, Page::kInputPage, 0, false}, 255},       {{139, Page::kInputPage, 0, false}, 255},
    {{140, Page::kInputPage, 0, false}, 255},       {{141, Page::kInputPage, 0, false}, 255},
    {{142, Page::kInputPage, 0, false}, 255},       {{143, Page::kInputPage, 0, false}, 255},
    {{144, Page::kInputPage, 0, false}, 255},       {{145, Page::kInputPage, 0, false}, 255},
    {{146, Page::kInputPage, 0, false}, 255},       {{147, Page::kInputPage, 0, false}, 255},
    {{148, Page::kInputPage, 0, false}, 255},       {{149, Page::kInputPage, 1, false}, 6},
    {{150, Page::kInputPage, 0, false}, 1},         {{151, Page::kInputPage, 0, false}, 1},
    {{152, Page::kInputPage, 0, false}, 6},         {{153, Page::kInputPage, 1, false}, 1},
    {{180, Page::kOtherPage, 0, false}, 1},         {{190, Page::kOtherPage, 1, false}, 1},
    {{10, Page::kOtherPage, 0, false}, 1},          {{0, Page::kOtherPage, 1, false}, 1},
    {{166, Page::kOtherPage, 1, false}, 1},         {{167, Page::kOtherPage, 1, false}, 1},
    {{168, Page::kOtherPage, 256, true}, 256},      {{16, Page::kOtherPage, 1, false}, 1},
    {{20, Page::kOtherPage, 750, true}, 3000},      {{29, Page::kOtherPage, 150, false}, 255},
    {{30, Page::kOtherPage, 1, false}, 1},          {{154, Page::kWindowPage, 0, false}, 1},
    {{155, Page::kWindowPage, 1, false}, 1},        {{156, Page::kWindowPage, 2, false}, 2},
    {{157, Page::kWindowPage, 0, false}, 255},      {{158, Page::kWindowPage, 0, false}, 1},
    {{159, Page::kWindowPage, 1, false}, 1},        {{160, Page::kWindowPage, 2, false}, 3},
    {{161, Page::kWindowPage, 0, false}, 1},        {{162, Page::kWindowPage, 1, false}, 1},
    {{163, Page::kWindowPage, 1, false}, 1},        {{164, Page::kWindowPage, 0, false}, 1},
};

const SettingRow* FindRow(uint8_t offset) {
  for (const SettingRow& row : kRows) {
    if (row.setting.offset == offset) return &row;
  }
  return nullptr;
}

uint32_t ReadSetting(std::span<const uint8_t> block, const SettingsSheet::Setting& setting) {
  return setting.u32 ? BlockU32(block, setting.offset) : block[setting.offset];
}

void WriteSetting(std::span<uint8_t> block, const SettingsSheet::Setting& setting, uint32_t value) {
  if (setting.u32) SetBlockU32(block, setting.offset, value);
  else block[setting.offset] = uint8_t(value);
}

}  // namespace

// --- bindings ----------------------------------------------------------------------

void ApplyKeyboardBindings(std::span<const uint8_t, AppSettings::kAppConfigSize> block, ActionMap& map) {
  for (uint32_t action = kFirstBoundAction; action <= kLastBoundAction; ++action) {
    const uint8_t key = block[kFirstKeyByte + action - kFirstBoundAction];
    ApplyConfigurableBinding(map, action, kKeyboard, FixedKeyboardBindings(action), key);
  }
}

void ApplyJoystickMouseBindings(std::span<const uint8_t, AppSettings::kAppConfigSize> block, InputManager& input,
                                ActionMap& map, MouseBindingRecord& mouse) {
  input.SetJoysticksEnabled(block[kJoystickSwitch] != 0);
  for (uint32_t action = kFirstBoundAction; action <= kLastBoundAction; ++action) {
    const uint8_t button = block[kFirstButtonByte + action - kFirstBoundAction];
    ApplyConfigurableBinding(map, action, kFirstJoystick, 0, button);
  }
  const std::array<uint8_t, 4> wanted{
      MouseFunction(block[kRightButtonChoice]),
      MouseFunction(block[kWheelButtonChoice]),
      block[kWheelUpChoice] == 1 ? kRewindTextAction : kTextHistoryAction,
      block[kWheelDownNextPage] != 0 ? kNextPageAction : MouseBindingRecord::kNone,
  };
  for (size_t i = 0; i < wanted.size(); ++i) {
    const uint8_t code = uint8_t(i + 1);
    uint8_t& recorded = mouse.actions[i];
    if (wanted[i] == recorded) continue;
    if (recorded != MouseBindingRecord::kNone) map.RemoveBinding(recorded, kMouse, code);
    if (wanted[i] != MouseBindingRecord::kNone) map.SetBinding(wanted[i], kMouse, code);
    recorded = wanted[i];
  }
}

bool ApplySoundSettings(std::span<const uint8_t, AppSettings::kAppConfigSize> block, SoundManager* sounds) {
  if (sounds == nullptr) return false;
  sounds->SetEnableMask(block[82] != 0, false);
  sounds->SetMasterLevel(int32_t(BlockU32(block, 88)), false);
  sounds->SetMusicVolume(-1, int32_t(BlockU32(block, 92)), false);
  sounds->SetMusicEnabled(block[83], false);
  sounds->SetKindEnabled(block[84], 1, false, false);
  // The default levels of new channel sounds and the switch of kind 2;
  // kind 4 (voices) starts at full level, under the voice level.
  sounds->defaultLevel = int32_t(BlockU32(block, 96));
  sounds->kind2On = block[85] != 0 ? 1 : 0;
  sounds->defaultLevelKind2 = int32_t(BlockU32(block, 100));
  sounds->defaultLevelKind4 = SoundManager::kFullLevel;
  sounds->SetVoiceLevel(int32_t(BlockU32(block, 104)));
  sounds->kind4On = block[86] != 0 ? 1 : 0;
  return true;
}

std::string KeyName(uint8_t code) {
  for (const NamedKey& key : kKeyNames) {
    if (key.code == code) return key.name;
  }
  return {};
}

std::string JoystickButtonName(uint8_t code) {
  if (code == 0) return {};
  char number[16];
  std::snprintf(number, sizeof number, "%d", int(code) - 3);
  return platform::Utf8ToCp932Lossy("ボタン") + number;
}

// --- the sheet -----------------------------------------------------------------------

std::span<const SettingsSheet::Setting> SettingsSheet::Settings() {
  static const std::vector<Setting> settings = [] {
    std::vector<Setting> out;
    for (const SettingRow& row : kRows) {
      if (row.setting.page != kNoPage) out.push_back(row.setting);
    }
    return out;
  }();
  return settings;
}

AppSettings::AppConfigBlock SettingsSheet::Defaults(const AppSettings::AppConfigBlock& block, bool capabilityFlag) {
  AppSettings::AppConfigBlock out = block;
  for (const SettingRow& row : kRows) WriteSetting(out, row.setting, row.setting.defaultValue);
  // Where the screen device offers the better way, the automatic choice.
  if (capabilityFlag) {
    out[156] = 1;
    out[160] = 1;
  }
  return out;
}

SettingsSheet::SettingsSheet(AppSettings::AppConfigBlock& block, Memory& memory, Services services)
    : block_(block), memory_(memory), services_(std::move(services)) {}

void SettingsSheet::Open() {
  working_ = block_;
  visited_ = {};
  focus_ = -1;
  volumeMoved_ = false;
  hintsChanged_ = false;
  ShowPage(memory_.lastPage);
}

void SettingsSheet::ShowPage(Page page) {
  if (page > kWindowPage) return;
  page_ = page;
  visited_[page] = true;
  memory_.lastPage = page;
  focus_ = -1;
}

uint32_t SettingsSheet::Value(uint8_t offset) const {
  const SettingRow* row = FindRow(offset);
  return row != nullptr ? ReadSetting(working_, row->setting) : working_[offset];
}

bool SettingsSheet::SetValue(uint8_t offset, uint32_t value) {
  const SettingRow* row = FindRow(offset);
  if (row == nullptr || row->setting.page != page_) return false;
  value = std::min(value, row->maxValue);
  // The hint slider moves in tens of milliseconds.
  if (offset == kHintDelay) value -= value % kHintDelayStep;
  WriteSetting(working_, row->setting, value);
  if (offset == kMovieVolume) {
    volumeMoved_ = true;
    if (services_.setMovieVolume) services_.setMovieVolume(int32_t(value));
  }
  return true;
}

std::string SettingsSheet::FieldText(int32_t field) const {
  if (field < 0 || field >= kFieldCount) return {};
  if (page_ == kInputPage) return JoystickButtonName(working_[kFirstButtonByte + size_t(field)]);
  return KeyName(working_[kFirstKeyByte + size_t(field)]);
}

bool SettingsSheet::ControlEnabled(uint8_t offset, bool joystickPresent) const {
  const bool movies = services_.moviesAvailable;
  switch (offset) {
    case 166:
      return movies;
    case 167:
    case kMovieVolume:
      return movies && working_[166] != 0;
    case kHintDelay:
      return working_[kHintsShown] != 0;
    case kJoystickSwitch:
      return joystickPresent;
    default:
      if (offset >= kFirstButtonByte && offset < kFirstButtonByte + kFieldCount) {
        return joystickPresent && working_[kJoystickSwitch] != 0;
      }
      return true;
  }
}

void SettingsSheet::FocusNext() { focus_ = focus_ + 1 < kFieldCount ? focus_ + 1 : -1; }

// The focused field of the fields starting at firstOffset takes the code;
// a field that held it already goes empty.
bool SettingsSheet::TakeCode(uint8_t firstOffset, uint8_t code) {
  if (focus_ < 0 || focus_ >= kFieldCount) return false;
  uint8_t& own = working_[firstOffset + size_t(focus_)];
  if (own == code) return false;
  for (int32_t field = 0; field < kFieldCount; ++field) {
    uint8_t& other = working_[firstOffset + size_t(field)];
    if (field != focus_ && other == code) other = 0;
  }
  own = code;
  FocusNext();
  return true;
}

bool SettingsSheet::PressKey(uint8_t code) {
  if (page_ != kKeyboardPage || code == 0 || code > kLastCapturedKey || KeyName(code).empty()) return false;
  return TakeCode(uint8_t(kFirstKeyByte), code);
}

bool SettingsSheet::PressJoystickButton(uint8_t code) {
  if (page_ != kInputPage || code < kFirstButtonCode) return false;
  return TakeCode(uint8_t(kFirstButtonByte), code);
}

bool SettingsSheet::PressDeleteKey() {
  if (page_ != kInputPage || focus_ < 0 || focus_ >= kFieldCount) return false;
  working_[kFirstButtonByte + size_t(focus_)] = 0;
  return true;
}

void SettingsSheet::PollKeyboard(const KeyboardDevice& keyboard) {
  for (uint32_t code = 1; code <= kLastCapturedKey; ++code) {
    if (keyboard.IsPressed(uint8_t(code))) {
      PressKey(uint8_t(code));
      return;
    }
  }
}

void SettingsSheet::PollJoystick(const JoystickDevice& joystick, const KeyboardDevice* keyboard) {
  if (keyboard != nullptr && keyboard->IsPressed(kDeleteKey)) {
    PressDeleteKey();
    return;
  }
  const int32_t code = joystick.FirstPressed();
  if (code >= kFirstButtonCode) PressJoystickButton(uint8_t(code));
}

void SettingsSheet::RestoreDefaults() {
  const AppSettings::AppConfigBlock defaults = Defaults(working_, services_.capabilityFlag);
  for (const Setting& setting : Settings()) {
    if (setting.page == page_) WriteSetting(working_, setting, ReadSetting(defaults, setting));
  }
}

void SettingsSheet::CopyBack(Page page) {
  for (const Setting& setting : Settings()) {
    if (setting.page == page) WriteSetting(block_, setting, ReadSetting(working_, setting));
  }
  memory_.blockChanged = true;
}

void SettingsSheet::StoreKeyboardPage() {
  CopyBack(kKeyboardPage);
  if (services_.actions != nullptr) ApplyKeyboardBindings(block_, *services_.actions);
}

void SettingsSheet::StoreInputPage() {
  CopyBack(kInputPage);
  if (services_.actions != nullptr && services_.input != nullptr && services_.mouse != nullptr) {
    ApplyJoystickMouseBindings(block_, *services_.input, *services_.actions, *services_.mouse);
  }
}

void SettingsSheet::StoreOtherPage() {
  const bool shown = block_[kHintsShown] != 0;
  const uint32_t delay = BlockU32(block_, kHintDelay);
  CopyBack(kOtherPage);
  if ((block_[kHintsShown] != 0) != shown || BlockU32(block_, kHintDelay) != delay) hintsChanged_ = true;
}

void SettingsSheet::StoreWindowPage() {
  CopyBack(kWindowPage);
  if (services_.applyDrawingOptions) {
    services_.applyDrawingOptions(block_[160], {block_[161], block_[162], block_[163], block_[164]});
  }
  if (services_.applyTopmost) services_.applyTopmost(block_[155] != 0);
}

void SettingsSheet::Ok() {
  if (visited_[kKeyboardPage]) StoreKeyboardPage();
  if (visited_[kInputPage]) StoreInputPage();
  if (visited_[kOtherPage]) StoreOtherPage();
  if (visited_[kWindowPage]) StoreWindowPage();
  if (hintsChanged_ && services_.applyHints) {
    services_.applyHints(block_[kHintsShown] != 0, BlockU32(block_, kHintDelay));
  }
}

void SettingsSheet::Cancel() {
  if (volumeMoved_ && services_.setMovieVolume) {
    services_.setMovieVolume(int32_t(BlockU32(block_, kMovieVolume)));
  }
}

}  // namespace orrivel
