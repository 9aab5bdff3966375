#include "resource/DcpManager.h"

#include <gtest/gtest.h>

#include <vector>

#include "PluginTestSupport.h"
#include "base/TimerList.h"
#include "resource/ArchiveManager.h"
#include "resource/FindIdleObjectByKind.h"

namespace orrivel {
namespace {

// A built-in object kind whose instances count themselves and whose set-up
// fails when its first cell is -1.
int liveBuiltIns = 0;

class BuiltInAction final : public DcpObject {
 public:
  explicit BuiltInAction(std::int32_t index) : index_(index) { ++liveBuiltIns; }
  ~BuiltInAction() override { --liveBuiltIns; }
  std::int32_t SetupV(const ObjectArguments& arguments) override {
    firstCell_ = arguments.Cell(0);
    return firstCell_ == -1 ? 1 : 0;
  }
  std::int32_t index_;
  std::int32_t firstCell_ = 0;
};

DcpObject* MakeBuiltIn(std::int32_t index) { return new BuiltInAction(index); }
DcpObject* MakeNothing(std::int32_t) { return nullptr; }
std::int32_t AssistA(const ObjectArguments&) { return 1; }
std::int32_t AssistB(const ObjectArguments&) { return 2; }

TEST(DcpManagerTest, RegistersBuiltInsAndFindsTheFirstOfEqualNames) {
  DcpManager registry;
  EXPECT_EQ(registry.RegisterObject(nullptr, "x", 1, nullptr, nullptr, 0), 1);
  EXPECT_EQ(registry.RegisterObject(MakeBuiltIn, nullptr, 1, nullptr, nullptr, 0), 1);
  EXPECT_EQ(registry.RegisterObject(MakeBuiltIn, "bg_zoom", 1, nullptr, AssistA, 10), 0);
  EXPECT_EQ(registry.RegisterObject(MakeBuiltIn, "bg_zoom", 2, nullptr, AssistB, 20), 0);
  EXPECT_EQ(registry.RegisterObject(MakeBuiltIn, "bg_blur", 1, nullptr, nullptr, 30), 0);
  ASSERT_EQ(registry.Records().size(), 3u);

  std::int32_t index = -1;
  EXPECT_EQ(registry.FindObject("bg_zoom", &index), &MakeBuiltIn);
  EXPECT_EQ(index, 10);
  EXPECT_EQ(registry.FindCallbackAssist2("bg_zoom"), &AssistA);
  EXPECT_EQ(registry.FindCallbackAssist2("bg_blur"), nullptr);
  // Names compare byte for byte: no case folding, no prefix match.
  EXPECT_EQ(registry.FindObject("BG_ZOOM", &index), nullptr);
  EXPECT_EQ(registry.FindObject("bg_zoo", &index), nullptr);
  EXPECT_EQ(registry.FindCallbackAssist("nothing"), nullptr);

  DcpObject* object = registry.CreateObject("bg_blur", {5});
  ASSERT_NE(object, nullptr);
  EXPECT_EQ(static_cast<BuiltInAction*>(object)->index_, 30);
  EXPECT_EQ(static_cast<BuiltInAction*>(object)->firstCell_, 5);
  object->Release();
  EXPECT_EQ(liveBuiltIns, 0);
}

TEST(DcpManagerTest, CreateReleasesAnObjectWhoseSetUpFails) {
  DcpManager registry;
  ASSERT_EQ(registry.RegisterObject(MakeBuiltIn, "bg_rot", 1, nullptr, nullptr, 0), 0);
  ASSERT_EQ(registry.RegisterObject(MakeNothing, "empty", 1, nullptr, nullptr, 0), 0);
  EXPECT_EQ(registry.CreateObject("bg_rot", {-1}), nullptr);
  EXPECT_EQ(liveBuiltIns, 0);
  EXPECT_EQ(registry.CreateObject("empty", {}), nullptr);
  EXPECT_EQ(registry.CreateObject("unknown", {}), nullptr);
  // GetObject makes the object without setting it up.
  DcpObject* raw = registry.GetObject("bg_rot");
  ASSERT_NE(raw, nullptr);
  EXPECT_EQ(liveBuiltIns, 1);
  raw->Release();
  EXPECT_EQ(liveBuiltIns, 0);
}

TEST(DcpManagerTest, PluginObjectsAreCreatedThroughTheRegistry) {
  testing::PluginFolder plugins;
  plugins.Add("TEST.DCP");
  plugins.Add("TEST.DCP", "second.dcp");  // letter case of the pattern is ignored
  DcpManager registry;
  // A built-in registered first keeps its name against the plug-in's.
  ASSERT_EQ(registry.RegisterObject(MakeBuiltIn, "bg_zoom", 7, nullptr, AssistA, 0), 0);
  EXPECT_EQ(registry.LoadPlugins(plugins.Folder()), 0);
  ASSERT_EQ(registry.Records().size(), 7u);
  ASSERT_EQ(registry.Modules().Count(), 2u);
  EXPECT_EQ(registry.Modules().At(0)->holders, 2);  // three records, less one

  const DcpObjectRecord& wave = registry.Records()[1];
  EXPECT_EQ(wave.name, "plug_wave");
  EXPECT_EQ(wave.type, 7);
  EXPECT_EQ(wave.index, 0);
  EXPECT_NE(wave.module, nullptr);
  EXPECT_EQ(registry.FindCallbackAssist2("bg_zoom"), &AssistA);
  CallbackAssistFunc2 assist2 = registry.FindCallbackAssist2("plug_snow");
  ASSERT_NE(assist2, nullptr);
  const ObjectArgument cells[] = {21};
  EXPECT_EQ(assist2(ObjectArguments{cells, 1}), 42);
  CallbackAssistFunc assist = registry.FindCallbackAssist("plug_snow");
  ASSERT_NE(assist, nullptr);
  EXPECT_EQ(assist(4), 8);

  // The objects of both copies of the library.
  const auto live = [&] {
    return testing::LiveObjectsOf(plugins, "TEST.DCP") + testing::LiveObjectsOf(plugins, "second.dcp");
  };
  DcpObject* object = registry.CreateObject("plug_snow", {1});
  ASSERT_NE(object, nullptr);
  EXPECT_EQ(live(), 1);
  object->AddHolder();
  object->Release();  // drops the extra holder only
  EXPECT_EQ(live(), 1);
  object->Release();
  EXPECT_EQ(live(), 0);
  // A failing set-up releases the plug-in's object too.
  EXPECT_EQ(registry.CreateObject("plug_wave", {-1}), nullptr);
  EXPECT_EQ(live(), 0);
}

TEST(DcpManagerTest, RemoveByTypeFreesALibraryWithItsLastRecord) {
  testing::PluginFolder plugins;
  plugins.Add("TEST.DCP");
  DcpManager registry;
  ASSERT_EQ(registry.LoadPlugin(plugins.Path("TEST.DCP")), 0);
  ASSERT_EQ(registry.RegisterObject(MakeBuiltIn, "built", 8, nullptr, nullptr, 0), 0);
  // Type 8: one plug-in record of three and the built-in leave; the
  // library stays for the other two.
  registry.RemoveByType(8);
  ASSERT_EQ(registry.Records().size(), 2u);
  ASSERT_EQ(registry.Modules().Count(), 1u);
  EXPECT_EQ(registry.Modules().At(0)->holders, 1);
  DcpObject* object = registry.CreateObject("plug_wave", {0});
  ASSERT_NE(object, nullptr);
  object->Release();
  // Type 7 takes the last two: the library goes with them.
  registry.RemoveByType(7);
  EXPECT_TRUE(registry.Records().empty());
  EXPECT_EQ(registry.Modules().Count(), 0u);
  EXPECT_EQ(registry.FindObject("plug_wave", nullptr), nullptr);
}

TEST(DcpManagerTest, BrokenPluginsAreRefusedAndLeaveNothing) {
  testing::PluginFolder plugins;
  plugins.Add("NOTYPE.DCP");
  plugins.Add("NULLNAME.DCP");
  plugins.Add("TEST.TCP", "WRONGKIND.DCP");  // has every entry a DCP needs
  plugins.Root().Write("plugin/JUNK.DCP", std::string("not a library"));
  DcpManager registry;
  EXPECT_EQ(registry.LoadPlugin(plugins.Path("NOTYPE.DCP")), kAdlMissingEntry);
  // Fails at its fourth name after three good ones: none of the three stays.
  EXPECT_EQ(registry.LoadPlugin(plugins.Path("NULLNAME.DCP")), kAdlNoDecoder);
  EXPECT_EQ(registry.LoadPlugin(plugins.Path("JUNK.DCP")), kAdlLoadFailed);
  EXPECT_EQ(registry.LoadPlugin(plugins.Path("MISSING.DCP")), kAdlLoadFailed);
  EXPECT_EQ(registry.LoadPlugin(""), kAdlBadPath);
  EXPECT_TRUE(registry.Records().empty());
  EXPECT_EQ(registry.Modules().Count(), 0u);
  // The scan counts the three failures and keeps the one good library.
  EXPECT_EQ(registry.LoadPlugins(plugins.Folder()), 3);
  EXPECT_EQ(registry.Modules().Count(), 1u);
  EXPECT_EQ(registry.LoadPlugins(plugins.Root().Internal() + "nothing-here"), 0);
  EXPECT_EQ(registry.LoadPlugins(""), -1);
}

// Timed tasks with a settable type id and finished flag for the look-up.
class KindTask final : public TimedTask {
 public:
  explicit KindTask(std::int32_t typeId) : typeId_(typeId) {}
  std::int32_t GetTypeId() const override { return typeId_; }
  std::int32_t Step(std::uint32_t) override { return 0; }
  void Stop() override {}

