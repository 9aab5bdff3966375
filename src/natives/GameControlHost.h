#pragma once
// The host of the game's own controls and their bridge to the engine: the
// pointer and its cursor shapes, the screen size, the control sounds
// through the game's sound manager, commands to the main window, the action
// map and the input devices, and the typed text. One lives for the whole
// run among the process-wide objects; start-up attaches the application.
//
// Main thread only.
#include <array>
#include <cstdint>

#include "raster/Surface.h"
#include "base/WeakLink.h"
#include "scene/ControlHost.h"
#include "scene/SpriteCanvas.h"
#include "scene/ImageSprite.h"
#include "text/Font.h"

namespace orrivel {

class Application;
class ActionMap;
class Font;
class SpriteList;
class SoundManager;
class TextInputHook;

class GameControlHost : public ControlHost {
 public:
  // A cursor kind's mouse-cursor shape and the tool tip's distance below
  // the pointer. Shapes 13 and 14 are the program's own cursors.
  struct CursorKind {
    int32_t shape;
    int32_t tipOffsetY;
  };
  static constexpr int32_t kCursorKinds = 7;
  static constexpr std::array<CursorKind, kCursorKinds> kCursorTable{{
      {0, 20}, {13, 24}, {0, 20}, {5, 22}, {3, 9}, {14, 4}, {7, 22}}};
  // The program's cursor resources behind shapes 13 and 14.
  static constexpr uint32_t kCursorResourceHand = 120;
  static constexpr uint32_t kCursorResourceWait = 121;
  // Control sounds when there is no sound to play.
  static constexpr int32_t kNoSound = -2;
  // Pointer mode: keys move the hover and the pointer is parked.
  static constexpr uint8_t kPointerModePark = 2;

  GameControlHost();
  ~GameControlHost() override;

  // What the services reach; any may be null (their services then do
  // nothing). The application gives the pointer, the cursor, the screen
  // size and the input devices.
  void Attach(Application* app, ActionMap* actions, TextInputHook* textInput);
  void Detach() { Attach(nullptr, nullptr, nullptr); }
  // The attached application (null before start-up and after the end).
  Application* App() const { return app_; }
  TextInputHook* TextInput() const { return textInput_; }
  void SetSoundManager(SoundManager* sounds) { sounds_ = sounds; }

  // --- the services -----------------------------------------------------------
  void SetPointerPos(int32_t x, int32_t y) override;
  void GetPointerPos(int32_t* x, int32_t* y) override;
  // Kinds 0-6: a new kind sets the cursor shape and the tip offset and is
  // kept; the same kind changes nothing; a kind above 6 is refused.
  bool SetCursorKind(int32_t kind) override;
  int32_t GetCursorKind() override { return cursorKind_; }
  void ApplyCursorState(uint32_t state) override;
  int32_t GetScreenWidth() override;
  int32_t GetScreenHeight() override;
  // A control that gains the focus by keys shows its hover itself, and the
  // pointer goes out of the way: left resting on another control, it would
  // take the hover back on the next frame.
  uint8_t GetPointerMode() override { return kPointerModePark; }
  // The screen's far corner, still inside it.
  void ParkPointer() override;
  // The tool tip's delay starts again from the last frame's tick.
  void RestartHoverTime() override { SetHoverStartTime(frameNow_); }
  // A channel 0 or above plays; the channel's own result. kNoSound without
  // a sound manager and for the default sounds -4 to -2 (activate, hover,
  // leave) of a control without sounds of its own: the game names no
  // channels for them, so they stay silent.
  int32_t PlaySound(const char* name, int32_t code, int32_t, int32_t) override;
  void SetSelected(int32_t index) override { selected_ = index; }
  int32_t Selected() const { return selected_; }
  void PostWindowCommand(uint8_t command) override;
  ActionMap* GetActionMap() override { return actions_; }
  InputDevice* GetKeyboard() override;
  InputDevice* GetPointerDevice() override;
  void ResetInput() override;
  bool DeliverTypedText(Control* control) override;

