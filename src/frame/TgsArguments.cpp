#include "frame/TgsArguments.h"

#include "script/ScriptAddressSpace.h"

namespace orrivel {

uint32_t TgsArguments::Cell(uint32_t k, uint32_t cell) const {
  if (k >= count_) return 0;
  uint32_t value = 0;
  space_->Read32(pairs_ + k * kPairBytes + cell * 4, value);
  return value;
}

uint32_t TgsArguments::Type(uint32_t k) const { return Cell(k, 0); }

uint32_t TgsArguments::Value(uint32_t k) const { return Cell(k, 1); }

std::string TgsArguments::Text(uint32_t k) const {
  std::string text;
  if (!IsString(k) || Value(k) == 0) return text;
  if (!space_->ReadLiveString(Value(k), text)) text.clear();
  return text;
}

}  // namespace orrivel
