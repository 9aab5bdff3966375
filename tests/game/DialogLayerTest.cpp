// The engine-drawn dialogs: the layer that shows them over their owner's
// game screen, and the settings sheet's pages as the player sees them.
#include "game/DialogLayer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

#include "../scene/GoldenSupport.h"
#include "base/ActionMap.h"
#include "base/InputManager.h"
#include "base/JoystickSlots.h"
#include "game/DrawnDialogs.h"
#include "game/GameApplication.h"
#include "game/SettingsSheet.h"
#include "game/SettingsSheetLayout.h"
#include "game/SettingsSheetWindow.h"
#include "game/TextInputDialog.h"
#include "platform/Backend.h"
#include "platform/InputSource.h"
#include "platform/Messages.h"
#include "platform/TextCodec.h"
#include "platform/headless/HeadlessBackend.h"
#include "platform/headless/HeadlessInput.h"

namespace orrivel {
namespace {

using platform::DialogControl;
using platform::DialogControlKind;
using platform::DialogRequest;
using platform::Point;
using platform::WindowId;

std::string Cp932(const char* utf8) { return platform::Utf8ToCp932Lossy(utf8); }

class PlainWindow final : public platform::WindowClient {
 public:
  intptr_t WindowProcedure(WindowId window, uint32_t message, uintptr_t wParam, intptr_t lParam) override {
    return platform::CurrentBackend().DefWindowProc(window, message, wParam, lParam);
  }
};

// A shown game window, 640 x 480 at (100, 50), showing a striped game frame.
class GameScreen {
 public:
  explicit GameScreen(platform::HeadlessBackend& backend) : backend_(backend) {
    backend.RegisterClass(platform::WindowClass{"TestGame"});
    platform::WindowCreateParams params;
    params.className = "TestGame";
    params.style = platform::WS_POPUP;
    params.x = 100;
    params.y = 50;
    params.width = 640;
    params.height = 480;
    params.client = &client_;
    window = backend.CreateWindow(params);
    backend.ShowWindow(window, platform::SW_SHOW);
    frame.Create(640, 480, platform::SurfaceFormat::X8R8G8B8);
    platform::SurfaceLock lock;
    frame.Lock(nullptr, &lock);
    for (int32_t y = 0; y < 480; ++y) {
      auto* row = reinterpret_cast<uint32_t*>(lock.bits + size_t(y) * lock.pitch);
      for (int32_t x = 0; x < 640; ++x) row[x] = ((x / 16 + y / 16) % 2) ? 0x203050 : 0x604020;
    }
    frame.Unlock();
    const platform::Rect all{0, 0, 640, 480};
    backend.Frames().Present(window, frame, all, nullptr, {});
  }
  std::vector<uint32_t> Shown() const { return backend_.Frames().LastFrame(window)->pixels; }
  // A part of what the window shows, as a surface for a golden picture.
  void Crop(const platform::Rect& part, Surface& out) const {
    const auto* shown = backend_.Frames().LastFrame(window);
    ASSERT_NE(shown, nullptr);
    ASSERT_EQ(out.Create(part.Width(), part.Height(), 32, 0), 0);
    for (int32_t y = part.top; y < part.bottom; ++y) {
      std::memcpy(out.GetScanLine(y - part.top), &shown->pixels[size_t(y) * shown->width + part.left],
                  size_t(part.Width()) * 4);
    }
  }

  WindowId window = platform::kNoWindow;
  platform::SoftSurface frame;

