#pragma once
// The records that natives hand to the main window with the menu commands
// 40026 to 40031 (the second parameter of WM_COMMAND points to one). The
// window fills the result and the buffers while the sender waits; buffers
// belong to the sender and hold the room given.
#include <cstdint>
#include <string>

#include "natives/AppNativePort.h"
#include "platform/Messages.h"

namespace orrivel {

// The main window's commands that carry a record.
inline constexpr uint16_t kCommandTextEntry = 40026;
inline constexpr uint16_t kCommandOpenFile = 40027;
inline constexpr uint16_t kCommandSaveFile = 40028;
inline constexpr uint16_t kCommandBrowseFolder = 40029;
inline constexpr uint16_t kCommandRestartSound = 40030;
inline constexpr uint16_t kCommandForceWindow = 40031;

// 40026: the data-entry dialog as the request describes it (none: the
// dialog's own caption and limits); text holds the initial text in and the
// accepted text out.
struct TextEntryCommandRecord {
  const TextInputRequestCells* request = nullptr;
  std::string text;
};

// 40027 and 40028. Result: non-zero when a file was chosen (for saving,
// the dialog's result plus the chosen filter's number).
struct FileCommandRecord {
  int32_t result = 0;
  const char* title = nullptr;
  char* file = nullptr;       // 260 bytes: the proposed name in, the path out
  char* fileTitle = nullptr;  // 256 bytes: the chosen file's name
  const char* initialFolder = nullptr;
  char* filter = nullptr;     // description and patterns with tabs between
  const char* defaultExtension = nullptr;
};

// 40029. Result: 1 when a folder was chosen (its path, with a trailing
// backslash, is in path), else 0.
struct FolderCommandRecord {
  int32_t result = 0;
  const char* title = nullptr;
  const char* initialFolder = nullptr;  // null: the base folder
  char* path = nullptr;                 // 260 bytes
};

// 40030. In: 0 for the default format (2 channels, 44.1 kHz, 16 bits),
// else its low byte is the channel count and the rate code and sample bits
// follow; result: the sound system's answer.
struct SoundRestartCommandRecord {
  int32_t result = 0;
  uint32_t rateCode = 44;
  uint32_t bitsPerSample = 16;
};

// Runs the dialog of commands 40027 to 40029 over owner and fills the
// record. The main window runs it when a native sends the command; a host
// without a game window runs it in place, so both show the same dialog.
// False for any other command.
bool RunDialogCommand(uint16_t id, void* record, platform::WindowId owner);

// Sends the main window a command with its record and waits for it to be
// handled; without a game window the dialog commands run in place (any
// other command is not handled). True when the record was handled.
bool SendWindowCommand(uint16_t id, void* record);

}  // namespace orrivel
