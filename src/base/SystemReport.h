#pragma once
// The start-up report of the machine and of the devices the engine opened
// ("SYS_LOG.TXT"), written in blocks as start-up reaches each device step.
// The file is written under a temporary name and put in place when closed.
//
// The head and the closing line are written now; the blocks between them are
// hooks that fill in as the facts they print (system, processor, input,
// sound, display, drives, windows, processes) become available.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace orrivel {

class SystemReport {
 public:
  SystemReport() = default;
  ~SystemReport() { Close(); }
  SystemReport(const SystemReport&) = delete;
  SystemReport& operator=(const SystemReport&) = delete;

  // Opens the report for writing at the internal path; false when it cannot
  // be created.
  bool Open(const std::string& internalPath);
  bool IsOpen() const { return file_.IsOpen(); }
  // Flushes and puts the file in place (nothing when not open).
  void Close();

  // Block 1: the start stamp, the version line and the information lines.
  void WriteHead(const std::string& title, uint8_t major, uint8_t minor, uint8_t revision,
                 const std::vector<std::string>& infoLines);
  // Blocks 2 and 3, after the head.
  void WriteSystem() {}
  void WriteCpu() {}
  // Blocks 4 and 5, once the input devices exist.
  void WriteInput(uint8_t) {}
  void WriteSound() {}
  // Block 6, once the screen mode is set.
  void WriteDisplay() {}
  // Blocks 7 to 9, after the game's device step.
  void WriteDrives() {}
  void WriteApplications() {}
  void WriteProcesses() {}
  // Block 10: the closing stamp.
  void WriteTail();

  // The blocks written so far, by number, in order (for checks).
  const std::vector<int>& Blocks() const { return blocks_; }

  // "1.00", "1.02b": major, two-digit minor, and the revision letter in hex
  // when it is non-zero.
  static std::string VersionText(uint8_t major, uint8_t minor, uint8_t revision);

 private:
  void Write(const std::string& text);
  void Mark(int block) { blocks_.push_back(block); }

  platform::File file_;
  std::string path_;
  std::string tempPath_;
  std::vector<int> blocks_;
};

}  // namespace orrivel
