#include "effect/BgHazeAction.h"

#include <algorithm>
#include <limits>
#include <new>

#include "base/Cp932.h"
#include "base/MathTables.h"
#include "raster/Surface.h"
#include "scene/SpriteCanvas.h"
#include "script/ParamReader.h"

namespace orrivel {
namespace {

// The groups are counted by their opening parentheses; a double-byte
// character's trail byte is not a parenthesis.
int32_t CountGroups(const char* text) {
  int32_t groups = 0;
  for (const char* p = text; *p != '\0'; ++p) {
    if (cp932::IsLeadByte(*p)) {
      if (p[1] == '\0') break;
      ++p;
    } else if (*p == '(') {
      ++groups;
    }
  }
  return groups;
}

int32_t ReadIntOr0(ParamReader& reader) {
  int32_t value = 0;
  return reader.ReadInt(value) == ParamReader::kOk ? value : 0;
}

}  // namespace

bool BuildHazeProfile(const char* text, int32_t length, std::vector<int32_t>* profile) {
  const MathTables* tables = GetMathTables();
  if (text == nullptr || tables == nullptr || length < 1 || length > BgHazeAction::kMaxProfileLength) return false;
  const int32_t groups = CountGroups(text);
  if (groups == 0) return false;
  // Terms of large amplitude overflow 32 bits before the mean is taken.
  std::vector<int64_t> sums;
  try {
    sums.assign(size_t(length), 0);
    profile->assign(size_t(length), 0);
  } catch (const std::bad_alloc&) {
    return false;
  }
  const uint32_t step = 33554432u / uint32_t(length);
  ParamReader reader(text);
  for (int32_t g = 0; g < groups; ++g) {
    const int32_t f = ReadIntOr0(reader), p = ReadIntOr0(reader), a = ReadIntOr0(reader);
    for (int32_t i = 0; i < length; ++i) {
      const uint32_t u = uint32_t(i) * step;
      const int32_t angle = int32_t((u >> 16) * uint32_t(f) + uint32_t(p));
      sums[size_t(i)] += int64_t{tables->Cos(angle)} * a;
    }
  }
  constexpr int64_t kLow = std::numeric_limits<int32_t>::min(), kHigh = std::numeric_limits<int32_t>::max();
  for (int32_t i = 0; i < length; ++i)
    (*profile)[size_t(i)] = int32_t(std::clamp<int64_t>((sums[size_t(i)] / groups) >> 16, kLow, kHigh));
  return true;
}

int32_t BgHazeAction::SetupV(TimerList* timerList, const ObjectArgument& target, const ObjectArguments& cells) {
  if (const int32_t code = ClaimCanvas(timerList, target); code != 0) return code;
  if (!BuildHazeProfile(TextOrNull(cells.Text(0)), cells.Cell(1), &profile_)) {
    ReleaseWorkCopy();
    return kBadProfile;
  }
  StoreCommonCells(cells);
  return Start(timerList, kNotListed, cells.Cell(7) != 0);
}

int32_t BgHazeAction::PhaseAt(uint32_t elapsed) const {
  return int32_t(uint64_t{elapsed % period_} * profile_.size() / period_);
}

void BgHazeAction::Draw(int32_t start, int32_t level) {
  Surface* copy = WorkCopy();
  Surface* picture = BackgroundPicture(*canvas_);
  if (!CopyFitsPicture(copy, picture) || profile_.empty()) return;
  const int32_t width = copy->GetWidth(), height = copy->GetHeight();
  const platform::Point origin = BackgroundSourceOrigin(*canvas_, width, height);
  const uint32_t color = canvas_->GetBackgroundValue();
  const size_t n = profile_.size();
  for (int32_t r = 0; r < height; ++r) {
    const int64_t d = (int64_t{profile_[(size_t(start) + size_t(r)) % n]} * level) >> 9;
    auto* row = reinterpret_cast<uint32_t*>(copy->GetScanLine(r));
    // The row reads the picture d rows lower and d columns further right.
    const int64_t sourceRow = int64_t{r} + d;
    if (sourceRow < 0 || sourceRow >= height) {
      if (fill_) std::fill(row, row + width, color);
      continue;
    }
    const auto* source = reinterpret_cast<const uint32_t*>(picture->GetScanLine(int32_t(origin.y + sourceRow))) +
                         origin.x;
    ShiftRow32(row, source, width, -d, fill_, color);
  }
  canvas_->MarkAllChanged();
}

bool BgHazeAction::CopyParameters(const BackgroundWaveAction& other) {
  try {
    profile_ = static_cast<const BgHazeAction&>(other).profile_;
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

}  // namespace orrivel
