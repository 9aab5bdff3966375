#include "frame/TgsChoiceList.h"

#include "base/BitArray.h"
#include "script/ScriptAddressSpace.h"

namespace orrivel {

void TgsChoiceList::Reset(BitArray* flags, uint32_t base, uint32_t resultAddress) {
  items_.clear();
  flags_ = flags;
  base_ = base;
  resultAddress_ = resultAddress;
}

void TgsChoiceList::Add(std::string text, bool enabled) {
  if (items_.size() < kMaxChoices) items_.push_back(TgsChoice{std::move(text), enabled});
}

bool TgsChoiceList::Take(uint32_t index, ScriptAddressSpace& space) const {
  if (index >= items_.size() || !items_[index].enabled) return false;
  if (flags_) flags_->Set(base_ + index, 1);
  // The address came from a script: only a live variable gets the index.
  if (resultAddress_ && space.WritableBytesAt(resultAddress_) >= 4) space.Write32(resultAddress_, index);
  return true;
}

}  // namespace orrivel
