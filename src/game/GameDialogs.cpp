#include "game/GameDialogs.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "base/Cp932.h"
#include "base/FileDialog.h"
#include "base/SystemReport.h"
#include "game/GameApplication.h"
#include "platform/Backend.h"
#include "platform/Clipboard.h"
#include "platform/DesktopShell.h"
#include "platform/FileSystem.h"
#include "platform/TextCodec.h"
#include "text/OutlineFont.h"

namespace orrivel {

using platform::DialogAnswer;
using platform::DialogControl;
using platform::DialogControlKind;
using platform::DialogRequest;
using platform::Rect;
using platform::Size;
using platform::WindowId;

namespace {

constexpr char kDialogFont[] = "ＭＳ Ｐゴシック";
// 9 points at the display's 96 pixels per inch.
constexpr int32_t kDialogFontPixels = 12;
// A fitted box grows to show a line this wide at most, then wraps.
constexpr int32_t kWidestFittedText = 560;
// A text of many lines (a script may pass tens of thousands) stops growing
// the box here.
constexpr int32_t kTallestFittedText = 480;
constexpr char kInfoTempPrefix[] = "VQS";

std::string Cp932(const char* utf8) { return platform::Utf8ToCp932Lossy(utf8); }

DialogControl MakeControl(uint16_t id, DialogControlKind kind, Rect rect, std::string text = std::string()) {
  DialogControl control;
  control.id = id;
  control.kind = kind;
  control.rect = rect;
  control.text = std::move(text);
  return control;
}

void Offset(Rect& rect, int32_t dx, int32_t dy) {
  rect.left += dx;
  rect.right += dx;
  rect.top += dy;
  rect.bottom += dy;
}

bool IsQuestion(int kind) { return kind == 2 || kind == 3; }
bool HasCheckBox(int kind) { return kind == 1 || kind == 3; }

// The widths of a CP932 text's lines, each wrapped at width (0: never)
// one character at a time, as a dialog's text control breaks Japanese.
template <class LineWidth>
Size WrapText(const std::string& text, int32_t wrapWidth, int32_t lineHeight, LineWidth lineWidth) {
  int32_t widest = 0;
  int32_t lines = 0;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string paragraph = text.substr(start, end - start);
    if (!paragraph.empty() && paragraph.back() == '\r') paragraph.pop_back();
    if (wrapWidth <= 0) {
      // Unwrapped, a paragraph is one line: measured once, not once per
      // character, so a script's long text costs no more than its length.
      widest = std::max(widest, lineWidth(paragraph));
      ++lines;
      start = end + 1;
      continue;
    }
    std::string line;
    for (size_t i = 0; i < paragraph.size();) {
      const size_t length = cp932::CharLength(paragraph, i);
      const std::string next = line + paragraph.substr(i, length);
      if (wrapWidth > 0 && !line.empty() && lineWidth(next) > wrapWidth) {
        widest = std::max(widest, lineWidth(line));
        ++lines;
        line = paragraph.substr(i, length);
      } else {
        line = next;
      }
      i += length;
    }
    widest = std::max(widest, lineWidth(line));
    ++lines;
    start = end + 1;
  }
  return Size{widest, lines * lineHeight};
}

// The dialogs' font; without it a character is measured as half (single
// byte) or all of the font's height wide.
DialogTextMeasure OutlineMeasure() {
  auto font = std::make_shared<OutlineFont>();
  const bool made = font->SetFont(kDialogFontPixels, 0, 0, Cp932(kDialogFont).c_str()) == 0;
  return [font, made](const std::string& text, int32_t wrapWidth) {
    const auto width = [&](const std::string& line) -> int32_t {
      if (!made) {
        int32_t w = 0;
        for (size_t i = 0; i < line.size(); i += cp932::CharLength(line, i)) {
          w += cp932::CharLength(line, i) == 2 ? kDialogFontPixels : kDialogFontPixels / 2;
        }
        return w;
      }
      Size size;
      font->MeasureText(line.c_str(), &size, nullptr, nullptr, false, nullptr);
      return size.width;
    };
    return WrapText(text, wrapWidth, kDialogFontPixels, width);
  };
}

}  // namespace

GameDialogs::GameDialogs(GameApplication& app) : app_(app) {}

std::string GameDialogs::VersionLine(uint8_t major, uint8_t minor, uint8_t build) {
  char text[48];
  std::snprintf(text, sizeof text, "Version %d.%02d", major, minor);
  std::string line = text;
  if (build != 0) {
    std::snprintf(text, sizeof text, "%x ", build);
    line += text;
  }
  return line;
}

