#pragma once
// What the save, system-command and sound natives reach of the running
// game beyond the application port: the save service, the in-game
// confirmation box and its font, the sound system, and the text frame's
// menu state. The game shell installs its own port when it boots the
// scripts; until then the port answers as a game without those services
// (saves not available, no box, the process-wide sound device when it is a
// sound system).
#include <cstdint>
#include <functional>

namespace orrivel {

class Font;
class ImageSprite;
class SaveService;
class SoundSystem;

struct SystemNativePort {
  // Null: saves are not available.
  SaveService* saves = nullptr;
  // Null: the process-wide sound device, when it is a sound system.
  SoundSystem* soundSystem = nullptr;

  // The confirmation box and its question font, handed to scripts by handle.
  void* confirmBox = nullptr;
  Font* confirmFont = nullptr;
  // The box's notice (a null text only removes the running one), its
  // pointer glide to a control (by handle) and its modal question drawn
  // in the sprite owner named by an object handle (0: the current layer).
  // Empty: -2, nothing to draw on.
  std::function<int32_t(const char* text, int32_t value)> openNotice;
  std::function<int32_t(uint32_t control, int32_t flag, int32_t wait)> moveCursorTo;
  std::function<int32_t(int32_t mode, const char* text, int32_t x, int32_t y, int32_t defaultButton,
                        uint32_t owner)>
      runBox;
  // The image sprite a display-object handle names, or null.
  std::function<ImageSprite*(uint32_t handle)> resolveSprite;
  // A text-adventure frame is open: its page may have switched the main
  // window's menu off; this switches it back on.
  std::function<void()> restoreFrameMenu;
};

// The process-wide port (one with the defaults until the shell installs
// its own).
SystemNativePort& SystemPort();
// Installs a port (null goes back to the defaults); returns the previous one.
SystemNativePort* SetSystemPort(SystemNativePort* port);

// The port's save service, or the unavailable one.
SaveService& SystemSaves();
// The port's sound system, else the process-wide device when it is one.
SoundSystem* SystemSounds();

}  // namespace orrivel
