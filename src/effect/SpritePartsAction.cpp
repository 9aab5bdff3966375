#include "effect/SpritePartsAction.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "base/LowPriority.h"
#include "base/MathTables.h"
#include "base/TimerList.h"
#include "platform/Rect.h"
#include "raster/SpriteList.h"
#include "resource/FileObject.h"
#include "scene/CanvasDrawObject.h"
#include "scene/SpriteCanvas.h"

namespace orrivel {
namespace {

constexpr int32_t kExplicitAnchor = -1;
constexpr uint8_t kBlendAlpha = 1;
constexpr int32_t kMinPartSide = 8;
constexpr uint32_t kDefaultSegmentMs = 1000;

std::string_view Trim(std::string_view line) {
  while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
  while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r' || line.back() == '\n'))
    line.remove_suffix(1);
  return line;
}

bool StartsWith(std::string_view line, std::string_view prefix) { return line.substr(0, prefix.size()) == prefix; }

bool IsCommandLetter(char c) { return std::strchr("abcfrst", c) != nullptr && c != '\0'; }

// The comma-separated fields of a line's rest; an empty field is absent.
class Fields {
 public:
  explicit Fields(std::string_view rest) : text_(rest) {}
  bool Int(int32_t& value) {
    const std::string field = Next();
    const char* p = field.c_str();
    while (*p == ' ' || *p == '\t') ++p;
    return ParsePathInteger(p, value);
  }
  bool Real(double& value) {
    const std::string field = Next();
    const char* p = field.c_str();
    while (*p == ' ' || *p == '\t') ++p;
    return ParsePathReal(p, value);
  }

