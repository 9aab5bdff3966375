#pragma once
// Open and save file dialogs for the game shell. The record keeps what the
// dialog is asked with, and the filter the user chose stays in it between
// calls. Filter strings come with tabs between their parts ("text\t*.txt\t
// pictures\t*.bmp;*.png") and become the NUL-separated list in place.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/FileDialogs.h"

namespace orrivel {

// Room in the caller's file buffer and file-title buffer.
constexpr size_t kDialogPathRoom = 260;
constexpr size_t kDialogTitleRoom = 256;

// Dialog flags.
constexpr uint32_t kOfnOverwritePrompt = 0x00000002;
constexpr uint32_t kOfnHideReadOnly = 0x00000004;
constexpr uint32_t kOfnEnableHook = 0x00000020;
constexpr uint32_t kOfnExplorer = 0x00080000;

struct OpenFileRecord {
  uint32_t structSize = 76;
  platform::WindowId owner = platform::kNoWindow;
  const char* filter = nullptr;  // NUL-separated pairs
  size_t filterLength = 0;       // bytes of the list, without its end
  uint32_t filterIndex = 0;
  char* file = nullptr;
  uint32_t maxFile = 0;
  char* fileTitle = nullptr;
  uint32_t maxFileTitle = kDialogTitleRoom;
  const char* initialDir = nullptr;
  const char* title = nullptr;
  uint32_t flags = 0;
  const char* defaultExtension = nullptr;
};

// Replaces each tab of the filter by a NUL in place, walking it as
// Shift-JIS so that a second byte equal to a tab stays. Returns the length
// of the text before the change (the list's extent).
size_t ReplaceFilterTabs(char* filter);
// The description and pattern pairs of a NUL-separated list of length
// bytes; the list also ends at an empty part.
std::vector<platform::FileDialogFilter> SplitFilterList(const char* list, size_t length);

// The absolute internal form of a folder name for the dialogs (relative
// names against the application's base folder); empty for none.
std::string ResolveDialogFolder(const char* folder);

class FileDialog {
 public:
  FileDialog() = default;
  virtual ~FileDialog() = default;

  // Non-zero when the user chose a file: its path is in file (room for 260
  // bytes) and its name in fileTitle (room for 256 bytes). A chosen path
  // that does not fit counts as a failure, as the dialog would report it.
  int ShowOpenFileDialog(platform::WindowId owner, const char* title, char* file, char* fileTitle,
                         const char* initialFolder, char* filter, bool clearFile);
  // The same for saving: file holds the proposed name on entry.
  int ShowSaveFileDialog(platform::WindowId owner, const char* title, char* file, char* fileTitle,
                         const char* initialFolder, char* filter, const char* defaultExtension);
  uint32_t GetFilterIndex() const { return record_.filterIndex; }
  const OpenFileRecord& Record() const { return record_; }

 private:
  int Run(platform::FileDialogKind kind, platform::WindowId owner, const char* title, char* file, char* fileTitle,
          const char* initialFolder, char* filter, const char* defaultExtension);

  OpenFileRecord record_;
  std::string initialFolder_;
};

// Lets the user choose a folder. outPath (room for 260 bytes) is empty when
// none was chosen. 0 when the dialog ran.
int BrowseForFolder(platform::WindowId owner, const char* title, const char* initialFolder, char* outPath);

// The internal path of a special folder by its number (0 desktop, 5
// documents, 0x1A application data, ...), made when missing. False for an
// unknown number, or when it cannot be made or does not fit in 260 bytes.
bool GetSpecialFolderPath(char* outPath, int folderId);
// The same for a folder that is there already: one that is missing is
// false and is not made (what the scripts ask about, which must change
// nothing outside the game's folders).
bool FindSpecialFolderPath(char* outPath, int folderId);

}  // namespace orrivel
