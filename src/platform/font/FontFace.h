#pragma once
// The machine's fonts in the engine's terms: a font request as the engine's
// font record describes it (height, width, weight, italic, escapement in
// tenths of a degree, a CP932 face name) opens a face; the face answers text
// metrics, advances of CP932 text and glyph bitmaps in the three formats the
// rasteriser asks for. Faces are FreeType faces found through fontconfig;
// the Japanese face names games ask for map to the installed IPA fonts, and a
// face name that begins with "@" sets characters upright for vertical text.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace orrivel::platform {

struct FontRequest {
  // Negative: the character (em) height in pixels; positive: the cell height
  // (ascent + descent); 0: 16-pixel characters.
  int32_t height = -16;
  // 0 keeps the natural proportions; else the average width of a half-width
  // character in pixels.
  int32_t width = 0;
  // Anticlockwise on screen, tenths of a degree.
  int32_t escapement = 0;
  int32_t weight = 400;  // 600 and over draw bold
  bool italic = false;
  std::string face;  // CP932; empty asks for the default face
};

struct TextMetrics {
  int32_t height = 0;  // ascent + descent
  int32_t ascent = 0;
  int32_t descent = 0;
  int32_t internalLeading = 0;  // height - character height
  int32_t externalLeading = 0;
  int32_t averageCharWidth = 0;
  int32_t maxCharWidth = 0;
};

// The typographic metrics of the outline (what an outline metrics query gives).
struct OutlineMetrics {
  int32_t ascent = 0;
  int32_t descent = 0;  // negative below the baseline
  int32_t lineGap = 0;
  uint32_t emSquare = 0;
};

enum class GlyphFormat : uint8_t {
  kBitmap,  // one bit a pixel, most significant bit first
  kGray4,   // one byte a pixel, 0..16
  kGray8,   // one byte a pixel, 0..64
};

// Placement of a glyph bitmap, in device pixels with y growing upwards:
// the origin is the top-left of the black box relative to the character
// origin on the baseline; the cell increment is the advance turned with the
// escapement.
struct GlyphMetrics {
  uint32_t blackBoxX = 0;
  uint32_t blackBoxY = 0;
  int32_t originX = 0;
  int32_t originY = 0;
  int32_t cellIncX = 0;
  int32_t cellIncY = 0;
};

inline constexpr uint32_t kGlyphError = 0xFFFFFFFFu;

struct TextExtent {
  int32_t width = 0;
  int32_t height = 0;
};

class FontFace {
 public:
  // Null when no font file can be loaded at all (an unknown face name falls
  // back to the default face first).
  static std::unique_ptr<FontFace> Open(const FontRequest& request);
  ~FontFace();
  FontFace(const FontFace&) = delete;
  FontFace& operator=(const FontFace&) = delete;

  const TextMetrics& Metrics() const { return metrics_; }
  // False when the font has no typographic table.
  bool GetOutlineMetrics(OutlineMetrics* out) const;
  // The width is the sum of the advances of the CP932 characters (a lead
  // byte at the end counts as a character of its own), the height the
  // metrics' height. Escapement does not turn it.
  TextExtent MeasureText(std::string_view cp932) const;
  // The advance of one character code in whole pixels, unturned.
  int32_t Advance(uint16_t code) const;
  int32_t Escapement() const;
  // Bitmap of one character: code is the byte of a one-byte character or
  // lead x 256 + trail. scale 1 renders at the face's size, 4 and 8 at four
  // or eight times (oversampling; every metric is then in oversampled
  // pixels). Rows are padded to 4 bytes. Returns the size of the bitmap
  // (0 for a character that draws nothing) and fills the buffer when it is
  // given and large enough; kGlyphError when the glyph cannot be made.
  uint32_t GetGlyph(uint16_t code, GlyphFormat format, int scale, GlyphMetrics* metrics,
                    uint8_t* buffer, uint32_t bufferSize);

  const std::string& FamilyName() const { return family_; }  // as fontconfig names it (UTF-8)
  bool IsVertical() const { return vertical_; }
  bool FellBack() const { return fellBack_; }
  int32_t PixelHeight() const { return pixelHeight_; }

 private:
  struct Impl;
  FontFace();
  bool Load(const FontRequest& request);
  bool SelectScale(int scale);
  bool RenderToSlot(char32_t character, bool wide, GlyphFormat format, int scale);

  std::unique_ptr<Impl> impl_;
  TextMetrics metrics_;
  std::string family_;
  bool vertical_ = false;
  bool fellBack_ = false;
  int32_t pixelHeight_ = 16;
};

// The Unicode scalar of one CP932 character code (a byte, or lead x 256 +
// trail), converted through iconv "CP932" once per code. Codes without a
// counterpart give U+FF1F for a pair and '?' for a byte.
char32_t Cp932CodeToUnicode(uint16_t code);

// The family a CP932 face name is served by (UTF-8), without loading it:
// the Japanese system faces map to the IPA fonts, "@" is ignored; empty
// when fontconfig knows no such face.
std::string ResolveFaceFamily(std::string_view cp932Face);

// One installed face as the face enumeration reports it: a face is listed
// once for each character set it covers; faces that cover Shift-JIS also
// appear with an "@" before the name (the vertical face).
inline constexpr uint8_t kAnsiCharSet = 0;
inline constexpr uint8_t kShiftJisCharSet = 128;
inline constexpr uint8_t kFixedPitch = 1;
inline constexpr uint8_t kVariablePitch = 2;
struct FaceRecord {
  std::string faceName;  // CP932
  uint8_t charSet = kAnsiCharSet;
  uint8_t pitchAndFamily = kVariablePitch;
  bool trueType = true;
};

// Every installed face, from fontconfig, in its order (names that do not
// convert to CP932 or do not fit the 31 bytes of a face name are left out).
std::vector<FaceRecord> EnumerateFaces();
// Test seam: the faces come from the function instead (null: fontconfig).
void SetFaceSource(std::function<std::vector<FaceRecord>()> source);

// Test seam: the grey formats fail, as on a font that has none, so the
// oversampled one-bit path runs.
void SetGrayGlyphsUnavailable(bool unavailable);

// Test seam: no font file can be opened, as on a machine without fonts.
void SetFontFilesUnavailable(bool unavailable);

// Where the service reports (one line each); null restores stderr.
void SetFontLogSink(std::function<void(std::string_view)> sink);

// A bare FreeType renderer for benchmarks: FT_Load_Glyph + FT_Render_Glyph
// of one character at a pixel size in the default face, the floor any
// rasteriser over FreeType stands on.
class PlainGlyphRenderer {
 public:
  explicit PlainGlyphRenderer(int32_t pixelHeight);
  ~PlainGlyphRenderer();
  bool Ok() const;
  // Bytes of coverage rendered (0 on failure).
  uint32_t Render(char32_t character);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace orrivel::platform
