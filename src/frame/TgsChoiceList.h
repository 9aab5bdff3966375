#pragma once
// The choices of one choice point as the frame offers them: their texts
// and whether each can be taken, the script's choice-flag array with the
// base index of this point, and the script address of the variable that
// receives the index of the choice taken. The choice wait shows them.
#include <cstdint>
#include <string>
#include <vector>

namespace orrivel {

class BitArray;
class ScriptAddressSpace;

struct TgsChoice {
  std::string text;
  bool enabled = true;
};

class TgsChoiceList {
 public:
  static constexpr uint32_t kMaxChoices = 8;

  // Forgets the choices and takes the flag array (null for none), the base
  // index and the result variable's address (0 for none).
  void Reset(BitArray* flags, uint32_t base, uint32_t resultAddress);
  void Clear() { Reset(nullptr, 0, 0); }
  void Add(std::string text, bool enabled);

  const std::vector<TgsChoice>& Items() const { return items_; }
  size_t Count() const { return items_.size(); }
  uint32_t Base() const { return base_; }
  uint32_t ResultAddress() const { return resultAddress_; }

  // The player took choice index: bit base + index of the flag array is
  // set, and index is written to the result variable when its address
  // leads to four bytes of a live block (anything else writes nothing).
  // False for an index that is not an enabled choice.
  bool Take(uint32_t index, ScriptAddressSpace& space) const;

 private:
  std::vector<TgsChoice> items_;
  BitArray* flags_ = nullptr;
  uint32_t base_ = 0;
  uint32_t resultAddress_ = 0;
};

}  // namespace orrivel
