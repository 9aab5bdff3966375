#pragma once
// A text-adventure frame set up over the layer-set test's displays: its
// layers run on the test's object timer list and registry, its pump moves
// the clock 16 ms a frame, and the run pictures and effect pictures are in
// the game folder.
#include <array>
#include <functional>
#include <span>

#include "FramePictures.h"
#include "LayerSetsFixture.h"
#include "TgsFrameTestSupport.h"
#include "scene/ControlFactory.h"

namespace orrivel::test {

class FrameOnLayersTest : public LayerSetsTest {
 protected:
  void SetUp() override {
    LayerSetsTest::SetUp();
    WriteRunPictures(pictures_);
    WriteEffectPictures(pictures_);
  }
  void TearDown() override {
    fixture_.frame.reset();
    LayerSetsTest::TearDown();
  }

  // A new frame, set up (not yet running), with the given characters.
  TgsFrame& MakeFrame(std::vector<std::string> characters) {
    fixture_.RemakeFrame([this](TgsFrameEnvironment& environment) {
      environment.controls = &controls_;
      environment.factory = &factory_;
      environment.settings = std::span<uint8_t>(settings_);
      environment.objectTimers = &timers_;
      environment.layerActions = &actions_;
      environment.systemTimers = [this] { return &timers_; };
      if (moreEnvironment_) moreEnvironment_(environment);
    });
    fixture_.onPump = [this] { StepAt(clock_.TickMs() + 16); };
    TgsFrame& frame = *fixture_.frame;
    EXPECT_EQ(frame.SetupMessageWindow(nullptr), 0);
    frame.Layers()->characters = std::move(characters);
    return frame;
  }

  FrameFixture fixture_;
  InputControlHost controls_;
  ControlFactory factory_;
  std::array<uint8_t, 196> settings_{};
  // What a test adds to the environment of the frames it makes.
  std::function<void(TgsFrameEnvironment&)> moreEnvironment_;
};

}  // namespace orrivel::test
