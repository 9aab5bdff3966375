#include "sound/ExportSoundAsWave.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "platform/FileSystem.h"
#include "resource/FileObject.h"
#include "resource/Paths.h"
#include "sound/SllManager.h"

namespace orrivel {
namespace {

void Put32(uint8_t* out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out[i] = uint8_t(v >> (8 * i));
}

bool WriteAll(FileObject& file, const void* data, uint32_t bytes) { return file.Write(data, bytes) == bytes; }

bool WriteSizeAt(FileObject& file, uint32_t offset, uint32_t value) {
  uint8_t bytes[4];
  Put32(bytes, value);
  return file.SeekSet(offset) == 0 && WriteAll(file, bytes, 4);
}

// Header with both sizes 0; they are written once the data is in.
void BuildHeader(const platform::WaveFormat& decoded, uint8_t out[kExportHeaderBytes]) {
  std::memcpy(out, "RIFF\0\0\0\0WAVEfmt ", 16);
  Put32(out + 16, platform::kWaveFormatRecordSize);
  platform::WaveFormat format = decoded;
  // The record is written whole, so it carries no further bytes: a decoder
  // that counts its own record size there would make readers look past the
  // chunk.
  format.extraSize = 0;
  format.WriteRecord(out + 20);
  std::memcpy(out + 38, "data\0\0\0\0", 8);
}

int32_t WriteWave(SoundDecoder& decoder, FileObject& file) {
  const platform::WaveFormat* format = decoder.GetFormat();
  if (!format) return kExportNoDecoder;
  uint8_t header[kExportHeaderBytes];
  BuildHeader(*format, header);
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
  const uint32_t data = uint32_t(written);
  if (!WriteSizeAt(file, 4, kExportHeaderBytes - 8 + data) || !WriteSizeAt(file, 42, data)) {
    return kExportWriteFailed;
  }
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
