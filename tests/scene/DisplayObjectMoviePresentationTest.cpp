// What the object movie borrows of the display: its DirectDraw objects only
// while it presents through them.
#include "scene/DisplayObjectMoviePresentation.h"

#include <gtest/gtest.h>

#include "display/DisplayScreenDevice.h"
#include "platform/Backend.h"
#include "platform/DefaultWindowClient.h"
#include "platform/DisplayMachine.h"
#include "platform/headless/HeadlessBackend.h"
#include "scene/CanvasDrawObject.h"

namespace orrivel {
namespace {

class DisplayObjectMoviePresentationTest : public ::testing::Test {
 protected:
  DisplayObjectMoviePresentationTest()
      : machine_(platform::FakeSingleDisplayMachine(true)), backendScope_(backend_), client_(backend_) {
    DisplayDevice::ResetProcessState();
    backend_.SetDesktop(platform::DisplayMode{1280, 800, 32, 60});
    backend_.RegisterClass(platform::WindowClass{"screen"});
    platform::WindowCreateParams params;
    params.className = "screen";
    params.width = 320;
    params.height = 240;
    params.client = &client_;
    window_ = backend_.CreateWindow(params);
    EXPECT_EQ(picture_.Load(320, 240, 32, 0), 0);
  }
  ~DisplayObjectMoviePresentationTest() override { DisplayDevice::ResetProcessState(); }

  // A window showing the picture with the drawing method asked for: 0
  // presents through GDI, 2 blits through DirectDraw.
  void Start(DisplayScreenDevice& device, uint8_t method) {
    device.SetContentSize(320, 240);
    device.AttachScreenImage(&picture_);
    device.SetDrawingMethod(method);
    device.SetDirectDrawWhenNotEnlarged(method != 0);
    ASSERT_EQ(device.SetScreenMode(window_, true, false, false), 0);
  }

  platform::ScopedDisplayMachine machine_;
  platform::HeadlessBackend backend_;
  platform::ScopedBackend backendScope_;
  platform::DefaultWindowClient client_;
  platform::WindowId window_ = platform::kNoWindow;
  CanvasDrawObject picture_;
};

TEST_F(DisplayObjectMoviePresentationTest, ObjectsAreLentOnlyWhilePresentingThroughThem) {
  {
    DisplayScreenDevice gdi;
    Start(gdi, 0);
    ASSERT_EQ(gdi.GetPresentMethod(), 0);
    DisplayObjectMoviePresentation presentation(gdi);
    EXPECT_FALSE(presentation.PresentsOnPrimaryDisplay());
  }
  DisplayScreenDevice blit;
  Start(blit, 2);
  ASSERT_EQ(blit.GetPresentMethod(), 1);
  DisplayObjectMoviePresentation presentation(blit);
  EXPECT_TRUE(presentation.PresentsOnPrimaryDisplay());
  EXPECT_EQ(presentation.DirectDraw(), blit.DirectDraw());
  EXPECT_EQ(presentation.PrimarySurface(), blit.PrimarySurface());
  // A primary surface made for the movie is the caller's, of the display's size.
  void* made = presentation.CreatePrimarySurface();
  ASSERT_NE(made, nullptr);
  EXPECT_GT(static_cast<platform::SoftSurface*>(made)->Width(), 0u);
  presentation.ReleaseSurface(made);
}

}  // namespace
}  // namespace orrivel
