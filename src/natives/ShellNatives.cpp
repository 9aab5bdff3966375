// Natives 793 to 805: message boxes and dialogs through the main window,
// the desktop's opener and file manager, the user's folders, exporting a
// game file to disk, the wallpaper and the screen saver (through the
// desktop's own settings where it has them; no screen-saver program is
// installed: that setting is only recorded).
#include <optional>
#include <string>
#include <vector>

#include "base/FileDialog.h"
#include "natives/GameScriptHost.h"
#include "natives/NativeBinder.h"
#include "natives/ShellNativePort.h"
#include "platform/DesktopShell.h"
#include "platform/FileSystem.h"
#include "platform/MachineInfo.h"
#include "platform/PathResolver.h"
#include "platform/PngWriter.h"
#include "raster/Surface.h"
#include "resource/ArchiveManager.h"

namespace orrivel {
namespace {

constexpr uint32_t kShowMessage = 793;
constexpr uint32_t kAskYesNo = 794;
constexpr uint32_t kAskOkCancel = 795;
constexpr uint32_t kSendDialogRequest = 796;
constexpr uint32_t kShellOpen = 799;
constexpr uint32_t kGetSystemFolder = 800;
constexpr uint32_t kOpenFolderWindow = 801;
constexpr uint32_t kExportFile = 802;
constexpr uint32_t kSetWallpaper = 803;
constexpr uint32_t kSetScreenSaver = 804;
constexpr uint32_t kStartScreenSaver = 805;

constexpr char kDesktopKey[] = "Control Panel\\desktop";
constexpr char kExportTempPrefix[] = "VQX";
// The wallpaper's picture: in the user's data folder, one for every game.
constexpr int kPlayerDataFolder = 0x1C;
constexpr char kWallpaperFolder[] = "orrivel";
constexpr char kWallpaperFile[] = "wallpaper.png";

ShellNativePort g_emptyPort;
ShellNativePort* g_port = nullptr;

// A string cell that may hold 0 (none).
std::optional<std::string> OptionalString(NativeArgs& args, uint32_t i) {
  if (args.Cell(i) == 0) return std::nullopt;
  return args.String(i);
}

// Natives 793 to 795: caption (0: the title), text, icon.
uint32_t MessageBox(NativeArgs& args, uint8_t kind) {
  const std::optional<std::string> caption = OptionalString(args, 0);
  const std::string text = OptionalString(args, 1).value_or(std::string());
  const uint8_t icon = args.Byte(2);
  if (args.Failed() || !ShellPort().messageBox) return 0;
  const uint8_t answer = ShellPort().messageBox(kind, text, caption, icon);
  return kind == 0 ? 0 : answer;
}

// The folders of native 800 by which: 1 documents, 2 pictures, 3 the
// application data, 4 the desktop. The system folder of which 0 has no
// counterpart here.
std::optional<int> SpecialFolderOf(int32_t which) {
  switch (which) {
    case 1: return 0x05;
    case 2: return 0x27;
    case 3: return 0x1A;
    case 4: return 0x00;
    default: return std::nullopt;
  }
}

uint32_t GetSystemFolder(NativeArgs& args) {
  const int32_t which = args.Int(1);
  if (args.Failed()) return 0;
  const std::optional<int> folder = SpecialFolderOf(which);
  if (!folder) return 0;
  std::vector<char> path(kDialogPathRoom, '\0');
  // Asking where a folder is makes nothing: a folder the player does not
  // have is 0, as when the system has none.
  if (!FindSpecialFolderPath(path.data(), *folder)) return 0;
  std::string text = path.data();
  if (text.empty() || text.back() != '\\') text += '\\';
  if (text.size() >= kDialogPathRoom) return 0;
  return args.WriteText(0, text) == int64_t(text.size()) ? 1 : 0;
}

uint32_t ExportFile(GameScriptHost& host, NativeArgs& args) {
  const std::string source = args.String(0);
  const std::string name = args.String(1);
  if (args.Failed() || !host.FileRoots().Allows(source)) return 1;
  // Written where the engine resolves every other name, and only inside
  // the game or save folder or where the player chose.
  const std::optional<std::string> destination = host.FileRoots().ResolveForWriting(name);
  if (!destination) return 2;
  ArchiveManager* archives = GetArchiveManager();
  if (archives == nullptr) return 1;
  MemoryBlock block;
  if (archives->LoadFile(source, ArchiveManagerAlloc, ArchiveManagerFree, &block, nullptr) != 0) return 1;
  const auto* bytes = static_cast<const uint8_t*>(block.pointer);
  const bool written = platform::ReplaceFileContents(*destination, {bytes, block.size}, kExportTempPrefix);
  ArchiveManagerFree(&block);
  return written ? 0 : 2;
}

// The picture a script names, decoded and written as a PNG file in the
// player's data folder, where the desktop can read it for as long as it
// shows it. The host path, or nullopt when the picture cannot be read or
// the file cannot be written.
std::optional<std::string> WriteWallpaperPicture(const std::string& name) {
  Surface picture;
  if (picture.LoadImage(name.c_str(), nullptr, 0, 0) != 0 || picture.GetBitsPerPixel() != 32) return std::nullopt;
  const int32_t width = picture.GetWidth(), height = picture.GetHeight();
  if (width < 1 || height < 1) return std::nullopt;
  std::vector<uint32_t> pixels;
  pixels.reserve(size_t(width) * size_t(height));
  for (int32_t y = 0; y < height; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(picture.GetScanLine(y));
    if (row == nullptr) return std::nullopt;
    for (int32_t x = 0; x < width; ++x) pixels.push_back(row[x] & 0x00FFFFFFu);
  }
  const std::optional<std::string> data = platform::SpecialFolderHostPath(kPlayerDataFolder, true);
  if (!data) return std::nullopt;
  const std::string folder = *data + "/" + kWallpaperFolder;
  const std::optional<std::string> internalFolder = platform::ToInternalPath(folder);
  if (!internalFolder || (!platform::PathExists(*internalFolder) && !platform::CreateFolder(*internalFolder))) {
    return std::nullopt;
  }
  const std::string path = folder + "/" + kWallpaperFile;
  if (!platform::WritePngRgb(path, pixels.data(), uint32_t(width), uint32_t(height))) return std::nullopt;
  return path;
}

uint32_t SetWallpaper(GameScriptHost& host, NativeArgs& args) {
  const std::string file = args.String(0);
  const int32_t style = args.Int(1);
  if (args.Failed()) return 0;
  platform::DesktopShell& shell = platform::CurrentDesktopShell();
  // The style goes first so that it applies to the new picture.
  shell.WriteValue(kDesktopKey, "TileWallpaper", style == 1 ? "1" : "0");
  shell.WriteValue(kDesktopKey, "WallpaperStyle", style == 2 ? "2" : "0");
  // Without a desktop setting nothing is written: the request is only kept.
  if (!shell.HasWallpaperSetting()) return shell.SetWallpaper(file, style) ? 1 : 0;
  if (!host.FileRoots().Allows(file)) return 0;
  const std::optional<std::string> picture = WriteWallpaperPicture(file);
  if (!picture) return 0;
  return shell.SetWallpaper(*picture, style) ? 1 : 0;
}

uint32_t SetScreenSaver(NativeArgs& args) {
  const std::optional<std::string> file = OptionalString(args, 0);
  if (args.Failed()) return 0;
  platform::DesktopShell& shell = platform::CurrentDesktopShell();
  shell.WriteProfile("system.ini", "boot", "SCRNSAVE.EXE", file);
  if (!shell.ScreenSaverActive()) shell.SetScreenSaverActive(true);
  return 0;
}

}  // namespace

ShellNativePort& ShellPort() { return g_port ? *g_port : g_emptyPort; }

ShellNativePort* SetShellPort(ShellNativePort* port) {
  ShellNativePort* previous = g_port;
  g_port = port;
  return previous;
}

void BindShellNatives(NativeBinder& binder) {
  binder.Bind(kShowMessage, [](NativeArgs& args) { return MessageBox(args, 0); });
  binder.Bind(kAskYesNo, [](NativeArgs& args) { return MessageBox(args, 1); });
  binder.Bind(kAskOkCancel, [](NativeArgs& args) { return MessageBox(args, 2); });
  binder.Bind(kSendDialogRequest, [](NativeArgs& args) -> uint32_t {
    const int32_t mode = args.Int(0);
    const int32_t value = args.Int(1);
    const std::optional<std::string> text = OptionalString(args, 2);
    if (args.Failed() || !text || !ShellPort().dialogRequest) return 0;
    return ShellPort().dialogRequest(mode > 0 ? 2 : 0, *text, value);
  });
  binder.Bind(kShellOpen, [](NativeArgs& args) -> uint32_t {
    const std::string target = args.String(0);
    if (!args.Failed()) platform::CurrentDesktopShell().Open(target);
    return 0;
  });
  binder.Bind(kGetSystemFolder, GetSystemFolder);
  // Shows the player only the game's own folders (the save folder among
  // them), never what else lies on the machine. A folder outside them is
  // answered as a path that cannot be made absolute (0 would say the
  // window opened).
  binder.Bind(kOpenFolderWindow, [&host = binder.Host()](NativeArgs& args) -> uint32_t {
    const std::string folder = args.String(0);
    if (args.Failed()) return 2;
    const std::optional<std::string> full = host.FileRoots().Resolve(folder);
    if (!full) return 1;
    return uint32_t(platform::CurrentDesktopShell().Explore(*full));
  });
  binder.Bind(kExportFile, [&host = binder.Host()](NativeArgs& args) { return ExportFile(host, args); });
  binder.Bind(kSetWallpaper, [&host = binder.Host()](NativeArgs& args) { return SetWallpaper(host, args); });
  binder.Bind(kSetScreenSaver, SetScreenSaver);
  binder.Bind(kStartScreenSaver, [](NativeArgs&) -> uint32_t {
    platform::CurrentDesktopShell().StartScreenSaver();
    return 0;
  });
}

}  // namespace orrivel
