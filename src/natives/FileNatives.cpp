// Natives 121 to 145: file objects of the file pool and the preloader.
//
// A file object is named by a handle of the host's table; every native
// looks it up and also asks the pool, so a released, stale or forged handle
// gets the row's null answer. Loaded bytes handed to the scripts are arena
// copies made when first asked for and freed when the file is reopened,
// closed or released (and, for the preloader, when its entry is closed).
#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "natives/GameScriptHost.h"
#include "natives/NativeBinder.h"
#include "natives/ObjectPool.h"
#include "natives/ProcessObjects.h"
#include "natives/ScriptTextFormat.h"
#include "platform/FileSystem.h"
#include "resource/FileObject.h"
#include "resource/Preloader.h"
#include "script/ScriptAddressSpace.h"

namespace orrivel {

namespace {

enum : uint32_t {
  kFileCreate = 121,
  kFileRelease,
  kFileReleaseAll,
  kFileOpen,
  kFileOpenMember,
  kFileOpenStream,
  kFileOpenForWrite,
  kFileOpenExisting,
  kFileClose,
  kFileGetData,
  kFileGetSize,
  kFileGetName,
  kFileTell,
  kFileSeek,
  kFileSeekRelative,
  kFileRead,
  kFileReadLine,
  kFileWrite,
  kFilePrintf,
  kPreloadAllocate,
  kPreloadStart,
  kPreloadWait,
  kPreloadClose,
  kPreloadGetData,
  kPreloadGetSize,
};

// The null answers of the rows.
constexpr uint32_t kNullOpen = 5;
constexpr uint32_t kNullTell = 0xFFFFFFFFu;
// ReadLine's buffer when the script gives no size.
constexpr uint32_t kDefaultLineBytes = 256;

using FileHandle = FilePool::Object;

class FileNativeState {
 public:
  explicit FileNativeState(GameScriptHost& host) : host_(host) {}

  // The live pooled file behind a handle, or null.
  FileHandle* Resolve(uint32_t handle) {
    ProcessObjects* objects = GetProcessObjects();
    auto* file = host_.Handles().Get<FileHandle>(handle, HandleFamily::PooledFile);
    if (!objects || !file || !objects->Files().Contains(file)) return nullptr;
    return file;
  }

  uint32_t Create() {
    ProcessObjects* objects = GetProcessObjects();
    if (!objects) return 0;
    FileHandle* file = nullptr;
    if (objects->Files().Create(&file) != 0) return 0;
    const uint32_t handle = host_.Handles().Insert(file, HandleFamily::PooledFile);
    if (handle == 0) {
      objects->Files().Release(file);
      return 0;
    }
    handles_.insert(handle);
    return handle;
  }

  // 1 no variable or it holds 0; 2 not a file of the pool (the variable
  // stays); else the pool's code, and 0 clears the variable.
  uint32_t Release(NativeArgs& args) {
    const uint32_t variable = args.Cell(0);
    uint32_t handle = 0;
    if (args.Failed() || variable == 0) return 1;
    if (!args.Space().Read32(variable, handle)) {
      args.Fail();
      return 1;
    }
    if (handle == 0) return 1;
    FileHandle* file = Resolve(handle);
    ProcessObjects* objects = GetProcessObjects();
    if (!file || !objects) return 2;
    DropCopy(file);
    const int32_t code = objects->Files().Release(file);
    if (code == 0) {
      Forget(handle);
      args.Store(variable, 0);
    }
    return uint32_t(code);
  }

  void ReleaseAll() {
    for (auto& [file, address] : copies_) host_.Space().Free(address);
    copies_.clear();
    for (uint32_t handle : handles_) host_.Handles().Remove(handle);
    handles_.clear();
    if (ProcessObjects* objects = GetProcessObjects()) objects->Files().ReleaseAll();
  }

