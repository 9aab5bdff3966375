// Timed transition effects on a manual clock and the timer list, drawn on a
// target whose every drawn rectangle is counted per pixel.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "base/TimerList.h"
#include "platform/Clock.h"
#include "raster/BlendTables.h"
#include "raster/Surface.h"
#include "base/LowPriority.h"
#include "transition/TransitionEffect.h"

namespace orrivel {
namespace {

constexpr int kTW = 41, kTH = 31;     // target
constexpr int kX = 3, kY = 2;         // where the pattern lies on it
constexpr int kW = 33, kH = 25;       // the pattern's extent (odd both ways)
constexpr uint32_t kBackground = 0xFF101010u;

uint32_t& At(Surface& s, int x, int y) { return reinterpret_cast<uint32_t*>(s.GetScanLine(y))[x]; }

class CountingTap : public EffectFragmentTap {
 public:
  void Drawn(const Rect& r) override {
    for (int y = std::max(r.top, 0); y < std::min(r.bottom, kTH); ++y)
      for (int x = std::max(r.left, 0); x < std::min(r.right, kTW); ++x) ++count[y][x];
    ++fragments;
  }
  int count[kTH][kTW] = {};
  int fragments = 0;
};

bool IsCopyKind(int kind) { return (kind >= 2 && kind <= 7) || kind >= 14; }

// Which pixel (c, r) of the pattern is drawn after n units (rows and
// columns counted apart in the rectangle kinds), from the patterns' rules.
bool Drawn(int kind, int n, int nc, int c, int r) {
  const int W = kW, H = kH;
  switch (kind >= 8 && kind <= 13 ? kind - 6 : kind) {
    case 2: return r >= H / 2 - n && r < H / 2 + n;
    case 3: return c >= W / 2 - n && c < W / 2 + n;
    case 4: return r >= H / 2 - n && r < H / 2 + n && c >= W / 2 - nc && c < W / 2 + nc;
    case 5: return r < n || r >= H - n;
    case 6: return c < n || c >= W - n;
    case 7: return r < n || r >= H - n || c < nc || c >= W - nc;
    case 14: return c % 16 < n;
    case 15: return (W - 1 - c) % 16 < n;
    case 16: return r % 16 < n;
    case 17: return (H - 1 - r) % 16 < n;
    case 18: return c % 16 + c / 16 < n;
    case 19: return (W - 1 - c) % 16 + (W - 1 - c) / 16 < n;
    case 20: return r % 16 + r / 16 < n;
    case 21: return (H - 1 - r) % 16 + (H - 1 - r) / 16 < n;
  }
  return false;
}

int UnitsOf(int kind, bool columns) {
  switch (kind >= 8 && kind <= 13 ? kind - 6 : kind) {
    case 2: case 5: return kH / 2;
    case 3: case 6: return kW / 2;
    case 4: case 7: return columns ? kW / 2 : kH / 2;
    case 18: case 19: return (kW + 15) / 16 + 15;
    case 20: case 21: return (kH + 15) / 16 + 15;
    default: return 16;
  }
}

class TransitionEffectTest : public ::testing::Test {
 protected:
  void SetUp() override {
    BuildBlendTables();
    ASSERT_EQ(target.Create(kTW, kTH, 32, 0), 0);
    ASSERT_EQ(source.Create(kW + 4, kH + 4, 32, 0), 0);
    Paint(target, kBackground);
    for (int y = 0; y < source.GetHeight(); ++y)
      for (int x = 0; x < source.GetWidth(); ++x) At(source, x, y) = 0xFF000000u | uint32_t(y << 8 | x);
    holder.SetTap(&tap);
  }
  void TearDown() override { list.Clear(); }
  static void Paint(Surface& s, uint32_t v) {
    for (int y = 0; y < s.GetHeight(); ++y)
      for (int x = 0; x < s.GetWidth(); ++x) At(s, x, y) = v;
  }
  // Copy kinds: source rectangle (2, 2) of kW x kH to (kX, kY); colour
  // kinds: mode 1 adds (10, 20, 30) over the area; fades: the area.
  uint32_t Start(int kind, uint32_t duration) {
    if (IsCopyKind(kind)) return holder.Create(kind, duration, &target, &source, kX, kY, 0, 2, 2, kW, kH, 0);
    return holder.Create(kind, duration, &target, nullptr, kX, kY, kW, kH, 1, 10, 20, 30);
  }
  uint32_t Want(int c, int r, bool drawn, int kind) {
    if (!drawn) return kBackground;
    if (kind == 0) return 0xFF000000u;
    if (kind == 1) return 0xFFFFFFFFu;
    if (IsCopyKind(kind)) return At(source, c + 2, r + 2);
    return 0xFF1A242Eu;  // 0x10 + 10, 0x10 + 20, 0x10 + 30
  }