 private:
  platform::HeadlessBackend& backend_;
  PlainWindow client_;
};

DialogRequest SampleDialog(WindowId owner, platform::Rect rect) {
  DialogRequest request;
  request.owner = owner;
  request.caption = Cp932("確認");
  request.rect = rect;
  auto add = [&](uint16_t id, DialogControlKind kind, platform::Rect r, const char* text) {
    DialogControl control;
    control.id = id;
    control.kind = kind;
    control.rect = r;
    control.text = Cp932(text);
    request.controls.push_back(control);
  };
  // A text far longer than its control: it is cut at the control's edge.
  add(1012, DialogControlKind::Text, {10, 10, 150, 30}, "とても長い文章がここに入ります。とても長い文章です。");
  add(1013, DialogControlKind::CheckBox, {10, 36, 190, 54}, "今後、このメッセージを表示しない");
  add(1, DialogControlKind::Button, {20, 64, 90, 88}, "はい");
  add(2, DialogControlKind::Button, {110, 64, 180, 88}, "いいえ");
  return request;
}

// Every pixel the layer changes lies in the area it reports, and that area
// is the dialog's whole frame (cut to the owner's client area).
TEST(DialogLayer, DrawsOnlyInsideTheAreaItPresents) {
  platform::HeadlessBackend backend;
  platform::ScopedBackend scoped(backend);
  GameScreen game(backend);
  struct Case {
    Point clientTopLeft;  // the dialog's client area, in desktop coordinates
    platform::Rect expected;
  };
  const Case cases[] = {
      {{300, 200}, {199, 129, 199 + 202, 129 + 122}},  // inside the game screen
      {{80, 40}, {0, 0, 181, 91}},                              // over its top-left corner: cut
      {{690, 480}, {589, 409, 640, 480}},                       // over its bottom-right corner: cut
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.clientTopLeft.x << "," << c.clientTopLeft.y);
    game.frame.ColorFill(nullptr, 0);
    backend.Frames().Present(game.window, game.frame, {0, 0, 640, 480}, nullptr, {});
    const std::vector<uint32_t> before = game.Shown();
    DialogLayer layer;
    const DialogRequest request = SampleDialog(
        game.window, {c.clientTopLeft.x, c.clientTopLeft.y, c.clientTopLeft.x + 200, c.clientTopLeft.y + 100});
    const platform::Rect dirty = layer.Show(request);
    EXPECT_EQ(dirty, c.expected);
    EXPECT_EQ(layer.Target(), game.window);
    EXPECT_EQ(backend.Frames().LastFrame(game.window)->lastDirty, dirty);
    const std::vector<uint32_t> after = game.Shown();
    size_t changed = 0;
    for (int32_t y = 0; y < 480; ++y) {
      for (int32_t x = 0; x < 640; ++x) {
        if (before[size_t(y) * 640 + x] == after[size_t(y) * 640 + x]) continue;
        ++changed;
        ASSERT_TRUE(x >= dirty.left && x < dirty.right && y >= dirty.top && y < dirty.bottom) << x << "," << y;
      }
    }
    EXPECT_GT(changed, 0u);
    // The same dialog again draws nothing; closing it lets the game repaint.
    const uint32_t presents = backend.Frames().LastFrame(game.window)->count;
    EXPECT_TRUE(layer.Show(request).IsEmpty());
    EXPECT_EQ(backend.Frames().LastFrame(game.window)->count, presents);
    layer.Hide();
    EXPECT_TRUE(backend.IsInvalid(game.window));
    backend.BeginPaint(game.window);
    backend.EndPaint(game.window);
  }
}

// Without a shown owner the dialog fills its own window; with neither it
// shows nowhere.
TEST(DialogLayer, WithoutAnOwnerTheDialogHasItsOwnWindow) {
  platform::HeadlessBackend backend;
  platform::ScopedBackend scoped(backend);
  GameScreen own(backend);
  DialogLayer layer;
  DialogRequest request = SampleDialog(platform::kDesktopWindow, {10, 10, 210, 110});
  EXPECT_TRUE(layer.Show(request).IsEmpty());
  EXPECT_EQ(layer.Show(request, own.window), (platform::Rect{0, 0, 202, 122}));
  const auto* shown = backend.Frames().LastFrame(own.window);
  ASSERT_NE(shown, nullptr);
  EXPECT_EQ(shown->width, 202);
  EXPECT_EQ(shown->height, 122);
}

using Page = SettingsSheet::Page;

// Each page of the settings sheet as it opens over the game, drawn by the
// engine; the pictures were checked by eye once.
TEST(SettingsSheetPictures, EachPageLooksRight) {
  JoystickSlots::Reset();
  platform::HeadlessBackend backend;
  platform::ScopedBackend scopedBackend(backend);
  platform::HeadlessInput source;
  platform::ScopedInputSource scopedSource(source);
  GameScreen game(backend);
  GameApplication app;
  ASSERT_EQ(app.Input().CreateDevices(1), 0);
  app.Input().Activate();
  ASSERT_EQ(app.Input().CreateActionMap(20, &app.actions), 0);
  AppSettings::AppConfigBlock& block = app.settings.blocks.appConfig;
  block = SettingsSheet::Defaults(AppSettings::AppConfigBlock{}, false);
  block[16] = 0;  // hints off: their delay slider is greyed
  const char* names[] = {"settings_sheet_keyboard", "settings_sheet_input", "settings_sheet_other",
                         "settings_sheet_window"};
  for (int page = 0; page < 4; ++page) {
    SCOPED_TRACE(page);
    SettingsSheet::Services services;
    services.monitorNames = {Cp932("モニタ一")};
    SettingsSheet sheet(block, app.settingsSheet, std::move(services));
    SettingsSheetWindow window;
    platform::Rect placed;
    window.onOpen = [&](WindowId id) {
      placed = backend.GetWindowRect(id);
      backend.PostMessage(id, platform::WM_COMMAND, SettingsSheetWindow::kFirstPageCommand + page, 0);
      // The second field has the focus.
      backend.PostMessage(id, platform::WM_COMMAND,
                          (SettingsSheetWindow::kSetFocusNotify << 16) | (SettingsSheetWindow::kFirstFieldId + 1), 0);
      backend.PostMessage(id, platform::WM_COMMAND, SettingsSheetWindow::kCancelId, 0);
    };
    EXPECT_EQ(window.Run(sheet, game.window, nullptr, false), 0);
    EXPECT_EQ(window.Layer().Target(), platform::kNoWindow);
    EXPECT_TRUE(backend.IsInvalid(game.window));
    // The sheet sat centred on the game, and what it drew is still shown.
    const Point at = backend.ScreenToClient(game.window, Point{placed.left, placed.top});
    EXPECT_EQ(at, (Point{110, 40}));
    Surface shot;
    game.Crop({at.x, at.y, at.x + SettingsSheetWindow::kWidth, at.y + SettingsSheetWindow::kHeight}, shot);
    test::ExpectGolden(shot, names[page], "game");
  }
  JoystickSlots::Reset();
}

// The controls follow the working copy: values, choices and enabled states.
TEST(SettingsSheetPictures, ControlsFollowTheSheet) {
  AppSettings::AppConfigBlock block = SettingsSheet::Defaults(AppSettings::AppConfigBlock{}, false);
  SettingsSheet::Memory memory;
  SettingsSheet::Services services;
  services.moviesAvailable = false;
  SettingsSheet sheet(block, memory, std::move(services));
  sheet.Open();
  auto find = [](const DialogRequest& request, uint16_t id, DialogControlKind kind) {
    for (const DialogControl& control : request.controls)
      if (control.id == id && control.kind == kind) return control;
    ADD_FAILURE() << "no control " << id;
    return DialogControl{};
  };
  DialogRequest shown = LayOutSettingsSheet(sheet, false);
  EXPECT_EQ(shown.templateId, 135);
  EXPECT_EQ(find(shown, 1054, DialogControlKind::Edit).text, "Z");
  EXPECT_TRUE(find(shown, 1073, DialogControlKind::Radio).checked);  // Ctrl skips
  EXPECT_TRUE(find(shown, SettingsSheetLayout::kFirstTabId, DialogControlKind::Tab).checked);

  sheet.ShowPage(Page::kInputPage);
  shown = LayOutSettingsSheet(sheet, false);
  EXPECT_FALSE(find(shown, 1068, DialogControlKind::CheckBox).enabled);  // no joystick
  EXPECT_FALSE(find(shown, 1054, DialogControlKind::Edit).enabled);
  EXPECT_EQ(find(shown, 1074, DialogControlKind::Combo).text, Cp932("システムメニュー"));
  ASSERT_TRUE(sheet.SetValue(132, 1));
  shown = LayOutSettingsSheet(sheet, true);
  EXPECT_TRUE(find(shown, 1054, DialogControlKind::Edit).enabled);

  sheet.ShowPage(Page::kOtherPage);
  ASSERT_TRUE(sheet.SetValue(20, 1500));
  shown = LayOutSettingsSheet(sheet, false);
  EXPECT_FALSE(find(shown, 1104, DialogControlKind::CheckBox).enabled);  // no movies
  EXPECT_FALSE(find(shown, 1051, DialogControlKind::Slider).enabled);
  const DialogControl delay = find(shown, 1052, DialogControlKind::Slider);
  EXPECT_EQ(delay.value, 150);
  EXPECT_EQ(delay.maximum, 300);
  EXPECT_EQ(find(shown, 1055, DialogControlKind::Edit).text, "1500");
  ASSERT_TRUE(sheet.SetValue(16, 0));
  EXPECT_FALSE(find(LayOutSettingsSheet(sheet, false), 1052, DialogControlKind::Slider).enabled);

  sheet.ShowPage(Page::kWindowPage);
  ASSERT_TRUE(sheet.SetValue(160, 3));
  ASSERT_TRUE(sheet.SetValue(157, 2));
  shown = LayOutSettingsSheet(sheet, false);
  EXPECT_EQ(find(shown, 1075, DialogControlKind::Combo).text, "Direct3D");
  EXPECT_EQ(find(shown, 1074, DialogControlKind::Combo).text, Cp932("モニタ2"));
  EXPECT_TRUE(find(shown, 1112, DialogControlKind::CheckBox).checked);  // byte 156 is 2
}

}  // namespace
}  // namespace orrivel

