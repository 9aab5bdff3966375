#include <algorithm>
#include <string>

#include "natives/GameScriptHost.h"
#include "natives/NativeBinder.h"
#include "natives/ProcessObjects.h"
#include "natives/SaveService.h"
#include "natives/SaveLoadFamilies.h"
#include "natives/SystemNativePort.h"

namespace orrivel {

namespace {

enum : uint32_t {
  kSetSaveInfo = 36,
  kQueueSaveVariable,
  kSetSaveThumbnailSource,
  kSetSaveFileName,
  kWriteSave,
  kLoadSave,
  kMakeSaveCaption,
  kReadSaveInfo,
  kWriteSaveComment,
  kCopySaveFile,
  kDeleteSaveFile,
  kKeepStateSnapshot,
  kRestoreStateSnapshot,
  kHasStateSnapshot,
  kDropStateSnapshot,
  kGetSystemObject = 54,
};

constexpr uint32_t Code(int32_t value) { return uint32_t(value); }
// The loader's answer when no file can be named.
constexpr int32_t kNoFileName = -1;

// Copies what fits of size bytes into the script's buffer at cell i: never
// past the variable or block the address lies in.
void CopyBounded(NativeArgs& args, uint32_t i, const uint8_t* data, size_t size) {
  const uint64_t room = args.OutputCapacity(i);
  args.CopyOut(i, data, std::min<uint64_t>(room, size));
}

std::string CurrentSaveFileName() {
  ProcessObjects* objects = GetProcessObjects();
  return objects ? objects->SaveFileName() : std::string();
}

uint32_t SetSaveInfo(GameScriptHost& host, NativeArgs& args) {
  const uint16_t start = args.Word16(0);
  const uint32_t caption = args.Cell(1);
  const uint32_t message = args.Cell(2);
  if (args.Failed() || start == 0) return 0;
  ScriptSaveSetup& setup = host.SaveSetup();
  setup.startNumber = start;
  setup.captionText = caption;
  setup.messageText = message;
  host.ClearPendingVariables();
  return 1;
}

uint32_t SetSaveFileName(NativeArgs& args) {
  const int32_t group = args.Int(0), slot = args.Int(1);
  if (args.Failed()) return 1;
  std::string path;
  if (SystemSaves().MakeSaveFileName(group, slot, &path) != 0) return 1;
  if (ProcessObjects* objects = GetProcessObjects()) objects->StoreFileNameString(path.c_str());
  return 0;
}

uint32_t LoadSave(NativeArgs& args) {
  const int32_t group = args.Int(0), slot = args.Int(1);
  if (args.Failed()) return Code(kNoFileName);
  if (group >= 0) return Code(SystemSaves().LoadSave(group, slot));
  // A negative group loads the save file in use; with none nothing is
  // touched.
  const std::string name = CurrentSaveFileName();
  if (name.empty()) return Code(kNoFileName);
  return Code(SystemSaves().LoadSaveFile(name));
}

uint32_t MakeSaveCaption(NativeArgs& args) {
  const uint32_t buffer = args.Cell(0);
  const int32_t group = args.Int(1), slot = args.Int(2);
  const uint8_t separator = args.Byte(3);
  if (args.Failed()) return Code(kNoFileName);
  if (buffer == 0) return 1;
  std::string caption;
  const int32_t code = SystemSaves().MakeSaveCaption(group, slot, separator, &caption);
  if (code == 0) args.WriteText(0, caption);
  return Code(code);
}

uint32_t ReadSaveInfo(NativeArgs& args) {
  const int32_t group = args.Int(0), slot = args.Int(1);
  SaveInfoRequest request;
  request.thumbnailImage = args.Cell(2);
  request.wantTitle = args.Cell(3) != 0;
  request.wantComment = args.Cell(4) != 0;
  request.wantDate = args.Cell(5) != 0;
  request.wrapComment = args.Byte(6) != 0;
  request.passedOn = args.Cell(7);
  if (args.Failed()) return Code(kNoFileName);
  const int32_t code = SystemSaves().ReadSaveInfo(group, slot, request);
  if (code != 0) return Code(code);
  if (request.wantTitle) CopyBounded(args, 3, request.title.data(), request.title.size());
  if (request.wantComment) CopyBounded(args, 4, request.comment.data(), request.comment.size());
  if (request.wantDate) args.WriteText(5, request.date);
  return 0;
}

uint32_t WriteSaveComment(NativeArgs& args) {
  const int32_t group = args.Int(0), slot = args.Int(1);
  const bool given = args.Cell(2) != 0;
  const std::string text = given ? args.String(2) : std::string();
  if (args.Failed()) return Code(kNoFileName);
  return Code(SystemSaves().WriteSaveComment(group, slot, given ? text.c_str() : nullptr));
}

// Handles of the box and its font, made once per host and kept while the
// objects stay the same.
struct SystemObjectHandles {
  uint32_t box = 0;
  uint32_t font = 0;

