#include "natives/GameDrawable.h"

#include <memory>
#include <new>

#include "base/ActionMap.h"
#include "base/InputDevice.h"
#include "base/TimerList.h"
#include "natives/AppNativePort.h"
#include "natives/DisplayObjectArguments.h"
#include "natives/GameControlHost.h"
#include "natives/GameDrawableTask.h"
#include "natives/ProcessObjects.h"
#include "platform/KeyTable.h"
#include "scene/CheckButtonBase.h"
#include "scene/ControlFactory.h"
#include "scene/FrameStepper.h"
#include "text/MarkupTextBase.h"

namespace orrivel {

namespace {

constexpr size_t kSettingSkipKeyIsCtrl = 130;
constexpr uint8_t kLeftButton = 0;

// The player's input as the game's control host has it.
class HostDrawableInput final : public GameDrawableInput {
 public:
  bool IsSkipKeyDown() override {
    const InputDevice* keys = Host() != nullptr ? Host()->GetKeyboard() : nullptr;
    if (keys == nullptr) return false;
    if (AppPort().appConfig[kSettingSkipKeyIsCtrl] != 0)
      return keys->IsDown(platform::DIK_LCONTROL) || keys->IsDown(platform::DIK_RCONTROL);
    return keys->IsDown(platform::DIK_LSHIFT) || keys->IsDown(platform::DIK_RSHIFT);
  }
  bool IsActionPressed(uint32_t action) override {
    const ActionMap* actions = Host() != nullptr ? Host()->GetActionMap() : nullptr;
    return actions != nullptr && actions->IsPressed(action);
  }
  bool IsLeftButtonPressed() override {
    const InputDevice* pointer = Host() != nullptr ? Host()->GetPointerDevice() : nullptr;
    return pointer != nullptr && pointer->IsPressed(kLeftButton);
  }
  void GetPointer(int32_t* x, int32_t* y) override {
    *x = *y = -2;
    if (Host() != nullptr) Host()->GetPointerPos(x, y);
  }
  bool IsOverButton(int32_t x, int32_t y) override {
    if (Host() == nullptr) return false;
    for (Control* control : Host()->Controls()) {
      const int32_t kind = control->GetKind();
      if ((kind == kControlPushButton || kind == kControlCheckButton) && control->IsVisible() &&
          control->HitTest(x, y))
        return true;
    }
    return false;
  }

