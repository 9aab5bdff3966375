// Reads arbitrary bytes as a state file (header and whole) and as the
// variable file, against the variables of tools/sob/savefiles.sas: int Save,
// STR Save (16 bytes), int AutoSave, STR AutoSave (8 bytes), PSTR AutoSave.
// A refused header or variable file must leave every variable as it was; a
// state file may restore the variables before the point where its body stops
// matching, but never the PSTR, which is never saved.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "script/ScriptHost.h"

namespace {

void PutU32(std::vector<uint8_t>& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(uint8_t(value >> (8 * i)));
}

std::vector<uint8_t> Variables() {
  struct Record {
    uint8_t kind, scope;
    uint32_t offset, size;
  };
  const Record records[] = {{0, 1, 0, 4}, {1, 1, 4, 16}, {0, 2, 20, 4}, {1, 2, 24, 8}, {2, 2, 32, 4}};
  std::vector<uint8_t> file = {'S', 'O', 'B', '1'};
  PutU32(file, 36);
  file.resize(file.size() + 36, 0);
  PutU32(file, 5);
  for (const Record& record : records) {
    file.push_back(record.kind);
    file.push_back(record.scope);
    PutU32(file, record.offset);
    PutU32(file, record.size);
  }
  PutU32(file, 0);  // relocations
  PutU32(file, 0);  // closing word
  return file;
}

// Every variable's bytes in the live image.
std::vector<uint8_t> Snapshot(orrivel::ScriptHost& host) {
  std::vector<uint8_t> bytes;
  const uint8_t* image = host.Space().Bytes(host.LiveImage().base, host.LiveImage().size);
  if (image) bytes.assign(image, image + host.LiveImage().size);
  return bytes;
}

// The PSTR variable's bytes (the last record, at offset 32 of the image).
std::vector<uint8_t> PstrBytes(const std::vector<uint8_t>& image) {
  if (image.size() < 36) return {};
  return std::vector<uint8_t>(image.begin() + 32, image.begin() + 36);
}
std::vector<uint8_t> PstrBytes(orrivel::ScriptHost& host) { return PstrBytes(Snapshot(host)); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::vector<uint8_t> variables = Variables();
  orrivel::ScriptRequestState state;
  orrivel::ScriptHost host(&state, 4u << 20);
  host.SetFileReader([data, size](const std::string&) {
    return orrivel::ScriptFileBytes(std::vector<uint8_t>(data, data + size));
  });
  host.SetFileWriter([](const std::string&, std::span<const uint8_t>) { return true; });
  orrivel::ScriptContext::SystemFiles files;
  files.userVariables = orrivel::ScriptContext::Bytes(variables);
  if (host.LoadSystemFromFiles(files, true, true) != 0) std::abort();
  const auto& records = host.LiveRecords();

  const std::vector<uint8_t> before = Snapshot(host);
  if (host.ReadStateFileInfo("F", records[0].address, records[1].address) != 0 && Snapshot(host) != before)
    std::abort();
  const std::vector<uint8_t> afterInfo = Snapshot(host);
  host.ReadStateFile("F");
  if (PstrBytes(host) != PstrBytes(afterInfo)) std::abort();
  const std::vector<uint8_t> afterState = Snapshot(host);
  if (host.LoadVariableFile("F") != 0 && Snapshot(host) != afterState) std::abort();
  return 0;
}
