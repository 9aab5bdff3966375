#pragma once

// SDL2 reached through a table of its functions, filled from the shared
// library the first time the SDL side is used. The program does not link
// SDL2: a run without a display (tests, headless runs) never loads it nor
// the desktop libraries it brings (X11, Wayland, sound servers, D-Bus),
// which would otherwise cost every start-up their loading time.
//
// A call reads like SDL's own without the prefix: sdl::Api().CreateWindow(...).
// Code calls Api() only after Load() said yes.

#include <SDL.h>

#include "platform/sdl/SdlLibrary.h"

// Every SDL function the platform calls, by its name without "SDL_".
// (SDL_BlitSurface is a macro for SDL_UpperBlit.)
#define ORRIVEL_SDL_FUNCTIONS(X)                                                                           \
  X(CloseAudioDevice) X(CreateColorCursor) X(CreateRGBSurfaceWithFormatFrom) X(CreateRenderer)             \
  X(CreateSystemCursor) X(CreateTexture) X(CreateWindow) X(DestroyRenderer) X(DestroyTexture)              \
  X(DestroyWindow) X(DisableScreenSaver) X(EnableScreenSaver) X(FillRect) X(FreeSurface)                   \
  X(GameControllerGetAxis) X(GameControllerGetButton) X(GameControllerGetJoystick) X(GameControllerName)   \
  X(GameControllerOpen) X(GetAudioDeviceName) X(GetClipboardText) X(GetCurrentAudioDriver)                 \
  X(GetCurrentDisplayMode) X(GetDesktopDisplayMode) X(GetDisplayBounds) X(GetDisplayMode)                  \
  X(GetDisplayName) X(GetDisplayUsableBounds) X(GetError) X(GetGlobalMouseState) X(GetKeyFromScancode)     \
  X(GetKeyboardState) X(GetModState) X(GetMouseState) X(GetNumAudioDevices) X(GetNumDisplayModes)          \
  X(GetNumVideoDisplays) X(GetRendererOutputSize) X(GetWindowData) X(GetWindowDisplayIndex)                \
  X(GetWindowFlags) X(GetWindowFromID) X(GetWindowID) X(GetWindowPosition) X(GetWindowSurface)             \
  X(HasClipboardText) X(HideWindow) X(InitSubSystem) X(IsGameController) X(JoystickGetAttached)            \
  X(JoystickGetAxis) X(JoystickGetButton) X(JoystickGetHat) X(JoystickName) X(JoystickNumAxes)             \
  X(JoystickNumButtons) X(JoystickNumHats) X(JoystickOpen) X(JoystickUpdate) X(LockTexture) X(MapRGB)      \
  X(MinimizeWindow) X(MixAudioFormat) X(NumJoysticks) X(OpenAudioDevice) X(PauseAudioDevice) X(PollEvent)  \
  X(PushEvent) X(Quit) X(QuitSubSystem) X(RaiseWindow) X(RegisterEvents) X(RenderClear) X(RenderCopy)      \
  X(RenderFillRect) X(RenderPresent) X(RenderReadPixels) X(RenderSetVSync) X(RestoreWindow)                \
  X(SetClipboardText) X(SetCursor) X(SetHint) X(SetRenderDrawColor) X(SetTextInputRect)                    \
  X(SetTextureScaleMode) X(SetWindowData) X(SetWindowDisplayMode) X(SetWindowFullscreen)                   \
  X(SetWindowModalFor) X(SetWindowPosition) X(SetWindowSize) X(SetWindowTitle) X(ShowCursor)               \
  X(ShowMessageBox) X(ShowWindow) X(StartTextInput) X(StopTextInput) X(UnlockTexture) X(UpdateWindowSurface) \
  X(UpperBlit) X(WaitEventTimeout) X(WarpMouseGlobal) X(WarpMouseInWindow) X(WasInit) X(free) X(strdup)

namespace orrivel::platform::sdl {

struct SdlFunctions {
#define ORRIVEL_SDL_POINTER(name) decltype(&::SDL_##name) name = nullptr;
  ORRIVEL_SDL_FUNCTIONS(ORRIVEL_SDL_POINTER)
#undef ORRIVEL_SDL_POINTER
};

// The loaded table; only valid after Load() returned true.
const SdlFunctions& Api();

}  // namespace orrivel::platform::sdl
