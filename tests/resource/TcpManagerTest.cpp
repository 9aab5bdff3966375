#include "resource/TcpManager.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PluginTestSupport.h"
#include "resource/ArchiveManager.h"

namespace orrivel {
namespace {

int liveBuiltIns = 0;
std::vector<std::string> hookLog;

class BuiltInTransition final : public TcpObject {
 public:
  BuiltInTransition() { ++liveBuiltIns; }
  ~BuiltInTransition() override { --liveBuiltIns; }
  std::int32_t SetupV(const ObjectArgument& first, const ObjectArguments& rest) override {
    first_ = first.Number();
    restCount_ = rest.count;
    return first.Given() ? 0 : 1;  // a missing target is refused
  }
  std::int32_t first_ = 0;
  std::size_t restCount_ = 0;
};

TcpObject* MakeBuiltIn(std::int32_t) { return new BuiltInTransition(); }
void InitCross() { hookLog.push_back("init cross"); }
void ReleaseCross() { hookLog.push_back("release cross"); }
void InitRule() { hookLog.push_back("init rule"); }
void ReleaseRule() { hookLog.push_back("release rule"); }

class TcpManagerTest : public ::testing::Test {
 protected:
  void SetUp() override { hookLog.clear(); }
};

TEST_F(TcpManagerTest, InitialiserRunsOnceAtTheFirstLookUpOfItsEntry) {
  TcpManager registry;
  EXPECT_EQ(registry.RegisterObject(MakeBuiltIn, nullptr, 1, 0, nullptr, nullptr), 1);
  EXPECT_EQ(registry.RegisterObject(nullptr, "cross", 1, 0, nullptr, nullptr), 1);
  ASSERT_EQ(registry.RegisterObject(MakeBuiltIn, "cross", 1, 4, InitCross, ReleaseCross), 0);
  ASSERT_EQ(registry.RegisterObject(MakeBuiltIn, "cross", 2, 5, InitRule, ReleaseRule), 0);  // shadowed
  EXPECT_TRUE(hookLog.empty());
  std::int32_t index = 0;
  EXPECT_EQ(registry.FindObject("cross", &index), &MakeBuiltIn);
  EXPECT_EQ(index, 4);
  EXPECT_EQ(registry.FindObject("cross", &index), &MakeBuiltIn);
  TcpObject* object = registry.CreateObject(77, "cross", {1, 2, 3});
  ASSERT_NE(object, nullptr);
  EXPECT_EQ(static_cast<BuiltInTransition*>(object)->first_, 77);
  EXPECT_EQ(static_cast<BuiltInTransition*>(object)->restCount_, 3u);
  object->Release();
  EXPECT_EQ(hookLog, std::vector<std::string>{"init cross"});
  EXPECT_TRUE(registry.Records()[0].initialised);
  EXPECT_FALSE(registry.Records()[1].initialised);
  // Releasers run for every record as it leaves, found or not.
  registry.ClearAll();
  EXPECT_EQ(hookLog, (std::vector<std::string>{"init cross", "release cross", "release rule"}));
  EXPECT_EQ(liveBuiltIns, 0);
}

TEST_F(TcpManagerTest, FailedSetUpReleasesTheObject) {
  TcpManager registry;
  ASSERT_EQ(registry.RegisterObject(MakeBuiltIn, "tone", 1, 0, nullptr, nullptr), 0);
  EXPECT_EQ(registry.CreateObject(0, "tone", {}), nullptr);
  EXPECT_EQ(liveBuiltIns, 0);
  EXPECT_EQ(registry.CreateObjectV(1, "unknown", ObjectArguments{}), nullptr);
  TcpObject* raw = registry.GetObject("tone");
  ASSERT_NE(raw, nullptr);
  raw->Release();
  EXPECT_EQ(liveBuiltIns, 0);
}

TEST_F(TcpManagerTest, RemoveByTypeRunsReleasersAndCountsLibraryHolders) {
  testing::PluginFolder plugins;
  plugins.Add("TEST.TCP");
  TcpManager registry;
  ASSERT_EQ(registry.RegisterObject(MakeBuiltIn, "rule", 2, 0, InitRule, ReleaseRule), 0);
  EXPECT_EQ(registry.LoadPlugins(plugins.Folder()), 0);
  ASSERT_EQ(registry.Records().size(), 3u);
  ASSERT_EQ(registry.Modules().Count(), 1u);

  const auto live = [&] { return testing::LiveObjectsOf(plugins, "TEST.TCP"); };
  TcpObject* spin = registry.CreateObject(1, "plug_spin", {7});
  ASSERT_NE(spin, nullptr);
  EXPECT_EQ(live(), 1);
  spin->Release();
  EXPECT_EQ(live(), 0);
  EXPECT_EQ(registry.CreateObject(1, "plug_fade", {-1}), nullptr);
  EXPECT_EQ(live(), 0);

  // Type 2 is "plug_spin" and the built-in "rule": one of two plug-in
  // records leaves, the library stays.
  registry.RemoveByType(2);
  EXPECT_EQ(hookLog, std::vector<std::string>{"release rule"});
  ASSERT_EQ(registry.Records().size(), 1u);
  EXPECT_EQ(registry.Modules().Count(), 1u);
  EXPECT_EQ(registry.Modules().At(0)->holders, 0);
  registry.RemoveByType(1);
  EXPECT_TRUE(registry.Records().empty());
  EXPECT_EQ(registry.Modules().Count(), 0u);
}

TEST_F(TcpManagerTest, BrokenPluginsAreRefused) {
  testing::PluginFolder plugins;
  plugins.Add("NOTYPE.DCP", "NOTYPE.TCP");
  plugins.Add("NULLNAME.DCP", "NULLNAME.TCP");
  TcpManager registry;
  EXPECT_EQ(registry.LoadPlugins(plugins.Folder()), 2);
  EXPECT_EQ(registry.LoadPlugin(plugins.Path("NOTYPE.TCP")), kAdlMissingEntry);
  EXPECT_EQ(registry.LoadPlugin(plugins.Path("NULLNAME.TCP")), kAdlNoDecoder);
  EXPECT_TRUE(registry.Records().empty());
  EXPECT_EQ(registry.Modules().Count(), 0u);
}

}  // namespace
}  // namespace orrivel
