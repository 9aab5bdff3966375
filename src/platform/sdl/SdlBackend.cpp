#include "platform/sdl/SdlBackend.h"

#include "platform/sdl/SdlApi.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/DriveProbe.h"
#include "platform/ImeService.h"
#include "platform/StopSignals.h"
#include "platform/TextCodec.h"
#include "platform/sdl/SdlKeyMap.h"
#include "platform/sdl/SdlMessageBox.h"
#include "platform/sdl/SdlFileDrop.h"

namespace orrivel::platform {
namespace {

SDL_Window* AsSdl(void* native) { return static_cast<SDL_Window*>(native); }

// The longest single wait for events, with and without a wake-up event
// for other threads' posts.
constexpr uint32_t kLongestWaitSliceMs = 50;
constexpr uint32_t kShortWaitSliceMs = 10;

intptr_t PackPoint(int32_t x, int32_t y) { return intptr_t(uint32_t(uint16_t(x)) | (uint32_t(uint16_t(y)) << 16)); }

uintptr_t MouseKeyState() {
  uint32_t buttons = sdl::Api().GetMouseState(nullptr, nullptr);
  SDL_Keymod mod = sdl::Api().GetModState();
  uintptr_t state = 0;
  if (buttons & SDL_BUTTON_LMASK) state |= MK_LBUTTON;
  if (buttons & SDL_BUTTON_RMASK) state |= MK_RBUTTON;
  if (buttons & SDL_BUTTON_MMASK) state |= MK_MBUTTON;
  if (mod & KMOD_SHIFT) state |= MK_SHIFT;
  if (mod & KMOD_CTRL) state |= MK_CONTROL;
  return state;
}

}  // namespace

std::unique_ptr<SdlBackend> SdlBackend::Create(std::string* error) {
  if (!sdl::Load(error)) return nullptr;
  // Whole compositions in one event, however long.
  sdl::Api().SetHint(SDL_HINT_IME_SUPPORT_EXTENDED_TEXT, "1");
  // The close button goes through the window's own close handling (which
  // may ask the player first); a quit event then only comes from outside:
  // the session ending.
  sdl::Api().SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  // Signals are the program's own (platform/StopSignals.h): SDL's handlers
  // would turn every interrupt into one more quit event, so a run stuck in
  // its scripts could never be interrupted.
  sdl::Api().SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (sdl::Api().InitSubSystem(SDL_INIT_VIDEO) != 0) {
    if (error) *error = sdl::Api().GetError();
    return nullptr;
  }
  sdl::Api().StopTextInput();
  std::unique_ptr<SdlBackend> backend(new SdlBackend());
  const uint32_t wake = sdl::Api().RegisterEvents(1);
  backend->wakeEventType_ = wake == uint32_t(-1) ? 0 : wake;
  return backend;
}

SdlBackend::~SdlBackend() {
  modeSwitch_.Restore();
  presenter_.ForgetAll();
  sdl::Api().EnableScreenSaver();
  sdl::Api().QuitSubSystem(SDL_INIT_VIDEO);
  // Also ends SDL's desktop-bus connection, which would otherwise outlive us.
  sdl::Api().Quit();
}

DisplayMode SdlBackend::DesktopMode() {
  SDL_DisplayMode mode;
  DisplayMode result;
  if (sdl::Api().GetDesktopDisplayMode(0, &mode) == 0) {
    result.width = mode.w;
    result.height = mode.h;
    result.depth = uint8_t(SDL_BITSPERPIXEL(mode.format) == 24 && SDL_BYTESPERPIXEL(mode.format) == 4
                               ? 32
                               : SDL_BITSPERPIXEL(mode.format));
    result.refresh = uint16_t(mode.refresh_rate < 2 ? 0 : mode.refresh_rate);
  }
  return result;
}

bool SdlBackend::EnumerateMonitors(std::vector<MonitorDesc>& out) {
  out.clear();
  int count = sdl::Api().GetNumVideoDisplays();
  if (count < 1) return false;
  for (int i = 0; i < count; ++i) {
    MonitorDesc monitor;
    SDL_Rect bounds, usable;
    if (sdl::Api().GetDisplayBounds(i, &bounds) != 0) return false;
    if (sdl::Api().GetDisplayUsableBounds(i, &usable) != 0) usable = bounds;
    monitor.bounds = Rect{bounds.x, bounds.y, bounds.x + bounds.w, bounds.y + bounds.h};
    monitor.workArea = Rect{usable.x, usable.y, usable.x + usable.w, usable.y + usable.h};
    SDL_DisplayMode mode;
    if (sdl::Api().GetCurrentDisplayMode(i, &mode) == 0) {
      int bits = SDL_BITSPERPIXEL(mode.format);
      monitor.depth = uint8_t(bits == 24 && SDL_BYTESPERPIXEL(mode.format) == 4 ? 32 : bits);
      monitor.refresh = uint16_t(mode.refresh_rate < 2 ? 0 : mode.refresh_rate);
    }
    const char* name = sdl::Api().GetDisplayName(i);
    monitor.deviceName = "display-" + std::to_string(i);
    monitor.description = name ? name : "";
    monitor.isPrimary = i == 0;
    out.push_back(monitor);
  }
  return true;
}

bool SdlBackend::GetCursorPos(Point& out) {
  int x = 0, y = 0;
  sdl::Api().GetGlobalMouseState(&x, &y);
  out = Point{x, y};
  return true;
}

bool SdlBackend::SetCursorPos(Point to) { return sdl::Api().WarpMouseGlobal(to.x, to.y) == 0; }

DriveKind SdlBackend::GetDriveKind(const std::string& path) { return FolderDriveKind(path); }

// Screen saver, display power saving and "keep awake" all map onto SDL's one
// switch: the screen stays on while any of them asks for it.
void SdlBackend::UpdateScreenSaver() {
  if (screenSaverOn_ && lowPowerOn_ && powerOffOn_ && executionState_ == 0) {
    sdl::Api().EnableScreenSaver();
  } else {
    sdl::Api().DisableScreenSaver();
  }
}

bool SdlBackend::GetPowerSetting(PowerSetting setting) {
  switch (setting) {
    case PowerSetting::ScreenSaver: return screenSaverOn_;
    case PowerSetting::LowPower: return lowPowerOn_;
    case PowerSetting::PowerOff: return powerOffOn_;
  }
  return false;
}

void SdlBackend::SetPowerSetting(PowerSetting setting, bool active) {
  switch (setting) {
    case PowerSetting::ScreenSaver: screenSaverOn_ = active; break;
    case PowerSetting::LowPower: lowPowerOn_ = active; break;
    case PowerSetting::PowerOff: powerOffOn_ = active; break;
  }
  UpdateScreenSaver();
}

uint32_t SdlBackend::SetExecutionState(uint32_t state) {
  uint32_t previous = executionState_;
  executionState_ = state;
  UpdateScreenSaver();
  return previous;
}

int SdlBackend::ShowMessageBox(const MessageBoxRequest& request) {
  std::string text = Cp932ToUtf8Lossy(request.text);
  std::string caption = Cp932ToUtf8Lossy(request.caption);
  // Whoever started the program reads it at once, even when nobody is at
  // the display to dismiss the box.
  std::fprintf(stderr, "orrivel: [message box] %s: %s\n", caption.c_str(), text.c_str());
  std::fflush(stderr);
  WindowRecord* owner = nullptr;
  if (request.owner != kNoWindow && request.owner != kDesktopWindow) {
    std::lock_guard lock(mutex_);
    owner = Find(request.owner);
  }
  // The engine draws the box itself: the toolkit's own box renders with
  // the X server's core fonts, which show Japanese text as another
  // encoding, and runs in a forked child that no signal ends.
  if (const int answer = ShowSdlMessageBox(request, owner ? owner->native : nullptr); answer >= 0) return answer;
  SDL_MessageBoxData data{};
  switch (request.icon) {
    case MessageBoxIcon::Stop: data.flags = SDL_MESSAGEBOX_ERROR; break;
    case MessageBoxIcon::Exclamation: data.flags = SDL_MESSAGEBOX_WARNING; break;
    case MessageBoxIcon::Information: case MessageBoxIcon::Question: data.flags = SDL_MESSAGEBOX_INFORMATION; break;
    default: data.flags = 0; break;
  }
  SDL_MessageBoxButtonData buttons[3];
  int count = 0;
  // "OK (do not show again)": the first button's answer with the check.
  const std::string checkLabel = Cp932ToUtf8Lossy(request.checkText);
  std::string checkedButton;
  if (!checkLabel.empty()) {
    const bool yes = request.buttons == MessageBoxButtons::YesNo;
    checkedButton = std::string(yes ? "はい" : "OK") + "（" + checkLabel + "）";
    buttons[count++] = {0, (yes ? IDYES : IDOK) | kAnswerChecked, checkedButton.c_str()};
  }
  switch (request.buttons) {
    case MessageBoxButtons::Ok:
      buttons[count++] = {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDOK,
                          "OK"};
      break;
    case MessageBoxButtons::YesNo:
      buttons[count++] = {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, IDYES, "はい"};
      buttons[count++] = {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDNO, "いいえ"};
      break;
    case MessageBoxButtons::OkCancel:
      buttons[count++] = {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, IDOK, "OK"};
      buttons[count++] = {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDCANCEL, "キャンセル"};
      break;
  }
  data.window = owner ? AsSdl(owner->native) : nullptr;
  data.title = caption.c_str();
  data.message = text.c_str();
  data.numbuttons = count;
  data.buttons = buttons;
  int answer = 0;
  if (sdl::Api().ShowMessageBox(&data, &answer) != 0 || answer < 0) {
    // No box could be shown: the cancelling answer.
    return request.buttons == MessageBoxButtons::Ok ? IDOK
           : request.buttons == MessageBoxButtons::YesNo ? IDNO : IDCANCEL;
  }
  return answer;
}

void* SdlBackend::NativeWindow(WindowId window) {
  std::lock_guard lock(mutex_);
  WindowRecord* record = Find(window);
  return record ? record->native : nullptr;
}

void SdlBackend::FillClient(WindowId window, const Rect& area, uint32_t rgb) {
  // A window the presenter draws through a renderer has no surface of its own.
  if (presenter_.Fill(window, area, rgb)) return;
  SDL_Window* sdl = nullptr;
  {
    std::lock_guard lock(mutex_);
    if (WindowRecord* record = Find(window)) sdl = AsSdl(record->native);
  }
  if (!sdl) return;
  SDL_Surface* surface = sdl::Api().GetWindowSurface(sdl);
  if (!surface) return;
  SDL_Rect rect{area.left, area.top, area.Width(), area.Height()};
  sdl::Api().FillRect(surface, &rect,
                      sdl::Api().MapRGB(surface->format, uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb)));
  sdl::Api().UpdateWindowSurface(sdl);
}

