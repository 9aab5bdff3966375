#pragma once
// The script's side of the GUI: creates every kind of control on request,
// owns all of them in creation order, decides into which sprite list of the
// bound canvas new controls go, hands them the creation defaults (colours,
// the current group), and deletes them singly, by group or all at once. It
// also owns the one IME mode indicator that the text entries share.
//
// Scripts never see a control's address: every control the factory makes
// gets a 32-bit generation-tagged handle, and a stale or forged handle
// reaches nothing. Adding the new controls to a ControlHost is the
// caller's business.
//
// Main thread only.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>

#include "base/HandleTable.h"
#include "base/WeakLink.h"
#include "scene/ColorBoxControl.h"
#include "scene/ItemMenuControl.h"
#include "scene/SpriteCanvas.h"
#include "scene/TextBufferControl.h"
#include "text/Font.h"

namespace orrivel {

class ButtonControl;
class CheckButtonBase;
class CheckButtonControl;
class Control;
class Font;
class HotSpotControl;
class ImeContext;
class ImeModeIndicator;
class ScrollBar;
class SpriteList;
class Surface;
class TextEntryControl;
class TextListControl;
class TextPanelControl;
class TimerList;
class WindowControl;

// The creation values of a drawn scroll bar.
struct DrawnScrollBarArgs {
  int32_t x = 0, y = 0;
  bool vertical = true;
  int32_t thickness = 16;
  uint32_t thumbColour = 0, trackColour = 0, hoverColour = 0, pressedColour = 0, arrowColour = 0;
};

// The creation values of a scroll bar made of pictures.
struct ImageScrollBarArgs {
  int32_t x = 0, y = 0, trackOriginX = 0, trackOriginY = 0;
  const char* thumbImage = nullptr;
  int32_t thumbStartCap = 0, thumbEndCap = 0;
  const char* barImage = nullptr;
  int32_t trackStartCap = 0, trackEndCap = 0;
  const char* backArrowImage = nullptr;
  const char* forwardArrowImage = nullptr;
  bool hasDisabledCell = false, vertical = true;
  uint8_t blend = 0, drawFlags = 255;
  int32_t keyX = -1, keyY = -1;
};

// The creation values of a text panel.
struct TextPanelArgs {
  Font* font = nullptr;
  int32_t height = 0, width = 0, x = 0, y = 0;
  const char* thumbImage = nullptr;
  int32_t thumbStartCap = 0, thumbEndCap = 0, barLength = 0, barX = 0, barY = 0;
  uint8_t barBlend = 0;
  const char* iconFile = nullptr;
  int32_t lineSpacing = 0;
};

// The creation values of a text list.
struct TextListArgs {
  int32_t x = 0, y = 0, lineWidth = 0, lineHeight = 0, lineSpacing = 0;
  Font* font = nullptr;
  uint32_t spriteFlags = 0;
};

class ControlFactory {
 public:
  // Results beside the controls' own codes.
  static constexpr int32_t kOutOfMemory = -2;

  ControlFactory();
  // Deletes every control, then the IME indicator.
  ~ControlFactory();
  ControlFactory(const ControlFactory&) = delete;
  ControlFactory& operator=(const ControlFactory&) = delete;

  // The canvas whose main and overlay lists take the new controls (null:
  // none).
  // The factory only links to it: once the canvas goes, new controls go
  // nowhere until another is set.
  void SetCanvas(SpriteCanvas* canvas);
  SpriteCanvas* GetCanvas() const { return canvas_.Get(); }
  SpriteList* MainList() const;
  SpriteList* OverlayList() const;

