#include "transition/BuiltinTransitions.h"

#include <iterator>

#include "transition/BandTransitions.h"

namespace orrivel {

namespace {

template <typename T>
constexpr BuiltinTransitionRow RowOf() {
  return {T::kName, T::kCategory, &T::Create};
}

const BuiltinTransitionRow kRows[] = {
    RowOf<CrossTransition>(),
    RowOf<RuleTransition>(),
    RowOf<TransTransition>(),
    RowOf<ToneTransition>(),
};

}  // namespace

const BuiltinTransitionRow* StartupTransitionRows(int* count) {
  *count = int(std::size(kRows));
  return kRows;
}

int RegisterStartupTransitions(TcpManager& registry) {
  for (const BuiltinTransitionRow& row : kRows) {
    if (const int code = registry.RegisterObject(row.create, row.name, row.category, 0, nullptr, nullptr);
        code != 0)
      return code;
  }
  return 0;
}

}  // namespace orrivel
