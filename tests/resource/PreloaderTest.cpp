#include "resource/Preloader.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "LayoutTestFolder.h"
#include "base/Event.h"
#include "lpk/LpkWriter.h"

namespace orrivel {
namespace {

// Holds every load at a gate until the test opens it, so the test decides
// what is still pending when it looks.
class GatedManager : public ArchiveManager {
 public:
  int LoadFile(std::string_view name, BlockAlloc alloc, BlockFree free, MemoryBlock* block,
               std::string* resolvedName) override {
    if (gated) gate.Wait(Event::kInfinite);
    return ArchiveManager::LoadFile(name, alloc, free, block, resolvedName);
  }
  std::atomic<bool> gated{false};
  Event gate;  // each Set lets one waiting load through
};

std::vector<uint8_t> MemberBytes(int index, size_t length) {
  std::vector<uint8_t> bytes(length);
  for (size_t i = 0; i < length; ++i) bytes[i] = uint8_t(index * 31 + i);
  return bytes;
}

class PreloaderTest : public ::testing::Test {
 protected:
  static constexpr int kMembers = 8;

  void SetUp() override {
    oldBase_ = SetBaseFolderForTest(folder_.Internal());
    oldManager_ = SetArchiveManager(&manager_);
    manager_.RegisterLpkDecoder();
    std::vector<tools::LpkWriterMember> members;
    for (int i = 0; i < kMembers; ++i) {
      // Member 5 has a name longer than any other.
      names_.push_back("v" + std::to_string(i) + (i == 5 ? "-named-longer-than-any-other-member" : "") + ".ogg");
      members.push_back({names_.back(), MemberBytes(i, 100 + 37 * size_t(i)), i % 2 == 0, i % 3 == 0});
    }
    tools::LpkWriterOptions options;
    options.secondSize = true;
    std::string error;
    ASSERT_TRUE(tools::WriteLpkFile(folder_.HostPath("VOICE.LPK"), options, members, &error)) << error;
    ASSERT_EQ(manager_.Mount("VOICE.LPK", kNoMountId, true, true, nullptr), 0);
    for (const std::string& name : names_) views_.push_back(name);
  }
  void TearDown() override {
    manager_.gated = false;
    manager_.gate.Set();
    preloader_.Stop();
    SetArchiveManager(oldManager_);
    SetBaseFolderForTest(oldBase_);
  }
  void ExpectMember(uint32_t slot, int member) {
    const auto expected = MemberBytes(member, 100 + 37 * size_t(member));
    ASSERT_EQ(preloader_.GetEntrySize(slot), expected.size());
    const auto* data = static_cast<const uint8_t*>(preloader_.GetEntryData(slot));
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(std::vector<uint8_t>(data, data + expected.size()), expected);
  }

