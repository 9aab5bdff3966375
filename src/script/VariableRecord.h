#pragma once
// One script variable of a variable image: where its storage is in the
// script address space, its kind, its save scope and its size in bytes. For a
// STR variable the address is that of its string cell, a word that holds the
// address of the character buffer.
#include <cstdint>

namespace orrivel {

enum VariableKind : uint8_t { kVariableInt = 0, kVariableStr = 1, kVariablePstr = 2 };
enum VariableScope : uint8_t { kScopeNormal = 0, kScopeSave = 1, kScopeAutoSave = 2 };

struct VariableRecord {
  uint32_t address = 0;
  uint8_t kind = kVariableInt;
  uint8_t scope = kScopeNormal;
  uint32_t size = 0;
};

}  // namespace orrivel
