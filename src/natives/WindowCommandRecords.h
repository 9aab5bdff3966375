#pragma once
// The records that natives hand to the main window with the menu commands
// 40026 to 40031 (the second parameter of WM_COMMAND points to one). The
// window fills the result and the buffers while the sender waits; buffers
// belong to the sender and hold the room given.
#include <cstdint>

namespace orrivel {

// The main window's commands that carry a record.
inline constexpr uint16_t kCommandTextEntry = 40026;
inline constexpr uint16_t kCommandOpenFile = 40027;
inline constexpr uint16_t kCommandSaveFile = 40028;
inline constexpr uint16_t kCommandBrowseFolder = 40029;
inline constexpr uint16_t kCommandRestartSound = 40030;
inline constexpr uint16_t kCommandForceWindow = 40031;

// 40026: the data-entry dialog with its parameter; result: its answer.
struct TextEntryCommandRecord {
  int32_t parameter = 0;
  int32_t result = 0;
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

}  // namespace orrivel
