// Named transitions: the registry rows, set-up refusals, progress on a
// manual tick (including a start just before the tick counter wraps), and
// the pictures drawn by a driver that follows the picture object's frame
// protocol with one band or several.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "base/MathTables.h"
#include "raster/PixelOpLibrary.h"
#include "raster/Surface.h"
#include "resource/TcpManager.h"
#include "transition/BandTransitions.h"
#include "transition/BuiltinTransitions.h"

namespace orrivel {
namespace {

class DepthTarget : public TransitionTarget {
 public:
  explicit DepthTarget(int32_t depth) : depth_(depth) {}
  int32_t GetDepth() const override { return depth_; }
  bool GetPictureSize(int32_t* width, int32_t* height) const override;

 private:
  int32_t depth_;
};

constexpr int kW = 24, kH = 19;

bool DepthTarget::GetPictureSize(int32_t* width, int32_t* height) const {
  *width = kW;
  *height = kH;
  return true;
}

uint32_t& At(Surface& s, int x, int y) { return reinterpret_cast<uint32_t*>(s.GetScanLine(y))[x]; }

std::vector<uint32_t> Pixels(Surface& s) {
  std::vector<uint32_t> out;
  for (int y = 0; y < s.GetHeight(); ++y)
    for (int x = 0; x < s.GetWidth(); ++x) out.push_back(At(s, x, y));
  return out;
}

class NamedTransitionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetPixelOpEntries();
    library = std::make_unique<PixelOpLibrary>("tvpgl.dll", nullptr, false);
    ASSERT_TRUE(library->HasModule()) << library->Error();
    SetCurrentPixelOpLibrary(library.get());
    ASSERT_EQ(RegisterStartupTransitions(registry), 0);
    previousTables = SetMathTables(&tables);
    std::mt19937 rng(3);
    for (Surface* s : {&destination, &from, &to}) {
      ASSERT_EQ(s->Create(kW, kH, 32, Surface::kWithRegion), 0);
      for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) At(*s, x, y) = uint32_t(rng()) | 0xFF000000u;
    }
    ASSERT_EQ(rule.Create(kW, kH, 8, 0), 0);
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) rule.GetScanLine(y)[x] = uint8_t((x * 11 + y * 7) & 0xFF);
  }
  void TearDown() override {
    SetMathTables(previousTables);
    SetCurrentPixelOpLibrary(nullptr);
    library.reset();
    ResetPixelOpEntries();
  }

  HeldPtr<NamedTransition> Make(const char* name, std::initializer_list<ObjectArgument> args,
                                TransitionTarget* on = nullptr) {
    TcpObject* made =
        registry.CreateObject(static_cast<TransitionTarget*>(on ? on : &target), name, args);
    return HeldPtr<NamedTransition>(dynamic_cast<NamedTransition*>(made));
  }
  ObjectArgument RuleArg(Image* image) { return ObjectArgument(image); }
  // The arguments as given, with the rule image in place for "rule".
  HeldPtr<NamedTransition> MakeWithRule(const char* name, std::vector<ObjectArgument> args) {
    if (std::string(name) == "rule") args[1] = RuleArg(&rule);
    ObjectArguments list{args.data(), args.size()};
    return HeldPtr<NamedTransition>(dynamic_cast<NamedTransition*>(
        registry.CreateObjectV(static_cast<TransitionTarget*>(&target), name, list)));
  }

  // One frame as the picture object drives it: update, every band of
  // bandHeight rows, then the finished test. The results of Apply are kept.
  int32_t Frame(NamedTransition& t, uint32_t now, int bandHeight, std::vector<int32_t>* results) {
    if (t.Update(now) != 0) return 0;
    for (int y = 0; y < kH; y += bandHeight) {
      const int h = std::min(bandHeight, kH - y);
      TransitionApplyRecord r{0, y, kW, h, &destination, 0, y, &from, 0, y, &to, 0, y};
      const int32_t result = t.Apply(r);
      if (results) results->push_back(result);
    }
    return t.IsFinished();
  }

  std::unique_ptr<PixelOpLibrary> library;
  MathTables tables;
  MathTables* previousTables = nullptr;
  TcpManager registry;
  DepthTarget target{32};
  Surface destination, from, to, rule;
};

