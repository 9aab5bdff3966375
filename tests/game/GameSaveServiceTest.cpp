#include "game/GameSaveService.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/PathResolver.h"
#include "script/SobCursor.h"

namespace orrivel {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;
using S = GameSaveService;

Bytes ReadHost(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteHost(const fs::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// A game whose whole state is one number; its blob is the number and a
// stretch of text so packing has work to do.
struct FakeGame {
  uint32_t value = 0;
  int builds = 0;
  int restores = 0;
  bool packing = true;

  Bytes Blob(uint32_t v, std::span<const uint8_t> snapshot) const {
    Bytes blob(4 + 2000, 'z');
    std::memcpy(blob.data(), &v, 4);
    const uint32_t n = uint32_t(snapshot.size());
    blob.insert(blob.end(), reinterpret_cast<const uint8_t*>(&n), reinterpret_cast<const uint8_t*>(&n) + 4);
    blob.insert(blob.end(), snapshot.begin(), snapshot.end());
    return blob;
  }
};

class GameSaveServiceTest : public ::testing::Test {
 protected:
  GameSaveServiceTest() {
    root_ = fs::temp_directory_path() / ("orrivel-saves-" + std::to_string(::getpid()) + "-" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_);
    settings_.fill(0);
    service_ = std::make_unique<GameSaveService>(Ports());
  }
  ~GameSaveServiceTest() override {
    fs::permissions(root_, fs::perms::owner_all);
    fs::remove_all(root_);
  }

  SaveServicePorts Ports() {
    SaveServicePorts ports;
    ports.folder = *platform::ToInternalPath(root_.string() + "/");
    ports.settings = settings_;
    ports.buildState = [this](Bytes& blob, bool) {
      ++game_.builds;
      blob = game_.Blob(game_.value, service_->Snapshot());
      return 0;
    };
    ports.restoreState = [this](std::span<const uint8_t> blob) -> int32_t {
      ++game_.restores;
      uint32_t n = 0;
      if (blob.size() < 2008) return 3;
      std::memcpy(&n, blob.data() + 2004, 4);
      if (blob.size() != 2008u + n) return 3;
      std::memcpy(&game_.value, blob.data(), 4);
      if (n) service_->SetSnapshot(Bytes(blob.begin() + 2008, blob.end()));
      else service_->SetSnapshot(std::nullopt);
      return 0;
    };
    ports.title = [] { return std::string("A title"); };
    ports.commentText = [this] { return std::optional<std::string>(comment_); };
    return ports;
  }

  fs::path Slot(int group, int slot) const {
    char name[32];
    std::snprintf(name, sizeof name, "DATA%02d%02d.SAV", group, slot);
    return root_ / name;
  }

  int32_t SaveValue(uint32_t value, int group, int slot) {
    game_.value = value;
    return service_->WriteSave(group, slot);
  }
  // The value a slot's save holds, or the load code when it does not load.
  int64_t Loaded(int group, int slot) {
    game_.value = 0xDEAD;
    const int32_t code = service_->LoadSave(group, slot);
    return code == 0 ? int64_t(game_.value) : -1000 - code;
  }

  fs::path root_;
  std::array<uint8_t, 196> settings_{};
  FakeGame game_;
  std::string comment_;
  std::unique_ptr<GameSaveService> service_;
};

TEST_F(GameSaveServiceTest, AutomaticRingFillsAndLoadsTheNewest) {
  EXPECT_EQ(service_->LoadSave(10, -1), -1);
  for (uint32_t i = 0; i < 11; ++i) ASSERT_EQ(SaveValue(100 + i, 10, -1), 0) << i;
  for (int slot = 0; slot < 10; ++slot) EXPECT_TRUE(fs::exists(Slot(10, slot))) << slot;
  EXPECT_EQ(Loaded(10, 0), 110);  // the eleventh write went to slot 0 again
  EXPECT_EQ(Loaded(10, 1), 101);
  EXPECT_EQ(Loaded(10, -1), 110);  // the newest
  EXPECT_EQ(settings_[S::kAutoNext], 1);
  EXPECT_EQ(settings_[S::kAutoLast], 0);
  EXPECT_EQ(settings_[S::kSaved], 1);
}

TEST_F(GameSaveServiceTest, QuickRingCyclesAndExplicitSlotsLeaveItAlone) {
  std::vector<int> slots;
  for (int i = 0; i < 6; ++i) {
    ASSERT_EQ(SaveValue(uint32_t(i), 11, -1), 0);
    slots.push_back(settings_[S::kQuickLast]);
  }
  EXPECT_EQ(slots, (std::vector<int>{5, 6, 7, 8, 9, 5}));
  const uint8_t next = settings_[S::kQuickNext], last = settings_[S::kQuickLast];
  ASSERT_EQ(SaveValue(77, 11, 11), 0);
  ASSERT_EQ(SaveValue(78, 11, 2), 0);
  EXPECT_EQ(settings_[S::kQuickNext], next);
  EXPECT_EQ(settings_[S::kQuickLast], last);
  EXPECT_EQ(Loaded(11, -1), 5);
  EXPECT_EQ(Loaded(11, 11), 77);
  std::string path;
  EXPECT_EQ(service_->MakeSaveFileName(11, 4, &path), 3);
  EXPECT_EQ(service_->MakeSaveFileName(10, -1, &path), 1);
}

TEST_F(GameSaveServiceTest, StoredWhenPackingIsOffAndSnapshotTravels) {
  service_->Ports().pack = false;
  ASSERT_EQ(service_->TakeStateSnapshot(), 0);
  ASSERT_TRUE(service_->HasStateSnapshot());
  const Bytes snapshot(service_->Snapshot().begin(), service_->Snapshot().end());
  ASSERT_EQ(SaveValue(5, 1, 1), 0);
  const Bytes file = ReadHost(Slot(1, 1));
  EXPECT_EQ(SobCursor(file.data() + SaveFileLayout::kUnpackedSizeOffset, 4).U32(), 0u);
  service_->DiscardStateSnapshot();
  EXPECT_EQ(Loaded(1, 1), 5);
  ASSERT_TRUE(service_->HasStateSnapshot());
  EXPECT_EQ(Bytes(service_->Snapshot().begin(), service_->Snapshot().end()), snapshot);
  // Restoring uses the snapshot up.
  EXPECT_EQ(service_->RestoreStateSnapshot(), 0);
  EXPECT_EQ(service_->RestoreStateSnapshot(), -1);
}

TEST_F(GameSaveServiceTest, VersionRefusedButInformationReads) {
  comment_ = "Comment";
  settings_[S::kCommentFromMessage] = 1;
  ASSERT_EQ(SaveValue(9, 2, 3), 0);
  Bytes file = ReadHost(Slot(2, 3));
  file[4] = 5;
  WriteHost(Slot(2, 3), file);
  EXPECT_EQ(Loaded(2, 3), -1000 - 5);
  std::string caption;
  EXPECT_EQ(service_->MakeSaveCaption(2, 3, 0, &caption), 0);
  EXPECT_NE(caption.find("A title"), std::string::npos);
  SaveInfoRequest request;
  request.wantTitle = request.wantComment = request.wantDate = true;
  EXPECT_EQ(service_->ReadSaveInfo(2, 3, request), 0);
  EXPECT_STREQ(reinterpret_cast<const char*>(request.title.data()), "A title");
  EXPECT_STREQ(reinterpret_cast<const char*>(request.comment.data()), "Comment");
  EXPECT_FALSE(request.date.empty());
  request.thumbnailImage = 5;  // no port fills images here
  EXPECT_EQ(service_->ReadSaveInfo(2, 3, request), 1);
  EXPECT_EQ(service_->ReadSaveInfo(2, 4, request), -1);
}

TEST_F(GameSaveServiceTest, CommentCopyAndDelete) {
  ASSERT_EQ(SaveValue(3, 0, 0), 0);
  const Bytes before = ReadHost(Slot(0, 0));
  ASSERT_EQ(service_->WriteSaveComment(0, 0, "new"), 0);
  const Bytes after = ReadHost(Slot(0, 0));
  ASSERT_EQ(after.size(), before.size());
  for (size_t i = 0; i < after.size(); ++i)
    if (i < SaveFileLayout::kCommentOffset || i > SaveFileLayout::kCommentOffset + 3)
      ASSERT_EQ(after[i], before[i]) << i;
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(after.data() + SaveFileLayout::kCommentOffset)), "new");
  EXPECT_EQ(service_->WriteSaveComment(0, 0, nullptr), 0);
  EXPECT_EQ(service_->WriteSaveComment(0, 9, "x"), -1);

  EXPECT_EQ(service_->CopySaveFile(0, 0, 4, 4), 0);
  EXPECT_EQ(Loaded(4, 4), 3);
  EXPECT_EQ(service_->CopySaveFile(0, 1, 4, 4), 1);
  EXPECT_EQ(service_->DeleteSaveFile(4, 4), 0);
  EXPECT_EQ(service_->DeleteSaveFile(4, 4), 1);
}

TEST_F(GameSaveServiceTest, CutOrDamagedFilesNeverCostThePreviousSave) {
  ASSERT_EQ(SaveValue(41, 0, 7), 0);
  const Bytes good = ReadHost(Slot(0, 7));
  // What a write cut short leaves is the temporary file: the slot keeps its
  // save, and the next write's sweep clears the leftovers.
  for (size_t cut = 0; cut < good.size(); cut += cut < SaveFileLayout::kStateOffset ? 1013 : 7) {
    WriteHost(root_ / ("VQF" + std::to_string(cut) + ".TMP"), Bytes(good.begin(), good.begin() + long(cut)));
  }
  EXPECT_EQ(Loaded(0, 7), 41);
  // The slot's own file cut anywhere is refused and the game is untouched.
  game_.value = 1234;
  const int restores = game_.restores;
  for (size_t cut = 0; cut < good.size(); cut += cut < SaveFileLayout::kStateOffset ? 211 : 1) {
    WriteHost(Slot(0, 8), Bytes(good.begin(), good.begin() + long(cut)));
    ASSERT_NE(service_->LoadSave(0, 8), 0) << cut;
  }
  EXPECT_EQ(game_.value, 1234u);
  EXPECT_EQ(game_.restores, restores);
  // A state the game refuses is code 4.
  service_->Ports().restoreState = [](std::span<const uint8_t>) { return 3; };
  EXPECT_EQ(service_->LoadSave(0, 7), 4);
  // A state whose parts do not read whole (the check's 4) is a damaged
  // file, refused before the game is asked to restore anything; the check
  // of a file chosen while the story runs says the same, and 4 for a state
  // the game could not restore (variables that differ).
  int asked = 0;
  service_->Ports().restoreState = [&asked](std::span<const uint8_t>) { return ++asked, 0; };
  service_->Ports().checkState = [](std::span<const uint8_t>) { return 4; };
  EXPECT_EQ(service_->LoadSave(0, 7), 3);
  EXPECT_EQ(asked, 0);
  const std::string path = service_->SlotPath(0, 7);
  EXPECT_EQ(service_->CheckSaveFile(path), 3);
  service_->Ports().checkState = [](std::span<const uint8_t>) { return 2; };
  EXPECT_EQ(service_->CheckSaveFile(path), 4);
  EXPECT_EQ(service_->LoadSave(0, 7), 0);
  EXPECT_EQ(asked, 1);
  service_->Ports().checkState = [](std::span<const uint8_t>) { return 0; };
  EXPECT_EQ(service_->CheckSaveFile(path), 0);
}

TEST_F(GameSaveServiceTest, ReadOnlyAndFailedBuildsKeepThePreviousSave) {
  ASSERT_EQ(SaveValue(1, 3, 3), 0);
  fs::permissions(Slot(3, 3), fs::perms::owner_read);
  EXPECT_EQ(SaveValue(2, 3, 3), 5);
  fs::permissions(Slot(3, 3), fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(Loaded(3, 3), 1);
  service_->Ports().buildState = [](Bytes&, bool) { return 3; };
  EXPECT_EQ(SaveValue(2, 3, 3), 6);
  EXPECT_EQ(Loaded(3, 3), 1);
  EXPECT_FALSE(fs::exists(Slot(3, 4)));
  EXPECT_EQ(SaveValue(2, 3, 4), 6);
  EXPECT_FALSE(fs::exists(Slot(3, 4)));  // no slot file before the state is built
}

TEST_F(GameSaveServiceTest, KilledWritesLeaveOldOrNewSave) {
  for (int round = 0; round < 12; ++round) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (uint32_t i = 0;; ++i) SaveValue(1000 + i, 5, 5);
    }
    ::usleep(2000 + 1500 * round);
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!fs::exists(Slot(5, 5))) continue;  // killed before the first rename
    EXPECT_GE(Loaded(5, 5), 1000) << round;
  }
  // Writing goes on beside whatever the killed writers left.
  ASSERT_EQ(SaveValue(7, 5, 6), 0);
  EXPECT_EQ(Loaded(5, 6), 7);
}

}  // namespace
}  // namespace orrivel
