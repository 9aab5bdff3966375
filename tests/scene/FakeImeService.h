#pragma once
// An input method that tells what the window system cannot: its conversion
// and sentence modes and the clause table of the composition. The open
// state and the composition text stay the real service's, driven through a
// headless window; put it in place with platform::ScopedImeService.
#include <cstdint>
#include <vector>

#include "platform/ImeService.h"

namespace orrivel::test {

class FakeImeService : public platform::ImeService {
 public:
  bool GetConversionStatus(uint32_t context, uint32_t* conversion, uint32_t* sentence) override {
    if (context == 0 || !modesKnown) return false;
    *conversion = this->conversion;
    *sentence = this->sentence;
    return true;
  }
  bool GetCompositionClauses(uint32_t context, std::vector<uint32_t>& offsets) override {
    offsets.clear();
    if (context == 0 || clauses.empty()) return false;
    offsets = clauses;
    return true;
  }

  bool modesKnown = true;
  uint32_t conversion = 0;
  uint32_t sentence = 0;
  std::vector<uint32_t> clauses;  // empty: none known
};

}  // namespace orrivel::test
