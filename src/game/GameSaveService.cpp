#include "game/GameSaveService.h"

#include <cstdio>
#include <cstring>

#include "platform/FileSystem.h"
#include "script/ScriptFile.h"

namespace orrivel {

namespace {

using L = SaveFileLayout;

struct Ring {
  int32_t first;
  int32_t last;
  size_t nextByte;
};

std::optional<Ring> RingOf(int32_t group) {
  if (group == GameSaveService::kAutoGroup) return Ring{0, 9, GameSaveService::kAutoNext};
  if (group == GameSaveService::kQuickGroup) return Ring{5, 9, GameSaveService::kQuickNext};
  return std::nullopt;
}

// Saves are plain files of the save folder, never archive members.
bool SlotExists(const std::string& path) {
  const auto info = platform::StatPath(path);
  return info && !info->isFolder;
}

int32_t Clamped(const Ring& ring, int32_t slot) { return slot < ring.first || slot > ring.last ? ring.first : slot; }

}  // namespace

std::string GameSaveService::SlotPath(int32_t group, int32_t slot) const {
  char name[64];
  std::snprintf(name, sizeof name, "DATA%02d%02d.SAV", int(group), int(slot));
  return ports_.folder + name;
}

void GameSaveService::SetSetting(size_t index, uint8_t value) {
  if (index >= ports_.settings.size() || ports_.settings[index] == value) return;
  ports_.settings[index] = value;
  if (ports_.settingsChanged) ports_.settingsChanged();
}

std::optional<std::vector<uint8_t>> GameSaveService::ReadFile(const std::string& path) const {
  platform::File file = platform::File::Open(path, platform::File::Access::Read,
                                             platform::File::Disposition::OpenExisting);
  if (!file.IsOpen()) return std::nullopt;
  const int64_t size = file.Size();
  if (size < 0) return std::nullopt;
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  if (size > 0 && file.ReadAt(0, bytes.data(), bytes.size()) != size) return std::nullopt;
  return bytes;
}

int32_t GameSaveService::MakeSaveFileName(int32_t group, int32_t slot, std::string* outPath) {
  if (slot >= 0) {
    const std::string path = SlotPath(group, slot);
    if (!SlotExists(path)) return 3;
    if (outPath) *outPath = path;
    return 0;
  }
  const auto ring = RingOf(group);
  if (!ring) return 3;
  // Back from the next slot: the first file found is the newest.
  int32_t at = Clamped(*ring, Setting(ring->nextByte));
  for (int32_t tries = ring->last - ring->first + 1; tries > 0; --tries) {
    at = at - 1 < ring->first ? ring->last : at - 1;
    const std::string path = SlotPath(group, at);
    if (SlotExists(path)) {
      if (outPath) *outPath = path;
      return 0;
    }
  }
  return group == kAutoGroup ? 1 : 2;
}

int32_t GameSaveService::TakeRingSlot(int32_t group, int32_t slot) {
  const auto ring = RingOf(group);
  if (slot >= 0 || !ring) return slot;
  const int32_t taken = Clamped(*ring, Setting(ring->nextByte));
  SetSetting(ring->nextByte, uint8_t(taken >= ring->last ? ring->first : taken + 1));
  return taken;
}

int32_t GameSaveService::WriteSave(int32_t group, int32_t slot) {
  SaveFileInfo info;
  if (ports_.drawThumbnail) {
    const int32_t code = ports_.drawThumbnail(info);
    if (code != 0) return code;
  }
  info.title = MakeSaveTitle(ports_.title ? ports_.title() : std::string());
  if (Setting(kCommentFromMessage) && ports_.commentText) {
    if (const auto text = ports_.commentText()) {
      const std::string cut = CutSaveComment(*text);
      std::memcpy(info.comment.data(), cut.data(), cut.size());
    }
  }
  // The ring moves on before the write, also when the write then fails.
  slot = TakeRingSlot(group, slot);
  if (slot < 0) return -1;
  std::vector<uint8_t> blob;
  if (!ports_.buildState || ports_.buildState(blob, true) != 0) return 6;
  const std::vector<uint8_t> file = BuildSaveFile(info, blob, ports_.pack);
  // Whole or not at all: the previous save stays until the new one is on disk.
  if (!platform::ReplaceFileContents(SlotPath(group, slot), file, kSaveTempPrefix)) return 5;
  if (group == kAutoGroup) SetSetting(kAutoLast, uint8_t(slot));
  if (group == kQuickGroup && slot >= 5 && slot <= 9) SetSetting(kQuickLast, uint8_t(slot));
  SetSetting(kSaved, 1);
  return 0;
}

int32_t GameSaveService::LoadSave(int32_t group, int32_t slot) {
  std::string path;
  if (group < 0) {
    path = ports_.currentFileName ? ports_.currentFileName() : std::string();
  } else if (MakeSaveFileName(group, slot, &path) != 0) {
    return -1;
  }
  return LoadSaveFile(path);
}

int32_t GameSaveService::LoadSaveFile(const std::string& path) {
  std::vector<uint8_t> blob;
  int32_t check = 0;
  // A state whose parts do not read whole is a damaged file, refused
  // before anything changes; one whose variables stopped matching the
  // game's restores as far as they match and is answered with 4.
  if (const int32_t code = ReadCheckedState(path, blob, check); code != kSaveFileOk) return code;
  if (!ports_.restoreState || ports_.restoreState(blob) != 0) return kSaveFileStateRefused;
  return kSaveFileOk;
}

int32_t GameSaveService::CheckState(std::span<const uint8_t> blob) const {
  return ports_.checkState ? ports_.checkState(blob) : 0;
}

int32_t GameSaveService::ReadCheckedState(const std::string& path, std::vector<uint8_t>& blob, int32_t& check) const {
  const auto file = ReadFile(path);
  if (!file) return kSaveFileNotOpened;
  if (const int32_t code = ParseSaveFile(*file, blob); code != kSaveFileOk) return code;
  check = CheckState(blob);
  return check == kStateDamaged ? kSaveFileDamaged : kSaveFileOk;
}

int32_t GameSaveService::CheckSaveFile(const std::string& path) const {
  std::vector<uint8_t> blob;
  int32_t check = 0;
  if (const int32_t code = ReadCheckedState(path, blob, check); code != kSaveFileOk) return code;
  return check == 0 ? kSaveFileOk : kSaveFileStateRefused;
}

int32_t CheckSaveBeforeLoad(SaveService& saves, const std::string& path) {
  auto* game = dynamic_cast<GameSaveService*>(&saves);
  return game != nullptr ? game->CheckSaveFile(path) : kSaveFileOk;
}

int32_t GameSaveService::ReadSlotInfo(int32_t group, int32_t slot, SaveFileInfo& info, std::string& date) {
  std::string path;
  if (MakeSaveFileName(group, slot, &path) != 0) return -1;
  const auto file = ReadFile(path);
  if (!file) return 2;
  if (!ReadSaveFileInfo(*file, info)) return 3;
  const auto stat = platform::StatPath(path);
  date = FormatSaveDate(stat ? stat->writeTimeNs : 0);
  return 0;
}

int32_t GameSaveService::MakeSaveCaption(int32_t group, int32_t slot, uint8_t separatorKind, std::string* outCaption) {
  if (outCaption == nullptr) return 1;
  SaveFileInfo info;
  std::string date;
  if (const int32_t code = ReadSlotInfo(group, slot, info, date)) return code;
  *outCaption = MakeSaveCaptionText(BlockText(info.title), separatorKind, date);
  return 0;
}

int32_t GameSaveService::ReadSaveInfo(int32_t group, int32_t slot, SaveInfoRequest& request) {
  SaveFileInfo info;
  std::string date;
  if (const int32_t code = ReadSlotInfo(group, slot, info, date)) return code;
  if (request.thumbnailImage != 0 &&
      !(ports_.showThumbnail && ports_.showThumbnail(request.thumbnailImage, info)))
    return 1;
  if (request.wantTitle) std::memcpy(request.title.data(), info.title.data(), L::kTitleBytes);
  if (request.wantComment) {
    request.comment.fill(0);
    if (request.wrapComment) {
      const std::string wrapped = WrapSaveComment(BlockText(info.comment));
      std::memcpy(request.comment.data(), wrapped.data(), std::min<size_t>(wrapped.size(), L::kCommentBytes - 1));
    } else {
      std::memcpy(request.comment.data(), info.comment.data(), L::kCommentBytes);
    }
  }
  request.passedOn = info.reserved;
  if (request.wantDate) request.date = date;
  return 0;
}

int32_t GameSaveService::WriteSaveComment(int32_t group, int32_t slot, const char* text) {
  std::string path;
  if (MakeSaveFileName(group, slot, &path) != 0) return -1;
  auto file = ReadFile(path);
  if (!file) return 1;
  if (file->size() < L::kReservedOffset || std::memcmp(file->data(), "KVL0", 4) != 0) return 2;
  if (text == nullptr) return 0;
  const std::string cut = CutSaveComment(text);
  std::memcpy(file->data() + L::kCommentOffset, cut.data(), cut.size());
  (*file)[L::kCommentOffset + cut.size()] = 0;
  return platform::ReplaceFileContents(path, *file, kSaveTempPrefix) ? 0 : 1;
}

int32_t GameSaveService::CopySaveFile(int32_t group, int32_t slot, int32_t toGroup, int32_t toSlot) {
  std::string source;
  if (MakeSaveFileName(group, slot, &source) != 0) return 1;
  return platform::CopyFileData(source, SlotPath(toGroup, toSlot), true) ? 0 : 3;
}

int32_t GameSaveService::DeleteSaveFile(int32_t group, int32_t slot) {
  std::string path;
  if (MakeSaveFileName(group, slot, &path) != 0) return 1;
  return platform::RemoveFile(path) ? 0 : 2;
}

int32_t GameSaveService::TakeStateSnapshot() {
  if (!ports_.buildState) return 1;
  // The new state never carries the one it replaces: each would hold all
  // those before it, and every pass through a choice (each return to the
  // title, whose menu is one) would make the snapshot and every save that
  // carries it larger.
  std::optional<std::vector<uint8_t>> previous = std::move(snapshot_);
  snapshot_.reset();
  std::vector<uint8_t> blob;
  const int32_t code = ports_.buildState(blob, Setting(kSaveHistory) == 1);
  snapshot_ = code == 0 ? std::optional<std::vector<uint8_t>>(std::move(blob)) : std::move(previous);
  return code;
}

int32_t GameSaveService::RestoreStateSnapshot() {
  if (!snapshot_) return -1;
  // The snapshot is used up either way.
  const std::vector<uint8_t> blob = std::move(*snapshot_);
  snapshot_.reset();
  return ports_.restoreState ? ports_.restoreState(blob) : 1;
}

}  // namespace orrivel
