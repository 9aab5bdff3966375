#include "scene/ItemMenuControl.h"

#include <new>

#include "base/ActionMap.h"
#include "base/InputDevice.h"
#include "scene/ControlEvents.h"
#include "scene/ControlHost.h"

namespace orrivel {

ItemMenuControl::~ItemMenuControl() {
  ClearItems();
  entries_.clear();
}

int32_t ItemMenuControl::Create(const char* mapName, uint8_t count, int32_t x, int32_t y,
                                uint8_t activationEnabled, int32_t group) {
  if (count == 0) return 1;
  // The old items go first: a menu whose map failed has none left to hit.
  ClearItems();
  entries_.clear();
  count_ = 0;
  currentItem_ = hitItem_ = -1;
  itemState_ = kNone;
  if (mapName == nullptr || map_.LoadImageIndexed(mapName, nullptr, 0, 0) != 0 || map_.GetBitsPerPixel() != 8) {
    map_.FreeBuffers();
    return 2;
  }
  try {
    entries_.resize(count);
  } catch (const std::bad_alloc&) {
    return 3;
  }
  count_ = count;
  x_ = x, y_ = y;
  activationEnabled_ = activationEnabled;
  group_ = group;
  return 0;
}

bool ItemMenuControl::IsItemEnabled(int32_t item) const {
  return item >= 0 && item < int32_t(entries_.size()) && entries_[size_t(item)].enabled != 0;
}

ItemMenuItemRecord* ItemMenuControl::RecordOf(int32_t item) const {
  return item >= 0 && item < int32_t(entries_.size()) ? entries_[size_t(item)].record.get() : nullptr;
}

const ItemMenuItemRecord* ItemMenuControl::Record(int32_t item) const { return RecordOf(item); }

int32_t ItemMenuControl::SetItemEnabled(uint8_t item, uint8_t enabled) {
  if (entries_.empty()) return 1;
  if (item >= count_) return 2;
  entries_[item].enabled = enabled;
  return 0;
}

void ItemMenuControl::ClearItems() {
  ControlHost* host = GetHost();
  if (host != nullptr && host->IsHovered(this)) host->HideTooltip();
  SetName(nullptr);
  for (Entry& entry : entries_) entry.record.reset();
}

int32_t ItemMenuControl::SetItem(uint8_t item, const ItemMenuItemRecord& record) {
  if (entries_.empty()) return 1;
  if (item >= count_) return 2;
  std::unique_ptr<ItemMenuItemRecord> copy(new (std::nothrow) ItemMenuItemRecord(record));
  entries_[item].record = std::move(copy);
  return 0;
}

int32_t ItemMenuControl::SetSounds(const char* activateName, const char* hoverName, const char* leaveName,
                                   int32_t activateCode, int32_t hoverCode, int32_t leaveCode) {
  activateSound_.Set(activateName, activateCode);
  hoverSound_.Set(hoverName, hoverCode);
  leaveSound_.Set(leaveName, leaveCode);
  return 0;
}

bool ItemMenuControl::HitTest(int32_t x, int32_t y) {
  if (entries_.empty()) return false;
  // Compared unsigned: points left of or above the map are outside.
  const uint32_t u = uint32_t(x - GetX());
  const uint32_t v = uint32_t(y - GetY());
  if (u < uint32_t(GetWidth()) && v < uint32_t(GetHeight())) {
    const uint8_t* row = map_.GetScanLine(int32_t(v));
    const uint8_t candidate = row != nullptr ? row[u] : 0xFF;
    if (candidate < count_ && entries_[candidate].enabled != 0) {
      hitItem_ = candidate;
      return true;
    }
  }
  hitItem_ = -1;
  return false;
}

void ItemMenuControl::HideItemTooltip() {
  ControlHost* host = GetHost();
  if (host == nullptr || GetName() == nullptr) return;
  host->HideTooltip();
  host->RestartHoverTime();
}

bool ItemMenuControl::EnterItem(int32_t item) {
  itemState_ = kEntered;
  hoverSound_.Play(GetHost(), kControlSoundHover);
  if (ItemMenuItemRecord* record = RecordOf(item)) {
    record->hover.Write(1);
    record->leave.Write(0);
    if (!record->tooltip.empty()) SetName(record->tooltip.c_str());
  }
  return true;
}

void ItemMenuControl::LeaveItem(int32_t item) {
  itemState_ = kNone;
  leaveSound_.Play(GetHost(), kControlSoundLeave);
  if (ItemMenuItemRecord* record = RecordOf(item)) {
    record->hover.Write(0);
    record->leave.Write(1);
  }
  SetName(nullptr);
}

bool ItemMenuControl::HoverItem(int32_t item) {
  ControlHost* host = GetHost();
  const uint8_t mode = host != nullptr ? host->GetPointerMode() : 0;
  if (host != nullptr && host->IsHovered(this)) host->ClearHover();
  // The item before is left in every pointer mode, so that its cells and
  // sound always pair with the ones of its entry.
  if (currentItem_ >= 0) {
    HideItemTooltip();
    LeaveItem(currentItem_);
  }
  EnterItem(item);
  currentItem_ = item;
  if (mode == 2) host->ParkPointer();
  return true;
}

void ItemMenuControl::OnPointerMove(int32_t, int32_t) {
  if (locked_ != 0 || hitItem_ == currentItem_) return;
  if (currentItem_ >= 0) {
    HideItemTooltip();
    LeaveItem(currentItem_);
  }
  if (hitItem_ >= 0) EnterItem(hitItem_);
  currentItem_ = hitItem_;
}

void ItemMenuControl::OnPointerLeave() {
  if (locked_ != 0 || currentItem_ < 0) return;
  LeaveItem(currentItem_);
  currentItem_ = -1;
}

void ItemMenuControl::OnFocusLost(Control*) { OnPointerLeave(); }

bool ItemMenuControl::OnPointerButtons(int32_t, int32_t, InputDevice* pointer) {
  if (pointer == nullptr) return false;
  if (itemState_ == kEntered && pointer->IsPressed(kPointerButton) && locked_ == 0 && currentItem_ >= 0) {
    itemState_ = kPressed;
    return true;
  }
  if (itemState_ == kPressed && !pointer->IsDown(kPointerButton)) {
    itemState_ = kEntered;
    Activate(currentItem_);
    return true;
  }
  return false;
}

bool ItemMenuControl::HasEnabledItem() const { return FindEnabled(0, 1) >= 0; }

int32_t ItemMenuControl::FindEnabled(int32_t from, int32_t step) const {
  for (int32_t item = from; item >= 0 && item < int32_t(entries_.size()); item += step)
    if (entries_[size_t(item)].enabled != 0) return item;
  return -1;
}

void ItemMenuControl::OnFocusGained(Control*, int32_t direction) {
  if (!entries_.empty() && locked_ == 0 && HasEnabledItem()) {
    HoverItem(direction == 1 ? FindEnabled(0, 1) : FindEnabled(int32_t(entries_.size()) - 1, -1));
    return;
  }
  // Nothing to choose here: the focus goes on in the same direction.
  ControlHost* host = GetHost();
  if (host == nullptr) return;
  if ((direction == 1 ? host->FocusNext() : host->FocusPrevious()) != 0) host->SetFocus(nullptr);
}

bool ItemMenuControl::Update(ActionMap* actions) {
  ControlHost* host = GetHost();
  if (locked_ != 0 || host == nullptr) return false;
  const uint8_t step = host->HandleNavigation(actions);
  if (step == ControlHost::kStepBackwards) {
    const int32_t item = currentItem_ >= 1 ? FindEnabled(currentItem_ - 1, -1) : -1;
    if (item >= 0) return HoverItem(item);
    // Past the first item: the previous control, or round to the last item.
    if (host->FocusPrevious() != 0) OnFocusGained(nullptr, 0);
    return true;
  }
  if (step == ControlHost::kStepForwards) {
    const int32_t item = currentItem_ >= 0 ? FindEnabled(currentItem_ + 1, 1) : -1;
    if (item >= 0) return HoverItem(item);
    if (host->FocusNext() != 0) OnFocusGained(nullptr, 1);
    return true;
  }
  if (currentItem_ >= 0 && itemState_ == kEntered && actions != nullptr && actions->IsPressed(kActionDecide))
    return Activate(currentItem_);
  return false;
}

int32_t ItemMenuControl::Select(uint8_t item) {
  ControlHost* host = GetHost();
  if (host == nullptr || entries_.empty() || locked_ != 0 || item >= count_) return 1;
  if (entries_[item].enabled == 0) return 2;
  if (!host->IsFocused(this)) {
    host->SetFocus(this);
    if (!host->IsFocused(this)) return 1;
  }
  HoverItem(item);
  return 0;
}

bool ItemMenuControl::Activate(int32_t item) {
  ControlHost* host = GetHost();
  if (activationEnabled_ == 0 || host == nullptr) return false;
  // As the menu always did: with no tag to report, the item's record is
  // not looked up, so neither its clicked cell nor its event.
  ItemMenuItemRecord* record = nullptr;
  if (GetTag() >= 0) {
    host->SetSelected(item >= 0 ? GetTag() + item : GetTag());
    record = RecordOf(item);
  }
  SetLocked(1);
  activateSound_.Play(host, kControlSoundActivate);
  if (record != nullptr) {
    record->clicked.Write(1);
    RunControlEvent(host, record->eventName1, record->eventValue, record->eventName2);
  }
  return true;
}

}  // namespace orrivel