bool SdlBackend::NativeCreate(WindowRecord& record) {
  // Owned windows (the full-screen menu strip) have nothing to show without a
  // native menu bar; they stay in memory.
  if (record.parent != kNoWindow) return true;
  std::string title = Cp932ToUtf8Lossy(record.text);
  int x = record.rect.left < 0 ? int(SDL_WINDOWPOS_CENTERED) : record.rect.left;
  int y = record.rect.top < 0 ? int(SDL_WINDOWPOS_CENTERED) : record.rect.top;
  SDL_Window* window = sdl::Api().CreateWindow(title.c_str(), x, y, std::max(1, record.rect.Width()),
                                        std::max(1, record.rect.Height()), SDL_WINDOW_HIDDEN);
  if (!window) return false;
  sdl::Api().SetWindowData(window, "orrivel", reinterpret_cast<void*>(uintptr_t(record.id)));
  record.native = window;
  if (record.rect.left < 0 || record.rect.top < 0) {
    int wx = 0, wy = 0;
    sdl::Api().GetWindowPosition(window, &wx, &wy);
    int32_t width = record.rect.Width(), height = record.rect.Height();
    record.rect = Rect{wx, wy, wx + width, wy + height};
  }
  return true;
}

void SdlBackend::NativeDestroy(WindowRecord& record) {
  if (modeSwitch_.Holds(record.id)) modeSwitch_.Restore();
  presenter_.Forget(record.id);
  if (record.native) sdl::Api().DestroyWindow(AsSdl(record.native));
  record.native = nullptr;
}

