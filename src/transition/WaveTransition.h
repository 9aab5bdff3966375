#pragma once
// "wave": cross-fades the from-picture into the to-picture while shifting
// each line sideways by a sine wave that swells until half time and
// subsides; the uncovered edge takes a colour moving from A to B.
// Arguments after the duration: wave kind (0 phase step swelling with the
// wave, 1 shrinking, 2 growing over the time, 3 and above a fixed step with
// a moving phase), maximum amplitude in pixels, step parameter, colour A
// and colour B (0xAARRGGBB).
#include <cstdint>

#include "transition/NamedTransition.h"

namespace orrivel {

class MathTables;

class WaveTransition : public NamedTransition {
 public:
  static constexpr const char* kName = "wave";
  static constexpr uint8_t kCategory = kTransitionFromTo;
  static constexpr int32_t kSetupNoMathTables = 5;
  static TcpObject* Create(int32_t);

  uint8_t GetCategory() const override { return kCategory; }
  const char* GetName() const override { return kName; }
  int32_t Update(uint32_t now) override;
  int32_t IsFinished() const override { return level_ == 255 ? -1 : 0; }
  int32_t Apply(const TransitionApplyRecord& record) override;
  int32_t SetupV(const ObjectArgument& first, const ObjectArguments& rest) override;

  int32_t Amplitude() const { return amplitude_; }
  uint32_t Level() const { return level_; }
  uint32_t EdgeColour() const { return edgeColour_; }

 private:
  const MathTables* tables_ = nullptr;
  uint32_t duration_ = 2;
  uint32_t start_ = 0;
  bool firstPending_ = false;
  uint32_t half_ = 1;
  int32_t height_ = 0;
  int32_t kind_ = 0;
  int32_t maxAmplitude_ = 0;
  int32_t step_ = 0;
  uint32_t colourA_ = 0, colourB_ = 0;
  int32_t amplitude_ = 0;
  int32_t phaseStep_ = 0;
  int32_t phaseBase_ = 0;
  uint32_t elapsed_ = 0;
  uint32_t level_ = 0;
  uint32_t edgeColour_ = 0;
};

}  // namespace orrivel
