#include "platform/font/FontFace.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_ADVANCES_H
#include FT_TRUETYPE_TABLES_H
#include <iconv.h>

#include <array>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <algorithm>
#include <mutex>
#include <optional>
#include <set>
#include <unordered_map>

#include "platform/TextCodec.h"
#include "platform/font/VerticalForms.h"

namespace orrivel::platform {
namespace {

constexpr const char* kDefaultFamily = "IPAGothic";

// The system faces games name, in UTF-8, and the installed font that stands in.
struct FaceAlias {
  const char* name;
  const char* family;
};
constexpr FaceAlias kFaceAliases[] = {
    {"ＭＳ ゴシック", "IPAGothic"},  {"ＭＳ Ｐゴシック", "IPAPGothic"}, {"ＭＳ 明朝", "IPAMincho"},
    {"ＭＳ Ｐ明朝", "IPAPMincho"},   {"MS Gothic", "IPAGothic"},       {"MS PGothic", "IPAPGothic"},
    {"MS Mincho", "IPAMincho"},      {"MS PMincho", "IPAPMincho"},     {"MS UI Gothic", "IPAPGothic"},
    {"ＭＳ ＵＩ ゴシック", "IPAPGothic"},
};

std::mutex& LibraryLock() {
  static std::mutex lock;
  return lock;
}

// The one FreeType library; faces are opened and closed under LibraryLock.
FT_Library Library() {
  static FT_Library library = [] {
    FT_Library lib = nullptr;
    if (FT_Init_FreeType(&lib) != 0) lib = nullptr;
    return lib;
  }();
  return library;
}

std::atomic<bool> gGrayUnavailable{false};
std::atomic<bool> gFilesUnavailable{false};

std::mutex& LogLock() {
  static std::mutex lock;
  return lock;
}
std::function<void(std::string_view)>& LogSink() {
  static std::function<void(std::string_view)> sink;
  return sink;
}

void LogLine(const std::string& line) {
  std::lock_guard<std::mutex> guard(LogLock());
  if (LogSink()) {
    LogSink()(line);
  } else {
    std::fprintf(stderr, "%s\n", line.c_str());
  }
}

// An unknown face is reported once per name, not once per font made.
void LogFallbackOnce(const std::string& face) {
  static std::mutex lock;
  static std::set<std::string> reported;
  {
    std::lock_guard<std::mutex> guard(lock);
    if (!reported.insert(face).second) return;
  }
  LogLine("font: no face \"" + face + "\"; using " + kDefaultFamily);
}

const FcChar8* Fc(const char* s) { return reinterpret_cast<const FcChar8*>(s); }

struct FontFile {
  std::string path;
  int index = 0;
  std::string family;
};

// What fontconfig serves for a family, or nothing when its best match is
// some other family (fontconfig always answers with something).
// fontconfig keeps its configuration until FcFini, which is called once
// at exit so leak checks see everything returned.
bool FontconfigReady() {
  static const bool initialised = [] {
    const bool ok = FcInit();
    std::atexit([] { FcFini(); });
    return ok;
  }();
  return initialised;
}

std::optional<FontFile> FindFamily(const std::string& family) {
  static std::mutex lock;
  static std::unordered_map<std::string, std::optional<FontFile>> found;
  const bool initialised = FontconfigReady();
  std::lock_guard<std::mutex> guard(lock);
  if (auto it = found.find(family); it != found.end()) return it->second;
  if (!initialised) return std::nullopt;
  std::optional<FontFile> result;
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, Fc(family.c_str()));
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult fcResult = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &fcResult);
  if (match) {
    bool sameFamily = false;
    FcChar8* name = nullptr;
    for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &name) == FcResultMatch; ++i) {
      if (FcStrCmpIgnoreCase(name, Fc(family.c_str())) == 0) sameFamily = true;
    }
    FcChar8* file = nullptr;
    int index = 0;
    if (sameFamily && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
      FcPatternGetInteger(match, FC_INDEX, 0, &index);
      FcChar8* first = nullptr;
      FcPatternGetString(match, FC_FAMILY, 0, &first);
      result = FontFile{reinterpret_cast<const char*>(file), index,
                        first ? reinterpret_cast<const char*>(first) : family};
    }
    FcPatternDestroy(match);
  }
  FcPatternDestroy(pattern);
  found.emplace(family, result);
  return result;
}

