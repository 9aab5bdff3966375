#pragma once
// Writes any sound a codec can decode as a RIFF WAVE file.
#include <cstdint>

#include "platform/audio/WaveFormat.h"

namespace orrivel {

class SllManager;

enum ExportWaveCode : int32_t {
  kExportOk = 0,
  kExportBadArgument = 1,
  kExportNoDecoder = 2,
  kExportWriteFailed = 3,
  kExportNoMemory = 4,
};

constexpr uint32_t kExportHeaderBytes = platform::kWaveHeaderBytes;
constexpr uint32_t kExportPieceBytes = 32768;

// The manager defaults to the process-wide one. The file is written beside
// the destination and renamed over it once complete.
int32_t ExportSoundAsWave(const char* sourceFile, const char* destinationFile, SllManager* manager = nullptr);

}  // namespace orrivel