  testing::TempFolder folder_;
  GatedManager manager_;
  std::string oldBase_;
  ArchiveManager* oldManager_ = nullptr;
  std::vector<std::string> names_;
  std::vector<std::string_view> views_;
  Preloader preloader_;
};

TEST_F(PreloaderTest, LoadsARangeWhileTheMainThreadPolls) {
  ASSERT_EQ(preloader_.Allocate(kMembers), kPreloadOk);
  ASSERT_EQ(preloader_.SetBaseFolder("voice"), kPreloadOk);
  ASSERT_EQ(preloader_.Start(2, 5, &views_[2]), kPreloadOk);
  // The main thread reads whatever is ready while the worker goes on.
  int ready = 0;
  while (ready < 5) {
    ready = 0;
    for (uint32_t slot = 2; slot < 7; ++slot) {
      if (preloader_.IsPending(slot)) continue;
      ExpectMember(slot, int(slot));
      ++ready;
    }
  }
  EXPECT_EQ(preloader_.GetEntryData(0), nullptr);  // outside the range
  EXPECT_EQ(preloader_.GetEntryData(kMembers), nullptr);
  preloader_.Wait();
  EXPECT_EQ(preloader_.Wait(), 0);
  EXPECT_EQ(preloader_.CloseRange(0, 100), 0);
  EXPECT_EQ(preloader_.GetEntryData(3), nullptr);
}

TEST_F(PreloaderTest, PendingSlotsAreLeftAloneUntilLoaded) {
  manager_.gated = true;
  ASSERT_EQ(preloader_.Allocate(4), kPreloadOk);
  ASSERT_EQ(preloader_.SetBaseFolder("voice\\"), kPreloadOk);
  ASSERT_EQ(preloader_.Start(0, 3, &views_[0]), kPreloadOk);
  EXPECT_EQ(preloader_.GetEntryData(0), nullptr);
  EXPECT_EQ(preloader_.GetEntrySize(0), 0u);
  EXPECT_EQ(preloader_.GetEntry(0), nullptr);
  EXPECT_EQ(preloader_.CloseRange(0, 4), 3);  // slot 3 is closed, the rest pending
  EXPECT_EQ(preloader_.Start(3, 1, &views_[3]), kPreloadRunning);
  manager_.gate.Set();  // let one load through
  while (preloader_.IsPending(0)) {
  }
  ExpectMember(0, 0);
  EXPECT_TRUE(preloader_.IsPending(1));
  // The gate holds the worker, so the load is still running here.
  EXPECT_TRUE(preloader_.IsLoading());
  manager_.gated = false;
  manager_.gate.Set();
  preloader_.Wait();  // 1, or 0 when the worker finished before the call
  EXPECT_FALSE(preloader_.IsLoading());
  EXPECT_EQ(preloader_.Wait(), 0);
  ExpectMember(2, 2);
  // The data can be taken over from the slot's file object.
  FileObject* entry = preloader_.GetEntry(1);
  ASSERT_NE(entry, nullptr);
  void* taken = entry->DetachData();
  EXPECT_NE(taken, nullptr);
  FreeGlobalMemory(taken);
}

TEST_F(PreloaderTest, RangesSlotsAndNames) {
  EXPECT_EQ(preloader_.Start(0, 1, &views_[0]), kPreloadBadRange);  // no slots
  EXPECT_EQ(preloader_.CloseRange(0, 1), -1);
  EXPECT_EQ(preloader_.Allocate(0x10000), kPreloadOk);  // only the low 16 bits count
  EXPECT_EQ(preloader_.Count(), 0u);
  ASSERT_EQ(preloader_.Allocate(0x10004), kPreloadOk);
  EXPECT_EQ(preloader_.Count(), 4u);
  EXPECT_EQ(preloader_.Start(3, 2, &views_[0]), kPreloadBadRange);
  EXPECT_EQ(preloader_.Start(1, 0, &views_[0]), kPreloadBadRange);
  EXPECT_EQ(preloader_.Start(4, 1, &views_[0]), kPreloadBadRange);
  preloader_.SetBaseFolder(std::nullopt);
  // Without a folder the names are used as given; a longer name later
  // keeps the folder in front of it.
  const std::string_view full[] = {"voice\\v1.ogg"};
  ASSERT_EQ(preloader_.Start(3, 1, full), kPreloadOk);  // the last slot
  preloader_.Wait();
  ExpectMember(3, 1);
  preloader_.SetBaseFolder("VOICE");
  const std::string_view names[] = {"v4.ogg", views_[5], "missing.ogg"};
  ASSERT_EQ(preloader_.Start(0, 3, names), kPreloadOk);
  preloader_.Wait();
  ExpectMember(0, 4);
  ExpectMember(1, 5);
  EXPECT_FALSE(preloader_.IsPending(2));  // a failed open leaves the slot closed
  EXPECT_EQ(preloader_.GetEntryData(2), nullptr);
}

TEST_F(PreloaderTest, StopHaltsALoadAndFreesTheSlots) {
  manager_.gated = true;
  ASSERT_EQ(preloader_.Allocate(kMembers), kPreloadOk);
  preloader_.SetBaseFolder("voice");
  ASSERT_EQ(preloader_.Start(0, kMembers, views_.data()), kPreloadOk);
  manager_.gate.Set();
  while (preloader_.IsPending(0)) {
  }
  // Halting leaves the slots the worker never reached closed, not pending.
  manager_.gated = false;
  manager_.gate.Set();
  preloader_.SetBaseFolder("voice");
  EXPECT_FALSE(preloader_.IsLoading());
  ExpectMember(0, 0);
  EXPECT_EQ(preloader_.CloseRange(0, kMembers), 0);
  ASSERT_EQ(preloader_.Start(0, 2, views_.data()), kPreloadOk);
  preloader_.Stop();
  EXPECT_EQ(preloader_.Count(), 0u);
  EXPECT_EQ(preloader_.Wait(), 0);
}

}  // namespace
}  // namespace orrivel
