// Natives 629 to 648: one movie at a time through the sprite, primary-
// surface or object player. Every native but the open, the close, the two
// object-only ones and the sprite query asks the primary-surface player
// first, then the sprite player, then, under the movie lock, the object
// player; with none open it answers its "no movie" value. Times cross as
// milliseconds (the players keep units of 100 ns), rates as 16.16 cells.
#include <new>
#include <type_traits>
#include <string>

#include "base/ScopedLock.h"
#include "display/DisplayScreenDevice.h"
#include "natives/AppNativePort.h"
#include "natives/DisplayObjectArguments.h"
#include "natives/NativeBinder.h"
#include "natives/ScriptMovies.h"
#include "scene/DisplayObjectMoviePresentation.h"
#include "scene/DisplayPrimaryMovieScreen.h"
#include "scene/SpriteCanvas.h"
#include "sound/ObjectMovie.h"
#include "sound/SpriteMovie.h"

namespace orrivel {

ScriptMovies::ScriptMovies() = default;
ScriptMovies::~ScriptMovies() { Close(); }

namespace {

ScriptMovies* g_installed = nullptr;

template <class T, class Object>
T* Listed(Object* object) {
  return object != nullptr ? dynamic_cast<T*>(object) : nullptr;
}

}  // namespace

SpriteMovie* ScriptMovies::Sprite() const {
  DisplayScreenDevice* display = CurrentDisplayScreen();
  return display != nullptr && spriteHandle != 0 ? Listed<SpriteMovie>(display->GetSprite(spriteHandle)) : nullptr;
}

PrimaryMovie* ScriptMovies::Primary() const {
  DisplayScreenDevice* display = CurrentDisplayScreen();
  if (display == nullptr || primaryHandle == 0) return nullptr;
  auto* scene = Listed<PrimaryMovieSceneObject>(display->GetSceneObject(primaryHandle));
  return scene != nullptr ? &scene->Movie() : nullptr;
}

bool ScriptMovies::SetPlayingVolume(int32_t level) {
  {
    ScopedLock held(*lock);
    if (object) {
      object->SetVolume(level);
      return true;
    }
  }
  if (PrimaryMovie* primary = Primary()) {
    primary->SetVolume(level);
    return true;
  }
  if (SpriteMovie* sprite = Sprite()) {
    sprite->SetVolume(level);
    return true;
  }
  return false;
}

void ScriptMovies::Close() {
  CloseObject();
  ClosePrimary();
  CloseSprite();
}

void ScriptMovies::CloseObject() {
  ScopedLock held(*lock);
  if (object) {
    object.reset();
    movieState->store(0);
  }
  objectPresentation.reset();
}

void ScriptMovies::ClosePrimary() {
  DisplayScreenDevice* display = CurrentDisplayScreen();
  if (display != nullptr && primaryHandle != 0) display->RemoveSceneObject(primaryHandle);
  primaryHandle = 0;
  primaryScreen.reset();
}

void ScriptMovies::CloseSprite() {
  DisplayScreenDevice* display = CurrentDisplayScreen();
  if (display != nullptr && spriteHandle != 0) display->RemoveSprite(spriteHandle);
  spriteHandle = 0;
}

void ScriptMovies::PumpObjectMovieEvents() {
  ScopedLock held(*lock);
  if (object) object->Update();
}

ScriptMovies& CurrentScriptMovies() {
  static ScriptMovies processWide;
  return g_installed != nullptr ? *g_installed : processWide;
}

ScriptMovies* SetScriptMovies(ScriptMovies* movies) {
  ScriptMovies* previous = g_installed;
  g_installed = movies;
  return previous;
}

namespace {

constexpr size_t kFileNameBytes = 259;
constexpr int64_t kUnitsPerMs = 10000;
constexpr uint32_t kNoMovie = uint32_t(-1);
constexpr uint32_t kNoObjectMovie = 2;
constexpr uint32_t kCannotAllocate = 8;
// The user-block byte that sends mode-0 movies to the sprite player.
constexpr size_t kSpriteMovieByte = 5;

// The first open player takes the call: primary, sprite, then the object
// player under the lock. op is called with the player.
template <class Op>
uint32_t Dispatch(uint32_t none, Op&& op) {
  ScriptMovies& movies = CurrentScriptMovies();
  if (PrimaryMovie* primary = movies.Primary()) return uint32_t(op(*primary));
  if (SpriteMovie* sprite = movies.Sprite()) return uint32_t(op(*sprite));
  ScopedLock held(*movies.lock);
  if (movies.object) return uint32_t(op(*movies.object));
  return none;
}

// Primary and sprite players are shown or hidden around a start or stop.
void Show(PrimaryMovie& movie, bool on) { movie.SetVisible(on); }
void Show(SpriteMovie& movie, bool on) { movie.SetVisible(on ? 1 : 0); }
void Show(ObjectMovie&, bool) {}

// Both players live in the display's lists: without a display they
// cannot be made.
int32_t OpenSpriteMovie(ScriptMovies& movies, const std::string& file, uint32_t order) {
  DisplayScreenDevice* display = CurrentDisplayScreen();
  std::unique_ptr<SpriteMovie> made(new (std::nothrow) SpriteMovie());
  if (display == nullptr || !made) return int32_t(kCannotAllocate);
  SpriteMovie* movie = made.get();
  movies.spriteHandle = display->AddSprite(std::move(made));
  if (movies.spriteHandle == 0) return int32_t(kCannotAllocate);
  const int32_t opened = movie->Open(file.c_str(), 0, 0, nullptr);
  movie->SetVisible(0);
  if (SpriteCanvas* screen = GetObjectSpriteCanvas(display, display->canvas)) screen->MainList().Add(movie, order, 0);
  return opened;
}

int32_t OpenPrimaryMovie(ScriptMovies& movies, const std::string& file) {
  DisplayScreenDevice* display = CurrentDisplayScreen();
  std::unique_ptr<PrimaryMovie> made(new (std::nothrow) PrimaryMovie());
  if (display == nullptr || !made) return int32_t(kCannotAllocate);
  PrimaryMovie* movie = made.get();
  std::unique_ptr<PrimaryMovieSceneObject> scene(new (std::nothrow) PrimaryMovieSceneObject(std::move(made)));
  if (!scene) return int32_t(kCannotAllocate);
  PrimaryMovieSceneObject* object = scene.get();
  movies.primaryHandle = display->AddSceneObject(std::move(scene));
  if (movies.primaryHandle == 0) return int32_t(kCannotAllocate);
  movies.primaryScreen = std::make_unique<DisplayPrimaryMovieScreen>(*display);
  const int32_t opened = movie->Open(movies.primaryScreen.get(), file.c_str(), 0, 0, nullptr);
  movie->SetVisible(false);
  display->Registry().Add(object, 0, 0);
  return opened;
}

int32_t OpenObjectMovie(ScriptMovies& movies, const std::string& file) {
  DisplayScreenDevice* display = CurrentDisplayScreen();
  ScopedLock held(*movies.lock);
  if (display != nullptr) movies.objectPresentation.reset(new (std::nothrow) DisplayObjectMoviePresentation(*display));
  movies.object.reset(new (std::nothrow) ObjectMovie(*movies.lock));
  if (!movies.object) return int32_t(kCannotAllocate);
  return movies.object->Open(movies.window, file.c_str(), nullptr, movies.objectPresentation.get());
}

uint32_t PlayMovie(NativeArgs& args) {
  const std::string file = args.String(0, kFileNameBytes);
  const int32_t mode = args.Int(1);
  const uint32_t order = args.Cell(2);
  ScriptMovies& movies = CurrentScriptMovies();
  movies.Close();
  if (args.Failed()) return kNoMovie;
  // The player is kept even when its open fails: the close deletes it.
  if (mode != 0) return uint32_t(OpenObjectMovie(movies, file));
  if (AppPort().user[kSpriteMovieByte] != 0) return uint32_t(OpenSpriteMovie(movies, file, order));
  return uint32_t(OpenPrimaryMovie(movies, file));
}

uint32_t StartMovie(NativeArgs&) {
  ScriptMovies& movies = CurrentScriptMovies();
  return Dispatch(kNoMovie, [&movies](auto& player) {
    Show(player, true);
    const int32_t played = player.Play();
    if constexpr (std::is_same_v<std::decay_t<decltype(player)>, ObjectMovie>) {
      // 1 while the object movie plays, 2 when the object paints itself into
      // the window (the window then asks it to).
      if (played == 0) movies.movieState->store(player.PlayStatus() != 0 ? 2 : 1);
    }
    return played;
  });
}

uint32_t StopMovie(NativeArgs&) {
  ScriptMovies& movies = CurrentScriptMovies();
  return Dispatch(kNoMovie, [&movies](auto& player) {
    Show(player, false);
    const int32_t stopped = player.Stop();
    if constexpr (std::is_same_v<std::decay_t<decltype(player)>, ObjectMovie>) {
      if (stopped == 0) movies.movieState->store(0);
    }
    return stopped;
  });
}

// A script's rectangle may span more than 32 bits: its size wraps as the
// scripts' own arithmetic does.
int32_t WrappedExtent(int32_t from, int32_t to) { return int32_t(uint32_t(to) - uint32_t(from)); }

int32_t Place(PrimaryMovie& movie, const Rect& r) {
  movie.SetSizeAndPosition(WrappedExtent(r.left, r.right), WrappedExtent(r.top, r.bottom), r.left, r.top);
  return 0;
}
int32_t Place(SpriteMovie& movie, const Rect& r) {
  movie.SetDisplaySize(WrappedExtent(r.left, r.right), WrappedExtent(r.top, r.bottom));
  movie.SetPosition(r.left, r.top);
  return 0;
}
int32_t Place(ObjectMovie& movie, const Rect& r) { return movie.SetDisplayRect(r); }

int32_t Width(PrimaryMovie& movie) { return movie.SourceRect().right - movie.SourceRect().left; }
int32_t Width(SpriteMovie& movie) { return movie.Control() != nullptr ? movie.GetWidth() : 0; }
int32_t Width(ObjectMovie& movie) { return movie.FrameWidth(); }
int32_t Height(PrimaryMovie& movie) { return movie.SourceRect().bottom - movie.SourceRect().top; }
int32_t Height(SpriteMovie& movie) { return movie.Control() != nullptr ? movie.GetHeight() : 0; }
int32_t Height(ObjectMovie& movie) { return movie.FrameHeight(); }

// A time query in milliseconds; 0 when the player answers none.
template <class Query>
uint32_t Milliseconds(Query&& query) {
  return Dispatch(0, [&query](auto& player) {
    int64_t units = 0;
    query(player, &units);
    return int32_t(units / kUnitsPerMs);
  });
}

uint32_t ObjectOnly(uint32_t none, int32_t (*op)(ObjectMovie&, int32_t), int32_t value) {
  ScriptMovies& movies = CurrentScriptMovies();
  ScopedLock held(*movies.lock);
  return movies.object ? uint32_t(op(*movies.object, value)) : none;
}

}  // namespace

void BindMovieNatives(NativeBinder& binder) {
  binder.Bind(629, PlayMovie);
  binder.Bind(630, [](NativeArgs&) {
    CurrentScriptMovies().Close();
    return 0u;
  });
  binder.Bind(631, [](NativeArgs& args) {
    const bool loop = args.Flag(0);
    Dispatch(0, [loop](auto& player) {
      player.SetLoop(loop);
      return 0;
    });
    return 0u;
  });
  binder.Bind(632, StartMovie);
  binder.Bind(633, StopMovie);
  binder.Bind(634, [](NativeArgs&) { return Dispatch(kNoMovie, [](auto& player) { return player.Pause(); }); });
  binder.Bind(635, [](NativeArgs&) { return Dispatch(kNoMovie, [](auto& player) { return player.Resume(); }); });
  binder.Bind(636, [](NativeArgs& args) {
    const Rect rect{args.Int(0), args.Int(1), args.Int(2), args.Int(3)};
    return Dispatch(kNoMovie, [&rect](auto& player) { return Place(player, rect); });
  });
  binder.Bind(637, [](NativeArgs&) {
    return Milliseconds([](auto& player, int64_t* units) { return player.GetDuration(units); });
  });
  binder.Bind(638, [](NativeArgs&) { return Dispatch(0, [](auto& player) { return Width(player); }); });
  binder.Bind(639, [](NativeArgs&) { return Dispatch(0, [](auto& player) { return Height(player); }); });
  binder.Bind(640, [](NativeArgs& args) {
    const int64_t units = int64_t(args.Int(0)) * kUnitsPerMs;
    return Dispatch(kNoMovie, [units](auto& player) { return player.Seek(units); });
  });
  binder.Bind(641, [](NativeArgs&) {
    return Milliseconds([](auto& player, int64_t* units) { return player.GetPosition(units); });
  });
  binder.Bind(642, [](NativeArgs&) {
    return Dispatch(0, [](auto& player) {
      int32_t state = 3;
      player.GetState(&state);
      return state;
    });
  });
  binder.Bind(643, [](NativeArgs& args) {
    const int32_t volume = args.Int(0);
    return Dispatch(kNoMovie, [volume](auto& player) { return player.SetVolume(volume); });
  });
  binder.Bind(644, [](NativeArgs&) {
    return ObjectOnly(kNoObjectMovie, [](ObjectMovie& movie, int32_t) { return movie.GetVolume(); }, 0);
  });
  binder.Bind(645, [](NativeArgs& args) {
    return ObjectOnly(
        kNoObjectMovie,
        [](ObjectMovie& movie, int32_t value) { return movie.GetBalance(&value); }, args.Int(0));
  });
  binder.Bind(646, [](NativeArgs& args) {
    const double delta = double(args.Cell(0)) / 65536.0;
    return Dispatch(kNoMovie, [delta](auto& player) { return player.AdjustRate(delta); });
  });
  binder.Bind(647, [](NativeArgs& args) {
    const double rate = double(args.Cell(0)) / 65536.0;
    return Dispatch(kNoMovie, [rate](auto& player) { return player.SetRate(rate); });
  });
  // The open sprite movie by its handle in the display's sprite list, so
  // the sprite natives reach it like any other sprite.
  binder.Bind(648, [](NativeArgs&) {
    ScriptMovies& movies = CurrentScriptMovies();
    return movies.Sprite() != nullptr ? movies.spriteHandle : 0u;
  });
}

}  // namespace orrivel