 private:
  static GameControlHost* Host() {
    ProcessObjects* objects = GetProcessObjects();
    return objects != nullptr ? &objects->ControlHost() : nullptr;
  }
};

}  // namespace

GameDrawable::GameDrawable(MarkupTextBase* text, TimerList* timers, ControlFactory* factory)
    : text_(text), timers_(timers), factory_(factory) {}

GameDrawable::~GameDrawable() { StopTasks(); }

GameDrawableInput& GameDrawable::Input() {
  static HostDrawableInput hostInput;
  return input_ != nullptr ? *input_ : hostInput;
}

GameDrawableTask* GameDrawable::Task() const { return static_cast<GameDrawableTask*>(task_); }

WindowControl* GameDrawable::NamePlate() const {
  Control* control = factory_ != nullptr && namePlate_ != 0 ? factory_->FromHandle(namePlate_) : nullptr;
  return control != nullptr && control != this && control->GetKind() == kControlWindow
             ? dynamic_cast<WindowControl*>(control)
             : nullptr;
}

CheckButtonBase* GameDrawable::SkipButton() const {
  Control* control = factory_ != nullptr && skipButton_ != 0 ? factory_->FromHandle(skipButton_) : nullptr;
  return control != nullptr && control->GetKind() == kControlCheckButton ? dynamic_cast<CheckButtonBase*>(control)
                                                                         : nullptr;
}

bool GameDrawable::IsSkipModeOn() const {
  const CheckButtonBase* button = SkipButton();
  return button != nullptr && button->IsOn();
}

void GameDrawable::BindNamePlate(uint32_t plateHandle, uint8_t fontSlot) {
  namePlate_ = plateHandle;
  namePlateSlot_ = fontSlot;
}

void GameDrawable::BindSkipButton(uint32_t buttonHandle) { skipButton_ = buttonHandle; }

// --- the window's overrides -------------------------------------------------------------------

void GameDrawable::SetPosition(int32_t x, int32_t y) {
  const int32_t dx = x - GetX(), dy = y - GetY();
  WindowControl::SetPosition(x, y);
  if (WindowControl* plate = NamePlate()) plate->SetPosition(plate->GetX() + dx, plate->GetY() + dy);
}

void GameDrawable::SetVisible(bool show) {
  WindowControl::SetVisible(show);
  if (WindowControl* plate = NamePlate()) plate->SetVisible(show && namePlateShown_);
}

int32_t GameDrawable::SetBackground(uint8_t mode, uint32_t rgb, uint8_t alpha) {
  const int32_t result = WindowControl::SetBackground(mode, rgb, alpha);
  if (WindowControl* plate = NamePlate()) plate->SetBackground(mode, rgb, alpha);
  // The page was cleared under the cursor: what it covers now is the new
  // background.
  if (waitCursorShown_ && waitCursor_ != nullptr) static_cast<FrameStepper*>(waitCursor_)->SaveBackground(nullptr);
  return result;
}

void GameDrawable::ClearText() {
  ResetCursor(true);
  namePlateShown_ = false;
  if (WindowControl* plate = NamePlate()) plate->SetVisible(false);
}

void GameDrawable::ShowName(const std::string& name) {
  WindowControl* plate = NamePlate();
  namePlateShown_ = !name.empty();
  if (plate == nullptr) return;
  if (namePlateShown_) {
    plate->ResetCursor(true);
    // Slots 0-3 place the name in the plate; at its own size it starts at
    // the plate's margins.
    if (namePlateSlot_ < kOwnSizeSlot) {
      plate->DrawAligned(name.c_str(), namePlateSlot_);
    } else {
      plate->DrawStringAt(name.c_str(), 0, 0, true);
    }
  }
  plate->SetVisible(namePlateShown_ && IsVisible());
}

void GameDrawable::ScrollTo(int32_t offset) {
  scrollOffset_ = offset;
  WindowSprite().SetSourceOffset(0, offset);
  Rect all{0, 0, GetWidth(), GetHeight()};
  WindowSprite().InvalidateSourceRect(&all);
}

// --- input ------------------------------------------------------------------------------------

bool GameDrawable::AdvanceRequested() {
  if (!IsVisible()) return false;
  GameDrawableInput& input = Input();
  if (input.IsActionPressed(kActionNextPage) || input.IsActionPressed(kActionDecide)) return true;
  if (!input.IsLeftButtonPressed()) return false;
  int32_t x = 0, y = 0;
  input.GetPointer(&x, &y);
  return !input.IsOverButton(x, y);
}

// --- the wait cursor ----------------------------------------------------------------------------

int GameDrawable::AddDirty(const Rect* rect) {
  Rect area = rect != nullptr ? *rect : Rect{0, 0, GetWidth(), GetHeight()};
  return WindowSprite().InvalidateSourceRect(&area) ? 1 : 0;
}

Surface* GameDrawable::WaitCursorImage() const {
  if (!frames_.Given() || frames_.frameCount <= 0 || frames_.frameMs == 0) return nullptr;
  Surface* image = GetObjectSurface(frames_.image);
  return image != nullptr && image->GetWidth() / frames_.frameCount > 0 ? image : nullptr;
}

int32_t GameDrawable::SetWaitCursor(const WaitCursorFrames& frames) {
  HideWaitCursor();
  frames_ = frames;
  return 0;
}

void GameDrawable::ShowWaitCursor(uint32_t now) {
  if (waitCursorShown_ || timers_ == nullptr) return;
  Surface* image = WaitCursorImage();
  if (image == nullptr) return;
  auto stepper = std::unique_ptr<FrameStepper>(new (std::nothrow) FrameStepper);
  if (!stepper) return;
  FrameStepperSetup setup;
  setup.target = &GetSurface();
  setup.frames = image;
  setup.frameCount = frames_.frameCount;
  setup.frameWidth = image->GetWidth() / frames_.frameCount;
  setup.frameHeight = image->GetHeight();
  // After the last character, standing on the line.
  GetGlyphOrigin(&setup.x, &setup.y, setup.frameWidth, setup.frameHeight);
  setup.intervalMs = frames_.frameMs;
  setup.drawKind = 1;
  setup.keepBackground = true;
  setup.cycleMs = frames_.frameMs * uint32_t(frames_.frameCount) * 2;
  if (stepper->Setup(setup, now) != FrameStepper::kSetupOk) return;
  stepper->SaveBackground(nullptr);
  stepper->SetListener(this);
  stepper->SetOwnerSlot(&waitCursor_);
  if (timers_->Add(stepper.get(), 0, 0, 0) != 0) {
    stepper->SetOwnerSlot(nullptr);
    return;
  }
  waitCursor_ = stepper.release();  // the list owns it now
  static_cast<FrameStepper*>(waitCursor_)->Step(now);
  waitCursorShown_ = true;
}

void GameDrawable::HideWaitCursor() {
  waitCursorShown_ = false;
  if (waitCursor_ == nullptr) return;
  auto* stepper = static_cast<FrameStepper*>(waitCursor_);
  FrameStripState* strip = stepper->State();
  if (strip != nullptr && strip->savedBackground) {
    GetSurface().Copy(strip->savedBackground.get(), strip->x, strip->y, nullptr, false);
    Rect area = strip->Area();
    WindowSprite().InvalidateSourceRect(&area);
  }
  if (timers_ != nullptr) timers_->Stop(waitCursor_->Handle());
  waitCursor_ = nullptr;
}

// --- typing -------------------------------------------------------------------------------------

bool GameDrawable::MakeTask() {
  if (task_ != nullptr) return true;
  auto task = std::unique_ptr<GameDrawableTask>(new (std::nothrow) GameDrawableTask(this));
  if (!task) return false;
  task->SetOwnerSlot(&task_);
  if (timers_->Add(task.get(), 0, 0, 0) != 0) {
    task->SetOwnerSlot(nullptr);
    return false;
  }
  task_ = task.release();  // the list owns it now
  return true;
}

void GameDrawable::StopTasks() {
  HideWaitCursor();
  // The list keeps a stopped task until its next pass; stopping it makes
  // it let go of this drawable.
  if (task_ != nullptr && timers_ != nullptr) timers_->Stop(task_->Handle());
  task_ = nullptr;
}

int32_t GameDrawable::StartText(bool readPermission) {
  if (timers_ == nullptr || text_ == nullptr) return 1;
  if (!MakeTask()) return 2;
  if (frames_.Given() && WaitCursorImage() == nullptr) return 3;
  return Task()->Start(false, readPermission);
}

int32_t GameDrawable::ShowText() {
  if (timers_ == nullptr || text_ == nullptr) return 1;
  if (!MakeTask()) return 2;
  return Task()->Start(true, true);
}

int32_t GameDrawable::Command(int32_t code) {
  GameDrawableTask* task = Task();
  if (task == nullptr) return 1;
  switch (code) {
    case 0:
      task->LeaveWait();
      task->StepText(true);
      return 0;
    case 1:
      // Each step reads to the next mark; a variable mark is passed over
      // until a stop, the end or a full window.
      task->LeaveWait();
      for (int guard = 0; guard < 4096; ++guard) {
        if (task->StepText(true) != 0 || task->LastKind() >= 2 || task->LastKind() < 0) break;
        task->LeaveWait();
      }
      return 0;
    case 2:
      HideWaitCursor();
      task->Finish();
      return 0;
    case 3:
      task->LeaveWait();
      return 0;
    default:
      return 2;
  }
}

// --- creation -----------------------------------------------------------------------------------

int32_t CreateGameDrawable(ControlFactory& factory, GameDrawable** out, MarkupTextBase* text, TimerList* timers,
                           int32_t x, int32_t y, int32_t width, int32_t height, uint8_t backgroundMode,
                           uint32_t backgroundRgb, uint8_t backgroundAlpha, Font* font, Font* rubyFont,
                           int32_t order) {
  if (out == nullptr) return 1;
  *out = nullptr;
  WindowControl* made = nullptr;
  const int32_t code = factory.CreateWindowOf(
      &made, [&] { return std::unique_ptr<WindowControl>(new (std::nothrow) GameDrawable(text, timers, &factory)); },
      x, y, width, height, backgroundMode, backgroundRgb, backgroundAlpha, font, rubyFont, order);
  if (code == 0) *out = static_cast<GameDrawable*>(made);
  return code;
}

void DeleteGameDrawablesOf(const MarkupTextBase* text) {
  ProcessObjects* objects = GetProcessObjects();
  if (objects == nullptr) return;
  ControlFactory& factory = objects->Controls();
  for (Control* control : factory.Controls()) {
    if (control->GetKind() != GameDrawable::kKind) continue;
    if (static_cast<GameDrawable*>(control)->Text() == text) factory.Delete(control);
  }
}

}  // namespace orrivel
