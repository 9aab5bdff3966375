#pragma once
// The display rig with what the GUI controls need beside it: the pixel
// operations they compose their pictures with, and the run's process-wide
// objects (the control factory and host) made current, the factory drawing
// on a canvas of the rig's own.
#include <gtest/gtest.h>

#include <memory>

#include "DisplayNativeRig.h"
#include "natives/ProcessObjects.h"
#include "raster/BlendTables.h"
#include "raster/PixelOpLibrary.h"
#include "raster/SpriteList.h"
#include "scene/ControlFactory.h"
#include "scene/SpriteCanvas.h"

namespace orrivel::testing {

class ControlNativeRig : public DisplayNativeRig {
 protected:
  void SetUp() override {
    DisplayNativeRig::SetUp();
    BuildBlendTables();
    library_ = std::make_unique<PixelOpLibrary>("tvpgl.dll", nullptr, false);
    ASSERT_TRUE(library_->HasModule()) << library_->Error();
    SetCurrentPixelOpLibrary(library_.get());
    previous_ = SetProcessObjects(&objects_);
    canvas_.SetOverlayList(&overlay_);
    Factory().SetCanvas(&canvas_);
  }
  // Derived rigs let go of what holds controls first.
  void TearDown() override {
    objects_.Reset();
    SetProcessObjects(previous_);
    library_.reset();
    ResetPixelOpEntries();
    DisplayNativeRig::TearDown();
  }

  ControlFactory& Factory() { return objects_.Controls(); }

  std::unique_ptr<PixelOpLibrary> library_;
  ProcessObjects objects_;
  ProcessObjects* previous_ = nullptr;
  SpriteList overlay_;
  SpriteCanvas canvas_;
};

}  // namespace orrivel::testing
