#pragma once
// What the save natives ask of the game's save files and of the script
// host's in-memory state snapshot. The game supplies the service; until it
// does, the one in place answers every request as "not available" with the
// operation's own failure code, and nothing is written or read.
//
// Main thread only.
#include <array>
#include <cstdint>
#include <string>

namespace orrivel {

// The parts of a save's information block that a script asks for; the
// service fills those asked for.
struct SaveInfoRequest {
  static constexpr size_t kTitleBytes = 44;
  static constexpr size_t kCommentBytes = 144;

  uint32_t thumbnailImage = 0;  // an image handle to draw the thumbnail into, or 0
  bool wantTitle = false;
  bool wantComment = false;
  bool wantDate = false;
  bool wrapComment = false;
  uint32_t passedOn = 0;
  std::array<uint8_t, kTitleBytes> title{};
  std::array<uint8_t, kCommentBytes> comment{};
  std::string date;
};

class SaveService {
 public:
  virtual ~SaveService() = default;

  // The file of a slot: 0 with its path, else the naming's failure code.
  virtual int32_t MakeSaveFileName(int32_t group, int32_t slot, std::string* outPath) = 0;
  // 0 written; 1-6 and -1 the writer's failure codes.
  virtual int32_t WriteSave(int32_t group, int32_t slot) = 0;
  // 0 loaded; -1 no such file; 1 cannot open, 2 no memory, 3 bad file, 4 the
  // state was not restored, 5 unsupported version.
  virtual int32_t LoadSave(int32_t group, int32_t slot) = 0;
  virtual int32_t LoadSaveFile(const std::string& path) = 0;
  // 0; -1 no file; 2 cannot open; 3 bad magic.
  virtual int32_t MakeSaveCaption(int32_t group, int32_t slot, uint8_t separatorKind, std::string* outCaption) = 0;
  // 0; -1 no file; 1 the image has no pixels; 2 cannot open; 3 bad magic.
  virtual int32_t ReadSaveInfo(int32_t group, int32_t slot, SaveInfoRequest& request) = 0;
  // 0 (also for no text); -1 no file; 1 not opened; 2 bad magic.
  virtual int32_t WriteSaveComment(int32_t group, int32_t slot, const char* text) = 0;
  // 0; 1 source missing; 3 copy failed.
  virtual int32_t CopySaveFile(int32_t group, int32_t slot, int32_t toGroup, int32_t toSlot) = 0;
  // 0; 1 no file; 2 delete failed.
  virtual int32_t DeleteSaveFile(int32_t group, int32_t slot) = 0;

  // 0 held; 1-3 the part of the state that could not be written.
  virtual int32_t TakeStateSnapshot() = 0;
  // -1 none held; else the restore's code (the snapshot is gone either way).
  virtual int32_t RestoreStateSnapshot() = 0;
  virtual bool HasStateSnapshot() const = 0;
  virtual void DiscardStateSnapshot() = 0;
};

// The service in place until the game's save files exist.
class UnavailableSaveService : public SaveService {
 public:
  int32_t MakeSaveFileName(int32_t, int32_t, std::string*) override { return 3; }
  int32_t WriteSave(int32_t, int32_t) override { return -1; }
  int32_t LoadSave(int32_t, int32_t) override { return -1; }
  int32_t LoadSaveFile(const std::string&) override { return 1; }
  int32_t MakeSaveCaption(int32_t, int32_t, uint8_t, std::string*) override { return -1; }
  int32_t ReadSaveInfo(int32_t, int32_t, SaveInfoRequest&) override { return -1; }
  int32_t WriteSaveComment(int32_t, int32_t, const char*) override { return -1; }
  int32_t CopySaveFile(int32_t, int32_t, int32_t, int32_t) override { return 1; }
  int32_t DeleteSaveFile(int32_t, int32_t) override { return 1; }
  int32_t TakeStateSnapshot() override { return 1; }
  int32_t RestoreStateSnapshot() override { return -1; }
  bool HasStateSnapshot() const override { return false; }
  void DiscardStateSnapshot() override {}
};

}  // namespace orrivel
