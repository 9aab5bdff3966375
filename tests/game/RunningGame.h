#pragma once
// A headless game that runs for a frame: each test starts the game, does
// its work once the first frame is shown (with the main window live and the
// scripts booted), and lets the game end. Dialogs answer from a list, and
// the test can act while each one is open.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "SobAssembler.h"
#include "game/AppSettings.h"
#include "game/ConfirmBox.h"
#include "game/GameApplication.h"
#include "natives/ProcessObjects.h"
#include "platform/DialogService.h"
#include "platform/ScriptedRun.h"
#include "platform/TextCodec.h"
#include "platform/headless/HeadlessBackend.h"
#include "resource/BaseFolder.h"

namespace orrivel::testing {

using platform::DialogAnswer;
using platform::DialogRequest;

inline constexpr const char* kScripts = R"(
scene MAIN
  yield
  yield
  ret
)";

inline std::string Utf8(const std::string& cp932) { return platform::Cp932ToUtf8Lossy(cp932); }

// A dialog service that answers from a list and lets the test act while
// each dialog is open.
class ObservedDialogs : public platform::ScriptedDialogs {
 public:
  DialogAnswer Show(const DialogRequest& request) override {
    // A copy: the observer may replace itself while it runs.
    const auto observer = whileOpen;
    if (observer) observer(request);
    return ScriptedDialogs::Show(request);
  }
  void Answer(uint16_t button, int check = -1) {
    DialogAnswer answer;
    answer.button = button;
    answer.setsCheck = check >= 0;
    answer.checked = check == 1;
    QueueAnswer(answer);
  }
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const Entry& entry : Transcript()) {
      const platform::DialogControl* text = entry.request.Find(kControlText);
      texts.push_back(text ? Utf8(text->text) : std::string());
    }
    return texts;
  }
  std::function<void(const DialogRequest&)> whileOpen;
};

// The run's process-wide objects as the program makes them (the control
// host and factory, the sound manager's home, the in-game box): a test
// holds them before its application, so they are built before it and go
// after it.
class ProgramObjects {
 public:
  ProgramObjects() : previousObjects_(SetProcessObjects(&objects)), previousBox_(SetConfirmBox(&box)) {}
  ~ProgramObjects() {
    SetConfirmBox(previousBox_);
    SetProcessObjects(previousObjects_);
  }
  ProgramObjects(const ProgramObjects&) = delete;
  ProgramObjects& operator=(const ProgramObjects&) = delete;

  ProcessObjects objects;
  ConfirmBox box;

 private:
  ProcessObjects* previousObjects_;
  ConfirmBox* previousBox_;
};

class RunningGameTest : public ::testing::Test {
 protected:
  RunningGameTest() : scopedDialogs_(dialogs_) {
    folder_ = std::filesystem::temp_directory_path() /
              ("orrivel-commands-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++));
    std::filesystem::create_directories(folder_ / "script");
    NewBackend();
    savedBase_ = SetBaseFolderForTest("");
    WriteSettings();
    sob::Project project;
    std::string error;
    EXPECT_TRUE(sob::Assemble(kScripts, project, error)) << error;
    for (auto& [name, bytes] : sob::ProjectFiles(project)) Write("script/" + name, bytes);
  }
  ~RunningGameTest() override {
    platform::SetBackend(previousBackend_);
    SetBaseFolderForTest(savedBase_);
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  // A machine of its own for each run: a window class is registered once
  // per machine.
  void NewBackend() {
    backend_ = std::make_unique<platform::HeadlessBackend>();
    backend_->SetRuntimeFolder(folder_.string());
    platform::Backend* previous = platform::SetBackend(backend_.get());
    if (!previousBackendSaved_) {
      previousBackend_ = previous;
      previousBackendSaved_ = true;
    }
  }
  platform::HeadlessBackend& backend() { return *backend_; }

  // The game's description with its menu and accelerators.
  void WriteSettings(uint8_t saveFolderMode = 5, uint8_t screenModePolicy = 2) {
    AppSettings settings;
    settings.SetSaveFolderMode(saveFolderMode);
    settings.system[14] = 1;
    settings.system[16] = 1;
    settings.system[19] = screenModePolicy;
    settings.info[0] = "COMMANDS";
    settings.info[3] = "https://example.invalid/";
    // The shipped settings choose a window, as the sample game's do.
    settings.window[0] = 2;
    Write("script/VQ_APP.SYS", EncodeSystemFile(settings.system));
    Write("script/VQ_APP.INF", EncodeInfoFile(settings.version, settings.info));
    Write("USER.CFG", EncodeUserConfig(settings));
  }
  void Write(const std::string& name, const std::vector<uint8_t>& bytes) {
    std::ofstream out(folder_ / name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  }

  // Runs the game; body runs once, after the first frame.
  void RunWith(GameApplication& app, const std::function<void()>& body) {
    if (runs_++ > 0) NewBackend();
    bool ran = false;
    app.frameLimit = 600;
    app.framePump = [&] {
      if (!ran) {
        ran = true;
        body();
      }
      return 0;
    };
    const std::string commandLine = "/L" + folder_.string();
    EXPECT_EQ(app.Run(nullptr, nullptr, commandLine.c_str(), platform::SW_SHOWNORMAL), 0);
    EXPECT_TRUE(ran);
  }

  // Runs the game on an input file's events and the virtual clock until the
  // file quits (or the frame limit); eachFrame runs once a frame, after the
  // frame's input and before its script steps.
  void RunInput(GameApplication& app, platform::ScriptedRun& input, const std::function<void()>& eachFrame) {
    if (runs_++ > 0) NewBackend();
    app.frameLimit = 600;
    app.scriptedRun = &input;
    app.framePump = [&] {
      eachFrame();
      return 1;
    };
    const std::string commandLine = "/L" + folder_.string();
    EXPECT_EQ(app.Run(nullptr, nullptr, commandLine.c_str(), platform::SW_SHOWNORMAL), 0);
    app.scriptedRun = nullptr;
  }
  // Assembles the game's scripts in place of the rig's own.
  void WriteScripts(const char* text) {
    sob::Project project;
    std::string error;
    ASSERT_TRUE(sob::Assemble(text, project, error)) << error;
    for (auto& [name, bytes] : sob::ProjectFiles(project)) Write("script/" + name, bytes);
  }

  static platform::Menu& WindowMenu(GameApplication& app) {
    return *platform::CurrentBackend().GetMenu(app.mainWindow.GetHandle());
  }
  static bool Enabled(GameApplication& app, uint32_t id) { return WindowMenu(app).Find(id)->enabled; }

  ObservedDialogs dialogs_;
  std::filesystem::path folder_;

 private:
  std::unique_ptr<platform::HeadlessBackend> backend_;
  platform::Backend* previousBackend_ = nullptr;
  bool previousBackendSaved_ = false;
  int runs_ = 0;
  platform::ScopedDialogs scopedDialogs_;
  std::string savedBase_;
  static inline int counter_ = 0;
};

}  // namespace orrivel::testing
