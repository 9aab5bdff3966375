#include "transition/BuiltinTransitions.h"

#include <iterator>

#include "base/SubtractiveRandom.h"
#include "transition/AddSubFilter.h"
#include "transition/BandTransitions.h"
#include "transition/HBlurFilter.h"
#include "transition/MosaicTransition.h"
#include "transition/QuakeFilter.h"
#include "transition/RippleTransition.h"
#include "transition/RotCenterFilter.h"
#include "transition/RotaxisTransition.h"
#include "transition/ScrollTransition.h"
#include "transition/WaveTransition.h"
#include "transition/ZoomFlipFilter.h"

namespace orrivel {

namespace {

template <typename T>
constexpr BuiltinTransitionRow RowOf() {
  return {T::kName, T::kCategory, &T::Create};
}

const BuiltinTransitionRow kRows[] = {
    RowOf<CrossTransition>(),
    RowOf<RuleTransition>(),
    RowOf<ScrollTransition>(),
    RowOf<WaveTransition>(),
    RowOf<MosaicTransition>(),
    RowOf<RotaxisTransition>(),
    RowOf<TransTransition>(),
    RowOf<ToneTransition>(),
};

struct HostTransitionRow {
  BuiltinTransitionRow row;
  TcpInitialiserFunc firstUse;
  TcpReleaserFunc release;
};

const HostTransitionRow kHostRows[] = {
    {RowOf<QuakeFilter>(), nullptr, nullptr},
    {RowOf<ZoomFlipFilter>(), nullptr, nullptr},
    {RowOf<RotCenterFilter>(), nullptr, nullptr},
    {RowOf<AddSubFilter>(), nullptr, nullptr},
    {RowOf<HBlurFilter>(), nullptr, nullptr},
    {RowOf<RippleTransition>(), &RippleTransition::OnFirstUse, &RippleTransition::OnRelease},
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

int RegisterScriptHostTransitions(TcpManager& registry) {
  QuakeFilter::BindRandom(&RandomDraw);
  for (const HostTransitionRow& host : kHostRows) {
    const BuiltinTransitionRow& row = host.row;
    if (const int code = registry.RegisterObject(row.create, row.name, row.category, 0,
                                                 host.firstUse, host.release);
        code != 0)
      return code;
  }
  return 0;
}

}  // namespace orrivel
