#pragma once
// A small status label beside a text entry that shows the input method's
// mode: "英数" while it is closed or not converting, else the Roman-input
// mark, full or half width, the kana kind and the sentence mode, each a
// full-width character drawn with the indicator's font into its own
// surface and shown by one sprite. The focused text entry asks it to draw
// each frame; it redraws only when what it shows changed.
#include <cstdint>
#include <vector>

#include "raster/SpriteList.h"
#include "raster/Surface.h"
#include "scene/ImageSprite.h"
#include "text/Font.h"

namespace orrivel {

class Font;
class ImeContext;

// The input method's mode bits the labels read.
namespace ime_mode {
inline constexpr uint32_t kNative = 0x1;
inline constexpr uint32_t kKatakana = 0x2;
inline constexpr uint32_t kFullShape = 0x8;
inline constexpr uint32_t kRoman = 0x10;
inline constexpr uint32_t kNoConversion = 0x100;
inline constexpr uint32_t kPluralClause = 0x1;
inline constexpr uint32_t kSingleConvert = 0x2;
inline constexpr uint32_t kAutomatic = 0x4;
inline constexpr uint32_t kPhrasePredict = 0x8;
// What an open input method is taken to be in when the system cannot tell
// its modes: full-width hiragana, the usual state of a Japanese one.
inline constexpr uint32_t kAssumedConversion = kNative | kFullShape;
inline constexpr uint32_t kAssumedSentence = 0;
}  // namespace ime_mode

// The labels for a state, left to right (UTF-8).
std::vector<const char*> ImeModeLabels(bool open, uint32_t conversion, uint32_t sentence);

class ImeModeIndicatorBase {
 public:
  static constexpr uint32_t kDefaultColour = 0xFFFFFF;
  static constexpr uint32_t kDefaultOutlineColour = 0;

  virtual ~ImeModeIndicatorBase() = default;
  virtual void Release() = 0;
  virtual int32_t GetWidth() const = 0;
  virtual int32_t GetHeight() const = 0;
  virtual void SetPosition(int32_t x, int32_t y) = 0;
  virtual void SetVisible(bool on) = 0;
  virtual void Draw() = 0;
  // -1 leaves a colour as it is (RGB otherwise).
  void SetColours(int32_t colour, int32_t outlineColour);
  void SetRightAligned(bool on);

  uint32_t Colour() const { return colour_; }
  uint32_t OutlineColour() const { return outlineColour_; }
  bool IsRightAligned() const { return rightAligned_; }

 protected:
  ImeContext* ime_ = nullptr;
  uint32_t lastConversion_ = 0;
  uint32_t lastSentence_ = 0;
  uint32_t colour_ = kDefaultColour;
  uint32_t outlineColour_ = kDefaultOutlineColour;
  // The script's font; one deleted under the indicator leaves it with none.
  WeakLink<Font> font_;

  int32_t x_ = 0;
  int32_t y_ = 0;
  bool rightAligned_ = false;
  bool lastOpen_ = false;
  bool forceRedraw_ = false;
};

class ImeModeIndicator : public ImeModeIndicatorBase {
 public:
  ImeModeIndicator() = default;
  ~ImeModeIndicator() override { Release(); }
  ImeModeIndicator(const ImeModeIndicator&) = delete;
  ImeModeIndicator& operator=(const ImeModeIndicator&) = delete;

  // 1 no list, context or font; 2 the surface cannot be made. Room for
  // four full-width characters and the font's outline; shown hidden.
  int32_t Create(SpriteList* list, ImeContext* ime, Font* font, int32_t x, int32_t y, bool rightAligned,
                 int32_t order);
  void Release() override;
  int32_t GetWidth() const override { return surface_.GetWidth(); }
  int32_t GetHeight() const override { return surface_.GetHeight(); }
  // With right alignment x is where the right edge goes.
  void SetPosition(int32_t x, int32_t y) override;
  void SetVisible(bool on) override { sprite_.SetVisible(on ? 1 : 0); }
  void Draw() override;

  const ImageSprite& Sprite() const { return sprite_; }
  // The list the sprite is shown in (null before Create).
  const SpriteList* List() const { return spriteList_.Get(); }
  Surface& OwnSurface() { return surface_; }
  // The labels last drawn (UTF-8), for whoever checks what is shown.
  const std::vector<const char*>& ShownLabels() const { return shown_; }

 private:
  void PlaceSprite();

  // The canvas list the control draws in; it may go with its canvas first.
  WeakLink<SpriteList> spriteList_;
  Surface surface_;
  ImageSprite sprite_;
  int32_t order_ = 0;
  std::vector<const char*> shown_;
};

}  // namespace orrivel
