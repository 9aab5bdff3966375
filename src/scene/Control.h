#pragma once
// The base of every GUI control a script creates. A control is owned by the
// factory that made it and listed, while it takes input, in one ControlHost,
// which drives it each frame through the virtual operations below; it draws
// itself through sprites of its own on a SpriteList.
//
// Neighbour links (the controls that take the focus on the four navigation
// actions) are kept in both directions, so that a control that goes away
// unlinks itself from every control that named it: navigation never reaches
// a deleted control.
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "base/WeakLink.h"

namespace orrivel {

class ActionMap;
class ControlHost;
class InputDevice;

// What GetKind answers; the factory and the host tell controls apart by it.
enum ControlKind : int32_t {
  kControlPushButton = 0,  // also the scroll-bar arrows
  kControlCheckButton = 1,
  kControlColorBox = 2,
  kControlTextEntry = 3,
  kControlScrollBar = 4,
  kControlWindow = 5,
  kControlTextList = 6,
  kControlHotSpot = 7,
  kControlTextPanelA = 8,
  kControlTextPanelB = 9,
  kControlItemMenu = 10,
};

// Neighbour slots by navigation action.
enum ControlNeighbour : int { kNeighbourUp = 0, kNeighbourDown = 1, kNeighbourLeft = 2, kNeighbourRight = 3 };

class Control;

// Hears that a control is about to let go of sprites or pictures of its own
// while it lives (a text list's lines), so that whoever names them lets go
// first.
class ControlPartListener {
 public:
  virtual void PartsGoing(Control& control) = 0;

 protected:
  ~ControlPartListener() = default;
};

class Control : public LinkTarget {
 public:
  Control() = default;
  // Forgets the name and leaves the host (the current list or a saved one)
  // and every neighbour link.
  virtual ~Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  virtual int32_t GetKind() const = 0;
  // Screen position of the top-left corner and size.
  virtual int32_t GetX() const = 0;
  virtual int32_t GetY() const = 0;
  virtual int32_t GetWidth() const = 0;
  virtual int32_t GetHeight() const = 0;
  virtual void SetPosition(int32_t x, int32_t y) = 0;
  // Hiding a listed control first gives up its focus and hover.
  virtual void SetVisible(bool show) = 0;
  virtual bool IsVisible() const = 0;
  // Puts the control's sprites into its sprite list at the order and stores
  // the group.
  virtual int32_t AttachToSpriteList(int32_t order, int32_t group, uint8_t option) = 0;
  virtual int32_t GetOrder() const = 0;
  virtual void SetDrawFlags(uint8_t value) = 0;
  // The sprite's opacity (0: not shown).
  virtual uint8_t IsReady() const = 0;
  // False when unchanged. Disabling a listed control gives up its focus and
  // hover.
  virtual bool SetEnabled(bool enable);
  // A copy of the text; null or empty leaves no name. The tooltip of a
  // hovered control is hidden first.
  virtual void SetName(const char* text);
  // Screen coordinates.
  virtual bool HitTest(int32_t x, int32_t y) = 0;
  // Coordinates relative to the control's top-left corner.
  virtual void OnPointerMove(int32_t, int32_t) {}
  virtual void OnPointerEnter() {}
  virtual void OnPointerLeave() {}
  // True when handled.
  virtual bool OnPointerButtons(int32_t, int32_t, InputDevice*) { return false; }
  // direction 1 forwards, 0 backwards.
  virtual void OnFocusGained(Control*, int32_t) {}
  virtual void OnFocusLost(Control*) {}
  // Called each frame on the focused control only; true when handled.
  virtual bool Update(ActionMap*) { return false; }
  // Typed input, which only the text entry takes: the last key pressed (a
  // virtual key) and the characters typed (CP932 bytes, pairs whole).
  virtual bool TakeKey(uint8_t) { return false; }
  virtual bool TakeCharacters(const char*, int32_t) { return false; }
  // Called each frame on every enabled visible control.
  virtual int32_t Tick(uint32_t) { return 0; }

  bool IsEnabled() const { return enabled_; }
  const char* GetName() const { return name_ ? name_.get() : nullptr; }
  int32_t GetGroup() const { return group_; }
  // For a control whose creation takes no group (the factory sets it).
  void SetGroup(int32_t group) { group_ = group; }
  void SetTag(int32_t tag) { tag_ = tag; }
  int32_t GetTag() const { return tag_; }

  // Note the argument order: left, right, up, down.
  void SetNeighbours(Control* left, Control* right, Control* up, Control* down);
  Control* GetNeighbour(int32_t action) const;
  ControlHost* GetHost() const { return host_; }

  // Null: nobody listens.
  void SetPartListener(ControlPartListener* listener) { partListener_ = listener; }

 protected:
  void TellPartsGoing() {
    if (partListener_ != nullptr) partListener_->PartsGoing(*this);
  }

  // A control that goes out of use (hidden or disabled) gives up the
  // host's focus and hover.
  void GiveUpFocusAndHover();

  int32_t group_ = 0;

 private:
  friend class ControlHost;
  void SetNeighbour(int32_t slot, Control* control);
  void UnlinkNeighbours();

  bool enabled_ = true;
  std::unique_ptr<char[]> name_;
  ControlHost* host_ = nullptr;
  std::array<Control*, 4> neighbours_{};
  // Controls whose neighbour links name this one.
  std::vector<Control*> namedBy_;
  int32_t tag_ = -1;
  ControlPartListener* partListener_ = nullptr;
};

}  // namespace orrivel
