#pragma once
// The sprites and pictures of GUI controls that scripts hold as display
// object handles. The objects stay their controls': the screen device's
// lists name them only while lent, and every loan is taken back before
// its object goes, when the factory deletes the control (by any path) or
// when the control lets go of parts of its own (a text list's lines). A
// handle kept by a script after that is refused like any stale handle.
//
// Loans live in one screen device's lists at a time: lending in another
// takes back every loan made in the first. A device that goes first
// releases its loans itself (they were never its objects).
//
// Main thread only.
#include <cstdint>
#include <unordered_set>

#include "display/DrawObjectWatcher.h"
#include "scene/Control.h"
#include "scene/ControlFactory.h"

namespace orrivel {

class Drawable;
class DrawObjectManager;
class Image;

class ControlLoans final : public ControlFactory::DeletionListener,
                           public ControlPartListener,
                           private DrawObjectWatcher {
 public:
  ControlLoans() = default;
  ~ControlLoans() override;

  // The object's handle in the lists, lent by the control when not listed
  // already; 0 for a null list or object.
  uint32_t LendSprite(DrawObjectManager* objects, Control& control, Drawable* sprite);
  uint32_t LendImage(DrawObjectManager* objects, Control& control, Image* image);

  void ControlDeleting(Control& control) override { TakeBack(control); }
  void PartsGoing(Control& control) override { TakeBack(control); }

 private:
  // Moves the loans to the lists (taking back those made elsewhere);
  // false for null.
  bool Use(DrawObjectManager* objects);
  void Remember(Control& control);
  void TakeBack(Control& control);
  void TakeBackAll();

  std::unordered_set<Control*> lenders_;
};

}  // namespace orrivel
