#pragma once
// A text-adventure frame over a script host, both reading an in-memory
// disk: the host's variables and scenes come from sob text, the modules
// from tob text with the same variables, and messages and log lines are
// kept for the tests to read.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "SobAssembler.h"
#include "TgsTestSupport.h"
#include "TobCompiler.h"
#include "base/InputDevice.h"
#include "frame/TgsFrame.h"
#include "platform/MessageBox.h"
#include "scene/ControlHost.h"
#include "platform/TextCodec.h"
#include "script/ScriptHost.h"

namespace orrivel {

struct RecordingMessageBoxes : platform::MessageBoxService {
  std::vector<std::string> shown;  // UTF-8
  int ShowMessageBox(const platform::MessageBoxRequest& request) override {
    shown.push_back(platform::Cp932ToUtf8Lossy(request.text));
    return platform::IDOK;
  }
};

// A control host with no input: the frame only adds and removes controls.
struct QuietControlHost : ControlHost {
  void GetPointerPos(int32_t* x, int32_t* y) override { *x = *y = -2; }
  ActionMap* GetActionMap() override { return nullptr; }
  InputDevice* GetKeyboard() override { return nullptr; }
  InputDevice* GetPointerDevice() override { return nullptr; }
};

// An input device whose held and newly pressed codes the test sets.
struct FakeInputDevice final : InputDevice {
  std::set<uint8_t> down;
  std::set<uint8_t> pressed;
  bool IsDown(uint8_t code) const override { return down.count(code) != 0; }
  bool IsPressed(uint8_t code) const override { return pressed.count(code) != 0; }
  int32_t FirstDown() const override { return down.empty() ? -1 : *down.begin(); }
  int32_t FirstPressed() const override { return pressed.empty() ? -1 : *pressed.begin(); }
  void Reset() override { down.clear(), pressed.clear(); }
  int32_t GetKind() const override { return 0; }
  void Unacquire() override {}
  int32_t Poll() override { return 0; }
};

// A control host whose keyboard and pointer the test drives; it keeps the
// tag of the last control that fired.
struct InputControlHost final : QuietControlHost {
  FakeInputDevice keys;
  FakeInputDevice pointer;
  int32_t pointerX = -2, pointerY = -2;
  int32_t selected = -1;
  InputDevice* GetKeyboard() override { return &keys; }
  InputDevice* GetPointerDevice() override { return &pointer; }
  void GetPointerPos(int32_t* x, int32_t* y) override { *x = pointerX, *y = pointerY; }
  void SetSelected(int32_t tag) override { selected = tag; }
};

// Variables shared by the scenes and the modules of the fixtures.
inline const char* const kFrameTestVars = R"(
  int n
  int flags size 12
  int visited
)";

// Scenes that script blocks call or jump to, and the game's save and
// load screen: with $visited set it fails (a jump to a scene that is not
// there); the save screen sets $n to 7; the load screen answers $n. The
// game's first settings screen sets $n to 1, lets one frame pass and
// answers $visited; the second sets $n to 2 and fails.
inline const char* const kFrameTestScenes = R"(
scene ROOM
  set 5 $visited
  ret
scene LOOPER
again:
  yield
  jmp @again
scene DEEP
  native !0 @call @scratch
  yield
  ret
data
scratch: word 0
call: word @name
name: string "DEEP"
scene SAVELOAD
  mov $visited @fail.1
fail:
  bz 0 @open
  native !1 @jump @scratch
  ret
open:
  mov ext:retTgsExp @mode.1
mode:
  bz 0 @load
  set 7 $n
  ret
load:
  mov $n ext:retTgsExp
  ret
data
scratch: word 0
jump: word @nope
nope: string "NOPE"
scene CONFIG1
  set 1 $n
  yield
  mov $visited ext:retTgsExp
  ret
scene CONFIG2
  set 2 $n
  native !1 @jump @scratch
  ret
data
scratch: word 0
jump: word @nope
nope: string "NOPE"
)";

