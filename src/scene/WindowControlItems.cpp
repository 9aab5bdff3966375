// The window's selectable items and its input: items recorded glyph by
// glyph into the item mask, selection, entry, leaving and activation, the
// pointer (hover, click guard, dragging by the frame), focus and keys.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "base/ActionMap.h"
#include "base/InputDevice.h"
#include "raster/SpriteList.h"
#include "scene/ControlHost.h"
#include "scene/WindowControl.h"
#include "text/Font.h"

namespace orrivel {

// --- items -------------------------------------------------------------------------------------

const WindowItemRecord* WindowControl::Item(int32_t index) const {
  return index >= 0 && index < int32_t(items_.size()) ? items_[size_t(index)].get() : nullptr;
}

bool WindowControl::IsItemReady(int32_t index) const {
  const WindowItemRecord* item = Item(index);
  return item != nullptr && item->enabled;
}

bool WindowControl::HasFinishedItems() const {
  return std::any_of(items_.begin(), items_.end(), [](const auto& item) { return item->enabled; });
}

void WindowControl::ClearItems() {
  if (spriteList_ != nullptr) ForEachItemSprite([&](ImageSprite& sprite) { spriteList_->Remove(&sprite); });
  items_.clear();
  itemOpen_ = false;
  segmentOpen_ = false;
  hoverItem_ = -1;
  currentTooltip_ = nullptr;
}

int32_t WindowControl::AddItem(const WindowItemOptions& options) {
  if (!itemsEnabled_ || itemOpen_ || !itemMask_) return 1;
  if (int32_t(items_.size()) >= kMaxItems) return 1;
  items_.push_back(std::make_unique<WindowItemRecord>(options));
  itemOpen_ = true;
  segmentOpen_ = false;
  return 0;
}

void WindowControl::RecordItemGlyph(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  if (!itemOpen_) return;
  const Rect glyph{left - itemInsetLeft_, top - itemInsetTop_, right, bottom};
  if (!segmentOpen_) {
    segment_ = glyph;
    segmentOpen_ = true;
    return;
  }
  segment_ = Rect{std::min(segment_.left, glyph.left), std::min(segment_.top, glyph.top),
                  std::max(segment_.right, glyph.right), std::max(segment_.bottom, glyph.bottom)};
}

void WindowControl::CloseItemSegment() {
  if (!itemOpen_ || !segmentOpen_ || items_.empty()) return;
  segmentOpen_ = false;
  Rect rect = segment_;
  rect.right += itemInsetRight_;
  rect.bottom += itemInsetBottom_;
  // An italic glyph leans past its advance.
  if (font_ != nullptr && font_->Logical().italic) {
    if (vertical_) rect.bottom += font_->PixelHeight() / 4;
    else rect.right += font_->PixelHeight() / 4;
  }
  items_.back()->rects.push_back(rect);
  FillItemMask(rect, uint8_t(items_.size()));
  AddItemSprite(*items_.back(), rect);
}

void WindowControl::EndItem() {
  if (!itemOpen_ || items_.empty()) return;
  CloseItemSegment();
  itemOpen_ = false;
  items_.back()->enabled = true;
  RecordPointer();
  LockItems(false);
}

void WindowControl::FillItemMask(const Rect& rect, uint8_t value) {
  if (!itemMask_ || itemMask_->GetBits() == nullptr) return;
  Rect cut = rect;
  const Rect bounds{0, 0, itemMask_->GetWidth(), itemMask_->GetHeight()};
  if (!IntersectRects(&cut, cut, bounds)) return;
  // The surface fills are for colour pixels; the mask holds item numbers.
  for (int32_t y = cut.top; y < cut.bottom; ++y)
    std::memset(itemMask_->GetScanLine(y) + cut.left, value, size_t(cut.Width()));
}

int32_t WindowControl::ItemAtMask(int32_t x, int32_t y) const {
  if (!itemMask_ || itemMask_->GetBits() == nullptr) return -1;
  if (x < 0 || y < 0 || x >= itemMask_->GetWidth() || y >= itemMask_->GetHeight()) return -1;
  const uint8_t value = itemMask_->GetScanLine(y)[x];
  return value > 0 ? int32_t(value) - 1 : -1;
}

// --- entering, leaving, selecting, activating ---------------------------------------------------

void WindowControl::PlayItemSound(const std::string& name, int32_t channel, int32_t fallback) {
  ControlHost* host = GetHost();
  if (host == nullptr) return;
  if (channel < 0) host->PlaySound(nullptr, fallback, 0, 0);
  else host->PlaySound(name.empty() ? nullptr : name.c_str(), channel, 0, 0);
}

int32_t WindowControl::EnterItem(int32_t index) {
  if (!IsItemReady(index)) return 0;
  const WindowItemOptions& options = items_[size_t(index)]->options;
  options.hoverCell.Write(1);
  options.notHoverCell.Write(0);
  PlayItemSound(options.enterSound, options.enterChannel, kSoundEnter);
  if (!options.tooltip.empty()) currentTooltip_ = options.tooltip.c_str();
  ShowItemSprites(index, true);
  return 1;
}

void WindowControl::LeaveItem(int32_t index) {
  const WindowItemRecord* item = Item(index);
  if (item == nullptr) return;
  item->options.hoverCell.Write(0);
  item->options.notHoverCell.Write(1);
  PlayItemSound(item->options.leaveSound, item->options.leaveChannel, kSoundLeave);
  currentTooltip_ = nullptr;
  ShowItemSprites(index, false);
}

// Leaves the selected item, hiding its tooltip first.
void WindowControl::LeaveSelected() {
  if (hoverItem_ < 0) return;
  if (currentTooltip_ != nullptr && GetHost() != nullptr) {
    GetHost()->HideTooltip();
    GetHost()->RestartHoverTime();
  }
  LeaveItem(hoverItem_);
  hoverItem_ = -1;
}

int32_t WindowControl::SelectItem(int32_t index) {
  if (!IsItemReady(index)) return 0;
  ControlHost* host = GetHost();
  const uint8_t mode = host != nullptr ? host->GetPointerMode() : 0;
  if (mode == 1) {
    // The pointer goes to the item; the next frame's move selects it.
    const Rect& r = items_[size_t(index)]->rects.empty() ? Rect{} : items_[size_t(index)]->rects.front();
    host->SetPointerPos(GetX() + (r.left + r.right) / 2, GetY() + (r.top + r.bottom) / 2);
    return 1;
  }
  if (host != nullptr && host->IsHovered(this)) host->ClearHover();
  if (mode == 2) LeaveSelected();
  else if (hoverItem_ >= 0 && hoverItem_ != index) LeaveItem(hoverItem_);
  if (EnterItem(index) == 0) {
    hoverItem_ = -1;
    return 0;
  }
  hoverItem_ = index;
  if (mode == 2) host->ParkPointer();
  return 1;
}

int32_t WindowControl::ActivateItem(int32_t index) {
  ControlHost* host = GetHost();
  if (host != nullptr && GetTag() >= 0) {
    if (index < 0) host->SetSelected(GetTag());
    else if (IsItemReady(index)) host->SetSelected(GetTag() + index);
  }
  if (!IsItemReady(index)) return 0;
  LockItems(true);
  const WindowItemOptions& options = items_[size_t(index)]->options;
  PlayItemSound(options.activateSound, options.activateChannel, kSoundActivate);
  options.activatedCell.Write(1);
  if (host != nullptr && (!options.name.empty() || options.value != 0 || !options.string2.empty()))
    host->RunEvent(options.string2.empty() ? nullptr : options.string2.c_str(), options.name.empty() ? nullptr : options.name.c_str(),
                   options.value);
  return 1;
}

// --- pointer --------------------------------------------------------------------------------------

bool WindowControl::IsOpaqueAt(int32_t x, int32_t y) {
  if (surface_.GetBits() == nullptr || x < 0 || y < 0 || x >= width_ || y >= height_) return false;
  const bool inText = x >= marginLeft_ && x < width_ - marginRight_ && y >= marginTop_ && y < height_ - marginBottom_;
  if (inText) return false;
  const uint32_t pixel = reinterpret_cast<const uint32_t*>(surface_.GetScanLine(y))[x];
  return (pixel >> 24) >= alphaThreshold_;
}

bool WindowControl::HitTest(int32_t x, int32_t y) {
  ControlHost* host = GetHost();
  if (dragging_) {
    InputDevice* pointer = host != nullptr ? host->GetPointerDevice() : nullptr;
    if (pointer != nullptr && pointer->IsDown(kPointerButton)) {
      SetPosition(x - dragX_, y - dragY_);
      return true;
    }
    dragging_ = false;
  }
  const int32_t wx = x - GetX(), wy = y - GetY();
  if (alphaThreshold_ != 0 && IsOpaqueAt(wx, wy)) {
    if (!itemsLocked_) LeaveSelected();
    hoverItem_ = -1;
    if (host != nullptr) host->SetCursorKind(kCursorFrame);
    return true;
  }
  if (itemsLocked_) return false;
  if (clickGuard_ && (std::abs(x - guardX_) > kClickGuardPixels || std::abs(y - guardY_) > kClickGuardPixels))
    clickGuard_ = false;
  if (IsItemReady(ItemAtMask(wx, wy))) {
    if (host != nullptr) host->SetCursorKind(kCursorItem);
    return true;
  }
  return false;
}

void WindowControl::OnPointerMove(int32_t x, int32_t y) {
  ControlHost* host = GetHost();
  if (itemsLocked_) {
    if (host != nullptr && host->GetCursorKind() == kCursorItem) host->SetCursorKind(kCursorNormal);
    return;
  }
  if (alphaThreshold_ != 0 && IsOpaqueAt(x, y)) return;
  int32_t under = ItemAtMask(x, y);
  if (!IsItemReady(under)) under = -1;
  if (under == hoverItem_) return;
  LeaveSelected();
  if (under >= 0 && EnterItem(under) != 0) hoverItem_ = under;
}

bool WindowControl::OnPointerButtons(int32_t x, int32_t y, InputDevice* pointer) {
  if (pointer == nullptr || !pointer->IsPressed(kPointerButton)) return false;
  if (hoverItem_ >= 0 && !itemsLocked_ && !clickGuard_) return ActivateItem(hoverItem_) != 0;
  if (alphaThreshold_ != 0 && IsOpaqueAt(x, y)) {
    dragging_ = true;
    dragX_ = x;
    dragY_ = y;
    return true;
  }
  return false;
}

void WindowControl::OnPointerLeave() {
  dragging_ = false;
  if (!itemsLocked_) LeaveSelected();
  if (GetHost() != nullptr) GetHost()->SetCursorKind(kCursorNormal);
}

// --- focus and keys -------------------------------------------------------------------------------

void WindowControl::OnFocusLost(Control*) {
  dragging_ = false;
  if (!itemsLocked_) LeaveSelected();
  ControlHost* host = GetHost();
  if (host != nullptr && host->GetCursorKind() != kCursorNormal) host->SetCursorKind(kCursorNormal);
}

void WindowControl::OnFocusGained(Control*, int32_t direction) {
  ControlHost* host = GetHost();
  if (HasFinishedItems() && !itemsLocked_) {
    SelectItem(direction != 0 ? 0 : ItemCount() - 1);
    return;
  }
  if (host == nullptr) return;
  // Nothing to choose here: the focus passes on.
  const int32_t moved = direction != 0 ? host->FocusNext() : host->FocusPrevious();
  if (moved != 0) host->SetFocus(nullptr);
}

bool WindowControl::Update(ActionMap* actions) {
  ControlHost* host = GetHost();
  if (host == nullptr || !HasFinishedItems() || itemsLocked_) return false;
  const uint8_t step = host->HandleNavigation(actions);
  if (step == ControlHost::kStepBackwards || step == ControlHost::kStepForwards) {
    clickGuard_ = false;
    const bool back = step == ControlHost::kStepBackwards;
    bool failed;
    if (back ? hoverItem_ > 0 : hoverItem_ >= 0 && hoverItem_ + 1 < ItemCount()) {
      failed = SelectItem(hoverItem_ + (back ? -1 : 1)) == 0;
    } else {
      failed = (back ? host->FocusPrevious() : host->FocusNext()) != 0;
    }
    if (failed) SelectItem(back ? ItemCount() - 1 : 0);
    return true;
  }
  if (hoverItem_ >= 0 && actions != nullptr && actions->IsPressed(kActionDecide)) {
    ActivateItem(hoverItem_);
    return true;
  }
  return false;
}

}  // namespace orrivel
