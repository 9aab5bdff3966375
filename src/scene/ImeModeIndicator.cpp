#include "scene/ImeModeIndicator.h"

#include <cstdlib>
#include <string>

#include "base/ImeContext.h"
#include "platform/TextCodec.h"
#include "raster/SpriteList.h"
#include "scene/FontColourScope.h"
#include "text/Font.h"
#include "text/OutlineFont.h"

namespace orrivel {
namespace {

// The width of the outline the font draws around its glyphs.
int32_t EdgeOf(const Font& font) {
  const auto* outline = dynamic_cast<const OutlineFont*>(&font);
  return outline != nullptr ? outline->EdgeWidth() : 0;
}

}  // namespace

std::vector<const char*> ImeModeLabels(bool open, uint32_t conversion, uint32_t sentence) {
  using namespace ime_mode;
  if (!open || (conversion & kNoConversion) != 0) return {"英数"};
  std::vector<const char*> labels;
  if (conversion & kRoman) labels.push_back("Ｒ");
  labels.push_back((conversion & kFullShape) ? "全" : "半");
  labels.push_back((conversion & kKatakana) ? "カ" : (conversion & kNative) ? "ひ" : "英");
  if (sentence & kPhrasePredict) {
    labels.push_back("連");
  } else if (sentence & kPluralClause) {
    labels.push_back("複");
  } else if (sentence & kSingleConvert) {
    labels.push_back("単");
  } else if (sentence & kAutomatic) {
    labels.push_back("自");
  }
  return labels;
}

void ImeModeIndicatorBase::SetColours(int32_t colour, int32_t outlineColour) {
  if (colour != -1) colour_ = uint32_t(colour) & 0xFFFFFF;
  if (outlineColour != -1) outlineColour_ = uint32_t(outlineColour) & 0xFFFFFF;
  forceRedraw_ = true;
}

void ImeModeIndicatorBase::SetRightAligned(bool on) {
  rightAligned_ = on;
  forceRedraw_ = true;
}

int32_t ImeModeIndicator::Create(SpriteList* list, ImeContext* ime, Font* font, int32_t x, int32_t y,
                                 bool rightAligned, int32_t order) {
  if (list == nullptr || ime == nullptr || font == nullptr) return 1;
  Release();
  const int32_t edge = EdgeOf(*font);
  const int32_t height = font->PixelHeight() + 2 * edge;
  if (surface_.Create(2 * edge + 4 * height, height, 32, 0) != 0 || surface_.GetBits() == nullptr) {
    Release();
    return 2;
  }
  surface_.FillRect(0, nullptr);
  if (sprite_.SetImage(&surface_, nullptr, x, y) != 0) {
    Release();
    return 2;
  }
  sprite_.SetVisible(0);
  list->Add(&sprite_, uint32_t(order), 0);
  spriteList_ = list;
  order_ = order;
  ime_ = ime;
  font_ = font;
  rightAligned_ = rightAligned;
  SetPosition(x, y);
  forceRedraw_ = true;
  Draw();
  return 0;
}

void ImeModeIndicator::Release() {
  if (spriteList_ != nullptr) spriteList_->Remove(&sprite_);
  spriteList_ = nullptr;
  sprite_.Reset();
  surface_.FreeBuffers();
  ime_ = nullptr;
  font_ = nullptr;
  lastConversion_ = lastSentence_ = 0;
  lastOpen_ = false;
  shown_.clear();
}

void ImeModeIndicator::SetPosition(int32_t x, int32_t y) {
  x_ = x;
  y_ = y;
  PlaceSprite();
}

void ImeModeIndicator::PlaceSprite() { sprite_.SetPosition(rightAligned_ ? x_ - GetWidth() : x_, y_); }

void ImeModeIndicator::Draw() {
  if (ime_ == nullptr || font_ == nullptr || surface_.GetBits() == nullptr) return;
  uint32_t conversion = 0, sentence = 0;
  if (!ime_->GetConversion(&conversion, &sentence)) {
    conversion = ime_mode::kAssumedConversion;
    sentence = ime_mode::kAssumedSentence;
  }
  const bool open = ime_->GetOpen();
  if (conversion == lastConversion_ && sentence == lastSentence_ && open == lastOpen_ && !forceRedraw_) return;
  lastConversion_ = conversion;
  lastSentence_ = sentence;
  lastOpen_ = open;
  forceRedraw_ = false;

  surface_.FillRect(0, nullptr);
  shown_ = ImeModeLabels(open, conversion, sentence);
  {
    FontColourScope colours(*font_, colour_, outlineColour_);
    const int32_t edge = EdgeOf(*font_);
    int32_t x = edge;
    for (const char* label : shown_) {
      const std::string text = platform::Utf8ToCp932Lossy(label);
      font_->DrawText(&surface_, x, edge, text.c_str(), nullptr, nullptr);
      Size size{};
      font_->MeasureText(text.c_str(), &size, nullptr, nullptr, false, nullptr);
      x += size.width;
    }
  }
  Rect whole{0, 0, surface_.GetWidth(), surface_.GetHeight()};
  sprite_.InvalidateSourceRect(&whole);
  sprite_.SetChanged(1);
  if (rightAligned_) PlaceSprite();
}

}  // namespace orrivel
