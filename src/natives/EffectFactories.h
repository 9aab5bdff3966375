#pragma once
// The built-in layer effects and screen filters that the script host adds
// to the two registries as it is created: six filters and transitions in
// the filter registry, then fourteen effects in the effect registry, in
// this order. Filters whose class is not built in have no creator and are
// left out of the registry.
#include <cstdint>
#include <span>

#include "resource/TcpManager.h"

namespace orrivel {

class DcpManager;

struct EffectFactoryRow {
  const char* name;
  uint8_t category;
  bool filter;  // the filter registry; else the effect registry
  bool built;   // a creator exists
};

// The twenty rows in registration order.
std::span<const EffectFactoryRow> EffectFactoryRows();

// Seeds the shared generator, binds it to the classes that draw from it and
// registers the rows. Returns how many entries were registered.
int RegisterEffectFactories(TcpManager& filters, DcpManager& effects, uint32_t seed);

}  // namespace orrivel
