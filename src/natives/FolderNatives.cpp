// Natives 93 to 120 and 146 to 162: search folders, archive mounts and
// decoders, path operations, folder listings, dropped files, the file and
// folder dialogs, programs and disk operations. Each forwards to one object
// or one operation; texts handed back to the scripts are host-owned arena
// strings.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "base/FileDialog.h"
#include "base/Cp932.h"
#include "base/DropTarget.h"
#include "natives/AppNativePort.h"
#include "natives/FileNativeSupport.h"
#include "natives/GameScriptHost.h"
#include "natives/NativeBinder.h"
#include "natives/ProcessObjects.h"
#include "natives/WindowCommandRecords.h"
#include "platform/FileSystem.h"
#include "raster/Surface.h"
#include "resource/ArchiveManager.h"
#include "resource/BaseFolder.h"
#include "resource/FileUtilities.h"
#include "resource/FolderListing.h"
#include "resource/Paths.h"
#include "resource/SpiPluginLoader.h"
#include "script/ScriptAddressSpace.h"

namespace orrivel {

namespace {

enum : uint32_t {
  kAddSearchFolder = 93,
  kRemoveSearchFolder,
  kGetSearchFolder,
  kClearSearchFolders,
  kFindLooseFile,
  kFindFileOnAllDrives,
  kGetLooseFileSize,
  kLoadArchivePlugin,
  kLoadArchivePlugins,
  kUnloadArchivePlugins,
  kCallDecoderAssist,
  kMountArchive,
  kUnmountArchive,
  kGetMountCount,
  kUnmountAllArchives,
  kGetArchiveMemberCount,
  kGetArchiveMemberName,
  kGetArchiveMemberInfo,
  kArchiveCommand,
  kLocateFile,
  kLoadSusiePlugin,
  kLoadSusiePlugins,
  kCutToParentFolder,
  kSplitPathName,
  kSplitLastComponent,
  kGetFileExtension,
  kRemoveFileExtension,
  kSetCurrentFolder,
  kListFolder = 146,
  kGetListingName,
  kGetListingField,
  kGetListingKind,
  kGetListingInfo,
  kClearListing,
  kEnableFileDrop,
  kGetDroppedFile,
  kClearDroppedFiles,
  kOpenFileDialog,
  kSaveFileDialog,
  kBrowseFolderDialog,
  kRunProcess,
  kCreateFolder,
  kMoveFile,
  kCopyFile,
  kFileTimeToLocal,
};

// The most cells an assist callback is handed: the rest of the argument
// block, never past the live block that holds it.
constexpr uint32_t kMaxAssistCells = 64;
// A dialog's file name buffer.
constexpr uint64_t kDialogPathBytes = 260;
// 100-nanosecond units between 1601-01-01 and 1970-01-01.
constexpr int64_t kFileTimeEpochShift = 116444736000000000LL;

uint32_t SearchFolder(GameScriptHost& host, ArchiveManager& archives, int32_t index) {
  const int32_t count = int32_t(archives.GetSearchFolderCount());
  if (index < -1) return uint32_t(count);
  if (index >= count) return 0;
  const std::string* folder = archives.GetSearchFolder(index);
  return folder ? host.HostString("search folder", *folder) : 0;
}

// Plug-in decoders only: the built-in ones stay.
void UnloadDecoderPlugins(ArchiveManager& archives, int32_t which) {
  std::vector<int32_t> types;
  for (const ArchiveDecoderRecord& record : archives.Decoders()) {
    if (record.module != nullptr && (which == -1 || record.type == which)) types.push_back(record.type);
  }
  for (int32_t type : types) archives.RemoveDecoders(type);
}

// The cells from `first` to the end of the argument block's live storage.
std::vector<int32_t> TrailingCells(NativeArgs& args, uint32_t first) {
  const uint64_t bytes = args.Space().LiveBytesAt(args.Block());
  const uint32_t cells = uint32_t(std::min<uint64_t>(bytes / 4, kMaxAssistCells + first));
  std::vector<int32_t> out;
  for (uint32_t i = first; i < cells; ++i) out.push_back(args.Int(i));
  return out;
}

// A script's file or folder name that may be used: inside the game or save
// folder, or the player's choice (see ScriptFileRoots).
bool Allowed(GameScriptHost& host, std::string_view path) { return host.FileRoots().Allows(path); }

// A name looked for in the search folders is checked where it was found
// too: a search folder shallower than the base folder would otherwise let
// a name's ".." steps climb out of the roots.
bool FoundAllowed(GameScriptHost& host, const std::string& found) { return Allowed(host, found); }

// The first word of a command line (the program) and where the rest
// begins, as the command line splitter reads it; nullopt for a program
// word the splitter would change (quotes inside it, a backslash before its
// closing quote), so what is checked is what runs.
struct ProgramWord {
  std::string program;
  size_t restAt = 0;
};
std::optional<ProgramWord> FirstWord(std::string_view command) {
  size_t i = 0;
  while (i < command.size() && (command[i] == ' ' || command[i] == '\t')) ++i;
  const bool quoted = i < command.size() && command[i] == '"';
  if (quoted) ++i;
  ProgramWord word;
  while (i < command.size()) {
    const size_t length = cp932::CharLength(command, i);
    const char c = command[i];
    if (length == 1 && c == '"') {
      if (!quoted || word.program.empty() || word.program.back() == '\\') return std::nullopt;
      ++i;
      if (i < command.size() && command[i] != ' ' && command[i] != '\t') return std::nullopt;
      word.restAt = i;
      return word;
    }
    if (length == 1 && !quoted && (c == ' ' || c == '\t')) break;
    word.program.append(command.substr(i, length));
    i += length;
  }
  if (quoted || word.program.empty()) return std::nullopt;
  word.restAt = i;
  return word;
}

// Native 158 starts only a program inside the game folder, named by its
// path there (a bare name is looked for in the game folder, never on the
// program search path); its arguments follow as the script gave them, and
// no shell ever reads the line. The command line as it runs, with the
// program's full path; nullopt when the script may not start it.
std::optional<std::string> ConfinedCommand(GameScriptHost& host, std::string_view command) {
  const std::optional<ProgramWord> word = FirstWord(command);
  if (!word) return std::nullopt;
  const std::optional<std::string> program = host.FileRoots().ResolveProgram(word->program);
  if (!program || program->find('"') != std::string::npos) return std::nullopt;
  return "\"" + *program + "\"" + std::string(command.substr(word->restAt));
}

uint32_t Mount(GameScriptHost& host, NativeArgs& args, ArchiveManager& archives) {
  const std::string path = args.String(0);
  const int32_t id = args.Int(1);
  const bool asFolder = args.Flag(2);
  const bool atEnd = args.Flag(3);
  if (args.Failed() || !Allowed(host, path)) return 0;
  return uint32_t(archives.Mount(path, id, asFolder, atEnd, nullptr));
}

uint32_t MemberName(GameScriptHost& host, NativeArgs& args, ArchiveManager& archives) {
  const Archive* archive = archives.GetMountArchive(args.Int(0), -1);
  const int32_t index = args.Int(1);
  if (!archive || index < 0) return 0;
  const std::vector<ArchiveListEntry>* list = archive->GetEntryList();
  if (!list || size_t(index) >= list->size()) return 0;
  return host.HostString("archive member", (*list)[size_t(index)].name);
}

uint32_t MemberInfo(NativeArgs& args, ArchiveManager& archives) {
  const Archive* archive = archives.GetMountArchive(args.Int(0), -1);
  if (!archive) return 1;
  const std::string name = args.String(1);
  if (args.Failed()) return 0;
  const ArchiveEntryRecord* record = archive->FindListEntry(name);
  if (!record) return 2;
  args.SetOptionalInt(2, record->storedSize);
  args.SetOptionalInt(3, record->fullSize);
  args.SetOptionalInt(4, PackDosTime(record->reserved1));
  args.SetOptionalInt(5, record->kind);
  args.SetOptionalInt(6, record->memberFlags);
  return 0;
}

// The record a loose-file search fills: attributes, three file times, the
// size (high word first), two reserved words and the name.
uint32_t FindLoose(GameScriptHost& host, NativeArgs& args, ArchiveManager& archives) {
  const std::string name = args.String(0);
  if (args.Failed()) return 0;
  // A name that leaves the roots is a bad path (1); one found outside them
  // through a search folder is not found (3).
  if (!Allowed(host, name)) return 1;
  std::string full;
  platform::FileInfo info;
  int code = archives.FindFile(&full, name, &info);
  if (code == 0 && !FoundAllowed(host, full)) code = 3;
  if (code != 0 || args.Cell(1) == 0) return uint32_t(code);
  std::vector<uint8_t> record(320, 0);
  auto put32 = [&record](size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) record[at + size_t(i)] = uint8_t(value >> (8 * i));
  };
  put32(0, (info.isFolder ? kAttributeFolder : kAttributeArchive) | (info.readOnly ? kAttributeReadOnly : 0));
  const uint64_t fileTime = uint64_t(info.writeTimeNs / 100 + kFileTimeEpochShift);
  for (size_t at : {4u, 12u, 20u}) {
    put32(at, uint32_t(fileTime));
    put32(at + 4, uint32_t(fileTime >> 32));
  }
  put32(28, uint32_t(info.size >> 32));
  put32(32, uint32_t(info.size));
  std::copy_n(info.name.begin(), std::min<size_t>(info.name.size(), 259), record.begin() + 44);
  const uint64_t room = std::min<uint64_t>(args.OutputCapacity(1), record.size());
  if (room == 0 || !args.CopyOut(1, record.data(), room)) args.Fail();
  return uint32_t(code);
}

// A path buffer changed in place: read, changed by `change`, written back.
template <class Change>
uint32_t ChangePath(NativeArgs& args, Change&& change) {
  std::string path = args.String(0);
  if (args.Failed()) return 0;
  const uint32_t result = change(path);
  args.WriteText(0, path);
  return result;
}

uint32_t Listing(GameScriptHost& host, NativeArgs& args, uint32_t native) {
  ProcessObjects* objects = GetProcessObjects();
  const int32_t index = args.Int(0);
  const FolderEntry* entry = objects && index >= 0 ? objects->Folder().Entry(uint32_t(index)) : nullptr;
  if (!entry) return 0;
  switch (native) {
    case kGetListingName:
      return host.HostString("listing name", entry->name);
    case kGetListingField:
      return entry->size;
    case kGetListingKind:
      return entry->attributes;
    default: {
      const uint32_t fields[] = {entry->year, entry->month, entry->day,      entry->hour,
                                 entry->minute, entry->second, entry->dayOfWeek};
      for (uint32_t i = 0; i < 7; ++i) args.SetOptionalInt(1 + i, fields[i]);
      return 1;
    }
  }
}

uint32_t DroppedFile(GameScriptHost& host, NativeArgs& args) {
  DropTarget* drops = AppPort().dropTarget;
  const int32_t index = args.Int(0);
  if (index < 0) return drops ? uint32_t(drops->GetCount()) : 0;
  const std::optional<std::string> name = drops ? drops->GetFile(index) : std::nullopt;
  return name ? host.HostString("dropped file", *name) : 0;
}

std::string OptionalText(NativeArgs& args, uint32_t i, const std::string& fallback) {
  return args.Cell(i) != 0 ? args.String(i) : fallback;
}

// Natives 155 and 156: the dialog runs on the main window (commands 40027
// and 40028); its answer goes to cell 0, the chosen path to cell 1 and its
// file name to cell 2.
uint32_t FileDialogNative(GameScriptHost& host, NativeArgs& args, bool save) {
  if (args.Cell(1) == 0 || args.Cell(2) == 0) return 0;
  const std::string title = OptionalText(args, 0, "");
  const std::string proposed = args.String(1);
  const std::string initialFolder = OptionalText(args, 3, BaseFolder());
  const bool hasFilter = args.Cell(4) != 0;
  std::string filter = hasFilter ? args.String(4) : std::string();
  const std::string extension = save ? OptionalText(args, 5, "") : std::string();
  if (args.Failed()) return 0;
  std::array<char, kDialogPathRoom> file{};
  std::array<char, kDialogTitleRoom> fileTitle{};
  std::memcpy(file.data(), proposed.data(), std::min(proposed.size(), file.size() - 1));
  FileCommandRecord record;
  record.title = title.c_str();
  record.file = file.data();
  record.fileTitle = fileTitle.data();
  record.initialFolder = initialFolder.c_str();
  record.filter = hasFilter ? filter.data() : nullptr;
  record.defaultExtension = save ? extension.c_str() : nullptr;
  SendWindowCommand(save ? kCommandSaveFile : kCommandOpenFile, &record);
  const uint32_t result = uint32_t(record.result);
  if (result != 0) {
    // The player chose this file: the scripts may open or write it
    // wherever it is.
    host.FileRoots().AllowChosen(file.data(), false);
    args.WriteText(1, file.data());
    args.WriteText(2, fileTitle.data());
  }
  args.Store(args.Block(), result);
  return result;
}

// Native 157: the folder browser on the main window (command 40029).
uint32_t FolderDialog(GameScriptHost& host, NativeArgs& args) {
  if (args.Cell(2) == 0) return 0;
  const std::string title = OptionalText(args, 0, "");
  const std::string initialFolder = OptionalText(args, 1, BaseFolder());
  if (args.Failed()) return 0;
  std::array<char, kDialogPathRoom> path{};
  FolderCommandRecord record;
  record.title = title.c_str();
  record.initialFolder = initialFolder.c_str();
  record.path = path.data();
  SendWindowCommand(kCommandBrowseFolder, &record);
  const uint32_t result = uint32_t(record.result);
  if (result != 0) {
    host.FileRoots().AllowChosen(path.data(), true);
    args.WriteText(2, path.data());
  }
  args.Store(args.Block(), result);
  return result;
}

uint32_t MoveFileNative(GameScriptHost& host, NativeArgs& args) {
  const std::string from = args.String(0);
  const std::string to = args.String(1);
  if (args.Failed()) return 0;
  const std::optional<std::string> fullFrom = host.FileRoots().Resolve(from);
  if (!fullFrom) return 1;
  const std::optional<std::string> fullTo = host.FileRoots().ResolveForWriting(to);
  if (!fullTo) return 2;
  return platform::RenameFile(*fullFrom, *fullTo) ? 0 : 3;
}

uint32_t FileTimeToLocal(NativeArgs& args) {
  const uint32_t address = args.Cell(0);
  uint32_t low = 0, high = 0;
  if (args.Failed() || address == 0 || !args.Space().Read32(address, low) ||
      !args.Space().Read32(address + 4, high))
    return 0;
  const int64_t units = int64_t((uint64_t(high) << 32) | low);
  if (units < 0) return 0;
  const int64_t sinceEpoch = units - kFileTimeEpochShift;
  // The clock counts nanoseconds in 64 bits (the years 1678 to 2262): a
  // file time outside them has no local time here.
  constexpr int64_t kNanosecondsPerUnit = 100;
  if (sinceEpoch > INT64_MAX / kNanosecondsPerUnit || sinceEpoch < INT64_MIN / kNanosecondsPerUnit) return 0;
  const std::optional<platform::LocalTime> local = platform::ToLocalTime(sinceEpoch * kNanosecondsPerUnit);
  if (!local) return 0;
  const int32_t millisecond = int32_t(((sinceEpoch % 10000000) + 10000000) % 10000000 / 10000);
  const int32_t fields[] = {local->year, local->month, local->day, local->hour, local->minute, local->second,
                            millisecond};
  for (uint32_t i = 0; i < 7; ++i) args.SetOptionalInt(1 + i, uint32_t(fields[i]));
  return 1;
}

}  // namespace