  // --- the tool tip -------------------------------------------------------------
  // Tip colours: a pale fill, a dark blue border, and a half-dark shadow one
  // pixel right and below, whose corners stay clear.
  static constexpr uint32_t kTipFill = 0xD0FFFFE1;
  static constexpr uint32_t kTipBorder = 0xFF445F97;
  static constexpr uint32_t kTipShadow = 0x80000000;
  static constexpr uint32_t kTipClear = 0x00000000;
  static constexpr int32_t kTipMarginX = 4;
  static constexpr int32_t kTipMarginY = 2;
  static constexpr uint32_t kTipOrder = 0x7FFFFFFF;
  // The font of the tip's text and the list that shows the tip (either may
  // be null: no text, nothing shown).
  void SetTipFont(Font* font) { tipFont_ = font; }
  Font* TipFont() const { return tipFont_.Get(); }
  void SetTipList(SpriteList* list, uint32_t order);
  // Draws the tip picture for the text into the surface: the text's size
  // plus the margins, the border and the shadow. 0 done, 1 no surface.
  static int32_t BuildTipImage(Surface& surface, Font* font, const char* text);
  // Where a tip of that size goes for the pointer: below it by the cursor
  // kind's offset, moved left or up by what would leave the screen.
  static void PlaceTip(int32_t pointerX, int32_t pointerY, int32_t offsetY, int32_t width, int32_t height,
                       int32_t screenWidth, int32_t screenHeight, int32_t* x, int32_t* y);
  void ShowTooltip(const char* text, int32_t x, int32_t y) override;
  void HideTooltipBox() override;
  // The pointer moved: the tip follows it.
  void OnPointerMoved(int32_t x, int32_t y);
  bool PreUpdate(uint32_t now, bool* moved, int32_t x, int32_t y) override;
  Surface& TipSurface() { return tipSurface_; }
  ImageSprite& TipSprite() { return tipSprite_; }

  // --- what the scripts set through the control natives ----------------------
  // The canvas the scripts' controls are drawn on (null: none).
  // The tool tip shows on that canvas too, above its controls.
  void SetCanvas(SpriteCanvas* canvas);
  SpriteCanvas* Canvas() const { return canvas_.Get(); }
  // A redraw the scripts asked for: whether all, two values, and the value
  // stored beside them.
  struct RedrawRequest {
    bool pending = false;
    bool all = false;
    int32_t first = 0, second = 0;
    uint32_t value = 0;
  };
  void RequestRedraw(bool all, int32_t first, int32_t second, uint32_t value) {
    redraw_ = RedrawRequest{true, all, first, second, value};
  }
  const RedrawRequest& PendingRedraw() const { return redraw_; }
  // The last control event (an activated control's tag, -1 none), handed
  // out once.
  int32_t TakeEvent() {
    const int32_t event = selected_;
    selected_ = -1;
    return event;
  }

  int32_t TipOffsetY() const { return tipOffsetY_; }
  // The last tick the host read.
  uint32_t Now();

 private:
  Application* app_ = nullptr;
  ActionMap* actions_ = nullptr;
  TextInputHook* textInput_ = nullptr;
  SoundManager* sounds_ = nullptr;
  int32_t cursorKind_ = 0;
  int32_t tipOffsetY_ = 22;
  int32_t selected_ = -1;
  // The tick the last Update ran at, on the caller's clock.
  uint32_t frameNow_ = 0;
  Surface tipSurface_;
  ImageSprite tipSprite_;
  WeakLink<Font> tipFont_;

  WeakLink<SpriteList> tipList_;
  bool tipShown_ = false;
  // Linked only: a canvas image the scripts delete takes the tip with it
  // and leaves the host with no canvas.
  WeakLink<SpriteCanvas> canvas_;
  RedrawRequest redraw_;
};

}  // namespace orrivel
