// Scenes of the text history drawn again: one small golden picture per
// scene, each showing a set of the stored effects.
#include "frame/SceneSnapshot.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../scene/GoldenSupport.h"
#include "LayerSetsFixture.h"
#include "frame/TextHistoryBuffer.h"

namespace orrivel {
namespace {

class SceneSnapshotTest : public test::LayerSetsTest {};

SceneSpriteState Character(int32_t x, int32_t colourMode, int32_t alpha = 255, float zoom = 0.0f, int32_t angle = 0) {
  SceneSpriteState s;
  s.name = "ABC01.ELG";
  s.x = x;
  s.y = 320;
  s.colourMode = colourMode;
  s.alpha = alpha;
  s.zoom = zoom;
  s.angle = angle;
  return s;
}

struct SnapshotCase {
  const char* golden;
  HistorySceneRecord scene;
};

std::vector<SnapshotCase> Cases() {
  std::vector<SnapshotCase> cases;
  {
    HistorySceneRecord s;  // grey, mirrored, with a plain character
    s.background = "BG01A.ELG";
    s.state.colourMode = 1;
    s.state.mirror = 1;
    s.items = {Character(540, 0)};
    cases.push_back({"snapshot_grey_mirror", s});
  }
  {
    HistorySceneRecord s;  // toned grey, flipped, with the cinema bars
    s.background = "BG01A.ELG";
    s.state.colourMode = 2;
    s.state.flip = 1;
    s.state.cinemaBars = 1;
    cases.push_back({"snapshot_sepia_flip_bars", s});
  }
  {
    HistorySceneRecord s;  // negative; the two tints; half opacity
    s.background = "BG01A.ELG";
    s.state.colourMode = 3;
    s.items = {Character(200, 5), Character(540, 6), Character(880, 0, 128)};
    cases.push_back({"snapshot_negative_tints_opacity", s});
  }
  {
    HistorySceneRecord s;  // level 150 over a blue colour; zoom and rotation
    s.background = "BG02A.ELG";
    s.state.colour = 0x203040;
    s.state.colourMode = 4;
    s.state.x = 160;
    s.items = {Character(300, 0, 255, 1.5f), Character(780, 0, 255, 0.0f, 64)};
    cases.push_back({"snapshot_level_zoom_rotation", s});
  }
  return cases;
}

TEST_F(SceneSnapshotTest, ScenesAreDrawnAgainWithTheirStoredEffects) {
  for (const SnapshotCase& c : Cases()) {
    SCOPED_TRACE(c.golden);
    Surface target;
    ASSERT_EQ(RenderSceneSnapshot(c.scene, target), 0);
    EXPECT_EQ(target.GetWidth(), 1280);
    EXPECT_EQ(target.GetHeight(), 720);
    Surface small;
    ASSERT_EQ(small.Create(320, 180, 32, 0), 0);
    const Size size{320, 180};
    ASSERT_EQ(small.StretchCopy(&target, &size, 0, 0, nullptr, false), 0);
    test::ExpectGolden(small, c.golden, "frame");
  }
}

// Pictures that no longer load leave the colour and the rest of the scene.
TEST_F(SceneSnapshotTest, MissingPicturesAreLeftOut) {
  HistorySceneRecord s;
  s.background = "GONE.ELG";
  s.state.colour = 0x102030;
  SceneSpriteState gone;
  gone.name = "GONE2.ELG";
  s.items = {gone, Character(540, 0)};
  Surface target;
  ASSERT_EQ(RenderSceneSnapshot(s, target), 0);
  const auto* pixels = reinterpret_cast<const uint32_t*>(target.GetBits());
  EXPECT_EQ(pixels[0] & 0xFFFFFFu, 0x102030u);
}

}  // namespace
}  // namespace orrivel
