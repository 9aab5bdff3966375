#pragma once
// What every text window answers beyond a plain control: its selectable
// items, the line metrics and wait-mark offsets a message window reads, the
// layout steps and the line-breaking test. WindowControl is the one
// implementation; the message window of the text-adventure frame stands on
// it.
#include <cstdint>

#include "scene/Control.h"
#include "scene/WindowItemRecord.h"

namespace orrivel {

class WindowControlBase : public Control {
 public:
  // --- items ------------------------------------------------------------------------
  virtual void ClearItems() = 0;
  // 1 refused (items off, one open, or the item mask full); else 0 and the
  // new item is open.
  virtual int32_t AddItem(const WindowItemOptions& options) = 0;
  virtual void RecordItemGlyph(int32_t left, int32_t top, int32_t right, int32_t bottom) = 0;
  virtual void CloseItemSegment() = 0;
  virtual void EndItem() = 0;
  virtual void StopDrag() = 0;
  virtual void LockItems(bool on) = 0;

  // --- metrics and layout -------------------------------------------------------------
  virtual int32_t UpdateLineHeight() = 0;
  virtual int32_t WaitMarkX() const = 0;
  virtual int32_t WaitMarkY() const = 0;
  virtual int32_t WaitMarkOffset() const = 0;
  virtual void RecomputeWrapLimit() = 0;
  virtual void RefreshMetrics() = 0;
  virtual bool TryNewLine() = 0;
  virtual void MarkIndent() = 0;
  virtual void ClearIndent() = 0;
  virtual int32_t SetRuby(const char* text) = 0;
  virtual int32_t DrawAligned(const char* text, int32_t alignment) = 0;
  virtual int32_t DrawJustified(const char** text, const Rect& rect) = 0;

  // --- item input ---------------------------------------------------------------------
  virtual int32_t ActivateItem(int32_t index) = 0;
  virtual int32_t SelectItem(int32_t index) = 0;
  virtual int32_t EnterItem(int32_t index) = 0;
  virtual void LeaveItem(int32_t index) = 0;

  // --- line breaking ------------------------------------------------------------------
  // True when a break must not fall before next (after the character last
  // drawn).
  virtual bool IsNoBreakSingle(uint8_t next) const = 0;
  virtual bool IsNoBreakDouble(uint16_t next) const = 0;
};

}  // namespace orrivel
