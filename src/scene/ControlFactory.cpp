#include "scene/ControlFactory.h"

#include <new>
#include <utility>

#include "scene/ButtonControl.h"
#include "scene/CheckButtonControl.h"
#include "scene/HotSpotControl.h"
#include "scene/ImeModeIndicator.h"
#include "scene/ScrollBar.h"
#include "scene/SpriteCanvas.h"
#include "scene/TextEntryControl.h"
#include "scene/TextListControl.h"
#include "scene/TextPanelControl.h"
#include "scene/WindowControl.h"

namespace orrivel {

namespace {

void NoFollowUp(Control*) {}

}  // namespace

ControlFactory::ControlFactory() {
  // The indicator's sprite lies in a list of the canvas it was made on:
  // it goes with that canvas (the lists still stand when its links break).
  imeIndicatorCanvas_.SetOnBroken([this] { DestroyImeIndicator(); });
}

ControlFactory::~ControlFactory() {
  DeleteAll();
  DestroyImeIndicator();
}

void ControlFactory::SetCanvas(SpriteCanvas* canvas) { canvas_ = canvas; }

SpriteList* ControlFactory::MainList() const { return canvas_ ? &canvas_->MainList() : nullptr; }

SpriteList* ControlFactory::OverlayList() const { return canvas_ ? canvas_->OverlayList() : nullptr; }

template <class T>
std::unique_ptr<T> ControlFactory::Allocate() {
  if (failAllocations_ > 0) {
    --failAllocations_;
    return nullptr;
  }
  return std::unique_ptr<T>(new (std::nothrow) T());
}

bool ControlFactory::Adopt(std::unique_ptr<Control> control) {
  const uint32_t handle = handles_.Insert(control.get());
  if (handle == 0) return false;
  try {
    entries_.push_back(Entry{std::move(control), handle});
  } catch (const std::bad_alloc&) {
    handles_.Remove(handle);
    return false;
  }
  return true;
}

template <class T, class Make, class After>
int32_t ControlFactory::Build(T** out, Make make, After after) {
  if (out == nullptr) return 1;
  return BuildFrom(out, Allocate<T>(), make, after);
}

template <class T, class Make, class After>
int32_t ControlFactory::BuildFrom(T** out, std::unique_ptr<T> control, Make make, After after) {
  if (out == nullptr) return 1;
  *out = nullptr;
  if (!control) return kOutOfMemory;
  const int32_t result = make(*control);
  if (result != 0) return result;  // the control goes with its unique_ptr
  T* made = control.get();
  if (!Adopt(std::move(control))) return kOutOfMemory;
  after(made);
  *out = made;
  return 0;
}

// --- buttons ------------------------------------------------------------------------------

int32_t ControlFactory::CreateTextButton(ButtonControl** out, int32_t x, int32_t y, int32_t width, int32_t height,
                                         bool hasDisabled, const char* text, Font* font, int32_t order) {
  return Build(
      out,
      [&](ButtonControl& b) {
        b.SetFaceColor(buttonFace);
        b.SetHighlightColor(buttonHighlight);
        return b.CreateWithText(ChosenList(), order, text, font, x, y, width, height, hasDisabled, currentGroup);
      },
      NoFollowUp);
}

int32_t ControlFactory::CreateImageButton(ButtonControl** out, int32_t x, int32_t y, const char* name,
                                          bool hasDisabled, bool hasPressed, uint8_t blend, uint8_t drawFlags,
                                          int32_t keyX, int32_t keyY, int32_t order) {
  return Build(
      out,
      [&](ButtonControl& b) {
        b.SetFaceColor(buttonFace);
        b.SetHighlightColor(buttonHighlight);
        return b.CreateFromImage(ChosenList(), order, name, hasDisabled, hasPressed, x, y, blend, drawFlags, keyX,
                                 keyY, currentGroup);
      },
      NoFollowUp);
}

int32_t ControlFactory::CreateSurfaceButton(ButtonControl** out, int32_t x, int32_t y, Surface* surface,
                                            bool hasDisabled, bool hasPressed, uint8_t blend, uint8_t drawFlags,
                                            int32_t order) {
  return Build(
      out,
      [&](ButtonControl& b) {
        b.SetFaceColor(buttonFace);
        b.SetHighlightColor(buttonHighlight);
        return b.CreateFromSurface(ChosenList(), order, surface, hasDisabled, hasPressed, x, y, blend, drawFlags,
                                   currentGroup);
      },
      NoFollowUp);
}

// --- check buttons and colour boxes -----------------------------------------------------------

bool ControlFactory::LeaderOf(Control* leader, CheckButtonBase** out) {
  *out = nullptr;
  if (leader == nullptr) return true;
  if (Find(leader) == entries_.end() || leader->GetKind() != kControlCheckButton) return false;
  *out = static_cast<CheckButtonBase*>(leader);
  return true;
}

int32_t ControlFactory::CreateImageCheckButton(CheckButtonControl** out, int32_t x, int32_t y, const char* name,
                                               uint8_t style, bool hasDisabledCells, Control* leader,
                                               uint8_t blend, uint8_t drawFlags, int32_t keyX, int32_t keyY,
                                               int32_t order) {
  CheckButtonBase* groupLeader = nullptr;
  if (!LeaderOf(leader, &groupLeader)) return 1;
  return Build(
      out,
      [&](CheckButtonControl& b) {
        return b.CreateFromImage(ChosenList(), order, name, style, hasDisabledCells, x, y, blend, drawFlags, keyX,
                                 keyY, currentGroup);
      },
      [&](CheckButtonControl* b) {
        if (groupLeader != nullptr) groupLeader->AddToGroup(b);
      });
}

int32_t ControlFactory::CreateSurfaceCheckButton(CheckButtonControl** out, int32_t x, int32_t y, Surface* surface,
                                                 uint8_t style, bool hasDisabledCells, Control* leader,
                                                 uint8_t blend, uint8_t drawFlags, int32_t order) {
  CheckButtonBase* groupLeader = nullptr;
  if (!LeaderOf(leader, &groupLeader)) return 1;
  return Build(
      out,
      [&](CheckButtonControl& b) {
        return b.CreateFromSurface(ChosenList(), order, surface, style, hasDisabledCells, x, y, blend, drawFlags,
                                   currentGroup);
      },
      [&](CheckButtonControl* b) {
        if (groupLeader != nullptr) groupLeader->AddToGroup(b);
      });
}

int32_t ControlFactory::CreateColorBox(ColorBoxControl** out, int32_t x, int32_t y, int32_t width, int32_t height,
                                       uint32_t normal, uint32_t hover, uint32_t pressed, int32_t order) {
  return Build(
      out,
      [&](ColorBoxControl& b) {
        return b.Create(ChosenList(), order, x, y, width, height, normal, hover, pressed, currentGroup);
      },
      NoFollowUp);
}

// --- text entries -------------------------------------------------------------------------------

void ControlFactory::ApplyTextEntryDefaults(TextBufferControl* entry) const {
  entry->SetTextColour(textEntryTextColour);
  entry->SetFillColour(textEntryFillColour);
  entry->SetImeOnFocus(textEntryImeOnFocus != 0);
  entry->SetStyle(textEntrySize, textEntryCompositionColour, textEntryCompositionBackColour);
  entry->SetImeContext(imeContext);
}

void ControlFactory::FinishTextEntry(TextEntryControl* entry) {
  entry->SetReadOnly(textEntryReadOnly != 0);
  if (imeIndicator_) entry->SetImeIndicator(imeIndicator_.get());
}

int32_t ControlFactory::CreateTextEntry(TextEntryControl** out, int32_t x, int32_t y, Font* font, int32_t length,
                                        int32_t inset, bool border, int32_t order) {
  return Build(
      out,
      [&](TextEntryControl& e) {
        ApplyTextEntryDefaults(&e);
        return e.Create(ChosenList(), order, x, y, font, length, inset, border, textEntryTimers, currentGroup);
      },
      [&](TextEntryControl* e) { FinishTextEntry(e); });
}

int32_t ControlFactory::CreateTextEntryAlt(TextEntryControl** out, int32_t x, int32_t y, Font* font, int32_t lines,
                                           int32_t length, int32_t inset, int32_t lineGap, bool border,
                                           int32_t order) {
  return Build(
      out,
      [&](TextEntryControl& e) {
        ApplyTextEntryDefaults(&e);
        return e.CreateAlt(ChosenList(), order, x, y, font, lines, length, inset, lineGap, border, textEntryTimers,
                           currentGroup);
      },
      [&](TextEntryControl* e) { FinishTextEntry(e); });
}

// --- scroll bars, windows, lists and panels ---------------------------------------------------

void ControlFactory::ApplyScrollSettings(ScrollBar* bar) const {
  bar->SetPageActions(scrollPageBackAction, scrollPageForwardAction);
  bar->SetClickMode(scrollClickMode);
  bar->SetKeyStep(int32_t(scrollKeyStep));
}

int32_t ControlFactory::CreateDrawnScrollBar(ScrollBar** out, const DrawnScrollBarArgs& a, int32_t order) {
  return Build(
      out,
      [&](ScrollBar& bar) {
        return bar.CreateDrawn(ChosenList(), order, a.x, a.y, a.vertical, a.thickness, a.thumbColour, a.trackColour,
                               a.hoverColour, a.pressedColour, a.arrowColour, currentGroup);
      },
      [this](ScrollBar* bar) { ApplyScrollSettings(bar); });
}

int32_t ControlFactory::CreateImageScrollBar(ScrollBar** out, const ImageScrollBarArgs& a, int32_t order) {
  return Build(
      out,
      [&](ScrollBar& bar) {
        return bar.Create(ChosenList(), order, a.x, a.y, a.trackOriginX, a.trackOriginY, a.thumbImage,
                          a.thumbStartCap, a.thumbEndCap, a.barImage, a.trackStartCap, a.trackEndCap,
                          a.backArrowImage, a.forwardArrowImage, a.hasDisabledCell, a.vertical, a.blend,
                          a.drawFlags, a.keyX, a.keyY, currentGroup);
      },
      [this](ScrollBar* bar) { ApplyScrollSettings(bar); });
}

int32_t ControlFactory::CreateWindow(WindowControl** out, int32_t x, int32_t y, int32_t width, int32_t height,
                                     uint8_t backgroundMode, uint32_t backgroundRgb, uint8_t backgroundAlpha,
                                     Font* font, Font* rubyFont, int32_t order) {
  return CreateWindowOf(
      out, [] { return std::unique_ptr<WindowControl>(new (std::nothrow) WindowControl()); }, x, y, width, height, backgroundMode, backgroundRgb,
      backgroundAlpha, font, rubyFont, order);
}

int32_t ControlFactory::CreateWindowOf(WindowControl** out, const WindowMaker& make, int32_t x, int32_t y,
                                       int32_t width, int32_t height, uint8_t backgroundMode, uint32_t backgroundRgb,
                                       uint8_t backgroundAlpha, Font* font, Font* rubyFont, int32_t order) {
  if (out == nullptr) return 1;
  std::unique_ptr<WindowControl> window;
  if (failAllocations_ > 0) {
    --failAllocations_;
  } else {
    window = make();
  }
  return BuildFrom(
      out, std::move(window),
      [&](WindowControl& w) {
        const int32_t code = w.Create(ChosenList(), order, width, height, x, y, font, rubyFont, currentGroup);
        // The background needs the window's surface: set before it, it
        // would be refused and lost.
        if (code == 0 && (backgroundMode != 0 || backgroundRgb != 0 || backgroundAlpha != 0))
          w.SetBackground(backgroundMode, backgroundRgb, backgroundAlpha);
        return code;
      },
      NoFollowUp);
}

int32_t ControlFactory::CreateTextList(TextListControl** out, const TextListArgs& a, int32_t order) {
  return Build(
      out,
      [&](TextListControl& list) {
        // Configure takes no group; the list is in the current one.
        list.SetGroup(currentGroup);
        return list.Configure(ChosenList(), order, a.x, a.y, a.lineWidth, a.lineHeight, a.lineSpacing, a.font,
                              a.spriteFlags);
      },
      NoFollowUp);
}

int32_t ControlFactory::CreateTextPanel(TextPanelControl** out, const TextPanelArgs& a, int32_t order) {
  return Build(
      out,
      [&](TextPanelControl& p) {
        p.backColour = panelBackColour;
        p.hoverColour = panelHoverColour;
        p.selectColour = panelSelectColour;
        p.defaultState = uint8_t(panelDefaultState);
        return p.Create(ChosenList(), order, a.font, a.height, a.width, a.x, a.y, a.thumbImage, a.thumbStartCap,
                        a.thumbEndCap, a.barLength, a.barX, a.barY, a.barBlend, a.iconFile, a.lineSpacing,
                        currentGroup);
      },
      [this](TextPanelControl* p) {
        p->pageUpAction = scrollPageBackAction;
        p->pageDownAction = scrollPageForwardAction;
        ApplyScrollSettings(&p->Bar());
      });
}

// --- hot spots and item menus (no sprite list) -------------------------------------------------

int32_t ControlFactory::CreateHotSpot(HotSpotControl** out, int32_t x, int32_t y, int32_t width, int32_t height,
                                      int32_t centreX, int32_t centreY, uint8_t hitEnabled,
                                      uint8_t activationEnabled, uint32_t value) {
  return Build(
      out,
      [&](HotSpotControl& h) {
        return h.Create(x, y, width, height, centreX, centreY, hitEnabled, activationEnabled, value, currentGroup);
      },
      NoFollowUp);
}

int32_t ControlFactory::CreateItemMenu(ItemMenuControl** out, const char* mapName, uint8_t count, int32_t x,
                                       int32_t y, uint8_t activationEnabled) {
  return Build(
      out, [&](ItemMenuControl& m) { return m.Create(mapName, count, x, y, activationEnabled, currentGroup); },
      NoFollowUp);
}

// --- deletion and handles ----------------------------------------------------------------------

std::list<ControlFactory::Entry>::iterator ControlFactory::Find(const Control* control) {
  for (auto it = entries_.begin(); it != entries_.end(); ++it)
    if (it->control.get() == control) return it;
  return entries_.end();
}

void ControlFactory::Destroy(std::list<Entry>::iterator it) {
  handles_.Remove(it->handle);
  // Unlisted first, so that whatever the control's destructor reaches no
  // longer finds it here.
  std::unique_ptr<Control> control = std::move(it->control);
  entries_.erase(it);
  if (deletionListener_ != nullptr) deletionListener_->ControlDeleting(*control);
  control.reset();
}

int32_t ControlFactory::Delete(Control* control) {
  if (control == nullptr) return 1;
  const auto it = Find(control);
  if (it == entries_.end()) return 2;
  Destroy(it);
  return 0;
}

int32_t ControlFactory::DeleteByHandle(uint32_t handle) {
  Control* control = handles_.Get(handle);
  return control != nullptr ? Delete(control) : 2;
}

void ControlFactory::DeleteByGroup(int32_t group, bool allBut) {
  for (auto it = entries_.begin(); it != entries_.end();) {
    const auto next = std::next(it);
    if ((it->control->GetGroup() == group) != allBut) Destroy(it);
    it = next;
  }
}

void ControlFactory::DeleteAll() {
  while (!entries_.empty()) Destroy(std::prev(entries_.end()));
}

std::list<Control*> ControlFactory::Controls() const {
  std::list<Control*> controls;
  for (const Entry& entry : entries_) controls.push_back(entry.control.get());
  return controls;
}

uint32_t ControlFactory::HandleOf(const Control* control) const {
  for (const Entry& entry : entries_)
    if (entry.control.get() == control) return entry.handle;
  return 0;
}

// --- the IME indicator -----------------------------------------------------------------------

int32_t ControlFactory::CreateImeIndicator(Font* font, int32_t x, int32_t y) {
  if (MainList() == nullptr) return 1;
  // An indicator whose list went with its canvas is made again.
  if (imeIndicator_ && imeIndicator_->List() != nullptr && font != nullptr && font == imeIndicatorFont_) {
    imeIndicator_->SetPosition(x, y);
    return 0;
  }
  DestroyImeIndicator();
  std::unique_ptr<ImeModeIndicator> indicator(new (std::nothrow) ImeModeIndicator());
  if (!indicator) return kOutOfMemory;
  // Its sprite's order is the current group, as for the factory's other
  // creations that take the group last.
  const int32_t result = indicator->Create(ChosenList(), imeContext, font, x, y, true, currentGroup);
  if (result != 0) return result;
  imeIndicator_ = std::move(indicator);
  imeIndicatorFont_ = font;
  imeIndicatorCanvas_ = canvas_.Get();
  for (const Entry& entry : entries_)
    if (entry.control->GetKind() == kControlTextEntry)
      static_cast<TextBufferControl*>(entry.control.get())->SetImeIndicator(imeIndicator_.get());
  return 0;
}

void ControlFactory::DestroyImeIndicator() {
  if (!imeIndicator_) return;
  for (const Entry& entry : entries_)
    if (entry.control->GetKind() == kControlTextEntry)
      static_cast<TextBufferControl*>(entry.control.get())->SetImeIndicator(nullptr);
  imeIndicator_.reset();
  imeIndicatorFont_ = nullptr;
  imeIndicatorCanvas_.Reset();
}

}  // namespace orrivel