struct FrameFixture {
  ScriptRequestState requests;
  ScriptHost host{&requests};
  TgsDisk disk;
  RecordingMessageBoxes boxes;
  std::vector<std::string> log;
  int pumps = 0;
  int pumpsBeforeClose = 1000;
  // Runs on every pump before it answers (a test's clock and input).
  std::function<void()> onPump;
  std::unique_ptr<TgsFrame> frame;

  FrameFixture() {
    sob::Project project;
    std::string error;
    const std::string source = std::string("vars\n") + kFrameTestVars + kFrameTestScenes;
    EXPECT_TRUE(sob::Assemble(source, project, error)) << error;
    for (auto& [name, bytes] : sob::ProjectFiles(project)) disk.Put("SCRIPT\\" + name, bytes);
    host.SetFileReader([this](const std::string& path) { return disk.Read(path); });
    EXPECT_EQ(host.LoadSystem("SCRIPT\\SOB_INIT.DAT", "SCRIPT\\USER_VAR.SOB", "SCRIPT\\FUNC_LIB.SOB", false, false),
              0);
    RemakeFrame();
  }

  // A new frame over the same host and disk, its environment changed first.
  void RemakeFrame(const std::function<void(TgsFrameEnvironment&)>& change = {}) {
    TgsFrameEnvironment environment = Environment();
    if (change) change(environment);
    frame.reset();
    frame = std::make_unique<TgsFrame>(host.Space(), std::move(environment));
    frame->SetFolder("SCRIPT");
    frame->SetFileReader([this](const std::string& path) { return disk.Read(path); });
  }

  TgsFrameEnvironment Environment() {
    TgsFrameEnvironment environment;
    environment.host = &host;
    environment.messageBoxes = &boxes;
    environment.log = [this](const std::string& line) { log.push_back(line); };
    environment.pumpFrame = [this] {
      if (onPump) onPump();
      return ++pumps > pumpsBeforeClose ? 0 : 1;
    };
    environment.readGameFile = [this](const std::string& path) { return disk.Read(path); };
    return environment;
  }

  // Compiles modules written in tob text (after the shared variables) onto
  // the disk; returns the module images by name.
  std::map<std::string, std::vector<uint8_t>> AddStory(const std::string& modules) {
    tob::Story story;
    std::string error;
    EXPECT_TRUE(tob::Compile(std::string("vars\n") + kFrameTestVars + modules, story, error)) << error;
    std::map<std::string, std::vector<uint8_t>> files;
    for (auto& [name, bytes] : tob::StoryFiles(story)) {
      if (name == "TGS_INIT.DAT") continue;  // the tests play without a table
      disk.Put("SCRIPT\\" + name, bytes);
      files[name] = bytes;
    }
    return files;
  }

  // Loads a module and reads it; the result of ReadText.
  int32_t Play(const std::string& name) {
    EXPECT_EQ(frame->LoadScriptByName(name), 0);
    return frame->ReadText();
  }

  uint32_t Variable(const char* name, uint32_t element = 0) {
    const int32_t index = VariableIndex(name);
    uint32_t value = 0;
    host.Space().Read32(host.LiveRecords()[size_t(index)].address + 4 * element, value);
    return value;
  }
  void SetVariable(const char* name, uint32_t value, uint32_t element = 0) {
    const int32_t index = VariableIndex(name);
    host.Space().Write32(host.LiveRecords()[size_t(index)].address + 4 * element, value);
  }
  static int32_t VariableIndex(const char* name) {
    const std::string names[] = {"n", "flags", "visited"};
    for (int32_t i = 0; i < 3; ++i)
      if (names[i] == name) return i;
    return -1;
  }

  // The page text as a string (page commands included as bytes).
  std::string PageText() const {
    return std::string(reinterpret_cast<const char*>(frame->Page().Data()), frame->Page().Size());
  }
};

inline std::string Sjis(const char* utf8) { return platform::Utf8ToCp932Lossy(utf8); }

}  // namespace orrivel