DialogRequest GameDialogs::MessageLayout(int kind, const std::string& text, bool fit) {
  if (!measure_) measure_ = OutlineMeasure();
  DialogRequest request;
  request.templateId = uint16_t(kMessageDialogTemplate + kind);
  request.font = Cp932(kDialogFont);
  const bool check = HasCheckBox(kind);
  const int32_t buttonsTop = check ? 98 : 76;
  request.rect = Rect{0, 0, 300, buttonsTop + 34};
  request.controls.push_back(MakeControl(kControlFrame, DialogControlKind::Frame, Rect{10, 10, 290, 66}));
  request.controls.push_back(MakeControl(kControlText, DialogControlKind::Text, Rect{20, 20, 280, 56}, text));
  if (check) {
    request.controls.push_back(MakeControl(kControlCheck, DialogControlKind::CheckBox, Rect{20, 72, 280, 88},
                                       Cp932("今後、このメッセージを表示しない")));
  }
  if (IsQuestion(kind)) {
    request.controls.push_back(
        MakeControl(kControlOk, DialogControlKind::Button, Rect{66, buttonsTop, 146, buttonsTop + 24}, Cp932("はい")));
    request.controls.push_back(
        MakeControl(kControlNo, DialogControlKind::Button, Rect{154, buttonsTop, 234, buttonsTop + 24}, Cp932("いいえ")));
    request.cancelButton = kControlNo;
    request.icon = platform::MessageBoxIcon::Question;
  } else {
    request.controls.push_back(
        MakeControl(kControlOk, DialogControlKind::Button, Rect{110, buttonsTop, 190, buttonsTop + 24}, "OK"));
    request.cancelButton = kControlOk;
    request.icon = platform::MessageBoxIcon::Exclamation;
  }
  if (!fit) return request;

  DialogControl& textControl = *request.Find(kControlText);
  const int32_t lineHeight = measure_("A", 0).height;
  const int32_t wide = std::min(measure_(text, 0).width, kWidestFittedText);
  // A wider text widens the control, its frame and the box; the buttons
  // stay in the middle.
  if (const int32_t grow = wide - textControl.rect.Width(); grow > 0) {
    request.rect.right += grow;
    for (DialogControl& control : request.controls) {
      if (control.kind == DialogControlKind::Text || control.kind == DialogControlKind::Frame) {
        control.rect.right += grow;
      } else if (control.kind == DialogControlKind::Button) {
        Offset(control.rect, grow / 2, 0);
      }
    }
  }
  Size wrapped = measure_(text, textControl.rect.Width());
  // A taller text makes the box longer, up to what a screen shows (the
  // control cuts what is below); what is below the text moves down.
  wrapped.height = std::min(wrapped.height, kTallestFittedText);
  if (const int32_t grow = wrapped.height - textControl.rect.Height(); grow > 0) {
    request.rect.bottom += grow;
    for (DialogControl& control : request.controls) {
      if (control.kind == DialogControlKind::Text || control.kind == DialogControlKind::Frame) {
        control.rect.bottom += grow;
      } else {
        Offset(control.rect, 0, grow);
      }
    }
  }
  // One line sits in the middle of the control.
  if (wrapped.height <= lineHeight) {
    textControl.centredVertically = true;
    const int32_t top = textControl.rect.top + (textControl.rect.Height() - lineHeight) / 2;
    textControl.rect.top = top;
    textControl.rect.bottom = top + lineHeight;
  }
  return request;
}

void GameDialogs::PlaceOnOwner(DialogRequest& request) {
  platform::Backend& backend = platform::CurrentBackend();
  Rect around = backend.SystemWorkArea();
  if (request.owner != platform::kNoWindow && request.owner != platform::kDesktopWindow &&
      backend.IsWindow(request.owner) && backend.IsVisible(request.owner)) {
    around = backend.GetWindowRect(request.owner);
  }
  const int32_t width = request.rect.Width();
  const int32_t height = request.rect.Height();
  request.rect.left = around.left + (around.Width() - width) / 2;
  request.rect.top = around.top + (around.Height() - height) / 2;
  request.rect.right = request.rect.left + width;
  request.rect.bottom = request.rect.top + height;
}

void GameDialogs::MoveCursorToDefault(const DialogRequest& request, bool question) {
  if (!app_.centreCursorAfterModeChange) return;
  const DialogControl* button = request.Find(kControlOk);
  if (button == nullptr) return;
  platform::CurrentBackend().SetCursorPos(platform::Point{
      request.rect.left + button->rect.left + (question ? 60 : 56), request.rect.top + button->rect.top + 8});
}

