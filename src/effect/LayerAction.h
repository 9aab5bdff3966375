#pragma once
// A named, timed object that animates a background layer, a sprite or the
// whole screen. Every one is a timed task stepped by a TimerList and is made
// by its registered name from the DcpManager; this base holds what all of
// them share: the set-up protocol over argument cells, control and query
// requests, and the low-priority request.
//
// Set-up cells: the registry's list holds the timer list first, the target
// second and the class's own cells after them. A class reads only the cells
// it knows; absent trailing cells read as 0. Each cell is read as what the
// class takes there (ObjectArguments): a number, a CP932 text, an object of
// a named class or an output; a double given as two cells stays two cells
// (low word first), so cell numbers stay the same for every caller. The
// target is an argument too: each class asks it for the one class it works
// on, so a target of another class is refused, never misread.
//
// The reference count is the holder count of DcpObject: a release with
// extra holders only drops one of them.
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <vector>

#include "base/TimedTask.h"
#include "base/WeakLink.h"
#include "resource/plugin/DcpObject.h"

namespace orrivel {

class Drawable;
class SpriteCanvas;
class TimerList;

class LayerAction : public TimedTask, public DcpObject {
 public:
  // Type ids of the built-in kinds.
  static constexpr int32_t kBackgroundActionType = 14000;
  static constexpr int32_t kSpriteActionType = 14001;
  static constexpr int32_t kStaffRollType = 14002;
  static constexpr int32_t kOverlayEffectType = 14003;
  static constexpr int32_t kBackgroundAnimationType = 15000;
  // Registry categories.
  static constexpr uint8_t kBackgroundCategory = 0;
  static constexpr uint8_t kSpriteCategory = 1;
  static constexpr uint8_t kStaffRollCategory = 2;
  static constexpr uint8_t kOverlayCategory = 3;
  // Answer of a class that takes no such request.
  static constexpr int32_t kNotSupported = -2;

  enum class LowPriority : uint8_t { None = 0, Requested = 1, Entered = 2 };

  LayerAction() = default;
  // Leaves low priority when this action entered it; the task's destruction
  // then clears the owner's slot.
  ~LayerAction() override;

  // The name the class is registered under, and its registry category.
  virtual const char* GetName() const = 0;
  virtual uint8_t GetCategory() const = 0;
  // A value handed to the action after creation; 0 in every built-in class.
  virtual uint32_t Attach(uint32_t value);

  // Validates the cells, binds the target and adds the action to the timer
  // list. 0 on success; any other value is a class result code, and the
  // action is then not in the list.
  virtual int32_t SetupV(TimerList* timerList, const ObjectArgument& target, const ObjectArguments& cells) = 0;
  int32_t Setup(TimerList* timerList, const ObjectArgument& target, std::initializer_list<ObjectArgument> cells);
  // The registry's entry: timer list, target, then the class's cells.
  int32_t SetupV(const ObjectArguments& arguments) final;

  // Class-specific requests; kNotSupported unless a class takes them.
  virtual int32_t ControlV(const ObjectArguments& cells);
  int32_t Control(std::initializer_list<ObjectArgument> cells);
  virtual int32_t QueryV(const ObjectArguments& cells);
  int32_t Query(std::initializer_list<ObjectArgument> cells);

  // A sprite or a sprite canvas the display is about to delete. Actions
  // borrow what they work on, so each is told: Losing says how much of the
  // action goes with it (Whole: the list stops the action at once, while
  // the object still lives; Part: the action goes on without it), then
  // LetGo drops every pointer to it, so that no later step, stop or
  // destruction reaches it.
  enum class Loss : uint8_t { None, Part, Whole };
  virtual Loss LosingSprite(const Drawable& sprite) const;
  virtual Loss LosingCanvas(const SpriteCanvas& canvas) const;
  virtual void LetGoSprite(const Drawable& sprite);
  virtual void LetGoCanvas(const SpriteCanvas& canvas);

  // Enters low priority once, when requested and the hook is installed.
  void EnterLowPriority();
  LowPriority GetLowPriority() const { return lowPriority_; }
  // The creator drops a pending request when the game switched the mode off.
  void DropLowPriorityRequest() {
    if (lowPriority_ == LowPriority::Requested) lowPriority_ = LowPriority::None;
  }

 protected:
  // The action works on this sprite (or canvas) from now on. However it
  // goes (its handle, its group, all at once, while no script watches the
  // display), the action is told as it goes, as above: what it holds of
  // it is let go first, then a Whole loss stops the action.
  void Watch(Drawable* sprite);
  void Watch(SpriteCanvas* canvas);

 private:
  template <class T>
  void Watch(T* object, std::vector<std::unique_ptr<WeakLink<T>>>& links);
  template <class T>
  void Lose(const T& object);

  LowPriority lowPriority_ = LowPriority::Requested;
  std::vector<std::unique_ptr<WeakLink<Drawable>>> spriteLinks_;
  std::vector<std::unique_ptr<WeakLink<SpriteCanvas>>> canvasLinks_;
};

// Tells every unfinished layer action of the list that the display is
// about to delete the sprite (or the canvas): those that cannot go on
// without it are stopped, and all of them let go of it.
void LetLayerActionsGoOf(TimerList& list, const Drawable& sprite);
void LetLayerActionsGoOf(TimerList& list, const SpriteCanvas& canvas);

// Reads the list's cells as a list; the pointer stays valid for the call.
inline ObjectArguments CellList(std::initializer_list<ObjectArgument> cells) {
  return ObjectArguments{cells.begin(), cells.size()};
}

}  // namespace orrivel
