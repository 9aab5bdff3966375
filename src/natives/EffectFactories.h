#pragma once
// The built-in screen filters and layer effects that the script host adds
// to the two registries as it is created, in this order: the filters and
// "ripple" in the filter registry ("quake", "zoomflip", "rotcenter",
// "addsub", "hblur", "ripple"), then fourteen effects in the effect
// registry ("quake", "noise", the sprite actions, "staff" and the weather).
#include <cstdint>

namespace orrivel {

class DcpManager;
class TcpManager;

// Seeds the shared generator, binds it to the classes that draw from it and
// registers both lists. Returns how many entries were registered.
int RegisterEffectFactories(TcpManager& filters, DcpManager& effects, uint32_t seed);

}  // namespace orrivel
