#pragma once
// How a control keeps its one drawable in its sprite list: attaching again
// only moves the drawable to the new order, and a move to another list keeps
// the order and the group.
#include <cstdint>

#include "raster/Drawable.h"
#include "raster/SpriteList.h"

namespace orrivel {

// Adds the drawable at the order with the group, or reorders it when the
// list holds it already (the group then stays). True when it was added.
inline bool PlaceInList(SpriteList& list, Drawable* drawable, int32_t order, int32_t group, uint8_t option) {
  if (list.Find(drawable) != nullptr) {
    list.SetOrder(drawable, uint32_t(order), option);
    return false;
  }
  list.Add(drawable, uint32_t(order), uint32_t(group));
  return true;
}

// 1 when there is no list now, no new list, or the drawable is in no list;
// else it moves to the new list, which becomes the current one, and 0.
// current is the control's link to its list (or a plain pointer).
template <class ListLink>
int32_t MoveToOtherList(ListLink& current, SpriteList* list, Drawable* drawable, int32_t order, int32_t group) {

  if (current == nullptr || list == nullptr || current->Find(drawable) == nullptr) return 1;
  current->Remove(drawable);
  current = list;
  current->Add(drawable, uint32_t(order), uint32_t(group));
  return 0;
}

}  // namespace orrivel
