#pragma once
// The natives that create, delete, run and configure the text-adventure
// frame (game natives 788 to 791). Each takes the call's checked argument
// access and the context below; the script host's native table binds them
// at their numbers.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "display/DrawObjectWatcher.h"
#include "frame/TgsFrame.h"
#include "frame/TgsSystemMenu.h"
#include "scene/ControlFactory.h"
#include "scene/ControlHost.h"
#include "script/NativeArgs.h"

namespace orrivel {

// The one frame of the process and the host-side words the natives keep.
struct TgsFrameSlot {
  std::unique_ptr<TgsFrame> frame;
  // True while native 790 plays a module: a script block of that module
  // must not delete or replace the frame under its own reader.
  bool running = false;
  // The frame pump reported that the program closes: no new run starts
  // (a script going on after its run ended would otherwise load and report
  // modules while the program goes away).
  bool closing = false;
  // Frame option words that the next frame creation copies (native 791).
  std::array<int32_t, TgsFrame::kOptionWords> optionWords{};
  // The result of the last run (ReadText's, or BeginRun's when it failed).
  int32_t frameResult = 0;
};

struct TgsNativeContext {
  TgsFrameSlot* slot = nullptr;
  ScriptAddressSpace* space = nullptr;
  // Given to every frame the natives create.
  TgsFrameEnvironment environment;
  // Where frames read their script files and write their read flags; the
  // platform's files when empty.
  ScriptFileReader readScriptFile;
  ScriptFileWriter writeScriptFile;
  // The application's save-data folder (the read flags go there).
  std::optional<std::string> saveFolder;
  // The display object behind a script handle; nullopt for none or stale.
  std::function<std::optional<TgsCanvasRef>(uint32_t handle)> resolveCanvas;
  // The application's stop request (it also ends the frame pump).
  std::function<bool()> stopRequested;
  // The program is closing, whichever pump saw it (the frame's own, the
  // system menu's, the confirmation box's): no new run starts.
  std::function<bool()> programClosing;
  // Lets go of the in-game confirmation box when a run ends abnormally.
  std::function<void()> releaseConfirmBox;
  // Called on each new frame before it is set up (opcode handlers of the
  // game register here).
  std::function<void(TgsFrame&)> prepareFrame;
  // Stand-ins for the game's control host and factory while the game gives
  // none; the environment then points at them.
  std::unique_ptr<ControlHost> ownControls;
  std::unique_ptr<ControlFactory> ownFactory;
  // The game's system menu, which environment.systemMenu points at; it
  // lives as long as the frames it serves.
  std::unique_ptr<TgsSystemMenuPort> ownSystemMenu;
  // Tells the frame when the display object it draws on is deleted.
  std::unique_ptr<DrawObjectWatcher> canvasWatcher;
};

namespace tgs_natives {

constexpr uint32_t kCreateFrame = 788;
constexpr uint32_t kDeleteFrame = 789;
constexpr uint32_t kRunScript = 790;
constexpr uint32_t kSetFrameOption = 791;

}  // namespace tgs_natives

// The context's frame hears when the display object it draws on is about
// to be deleted from objects, and lets go of it (null: nothing watched).
void WatchFrameCanvas(TgsNativeContext& context, DrawObjectManager* objects);

// 788: argument 2, the display object to draw on (0 none). 0; 1 not a
// canvas; 2 the set-up failed; 3 a damaged "TGS_INIT.DAT"; -1 while a run
// plays (nothing changes) or any other failure.
uint32_t NativeCreateTgsFrame(TgsNativeContext& context, NativeArgs& args);
// 789: deletes the frame; 0. While a run plays nothing changes.
uint32_t NativeDeleteTgsFrame(TgsNativeContext& context, NativeArgs& args);
// 790: i32 mode (negative: resume), string module name. 0; 1 no frame, or
// the run failed while the program goes on; 2 the module cannot load.
uint32_t NativeRunTgsScript(TgsNativeContext& context, NativeArgs& args);
// 791: i32 index, i32 value; indexes 0 to 5 set an option word. 0.
uint32_t NativeSetTgsFrameOption(TgsNativeContext& context, NativeArgs& args);

}  // namespace orrivel