uint32_t PackDosTime(uint32_t timeStamp) {
  if (timeStamp == 0) return 0;
  const std::time_t seconds = std::time_t(timeStamp);
  std::tm local{};
  if (!localtime_r(&seconds, &local)) return 0;
  const int year = local.tm_year + 1900;
  // The packed year has seven bits from 1980: earlier times pack as its
  // first second, later ones as the last second that fits.
  if (year < 1980) return (1u << 21) | (1u << 16);
  if (year > 1980 + 127) return (127u << 25) | (12u << 21) | (31u << 16) | (23u << 11) | (59u << 5) | 29u;
  return (uint32_t(year - 1980) << 25) | (uint32_t(local.tm_mon + 1) << 21) | (uint32_t(local.tm_mday) << 16) |
         (uint32_t(local.tm_hour) << 11) | (uint32_t(local.tm_min) << 5) | uint32_t(local.tm_sec / 2);
}

void BindFolderNatives(NativeBinder& binder) {
  GameScriptHost& host = binder.Host();
  // Natives that need the archive manager answer `missing` without one.
  auto withArchives = [&binder](uint32_t number, uint32_t missing, auto body) {
    binder.Bind(number, [missing, body](NativeArgs& args) -> uint32_t {
      ArchiveManager* archives = GetArchiveManager();
      return archives ? body(args, *archives) : missing;
    });
  };
  withArchives(kAddSearchFolder, 2, [&host](NativeArgs& args, ArchiveManager& archives) -> uint32_t {
    const std::string path = args.String(0);
    if (args.Failed() || !Allowed(host, path)) return 1;
    return uint32_t(archives.AddSearchFolder(path, args.Flag(1)));
  });
  withArchives(kRemoveSearchFolder, uint32_t(-1), [](NativeArgs& args, ArchiveManager& archives) -> uint32_t {
    if (args.Cell(0) == 0) return uint32_t(archives.RemoveSearchFolder(std::nullopt, args.Int(1)));
    const std::string path = args.String(0);
    return args.Failed() ? uint32_t(-1) : uint32_t(archives.RemoveSearchFolder(path, args.Int(1)));
  });
  withArchives(kGetSearchFolder, 0, [&host](NativeArgs& args, ArchiveManager& archives) {
    return SearchFolder(host, archives, args.Int(0));
  });
  withArchives(kClearSearchFolders, 0, [](NativeArgs&, ArchiveManager& archives) -> uint32_t {
    archives.ClearSearchFolders();
    return 0;
  });
  withArchives(kFindLooseFile, 3, [&host](NativeArgs& args, ArchiveManager& archives) {
    return FindLoose(host, args, archives);
  });
  binder.Bind(kFindFileOnAllDrives, [](NativeArgs& args) -> uint32_t {
    const std::string name = args.String(0);
    if (args.Failed()) return 1;
    std::string root;
    const int code = FindFileOnAllDrives(name, &root);
    if (code == 0 && args.Cell(1) != 0) args.WriteText(1, root);
    return uint32_t(code);
  });
  withArchives(kGetLooseFileSize, 0, [&host](NativeArgs& args, ArchiveManager& archives) -> uint32_t {
    const std::string name = args.String(0);
    if (args.Failed() || !Allowed(host, name)) return 0;
    std::string full;
    platform::FileInfo info;
    if (archives.FindFile(&full, name, &info) != 0 || !FoundAllowed(host, full)) return 0;
    args.SetOptionalInt(1, uint32_t(info.size));
    return 1;
  });
  withArchives(kLoadArchivePlugin, kAdlOtherFailure,
               [&host](NativeArgs& args, ArchiveManager& archives) -> uint32_t {
                 const std::string path = args.String(0);
                 if (args.Failed() || !host.FileRoots().ResolveLibrary(path)) return uint32_t(kAdlBadPath);
                 return uint32_t(archives.LoadPlugin(path));
               });
  withArchives(kLoadArchivePlugins, uint32_t(-1), [&host](NativeArgs& args, ArchiveManager& archives) -> uint32_t {
    const std::string folder = args.String(0);
    return args.Failed() || !Allowed(host, folder) ? uint32_t(-1) : uint32_t(archives.LoadPlugins(folder));
  });
  withArchives(kUnloadArchivePlugins, 0, [](NativeArgs& args, ArchiveManager& archives) -> uint32_t {
    UnloadDecoderPlugins(archives, args.Int(0));
    return 0;
  });
  withArchives(kCallDecoderAssist, uint32_t(-2), [](NativeArgs& args, ArchiveManager& archives) -> uint32_t {
    const int32_t kind = args.Int(0);
    const std::vector<int32_t> cells = TrailingCells(args, 1);
    if (args.Failed()) return uint32_t(-2);
    return uint32_t(archives.PassDecoderSettings(kind, cells.data(), uint32_t(cells.size())));
  });
  withArchives(kMountArchive, 3,
               [&host](NativeArgs& args, ArchiveManager& archives) { return Mount(host, args, archives); });
  withArchives(kUnmountArchive, 0, [](NativeArgs& args, ArchiveManager& archives) -> uint32_t {
    if (args.Cell(0) != 0) {
      const std::string path = args.String(0);
      if (!args.Failed()) archives.Unmount(path, kNoMountId, -1);
    } else {
      archives.Unmount(std::nullopt, args.Int(1), -1);
    }
    return 0;
  });
  withArchives(kGetMountCount, 0,
               [](NativeArgs&, ArchiveManager& archives) { return uint32_t(archives.GetMountCount()); });
  withArchives(kUnmountAllArchives, 0, [](NativeArgs&, ArchiveManager& archives) -> uint32_t {
    archives.UnmountAll();
    return 0;
  });
  withArchives(kGetArchiveMemberCount, 0, [](NativeArgs& args, ArchiveManager& archives) -> uint32_t {
    const Archive* archive = archives.GetMountArchive(args.Int(0), -1);
    return archive ? archive->GetCount() : 0;
  });
  withArchives(kGetArchiveMemberName, 0,
               [&host](NativeArgs& args, ArchiveManager& archives) { return MemberName(host, args, archives); });
  withArchives(kGetArchiveMemberInfo, 1, MemberInfo);
  // Archives take no script commands here: a mounted one answers that the
  // request is not supported.
  withArchives(kArchiveCommand, uint32_t(-3), [](NativeArgs& args, ArchiveManager& archives) -> uint32_t {
    return archives.GetMountArchive(args.Int(0), -1) ? uint32_t(-2) : uint32_t(-3);
  });
  withArchives(kLocateFile, 1, [&host](NativeArgs& args, ArchiveManager& archives) -> uint32_t {
    const std::string name = args.String(0);
    if (args.Failed() || !Allowed(host, name)) return 1;
    std::string full;
    const int code = archives.FindFileOrMember(&full, name, nullptr);
    // A loose file found outside the roots through a search folder is not
    // found, and its path is not told.
    if (code == 0 && !FoundAllowed(host, full)) return 3;
    if (args.Cell(1) != 0) args.WriteText(1, full);
    return uint32_t(code);
  });
  binder.Bind(kLoadSusiePlugin, [&host](NativeArgs& args) -> uint32_t {
    const std::string path = args.String(0);
    if (args.Failed() || !host.FileRoots().ResolveLibrary(path)) return 1;
    return uint32_t(LoadSpiPlugin(path, GetArchiveManager(), Surface::LoaderManager(), true, true));
  });
  binder.Bind(kLoadSusiePlugins, [&host](NativeArgs& args) -> uint32_t {
    const std::string folder = args.String(0);
    if (args.Failed() || !Allowed(host, folder)) return uint32_t(-1);
    return uint32_t(ScanSpiPlugins(folder, GetArchiveManager(), Surface::LoaderManager(), true, true));
  });
  binder.Bind(kCutToParentFolder, [](NativeArgs& args) {
    return ChangePath(args, [](std::string& path) -> uint32_t { return CutToParentFolder(path) == 0 ? 1 : 0; });
  });
  binder.Bind(kSplitPathName, [](NativeArgs& args) -> uint32_t {
    const std::string path = args.String(0);
    if (!args.Failed()) args.WriteText(1, SplitPathName(path, false));
    return 0;
  });
  binder.Bind(kSplitLastComponent, [](NativeArgs& args) {
    return ChangePath(args, [&args](std::string& path) -> uint32_t {
      std::string name;
      CutFileName(path, &name);
      args.WriteText(1, name);
      return 0;
    });
  });
  binder.Bind(kGetFileExtension, [](NativeArgs& args) -> uint32_t {
    const std::string path = args.String(0);
    if (!args.Failed()) args.WriteText(1, GetFileExtension(path));
    return 0;
  });
  binder.Bind(kRemoveFileExtension, [](NativeArgs& args) -> uint32_t {
    std::string path = args.String(0);
    if (args.Failed()) return 0;
    RemoveFileExtension(path, nullptr);
    args.WriteText(1, path);
    return 0;
  });
  // Only into a folder of the roots: the process's current folder is where
  // a name without a base folder would be looked for.
  binder.Bind(kSetCurrentFolder, [&host](NativeArgs& args) -> uint32_t {
    const std::string path = args.String(0);
    if (args.Failed()) return 0;
    const std::optional<std::string> full = host.FileRoots().Resolve(path);
    return full && platform::SetCurrentFolder(*full) ? 1 : 0;
  });

  binder.Bind(kListFolder, [&host](NativeArgs& args) -> uint32_t {
    ProcessObjects* objects = GetProcessObjects();
    const std::optional<std::string> folder =
        args.Cell(0) != 0 ? std::optional<std::string>(args.String(0)) : std::nullopt;
    const std::optional<std::string> pattern =
        args.Cell(1) != 0 ? std::optional<std::string>(args.String(1)) : std::nullopt;
    if (!objects || args.Failed() || (folder && !Allowed(host, *folder))) return 0;
    return objects->Folder().Scan(folder, pattern, args.Int(2), args.Flag(3));
  });
  for (uint32_t number : {kGetListingName, kGetListingField, kGetListingKind, kGetListingInfo}) {
    binder.Bind(number, [&host, number](NativeArgs& args) { return Listing(host, args, number); });
  }
  binder.Bind(kClearListing, [](NativeArgs&) -> uint32_t {
    if (ProcessObjects* objects = GetProcessObjects()) objects->ClearFolderListing();
    return 0;
  });

  binder.Bind(kEnableFileDrop, [](NativeArgs& args) -> uint32_t {
    if (AppPort().enableFileDrop) AppPort().enableFileDrop(args.Flag(0));
    return 0;
  });
  binder.Bind(kGetDroppedFile, [&host](NativeArgs& args) { return DroppedFile(host, args); });
  binder.Bind(kClearDroppedFiles, [](NativeArgs&) -> uint32_t {
    if (DropTarget* drops = AppPort().dropTarget) drops->ClearFiles();
    return 0;
  });
  binder.Bind(kOpenFileDialog, [&host](NativeArgs& args) { return FileDialogNative(host, args, false); });
  binder.Bind(kSaveFileDialog, [&host](NativeArgs& args) { return FileDialogNative(host, args, true); });
  binder.Bind(kBrowseFolderDialog, [&host](NativeArgs& args) { return FolderDialog(host, args); });

  // Cell 1 is the wait mode; cell 2 the file that receives the output (none:
  // the program only runs).
  binder.Bind(kRunProcess, [&host](NativeArgs& args) -> uint32_t {
    const std::string command = args.String(0);
    const int32_t waitMode = args.Int(1);
    const std::optional<std::string> output =
        args.Cell(2) != 0 ? std::optional<std::string>(args.String(2)) : std::nullopt;
    if (args.Failed()) return 1;
    const std::optional<std::string> outputPath =
        output ? host.FileRoots().ResolveForWriting(*output) : std::nullopt;
    if (output && !outputPath) return 1;
    const std::optional<std::string> confined = ConfinedCommand(host, command);
    if (!confined) return 1;
    return uint32_t(
        RunProcessCaptureOutput(*confined, waitMode, 0, 0, outputPath ? outputPath->c_str() : nullptr));
  });
  binder.Bind(kCreateFolder, [&host](NativeArgs& args) -> uint32_t {
    const std::string path = args.String(0);
    if (args.Failed()) return 1;
    const std::optional<std::string> full = host.FileRoots().Resolve(path);
    if (!full) return 1;
    return platform::CreateFolder(*full) ? 0 : 2;
  });
  binder.Bind(kMoveFile, [&host](NativeArgs& args) { return MoveFileNative(host, args); });
  // The flag refuses to replace an existing file.
  binder.Bind(kCopyFile, [&host](NativeArgs& args) -> uint32_t {
    const std::string from = args.String(0);
    const std::string to = args.String(1);
    if (args.Failed()) return 2;
    const std::optional<std::string> fullFrom = host.FileRoots().Resolve(from);
    const std::optional<std::string> fullTo = host.FileRoots().ResolveForWriting(to);
    if (!fullFrom || !fullTo) return 2;
    return uint32_t(CopyFileClearReadOnly(*fullTo, *fullFrom, args.Flag(2) ? 2 : 1));
  });
  binder.Bind(kFileTimeToLocal, FileTimeToLocal);
}

}  // namespace orrivel
