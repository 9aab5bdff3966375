#pragma once
// A scrolling panel of text lines: one 32-bit picture shown by an
// ImageSprite, a vertical scroll bar of its own whose value counts pixels,
// one selected line, one hovered entry, an optional column of per-line
// state icons (four cells side by side: cleared, cleared hovered, set, set
// hovered), and an optional face name per line.
//
// Main thread only.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "raster/SpriteList.h"
#include "raster/Surface.h"
#include "scene/Control.h"
#include "scene/ImageSprite.h"
#include "scene/ScrollBar.h"
#include "text/Font.h"

namespace orrivel {

class Font;

// The panel kinds' common base.
class TextPanelBase : public Control {
 public:
  int32_t GetKind() const override { return kControlTextPanelA; }
  // The panel's picture and the sprite that shows it (null: none).
  virtual ImageSprite* PanelSprite() { return nullptr; }
  virtual Surface* PanelSurface() { return nullptr; }
};

class TextPanelControl : public TextPanelBase, private ScrollBarListener {
 public:
  static constexpr uint8_t kKeyHome = 199;
  static constexpr uint8_t kKeyEnd = 207;
  static constexpr uint8_t kKeySpace = 57;
  static constexpr uint32_t kDefaultBack = 0xC0C0DCC0;
  static constexpr uint32_t kDefaultHover = 0xFFFF9CBF;
  static constexpr uint32_t kDefaultSelect = 0xC00B2BD7;

  TextPanelControl();
  ~TextPanelControl() override;

  int32_t GetKind() const override { return kControlTextPanelB; }
  int32_t GetX() const override { return sprite_.GetX(); }
  int32_t GetY() const override { return sprite_.GetY(); }
  int32_t GetWidth() const override { return surface_.GetWidth(); }
  int32_t GetHeight() const override { return surface_.GetHeight(); }
  // The bar keeps its offset from the panel's top-left corner.
  void SetPosition(int32_t x, int32_t y) override;
  void SetVisible(bool show) override;
  bool IsVisible() const override { return sprite_.IsVisible(); }
  int32_t AttachToSpriteList(int32_t order, int32_t group, uint8_t option) override;
  int32_t GetOrder() const override { return order_; }
  void SetDrawFlags(uint8_t value) override;
  uint8_t IsReady() const override { return sprite_.GetOpacity(); }
  bool SetEnabled(bool enable) override;
  bool HitTest(int32_t x, int32_t y) override;
  void OnPointerMove(int32_t x, int32_t y) override;
  void OnPointerLeave() override;
  bool OnPointerButtons(int32_t x, int32_t y, InputDevice* pointer) override;
  void OnFocusGained(Control* previous, int32_t direction) override;
  void OnFocusLost(Control* next) override;
  bool Update(ActionMap* actions) override;

  // 0; 1 a null list, font or thumb picture, a width not above 0, or thumb
  // caps longer than the bar; 2 the icon picture does not load; 3 the panel
  // picture cannot be made. A negative height -n means n lines. A bar that
  // cannot be built leaves the panel without scrolling.
  int32_t Create(SpriteList* list, int32_t order, Font* font, int32_t height, int32_t width, int32_t x, int32_t y,
                 const char* thumbImage, int32_t thumbStartCap, int32_t thumbEndCap, int32_t barLength, int32_t barX,
                 int32_t barY, uint8_t barBlend, const char* iconFile, int32_t lineSpacing, int32_t group);
  // 1 null host; -1 already in a host; 0.
  int32_t Attach(ControlHost* host, int32_t index);
  // False when not attached.
  bool Detach();
  // 1 before Create; 0.
  int32_t AppendLine(const char* text, const char* face, bool refresh);
  // Lays the bar out for the lines (back to the top) and redraws.
  void Refresh();
  // 1 before Create; an index past the lines selects none; 0.
  int32_t Select(int32_t index);
  // 1 before Create, without texts or without state icons; 2 out of range.
  int32_t SetItemState(int32_t index, uint8_t state, bool redraw);
  // 0 when out of range or without state icons.
  uint8_t GetItemState(int32_t index) const;
  void Redraw();

  int32_t LineCount() const;
  int32_t GetSelected() const { return selected_; }
  // A line, or line count + i for line i's icon; -1 none.
  int32_t GetHovered() const { return hovered_; }
  int32_t EntryAt(int32_t x, int32_t y) const;
  bool HasTexts() const { return hasTexts_; }
  bool HasFaces() const { return hasFaces_; }
  int32_t StateCount() const { return int32_t(states_.size()); }
  int32_t IconWidth() const { return iconWidth_; }
  ScrollBar& Bar() { return bar_; }
  Surface& Picture() { return surface_; }
  const ImageSprite& Sprite() const { return sprite_; }
  ImageSprite* PanelSprite() override { return &sprite_; }
  Surface* PanelSurface() override { return &surface_; }

  // Set by the factory before Create.
  uint32_t backColour = kDefaultBack;
  uint32_t hoverColour = kDefaultHover;
  uint32_t selectColour = kDefaultSelect;
  uint8_t defaultState = 1;
  uint8_t pageUpAction = 0, pageDownAction = 0;

 private:
  // The panel's own bar passes a focus that keys give it on to the next
  // control in the same direction.
  class PanelBar : public ScrollBar {
   public:
    void OnFocusGained(Control* previous, int32_t direction) override;
  };

  void OnScrollValue(ScrollBar*, int32_t) override { Redraw(); }
  void ReleaseContent();
  int32_t Pitch() const { return lineHeight_ + lineSpacing_; }
  int32_t ScrollPosition() const { return std::max(bar_.GetValue(), 0); }
  void ScrollIntoView(int32_t line);
  void HoverLine(int32_t line);
  bool ActivateEntry(int32_t entry);
  void ToggleState(int32_t line);
  // The hovered line, an icon entry taken as its line.
  int32_t HoveredLine() const;

  // The canvas list the control draws in; it may go with its canvas first.
  WeakLink<SpriteList> spriteList_;
  int32_t order_ = 0;
  Surface surface_;
  ImageSprite sprite_;
  // The script's font; one deleted under the panel leaves it with none.
  WeakLink<Font> font_;

  bool hasTexts_ = false, hasFaces_ = false;
  std::vector<std::string> texts_, faces_;
  int32_t lineHeight_ = 0;
  int32_t lineSpacing_ = 0;
  int32_t selected_ = -1;
  int32_t hovered_ = -1;
  int32_t savedHover_ = -1;
  PanelBar bar_;
  int32_t barLength_ = 0;
  int32_t barOffsetX_ = 0, barOffsetY_ = 0;
  std::unique_ptr<Surface> icons_;
  // One state byte per line whichever list gives the count; only with icons.
  std::vector<uint8_t> states_;
  bool hasStates_ = false;
  int32_t iconWidth_ = 0;
  ControlHost* host_ = nullptr;
};

}  // namespace orrivel