  // --- creation: 0 (*out set), -2 out of memory, else the control's code ----
  int32_t CreateTextButton(ButtonControl** out, int32_t x, int32_t y, int32_t width, int32_t height,
                           bool hasDisabled, const char* text, Font* font, int32_t order);
  int32_t CreateImageButton(ButtonControl** out, int32_t x, int32_t y, const char* name, bool hasDisabled,
                            bool hasPressed, uint8_t blend, uint8_t drawFlags, int32_t keyX, int32_t keyY,
                            int32_t order);
  int32_t CreateSurfaceButton(ButtonControl** out, int32_t x, int32_t y, Surface* surface, bool hasDisabled,
                              bool hasPressed, uint8_t blend, uint8_t drawFlags, int32_t order);
  // A leader (a check button of this factory, or null) takes the new
  // button into its group; any other control as leader gives 1.
  int32_t CreateImageCheckButton(CheckButtonControl** out, int32_t x, int32_t y, const char* name, uint8_t style,
                                 bool hasDisabledCells, Control* leader, uint8_t blend, uint8_t drawFlags,
                                 int32_t keyX, int32_t keyY, int32_t order);
  int32_t CreateSurfaceCheckButton(CheckButtonControl** out, int32_t x, int32_t y, Surface* surface,
                                   uint8_t style, bool hasDisabledCells, Control* leader, uint8_t blend,
                                   uint8_t drawFlags, int32_t order);
  int32_t CreateColorBox(ColorBoxControl** out, int32_t x, int32_t y, int32_t width, int32_t height,
                         uint32_t normal, uint32_t hover, uint32_t pressed, int32_t order);
  int32_t CreateTextEntry(TextEntryControl** out, int32_t x, int32_t y, Font* font, int32_t length, int32_t inset,
                          bool border, int32_t order);
  int32_t CreateTextEntryAlt(TextEntryControl** out, int32_t x, int32_t y, Font* font, int32_t lines,
                             int32_t length, int32_t inset, int32_t lineGap, bool border, int32_t order);
  int32_t CreateDrawnScrollBar(ScrollBar** out, const DrawnScrollBarArgs& args, int32_t order);
  int32_t CreateImageScrollBar(ScrollBar** out, const ImageScrollBarArgs& args, int32_t order);
  // Any non-zero background value is set before the creation.
  int32_t CreateWindow(WindowControl** out, int32_t x, int32_t y, int32_t width, int32_t height,
                       uint8_t backgroundMode, uint32_t backgroundRgb, uint8_t backgroundAlpha, Font* font,
                       Font* rubyFont, int32_t order);
  // As CreateWindow, for a window of a derived class that make allocates
  // (null: out of memory).
  using WindowMaker = std::function<std::unique_ptr<WindowControl>()>;
  int32_t CreateWindowOf(WindowControl** out, const WindowMaker& make, int32_t x, int32_t y, int32_t width,
                         int32_t height, uint8_t backgroundMode, uint32_t backgroundRgb, uint8_t backgroundAlpha,
                         Font* font, Font* rubyFont, int32_t order);
  int32_t CreateTextList(TextListControl** out, const TextListArgs& args, int32_t order);
  int32_t CreateHotSpot(HotSpotControl** out, int32_t x, int32_t y, int32_t width, int32_t height,
                        int32_t centreX, int32_t centreY, uint8_t hitEnabled, uint8_t activationEnabled,
                        uint32_t value);
  int32_t CreateTextPanel(TextPanelControl** out, const TextPanelArgs& args, int32_t order);
  int32_t CreateItemMenu(ItemMenuControl** out, const char* mapName, uint8_t count, int32_t x, int32_t y,
                         uint8_t activationEnabled);

  // --- deletion -----------------------------------------------------------------
  // Hears of each control the factory is about to delete, by whatever
  // path, while the control is still whole (null: nobody).
  class DeletionListener {
   public:
    virtual void ControlDeleting(Control& control) = 0;

   protected:
    ~DeletionListener() = default;
  };
  void SetDeletionListener(DeletionListener* listener) { deletionListener_ = listener; }

  // 1 null; 2 not made by this factory (or already gone); 0.
  int32_t Delete(Control* control);
  // allBut 0: every control of the group; else every control of another
  // group. Creation order is kept.
  void DeleteByGroup(int32_t group, bool allBut);
  void DeleteAll();
  size_t Count() const { return entries_.size(); }
  // Creation order.
  std::list<Control*> Controls() const;

  // --- handles --------------------------------------------------------------------
  // The control's handle (0 when not made here).
  uint32_t HandleOf(const Control* control) const;
  // The control, or null for 0, a stale or a forged handle.
  Control* FromHandle(uint32_t handle) const { return handles_.Get(handle); }
  // As Delete, through a handle: 2 for a handle that reaches nothing.
  int32_t DeleteByHandle(uint32_t handle);

  // --- the IME indicator ------------------------------------------------------------
  // 1 without a main list. The same font as the one shown only moves it to
  // (x, y); else a new one is made and every text entry shows it.
  int32_t CreateImeIndicator(Font* font, int32_t x, int32_t y);
  // Every text entry forgets it, then it goes.
  void DestroyImeIndicator();
  ImeModeIndicator* GetImeIndicator() const { return imeIndicator_.get(); }

