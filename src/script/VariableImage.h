#pragma once
// One copy of the user variables (live, initial values or snapshot): the
// image bytes, the block of string cells and the record table, all in the
// script address space. Record i of every image describes the same variable.
#include <cstdint>
#include <vector>

#include "script/VariableRecord.h"

namespace orrivel {

struct VariableImage {
  uint32_t base = 0;      // image block; 0 when this copy is not kept
  uint32_t size = 0;      // bytes of the image as the file gives them
  uint32_t cellBase = 0;  // block of string cells, one word per STR record
  std::vector<VariableRecord> records;
  std::vector<uint32_t> cells;  // address of each string cell, in record order

  bool Kept() const { return base != 0; }
};

}  // namespace orrivel
