#include "frame/TgsFrameNatives.h"

#include "platform/TextCodec.h"
#include "frame/MessageWindowState.h"
#include "frame/TgsFrame.h"

namespace orrivel {

namespace {

constexpr char kNoFrame[] = "TGSフレームが初期化されていません。";
constexpr char kScriptFolder[] = "SCRIPT\\";
constexpr char kScriptTable[] = "TGS_INIT.DAT";
constexpr char kReadFlagFile[] = "TEXT_LOG.DAT";
constexpr size_t kModuleNameBytes = 259;

uint32_t Code(int32_t value) { return uint32_t(value); }

std::string LoadFailedMessage(const std::string& cp932Name) {
  return "TGSスクリプト「" + platform::Cp932ToUtf8Lossy(cp932Name) + "」のロードに失敗。";
}

}  // namespace

namespace {

class FrameCanvasWatcher final : public DrawObjectWatcher {
 public:
  explicit FrameCanvasWatcher(TgsFrameSlot& slot) : slot_(slot) {}
  void ImageDeleting(const Image& image) override {
    if (slot_.frame) slot_.frame->ForgetCanvas(&image);
  }

 private:
  TgsFrameSlot& slot_;
};

}  // namespace

void WatchFrameCanvas(TgsNativeContext& context, DrawObjectManager* objects) {
  if (objects == nullptr || context.slot == nullptr) {
    context.canvasWatcher.reset();
    return;
  }
  if (!context.canvasWatcher) context.canvasWatcher = std::make_unique<FrameCanvasWatcher>(*context.slot);
  context.canvasWatcher->Watch(objects);
}

uint32_t NativeCreateTgsFrame(TgsNativeContext& context, NativeArgs& args) {
  TgsFrameSlot& slot = *context.slot;
  if (slot.running) return Code(-1);
  slot.frame.reset();
  const uint32_t handle = args.Cell(2);
  if (args.Failed()) return Code(-1);
  auto frame = std::make_unique<TgsFrame>(*context.space, context.environment);
  if (context.readScriptFile) frame->SetFileReader(context.readScriptFile);
  if (context.writeScriptFile) frame->SetFileWriter(context.writeScriptFile);
  if (context.prepareFrame) context.prepareFrame(*frame);

  std::optional<TgsCanvasRef> canvas;
  if (handle) {
    canvas = context.resolveCanvas ? context.resolveCanvas(handle) : std::nullopt;
    if (!canvas || canvas->kind != int32_t(TgsFrame::kCanvasKind)) return 1;
  }
  if (frame->SetupMessageWindow(canvas ? &*canvas : nullptr) != 0) return 2;
  frame->OptionWords() = slot.optionWords;
  frame->SetFolder(kScriptFolder);
  // A missing table (1) leaves the frame without one.
  if (frame->LoadInit(kScriptTable) > 1) return 3;
  frame->SetSaveFolder(context.saveFolder);
  frame->SetLogFileName(kReadFlagFile);
  frame->LoadReadFlags(std::nullopt);
  slot.frame = std::move(frame);
  return 0;
}

uint32_t NativeDeleteTgsFrame(TgsNativeContext& context, NativeArgs&) {
  TgsFrameSlot& slot = *context.slot;
  if (!slot.running) slot.frame.reset();
  return 0;
}

uint32_t NativeRunTgsScript(TgsNativeContext& context, NativeArgs& args) {
  TgsFrameSlot& slot = *context.slot;
  TgsFrame* frame = slot.frame.get();
  if (!frame) {
    ShowTgsMessage(context.environment, kNoFrame);
    return 1;
  }
  // A module cannot start a run of its own from inside a script block.
  if (slot.running || slot.closing) return 1;
  if (context.programClosing && context.programClosing()) return 1;
  const int32_t mode = args.Int(0);
  if (mode >= 0) {
    const std::string name = args.String(1, kModuleNameBytes);
    if (args.Failed()) return 2;
    if (frame->LoadScriptByName(name) != 0) {
      ShowTgsMessage(context.environment, LoadFailedMessage(name));
      return 2;
    }
  }
  slot.running = true;
  int32_t result = frame->BeginRun(mode < 0);
  if (result == 0) result = frame->ReadText();
  slot.running = false;
  slot.frameResult = result;

  if (result == TgsFrame::kReadFailed) {
    // Failed while the program goes on: the frame stays as it stands.
    if (!context.stopRequested || !context.stopRequested()) return 1;
  }
  // A suspended run keeps its modules for a later resume; the pointer a
  // page hid comes back meanwhile.
  if (result == TgsFrame::kSuspend) {
    frame->WindowState().RestoreMenuState();
    return 0;
  }
  // A run stopped by a handler (1, 3 and above) or by the program closing
  // may have left the confirmation box up; the end of the text (0), the
  // errors below -1 and result 2 leave it alone.
  const bool stopped = result == TgsFrame::kReadFailed || result == 1 || result > 2;
  if (stopped && context.releaseConfirmBox) context.releaseConfirmBox();
  frame->EndRun();
  return 0;
}

uint32_t NativeSetTgsFrameOption(TgsNativeContext& context, NativeArgs& args) {
  const int32_t index = args.Int(0);
  const int32_t value = args.Int(1);
  if (!args.Failed() && index >= 0 && uint32_t(index) < TgsFrame::kOptionWords)
    context.slot->optionWords[size_t(index)] = value;
  return 0;
}

}  // namespace orrivel
