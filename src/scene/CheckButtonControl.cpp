#include "scene/CheckButtonControl.h"

#include "raster/SpriteList.h"
#include "scene/ListedDrawable.h"
#include "scene/ButtonControl.h"

namespace orrivel {

namespace {

// Rows by style, columns by state 0 to 7.
constexpr int8_t kCellTable[4][8] = {
    {0, 1, 2, 3, 4, 5, 6, 7},
    {0, 1, 1, 2, 3, 3, 4, 5},
    {0, 1, 2, 3, 3, 3, 4, 5},
    {0, 1, 1, 2, 2, 2, 3, 4},
};
constexpr int32_t kCellsWithDisabled[4] = {8, 6, 6, 5};

}  // namespace

int32_t CheckButtonControl::CellCount(uint8_t style, bool hasDisabledCells) {
  return kCellsWithDisabled[style & 3] - (hasDisabledCells ? 0 : 2);
}

int32_t CheckButtonControl::CellOf(uint8_t style, uint8_t state, bool hasDisabledCells) {
  if (state > 7) state = 0;
  // Without disabled cells a disabled button looks like a resting one.
  if (!hasDisabledCells && state == 6) state = 0;
  if (!hasDisabledCells && state == 7) state = 3;
  return kCellTable[style & 3][state];
}

void CheckButtonControl::ShowState(uint8_t state) {
  const uint8_t style = GetStyle();
  const bool disabledCells = HasDisabledCells();
  int32_t cell = CellOf(style, state, disabledCells);
  if (GetDisplayFlag() && state != 6 && state != 7) {
    // Off states rest on cell of state 0, on states on that of state 3; a
    // press shown by the hover cell rests too.
    const uint8_t resting = state < 3 ? 0 : 3;
    const int32_t hoverCell = CellOf(style, uint8_t(resting + 1), disabledCells);
    if (state == resting + 1 || cell == hoverCell) cell = CellOf(style, resting, disabledCells);
  }
  sprite_.SetSourceOffset(cell * cellWidth_, 0);
}

int32_t CheckButtonControl::AttachToSpriteList(int32_t order, int32_t group, uint8_t option) {
  if (surface_ == nullptr || spriteList_ == nullptr) return 1;
  if (PlaceInList(*spriteList_, &sprite_, order, group, option)) group_ = group;
  order_ = order;
  for (CheckButtonBase* member : Members()) {
    auto* button = dynamic_cast<CheckButtonControl*>(member);
    if (button != nullptr && button->spriteList_.Get() != spriteList_.Get()) button->MoveToList(spriteList_.Get());
  }
  return 0;
}

int32_t CheckButtonControl::MoveToList(SpriteList* list) {
  return MoveToOtherList(spriteList_, list, &sprite_, order_, group_);
}

void CheckButtonControl::Release() {
  // Through the list that holds it now: a list that went first has let go.
  if (SpriteList* owner = sprite_.OwningList()) owner->Remove(&sprite_);
  spriteList_ = nullptr;
  sprite_.Reset();
  ownSurface_.FreeBuffers();
  surface_ = nullptr;
  cellWidth_ = cellHeight_ = 0;
  fileName_.clear();
}

int32_t CheckButtonControl::ShowStrip(SpriteList* list, int32_t order, Surface* surface, uint8_t style,
                                      bool hasDisabledCells, int32_t x, int32_t y, uint8_t blend,
                                      uint8_t drawFlags, int32_t group) {
  const int32_t cellWidth = surface->GetWidth() / CellCount(style, hasDisabledCells);
  if (cellWidth < 1) return 2;
  SetStyle(style, hasDisabledCells);
  cellWidth_ = cellWidth;
  cellHeight_ = surface->GetHeight();
  pixelTest_ = surface->GetColorKey() != kNoColorKey || blend != 0;
  const Rect first{0, 0, cellWidth_, cellHeight_};
  if (sprite_.SetImage(surface, &first, x, y) != 0) return 2;
  ShowState(GetState());
  sprite_.SetDrawMode(blend);
  sprite_.SetOpacity(drawFlags);
  surface_ = surface;
  spriteList_ = list;
  AttachToSpriteList(order, group, 1);
  return 0;
}

int32_t CheckButtonControl::CreateFromSurface(SpriteList* list, int32_t order, Surface* surface, uint8_t style,
                                              bool hasDisabledCells, int32_t x, int32_t y, uint8_t blend,
                                              uint8_t drawFlags, int32_t group) {
  if (list == nullptr || surface == nullptr || surface->GetBits() == nullptr || style > 3) return 1;
  Release();
  const int32_t result = ShowStrip(list, order, surface, style, hasDisabledCells, x, y, blend, drawFlags, group);
  if (result != 0) Release();
  return result;
}

int32_t CheckButtonControl::CreateFromImage(SpriteList* list, int32_t order, const char* name, uint8_t style,
                                            bool hasDisabledCells, int32_t x, int32_t y, uint8_t blend,
                                            uint8_t drawFlags, int32_t keyX, int32_t keyY, int32_t group) {
  if (list == nullptr || name == nullptr || style > 3) return 1;
  Release();
  if (ownSurface_.LoadImage(name, nullptr, 0, 0) != 0 || ownSurface_.GetBits() == nullptr) {
    Release();
    return 2;
  }
  ButtonControl::ApplyColourKey(&ownSurface_, keyX, keyY);
  if (ShowStrip(list, order, &ownSurface_, style, hasDisabledCells, x, y, blend, drawFlags, group) != 0) {
    Release();
    return 2;
  }
  fileName_ = name;
  return 0;
}

}  // namespace orrivel