void SdlBackend::NativeShow(WindowRecord& record, int32_t command) {
  if (!record.native) return;
  SDL_Window* window = AsSdl(record.native);
  switch (command) {
    case SW_HIDE: sdl::Api().HideWindow(window); break;
    case SW_MINIMIZE: sdl::Api().MinimizeWindow(window); break;
    case SW_RESTORE: sdl::Api().RestoreWindow(window); sdl::Api().ShowWindow(window); break;
    default: sdl::Api().ShowWindow(window); break;
  }
}

void SdlBackend::NativeSetText(WindowRecord& record) {
  if (record.native) sdl::Api().SetWindowTitle(AsSdl(record.native), Cp932ToUtf8Lossy(record.text).c_str());
}

void SdlBackend::NativeMove(WindowRecord& record) {
  // A full-screen window covers its display whatever its rectangle says;
  // moving it would only overwrite the size SDL gives back on leaving.
  if (!record.native || record.fullScreen) return;
  sdl::Api().SetWindowPosition(AsSdl(record.native), record.rect.left, record.rect.top);
  sdl::Api().SetWindowSize(AsSdl(record.native), std::max(1, record.rect.Width()), std::max(1, record.rect.Height()));
}

void SdlBackend::NativeSetFullScreen(WindowRecord& record) {
  // A window in a display mode of its own is full screen already; leaving
  // full screen gives the desktop its mode back.
  if (modeSwitch_.Holds(record.id)) {
    if (record.fullScreen) return;
    modeSwitch_.Restore();
  }
  if (record.native) {
    sdl::Api().SetWindowFullscreen(AsSdl(record.native), record.fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
  }
}

void SdlBackend::NativeRaise(WindowRecord& record) {
  if (record.native) sdl::Api().RaiseWindow(AsSdl(record.native));
}

void SdlBackend::NativeSetTextInput(WindowRecord& record) {
  textInputUsers_ += record.textInput ? 1 : -1;
  textInputUsers_ = std::max(0, textInputUsers_);
  if (textInputUsers_ > 0) sdl::Api().StartTextInput(); else sdl::Api().StopTextInput();
}

void SdlBackend::NativeSetTextInputSpot(WindowRecord& record) {
  SDL_Rect spot{record.textInputSpot.left, record.textInputSpot.top, record.textInputSpot.Width(),
                record.textInputSpot.Height()};
  sdl::Api().SetTextInputRect(&spot);
}

void SdlBackend::InjectInput(WindowId window, const SyntheticInput& input) {
  using Kind = SyntheticInput::Kind;
  const WindowRecord* record = Find(window);
  if (record == nullptr || record->native == nullptr) return;
  SDL_Window* native = AsSdl(record->native);
  const uint32_t id = sdl::Api().GetWindowID(native);
  SDL_Event event{};
  switch (input.kind) {
    case Kind::Move:
    case Kind::ButtonDown:
    case Kind::ButtonUp:
    case Kind::Wheel:
      sdl::Api().WarpMouseInWindow(native, input.x, input.y);
      if (input.kind == Kind::Move) {
        event.type = SDL_MOUSEMOTION;
        event.motion.windowID = id;
        event.motion.x = input.x;
        event.motion.y = input.y;
      } else if (input.kind == Kind::Wheel) {
        event.type = SDL_MOUSEWHEEL;
        event.wheel.windowID = id;
        event.wheel.y = input.notches;
        event.wheel.direction = SDL_MOUSEWHEEL_NORMAL;
      } else {
        event.type = input.kind == Kind::ButtonDown ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
        event.button.windowID = id;
        event.button.button = input.button == 0 ? SDL_BUTTON_LEFT : SDL_BUTTON_RIGHT;
        event.button.state = input.kind == Kind::ButtonDown ? SDL_PRESSED : SDL_RELEASED;
        event.button.clicks = 1;
        event.button.x = input.x;
        event.button.y = input.y;
      }
      break;
    case Kind::KeyDown:
    case Kind::KeyUp: {
      const int32_t scancode = SdlScancodeFromKeyCode(input.key);
      if (scancode == 0) return;
      event.type = input.kind == Kind::KeyDown ? SDL_KEYDOWN : SDL_KEYUP;
      event.key.windowID = id;
      event.key.state = input.kind == Kind::KeyDown ? SDL_PRESSED : SDL_RELEASED;
      event.key.keysym.scancode = SDL_Scancode(scancode);
      event.key.keysym.sym = sdl::Api().GetKeyFromScancode(SDL_Scancode(scancode));
      break;
    }
    case Kind::Text:
      // One event holds a short text; longer texts go in pieces that do
      // not split a character.
      for (size_t at = 0; at < input.text.size();) {
        size_t end = std::min(input.text.size(), at + sizeof(event.text.text) - 1);
        while (end > at && end < input.text.size() && (uint8_t(input.text[end]) & 0xC0) == 0x80) --end;
        SDL_Event piece{};
        piece.type = SDL_TEXTINPUT;
        piece.text.windowID = id;
        std::memcpy(piece.text.text, input.text.data() + at, end - at);
        sdl::Api().PushEvent(&piece);
        at = end;
      }
      return;
    case Kind::Composition:
      // As an input method sends it: a short text in the event itself, a
      // longer one in the extended event that owns a copy of it.
      if (input.text.size() < sizeof(event.edit.text)) {
        event.type = SDL_TEXTEDITING;
        event.edit.windowID = id;
        std::memcpy(event.edit.text, input.text.data(), input.text.size());
        event.edit.start = input.cursor;
      } else {
        event.type = SDL_TEXTEDITING_EXT;
        event.editExt.windowID = id;
        event.editExt.text = sdl::Api().strdup(input.text.c_str());
        event.editExt.start = input.cursor;
        if (event.editExt.text == nullptr) return;
      }
      break;
  }
  sdl::Api().PushEvent(&event);
}

WindowId SdlBackend::WindowFromSdl(uint32_t sdlWindowId) {
  SDL_Window* window = sdl::Api().GetWindowFromID(sdlWindowId);
  if (!window) return kNoWindow;
  return WindowId(reinterpret_cast<uintptr_t>(sdl::Api().GetWindowData(window, "orrivel")));
}

void SdlBackend::PumpNativeEvents() {
  // A stop signal ends the message loop as an outside quit event does.
  if (TakeStopRequest()) PostQuitMessage(0);
  SDL_Event event;
  while (sdl::Api().PollEvent(&event)) TranslateEvent(&event);
}

void SdlBackend::WaitForActivity(uint32_t ms) {
  // Marked before the queue is looked at: a post after the look sees the
  // mark and wakes the wait.
  waiting_.store(true);
  bool work;
  {
    std::lock_guard lock(mutex_);
    work = HasWork();
  }
  if (!work && !StopRequestPending()) {
    // Posts and sends from other threads wake the wait with an event (when
    // SDL gave us an event type); without one, short slices see them soon.
    // A stop signal is seen between slices.
    const uint32_t slice = wakeEventType_ != 0 ? kLongestWaitSliceMs : kShortWaitSliceMs;
    sdl::Api().WaitEventTimeout(nullptr, int(std::min(ms, slice)));
  }
  waiting_.store(false);
}

void SdlBackend::NotifyActivity() {
  WindowSystem::NotifyActivity();
  if (!waiting_.load() || wakeEventType_ == 0) return;
  SDL_Event wake{};
  wake.type = wakeEventType_;
  sdl::Api().PushEvent(&wake);
}

void SdlBackend::TranslateEvent(const void* raw) {
  const SDL_Event& event = *static_cast<const SDL_Event*>(raw);
  SDL_Keymod mod = sdl::Api().GetModState();
  SetModifierState(mod & KMOD_SHIFT, mod & KMOD_CTRL, mod & KMOD_ALT);
  switch (event.type) {
    case SDL_QUIT:
      // Asked from outside to stop: end the message loop so the program
      // exits in order (settings saved) without asking anyone.
      PostQuitMessage(0);
      break;
    case SDL_WINDOWEVENT: {
      WindowId window = WindowFromSdl(event.window.windowID);
      if (!window) return;
      switch (event.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
          // The close button: the system command that ends in WM_CLOSE.
          Deliver(window, WM_SYSCOMMAND, SC_CLOSE, 0);
          break;
        case SDL_WINDOWEVENT_EXPOSED:
          InvalidateWindow(window);
          break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
          ActivateWindow(window);
          break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
          if (GetActiveWindow() == window) ActivateWindow(kNoWindow);
          break;
        case SDL_WINDOWEVENT_MINIMIZED: {
          std::lock_guard lock(mutex_);
          if (WindowRecord* record = Find(window)) record->minimized = true;
          break;
        }
        case SDL_WINDOWEVENT_RESTORED: {
          {
            std::lock_guard lock(mutex_);
            if (WindowRecord* record = Find(window)) record->minimized = false;
          }
          InvalidateWindow(window);
          break;
        }
        case SDL_WINDOWEVENT_MOVED: {
          {
            std::lock_guard lock(mutex_);
            if (WindowRecord* record = Find(window)) {
              int32_t w = record->rect.Width(), h = record->rect.Height();
              record->rect = Rect{event.window.data1, event.window.data2, event.window.data1 + w,
                                  event.window.data2 + h};
            }
          }
          Deliver(window, WM_MOVE, 0, PackPoint(event.window.data1, event.window.data2));
          break;
        }
        default:
          break;
      }
      return;
    }
    case SDL_RENDER_TARGETS_RESET:
    case SDL_RENDER_DEVICE_RESET:
      // The renderer's textures are gone: what the screen showed must be drawn again.
      presenter_.NoteDeviceReset();
      return;
    case SDL_DISPLAYEVENT: {
      DisplayMode mode = DesktopMode();
      WindowId window = GetActiveWindow();
      if (window) PostMessage(window, WM_DISPLAYCHANGE, mode.depth, PackPoint(mode.width, mode.height));
      return;
    }
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      WindowId window = WindowFromSdl(event.key.windowID);
      uint32_t key = VirtualKeyFromSdlKey(event.key.keysym.scancode, event.key.keysym.sym);
      if (!window || !key) return;
      bool down = event.type == SDL_KEYDOWN;
      bool alt = (mod & KMOD_ALT) != 0;
      // Alt chords and F10 are system keys, as the window expects.
      bool system = alt || key == VK_F10 || key == VK_MENU;
      uint32_t lParam = 1u | (uint32_t(event.key.keysym.scancode & 0xFF) << 16);
      if (alt) lParam |= KF_ALTDOWN_BIT;
      if (!down) lParam |= KF_REPEAT_BIT | KF_UP_BIT;
      else if (event.key.repeat) lParam |= KF_REPEAT_BIT;
      uint32_t message = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
      PostMessage(window, message, key, intptr_t(lParam));
      return;
    }
    case SDL_TEXTINPUT: {
      WindowId window = WindowFromSdl(event.text.windowID);
      if (!window) return;
      PostTextInput(window, event.text.text);
      return;
    }
    case SDL_TEXTEDITING: {
      // The input method's composition, as it changes; empty when it ends.
      if (WindowId window = WindowFromSdl(event.edit.windowID)) {
        Ime().SetComposition(window, event.edit.text, event.edit.start);
      }
      return;
    }
    case SDL_TEXTEDITING_EXT: {
      if (WindowId window = WindowFromSdl(event.editExt.windowID)) {
        Ime().SetComposition(window, event.editExt.text ? event.editExt.text : "", event.editExt.start);
      }
      sdl::Api().free(event.editExt.text);
      return;
    }
    case SDL_MOUSEMOTION: {
      WindowId window = WindowFromSdl(event.motion.windowID);
      if (window) PostMessage(window, WM_MOUSEMOVE, MouseKeyState(), PackPoint(event.motion.x, event.motion.y));
      return;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      WindowId window = WindowFromSdl(event.button.windowID);
      if (!window) return;
      bool down = event.type == SDL_MOUSEBUTTONDOWN;
      uint32_t message = 0;
      switch (event.button.button) {
        case SDL_BUTTON_LEFT: message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP; break;
        case SDL_BUTTON_RIGHT: message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP; break;
        case SDL_BUTTON_MIDDLE: message = down ? WM_MBUTTONDOWN : WM_MBUTTONUP; break;
        default: return;
      }
      PostMessage(window, message, MouseKeyState(), PackPoint(event.button.x, event.button.y));
      return;
    }
    case SDL_MOUSEWHEEL: {
      WindowId window = WindowFromSdl(event.wheel.windowID);
      if (!window) return;
      int32_t delta = event.wheel.y * WHEEL_DELTA;
      if (event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) delta = -delta;
      int x = 0, y = 0;
      sdl::Api().GetGlobalMouseState(&x, &y);
      PostMessage(window, WM_MOUSEWHEEL, (uintptr_t(uint16_t(int16_t(delta))) << 16) | MouseKeyState(),
                  PackPoint(x, y));
      return;
    }
    case SDL_DROPBEGIN:
    case SDL_DROPFILE:
    case SDL_DROPTEXT:
    case SDL_DROPCOMPLETE: {
      WindowId window = event.drop.windowID ? WindowFromSdl(event.drop.windowID) : GetActiveWindow();
      CollectSdlDropEvent(*this, window, event.type, event.type == SDL_DROPFILE ? event.drop.file : nullptr);
      if (event.drop.file) sdl::Api().free(event.drop.file);
      return;
    }
    default:
      return;
  }
}

}  // namespace orrivel::platform