namespace orrivel {
namespace {

// What the game hands the sheet: whether movies can play (a movie library
// is bound), the playing movie's volume, and its monitors by name.
TEST(SettingsSheetServices, TheGameTellsTheSheetItsMoviesAndMonitors) {
  platform::HeadlessBackend backend;
  platform::ScopedBackend scoped(backend);
  GameApplication app;
  MonitorRecord described;
  described.deviceName = "DISPLAY1";
  described.deviceString = "Panel";
  MonitorRecord bare;
  bare.deviceName = "DISPLAY2";
  app.monitors.SetRecords({described, bare});
  SettingsSheet::Services services;
  app.AddSheetMovieAndMonitorServices(services);
  EXPECT_FALSE(services.moviesAvailable);
  EXPECT_EQ(services.monitorNames, (std::vector<std::string>{"Panel", "DISPLAY2"}));
  ASSERT_TRUE(services.setMovieVolume);
  services.setMovieVolume(128);  // nothing plays: nothing to change
  EXPECT_FALSE(app.movies.SetPlayingVolume(128));
}

}  // namespace
}  // namespace orrivel

namespace orrivel {
namespace {

// The drawn dialogs take the player's clicks and keys on the game window;
// queued answers come first, and a program that closes closes the box.
TEST(DrawnDialogs, ThePlayerAnswersOnTheDrawnDialog) {
  platform::HeadlessBackend backend;
  platform::ScopedBackend scoped(backend);
  GameScreen game(backend);
  auto clickAt = [&](const DialogRequest& request, uint16_t id) {
    const platform::Rect r = request.Find(id)->rect;
    const Point client =
        backend.ScreenToClient(game.window, Point{request.rect.left + r.left + 3, request.rect.top + r.top + 3});
    const intptr_t where = intptr_t((uint32_t(client.y) << 16) | uint32_t(client.x & 0xFFFF));
    backend.PostMessage(game.window, platform::WM_LBUTTONDOWN, 0, where);
    backend.PostMessage(game.window, platform::WM_LBUTTONUP, 0, where);
  };
  struct Case {
    const char* name;
    std::function<void(const DialogRequest&)> act;
    uint16_t button;
    bool checked;
    bool quits;
  };
  const Case cases[] = {
      {"tick then No", [&](const DialogRequest& r) { clickAt(r, 1013); clickAt(r, 2); }, 2, true, false},
      {"tick twice then Yes",
       [&](const DialogRequest& r) { clickAt(r, 1013); clickAt(r, 1013); clickAt(r, 1); }, 1, false, false},
      {"Enter", [&](const DialogRequest&) { backend.PostMessage(game.window, platform::WM_KEYDOWN, platform::VK_RETURN, 0); },
       1, false, false},
      {"Esc", [&](const DialogRequest&) { backend.PostMessage(game.window, platform::WM_KEYDOWN, platform::VK_ESCAPE, 0); },
       2, false, false},
      {"closing", [&](const DialogRequest&) { backend.PostQuitMessage(3); }, 2, false, true},
      // From the keyboard: Tab to the box, Space ticks it, Tab twice to
      // No, Enter presses the button that has the focus.
      {"tab, space, tab, tab, enter",
       [&](const DialogRequest&) {
         for (uint32_t key : {platform::VK_TAB, platform::VK_SPACE, platform::VK_TAB, platform::VK_TAB,
                              platform::VK_RETURN}) {
           backend.PostMessage(game.window, platform::WM_KEYDOWN, key, 0);
         }
       },
       2, true, false},
  };
  DialogRequest request = SampleDialog(game.window, {300, 200, 500, 300});
  request.cancelButton = 2;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DrawnDialogs dialogs(true);
    c.act(request);
    const platform::DialogAnswer answer = dialogs.Show(request);
    EXPECT_EQ(answer.button, c.button);
    EXPECT_EQ(answer.checked, c.checked);
    EXPECT_TRUE(backend.IsInvalid(game.window));  // the game paints itself again
    backend.BeginPaint(game.window);
    backend.EndPaint(game.window);
    platform::Message left;
    bool quit = false;
    for (int i = 0; i < 16 && backend.PeekMessage(left, true); ++i) quit = quit || left.message == platform::WM_QUIT;
    EXPECT_EQ(quit, c.quits);
  }
  // An answer queued by an input file is taken without asking; without a
  // player the default button answers.
  DrawnDialogs queued(true);
  queued.QueueAnswer(platform::DialogAnswer{2, true, true});
  EXPECT_EQ(queued.Show(request).button, 2);
  DrawnDialogs nobody(false);
  EXPECT_EQ(nobody.Show(request).button, request.defaultButton);
}

}  // namespace
}  // namespace orrivel

