#include "natives/WindowCommandRecords.h"

#include <cstring>

#include "base/FileDialog.h"
#include "resource/BaseFolder.h"
#include "resource/Paths.h"

namespace orrivel {
namespace {

// A chosen folder ends in one backslash (a double-byte character whose
// second byte looks like one does not count), when it fits the buffer.
void EndWithBackslash(char* path) {
  const size_t length = std::strlen(path);
  if (length == 0 || EndsWithSeparator(path) || length + 1 >= kDialogPathRoom) return;
  path[length] = '\\';
  path[length + 1] = '\0';
}

}  // namespace

bool RunDialogCommand(uint16_t id, void* record, platform::WindowId owner) {
  if (record == nullptr) return false;
  switch (id) {
    case kCommandOpenFile:
    case kCommandSaveFile: {
      auto& file = *static_cast<FileCommandRecord*>(record);
      FileDialog dialog;
      if (id == kCommandOpenFile) {
        file.result =
            dialog.ShowOpenFileDialog(owner, file.title, file.file, file.fileTitle, file.initialFolder, file.filter, true);
      } else {
        file.result = dialog.ShowSaveFileDialog(owner, file.title, file.file, file.fileTitle, file.initialFolder,
                                                file.filter, file.defaultExtension);
        if (file.result != 0) file.result += int32_t(dialog.GetFilterIndex());
      }
      return true;
    }
    case kCommandBrowseFolder: {
      auto& folder = *static_cast<FolderCommandRecord*>(record);
      if (folder.path == nullptr) return true;
      BrowseForFolder(owner, folder.title, folder.initialFolder ? folder.initialFolder : BaseFolder().c_str(),
                      folder.path);
      EndWithBackslash(folder.path);
      folder.result = folder.path[0] != '\0' ? 1 : 0;
      return true;
    }
    default:
      return false;
  }
}

bool SendWindowCommand(uint16_t id, void* record) {
  AppNativePort& port = AppPort();
  if (port.sendWindowCommand) return port.sendWindowCommand(id, record);
  return RunDialogCommand(id, record, platform::kNoWindow);
}

}  // namespace orrivel
