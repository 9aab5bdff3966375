#include "game/GameSystemMenuPort.h"

#include "base/ActionMap.h"
#include "base/InputDevice.h"
#include "base/TickSource.h"
#include "base/TimerList.h"
#include "effect/SpriteFadeAction.h"
#include "game/ConfirmBox.h"
#include "game/GameSaveService.h"
#include "game/PointerGlide.h"
#include "natives/LayerPlacement.h"
#include "natives/SaveService.h"
#include "natives/SystemNativePort.h"
#include "platform/TextCodec.h"
#include "raster/SpriteList.h"
#include "resource/LgmSpriteLayout.h"
#include "resource/plugin/ObjectArguments.h"
#include "scene/ButtonControl.h"
#include "scene/CheckButtonControl.h"
#include "scene/ControlFactory.h"
#include "scene/ControlHost.h"
#include "scene/LayoutControlFactory.h"
#include "scene/SpriteCanvas.h"

namespace orrivel {

namespace {

constexpr int32_t kBaseKeyMode = -2;
constexpr int32_t kBaseKeyValue = 255;
constexpr uint8_t kCheckOn = 3;
constexpr uint8_t kCheckOff = 0;
// The question box: OK and CANCEL; at the pointer or centred.
constexpr int32_t kOkCancel = 1;
constexpr int32_t kAtPointer = -2;
constexpr int32_t kCentred = -1;
constexpr uint8_t kCaptionOnTwoLines = 1;

Drawable* DrawableOf(Control* control) {
  if (auto* button = dynamic_cast<ButtonControl*>(control)) return &button->Sprite();
  if (auto* check = dynamic_cast<CheckButtonControl*>(control)) return &check->Sprite();
  return nullptr;
}

}  // namespace

GameSystemMenuPort::GameSystemMenuPort(Services services) : services_(std::move(services)) {}

GameSystemMenuPort::~GameSystemMenuPort() {
  DeleteFade();
  FreeBase();
}

uint32_t GameSystemMenuPort::Now() const { return services_.now ? services_.now() : CurrentTickMs(); }

int GameSystemMenuPort::Pump() { return services_.pump ? services_.pump() : 0; }

// --- the controls --------------------------------------------------------------------------

void GameSystemMenuPort::OpenControls() {
  if (services_.restoreMenuState) services_.restoreMenuState();
  if (services_.host) services_.host->PushControls();
}

void GameSystemMenuPort::CloseControls() {
  items_.clear();
  if (services_.factory) services_.factory->DeleteByGroup(kItemGroup, false);
  if (services_.host) services_.host->PopControls();
}

SpriteCanvas* GameSystemMenuPort::MenuCanvas() const {
  if (services_.canvas) return services_.canvas;
  SpriteCanvas* current = services_.currentCanvas ? services_.currentCanvas() : nullptr;
  if (current) return current;
  return services_.factory ? services_.factory->GetCanvas() : nullptr;
}

SaveService& GameSystemMenuPort::Saves() const { return services_.saves ? *services_.saves : SystemSaves(); }

int32_t GameSystemMenuPort::LoadItems() {
  items_.clear();
  if (!services_.factory || !services_.host || !services_.layout || !services_.layoutControls) return 0;
  LayoutControlFactory& controls = *services_.layoutControls;
  int code = 0;
  {
    // The factory makes controls only on a canvas: the menu's, for the
    // load, over everything else when the canvas has an overlay list.
    const ControlFactoryScope scope(*services_.factory, MenuCanvas(), kItemGroup);
    code = services_.layout->Load(&controls, &controls, kLayoutFile, 0, kItemOrder, false, nullptr);
  }
  if (code == 0)
    for (const ControlPort* port : services_.layout->PartControls())
      if (Control* control = controls.ControlOf(port)) {
        control->SetGroup(kItemGroup);
        items_.push_back(control);
      }
  services_.layout->Clear();
  return int32_t(items_.size());
}

Control* GameSystemMenuPort::Item(int32_t item) const {
  return item >= 0 && size_t(item) < items_.size() ? items_[size_t(item)] : nullptr;
}

void GameSystemMenuPort::PlaceItems(int32_t x, int32_t y) {
  for (Control* control : items_) {
    control->SetVisible(true);
    control->SetPosition(control->GetX() + x, control->GetY() + y);
  }
}

bool GameSystemMenuPort::PlaceBase(int32_t x, int32_t y) {
  LayerPlace place;
  place.x = x;
  place.y = y;
  place.priority = kBaseOrder;
  place.visible = true;
  // The items' canvas; over everything else when it has an overlay list.
  place.canvas = MenuCanvas();
  place.overlay = place.canvas != nullptr && place.canvas->OverlayList() != nullptr;
  basePlaced_ =
      LoadAndPlaceLayerObject(&baseSprite_, &baseSurface_, kBaseFile, kBaseKeyMode, kBaseKeyValue, place) == 0;
  return basePlaced_;
}

void GameSystemMenuPort::FreeBase() {
  if (SpriteList* list = baseSprite_.OwningList()) list->Remove(&baseSprite_);
  baseSprite_.Reset();
  baseSurface_.FreeBuffers();
  basePlaced_ = false;
}

void GameSystemMenuPort::SetItemEnabled(int32_t item, bool on) {
  if (Control* control = Item(item)) control->SetEnabled(on);
}

void GameSystemMenuPort::SetItemState(int32_t item, bool on) {
  if (auto* check = dynamic_cast<CheckButtonBase*>(Item(item))) check->SetState(on ? kCheckOn : kCheckOff);
}

void GameSystemMenuPort::SetItemName(int32_t item, const char* utf8) {
  if (Control* control = Item(item)) control->SetName(platform::Utf8ToCp932Lossy(utf8).c_str());
}

void GameSystemMenuPort::ItemPosition(int32_t item, int32_t& left, int32_t& top) {
  Control* control = Item(item);
  left = control ? control->GetX() : 0;
  top = control ? control->GetY() : 0;
}

void GameSystemMenuPort::PointerPosition(int32_t& x, int32_t& y) {
  x = y = -1;
  if (services_.host) services_.host->GetPointerPos(&x, &y);
}

int32_t GameSystemMenuPort::PointerEdge() { return services_.pointerEdge ? services_.pointerEdge() : 0; }

void GameSystemMenuPort::PlaySound(int32_t effect) {
  if (services_.playSound) services_.playSound(effect);
}

// --- the fade of the parts -------------------------------------------------------------------

std::vector<Drawable*> GameSystemMenuPort::Parts() {
  std::vector<Drawable*> parts;
  for (Control* control : items_) parts.push_back(DrawableOf(control));
  parts.push_back(&baseSprite_);
  return parts;
}

bool GameSystemMenuPort::MakeFade() {
  if (fade_ || !services_.timers) return fade_ != nullptr;
  auto made = std::make_unique<SpriteFadeAction>();
  const ObjectArgument cells[] = {TgsSystemMenu::kItems + 1, 0, 0};
  if (made->SetupV(services_.timers, nullptr, ObjectArguments{cells, 3}) != 0) return false;
  fade_ = made.release();
  fade_->SetOwnerSlot(&fade_);
  return true;
}

void GameSystemMenuPort::FadeParts(bool show) {
  auto* fade = static_cast<SpriteFadeAction*>(fade_);
  const std::vector<Drawable*> parts = Parts();
  for (size_t i = 0; i < parts.size(); ++i) {
    Drawable* part = parts[i];
    if (part == nullptr) continue;
    if (fade == nullptr) {
      part->SetOpacity(show ? 255 : 0);
      continue;
    }
    // Each part starts from the other end and fades towards the flag.
    part->SetOpacity(show ? 0 : 255);
    fade->SetTarget(int32_t(i), part, show, kFadeMs, 0, false, 0, 0, 0);
  }
}

bool GameSystemMenuPort::FadeFinished() {
  const auto* fade = static_cast<SpriteFadeAction*>(fade_);
  return fade == nullptr || !fade->Running();
}

void GameSystemMenuPort::DeleteFade() {
  if (!fade_) return;
  static_cast<SpriteFadeAction*>(fade_)->Complete();
  TimedTask* fade = fade_;
  fade_->SetOwnerSlot(nullptr);
  fade_ = nullptr;
  if (services_.timers) services_.timers->Stop(fade->Handle());
}

// --- the pointer and input -------------------------------------------------------------------

void GameSystemMenuPort::FocusItem(int32_t item) {
  if (Control* control = Item(item); control && services_.host) services_.host->SetFocus(control);
}

int32_t GameSystemMenuPort::GlidePointer(int32_t x, int32_t y, uint32_t ms) {
  if (!services_.host) return 0;
  return ::orrivel::GlidePointer(*services_.host, x, y, ms, [this] { return Now(); }, services_.pump);
}

int32_t GameSystemMenuPort::UpdateControls() {
  if (!services_.host) return -1;
  services_.host->Update(Now());
  return services_.takeActivated ? services_.takeActivated() : -1;
}

void GameSystemMenuPort::ResetActivation() {
  if (services_.host) services_.host->ResetInput();
}

bool GameSystemMenuPort::DismissPressed() {
  if (!services_.host) return false;
  const ActionMap* actions = services_.host->GetActionMap();
  const InputDevice* pointer = services_.host->GetPointerDevice();
  return (actions && actions->IsPressed(kActionCancel)) || (pointer && pointer->IsPressed(kRightButton));
}

bool GameSystemMenuPort::LeftPressedOutside() {
  if (!services_.host) return false;
  const InputDevice* pointer = services_.host->GetPointerDevice();
  if (!pointer || !pointer->IsPressed(kLeftButton)) return false;
  int32_t x = 0, y = 0;
  services_.host->GetPointerPos(&x, &y);
  return !basePlaced_ || !baseSprite_.HitTest(x, y, 0);
}

// --- questions, notices and quick saves -------------------------------------------------------

int32_t GameSystemMenuPort::Confirm(const std::string& utf8, bool centred) {
  if (!services_.box) return 0;
  const std::string text = platform::Utf8ToCp932Lossy(utf8);
  const int32_t x = centred ? kCentred : kAtPointer;
  const int32_t answer = services_.box->Run(kOkCancel, text.c_str(), x, kCentred, 0, nullptr);
  // A box that cannot be shown counts as a no.
  return answer == -2 ? 0 : answer;
}

void GameSystemMenuPort::Notice(const std::string& utf8, int32_t time) {
  if (!services_.box) return;
  if (utf8.empty()) {
    services_.box->Open(nullptr, 0);
    return;
  }
  services_.box->Open(platform::Utf8ToCp932Lossy(utf8).c_str(), uint32_t(time));
}

bool GameSystemMenuPort::QuickSave() {
  return Saves().WriteSave(kQuickSaveGroup, kQuickSaveSlot) == 0;
}

std::optional<std::string> GameSystemMenuPort::QuickSaveCaption() {
  std::string caption;
  if (Saves().MakeSaveCaption(kQuickSaveGroup, kQuickSaveSlot, kCaptionOnTwoLines, &caption) != 0)
    return std::nullopt;
  return platform::Cp932ToUtf8Lossy(caption);
}

std::optional<std::string> GameSystemMenuPort::QuickSaveFileName() {
  std::string path;
  if (Saves().MakeSaveFileName(kQuickSaveGroup, kQuickSaveSlot, &path) != 0)
    return std::nullopt;
  // The whole file is checked against the running game while the story
  // can still go on: a save that cannot be loaded is never chosen.
  if (CheckSaveBeforeLoad(Saves(), path) != kSaveFileOk) return std::nullopt;
  return path;
}

bool GameSystemMenuPort::QuickSaveDamaged() {
  std::string path;
  if (Saves().MakeSaveFileName(kQuickSaveGroup, kQuickSaveSlot, &path) != 0) return false;
  const int32_t code = CheckSaveBeforeLoad(Saves(), path);
  return code != kSaveFileOk && code != kSaveFileNotOpened;
}

void GameSystemMenuPort::SetCurrentSaveFile(const std::string& name) {
  if (services_.setCurrentSaveFile) services_.setCurrentSaveFile(name);
}

void GameSystemMenuPort::QuitFade() {
  if (services_.quitFade) services_.quitFade();
}

void GameSystemMenuPort::RequestQuit() {
  if (services_.requestQuit) services_.requestQuit();
}

void GameSystemMenuPort::RestartAutoTimer() {
  if (services_.restartAutoTimer) services_.restartAutoTimer();
}

void GameSystemMenuPort::Log(const std::string& line) {
  if (services_.log) services_.log(line);
}

}  // namespace orrivel
