#pragma once
// Writers of the compiled-script files: the scene table "SOB_INIT.DAT", the
// user-variable image ("SOB1") and code modules ("SOB2" library, "SOB0"
// scene). They write exactly what the fields say, including damaged values
// when asked, so tests can build both sound and broken files.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace orrivel::sob {

using Bytes = std::vector<uint8_t>;
using Relocation = std::pair<uint32_t, uint32_t>;  // {offset, value}

enum RelocationList : int { kVariables = 0, kNatives = 1, kExternals = 2, kLibrary = 3, kOwnCode = 4 };

struct SceneEntry {
  std::string name;  // written with its terminating zero
  uint16_t bitsA = 0;
  uint16_t bitsB = 0;
};

struct VariableEntry {
  uint8_t kind = 0;   // 0 int, 1 STR, 2 PSTR
  uint8_t scope = 0;  // 0 normal, 1 Save, 2 AutoSave
  uint32_t offset = 0;
  uint32_t size = 0;
};

struct VariablesFile {
  Bytes image;
  std::vector<VariableEntry> records;
  std::vector<Relocation> relocations;  // {at, to} inside the image
  uint32_t closingWord = 0;
};

struct ModuleFile {
  bool library = false;
  Bytes code;
  uint32_t translationLength = 0;
  std::vector<Relocation> lists[5];
  uint32_t closingWord = 0;  // non-zero marks a debug-mode build
};

Bytes WriteSceneTable(const std::vector<SceneEntry>& entries);
Bytes WriteVariables(const VariablesFile& file);
Bytes WriteModule(const ModuleFile& file);

void PutU16(Bytes& out, uint16_t value);
void PutU32(Bytes& out, uint32_t value);

}  // namespace orrivel::sob
