// Natives 163 to 218: the screen device's fonts and text drawing into
// pictures, the installed font faces, a few screen settings and the group
// id of new display objects, the image-loader cache and plug-ins, control
// of running per-frame tasks by handle or type, and the named layer
// actions. Each native reads its cells, resolves its object (a stale or
// foreign handle finds nothing and gets the row's failure value) and calls
// one operation of the subsystem that owns it.
#include <algorithm>
#include <cstring>
#include <string>

#include "base/TimerList.h"
#include "display/DisplayScreenDevice.h"
#include "effect/LayerAction.h"
#include "effect/LayerHost.h"
#include "effect/LayerActionLife.h"
#include "natives/AppNativePort.h"
#include "natives/CanvasLayerObject.h"
#include "natives/DisplayObjectArguments.h"
#include "natives/EngineServices.h"
#include "natives/GameScriptHost.h"
#include "natives/NativeBinder.h"
#include "natives/ScriptCellWindow.h"
#include "natives/ScriptTextFormat.h"
#include "raster/Surface.h"
#include "resource/DcpManager.h"
#include "resource/ImageLoaderManager.h"
#include "scene/CanvasDrawObject.h"
#include "text/FontFaceList.h"
#include "text/GdiFont.h"
#include "text/OutlineFont.h"
#include "text/SurfaceText.h"

