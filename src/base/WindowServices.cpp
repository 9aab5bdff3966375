// The application's window services: the cursor in game coordinates, the
// full-screen menu bar that opens at the top edge, game-to-desktop
// conversion, dialog centring, the screen saver around modal boxes, and the
// keyboard hook.
#include <algorithm>

#include "base/Application.h"
#include "base/TickSource.h"
#include "platform/Backend.h"

namespace orrivel {

using namespace platform;

namespace {

// Numeric-keypad direction of the side by which a point left the area.
uint8_t ZoneOutside(const Point& p, const Rect& area) {
  bool above = p.y < area.top, below = p.y >= area.bottom;
  bool left = p.x < area.left, right = p.x >= area.right;
  if (above) return left ? 7 : right ? 9 : 8;
  if (below) return left ? 1 : right ? 3 : 2;
  if (left) return 4;
  if (right) return 6;
  return 0;
}

bool Contains(const Rect& area, const Point& p) {
  return p.x >= area.left && p.x < area.right && p.y >= area.top && p.y < area.bottom;
}

// value × to / from in 64 bits; 0 when from is 0.
int32_t Scale(int32_t value, int32_t to, int32_t from) {
  if (from == 0) return 0;
  return int32_t(int64_t(value) * to / from);
}

}  // namespace

bool Application::MouseInImageCursorMode() const {
  return input->Mouse() && input->Mouse()->ImageCursor() != nullptr;
}

bool Application::GameHidesSystemCursor() const {
  return input->Mouse() && input->Mouse()->CursorState() == 0;
}

void Application::ResetMouseDevice() {
  MouseDevice* mouse = input->Mouse();
  if (mouse && mouse->GetKind() == kInputWindowMessages) mouse->Reset();
}

Size Application::DisplayedSize() {
  if (!screen->displayRect.IsEmpty()) return Size{screen->displayRect.Width(), screen->displayRect.Height()};
  Rect client = CurrentBackend().GetClientRect(mainWindow.GetHandle());
  return Size{client.Width(), client.Height()};
}

void Application::GetClientScreenRect(Rect& out) {
  Backend& backend = CurrentBackend();
  WindowId window = mainWindow.GetHandle();
  Point origin = backend.ClientToScreen(window, Point{0, 0});
  out = backend.GetClientRect(window);
  out.left += origin.x;
  out.right += origin.x;
  out.top += origin.y;
  out.bottom += origin.y;
}

bool Application::UpdateWindowState() {
  Backend& backend = CurrentBackend();
  WindowId window = mainWindow.GetHandle();
  Point cursor;
  if (menuLoopActive || !mainWindow.IsValid() || backend.IsMinimized(window) || !backend.GetCursorPos(cursor)) {
    cursorZone = 0;
    cursorX = cursorY = -1;
    return false;
  }

  if (screenMode != 1) {
    Rect client;
    GetClientScreenRect(client);
    if (!Contains(client, cursor)) {
      if (input->HasMouse() && !MouseInImageCursorMode() && !systemCursorShown) {
        mainWindow.SendWindowMessage(WM_APP_MODAL_NOTIFY, 1, 0);
      }
      if (cursorZone == 0) {
        cursorZone = ZoneOutside(cursor, client);
        ResetMouseDevice();
      }
      cursorX = cursorY = -1;
      return false;
    }
    Point p{cursor.x - client.left, cursor.y - client.top};
    if (screen->stretched) {
      Size shown = DisplayedSize();
      p.x = Scale(p.x, gameWidth, shown.width);
      p.y = Scale(p.y, gameHeight, shown.height);
    }
    if (input->HasMouse() && systemCursorShown && !modalBoxOpen && !MouseInImageCursorMode()) {
      mainWindow.SendWindowMessage(WM_APP_MODAL_NOTIFY, 0, 0);
    }
    cursorZone = 0;
    cursorX = p.x;
    cursorY = p.y;
    return true;
  }

  // Full screen: positions relative to the monitor.
  const Rect monitor = screen->monitorRect;
  const int32_t width = monitor.Width(), height = monitor.Height();
  Point p{cursor.x - monitor.left, cursor.y - monitor.top};
  const bool insideX = p.x >= 0 && p.x < width;
  cursorZone = 0;
  if (menuId != 0 && frameKind != 0 && (systemKeyFlags & 0x03) != 0) {
    if (menuBarShown) {
      if (insideX && p.y >= nonClientHeight) {
        menuBarShown = false;
        if (!MouseInImageCursorMode()) mainWindow.SendWindowMessage(WM_APP_MODAL_NOTIFY, 0, 0);
        mainWindow.SendWindowMessage(WM_APP_HIDE_FULLSCREEN_MENU, 0, 0);
        if (screen->exclusive) screen->EndGdiDialog();
        return false;
      }
      cursorX = cursorY = -1;
      return false;
    }
    if (insideX && p.y < 1) {
      uint32_t now = CurrentTickMs();
      if (menuHoverStart == 0) menuHoverStart = now;
      if (TickDiff(now, menuHoverStart) >= int32_t(menuHoverDelay)) {
        menuHoverStart = 0;
        menuBarShown = true;
        if (screen->exclusive) screen->BeginGdiDialog();
        mainWindow.SendWindowMessage(WM_APP_SHOW_FULLSCREEN_MENU, 0, 0);
        mainWindow.SendWindowMessage(WM_APP_MODAL_NOTIFY, 1, 0);
        return false;
      }
    } else {
      menuHoverStart = 0;
    }
  }

  if (screen->letterbox) {
    const Rect shown = screen->displayRect;
    if (!Contains(Rect{0, 0, width, height}, p)) {
      p = Point{-1, -1};
    } else {
      const bool xInside = p.x >= shown.left && p.x < shown.right;
      const bool yInside = p.y >= shown.top && p.y < shown.bottom;
      const int32_t gameX = Scale(p.x - shown.left, gameWidth, shown.Width());
      const int32_t gameY = Scale(p.y - shown.top, gameHeight, shown.Height());
      // On a bar: the coordinate that lies off the picture is -2, and the
      // zone tells the side of the bar.
      if (!xInside) {
        cursorX = -2;
        cursorY = yInside ? gameY : -2;
        cursorZone = p.x < shown.left ? 4 : 6;
        return true;
      }
      if (!yInside) {
        cursorX = gameX;
        cursorY = -2;
        cursorZone = p.y < shown.top ? 8 : 2;
        return true;
      }
      p = Point{gameX, gameY};
    }
  }
  if (p.y < 1) cursorZone = 8;
  if (p.y >= height - 1) cursorZone = 2;
  if (p.x < 1) cursorZone = 4;
  if (p.x >= width - 1) cursorZone = 6;
  cursorX = p.x;
  cursorY = p.y;
  return true;
}

void Application::GameToScreen(Point& point) {
  if (screenMode == 1) {
    if (screen->letterbox) {
      const Rect& shown = screen->displayRect;
      point.x = Scale(point.x, shown.Width(), gameWidth) + shown.left;
      point.y = Scale(point.y, shown.Height(), gameHeight) + shown.top;
    }
    point.x += screen->monitorRect.left;
    point.y += screen->monitorRect.top;
    return;
  }
  if (screen->stretched) {
    Size shown = DisplayedSize();
    point.x = Scale(point.x, shown.width, gameWidth);
    point.y = Scale(point.y, shown.height, gameHeight);
  }
  point = CurrentBackend().ClientToScreen(mainWindow.GetHandle(), point);
}

void Application::SetCursorClientPos(int32_t x, int32_t y) {
  // The pointer cannot leave the desktop: a point far beyond it goes to the
  // desktop's edge all the same, and taking it at 2^24 keeps the move to
  // screen coordinates from overflowing.
  constexpr int32_t kFar = 1 << 24;
  Point to{std::clamp(x, -kFar, kFar), std::clamp(y, -kFar, kFar)};
  GameToScreen(to);
  CurrentBackend().SetCursorPos(to);
  bool inside = uint32_t(x) < gameWidth && uint32_t(y) < gameHeight;
  cursorX = inside ? x : -1;
  cursorY = inside ? y : -1;
}

bool Application::IsCursorAt(int32_t x, int32_t y) {
  Size shown{0, 0};
  if (screenMode == 1 && screen->letterbox) {
    shown = Size{screen->displayRect.Width(), screen->displayRect.Height()};
  } else if (screenMode != 1 && screen->stretched) {
    shown = DisplayedSize();
  }
  if (shown.width > 0 && shown.height > 0) {
    // Points that land on one screen pixel are the same point.
    x = Scale(Scale(x, shown.width, gameWidth), gameWidth, shown.width);
    y = Scale(Scale(y, shown.height, gameHeight), gameHeight, shown.height);
  }
  return cursorX == x && cursorY == y;
}

void Application::PlaceCursorAfterModeChange(Point remembered) {
  Backend& backend = CurrentBackend();
  Point target = remembered;
  if (target.x < 0 || target.y < 0) {
    if (!backend.GetCursorPos(target)) return;
  } else {
    GameToScreen(target);
  }
  Rect window = backend.GetWindowRect(mainWindow.GetHandle());
  if (!Contains(window, target)) {
    target = Point{window.left + window.Width() / 2, window.top + window.Height() / 2};
  }
  backend.SetCursorPos(target);
}

void Application::CenterWindowOnParent(WindowId window) {
  Backend& backend = CurrentBackend();
  if (!backend.IsWindow(window)) return;
  Rect rect = backend.GetWindowRect(window);
  const int32_t width = rect.Width(), height = rect.Height();
  WindowId parent = backend.GetParent(window);
  if (parent != kNoWindow && backend.IsVisible(parent)) {
    Rect client;
    GetClientScreenRect(client);
    int32_t left = client.left + (client.Width() - width) / 2;
    int32_t top = client.top + (client.Height() - height) / 2;
    backend.MoveWindow(window, Rect{left, top, left + width, top + height});
    return;
  }
  // The work area need not start at the desktop's corner (a panel on the
  // left or at the top), so its origin counts too.
  Rect work = backend.SystemWorkArea();
  int32_t left = work.left + work.Width() / 2 - width / 2;
  int32_t top = work.top + work.Height() / 2 - height / 2;
  backend.MoveWindow(window, Rect{left, top, left + width, top + height});
  backend.SetTopMost(window, true);
}

void Application::SuspendScreenSaver() {
  if (screenMode != 1) return;
  Backend& backend = CurrentBackend();
  if (backend.GetPowerSetting(PowerSetting::ScreenSaver)) {
    screenSaverSuspended = true;
    backend.SetPowerSetting(PowerSetting::ScreenSaver, false);
  }
}

void Application::ResumeScreenSaver() {
  if (!screenSaverSuspended) return;
  screenSaverSuspended = false;
  CurrentBackend().SetPowerSetting(PowerSetting::ScreenSaver, true);
}

// This system has no low-level keyboard hook that could keep the task-switch
// keys from the desktop; the game leaves them to the window manager.
int Application::InstallKeyboardHook() { return -1; }

void Application::RemoveKeyboardHook() {
  if (keyboardHook != 0) keyboardHook = 0;
}

}  // namespace orrivel
