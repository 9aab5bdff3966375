#pragma once
// The start-up report of the machine and of the devices the engine opened
// ("SYS_LOG.TXT"), written in blocks as start-up reaches each device step.
// The file is written under a temporary name and put in place when closed.
// Its facts come from the system-information provider; the sound block
// reads the process-wide sound device list.
//
// Every piece is formatted as through a 512-byte line buffer: a longer
// piece (a long path, window title or process name) is cut at a character
// boundary, keeping its line end.
#include <cstdint>
#include <string>
#include <vector>

#include "base/SystemInfoProvider.h"
#include "platform/FileSystem.h"

namespace orrivel {

class SystemReport {
 public:
  // The most bytes one formatted piece may take.
  static constexpr size_t kPieceLimit = 511;

  SystemReport() = default;
  ~SystemReport() { Close(); }
  SystemReport(const SystemReport&) = delete;
  SystemReport& operator=(const SystemReport&) = delete;

  // Opens the report for writing at the internal path; false when it cannot
  // be created. Facts come from the given provider, or from the current one.
  bool Open(const std::string& internalPath, SystemInfoProvider* provider = nullptr);
  bool IsOpen() const { return file_.IsOpen() || inMemory_; }
  // Collects the report in memory instead (the version box shows it).
  void OpenInMemory(SystemInfoProvider* provider = nullptr);
  const std::string& MemoryText() const { return memory_; }
  // Flushes and puts the file in place (nothing when not open).
  void Close();

  // Block 1: the start stamp, the version line and the information lines.
  void WriteHead(const std::string& title, uint8_t major, uint8_t minor, uint8_t revision,
                 const std::vector<std::string>& infoLines);
  // Blocks 2 and 3, after the head. The processor block shows the features
  // as the processor reports them, so it goes before any is switched off.
  void WriteSystem();
  void WriteCpu(bool measureClock = false);
  // Blocks 4 and 5, once the input devices exist (with the method in use).
  void WriteInput(uint8_t method);
  void WriteSound();
  // Block 6, once the screen mode is set; the 3D block only when the
  // settings ask for 3D.
  void WriteDisplay(bool direct3DSetting = true);
  // Blocks 7 to 9, after the game's device step.
  void WriteDrives();
  void WriteApplications();
  void WriteProcesses(bool fullPaths = false);
  // Block 10: the closing stamp.
  void WriteTail();

  // The blocks written so far, by number, in order (for checks).
  const std::vector<int>& Blocks() const { return blocks_; }

  // "1.00", "1.02b": major, two-digit minor, and the revision letter in hex
  // when it is non-zero.
  static std::string VersionText(uint8_t major, uint8_t minor, uint8_t revision);
  // A formatted piece cut to kPieceLimit bytes at a character boundary; a
  // cut piece keeps its closing CR LF.
  static std::string LimitPiece(const std::string& piece);

 private:
  void Put(const std::string& piece);
  void Printf(const char* utf8Format, ...) __attribute__((format(printf, 2, 3)));
  void Mark(int block) { blocks_.push_back(block); }
  void WriteStamp(const char* utf8Format);
  SystemInfoProvider& Provider();

  platform::File file_;
  std::string path_;
  std::string tempPath_;
  std::vector<int> blocks_;
  SystemInfoProvider* provider_ = nullptr;
  bool inMemory_ = false;
  std::string memory_;
};

}  // namespace orrivel
