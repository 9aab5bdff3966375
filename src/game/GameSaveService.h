#pragma once
// The game's save files: the slots of the save folder, the automatic and
// quick rings, writing, loading, captions, information, comments, copy and
// delete, and the in-memory state snapshot. What a save holds of the
// running game (the state blob and the thumbnail) comes through the ports
// below, so the files themselves are tested without a running game.
//
// Writing builds the whole file in memory first and then replaces the
// slot's file through a temporary file in the same folder: a failed or cut
// save always leaves the previous one. Loading checks and unpacks the
// whole file before the state restore begins, and the restore itself
// changes nothing when the state does not hold together.
//
// Main thread only.
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "game/SaveFile.h"
#include "natives/SaveService.h"

namespace orrivel {

struct SaveServicePorts {
  // The save folder (internal form, with its trailing separator).
  std::string folder;
  // The application settings block (196 bytes).
  std::span<uint8_t> settings;
  // Builds the state blob (full: with the text and the snapshot when the
  // settings ask for them): 0, or 1 variables, 2 text state, 3 frame.
  std::function<int32_t(std::vector<uint8_t>& blob, bool full)> buildState;
  // Restores a blob: 0, 1 no blob, 2 the variables stopped matching (those
  // before restored, nothing else changed), 3 text state or frame records
  // refused (nothing changed).
  std::function<int32_t(std::span<const uint8_t> blob)> restoreState;
  // What restoreState would answer, changing nothing (its codes, and 4
  // for a state whose parts do not read whole). Without a port every blob
  // passes.
  std::function<int32_t(std::span<const uint8_t> blob)> checkState;
  // Draws the thumbnail (B, G, R rows): 0, or the writer's codes 1-3.
  // Without a port the thumbnail stays black.
  std::function<int32_t(SaveFileInfo& info)> drawThumbnail;
  // Fills an image's pixels from a thumbnail: false when the image has no
  // pixel memory.
  std::function<bool(uint32_t image, const SaveFileInfo& info)> showThumbnail;
  std::function<std::string()> title;
  // The current message as the save's comment (nullopt: none).
  std::function<std::optional<std::string>()> commentText;
  // The save file in use (a load with a negative group reads it).
  std::function<std::string()> currentFileName;
  // The application settings changed (the ring bytes).
  std::function<void()> settingsChanged;
  // Packing on (off: the state is stored unpacked, as when packing fails).
  bool pack = true;
};

class GameSaveService final : public SaveService {
 public:
  static constexpr int32_t kAutoGroup = 10;
  static constexpr int32_t kQuickGroup = 11;
  // Settings bytes.
  static constexpr size_t kSaveHistory = 30;
  static constexpr size_t kAutoNext = 177;
  static constexpr size_t kQuickNext = 178;
  static constexpr size_t kCommentFromMessage = 180;
  // Non-zero: the screen thumbnail leaves the overlay list out.
  static constexpr size_t kThumbnailWithoutOverlay = 183;
  static constexpr size_t kSaved = 186;
  static constexpr size_t kAutoLast = 187;
  static constexpr size_t kQuickLast = 188;

  explicit GameSaveService(SaveServicePorts ports) : ports_(std::move(ports)) {}

  // The slot's file name, without checking that it exists.
  std::string SlotPath(int32_t group, int32_t slot) const;

  int32_t MakeSaveFileName(int32_t group, int32_t slot, std::string* outPath) override;
  int32_t WriteSave(int32_t group, int32_t slot) override;
  int32_t LoadSave(int32_t group, int32_t slot) override;
  int32_t LoadSaveFile(const std::string& path) override;
  // Reads and checks the whole file as a load would (the header, the
  // packed state, each part of the state against the running game),
  // restoring nothing: the load's codes 0, 1, 2, 3 (damaged), 4 (a state
  // the game cannot restore) and 5. A load chosen while the story runs is
  // checked first, so a damaged file never ends the running story.
  int32_t CheckSaveFile(const std::string& path) const;
  int32_t MakeSaveCaption(int32_t group, int32_t slot, uint8_t separatorKind, std::string* outCaption) override;
  int32_t ReadSaveInfo(int32_t group, int32_t slot, SaveInfoRequest& request) override;
  int32_t WriteSaveComment(int32_t group, int32_t slot, const char* text) override;
  int32_t CopySaveFile(int32_t group, int32_t slot, int32_t toGroup, int32_t toSlot) override;
  int32_t DeleteSaveFile(int32_t group, int32_t slot) override;

  int32_t TakeStateSnapshot() override;
  int32_t RestoreStateSnapshot() override;
  bool HasStateSnapshot() const override { return snapshot_.has_value(); }
  void DiscardStateSnapshot() override { snapshot_.reset(); }
  // The snapshot's bytes (empty: none), for the state blob.
  std::span<const uint8_t> Snapshot() const {
    return snapshot_ ? std::span<const uint8_t>(*snapshot_) : std::span<const uint8_t>();
  }
  void SetSnapshot(std::optional<std::vector<uint8_t>> snapshot) { snapshot_ = std::move(snapshot); }

  SaveServicePorts& Ports() { return ports_; }

 private:
  uint8_t Setting(size_t index) const { return index < ports_.settings.size() ? ports_.settings[index] : 0; }
  void SetSetting(size_t index, uint8_t value);
  // The check port's answer for an unpacked state (0 without a port).
  static constexpr int32_t kStateDamaged = 4;
  int32_t CheckState(std::span<const uint8_t> blob) const;
  // Reads the file, unpacks its state and checks it: the load's code (3
  // for a state whose parts do not read whole), with the check port's
  // answer in `check` once the state is unpacked.
  int32_t ReadCheckedState(const std::string& path, std::vector<uint8_t>& blob, int32_t& check) const;
  // The next slot of a ring, advancing its byte; slot itself otherwise.
  int32_t TakeRingSlot(int32_t group, int32_t slot);
  // The information part and the write date of a slot's file: 0; -1 no
  // file; 2 not opened; 3 bad magic.
  int32_t ReadSlotInfo(int32_t group, int32_t slot, SaveFileInfo& info, std::string& date);
  // The file read whole, or nullopt when it cannot be opened.
  std::optional<std::vector<uint8_t>> ReadFile(const std::string& path) const;

  SaveServicePorts ports_;
  std::optional<std::vector<uint8_t>> snapshot_;
};

// The one check every route that loads a save (the quick loads, the
// system menu, the game's load screen) makes before it leaves the running
// story for the file: CheckSaveFile's codes. A save service that is not
// the game's passes every file (0).
int32_t CheckSaveBeforeLoad(SaveService& saves, const std::string& path);

}  // namespace orrivel
