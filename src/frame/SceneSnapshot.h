#pragma once
// A scene kept in the text history drawn again as it was on screen: the
// background colour, the background picture with its pixel operation,
// colour mode, mirror, flip, position, rotation and cinema bars, then each
// sprite with its effects, opacity, zoom and rotation.
#include <cstdint>

namespace orrivel {

class Surface;
struct HistorySceneRecord;

// Draws the scene into the target, which becomes a 1280 x 720 32-bit
// picture. 0 done; 1 the target cannot be made. Pictures that no longer
// load are left out.
int32_t RenderSceneSnapshot(const HistorySceneRecord& scene, Surface& target);

}  // namespace orrivel
