#include "natives/EffectFactories.h"

#include "effect/BuiltinEffects.h"
#include "resource/DcpManager.h"
#include "resource/TcpManager.h"
#include "transition/BuiltinTransitions.h"

namespace orrivel {

int RegisterEffectFactories(TcpManager& filters, DcpManager& effects, uint32_t seed) {
  const size_t filtersBefore = filters.Records().size();
  const size_t effectsBefore = effects.Records().size();
  // The filters first (the quake filter bound to the shared generator),
  // then the effects with the generator seeded and bound to the overlay
  // effects.
  RegisterScriptHostTransitions(filters);
  RegisterScriptHostEffects(filters, effects, seed);
  return int(filters.Records().size() - filtersBefore + effects.Records().size() - effectsBefore);
}

}  // namespace orrivel