std::string FamilyForName(const std::string& utf8Name) {
  for (const FaceAlias& alias : kFaceAliases) {
    if (utf8Name == alias.name) return alias.family;
  }
  return utf8Name;
}

// Splits "@name" into the vertical flag and the name.
std::string_view StripVertical(std::string_view cp932Face, bool* vertical) {
  *vertical = !cp932Face.empty() && cp932Face[0] == '@';
  return *vertical ? cp932Face.substr(1) : cp932Face;
}

int32_t Scaled(int32_t units, int32_t ppem, int32_t unitsPerEm) {
  if (unitsPerEm <= 0) return 0;
  const int64_t v = int64_t(units) * ppem;
  return int32_t(v >= 0 ? (v + unitsPerEm / 2) / unitsPerEm : -((-v + unitsPerEm / 2) / unitsPerEm));
}

FT_Fixed ToFixed(double v) { return FT_Fixed(std::lround(v * 65536.0)); }

// Anticlockwise rotation on screen by tenths of a degree, exact at the
// right angles so upright and vertical text stays on the pixel grid.
FT_Matrix Rotation(int32_t tenths) {
  int32_t t = tenths % 3600;
  if (t < 0) t += 3600;
  FT_Matrix m;
  if (t % 900 == 0) {
    static constexpr int kCos[4] = {1, 0, -1, 0};
    static constexpr int kSin[4] = {0, 1, 0, -1};
    m.xx = kCos[t / 900] * 0x10000L;
    m.yy = m.xx;
    m.yx = kSin[t / 900] * 0x10000L;
    m.xy = -m.yx;
    return m;
  }
  const double a = t * M_PI / 1800.0;
  m.xx = ToFixed(std::cos(a));
  m.xy = ToFixed(-std::sin(a));
  m.yx = ToFixed(std::sin(a));
  m.yy = m.xx;
  return m;
}

void Rotate(const FT_Matrix& m, FT_Pos* x, FT_Pos* y) {
  FT_Vector v{*x, *y};
  FT_Vector_Transform(&v, &m);
  *x = v.x;
  *y = v.y;
}

}  // namespace

struct FontFace::Impl {
  FT_Face face = nullptr;
  int scale = 0;  // the size the face is set to, as a multiple of the pixel height
  int32_t xPixels = 16;
  int32_t yPixels = 16;
  int32_t escapement = 0;
  bool bold = false;
  bool italic = false;
  std::unordered_map<uint16_t, int32_t> advances;
  // The glyph the slot holds, so the fetch that follows a size query does
  // not load and render it again; -1 when the slot holds none.
  int64_t renderedKey = -1;
  FT_Pos advance = 0;  // of the rendered glyph, before turning

  ~Impl() {
    if (face) {
      std::lock_guard<std::mutex> guard(LibraryLock());
      FT_Done_Face(face);
    }
  }
};

FontFace::FontFace() : impl_(std::make_unique<Impl>()) {}
FontFace::~FontFace() = default;

std::unique_ptr<FontFace> FontFace::Open(const FontRequest& request) {
  std::unique_ptr<FontFace> face(new FontFace());
  if (!face->Load(request)) return nullptr;
  return face;
}

std::string ResolveFaceFamily(std::string_view cp932Face) {
  bool vertical = false;
  const std::string name = Cp932ToUtf8Lossy(StripVertical(cp932Face, &vertical));
  if (name.empty()) return kDefaultFamily;
  const std::optional<FontFile> file = FindFamily(FamilyForName(name));
  return file ? file->family : std::string();
}