DialogLayer& GameDialogs::Layer() {
  if (!layer_) layer_.emplace();
  return *layer_;
}

DialogAnswer GameDialogs::Show(const DialogRequest& request) {
  // A dialog opened inside another modal state keeps that state's pause.
  const bool enter = !app_.modalBoxOpen;
  if (enter) app_.EnterModalState();
  // The engine draws the dialog over the game screen; the service in use
  // takes the answer.
  Layer().Show(request);
  const DialogAnswer answer = platform::CurrentDialogs().Show(request);
  Layer().Hide();
  if (enter) app_.LeaveModalState();
  return answer;
}

int GameDialogs::ShowMessageDialog(const char* text, int kind, uint8_t* dontShowAgain, const char* caption, bool fit,
                                   WindowId owner) {
  if (text == nullptr || kind < 0 || kind > 3) return 0;
  DialogRequest request = MessageLayout(kind, text, fit);
  if (owner == platform::kNoWindow) {
    owner = app_.mainWindow.IsValid() ? app_.mainWindow.GetHandle() : platform::kDesktopWindow;
  }
  request.owner = owner;
  const char* title = caption ? caption : app_.GetTitle();
  request.caption = title ? title : "";
  PlaceOnOwner(request);
  // The box starts with its check box off, and so does the byte.
  if (HasCheckBox(kind) && dontShowAgain != nullptr) *dontShowAgain = 0;
  MoveCursorToDefault(request, IsQuestion(kind));
  const DialogAnswer answer = Show(request);
  if (HasCheckBox(kind) && dontShowAgain != nullptr) *dontShowAgain = answer.checked ? 1 : 0;
  if (!IsQuestion(kind)) return 0;
  return answer.button == kControlOk ? 1 : 0;
}

int GameDialogs::ShowMessageDialogRecord(MessageDialogRecord* record) {
  if (record == nullptr) return 1;
  const char* caption = record->caption ? record->caption->c_str() : nullptr;
  const int answer = ShowMessageDialog(record->text.c_str(), record->kind, record->dontShowAgain, caption, record->fit);
  // A notice that was shown counts as answered with OK.
  record->result = IsQuestion(record->kind) ? uint8_t(answer) : uint8_t(record->kind <= 1 ? 1 : 0);
  return 0;
}

bool GameDialogs::IsSentRecord(const MessageDialogRecord* record) {
  std::lock_guard hold(sentLock_);
  return sent_.count(record) != 0;
}

uint8_t GameDialogs::SendMessageIfWindow(uint8_t kind, const std::string& text, const char* caption,
                                         uint8_t* dontShowAgain, bool fit) {
  if (!app_.mainWindow.IsValid()) return 0;
  MessageDialogRecord record;
  record.kind = kind;
  record.text = text;
  if (caption) record.caption = std::string(caption);
  record.dontShowAgain = dontShowAgain;
  record.fit = fit;
  {
    std::lock_guard hold(sentLock_);
    sent_.insert(&record);
  }
  app_.canPaint = false;
  app_.mainWindow.SendWindowMessage(platform::WM_APP_DIALOG_REQUEST, reinterpret_cast<uintptr_t>(&record), 0);
  app_.canPaint = true;
  {
    std::lock_guard hold(sentLock_);
    sent_.erase(&record);
  }
  return record.result;
}

std::string GameDialogs::SystemInformationText() {
  SystemReport report;
  report.OpenInMemory();
  std::vector<std::string> lines;
  for (int i = 1; i <= 2; ++i) {
    if (app_.appInfo[size_t(i)]) lines.push_back(*app_.appInfo[size_t(i)]);
  }
  const char* title = app_.GetTitle();
  report.WriteHead(title ? title : "", app_.versionMajor, app_.versionMinor, app_.versionLetter, lines);
  report.WriteSystem();
  report.WriteCpu(false);
  report.WriteDisplay(app_.useDirect3D != 0);
  return report.MemoryText();
}