namespace orrivel {

namespace {

constexpr uint32_t kFailed = uint32_t(-1);
constexpr uint32_t kWrongKind = uint32_t(-2);
constexpr size_t kFaceNameBytes = 260;
// Native 186 formats into 512 bytes, terminator included.
constexpr size_t kFormattedTextBytes = 511;

// --- fonts -----------------------------------------------------------------------------------

Font* FontAt(NativeArgs& args, uint32_t i) {
  const uint32_t handle = args.Cell(i);
  DrawObjectManager* objects = ScriptDisplayObjects();
  return objects != nullptr && handle != 0 ? objects->GetFont(handle) : nullptr;
}

OutlineFont* OutlineFontAt(NativeArgs& args, uint32_t i) {
  Font* font = FontAt(args, i);
  return font != nullptr && font->GetKind() == kFontKindOutline ? static_cast<OutlineFont*>(font) : nullptr;
}

template <class Make>
uint32_t CreatedFont(NativeArgs& args, Make&& make) {
  const std::string face = args.String(0, kFaceNameBytes);
  const int32_t height = args.Int(1);
  DrawObjectManager* objects = ScriptDisplayObjects();
  if (objects == nullptr || args.Failed()) return 0;
  uint32_t out = 0;
  return make(*objects, &out, face.c_str(), height) == 0 ? out : 0;
}

uint32_t NativeDeleteAllFonts(NativeArgs&) {
  DrawObjectManager* objects = ScriptDisplayObjects();
  if (objects == nullptr) return 0;
  objects->DeleteAllFonts();
  return 0;
}

uint32_t NativeDeleteFont(NativeArgs& args) {
  const uint32_t variable = args.Cell(0);
  uint32_t handle = args.Load(variable);
  DrawObjectManager* objects = ScriptDisplayObjects();
  if (args.Failed()) return kFailed;
  if (objects == nullptr) return 2;
  const int code = objects->RemoveFont(&handle);
  if (code == 0) args.Store(variable, 0);
  return uint32_t(code);
}

uint32_t NativeSetDefaultTextFont(NativeArgs& args) {
  Font* font = FontAt(args, 0);
  if (font == nullptr) return 0;
  SetDefaultFont(font);
  return 1;
}

// A font operation answering its own code; -1 without a font.
template <class Apply>
uint32_t WithFont(NativeArgs& args, Apply&& apply) {
  Font* font = FontAt(args, 0);
  if (font == nullptr || args.Failed()) return kFailed;
  return uint32_t(apply(*font));
}

// A field store answering 1; 0 without a font.
template <class Apply>
uint32_t StoreInFont(NativeArgs& args, Apply&& apply) {
  Font* font = FontAt(args, 0);
  if (font == nullptr || args.Failed()) return 0;
  apply(*font);
  return 1;
}

uint32_t NativeSetFontBackground(NativeArgs& args) {
  const uint8_t mode = args.Byte(1), r = args.Byte(2), g = args.Byte(3), b = args.Byte(4);
  return StoreInFont(args, [&](Font& font) {
    if (font.GetKind() == kFontKindDevice) {
      font.SetBackground(mode, r, g, b);
    } else if (font.GetKind() == kFontKindOutline) {
      font.backgroundRed = r;
      font.backgroundGreen = g;
      font.backgroundBlue = b;
    }
  });
}

// Natives 178 and 179 act on device fonts only.
template <class Apply>
uint32_t WithDeviceFont(NativeArgs& args, Apply&& apply) {
  Font* font = FontAt(args, 0);
  if (font == nullptr || args.Failed()) return kFailed;
  if (font->GetKind() != kFontKindDevice) return kWrongKind;
  apply(*font);
  return 0;
}

uint32_t NativeSetGlyphCacheLimit(NativeArgs& args) {
  OutlineFont* font = OutlineFontAt(args, 0);
  const uint16_t count = args.Word16(1);
  if (font == nullptr || args.Failed()) return 0;
  font->Cache().SetCapacity(count);
  return 1;
}

uint32_t NativeLoadPictureGlyphs(NativeArgs& args) {
  Font* font = FontAt(args, 0);
  if (font == nullptr || args.Failed()) return kFailed;
  if (font->GetKind() != kFontKindOutline) return kWrongKind;
  const bool named = args.Cell(1) != 0;
  const std::string name = named ? args.String(1, kFaceNameBytes) : std::string();
  const int32_t count = args.Int(2), cellWidth = args.Int(3), cellHeight = args.Int(4);
  const uint8_t which = args.Byte(5);
  if (args.Failed()) return kFailed;
  return uint32_t(static_cast<OutlineFont*>(font)->LoadPictureGlyphs(named ? name.c_str() : nullptr, count, cellWidth,
                                                                      cellHeight, which));
}

uint32_t NativeSetFontGradient(NativeArgs& args) {
  Font* font = FontAt(args, 0);
  const uint8_t on = args.Byte(1);
  const uint32_t top = args.Cell(2), bottom = args.Cell(3);
  if (font == nullptr || args.Failed()) return kFailed;
  if (font->GetKind() != kFontKindOutline) return kWrongKind;
  return uint32_t(static_cast<OutlineFont*>(font)->SetGradient(on, top, bottom, 1));
}

uint32_t NativeSetFontEdge(NativeArgs& args) {
  OutlineFont* font = OutlineFontAt(args, 0);
  const int32_t strength = args.Int(1), width = args.Int(2);
  if (font == nullptr || args.Failed()) return 0;
  font->SetEdge(strength, width);
  return 1;
}

// Measures with the effect included. The lines measured; the outputs are
// written only when that is not 0.
struct Measure {
  int lines = -1;
  Size size{};
  int32_t left = 0;
  int32_t top = 0;
};
Measure MeasureAt(NativeArgs& args) {
  Measure m;
  Font* font = FontAt(args, 0);
  if (font == nullptr || args.Failed()) return m;
  const std::string text = args.Cell(1) != 0 ? args.String(1) : std::string();
  if (args.Failed()) return m;
  m.lines = font->MeasureText(args.Cell(1) != 0 ? text.c_str() : nullptr, &m.size, &m.left, &m.top, true, nullptr);
  return m;
}

uint32_t NativeMeasureText(NativeArgs& args) {
  const Measure m = MeasureAt(args);
  if (m.lines == -1) return kFailed;
  if (m.lines != 0) {
    args.SetOptionalInt(2, uint32_t(m.size.width));
    args.SetOptionalInt(3, uint32_t(m.size.height));
    args.SetOptionalInt(4, uint32_t(m.left));
    args.SetOptionalInt(5, uint32_t(m.top));
  }
  return uint32_t(m.lines);
}

uint32_t NativeMeasureRotatedText(NativeArgs& args) {
  const Measure m = MeasureAt(args);
  if (m.lines == -1) return kFailed;
  if (m.lines != 0) {
    Rect bounds;
    FontAt(args, 0)->GetRotatedBounds(&bounds, 0, 0, m.size.width, m.size.height);
    args.SetOptionalInt(2, uint32_t(bounds.right - bounds.left));
    args.SetOptionalInt(3, uint32_t(bounds.bottom - bounds.top));
    args.SetOptionalInt(4, uint32_t(bounds.left));
    args.SetOptionalInt(5, uint32_t(bounds.top));
  }
  return uint32_t(m.lines);
}

// --- text drawing ----------------------------------------------------------------------------

using SurfaceTextDraw = int (*)(Surface*, int32_t, int32_t, const char*, Font*);

// Cells: image, x, y, text, font (0: the default text font).
uint32_t DrawTextWith(NativeArgs& args, SurfaceTextDraw draw) {
  Surface* surface = GetObjectSurface(args.Cell(0));
  const int32_t x = args.Int(1), y = args.Int(2);
  if (surface == nullptr || args.Failed()) return kFailed;
  const std::string text = args.Cell(3) != 0 ? args.String(3) : std::string();
  const uint32_t fontHandle = args.Cell(4);
  if (args.Failed()) return kFailed;
  Font* font = nullptr;
  if (fontHandle != 0) {
    font = ScriptDisplayObjects()->GetFont(fontHandle);
    // A handle that names no font draws nothing rather than falling back
    // to the default: the drawing's own "no font" answer.
    if (font == nullptr) return 2;
  }
  return uint32_t(draw(surface, x, y, text.c_str(), font));
}

uint32_t NativeDrawFormattedText(NativeArgs& args) {
  Surface* surface = GetObjectSurface(args.Cell(0));
  const int32_t x = args.Int(1), y = args.Int(2);
  if (surface == nullptr || args.Failed()) return kFailed;
  const std::string format = args.String(3);
  if (args.Failed()) return kFailed;
  std::optional<std::string> text = FormatScriptText(args, format, 4);
  if (!text) return kFailed;
  text->resize(CharBoundary(*text, kFormattedTextBytes));
  return uint32_t(DrawSurfaceGdiText(surface, x, y, text->c_str(), nullptr));
}

// --- installed font faces --------------------------------------------------------------------

// The faces native 190 last listed, held for the whole run.
FontFaceList& FaceList() {
  static FontFaceList list;
  return list;
}

constexpr uint8_t kShiftJisCharSet = 128;

uint32_t NativeEnumFontFaces(NativeArgs& args) {
  const uint8_t flags = args.Byte(0);
  const uint8_t charSet = args.Byte(1);
  if (args.Failed()) return 0;
  return uint32_t(FaceList().EnumFontFaces(flags, charSet != 0 ? charSet : kShiftJisCharSet));
}

const LogFont* FaceAt(NativeArgs& args) {
  const uint32_t index = args.Cell(0);
  const auto& faces = FaceList().Faces();
  return !args.Failed() && index < faces.size() ? &faces[index] : nullptr;
}

std::string FaceName(const LogFont& face) {
  return std::string(face.faceName, strnlen(face.faceName, sizeof face.faceName));
}

uint32_t NativeGetFontFaceName(NativeArgs& args) {
  const LogFont* face = FaceAt(args);
  args.WriteText(1, face != nullptr ? FaceName(*face) : std::string());
  return face != nullptr ? 1 : 0;
}

uint32_t NativeGetFontFaceNamePointer(GameScriptHost& host, NativeArgs& args) {
  const LogFont* face = FaceAt(args);
  return face != nullptr ? host.HostString("font face name", FaceName(*face)) : 0;
}

// --- screen settings -------------------------------------------------------------------------

template <class Apply>
uint32_t WithDisplay(Apply&& apply) {
  if (DisplayScreenDevice* display = CurrentDisplayScreen()) return uint32_t(apply(*display));
  return 0;
}

uint32_t NativeSetBackgroundColor(NativeArgs& args) {
  const uint8_t r = args.Byte(0), g = args.Byte(1), b = args.Byte(2);
  if (args.Failed()) return 0;
  return WithDisplay([&](DisplayScreenDevice& d) {
    d.SetBackgroundColor(r, g, b);
    return 0;
  });
}

uint32_t NativeSetGroupId(NativeArgs& args) {
  const uint32_t id = args.Cell(0);
  if (args.Failed()) return 0;
  return WithDisplay([&](DisplayScreenDevice& d) { return d.SetImageGroupId(id); });
}

uint32_t NativeDeleteGroup(NativeArgs& args) {
  const uint32_t group = args.Cell(0), flags = args.Cell(1);
  if (args.Failed()) return 0;
  return WithDisplay([&](DisplayScreenDevice& d) {
    d.DeleteByGroup(group, flags);
    return 0;
  });
}

uint32_t NativeGetScaledPictureRect(NativeArgs& args) {
  DisplayScreenDevice* display = CurrentDisplayScreen();
  if (display == nullptr || !display->Scaled()) return 0;
  const Rect placed = display->PlacedRect();
  args.SetOptionalInt(0, uint32_t(placed.left));
  args.SetOptionalInt(1, uint32_t(placed.top));
  args.SetOptionalInt(2, uint32_t(placed.right));
  args.SetOptionalInt(3, uint32_t(placed.bottom));
  return 1;
}

// --- the image loaders -----------------------------------------------------------------------

// Below -1 the size comes from the image-cache setting: the byte minus 1,
// times 4 when positive (so byte 0 asks for the choice by memory).
int32_t CacheLimitFor(int32_t size) {
  if (size >= -1) return size;
  const int32_t fromSetting = int32_t(AppPort().boot[10]) - 1;
  return fromSetting > 0 ? fromSetting * 4 : fromSetting;
}

template <class Apply>
uint32_t WithLoaders(uint32_t none, Apply&& apply) {
  if (ImageLoaderManager* loaders = Surface::LoaderManager()) return uint32_t(apply(*loaders));
  return none;
}

uint32_t NativeSetImageCacheLimit(NativeArgs& args) {
  const int32_t size = CacheLimitFor(args.Int(0));
  if (args.Failed()) return 0;
  return WithLoaders(0, [&](ImageLoaderManager& m) {
    m.SetCacheLimit(size);
    return 0;
  });
}

uint32_t NativeReleaseCachedImage(NativeArgs& args) {
  const std::string name = args.String(0, kFaceNameBytes);
  if (args.Failed()) return kFailed;
  return WithLoaders(1, [&](ImageLoaderManager& m) { return m.ReleaseCachedImage(name); });
}

uint32_t NativeUnloadImageLoaderPlugins(NativeArgs& args) {
  const int32_t id = args.Int(0);
  if (args.Failed()) return 0;
  return WithLoaders(0, [&](ImageLoaderManager& m) {
    if (id == -1) {
      m.UnloadAll();
    } else {
      m.UnloadType(id);
    }
    return 0;
  });
}

// The loader's second assist entry takes a pointer to cells and answers a
// 32-bit value.
using LoaderAssist = int32_t (*)(uint32_t* cells);

uint32_t NativeCallImageLoaderAssist(NativeArgs& args) {
  const int32_t type = args.Int(0);
  ImageLoaderManager* loaders = Surface::LoaderManager();
  if (loaders == nullptr || args.Failed()) return kWrongKind;
  const auto& records = loaders->Records();
  const auto found = std::find_if(records.begin(), records.end(), [&](const PictureDecoderRecord& r) {
    return r.type == type && r.assist2 != nullptr;
  });
  if (found == records.end()) return kWrongKind;
  ScriptCellWindow cells(args, 1);
  const int32_t result = reinterpret_cast<LoaderAssist>(found->assist2)(cells.Cells());
  cells.CopyBack();
  return uint32_t(result);
}

// --- tasks -----------------------------------------------------------------------------------

template <class Apply>
uint32_t WithTasks(GameScriptHost& host, NativeArgs& args, Apply&& apply) {
  const uint32_t cell = args.Cell(0);
  TimerList* list = host.ObjectTimers();
  if (list == nullptr || args.Failed()) return 0;
  return uint32_t(apply(*list, cell));
}

uint32_t NativeStopTask(GameScriptHost& host, NativeArgs& args) {
  const uint32_t variable = args.Cell(0);
  uint32_t handle = args.Load(variable);
  if (args.Failed()) return 0;
  // The variable is cleared whether or not the task is still there.
  args.Store(variable, 0);
  return StopTimerTaskByHandle(host.ObjectTimers(), &handle) ? 1 : 0;
}

// --- layer actions ---------------------------------------------------------------------------

// The listed layer action with the handle, or null.
LayerAction* ActionOf(GameScriptHost& host, uint32_t handle) {
  TimerList* list = host.ObjectTimers();
  if (list == nullptr || handle == 0) return nullptr;
  for (TimedTask* task : list->Tasks()) {
    if (task != nullptr && task->Handle() == handle && !task->IsFinished()) return dynamic_cast<LayerAction*>(task);
  }
  return nullptr;
}

constexpr size_t kActionNameBytes = 64;

// The category of the action registered under the name; -1 when none.
int32_t CategoryOf(DcpManager& registry, const std::string& name) {
  DcpObject* probe = registry.GetObject(name);
  if (probe == nullptr) return -1;
  const auto* action = dynamic_cast<const LayerAction*>(probe);
  const int32_t category = action != nullptr ? action->GetCategory() : -1;
  probe->Release();
  return category;
}

uint32_t NativeStartLayerAction(GameScriptHost& host, NativeArgs& args) {
  CanvasDrawObject* canvas = GetCanvasPart(args.Cell(0));
  if (canvas == nullptr || args.Failed()) return 0;
  const std::string name = args.String(1, kActionNameBytes);
  DcpManager* registry = host.Actions();
  if (args.Failed() || registry == nullptr) return 0;
  ScriptCellWindow cells(args, 2);
  // Boot byte 15 switches the lowered priority of long effects off.
  const bool lowPriorityOff = AppPort().boot[15] != 0;
  // The background actions take the canvas as their layer (and keep only
  // its sprite canvas); every other action the canvas image itself (the
  // overlay effects, which want the frame, refuse it).
  CanvasLayerObject layer(*canvas, GetObjectImage(ScriptDisplayObjects(), args.Cell(0))->GetKind());
  const ObjectArgument target = CategoryOf(*registry, name) == LayerAction::kBackgroundCategory
                                    ? ObjectArgument(static_cast<BackgroundLayer*>(&layer))
                                    : ObjectArgument(canvas);
  TimedTask* slot = nullptr;
  if (CreateLayerAction(*registry, &slot, name, host.ObjectTimers(), target, cells.Arguments(), lowPriorityOff) !=
      kActionCreated) {
    return 0;
  }
  // The script holds the action by its handle alone; no slot outlives this call.
  slot->SetOwnerSlot(nullptr);
  return slot->Handle();
}

using ActionRequest = int32_t (LayerAction::*)(const ObjectArguments&);

uint32_t AskLayerAction(GameScriptHost& host, NativeArgs& args, ActionRequest request) {
  const uint32_t handle = args.Cell(0);
  if (args.Failed()) return kFailed;
  LayerAction* action = ActionOf(host, handle);
  if (action == nullptr) return kFailed;
  ScriptCellWindow cells(args, 1);
  return uint32_t((action->*request)(cells.Arguments()));
}

uint32_t NativeCallLayerActionAssist(GameScriptHost& host, NativeArgs& args) {
  const std::string name = args.String(0, kActionNameBytes);
  DcpManager* registry = host.Actions();
  if (args.Failed() || registry == nullptr) return kFailed;
  CallbackAssistFunc2 assist = registry->FindCallbackAssist2(name);
  if (assist == nullptr) return kFailed;
  ScriptCellWindow cells(args, 1);
  return uint32_t(assist(cells.Arguments()));
}

}  // namespace

void BindFontsAndScreenNatives(NativeBinder& binder) {
  GameScriptHost& host = binder.Host();
  binder.Bind(163, NativeDeleteAllFonts);
  binder.Bind(164, [](NativeArgs& args) {
    return CreatedFont(args, [](DrawObjectManager& m, uint32_t* out, const char* face, int32_t height) {
      return m.CreateGdiFont(out, face, height);
    });
  });
  binder.Bind(165, [](NativeArgs& args) {
    return CreatedFont(args, [](DrawObjectManager& m, uint32_t* out, const char* face, int32_t height) {
      return m.CreateOutlineFont(out, face, height);
    });
  });
  binder.Bind(166, NativeDeleteFont);
  binder.Bind(167, NativeSetDefaultTextFont);
  binder.Bind(168, [](NativeArgs& args) {
    const std::string face = args.String(1, kFaceNameBytes);
    return WithFont(args, [&](Font& f) { return f.SetFaceName(face.c_str()); });
  });
  binder.Bind(169, [](NativeArgs& args) {
    const int32_t height = args.Int(1);
    return WithFont(args, [&](Font& f) { return f.SetHeight(height); });
  });
  binder.Bind(170, [](NativeArgs& args) {
    const uint8_t bold = args.Byte(1);
    const int32_t italic = args.Int(2);
    return WithFont(args, [&](Font& f) { return f.SetBoldItalic(bold, italic); });
  });
  binder.Bind(171, [](NativeArgs& args) {
    const int32_t angle = args.Int(1);
    return WithFont(args, [&](Font& f) { return f.SetAngle(angle); });
  });
  binder.Bind(172, [](NativeArgs& args) {
    const uint8_t level = args.Byte(1);
    return StoreInFont(args, [&](Font& f) { f.SetAntialias(level); });
  });
  binder.Bind(173, [](NativeArgs& args) {
    const uint8_t r = args.Byte(1), g = args.Byte(2), b = args.Byte(3);
    return StoreInFont(args, [&](Font& f) {
      f.textRed = r;
      f.textGreen = g;
      f.textBlue = b;
    });
  });
  binder.Bind(174, [](NativeArgs& args) {
    const uint8_t kind = args.Byte(1);
    const int32_t dx = args.Int(2), dy = args.Int(3);
    return StoreInFont(args, [&](Font& f) {
      f.effectMode = kind;
      f.shadowX = dx;
      f.shadowY = dy;
    });
  });
  binder.Bind(175, [](NativeArgs& args) {
    const uint8_t r = args.Byte(1), g = args.Byte(2), b = args.Byte(3);
    return StoreInFont(args, [&](Font& f) {
      f.effectRed = r;
      f.effectGreen = g;
      f.effectBlue = b;
    });
  });
  binder.Bind(176, NativeSetFontBackground);
  binder.Bind(177, [](NativeArgs& args) {
    const int32_t spacing = args.Int(1);
    return StoreInFont(args, [&](Font& f) { f.lineSpacing = spacing; });
  });
  binder.Bind(178, [](NativeArgs& args) {
    const uint8_t underline = args.Byte(1), strikeOut = args.Byte(2);
    return WithDeviceFont(args, [&](Font& f) { f.SetUnderlineStrikeOut(underline, strikeOut); });
  });
  binder.Bind(179, [](NativeArgs& args) {
    const uint8_t quality = args.Byte(1);
    return WithDeviceFont(args, [&](Font& f) { f.SetQuality(quality); });
  });
  binder.Bind(180, NativeSetGlyphCacheLimit);
  binder.Bind(181, NativeLoadPictureGlyphs);
  binder.Bind(182, NativeSetFontGradient);
  binder.Bind(183, NativeSetFontEdge);
  binder.Bind(184, NativeMeasureText);
  binder.Bind(185, NativeMeasureRotatedText);
  binder.Bind(186, NativeDrawFormattedText);
  binder.Bind(187, [](NativeArgs& args) { return DrawTextWith(args, DrawSurfaceGdiText); });
  binder.Bind(188, [](NativeArgs& args) { return DrawTextWith(args, DrawSurfaceFontText); });
  binder.Bind(189, [](NativeArgs& args) { return DrawTextWith(args, DrawSurfaceText); });
  binder.Bind(190, NativeEnumFontFaces);
  binder.Bind(191, NativeGetFontFaceName);
  binder.Bind(192, [&host](NativeArgs& args) { return NativeGetFontFaceNamePointer(host, args); });
  binder.Bind(193, [](NativeArgs& args) {
    const uint8_t mode = args.Byte(0);
    return WithDisplay([&](DisplayScreenDevice& d) {
      d.SetVsyncMode(mode);
      return 0;
    });
  });
  binder.Bind(194, [](NativeArgs&) { return WithDisplay([](DisplayScreenDevice& d) { return d.VsyncMode(); }); });
  binder.Bind(195, NativeSetBackgroundColor);
  binder.Bind(196, [](NativeArgs& args) {
    const bool on = (args.Cell(0) & 1) != 0;
    return WithDisplay([&](DisplayScreenDevice& d) {
      d.SetClearEachFrame(on);
      return 0;
    });
  });
  binder.Bind(197, [](NativeArgs&) {
    return WithDisplay([](DisplayScreenDevice& d) {
      d.DeleteAll();
      return 0;
    });
  });
  binder.Bind(198, NativeSetGroupId);
  binder.Bind(199, NativeDeleteGroup);
  binder.Bind(200, NativeSetImageCacheLimit);
  binder.Bind(201, NativeReleaseCachedImage);
  // Libraries load only from the game's own folders.
  binder.Bind(202, [&host](NativeArgs& args) {
    const std::string name = args.String(0, kFaceNameBytes);
    if (args.Failed() || !host.FileRoots().ResolveLibrary(name)) return kFailed;
    return WithLoaders(kFailed, [&](ImageLoaderManager& m) { return m.LoadPlugin(name); });
  });
  binder.Bind(203, [&host](NativeArgs& args) {
    const std::string folder = args.String(0, kFaceNameBytes);
    if (args.Failed() || !host.FileRoots().Allows(folder)) return kFailed;
    return WithLoaders(kFailed, [&](ImageLoaderManager& m) { return m.LoadPlugins(folder); });
  });
  binder.Bind(204, NativeUnloadImageLoaderPlugins);
  binder.Bind(205, NativeCallImageLoaderAssist);
  // Nothing ever sets the device's screen-mode flag.
  binder.Bind(206, [](NativeArgs&) { return 0u; });
  binder.Bind(207, NativeGetScaledPictureRect);
  binder.Bind(208, [&host](NativeArgs& args) {
    return WithTasks(host, args, [](TimerList& l, uint32_t h) { return IsTimerTaskRunning(&l, h) ? 1 : 0; });
  });
  binder.Bind(209, [&host](NativeArgs& args) { return NativeStopTask(host, args); });
  binder.Bind(210, [&host](NativeArgs& args) {
    return WithTasks(host, args, [](TimerList& l, uint32_t type) {
      l.StopType(int32_t(type));
      return 0;
    });
  });
  binder.Bind(211, [&host](NativeArgs& args) {
    return WithTasks(host, args, [](TimerList& l, uint32_t h) { return h != 0 && l.PauseTask(h) ? 1 : 0; });
  });
  binder.Bind(212, [&host](NativeArgs& args) {
    return WithTasks(host, args, [](TimerList& l, uint32_t type) {
      l.PauseAll(int32_t(type));
      return 0;
    });
  });
  binder.Bind(213, [&host](NativeArgs& args) {
    return WithTasks(host, args, [](TimerList& l, uint32_t h) { return h != 0 && l.ResumeTask(h) ? 1 : 0; });
  });
  binder.Bind(214, [&host](NativeArgs& args) {
    return WithTasks(host, args, [](TimerList& l, uint32_t type) {
      l.ResumeAll(int32_t(type));
      return 0;
    });
  });
  binder.Bind(215, [&host](NativeArgs& args) { return NativeStartLayerAction(host, args); });
  binder.Bind(216, [&host](NativeArgs& args) { return AskLayerAction(host, args, &LayerAction::ControlV); });
  binder.Bind(217, [&host](NativeArgs& args) { return AskLayerAction(host, args, &LayerAction::QueryV); });
  binder.Bind(218, [&host](NativeArgs& args) { return NativeCallLayerActionAssist(host, args); });
}

}  // namespace orrivel
