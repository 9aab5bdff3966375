// The frame's side of the text history: the history window in which pages
// are measured and the history screen drawn, the recording of pages and
// choices, and the history screen itself.
#include <string>
#include <utility>

#include "base/TickSource.h"
#include "frame/HistorySceneCanvas.h"
#include "frame/MessageTextWindow.h"
#include "frame/MessageWindowState.h"
#include "frame/TextHistoryScreen.h"
#include "frame/TgsFrame.h"
#include "frame/TgsScreenTransitions.h"
#include "platform/TextCodec.h"
#include "raster/SpriteList.h"
#include "text/OutlineFont.h"

namespace orrivel {
namespace {

// Settings byte: no animation of the message window and no fades.
constexpr size_t kSettingNoFades = 189;
// The message window goes away this fast before the screen fades in.
constexpr uint32_t kMessageFadeMs = 100;
// Below the line controls of the screen.
constexpr int32_t kHistoryWindowOrder = TextHistoryScreen::kLineOrder - 2;
// A page's recorded height is its laid-out height and this.
constexpr int32_t kHeightExtra = 4;

// Holds a flag of the frame on for as long as it lives.
class FlagOn {
 public:
  explicit FlagOn(bool& flag) : flag_(flag), was_(std::exchange(flag, true)) {}
  ~FlagOn() { flag_ = was_; }
  FlagOn(const FlagOn&) = delete;
  FlagOn& operator=(const FlagOn&) = delete;

 private:
  bool& flag_;
  bool was_;
};

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
  int32_t lines;
  {
    // The page's commands act on the history window and fonts, as they
    // will when the screen draws the page.
    FlagOn measuring(measuringHistory_);
    lines = window->MeasurePage(reinterpret_cast<const char*>(text.data()), text.size(), &extent, true, true);
  }
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
  // The main window's menu bar greys what must not run over the screen,
  // and brings it back however the screen ends.
  TgsPlayerServices& player = environment_.player;
  if (player.modalScreenMenu) player.modalScreenMenu(true);
  struct MenuBack {
    TgsPlayerServices& player;
    ~MenuBack() {
      if (player.modalScreenMenu) player.modalScreenMenu(false);
    }
  } menuBack{player};
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
  hooks.closeSound = [this] { PlayClickSound(kClickChannel); };
  // A replayed voice's scene takes the whole screen behind the list, on a
  // canvas of its own, for as long as the screen is up; a transition still
  // running on the frame's canvas ends first.
  HistorySceneCanvas sceneCanvas(environment_.screen);
  hooks.showScene = [this, &sceneCanvas](const HistorySceneRecord& scene) {
    if (!sceneCanvas.Shown() && transitions_) transitions_->StopRunningTransition();
    return sceneCanvas.Show(scene);
  };
  int32_t result;
  {
    // History mode: the page commands of the drawn pages act on the
    // history window and fonts, never on the hidden message window.
    FlagOn historyMode(historyMode_);
    TextHistoryScreen screen(history_, *window, *list, *environment_.controls, std::move(hooks));
    result = screen.Open(fades);
    if (result == 0) result = screen.Run(fades);
  }
  sceneCanvas.Restore();
  if (messageShown) windowState_->ShowMessageWindow(true, false);
  return result;
}

}  // namespace orrivel
