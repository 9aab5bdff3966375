// Natives 219 to 267: the scripts make and delete every image and scene
// object of the screen device here, read the plain image properties, run
// one frame of a numbered transition, and link canvas images with the named
// transitions between them. Every object cell is resolved through the
// display-object arguments, so a stale, forged or other-family handle gets
// the native's failure value before anything runs.
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "base/LowPriority.h"
#include "display/D3DPolygon.h"
#include "display/DisplayScreenDevice.h"
#include "display/SurfaceImage.h"
#include "scene/CanvasTransitionTask.h"
#include "natives/DisplayObjectArguments.h"
#include "natives/GameScriptHost.h"
#include "natives/NativeBinder.h"
#include "natives/PolygonPrimitives.h"
#include "natives/ScriptCellWindow.h"
#include "raster/Surface.h"
#include "resource/TcpManager.h"
#include "scene/CanvasDrawImage.h"
#include "scene/D3DCanvasImage.h"
#include "scene/D3DCanvasQuad.h"
#include "scene/DecodedCanvasObjectA.h"
#include "scene/DecodedCanvasObjectB.h"
#include "script/ScriptAddressSpace.h"
#include "transition/RunTransition.h"
#include "transition/TransitionScreen.h"

namespace orrivel {

namespace {

constexpr size_t kFileNameBytes = 259;
constexpr uint32_t kFailed = uint32_t(-1);
constexpr uint32_t kNoName = uint32_t(-2);

// The handle a creation made, or 0: the device's own failure code never
// reaches the script.
template <class Create>
uint32_t Created(NativeArgs& args, Create&& create) {
  DrawObjectManager* objects = ScriptDisplayObjects();
  if (objects == nullptr || args.Failed()) return 0;
  uint32_t out = 0;
  return create(*objects, &out) == 0 ? out : 0;
}

// A memory block given as an arena address and a length; the call fails
// when the bytes do not lie in the arena.
struct MemoryBlock {
  const uint8_t* data = nullptr;
  uint32_t size = 0;
};
MemoryBlock BlockAt(NativeArgs& args, uint32_t i) {
  const uint32_t address = args.Cell(i);
  const uint32_t size = args.Cell(i + 1);
  if (args.Failed()) return {};
  const uint8_t* data = args.Space().Bytes(address, size);
  if (data == nullptr) {
    args.Fail();
    return {};
  }
  return MemoryBlock{data, size};
}

std::optional<Rect> OptionalRectAt(NativeArgs& args, uint32_t i) {
  const auto cells = args.OptionalRect(i);
  if (!cells) return std::nullopt;
  return Rect{cells->left, cells->top, cells->right, cells->bottom};
}

bool IsDisplaySurfaceKind(const Image* image) {
  return image != nullptr && (image->GetKind() == kImageKindSurfaceImage || image->GetKind() == kImageKindDdSurface);
}

// Reads the handle in the script variable whose address is in cell 0,
// removes the object and clears the variable only when that worked.
template <class Remove>
uint32_t DeleteThroughVariable(NativeArgs& args, Remove&& remove) {
  const uint32_t variable = args.Cell(0);
  const uint32_t handle = args.Load(variable);
  if (args.Failed()) return kFailed;
  const int code = remove(handle);
  if (code == 0) args.Store(variable, 0);
  return uint32_t(code);
}

// --- creators ----------------------------------------------------------------------------

uint32_t NativeCreateBlankSurfaceImage(NativeArgs& args) {
  const int32_t width = args.Int(0), height = args.Int(1);
  return Created(args, [&](DrawObjectManager& m, uint32_t* out) {
    return m.CreateBlankSurfaceImage(out, width, height, 0, 0, nullptr);
  });
}

uint32_t NativeLoadSurfaceImage(NativeArgs& args) {
  const std::string name = args.String(0, kFileNameBytes);
  return Created(args, [&](DrawObjectManager& m, uint32_t* out) {
    return m.CreateSurfaceImageFromFile(out, name.c_str(), nullptr, 0, 0);
  });
}

uint32_t NativeLoadSurfaceImageFromMemory(NativeArgs& args) {
  const MemoryBlock block = BlockAt(args, 0);
  return Created(args, [&](DrawObjectManager& m, uint32_t* out) {
    return m.CreateSurfaceImageFromFile(out, nullptr, block.data, block.size, 0);
  });
}

uint32_t NativeLoadDdSurface(NativeArgs& args) {
  const std::string name = args.String(0, kFileNameBytes);
  const uint32_t flag = args.Cell(1);
  return Created(args, [&](DrawObjectManager& m, uint32_t* out) { return m.CreateDdSurface(out, name.c_str(), flag); });
}

uint32_t NativeCreateDecodedCanvasObjectA(NativeArgs& args) {
  const int32_t width = args.Int(0), height = args.Int(1);
  const uint8_t depth = args.Byte(2), mode = args.Byte(3);
  return Created(args, [&](DrawObjectManager& m, uint32_t* out) {
    return CreateDecodedCanvasObjectA(m, out, width, height, depth, mode);
  });
}

uint32_t NativeLoadMediaImage(NativeArgs& args) {
  const std::string name = args.String(0, kFileNameBytes);
  const uint32_t format = args.Cell(1);
  return Created(args, [&](DrawObjectManager& m, uint32_t* out) {
    return m.CreateMediaImage(out, format, name.c_str(), nullptr, 0, 0);
  });
}

uint32_t NativeLoadMediaImageFromMemory(NativeArgs& args) {
  const uint32_t format = args.Cell(0);
  const MemoryBlock block = BlockAt(args, 1);
  return Created(args, [&](DrawObjectManager& m, uint32_t* out) {
    return m.CreateMediaImage(out, format, nullptr, block.data, block.size, 0);
  });
}

uint32_t NativeCreateTextImage(NativeArgs& args) {
  const uint32_t font = args.Cell(0);
  if (args.Cell(1) == 0) return 0;
  const std::string text = args.String(1);
  const uint32_t format = args.Cell(2);
  return Created(args, [&](DrawObjectManager& m, uint32_t* out) {
    return m.CreateTextImage(out, text.c_str(), font, format);
  });
}

uint32_t NativeCreateDecodedCanvasObjectB(NativeArgs& args) {
  const uint32_t format = args.Cell(0);
  const int32_t width = args.Int(1), height = args.Int(2);
  const uint8_t depth = args.Byte(3), mode = args.Byte(4);
  return Created(args, [&](DrawObjectManager& m, uint32_t* out) {
    return CreateDecodedCanvasObjectB(m, out, format, width, height, depth, mode);
  });
}

uint32_t NativeCreateSurface(NativeArgs& args) {
  const int32_t width = args.Int(0), height = args.Int(1);
  const uint8_t bits = args.Byte(2), flags = args.Byte(3);
  return Created(args, [&](DrawObjectManager& m, uint32_t* out) { return m.CreateSurface(out, width, height, bits, flags); });
}

uint32_t LoadSurface(NativeArgs& args, bool indexed) {
  const std::string name = args.String(0, kFileNameBytes);
  const uint8_t flags = args.Byte(1);
  return Created(args, [&](DrawObjectManager& m, uint32_t* out) {
    return indexed ? m.CreateSurfaceFromFileIndexed(out, name.c_str(), nullptr, 0, flags)
                   : m.CreateSurfaceFromFile(out, name.c_str(), nullptr, 0, flags);
  });
}

uint32_t LoadSurfaceFromMemory(NativeArgs& args, bool indexed) {
  const MemoryBlock block = BlockAt(args, 0);
  const uint8_t flags = args.Byte(2);
  return Created(args, [&](DrawObjectManager& m, uint32_t* out) {
    return indexed ? m.CreateSurfaceFromFileIndexed(out, nullptr, block.data, block.size, flags)
                   : m.CreateSurfaceFromFile(out, nullptr, block.data, block.size, flags);
  });
}

uint32_t NativeCreateSurfaceFromText(NativeArgs& args) {
  const std::string text = args.String(0);
  const uint32_t font = args.Cell(1), rgb = args.Cell(2);
  return Created(args, [&](DrawObjectManager& m, uint32_t* out) {
    return m.CreateSurfaceFromText(out, text.c_str(), font, rgb);
  });
}

uint32_t NativeCreateSurfaceLike(NativeArgs& args) {
  const uint32_t source = args.Cell(0);
  const uint8_t flags = args.Byte(1);
  return Created(args, [&](DrawObjectManager& m, uint32_t* out) { return m.CreateSurfaceLike(out, source, flags); });
}

uint32_t NativeLoadCanvasImage(NativeArgs& args) {
  const int32_t width = args.Int(0), height = args.Int(1);
  const uint8_t depth = args.Byte(2), mode = args.Byte(3);
  return Created(args, [&](DrawObjectManager& m, uint32_t* out) {
    return CreateCanvasDrawObjectForSource(m, out, width, height, depth, mode);
  });
}

uint32_t NativeCreateCanvasImage(NativeArgs& args) {
  const int32_t width = args.Int(0), height = args.Int(1);
  const uint8_t depth = args.Byte(2), withCanvas = args.Byte(3);
  return Created(args, [&](DrawObjectManager& m, uint32_t* out) {
    return CreateCanvasDrawObject(m, out, width, height, depth, withCanvas);
  });
}

// --- the screen image and deletion ---------------------------------------------------------

uint32_t NativeSetSurfaceDirtyTracking(NativeArgs& args) {
  Image* image = GetObjectImage(ScriptDisplayObjects(), args.Cell(0));
  const bool on = args.Flag(1);
  // Only a plain memory picture: a canvas keeps its surface's recording itself.
  auto* surface = image != nullptr && image->GetKind() == kImageKindDib ? dynamic_cast<Surface*>(image) : nullptr;
  if (surface != nullptr) surface->SetRegion(on ? surface->OwnedRegion() : nullptr);
  return 1;
}

uint32_t NativeGetScreenImage(NativeArgs&) {
  DisplayScreenDevice* display = CurrentDisplayScreen();
  if (display == nullptr || display->GetImage(display->canvas) == nullptr) return 0;
  return display->canvas;
}

uint32_t NativeSetScreenImage(NativeArgs& args) {
  const uint32_t handle = args.Cell(0);
  DisplayScreenDevice* display = CurrentDisplayScreen();
  if (display == nullptr || args.Failed()) return kFailed;
  display->SetScreenImage(handle, 0);
  return 0;
}

uint32_t NativeDeleteImage(NativeArgs& args) {
  return DeleteThroughVariable(args, [](uint32_t handle) {
    DrawObjectManager* objects = ScriptDisplayObjects();
    return objects != nullptr ? objects->RemoveImage(handle) : 2;
  });
}

uint32_t NativeDeleteSceneObject(NativeArgs& args) {
  return DeleteThroughVariable(args, [](uint32_t handle) {
    DrawObjectManager* objects = ScriptDisplayObjects();
    return objects != nullptr ? objects->RemoveSceneObject(handle) : 2;
  });
}

// --- image properties ---------------------------------------------------------------------

Image* ImageAt(NativeArgs& args, uint32_t i) { return GetObjectImage(ScriptDisplayObjects(), args.Cell(i)); }

template <class Read>
uint32_t ReadImage(NativeArgs& args, uint32_t none, Read&& read) {
  Image* image = ImageAt(args, 0);
  return image != nullptr ? uint32_t(read(*image)) : none;
}

uint32_t NativeFillImage(NativeArgs& args) {
  Image* image = ImageAt(args, 0);
  const uint8_t r = args.Byte(1), g = args.Byte(2), b = args.Byte(3);
  if (image == nullptr) return kFailed;
  if (image->GetKind() == kImageKindSurfaceImage) {
    auto* surfaceImage = dynamic_cast<SurfaceImage*>(image);
    return surfaceImage != nullptr ? uint32_t(surfaceImage->Fill(r, g, b)) : kFailed;
  }
  Surface* surface = GetObjectSurface(ScriptDisplayObjects(), args.Cell(0));
  if (surface == nullptr) return kFailed;
  return surface->FillRgb(r, g, b, nullptr) ? 0 : 1;
}

// --- one frame of a numbered transition -----------------------------------------------------

uint32_t NativeDrawTransition(NativeArgs& args) {
  const uint32_t mode = args.Cell(0);
  const uint32_t destinationHandle = args.Cell(1), sourceHandle = args.Cell(2);
  const int32_t progress = args.Int(3), x = args.Int(4), y = args.Int(5), blend = args.Int(6);
  DisplayScreenDevice* display = CurrentDisplayScreen();
  if (sourceHandle == 0 || display == nullptr || args.Failed()) return kFailed;
  Image* source = display->GetImage(sourceHandle);
  if (IsDisplaySurfaceKind(source)) {
    ScreenStandIn screen(*display, display->BackSurface());
    return uint32_t(RunTransition(mode, nullptr, source, progress, x, y, 0, &screen));
  }
  Surface* from = GetObjectSurface(display, sourceHandle);
  Surface* onto = GetObjectSurface(display, destinationHandle);
  if (from == nullptr || onto == nullptr) return kFailed;
  return uint32_t(RunTransition(mode, onto, from, progress, x, y, blend, nullptr));
}

// --- linked canvas images and their transitions ----------------------------------------------

CanvasDrawObject* CanvasAt(NativeArgs& args, uint32_t i) { return GetCanvasPart(ScriptDisplayObjects(), args.Cell(i)); }

uint32_t NativeLinkCanvasImages(NativeArgs& args) {
  CanvasDrawObject* first = CanvasAt(args, 0);
  CanvasDrawObject* second = CanvasAt(args, 1);
  if (first == nullptr || second == nullptr) return kFailed;
  return uint32_t(first->SetPairedImage(second));
}

uint32_t NativeGetLinkedCanvasImage(NativeArgs& args) {
  CanvasDrawObject* canvas = CanvasAt(args, 0);
  DrawObjectManager* objects = ScriptDisplayObjects();
  if (canvas == nullptr || canvas->PairedImage() == nullptr) return 0;
  const auto* linked = dynamic_cast<const Image*>(canvas->PairedImage());
  if (linked == nullptr || linked->GetKind() != kImageKindCreatedCanvas) return 0;
  return objects->HandleOfImage(linked);
}

uint32_t NativeSwapWithLinkedCanvas(NativeArgs& args) {
  CanvasDrawObject* canvas = CanvasAt(args, 0);
  const uint8_t mode = args.Byte(1);
  if (canvas == nullptr) return 0;
  CanvasDrawObject* linked = canvas->PairedImage();
  if (mode == 2) canvas->ExchangeCanvases(linked);
  if (mode == 1 || mode == 2) {
    canvas->ExchangeBackgrounds(linked);
  } else {
    canvas->ExchangeCanvases(linked);
  }
  return 1;
}

uint32_t NativeStartCanvasTransition(GameScriptHost& host, NativeArgs& args) {
  CanvasDrawObject* canvas = CanvasAt(args, 0);
  if (canvas == nullptr) return kFailed;
  const std::string name = args.String(1, 64);
  const uint8_t swapMode = args.Byte(2);
  const uint8_t apply = args.Flag(3) ? 1 : 0;
  TcpManager* registry = host.ScreenObjects();
  if (args.Failed() || registry == nullptr) return kNoName;
  // The transition reads its cells through the window: numbers as they
  // are, texts from the address space, the rule picture by its handle.
  ScriptCellWindow cells(args, 4);
  const int started = StartCanvasTransition(*registry, *canvas, name, cells.Arguments(), swapMode, apply,
                                            HasEnterLowPriorityHook() ? 1 : 0);
  if (started == kTransitionNotMade) return kNoName;
  return uint32_t(started);
}

uint32_t NativeEndCanvasTransition(NativeArgs& args) {
  CanvasDrawObject* canvas = CanvasAt(args, 0);
  if (canvas == nullptr) return 0;
  canvas->EndTimedPresent(canvas->TimedPresentEndOption());
  return 1;
}

uint32_t NativeIsCanvasTransitionRunning(NativeArgs& args) {
  CanvasDrawObject* canvas = CanvasAt(args, 0);
  return canvas != nullptr && canvas->TimedPresentRunning() ? 1 : 0;
}

// The work surface belongs to the canvas and is in no list, so there is no
// handle a script could hold for it: the answer is 0.
uint32_t NativeGetCanvasTransitionSurface(NativeArgs&) { return 0; }

// --- Direct3D scene objects ------------------------------------------------------------------

// Cells: image, left, top, right, bottom (65535: the whole image, and
// cells 5 and 6 are then 0), x, y.
template <class Create>
uint32_t CreatePlacedImage(NativeArgs& args, Create&& create) {
  const uint32_t image = args.Cell(0);
  const std::optional<Rect> source = OptionalRectAt(args, 1);
  const int32_t x = source ? args.Int(5) : 0;
  const int32_t y = source ? args.Int(6) : 0;
  return Created(args, [&](DrawObjectManager& m, uint32_t* out) {
    return create(m, out, image, source ? &*source : nullptr, x, y);
  });
}

uint32_t NativeCreateD3DPolygon(NativeArgs& args) {
  const uint32_t primitive = args.Cell(0);
  const uint32_t colour = args.Cell(1);
  const uint32_t count = args.Cell(2);
  if (args.Failed() || primitive >= kPolygonPrimitiveCount || count == 0) return 0;
  ScriptAddressSpace& space = args.Space();
  // The pairs must lie in the arena before anything is allocated for them.
  const uint64_t pairs = uint64_t(args.Block()) + 12;
  if (pairs > UINT32_MAX || !space.Contains(uint32_t(pairs), 8ull * count)) {
    args.Fail();
    return 0;
  }
  const uint32_t xs = space.Allocate(4ull * count);
  const uint32_t ys = xs != 0 ? space.Allocate(4ull * count) : 0;
  if (ys == 0) {
    space.Free(xs);
    return 0;
  }
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t x = 0, y = 0;
    space.Read32(uint32_t(pairs) + 8 * i, x);
    space.Read32(uint32_t(pairs) + 8 * i + 4, y);
    space.Write32(xs + 4 * i, x);
    space.Write32(ys + 4 * i, y);
  }
  // The polygon takes the two arrays and frees them whatever comes of it.
  return Created(args, [&](DrawObjectManager& m, uint32_t* out) {
    return m.CreateD3DPolygon(out, &space, count, xs, ys, colour, PolygonModeOfIndex(primitive), 1);
  });
}

uint32_t NativeCreateD3DColorBox(NativeArgs& args) {
  const int32_t width = args.Int(0), height = args.Int(1);
  const uint32_t colour = args.Cell(2);
  const int32_t x = args.Int(3), y = args.Int(4);
  return Created(args, [&](DrawObjectManager& m, uint32_t* out) {
    return m.CreateD3DColorBox(out, width, height, colour, x, y);
  });
}

uint32_t NativeCreateD3DTriangle(NativeArgs& args) {
  int32_t cells[9];
  for (uint32_t i = 0; i < 9; ++i) cells[i] = args.Int(i);
  return Created(args, [&](DrawObjectManager& m, uint32_t* out) {
    return m.CreateD3DTriangle(out, cells[0], cells[1], cells[2], cells[3], cells[4], cells[5], uint32_t(cells[6]),
                               cells[7], cells[8]);
  });
}

uint32_t NativeCreateTransitionObject(NativeArgs& args) {
  const uint32_t destination = args.Cell(0), source = args.Cell(1), mode = args.Cell(2);
  const bool given = args.Given(3);
  const int32_t x = given ? args.Int(3) : 0;
  const int32_t y = given ? args.Int(4) : 0;
  const int32_t progress = given ? args.Int(5) : 0;
  DrawObjectManager* objects = ScriptDisplayObjects();
  if (objects == nullptr || args.Failed()) return 0;
  // Both pictures must be display-surface images; a destination is optional.
  if (!IsDisplaySurfaceKind(objects->GetImage(source))) return 0;
  if (destination != 0 && !IsDisplaySurfaceKind(objects->GetImage(destination))) return 0;
  return Created(args, [&](DrawObjectManager& m, uint32_t* out) {
    return m.CreateTransitionObject(out, source, destination, mode, x, y, progress);
  });
}

}  // namespace

