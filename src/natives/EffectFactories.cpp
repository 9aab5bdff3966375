#include "natives/EffectFactories.h"

#include <array>
#include <string_view>

#include "base/SubtractiveRandom.h"
#include "resource/DcpManager.h"
#include "effect/BuiltinEffects.h"
#include "transition/AddSubFilter.h"
#include "transition/HBlurFilter.h"
#include "transition/QuakeFilter.h"
#include "transition/RippleTransition.h"

namespace orrivel {

namespace {

struct FilterCreator {
  TcpGetObjectFunc create;
  TcpInitialiserFunc firstUse;
  TcpReleaserFunc release;
};

// The filter rows' creators by name; the ripple picks its kernels on first
// use and its release frees the shared ripple tables.
FilterCreator FilterCreatorOf(std::string_view name) {
  if (name == QuakeFilter::kName) return {&QuakeFilter::Create, nullptr, nullptr};
  if (name == AddSubFilter::kName) return {&AddSubFilter::Create, nullptr, nullptr};
  if (name == HBlurFilter::kName) return {&HBlurFilter::Create, nullptr, nullptr};
  if (name == RippleTransition::kName)
    return {&RippleTransition::Create, &RippleTransition::OnFirstUse, &RippleTransition::OnRelease};
  return {nullptr, nullptr, nullptr};
}

std::array<EffectFactoryRow, 20> BuildRows() {
  std::array<EffectFactoryRow, 20> rows{};
  size_t i = 0;
  for (const BuiltinScreenObject& row : ScriptHostScreenObjects())
    rows[i++] = {row.name, row.category, true, FilterCreatorOf(row.name).create != nullptr};
  for (const BuiltinLayerAction& row : ScriptHostLayerActions())
    rows[i++] = {row.name, row.category, false, row.create != nullptr};
  return rows;
}

const std::array<EffectFactoryRow, 20> kRows = BuildRows();

}  // namespace

std::span<const EffectFactoryRow> EffectFactoryRows() { return kRows; }

int RegisterEffectFactories(TcpManager& filters, DcpManager& effects, uint32_t seed) {
  QuakeFilter::BindRandom(&RandomDraw);
  int registered = 0;
  for (const BuiltinScreenObject& row : ScriptHostScreenObjects()) {
    const FilterCreator creator = FilterCreatorOf(row.name);
    if (creator.create &&
        filters.RegisterObject(creator.create, row.name, row.category, 0, creator.firstUse, creator.release) == 0)
      ++registered;
  }
  // The effects, with the generator seeded and bound to the overlay effects.
  const size_t before = effects.Records().size();
  RegisterScriptHostEffects(filters, effects, seed);
  return registered + int(effects.Records().size() - before);
}

}  // namespace orrivel
