// Priority order, registration rules and the drawing and restore passes of
// the scene-object registry.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "display/DisplayTestSupport.h"
#include "display/SceneObjectRegistry.h"

namespace orrivel {
namespace {

// Records its draws and restores in a shared log and answers as told.
class RecordingObject : public SceneObject {
 public:
  RecordingObject(std::string name, std::vector<std::string>* log) : name_(std::move(name)), log_(log) {}
  int GetKind() const override { return 99; }
  int Draw(int32_t a, int32_t b, D3DDevice* device) override {
    log_->push_back(name_);
    lastA = a;
    lastB = b;
    sawScene = device != nullptr && device->HasDevice() && device->RenderDevice()->InScene();
    return drawResult;
  }
  int Restore() override {
    log_->push_back("restore " + name_);
    return restoreResult;
  }
  int drawResult = 0;
  int restoreResult = 0;
  int32_t lastA = 0, lastB = 0;
  bool sawScene = false;

 private:
  std::string name_;
  std::vector<std::string>* log_;
};

std::vector<std::string> Order(SceneObjectRegistry& r, std::vector<std::string>& log) {
  log.clear();
  r.DrawAll(0, 0, nullptr);
  return log;
}

TEST(SceneObjectRegistryTest, EqualPrioritiesKeepRegistrationOrderWithAddAndReverseWithAddFirst) {
  std::vector<std::string> log;
  RecordingObject a("a", &log), b("b", &log), c("c", &log), hi("hi", &log), lo("lo", &log);
  SceneObjectRegistry added;
  for (auto* o : {&a, &b, &c}) ASSERT_EQ(added.Add(o, 5, 0), 0);
  ASSERT_EQ(added.Add(&lo, 0, 0), 0);
  ASSERT_EQ(added.Add(&hi, 0xFFFFFFFFu, 0), 0);  // unsigned: the highest draws first
  EXPECT_EQ(Order(added, log), (std::vector<std::string>{"hi", "a", "b", "c", "lo"}));
  added.Clear();
  SceneObjectRegistry first;
  for (auto* o : {&a, &b, &c}) ASSERT_EQ(first.AddFirst(o, 5, 0), 0);
  EXPECT_EQ(Order(first, log), (std::vector<std::string>{"c", "b", "a"}));
}

TEST(SceneObjectRegistryTest, RegistrationRulesAndMoves) {
  std::vector<std::string> log;
  RecordingObject a("a", &log), b("b", &log), c("c", &log);
  SceneObjectRegistry r, other;
  EXPECT_EQ(r.Add(nullptr, 1, 0), 1);
  ASSERT_EQ(r.Add(&a, 3, 1), 0);
  EXPECT_EQ(r.Add(&a, 3, 0), 2);
  EXPECT_EQ(other.AddFirst(&a, 3, 0), 2);  // one registry at a time
  ASSERT_EQ(r.Add(&b, 3, 2), 0);
  ASSERT_EQ(r.Add(&c, 2, 1), 0);
  EXPECT_EQ(a.Registry(), &r);
  // Moves: after equals, before equals, and refused when unchanged.
  EXPECT_FALSE(r.SetPriority(&a, 3, true));
  EXPECT_TRUE(r.SetPriority(&a, 3, false));
  EXPECT_EQ(Order(r, log), (std::vector<std::string>{"b", "a", "c"}));
  EXPECT_TRUE(r.SetPriorityFirst(&c, 3, true));
  EXPECT_EQ(Order(r, log), (std::vector<std::string>{"c", "b", "a"}));
  EXPECT_FALSE(r.SetPriority(nullptr, 1, false));
  EXPECT_FALSE(other.SetPriority(&a, 1, false));
  // Visibility by priority and flag.
  r.SetVisibleWhere(false, 0xFFFFFFFFu, 1);
  EXPECT_FALSE(a.IsVisible());
  EXPECT_FALSE(c.IsVisible());
  EXPECT_TRUE(b.IsVisible());
  r.SetVisibleWhere(true, 3, -1);
  EXPECT_TRUE(a.IsVisible() && c.IsVisible());
  // Removal by a priority nobody has changes nothing; by a real one, all.
  r.RemoveByPriority(7);
  EXPECT_EQ(r.GetCount(), 3u);
  other.Remove(&a);  // not registered there
  EXPECT_EQ(a.Registry(), &r);
  r.RemoveByPriority(3);
  EXPECT_EQ(r.GetCount(), 0u);
  EXPECT_EQ(a.Registry(), nullptr);
  EXPECT_EQ(r.Add(&a, 1, 0), 0);
}

TEST(SceneObjectRegistryTest, DeletingEitherSideUnlinksTheOther) {
  std::vector<std::string> log;
  auto registry = std::make_unique<SceneObjectRegistry>();
  RecordingObject kept("kept", &log);
  {
    RecordingObject gone("gone", &log);
    registry->Add(&gone, 1, 0);
    registry->Add(&kept, 1, 0);
  }
  EXPECT_EQ(Order(*registry, log), (std::vector<std::string>{"kept"}));
  registry.reset();
  EXPECT_EQ(kept.Registry(), nullptr);
}

TEST(SceneObjectRegistryTest, ANonZeroDrawStopsThePassAndTheSceneStillEnds) {
  testing::DeviceRig rig(platform::FakeSingleDisplayMachine(true));
  ASSERT_EQ(rig.Init(8, 8, platform::SurfaceFormat::X8R8G8B8), 0);
  std::vector<std::string> log;
  RecordingObject a("a", &log), b("b", &log), c("c", &log);
  SceneObjectRegistry r;
  r.Add(&a, 3, 0);
  r.Add(&b, 2, 0);
  r.Add(&c, 1, 0);
  b.drawResult = 7;
  EXPECT_EQ(r.DrawAll(11, 22, &rig.device), 7);
  EXPECT_EQ(log, (std::vector<std::string>{"a", "b"}));
  EXPECT_TRUE(a.sawScene);
  EXPECT_EQ(a.lastA, 11);
  EXPECT_EQ(a.lastB, 22);
  EXPECT_FALSE(rig.device.RenderDevice()->InScene());
  EXPECT_EQ(rig.device.RenderDevice()->SceneCount(), 1u);
  // A scene that cannot begin: -1 and nothing drawn.
  log.clear();
  rig.device.RenderDevice()->SetFailBeginScene(true);
  EXPECT_EQ(r.DrawAll(0, 0, &rig.device), -1);
  EXPECT_TRUE(log.empty());
  // Restore stops at the first failure too.
  c.restoreResult = 0;
  a.restoreResult = 4;
  log.clear();
  EXPECT_EQ(r.RestoreAll(), 4);
  EXPECT_EQ(log, (std::vector<std::string>{"restore a"}));
}

}  // namespace
}  // namespace orrivel