void BindDisplayObjectNatives(NativeBinder& binder) {
  GameScriptHost& host = binder.Host();
  binder.Bind(219, NativeCreateBlankSurfaceImage);
  binder.Bind(220, NativeLoadSurfaceImage);
  binder.Bind(221, NativeLoadSurfaceImageFromMemory);
  binder.Bind(222, NativeLoadDdSurface);
  binder.Bind(223, NativeCreateDecodedCanvasObjectA);
  binder.Bind(224, NativeLoadMediaImage);
  binder.Bind(225, NativeLoadMediaImageFromMemory);
  binder.Bind(226, NativeCreateTextImage);
  binder.Bind(227, NativeCreateDecodedCanvasObjectB);
  binder.Bind(228, NativeCreateSurface);
  binder.Bind(229, [](NativeArgs& args) { return LoadSurface(args, false); });
  binder.Bind(230, [](NativeArgs& args) { return LoadSurface(args, true); });
  binder.Bind(231, [](NativeArgs& args) { return LoadSurfaceFromMemory(args, false); });
  binder.Bind(232, [](NativeArgs& args) { return LoadSurfaceFromMemory(args, true); });
  binder.Bind(233, NativeCreateSurfaceFromText);
  binder.Bind(234, NativeCreateSurfaceLike);
  binder.Bind(235, NativeLoadCanvasImage);
  binder.Bind(236, NativeCreateCanvasImage);
  binder.Bind(237, NativeSetSurfaceDirtyTracking);
  binder.Bind(238, NativeGetScreenImage);
  binder.Bind(239, NativeSetScreenImage);
  binder.Bind(240, NativeDeleteImage);
  binder.Bind(241, [](NativeArgs& args) { return ReadImage(args, 0, [](Image& i) { return i.GetWidth(); }); });
  binder.Bind(242, [](NativeArgs& args) { return ReadImage(args, 0, [](Image& i) { return i.GetHeight(); }); });
  binder.Bind(243, [](NativeArgs& args) {
    const int32_t x = args.Int(1), y = args.Int(2);
    return ReadImage(args, kFailed, [&](Image& i) { return i.SetColorKeyAt(x, y); });
  });
  binder.Bind(244, [](NativeArgs& args) {
    const uint8_t r = args.Byte(1), g = args.Byte(2), b = args.Byte(3);
    return ReadImage(args, kFailed, [&](Image& i) { return i.SetColorKeyRgb(r, g, b); });
  });
  binder.Bind(245, [](NativeArgs& args) { return ReadImage(args, kFailed, [](Image& i) { return i.ClearColorKey(); }); });
  binder.Bind(246, [](NativeArgs& args) { return ReadImage(args, 0, [](Image& i) { return i.GetUserValue1(); }); });
  binder.Bind(247, [](NativeArgs& args) { return ReadImage(args, 0, [](Image& i) { return i.GetUserValue2(); }); });
  binder.Bind(248, NativeFillImage);
  binder.Bind(249, NativeDrawTransition);
  binder.Bind(250, NativeLinkCanvasImages);
  binder.Bind(251, NativeGetLinkedCanvasImage);
  binder.Bind(252, NativeSwapWithLinkedCanvas);
  binder.Bind(253, [&host](NativeArgs& args) { return NativeStartCanvasTransition(host, args); });
  binder.Bind(254, NativeEndCanvasTransition);
  binder.Bind(255, NativeIsCanvasTransitionRunning);
  binder.Bind(256, NativeGetCanvasTransitionSurface);
  binder.Bind(257, [](NativeArgs& args) {
    return CreatePlacedImage(args, [](DrawObjectManager& m, uint32_t* out, uint32_t image, const Rect* r, int32_t x,
                                      int32_t y) { return m.CreateD3DImage(out, image, r, x, y); });
  });
  binder.Bind(258, [](NativeArgs& args) {
    return CreatePlacedImage(args, [](DrawObjectManager& m, uint32_t* out, uint32_t image, const Rect* r, int32_t x,
                                      int32_t y) { return m.CreateD3DQuad(out, image, r, x, y); });
  });
  binder.Bind(259, NativeCreateD3DPolygon);
  binder.Bind(260, NativeCreateD3DColorBox);
  binder.Bind(261, NativeCreateD3DTriangle);
  binder.Bind(262, [](NativeArgs& args) {
    return Created(args, [](DrawObjectManager& m, uint32_t* out) { return m.CreateRenderStateSet(out); });
  });
  binder.Bind(263, [](NativeArgs& args) {
    return Created(args, [](DrawObjectManager& m, uint32_t* out) { return m.CreateStageStateSet(out); });
  });
  binder.Bind(264, [](NativeArgs& args) { return CreatePlacedImage(args, CreateD3DImageSubclass); });
  binder.Bind(265, [](NativeArgs& args) { return CreatePlacedImage(args, CreateD3DQuadSubclass); });
  binder.Bind(266, NativeCreateTransitionObject);
  binder.Bind(267, NativeDeleteSceneObject);
}

}  // namespace orrivel
