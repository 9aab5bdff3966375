#include "game/ConfirmBox.h"
#include "game/PointerGlide.h"

#include <algorithm>
#include <string>
#include <utility>

#include "base/ActionMap.h"
#include "base/InputDevice.h"
#include "base/TickSource.h"
#include "raster/SpriteList.h"
#include "base/TimerList.h"
#include "scene/ControlHost.h"
#include "scene/SpriteActions.h"
#include "platform/TextCodec.h"
#include "text/Font.h"
#include "text/GdiFont.h"
#include "text/OutlineFont.h"

namespace orrivel {

namespace {

ConfirmBox* currentBox = nullptr;

int32_t ButtonSetOf(int32_t mode) { return std::min(mode & 3, 2); }

// The first and second button's parts of a set.
std::array<int32_t, 2> ButtonParts(int32_t set) {
  if (set == 0) return {ConfirmBox::kOkAlone, -1};
  if (set == 1) return {ConfirmBox::kOk, ConfirmBox::kCancel};
  return {ConfirmBox::kYes, ConfirmBox::kNo};
}

}  // namespace

bool ConfirmBox::Button::Activate() {
  *fired_ = GetTag();
  return ButtonControl::Activate();
}

ConfirmBox::ConfirmBox() = default;

void ConfirmBox::UseOwnFonts() {
  const std::string gothic = platform::Utf8ToCp932Lossy("ＭＳ ゴシック");
  if (!tipFont_) {
    auto font = std::make_unique<OutlineFont>();
    font->SetFont(14, 0, 0, gothic.c_str());
    font->textRed = font->textGreen = font->textBlue = 0;
    tipFont_ = std::move(font);
  }
  if (!questionFont_) {
    // White text with a dark brown outline over the box's dark blue.
    auto font = std::make_unique<OutlineFont>();
    font->SetFont(21, 0, 0, gothic.c_str());
    font->textRed = font->textGreen = font->textBlue = 255;
    font->effectRed = 58;
    font->effectGreen = 18;
    font->effectBlue = 13;
    font->effectMode = kEffectOutline;
    font->SetEdge(font->EdgeStrength(), 2);
    questionFont_ = std::move(font);
  }
  if (!noticeFont_) {
    auto font = std::make_unique<GdiFont>();
    font->SetFont(20, 1, 0, platform::Utf8ToCp932Lossy("ＭＳ Ｐゴシック").c_str());
    noticeFont_ = std::move(font);
  }
  if (ports_.font == nullptr) ports_.font = questionFont_.get();
  if (ports_.noticeFont == nullptr) ports_.noticeFont = noticeFont_.get();
}

ConfirmBox::~ConfirmBox() {
  for (auto& button : buttons_)
    if (button) button->Release();
  // The notice's task is left alone: at exit its timer list may be gone
  // already, and the list deletes it; the sprite leaves its list by itself.
}

void ConfirmBox::ReleaseTask() {
  if (noticeTask_ == nullptr) return;
  TimedTask* task = noticeTask_;
  noticeTask_ = nullptr;
  task->SetOwnerSlot(nullptr);
  if (ports_.timers != nullptr) ports_.timers->Stop(task->Handle());
}

void ConfirmBox::HideNotice() {
  if (SpriteList* list = noticeSprite_.OwningList()) list->Remove(&noticeSprite_);
}

int32_t ConfirmBox::Open(const char* text, uint32_t delayMs) {
  ReleaseTask();
  if (text == nullptr) {
    HideNotice();
    return 0;
  }
  Font* font = ports_.noticeFont;
  Size size;
  if (font == nullptr || font->MeasureText(text, &size, nullptr, nullptr, false, nullptr) == 0 ||
      size.width <= 0 || size.height <= 0)
    return 1;
  // However long the script's text, the notice is a picture the screen
  // holds: what lies past its edge is cut.
  size.width = std::min(size.width, ConfirmBoxLayout::kScreenWidth - kNoticeX);
  size.height = std::min(size.height, ConfirmBoxLayout::kScreenHeight);
  if (noticeSurface_.Create(size.width, size.height, 32, 0) != 0) return 1;
  // A new surface starts all zero (transparent): the text goes straight on.
  if (font->DrawText(&noticeSurface_, 0, 0, text, nullptr, nullptr) != 0) return 1;
  // The sprite may still show the surface's old pixels: it takes the new
  // picture and starts below the screen again.
  noticeSprite_.SetImage(&noticeSurface_, nullptr, kNoticeX, kNoticeHiddenY);
  noticeSprite_.SetVisible(1);
  if (noticeSprite_.OwningList() == nullptr) {
    SpriteList* list = ports_.noticeList;
    if (list == nullptr && ports_.currentList) list = ports_.currentList();
    if (list != nullptr) list->Add(&noticeSprite_, kNoticeOrder, 0);
  }

  auto path = std::make_unique<SpritePathAction>(kNoticeSegmentMs, delayMs, 1, 0.0, 1, 0, 0, 0);
  const int32_t keys[] = {kNoticeX, kNoticeShownY,  255, kNoticeX, kNoticeShownY, 255, kNoticeX, kNoticeShownY, 255,
                          kNoticeX, kNoticeShownY,  255, kNoticeX, kNoticeHiddenY, 0};
  if (path->SetKeys(5, keys) != 0) return 2;
  if (path->Start(ports_.timers, &noticeSprite_) != 0) return 3;
  noticeTask_ = path.release();
  noticeTask_->SetOwnerSlot(&noticeTask_);
  if (ports_.noticeSound) ports_.noticeSound();
  return 0;
}

Surface* ConfirmBox::Part(int32_t which) {
  if (which < 0 || which >= kPartCount) return nullptr;
  if (ports_.picture) return ports_.picture(which);
  // Loaded once through the picture loaders and kept for the run.
  std::unique_ptr<Surface>& part = loadedParts_[size_t(which)];
  if (!part) {
    auto loaded = std::make_unique<Surface>();
    if (loaded->LoadImage(kPartNames[size_t(which)], nullptr, 0, 0) != 0 || loaded->GetBits() == nullptr)
      return nullptr;
    part = std::move(loaded);
  }
  return part.get();
}

uint32_t ConfirmBox::Now() { return ports_.now ? ports_.now() : CurrentTickMs(); }

bool ConfirmBox::DrawBox(const char* text) {
  const int32_t w = layout_.width;
  const int32_t h = layout_.height;
  // A new surface starts all zero (transparent), as the parts expect.
  if (boxSurface_.Create(w, h, 32, 0) != 0) return false;
  // Each part is looked up once: a part that does not load is not looked
  // for again at every column.
  std::array<Surface*, kPartCount> part{};
  for (int32_t which : {kTopBar, kBottomBar, kLeftBar, kRightBar, kLeftTop, kRightTop, kLeftBottom, kRightBottom})
    part[size_t(which)] = Part(which);
  auto put = [this](Surface* picture, int32_t x, int32_t y) {
    if (picture != nullptr) boxSurface_.Copy(picture, x, y, nullptr, false);
  };
  // The edges first, so the corners cover where they meet.
  for (int32_t x = kCornerWidth; x <= w - kCornerWidth - 1; ++x) {
    put(part[kTopBar], x, 0);
    put(part[kBottomBar], x, h - kBottomHeight);
  }
  for (int32_t y = kTopHeight; y <= h - kBottomHeight - 1; ++y) {
    put(part[kLeftBar], 0, y);
    put(part[kRightBar], w - kCornerWidth, y);
  }
  put(part[kLeftTop], 0, 0);
  put(part[kRightTop], w - kCornerWidth, 0);
  put(part[kLeftBottom], 0, h - kBottomHeight);
  put(part[kRightBottom], w - kCornerWidth, h - kBottomHeight);
  boxSurface_.FillBox(kCornerWidth, kTopHeight, w - 2 * kCornerWidth, h - kTopHeight - kBottomHeight,
                      kInsideColour);
  if (ports_.font != nullptr && text != nullptr)
    ports_.font->DrawText(&boxSurface_, layout_.textX - layout_.x, layout_.textY - layout_.y, text, nullptr,
                          nullptr);
  return true;
}

bool ConfirmBox::MakeButtons(SpriteList* owner, int32_t set) {
  const std::array<int32_t, 2> parts = ButtonParts(set);
  for (int32_t i = 0; i < layout_.buttonCount; ++i) {
    Surface* picture = Part(parts[size_t(i)]);
    if (picture == nullptr) return false;
    auto button = std::make_unique<Button>(&fired_);
    const ConfirmBoxLayout::Button& at = layout_.buttons[size_t(i)];
    // The lowest key lies on top: the buttons show over the box.
    if (button->CreateFromSurface(owner, kBoxOrder - 1, picture, false, false, at.x, at.y, 0, 255, 0) != 0)
      return false;
    // The first button answers 1, the second 0.
    button->SetTag(i == 0 ? 1 : 0);
    ports_.host->AddControl(button.get(), -1);
    buttons_[size_t(i)] = std::move(button);
  }
  return true;
}

int32_t ConfirmBox::MoveCursorTo(ButtonControl* control) {
  ControlHost* host = ports_.host;
  if (control == nullptr || host == nullptr) return -2;
  int32_t px = 0, py = 0;
  host->GetPointerPos(&px, &py);
  const bool keyboard =
      px >= ConfirmBoxLayout::kKeyboardPointerX && py >= ConfirmBoxLayout::kKeyboardPointerY;
  if (keyboard || control->Sprite().GetSource() == nullptr) {
    host->SetFocus(control);
    return 1;
  }
  const int32_t tx = control->GetX() + control->GetWidth() / 2;
  const int32_t ty = control->GetY() + control->GetHeight() / 2;
  return GlidePointer(*host, tx, ty, kGlideMs, [this] { return Now(); },
                      [this] { return ports_.pumpFrame ? ports_.pumpFrame() : 1; });
}

bool ConfirmBox::Zoom(bool in) {
  const int32_t centreX = layout_.x + layout_.width / 2;
  const int32_t centreY = layout_.y + layout_.height / 2;
  const uint32_t start = Now();
  for (;;) {
    const int32_t elapsed = int32_t(std::min<uint32_t>(Now() - start, kZoomMs));
    const int32_t part = in ? elapsed : int32_t(kZoomMs) - elapsed;
    const int32_t w = std::max(1, layout_.width * part / int32_t(kZoomMs));
    const int32_t h = std::max(1, layout_.height * part / int32_t(kZoomMs));
    boxSprite_.SetDisplaySize(w, h);
    boxSprite_.SetPosition(centreX - w / 2, centreY - h / 2);
    if (elapsed >= int32_t(kZoomMs)) {
      if (in) boxSprite_.SetPosition(layout_.x, layout_.y);
      return true;
    }
    if (!ports_.pumpFrame || ports_.pumpFrame() == 0) return false;
  }
}

void ConfirmBox::ShowButtons(bool show) {
  for (auto& button : buttons_)
    if (button) button->SetVisible(show);
}

bool ConfirmBox::CancelPressed() {
  ControlHost* host = ports_.host;
  ActionMap* actions = host->GetActionMap();
  if (actions != nullptr && actions->IsPressed(kActionCancel)) return true;
  InputDevice* pointer = host->GetPointerDevice();
  return pointer != nullptr && pointer->IsPressed(kCancelButton);
}

int32_t ConfirmBox::Ask(int32_t count) {
  ControlHost* host = ports_.host;
  (void)count;
  for (;;) {
    if (!ports_.pumpFrame || ports_.pumpFrame() == 0) return -1;
    fired_ = -1;
    host->Update(Now());
    if (fired_ >= 0) return fired_;
    if (CancelPressed()) return 0;
  }
}

void ConfirmBox::PlayAnswerSound(int32_t result, int32_t set, int32_t mode) {
  ControlHost* host = ports_.host;
  if (result == 0) {
    host->PlaySound(nullptr, 2, 0, 0);
  } else if (result == 1 && (mode & kModeSilentFirst) == 0) {
    host->PlaySound(nullptr, set == 0 ? 1 : 0, 0, 0);
  }
}

void ConfirmBox::Close(SpriteList* owner) {
  for (auto& button : buttons_) {
    if (!button) continue;
    ports_.host->RemoveControl(button.get());
    button->Release();
    button.reset();
  }
  owner->Remove(&boxSprite_);
  boxSprite_.Reset();
  boxSurface_.FreeBuffers();
  open_ = false;
}

int32_t ConfirmBox::Run(int32_t mode, const char* text, int32_t x, int32_t y, int32_t defaultButton,
                        SpriteList* owner) {
  ControlHost* host = ports_.host;
  // Without an owner the box goes over whatever the player sees now.
  if (owner == nullptr && ports_.currentList) owner = ports_.currentList();
  if (owner == nullptr || host == nullptr || open_) return -2;
  const bool pushed = host->PushControls() == 0;
  const int32_t set = ButtonSetOf(mode);

  ConfirmBoxLayout::Request request;
  Size size;
  if (ports_.font != nullptr && text != nullptr) ports_.font->MeasureText(text, &size, nullptr, nullptr, false, nullptr);
  request.textWidth = size.width;
  request.textHeight = size.height;
  request.set = set;
  request.x = x;
  request.y = y;
  host->GetPointerPos(&request.pointerX, &request.pointerY);
  request.defaultButton = defaultButton;
  const std::array<int32_t, 2> parts = ButtonParts(set);
  for (size_t i = 0; i < 2; ++i) {
    Surface* picture = parts[i] >= 0 ? Part(parts[i]) : nullptr;
    if (picture != nullptr) request.buttonSizes[i] = {0, 0, picture->GetWidth() / 2, picture->GetHeight()};
  }
  layout_ = ConfirmBoxLayout::Compute(request);

  open_ = true;
  int32_t result = -2;
  if (DrawBox(text) && boxSprite_.SetImage(&boxSurface_, nullptr, layout_.x, layout_.y) == 0 &&
      owner->Add(&boxSprite_, kBoxOrder, 0) == 0 && MakeButtons(owner, set)) {
    result = 0;
    const bool zoom = (mode & kModeZoom) != 0;
    if (zoom) {
      ShowButtons(false);
      if (!Zoom(true)) result = -1;
      ShowButtons(true);
    }
    if (result == 0 && defaultButton >= 0) {
      Button* target = buttons_[defaultButton != 0 && layout_.buttonCount == 2 ? 1 : 0].get();
      if (MoveCursorTo(target) == -1) result = -1;
    }
    if (result == 0) result = Ask(layout_.buttonCount);
    if (result >= 0) PlayAnswerSound(result, set, mode);
    if (zoom && result >= 0) {
      ShowButtons(false);
      if (!Zoom(false)) result = -1;
    }
  }
  Close(owner);
  if (pushed) host->PopControls();
  return result;
}

ConfirmBox* GetConfirmBox() { return currentBox; }

ConfirmBox* SetConfirmBox(ConfirmBox* box) { return std::exchange(currentBox, box); }

}  // namespace orrivel