bool FontFace::Load(const FontRequest& request) {
  const std::string name = Cp932ToUtf8Lossy(StripVertical(request.face, &vertical_));
  std::optional<FontFile> file;
  if (!name.empty()) {
    file = FindFamily(FamilyForName(name));
    if (!file) {
      fellBack_ = true;
      LogFallbackOnce(name);
    }
  }
  if (!file) file = FindFamily(kDefaultFamily);
  if (!file || gFilesUnavailable.load()) return false;
  family_ = file->family;
  {
    std::lock_guard<std::mutex> guard(LibraryLock());
    if (!Library() || FT_New_Face(Library(), file->path.c_str(), file->index, &impl_->face) != 0) {
      impl_->face = nullptr;
      return false;
    }
  }
  FT_Face face = impl_->face;
  if (!FT_IS_SCALABLE(face)) return false;
  FT_Select_Charmap(face, FT_ENCODING_UNICODE);

  const int32_t upem = face->units_per_EM;
  const TT_OS2* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  const int32_t winAscent = os2 ? int32_t(os2->usWinAscent) : int32_t(face->ascender);
  const int32_t winDescent = os2 ? int32_t(os2->usWinDescent) : -int32_t(face->descender);
  // Sizes past what any screen shows only cost memory, and FreeType refuses
  // sizes it cannot hold: every request is clamped, worked out wide so no
  // height or width a caller passes can overflow.
  constexpr int64_t kMaxPixels = 4096;
  if (request.height < 0) {
    pixelHeight_ = int32_t(std::min<int64_t>(-int64_t(request.height), kMaxPixels));
  } else if (request.height > 0) {
    const int32_t cell = int32_t(std::min<int64_t>(request.height, kMaxPixels * 4));
    pixelHeight_ = std::max<int32_t>(1, Scaled(cell, upem, std::max(1, winAscent + winDescent)));
  } else {
    pixelHeight_ = 16;
  }
  pixelHeight_ = std::min<int32_t>(pixelHeight_, int32_t(kMaxPixels));
  impl_->yPixels = pixelHeight_;
  impl_->xPixels = request.width > 0 ? int32_t(std::min<int64_t>(int64_t(request.width) * 2, 8192)) : pixelHeight_;
  impl_->escapement = request.escapement;
  impl_->bold = request.weight >= 600 && !(face->style_flags & FT_STYLE_FLAG_BOLD);
  impl_->italic = request.italic && !(face->style_flags & FT_STYLE_FLAG_ITALIC);
  if (!SelectScale(1)) return false;

  metrics_.ascent = Scaled(winAscent, pixelHeight_, upem);
  metrics_.descent = Scaled(winDescent, pixelHeight_, upem);
  metrics_.height = metrics_.ascent + metrics_.descent;
  metrics_.internalLeading = metrics_.height - pixelHeight_;
  metrics_.externalLeading =
      os2 ? std::max<int32_t>(0, Scaled(os2->sTypoLineGap, pixelHeight_, upem)) : 0;
  metrics_.averageCharWidth = os2 ? Scaled(os2->xAvgCharWidth, impl_->xPixels, upem) : pixelHeight_ / 2;
  metrics_.maxCharWidth = Scaled(face->max_advance_width, impl_->xPixels, upem);
  return true;
}

bool FontFace::SelectScale(int scale) {
  if (impl_->scale == scale) return true;
  impl_->renderedKey = -1;
  if (FT_Set_Pixel_Sizes(impl_->face, FT_UInt(impl_->xPixels * scale), FT_UInt(impl_->yPixels * scale)) != 0) {
    impl_->scale = 0;
    return false;
  }
  impl_->scale = scale;
  return true;
}

bool FontFace::GetOutlineMetrics(OutlineMetrics* out) const {
  const TT_OS2* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(impl_->face, FT_SFNT_OS2));
  if (!os2 || !out) return false;
  const int32_t upem = impl_->face->units_per_EM;
  out->ascent = Scaled(os2->sTypoAscender, pixelHeight_, upem);
  out->descent = Scaled(os2->sTypoDescender, pixelHeight_, upem);
  out->lineGap = Scaled(os2->sTypoLineGap, pixelHeight_, upem);
  out->emSquare = uint32_t(upem);
  return true;
}

