#pragma once
// The movie libraries as the game shell binds them at start-up, and the
// binding each player looks up: the library's loader record and the
// archive manager the player uses when its caller names none.
//
// The sprite-movie library plays here; the primary-surface and object
// libraries have no build on this platform, so their bindings fail and
// their players answer "not bound".
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/media/AudioSink.h"
#include "sound/MovieDll.h"

namespace orrivel {

class ArchiveManager;

enum class MovieLibraryId : uint8_t { kSprite = 0, kPrimary = 1, kObject = 2 };

inline constexpr MovieDllEntry kBellockDll{"BELLOCK.DLL", "GetDShowPrimCtrl", 0x20000};
inline constexpr MovieDllEntry kQuorraDll{"QUORRA.DLL", "GetMovieObject", 0x10000};

struct MovieBinding {
  MovieDll* dll = nullptr;
  ArchiveManager* archives = nullptr;
};

// A new sound output for a movie on the process's sound device, or null
// when there is none; handed to the sprite-movie library at binding.
media::AudioSink* NewMovieSoundOutput();

// The program's clock in microseconds, for the sprite-movie library's
// silent movies; *stepped (when not null) is 1 while the clock is one that
// only moves when stepped (a headless run's virtual clock). Handed to the
// library at binding.
int64_t ProgramClockMicroseconds(uint8_t* stepped);
// Returns once every movie of the sprite-movie library has acted on the
// program's clock as it reads now; for a run that steps its clock, after
// each step. Nothing when the library is not bound or offers no entry.
void SettleMovies();

// The process-wide movie option, which the game's device step copies from
// the player's settings (boot byte 8; 1 until then). On, the object movie
// may present through the screen's DirectDraw objects when the screen
// presents on the primary display; off, the object library is handed none
// and draws the movie on its own. The option is read when a movie opens.
inline constexpr uint8_t kDefaultMovieOption = 1;
void SetMovieOption(uint8_t option);
uint8_t MovieOption();

// The current binding of a library; null while it is not bound. A binding
// put off until first use (MovieLibraries::BindOnFirstUse) is made here.
const MovieBinding* CurrentMovieBinding(MovieLibraryId library);
// The same without making a binding that was put off: null until then.
const MovieBinding* MadeMovieBinding(MovieLibraryId library);
// dll null unbinds.
void SetMovieBinding(MovieLibraryId library, MovieDll* dll, ArchiveManager* archives);

// The loader records the game shell keeps from start-up to exit.
class MovieLibraries {
 public:
  MovieLibraries() = default;
  MovieLibraries(const MovieLibraries&) = delete;
  MovieLibraries& operator=(const MovieLibraries&) = delete;
  ~MovieLibraries() { Free(); }

  // With the sprite-movie setting the sprite library, else the primary
  // one; then the object library in both cases. Each file is looked for in
  // folder (internal form, ending in a separator; empty: the program's
  // folder). A record that did not load, or whose version entry answers 0,
  // is freed and dropped; a surviving one becomes its library's binding
  // with archives as the default archive manager. Records of an earlier
  // binding go first. Returns how many bound.
  int Bind(bool spriteMovies, ArchiveManager* archives, const std::string& folder = {});
  // The same binding, made at the first look at any library's binding
  // (CurrentMovieBinding, BindNow) rather than now: the libraries, and the
  // many shared objects of the codecs under them, load only when a movie
  // is about to play. Records of an earlier binding go now.
  void BindOnFirstUse(bool spriteMovies, ArchiveManager* archives, const std::string& folder = {});
  // Makes a binding that was put off; the count of libraries bound (0 when
  // none was put off).
  int BindNow();
  bool BindPutOff() const;
  // Unbinds and frees every record, last loaded first (a binding put off
  // is dropped).
  void Free() { Release({}); }
  // The same, each library's movie players closed first: closePlayers is
  // called with a library while its record is still loaded, so that no
  // player outlives the code it runs on.
  void Release(const std::function<void(MovieLibraryId)>& closePlayers);
  MovieDll* Record(MovieLibraryId library) const { return records_[size_t(library)].get(); }
  // The bound libraries in the order they were loaded: Bind loads them in
  // the fixed order of the ids, after freeing every earlier record.
  std::vector<MovieLibraryId> LoadOrder() const;

 private:
  bool BindOne(MovieLibraryId library, const MovieDllEntry& entry, ArchiveManager* archives,
               const std::string& folder);
  int BindAll(bool spriteMovies, ArchiveManager* archives, const std::string& folder);
  // Unbinds (when the binding is this object's) and frees one record.
  void FreeOne(MovieLibraryId library);

  std::array<std::unique_ptr<MovieDll>, 3> records_;
  // The arguments of a binding put off until first use.
  struct PutOff {
    bool spriteMovies = false;
    ArchiveManager* archives = nullptr;
    std::string folder;
  };
  PutOff putOff_;
};

}  // namespace orrivel