namespace orrivel {
namespace {

// Clicks on the drawn sheet work its controls: tabs, check boxes, radios,
// combos, sliders, the key fields and the buttons.
TEST(SettingsSheetPictures, ClicksOnTheDrawnSheetWorkItsControls) {
  platform::HeadlessBackend backend;
  platform::ScopedBackend scopedBackend(backend);
  GameScreen game(backend);
  AppSettings::AppConfigBlock block = SettingsSheet::Defaults(AppSettings::AppConfigBlock{}, false);
  SettingsSheet::Memory memory;
  std::vector<int32_t> volumes;
  SettingsSheet::Services services;
  services.setMovieVolume = [&](int32_t level) { volumes.push_back(level); };
  SettingsSheet sheet(block, memory, std::move(services));
  // Where a control of a page sits: the layout does not move with values.
  auto rectOf = [&](Page page, uint16_t id, DialogControlKind kind) {
    AppSettings::AppConfigBlock scratchBlock = block;
    SettingsSheet::Memory scratchMemory;
    scratchMemory.lastPage = page;
    SettingsSheet scratch(scratchBlock, scratchMemory, {});
    scratch.Open();
    for (const DialogControl& control : LayOutSettingsSheet(scratch, false).controls)
      if (control.id == id && control.kind == kind) return control.rect;
    ADD_FAILURE() << "no control " << id;
    return platform::Rect{};
  };
  SettingsSheetWindow window;
  window.onOpen = [&](WindowId id) {
    const platform::Rect outer = backend.GetWindowRect(id);
    const Point origin = DialogPainter::ClientOrigin();
    auto click = [&](Page page, uint16_t control, DialogControlKind kind, int32_t along = 3, int32_t down = 0) {
      const platform::Rect r = rectOf(page, control, kind);
      const Point client = backend.ScreenToClient(
          game.window,
          Point{outer.left + origin.x + r.left + along, outer.top + origin.y + r.top + r.Height() / 2 + down});
      const intptr_t where = intptr_t((uint32_t(client.y) << 16) | uint32_t(client.x & 0xFFFF));
      backend.PostMessage(game.window, platform::WM_LBUTTONDOWN, 0, where);
      backend.PostMessage(game.window, platform::WM_LBUTTONUP, 0, where);
    };
    click(Page::kKeyboardPage, SettingsSheetLayout::kFirstTabId, DialogControlKind::Tab);
    click(Page::kKeyboardPage, 1072, DialogControlKind::Radio);  // Shift skips
    click(Page::kKeyboardPage, 1068, DialogControlKind::CheckBox);
    click(Page::kKeyboardPage, SettingsSheetLayout::kFirstTabId + 2, DialogControlKind::Tab);
    click(Page::kOtherPage, 1106, DialogControlKind::CheckBox);  // hints off
    const platform::Rect volume = rectOf(Page::kOtherPage, 1051, DialogControlKind::Slider);
    click(Page::kOtherPage, 1051, DialogControlKind::Slider, 5 + (volume.Width() - 11) / 2);
    click(Page::kOtherPage, SettingsSheetLayout::kFirstTabId + 3, DialogControlKind::Tab);
    // The drawing methods' list drops down; its third item is Direct3D.
    click(Page::kWindowPage, 1075, DialogControlKind::Combo);
    const platform::Rect methods = rectOf(Page::kWindowPage, 1075, DialogControlKind::Combo);
    click(Page::kWindowPage, 1075, DialogControlKind::Combo, 3,
          methods.bottom + 1 + 2 * DialogPainter::kListItemHeight + 8 - methods.top - methods.Height() / 2);
    click(Page::kWindowPage, 1112, DialogControlKind::CheckBox);  // 2 to 1
    click(Page::kWindowPage, 1, DialogControlKind::Button);
  };
  EXPECT_EQ(window.Run(sheet, game.window, nullptr, false), 1);
  EXPECT_EQ(block[130], 0);
  EXPECT_EQ(block[131], 1);
  EXPECT_EQ(block[16], 0);
  // The middle of the track: half the volume, to the pixel.
  EXPECT_NEAR(double(BlockU32(block, 168)), 128.0, 1.5);
  ASSERT_EQ(volumes.size(), 1u);
  EXPECT_EQ(uint32_t(volumes[0]), BlockU32(block, 168));
  EXPECT_EQ(block[160], 3);
  EXPECT_EQ(block[156], 1);
  EXPECT_EQ(memory.lastPage, Page::kWindowPage);
}

}  // namespace
}  // namespace orrivel