  platform::ManualClock clock{5000};
  platform::ScopedClock useClock{clock};
  TimerList list;
  TransitionEffectHolder holder{&list};
  Surface target, source;
  CountingTap tap;
};

TEST_F(TransitionEffectTest, EveryKindDrawsWhatBecameDueOnceAndEndsOnItsFullPicture) {
  constexpr uint32_t kDuration = 230;
  for (int kind = 0; kind < kTransitionEffectKinds; ++kind) {
    SCOPED_TRACE(kind);
    SetUp();
    tap = CountingTap{};
    const uint32_t start = clock.TickMs();
    const uint32_t handle = Start(kind, kDuration);
    ASSERT_NE(handle, 0u);
    for (uint32_t e = 0; e < kDuration; e += 7) {
      list.Step(start + e);
      if (kind <= 1) continue;
      const int n = int(double(e) * UnitsOf(kind, false) / kDuration);
      const int nc = int(double(e) * UnitsOf(kind, true) / kDuration);
      for (int y = 0; y < kTH; ++y)
        for (int x = 0; x < kTW; ++x) {
          const int c = x - kX, r = y - kY;
          const bool inside = c >= 0 && c < kW && r >= 0 && r < kH;
          ASSERT_EQ(tap.count[y][x], inside && Drawn(kind, n, nc, c, r) ? 1 : 0)
              << "e " << e << " at " << c << "," << r;
        }
      EXPECT_TRUE(holder.Accepts(handle));
    }
    list.Step(start + kDuration);
    EXPECT_FALSE(holder.Accepts(handle));
    EXPECT_EQ(list.Size(), 0u);
    for (int y = 0; y < kTH; ++y)
      for (int x = 0; x < kTW; ++x) {
        const int c = x - kX, r = y - kY;
        const bool inside = c >= 0 && c < kW && r >= 0 && r < kH;
        if (kind > 1) {
          ASSERT_EQ(tap.count[y][x], inside ? 1 : 0) << c << "," << r;
        }
        ASSERT_EQ(At(target, x, y), Want(c, r, inside, kind)) << c << "," << r;
      }
  }
}

TEST_F(TransitionEffectTest, FadeStepsEveryThreeMsAndItsEndIsAFullLevelOnce) {
  const uint32_t start = clock.TickMs();
  const uint32_t handle = holder.Create(0, 1000, &target, nullptr, 65535, 0, 0, 0, 0, 0, 0, 0);
  ASSERT_EQ(list.Tasks().size(), 1u);
  EXPECT_EQ(list.Tasks()[0]->Interval(), 3u);
  Paint(target, 0xFFFFFFFFu);
  list.Step(start + 3);  // level 0: nothing yet
  EXPECT_EQ(At(target, 0, 0), 0xFFFFFFFFu);
  list.Step(start + 6);  // level 1
  EXPECT_EQ(At(target, 5, 5), 0xFFFEFEFEu);
  list.Step(start + 501);
  EXPECT_EQ(At(target, 5, 5), 0xFFFFFFFFu - 0x7F7F7Fu);
  EXPECT_EQ(holder.CompleteIfAccepted(handle), 0);
  EXPECT_EQ(At(target, kTW - 1, kTH - 1), 0xFF000000u);
  EXPECT_FALSE(holder.Accepts(handle));
  // What is drawn after the end stays: the list's next step does not fade again.
  Paint(target, 0xFF808080u);
  list.Step(start + 2000);
  EXPECT_EQ(At(target, 7, 7), 0xFF808080u);
  EXPECT_EQ(list.Size(), 0u);
  EXPECT_EQ(holder.CompleteIfAccepted(handle), 0);
  EXPECT_EQ(At(target, 7, 7), 0xFF808080u);
}

TEST_F(TransitionEffectTest, OddExtentsAndStaggeredBands) {
  // Kind 2 on 101 rows: 50 above and 50 below the centre line; row 100 last.
  Surface tall, tallSource;
  ASSERT_EQ(tall.Create(3, 101, 32, 0), 0);
  ASSERT_EQ(tallSource.Create(3, 101, 32, 0), 0);
  Paint(tall, 0);
  Paint(tallSource, 0xFFFFFFFFu);
  uint32_t start = clock.TickMs();
  holder.SetTap(nullptr);
  holder.Create(2, 1000, &tall, &tallSource, 0, 0, 0, 0, 0, 3, 101, 0);
  list.Step(start + 999);  // 49 of 50 steps: rows 1 to 98
  EXPECT_EQ(At(tall, 0, 1), 0xFFFFFFFFu);
  EXPECT_EQ(At(tall, 0, 98), 0xFFFFFFFFu);
  for (int row : {0, 99, 100}) EXPECT_EQ(At(tall, 0, row), 0u) << row;
  list.Step(start + 1000);
  EXPECT_EQ(At(tall, 0, 100), 0xFFFFFFFFu);

  // Kind 18 on 100 columns: 7 bands, 22 steps, the leftmost band complete
  // after 16 and the next one still missing its last column.
  Surface wide, wideSource;
  ASSERT_EQ(wide.Create(100, 2, 32, 0), 0);
  ASSERT_EQ(wideSource.Create(100, 2, 32, 0), 0);
  Paint(wide, 0);
  Paint(wideSource, 0xFFFFFFFFu);
  start = clock.TickMs();
  holder.Create(18, 2200, &wide, &wideSource, 0, 0, 0, 0, 0, 100, 2, 0);
  list.Step(start + 1600);
  for (int x = 0; x < 16; ++x) EXPECT_EQ(At(wide, x, 0), 0xFFFFFFFFu) << x;
  EXPECT_EQ(At(wide, 31, 0), 0u);
  EXPECT_EQ(At(wide, 30, 0), 0xFFFFFFFFu);
  list.Step(start + 2000);  // 20 steps: band 5 still misses its last column
  EXPECT_EQ(At(wide, 95, 0), 0u);
  EXPECT_EQ(At(wide, 94, 0), 0xFFFFFFFFu);
  EXPECT_EQ(At(wide, 99, 0), 0xFFFFFFFFu);  // the short last band fills early
  list.Step(start + 2200);
  for (int x = 0; x < 100; ++x) EXPECT_EQ(At(wide, x, 1), 0xFFFFFFFFu) << x;
}

TEST_F(TransitionEffectTest, ColourModesDurationZeroAndRefusals) {
  // Mode 7 blends at level 7, mode 300 at 128.
  for (const auto& [mode, level] : {std::pair{7, 7u}, std::pair{300, 128u}, std::pair{0, 128u}}) {
    Paint(target, 0xFF000000u);
    const uint32_t start = clock.TickMs();
    ASSERT_NE(holder.Create(8, 100, &target, nullptr, 0, 0, 4, 4, mode, 255, 255, 255), 0u);
    list.Step(start + 100);
    EXPECT_EQ(list.Size(), 0u);
    EXPECT_GT(tap.fragments, 0);
    EXPECT_EQ(At(target, 1, 1), 0xFF000000u | level << 16 | level << 8 | level) << mode;
  }
  // Duration 0 runs as 1 ms.
  Paint(target, kBackground);
  uint32_t start = clock.TickMs();
  const uint32_t handle = holder.Create(5, 0, &target, &source, 0, 0, 0, 0, 0, 4, 4, 0);
  list.Step(start);
  EXPECT_EQ(At(target, 0, 0), kBackground);
  EXPECT_TRUE(holder.Accepts(handle));
  list.Step(start + 1);
  EXPECT_EQ(At(target, 3, 3), At(source, 3, 3));
  EXPECT_FALSE(holder.Accepts(handle));

  tap = CountingTap{};
  TransitionEffectHolder none;
  EXPECT_EQ(none.Create(2, 100, &target, &source, 0, 0, 0, 0, 0, 4, 4, 0), 0u);
  EXPECT_EQ(none.CompleteIfAccepted(1), 1);
  EXPECT_EQ(none.Cancel(1), 1);
  EXPECT_FALSE(none.Accepts(1));
  EXPECT_EQ(holder.Create(2, 100, nullptr, &source, 0, 0, 0, 0, 0, 4, 4, 0), 0u);
  EXPECT_EQ(holder.Create(22, 100, &target, &source, 0, 0, 0, 0, 0, 4, 4, 0), 0u);
  EXPECT_EQ(holder.Create(-1, 100, &target, &source, 0, 0, 0, 0, 0, 4, 4, 0), 0u);
  EXPECT_EQ(holder.Create(14, 100, &target, nullptr, 0, 0, 0, 0, 0, 4, 4, 0), 0u);
  list.Step(clock.TickMs() + 1000);
  EXPECT_EQ(tap.fragments, 0);
  EXPECT_EQ(list.Size(), 0u);
}

TEST_F(TransitionEffectTest, PlacementsAtTheEndsOfTheRangeDrawNothingAndEnd) {
  // Scripts place effects anywhere: positions at the ends of the 32-bit
  // range land off the target instead of wrapping round onto it.
  const std::vector<uint32_t> before = [&] {
    std::vector<uint32_t> v;
    for (int y = 0; y < kTH; ++y)
      for (int x = 0; x < kTW; ++x) v.push_back(At(target, x, y));
    return v;
  }();
  for (const int32_t far : {INT32_MAX - 5, INT32_MIN + 5}) {
    for (const int kind : {0, 2, 4, 7, 8, 10, 13, 14, 18, 21}) {
      SCOPED_TRACE(::testing::Message() << "kind " << kind << " at " << far);
      const uint32_t start = clock.TickMs();
      const uint32_t handle =
          IsCopyKind(kind) ? holder.Create(kind, 50, &target, &source, far, far, 0, 2, 2, kW, kH, 0)
                           : holder.Create(kind, 50, &target, nullptr, far, far, kW, kH, 1, 10, 20, 30);
      ASSERT_NE(handle, 0u);
      list.Step(start + 20);
      list.Step(start + 50);
      EXPECT_FALSE(holder.Accepts(handle));
      std::vector<uint32_t> now;
      for (int y = 0; y < kTH; ++y)
        for (int x = 0; x < kTW; ++x) now.push_back(At(target, x, y));
      EXPECT_EQ(now, before);
    }
  }
}

int g_entered = 0, g_left = 0;

TEST_F(TransitionEffectTest, HandlesCancelLostImagesAndLowPriority) {
  GetLowPriorityHooks() = LowPriorityHooks{[] { ++g_entered; }, [] { ++g_left; }};
  const uint32_t start = clock.TickMs();
  const uint32_t cancelled = Start(16, 160);
  EXPECT_EQ(g_entered, 1);
  list.Step(start + 30);  // three rows of each band
  const int drawn = tap.fragments;
  EXPECT_GT(drawn, 0);
  EXPECT_EQ(holder.Cancel(cancelled), 0);
  EXPECT_FALSE(holder.Accepts(cancelled));
  list.Step(start + 200);
  EXPECT_EQ(tap.fragments, drawn);  // stopped where it was
  EXPECT_EQ(g_left, 1);

  // A stale handle names nothing, even once its slot is reused.
  const uint32_t next = Start(16, 160);
  EXPECT_NE(next, cancelled);
  EXPECT_FALSE(holder.Accepts(cancelled));
  EXPECT_EQ(holder.Cancel(cancelled), 0);
  EXPECT_TRUE(holder.Accepts(next));

  // Its source goes away: the next step ends it without drawing.
  const int before = tap.fragments;
  holder.ForgetImage(&source);
  list.Step(start + 500);
  EXPECT_EQ(tap.fragments, before);
  EXPECT_FALSE(holder.Accepts(next));
  EXPECT_EQ(g_left, 2);
  ResetLowPriorityHooks();
}

TEST_F(TransitionEffectTest, PausedTimeDoesNotCount) {
  const uint32_t start = clock.TickMs();
  const uint32_t handle = Start(5, 100);
  list.Step(start + 20);
  clock.SetTick(start + 20);
  ASSERT_TRUE(list.PauseTask(handle));
  const int drawn = tap.fragments;
  clock.SetTick(start + 1000);
  list.Step(start + 1000);
  EXPECT_EQ(tap.fragments, drawn);
  ASSERT_TRUE(list.ResumeTask(handle));
  list.Step(start + 1010);  // 30 ms of effect time
  EXPECT_TRUE(holder.Accepts(handle));
  list.Step(start + 1080);
  EXPECT_FALSE(holder.Accepts(handle));
}

}  // namespace
}  // namespace orrivel

