#pragma once
// The layout of the staff roll: a CP932 text that lists the credits' text
// lines, picture lines and group pictures with the font, placement and end
// settings that apply to them. Reading turns it into entries in file order;
// placing then gives each line its x and base y and each group its scroll
// heights, from the sizes of the surfaces made for the lines.
//
// Each line starts with a keyword and carries comma-separated fields, each
// of which may be left empty to keep the value in force ("font", "layout"
// and "laygrp" keep theirs for the whole file). Comment blocks run from a
// line that starts "/*" to one that starts "*/"; lines starting "//" are
// skipped.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace orrivel {

class FileObject;

// Results of reading a layout.
enum StaffRollLayoutCode : int32_t {
  kLayoutOk = 0,
  kLayoutNoName = 1,
  kLayoutCannotOpen = 2,
  kLayoutBadFace = 4,
  kLayoutBadText = 5,
  kLayoutTextSurfaceFailed = 6,
  kLayoutBadPictureName = 7,
  kLayoutPictureFailed = 8,
  kLayoutBadGroupName = 9,
  kLayoutGroupPictureFailed = 10,
  kLayoutUnknownKeyword = 11,
  kLayoutFailed = -1,
};

struct StaffRollFont {
  // CP932 "ＭＳ ゴシック", the system's default face for the credits.
  static constexpr const char* kDefaultFace = "\x82\x6C\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4E";
  std::string face = kDefaultFace;
  int32_t size = 24;
  uint32_t colour = 0xFFFFFF;
  int32_t bold = 0;
  int32_t italic = 0;
};

struct StaffRollEntry {
  enum class Kind : uint8_t { Text, Picture, Group, EndGroup };
  Kind kind = Kind::Text;
  // The text of a text line, the picture file of the others.
  std::string text;
  // Text line: the font in force, and whether its face, size or weight
  // was set since the previous text line (the font is then made again).
  StaffRollFont font;
  bool remakeFont = false;
  // Text and picture lines.
  int32_t xOffset = 0;
  int32_t advance = 0;
  int32_t margin = 0;
  int32_t alignment = 1;  // 0 left, 1 centred, 2 right
  // Group pictures ("egrp": offset in startOffset).
  int32_t x = 0, y = 0, endX = 0, endY = 0;
  uint8_t maxOpacity = 255;
  int32_t startOffset = 0;
  int32_t length = -1;  // below 0: open until the next group or "egrp"
  uint32_t fadeInMs = 800;
  uint32_t fadeOutMs = 800;
  uint32_t order = 1000;
  // Results of placing: a line's x and base y; a group's heights and span.
  int32_t placedX = 0;
  int32_t baseY = 0;
  int32_t startHeight = 0;
  int32_t endHeight = -1;
  int32_t span = 0;
};

class StaffRollLayout {
 public:
  // Reads the layout file line by line. kLayoutOk, or a code above.
  int32_t Load(const char* fileName);
  int32_t Read(FileObject& file);
  // One line (CP932, without its line end); kLayoutOk or a code.
  int32_t ReadLine(const char* line);
  void Clear();

  // Places the entries in file order: size(i, &w, &h) gives the surface size
  // of line entry i. The lines' x follow their alignment on a screen of that
  // width; each line's base y is the total height so far plus its advance;
  // groups start at the total height so far (plus their start offset), and
  // an open group closes where the next one starts, or at the end.
  void Place(int32_t screenWidth, const std::function<void(size_t, int32_t*, int32_t*)>& size);

  std::vector<StaffRollEntry>& Entries() { return entries_; }
  const std::vector<StaffRollEntry>& Entries() const { return entries_; }
  bool HasMusic() const { return hasMusic_; }
  const std::string& Music() const { return music_; }
  uint32_t ScrollMs() const { return scrollMs_; }
  int32_t ExtraHeight() const { return extraHeight_; }
  uint32_t HoldMs() const { return holdMs_; }
  uint32_t FadeMs() const { return fadeMs_; }
  bool FinishAtEnd() const { return finishAtEnd_; }
  int32_t TotalHeight() const { return totalHeight_; }
  // Whether any text or picture line was read.
  bool HasLines() const;

 private:
  int32_t ReadFields(const char* keyword, const char* fields);

  std::vector<StaffRollEntry> entries_;
  int commentDepth_ = 0;
  bool hasMusic_ = false;
  std::string music_;
  uint32_t scrollMs_ = 0;
  int32_t extraHeight_ = 0;
  uint32_t holdMs_ = 0;
  uint32_t fadeMs_ = 0;
  bool finishAtEnd_ = true;
  int32_t totalHeight_ = 0;
  // The values in force for the lines that follow.
  StaffRollFont font_;
  bool fontChanged_ = false;
  StaffRollEntry line_;   // margin and alignment
  StaffRollEntry group_;  // the "laygrp" settings
  // The fields of the previous line of each keyword.
  StaffRollEntry lastText_;
  StaffRollEntry lastPicture_;
  StaffRollEntry lastGroup_;
  int32_t lastEndGroupOffset_ = 0;
};

}  // namespace orrivel