int32_t FontFace::Advance(uint16_t code) const {
  FontFace* self = const_cast<FontFace*>(this);
  if (!self->SelectScale(1)) return 0;
  auto [it, fresh] = impl_->advances.try_emplace(code, 0);
  if (fresh) {
    impl_->renderedKey = -1;  // measuring may load into the glyph slot
    const FT_UInt index = FT_Get_Char_Index(impl_->face, Cp932CodeToUnicode(code));
    FT_Fixed advance = 0;
    if (FT_Get_Advance(impl_->face, index, FT_LOAD_NO_BITMAP, &advance) == 0) {
      it->second = int32_t((advance + 0x8000) >> 16) + (impl_->bold ? 1 : 0);
    }
  }
  return it->second;
}

TextExtent FontFace::MeasureText(std::string_view text) const {
  TextExtent extent{0, metrics_.height};
  for (size_t i = 0; i < text.size();) {
    const uint8_t lead = uint8_t(text[i]);
    uint16_t code = lead;
    if (((lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC)) && i + 1 < text.size()) {
      code = uint16_t(lead << 8 | uint8_t(text[i + 1]));
      i += 2;
    } else {
      i += 1;
    }
    extent.width += Advance(code);
  }
  return extent;
}

int32_t FontFace::Escapement() const { return impl_->escapement; }

bool FontFace::RenderToSlot(char32_t character, bool wide, GlyphFormat format, int scale) {
  FT_Face face = impl_->face;
  const FT_UInt index = FT_Get_Char_Index(face, character);
  if (FT_Load_Glyph(face, index, FT_LOAD_NO_BITMAP) != 0) return false;
  FT_GlyphSlot slot = face->glyph;
  if (slot->format != FT_GLYPH_FORMAT_OUTLINE) return false;
  FT_Outline* outline = &slot->outline;
  const FT_Pos em = FT_Pos(impl_->yPixels) * scale * 64;  // 26.6
  impl_->advance = slot->advance.x;

  if (impl_->bold) FT_Outline_EmboldenXY(outline, em / 24, 0);
  if (impl_->italic) {
    const FT_Matrix shear{0x10000L, 0x3666L, 0, 0x10000L};
    FT_Outline_Transform(outline, &shear);
  }
  // A vertical face stands wide characters upright: a quarter turn more than
  // the column, moved so the glyph's em box fills the column's cell.
  const VerticalPlacement placement =
      vertical_ ? VerticalPlacementOf(character, wide) : VerticalPlacement{VerticalForm::kSideways};
  int32_t angle = impl_->escapement % 3600;
  if (placement.form != VerticalForm::kSideways) {
    FT_Outline_Translate(outline, em * placement.shiftRight / 64, em * placement.shiftUp / 64);
    angle += 900;
  }
  if (angle % 3600 != 0) {
    const FT_Matrix turn = Rotation(angle);
    FT_Outline_Transform(outline, &turn);
  }
  if (placement.form != VerticalForm::kSideways) {
    // Turned a quarter, the em box lies across the column from -ascent to
    // em - ascent; it moves to 0..em along the column and to the line's
    // em-high band (ascent - em up to ascent) across it.
    FT_Pos dx = FT_Pos(metrics_.ascent) * scale * 64;
    FT_Pos dy = FT_Pos(metrics_.ascent - pixelHeight_) * scale * 64;
    Rotate(Rotation(impl_->escapement), &dx, &dy);
    FT_Outline_Translate(outline, dx, dy);
  }
  return FT_Render_Glyph(slot, format == GlyphFormat::kBitmap ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL) == 0;
}

