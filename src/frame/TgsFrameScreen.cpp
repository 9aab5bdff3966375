// The frame's parts on the screen: its canvases and the screen image, the
// page and history fonts, the cursor strips, and per run the frame and bar
// pictures, the ten bar buttons of "SYS/SYS_FRAM.GMP" and the full-screen
// hot spot. Everything a run makes, the end of the run takes away again.
#include <cstring>

#include "display/DisplayScreenDevice.h"
#include "frame/MessageTextWindow.h"
#include "frame/MessageWindowState.h"
#include "frame/TgsFrame.h"
#include "frame/TgsLayerSets.h"
#include "frame/TgsScreenTransitions.h"
#include "platform/TextCodec.h"
#include "raster/Surface.h"
#include "resource/LgmFile.h"
#include "resource/WholeFile.h"
#include "scene/ButtonControl.h"
#include "scene/CanvasDrawImage.h"
#include "scene/ControlFactory.h"
#include "scene/ControlHost.h"
#include "scene/HotSpotControl.h"
#include "scene/ImageSprite.h"
#include "scene/SpriteCanvas.h"
#include "text/OutlineFont.h"
#include "text/SurfaceText.h"

namespace orrivel {

namespace {

constexpr int32_t kControlGroup = 1000;
constexpr uint32_t kWindowPriority = 10000;
constexpr int32_t kBarY = 688;
constexpr uint8_t kCanvasDepth = 32;
constexpr uint8_t kCanvasWithOverlay = 2;
constexpr char kFramePicture[] = "SYS/MS_FRM.ELG";
constexpr char kBarPicture[] = "SYS/MS_BAR.ELG";
constexpr const char* kCursorPictures[] = {"SYS/MS_CUR0.ELG", "SYS/MS_CUR1.ELG"};
constexpr char kButtonLayout[] = "SYS/SYS_FRAM.GMP";
constexpr char kPageFace[] = "ＭＳ ゴシック";
constexpr char kHistoryFace[] = "ＭＳＰ ゴシック";
constexpr int32_t kPageSizes[] = {26, 13};
constexpr uint32_t kGradientTop = 0xFFEB00;
constexpr uint32_t kGradientBottom = 0xFF4646;
constexpr int32_t kEdgeWidth = 2;
constexpr int32_t kShadow = 2;
constexpr const char* kTooltips[TgsFrame::kBarButtons] = {
    "クイックセーブ", "クイックロード", "前の選択肢に戻る", "セーブ",     "ロード",
    "次の選択肢までスキップ", "オートプレイ", "テキスト履歴", "環境設定", "ウィンドウを消去",
};
// Settings bytes of the fonts.
constexpr size_t kSettingFace = 36;
constexpr size_t kSettingFaceBytes = 32;
constexpr size_t kSettingShadow = 68;
constexpr size_t kSettingGradient = 69;
constexpr size_t kSettingEdgeStyle = 70;
constexpr size_t kSettingWeight1 = 71;
constexpr size_t kSettingWeight2 = 72;

std::string Cp932(const char* utf8) { return platform::Utf8ToCp932Lossy(utf8); }

void SetWhiteOnBlack(OutlineFont& font) {
  font.textRed = font.textGreen = font.textBlue = 255;
  font.effectRed = font.effectGreen = font.effectBlue = 0;
}

// The history's face at its size and normal weight, or the page face
// where it is not installed.
void SetHistoryFace(OutlineFont& font, int32_t size) {
  if (font.SetFont(size, 0, 0, Cp932(kHistoryFace).c_str()) != 0) font.SetFont(size, 0, 0, Cp932(kPageFace).c_str());
}

}  // namespace

std::optional<std::vector<uint8_t>> TgsFrame::ReadGameFile(const std::string& path) const {
  if (environment_.readGameFile) return environment_.readGameFile(path);
  std::vector<uint8_t> bytes;
  try {
    if (!LoadWholeFile(path, &bytes)) return std::nullopt;
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
  return bytes;
}

int32_t TgsFrame::SetupScreen(const TgsCanvasRef* canvas) {
  if (canvas) {
    if (!canvas->object || !canvas->object->GetCanvas() || canvas->width == 0 || canvas->height == 0) return 2;
    // The window parts must stay on the display the player sees when a
    // transition or a flip hands its canvas to the back display: a canvas
    // made without an overlay list gets one, as the frame's own have. The
    // canvas keeps it (empty) after the frame is gone.
    if (canvas->object->AddOverlayList() != 0)
      Log("no overlay list for the given canvas: the window goes with its picture on a transition");
    canvas_ = *canvas;
    ownsCanvases_ = false;
  } else {
    for (auto& own : ownCanvases_) {
      own = std::make_unique<CanvasDrawImage>();
      if (own->Load(int32_t(kScreenWidth), int32_t(kScreenHeight), kCanvasDepth, kCanvasWithOverlay) != 0) {
        for (auto& made : ownCanvases_) made.reset();
        return 2;
      }
    }
    canvas_ = TgsCanvasRef{0, int32_t(kCanvasKind), kScreenWidth, kScreenHeight, ownCanvases_[0].get()};
    ownsCanvases_ = true;
  }
  if (environment_.screen) {
    previousScreen_.Remember(*environment_.screen);
    environment_.screen->AttachScreenImage(canvas_.object);
  }
  for (size_t i = 0; i < cursors_.size(); ++i) {
    cursors_[i] = std::make_unique<Surface>();
    if (cursors_[i]->LoadImage(kCursorPictures[i], nullptr, 0, 0) != 0) cursors_[i].reset();
  }
  SetupFonts();
  return 0;
}

void TgsFrame::SetupFonts() {
  const std::string page = Cp932(kPageFace);
  for (int i = 0; i < 2; ++i) {
    auto& font = fonts_[kPageFont1 + i];
    font = std::make_unique<OutlineFont>();
    font->SetFont(kPageSizes[i], 0, 0, page.c_str());
    SetWhiteOnBlack(*font);
    font->SetGradient(1, kGradientTop, kGradientBottom, 1);
  }
  for (int i = 0; i < 2; ++i) {
    auto& font = fonts_[kHistoryFont1 + i];
    font = std::make_unique<OutlineFont>();
    // No gradient: the history shows each page in the colours its own
    // commands ask for, white where they ask for none.
    SetHistoryFace(*font, kPageSizes[i]);
    SetWhiteOnBlack(*font);
    font->SetEdge(font->EdgeStrength(), kEdgeWidth);
    font->shadowX = font->shadowY = kShadow;
  }
  SetDefaultFont(fonts_[kPageFont1].get());
}

void TgsFrame::ApplyFontSettings() {
  // The player's face (a NUL-terminated name in the settings), the edge
  // style, the gradient and the shadow distance go to both page fonts.
  std::string face;
  for (size_t i = kSettingFace; i < kSettingFace + kSettingFaceBytes && Setting(i); ++i) face += char(Setting(i));
  const uint8_t weights[] = {Setting(kSettingWeight1), Setting(kSettingWeight2)};
  for (int i = 0; i < 2; ++i) {
    OutlineFont* font = fonts_[kPageFont1 + i].get();
    if (!font) continue;
    if (!face.empty()) font->SetFaceName(face.c_str());
    font->effectMode = Setting(kSettingEdgeStyle);
    font->SetGradient(Setting(kSettingGradient) ? 1 : 0, kGradientTop, kGradientBottom, 1);
    font->SetEdge(font->EdgeStrength(), kEdgeWidth);
    font->shadowX = font->shadowY = Setting(kSettingShadow) * 2;
    font->SetFont(kPageSizes[i], weights[i], 0, nullptr);
  }
}

void TgsFrame::RestorePageFonts() {
  if (!pageFontMarker_) return;
  const uint8_t marker = pageFontMarker_;
  pageFontMarker_ = 0;
  for (uint32_t i = 0; i < 2; ++i)
    if (OutlineFont* font = FontInUse(i)) SetWhiteOnBlack(*font);
  if (!FontInUse(0)) return;
  if (InHistoryMode()) {
    // The history fonts come back as they were made.
    if (marker & 2) {
      for (uint32_t i = 0; i < 2; ++i)
        if (OutlineFont* font = FontInUse(i)) SetHistoryFace(*font, kPageSizes[i]);
    } else {
      FontInUse(0)->SetHeight(kPageSizes[0]);
    }
    return;
  }
  if (marker & 2) {
    // A face was changed: both page fonts come back at their sizes with the
    // player's weights and face.
    ApplyFontSettings();
  } else {
    fonts_[kPageFont1]->SetHeight(kPageSizes[0]);
  }
}

SpriteList* TgsFrame::WindowList() const {
  if (!canvas_.object) return nullptr;
  if (SpriteList* overlay = canvas_.object->GetOverlayList()) return overlay;
  SpriteCanvas* canvas = canvas_.object->GetCanvas();
  return canvas ? &canvas->MainList() : nullptr;
}

std::unique_ptr<ImageSprite> TgsFrame::MakeSprite(std::unique_ptr<Surface>& surface, const char* name, int32_t x,
                                                  int32_t y) {
  SpriteList* list = WindowList();
  if (!list) return nullptr;
  surface = std::make_unique<Surface>();
  if (surface->LoadImage(name, nullptr, 0, 0) != 0) {
    Log(std::string(name) + ": picture not loaded");
    surface.reset();
    return nullptr;
  }
  auto sprite = std::make_unique<ImageSprite>();
  if (sprite->SetImage(surface.get(), nullptr, x, y) != 0 ||
      list->Add(sprite.get(), kWindowPriority, 0) != 0) {
    surface.reset();
    return nullptr;
  }
  sprite->SetOpacity(255);
  return sprite;
}

void TgsFrame::LoadBarButtons() {
  barButtons_.fill(nullptr);
  hotSpot_ = nullptr;
  ControlFactory* factory = environment_.factory;
  SpriteCanvas* canvas = canvas_.object ? canvas_.object->GetCanvas() : nullptr;
  if (!factory || !canvas) return;
  const auto bytes = ReadGameFile(kButtonLayout);
  LgmFile layout;
  if (!bytes || ParseLgm(bytes->data(), bytes->size(), LgmRecordForm::kControl, &layout) != kLgmParseOk) {
    Log(std::string(kButtonLayout) + ": no bar buttons");
    layout.parts.clear();
  }
  // The controls go to the frame's canvas, in the frame's control group,
  // and stand with the window.
  const ControlFactoryScope scope(*factory, canvas, kControlGroup);
  for (size_t i = 0; i < layout.parts.size() && i < kBarButtons; ++i) {
    const LgmPart& part = layout.parts[i];
    const std::string name = ResolveLgmName(kButtonLayout, part.name);
    ButtonControl* button = nullptr;
    if (factory->CreateImageButton(&button, part.x, part.y, name.c_str(), true, true, 0, 255, -1, -1,
                                   int32_t(kWindowPriority)) != 0) {
      Log(name + ": bar button not made");
      continue;
    }
    button->SetName(Cp932(kTooltips[i]).c_str());
    // A click reports the button's number, which is the player action it
    // runs.
    button->SetTag(int32_t(i));
    if (environment_.controls) environment_.controls->AddControl(button, -1);
    barButtons_[i] = button;
  }
  if (factory->CreateHotSpot(&hotSpot_, 0, 0, int32_t(kScreenWidth), int32_t(kScreenHeight), 0, 0, 1, 1, 0) != 0)
    hotSpot_ = nullptr;
  else if (environment_.controls)
    environment_.controls->AddControl(hotSpot_, -1);
}

void TgsFrame::BuildRunScreen() {
  // A resumed run finds the parts of the run it continues.
  ReleaseRunScreen();
  frameSprite_ = MakeSprite(framePicture_, kFramePicture, 0, 0);
  // The frame picture stands on the bar, under the message window.
  if (frameSprite_) frameSprite_->SetPosition(0, kBarY - framePicture_->GetHeight());
  barSprite_ = MakeSprite(barPicture_, kBarPicture, 0, kBarY);
  LoadBarButtons();
  if (SpriteList* list = WindowList()) windowState_->BuildWindows(list, kWindowPriority, kBarY);
}

void TgsFrame::ReleaseBarControls() {
  if (environment_.controls) {
    for (ButtonControl* button : barButtons_)
      if (button) environment_.controls->RemoveControl(button);
    if (hotSpot_) environment_.controls->RemoveControl(hotSpot_);
  }
  if (environment_.factory) environment_.factory->DeleteByGroup(kControlGroup, false);
  barButtons_.fill(nullptr);
  hotSpot_ = nullptr;
}

void TgsFrame::TakeOutRunSprites() {
  for (ImageSprite* sprite : {frameSprite_.get(), barSprite_.get()})
    if (sprite && sprite->OwningList()) sprite->OwningList()->Remove(sprite);
}

void TgsFrame::ReleaseRunScreen() {
  windowState_->ReleaseWindows();
  ReleaseBarControls();
  TakeOutRunSprites();
  frameSprite_.reset();
  barSprite_.reset();
  framePicture_.reset();
  barPicture_.reset();
}

bool TgsFrame::ForgetCanvas(const Image* image) {
  // A canvas image is an image and a canvas object side by side.
  if (image == nullptr || ownsCanvases_ || canvas_.object == nullptr ||
      dynamic_cast<const CanvasDrawObject*>(image) != canvas_.object)
    return false;
  Log("the frame's canvas was deleted: the frame shows nothing until it is made again");
  DetachCanvasFromScreen();
  // Everything of the frame leaves the canvas's lists while they still
  // exist. The windows and sprites themselves stay until the run is over,
  // as a page or a wait in progress may be holding them.
  windowState_->ReleaseWindowActions(-1);
  windowState_->LeaveCanvas();
  if (historyWindow_) historyWindow_->LeaveSpriteList();
  TakeOutRunSprites();
  ReleaseChoiceButtons();
  ReleaseBarControls();
  // The layer sets draw on the canvas: they start again on none.
  transitions_.reset();
  layers_.reset();
  backDisplay_.reset();
  canvas_ = TgsCanvasRef{};
  SetupLayers();
  return true;
}

void TgsFrame::DetachCanvasFromScreen() {
  if (environment_.screen && canvas_.object && environment_.screen->GetScreenImage() == canvas_.object) {
    if (ownsCanvases_)
      previousScreen_.GiveBackTo(*environment_.screen);
    else
      environment_.screen->AttachScreenImage(nullptr);
  }
  previousScreen_.Forget();
}

void TgsFrame::ReleaseScreen() {
  ReleaseRunScreen();
  DetachCanvasFromScreen();
  for (auto& own : ownCanvases_) own.reset();
  ownsCanvases_ = false;
  canvas_ = TgsCanvasRef{};
  if (DefaultFont() == fonts_[kPageFont1].get()) SetDefaultFont(nullptr);
  for (auto& font : fonts_) font.reset();
  for (auto& cursor : cursors_) cursor.reset();
}

}  // namespace orrivel
