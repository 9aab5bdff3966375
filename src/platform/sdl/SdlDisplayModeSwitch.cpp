#include "platform/sdl/SdlDisplayModeSwitch.h"

#include "platform/sdl/SdlApi.h"
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <iterator>
#include <mutex>

#include "platform/StopSignals.h"
#include "platform/sdl/SdlBackend.h"

namespace orrivel::platform {
namespace {

constexpr int kCrashSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};
struct sigaction g_previous[std::size(kCrashSignals)];
// The window whose mode is in force, for the crash handler.
std::atomic<SDL_Window*> g_modeWindow{nullptr};

uint8_t DepthOf(const SDL_DisplayMode& mode) {
  const int bits = SDL_BITSPERPIXEL(mode.format);
  return uint8_t(bits == 24 && SDL_BYTESPERPIXEL(mode.format) == 4 ? 32 : bits);
}

// Every mode SDL lists for the display.
std::vector<DisplayMode> DisplayModesOf(int display) {
  std::vector<DisplayMode> modes;
  const int count = sdl::Api().GetNumDisplayModes(display);
  for (int i = 0; i < count; ++i) {
    SDL_DisplayMode mode;
    if (sdl::Api().GetDisplayMode(display, i, &mode) != 0) continue;
    modes.push_back(
        DisplayMode{mode.w, mode.h, DepthOf(mode), uint16_t(mode.refresh_rate < 2 ? 0 : mode.refresh_rate)});
  }
  return modes;
}

void GiveModeBack() {
  if (SDL_Window* window = g_modeWindow.exchange(nullptr)) sdl::Api().SetWindowFullscreen(window, 0);
}

// Dying with the display in the game's mode would leave the player's
// desktop in it. Nothing here is safe in a signal handler in general, so
// an alarm cuts a hang short.
void GiveModeBackBeforeDying() {
  if (g_modeWindow.load() != nullptr) {
    ::alarm(2);
    GiveModeBack();
    ::alarm(0);
  }
}

// After a crash the signal goes on as it would have (to the handler that
// was there before, or its default).
void RestoreOnCrash(int signal) {
  GiveModeBackBeforeDying();
  for (size_t i = 0; i < std::size(kCrashSignals); ++i) {
    if (kCrashSignals[i] == signal) sigaction(signal, &g_previous[i], nullptr);
  }
  ::raise(signal);
}

void ArmCrashRestore() {
  static std::once_flag once;
  std::call_once(once, [] {
    struct sigaction action {};
    action.sa_handler = RestoreOnCrash;
    sigemptyset(&action.sa_mask);
    for (size_t i = 0; i < std::size(kCrashSignals); ++i) sigaction(kCrashSignals[i], &action, &g_previous[i]);
    std::atexit(GiveModeBack);
    // A second stop signal ends the program without the exit-time road.
    SetStopSignalLastAction(GiveModeBackBeforeDying);
  });
}

}  // namespace

SdlDisplayModeSwitch::~SdlDisplayModeSwitch() { Restore(); }

std::vector<DisplayMode> SdlDisplayModeSwitch::OfferedModes(WindowId window) {
  auto* sdl = static_cast<SDL_Window*>(backend_.NativeWindow(window));
  return DisplayModesOf(sdl ? std::max(0, sdl::Api().GetWindowDisplayIndex(sdl)) : 0);
}

// The back end's monitors are SDL's displays, in SDL's order.
std::vector<DisplayMode> SdlDisplayModeSwitch::MonitorModes(size_t monitor) {
  if (monitor >= size_t(std::max(0, sdl::Api().GetNumVideoDisplays()))) return {};
  return DisplayModesOf(int(monitor));
}

bool SdlDisplayModeSwitch::Enter(WindowId window, const DisplayMode& wanted) {
  auto* sdl = static_cast<SDL_Window*>(backend_.NativeWindow(window));
  if (sdl == nullptr) return false;
  const int display = std::max(0, sdl::Api().GetWindowDisplayIndex(sdl));
  SDL_DisplayMode chosen{};
  bool found = false;
  for (int i = 0, count = sdl::Api().GetNumDisplayModes(display); i < count && !found; ++i) {
    SDL_DisplayMode mode;
    if (sdl::Api().GetDisplayMode(display, i, &mode) != 0) continue;
    const uint16_t refresh = uint16_t(mode.refresh_rate < 2 ? 0 : mode.refresh_rate);
    if (mode.w == wanted.width && mode.h == wanted.height && DepthOf(mode) == wanted.depth &&
        refresh == wanted.refresh) {
      chosen = mode;
      found = true;
    }
  }
  if (!found || sdl::Api().SetWindowDisplayMode(sdl, &chosen) != 0) return false;
  if (sdl::Api().SetWindowFullscreen(sdl, SDL_WINDOW_FULLSCREEN) != 0) {
    sdl::Api().SetWindowFullscreen(sdl, 0);
    return false;
  }
  // A hidden window takes its mode when it is shown; a shown one must have
  // it now, or the display refused it.
  if ((sdl::Api().GetWindowFlags(sdl) & SDL_WINDOW_SHOWN) != 0) {
    SDL_DisplayMode now;
    if (sdl::Api().GetCurrentDisplayMode(display, &now) != 0 || now.w != chosen.w || now.h != chosen.h) {
      sdl::Api().SetWindowFullscreen(sdl, 0);
      return false;
    }
  }
  ArmCrashRestore();
  g_modeWindow = sdl;
  return true;
}

void SdlDisplayModeSwitch::Leave(WindowId window) {
  auto* sdl = static_cast<SDL_Window*>(backend_.NativeWindow(window));
  if (sdl != nullptr && g_modeWindow.load() == sdl) g_modeWindow = nullptr;
  // Leaving SDL's exclusive full screen puts the desktop's mode back.
  if (sdl != nullptr) sdl::Api().SetWindowFullscreen(sdl, 0);
}

}  // namespace orrivel::platform
