#include "scene/TextListControl.h"

#include <algorithm>
#include <new>

#include "raster/SpriteList.h"
#include "raster/SurfaceDrawing.h"
#include "scene/ControlHost.h"
#include "text/OutlineFont.h"

namespace orrivel {

namespace {

// The colours of a font that drawing a line changes and puts back.
struct SavedFontColour {
  uint8_t red, green, blue;
  bool gradient;
  uint32_t top, bottom;

  static SavedFontColour Of(Font& font) {
    auto* outline = dynamic_cast<OutlineFont*>(&font);
    return {font.textRed,
            font.textGreen,
            font.textBlue,
            outline != nullptr && outline->GradientEnabled(),
            outline != nullptr ? outline->GradientTop() : 0,
            outline != nullptr ? outline->GradientBottom() : 0};
  }
  void RestoreTo(Font& font) const {
    font.textRed = red, font.textGreen = green, font.textBlue = blue;
    if (gradient) static_cast<OutlineFont&>(font).SetGradient(1, top, bottom, 1);
  }
};

uint8_t Red(uint32_t rgb) { return uint8_t(rgb >> 16); }
uint8_t Green(uint32_t rgb) { return uint8_t(rgb >> 8); }
uint8_t Blue(uint32_t rgb) { return uint8_t(rgb); }

}  // namespace

Surface* TextListControl::FramePart::First() const {
  return set.picture != nullptr ? set.picture : set.mask1 != nullptr ? set.mask1 : set.mask2;
}

TextListControl::~TextListControl() {
  // Leaving the host first lets the hovered line go while it still exists.
  if (GetHost() != nullptr) GetHost()->RemoveControl(this);
  Clear();
  ReleaseFrame();
}

// --- geometry ------------------------------------------------------------------------------------

int32_t TextListControl::CellWidth() const {
  if (!HasFrame()) return lineWidth_;
  const Surface* body = body_.First();
  return frameCells_ == 1 ? body->GetWidth() : body->GetWidth() / frameCells_;
}

int32_t TextListControl::CellCount() const { return HasFrame() && frameCells_ >= 2 ? frameCells_ : 2; }

int32_t TextListControl::LineHeight() const { return HasFrame() ? body_.First()->GetHeight() : lineHeight_; }

int32_t TextListControl::Pitch() const {
  // Header and footer pictures join the lines edge to edge.
  return LineHeight() + (header_ || footer_ ? 0 : lineSpacing_);
}

int32_t TextListControl::LineTop(int32_t index) const { return y_ + HeaderHeight() + index * Pitch(); }

Surface* TextListControl::LinePicture(int32_t index) const {
  return index >= 0 && index < int32_t(pictures_.size()) ? pictures_[size_t(index)].get() : nullptr;
}

const ImageSprite* TextListControl::LineSprite(int32_t index) const {
  return index >= 0 && index < int32_t(sprites_.size()) ? sprites_[size_t(index)].get() : nullptr;
}

// --- Control -----------------------------------------------------------------------------------------

void TextListControl::PlaceStrip(ImageSprite* sprite, int32_t x, int32_t y) {
  if (sprite == nullptr) return;
  if (spriteList_ != nullptr && spriteList_->Find(sprite) == nullptr)
    spriteList_->Add(sprite, uint32_t(order_), spriteFlags_);
  sprite->SetVisible(1);
  sprite->SetPosition(x, y);
}

void TextListControl::SetPosition(int32_t x, int32_t y) {
  const int32_t n = LineCount();
  if (n == 0) return;
  x_ = x, y_ = y;
  PlaceStrip(headerSprite_.get(), x, y);
  for (int32_t i = 0; i < n; ++i) sprites_[size_t(i)]->SetPosition(x, LineTop(i));
  PlaceStrip(footerSprite_.get(), x, LineTop(n - 1) + LineHeight());
}

void TextListControl::Relayout() {
  const int32_t n = LineCount();
  if (n == 0) return;
  width_ = CellWidth();
  height_ = LineHeight() + (n - 1) * Pitch() + HeaderHeight() + FooterHeight();
  // Centred on the anchor; an odd height puts the extra pixel below.
  SetPosition(anchorX_, anchorY_ - height_ / 2);
}

void TextListControl::SetVisible(bool show) {
  if (LineCount() == 0) return;
  if (!show) GiveUpFocusAndHover();
  if (headerSprite_) headerSprite_->SetVisible(show ? 1 : 0);
  for (auto& sprite : sprites_) sprite->SetVisible(show ? 1 : 0);
  if (footerSprite_) footerSprite_->SetVisible(show ? 1 : 0);
}

bool TextListControl::IsVisible() const { return !sprites_.empty() && sprites_.front()->IsVisible(); }

int32_t TextListControl::AttachToSpriteList(int32_t order, int32_t group, uint8_t option) {
  if (LineCount() == 0 || spriteList_ == nullptr) return 1;
  auto attach = [&](ImageSprite* sprite) {
    if (sprite == nullptr) return;
    if (spriteList_->Find(sprite) != nullptr) {
      spriteList_->SetOrder(sprite, uint32_t(order), option);
    } else {
      spriteList_->Add(sprite, uint32_t(order), uint32_t(group));
    }
  };
  attach(headerSprite_.get());
  for (auto& sprite : sprites_) attach(sprite.get());
  attach(footerSprite_.get());
  order_ = order;
  group_ = group;
  spriteFlags_ = uint32_t(group);
  return 0;
}

void TextListControl::SetDrawFlags(uint8_t value) {
  if (LineCount() == 0) return;
  if (headerSprite_) headerSprite_->SetOpacity(value);
  for (auto& sprite : sprites_) sprite->SetOpacity(value);
  if (footerSprite_) footerSprite_->SetOpacity(value);
}

uint8_t TextListControl::IsReady() const { return sprites_.empty() ? 0 : sprites_.front()->GetOpacity(); }

bool TextListControl::SetEnabled(bool enable) {
  if (!Control::SetEnabled(enable)) return false;
  // A disabled list shows its disabled cells; pictures without one show
  // their normal cell rather than a cell they do not have.
  const int32_t offset = !enable && hasDisabledCell_ ? disabledOffset_ : 0;
  for (auto& sprite : sprites_) sprite->SetSourceOffset(offset, 0);
  return true;
}

bool TextListControl::HitTest(int32_t x, int32_t y) {
  return LineCount() > 0 && IsVisible() && x >= x_ && x < x_ + width_ && y >= y_ && y < y_ + height_;
}

// --- lines ------------------------------------------------------------------------------------------

void TextListControl::Clear() {
  TellPartsGoing();
  ClearRecords();
  sprites_.clear();  // before the pictures they show
  pictures_.clear();
  width_ = 0;
  if (headerSprite_) headerSprite_->SetVisible(0);
  if (footerSprite_) footerSprite_->SetVisible(0);
}

void TextListControl::ClearAndSetSpriteList(SpriteList* list) {
  Clear();
  spriteList_ = list;
}

int32_t TextListControl::Configure(SpriteList* list, int32_t order, int32_t x, int32_t y, int32_t lineWidth,
                                   int32_t lineHeight, int32_t lineSpacing, Font* font, uint32_t spriteFlags) {
  Clear();
  if (font == nullptr) return 1;
  anchorX_ = x, anchorY_ = y;
  spriteList_ = list;
  order_ = order;
  spriteFlags_ = spriteFlags;
  lineSpacing_ = lineSpacing;
  const bool widthChanged = lineWidth != lineWidth_;
  lineWidth_ = lineWidth;
  lineHeight_ = lineHeight;
  if (widthChanged && !HasFrame() && (headerHeight_ != 0 || footerHeight_ != 0))
    SetLineSize(lineWidth, lineHeight, headerHeight_, footerHeight_);
  font_ = font;
  return 0;
}

void TextListControl::FillPlain(Surface* surface, const Rect* rect) {
  surface->FillRect(uint32_t(backAlpha_) << 24 | (backColour_ & 0xFFFFFF), rect);
}

bool TextListControl::PaintLineBackground(Surface* picture) {
  if (!HasFrame()) {
    FillPlain(picture, nullptr);
    return true;
  }
  if (picture->Copy(&bodyComposed_, 0, 0, nullptr, false) != 0) return false;
  // A one-cell frame serves both cells.
  if (frameCells_ == 1) return picture->Copy(&bodyComposed_, bodyComposed_.GetWidth(), 0, nullptr, false) == 0;
  return true;
}

int32_t TextListControl::AddLine(const TextListLineArgs& line) {
  if (spriteList_ == nullptr || font_ == nullptr || line.text == nullptr) return 1;
  std::unique_ptr<TextListLine> record = MakeRecord(line);
  std::unique_ptr<Surface> picture(new (std::nothrow) Surface);
  if (!picture) return 2;
  const int32_t cellWidth = CellWidth();
  // Two cells of the plain fill or of a one-cell frame; else the frame
  // picture's own cells.
  const int32_t width = !HasFrame() || frameCells_ == 1 ? 2 * cellWidth : body_.First()->GetWidth();
  if (cellWidth <= 0 || picture->Create(width, LineHeight(), 32, 0) != 0) return 2;
  if (!PaintLineBackground(picture.get())) return 2;
  const int32_t index = LineCount();
  DrawLineCells(picture.get(), index, record.get());
  std::unique_ptr<ImageSprite> sprite(new (std::nothrow) ImageSprite);
  const Rect first{0, 0, cellWidth, LineHeight()};
  if (!sprite || sprite->SetImage(picture.get(), &first, 0, 0) != 0) return 2;
  sprite->SetDrawMode(Drawable::kModeAlpha);
  AppendMadeRecord(std::move(record));
  spriteList_->Add(sprite.get(), uint32_t(order_), spriteFlags_);
  pictures_.push_back(std::move(picture));
  sprites_.push_back(std::move(sprite));
  Relayout();
  return 0;
}

// --- drawing -------------------------------------------------------------------------------------------

void TextListControl::SetTextColour(uint32_t rgb, const uint32_t* gradient) {
  auto* outline = dynamic_cast<OutlineFont*>(font_.Get());
  if (outline != nullptr && outline->GradientEnabled()) {
    outline->SetGradient(1, gradient[0], gradient[1], 1);
    return;
  }
  font_->textRed = Red(rgb), font_->textGreen = Green(rgb), font_->textBlue = Blue(rgb);
}

void TextListControl::DrawLineText(Surface* picture, int32_t x, int32_t y, const std::string& text) {
  if (text.empty()) return;
  // Outline fonts draw game text by their surface road.
  if (auto* outline = dynamic_cast<OutlineFont*>(font_.Get())) {
    outline->DrawTextToSurface(picture, x, y, text.c_str(), nullptr, nullptr);
  } else {
    font_->DrawText(picture, x, y, text.c_str(), nullptr, nullptr);
  }
}

void TextListControl::DrawLineCells(Surface* picture, int32_t index, const TextListLine* record) {
  const int32_t cells = CellCount();
  const int32_t cellWidth = CellWidth();
  const int32_t height = picture->GetHeight();
  if (highlightMode != 0) {
    const uint32_t alpha = uint32_t(backAlpha_) << 24;
    const uint32_t colour = highlightMode == 1   ? alpha | (highlightColour & 0xFFFFFF)
                            : highlightMode == 2 ? highlightColour
                                                 : alpha | (~backColour_ & 0xFFFFFF);
    // Every cell after the first but a disabled one.
    const int32_t boxes = cells - 1 - (hasDisabledCell_ && cells > 2 ? 1 : 0);
    for (int32_t c = 1; c <= boxes; ++c)
      picture->FillBox(c * cellWidth + marginLeft_, marginTop_, cellWidth - marginRight_ - marginLeft_,
                       height - marginBottom_ - marginTop_, colour);
  }
  const int32_t value = record != nullptr && record->value >= 0 ? record->value : index;
  const bool chosen = IsValueChosen(value);
  if (chosen && mark_) picture->Copy(mark_.get(), 0, 0, nullptr, false);
  if (font_ == nullptr || record == nullptr || record->text.empty()) return;

  const SavedFontColour saved = SavedFontColour::Of(*font_);
  const bool disabled = record->disabled;
  const uint32_t firstRgb = disabled ? disabledColour_ : chosen ? chosenColour_ : normalColour_;
  const uint32_t* firstGradient = disabled ? disabledGradient_ : chosen ? chosenGradient_ : normalGradient_;
  const int32_t x = marginLeft_ + textOffsetX, y = marginTop_ + textOffsetY;
  SetTextColour(firstRgb, firstGradient);
  DrawLineText(picture, x, y, record->text);
  // A disabled line keeps its disabled colour in the hover cell.
  if (!disabled) SetTextColour(hoverColour_, hoverGradient_);
  DrawLineText(picture, cellWidth + x, y, record->text);
  int32_t next = 2;
  if (hasPressedCell_) DrawLineText(picture, next++ * cellWidth + x + pressOffsetX, y + pressOffsetY, record->text);
  if (hasDisabledCell_ && !disabled) {
    SetTextColour(firstRgb, firstGradient);
    DrawLineText(picture, next * cellWidth + x, y, record->text);
  }
  saved.RestoreTo(*font_);
}

void TextListControl::RedrawPlain(bool rgbChanged, bool alphaChanged) {
  if (!rgbChanged && !alphaChanged) return;
  for (auto* part : {header_.get(), footer_.get()})
    if (part != nullptr) FillPlain(part, nullptr);
  if (headerSprite_) headerSprite_->SetChanged(1);
  if (footerSprite_) footerSprite_->SetChanged(1);
  for (int32_t i = 0; i < LineCount(); ++i) {
    FillPlain(pictures_[size_t(i)].get(), nullptr);
    DrawLineCells(pictures_[size_t(i)].get(), i, Record(i));
    sprites_[size_t(i)]->SetChanged(1);
  }
}

void TextListControl::ComposePart(const FramePart& part, Surface* composed, bool modeChanged, bool rgbChanged,
                                  bool alphaChanged) {
  if (composed == nullptr || composed->GetBits() == nullptr) return;
  const bool colourOnly = rgbChanged && !modeChanged && !alphaChanged;
  const uint32_t fill = uint32_t(backAlpha_) << 24 | (backColour_ & 0xFFFFFF);
  Surface* mask = frameMode_ == 0 ? part.set.mask2 : part.set.mask1;
  Surface* picture = part.set.picture;
  if (mask != nullptr) {
    if (frameMode_ == 0 && colourOnly) {
      composed->FillColorKeepAlpha(Red(fill), Green(fill), Blue(fill), nullptr);
    } else if (modeChanged || rgbChanged || alphaChanged) {
      // A change of alpha alone also needs the mask again: the alpha plane
      // is the mask scaled by it.
      composed->FillRect(fill, nullptr);
      composed->CopyAlphaPlane(mask, 0, 0, nullptr, false);
      if (backAlpha_ != 255) ApplyLevelTable(composed, backAlpha_, nullptr);
      if (frameMode_ != 0 && picture != nullptr) DrawComposite(composed, picture, 255, 0, 0, nullptr);
      composed->MarkAllDirty();
    }
    return;
  }
  if (frameMode_ != 0 && (alphaChanged || modeChanged) && picture != nullptr) {
    composed->Copy(picture, 0, 0, nullptr, false);
    if (backAlpha_ != 255) ApplyLevelTable(composed, backAlpha_, nullptr);
    composed->MarkAllDirty();
  }
}

void TextListControl::RedrawFrame(bool modeChanged, bool rgbChanged, bool alphaChanged) {
  if (!HasFrame()) return;
  ComposePart(body_, &bodyComposed_, modeChanged, rgbChanged, alphaChanged);
  if (header_) {
    ComposePart(headerFrame_, header_.get(), modeChanged, rgbChanged, alphaChanged);
    headerSprite_->SetChanged(1);
  }
  if (footer_) {
    ComposePart(footerFrame_, footer_.get(), modeChanged, rgbChanged, alphaChanged);
    footerSprite_->SetChanged(1);
  }
  for (int32_t i = 0; i < LineCount(); ++i) {
    PaintLineBackground(pictures_[size_t(i)].get());
    DrawLineCells(pictures_[size_t(i)].get(), i, Record(i));
    sprites_[size_t(i)]->SetChanged(1);
  }
}

int32_t TextListControl::SetBackground(uint8_t frameMode, uint32_t rgb, uint8_t alpha) {
  rgb &= 0xFFFFFF;
  const bool modeChanged = frameMode != frameMode_;
  const bool rgbChanged = rgb != backColour_;
  const bool alphaChanged = alpha != backAlpha_;
  if (!modeChanged && !rgbChanged && !alphaChanged) return -1;
  frameMode_ = frameMode, backColour_ = rgb, backAlpha_ = alpha;
  if (HasFrame()) {
    RedrawFrame(modeChanged, rgbChanged, alphaChanged);
  } else {
    RedrawPlain(rgbChanged, alphaChanged);
  }
  return 0;
}

// --- frame pictures --------------------------------------------------------------------------------

bool TextListControl::MakeStrip(int32_t width, int32_t height, std::unique_ptr<Surface>* surface,
                                std::unique_ptr<ImageSprite>* sprite) {
  surface->reset(new (std::nothrow) Surface);
  sprite->reset(new (std::nothrow) ImageSprite);
  if (!*surface || !*sprite || (*surface)->Create(width, height, 32, 0) != 0) {
    sprite->reset();
    surface->reset();
    return false;
  }
  (*surface)->FillRect(0, nullptr);
  if ((*sprite)->SetImage(surface->get(), nullptr, 0, 0) != 0) {
    sprite->reset();
    surface->reset();
    return false;
  }
  (*sprite)->SetDrawMode(Drawable::kModeAlpha);
  return true;
}

int32_t TextListControl::SetLineSize(int32_t lineWidth, int32_t lineHeight, int32_t headerHeight,
                                     int32_t footerHeight) {
  if (lineWidth <= 0 || lineHeight <= 0) return 1;
  ReleaseFrame();
  lineWidth_ = lineWidth, lineHeight_ = lineHeight;
  headerHeight_ = headerHeight, footerHeight_ = footerHeight;
  if (headerHeight > 0 && MakeStrip(lineWidth, headerHeight, &header_, &headerSprite_))
    FillPlain(header_.get(), nullptr);
  if (footerHeight > 0 && MakeStrip(lineWidth, footerHeight, &footer_, &footerSprite_))
    FillPlain(footer_.get(), nullptr);
  Relayout();
  return 0;
}

void TextListControl::ReleaseFrame() {
  TellPartsGoing();
  headerSprite_.reset();  // before the pictures they show
  footerSprite_.reset();
  header_.reset();
  footer_.reset();
  body_ = FramePart{};
  headerFrame_ = FramePart{};
  footerFrame_ = FramePart{};
  bodyComposed_.FreeBuffers();
  mark_.reset();
  frameCells_ = 0;
  hasHoverCell_ = false;
  hasPressedCell_ = hasDisabledCell_ = false;
  disabledOffset_ = 0;
}

int32_t TextListControl::CheckCells(int32_t cells, bool hasPressed, bool hasDisabled) {
  if (cells < 1 || cells > 4) return 1;
  if (cells < 3 && (hasPressed || hasDisabled)) return 1;
  if (cells == 3 && hasPressed && hasDisabled) return 1;
  return 0;
}

int32_t TextListControl::SetFrameFiles(int32_t cells, bool hasPressed, bool hasDisabled, const FrameFiles& body,
                                       const FrameFiles& header, const FrameFiles& footer) {
  if (CheckCells(cells, hasPressed, hasDisabled) != 0) return 1;
  if (body.picture == nullptr && body.mask1 == nullptr && body.mask2 == nullptr) return 1;
  ReleaseFrame();
  auto load = [](const char* name, bool indexed, FramePart* part, int slot, Surface** field) {
    if (name == nullptr) return true;
    std::unique_ptr<Surface> surface(new (std::nothrow) Surface);
    if (!surface) return false;
    const int result =
        indexed ? surface->LoadImageIndexed(name, nullptr, 0, 0) : surface->LoadImage(name, nullptr, 0, 0);
    if (result != 0 || surface->GetBits() == nullptr) return false;
    *field = surface.get();
    part->owned[slot] = std::move(surface);
    return true;
  };
  bool loaded = true;
  const std::pair<const FrameFiles*, FramePart*> parts[] = {
      {&body, &body_}, {&header, &headerFrame_}, {&footer, &footerFrame_}};
  for (const auto& [files, part] : parts) {
    loaded = loaded && load(files->picture, false, part, 0, &part->set.picture) &&
             load(files->mask1, true, part, 1, &part->set.mask1) && load(files->mask2, true, part, 2, &part->set.mask2);
  }
  if (!loaded) {
    ReleaseFrame();
    return 2;
  }
  return ApplyFrame(cells, hasPressed, hasDisabled);
}

int32_t TextListControl::SetFrameSurfaces(int32_t cells, bool hasPressed, bool hasDisabled, const FrameSet& body,
                                          const FrameSet& header, const FrameSet& footer) {
  if (CheckCells(cells, hasPressed, hasDisabled) != 0) return 1;
  if (body.picture == nullptr && body.mask1 == nullptr && body.mask2 == nullptr) return 1;
  ReleaseFrame();
  body_.set = body;
  headerFrame_.set = header;
  footerFrame_.set = footer;
  return ApplyFrame(cells, hasPressed, hasDisabled);
}

int32_t TextListControl::ApplyFrame(int32_t cells, bool hasPressed, bool hasDisabled) {
  Surface* body = body_.First();
  if (body == nullptr || body->GetBits() == nullptr || body->GetWidth() < cells) {
    ReleaseFrame();
    return 1;
  }
  if (bodyComposed_.Create(body->GetWidth(), body->GetHeight(), 32, 0) != 0) {
    ReleaseFrame();
    return 3;
  }
  bodyComposed_.FillRect(0, nullptr);
  frameCells_ = cells;
  hasHoverCell_ = cells > 1;
  hasPressedCell_ = hasPressed;
  hasDisabledCell_ = hasDisabled;
  disabledOffset_ = hasDisabled ? body->GetWidth() / cells * (cells - 1) : 0;
  lineWidth_ = CellWidth();
  lineHeight_ = body->GetHeight();
  // Header and footer take the size of their pictures; strips made before
  // are replaced.
  TellPartsGoing();
  if (Surface* first = headerFrame_.First();
      first != nullptr && MakeStrip(first->GetWidth(), first->GetHeight(), &header_, &headerSprite_))
    headerHeight_ = first->GetHeight();
  if (Surface* first = footerFrame_.First();
      first != nullptr && MakeStrip(first->GetWidth(), first->GetHeight(), &footer_, &footerSprite_))
    footerHeight_ = first->GetHeight();
  RedrawFrame(true, true, true);
  Relayout();
  return 0;
}

int32_t TextListControl::LoadMarkImage(const char* file) {
  mark_.reset(new (std::nothrow) Surface);
  if (!mark_ || file == nullptr || mark_->LoadImage(file, nullptr, 0, 0) != 0 || mark_->GetBits() == nullptr) {
    mark_.reset();
    return 1;
  }
  return 0;
}

// --- cells and hits -------------------------------------------------------------------------------

void TextListControl::ShowLineCell(int32_t index, uint8_t state) {
  if (index < 0 || index >= int32_t(sprites_.size())) return;
  ImageSprite* sprite = sprites_[size_t(index)].get();
  const bool loose = !header_ && !footer_;
  int32_t cell = state;
  if (state == kPressed && !hasPressedCell_) {
    // No pressed cell: the hover cell, pushed by the press offset.
    cell = 1;
    if (loose) sprite->SetPosition(x_ + pressOffsetX, LineTop(index) + pressOffsetY);
  } else if (state < kPressed && loose) {
    sprite->SetPosition(x_, LineTop(index));
  }
  sprite->SetSourceOffset(cell * CellWidth(), 0);
}

int32_t TextListControl::GetLineCentre(int32_t index, int32_t* x, int32_t* y) const {
  const ImageSprite* sprite = LineSprite(index);
  if (sprite == nullptr) return 0;
  *y = sprite->GetY() + sprite->GetHeight() / 2;
  // Toward the text's left edge on a bare list, else toward the right
  // margin; kept on the band where the pointer hovers lines, so that the
  // pointer moved there does hover the line.
  const int32_t x0 =
      frameMode_ == 0 && backAlpha_ == 0 ? marginLeft_ - 8 : width_ - marginRight_ + marginRight_ / 4 + 1;
  *x = sprite->GetX() + std::clamp(x0, marginLeft_, std::max(marginLeft_, width_ - marginRight_));
  return 1;
}

int32_t TextListControl::LineAt(int32_t x, int32_t y) const {
  const int32_t n = LineCount();
  if (IsPointerIdle() || n == 0) return -1;
  if (x < marginLeft_ || x > width_ - marginRight_) return -1;
  y -= HeaderHeight();
  const int32_t pitch = Pitch();
  if (y < 0 || pitch <= 0) return -1;
  const int32_t line = y / pitch;
  const int32_t inside = y - line * pitch;
  if (line >= n || inside < marginTop_ || inside >= LineHeight() - marginBottom_) return -1;
  return IsLineDisabled(line) ? -1 : line;
}

bool TextListControl::HitFrame(int32_t x, int32_t y) const {
  const int32_t n = LineCount();
  if (!body_.Any() || n == 0) return false;
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return false;
  const int32_t headerHeight = HeaderHeight(), footerHeight = FooterHeight();
  if (x >= marginLeft_ && x < width_ - marginRight_ && y >= marginTop_ + headerHeight &&
      y < height_ - marginBottom_ - footerHeight)
    return false;
  uint32_t pixel = 0;
  if (y < headerHeight) {
    pixel = header_->GetPixel(x, y);
  } else if (y >= height_ - footerHeight) {
    pixel = footer_->GetPixel(x, y - (height_ - footerHeight));
  } else {
    const int32_t inBody = y - headerHeight;
    const int32_t line = inBody / Pitch();
    const int32_t inside = inBody - line * Pitch();
    if (line >= n || inside >= LineHeight()) return false;
    const ImageSprite& sprite = *sprites_[size_t(line)];
    pixel = pictures_[size_t(line)]->GetPixel(sprite.GetSourceRect().left + x, inside);
  }
  return (pixel >> 24) >= dragAlpha;
}

}  // namespace orrivel