namespace orrivel {
namespace {

// The text-input dialog as the engine draws it over the game, with what the
// player typed in its edit (checked by eye once).
TEST(TextInputPicture, TheDialogShowsItsPromptAndTheTypedText) {
  platform::HeadlessBackend backend;
  platform::ScopedBackend scopedBackend(backend);
  GameScreen game(backend);
  TextInputRequestCells request;
  request.caption = Cp932("名前の入力");
  request.prompt = Cp932("主人公の名前を入力してください");
  request.width = 260;
  TextInputDialog dialog;
  platform::Rect placed;
  dialog.onOpen = [&](WindowId window) {
    placed = backend.GetWindowRect(window);
    backend.PostTextInput(window, "あおい");
    backend.PostMessage(window, platform::WM_CHAR, platform::VK_RETURN, 0);
  };
  EXPECT_EQ(dialog.Run(request, "", game.window), Cp932("あおい"));
  EXPECT_EQ(dialog.Layer().Target(), platform::kNoWindow);
  const Point at = backend.ScreenToClient(game.window, Point{placed.left, placed.top});
  Surface shot;
  game.Crop({at.x, at.y, at.x + placed.Width(), at.y + placed.Height()}, shot);
  test::ExpectGolden(shot, "text_input_dialog", "game");
}

}  // namespace
}  // namespace orrivel

