// The frame's side of the text history: the history window in which pages
// are measured and the history screen drawn, the recording of pages and
// choices, and the history screen itself.
#include <string>

#include "base/TickSource.h"
#include "frame/MessageTextWindow.h"
#include "frame/MessageWindowState.h"
#include "frame/SceneSnapshot.h"
#include "frame/TextHistoryScreen.h"
#include "frame/TgsFrame.h"
#include "platform/TextCodec.h"
#include "raster/SpriteList.h"
#include "raster/Surface.h"
#include "scene/CanvasDrawObject.h"
#include "scene/ImageSprite.h"
#include "scene/SpriteCanvas.h"
#include "text/OutlineFont.h"

namespace orrivel {
namespace {

// Settings byte: no animation of the message window and no fades.
constexpr size_t kSettingNoFades = 189;
// The message window goes away this fast before the screen fades in.
constexpr uint32_t kMessageFadeMs = 100;
// Below the line controls of the screen.
constexpr int32_t kHistoryWindowOrder = TextHistoryScreen::kLineOrder - 2;
// Behind the list and its window, in front of the frame's layers.
constexpr uint32_t kSceneOrder = TextHistoryScreen::kLineOrder + 500;
// A page's recorded height is its laid-out height and this.
constexpr int32_t kHeightExtra = 4;

}  // namespace

MessageTextWindow* TgsFrame::HistoryWindow() {
  if (historyWindow_) return historyWindow_.get();
  // The screen stands over the page with the message window and its bar.
  SpriteList* list = WindowList();
  OutlineFont* font = GetFont(kHistoryFont1);
  if (!list || !font) return nullptr;
  auto window = std::make_unique<MessageTextWindow>();
  if (window->Create(list, kHistoryWindowOrder, TextHistoryScreen::kListWidth,
                     TextHistoryScreen::kVisibleHeight, TextHistoryScreen::kListX, TextHistoryScreen::kListY, font,
                     GetFont(kHistoryFont2), 0) != 0)
    return nullptr;
  window->SetMargins(TextHistoryScreen::kTextInset, 0, 0, 0, false);
  window->SetRubyEnabled(true);
  // Quoted speech hangs under its opening bracket.
  window->SetIndentChars(platform::Utf8ToCp932Lossy("「").c_str());
  window->SetCommandRunner([this](const uint8_t* record, size_t available, size_t& taken) {
    return ReplayPageCommand(record, available, taken);
  });
  window->SetColourRestorer([this] { RestorePageFonts(); });
  window->SetVisible(false);
  historyWindow_ = std::move(window);
  return historyWindow_.get();
}

int32_t TgsFrame::RecordPageInHistory(std::span<const uint8_t> text, const std::string& name,
                                      const std::string& voice, uint8_t group) {
  if (history_.Capacity() < 1) return 2;
  MessageTextWindow* window = HistoryWindow();
  if (!window) return 2;
  Rect extent;
  const int32_t lines =
      window->MeasurePage(reinterpret_cast<const char*>(text.data()), text.size(), &extent, true, true);
  if (lines <= 0) return 1;
  history_.AddEntry(text.data(), uint32_t(text.size()), extent.Height() + kHeightExtra, name.c_str(), voice.c_str(),
                    group);
  return 0;
}

int32_t TgsFrame::RecordChoicesInHistory(const std::vector<std::pair<std::string, bool>>& choices) {
  historyChoice_.reset();
  if (const int32_t begun = history_.BeginChoices(int32_t(choices.size()))) return begun;
  for (const auto& [text, enabled] : choices) history_.AddChoice(text.c_str(), enabled);
  uint32_t serial = 0;
  if (history_.EndChoices(&serial) == 0) historyChoice_ = serial;
  return 0;
}

void TgsFrame::RecordChoiceTaken(int32_t index) {
  // The entry may have left the ring since (a smaller history set while
  // the choice waited): then nothing is written.
  if (historyChoice_) history_.SetChoiceTaken(*historyChoice_, index);
  historyChoice_.reset();
}

int32_t TgsFrame::ShowTextHistory() {
  SpriteList* list = WindowList();
  MessageTextWindow* window = HistoryWindow();
  if (!list || !window || !environment_.controls) return -1;
  const bool fades = !Setting(kSettingNoFades);
  // The main window's menu state comes back for the modal screen (a page
  // may have switched it off); nothing on the screen switches it off again.
  windowState_->RestoreMenuState();
  const bool messageShown = windowState_->Record().visible;
  if (messageShown) {
    if (!fades) windowState_->ShowMessageWindow(false, false);
    else if (windowState_->FadeMessageWindow(false, kMessageFadeMs, false) < 0) return -1;
  }

  TextHistoryScreen::Hooks hooks;
  hooks.pumpFrame = [this] { return !environment_.pumpFrame || environment_.pumpFrame() != 0; };
  hooks.now = [] { return CurrentTickMs(); };
  hooks.replayVoice = [this](const std::string& voice) { ReplayHistoryVoice(voice); };
  hooks.log = [this](const std::string& line) { Log(line); };
  // A replayed voice's scene shows behind the list, over the layers, for
  // as long as the screen is up.
  Surface scenePicture;
  ImageSprite sceneSprite;
  hooks.showScene = [&](const HistorySceneRecord& scene) {
    if (RenderSceneSnapshot(scene, scenePicture) != 0) return;
    if (sceneSprite.OwningList() == nullptr) {
      if (sceneSprite.SetImage(&scenePicture, nullptr, 0, 0) != 0) return;
      list->Add(&sceneSprite, kSceneOrder, 0);
    }
    sceneSprite.ReplaceSurface(&scenePicture);
    sceneSprite.SetVisible(1);
  };
  int32_t result;
  {
    TextHistoryScreen screen(history_, *window, *list, *environment_.controls, std::move(hooks));
    result = screen.Open(fades);
    if (result == 0) result = screen.Run(fades);
  }
  if (SpriteList* list = sceneSprite.OwningList()) list->Remove(&sceneSprite);
  if (messageShown) windowState_->ShowMessageWindow(true, false);
  return result;
}

}  // namespace orrivel
