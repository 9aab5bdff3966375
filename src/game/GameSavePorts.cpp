#include "game/GameSavePorts.h"

#include <algorithm>
#include <cstring>

#include "game/GameApplication.h"
#include "game/GameSaveState.h"
#include "frame/TgsFrame.h"
#include "scene/CanvasDrawObject.h"
#include "scene/SpriteCanvas.h"
#include "natives/DisplayObjectArguments.h"
#include "natives/ProcessObjects.h"
#include "raster/LibraryImageOps.h"
#include "raster/Surface.h"
#include "resource/Paths.h"

namespace orrivel {

namespace {

using L = SaveFileLayout;

// RenderInto's filter: drawables whose tag differs from -1.
constexpr uint8_t kThumbnailFilterMode = 2;
constexpr uint32_t kThumbnailLeftOutTag = 0xFFFFFFFFu;
// The stretched draw copies the averaged texels. The composed screen is
// opaque, but its alpha bytes are whatever the drawables left there (0
// over most of a page with its message window), so blending by them would
// black out most of the picture.
constexpr int32_t kThumbnailDrawMode = 0;

// Copies a 32-bit 132 x 74 surface into the save's B, G, R thumbnail rows.
bool CopyThumbnailRows(Surface& source, SaveFileInfo& info) {
  for (uint32_t y = 0; y < L::kThumbHeight; ++y) {
    const uint8_t* row = source.GetScanLine(int32_t(y));
    if (row == nullptr) return false;
    uint8_t* out = info.thumbnail.data() + size_t(y) * L::kThumbRowBytes;
    for (uint32_t x = 0; x < L::kThumbWidth; ++x) std::memcpy(out + 3 * x, row + 4 * x, 3);
  }
  return true;
}

// The screen object whose sprites the thumbnail shows: the open frame's
// canvas, else the one the scripts named for saves, else the canvas the
// display presents. Null with *named set when the scripts named an object
// that has no canvas.
CanvasDrawObject* ThumbnailScreenObject(GameApplication& app, bool* named) {
  *named = false;
  if (app.scripts) {
    if (TgsFrame* frame = app.scripts->TextFrameSlot().frame.get()) return frame->CanvasObject();
    if (const uint32_t source = app.scripts->SaveSetup().thumbnailSource) {
      *named = true;
      return GetCanvasPart(source);
    }
  }
  DisplayScreenDevice* display = app.Display();
  return display ? dynamic_cast<CanvasDrawObject*>(display->GetScreenImage()) : nullptr;
}

// The screen object's sprites composed at the screen's size and drawn
// averaged into the thumbnail. Drawables tagged -1 are left out, and the
// overlay list (dialogs, cursors) too unless settings byte 183 is zero.
int32_t ComposeScreenThumbnail(SpriteCanvas& canvas, bool withOverlay, SaveFileInfo& info) {
  Surface thumbnail;
  if (thumbnail.Create(L::kThumbWidth, L::kThumbHeight, 32, 0) != 0) return 2;
  Surface* target = canvas.GetTarget();
  if (target == nullptr) return 3;
  Surface screen;
  if (screen.Create(target->GetWidth(), target->GetHeight(), 32, 0) != 0) return 3;
  if (canvas.RenderInto(&screen, kThumbnailFilterMode, kThumbnailLeftOutTag, withOverlay ? 1 : 0) != 0) return 3;
  if (StretchDrawImageOp(&thumbnail, &screen, 0, 0, screen.GetWidth(), screen.GetHeight(), 0, 0, L::kThumbWidth,
                         L::kThumbHeight, kThumbnailDrawMode, 0, 255) != 0)
    return 3;
  return CopyThumbnailRows(thumbnail, info) ? 0 : 3;
}

int32_t DrawScreenThumbnail(GameApplication& app, SaveFileInfo& info) {
  bool named = false;
  CanvasDrawObject* screen = ThumbnailScreenObject(app, &named);
  SpriteCanvas* canvas = screen ? screen->GetCanvas() : nullptr;
  if (canvas == nullptr) {
    // A named object without sprites refuses the save; with no screen
    // object at all (a game that has shown nothing yet) the thumbnail
    // stays black rather than the save being refused.
    return named ? 1 : 0;
  }
  const bool withOverlay = app.settings.blocks.appConfig[GameSaveService::kThumbnailWithoutOverlay] == 0;
  return ComposeScreenThumbnail(*canvas, withOverlay, info);
}

// The picture the scripts named for the save, loaded as "SYS_" and its file
// name, as the thumbnail: its top-left 132 x 74 pixels, or the whole of a
// smaller picture stretched over the thumbnail. False when no picture is
// named or it does not load (the screen is used then).
bool DrawPictureThumbnail(const std::string& name, SaveFileInfo& info) {
  const std::string file = SplitPathName(name, false);
  if (file.empty()) return false;
  Surface picture;
  if (picture.LoadImage(("SYS_" + file).c_str(), nullptr, 0, 0) != 0 || picture.GetBitsPerPixel() != 32) return false;
  const int32_t width = picture.GetWidth(), height = picture.GetHeight();
  Surface* source = &picture;
  Surface stretched;
  if (width < int32_t(L::kThumbWidth) || height < int32_t(L::kThumbHeight)) {
    if (stretched.Create(L::kThumbWidth, L::kThumbHeight, 32, 0) != 0 ||
        StretchDrawImageOp(&stretched, &picture, 0, 0, width, height, 0, 0, L::kThumbWidth, L::kThumbHeight) != 0)
      return false;
    source = &stretched;
  }
  return CopyThumbnailRows(*source, info);
}

// A save's thumbnail into a script's 32-bit image, row by row at the
// image's own pitch; false when the image has no pixel memory to take it.
bool ShowThumbnail(uint32_t handle, const SaveFileInfo& info) {
  Surface* surface = GetObjectSurface(handle);
  if (surface == nullptr || surface->GetBits() == nullptr || surface->GetBitsPerPixel() != 32) return false;
  const uint32_t rows = std::min<uint32_t>(L::kThumbHeight, uint32_t(std::max(surface->GetHeight(), 0)));
  const uint32_t columns = std::min<uint32_t>(L::kThumbWidth, uint32_t(std::max(surface->GetWidth(), 0)));
  for (uint32_t y = 0; y < rows; ++y) {
    uint8_t* row = surface->GetScanLine(int32_t(y));
    if (row == nullptr) return false;
    const uint8_t* in = info.thumbnail.data() + size_t(y) * L::kThumbRowBytes;
    for (uint32_t x = 0; x < columns; ++x) std::memcpy(row + 4 * x, in + 3 * x, 3);
  }
  Rect whole;
  surface->MarkDirty(*surface->GetBounds(&whole));
  return true;
}

}  // namespace

std::unique_ptr<GameSaveService> MakeGameSaveService(GameApplication& app) {
  SaveServicePorts ports;
  if (const char* folder = app.GetSaveFolder()) ports.folder = folder;
  ports.settings = app.settings.blocks.appConfig;
  auto service = std::make_unique<GameSaveService>(ports);
  GameSaveService* saves = service.get();
  SaveServicePorts& p = saves->Ports();
  p.buildState = [&app, saves](std::vector<uint8_t>& blob, bool full) -> int32_t {
    if (!app.scripts) return 1;
    const bool withText = full && app.settings.blocks.appConfig[GameSaveService::kSaveHistory] != 0;
    return BuildGameSaveState(*app.scripts, withText, saves->Snapshot(), blob);
  };
  p.restoreState = [&app, saves](std::span<const uint8_t> blob) -> int32_t {
    if (!app.scripts) return 1;
    std::optional<std::vector<uint8_t>> snapshot;
    const int32_t code = RestoreGameSaveState(*app.scripts, blob, snapshot);
    if (code == 0) saves->SetSnapshot(std::move(snapshot));
    return code;
  };
  p.checkState = [&app](std::span<const uint8_t> blob) -> int32_t {
    if (!app.scripts) return 1;
    return CheckGameSaveState(*app.scripts, blob);
  };
  // The frame's caption while a frame is open, else what the scripts gave.
  auto scriptText = [&app](uint32_t address) {
    std::string text;
    if (app.scripts && address) app.scripts->Space().ReadString(address, text, 4096);
    return text;
  };
  p.title = [&app, scriptText]() -> std::string {
    if (!app.scripts) return {};
    if (TgsFrame* frame = app.scripts->TextFrameSlot().frame.get()) return frame->SaveCaption();
    return scriptText(app.scripts->SaveSetup().captionText);
  };
  // The frame's page while a frame is open, else the text the scripts gave.
  p.commentText = [&app, scriptText]() -> std::optional<std::string> {
    if (!app.scripts) return std::nullopt;
    if (TgsFrame* frame = app.scripts->TextFrameSlot().frame.get()) {
      std::string page;
      if (frame->GetCommentText(page) != 0) return std::nullopt;
      return page;
    }
    if (app.scripts->SaveSetup().messageText == 0) return std::nullopt;
    return scriptText(app.scripts->SaveSetup().messageText);
  };
  p.drawThumbnail = [&app, scriptText](SaveFileInfo& info) {
    if (app.scripts && DrawPictureThumbnail(scriptText(app.scripts->SaveSetup().thumbnailPicture), info)) return 0;
    return DrawScreenThumbnail(app, info);
  };
  p.showThumbnail = ShowThumbnail;
  p.currentFileName = []() -> std::string {
    ProcessObjects* objects = GetProcessObjects();
    return objects ? objects->SaveFileName() : std::string();
  };
  return service;
}

}  // namespace orrivel
