#pragma once
// Writes any sound a codec can decode as a RIFF WAVE file.
#include <cstdint>

namespace orrivel {

class SllManager;

enum ExportWaveCode : int32_t {
  kExportOk = 0,
  kExportBadArgument = 1,
  kExportNoDecoder = 2,
  kExportWriteFailed = 3,
  kExportNoMemory = 4,
};

// The WAVE header: "RIFF", size, "WAVE", "fmt ", 18, the 18-byte format
// record, "data", size.
constexpr uint32_t kExportHeaderBytes = 46;
constexpr uint32_t kExportPieceBytes = 32768;

// The manager defaults to the process-wide one. The file is written beside
// the destination and renamed over it once complete.
int32_t ExportSoundAsWave(const char* sourceFile, const char* destinationFile, SllManager* manager = nullptr);

}  // namespace orrivel