TEST_F(NamedTransitionTest, StartupRowsAreRegisteredInOrderWithTheirCategories) {
  const std::vector<std::pair<std::string, uint8_t>> want = {
      {"cross", 0}, {"rule", 0}, {"scroll", 0}, {"wave", 0}, {"mosaic", 1}, {"rotaxis", 1}, {"trans", 1}, {"tone", 2}};
  ASSERT_EQ(registry.Records().size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) {
    EXPECT_EQ(registry.Records()[i].name, want[i].first);
    EXPECT_EQ(registry.Records()[i].type, want[i].second);
    EXPECT_EQ(registry.Records()[i].index, 0);
  }
  // Each object answers the registered name and category.
  for (const auto& [name, category] : want) {
    auto made = Make(name.c_str(), {1000, name == "rule" ? RuleArg(&rule) : 5, 0});
    ASSERT_NE(made, nullptr) << name;
    EXPECT_EQ(made->GetName(), name);
    EXPECT_EQ(made->GetCategory(), category);
    EXPECT_EQ(made->ExtraHolders(), 0u);
    EXPECT_EQ(made->Control(1, 2), -2);
    EXPECT_EQ(made->Query(), -2);
  }
  EXPECT_EQ(Make("Cross", {1000}), nullptr);  // names are exact
}

TEST_F(NamedTransitionTest, SetupRefusalsGiveNothing) {
  DepthTarget target16{16};
  struct Case {
    const char* name;
    std::vector<ObjectArgument> args;
    TransitionTarget* on;
  };
  Surface wide;
  ASSERT_EQ(wide.Create(4, 4, 32, 0), 0);
  const std::vector<Case> cases = {
      {"cross", {0}, &target},                        // duration 0
      {"tone", {}, &target},                          // no duration
      {"trans", {1000, 3, 0}, &target16},             // 16-bit target
      {"rule", {1000, RuleArg(&wide), 32}, &target},  // 32-bit rule image
      {"rule", {1000, 0, 32}, &target},               // no rule image
      {"nothing", {1000}, &target},
  };
  for (const Case& c : cases) {
    ObjectArguments list{c.args.data(), c.args.size()};
    EXPECT_EQ(registry.CreateObjectV(static_cast<TransitionTarget*>(c.on), c.name, list), nullptr)
        << c.name;
  }
  // The codes themselves.
  CrossTransition cross;
  const ObjectArgument zero[] = {0}, one[] = {1000};
  EXPECT_EQ(cross.SetupV(0, ObjectArguments{one, 1}), 1);
  EXPECT_EQ(cross.SetupV(static_cast<TransitionTarget*>(&target), ObjectArguments{zero, 1}), 1);
  EXPECT_EQ(cross.SetupV(static_cast<TransitionTarget*>(&target16), ObjectArguments{one, 1}), 2);
  // Without the library's entries the classes that need them refuse; trans
  // draws with the engine's own routines.
  SetCurrentPixelOpLibrary(nullptr);
  for (const char* name : {"cross", "rule", "tone"})
    EXPECT_EQ(Make(name, {1000, RuleArg(&rule), 0}), nullptr) << name;
  EXPECT_NE(Make("trans", {1000, 3, 0}), nullptr);
}

TEST_F(NamedTransitionTest, ProgressFollowsTheTickAcrossTheWrap) {
  struct Probe {
    uint32_t at;  // ms after the first update
    uint32_t progress;
    bool finished;
  };
  struct Case {
    const char* name;
    std::vector<ObjectArgument> args;
    std::vector<Probe> probes;
  };
  const std::vector<Case> cases = {
      {"cross", {1000}, {{0, 0, false}, {500, 127, false}, {999, 254, false}, {1000, 255, true}, {5000, 255, true}}},
      {"rule", {1000, 0, 32}, {{0, 0, false}, {500, 127, false}, {1000, 255, true}}},
      {"tone", {1000, 0x102030, 0}, {{0, 0, false}, {500, 127, false}, {1000, 255, true}}},
      {"tone", {1000, 0x102030, 1}, {{0, 255, false}, {500, 128, false}, {1000, 0, true}}},
      {"trans", {1000, 11, 0}, {{0, 0, false}, {500, 128, false}, {999, 255, false}, {1000, 256, true}}},
      {"trans", {1000, 11, 1}, {{0, 256, false}, {250, 192, false}, {1000, 0, true}}},
  };
  for (uint32_t start : {1000u, 0xFFFFFFFFu - 99u}) {
    for (const Case& c : cases) {
      HeldPtr<NamedTransition> t = MakeWithRule(c.name, c.args);
      ASSERT_NE(t, nullptr);
      EXPECT_EQ(t->IsFinished(), 0) << c.name << ": not finished before it starts";
      for (const Probe& p : c.probes) {
        EXPECT_EQ(t->Update(start + p.at), 0);
        uint32_t progress = 0;
        if (auto* cross = dynamic_cast<CrossTransition*>(t.get())) progress = cross->Progress();
        if (auto* trans = dynamic_cast<TransTransition*>(t.get())) progress = trans->Progress();
        if (auto* tone = dynamic_cast<ToneTransition*>(t.get())) progress = tone->Progress();
        EXPECT_EQ(progress, p.progress) << c.name << " at " << p.at << " from " << start;
        EXPECT_EQ(t->IsFinished(), p.finished ? -1 : 0) << c.name << " at " << p.at;
      }
    }
  }
  // However late the first update comes, it gives the start value.
  auto late = Make("cross", {10});
  late->Update(123456);
  EXPECT_EQ(static_cast<CrossTransition*>(late.get())->Progress(), 0);
}