  // The arena copy of what the file holds loaded; 0 when nothing is.
  uint32_t DataCopy(FileHandle* file) {
    auto it = copies_.find(file);
    if (it != copies_.end()) return it->second;
    const uint32_t address = CopyToArena(file->GetData(), file->GetSize());
    if (address != 0) copies_[file] = address;
    return address;
  }
  void DropCopy(const FileHandle* file) {
    auto it = copies_.find(file);
    if (it == copies_.end()) return;
    host_.Space().Free(it->second);
    copies_.erase(it);
  }

  uint32_t PreloadCopy(Preloader& preloader, uint32_t slot) {
    auto it = preloadCopies_.find(slot);
    if (it != preloadCopies_.end()) return it->second;
    const uint32_t address = CopyToArena(preloader.GetEntryData(slot), preloader.GetEntrySize(slot));
    if (address != 0) preloadCopies_[slot] = address;
    return address;
  }
  // Frees the copies of the slots the preloader no longer holds loaded.
  void DropStalePreloadCopies(const Preloader& preloader) {
    for (auto it = preloadCopies_.begin(); it != preloadCopies_.end();) {
      if (preloader.GetEntryData(it->first) != nullptr) {
        ++it;
        continue;
      }
      host_.Space().Free(it->second);
      it = preloadCopies_.erase(it);
    }
  }
  void DropPreloadCopies() {
    for (auto& [slot, address] : preloadCopies_) host_.Space().Free(address);
    preloadCopies_.clear();
  }

  GameScriptHost& Host() { return host_; }

 private:
  uint32_t CopyToArena(const void* data, uint32_t size) {
    if (!data) return 0;
    const uint32_t address = host_.Space().Allocate(size);
    if (address != 0) host_.Space().WriteBytes(address, data, size);
    return address;
  }
  void Forget(uint32_t handle) {
    host_.Handles().Remove(handle);
    handles_.erase(handle);
  }