  // --- defaults the script sets between creations ---------------------------------
  TimerList* textEntryTimers = nullptr;  // blinks the text entries' carets
  ImeContext* imeContext = nullptr;      // for the text entries and the indicator
  int32_t currentGroup = 0;
  bool useOverlay = false;
  uint32_t buttonFace = 0x00D4D0C8;
  uint32_t buttonHighlight = 0x400080FF;
  uint32_t textEntryTextColour = 0x000000FF;
  uint32_t textEntryFillColour = 0xC0C0DCC0;
  uint32_t textEntryImeOnFocus = 0;
  uint8_t textEntryReadOnly = 0;
  int32_t textEntrySize = 0, textEntryCompositionColour = -1, textEntryCompositionBackColour = -1;
  uint8_t scrollPageBackAction = 0, scrollPageForwardAction = 0, scrollClickMode = 0;
  uint32_t scrollKeyStep = 0;
  uint32_t panelBackColour = 0xC0C0DCC0, panelHoverColour = 0xFFFF9CBF, panelSelectColour = 0xC00B2BD7;
  uint32_t panelDefaultState = 1;

  // The next `count` control allocations fail, as when memory runs out.
  void FailNextAllocationsForTest(uint32_t count) { failAllocations_ = count; }

 private:
  struct Entry {
    std::unique_ptr<Control> control;
    uint32_t handle = 0;
  };

  // The list new sprite-backed controls go into.
  SpriteList* ChosenList() const { return useOverlay ? OverlayList() : MainList(); }
  template <class T>
  std::unique_ptr<T> Allocate();
  // Lists the created control under a new handle; false when no handle is
  // left.
  bool Adopt(std::unique_ptr<Control> control);
  std::list<Entry>::iterator Find(const Control* control);
  void Destroy(std::list<Entry>::iterator it);
  void ApplyTextEntryDefaults(TextBufferControl* entry) const;
  void ApplyScrollSettings(ScrollBar* bar) const;
  void FinishTextEntry(TextEntryControl* entry);
  // The check button of this factory that leads a group, or null; false
  // for a leader that is not one.
  bool LeaderOf(Control* leader, CheckButtonBase** out);
  // The one procedure of every creation: allocate (-2), run the defaults
  // and the creation (a failure deletes the control and passes its code
  // on), list it under a handle, run what follows a creation, set *out.
  template <class T, class Make, class After>
  int32_t Build(T** out, Make make, After after);
  template <class T, class Make, class After>
  int32_t BuildFrom(T** out, std::unique_ptr<T> control, Make make, After after);

  std::list<Entry> entries_;
  HandleTable<Control> handles_;
  WeakLink<SpriteCanvas> canvas_;
  std::unique_ptr<ImeModeIndicator> imeIndicator_;
  WeakLink<Font> imeIndicatorFont_;
  WeakLink<SpriteCanvas> imeIndicatorCanvas_;

  uint32_t failAllocations_ = 0;
  DeletionListener* deletionListener_ = nullptr;
};

// Points the factory at a canvas and a control group for the controls made
// while it lives, over the canvas's overlay list when it has one, and puts
// back the canvas, group and list choice it found.
class ControlFactoryScope {
 public:
  ControlFactoryScope(ControlFactory& factory, SpriteCanvas* canvas, int32_t group)
      : factory_(factory),
        canvas_(factory.GetCanvas()),
        group_(factory.currentGroup),
        useOverlay_(factory.useOverlay) {
    factory.SetCanvas(canvas);
    factory.currentGroup = group;
    factory.useOverlay = factory.OverlayList() != nullptr;
  }
  ~ControlFactoryScope() {
    factory_.currentGroup = group_;
    factory_.useOverlay = useOverlay_;
    factory_.SetCanvas(canvas_.Get());
  }
  ControlFactoryScope(const ControlFactoryScope&) = delete;
  ControlFactoryScope& operator=(const ControlFactoryScope&) = delete;

 private:
  ControlFactory& factory_;
  // A canvas deleted while the scope lives is not put back.
  const WeakLink<SpriteCanvas> canvas_;
  const int32_t group_;
  const bool useOverlay_;
};

}  // namespace orrivel