namespace orrivel {
namespace {

// Runs steps in order with the messages posted around them: a message to
// this window runs the step its wParam names when the loop reaches it.
class StepWindow final : public platform::WindowClient {
 public:
  static constexpr uint32_t kRunStep = 0x8123;
  explicit StepWindow(platform::HeadlessBackend& backend) : backend_(backend) {
    backend.RegisterClass(platform::WindowClass{"TestSteps"});
    platform::WindowCreateParams params;
    params.className = "TestSteps";
    params.client = this;
    window_ = backend.CreateWindow(params);
  }
  void Post(std::function<void()> step) {
    steps_.push_back(std::move(step));
    backend_.PostMessage(window_, kRunStep, steps_.size() - 1, 0);
  }
  intptr_t WindowProcedure(WindowId window, uint32_t message, uintptr_t wParam, intptr_t lParam) override {
    if (message == kRunStep && wParam < steps_.size()) {
      steps_[wParam]();
      return 0;
    }
    return platform::CurrentBackend().DefWindowProc(window, message, wParam, lParam);
  }

 private:
  platform::HeadlessBackend& backend_;
  WindowId window_ = platform::kNoWindow;
  std::vector<std::function<void()>> steps_;
};

// The keyboard and the pointer on the sheet as the game shows it: pages
// switched with Ctrl+Tab, the focus moved with Tab, sliders stepped with
// the arrows and dragged with the pointer (the movie's volume following at
// once), numbers typed into the sliders' edits, a combo's list dropped and
// chosen from, Enter for OK. A key field takes the keyboard's keys but not
// the Tab that brought the focus to it; Enter and Esc there change nothing.
TEST(SettingsSheetKeyboard, TheSheetIsWorkedFromTheKeyboardAndThePointer) {
  JoystickSlots::Reset();
  platform::HeadlessBackend backend;
  platform::ScopedBackend scopedBackend(backend);
  platform::HeadlessInput source;
  platform::ScopedInputSource scopedSource(source);
  GameScreen game(backend);
  StepWindow steps(backend);
  InputManager input;
  ASSERT_EQ(input.CreateDevices(1), 0);
  input.Activate();
  AppSettings::AppConfigBlock block = SettingsSheet::Defaults(AppSettings::AppConfigBlock{}, false);
  SettingsSheet::Memory memory;
  std::vector<int32_t> volumes;
  SettingsSheet::Services services;
  services.setMovieVolume = [&](int32_t level) { volumes.push_back(level); };
  SettingsSheet sheet(block, memory, std::move(services));
  SettingsSheetWindow window;
  std::vector<std::string> seen;
  window.onOpen = [&](WindowId id) {
    const platform::Rect outer = backend.GetWindowRect(id);
    const Point origin = DialogPainter::ClientOrigin();
    auto where = [&](Point onSheet) {
      const Point client =
          backend.ScreenToClient(game.window, Point{outer.left + origin.x + onSheet.x, outer.top + origin.y + onSheet.y});
      return intptr_t((uint32_t(client.y) << 16) | uint32_t(client.x & 0xFFFF));
    };
    auto key = [&](uint32_t vk, bool ctrl = false, bool shift = false, bool alt = false) {
      steps.Post([&backend, ctrl, shift, alt] { backend.SetModifierState(shift, ctrl, alt); });
      backend.PostMessage(game.window, alt ? platform::WM_SYSKEYDOWN : platform::WM_KEYDOWN, vk, 0);
      steps.Post([&backend] { backend.SetModifierState(false, false, false); });
    };
    auto keys = [&](uint32_t vk, int count) {
      for (int i = 0; i < count; ++i) key(vk);
    };
    auto type = [&](const char* text) { backend.PostTextInput(game.window, text); };
    auto note = [&](std::string what) { steps.Post([&, what] { seen.push_back(what + "=" + std::to_string(sheet.FocusedField())); }); };

    // The keyboard page: Tab to the decide field; the Tab held on the
    // keyboard is not taken; Q is, and the focus goes on to cancel.
    steps.Post([&] { source.SetKey(15, true); });
    keys(platform::VK_TAB, 2);
    backend.PostMessage(id, SettingsSheetWindow::kTimerMessage, 0, 0);
    steps.Post([&] { source.SetKey(15, false); });
    backend.PostMessage(id, SettingsSheetWindow::kTimerMessage, 0, 0);
    note("after tab");
    steps.Post([&] { source.SetKey(16, true); });
    backend.PostMessage(id, SettingsSheetWindow::kTimerMessage, 0, 0);
    steps.Post([&] { source.SetKey(16, false); });
    note("after Q");
    key(platform::VK_RETURN);  // nothing
    note("after enter");
    key(platform::VK_ESCAPE);  // leaves the field only
    note("after esc");

    // The other page: the volume slider dragged from its middle to its
    // end, then stepped down from the keyboard.
    key(platform::VK_TAB, true);
    key(platform::VK_NEXT, true);
    const platform::Rect volume{150, 28 + 134, 340, 28 + 156};
    const int32_t mid = (volume.top + volume.bottom) / 2;
    const int32_t span = volume.Width() - 2 * DialogPainter::kThumbHalf - 1;
    backend.PostMessage(game.window, platform::WM_LBUTTONDOWN, platform::MK_LBUTTON,
                        where({volume.left + DialogPainter::kThumbHalf + span / 2, mid}));
    backend.PostMessage(game.window, platform::WM_MOUSEMOVE, platform::MK_LBUTTON,
                        where({volume.right + 30, mid + 40}));
    backend.PostMessage(game.window, platform::WM_LBUTTONUP, 0, where({volume.right + 30, mid + 40}));
    keys(platform::VK_LEFT, 2);
    // Its edit: the text typed stands while it has the focus; the limit
    // takes three digits and letters none.
    key(platform::VK_TAB);
    keys(platform::VK_BACK, 3);
    type("2x009");
    // The hint delay's edit: 1234 ms is held to the slider's steps; the
    // edit shows it once the focus moves on.
    keys(platform::VK_TAB, 3);
    keys(platform::VK_BACK, 3);
    type("1234");
    steps.Post([&] { seen.push_back("delay " + std::to_string(sheet.Value(20))); });
    key(platform::VK_TAB);

    // The window page: the drawing method's list dropped from the
    // keyboard (the picture taken with it open), Direct3D picked, OK.
    key(platform::VK_TAB, true);
    keys(platform::VK_TAB, 5);
    key(platform::VK_DOWN, false, false, true);
    key(platform::VK_DOWN);
    steps.Post([&, outer] {
      Surface shot;
      const Point at = backend.ScreenToClient(game.window, Point{outer.left, outer.top});
      game.Crop({at.x, at.y, at.x + SettingsSheetWindow::kWidth, at.y + SettingsSheetWindow::kHeight}, shot);
      test::ExpectGolden(shot, "settings_sheet_list_open", "game");
    });
    key(platform::VK_RETURN);  // picks; the sheet stays
    key(platform::VK_RETURN);  // OK
  };
  EXPECT_EQ(window.Run(sheet, game.window, &input, false), 1);
  EXPECT_EQ(seen, (std::vector<std::string>{"after tab=0", "after Q=1", "after enter=1", "after esc=-1",
                                            "delay 1230"}));
  EXPECT_EQ(block[114], 16);  // decide: Q
  EXPECT_EQ(block[115], 45);  // cancel: unchanged by Enter and Esc
  EXPECT_EQ(BlockU32(block, 168), 200u);
  // The middle of the track, its end, two steps down; then the edit's
  // numbers as they were typed.
  DialogControl track;
  track.rect = {150, 28 + 134, 340, 28 + 156};
  track.maximum = 256;
  const int32_t middle = DialogPainter::SliderValueAt(
      track, Point{track.rect.left + DialogPainter::kThumbHalf + (track.rect.Width() - 2 * DialogPainter::kThumbHalf - 1) / 2, 0});
  EXPECT_EQ(volumes, (std::vector<int32_t>{middle, 256, 255, 254, 25, 2, 2, 20, 200}));
  EXPECT_EQ(BlockU32(block, 20), 1230u);
  EXPECT_EQ(block[160], 3);
  EXPECT_EQ(memory.lastPage, Page::kWindowPage);
  EXPECT_FALSE(backend.IsTextInputEnabled(game.window));
  JoystickSlots::Reset();
}

}  // namespace
}  // namespace orrivel
