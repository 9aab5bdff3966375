#include "sound/MovieBinding.h"

#include <atomic>
#include <mutex>
#include <new>

#include "moviedll/MovieSoundOutput.h"
#include "moviedll/ProgramMovieClock.h"
#include "platform/Clock.h"
#include "platform/audio/PcmAudioSink.h"
#include "sound/SoundDevice.h"

namespace orrivel {
namespace {

std::array<MovieBinding, 3> gBindings;
// The libraries whose binding waits for its first use, if any; the lock
// makes that binding once when two threads look at the same time.
std::atomic<MovieLibraries*> gPutOff{nullptr};
std::mutex gPutOffLock;
// Set on the main thread at start-up, read wherever a movie opens.
std::atomic<uint8_t> gMovieOption{kDefaultMovieOption};

// How much sound a movie queues ahead of the mixer.
constexpr uint32_t kMovieSoundQueueMs = 250;

}  // namespace

media::AudioSink* NewMovieSoundOutput() {
  SoundDevice* sound = GetSoundDevice();
  platform::AudioDevice* device = sound != nullptr ? sound->Device() : nullptr;
  if (device == nullptr) return nullptr;
  // The device can go while the movie plays (a script releases it): the
  // output watches its life rather than holding the mixer blindly.
  return new (std::nothrow) platform::PcmAudioSink(device->Mixer(), kMovieSoundQueueMs, device->LifeToken());
}

int64_t ProgramClockMicroseconds(uint8_t* stepped) {
  platform::ClockSource& clock = platform::Clock();
  if (stepped != nullptr) *stepped = dynamic_cast<platform::ManualClock*>(&clock) != nullptr ? 1 : 0;
  const uint64_t perSecond = clock.CounterFrequency();
  if (perSecond == 0) return int64_t(clock.TickMs()) * 1000;
  return int64_t((unsigned __int128)clock.Counter() * 1000000u / perSecond);
}

void SettleMovies() {
  // A library not loaded yet has no movie open.
  const MovieBinding* binding = MadeMovieBinding(MovieLibraryId::kSprite);
  if (binding == nullptr) return;
  if (auto settle = reinterpret_cast<SettleMoviesFunc>(binding->dll->Entry(kSettleMoviesEntry))) settle();
}

void SetMovieOption(uint8_t option) { gMovieOption.store(option); }

uint8_t MovieOption() { return gMovieOption.load(); }

const MovieBinding* CurrentMovieBinding(MovieLibraryId library) {
  if (MovieLibraries* putOff = gPutOff.load()) putOff->BindNow();
  return MadeMovieBinding(library);
}

const MovieBinding* MadeMovieBinding(MovieLibraryId library) {
  const MovieBinding& binding = gBindings[size_t(library)];
  return binding.dll != nullptr ? &binding : nullptr;
}

void SetMovieBinding(MovieLibraryId library, MovieDll* dll, ArchiveManager* archives) {
  gBindings[size_t(library)] = dll != nullptr ? MovieBinding{dll, archives} : MovieBinding{};
}

bool MovieLibraries::BindOne(MovieLibraryId library, const MovieDllEntry& entry, ArchiveManager* archives,
                             const std::string& folder) {
  auto& record = records_[size_t(library)];
  SetMovieBinding(library, nullptr, nullptr);
  const std::string path = folder.empty() ? MovieDll::PathBesideProgram(entry.fileName) : folder + entry.fileName;
  auto dll = std::make_unique<MovieDll>(path, entry.factoryName, entry.requiredVersion);
  if (!dll->IsLoaded() || dll->VersionEntry()() == 0) return false;
  record = std::move(dll);
  // The sprite-movie library plays the sound of its movies through the
  // program's mixer, and runs its silent movies on the program's clock, when
  // it offers the entries for them.
  if (library == MovieLibraryId::kSprite) {
    if (auto hand = reinterpret_cast<SetMovieSoundOutputFunc>(record->Entry(kSetMovieSoundOutputEntry))) {
      hand(&NewMovieSoundOutput);
    }
    if (auto hand = reinterpret_cast<SetMovieClockFunc>(record->Entry(kSetMovieClockEntry))) {
      hand(&ProgramClockMicroseconds);
    }
  }
  SetMovieBinding(library, record.get(), archives);
  return true;
}

void MovieLibraries::BindOnFirstUse(bool spriteMovies, ArchiveManager* archives, const std::string& folder) {
  Free();
  std::lock_guard lock(gPutOffLock);
  putOff_ = PutOff{spriteMovies, archives, folder};
  gPutOff.store(this);
}

bool MovieLibraries::BindPutOff() const { return gPutOff.load() == this; }

int MovieLibraries::BindNow() {
  std::lock_guard lock(gPutOffLock);
  if (gPutOff.load() != this) return 0;
  const int bound = BindAll(putOff_.spriteMovies, putOff_.archives, putOff_.folder);
  // Published once the bindings are in place: another thread that finds
  // nothing put off reads them complete.
  gPutOff.store(nullptr);
  return bound;
}

int MovieLibraries::Bind(bool spriteMovies, ArchiveManager* archives, const std::string& folder) {
  Free();
  {
    // A binding another object put off would undo this one at its first
    // look: the later binding holds.
    std::lock_guard lock(gPutOffLock);
    gPutOff.store(nullptr);
  }
  return BindAll(spriteMovies, archives, folder);
}

int MovieLibraries::BindAll(bool spriteMovies, ArchiveManager* archives, const std::string& folder) {
  int bound = 0;
  if (spriteMovies) bound += BindOne(MovieLibraryId::kSprite, kWendleDll, archives, folder);
  else bound += BindOne(MovieLibraryId::kPrimary, kBellockDll, archives, folder);
  bound += BindOne(MovieLibraryId::kObject, kQuorraDll, archives, folder);
  return bound;
}

void MovieLibraries::FreeOne(MovieLibraryId library) {
  auto& record = records_[size_t(library)];
  // Only the bindings this object made are withdrawn.
  if (const MovieBinding* b = CurrentMovieBinding(library); b != nullptr && b->dll == record.get())
    SetMovieBinding(library, nullptr, nullptr);
  record.reset();
}

std::vector<MovieLibraryId> MovieLibraries::LoadOrder() const {
  std::vector<MovieLibraryId> order;
  for (MovieLibraryId library : {MovieLibraryId::kSprite, MovieLibraryId::kPrimary, MovieLibraryId::kObject})
    if (Record(library) != nullptr) order.push_back(library);
  return order;
}

void MovieLibraries::Release(const std::function<void(MovieLibraryId)>& closePlayers) {
  {
    std::lock_guard lock(gPutOffLock);
    MovieLibraries* self = this;
    gPutOff.compare_exchange_strong(self, nullptr);
  }
  const std::vector<MovieLibraryId> order = LoadOrder();
  for (auto library = order.rbegin(); library != order.rend(); ++library) {
    if (closePlayers) closePlayers(*library);
    FreeOne(*library);
  }
}

}  // namespace orrivel
