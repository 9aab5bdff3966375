// The game as a job on the worker thread: how it ends, and the window
// thread's wait for it.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "AppTestSupport.h"

namespace orrivel::test {
namespace {

using namespace platform;

// A job whose steps a test scripts; each step runs on the worker thread.
class JobApp : public RecordingApp {
 public:
  JobApp() { threadMode = 1; }
  int JobBegin() override {
    Record("JobBegin");
    return beginResult;
  }
  int JobStep() override {
    Record("JobStep");
    ++steps;
    if (step) return step(*this);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return 0;
  }
  int beginResult = 0;
  std::atomic<int> steps{0};
  std::function<int(JobApp&)> step;
};

class ThreadModeTest : public HeadlessTest {
 protected:
  // Init starts the job; the test then plays the window thread.
  void Start(JobApp& app) { ASSERT_EQ(app.Init(), 0); }
  void Finish(JobApp& app) {
    app.StopJob();
    app.Exit(0);
  }
  static int Count(JobApp& app, const std::string& call) {
    std::lock_guard lock(app.callsLock);
    return int(std::count(app.calls.begin(), app.calls.end(), call));
  }
};

TEST_F(ThreadModeTest, RefusedBeginSkipsTheStepsButStillEndsTheProgram) {
  JobApp app;
  app.beginResult = 1;
  EXPECT_EQ(app.Run(nullptr, nullptr, "", 1), 0);
  EXPECT_EQ(Count(app, "JobBegin"), 1);
  EXPECT_EQ(Count(app, "JobStep"), 0);
  EXPECT_EQ(Count(app, "JobEnd"), 0);
  EXPECT_FALSE(app.mainWindow.IsValid());
}

TEST_F(ThreadModeTest, CloseDuringALongStepEndsTheJobAfterThatStep) {
  JobApp app;
  app.step = [](JobApp& self) {
    self.mainWindow.PostWindowMessage(WM_CLOSE, 0, 0);
    // A long step: it runs until the close has asked the job to stop.
    while (self.Worker().CanContinue()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return 0;
  };
  EXPECT_EQ(app.Run(nullptr, nullptr, "", 1), 0);
  EXPECT_EQ(app.steps, 1);
  EXPECT_EQ(Count(app, "JobEnd"), 1);
  EXPECT_FALSE(app.mainWindow.IsValid());
}

TEST_F(ThreadModeTest, WaitForWorkerOutsideThreadModeReturnsAtOnce) {
  RecordingApp app;
  ASSERT_EQ(app.Init(), 0);
  WindowId window = app.mainWindow.GetHandle();
  EXPECT_EQ(app.WaitForWorker(&window), 0);
  EXPECT_TRUE(backend.IsWindowEnabled(window));
  EXPECT_FALSE(app.waitingForWorker);
  app.Exit(0);
}

TEST_F(ThreadModeTest, WaitForWorkerOnTheWorkerItselfReturnsOne) {
  JobApp app;
  std::atomic<int> result{100};
  std::atomic<bool> waiting{true};
  app.step = [&](JobApp& self) {
    if (result == 100) {
      WindowId window = self.mainWindow.GetHandle();
      result = self.WaitForWorker(&window);
      waiting = self.waitingForWorker.load();
    }
    return 0;
  };
  Start(app);
  while (result == 100) std::this_thread::yield();
  EXPECT_EQ(result, 1);
  EXPECT_FALSE(waiting);
  EXPECT_TRUE(backend.IsWindowEnabled(app.mainWindow.GetHandle()));
  Finish(app);
}

TEST_F(ThreadModeTest, WaitForWorkerEndsWhenTheWorkerReleasesIt) {
  JobApp app;
  WindowId window = kNoWindow;
  std::atomic<bool> sawDisabled{false};
  app.step = [&](JobApp& self) {
    if (self.waitingForWorker) {
      sawDisabled = !backend.IsWindowEnabled(window);
      self.EndWaitForWorker(&window);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return 0;
  };
  Start(app);
  window = app.mainWindow.GetHandle();
  EXPECT_EQ(app.WaitForWorker(&window), 0);
  EXPECT_TRUE(sawDisabled);
  EXPECT_TRUE(backend.IsWindowEnabled(window));
  EXPECT_FALSE(app.waitingForWorker);
  Finish(app);
}

TEST_F(ThreadModeTest, WaitForWorkerSeesTheQuitAndForgetsTheWindow) {
  JobApp app;
  Start(app);
  WindowId window = app.mainWindow.GetHandle();
  backend.PostQuitMessage(0);
  EXPECT_EQ(app.WaitForWorker(&window), -1);
  EXPECT_EQ(window, kNoWindow);
  backend.PostQuitMessage(0);
  EXPECT_EQ(app.WaitForWorker(nullptr), -1);
  Finish(app);
}

TEST_F(ThreadModeTest, WaitForWorkerGivesUpWhenTheWorkerIsToldToStop) {
  JobApp app;
  std::atomic<bool> waitOver{false};
  app.step = [&](JobApp& self) {
    if (self.waitingForWorker) {
      self.Worker().RequestStop();
      // The job's end would close the window; it waits until the wait is
      // over, so that the test sees the stop and not the close.
      while (!waitOver) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return 0;
  };
  Start(app);
  WindowId window = app.mainWindow.GetHandle();
  EXPECT_EQ(app.WaitForWorker(&window), -2);
  waitOver = true;
  EXPECT_EQ(window, app.mainWindow.GetHandle());
  Finish(app);
}

}  // namespace
}  // namespace orrivel::test