TEST_F(NamedTransitionTest, BandsDrawTheSamePictureAsOneBand) {
  struct Case {
    const char* name;
    std::vector<ObjectArgument> args;
  };
  const std::vector<Case> cases = {
      {"cross", {1000}}, {"rule", {1000, 0, 20}}, {"tone", {1000, 0x4080C0, 0}},
      {"trans", {1000, 11, 0}}, {"trans", {1000, 29, 0}},
  };
  const std::vector<uint32_t> start = Pixels(destination);
  for (const Case& c : cases) {
    std::vector<std::vector<uint32_t>> pictures;
    for (int bandHeight : {kH, 1, 5}) {
      HeldPtr<NamedTransition> t = MakeWithRule(c.name, c.args);
      ASSERT_NE(t, nullptr);
      std::vector<int32_t> results;
      Frame(*t, 50, bandHeight, &results);
      Frame(*t, 50 + 430, bandHeight, &results);
      for (int32_t r : results) EXPECT_EQ(r, 0) << c.name;
      pictures.push_back(Pixels(destination));
      for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) At(destination, x, y) = start[size_t(y * kW + x)];
    }
    EXPECT_NE(pictures[0], start) << c.name << " drew nothing";
    EXPECT_EQ(pictures[1], pictures[0]) << c.name << " in one-row bands";
    EXPECT_EQ(pictures[2], pictures[0]) << c.name << " in five-row bands";
  }
}

TEST_F(NamedTransitionTest, EndPicturesAndToneExtremes) {
  // cross and rule end on the to-picture; trans too.
  for (const char* name : {"cross", "rule", "trans"}) {
    const bool isRule = std::string(name) == "rule";
    auto t = Make(name, {100, isRule ? RuleArg(&rule) : 11, isRule ? 8 : 0});
    ASSERT_NE(t, nullptr);
    Frame(*t, 7, kH, nullptr);
    EXPECT_EQ(Frame(*t, 107, 4, nullptr), -1) << name;
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x)
        ASSERT_EQ(At(destination, x, y) & 0xFFFFFF, At(to, x, y) & 0xFFFFFF) << name;
  }
  // Tone at 0 only copies the from-picture; at 255 it only fills.
  auto tone = Make("tone", {100, 0x336699, 0});
  Frame(*tone, 7, kH, nullptr);
  EXPECT_EQ(Pixels(destination), Pixels(from));
  EXPECT_EQ(Frame(*tone, 107, kH, nullptr), -1);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) ASSERT_EQ(At(destination, x, y), 0xFF336699u);
  const std::vector<uint32_t> fromBefore = Pixels(from);
  EXPECT_EQ(Pixels(from), fromBefore);
}

TEST_F(NamedTransitionTest, TransWithAnUnknownModeFailsEveryBandButRunsItsTime) {
  auto t = Make("trans", {200, 87, 0});
  ASSERT_NE(t, nullptr);
  std::vector<int32_t> results;
  EXPECT_EQ(Frame(*t, 0, 5, &results), 0);
  EXPECT_EQ(Frame(*t, 199, 5, &results), 0);
  EXPECT_EQ(results, std::vector<int32_t>(8, 5));
  EXPECT_EQ(Frame(*t, 200, 5, &results), -1);
}

TEST_F(NamedTransitionTest, CopyImageRect32MovesTheRectangleWithEitherKernel) {
  for (RowCopyKernel kernel : {&CopyPixels32, &CopyPixels32Packed}) {
    const std::vector<uint32_t> before = Pixels(destination);
    CopyImageRect32(kernel, &destination, 3, 4, &from, Rect{5, 2, 20, 9});
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) {
        const bool inside = x >= 3 && x < 18 && y >= 4 && y < 11;
        ASSERT_EQ(At(destination, x, y), inside ? At(from, x + 2, y - 2) : before[size_t(y * kW + x)]);
      }
    std::mt19937 rng(9);
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) At(destination, x, y) = uint32_t(rng());
  }
}

}  // namespace
}  // namespace orrivel
