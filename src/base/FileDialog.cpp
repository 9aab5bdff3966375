#include "base/FileDialog.h"

#include <cstring>

#include "base/Application.h"
#include "base/Cp932.h"
#include "base/SystemTextFormat.h"
#include "platform/FileSystem.h"
#include "platform/MachineInfo.h"
#include "platform/PathResolver.h"

namespace orrivel {
namespace {

bool IsAbsolute(const std::string& path) {
  return (path.size() >= 2 && path[1] == ':') || path.rfind("\\\\", 0) == 0 || path.rfind("//", 0) == 0;
}

// Copies text with its NUL into a buffer of room bytes; false (buffer
// untouched) when it does not fit.
bool CopyFitting(char* out, size_t room, const std::string& text) {
  if (!out || text.size() + 1 > room) return false;
  std::memcpy(out, text.c_str(), text.size() + 1);
  return true;
}

// Offset just past the last separator that is not the second byte of a
// two-byte character.
size_t NameStart(const std::string& path) {
  size_t start = 0;
  for (size_t i = 0; i < path.size(); ++i) {
    const uint8_t c = uint8_t(path[i]);
    if (cp932::IsLeadByte(c) && i + 1 < path.size()) {
      ++i;
      continue;
    }
    if (c == '\\' || c == '/') start = i + 1;
  }
  return start;
}

// True when the path's last byte is a separator of its own, not the second
// byte of a two-byte character.
bool EndsWithSeparator(const std::string& path) {
  return !path.empty() && NameStart(path) == path.size();
}

}  // namespace

size_t ReplaceFilterTabs(char* filter) {
  if (!filter) return 0;
  const size_t length = std::strlen(filter);
  for (size_t i = 0; i < length; ++i) {
    const uint8_t c = uint8_t(filter[i]);
    if (cp932::IsLeadByte(c)) {
      // The second byte goes with it, whatever it is; a lead byte at the very
      // end takes nothing (the terminator stays).
      if (i + 1 < length) ++i;
      continue;
    }
    if (c == '\t') filter[i] = '\0';
  }
  return length;
}

std::vector<platform::FileDialogFilter> SplitFilterList(const char* list, size_t length) {
  std::vector<platform::FileDialogFilter> filters;
  if (!list) return filters;
  std::vector<std::string> parts;
  size_t at = 0;
  while (at < length) {
    size_t end = at;
    while (end < length && list[end] != '\0') ++end;
    if (end == at) break;  // an empty part ends the list
    parts.emplace_back(list + at, end - at);
    at = end + 1;
  }
  for (size_t i = 0; i + 1 < parts.size(); i += 2) filters.push_back({parts[i], parts[i + 1]});
  return filters;
}

std::string ResolveDialogFolder(const char* folder) {
  if (!folder || !*folder) return {};
  std::string path = folder;
  if (IsAbsolute(path)) return path;
  std::string base;
  if (Application* app = CurrentApplication()) base = app->baseFolder;
  if (base.empty()) base = platform::CurrentFolder().value_or("");
  if (base.empty()) return {};
  if (!EndsWithSeparator(base)) base += '\\';
  return base + path;
}

int FileDialog::ShowOpenFileDialog(platform::WindowId owner, const char* title, char* file, char* fileTitle,
                                   const char* initialFolder, char* filter, bool clearFile) {
  if (clearFile && file) file[0] = '\0';
  return Run(platform::FileDialogKind::Open, owner, title, file, fileTitle, initialFolder, filter, nullptr);
}

int FileDialog::ShowSaveFileDialog(platform::WindowId owner, const char* title, char* file, char* fileTitle,
                                   const char* initialFolder, char* filter, const char* defaultExtension) {
  return Run(platform::FileDialogKind::Save, owner, title, file, fileTitle, initialFolder, filter,
             defaultExtension);
}

int FileDialog::Run(platform::FileDialogKind kind, platform::WindowId owner, const char* title, char* file,
                    char* fileTitle, const char* initialFolder, char* filter, const char* defaultExtension) {
  const size_t filterLength = ReplaceFilterTabs(filter);
  initialFolder_ = ResolveDialogFolder(initialFolder);
  if (fileTitle) fileTitle[0] = '\0';

  record_.owner = owner;
  record_.title = title;
  record_.file = file;
  record_.maxFile = kDialogPathRoom;
  record_.fileTitle = fileTitle;
  record_.maxFileTitle = kDialogTitleRoom;
  record_.initialDir = initialFolder_.empty() ? nullptr : initialFolder_.c_str();
  record_.filter = filter;
  record_.filterLength = filterLength;
  record_.defaultExtension = defaultExtension;
  record_.flags = kOfnExplorer | kOfnEnableHook | kOfnHideReadOnly | kOfnOverwritePrompt;

  platform::FileDialogRequest request;
  request.kind = kind;
  request.owner = owner;
  request.title = title ? title : "";
  request.initialFolder = initialFolder_;
  if (file) {
    request.proposedName = CutAtCharacter(std::string(file, strnlen(file, kDialogPathRoom)), kDialogPathRoom - 1);
  }
  request.filters = SplitFilterList(filter, filterLength);
  request.filterIndex = record_.filterIndex;
  request.defaultExtension = defaultExtension ? defaultExtension : "";
  request.overwritePrompt = (record_.flags & kOfnOverwritePrompt) != 0;

  const platform::FileDialogAnswer answer = platform::CurrentFileDialogs().Show(request);
  if (!answer.chosen || !CopyFitting(file, kDialogPathRoom, answer.path)) return 0;
  if (fileTitle) {
    const std::string name = answer.path.substr(NameStart(answer.path));
    const std::string cut = CutAtCharacter(name, kDialogTitleRoom - 1);
    std::memcpy(fileTitle, cut.c_str(), cut.size() + 1);
  }
  if (answer.filterIndex) record_.filterIndex = answer.filterIndex;
  return 1;
}

int BrowseForFolder(platform::WindowId owner, const char* title, const char* initialFolder, char* outPath) {
  std::string folder = ResolveDialogFolder(initialFolder);
  if (folder.size() > 3 && EndsWithSeparator(folder)) folder.pop_back();
  else if (!folder.empty() && folder.size() < 3) folder += '\\';
  if (outPath) outPath[0] = '\0';

  platform::FileDialogRequest request;
  request.kind = platform::FileDialogKind::Folder;
  request.owner = owner;
  request.title = title ? title : "";
  request.initialFolder = folder;
  const platform::FileDialogAnswer answer = platform::CurrentFileDialogs().Show(request);
  if (answer.chosen) CopyFitting(outPath, kDialogPathRoom, answer.path);
  return 0;
}

namespace {

bool SpecialFolderPath(char* outPath, int folderId, bool make) {
  auto host = platform::SpecialFolderHostPath(folderId, make);
  if (!host) return false;
  auto internal = platform::ToInternalPath(*host);
  if (!internal) return false;
  if (!make) {
    const std::optional<platform::FileInfo> there = platform::StatPath(*internal);
    if (!there || !there->isFolder) return false;
  }
  return CopyFitting(outPath, kDialogPathRoom, *internal);
}

}  // namespace

bool GetSpecialFolderPath(char* outPath, int folderId) { return SpecialFolderPath(outPath, folderId, true); }

bool FindSpecialFolderPath(char* outPath, int folderId) { return SpecialFolderPath(outPath, folderId, false); }

}  // namespace orrivel
