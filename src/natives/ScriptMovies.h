#pragma once
// The movie the scripts play (natives 629 to 648): at most one of three
// players is open at a time. The sprite player is a sprite of the screen
// device's sprite list, shown on the screen canvas; the primary-surface
// player a scene object of the screen device; the object player plays in
// the main window. The first two are owned by the device's lists and
// found again by their handles, so a script that deletes sprites or scene
// objects by group leaves no player behind to reach. The object player is
// touched only under the application's movie lock, because the window's
// message handling reaches it too.
//
// The game shell owns one and installs it; until then (and in tests that
// install none) a process-wide one serves.
#include <atomic>
#include <cstdint>
#include <memory>

#include "base/CriticalSection.h"
#include "platform/Messages.h"

namespace orrivel {

class DisplayObjectMoviePresentation;
class DisplayPrimaryMovieScreen;
class ObjectMovie;
class PrimaryMovie;
class SpriteMovie;

struct ScriptMovies {
  ScriptMovies();
  ~ScriptMovies();
  ScriptMovies(const ScriptMovies&) = delete;
  ScriptMovies& operator=(const ScriptMovies&) = delete;

  // Deletes the object movie (under the lock, clearing the movie-state
  // byte), then the primary-surface movie, then the sprite movie.
  void Close();
  // Each player alone, as Close does it (for the game shell's exit, which
  // closes each library's player before the library goes).
  void CloseObject();
  void ClosePrimary();
  void CloseSprite();
  // The open players; null when none (or when its list deleted it).
  SpriteMovie* Sprite() const;
  PrimaryMovie* Primary() const;
  // The settings sheet's volume (0-256) for the movie playing: the object
  // player when it exists, else the primary-surface one, else the sprite
  // one. False when none plays.
  bool SetPlayingVolume(int32_t level);
  // The object movie's event pump, under the lock: restarts a looping
  // movie at its end or stops it. Called by the game shell when the movie
  // object says it has events waiting.
  void PumpObjectMovieEvents();

  // What the object movie borrows of the display (outlives the movie).
  std::unique_ptr<DisplayObjectMoviePresentation> objectPresentation;
  std::unique_ptr<ObjectMovie> object;
  // Handles in the current display's sprite and scene-object lists.
  uint32_t spriteHandle = 0;
  uint32_t primaryHandle = 0;
  // The primary movie's frame sources (outlives the movie).
  std::unique_ptr<DisplayPrimaryMovieScreen> primaryScreen;

  // The application's: the lock guarding the object movie, its movie-state
  // byte (0 while no object movie plays) and the main window.
  CriticalSection* lock = &ownLock;
  std::atomic<uint8_t>* movieState = &ownState;
  platform::WindowId window = platform::kNoWindow;

 private:
  CriticalSection ownLock;
  std::atomic<uint8_t> ownState{0};
};

ScriptMovies& CurrentScriptMovies();
// Installs the movies the natives use (null: the process-wide one);
// returns the previous.
ScriptMovies* SetScriptMovies(ScriptMovies* movies);

}  // namespace orrivel
