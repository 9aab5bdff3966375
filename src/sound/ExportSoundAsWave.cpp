#include "sound/ExportSoundAsWave.h"

#include <algorithm>
#include <memory>
#include <new>
#include <string>

#include "platform/FileSystem.h"
#include "resource/FileObject.h"
#include "resource/Paths.h"
#include "sound/SllManager.h"

namespace orrivel {
namespace {

bool WriteAll(FileObject& file, const void* data, uint32_t bytes) { return file.Write(data, bytes) == bytes; }

int32_t WriteWave(SoundDecoder& decoder, FileObject& file) {
  const platform::WaveFormat* format = decoder.GetFormat();
  if (!format) return kExportNoDecoder;
  uint8_t header[kExportHeaderBytes];
  // Sizes of 0 until the data is in.
  platform::BuildWaveHeader(*format, 0, header);
  if (!WriteAll(file, header, kExportHeaderBytes)) return kExportWriteFailed;
  std::unique_ptr<uint8_t[]> piece(new (std::nothrow) uint8_t[kExportPieceBytes]);
  if (!piece) return kExportNoMemory;
  // A decoder that keeps delivering past its announced length is cut off a
  // second later.
  const uint64_t limit = uint64_t(decoder.GetTotalBytes()) + format->avgBytesPerSec;
  const uint64_t ceiling = 0xFFFFFFFFull - (kExportHeaderBytes - 8);
  uint64_t written = 0;
  while (written < limit && written < ceiling) {
    const uint32_t got = decoder.Read(piece.get(), kExportPieceBytes);
    if (got == 0 || got > kExportPieceBytes) break;
    const uint32_t put = uint32_t(std::min<uint64_t>({got, limit - written, ceiling - written}));
    if (!WriteAll(file, piece.get(), put)) return kExportWriteFailed;
    written += put;
  }
  platform::BuildWaveHeader(*format, uint32_t(written), header);
  if (file.SeekSet(0) != 0 || !WriteAll(file, header, kExportHeaderBytes)) return kExportWriteFailed;
  return kExportOk;
}

}  // namespace

int32_t ExportSoundAsWave(const char* sourceFile, const char* destinationFile, SllManager* manager) {
  if (!manager) manager = GetSllManager();
  if (!sourceFile || !destinationFile || !manager) return kExportBadArgument;
  SoundDecoderPtr decoder(manager->CreateDecoder(sourceFile, nullptr, true, nullptr));
  if (!decoder) return kExportNoDecoder;
  std::string destination;
  if (MakeFullPath(destination, destinationFile) == 0) return kExportWriteFailed;
  const std::string temp = destination + ".tmp";
  FileObject file;
  if (file.OpenForWrite(temp, true) != 0) return kExportWriteFailed;
  int32_t code = WriteWave(*decoder, file);
  file.Close();
  if (code == kExportOk && !platform::RenameFile(temp, destination)) code = kExportWriteFailed;
  if (code != kExportOk) platform::RemoveFile(temp);
  return code;
}

}  // namespace orrivel
