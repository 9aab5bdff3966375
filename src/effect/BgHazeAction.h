#pragma once
// "bg_haze": shimmers a background layer. A profile of pixel displacements,
// a sum of cosines, runs down the rows; each row takes the picture moved
// diagonally by its entry scaled by the level.
#include <cstdint>
#include <vector>

#include "effect/BackgroundWaveAction.h"

namespace orrivel {

class BgHazeAction : public BackgroundWaveAction {
 public:
  // Set-up results of the haze.
  static constexpr int32_t kBadProfile = 6;
  static constexpr int32_t kNotListed = 7;
  // The full level.
  static constexpr int32_t kFullLevel = 512;
  // Longer profiles are refused: one entry per row of any screen fits well
  // below this, and a script cannot make the engine reserve more.
  static constexpr int32_t kMaxProfileLength = 65536;

  const char* GetName() const override { return "bg_haze"; }

  using LayerAction::SetupV;
  // Target: a BackgroundLayer. Cells: [0] profile text, groups "(f,p,a)" of
  // frequency, phase and amplitude of one cosine term each, [1] profile
  // length (1 to kMaxProfileLength), [2] period ms (0 counts as 1), [3]
  // duration ms (0 endless), [4] fade-in ms, [5] fade-out ms, [6] fill,
  // [7] enter low priority.
  int32_t SetupV(TimerList* timerList, const ObjectArgument& target, const ObjectArguments& cells) override;

  const std::vector<int32_t>& Profile() const { return profile_; }

 protected:
  int32_t MaximumLevel() const override { return kFullLevel; }
  int32_t PhaseAt(uint32_t elapsed) const override;
  void Draw(int32_t start, int32_t level) override;
  bool CopyParameters(const BackgroundWaveAction& other) override;

 private:
  std::vector<int32_t> profile_;
};

// Builds the displacement profile of length entries from the text: entry i
// is the mean over the groups of a × cos(((i × 512 ÷ length) × f + p) steps
// of 512 a turn), in pixels. False without text, without a group or for a
// length outside 1 to BgHazeAction::kMaxProfileLength.
bool BuildHazeProfile(const char* text, int32_t length, std::vector<int32_t>* profile);

}  // namespace orrivel
