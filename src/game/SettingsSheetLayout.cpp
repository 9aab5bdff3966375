#include "game/SettingsSheetLayout.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "platform/TextCodec.h"

namespace orrivel {

using platform::DialogControl;
using platform::DialogControlKind;
using platform::DialogRequest;
using platform::Rect;
using Page = SettingsSheet::Page;

namespace {

std::string Cp932(const char* utf8) { return platform::Utf8ToCp932Lossy(utf8); }

constexpr std::array<const char*, 4> kPageTitles{"キーボード", "マウス・ジョイスティック", "その他", "ウィンドウ"};
constexpr std::array<int32_t, 4> kTabWidths{76, 150, 56, 72};
constexpr std::array<const char*, SettingsSheet::kFieldCount> kActionNames{
    "決定",           "キャンセル",     "オートプレイ",           "セーブ",
    "ロード",         "クイックセーブ", "クイックロード",         "ウィンドウを消去",
    "システムメニュー", "環境設定",       "テキスト履歴",           "次の選択肢までスキップ",
    "前の選択肢に戻る", "タイトルに戻る"};
constexpr std::array<const char*, 7> kMouseFunctions{"割り当て無し", "システムメニュー", "ウィンドウを消去",
                                                     "オートプレイ", "次の選択肢までスキップ", "セーブ", "ロード"};
constexpr std::array<const char*, 3> kDrawingMethods{"自動設定", "DirectDraw", "Direct3D"};

constexpr int32_t kPageTop = 28;
constexpr int32_t kButtonsTop = 344;
constexpr int32_t kRowHeight = 18;

// Builds one page's controls from the sheet's working values.
class PageBuilder {
 public:
  PageBuilder(const SettingsSheet& sheet, bool joystick, DialogRequest& out,
              std::vector<SettingsSheetBinding>* bindings)
      : sheet_(sheet), joystick_(joystick), out_(out), bindings_(bindings) {}

  void Bind(uint16_t id, DialogControlKind kind, uint8_t offset, uint32_t value, uint32_t minimum = 0,
            uint32_t maximum = 0, uint32_t divisor = 1) {
    if (bindings_ != nullptr) bindings_->push_back({id, kind, offset, value, minimum, maximum, divisor});
  }