DialogRequest GameDialogs::VersionLayout(bool systemInfo, const std::string& info) {
  DialogRequest request;
  request.templateId = kVersionDialogTemplate;
  request.font = Cp932(kDialogFont);
  request.caption = Cp932("バージョン情報");
  request.rect = Rect{0, 0, 400, 330};
  const char* title = app_.GetTitle();
  request.controls.push_back(MakeControl(
      kControlText, DialogControlKind::Text, Rect{20, 14, 380, 40},
      std::string(title ? title : "") + "  " + VersionLine(app_.versionMajor, app_.versionMinor, app_.versionLetter)));
  DialogControl edit = MakeControl(kControlFrame, DialogControlKind::Edit, Rect{20, 48, 380, 220}, info);
  request.controls.push_back(edit);
  DialogControl check =
      MakeControl(kControlCheck, DialogControlKind::CheckBox, Rect{20, 228, 160, 244}, Cp932("システム情報"));
  check.checked = systemInfo;
  request.controls.push_back(check);
  request.controls.push_back(
      MakeControl(kControlDetail, DialogControlKind::Text, Rect{164, 228, 380, 244}, Cp932("詳細な情報を取得する")));
  const std::string address = app_.appInfo[3].value_or(std::string());
  request.controls.push_back(MakeControl(kControlLink, DialogControlKind::Link, Rect{20, 254, 380, 270}, address));
  request.controls.push_back(MakeControl(kControlCopy, DialogControlKind::Button, Rect{20, 290, 120, 314}, Cp932("コピー")));
  request.controls.push_back(MakeControl(kControlSave, DialogControlKind::Button, Rect{128, 290, 228, 314}, Cp932("保存")));
  request.controls.push_back(MakeControl(kControlOk, DialogControlKind::Button, Rect{300, 290, 380, 314}, "OK"));
  request.icon = platform::MessageBoxIcon::Information;
  return request;
}

void GameDialogs::AskBeforeWebPage(bool& open) {
  open = true;
  uint8_t& ask = app_.settings.blocks.appConfig[0];
  if (ask == 0) return;
  uint8_t dontAsk = 0;
  open = ShowMessageDialog(Cp932("「Ferrowick」のWebページを表示します。\nよろしいですか？").c_str(), 3, &dontAsk) == 1;
  if (dontAsk != 0) ask = 0;
}

void GameDialogs::SaveSystemInformation(const std::string& info) {
  const char* title = app_.GetTitle();
  std::vector<char> file(kDialogPathRoom, '\0');
  std::vector<char> fileTitle(kDialogTitleRoom, '\0');
  const std::string proposed = Cp932("「") + (title ? title : "") + Cp932("」システム情報.txt");
  std::copy_n(proposed.begin(), std::min(proposed.size(), file.size() - 1), file.begin());
  std::vector<char> documents(kDialogPathRoom, '\0');
  if (!GetSpecialFolderPath(documents.data(), 0x05)) documents[0] = '\0';
  std::string filter = Cp932("システム情報ファイル(*.TXT)") + "\t*.TXT\t";
  std::vector<char> filterBuffer(filter.begin(), filter.end());
  filterBuffer.push_back('\0');
  FileDialog dialog;
  if (dialog.ShowSaveFileDialog(app_.mainWindow.GetHandle(), Cp932("ログを保存").c_str(), file.data(),
                                fileTitle.data(), documents.data(), filterBuffer.data(), "txt") == 0) {
    return;
  }
  const auto* bytes = reinterpret_cast<const uint8_t*>(info.data());
  platform::ReplaceFileContents(file.data(), {bytes, info.size()}, kInfoTempPrefix);
}

void GameDialogs::ShowVersionDialog() {
  uint8_t& systemInfoByte = app_.settings.blocks.appConfig[1];
  bool systemInfo = systemInfoByte != 0;
  std::string info = systemInfo ? SystemInformationText() : std::string();
  for (;;) {
    DialogRequest request = VersionLayout(systemInfo, info);
    request.owner = app_.mainWindow.IsValid() ? app_.mainWindow.GetHandle() : platform::kDesktopWindow;
    PlaceOnOwner(request);
    const DialogAnswer answer = Show(request);
    switch (answer.button) {
      case kControlCheck:
        systemInfo = answer.setsCheck ? answer.checked : !systemInfo;
        systemInfoByte = systemInfo ? 1 : 0;
        info = systemInfo ? SystemInformationText() : std::string();
        break;
      case kControlLink: {
        bool open = false;
        AskBeforeWebPage(open);
        if (!open) break;
        platform::CurrentDesktopShell().Open(app_.appInfo[3].value_or(std::string()));
        // In full screen the page would open behind the game.
        if (app_.screenMode == 1) return;
        break;
      }
      case kControlCopy:
        platform::CurrentClipboard().SetText(info);
        ShowMessageDialog(Cp932("クリップボードにシステム情報をコピーしました。").c_str(), 0);
        break;
      case kControlSave:
        SaveSystemInformation(info);
        break;
      default:
        return;
    }
  }
}

}  // namespace orrivel