  static uint32_t HandleOf(ScriptHandles& handles, uint32_t& cached, void* object, HandleFamily family) {
    if (object == nullptr) return 0;
    if (cached != 0 && handles.Find(cached, family) == object) return cached;
    if (cached != 0) handles.Remove(cached);
    cached = handles.Insert(object, family);
    return cached;
  }
};

void BindSlotNatives(NativeBinder& binder) {
  binder.Bind(kSetSaveFileName, SetSaveFileName);
  binder.Bind(kWriteSave, [](NativeArgs& args) -> uint32_t {
    const int32_t group = args.Int(0), slot = args.Int(1);
    return args.Failed() ? Code(kNoFileName) : Code(SystemSaves().WriteSave(group, slot));
  });
  binder.Bind(kLoadSave, LoadSave);
  binder.Bind(kMakeSaveCaption, MakeSaveCaption);
  binder.Bind(kReadSaveInfo, ReadSaveInfo);
  binder.Bind(kWriteSaveComment, WriteSaveComment);
  binder.Bind(kCopySaveFile, [](NativeArgs& args) -> uint32_t {
    const int32_t group = args.Int(0), slot = args.Int(1), toGroup = args.Int(2), toSlot = args.Int(3);
    return args.Failed() ? 1 : Code(SystemSaves().CopySaveFile(group, slot, toGroup, toSlot));
  });
  binder.Bind(kDeleteSaveFile, [](NativeArgs& args) -> uint32_t {
    const int32_t group = args.Int(0), slot = args.Int(1);
    return args.Failed() ? 1 : Code(SystemSaves().DeleteSaveFile(group, slot));
  });
}

void BindSnapshotNatives(NativeBinder& binder) {
  binder.Bind(kKeepStateSnapshot, [](NativeArgs&) -> uint32_t {
    SaveService& saves = SystemSaves();
    saves.DiscardStateSnapshot();
    return Code(saves.TakeStateSnapshot());
  });
  binder.Bind(kRestoreStateSnapshot, [](NativeArgs&) -> uint32_t {
    SaveService& saves = SystemSaves();
    if (!saves.HasStateSnapshot()) return Code(-1);
    return Code(saves.RestoreStateSnapshot());
  });
  binder.Bind(kHasStateSnapshot, [](NativeArgs&) -> uint32_t { return SystemSaves().HasStateSnapshot() ? 1 : 0; });
  binder.Bind(kDropStateSnapshot, [](NativeArgs&) -> uint32_t {
    SystemSaves().DiscardStateSnapshot();
    return 0;
  });
}

}  // namespace

// Natives 36 to 50 and 54: what the next save carries, the save slots, the
// in-memory state snapshot and the built-in objects scripts may hold.
void BindSaveLoadNatives(NativeBinder& binder) {
  GameScriptHost& host = binder.Host();
  binder.Bind(kSetSaveInfo, [&host](NativeArgs& args) { return SetSaveInfo(host, args); });
  binder.Bind(kQueueSaveVariable, [&host](NativeArgs& args) -> uint32_t {
    const uint32_t address = args.Cell(0);
    if (args.Failed() || address == 0) return 0;
    host.QueueVariable(address);
    return 1;
  });
  binder.Bind(kSetSaveThumbnailSource, [&host](NativeArgs& args) -> uint32_t {
    const uint32_t source = args.Cell(0), picture = args.Cell(1);
    if (args.Failed()) return 1;
    host.SaveSetup().thumbnailSource = source;
    host.SaveSetup().thumbnailPicture = picture;
    return 1;
  });
  BindSlotNatives(binder);
  BindSnapshotNatives(binder);
  auto objects = std::make_shared<SystemObjectHandles>();
  binder.Bind(kGetSystemObject, [&host, objects](NativeArgs& args) -> uint32_t {
    const uint32_t mustBeZero = args.Cell(0);
    const uint32_t selector = args.Cell(1);
    if (args.Failed() || mustBeZero != 0) return 0;
    const SystemNativePort& port = SystemPort();
    if (selector == 0)
      return SystemObjectHandles::HandleOf(host.Handles(), objects->box, port.confirmBox, HandleFamily::SystemObject);
    if (selector == 1)
      return SystemObjectHandles::HandleOf(host.Handles(), objects->font, port.confirmFont, HandleFamily::Font);
    return 0;
  });
  BindZoomSpriteNative(binder);
  BindSystemCommandNative(binder);
}

}  // namespace orrivel