  DialogControl& Add(uint16_t id, DialogControlKind kind, Rect rect, std::string text) {
    DialogControl control;
    control.id = id;
    control.kind = kind;
    control.rect = rect;
    control.text = std::move(text);
    out_.controls.push_back(std::move(control));
    return out_.controls.back();
  }
  void Label(Rect rect, const char* utf8) { Add(0, DialogControlKind::Text, rect, Cp932(utf8)).centredVertically = true; }
  void Group(Rect rect, const char* utf8) { Add(0, DialogControlKind::Frame, rect, Cp932(utf8)); }
  // A check box of a byte: ticked when the byte equals `on`.
  void Check(uint16_t id, uint8_t offset, int32_t x, int32_t y, const char* utf8, uint32_t on = 1) {
    DialogControl& box = Add(id, DialogControlKind::CheckBox, Rect{x, y, 404, y + kRowHeight}, Cp932(utf8));
    box.checked = sheet_.Value(offset) == on;
    box.enabled = sheet_.ControlEnabled(offset, joystick_);
    Bind(id, DialogControlKind::CheckBox, offset, on);
  }
  void Radio(uint16_t id, uint8_t offset, uint32_t value, Rect rect, const char* utf8) {
    DialogControl& radio = Add(id, DialogControlKind::Radio, rect, Cp932(utf8));
    radio.checked = sheet_.Value(offset) == value;
    Bind(id, DialogControlKind::Radio, offset, value);
  }
  // A combo of a byte whose choices stand for first, first + 1, ...
  // A value past the choices shows as `other`.
  void Combo(uint16_t id, uint8_t offset, Rect rect, std::vector<std::string> items, uint32_t first,
             std::string other = {}) {
    const uint32_t now = sheet_.Value(offset);
    const uint32_t last = first + uint32_t(items.size()) - 1;
    const bool known = now >= first && now <= last;
    DialogControl& combo = Add(id, DialogControlKind::Combo, rect, known ? items[now - first] : other);
    combo.enabled = sheet_.ControlEnabled(offset, joystick_);
    combo.value = known ? int32_t(now - first) : -1;
    combo.items = std::move(items);
    Bind(id, DialogControlKind::Combo, offset, 0, first, last);
  }
  // A slider with the edit that shows its value beside it.
  void Slider(uint16_t id, uint16_t editId, uint8_t offset, int32_t y, int32_t maximum, int32_t divisor,
              int32_t line, int32_t page) {
    const bool enabled = sheet_.ControlEnabled(offset, joystick_);
    const int32_t value = int32_t(sheet_.Value(offset));
    DialogControl& slider = Add(id, DialogControlKind::Slider, Rect{150, y, 340, y + 22}, std::string());
    slider.value = value / divisor;
    slider.maximum = maximum;
    slider.enabled = enabled;
    slider.lineStep = line;
    slider.pageStep = page;
    DialogControl& edit = Add(editId, DialogControlKind::Edit, Rect{346, y + 1, 404, y + 21}, std::to_string(value));
    edit.enabled = enabled;
    edit.digitsOnly = true;
    edit.textLimit = uint16_t(std::to_string(maximum * divisor).size());
    Bind(id, DialogControlKind::Slider, offset, 0, 0, uint32_t(maximum), uint32_t(divisor));
    Bind(editId, DialogControlKind::Edit, offset, 0, 0, uint32_t(maximum * divisor));
  }
  // The fourteen key or button fields in two columns, from `top`.
  void Fields(int32_t top, uint8_t firstOffset) {
    for (int32_t field = 0; field < SettingsSheet::kFieldCount; ++field) {
      const int32_t column = field / 7, row = field % 7;
      const int32_t x = 14 + column * 198, y = top + row * 24;
      Label(Rect{x, y, x + 124, y + 20}, kActionNames[size_t(field)]);
      DialogControl& edit = Add(uint16_t(SettingsSheetLayout::kFirstFieldId + field), DialogControlKind::Edit,
                                Rect{x + 126, y, x + 192, y + 20}, sheet_.FieldText(field));
      edit.checked = sheet_.FocusedField() == field;
      edit.readOnly = true;  // the fields take pressed keys, not typed text
      edit.enabled = sheet_.ControlEnabled(uint8_t(firstOffset + field), joystick_);
    }
  }

