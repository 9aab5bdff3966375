#pragma once
// A variable the engine owns and scripts reach by index through the third
// relocation list: its storage address in the script address space and name.
#include <cstdint>
#include <string>

namespace orrivel {

struct ExternalVariable {
  uint32_t address = 0;
  std::string name;
};

}  // namespace orrivel