uint32_t FontFace::GetGlyph(uint16_t code, GlyphFormat format, int scale, GlyphMetrics* metrics,
                            uint8_t* buffer, uint32_t bufferSize) {
  if (format != GlyphFormat::kBitmap && gGrayUnavailable.load()) return kGlyphError;
  if ((scale != 1 && scale != 4 && scale != 8) || !SelectScale(scale)) return kGlyphError;
  FT_Face face = impl_->face;
  const char32_t character = Cp932CodeToUnicode(code);
  const int64_t renderKey = int64_t(code) | int64_t(format) << 16 | int64_t(scale) << 24;
  FT_GlyphSlot slot = face->glyph;
  if (impl_->renderedKey != renderKey) {
    impl_->renderedKey = -1;
    if (!RenderToSlot(character, code > 0xFF, format, scale)) return kGlyphError;
    impl_->renderedKey = renderKey;
  }
  const FT_Bitmap& bitmap = slot->bitmap;
  GlyphMetrics m;
  FT_Pos incX = impl_->advance, incY = 0;
  Rotate(Rotation(impl_->escapement), &incX, &incY);
  m.cellIncX = int32_t((incX + 32) >> 6);
  m.cellIncY = int32_t((incY + 32) >> 6);
  m.originX = slot->bitmap_left;
  m.originY = slot->bitmap_top;
  if (bitmap.width == 0 || bitmap.rows == 0 || !bitmap.buffer) {
    m.blackBoxX = m.blackBoxY = 1;  // what a blank character reports, with no bits
    if (metrics) *metrics = m;
    return 0;
  }
  m.blackBoxX = bitmap.width;
  m.blackBoxY = bitmap.rows;
  if (metrics) *metrics = m;
  const uint32_t pitch =
      format == GlyphFormat::kBitmap ? (bitmap.width + 31) / 32 * 4 : (bitmap.width + 3) & ~3u;
  const uint64_t size = uint64_t(pitch) * bitmap.rows;
  if (size >= kGlyphError) return kGlyphError;
  if (!buffer || bufferSize < size) return uint32_t(size);
  const uint32_t levels = format == GlyphFormat::kGray4 ? 16 : 64;
  for (uint32_t y = 0; y < bitmap.rows; ++y) {
    const uint8_t* src = bitmap.buffer + int64_t(y) * bitmap.pitch;
    uint8_t* dst = buffer + uint64_t(y) * pitch;
    std::memset(dst, 0, pitch);
    if (format == GlyphFormat::kBitmap) {
      std::memcpy(dst, src, (bitmap.width + 7) / 8);
    } else {
      for (uint32_t x = 0; x < bitmap.width; ++x) dst[x] = uint8_t((src[x] * levels + 127) / 255);
    }
  }
  return uint32_t(size);
}

char32_t Cp932CodeToUnicode(uint16_t code) {
  static std::mutex lock;
  static std::array<char32_t, 65536> table{};  // 0 until converted
  static iconv_t cd = iconv_open("UTF-32LE", "CP932");
  std::lock_guard<std::mutex> guard(lock);
  if (table[code] != 0 || code == 0) return table[code];
  const char32_t missing = code > 0xFF ? U'\uFF1F' : U'?';
  char in[2];
  size_t inLeft = 0;
  if (code > 0xFF) {
    in[0] = char(code >> 8);
    in[1] = char(code & 0xFF);
    inLeft = 2;
  } else {
    in[0] = char(code);
    inLeft = 1;
  }
  uint8_t out[8] = {};
  char* src = in;
  char* dst = reinterpret_cast<char*>(out);
  size_t outLeft = sizeof out;
  char32_t result = missing;
  if (cd != iconv_t(-1)) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &src, &inLeft, &dst, &outLeft) != size_t(-1) && inLeft == 0 && outLeft == 4) {
      result = char32_t(out[0] | out[1] << 8 | out[2] << 16 | uint32_t(out[3]) << 24);
    }
  }
  table[code] = result;
  return result;
}

void SetGrayGlyphsUnavailable(bool unavailable) { gGrayUnavailable.store(unavailable); }
void SetFontFilesUnavailable(bool unavailable) { gFilesUnavailable.store(unavailable); }

void SetFontLogSink(std::function<void(std::string_view)> sink) {
  std::lock_guard<std::mutex> guard(LogLock());
  LogSink() = std::move(sink);
}

struct PlainGlyphRenderer::Impl {
  FT_Face face = nullptr;
};

PlainGlyphRenderer::PlainGlyphRenderer(int32_t pixelHeight) : impl_(std::make_unique<Impl>()) {
  const std::optional<FontFile> file = FindFamily(kDefaultFamily);
  if (!file) return;
  std::lock_guard<std::mutex> guard(LibraryLock());
  if (!Library() || FT_New_Face(Library(), file->path.c_str(), file->index, &impl_->face) != 0) {
    impl_->face = nullptr;
    return;
  }
  FT_Select_Charmap(impl_->face, FT_ENCODING_UNICODE);
  FT_Set_Pixel_Sizes(impl_->face, 0, FT_UInt(pixelHeight));
}