 private:
  std::string Next() {
    if (done_) return {};
    const size_t comma = text_.find(',');
    std::string field(text_.substr(0, comma));
    if (comma == std::string_view::npos) {
      done_ = true;
    } else {
      text_.remove_prefix(comma + 1);
    }
    return field;
  }
  std::string_view text_;
  bool done_ = false;
};

// Held inside the cells' range, so that a large factor cannot overflow.
int32_t Scaled(int32_t value, double scale) {
  return int32_t(std::clamp(std::trunc(value * scale), double(INT32_MIN), double(INT32_MAX)));
}

// A scaled part larger than this is refused rather than allocated.
constexpr int64_t kMaxScaledPixels = int64_t(1) << 26;

}  // namespace

int32_t SpritePartsAction::ReadTableLines(const LineReader& read, bool optional, std::vector<PartLines>& parts) {
  char buffer[SpritePartsAction::kMaxLine + 1];
  bool skippingSection = false;
  bool skippingPart = false;
  for (;;) {
    const int32_t used = read(buffer, sizeof buffer);
    if (used == 0) break;
    // A line that does not fit would be read as two lines of another meaning.
    if (used < 0) return SpritePartsAction::kNoFile;
    const std::string_view line = Trim(buffer);
    if (line.empty() || StartsWith(line, "//")) continue;
    if (skippingSection) {
      if (StartsWith(line, "#e")) skippingSection = false;
      continue;
    }
    if (StartsWith(line, "#s")) {
      skippingSection = !optional;
      continue;
    }
    if (StartsWith(line, "#e")) continue;
    if (line.front() == '*' || line.front() == '$') {
      parts.push_back(PartLines{std::string(line), {}});
      skippingPart = false;
      continue;
    }
    if (StartsWith(line, "#n")) {
      skippingPart = true;
      continue;
    }
    if (parts.empty()) {
      return IsCommandLetter(line.front()) ? SpritePartsAction::kCommandBeforePart
                                           : SpritePartsAction::kKeyBeforePart;
    }
    if (!skippingPart) parts.back().lines.emplace_back(line);
  }
  return 0;
}

namespace {

// The picture of a heading, relative to the table's folder, into surface;
// scaled by scale, never below 8 x 8.
bool LoadPicture(const std::string& folder, std::string_view file, double scale, Surface& surface) {
  if (file.empty()) return false;
  const std::string path = folder + std::string(file);
  if (path.size() > SpritePartsAction::kMaxPath) return false;
  if (scale == 1.0) return surface.LoadImage(path.c_str(), nullptr, 0, 0) == 0;
  Surface work;
  if (work.LoadImage(path.c_str(), nullptr, 0, 0) != 0) return false;
  const int32_t width = std::max(kMinPartSide, Scaled(work.GetWidth(), scale));
  const int32_t height = std::max(kMinPartSide, Scaled(work.GetHeight(), scale));
  if (int64_t(width) * height > kMaxScaledPixels) return false;
  if (surface.Create(width, height, 32, 0) != 0) return false;
  const Size size{width, height};
  surface.ScaleCopy(&work, &size, 0, 0, nullptr);
  surface.SetUserValue1(Scaled(work.GetUserValue1(), scale));
  surface.SetUserValue2(Scaled(work.GetUserValue2(), scale));
  return true;
}

}  // namespace

int32_t SpritePartsAction::BuildKeys(PartRecord& part, const std::vector<std::string>& lines, const LoadOptions& o) {
  const int32_t baseX = part.surface.GetUserValue1() + o.x;
  const int32_t baseY = part.surface.GetUserValue2() + o.y;
  int32_t x = baseX, y = baseY;
  int32_t alpha = 255;
  double scale = 1.0, angle = 0.0;
  int32_t bounce[4] = {0, 0, 0, 0};
  part.summary = SplinePath::Summary{};
  part.summary.pivotX = part.surface.GetWidth() / 2;
  part.summary.pivotY = part.surface.GetHeight() / 2;
  part.keys.clear();
  for (const std::string& text : lines) {
    const std::string_view line = text;
    const char letter = line.front();
    PathRecord record;
    // A key line's first letter is its x; a command's rest are its numbers.
    Fields fields(IsCommandLetter(letter) || letter == 'l' ? line.substr(1) : line);
    bool isKey = false;
    switch (letter) {
      case 't': {
        int32_t ms = 0;
        if (!fields.Int(ms)) return SpritePartsAction::kMissingNumber;
        if (ms == 0) return SpritePartsAction::kZeroTime;
        record.kind = PathRecord::kTime;
        record.value1 = ms;
        ++part.timedKeyCount;
        break;
      }
      case 'r': {
        int32_t low = 0, high = 0;
        if (!fields.Int(low) || !fields.Int(high)) return SpritePartsAction::kMissingNumber;
        record.kind = PathRecord::kFrameRange;
        record.value1 = low;
        record.value2 = high - low + 1;
        break;
      }
      case 'a': {
        record.kind = PathRecord::kValue;
        double exponent = 0.0;
        if (fields.Real(exponent)) {
          record.flag = 1;
          record.zoom = exponent;
        }
        break;
      }
      case 's': {
        int32_t on = 1;
        fields.Int(on);
        record.kind = on != 0 ? PathRecord::kSpline : PathRecord::kMarker;
        if (on != 0) part.spline = true;
        break;
      }
      case 'f':
        record.kind = PathRecord::kEndMode1;
        part.orderMode = 1;
        break;
      case 'b':
        record.kind = PathRecord::kEndMode2;
        part.orderMode = 2;
        break;
      case 'c': {
        int32_t ax = 0, ay = 0;
        fields.Int(ax);
        fields.Int(ay);
        record.kind = PathRecord::kPivot;
        record.value1 = Scaled(ax, o.scale);
        record.value2 = Scaled(ay, o.scale);
        part.summary.pivotX = record.value1;
        part.summary.pivotY = record.value2;
        break;
      }
      case 'l':
        for (int32_t& b : bounce) {
          int32_t value = 0;
          b = fields.Int(value) ? Scaled(value, o.scale) : 0;
        }
        continue;
      default: {
        int32_t value = 0;
        double real = 0.0;
        if (fields.Int(value)) x = baseX + Scaled(value, o.scale);
        if (fields.Int(value)) y = baseY + Scaled(value, o.scale);
        if (fields.Int(value)) alpha = std::clamp(value, 0, 255);
        if (fields.Real(real)) {
          scale = real == 0.0 ? 1.0 : real;
          part.summary.zoomUsed = true;
          part.summary.largestZoom = std::max(part.summary.largestZoom, scale);
        }
        if (fields.Real(real)) {
          angle = real;
          part.summary.rotationUsed = true;
        }
        record.kind = PathRecord::kPoint;
        record.value1 = x;
        record.value2 = y;
        record.flag = uint8_t(alpha);
        record.zoom = scale;
        record.rotation = angle;
        record.swingWidth = bounce[0];
        record.swingHeight = bounce[1];
        record.swingShiftX = bounce[2];
        record.swingShiftY = bounce[3];
        isKey = true;
        break;
      }
    }
    if (part.keys.empty() && !isKey) return SpritePartsAction::kCommandBeforeKey;
    if (isKey) {
      part.summary.lastPoint = int32_t(part.keys.size());
      record.pointNumber = part.keyLineCount++;
    }
    part.keys.push_back(record);
  }
  part.summary.endMode = part.orderMode;
  part.rotating = part.summary.zoomUsed || part.summary.rotationUsed;
  part.scale = part.summary.largestZoom;
  return 0;
}

SpritePartsAction::~SpritePartsAction() { Clear(); }

void SpritePartsAction::Clear() {
  ClearParts();
  composition_.reset();
}

void SpritePartsAction::ClearParts() {
  animations_.clear();
  for (auto& part : parts_) {
    for (auto& loop : part->loops) loop.reset();
    if (SpriteList* list = part->mainSprite.OwningList()) list->Remove(&part->mainSprite);
    if (SpriteList* list = part->mirrorSprite.OwningList()) list->Remove(&part->mirrorSprite);
  }
  parts_.clear();
  status_.clear();
}

PartRecord* SpritePartsAction::GetPart(int32_t index) {
  if (index < 0 || index >= PartCount()) return nullptr;
  return parts_[size_t(index)].get();
}

int32_t SpritePartsAction::LoadTable(const char* name, SpriteCanvas* canvas, const LoadOptions& options,
                                     SpriteCanvas* mirror) {
  if (name == nullptr || canvas == nullptr) return kBadArguments;
  ClearParts();
  FileObject file;
  if (file.Open(name) != 0) return kNoFile;
  std::vector<PartLines> lines;
  const auto readLine = [&file](char* buffer, uint32_t capacity) { return file.ReadLine(buffer, capacity); };
  if (const int32_t code = ReadTableLines(readLine, options.optional, lines); code != 0) return code;
  if (lines.empty()) return kNoPart;
  const std::string_view tableName(name);
  const size_t slash = tableName.find_last_of("/\\");
  const std::string folder(slash == std::string_view::npos ? std::string_view{} : tableName.substr(0, slash + 1));
  uint32_t order = options.baseOrder;
  for (const PartLines& source : lines) {
    auto part = std::make_unique<PartRecord>();
    const bool looping = source.heading.front() == '$';
    const std::string_view rest = std::string_view(source.heading).substr(1);
    const size_t comma = rest.find(',');
    if (!LoadPicture(folder, Trim(rest.substr(0, comma)), options.scale, part->surface)) return kBadPicture;
    part->order = int32_t(order--);
    if (looping) {
      Fields fields(comma == std::string_view::npos ? std::string_view{} : rest.substr(comma + 1));
      int32_t x = part->surface.GetUserValue1(), y = part->surface.GetUserValue2();
      int32_t window = 0, alpha = 255, direction = 0, period = 2000;
      fields.Int(x);
      fields.Int(y);
      fields.Int(window);
      fields.Int(alpha);
      fields.Int(direction);
      fields.Int(period);
      part->loops[0] = std::make_unique<SpriteLoopAction>();
      if (part->loops[0]->Init(canvas, &part->surface, x + options.x, y + options.y, window, uint8_t(alpha),
                               uint32_t(part->order), uint8_t(direction), uint32_t(period), 0) != 0) {
        part->loops[0].reset();
        return kBadPicture;
      }
      if (!PartsShownOnFirstCanvas()) part->loops[0]->SetShown(false);
      if (mirror != nullptr) {
        part->loops[1] = std::make_unique<SpriteLoopAction>();
        if (part->loops[1]->Init(mirror, &part->surface, x + options.x, y + options.y, window, uint8_t(alpha),
                                 uint32_t(part->order), uint8_t(direction), uint32_t(period), 0) != 0) {
          part->loops[1].reset();
          return kBadPicture;
        }
        if (!showMirror_) part->loops[1]->SetShown(false);
      }
      part->keyLineCount = -1;
    } else {
      if (part->mainSprite.SetImage(&part->surface, nullptr, 0, 0) != 0) return kBadPicture;
      part->mainSprite.SetBlendMode(kBlendAlpha);
      if (canvas->MainList().Add(&part->mainSprite, uint32_t(part->order), 0) != 0) return kBadPicture;
      if (source.lines.empty()) return kNoKey;
      if (const int32_t code = BuildKeys(*part, source.lines, options); code != 0) return code;
      const PathRecord& first = part->keys.front();
      part->mainSprite.SetPosition(first.value1, first.value2);
      part->mainSprite.SetAnchor(kExplicitAnchor, part->summary.pivotX, part->summary.pivotY);
      part->mainSprite.SetOpacity(first.flag);
      part->mainSprite.SetVisible(PartsShownOnFirstCanvas() ? 1 : 0);
      if (mirror != nullptr) {
        // The mirror shows the main sprite's picture without owning it.
        part->mirrorSprite.ShareImage(&part->mainSprite);
        part->mirrorSprite.SetVisible(showMirror_ ? 1 : 0);
        if (mirror->MainList().Add(&part->mirrorSprite, uint32_t(part->order), 0) != 0) return kBadPicture;
      }
    }
    parts_.push_back(std::move(part));
  }
  return 0;
}

int32_t SpritePartsAction::SetupV(TimerList* timerList, const ObjectArgument& target, const ObjectArguments& cells) {
  auto* object = target.Object<CanvasDrawObject>();
  const std::optional<std::string> nameText = cells.Text(0);
  const char* name = TextOrNull(nameText);
  if (timerList == nullptr || object == nullptr || name == nullptr) return kBadArguments;
  // The paired display shows the figure's mirror.
  CanvasDrawObject* twin = nullptr;
  if (cells.Cell(9) != 0) {
    twin = object->PairedImage();
    if (twin == nullptr || twin->GetCanvas() == nullptr) return kNoTargetImage;
  }
  target_ = object;
  Watch(target_->GetCanvas());
  showMain_ = cells.Cell(9) == 0 || cells.Cell(10) != 0;
  showMirror_ = cells.Cell(9) == 0 || cells.Cell(11) != 0;
  LoadOptions options;
  options.x = cells.Cell(1);
  options.y = cells.Cell(2);
  options.baseOrder = uint32_t(cells.Cell(3));
  options.optional = cells.Cell(4) != 0;
  options.scale = cells.Double(5);
  if (!(options.scale > 0.0) || !std::isfinite(options.scale)) options.scale = 1.0;
  SpriteCanvas* canvas = object->GetCanvas();
  SpriteCanvas* mirror = twin != nullptr ? twin->GetCanvas() : nullptr;
  if (cells.Cell(8) != 0) {
    // One canvas serves both displays: the parts are stepped and tracked
    // once, and each display draws them where they changed.
    composition_ = std::make_unique<PartsComposition>();
    if (!composition_->Build(*object, twin, options.baseOrder)) {
      Clear();
      return kNoTargetImage;
    }
    canvas = &composition_->Canvas();
    mirror = nullptr;
  }
  if (const int32_t code = LoadTable(name, canvas, options, mirror); code != 0) {
    Clear();
    return code;
  }
  if (composition_) {
    composition_->SetShown(0, showMain_);
    composition_->SetShown(1, showMirror_);
  }
  status_.assign(parts_.size(), kKeyed);
  SetSpPanimeOrderValues(options.baseOrder - uint32_t(parts_.size()), options.baseOrder);
  for (size_t i = 0; i < parts_.size(); ++i) {
    PartRecord& part = *parts_[i];
    animations_.push_back(std::make_unique<SpritePartAnimation>());
    if (part.keyLineCount < 0) {
      status_[i] = kLooping;
    } else if (part.keyLineCount <= 1 && part.keys.size() <= 1) {
      status_[i] = kStill;
    } else if (animations_.back()->SetupFromKeys(&part.mainSprite, kDefaultSegmentMs, options.optional, part) != 0) {
      Clear();
      return kAnimationRefused;
    }
  }
  if (MathTables* tables = GetMathTables()) tables->GetSinCosTable();
  if (timerList->Add(this, 0, 0, 0) != 0) {
    Clear();
    return kBadArguments;
  }
  if (cells.Cell(7) != 0) EnterLowPriority();
  return 0;
}

void SpritePartsAction::ShowPart(PartRecord& part) {
  if (part.keyLineCount < 0) {
    if (part.loops[0]) part.loops[0]->SetShown(part.visible && PartsShownOnFirstCanvas());
    if (part.loops[1]) part.loops[1]->SetShown(part.visible && showMirror_);
    return;
  }
  part.mainSprite.SetVisible(part.visible && PartsShownOnFirstCanvas() ? 1 : 0);
  if (part.mirrorSprite.OwningList() != nullptr) part.mirrorSprite.SetVisible(part.visible && showMirror_ ? 1 : 0);
}

int32_t SpritePartsAction::ControlV(const ObjectArguments& cells) {
  switch (cells.Cell(0)) {
    case 0:
      for (size_t i = 0; i < parts_.size(); ++i) {
        if (status_[i] == kKeyed) animations_[i]->ControlV(CellList({0}));
        for (auto& loop : parts_[i]->loops)
          if (loop) loop->RequestStop();
      }
      return 0;
    case 1:
      if (target_ == nullptr) return 2;
      SetShowFlags(cells.Cell(1) != 0, cells.Cell(2) != 0);
      for (size_t i = 0; i < parts_.size(); ++i)
        if (status_[i] != kEnded) ShowPart(*parts_[i]);
      return 0;
    case 2: {
      PartRecord* part = GetPart(cells.Cell(1));
      if (part == nullptr) return 1;
      part->visible = cells.Cell(2) != 0;
      if (status_[size_t(cells.Cell(1))] != kEnded) ShowPart(*part);
      return 0;
    }
    default:
      return 1;
  }
}

int32_t SpritePartsAction::Step(uint32_t now) {
  bool active = false;
  for (size_t i = 0; i < parts_.size(); ++i) {
    PartRecord& part = *parts_[i];
    if (status_[i] == kKeyed) {
      if (animations_[i]->Step(now) == 0) {
        active = true;
        if (part.visible) FollowMain(part);
      } else {
        part.mainSprite.SetVisible(0);
        part.mirrorSprite.SetVisible(0);
        status_[i] = kEnded;
      }
      continue;
    }
    for (auto& loop : part.loops) {
      if (!loop) continue;
      // An ended loop object is freed once, and its slot cleared so that
      // Clear does not free it again.
      if (loop->Step(now) != 0) {
        loop.reset();
      } else {
        active = true;
      }
    }
  }
  if (active && composition_) composition_->Render();
  return active ? 0 : 1;
}

void SpritePartsAction::SetShowFlags(bool first, bool second) {
  // After the displays exchanged their canvases the first cell names the
  // display the target shows now, which holds the mirror.
  SpriteList* firstList = composition_ ? composition_->View(0)->OwningList()
                          : parts_.empty()  ? nullptr
                                            : parts_.front()->mainSprite.OwningList();
  SpriteCanvas* shown = target_ != nullptr ? target_->GetCanvas() : nullptr;
  const bool exchanged = firstList != nullptr && shown != nullptr && firstList != &shown->MainList();
  showMain_ = exchanged ? second : first;
  showMirror_ = exchanged ? first : second;
  if (composition_) {
    composition_->SetShown(0, showMain_);
    composition_->SetShown(1, showMirror_);
  }
}

void SpritePartsAction::FollowMain(PartRecord& part) {
  ImageSprite& main = part.mainSprite;
  ImageSprite& mirror = part.mirrorSprite;
  if (mirror.OwningList() == nullptr) return;
  if (mirror.GetOpacity() != main.GetOpacity() || *mirror.GetBoundsPtr() != *main.GetBoundsPtr())
    mirror.ShareImage(&main);
  mirror.SetVisible(showMirror_ ? 1 : 0);
}

LayerAction::Loss SpritePartsAction::LosingCanvas(const SpriteCanvas& canvas) const {
  return target_ != nullptr && target_->GetCanvas() == &canvas ? Loss::Whole : Loss::None;
}

void SpritePartsAction::LetGoCanvas(const SpriteCanvas& canvas) {
  if (target_ != nullptr && target_->GetCanvas() == &canvas) target_ = nullptr;
}

}  // namespace orrivel
