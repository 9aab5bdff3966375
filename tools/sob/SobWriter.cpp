#include "SobWriter.h"

namespace orrivel::sob {

void PutU16(Bytes& out, uint16_t value) {
  out.push_back(uint8_t(value));
  out.push_back(uint8_t(value >> 8));
}

void PutU32(Bytes& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(uint8_t(value >> (8 * i)));
}

Bytes WriteSceneTable(const std::vector<SceneEntry>& entries) {
  Bytes out;
  PutU16(out, uint16_t(entries.size()));
  for (const SceneEntry& entry : entries) {
    out.push_back(uint8_t(entry.name.size() + 1));
    out.insert(out.end(), entry.name.begin(), entry.name.end());
    out.push_back(0);
    PutU16(out, entry.bitsA);
    PutU16(out, entry.bitsB);
  }
  return out;
}

Bytes WriteVariables(const VariablesFile& file) {
  Bytes out = {'S', 'O', 'B', '1'};
  PutU32(out, uint32_t(file.image.size()));
  out.insert(out.end(), file.image.begin(), file.image.end());
  PutU32(out, uint32_t(file.records.size()));
  for (const VariableEntry& record : file.records) {
    out.push_back(record.kind);
    out.push_back(record.scope);
    PutU32(out, record.offset);
    PutU32(out, record.size);
  }
  PutU32(out, uint32_t(file.relocations.size()));
  for (const Relocation& relocation : file.relocations) {
    PutU32(out, relocation.first);
    PutU32(out, relocation.second);
  }
  PutU32(out, file.closingWord);
  return out;
}

Bytes WriteModule(const ModuleFile& file) {
  Bytes block;
  for (const auto& list : file.lists) {
    PutU32(block, uint32_t(list.size()));
    for (const Relocation& relocation : list) {
      PutU32(block, relocation.first);
      PutU32(block, relocation.second);
    }
  }
  PutU32(block, file.closingWord);
  Bytes out = {'S', 'O', 'B', uint8_t(file.library ? '2' : '0')};
  PutU32(out, uint32_t(block.size()));
  out.insert(out.end(), block.begin(), block.end());
  PutU32(out, file.translationLength);
  PutU32(out, uint32_t(file.code.size()));
  out.insert(out.end(), file.code.begin(), file.code.end());
  return out;
}

}  // namespace orrivel::sob