namespace orrivel {
namespace {

// An image deleted under a running effect, with no one to say so first
// (the picture's owner just destroys it): the effect ends at its next step
// without drawing, whichever of its two images went, for a fade, a copy
// kind and a colour kind.
TEST_F(TransitionEffectTest, AnImageThatGoesEndsTheEffectsOnIt) {
  struct Row {
    int kind;
    bool sourceGoes;
  };
  for (const Row& row : {Row{0, false}, Row{3, false}, Row{3, true}, Row{16, true}, Row{9, false}}) {
    SCOPED_TRACE(testing::Message() << "kind " << row.kind << (row.sourceGoes ? " source" : " target"));
    auto own = std::make_unique<Surface>();
    ASSERT_EQ(own->Create(kTW, kTH, 32, 0), 0);
    const uint32_t start = clock.TickMs();
    Surface* onTarget = row.sourceGoes ? &target : own.get();
    Surface* fromSource = row.sourceGoes ? own.get() : &source;
    const uint32_t handle =
        IsCopyKind(row.kind) ? holder.Create(row.kind, 300, onTarget, fromSource, kX, kY, 0, 2, 2, kW, kH, 0)
                             : holder.Create(row.kind, 300, onTarget, nullptr, kX, kY, kW, kH, 1, 10, 20, 30);
    ASSERT_NE(handle, 0u);
    list.Step(start + 30);
    const int drawn = tap.fragments;
    own.reset();
    list.Step(start + 100);
    EXPECT_FALSE(holder.Accepts(handle));
    EXPECT_EQ(holder.CompleteIfAccepted(handle), 0);
    list.Step(start + 400);
    EXPECT_EQ(tap.fragments, drawn);
    EXPECT_EQ(list.Size(), 0u);
  }
}

}  // namespace
}  // namespace orrivel
