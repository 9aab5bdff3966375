#pragma once
// A headless machine and a game application that records every overridable
// call, for the start-up, exit and message-handling tests.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <mutex>
#include <filesystem>
#include <string>
#include <vector>

#include "base/Application.h"
#include "base/StartupHooks.h"
#include "platform/TextCodec.h"
#include "platform/headless/HeadlessBackend.h"

namespace orrivel::test {

// A screen device that fails on cue.
class FakeScreenDevice : public ScreenDevice {
 public:
  int CreateCanvasDrawObjectForSource(uint32_t* out, int32_t w, int32_t h, int bits, int flag) override {
    if (failCanvas) return 1;
    return ScreenDevice::CreateCanvasDrawObjectForSource(out, w, h, bits, flag);
  }
  int SetScreenMode(platform::WindowId window, bool windowed, bool flagB, bool zBuffer) override {
    ++modeCalls;
    if ((!windowed && failFullScreen) || (windowed && failWindow)) {
      hasDeviceObject = deviceObjectOnFailure;
      return failureCode;
    }
    return ScreenDevice::SetScreenMode(window, windowed, flagB, zBuffer);
  }
  bool failCanvas = false;
  bool failFullScreen = false;
  bool failWindow = false;
  bool deviceObjectOnFailure = false;
  int failureCode = 4;
  int modeCalls = 0;
};

class RecordingApp : public Application {
 public:
  std::vector<std::string> calls;
  std::mutex callsLock;
  // The job runs on the worker thread, so calls are recorded under a lock.
  void Record(std::string call) {
    std::lock_guard lock(callsLock);
    calls.push_back(std::move(call));
  }
  // Stops a running job, keeping the window thread answering its last send.
  void StopJob() {
    Worker().RequestStop();
    while (Worker().IsRunning()) PumpMessages(true);
    Worker().Join();
  }
  int configureResult = 0;
  int windowResourcesResult = 0;
  int devicesResult = 0;
  int errorCodeSeenByDevices = -1;
  const char* saveFolder = nullptr;
  int jobSteps = 0;
  int jobStepsBeforeEnd = 3;
  bool titleless = false;
  std::string title = "Test Game";
  std::function<void(RecordingApp&)> mainLoop;

  int Configure() override {
    Record("Configure");
    Application::Configure();
    if (titleless) appInfo[0].reset(); else appInfo[0] = title;
    return configureResult;
  }
  const char* GetSaveFolder() override { return saveFolder; }
  int CreateWindowResources() override {
    Record("CreateWindowResources");
    return windowResourcesResult;
  }
  int CreateDevices() override {
    Record("CreateDevices");
    errorCodeSeenByDevices = errorCode;
    if (errorCode == 2) errorCode = 0;
    return devicesResult;
  }
  void MainLoop() override {
    Record("MainLoop");
    if (mainLoop) mainLoop(*this);
  }
  void ReleaseDevices(int code) override { Record("ReleaseDevices " + std::to_string(code)); }
  void SaveSettings(int code) override { Record("SaveSettings " + std::to_string(code)); }
  int JobBegin() override {
    Record("JobBegin");
    return 0;
  }
  int JobStep() override {
    Record("JobStep");
    return ++jobSteps >= jobStepsBeforeEnd ? 1 : 0;
  }
  void JobEnd() override { Record("JobEnd"); }
  void OnScreenModeChanging() override { Record("OnScreenModeChanging"); }
  void OnEnteredFullScreen() override { Record("OnEnteredFullScreen"); }
  void OnEnteredWindow() override { Record("OnEnteredWindow"); }
  void OnWindowActivate() override { Record("OnWindowActivate"); }
  void OnWindowDeactivate() override { Record("OnWindowDeactivate"); }
  void OnModalBegin() override { Record("OnModalBegin"); }
  void OnModalEnd() override { Record("OnModalEnd"); }

  FakeScreenDevice& UseFakeScreen() {
    auto device = std::make_unique<FakeScreenDevice>();
    FakeScreenDevice& ref = *device;
    SetScreenDevice(std::move(device));
    return ref;
  }
};

// Each test gets its own machine and its own run-time folder (for the
// single-instance lock).
class HeadlessTest : public ::testing::Test {
 protected:
  HeadlessTest() : scoped_(backend) {
    folder_ = std::filesystem::temp_directory_path() /
              ("orrivel-app-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++));
    std::filesystem::create_directories(folder_);
    backend.SetRuntimeFolder(folder_.string());
    ResetStartupHooks();
  }
  ~HeadlessTest() override {
    ResetStartupHooks();
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  std::string Folder() const { return folder_.string(); }
  static std::string Sjis(const char* utf8) { return platform::Utf8ToCp932Lossy(utf8); }

  platform::HeadlessBackend backend;

 private:
  platform::ScopedBackend scoped_;
  std::filesystem::path folder_;
  static inline int counter_ = 0;
};

}  // namespace orrivel::test