 private:
  std::int32_t typeId_;
};

TEST(FindIdleObjectByKindTest, FindsTheFirstUnfinishedTaskOfTheType) {
  TimerList list;
  auto* music = new KindTask(10000);
  auto* duckA = new KindTask(10003);
  auto* duckB = new KindTask(10003);
  for (TimedTask* task : {static_cast<TimedTask*>(music), static_cast<TimedTask*>(duckA),
                          static_cast<TimedTask*>(duckB)}) {
    ASSERT_EQ(list.Add(task, 0, 10, 0), 0);
  }
  const std::vector<TimedTask*> tasks = {music, nullptr, duckA, duckB};
  EXPECT_EQ(FindIdleObjectByKind(tasks, 10003), duckA);
  EXPECT_EQ(FindIdleObjectByKind(tasks, 10000), music);
  EXPECT_EQ(FindIdleObjectByKind(tasks, 12000), nullptr);
  // A stopped task is finished (until the next step removes it): passed over.
  ASSERT_TRUE(list.Stop(duckA->Handle()));
  EXPECT_EQ(FindIdleObjectByKind(tasks, 10003), duckB);
  ASSERT_TRUE(list.Stop(duckB->Handle()));
  EXPECT_EQ(FindIdleObjectByKind(tasks, 10003), nullptr);
}

TEST(FindIdleObjectByKindTest, LooksThroughATimerList) {
  TimerList list;
  auto* music = new KindTask(10000);
  auto* duckA = new KindTask(10003);
  auto* duckB = new KindTask(10003);
  for (TimedTask* task : {static_cast<TimedTask*>(music), static_cast<TimedTask*>(duckA),
                          static_cast<TimedTask*>(duckB)}) {
    ASSERT_EQ(list.Add(task, 0, 10, 0), 0);
  }
  EXPECT_EQ(FindIdleObjectByKind(list, 10003), duckA);
  EXPECT_EQ(FindIdleObjectByKind(list, 10000), music);
  EXPECT_EQ(FindIdleObjectByKind(list, 12000), nullptr);
  ASSERT_TRUE(list.Stop(duckA->Handle()));
  EXPECT_EQ(FindIdleObjectByKind(list, 10003), duckB);
  // A step removes the stopped task; a ducking task added later is found
  // only while it is the first unfinished one of its type.
  list.Step(1);
  ASSERT_EQ(list.Tasks().size(), 2u);
  auto* duckC = new KindTask(10003);
  ASSERT_EQ(list.Add(duckC, 0, 10, 0), 0);
  EXPECT_EQ(FindIdleObjectByKind(list, 10003), duckB);
  ASSERT_TRUE(list.Stop(duckB->Handle()));
  EXPECT_EQ(FindIdleObjectByKind(list, 10003), duckC);
  list.Clear();
  EXPECT_EQ(FindIdleObjectByKind(list, 10003), nullptr);
}

}  // namespace
}  // namespace orrivel
