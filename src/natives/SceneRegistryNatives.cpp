// Natives 268 to 313: the scene objects of the screen device are drawn
// only while registered at a priority; these natives register and order
// them, show and hide them, set the properties of each kind (rectangles,
// anchors, blending, vertex colours and alphas, corners, points), drive a
// transition object by progress, and start the per-frame task that moves a
// sprite along key points. A native given a handle of no scene object, or
// of a kind its row does not act on, answers its failure value and changes
// nothing.
#include <algorithm>
#include <cstdlib>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/DecimalRange.h"
#include "display/D3DColorBox.h"
#include "display/D3DImage.h"
#include "display/D3DPolygon.h"
#include "display/D3DQuad.h"
#include "display/D3DTriangle.h"
#include "display/DrawObjectManager.h"
#include "display/TransitionObject.h"
#include "natives/DisplayObjectArguments.h"
#include "natives/GameScriptHost.h"
#include "natives/NativeBinder.h"
#include "natives/PolygonPrimitives.h"
#include "scene/D3DCanvasImage.h"
#include "scene/ImageSprite.h"
#include "scene/SpriteActions.h"
#include "script/ScriptAddressSpace.h"

namespace orrivel {

namespace {

constexpr uint32_t kFailed = uint32_t(-1);
constexpr uint32_t kAnyPriority = 65535;

SceneObject* SceneObjectAt(NativeArgs& args, uint32_t i) {
  const uint32_t handle = args.Cell(i);
  DrawObjectManager* objects = ScriptDisplayObjects();
  return objects != nullptr && handle != 0 && !args.Failed() ? objects->GetSceneObject(handle) : nullptr;
}

// The object when its kind is one of those listed; null otherwise.
SceneObject* OfKinds(SceneObject* object, std::initializer_list<int> kinds) {
  if (object == nullptr) return nullptr;
  return std::find(kinds.begin(), kinds.end(), object->GetKind()) != kinds.end() ? object : nullptr;
}

SceneObjectRegistry* SceneRegistry() {
  DrawObjectManager* objects = ScriptDisplayObjects();
  return objects != nullptr ? &objects->Registry() : nullptr;
}

// --- the registry ----------------------------------------------------------------------------

uint32_t Register(NativeArgs& args, bool first) {
  SceneObject* object = SceneObjectAt(args, 0);
  uint32_t priority = args.Cell(1);
  uint8_t flag = args.Byte(2);
  SceneObjectRegistry* registry = SceneRegistry();
  if (registry == nullptr || args.Failed()) return kFailed;
  // -1 registers at priority 0 with flag 0, whatever the flag cell says.
  if (priority == uint32_t(-1)) {
    priority = 0;
    flag = 0;
  }
  return uint32_t(first ? registry->AddFirst(object, priority, flag) : registry->Add(object, priority, flag));
}

uint32_t NativeUnregisterSceneObject(NativeArgs& args) {
  SceneObject* object = SceneObjectAt(args, 0);
  if (SceneObjectRegistry* registry = SceneRegistry(); registry != nullptr && object != nullptr) {
    registry->Remove(object);
  }
  return 0;
}

uint32_t NativeUnregisterPriority(NativeArgs& args) {
  const uint32_t priority = args.Cell(0);
  if (SceneObjectRegistry* registry = SceneRegistry(); registry != nullptr && !args.Failed()) {
    registry->RemoveByPriority(priority);
  }
  return 0;
}

// Every registered object whose flag byte equals the value.
uint32_t NativeUnregisterFlag(NativeArgs& args) {
  const uint8_t flag = args.Byte(0);
  if (SceneObjectRegistry* registry = SceneRegistry(); registry != nullptr && !args.Failed()) {
    registry->RemoveByFlag(flag);
  }
  return 0;
}

uint32_t NativeSetVisibleWhere(NativeArgs& args) {
  const bool visible = (args.Cell(0) & 1) != 0;
  const uint32_t priority = args.Cell(1);
  const int32_t flag = args.Int(2);
  SceneObjectRegistry* registry = SceneRegistry();
  if (registry == nullptr || args.Failed()) return 0;
  if (priority == kAnyPriority) {
    registry->SetVisibleWhere(visible, uint32_t(-1), -1);
  } else {
    registry->SetVisibleWhere(visible, priority, flag);
  }
  return 0;
}

uint32_t SetPriority(NativeArgs& args, bool first) {
  SceneObject* object = SceneObjectAt(args, 0);
  const uint32_t priority = args.Cell(1);
  const bool onlyIfChanged = (args.Cell(2) & 1) != 0;
  SceneObjectRegistry* registry = SceneRegistry();
  if (registry == nullptr || object == nullptr || args.Failed()) return 0;
  return first ? registry->SetPriorityFirst(object, priority, onlyIfChanged)
               : registry->SetPriority(object, priority, onlyIfChanged);
}

// --- the slots every kind has ----------------------------------------------------------------

template <class Apply>
uint32_t OnAnyKind(NativeArgs& args, Apply&& apply) {
  SceneObject* object = SceneObjectAt(args, 0);
  if (object == nullptr || args.Failed()) return 0;
  apply(*object);
  return 1;
}

uint32_t NativeHitTestSceneObject(NativeArgs& args) {
  SceneObject* object = SceneObjectAt(args, 0);
  const int32_t x = args.Int(1), y = args.Int(2);
  const uint8_t precise = args.Byte(3);
  if (object == nullptr || args.Failed()) return 0;
  return object->HitTest(x, y, precise) ? 1 : 0;
}

uint32_t NativeSceneObjectsOverlap(NativeArgs& args) {
  SceneObject* object = SceneObjectAt(args, 0);
  SceneObject* other = SceneObjectAt(args, 1);
  if (object == nullptr || other == nullptr) return 0;
  return object->Overlaps(other) ? 1 : 0;
}

uint32_t NativeGetSceneObjectBounds(NativeArgs& args) {
  SceneObject* object = SceneObjectAt(args, 0);
  Rect bounds;
  if (object == nullptr || args.Failed() || !object->GetBounds(&bounds)) return 0;
  args.SetOptionalInt(1, uint32_t(bounds.left));
  args.SetOptionalInt(2, uint32_t(bounds.top));
  args.SetOptionalInt(3, uint32_t(bounds.right));
  args.SetOptionalInt(4, uint32_t(bounds.bottom));
  return 1;
}

// --- images and rectangles -------------------------------------------------------------------

uint32_t NativeSetSceneObjectImage(NativeArgs& args) {
  SceneObject* object = SceneObjectAt(args, 0);
  const uint32_t handle = args.Cell(1);
  DrawObjectManager* objects = ScriptDisplayObjects();
  if (object == nullptr || args.Failed()) return kFailed;
  Image* image = GetObjectImage(objects, handle);
  if (auto* canvasImage = dynamic_cast<D3DCanvasImage*>(object)) return uint32_t(canvasImage->SetImage(image));
  if (auto* plain = dynamic_cast<D3DImage*>(object)) {
    if (image == nullptr) return 1;
    return uint32_t(plain->Create(image, nullptr, plain->GetX(), plain->GetY()));
  }
  if (auto* quad = dynamic_cast<D3DQuad*>(object)) return uint32_t(quad->SetTexture(objects->GetTextureSource(handle)));
  if (auto* transition = dynamic_cast<TransitionObject*>(object)) return uint32_t(transition->SetSource(image));
  return kFailed;
}

uint32_t NativeSetSceneObjectRect(NativeArgs& args) {
  SceneObject* object = SceneObjectAt(args, 0);
  const int32_t x = args.Int(1), y = args.Int(2);
  const auto cells = args.OptionalRect(3);
  if (object == nullptr || args.Failed()) return 0;
  std::optional<Rect> rect;
  if (cells) rect = Rect{cells->left, cells->top, cells->right, cells->bottom};
  const Rect* given = rect ? &*rect : nullptr;
  if (auto* image = dynamic_cast<D3DImage*>(object)) {
    image->SetOffset(x, y);
    image->SetRect(given);
    return 1;
  }
  if (auto* transition = dynamic_cast<TransitionObject*>(object)) return transition->SetPosition(x, y, given) ? 1 : 0;
  if (auto* quad = dynamic_cast<D3DQuad*>(object)) return quad->SetTexRect(x, y, given) ? 1 : 0;
  return 0;
}

// --- the kinds with vertices -----------------------------------------------------------------

// A quad (4, 5) or a shape (6, 7, 8), with the operation for each.
template <class OnQuad, class OnShape>
uint32_t OnVertices(SceneObject* object, OnQuad&& onQuad, OnShape&& onShape) {
  if (auto* quad = dynamic_cast<D3DQuad*>(object)) return onQuad(*quad);
  if (auto* shape = dynamic_cast<D3DShape*>(object)) return onShape(*shape);
  return 0;
}

uint8_t ClampedAlpha(int32_t alpha) { return uint8_t(std::clamp(alpha, 0, 255)); }

uint32_t NativeSetSceneObjectAnchor(NativeArgs& args) {
  SceneObject* object = SceneObjectAt(args, 0);
  const uint32_t anchor = args.Cell(1);
  if (object == nullptr || args.Failed()) return 0;
  if (auto* quad = dynamic_cast<D3DQuad*>(object)) {
    quad->SetAnchor(0, anchor);
    return 1;
  }
  if (auto* box = dynamic_cast<D3DColorBox*>(object)) {
    box->SetAnchor(0, anchor);
    return 1;
  }
  // The polygon and the triangle.
  if (auto* shape = dynamic_cast<D3DPointShape*>(object)) {
    shape->SetAnchor(0, anchor);
    return 1;
  }
  return 0;
}

uint32_t NativeSetSceneBlendBytes(NativeArgs& args) {
  SceneObject* object = SceneObjectAt(args, 0);
  const uint8_t enable = args.Cell(1) & 1, source = args.Byte(2), destination = args.Byte(3);
  if (args.Failed()) return 0;
  return OnVertices(
      object,
      [&](D3DQuad& q) {
        q.SetStage0(enable, source, destination);
        return 1;
      },
      [&](D3DShape& s) {
        s.SetBlendBytes(enable, source, destination);
        return 1;
      });
}

uint32_t NativeSetSceneBlend(NativeArgs& args) {
  SceneObject* object = SceneObjectAt(args, 0);
  const uint8_t mode = args.Byte(1), value = args.Byte(2);
  if (args.Failed()) return 0;
  return OnVertices(
      object,
      [&](D3DQuad& q) {
        const int32_t strength = args.Int(3);
        if (args.Failed()) return 0;
        q.SetAddSub(mode, value, strength);
        return 1;
      },
      [&](D3DShape& s) {
        s.SetBlend(mode, value);
        return 1;
      });
}

uint32_t NativeSetSceneColor(NativeArgs& args) {
  SceneObject* object = SceneObjectAt(args, 0);
  const uint32_t rgb = args.Cell(1) & 0xFFFFFFu;
  if (args.Failed()) return 0;
  return OnVertices(
      object, [&](D3DQuad& q) { return q.SetColor(rgb), 1; }, [&](D3DShape& s) { return s.SetColor(rgb), 1; });
}

uint32_t NativeSetSceneVertexColor(NativeArgs& args) {
  SceneObject* object = SceneObjectAt(args, 0);
  const uint8_t index = args.Byte(1);
  const uint32_t rgb = args.Cell(2) & 0xFFFFFFu;
  if (args.Failed()) return 0;
  return OnVertices(
      object, [&](D3DQuad& q) { return q.SetVertexColor(index, rgb) ? 1 : 0; },
      [&](D3DShape& s) { return s.SetVertexColor(index, rgb) ? 1 : 0; });
}

// Natives 291 and 295 on quads and colour boxes (four vertices), 292 and
// 296 on triangles (three).
template <size_t N, class Each>
uint32_t EachVertex(NativeArgs& args, std::initializer_list<int> kinds, Each&& each) {
  SceneObject* object = OfKinds(SceneObjectAt(args, 0), kinds);
  uint32_t cells[N];
  for (size_t i = 0; i < N; ++i) cells[i] = args.Cell(uint32_t(1 + i));
  if (object == nullptr || args.Failed()) return 0;
  each(*object, cells);
  return 1;
}

void SetVertexColors(SceneObject& object, const uint32_t* cells, size_t count) {
  uint32_t rgb[4] = {};
  for (size_t i = 0; i < count; ++i) rgb[i] = cells[i] & 0xFFFFFFu;
  if (auto* quad = dynamic_cast<D3DQuad*>(&object)) return quad->SetVertexColors(rgb);
  auto& shape = dynamic_cast<D3DShape&>(object);
  for (size_t i = 0; i < count; ++i) shape.SetVertexColor(int32_t(i), rgb[i]);
}

void SetVertexAlphas(SceneObject& object, const uint32_t* cells, size_t count) {
  int32_t alpha[4] = {};
  for (size_t i = 0; i < count; ++i) alpha[i] = ClampedAlpha(int32_t(cells[i]));
  if (auto* quad = dynamic_cast<D3DQuad*>(&object)) return quad->SetVertexAlphas(alpha);
  auto& shape = dynamic_cast<D3DShape&>(object);
  for (size_t i = 0; i < count; ++i) shape.SetVertexAlpha(int32_t(i), alpha[i]);
}

constexpr std::initializer_list<int> kFourVertexKinds = {4, 5, 6};
constexpr std::initializer_list<int> kTriangleKind = {kSceneObjectD3DTriangle};

uint32_t NativeSetSceneAlpha(NativeArgs& args) {
  SceneObject* object = SceneObjectAt(args, 0);
  const uint8_t alpha = ClampedAlpha(args.Int(1));
  if (args.Failed()) return 0;
  return OnVertices(
      object, [&](D3DQuad& q) { return q.SetAlpha(int32_t(alpha)), 1; },
      [&](D3DShape& s) { return s.SetAlpha(int32_t(alpha)), 1; });
}

uint32_t NativeSetSceneVertexAlpha(NativeArgs& args) {
  SceneObject* object = SceneObjectAt(args, 0);
  const uint8_t index = args.Byte(1);
  const uint8_t alpha = ClampedAlpha(args.Int(2));
  if (args.Failed()) return 0;
  return OnVertices(
      object, [&](D3DQuad& q) { return q.SetVertexAlpha(index, alpha) ? 1 : 0; },
      [&](D3DShape& s) { return s.SetVertexAlpha(index, alpha) ? 1 : 0; });
}

template <class Apply>
uint32_t OnQuad(NativeArgs& args, Apply&& apply) {
  auto* quad = dynamic_cast<D3DQuad*>(SceneObjectAt(args, 0));
  if (quad == nullptr || args.Failed()) return 0;
  return apply(*quad);
}

uint32_t NativeSetQuadCorners(NativeArgs& args) {
  float corners[8];
  for (uint32_t i = 0; i < 8; ++i) corners[i] = float(args.Int(1 + i));
  return OnQuad(args, [&](D3DQuad& q) { return q.SetCorners(corners), 1; });
}

template <class Apply>
uint32_t OnColorBox(NativeArgs& args, Apply&& apply) {
  auto* box = dynamic_cast<D3DColorBox*>(SceneObjectAt(args, 0));
  if (box == nullptr || args.Failed()) return 0;
  apply(*box);
  return 1;
}

uint32_t NativeSetPolygonPrimitive(NativeArgs& args) {
  auto* polygon = dynamic_cast<D3DPolygon*>(SceneObjectAt(args, 0));
  const uint32_t index = args.Cell(1);
  if (polygon == nullptr || args.Failed() || index >= kPolygonPrimitiveCount) return 0;
  polygon->SetFillFlag(PolygonModeOfIndex(index));
  return 1;
}

uint32_t NativeSetScenePoint(NativeArgs& args) {
  SceneObject* object = SceneObjectAt(args, 0);
  const int32_t index = args.Int(1), x = args.Int(2), y = args.Int(3);
  if (object == nullptr || args.Failed()) return 0;
  if (auto* polygon = dynamic_cast<D3DPolygon*>(object)) return polygon->SetPoint(index, x, y) ? 1 : 0;
  if (auto* triangle = dynamic_cast<D3DTriangle*>(object)) return triangle->SetPoint(index, x, y) ? 1 : 0;
  return 0;
}

uint32_t NativeSetPolygonLine(NativeArgs& args) {
  auto* polygon = dynamic_cast<D3DPolygon*>(SceneObjectAt(args, 0));
  const int32_t x0 = args.Int(1), y0 = args.Int(2), x1 = args.Int(3), y1 = args.Int(4);
  if (polygon == nullptr || args.Failed()) return 0;
  polygon->SetLine(x0, y0, x1, y1);
  return 1;
}

uint32_t NativeSetTrianglePoints(NativeArgs& args) {
  auto* triangle = dynamic_cast<D3DTriangle*>(SceneObjectAt(args, 0));
  int32_t p[6];
  for (uint32_t i = 0; i < 6; ++i) p[i] = args.Int(1 + i);
  if (triangle == nullptr || args.Failed()) return 0;
  triangle->SetPoints(p[0], p[1], p[2], p[3], p[4], p[5]);
  return 1;
}

// --- transition objects ----------------------------------------------------------------------

TransitionObject* TransitionAt(NativeArgs& args) { return dynamic_cast<TransitionObject*>(SceneObjectAt(args, 0)); }

uint32_t NativeDrawTransitionObject(NativeArgs& args) {
  TransitionObject* transition = TransitionAt(args);
  const int32_t progress = args.Int(1);
  if (transition == nullptr || args.Failed()) return kFailed;
  return uint32_t(transition->DrawStep(progress));
}

uint32_t NativeSetTransitionDestination(NativeArgs& args) {
  TransitionObject* transition = TransitionAt(args);
  const uint32_t handle = args.Cell(1);
  if (transition == nullptr || args.Failed()) return kFailed;
  return uint32_t(transition->SetDestination(GetObjectImage(ScriptDisplayObjects(), handle)));
}

// Cells: object, then one or two values (only the cells given are read).
template <class Apply>
uint32_t OnTransition(NativeArgs& args, uint32_t values, Apply&& apply) {
  TransitionObject* transition = TransitionAt(args);
  const int32_t a = args.Int(1), b = values > 1 ? args.Int(2) : 0;
  if (transition == nullptr || args.Failed()) return 0;
  apply(*transition, a, b);
  return 1;
}

// --- sprite paths ----------------------------------------------------------------------------

// The cells after the keys, at their places in 312 (first = 3) and 313 (4).
struct PathCells {
  uint32_t timing1 = 0;
  uint32_t timing2 = 0;
  uint8_t splineFlag = 0;
  double scale = 0.0;
  uint8_t option = 1;
  uint8_t flags[3] = {0, 0, 0};
};

PathCells ReadPathCells(NativeArgs& args, uint32_t first) {
  PathCells cells;
  cells.timing1 = args.Cell(1);
  cells.timing2 = args.Cell(first);
  cells.splineFlag = args.Cell(first + 1) != 0 ? 1 : 0;
  if (!args.Given(first + 2)) return cells;
  cells.option = args.Byte(first + 2);
  cells.flags[0] = args.Flag(first + 3) ? 1 : 0;
  if (args.Cell(first + 4) != 0) cells.scale = kScaleDecimals.Read(args.String(first + 4, 64), 0.0);
  cells.flags[1] = args.Flag(first + 5) ? 1 : 0;
  cells.flags[2] = args.Flag(first + 6) ? 1 : 0;
  return cells;
}

ImageSprite* SpriteAt(NativeArgs& args) {
  const uint32_t handle = args.Cell(0);
  DrawObjectManager* objects = ScriptDisplayObjects();
  if (objects == nullptr || handle == 0 || args.Failed()) return nullptr;
  return dynamic_cast<ImageSprite*>(objects->GetSprite(handle));
}

// Builds the action, gives it its keys and starts it on the sprite; the
// action's task handle, or 0 (the action deleted) when any step refused.
template <class GiveKeys>
uint32_t StartPath(GameScriptHost& host, NativeArgs& args, uint32_t first, GiveKeys&& giveKeys) {
  ImageSprite* sprite = SpriteAt(args);
  const PathCells c = ReadPathCells(args, first);
  if (sprite == nullptr || args.Failed()) return 0;
  auto action = std::make_unique<SpritePathAction>(c.timing1, c.timing2, c.splineFlag, c.scale, c.option, c.flags[0],
                                                   c.flags[1], c.flags[2]);
  if (giveKeys(*action) != 0 || args.Failed()) return 0;
  if (action->Start(host.ObjectTimers(), sprite) != 0) return 0;
  // It lets go of the sprite when the screen device deletes it.
  host.WatchDrawObjects(ScriptDisplayObjects());
  // The timer list owns the running task now.
  return action.release()->Handle();
}

uint32_t NativeStartSpritePath(GameScriptHost& host, NativeArgs& args) {
  const std::string keys = args.Cell(2) != 0 ? args.String(2) : std::string();
  const bool given = args.Cell(2) != 0;
  return StartPath(host, args, 3, [&](SpritePathAction& a) { return a.Load(given ? keys.c_str() : nullptr); });
}

// The keys are (x, y, opacity) cell triples; every one of them must lie in
// the arena, whatever the count cell claims.
uint32_t NativeStartSpritePathKeys(GameScriptHost& host, NativeArgs& args) {
  const uint32_t count = args.Cell(2);
  const uint32_t array = args.Cell(3);
  return StartPath(host, args, 4, [&](SpritePathAction& a) {
    if (count == 0 || array == 0) return a.SetKeys(int32_t(count), nullptr);
    const uint64_t bytes = 12ull * count;
    if (count > uint32_t(INT32_MAX) || !args.Space().Contains(array, bytes)) {
      args.Fail();
      return 1;
    }
    std::vector<int32_t> triples(size_t(count) * 3);
    for (size_t i = 0; i < triples.size(); ++i) triples[i] = int32_t(args.Load(array + uint32_t(4 * i)));
    return a.SetKeys(int32_t(count), triples.data());
  });
}

}  // namespace

void BindSceneRegistryNatives(NativeBinder& binder) {
  GameScriptHost& host = binder.Host();
  binder.Bind(268, [](NativeArgs& args) { return Register(args, false); });
  binder.Bind(269, [](NativeArgs& args) { return Register(args, true); });
  binder.Bind(270, NativeUnregisterSceneObject);
  binder.Bind(271, NativeUnregisterPriority);
  binder.Bind(272, NativeUnregisterFlag);
  binder.Bind(273, [](NativeArgs& args) {
    const bool visible = (args.Cell(1) & 1) != 0;
    return OnAnyKind(args, [&](SceneObject& o) { o.SetVisible(visible); });
  });
  binder.Bind(274, [](NativeArgs& args) {
    SceneObject* object = SceneObjectAt(args, 0);
    return object != nullptr && object->IsVisible() ? 1u : 0u;
  });
  binder.Bind(275, NativeSetVisibleWhere);
  binder.Bind(276, [](NativeArgs& args) { return SetPriority(args, false); });
  binder.Bind(277, [](NativeArgs& args) { return SetPriority(args, true); });
  binder.Bind(278, NativeSetSceneObjectImage);
  binder.Bind(279, NativeSetSceneObjectRect);
  binder.Bind(280, [](NativeArgs& args) {
    const int32_t x = args.Int(1), y = args.Int(2);
    return OnAnyKind(args, [&](SceneObject& o) { o.SetPosition(x, y); });
  });
  binder.Bind(281, [](NativeArgs& args) {
    const int32_t w = args.Int(1), h = args.Int(2);
    return OnAnyKind(args, [&](SceneObject& o) { o.SetSize(w, h); });
  });
  binder.Bind(282, [](NativeArgs& args) {
    const int32_t w = args.Int(1), h = args.Int(2), x = args.Int(3), y = args.Int(4);
    return OnAnyKind(args, [&](SceneObject& o) { o.SetSizeAndPosition(w, h, x, y); });
  });
  binder.Bind(283, [](NativeArgs& args) {
    const int32_t dx = args.Int(1), dy = args.Int(2);
    return OnAnyKind(args, [&](SceneObject& o) { o.MoveBy(dx, dy); });
  });
  binder.Bind(284, NativeHitTestSceneObject);
  binder.Bind(285, NativeSceneObjectsOverlap);
  binder.Bind(286, NativeSetSceneObjectAnchor);
  binder.Bind(287, NativeSetSceneBlendBytes);
  binder.Bind(288, NativeSetSceneBlend);
  binder.Bind(289, NativeSetSceneColor);
  binder.Bind(290, NativeSetSceneVertexColor);
  binder.Bind(291, [](NativeArgs& args) {
    return EachVertex<4>(args, kFourVertexKinds, [](SceneObject& o, const uint32_t* c) { SetVertexColors(o, c, 4); });
  });
  binder.Bind(292, [](NativeArgs& args) {
    return EachVertex<3>(args, kTriangleKind, [](SceneObject& o, const uint32_t* c) { SetVertexColors(o, c, 3); });
  });
  binder.Bind(293, NativeSetSceneAlpha);
  binder.Bind(294, NativeSetSceneVertexAlpha);
  binder.Bind(295, [](NativeArgs& args) {
    return EachVertex<4>(args, kFourVertexKinds, [](SceneObject& o, const uint32_t* c) { SetVertexAlphas(o, c, 4); });
  });
  binder.Bind(296, [](NativeArgs& args) {
    return EachVertex<3>(args, kTriangleKind, [](SceneObject& o, const uint32_t* c) { SetVertexAlphas(o, c, 3); });
  });
  binder.Bind(297, [](NativeArgs& args) {
    const uint8_t a = args.Byte(1), b = args.Byte(2), c = args.Byte(3);
    return OnQuad(args, [&](D3DQuad& q) { return q.SetStage1(a, b, c), 1; });
  });
  binder.Bind(298, [](NativeArgs& args) {
    const uint8_t a = args.Byte(1), b = args.Byte(2), c = args.Byte(3);
    return OnQuad(args, [&](D3DQuad& q) { return q.SetStage2(a, b, c), 1; });
  });
  binder.Bind(299, NativeSetQuadCorners);
  binder.Bind(300, [](NativeArgs& args) {
    const int32_t w = args.Int(1), h = args.Int(2);
    return OnColorBox(args, [&](D3DColorBox& b) { b.SetSize(w, h); });
  });
  binder.Bind(301, [](NativeArgs& args) {
    const int32_t w = args.Int(1), h = args.Int(2), x = args.Int(3), y = args.Int(4);
    return OnColorBox(args, [&](D3DColorBox& b) { b.SetSizeAndPosition(w, h, x, y); });
  });
  binder.Bind(302, NativeSetPolygonPrimitive);
  binder.Bind(303, NativeSetScenePoint);
  binder.Bind(304, NativeSetPolygonLine);
  binder.Bind(305, NativeSetTrianglePoints);
  binder.Bind(306, NativeDrawTransitionObject);
  binder.Bind(307, [](NativeArgs& args) {
    return OnTransition(args, 1, [](TransitionObject& t, int32_t mode, int32_t) { t.SetMode(uint32_t(mode)); });
  });
  binder.Bind(308, NativeSetTransitionDestination);
  binder.Bind(309, [](NativeArgs& args) {
    return OnTransition(args, 2, [](TransitionObject& t, int32_t x, int32_t y) { t.SetPosition(x, y); });
  });
  binder.Bind(310, [](NativeArgs& args) {
    return OnTransition(args, 2, [](TransitionObject& t, int32_t dx, int32_t dy) { t.MoveBy(dx, dy); });
  });
  binder.Bind(311, NativeGetSceneObjectBounds);
  binder.Bind(312, [&host](NativeArgs& args) { return NativeStartSpritePath(host, args); });
  binder.Bind(313, [&host](NativeArgs& args) { return NativeStartSpritePathKeys(host, args); });
}

}  // namespace orrivel