PlainGlyphRenderer::~PlainGlyphRenderer() {
  if (impl_->face) {
    std::lock_guard<std::mutex> guard(LibraryLock());
    FT_Done_Face(impl_->face);
  }
}

bool PlainGlyphRenderer::Ok() const { return impl_->face != nullptr; }

uint32_t PlainGlyphRenderer::Render(char32_t character) {
  if (!impl_->face) return 0;
  if (FT_Load_Glyph(impl_->face, FT_Get_Char_Index(impl_->face, character), FT_LOAD_NO_BITMAP) != 0) return 0;
  if (FT_Render_Glyph(impl_->face->glyph, FT_RENDER_MODE_NORMAL) != 0) return 0;
  return impl_->face->glyph->bitmap.width * impl_->face->glyph->bitmap.rows;
}

namespace {

std::mutex gFaceSourceLock;
std::function<std::vector<FaceRecord>()> gFaceSource;

bool Covers(FcCharSet* set, std::initializer_list<FcChar32> characters) {
  for (FcChar32 c : characters) {
    if (!FcCharSetHasChar(set, c)) return false;
  }
  return true;
}

std::vector<FaceRecord> FontconfigFaces() {
  std::vector<FaceRecord> faces;
  if (!FontconfigReady()) return faces;
  FcPattern* pattern = FcPatternCreate();
  FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, FC_SPACING, FC_FONTFORMAT, FC_CHARSET, nullptr);
  FcFontSet* set = FcFontList(nullptr, pattern, objects);
  std::set<std::string> seen;
  for (int i = 0; set && i < set->nfont; ++i) {
    FcPattern* font = set->fonts[i];
    FcChar8* family = nullptr;
    if (FcPatternGetString(font, FC_FAMILY, 0, &family) != FcResultMatch) continue;
    const std::optional<std::string> name = Utf8ToCp932(reinterpret_cast<const char*>(family));
    if (!name || name->empty() || name->size() > 31 || !seen.insert(*name).second) continue;
    int spacing = FC_PROPORTIONAL;
    FcPatternGetInteger(font, FC_SPACING, 0, &spacing);
    FcChar8* format = nullptr;
    FcPatternGetString(font, FC_FONTFORMAT, 0, &format);
    const std::string formatName = format ? reinterpret_cast<const char*>(format) : "";
    FcCharSet* characters = nullptr;
    FcPatternGetCharSet(font, FC_CHARSET, 0, &characters);
    FaceRecord record;
    record.trueType = formatName == "TrueType" || formatName == "CFF";
    record.pitchAndFamily = spacing == FC_MONO || spacing == FC_CHARCELL ? kFixedPitch : kVariablePitch;
    record.faceName = *name;
    if (characters && Covers(characters, {U'A', U'z'})) {
      record.charSet = kAnsiCharSet;
      faces.push_back(record);
    }
    // JIS X 0208: kana, common kanji and the full-width forms.
    if (characters && Covers(characters, {0x3042, 0x30A2, 0x4E00, 0x6F22, 0xFF21})) {
      record.charSet = kShiftJisCharSet;
      faces.push_back(record);
      record.faceName = "@" + *name;  // the same face set for vertical text
      faces.push_back(record);
    }
  }
  if (set) FcFontSetDestroy(set);
  FcObjectSetDestroy(objects);
  FcPatternDestroy(pattern);
  return faces;
}

}  // namespace

std::vector<FaceRecord> EnumerateFaces() {
  std::function<std::vector<FaceRecord>()> source;
  {
    std::lock_guard<std::mutex> guard(gFaceSourceLock);
    source = gFaceSource;
  }
  return source ? source() : FontconfigFaces();
}

void SetFaceSource(std::function<std::vector<FaceRecord>()> source) {
  std::lock_guard<std::mutex> guard(gFaceSourceLock);
  gFaceSource = std::move(source);
}

}  // namespace orrivel::platform
