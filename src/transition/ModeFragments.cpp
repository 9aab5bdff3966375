#include "transition/ModeFragments.h"

#include "base/MathTables.h"

namespace orrivel {

const int32_t* TransitionCosineTable() {
  const MathTables* tables = GetMathTables();
  return tables != nullptr ? tables->CosTable() : nullptr;
}

}  // namespace orrivel
