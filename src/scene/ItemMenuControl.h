#pragma once
// One control (kind 10) holding up to 255 items of any shape, laid out by
// an 8-bit item map: the palette index of each pixel is the number of the
// item the pixel belongs to, indices at or above the item count are
// background. The menu draws nothing; it turns the pointer, the navigation
// actions and the decide action into one current item with per-item
// sounds, script cells and tooltip text, and one activation, after which
// it locks until it is unlocked.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "raster/Surface.h"
#include "scene/Control.h"
#include "scene/ControlSound.h"
#include "script/ScriptCell.h"

namespace orrivel {

// What the script set for one item. Strings are copies (empty: none).
struct ItemMenuItemRecord {
  std::string eventName1;
  int32_t eventValue = 0;
  std::string eventName2;
  std::string tooltip;
  ScriptCell clicked;  // 1 on activation
  ScriptCell hover;    // 1 while entered, 0 after
  ScriptCell leave;    // 0 while entered, 1 after
};

class ItemMenuControl : public Control {
 public:
  static constexpr uint32_t kActionDecide = 4;
  static constexpr uint8_t kPointerButton = 0;
  enum ItemState : uint8_t { kNone = 0, kEntered = 1, kPressed = 2 };

  ItemMenuControl() = default;
  ~ItemMenuControl() override;

  int32_t GetKind() const override { return kControlItemMenu; }
  int32_t GetX() const override { return x_; }
  int32_t GetY() const override { return y_; }
  int32_t GetWidth() const override { return map_.GetWidth(); }
  int32_t GetHeight() const override { return map_.GetHeight(); }
  void SetPosition(int32_t x, int32_t y) override { x_ = x, y_ = y; }
  // The menu has no picture: shown means enabled.
  void SetVisible(bool) override {}
  bool IsVisible() const override { return IsEnabled(); }
  int32_t AttachToSpriteList(int32_t, int32_t, uint8_t) override { return 0; }
  int32_t GetOrder() const override { return 0; }
  void SetDrawFlags(uint8_t) override {}
  uint8_t IsReady() const override { return 0; }
  // Through the item map; remembers the item hit (-1 none).
  bool HitTest(int32_t x, int32_t y) override;
  void OnPointerMove(int32_t x, int32_t y) override;
  void OnPointerLeave() override;
  bool OnPointerButtons(int32_t x, int32_t y, InputDevice* pointer) override;
  void OnFocusGained(Control* previous, int32_t direction) override;
  void OnFocusLost(Control* next) override;
  bool Update(ActionMap* actions) override;

  // 1 count 0; 2 the map does not load as an 8-bit picture; 3 no memory for
  // the entries. Every item starts enabled, without a record.
  int32_t Create(const char* mapName, uint8_t count, int32_t x, int32_t y, uint8_t activationEnabled,
                 int32_t group);
  // 1 without entries; 2 item >= count; 0.
  int32_t SetItemEnabled(uint8_t item, uint8_t enabled);
  // Drops every item's record and the current tooltip text.
  void ClearItems();
  // 1 without entries; 2 item >= count; 0. Replaces the item's record.
  int32_t SetItem(uint8_t item, const ItemMenuItemRecord& record);
  // A non-empty name forces its code to 0. 0.
  int32_t SetSounds(const char* activateName, const char* hoverName, const char* leaveName, int32_t activateCode,
                    int32_t hoverCode, int32_t leaveCode);
  void SetLocked(uint8_t locked) { locked_ = locked; }
  // 1 without a host or entries, while locked, or past the count; 2 a
  // disabled item; 1 when the menu cannot take the focus; 0.
  int32_t Select(uint8_t item);
  // Reports tag + item, locks the menu, plays the activate sound and sets
  // the item's cells. False with activation off or without a host.
  bool Activate(int32_t item);
  // Makes the item current, leaving the one before.
  bool HoverItem(int32_t item);
  bool EnterItem(int32_t item);
  void LeaveItem(int32_t item);

  uint8_t ItemCount() const { return count_; }
  bool IsLocked() const { return locked_ != 0; }
  int32_t HitItem() const { return hitItem_; }
  int32_t CurrentItem() const { return currentItem_; }
  uint8_t GetItemState() const { return itemState_; }
  bool IsItemEnabled(int32_t item) const;
  const ItemMenuItemRecord* Record(int32_t item) const;
  Surface& ItemMap() { return map_; }

 private:
  struct Entry {
    uint8_t enabled = 1;
    std::unique_ptr<ItemMenuItemRecord> record;
  };

  bool HasEnabledItem() const;
  // The first enabled item from `from` stepping by `step`, -1 none.
  int32_t FindEnabled(int32_t from, int32_t step) const;
  // Hides a shown tooltip of the current item and restarts the delay.
  void HideItemTooltip();
  ItemMenuItemRecord* RecordOf(int32_t item) const;

  Surface map_;
  std::vector<Entry> entries_;
  uint8_t count_ = 0;
  int32_t x_ = 0, y_ = 0;
  uint8_t activationEnabled_ = 0;
  uint8_t locked_ = 0;
  int32_t hitItem_ = -1;
  int32_t currentItem_ = -1;
  uint8_t itemState_ = kNone;
  ControlSound activateSound_, hoverSound_, leaveSound_;
};

}  // namespace orrivel
