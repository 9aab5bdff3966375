#include "platform/FileDialogs.h"

#include <unistd.h>

#include <cstdlib>
#include <mutex>

#include "platform/Backend.h"
#include "platform/FileSystem.h"
#include "platform/PathResolver.h"
#include "platform/Process.h"
#include "platform/TextCodec.h"

namespace orrivel::platform {
namespace {

std::mutex g_mutex;
FileDialogService* g_installed = nullptr;

std::string Quote(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\'') out += "'\\''";
    else out += c;
  }
  return out + "'";
}

// The first of the tools found on the program search path, else empty.
std::string FindDialogTool() {
  const char* path = std::getenv("PATH");
  if (!path) return {};
  for (const char* tool : {"zenity", "kdialog"}) {
    std::string dirs = path;
    size_t start = 0;
    while (start <= dirs.size()) {
      size_t end = dirs.find(':', start);
      if (end == std::string::npos) end = dirs.size();
      std::string dir = dirs.substr(start, end - start);
      if (!dir.empty() && ::access((dir + "/" + tool).c_str(), X_OK) == 0) return tool;
      start = end + 1;
    }
  }
  return {};
}

// "*.txt;*.doc" as the blank-separated list the tools take.
std::string PatternList(const std::string& patterns) {
  std::string out;
  for (char c : patterns) out += (c == ';') ? ' ' : c;
  return out;
}

std::string HostFolder(const std::string& internal) {
  if (internal.empty()) return {};
  auto host = ResolveHostPath(internal, ResolveMode::Existing);
  return host ? *host : std::string();
}

std::string HostName(const std::string& internalOrBare) {
  if (internalOrBare.empty()) return {};
  if (auto host = ResolveHostPath(internalOrBare, ResolveMode::Create)) return *host;
  return Cp932ToUtf8Lossy(internalOrBare);
}

// The start location: the proposed name inside the initial folder, or the
// folder alone.
std::string StartLocation(const FileDialogRequest& request) {
  std::string folder = HostFolder(request.initialFolder);
  std::string name = HostName(request.proposedName);
  if (!name.empty() && name[0] == '/') return name;
  if (folder.empty()) return name;
  if (folder.back() != '/') folder += '/';
  return folder + name;
}

bool HasExtension(const std::string& internalPath) {
  size_t slash = internalPath.find_last_of("\\/");
  size_t dot = internalPath.rfind('.');
  return dot != std::string::npos && (slash == std::string::npos || dot > slash);
}

}  // namespace

FileDialogAnswer ScriptedFileDialogs::Show(const FileDialogRequest& request) {
  requests_.push_back(request);
  if (answers_.empty()) return {};
  FileDialogAnswer answer = std::move(answers_.front());
  answers_.pop_front();
  return answer;
}

std::string DesktopFileDialogs::CommandLine(const std::string& tool, const FileDialogRequest& request) {
  const std::string title = Cp932ToUtf8Lossy(request.title);
  const std::string start = StartLocation(request);
  std::string command;
  if (tool == "zenity") {
    command = "zenity --file-selection";
    if (!title.empty()) command += " --title=" + Quote(title);
    if (request.kind == FileDialogKind::Save) command += " --save";
    if (request.kind == FileDialogKind::Folder) command += " --directory";
    if (!start.empty()) command += " --filename=" + Quote(start);
    if (request.kind != FileDialogKind::Folder) {
      for (const FileDialogFilter& f : request.filters)
        command += " --file-filter=" + Quote(Cp932ToUtf8Lossy(f.description) + " | " + PatternList(f.patterns));
    }
  } else if (tool == "kdialog") {
    command = "kdialog";
    if (!title.empty()) command += " --title " + Quote(title);
    switch (request.kind) {
      case FileDialogKind::Open: command += " --getopenfilename"; break;
      case FileDialogKind::Save: command += " --getsavefilename"; break;
      case FileDialogKind::Folder: command += " --getexistingdirectory"; break;
    }
    command += " " + Quote(start.empty() ? std::string(".") : start);
    if (request.kind != FileDialogKind::Folder && !request.filters.empty()) {
      std::string list;
      for (const FileDialogFilter& f : request.filters) {
        if (!list.empty()) list += '\n';
        list += PatternList(f.patterns) + "|" + Cp932ToUtf8Lossy(f.description);
      }
      command += " " + Quote(list);
    }
  } else {
    return {};
  }
  return command + " 2>/dev/null";
}

FileDialogAnswer DesktopFileDialogs::Show(const FileDialogRequest& request) {
  FileDialogAnswer cancelled;
  const std::string tool = FindDialogTool();
  if (tool.empty()) return cancelled;
  auto command = Utf8ToCp932(CommandLine(tool, request));
  if (!command) return cancelled;
  auto tempPath = CreateTempFile(TempFolder(), "DLG");
  if (!tempPath) return cancelled;
  std::string output;
  {
    File file = File::Open(*tempPath, File::Access::ReadWrite, File::Disposition::OpenExisting);
    if (file.IsOpen() && RunProcessToFile(*command, file) == 0) {
      int64_t size = file.Size();
      if (size > 0 && size < (1 << 20)) {
        output.resize(size_t(size));
        if (file.ReadAt(0, output.data(), output.size()) != size) output.clear();
      }
    }
  }
  RemoveFile(*tempPath);
  while (!output.empty() && (output.back() == '\n' || output.back() == '\r')) output.pop_back();
  // kdialog and zenity both answer one path per line; one was asked for.
  if (size_t newline = output.find('\n'); newline != std::string::npos) output.resize(newline);
  if (output.empty()) return cancelled;
  auto internal = ToInternalPath(output);
  if (!internal) return cancelled;
  FileDialogAnswer answer;
  answer.chosen = true;
  answer.path = *internal;
  answer.filterIndex = request.filterIndex ? request.filterIndex : 1;
  if (request.kind == FileDialogKind::Save && !request.defaultExtension.empty() && !HasExtension(answer.path))
    answer.path += "." + request.defaultExtension;
  return answer;
}

FileDialogService& CurrentFileDialogs() {
  {
    std::lock_guard lock(g_mutex);
    if (g_installed) return *g_installed;
  }
  static ScriptedFileDialogs headless;
  static DesktopFileDialogs desktop;
  if (CurrentBackend().IsHeadless()) return headless;
  return desktop;
}

FileDialogService* SetFileDialogs(FileDialogService* service) {
  std::lock_guard lock(g_mutex);
  FileDialogService* previous = g_installed;
  g_installed = service;
  return previous;
}

}  // namespace orrivel::platform