  GameScriptHost& host_;
  std::set<uint32_t> handles_;
  std::map<const FileHandle*, uint32_t> copies_;
  std::map<uint32_t, uint32_t> preloadCopies_;
};

using StatePtr = std::shared_ptr<FileNativeState>;

// Binds a native over the file in cell 0: `missing` for a null, stale or
// forged handle.
template <class Body>
void BindFile(NativeBinder& binder, const StatePtr& state, uint32_t number, uint32_t missing, Body body) {
  binder.Bind(number, [state, missing, body](NativeArgs& args) -> uint32_t {
    FileHandle* file = state->Resolve(args.Cell(0));
    if (!file || args.Failed()) return missing;
    return body(args, *file);
  });
}

// An opening native: the old copy goes, the file opens on `open`.
template <class Open>
void BindOpen(NativeBinder& binder, const StatePtr& state, uint32_t number, Open open) {
  BindFile(binder, state, number, kNullOpen, [state, open](NativeArgs& args, FileHandle& file) -> uint32_t {
    state->DropCopy(&file);
    return uint32_t(open(args, file));
  });
}

// The script bytes at the address in cell i, count long; null (and a failed
// call) when they are not all in one live block.
uint8_t* ScriptBytes(NativeArgs& args, uint32_t i, int32_t count) {
  const uint32_t address = args.Cell(i);
  if (args.Failed() || count <= 0) return nullptr;
  if (args.Space().LiveBytesAt(address) < uint64_t(count)) {
    args.Fail();
    return nullptr;
  }
  return args.Space().Bytes(address, uint64_t(count));
}

uint32_t ReadLine(NativeArgs& args, FileHandle& file) {
  if (args.Cell(1) == 0) return uint32_t(file.ReadLine(nullptr, 0));
  const int32_t size = args.Int(2);
  const uint64_t capacity = std::min<uint64_t>(size == 0 ? kDefaultLineBytes : uint32_t(size),
                                               args.OutputCapacity(1));
  if (capacity == 0) {
    args.Fail();
    return 0;
  }
  std::vector<char> line(capacity, 0);
  const int32_t code = file.ReadLine(line.data(), uint32_t(capacity));
  if (code > 0) args.WriteText(1, std::string(line.data()));
  return uint32_t(code);
}

uint32_t Printf(NativeArgs& args, FileHandle& file) {
  const std::string format = args.String(1);
  if (args.Failed()) return 0;
  std::optional<std::string> text = FormatScriptText(args, format, 2);
  if (!text) return 0;
  text->resize(CharBoundary(*text, kPrintfBufferSize - 1));
  return file.Write(text->data(), uint32_t(text->size()));
}

void BindPreloader(NativeBinder& binder, const StatePtr& state) {
  auto preloads = []() -> Preloader* {
    ProcessObjects* objects = GetProcessObjects();
    return objects ? &objects->Preloads() : nullptr;
  };
  binder.Bind(kPreloadAllocate, [state, preloads](NativeArgs& args) -> uint32_t {
    Preloader* preloader = preloads();
    if (!preloader) return kPreloadOtherFailure;
    state->DropPreloadCopies();
    return uint32_t(preloader->Allocate(args.Word16(0)));
  });
  binder.Bind(kPreloadStart, [state, preloads](NativeArgs& args) -> uint32_t {
    Preloader* preloader = preloads();
    const uint16_t first = args.Word16(0);
    const uint16_t count = args.Word16(1);
    if (!preloader) return kPreloadBadRange;
    std::vector<std::string> names;
    for (uint32_t i = 0; i < count && !args.Failed(); ++i) names.push_back(args.String(2 + i));
    if (args.Failed()) return kPreloadBadRange;
    if (preloader->IsLoading()) return kPreloadRunning;
    // The slots of the range get new files: their old copies go first.
    if (count > 0 && uint32_t(first) + count <= preloader->Count()) {
      preloader->CloseRange(first, count);
      state->DropStalePreloadCopies(*preloader);
    }
    const std::vector<std::string_view> views(names.begin(), names.end());
    return uint32_t(preloader->Start(first, count, views.data()));
  });
  binder.Bind(kPreloadWait, [preloads](NativeArgs&) -> uint32_t {
    Preloader* preloader = preloads();
    return preloader ? uint32_t(preloader->Wait()) : 0;
  });
  binder.Bind(kPreloadClose, [state, preloads](NativeArgs& args) -> uint32_t {
    Preloader* preloader = preloads();
    if (!preloader) return 0;
    const uint16_t count = args.Word16(1);
    if (count == 0) {
      preloader->Stop();
      state->DropPreloadCopies();
      return 0;
    }
    const int32_t pending = preloader->CloseRange(args.Word16(0), count);
    state->DropStalePreloadCopies(*preloader);
    return uint32_t(pending);
  });
  binder.Bind(kPreloadGetData, [state, preloads](NativeArgs& args) -> uint32_t {
    Preloader* preloader = preloads();
    return preloader ? state->PreloadCopy(*preloader, args.Word16(0)) : 0;
  });
  binder.Bind(kPreloadGetSize, [preloads](NativeArgs& args) -> uint32_t {
    Preloader* preloader = preloads();
    return preloader ? preloader->GetEntrySize(args.Word16(0)) : 0;
  });
}

}  // namespace

void BindFileNatives(NativeBinder& binder) {
  auto state = std::make_shared<FileNativeState>(binder.Host());
  binder.Bind(kFileCreate, [state](NativeArgs&) { return state->Create(); });
  binder.Bind(kFileRelease, [state](NativeArgs& args) { return state->Release(args); });
  binder.Bind(kFileReleaseAll, [state](NativeArgs&) -> uint32_t {
    state->ReleaseAll();
    return 0;
  });
  // Names that leave the game and save folders open nothing. A name read
  // through the archives may be found in a search folder: a loose file
  // found there is checked where it lies as well.
  auto allowed = [state](const std::string& name) { return state->Host().FileRoots().Allows(name); };
  auto keptIfAllowed = [allowed](FileHandle& file, int code) {
    if (code != kFileObjectOk || !platform::PathExists(file.GetName()) || allowed(file.GetName())) return code;
    file.Close();
    return int(kFileObjectBadPath);
  };
  BindOpen(binder, state, kFileOpen, [allowed, keptIfAllowed](NativeArgs& args, FileHandle& file) {
    const std::string name = args.String(1);
    if (args.Failed()) return int(kNullOpen);
    return allowed(name) ? keptIfAllowed(file, file.Open(name)) : int(kFileObjectBadPath);
  });
  // By name, or by index when no name is given.
  BindOpen(binder, state, kFileOpenMember, [](NativeArgs& args, FileHandle& file) {
    const int32_t id = args.Int(1);
    const bool byName = args.Cell(2) != 0;
    const std::string name = byName ? args.String(2) : std::string();
    const int32_t index = byName ? -1 : args.Int(3);
    return args.Failed() ? int(kNullOpen) : file.OpenArchiveMember(id, index, name);
  });
  BindOpen(binder, state, kFileOpenStream, [allowed, keptIfAllowed](NativeArgs& args, FileHandle& file) {
    const std::string name = args.String(1);
    if (args.Failed()) return int(kNullOpen);
    return allowed(name) ? keptIfAllowed(file, file.OpenStream(name)) : int(kFileObjectBadPath);
  });
  // Written files are opened by the path that was checked; a program file
  // is never written.
  auto writable = [state](const std::string& name) { return state->Host().FileRoots().ResolveForWriting(name); };
  BindOpen(binder, state, kFileOpenForWrite, [writable](NativeArgs& args, FileHandle& file) {
    const std::string name = args.String(1);
    const bool truncate = args.Flag(2);
    if (args.Failed()) return int(kNullOpen);
    const std::optional<std::string> full = writable(name);
    return full ? file.OpenForWrite(*full, truncate) : int(kFileObjectBadPath);
  });
  BindOpen(binder, state, kFileOpenExisting, [writable](NativeArgs& args, FileHandle& file) {
    const std::string name = args.String(1);
    if (args.Failed()) return int(kNullOpen);
    const std::optional<std::string> full = writable(name);
    return full ? file.OpenExisting(*full) : int(kFileObjectBadPath);
  });
  BindFile(binder, state, kFileClose, 0, [state](NativeArgs&, FileHandle& file) -> uint32_t {
    state->DropCopy(&file);
    file.Close();
    return 0;
  });
  BindFile(binder, state, kFileGetData, 0,
           [state](NativeArgs&, FileHandle& file) { return state->DataCopy(&file); });
  BindFile(binder, state, kFileGetSize, 0, [](NativeArgs&, FileHandle& file) { return file.GetSize(); });
  BindFile(binder, state, kFileGetName, 0, [state](NativeArgs& args, FileHandle& file) {
    return state->Host().HostString("file name " + std::to_string(args.Cell(0)), file.GetName());
  });
  BindFile(binder, state, kFileTell, kNullTell, [](NativeArgs&, FileHandle& file) { return uint32_t(file.Tell()); });
  BindFile(binder, state, kFileSeek, kNullOpen,
           [](NativeArgs& args, FileHandle& file) { return uint32_t(file.SeekSet(args.Cell(1))); });
  BindFile(binder, state, kFileSeekRelative, kNullOpen,
           [](NativeArgs& args, FileHandle& file) { return uint32_t(file.SeekCurrent(args.Int(1))); });
  BindFile(binder, state, kFileRead, 0, [](NativeArgs& args, FileHandle& file) -> uint32_t {
    const int32_t count = args.Int(2);
    uint8_t* bytes = ScriptBytes(args, 1, count);
    return bytes ? file.Read(bytes, uint32_t(count)) : 0;
  });
  BindFile(binder, state, kFileReadLine, 0, ReadLine);
  BindFile(binder, state, kFileWrite, 0, [](NativeArgs& args, FileHandle& file) -> uint32_t {
    const int32_t count = args.Int(2);
    const uint8_t* bytes = ScriptBytes(args, 1, count);
    return bytes ? file.Write(bytes, uint32_t(count)) : 0;
  });
  BindFile(binder, state, kFilePrintf, 0, Printf);
  BindPreloader(binder, state);
}

}  // namespace orrivel