  const SettingsSheet& sheet_;
  bool joystick_;
  DialogRequest& out_;
  std::vector<SettingsSheetBinding>* bindings_;
};

void KeyboardPage(PageBuilder& b) {
  b.Group(Rect{8, kPageTop + 6, 410, 224}, "キー割り当て");
  b.Fields(kPageTop + 24, 114);
  b.Group(Rect{8, 230, 410, 282}, "スキップキー");
  b.Radio(1072, 130, 0, Rect{20, 250, 140, 268}, "Shiftキー");
  b.Radio(1073, 130, 1, Rect{150, 250, 270, 268}, "Ctrlキー");
  b.Check(1068, 131, 14, 292, "未読テキストは早送りしない");
}

template <size_t N>
std::vector<std::string> Items(const std::array<const char*, N>& utf8) {
  std::vector<std::string> items;
  for (const char* item : utf8) items.push_back(Cp932(item));
  return items;
}

// The sheet is laid out again on every message and tick: the fixed choices
// are converted once.
const std::vector<std::string>& MouseFunctions() {
  static const std::vector<std::string> items = Items(kMouseFunctions);
  return items;
}

const std::vector<std::string>& DrawingMethods() {
  static const std::vector<std::string> items = Items(kDrawingMethods);
  return items;
}

void InputPage(PageBuilder& b) {
  b.Check(1068, 132, 14, kPageTop + 6, "ジョイスティックを使用する");
  b.Fields(kPageTop + 30, 133);
  b.Label(Rect{14, 224, 134, 244}, "＜右ボタン＞");
  b.Combo(1074, 149, Rect{140, 224, 300, 244}, MouseFunctions(), 0);
  b.Label(Rect{14, 248, 134, 268}, "＜ホイールボタン＞");
  b.Combo(1075, 152, Rect{140, 248, 300, 268}, MouseFunctions(), 0);
  b.Label(Rect{14, 272, 134, 290}, "＜ホイール↑＞");
  b.Radio(1072, 150, 0, Rect{140, 272, 260, 290}, "テキスト履歴");
  b.Radio(1073, 150, 1, Rect{266, 272, 404, 290}, "テキストを戻す");
  b.Check(1069, 151, 14, 296, "右クリックでオートプレイを解除する");
  b.Check(1070, 153, 14, 316, "ホイール↓で次ページを表示（テキストを読み進める）");
}

void OtherPage(PageBuilder& b) {
  b.Check(1101, 180, 14, kPageTop + 6, "セーブのコメントに現在のテキストを使う");
  b.Check(1102, 190, 14, kPageTop + 26, "テキスト履歴の文字をなめらかにする");
  b.Check(1103, 10, 14, kPageTop + 46, "ポインタを画面の下端に移すとフレームを隠す");
  b.Check(1068, 0, 14, kPageTop + 66, "Webページを表示する前に確認する");
  b.Check(1104, 166, 14, kPageTop + 92, "ムービーを再生する");
  b.Check(1105, 167, 30, kPageTop + 112, "DirectShowのウィンドウを使う");
  b.Label(Rect{30, kPageTop + 134, 146, kPageTop + 156}, "ムービーの音量");
  // Volume: line 1, page 16; hint delay in tens of ms: line 10, page 15;
  // history pages: line 1, page 15.
  b.Slider(1051, 1054, 168, kPageTop + 134, 256, 1, 1, 16);
  b.Check(1106, 16, 14, kPageTop + 166, "ポップアップヒントを表示する");
  b.Label(Rect{30, kPageTop + 188, 146, kPageTop + 210}, "表示までの時間(ms)");
  b.Slider(1052, 1055, 20, kPageTop + 188, 300, 10, 10, 15);
  b.Label(Rect{14, kPageTop + 222, 146, kPageTop + 244}, "テキスト履歴のページ数");
  b.Slider(1053, 1056, 29, kPageTop + 222, 255, 1, 1, 15);
  b.Check(1069, 30, 14, kPageTop + 254, "テキスト履歴データのセーブ・ロードを行う");
}

void WindowPage(PageBuilder& b) {
  b.Group(Rect{8, kPageTop + 4, 410, 330}, "画面モード（次の切り替えから有効）");
  b.Check(1110, 154, 18, kPageTop + 24, "フルスクリーンで解像度を変更する");
  b.Check(1111, 155, 18, kPageTop + 44, "フルスクリーンで最前面に表示する");
  b.Check(1112, 156, 18, kPageTop + 64, "解像度の変更にDirectDrawを使う", 2);
  b.Label(Rect{18, kPageTop + 88, 140, kPageTop + 108}, "対象モニタ");
  // The window's own monitor first, then each monitor by name; a stored
  // monitor the machine no longer has shows its number.
  std::vector<std::string> monitors{Cp932("ウィンドウがあるモニタ")};
  for (const std::string& name : b.sheet_.GetServices().monitorNames) monitors.push_back(name);
  b.Combo(1074, 157, Rect{146, kPageTop + 88, 404, kPageTop + 108}, std::move(monitors), 0,
          Cp932("モニタ") + std::to_string(b.sheet_.Value(157)));
  b.Label(Rect{18, kPageTop + 114, 140, kPageTop + 134}, "拡大時の描画方法");
  b.Combo(1075, 160, Rect{146, kPageTop + 114, 300, kPageTop + 134}, DrawingMethods(), 1);
  b.Label(Rect{18, kPageTop + 136, 404, kPageTop + 154}, "（DirectDrawの設定は次の起動から有効）");
  b.Check(1113, 161, 18, kPageTop + 158, "拡大しないときもこの描画方法を使う");
  b.Check(1114, 162, 18, kPageTop + 178, "テクスチャを2のべき乗の大きさにする");
  b.Check(1115, 163, 18, kPageTop + 198, "バイリニアフィルタを使う");
  b.Check(1116, 164, 18, kPageTop + 218, "デバイスコンテキストを通して転送する");
  b.Check(1117, 158, 18, kPageTop + 246, "ウィンドウモードで起動する");
  b.Check(1118, 159, 18, kPageTop + 266, "終了時にウィンドウの位置を保存する");
}

}  // namespace

DialogRequest LayOutSettingsSheet(const SettingsSheet& sheet, bool joystickPresent,
                                  std::vector<SettingsSheetBinding>* bindings) {
  DialogRequest request;
  request.templateId = uint16_t(SettingsSheet::kFirstTemplate + sheet.CurrentPage());
  request.caption = Cp932("入力・その他設定");
  request.font = Cp932("ＭＳ Ｐゴシック");
  request.rect = Rect{0, 0, SettingsSheetLayout::kClientWidth, SettingsSheetLayout::kClientHeight};
  request.defaultButton = 1;
  request.cancelButton = SettingsSheetLayout::kCancelId;
  if (bindings != nullptr) bindings->clear();
  PageBuilder b(sheet, joystickPresent, request, bindings);
  // The page's body, then the tabs over its top edge.
  b.Add(0, DialogControlKind::Frame, Rect{4, kPageTop - 2, 414, 338}, std::string());
  int32_t x = 4;
  for (int32_t page = 0; page < 4; ++page) {
    DialogControl& tab = b.Add(uint16_t(SettingsSheetLayout::kFirstTabId + page), DialogControlKind::Tab,
                               Rect{x, 6, x + kTabWidths[size_t(page)], kPageTop}, Cp932(kPageTitles[size_t(page)]));
    tab.checked = sheet.CurrentPage() == page;
    x += kTabWidths[size_t(page)];
  }
  switch (sheet.CurrentPage()) {
    case Page::kKeyboardPage: KeyboardPage(b); break;
    case Page::kInputPage: InputPage(b); break;
    case Page::kOtherPage: OtherPage(b); break;
    case Page::kWindowPage: WindowPage(b); break;
  }
  b.Add(SettingsSheet::kDefaultsButton, DialogControlKind::Button, Rect{6, kButtonsTop, 126, kButtonsTop + 24},
        Cp932("デフォルト設定に戻す"));
  b.Add(1, DialogControlKind::Button, Rect{262, kButtonsTop, 334, kButtonsTop + 24}, "OK");
  b.Add(SettingsSheetLayout::kCancelId, DialogControlKind::Button, Rect{340, kButtonsTop, 412, kButtonsTop + 24},
        Cp932("キャンセル"));
  return request;
}

std::optional<uint32_t> ActionValue(const SettingsSheet& sheet, const SettingsSheetBinding& binding,
                                    const DialogAction& action) {
  const uint32_t now = sheet.Value(binding.offset);
  switch (action.kind) {
    case DialogAction::Kind::Toggle:
      if (binding.kind != DialogControlKind::CheckBox) return std::nullopt;
      // A box whose ticked value is 2 holds 1 when clear.
      return now == binding.value ? binding.value - 1 : binding.value;
    case DialogAction::Kind::Choose:
      if (binding.kind != DialogControlKind::Radio || now == binding.value) return std::nullopt;
      return binding.value;
    case DialogAction::Kind::Select:
      if (binding.kind != DialogControlKind::Combo || action.value < 0) return std::nullopt;
      return std::min(binding.minimum + uint32_t(action.value), binding.maximum);
    case DialogAction::Kind::Slide:
      if (binding.kind != DialogControlKind::Slider || action.value < 0) return std::nullopt;
      return std::min(uint32_t(action.value), binding.maximum) * binding.divisor;
    case DialogAction::Kind::Edit: {
      if (binding.kind != DialogControlKind::Edit || action.text.empty()) return std::nullopt;
      uint32_t typed = 0;
      for (char digit : action.text) {
        if (digit < '0' || digit > '9') return std::nullopt;
        typed = std::min<uint32_t>(typed * 10 + uint32_t(digit - '0'), binding.maximum);
      }
      return typed;
    }
    default:
      return std::nullopt;
  }
}

}  // namespace orrivel
