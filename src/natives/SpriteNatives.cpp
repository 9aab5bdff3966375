// Natives 399 to 462 (436 is a sound native): scripts make image sprites
// and colour boxes in the screen device's sprite list, put them into the
// main or overlay list of a canvas image's sprite canvas, set that canvas's
// background and render it, change the common drawable properties, start
// the keyed path, size and rotation actions, and set what only image
// sprites or only colour boxes have. Every object cell is a handle of the
// device's lists, resolved by kind, so a stale, forged or other-kind handle
// gets the row's failure value before anything runs.
#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "base/DecimalRange.h"
#include "display/DrawObjectManager.h"
#include "natives/DisplayObjectArguments.h"
#include "natives/GameScriptHost.h"
#include "natives/NativeBinder.h"
#include "raster/ColorBox.h"
#include "raster/SpriteList.h"
#include "scene/CanvasDrawObject.h"
#include "scene/DrawObjectCreation.h"
#include "scene/ImageSprite.h"
#include "scene/SpriteActions.h"
#include "scene/SpriteCanvas.h"
#include "script/ScriptAddressSpace.h"

namespace orrivel {

namespace {

constexpr uint32_t kFailed = uint32_t(-1);
constexpr uint32_t kNoDrawable = uint32_t(-2);
constexpr uint32_t kAbsent = NativeArgs::kAbsentMarker;
constexpr int32_t kImageSpriteKind = 0;
constexpr int32_t kColorBoxKind = 1;

// --- resolution -----------------------------------------------------------------------------

Drawable* DrawableAt(NativeArgs& args, uint32_t i) {
  const uint32_t handle = args.Cell(i);
  const DrawObjectManager* objects = ScriptDisplayObjects();
  if (args.Failed() || objects == nullptr) return nullptr;
  return objects->GetSprite(handle);
}

ImageSprite* ImageSpriteAt(NativeArgs& args, uint32_t i) {
  Drawable* drawable = DrawableAt(args, i);
  if (drawable == nullptr || drawable->GetKind() != kImageSpriteKind) return nullptr;
  return dynamic_cast<ImageSprite*>(drawable);
}

ColorBox* ColorBoxAt(NativeArgs& args, uint32_t i) {
  Drawable* drawable = DrawableAt(args, i);
  if (drawable == nullptr || drawable->GetKind() != kColorBoxKind) return nullptr;
  return dynamic_cast<ColorBox*>(drawable);
}

SpriteCanvas* CanvasAt(NativeArgs& args, uint32_t i) {
  const uint32_t handle = args.Cell(i);
  return args.Failed() ? nullptr : GetObjectSpriteCanvas(handle);
}

Surface* SurfaceAt(NativeArgs& args, uint32_t i) {
  const uint32_t handle = args.Cell(i);
  return args.Failed() ? nullptr : GetObjectSurface(handle);
}

// Decimal text as a double held to the range; the fallback for a null
// address, 0 for a text that is no number.
double DecimalAt(NativeArgs& args, uint32_t i, double fallback, const DecimalRange& range) {
  if (args.Cell(i) == 0) return fallback;
  return range.Read(args.String(i, 64), 0.0);
}

// The main list, then the overlay list when the canvas has one.
template <class Apply>
void OnBothLists(SpriteCanvas* canvas, Apply&& apply) {
  apply(canvas->MainList());
  if (canvas->OverlayList() != nullptr) apply(*canvas->OverlayList());
}

// The main list first; the overlay list only when the main one did not hold
// the drawable.
template <class Apply>
uint32_t OnHoldingList(SpriteCanvas* canvas, Apply&& apply) {
  if (apply(canvas->MainList())) return 1;
  return canvas->OverlayList() != nullptr && apply(*canvas->OverlayList()) ? 1 : 0;
}

// --- the device's sprites ---------------------------------------------------------------------

uint32_t NativeCreateImageSprite(NativeArgs& args) {
  const uint32_t image = args.Cell(0);
  const auto cells = args.OptionalRect(1);
  const int32_t x = cells ? args.Int(5) : 0, y = cells ? args.Int(6) : 0;
  DrawObjectManager* objects = ScriptDisplayObjects();
  if (args.Failed() || objects == nullptr) return 0;
  const Rect source{cells ? cells->left : 0, cells ? cells->top : 0, cells ? cells->right : 0,
                    cells ? cells->bottom : 0};
  // The image resolves like every image native's: a memory picture, or the
  // surface of a canvas image.
  uint32_t out = 0;
  return CreateImageSpriteOver(*objects, &out, GetObjectSurface(objects, image), cells ? &source : nullptr, x, y) == 0
             ? out
             : 0;
}

uint32_t NativeCopyImageSprite(NativeArgs& args) {
  const uint32_t handle = args.Cell(0);
  if (ImageSpriteAt(args, 0) == nullptr) return 0;
  uint32_t out = 0;
  return CreateImageSpriteCopy(*ScriptDisplayObjects(), &out, handle) == 0 ? out : 0;
}

uint32_t NativeCreateColorBoxSprite(NativeArgs& args) {
  const int32_t width = args.Int(0), height = args.Int(1);
  const uint32_t argb = args.Cell(2);
  const int32_t x = args.Int(3), y = args.Int(4);
  DrawObjectManager* objects = ScriptDisplayObjects();
  if (args.Failed() || objects == nullptr) return 0;
  uint32_t out = 0;
  return objects->CreateColorBox(&out, width, height, argb, x, y) == 0 ? out : 0;
}

uint32_t NativeDeleteAllSprites(NativeArgs&) {
  if (DrawObjectManager* objects = ScriptDisplayObjects()) objects->DeleteAllSprites();
  return 0;
}

uint32_t NativeSetSpriteGroupId(NativeArgs& args) {
  const uint32_t group = args.Cell(0);
  DrawObjectManager* objects = ScriptDisplayObjects();
  if (args.Failed() || objects == nullptr) return 0;
  return objects->SetSpriteGroupId(group);
}

uint32_t NativeDeleteSpriteGroup(NativeArgs& args) {
  const uint32_t group = args.Cell(0);
  const uint8_t invert = args.Byte(1);
  DrawObjectManager* objects = ScriptDisplayObjects();
  if (!args.Failed() && objects != nullptr) objects->DeleteSpritesByGroup(group, invert);
  return 0;
}

// The variable keeps its handle unless the sprite really went.
uint32_t NativeDeleteSprite(NativeArgs& args) {
  const uint32_t variable = args.Cell(0);
  const uint32_t handle = args.Load(variable);
  DrawObjectManager* objects = ScriptDisplayObjects();
  if (args.Failed()) return kFailed;
  if (objects == nullptr) return 2;
  const int code = objects->RemoveSprite(handle);
  if (code == 0) args.Store(variable, 0);
  return uint32_t(code);
}

// --- canvas lists -------------------------------------------------------------------------------

// Order -1 puts the drawable in the main list at order 0 without flags,
// whatever the overlay cell says.
uint32_t AddToCanvas(NativeArgs& args, bool afterEqual) {
  SpriteCanvas* canvas = CanvasAt(args, 0);
  Drawable* drawable = DrawableAt(args, 1);
  const uint32_t order = args.Cell(2);
  const bool defaults = order == kFailed;
  const uint32_t flags = defaults ? 0 : args.Cell(3);
  const bool overlay = !defaults && args.Flag(4);
  if (args.Failed() || canvas == nullptr) return kFailed;
  SpriteList* list = &canvas->MainList();
  if (overlay) {
    if (canvas->OverlayList() == nullptr) return 4;
    list = canvas->OverlayList();
  }
  const uint32_t key = defaults ? 0 : order;
  return uint32_t(afterEqual ? list->AddAfterEqual(drawable, key, flags) : list->Add(drawable, key, flags));
}

uint32_t NativeRemoveFromCanvas(NativeArgs& args) {
  SpriteCanvas* canvas = CanvasAt(args, 0);
  Drawable* drawable = DrawableAt(args, 1);
  if (canvas == nullptr || drawable == nullptr) return 0;
  return OnHoldingList(canvas, [&](SpriteList& list) { return list.Remove(drawable); });
}

uint32_t NativeRemoveOrderFromCanvas(NativeArgs& args) {
  SpriteCanvas* canvas = CanvasAt(args, 0);
  const uint32_t order = args.Cell(1);
  if (!args.Failed() && canvas != nullptr) OnBothLists(canvas, [&](SpriteList& list) { list.RemoveByOrder(order, 0); });
  return 0;
}

uint32_t NativeRemoveMatchingFromCanvas(NativeArgs& args) {
  SpriteCanvas* canvas = CanvasAt(args, 0);
  const uint32_t flags = args.Cell(1), tag = args.Cell(2);
  const uint8_t invert = args.Byte(3);
  if (!args.Failed() && canvas != nullptr) {
    OnBothLists(canvas, [&](SpriteList& list) { list.RemoveMatching(flags, tag, invert); });
  }
  return 0;
}

uint32_t SetCanvasOrder(NativeArgs& args, bool afterEqual) {
  SpriteCanvas* canvas = CanvasAt(args, 0);
  Drawable* drawable = DrawableAt(args, 1);
  const uint32_t order = args.Cell(2);
  const uint8_t skipIfEqual = args.Byte(3);
  if (args.Failed() || canvas == nullptr || drawable == nullptr) return 0;
  return OnHoldingList(canvas, [&](SpriteList& list) {
    return afterEqual ? list.SetOrderAfterEqual(drawable, order, skipIfEqual) : list.SetOrder(drawable, order, skipIfEqual);
  });
}

uint32_t NativeClearCanvas(NativeArgs& args) {
  if (SpriteCanvas* canvas = CanvasAt(args, 0)) OnBothLists(canvas, [](SpriteList& list) { list.Clear(); });
  return 0;
}

// Flags 65535: every drawable of the order, whatever its flags and tag.
uint32_t NativeSetCanvasVisibleWhere(NativeArgs& args) {
  SpriteCanvas* canvas = CanvasAt(args, 0);
  const uint8_t visible = args.Byte(1);
  const uint32_t order = args.Cell(2);
  const bool any = args.Cell(3) == kAbsent;
  const uint32_t flags = any ? SpriteList::kAny : args.Cell(3);
  const uint32_t tag = any ? SpriteList::kAny : args.Cell(4);
  const uint8_t invert = any ? 0 : args.Byte(5);
  if (!args.Failed() && canvas != nullptr) {
    OnBothLists(canvas, [&](SpriteList& list) { list.SetVisibleMatching(visible, order, flags, tag, invert); });
  }
  return 0;
}

// --- canvas background and output --------------------------------------------------------------

uint32_t NativeSetCanvasBackgroundImage(NativeArgs& args) {
  SpriteCanvas* canvas = CanvasAt(args, 0);
  const bool given = args.Cell(1) != 0;
  Surface* background = given ? SurfaceAt(args, 1) : nullptr;
  const int32_t x = args.Int(2), y = args.Int(3);
  const uint8_t redraw = args.Byte(4);
  if (args.Failed() || canvas == nullptr || (given && background == nullptr)) return 0;
  return canvas->SetBackgroundImage(background, x, y, redraw);
}

// Mode 2 and above only records the colour: a background picture stays.
uint32_t NativeSetCanvasBackgroundColor(NativeArgs& args) {
  SpriteCanvas* canvas = CanvasAt(args, 0);
  const uint32_t colour = args.Cell(1);
  const uint8_t mode = args.Byte(2);
  if (args.Failed() || canvas == nullptr) return 0;
  if (mode < 2) {
    canvas->SetBackgroundValue(colour, mode);
  } else {
    canvas->StoreBackgroundValue(colour);
  }
  return 1;
}

uint32_t NativeSetCanvasBackgroundOffset(NativeArgs& args) {
  SpriteCanvas* canvas = CanvasAt(args, 0);
  const int32_t x = args.Int(1), y = args.Int(2);
  if (args.Failed() || canvas == nullptr) return kFailed;
  int32_t oldX = 0, oldY = 0;
  canvas->GetBackground(nullptr, &oldX, &oldY, nullptr, nullptr, nullptr);
  if (oldX == x && oldY == y) return 0;
  canvas->SetBackgroundOffsets(x, y);
  return uint32_t(canvas->MarkAllChanged());
}

uint32_t NativeSetCanvasBackgroundStretch(NativeArgs& args) {
  SpriteCanvas* canvas = CanvasAt(args, 0);
  const int32_t x = args.Int(1), y = args.Int(2), w = args.Int(3), h = args.Int(4);
  const auto cells = args.OptionalRect(5);
  if (args.Failed() || canvas == nullptr) return kFailed;
  const Rect source{cells ? cells->left : 0, cells ? cells->top : 0, cells ? cells->right : 0,
                    cells ? cells->bottom : 0};
  return canvas->SetBackgroundStretch(x, y, w, h, cells ? &source : nullptr) ? 1 : 0;
}

// Codes 0, 1, 2 and 4 name a corner or the middle; any other the
// bottom-right corner.
uint32_t NativeSetCanvasBackgroundPivot(NativeArgs& args) {
  SpriteCanvas* canvas = CanvasAt(args, 0);
  int32_t code = args.Int(1);
  const int32_t x = args.Int(2), y = args.Int(3);
  if (args.Failed() || canvas == nullptr) return kFailed;
  if (code != 0 && code != 1 && code != 2 && code != 4) code = 3;
  return uint8_t(canvas->SetBackgroundPivot(code, x, y));
}

uint32_t NativeSetCanvasBackgroundRotation(NativeArgs& args) {
  SpriteCanvas* canvas = CanvasAt(args, 0);
  const int32_t x = args.Int(1), y = args.Int(2), angle = args.Int(3);
  const double scale = double(args.Int(4));
  if (args.Failed() || canvas == nullptr) return kFailed;
  return canvas->SetBackgroundRotation(x, y, angle, scale) ? 1 : 0;
}

// The background goes back as the handle of the listed picture it is (0
// for none or a picture the scripts do not hold).
uint32_t NativeGetCanvasBackground(NativeArgs& args) {
  SpriteCanvas* canvas = CanvasAt(args, 0);
  if (args.Failed() || canvas == nullptr) return 0;
  Surface* image = nullptr;
  int32_t x = 0, y = 0;
  uint8_t red = 0, green = 0, blue = 0;
  canvas->GetBackground(&image, &x, &y, &red, &green, &blue);
  const DrawObjectManager* objects = ScriptDisplayObjects();
  const Image* listed = dynamic_cast<const Image*>(image);
  const uint32_t handle = objects != nullptr && listed != nullptr ? objects->HandleOfImage(listed) : 0;
  const uint32_t values[6] = {handle, uint32_t(x), uint32_t(y), red, green, blue};
  for (uint32_t i = 0; i < 6; ++i) args.SetOptionalInt(i + 1, values[i]);
  return 1;
}

uint32_t NativeMarkCanvasChanged(NativeArgs& args) {
  SpriteCanvas* canvas = CanvasAt(args, 0);
  return canvas == nullptr ? kFailed : uint32_t(canvas->MarkAllChanged());
}

uint32_t NativeAddCanvasDirtyRect(NativeArgs& args) {
  SpriteCanvas* canvas = CanvasAt(args, 0);
  const auto cells = args.RectAt(1);
  if (args.Failed() || canvas == nullptr) return 0;
  Rect rect{cells.left, cells.top, cells.right, cells.bottom};
  canvas->AddDirtyRect(&rect);
  return 1;
}

uint32_t NativeSetCanvasFullRedraw(NativeArgs& args) {
  const uint32_t handle = args.Cell(0);
  const uint8_t flag = args.Byte(1);
  CanvasDrawObject* part = args.Failed() ? nullptr : GetCanvasPart(handle);
  return part == nullptr ? 0 : part->SetPrepared(flag);
}

uint32_t NativeRenderCanvas(NativeArgs& args) {
  SpriteCanvas* canvas = CanvasAt(args, 0);
  return canvas == nullptr ? kFailed : uint32_t(canvas->Render(nullptr, nullptr, 0, 0));
}

uint32_t NativeRenderCanvasInto(NativeArgs& args) {
  SpriteCanvas* canvas = CanvasAt(args, 0);
  Surface* target = SurfaceAt(args, 1);
  const uint8_t filterMode = args.Byte(2);
  const uint32_t filterTag = args.Cell(3);
  const uint8_t overlay = args.Byte(4);
  if (args.Failed() || canvas == nullptr) return kNoDrawable;
  if (target == nullptr) return kFailed;
  return uint32_t(canvas->RenderInto(target, filterMode, filterTag, overlay));
}

uint32_t NativeSetCanvasListsHidden(NativeArgs& args) {
  SpriteCanvas* canvas = CanvasAt(args, 0);
  const bool hideMain = args.Flag(1), hideOverlay = args.Flag(2);
  if (args.Failed() || canvas == nullptr) return kFailed;
  canvas->SetHideMain(hideMain);
  canvas->SetHideOverlay(hideOverlay);
  return 0;
}

uint32_t NativeSetCanvasSkipBackground(NativeArgs& args) {
  SpriteCanvas* canvas = CanvasAt(args, 0);
  const bool skip = args.Flag(1);
  if (args.Failed() || canvas == nullptr) return kFailed;
  canvas->SetNoBackground(skip);
  return 0;
}

// The switch selects the banded repaint of every canvas.
uint32_t NativeSetCompositorSwitch(NativeArgs& args) {
  const bool on = args.Flag(0);
  if (!args.Failed()) SpriteCanvas::SetBandedRendering(on);
  return 0;
}

// --- every drawable ---------------------------------------------------------------------------------

uint32_t NativeSetDrawableVisible(NativeArgs& args) {
  Drawable* drawable = DrawableAt(args, 0);
  const uint8_t visible = args.Byte(1);
  if (drawable != nullptr && !args.Failed()) drawable->SetVisible(visible);
  return 0;
}

uint32_t NativeGetDrawableState(NativeArgs& args) {
  const Drawable* drawable = DrawableAt(args, 0);
  if (drawable == nullptr || drawable->OwningList() == nullptr) return 0;
  return drawable->IsVisible() ? 2 : 1;
}

uint32_t NativeMarkDrawableChanged(NativeArgs& args) {
  Drawable* drawable = DrawableAt(args, 0);
  if (drawable == nullptr) return 0;
  drawable->SetChanged(1);
  return 1;
}

// The rectangle is in the drawable's own coordinates.
uint32_t NativeDrawableRectVisible(NativeArgs& args) {
  const Drawable* drawable = DrawableAt(args, 0);
  const auto cells = args.RectAt(1);
  if (args.Failed() || drawable == nullptr) return 0;
  Rect bounds;
  drawable->GetBounds(&bounds);
  const Rect placed{ClampedEdge(bounds.left, cells.left), ClampedEdge(bounds.top, cells.top),
                    ClampedEdge(bounds.left, cells.right), ClampedEdge(bounds.top, cells.bottom)};
  return IntersectRects(nullptr, placed, bounds) ? 1 : 0;
}

uint32_t NativeSetDrawableMode(NativeArgs& args) {
  Drawable* drawable = DrawableAt(args, 0);
  const uint8_t mode = args.Byte(1);
  return drawable == nullptr || args.Failed() ? kNoDrawable : uint32_t(drawable->SetDrawMode(mode));
}

uint32_t NativeSetDrawableAlpha(NativeArgs& args) {
  Drawable* drawable = DrawableAt(args, 0);
  const uint8_t alpha = args.Byte(1);
  return drawable == nullptr || args.Failed() ? kNoDrawable : uint32_t(drawable->SetOpacity(alpha));
}

// The old tag comes back, so a script can swap two tags.
uint32_t NativeSetDrawableTag(NativeArgs& args) {
  Drawable* drawable = DrawableAt(args, 0);
  const uint32_t tag = args.Cell(1);
  if (drawable == nullptr || args.Failed()) return 0;
  const uint32_t old = drawable->GetTag();
  drawable->SetTag(tag);
  return old;
}

uint32_t NativeMoveDrawable(NativeArgs& args) {
  Drawable* drawable = DrawableAt(args, 0);
  const int32_t dx = args.Int(1), dy = args.Int(2);
  return drawable == nullptr || args.Failed() ? 0 : uint32_t(drawable->MoveBy(dx, dy));
}

uint32_t NativeHitTestDrawable(NativeArgs& args) {
  Drawable* drawable = DrawableAt(args, 0);
  const int32_t x = args.Int(1), y = args.Int(2);
  const uint8_t pixels = args.Byte(3);
  return drawable == nullptr || args.Failed() ? 0 : uint32_t(drawable->HitTest(x, y, pixels));
}

uint32_t NativeDrawablesOverlap(NativeArgs& args) {
  const Drawable* drawable = DrawableAt(args, 0);
  const Drawable* other = DrawableAt(args, 1);
  return drawable == nullptr || other == nullptr ? 0 : uint32_t(drawable->Overlaps(other));
}

uint32_t NativeGetDrawableBounds(NativeArgs& args) {
  const Drawable* drawable = DrawableAt(args, 0);
  if (drawable == nullptr) return 0;
  Rect bounds;
  drawable->GetBounds(&bounds);
  const int32_t sides[4] = {bounds.left, bounds.top, bounds.right, bounds.bottom};
  for (uint32_t i = 0; i < 4; ++i) args.SetOptionalInt(i + 1, uint32_t(sides[i]));
  return 1;
}

// The drawable's changed mark stays as it was: the canvas still repaints it.
uint32_t NativeDrawDrawableInto(NativeArgs& args) {
  Surface* image = SurfaceAt(args, 0);
  Drawable* drawable = DrawableAt(args, 1);
  if (image == nullptr) return kFailed;
  if (drawable == nullptr) return kNoDrawable;
  return uint32_t(drawable->DrawTo(image));
}

// Size and alignment: 0 keeps the left (top) edge, 1 the middle, 2 the
// right (bottom) edge where they were.
bool SetSizeAligned(Drawable* drawable, int32_t width, int32_t height, int32_t horizontal, int32_t vertical) {
  Rect before;
  drawable->GetBounds(&before);
  const bool resized = drawable->SetDisplaySize(width, height);
  Rect after;
  drawable->GetBounds(&after);
  const auto shift = [](int32_t align, int32_t oldExtent, int32_t newExtent) {
    if (align == 1) return (oldExtent - newExtent) / 2;
    return align == 2 ? oldExtent - newExtent : 0;
  };
  const int32_t dx = shift(horizontal, before.Width(), after.Width()) + before.left - after.left;
  const int32_t dy = shift(vertical, before.Height(), after.Height()) + before.top - after.top;
  const bool moved = (dx != 0 || dy != 0) && drawable->MoveBy(dx, dy);
  return resized || moved;
}

bool IsSizedKind(const Drawable* drawable) {
  return drawable != nullptr && (drawable->GetKind() == kImageSpriteKind || drawable->GetKind() == kColorBoxKind);
}

uint32_t NativeSetDrawableSize(NativeArgs& args) {
  Drawable* drawable = DrawableAt(args, 0);
  const int32_t width = args.Int(1), height = args.Int(2);
  return !IsSizedKind(drawable) || args.Failed() ? 0 : uint32_t(drawable->SetDisplaySize(width, height));
}

uint32_t NativeSetDrawableSizeAligned(NativeArgs& args) {
  Drawable* drawable = DrawableAt(args, 0);
  const int32_t width = args.Int(1), height = args.Int(2), horizontal = args.Int(3), vertical = args.Int(4);
  if (!IsSizedKind(drawable) || args.Failed()) return 0;
  return SetSizeAligned(drawable, width, height, horizontal, vertical) ? 1 : 0;
}

// --- sprite actions ---------------------------------------------------------------------------------

// Keys of an array: count triples of (a, b, opacity) cells.
bool KeyTriples(NativeArgs& args, uint32_t countCell, uint32_t arrayCell, std::vector<int32_t>& out) {
  const int32_t count = args.Int(countCell);
  const uint32_t address = args.Cell(arrayCell);
  if (args.Failed() || count <= 0 || address == 0) return false;
  // The count is trusted nowhere: keys that would lie past the arena end
  // the step, as a bad address does.
  if (!args.Space().Contains(address, 12ull * uint32_t(count))) {
    args.Fail();
    return false;
  }
  out.resize(size_t(count) * 3);
  for (size_t i = 0; i < out.size(); ++i) out[i] = int32_t(args.Load(address + uint32_t(i) * 4));
  return !args.Failed();
}

// The action's handle once keyed and started; every other outcome deletes it.
// A running action lets go of its target when the screen device deletes it.
template <class Action, class Keys, class Start>
uint32_t Started(GameScriptHost& host, std::unique_ptr<Action> action, Keys&& keys, Start&& start) {
  if (!action || keys(*action) != 0 || start(*action) != 0) return 0;
  host.WatchDrawObjects(ScriptDisplayObjects());
  return action.release()->Handle();
}

SceneObject* SceneObjectAt(NativeArgs& args, uint32_t i) {
  const uint32_t handle = args.Cell(i);
  const DrawObjectManager* objects = ScriptDisplayObjects();
  return args.Failed() || objects == nullptr ? nullptr : objects->GetSceneObject(handle);
}

// An action's settings from the cells around its keys: time is the cell of
// the first timing value, first that of the second. With the option cell
// 65535 the rest are the defaults.
std::unique_ptr<SpritePathAction> PathAction(NativeArgs& args, uint32_t time, uint32_t first) {
  const uint32_t duration = args.Cell(time), delay = args.Cell(first);
  const uint8_t flag = args.Byte(first + 1);
  if (!args.Given(first + 2)) return std::make_unique<SpritePathAction>(duration, delay, flag, 0.0, 1, 0, 0, 0);
  const uint8_t option = args.Byte(first + 2), spline = args.Flag(first + 3);
  const double easing = DecimalAt(args, first + 4, 0.0, kCurveDecimals);
  const uint8_t repeat = args.Flag(first + 5), lowPriority = args.Flag(first + 6);
  return std::make_unique<SpritePathAction>(duration, delay, flag, easing, option, spline, repeat, lowPriority);
}

uint32_t NativeStartObjectPath(GameScriptHost& host, NativeArgs& args) {
  SceneObject* object = SceneObjectAt(args, 0);
  if (object == nullptr || args.Cell(2) == 0) return 0;
  const std::string keys = args.String(2);
  std::unique_ptr<SpritePathAction> action = PathAction(args, 1, 3);
  if (args.Failed()) return 0;
  return Started(
      host, std::move(action), [&](SpritePathAction& a) { return a.Load(keys.c_str()); },
      [&](SpritePathAction& a) { return a.StartWith(host.ObjectTimers(), object); });
}

uint32_t NativeStartObjectPathKeys(GameScriptHost& host, NativeArgs& args) {
  SceneObject* object = SceneObjectAt(args, 0);
  std::vector<int32_t> keys;
  if (object == nullptr || !KeyTriples(args, 2, 3, keys)) return 0;
  std::unique_ptr<SpritePathAction> action = PathAction(args, 1, 4);
  if (args.Failed()) return 0;
  return Started(
      host, std::move(action), [&](SpritePathAction& a) { return a.SetKeys(int32_t(keys.size() / 3), keys.data()); },
      [&](SpritePathAction& a) { return a.StartWith(host.ObjectTimers(), object); });
}

// The size action's settings, as PathAction reads them.
std::unique_ptr<SpriteSizeAction> SizeAction(NativeArgs& args, uint32_t time, uint32_t first) {
  const uint32_t duration = args.Cell(time), delay = args.Cell(first);
  const uint8_t flag = args.Byte(first + 1);
  if (!args.Given(first + 2)) {
    return std::make_unique<SpriteSizeAction>(duration, delay, flag, 0.0, 1, 1, 1, 1, 0, 0);
  }
  const uint8_t option = args.Byte(first + 2), word = args.Byte(first + 3);
  const uint8_t flag7 = args.Flag(first + 4), flag8 = args.Flag(first + 5);
  const double easing = DecimalAt(args, first + 6, 0.0, kCurveDecimals);
  const uint8_t flag10 = args.Flag(first + 7), flag11 = args.Flag(first + 8);
  return std::make_unique<SpriteSizeAction>(duration, delay, flag, easing, option, word, flag7, flag8, flag10, flag11);
}

uint32_t NativeStartSpriteSize(GameScriptHost& host, NativeArgs& args) {
  ImageSprite* sprite = ImageSpriteAt(args, 0);
  if (sprite == nullptr || args.Cell(2) == 0) return 0;
  const std::string keys = args.String(2);
  std::unique_ptr<SpriteSizeAction> action = SizeAction(args, 1, 3);
  if (args.Failed()) return 0;
  return Started(
      host, std::move(action), [&](SpriteSizeAction& a) { return a.Load(keys.c_str()); },
      [&](SpriteSizeAction& a) { return a.Start(host.ObjectTimers(), sprite); });
}

uint32_t NativeStartSpriteSizeKeys(GameScriptHost& host, NativeArgs& args) {
  ImageSprite* sprite = ImageSpriteAt(args, 0);
  std::vector<int32_t> keys;
  if (sprite == nullptr || !KeyTriples(args, 2, 3, keys)) return 0;
  std::unique_ptr<SpriteSizeAction> action = SizeAction(args, 1, 4);
  if (args.Failed()) return 0;
  return Started(
      host, std::move(action), [&](SpriteSizeAction& a) { return a.SetKeys(int32_t(keys.size() / 3), keys.data()); },
      [&](SpriteSizeAction& a) { return a.Start(host.ObjectTimers(), sprite); });
}

uint32_t NativeStartSpriteRotate(GameScriptHost& host, NativeArgs& args) {
  ImageSprite* sprite = ImageSpriteAt(args, 0);
  if (sprite == nullptr || args.Cell(2) == 0) return 0;
  const std::string keys = args.String(2);
  const uint32_t duration = args.Cell(1), delay = args.Cell(3);
  const uint8_t flag = args.Byte(4);
  std::unique_ptr<SpriteRotateAction> action =
      !args.Given(5) ? std::make_unique<SpriteRotateAction>(duration, delay, flag, 0.0, 1, 1, 0, 0)
                     : std::make_unique<SpriteRotateAction>(duration, delay, flag, DecimalAt(args, 7, 0.0, kCurveDecimals),
                                                            args.Byte(5), args.Flag(6), args.Flag(8), args.Flag(9));
  if (args.Failed()) return 0;
  return Started(
      host, std::move(action), [&](SpriteRotateAction& a) { return a.Load(keys.c_str()); },
      [&](SpriteRotateAction& a) { return a.Start(host.ObjectTimers(), sprite); });
}

// --- image sprites ------------------------------------------------------------------------------------

uint32_t NativeSetSpriteStretchSize(NativeArgs& args) {
  ImageSprite* sprite = ImageSpriteAt(args, 0);
  const int32_t width = args.Int(1), height = args.Int(2);
  return sprite == nullptr || args.Failed() ? kNoDrawable : uint32_t(sprite->SetStretchSize(width, height));
}

uint32_t NativeSetSpriteSourceRect(NativeArgs& args) {
  ImageSprite* sprite = ImageSpriteAt(args, 0);
  const auto cells = args.RectAt(1);
  if (sprite == nullptr || args.Failed()) return kFailed;
  const Rect rect{cells.left, cells.top, cells.right, cells.bottom};
  return uint32_t(sprite->SetSourceRect(&rect));
}

uint32_t NativeSetSpriteSourceOffset(NativeArgs& args) {
  ImageSprite* sprite = ImageSpriteAt(args, 0);
  const int32_t x = args.Int(1), y = args.Int(2);
  return sprite == nullptr || args.Failed() ? kFailed : uint32_t(sprite->SetSourceOffset(x, y));
}

uint32_t NativeSetSpriteBlendMode(NativeArgs& args) {
  ImageSprite* sprite = ImageSpriteAt(args, 0);
  const uint8_t mode = args.Byte(1);
  return sprite == nullptr || args.Failed() ? 0 : uint32_t(sprite->SetBlendMode(mode));
}

// Codes 0 to 4 name a corner or the middle; any other places the centre at
// (x, y).
uint32_t NativeSetSpriteAnchor(NativeArgs& args) {
  ImageSprite* sprite = ImageSpriteAt(args, 0);
  const int32_t code = args.Int(1), x = args.Int(2), y = args.Int(3);
  if (sprite == nullptr || args.Failed()) return 0;
  const bool named = code >= 0 && code <= 4;
  return sprite->SetAnchor(named ? code : -1, named ? 0 : x, named ? 0 : y) ? 1 : 0;
}

uint32_t NativeSetSpriteRotation(NativeArgs& args) {
  ImageSprite* sprite = ImageSpriteAt(args, 0);
  const int32_t angle = args.Int(1);
  const double scale = DecimalAt(args, 2, 1.0, kScaleDecimals);
  return sprite == nullptr || args.Failed() ? 0 : uint32_t(sprite->SetRotation(angle, scale));
}

uint32_t NativeReserveSpriteRotation(NativeArgs& args) {
  ImageSprite* sprite = ImageSpriteAt(args, 0);
  const double scale = DecimalAt(args, 1, 1.0, kScaleDecimals);
  return sprite == nullptr || args.Failed() ? kNoDrawable : uint32_t(sprite->ReserveRotationBuffer(scale));
}

uint32_t NativeFreeSpriteCopy(NativeArgs& args) {
  ImageSprite* sprite = ImageSpriteAt(args, 0);
  if (sprite == nullptr) return 0;
  sprite->FreeOwnedCopy();
  return 1;
}

// Left -1 swaps the picture under the same layout; 65535 shows the whole
// picture; else the rectangle. The sprite stays where it is.
uint32_t NativeSetSpriteImage(NativeArgs& args) {
  ImageSprite* sprite = ImageSpriteAt(args, 0);
  Surface* image = SurfaceAt(args, 1);
  const int32_t left = args.Int(2);
  const auto cells = args.OptionalRect(2);
  if (args.Failed() || sprite == nullptr) return kFailed;
  if (image == nullptr) return kNoDrawable;
  if (left == -1) return uint32_t(sprite->ReplaceSurface(image));
  const int32_t x = sprite->GetX(), y = sprite->GetY();
  if (!cells) return uint32_t(sprite->SetImage(image, nullptr, x, y));
  const Rect rect{cells->left, cells->top, cells->right, cells->bottom};
  return uint32_t(sprite->SetImage(image, &rect, x, y));
}

uint32_t NativeSetSpriteOption(NativeArgs& args) {
  ImageSprite* sprite = ImageSpriteAt(args, 0);
  const uint8_t flag = args.Byte(1);
  return sprite == nullptr || args.Failed() ? 0 : uint32_t(sprite->SetOptionFlag(flag));
}

// --- colour boxes -----------------------------------------------------------------------------------------

uint32_t NativeSetColorBoxColor(NativeArgs& args) {
  ColorBox* box = ColorBoxAt(args, 0);
  const uint32_t colour = args.Cell(1);
  return box == nullptr || args.Failed() ? 0 : uint32_t(box->SetColor(colour));
}

uint32_t NativeSetColorBoxSize(NativeArgs& args) {
  ColorBox* box = ColorBoxAt(args, 0);
  const int32_t width = args.Int(1), height = args.Int(2);
  return box == nullptr || args.Failed() ? 0 : uint32_t(box->SetSize(width, height));
}

uint32_t NativeSetColorBoxSizeAndPosition(NativeArgs& args) {
  ColorBox* box = ColorBoxAt(args, 0);
  const int32_t width = args.Int(1), height = args.Int(2), x = args.Int(3), y = args.Int(4);
  return box == nullptr || args.Failed() ? 0 : uint32_t(box->SetSizeAndPosition(width, height, x, y));
}

}  // namespace

void BindSpriteNatives(NativeBinder& binder) {
  GameScriptHost& host = binder.Host();
  binder.Bind(399, NativeCreateImageSprite);
  binder.Bind(400, NativeCopyImageSprite);
  binder.Bind(401, NativeCreateColorBoxSprite);
  binder.Bind(402, NativeDeleteAllSprites);
  binder.Bind(403, NativeSetSpriteGroupId);
  binder.Bind(404, NativeDeleteSpriteGroup);
  binder.Bind(405, NativeDeleteSprite);
  binder.Bind(406, [](NativeArgs& args) { return AddToCanvas(args, false); });
  binder.Bind(407, [](NativeArgs& args) { return AddToCanvas(args, true); });
  binder.Bind(408, NativeRemoveFromCanvas);
  binder.Bind(409, NativeRemoveOrderFromCanvas);
  binder.Bind(410, NativeRemoveMatchingFromCanvas);
  binder.Bind(411, [](NativeArgs& args) { return SetCanvasOrder(args, false); });
  binder.Bind(412, [](NativeArgs& args) { return SetCanvasOrder(args, true); });
  binder.Bind(413, NativeClearCanvas);
  binder.Bind(414, NativeSetCanvasVisibleWhere);
  binder.Bind(415, NativeSetCanvasBackgroundImage);
  binder.Bind(416, NativeSetCanvasBackgroundColor);
  binder.Bind(417, NativeSetCanvasBackgroundOffset);
  binder.Bind(418, NativeSetCanvasBackgroundStretch);
  binder.Bind(419, NativeSetCanvasBackgroundPivot);
  binder.Bind(420, NativeSetCanvasBackgroundRotation);
  binder.Bind(421, NativeGetCanvasBackground);
  binder.Bind(422, NativeMarkCanvasChanged);
  binder.Bind(423, NativeAddCanvasDirtyRect);
  binder.Bind(424, NativeSetCanvasFullRedraw);
  binder.Bind(425, NativeRenderCanvas);
  binder.Bind(426, NativeRenderCanvasInto);
  binder.Bind(427, NativeSetCanvasListsHidden);
  binder.Bind(428, NativeSetCanvasSkipBackground);
  binder.Bind(429, NativeSetCompositorSwitch);
  binder.Bind(430, NativeSetDrawableVisible);
  binder.Bind(431, NativeGetDrawableState);
  binder.Bind(432, NativeMarkDrawableChanged);
  binder.Bind(433, NativeDrawableRectVisible);
  binder.Bind(434, NativeSetDrawableMode);
  binder.Bind(435, NativeSetDrawableAlpha);
  binder.Bind(437, NativeSetDrawableTag);
  binder.Bind(438, NativeMoveDrawable);
  binder.Bind(439, NativeHitTestDrawable);
  binder.Bind(440, NativeDrawablesOverlap);
  binder.Bind(441, NativeGetDrawableBounds);
  binder.Bind(442, NativeDrawDrawableInto);
  binder.Bind(443, [&host](NativeArgs& args) { return NativeStartObjectPath(host, args); });
  binder.Bind(444, [&host](NativeArgs& args) { return NativeStartObjectPathKeys(host, args); });
  binder.Bind(445, [&host](NativeArgs& args) { return NativeStartSpriteSize(host, args); });
  binder.Bind(446, [&host](NativeArgs& args) { return NativeStartSpriteSizeKeys(host, args); });
  binder.Bind(447, [&host](NativeArgs& args) { return NativeStartSpriteRotate(host, args); });
  binder.Bind(448, NativeSetDrawableSize);
  binder.Bind(449, NativeSetDrawableSizeAligned);
  binder.Bind(450, NativeSetSpriteStretchSize);
  binder.Bind(451, NativeSetSpriteSourceRect);
  binder.Bind(452, NativeSetSpriteSourceOffset);
  binder.Bind(453, NativeSetSpriteBlendMode);
  binder.Bind(454, NativeSetSpriteAnchor);
  binder.Bind(455, NativeSetSpriteRotation);
  binder.Bind(456, NativeReserveSpriteRotation);
  binder.Bind(457, NativeFreeSpriteCopy);
  binder.Bind(458, NativeSetSpriteImage);
  binder.Bind(459, NativeSetSpriteOption);
  binder.Bind(460, NativeSetColorBoxColor);
  binder.Bind(461, NativeSetColorBoxSize);
  binder.Bind(462, NativeSetColorBoxSizeAndPosition);
}

}  // namespace orrivel
